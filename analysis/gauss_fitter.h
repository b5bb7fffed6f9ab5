#pragma once
// Decomposition of a curve into Gaussian components: greedy addition at the
// largest residual, then a refinement of all components along the
// normalised Gauss-Newton direction with a growing line search. Plain C++,
// safe to run on a worker thread: it reads only its input and the stop flag.
#include <atomic>
#include <vector>

namespace qm {

// One component A*exp(-(i - centre)^2 / width^2) over point index i: width
// is the e-folding half width in points.
struct GaussComponent {
    double amplitude = 0, width = 0, centre = 0;
};

struct GaussFitInput {
    std::vector<float> y;        // the curve; points b..e (inclusive) are fitted
    int b = 0, e = 0;
    int maxComponents = 1;       // K
    std::vector<GaussComponent> initial; // given components (m0 < K)
    double beamHalfsize = 0;     // h_b; fitted widths stay above it (rescaled units)
    double threshold = 0;        // t: nothing weaker is added
};

struct GaussFitResult {
    std::vector<GaussComponent> components; // sorted by centre
    bool stopped = false;                   // the stop flag ended the fit
};

// Fits up to K components; `stop` (may be null) is read every refinement
// round and every line-search trial. A stopped fit returns no components.
GaussFitResult fitGaussians(const GaussFitInput& in, const std::atomic<bool>* stop = nullptr);

// The working form of the fitter (three values per component: amplitude,
// width parameter w of exp(-(x - c)^2 / w), centre c, in the rescaled
// abscissa) and its Gauss-Newton normal matrix in closed form, stored as a
// packed upper triangle of 3N x 3N (row-major). Exposed for the benchmarks.
void gaussNormalMatrix(const std::vector<double>& params, std::vector<double>& packed);

} // namespace qm
