#pragma once
// The drift scan the benchmarks work on.
#include <cmath>
#include <random>
#include <vector>

namespace qm::bench {

// n points of a broad solar profile, a narrow source at 0.56 n and noise.
inline std::vector<float> profile(int n, unsigned seed)
{
    std::vector<float> v(static_cast<std::size_t>(n));
    std::mt19937 g(seed);
    std::normal_distribution<float> noise(0, 40);
    for (int i = 0; i < n; ++i) {
        const double u = (i - n / 2.0) / (n / 5.0), s = (i - 0.56 * n) / 60.0;
        v[static_cast<std::size_t>(i)] = static_cast<float>(10000 * std::exp(-u * u) + 3000 * std::exp(-s * s)) + noise(g);
    }
    return v;
}

} // namespace qm::bench
