#pragma once
// The "Full Scan" overview: the active scan's worksheets over the whole scan
// with the part shown in the main plot marked in red.
#include "view/canvas.h"

namespace qm {

class CommandTable;
class Workbench;
struct ScanRecord;

// What the overview shows; taken from the workbench on every update.
struct FullScanState {
    const ScanRecord* scan = nullptr; // none: nothing is drawn
    int first = 0, last = 0;          // shown range of the main plot
    bool channel1 = false, channel2 = false;
};

// The state the main window hands over: the active scan, the shown range,
// channel 1 when either channel-1 array is switched on, channel 2 likewise.
FullScanState fullScanState(const Workbench& wb);

// Pen and brush colours of the shown-range mark.
inline constexpr Colour kFullScanMarkPen = 0x003232c8;
inline constexpr Colour kFullScanMarkBrush = 0x003232ff;

// Paints the overview on a surface of width x height pixels: white with a
// black outline, the worksheets each scaled to its own extremes, and the
// shown range masked in red. The mark combines with the picture as a
// bitwise AND; on a black-and-white picture that is the red mark painted
// first with the black frame and curves drawn over it, which is how it is
// drawn here so that every canvas shows it the same way.
void paintFullScan(Canvas& canvas, const FullScanState& state, int width, int height);

// Command 169: shows or hides the overview and keeps its check mark.
void registerFullScanCommands(CommandTable& t);

} // namespace qm
