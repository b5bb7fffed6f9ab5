#pragma once
// Smoothed derivative ("Derive"): antisymmetric differences weighted by a
// Gaussian-like taper, D[i] = sum_k (x[i+k] - x[i-k]) * 10^(-(step*k)^2).
// No division by the point step and no normalisation of the weights.
namespace qm {

// The filter with `terms` weights over margin <= i < n - margin; `out`
// (n floats) is written at those points only. Needs margin >= terms; does
// nothing when the scan has no such point.
void derivativeFilter(const float* x, int n, int terms, long double weightStep, int margin, float* out);

// "Derive" in place: six weights, step 0.24, points 8 ... n-9 replaced, the
// first and last 8 points kept; a scan shorter than 25 points is unchanged.
void smoothedDerivative(float* x, int n);

} // namespace qm
