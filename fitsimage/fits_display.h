#pragma once
// The display of the held FITS image: normalisation, status line, bitmap,
// the optional scan simulation and the palette.
#include <cstdint>
#include <vector>

namespace qm {

class Workbench;

// Normalises a copy of the held image with the held options, shows "MIN
// value= %f; MAX value= %f", rebuilds the bitmap, simulates the scans when
// the beam convolution flag is set, keeps the normalised values when "apply
// to data" is set below "Normalization", and reloads the palette.
void redoFitsDisplay(Workbench& wb);

// The grey ramp, or with colour drawing on the 256-colour JASC-PAL file of
// the "FitsPalette" setting (beside the program unless absolute) when it
// reads whole.
void reloadFitsPalette(Workbench& wb);

// The palette to draw with, reloaded when colour drawing was switched since.
const std::vector<uint32_t>& fitsPalette(Workbench& wb);

} // namespace qm
