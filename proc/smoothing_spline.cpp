#include "proc/smoothing_spline.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

struct Knots {
    std::vector<double> x, y;
};

// Finite knots sorted by x (stable), equal abscissae merged at their mean.
Knots prepareKnots(int count, const float* xs, const float* ys)
{
    std::vector<int> order;
    for (int i = 0; i < count; ++i)
        if (std::isfinite(xs[i]) && std::isfinite(ys[i]))
            order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [xs](int a, int b) { return xs[a] < xs[b]; });
    Knots k;
    std::size_t merged = 0; // knots summed into the last entry
    for (int i : order) {
        if (!k.x.empty() && static_cast<double>(xs[i]) == k.x.back()) {
            k.y.back() += ys[i];
            ++merged;
            continue;
        }
        if (merged > 1)
            k.y.back() /= static_cast<double>(merged);
        k.x.push_back(xs[i]);
        k.y.push_back(ys[i]);
        merged = 1;
    }
    if (merged > 1)
        k.y.back() /= static_cast<double>(merged);
    return k;
}

// Solves the symmetric five-band system A c = r in place of r, A given by
// its diagonal d, first off-diagonal e (A[i][i+1]) and second off-diagonal
// f (A[i][i+2]): A = L D L^T by forward elimination, then back
// substitution. False when a pivot vanishes.
bool solveFiveBand(const std::vector<double>& d, const std::vector<double>& e, const std::vector<double>& f,
                   std::vector<double>& r)
{
    const std::size_t n = d.size();
    std::vector<double> piv(n), l1(n, 0.0), l2(n, 0.0); // l1[i] = L[i][i-1], l2[i] = L[i][i-2]
    for (std::size_t i = 0; i < n; ++i) {
        double p = d[i];
        if (i >= 1)
            p -= l1[i] * l1[i] * piv[i - 1];
        if (i >= 2)
            p -= l2[i] * l2[i] * piv[i - 2];
        if (!(std::fabs(p) > 0) || !std::isfinite(p))
            return false;
        piv[i] = p;
        if (i + 1 < n) {
            double s = e[i];
            if (i >= 1)
                s -= l2[i + 1] * l1[i] * piv[i - 1];
            l1[i + 1] = s / p;
        }
        if (i + 2 < n)
            l2[i + 2] = f[i] / p;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (i >= 1)
            r[i] -= l1[i] * r[i - 1];
        if (i >= 2)
            r[i] -= l2[i] * r[i - 2];
    }
    for (std::size_t i = 0; i < n; ++i)
        r[i] /= piv[i];
    for (std::size_t i = n; i-- > 0;) {
        if (i + 1 < n)
            r[i] -= l1[i + 1] * r[i + 1];
        if (i + 2 < n)
            r[i] -= l2[i + 2] * r[i + 2];
    }
    return true;
}

} // namespace

bool SmoothingSpline::fit(int count, double p, const float* xs, const float* ys, bool natural)
{
    x_.clear();
    pieces_.clear();
    if (count < 2 || !xs || !ys || !std::isfinite(p))
        return false;
    const Knots k = prepareKnots(count, xs, ys);
    const int m = static_cast<int>(k.x.size());
    if (m < 2)
        return false;
    const std::vector<double>& x = k.x;
    const std::vector<double>& y = k.y;

    // Interval lengths and their inverses; out-of-range intervals count as
    // absent (length 0, inverse 0), which turns the interior rows into the
    // end rows of the clamped system.
    auto h = [&](int i) { return i >= 0 && i < m - 1 ? x[i + 1] - x[i] : 0.0; };
    auto ih = [&](int i) { return i >= 0 && i < m - 1 ? 1.0 / (x[i + 1] - x[i]) : 0.0; };

    // Second derivatives c[0..m-1]; natural ends keep c[0] = c[m-1] = 0.
    std::vector<double> c(static_cast<std::size_t>(m), 0.0);
    const int lo = natural ? 1 : 0, hi = natural ? m - 2 : m - 1;
    if (hi >= lo) {
        const std::size_t n = static_cast<std::size_t>(hi - lo + 1);
        std::vector<double> d(n), e(n, 0.0), f(n, 0.0), r(n, 0.0);
        for (int i = lo; i <= hi; ++i) {
            const std::size_t row = static_cast<std::size_t>(i - lo);
            const double a = ih(i - 1), b = ih(i);
            d[row] = (h(i - 1) + h(i)) / 3 + p * (a * a + (a + b) * (a + b) + b * b);
            if (i + 1 <= hi)
                e[row] = h(i) / 6 - p * (a + 2 * b + ih(i + 1)) * b;
            if (i + 2 <= hi)
                f[row] = p * b * ih(i + 1);
            if (i > 0 && i < m - 1)
                r[row] = (y[i + 1] - y[i]) * b - (y[i] - y[i - 1]) * a;
        }
        if (!solveFiveBand(d, e, f, r))
            return false;
        for (int i = lo; i <= hi; ++i)
            c[static_cast<std::size_t>(i)] = r[static_cast<std::size_t>(i - lo)];
    }

    // Fitted knot values.
    std::vector<double> a(static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i) {
        const double right = i < m - 1 ? (c[i + 1] - c[i]) * ih(i) : 0.0;
        const double left = i > 0 ? (c[i] - c[i - 1]) * ih(i - 1) : 0.0;
        a[i] = y[i] - p * (right - left);
    }

    std::vector<Piece> pieces;
    pieces.reserve(static_cast<std::size_t>(m - 1));
    for (int i = 0; i < m - 1; ++i) {
        const double len = h(i);
        pieces.push_back({a[i], (a[i + 1] - a[i]) / len - (2 * c[i] + c[i + 1]) * len / 6, c[i] / 2,
                          (c[i + 1] - c[i]) / (6 * len)});
    }
    for (const Piece& q : pieces)
        if (!std::isfinite(q.a) || !std::isfinite(q.b) || !std::isfinite(q.c) || !std::isfinite(q.d))
            return false;
    x_ = x;
    pieces_ = std::move(pieces);
    return true;
}

double SmoothingSpline::evaluate(double t) const
{
    if (pieces_.empty())
        return 0;
    std::size_t i;
    if (!(t > x_.front()))
        i = 0;
    else if (t >= x_.back())
        i = pieces_.size() - 1;
    else
        i = static_cast<std::size_t>(std::upper_bound(x_.begin(), x_.end(), t) - x_.begin()) - 1;
    const Piece& q = pieces_[i];
    const double u = t - x_[i];
    return ((q.d * u + q.c) * u + q.b) * u + q.a;
}

} // namespace qm
