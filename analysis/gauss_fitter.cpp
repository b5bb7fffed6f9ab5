#include "analysis/gauss_fitter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace qm {

namespace {

constexpr double kTiny = 1e-7;       // smallest width, pivot and direction length
constexpr double kExpCut = 10;       // a term whose exponent is -10 or less counts as 0
constexpr double kMinAmplitude = 1e-6;
constexpr double kStartBest = 1.7014117e38;
constexpr int kMaxRounds = 1000;

bool stopped(const std::atomic<bool>* stop) { return stop && stop->load(std::memory_order_relaxed); }

// The fitted points in the rescaled abscissa x_i = x0 + (i - b) * delta.
struct Problem {
    const float* y = nullptr;
    int b = 0, e = 0;
    double x0 = 0, delta = 1;
    double minWidth = 0; // h_b^2

    double x(int i) const { return x0 + (i - b) * delta; }
    // Index range [lo, hi] where a component's exponent is above -10.
    void support(double c, double w, int& lo, int& hi) const
    {
        const double reach = std::sqrt(kExpCut * w) / delta, mid = (c - x0) / delta + b;
        lo = static_cast<int>(std::max<double>(b, std::ceil(mid - reach)));
        hi = static_cast<int>(std::min<double>(e, std::floor(mid + reach)));
    }
    // f(x_i) of every point b..e into f (size e - b + 1).
    void model(const std::vector<double>& p, std::vector<double>& f) const
    {
        f.assign(static_cast<std::size_t>(e - b + 1), 0.0);
        for (std::size_t k = 0; k + 2 < p.size(); k += 3) {
            const double a = p[k], w = std::max(p[k + 1], kTiny), c = p[k + 2];
            int lo, hi;
            support(c, w, lo, hi);
            for (int i = lo; i <= hi; ++i) {
                const double u = x(i) - c, z = u * u / w;
                if (z < kExpCut)
                    f[static_cast<std::size_t>(i - b)] += a * std::exp(-z);
            }
        }
    }
    double residual(const std::vector<double>& p, std::vector<double>& f) const
    {
        model(p, f);
        double s = 0;
        for (int i = b; i <= e; ++i) {
            const double r = y[i] - f[static_cast<std::size_t>(i - b)];
            s += r * r;
        }
        return delta * s;
    }
};

// Index of (i, j), i <= j, in a packed upper triangle of order n.
std::size_t packedIndex(std::size_t n, std::size_t i, std::size_t j) { return i * n - i * (i - 1) / 2 + (j - i); }

// Gradient of S with each component's entries multiplied by its amplitude.
void gradient(const Problem& pr, const std::vector<double>& p, const std::vector<double>& f, std::vector<double>& g)
{
    g.assign(p.size(), 0.0);
    for (std::size_t k = 0; k + 2 < p.size(); k += 3) {
        const double a = p[k], w = std::max(p[k + 1], kTiny), c = p[k + 2];
        int lo, hi;
        pr.support(c, w, lo, hi);
        double s0 = 0, s1 = 0, s2 = 0;
        for (int i = lo; i <= hi; ++i) {
            const double u = pr.x(i) - c, z = u * u / w;
            if (z >= kExpCut)
                continue;
            const double rae = (pr.y[i] - f[static_cast<std::size_t>(i - pr.b)]) * a * std::exp(-z);
            s0 += rae;
            s1 += rae * u;
            s2 += rae * u * u;
        }
        g[k] = -2 * pr.delta * s0;
        g[k + 1] = -2 * pr.delta * (a / (w * w)) * s2;
        g[k + 2] = -4 * pr.delta * (a / w) * s1;
    }
}

// Solves the packed symmetric system by elimination without row exchange
// (which keeps the remaining block symmetric); small pivots become +-1e-7.
void solvePacked(std::vector<double>& m, std::vector<double>& rhs)
{
    const std::size_t n = rhs.size();
    for (std::size_t k = 0; k < n; ++k) {
        double& piv = m[packedIndex(n, k, k)];
        if (std::fabs(piv) < kTiny || !std::isfinite(piv))
            piv = piv < 0 ? -kTiny : kTiny;
        for (std::size_t i = k + 1; i < n; ++i) {
            const double factor = m[packedIndex(n, k, i)] / piv;
            if (factor == 0)
                continue;
            for (std::size_t j = i; j < n; ++j)
                m[packedIndex(n, i, j)] -= factor * m[packedIndex(n, k, j)];
            rhs[i] -= factor * rhs[k];
        }
    }
    for (std::size_t k = n; k-- > 0;) {
        double s = rhs[k];
        for (std::size_t j = k + 1; j < n; ++j)
            s -= m[packedIndex(n, k, j)] * rhs[j];
        rhs[k] = s / m[packedIndex(n, k, k)];
    }
}

// Coefficients of (x - c)^a as a polynomial in x (a <= 2), lowest first.
std::array<double, 3> shifted(double c, int a)
{
    if (a == 0)
        return {1, 0, 0};
    if (a == 1)
        return {-c, 1, 0};
    return {c * c, -2 * c, 1};
}

// Refines all components in place; false when the stop flag ended it.
bool refine(const Problem& pr, std::vector<double>& p, const std::atomic<bool>* stop)
{
    std::vector<double> f, g, m, trial;
    double s = pr.residual(p, f);
    double lambda0 = pr.delta;
    bool fresh = true; // the direction belongs to the current point
    std::vector<double> d;
    for (int round = 0; round < kMaxRounds; ++round) {
        if (stopped(stop))
            return false;
        if (fresh) {
            pr.model(p, f);
            gradient(pr, p, f, g);
            gaussNormalMatrix(p, m);
            d = g;
            solvePacked(m, d);
            double len = 0;
            for (double v : d)
                len += v * v;
            len = std::sqrt(len);
            if (!std::isfinite(len))
                return true;
            if (len >= kTiny)
                for (double& v : d)
                    v /= len;
        }
        bool moved = false;
        for (double lambda = lambda0;; lambda *= 3) {
            if (stopped(stop))
                return false;
            trial = p;
            bool ok = true;
            for (std::size_t j = 0; j < p.size(); ++j)
                trial[j] -= lambda * d[j];
            for (std::size_t k = 0; ok && k + 2 < p.size(); k += 3)
                ok = trial[k] >= kMinAmplitude && trial[k + 1] >= pr.minWidth;
            const double st = ok ? pr.residual(trial, f) : 0;
            if (!ok || !(st < s))
                break;
            p.swap(trial);
            s = st;
            moved = true;
        }
        fresh = moved;
        if (!moved) {
            if (lambda0 <= 0.05 * pr.delta)
                break;
            lambda0 /= 25;
        }
    }
    return true;
}

} // namespace

void gaussNormalMatrix(const std::vector<double>& p, std::vector<double>& packed)
{
    const std::size_t n = p.size() - p.size() % 3, comps = n / 3;
    packed.assign(n * (n + 1) / 2, 0.0);
    for (std::size_t k = 0; k < comps; ++k)
        for (std::size_t l = k; l < comps; ++l) {
            const double ak = p[3 * k], wk = std::max(p[3 * k + 1], kTiny), ck = p[3 * k + 2];
            const double al = p[3 * l], wl = std::max(p[3 * l + 1], kTiny), cl = p[3 * l + 2];
            const double sumW = wk + wl, dc = ck - cl, expo = dc * dc / sumW;
            if (expo >= kExpCut)
                continue;
            const double s = wk * wl / sumW, mu = (ck * wl + cl * wk) / sumW;
            std::array<double, 5> moment;
            moment[0] = std::sqrt(std::numbers::pi * s) * std::exp(-expo);
            moment[1] = mu * moment[0];
            moment[2] = s * moment[0] / 2 + mu * moment[1];
            moment[3] = s * moment[1] + mu * moment[2];
            moment[4] = 1.5 * s * moment[2] + mu * moment[3];
            // d f / d(A, w, c) = E * (1, A (x-c)^2 / w^2, 2A (x-c) / w), each
            // row scaled by the component's amplitude like the gradient.
            const double factorK[3] = {ak, ak * ak / (wk * wk), 2 * ak * ak / wk};
            const double factorL[3] = {al, al * al / (wl * wl), 2 * al * al / wl};
            const int power[3] = {0, 2, 1};
            for (int q = 0; q < 3; ++q)
                for (int r = 0; r < 3; ++r) {
                    const std::size_t row = 3 * k + q, col = 3 * l + r;
                    if (k == l && col < row)
                        continue;
                    const auto pk = shifted(ck, power[q]), pl = shifted(cl, power[r]);
                    double integral = 0;
                    for (int i = 0; i < 3; ++i)
                        for (int j = 0; j < 3; ++j)
                            integral += pk[i] * pl[j] * moment[i + j];
                    packed[packedIndex(n, row, col)] = 2 * factorK[q] * factorL[r] * integral;
                }
        }
}

GaussFitResult fitGaussians(const GaussFitInput& in, const std::atomic<bool>* stop)
{
    GaussFitResult out;
    const int n = static_cast<int>(in.y.size());
    const int b = in.b, e = in.e;
    if (b < 0 || e >= n || e - b < 6 || in.maxComponents < 1)
        return out;
    double peak = in.threshold;
    for (int i = b; i <= e; ++i) {
        if (!std::isfinite(in.y[i]))
            return out; // nothing sensible can be fitted to such a curve
        peak = std::max<double>(peak, in.y[i]);
    }
    if (!(peak > in.threshold) || !std::isfinite(peak)) {
        out.components = in.initial;
        return out;
    }
    Problem pr;
    pr.y = in.y.data();
    pr.b = b;
    pr.e = e;
    const int len = e - b + 1;
    pr.x0 = -0.02 * peak * len;
    pr.delta = -2 * pr.x0 / (len - 1);
    pr.minWidth = in.beamHalfsize * in.beamHalfsize;
    const double maxWidth = std::pow(0.25 * (e - b) * pr.delta, 2);

    std::vector<double> p;
    for (const GaussComponent& c : in.initial) {
        p.push_back(c.amplitude);
        p.push_back(std::max(std::pow(pr.delta * c.width, 2), pr.minWidth));
        p.push_back(pr.x0 + (c.centre - b) * pr.delta);
    }
    std::vector<double> best = p, f;
    double bestS = kStartBest;
    for (int comps = static_cast<int>(in.initial.size()) + 1; comps <= in.maxComponents; ++comps) {
        if (stopped(stop)) {
            out.stopped = true;
            return out;
        }
        // The new component sits at the largest residual, shaped by the
        // least-squares parabola through the five residuals around it.
        pr.model(p, f);
        int at = -1;
        double largest = in.threshold;
        for (int i = b + 2; i <= e - 2; ++i) {
            const double r = in.y[i] - f[static_cast<std::size_t>(i - b)];
            if (r > largest) {
                largest = r;
                at = i;
            }
        }
        if (at < 0)
            break;
        double r[5], mean = 0;
        for (int j = 0; j < 5; ++j) {
            r[j] = in.y[at + j - 2] - f[static_cast<std::size_t>(at + j - 2 - b)];
            mean += r[j] / 5;
        }
        const double slope = (-2 * r[0] - r[1] + r[3] + 2 * r[4]) / 10;
        double q2 = 2 * (2 * r[0] - r[1] - 2 * r[2] - r[3] + 2 * r[4]) / 14;
        if (std::fabs(q2) < kTiny)
            q2 = kTiny;
        const double constant = mean - q2; // mean - 2q
        double shift = 0, amplitude = r[2];
        if (q2 < 0) { // a maximum: its vertex, kept within the five points
            shift = std::clamp(-slope / q2, -2.0, 2.0);
            amplitude = constant + slope * shift + q2 / 2 * shift * shift;
        }
        if (!(amplitude >= in.threshold))
            break;
        const double curvature = q2 / 2 / (pr.delta * pr.delta); // in x units
        const double width = std::clamp(std::fabs(amplitude / curvature), pr.minWidth, std::max(maxWidth, pr.minWidth));
        p.push_back(amplitude);
        p.push_back(width);
        p.push_back(pr.x(at) + shift * pr.delta);
        if (!refine(pr, p, stop)) {
            out.stopped = true;
            return out;
        }
        const double s = pr.residual(p, f);
        if (!(s < bestS))
            break;
        bestS = s;
        best = p;
    }
    for (std::size_t k = 0; k + 2 < best.size(); k += 3)
        out.components.push_back({best[k], std::sqrt(std::max(best[k + 1], 0.0)) / pr.delta, (best[k + 2] - pr.x0) / pr.delta + b});
    std::sort(out.components.begin(), out.components.end(),
              [](const GaussComponent& a, const GaussComponent& c) { return a.centre < c.centre; });
    return out;
}

} // namespace qm
