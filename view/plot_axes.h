#pragma once
// Labels and axes around the plot frame: the X labels with their inner
// ticks, the title, and the Y axes (digital frame or scale bar).
#include "view/plot_frame.h"

#include <string>

namespace qm {

struct ViewFlags;

// Colour of the automatic and main titles with colour drawing on.
inline constexpr Colour kTitleColour = 0x0064201e;

// 30/frequency in cm; 0 when the frequency is not positive.
double wavelengthCm(float frequency);

// "%.0f%c": an X position in the X-axis unit.
std::string xLabelText(double x, char unit);

// Left and right labels under the bottom corners of the frame, their tops
// at y, for viewBegin and viewEnd, X = (point - centerPoint)*step.
void drawCornerXLabels(const PlotFrame& f, const ScanRecord& s, char unit, int y);
// The corner labels and three inner ticks at the quarters, each labelled
// centred below, the labels' tops w below the frame.
void drawXLabels(const PlotFrame& f, const ScanRecord& s, char unit);

// "%s: %s: %.2f[cm]" with object, date and wavelength.
std::string scanTitle(const ScanRecord& s);
// True when a title text means "automatic" (empty or starting with '%').
bool isAutoTitle(const std::string& title);
// Centred over the frame with its bottom at y, dark blue or black.
void drawTitle(const PlotFrame& f, const std::string& title, int y);

// "%s%c": "Flx," or "Ta," and R/I (channel 1) or L/V (channel 2) from the
// scan's flags for the shown arrays of that channel; both arrays shown with
// different flags give " " and a blank instead.
std::string autoAxisLabel(const ScanRecord& s, int channel, bool dataShown, bool wrkShown);

// Bar value of the scale bar for an axis span: (max - min)/10 written as
// "%e" gives its first digit m and exponent e; the bar is (m + 1)*10^e.
// 0 for an empty or non-finite span.
double scaleBarValue(double span);

struct YAxis {
    bool shown = false;
    AxisRange range;
    std::string label;
};

// The channel-1 axis at the left edge and the channel-2 axis at the right
// edge (at the left when channel 1 is not shown), each with its label
// above the frame, and either the digital frame (ticks and five numbers)
// or a scale bar.
void drawYAxes(const PlotFrame& f, const YAxis& ch1, const YAxis& ch2, bool digitalFrame);

// drawYAxes for the shown arrays of a scan, labelled with the view's axis
// titles or, where automatic, with autoAxisLabel.
void drawScanYAxes(const PlotFrame& f, const ScanRecord& s, const ArraySelection& sel, const AxisRanges& r,
                   const ViewFlags& view);

} // namespace qm
