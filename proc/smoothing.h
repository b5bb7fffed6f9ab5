#pragma once
// Gaussian and running-median smoothing of the selected part of the
// switched-on worksheets (Scan > Smooth: "Gauss" 110, "Median" 109).
#include <optional>
#include <vector>

namespace qm {

class Workbench;

// Window N in points for a width W in X units, or in beam units when W is
// negative: N = trunc(w) + 1 with w = W / step or -W * beamHalfsize / step,
// at most n / 2 and never below 0. nullopt when the step is 0 or w is not a
// number.
std::optional<int> smoothingWindow(float width, float beamHalfsize, float step, int n);

// Gaussian kernel g[0..M] for a window of N points: the weight falls to one
// half at N/2 points, the weights are normalised so that g[0] + 2*sum g[1..M]
// is 1, and g[0] is then halved because the convolution counts the centre
// twice. Empty for N < 2.
std::vector<double> gaussKernel(int n);

// The same kernel for a real half width h (in points, h > 0): M =
// trunc(sqrt(2) / (0.548662 / h)) + 1 and g[i] = 10^-(i*sqrt(2)/M)^2. At most
// `maxTerms` + 1 weights are kept (a beam wider than the curve is cut off,
// keeping its shape) before the normalisation. Empty when h is not positive
// and finite or maxTerms < 1.
std::vector<double> gaussKernelOfHalfWidth(double h, int maxTerms);

// Gaussian convolution of the worksheet x of n points over the selection
// b..e (from point b, or 1 when b is 0, for e - b points), with the ends
// extended by odd reflection about their end levels. Leaves x unchanged and
// returns false when the kernel does not fit (b + M > n - 2 or e - M < 1)
// or the selection is empty.
bool gaussSmooth(float* x, int n, int b, int e, const std::vector<double>& g);

// Running median over 2N+1 points of the stretch s..e-1 (s = b, or 1 when b
// is 0), the stretch padded at each end with its end value. Leaves x
// unchanged and returns false unless 1 <= N and 3*(N/2) <= e - s.
bool medianSmooth(float* x, int n, int b, int e, int halfWidth);

// The commands: window prompt, targets, progress with Abort, status lines.
void gaussSmoothing(Workbench& wb);
void medianSmoothing(Workbench& wb);

} // namespace qm
