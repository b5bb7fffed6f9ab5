#pragma once
// The fan-beam scan simulation: the image is collapsed vertically with a
// Gaussian vertical beam, smoothed horizontally with a Gaussian horizontal
// beam, levelled and resampled onto each target scan's worksheet.
#include <cstdint>
#include <vector>

namespace qm {

class Workbench;
struct FitsImage;

// Vertical beam width in image rows: (30 / s) / f * V with V = vrtBeam (225
// when not positive), 1 when that is 0; NaN when f gives no width.
double verticalBeamRows(double scale, double frequency, float vrtBeam);

// w(y) = exp(-(cy - y)^2 / (1.4426950 * b^2)) for the rows 0 .. height-1.
std::vector<float> verticalWeights(int height, int cy, double b);

// profiles[k][x] = sum over y of image[y * width + x] * weights[k][y], summed
// in single precision; one profile of `width` values per weight vector.
std::vector<std::vector<float>> collapseImage(const std::vector<float>& image, int width, int height,
                                              const std::vector<std::vector<float>>& weights);

// Levels a profile: with its minimum m and range d (1 when flat), the factor
// tqSun * 0.8 / d (1 when tqSun is 0); (S - m) * factor when `fromMinimum`,
// else S * factor.
void levelProfile(std::vector<float>& s, int16_t tqSun, bool fromMinimum);

// Simulates every target scan from `values` (the normalised image, geometry
// from `image`) into Worksheet I when chkWrkI is on, else Worksheet V, with
// the progress dialog "Scan convolution". Nothing happens when neither
// Worksheet switch is on; a scan without a positive finite frequency or
// without that channel keeps its worksheet.
void convolveScans(Workbench& wb, const FitsImage& image, const std::vector<double>& values);

} // namespace qm
