#pragma once
// The plot as a page of W x H device units on any canvas (metafiles, PDF,
// SVG, PNG, a printer): no tool bar, status bar or data list, the page
// font and one pen thickness for every line.
#include "view/canvas.h"

#include <string>

namespace qm {

class Workbench;

// Page sides are 16-bit device units; below 16 nothing fits.
inline constexpr int kMinPageSide = 16;
inline constexpr int kMaxPageSide = 32767;
// Pen thickness limits of exported and printed pages.
inline constexpr int kMaxExportThickness = 5;
inline constexpr int kMaxPrintThickness = 4;

// Font height of an exported page: W/40 held to 14..30.
int pageFontHeight(int width);
// Empty when W x H is a usable page, else the message that says why.
std::string pageSizeError(int width, int height);
// The thickness clamped to 0..maximum.
int clampThickness(int thickness, int maximum);

// Paints the plot on the whole canvas in page-output mode with the given
// pen thickness. fontHeight > 0 forces the page font (w = 2h/5); 0 keeps
// the canvas's own font (a printer's device font). The workbench's
// on-screen geometry is left as it was.
void paintPage(Workbench& wb, Canvas& c, int thickness, int fontHeight);

} // namespace qm
