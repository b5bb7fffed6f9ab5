#pragma once
// Group views of the plot: the array of small plots (mode 1) and the
// overlaid (2) and stacked (3) worksheets, with the labels and titles built
// from the chosen title parts.
#include "view/plot_painter.h"

#include <string>

namespace qm {

// Title part bits of the view options.
inline constexpr int kTitleFreq = 1, kTitleDate = 2, kTitleTime = 4;

// Label of one scan: "%02d%s" day and month ("Jan".."Dec") with Date, the
// wavelength "%05.2fcm" with Freq, the observation time cut at its last '.'
// with Time, separated by blanks.
std::string groupLabel(const ScanRecord& s, int titleParts);
// Title of a group: "%s:" with the object, the year (Date in the labels) or
// the whole date, then " %5.2fcm" with the wavelength (Freq not in the
// labels) or a blank, then the time (Time not in the labels).
std::string groupTitle(const ScanRecord& s, int titleParts);

struct GridShape {
    int columns = 0, rows = 0;
};
// Columns x rows of the array view: 2x1 for up to 2 scans, 2x2 for 3-4,
// 3x2 for 5-6, 3x3 for 7-9 (and above: only nine cells are shown); 0x0 for
// none.
GridShape arrayGrid(int count);

// Text shown in the overlaid and stacked views without a worksheet.
inline constexpr const char* kNoWorksheetText = "WORKSHEET is not checked";

// Paints the group view of wb.groupMode onto the base frame's canvas.
void paintGroupView(Workbench& wb, const PlotFrame& base, const PlotLayout& layout);

} // namespace qm
