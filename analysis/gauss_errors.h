#pragma once
// Standard errors of fitted Gaussian components from the linearised least
// squares problem: C = sigma^2 (J^T J)^-1, J the Jacobian of
// sum A_k exp(-(i - c_k)^2 / w_k^2) in (A_k, w_k, c_k) over the fitted
// points. The background subtracted before the fit is taken as exact.
#include "analysis/gauss_fitter.h"

#include <optional>
#include <vector>

namespace qm {

struct GaussSigma {
    double amplitude = 0, width = 0, centre = 0;
    double amplitudeWidth = 0; // covariance of amplitude and width
};

// Noise of a curve from the half second differences over [b, e], counting
// only the triples farther than 2.5 widths from every centre (all triples
// when fewer than 20 such remain): sqrt(sum d^2 / (1.5 N)).
double gaussNoise(const float* x, int b, int e, const std::vector<GaussComponent>& comps);

// Standard deviations (and the amplitude-width covariance) of each
// component for noise sigma over points b..e; nothing when J^T J is
// singular or the input is not finite.
std::optional<std::vector<GaussSigma>> gaussSigmas(const std::vector<GaussComponent>& comps, int b, int e,
                                                   double sigma);

} // namespace qm
