#pragma once
// Scans over float samples that the curves of the plot run through for every
// point: the finite extremes of a stretch, and where a stretch leaves a band
// of values. Four samples are taken at a time in vector registers (plain
// scalar code where the processor has none) and nothing branches on the
// data inside a block, which noisy curves would make unpredictable.
#include <cstring>
#include <limits>

namespace qm {

struct FiniteExtremes {
    float lo = std::numeric_limits<float>::infinity();
    float hi = -std::numeric_limits<float>::infinity();
    bool empty() const { return !(lo <= hi); } // no finite sample
};

namespace detail {

typedef float Lanes __attribute__((vector_size(16)));

inline Lanes loadLanes(const float* p)
{
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline Lanes splat(float v) { return Lanes{v, v, v, v}; }

// v itself where finite, else NaN (inf - inf is NaN); a zero comes out
// positive, which compares equal to either zero. A NaN then compares false
// below, so it never becomes an extreme.
template <class T>
inline T finiteOrNaN(T v)
{
    return v + (v - v);
}

template <class T>
inline void takeSamples(T& lo, T& hi, T v)
{
    const T w = finiteOrNaN(v);
    lo = w < lo ? w : lo;
    hi = w > hi ? w : hi;
}

} // namespace detail

// Extremes of the finite samples of a[0..n). Blocks of four; a last partial
// block is read again from n - 4 (a sample taken twice changes no extreme).
// Long stretches keep four blocks in flight, each a chain of its own.
inline FiniteExtremes finiteExtremes(const float* a, int n)
{
    using namespace detail;
    FiniteExtremes e;
    if (n < 4) {
        for (int k = 0; k < n; ++k)
            takeSamples(e.lo, e.hi, a[k]);
        return e;
    }
    Lanes lo = splat(e.lo), hi = splat(e.hi);
    int k = 0;
    if (n >= 64) {
        Lanes lo1 = lo, hi1 = hi, lo2 = lo, hi2 = hi, lo3 = lo, hi3 = hi;
        for (; k + 16 <= n; k += 16) {
            takeSamples(lo, hi, loadLanes(a + k));
            takeSamples(lo1, hi1, loadLanes(a + k + 4));
            takeSamples(lo2, hi2, loadLanes(a + k + 8));
            takeSamples(lo3, hi3, loadLanes(a + k + 12));
        }
        for (const Lanes& l : {lo1, lo2, lo3})
            lo = l < lo ? l : lo;
        for (const Lanes& h : {hi1, hi2, hi3})
            hi = h > hi ? h : hi;
    }
    for (; k + 4 <= n; k += 4)
        takeSamples(lo, hi, loadLanes(a + k));
    if (k < n)
        takeSamples(lo, hi, loadLanes(a + n - 4));
    // Lanes folded in halves: 2,3 onto 0,1, then 1 onto 0.
    Lanes l = __builtin_shufflevector(lo, lo, 2, 3, 0, 1), h = __builtin_shufflevector(hi, hi, 2, 3, 0, 1);
    lo = l < lo ? l : lo;
    hi = h > hi ? h : hi;
    l = __builtin_shufflevector(lo, lo, 1, 0, 3, 2);
    h = __builtin_shufflevector(hi, hi, 1, 0, 3, 2);
    lo = l < lo ? l : lo;
    hi = h > hi ? h : hi;
    e.lo = lo[0];
    e.hi = hi[0];
    return e;
}

// The first k in [from, to) with a[k] outside [lo, hi] or not a number, else
// `to`. Sixteen samples are tested a step, their verdicts folded into two
// words; the block that fails is looked at again four at a time to find the
// lane.
inline int firstOutside(const float* a, int from, int to, float lo, float hi)
{
    using namespace detail;
    typedef int Verdicts __attribute__((vector_size(16)));
    typedef long long Halves __attribute__((vector_size(16)));
    const Lanes low = splat(lo), high = splat(hi);
    const auto inside = [&](const float* p) -> Verdicts {
        const Lanes v = loadLanes(p);
        return (v >= low) & (v <= high);
    };
    int k = from;
    for (; k + 16 <= to; k += 16) {
        const Halves all = Halves(inside(a + k) & inside(a + k + 4) & inside(a + k + 8) & inside(a + k + 12));
        if ((all[0] & all[1]) != -1)
            break;
    }
    for (; k + 4 <= to; k += 4) {
        const Verdicts in = inside(a + k);
        if (const int out = ((in[0] & 1) | (in[1] & 2) | (in[2] & 4) | (in[3] & 8)) ^ 15) // a bit a lane outside
            return k + __builtin_ctz(unsigned(out));
    }
    while (k < to && a[k] >= lo && a[k] <= hi)
        ++k;
    return k;
}

} // namespace qm
