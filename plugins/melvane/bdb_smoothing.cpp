#include "plugins/melvane/bdb_smoothing.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace melvane {

namespace {

constexpr double kGaussLevels[20] = {1.0,  0.995, 0.99, 0.98, 0.97, 0.95, 0.92, 0.88, 0.82, 0.75,
                                     0.65, 0.54,  0.42, 0.31, 0.22, 0.14, 0.08, 0.04, 0.02, 0.01};
constexpr double kWeightSteps[10] = {1.0, 0.99, 0.97, 0.89, 0.70, 0.35, 0.11, 0.04, 0.01, 0.0};
constexpr double kNoThreshold = 1e30;
constexpr int kMaxDegree = 15;

// Values and weights outside the range, mirrored about point 0 on the left
// and about n - 1/2 on the right around the edge means; an index still
// outside after mirroring is held to the range.
class Extended {
public:
    Extended(const float* x, const std::vector<double>& q, int n) : x_(x), q_(q), n_(n)
    {
        left_ = (double(x[0]) + x[1] + x[2]) / 3;
        right_ = (double(x[n - 1]) + x[n - 2] + x[n - 3]) / 3;
    }
    void at(long m, double& v, double& w) const
    {
        if (m >= 0 && m < n_) {
            v = x_[m];
            w = q_[static_cast<std::size_t>(m)];
            return;
        }
        const bool low = m < 0;
        const long k = std::clamp<long>(low ? -m : 2L * n_ - 1 - m, 0, n_ - 1);
        v = 2 * (low ? left_ : right_) - x_[k];
        w = q_[static_cast<std::size_t>(k)];
    }

private:
    const float* x_;
    const std::vector<double>& q_;
    long n_;
    double left_, right_;
};

void slidingAverage(const Extended& e, int n, int w, std::vector<double>& p)
{
    const long h = w / 2;
    double sw = 0, sz = 0;
    auto add = [&](long m, double sign) {
        double v, q;
        e.at(m, v, q);
        q = q > 0.001 ? q : 0.001;
        sw += sign * q;
        sz += sign * q * v;
    };
    for (long m = -h + 1; m < w - h; ++m) // the window of i = 0 without its last point
        add(m, 1);
    for (long i = 0; i < n; ++i) {
        add(i + w - h, 1);
        if (i > 0)
            add(i - h, -1);
        if (sw != 0)
            p[static_cast<std::size_t>(i)] = sz / sw;
    }
}

// One half-sweep of the Gauss-like kernel from j in direction dir.
void halfSweep(const Extended& e, long j, int dir, double c, double& wSum, double& zSum)
{
    double budget = 0, weight = 0, sum = 0;
    for (const double g : kGaussLevels) {
        budget += c * g;
        while (weight < budget) {
            double v, q;
            e.at(j, v, q);
            if (q > 1e-5) {
                weight += g * q;
                sum += g * q * v;
            }
            budget -= 0.3 * g * (1 - q);
            j += dir;
        }
    }
    wSum += weight;
    zSum += sum;
}

void gaussLike(const Extended& e, int n, int w, std::vector<double>& p)
{
    const double c = 0.025 * w;
    for (long i = 0; i < n; ++i) {
        double wSum = 0, zSum = 0;
        halfSweep(e, i + 1, 1, c, wSum, zSum);
        halfSweep(e, i, -1, c, wSum, zSum);
        if (wSum != 0)
            p[static_cast<std::size_t>(i)] = zSum / wSum;
    }
}

// Weighted least-squares polynomials around nodes S points apart, blended
// linearly between neighbouring nodes.
class LocalFit {
public:
    LocalFit(const Extended& e, int n, int w, int s, int mode, const std::vector<double>& kernel)
        : e_(e), n_(n), w_(w), s_(s), mode_(mode), kernel_(kernel)
    {
        degree_ = mode >= 3 ? std::max(1, std::min({mode, kMaxDegree, w / 3})) : mode;
    }

    void run(std::vector<double>& p)
    {
        long c = -s_, prev = c;
        cur_ = fit(c);
        for (long i = 0; i < n_; ++i) {
            if (i > c) {
                prev = c;
                prev_ = cur_;
                c += s_;
                cur_ = fit(c);
            }
            double& out = p[static_cast<std::size_t>(i)];
            if (i == c)
                out = value(cur_, i, c);
            else if (i == prev)
                out = value(prev_, i, prev);
            else {
                const double u = double(c - i) / double(c - prev);
                out = u * value(prev_, i, prev) + (1 - u) * value(cur_, i, c);
            }
        }
    }

private:
    // The polynomial of the fit made at node `node`, at point i.
    double value(const std::vector<double>& a, long i, long node) const
    {
        if (mode_ == 1)
            return a[1] * double(i) + a[0];
        if (mode_ == 2)
            return (a[2] * double(i) + a[1]) * double(i) + a[0];
        const double x = double(i - (node - s_)) * 100.0 / n_;
        double y = 0;
        for (const double k : a) // highest power first
            y = y * x + k;
        return y;
    }

    std::vector<double> fit(long c)
    {
        // Line and parabola use the absolute index; higher degrees an
        // abscissa from the previous node, scaled so the range spans 100.
        const int powers = mode_ <= 2 ? 4 : 2 * degree_, rhsPowers = mode_ <= 2 ? 2 : degree_;
        std::vector<double> mom(static_cast<std::size_t>(powers) + 1, 0.0), rhs(static_cast<std::size_t>(rhsPowers) + 1, 0.0);
        const double origin = double(c - s_);
        for (long j = c - w_ + 1; j <= c + w_ - 2; ++j) {
            double v, q;
            e_.at(j, v, q);
            const double wt = kernel_[static_cast<std::size_t>(std::labs(j - c))] * q;
            const double x = mode_ <= 2 ? double(j) : (double(j) - origin) * 100.0 / n_;
            double xp = 1;
            for (int k = 0; k <= powers; ++k) {
                mom[static_cast<std::size_t>(k)] += wt * xp;
                if (k <= rhsPowers)
                    rhs[static_cast<std::size_t>(k)] += wt * v * xp;
                xp *= x;
            }
        }
        if (mode_ == 1) {
            double d = mom[0] * mom[2] - mom[1] * mom[1];
            if (d < 1e-20)
                d = 1e-20;
            return {(mom[2] * rhs[0] - mom[1] * rhs[1]) / d, (mom[0] * rhs[1] - mom[1] * rhs[0]) / d};
        }
        if (mode_ == 2)
            return parabola(mom, rhs);
        const int nu = degree_ + 1;
        std::vector<double> a(static_cast<std::size_t>(nu * nu)), b(static_cast<std::size_t>(nu)), x;
        for (int r = 0; r < nu; ++r) {
            for (int s = 0; s < nu; ++s)
                a[static_cast<std::size_t>(r * nu + s)] = mom[static_cast<std::size_t>(2 * degree_ - r - s)];
            b[static_cast<std::size_t>(r)] = rhs[static_cast<std::size_t>(degree_ - r)];
        }
        if (!eliminate(a, b, nu, x) && !cur_.empty())
            return cur_; // the node keeps the previous node's polynomial
        return x;
    }

    // The 3x3 normal equations solved by Cramer's rule: a0, a1, a2.
    static std::vector<double> parabola(const std::vector<double>& m, const std::vector<double>& r)
    {
        auto det3 = [](double a, double b, double c, double d, double e, double f, double g, double h, double i) {
            return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
        };
        double d = det3(m[0], m[1], m[2], m[1], m[2], m[3], m[2], m[3], m[4]);
        if (d < 1e-20)
            d = 1e-20;
        return {det3(r[0], m[1], m[2], r[1], m[2], m[3], r[2], m[3], m[4]) / d,
                det3(m[0], r[0], m[2], m[1], r[1], m[3], m[2], r[2], m[4]) / d,
                det3(m[0], m[1], r[0], m[1], m[2], r[1], m[2], m[3], r[2]) / d};
    }

    const Extended& e_;
    long n_;
    long w_, s_;
    int mode_, degree_;
    const std::vector<double>& kernel_;
    std::vector<double> cur_, prev_;
};

void updateWeights(const float* x, int n, const std::vector<double>& p, double up, double down, double& mean,
                   std::vector<double>& q)
{
    up = std::max(up, 1e-20);
    down = std::max(down, 1e-20);
    if (mean == 0) {
        double s = 0;
        for (int i = 0; i < n; ++i)
            s += p[static_cast<std::size_t>(i)];
        mean = s / n;
    }
    for (int i = 0; i < n; ++i) {
        const double pi = p[static_cast<std::size_t>(i)], d = x[i] - pi;
        const double ratio = mean != 0 ? pi / mean : 0;
        const double t = ratio > 0 ? std::sqrt(ratio) : 1;
        double u = 0;
        if (std::fabs(d) >= 1e-20)
            u = d < 0 ? -5 * d / (t * down) : 5 * d / (t * up);
        double& out = q[static_cast<std::size_t>(i)];
        if (u < 0.5)
            out = 1;
        else if (u < 9) {
            const int k = static_cast<int>(u);
            out = kWeightSteps[k] + (u - k) * (kWeightSteps[k + 1] - kWeightSteps[k]);
        } else
            out = 0; // NaN deviations land here too
    }
}

} // namespace

double noiseEstimate(const float* x, int n)
{
    if (n < 4)
        return 0;
    double s = 0;
    for (int i = 1; i <= n - 2; ++i) {
        const double d = x[i] - (double(x[i - 1]) + x[i + 1]) / 2;
        s += d * d;
    }
    return std::sqrt(s / (n - 3));
}

bool eliminate(std::vector<double>& a, std::vector<double>& b, int nu, std::vector<double>& x)
{
    auto A = [&](int r, int c) -> double& { return a[static_cast<std::size_t>(r * nu + c)]; };
    auto B = [&](int r) -> double& { return b[static_cast<std::size_t>(r)]; };
    bool ok = true;
    for (int i = 0; i < nu - 1; ++i) {
        int k = i;
        while (k < nu && !(std::fabs(A(k, i)) > 1e-100))
            ++k;
        if (k == nu) {
            for (int r = i; r < nu; ++r)
                A(r, r) += 1e-99;
            ok = false;
        } else if (std::fabs(A(i, i)) < 1e-100) {
            for (int c = i; c < nu; ++c)
                A(i, c) += A(k, c);
            B(i) += B(k);
        }
        for (int r = i; r < nu; ++r) {
            const double d = A(r, i);
            if (!(std::fabs(d) > 1e-100))
                continue;
            for (int c = i; c < nu; ++c)
                A(r, c) /= d;
            B(r) /= d;
        }
        for (int r = i + 1; r < nu; ++r) {
            if (!(std::fabs(A(r, i)) > 1e-100))
                continue;
            for (int c = i; c < nu; ++c)
                A(r, c) -= A(i, c);
            B(r) -= B(i);
        }
    }
    x.assign(static_cast<std::size_t>(nu), 0.0);
    if (A(nu - 1, nu - 1) != 0)
        x[static_cast<std::size_t>(nu - 1)] = B(nu - 1) / A(nu - 1, nu - 1);
    for (int i = nu - 2; i >= 0; --i) {
        double s = B(i);
        for (int k = i + 1; k < nu; ++k)
            s -= A(i, k) * x[static_cast<std::size_t>(k)];
        x[static_cast<std::size_t>(i)] = s;
    }
    return ok;
}

bool bdbSmooth(const float* x, int n, const BdbParams& prm, BdbState& st, std::vector<double>& p)
{
    // Fewer than 4 points have no edge means, and without a window or a
    // pass there is no smoothed value: the range stays as it is.
    const int w = std::min(prm.window, n); // mirrors reach no further than the range
    if (n < 4 || w <= 0 || prm.iterations == 0)
        return false;
    try {
        std::vector<double> q(static_cast<std::size_t>(n) + 2, 1.0);
        p.assign(static_cast<std::size_t>(n) + 2, 0.0);
        const double up = prm.side == Side::Absorption ? kNoThreshold : prm.level;
        const double down = prm.side == Side::Emission ? kNoThreshold : prm.level;
        if (prm.mode >= 1 && static_cast<int>(st.kernel.size()) != w) {
            st.kernel.assign(static_cast<std::size_t>(w), 0.0);
            for (int m = 0; m < w; ++m)
                st.kernel[static_cast<std::size_t>(m)] = std::exp(-std::pow(3.0 * m / w, 2));
        }
        const int s = std::max(1, std::min(prm.nodeStep, w / 2));
        const Extended e(x, q, n);
        for (unsigned it = 0; it < prm.iterations; ++it) {
            if (prm.mode < 0)
                slidingAverage(e, n, w, p);
            else if (prm.mode == 0)
                gaussLike(e, n, w, p);
            else
                LocalFit(e, n, w, s, prm.mode, st.kernel).run(p);
            updateWeights(x, n, p, up, down, st.meanLevel, q);
        }
        return true;
    } catch (const std::bad_alloc&) {
        st.kernel.clear();
        return false;
    }
}

bool quickMedian(const float* x, int n, int h, std::vector<double>& p)
{
    if (h < 0 || n <= 0 || n < 3 * (h / 2))
        return false;
    // NaN sorts above every number, so the window keeps a strict order.
    const auto less = [](float a, float b) { return std::isnan(a) ? false : std::isnan(b) || a < b; };
    auto e = [&](long m) { return x[std::clamp<long>(m - h, 0, n - 1)]; };
    try {
        std::vector<float> win(static_cast<std::size_t>(2 * h + 1));
        for (long m = 0; m <= 2L * h; ++m)
            win[static_cast<std::size_t>(m)] = e(m);
        std::sort(win.begin(), win.end(), less);
        p.assign(static_cast<std::size_t>(n) + 2, 0.0);
        p[0] = win[static_cast<std::size_t>(h)];
        for (long i = 1; i < n; ++i) {
            const float leaving = e(i - 1), entering = e(i + 2L * h);
            win.erase(std::upper_bound(win.begin(), win.end(), leaving, less) - 1);
            win.insert(std::lower_bound(win.begin(), win.end(), entering, less), entering);
            p[static_cast<std::size_t>(i)] = win[static_cast<std::size_t>(h)];
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace melvane
