#pragma once
// The smoothing of the melvane plug-in: the Bdb baseline (a weighted
// smoother iterated with weights that drop for points standing out on the
// penalised side) and the running median. Plain arithmetic on arrays.
#include <cstddef>
#include <vector>

namespace melvane {

enum class Side { Absorption, Emission, Both };

struct BdbParams {
    int mode = 0;            // <0 sliding average, 0 Gauss-like, 1 line, 2 parabola, >=3 polynomial
    int window = 0;          // w, points
    int nodeStep = 0;        // S, points
    unsigned iterations = 0;
    double level = 0;        // deviation threshold (noise level)
    Side side = Side::Both;
};

// The state kept across calls: the mean level of the weight function and
// the fit kernel table (rebuilt when the window changes).
struct BdbState {
    double meanLevel = 0;
    std::vector<double> kernel;
};

// Smooths x (n values) into p. False when nothing may be copied back
// (no pass ran, or memory ran out part-way).
bool bdbSmooth(const float* x, int n, const BdbParams& prm, BdbState& st, std::vector<double>& p);

// Running median of x with half-width h, the ends repeated. False when the
// range is too short for it (n < 3*trunc(h/2)).
bool quickMedian(const float* x, int n, int h, std::vector<double>& p);

// sqrt(sum of squared second differences / (n-3)); 0 below 4 values.
double noiseEstimate(const float* x, int n);

// Solves the N x N system (row-major) by elimination without row exchange;
// false when a column had no usable pivot (the result is then still filled).
bool eliminate(std::vector<double>& a, std::vector<double>& b, int nUnknowns, std::vector<double>& x);

} // namespace melvane
