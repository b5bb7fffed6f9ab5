// The two smoothing filters. Both work on blocks of neighbouring outputs
// held in vector registers; each filter is compiled for the 128-bit
// registers every x86-64 processor has and for AVX2 and AVX-512, and the
// widest the processor offers is used. (Vectors wider than the registers
// would be taken apart lane by lane, which is why the width is chosen here
// and not left to target clones.) This file is compiled without contraction
// of multiply and add into one rounding, so every processor gives the same
// bits.
#include "proc/smoothing.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

namespace qm {

namespace {

// Selection bounds on a scan of n points: b from 0, e at most n - 1.
void boundSelection(int n, int& b, int& e)
{
    b = std::max(b, 0);
    e = std::min(e, n - 1);
}

enum class VectorWidth { Sse, Avx2, Avx512 };

VectorWidth vectorWidth()
{
    static const VectorWidth width = __builtin_cpu_supports("avx512f") ? VectorWidth::Avx512
                                     : __builtin_cpu_supports("avx2")  ? VectorWidth::Avx2
                                                                       : VectorWidth::Sse;
    return width;
}

// The vectors of 128, 256 and 512 bits.
using Doubles2 = double __attribute__((vector_size(16)));
using Doubles4 = double __attribute__((vector_size(32)));
using Doubles8 = double __attribute__((vector_size(64)));
using Floats4 = float __attribute__((vector_size(16)));
using Floats8 = float __attribute__((vector_size(32)));
using Floats16 = float __attribute__((vector_size(64)));
template <class V> constexpr int lanes = int(sizeof(V) / sizeof(V{}[0]));

// ---- Gaussian convolution

// Vectors of outputs summed together: their sums stay in registers while
// the kernel runs over them, in independent chains of additions.
constexpr int kGaussVectors = 8;
constexpr int kGaussMaxBlock = kGaussVectors * lanes<Doubles8>;

template <class V, std::size_t Q>
__attribute__((always_inline)) inline void addTerm(V (&sum)[kGaussVectors], const double* v, int k, double gk)
{
    V before, after;
    std::memcpy(&before, v + int(Q) * lanes<V> - k, sizeof(V));
    std::memcpy(&after, v + int(Q) * lanes<V> + k, sizeof(V));
    sum[Q] += (before + after) * gk;
}

template <class V, std::size_t... Q>
__attribute__((always_inline)) inline void addTerms(V (&sum)[kGaussVectors], const double* v, int k, double gk,
                                                    std::index_sequence<Q...>)
{
    (addTerm<V, Q>(sum, v, k, gk), ...);
}

// out[t] = sum over k = 0..m, in that order, of (v[t - k] + v[t + k]) * g[k]
// for t < kGaussVectors * lanes<V>.
template <class V>
__attribute__((always_inline)) inline void convolveBlock(const double* v, const double* g, int m, float* out)
{
    V sum[kGaussVectors] = {};
    for (int k = 0; k <= m; ++k)
        addTerms<V>(sum, v, k, g[k], std::make_index_sequence<kGaussVectors>{});
    for (int q = 0; q < kGaussVectors; ++q)
        for (int t = 0; t < lanes<V>; ++t)
            out[q * lanes<V> + t] = static_cast<float>(sum[q][t]);
}

// Outputs 0..len-1 of the convolution of v (readable from -m to
// len + m + kGaussMaxBlock) with the folded kernel g[0..m].
template <class V>
__attribute__((always_inline)) inline void convolveWith(const double* v, int len, const double* g, int m, float* out)
{
    constexpr int block = kGaussVectors * lanes<V>;
    int j = 0;
    for (; j + block <= len; j += block)
        convolveBlock<V>(v + j, g, m, out + j);
    if (j < len) {
        float tail[block];
        convolveBlock<V>(v + j, g, m, tail);
        std::copy(tail, tail + (len - j), out + j);
    }
}

__attribute__((target("avx512f"))) void convolveAvx512(const double* v, int len, const double* g, int m, float* out)
{
    convolveWith<Doubles8>(v, len, g, m, out);
}

__attribute__((target("avx2"))) void convolveAvx2(const double* v, int len, const double* g, int m, float* out)
{
    convolveWith<Doubles4>(v, len, g, m, out);
}

void convolve(const double* v, int len, const double* g, int m, float* out)
{
    switch (vectorWidth()) {
    case VectorWidth::Avx512: return convolveAvx512(v, len, g, m, out);
    case VectorWidth::Avx2: return convolveAvx2(v, len, g, m, out);
    case VectorWidth::Sse: return convolveWith<Doubles2>(v, len, g, m, out);
    }
}

// ---- Running median

// One compare-exchange of a sorting network: the smaller value to `lo`, the
// larger to `hi`, each computed only when a later step uses it.
struct Exchange {
    int lo = 0, hi = 0;
    bool keepLo = false, keepHi = false;
};

// Networks sort up to 32 values: windows of up to 31 points.
constexpr int kNetworkMaxWidth = 32;
constexpr int kNetworkMaxHalf = (kNetworkMaxWidth - 1) / 2;

struct MedianNetwork {
    std::array<Exchange, 192> steps{};
    int count = 0;
};

// The exchanges that bring the middle one of `size` values to position
// size / 2: Batcher's odd-even merge sort of the next power of two, without
// the exchanges that touch positions past `size` (those would hold +inf and
// never move) or whose results never reach the middle.
constexpr MedianNetwork medianNetwork(int size)
{
    int width = 1;
    while (width < size)
        width *= 2;
    MedianNetwork all;
    for (int p = 1; p < width; p += p)
        for (int k = p; k >= 1; k /= 2)
            for (int j = k % p; j + k < width; j += 2 * k)
                for (int i = 0; i < std::min(k, width - j - k); ++i)
                    if ((i + j) / (2 * p) == (i + j + k) / (2 * p) && i + j + k < size)
                        all.steps[static_cast<std::size_t>(all.count++)] = {i + j, i + j + k};
    std::array<bool, kNetworkMaxWidth> needed{};
    needed[static_cast<std::size_t>(size / 2)] = true;
    for (int c = all.count - 1; c >= 0; --c) {
        Exchange& x = all.steps[static_cast<std::size_t>(c)];
        x.keepLo = needed[static_cast<std::size_t>(x.lo)];
        x.keepHi = needed[static_cast<std::size_t>(x.hi)];
        if (x.keepLo || x.keepHi)
            needed[static_cast<std::size_t>(x.lo)] = needed[static_cast<std::size_t>(x.hi)] = true;
    }
    MedianNetwork used;
    for (int c = 0; c < all.count; ++c)
        if (all.steps[static_cast<std::size_t>(c)].keepLo || all.steps[static_cast<std::size_t>(c)].keepHi)
            used.steps[static_cast<std::size_t>(used.count++)] = all.steps[static_cast<std::size_t>(c)];
    return used;
}

// Windows whose medians are taken together, one per vector lane.
constexpr int kMedianMaxLanes = 16;

template <int S> struct Network {
    static constexpr MedianNetwork net = medianNetwork(S);
};

template <Exchange X, int S, class V> __attribute__((always_inline)) inline void exchange(V (&v)[S])
{
    const V a = v[X.lo], b = v[X.hi];
    if constexpr (X.keepLo)
        v[X.lo] = a < b ? a : b; // one minimum instruction
    if constexpr (X.keepHi)
        v[X.hi] = b < a ? a : b; // one maximum instruction
}

template <int S, class V, std::size_t... I>
__attribute__((always_inline)) inline void exchanges(V (&v)[S], std::index_sequence<I...>)
{
    (exchange<Network<S>::net.steps[I], S>(v), ...);
}

// out[j] = the median of in[j .. j + S - 1] for j < len rounded up to a
// whole vector; in is readable up to len + S - 1 + kMedianMaxLanes.
template <int S, class V> __attribute__((always_inline)) inline void medianRun(const float* in, int len, float* out)
{
    for (int j = 0; j < len; j += lanes<V>) {
        V v[S];
        for (int i = 0; i < S; ++i)
            std::memcpy(&v[i], in + j + i, sizeof(V));
        exchanges<S>(v, std::make_index_sequence<static_cast<std::size_t>(Network<S>::net.count)>{});
        std::memcpy(out + j, &v[S / 2], sizeof(V));
    }
}

template <int S> __attribute__((target("avx512f"))) void medianRunAvx512(const float* in, int len, float* out)
{
    medianRun<S, Floats16>(in, len, out);
}

template <int S> __attribute__((target("avx2"))) void medianRunAvx2(const float* in, int len, float* out)
{
    medianRun<S, Floats8>(in, len, out);
}

template <int S> void networkMedians(const float* in, int len, float* out)
{
    switch (vectorWidth()) {
    case VectorWidth::Avx512: return medianRunAvx512<S>(in, len, out);
    case VectorWidth::Avx2: return medianRunAvx2<S>(in, len, out);
    case VectorWidth::Sse: return medianRun<S, Floats4>(in, len, out);
    }
}

// The same for windows of 2 * half + 1 points, half at most kNetworkMaxHalf.
template <std::size_t... H>
void networkMedians(const float* in, int len, int half, float* out, std::index_sequence<H...>)
{
    ((half == int(H) + 1 && (networkMedians<2 * int(H) + 3>(in, len, out), true)) || ...);
}

// out[j] = the median of in[j + 1 .. j + 2 * half + 1] for j < len, from a
// sorted window over in[0 .. 2 * half] that takes out one value and takes in
// the next before each output.
void slidingMedians(const float* in, int len, int half, float* out)
{
    const std::size_t size = 2 * static_cast<std::size_t>(half) + 1;
    thread_local std::vector<float> window;
    window.assign(in, in + size);
    std::sort(window.begin(), window.end());
    float* w = window.data();
    float* const end = w + size;
    for (int j = 0; j < len; ++j) {
        const float leaving = in[j], entering = in[static_cast<std::size_t>(j) + size];
        // Take out the last element not greater than the leaving value.
        float* at = std::upper_bound(w, end, leaving);
        if (at != w)
            --at;
        std::move(at + 1, end, at);
        // Put the entering value before the first element not smaller.
        float* pos = std::lower_bound(w, end - 1, entering);
        std::move_backward(pos, end - 1, end);
        *pos = entering;
        out[j] = w[half];
    }
}

} // namespace

bool gaussSmooth(float* x, int n, int b, int e, const std::vector<double>& g)
{
    if (!x || g.size() < 2)
        return false;
    const int m = static_cast<int>(g.size()) - 1;
    boundSelection(n, b, e);
    const int len = e - b;
    if (len < 1 || b + m > n - 2 || e - m < 1)
        return false;
    const int s = b == 0 ? 1 : b;
    // buf[m + pos] holds position pos = -m ... len + m relative to s, then
    // earlier values (or zeros) for the last block's unused outputs.
    // Reflected values are rounded to float like the points themselves.
    thread_local std::vector<double> buffer;
    buffer.resize(static_cast<std::size_t>(len + 2 * m + 1 + kGaussMaxBlock));
    double* buf = buffer.data();
    const double levelL = 2.0 * (double(x[b == 0 ? s : s - 1]) + x[s] + x[s + 1]) / 3;
    for (int k = 0; k <= m; ++k)
        buf[m - k] = b - k >= 0 ? x[s - k] : float(levelL - x[s + k]);
    const int r = s + len; // first point after the stretch
    const double levelR = n - e > 2 ? 2.0 * (double(x[r - 1]) + x[r] + x[r + 1]) / 3
                                    : 2.0 * (2.0 * x[r - 1] + x[r - 2]) / 3;
    for (int k = 0; k <= m; ++k)
        buf[m + len + k] = n - e - k > 1 ? x[r + k] : float(levelR - x[r - 1 - k]);
    std::copy(x + s, x + s + len, buf + m);
    convolve(buf + m, len, g.data(), m, x + s);
    return true;
}

bool medianSmooth(float* x, int n, int b, int e, int halfWidth)
{
    if (!x || halfWidth < 1)
        return false;
    boundSelection(n, b, e);
    const int s = b == 0 ? 1 : b;
    const int len = e - s;
    if (len < 1 || 3 * (halfWidth / 2) > len)
        return false;
    // The stretch with halfWidth + 1 copies of its end values on each side,
    // and more of the last for the last block of windows.
    thread_local std::vector<float> ext;
    ext.assign(static_cast<std::size_t>(len + 2 * halfWidth + 2 + kMedianMaxLanes), x[s + len - 1]);
    std::fill(ext.begin(), ext.begin() + halfWidth + 1, x[s]);
    std::copy(x + s, x + s + len, ext.begin() + halfWidth + 1);
    // Point s + j is the median of ext[j + 1 .. j + 1 + 2 * halfWidth].
    if (halfWidth <= kNetworkMaxHalf) {
        thread_local std::vector<float> out;
        out.resize(static_cast<std::size_t>(len + kMedianMaxLanes));
        networkMedians(ext.data() + 1, len, halfWidth, out.data(), std::make_index_sequence<kNetworkMaxHalf>{});
        std::copy(out.begin(), out.begin() + len, x + s);
    } else
        slidingMedians(ext.data(), len, halfWidth, x + s);
    return true;
}

} // namespace qm
