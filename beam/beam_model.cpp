#include "beam/beam_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>

// The antenna is a circle of reflector elements (radius ra) of which one
// working sector is used; the model works in the horizontal plane, in mm:
//
// * The sector is the arc of radius ra = 288520 at azimuths psi in
//   [-phi0/2, phi0/2] about the meridian. Its elements are moved radially
//   onto the parabola z = -ra + x^2/(2 ra) (vertex (0, -ra), focal length
//   F = ra/2); at 45 degrees the largest move, 0.77 m, stays within the
//   radial travel dr = 995 mm.
// * m = trunc(ra phi0 pi/180 / 2150) elements (2150 mm wide), made odd by
//   adding 1 and held to 33..201; psi_k = (k - (m-1)/2) phi0/m; elements
//   with |psi_k| < hole/2 = 1.1 degrees are blocked by the secondary and
//   left out; x_k = ra sin psi_k, z_k = -ra + x_k^2/(2 ra).
// * The feed sits at (dfx, -ra/2 + dfy); d_k is the distance from element k
//   to the feed; alpha_k = atan2(|x_k - dfx|, z_feed - z_k) in degrees; the
//   amplitude a_k = illumination(alpha_k) * azimuth weight(psi_k) * cos psi_k
//   (tables read by linear interpolation, arguments beyond a table take its
//   end value).
// * Vertical: y_i = (i + 0.5) vSize/nh - vSize/2, i = 0..nh-1; path excess
//   e_ki = y_i sin(dh) + y_i^2/2 (1/d_k - 1/d_0), d_0 the distance from the
//   vertex to the feed.
// * Points: S = (3 wl/D + |dfx|/F) 206264.806 arc seconds, D = 2 ra
//   sin(phi0/2); n = min(2 ceil(S/(q dx)) + 1, 501);
//   theta_j = (j - (n-1)/2) dx q / 206264.806 rad.
// * L_k(theta) = -x_k sin theta - z_k cos theta + d_k - 1.5 ra (zero for
//   every element at the focus and theta = 0: the directrix is at -1.5 ra);
//   E(theta) = sum_k sum_i a_k exp(2 pi i (L_k(theta) + e_ki)/wl) / nh;
//   b_j = |E(theta_j)|^2 / max_j |E(theta_j)|^2.
// * q <= 0, dx <= 0, wl <= 0 or any input not finite: no beam.
//
// The vertical sum does not depend on theta, so it is taken once per
// element; -z cos theta is written as -z + 2 z sin^2(theta/2) so that the
// large constant path cancels exactly before the small angular terms.

namespace qm {

namespace {

constexpr double kLatitude = 43.831;     // degrees
constexpr double kRadius = 288520.0;     // ra, mm
constexpr double kHoleDegrees = 2.2;     // angular size of the central hole
constexpr double kElementWidth = 2150.0; // mm along the circle
constexpr int kMinElements = 33, kMaxElements = 201;
constexpr int kMaxVerticalPoints = 1000;
constexpr double kDeg = std::numbers::pi / 180.0;

// Feed illumination by the angle from the axis, 0..100 degrees in 5.
constexpr std::array<double, 21> kIllumination = {9.99, 9.9, 9.57, 9.01, 8.26, 7.41, 6.57, 5.61, 4.78, 4.0, 3.35,
                                                  2.67, 2.07, 1.59, 1.23, 0.9,  0.6,  0.4,  0.3,  0.1, 0.0};
// Element weight by azimuth, -100..100 degrees in 10.
constexpr std::array<double, 21> kAzimuthWeight = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

template <std::size_t N>
double interpolate(const std::array<double, N>& t, double x, double step, double offset)
{
    const double pos = x / step + offset;
    if (!(pos > 0))
        return t.front();
    if (pos >= static_cast<double>(N - 1))
        return t.back();
    const auto i = static_cast<std::size_t>(pos);
    const double f = pos - static_cast<double>(i);
    return (1 - f) * t[i] + f * t[i + 1];
}

int elementCount(double phi0)
{
    int m = static_cast<int>(kRadius * phi0 * kDeg / kElementWidth);
    if (m % 2 == 0)
        ++m;
    return std::clamp(m, kMinElements, kMaxElements);
}

bool inputsUsable(const BeamInputs& in, double q)
{
    const double all[] = {in.phi0, in.valh, in.wl, in.dfx, in.dfy, in.h, in.dh, in.dx, in.vSize, q};
    for (double v : all)
        if (!std::isfinite(v))
            return false;
    return q > 0 && in.dx > 0 && in.wl > 0 && in.phi0 > 0 && in.phi0 < 180 && in.nh >= 1 &&
           in.nh <= kMaxVerticalPoints;
}

} // namespace

double BeamModel::q() const
{
    const double delta = (in.h - in.dh) + kLatitude - 90;
    return 15 * std::cos(delta * kDeg) * (1 - in.valh / 3600);
}

void BeamModel::compute()
{
    b_.clear();
    const double qv = q();
    if (!inputsUsable(in, qv))
        return;
    const double ra = kRadius, focal = ra / 2;
    const double apertureWidth = 2 * ra * std::sin(in.phi0 / 2 * kDeg);
    const double span = (3 * in.wl / apertureWidth + std::abs(in.dfx) / focal) * kArcSecondsPerRadian;
    const double half = std::ceil(span / (qv * in.dx));
    const int n = half >= (kMaxBeamPoints - 1) / 2 ? kMaxBeamPoints : 2 * static_cast<int>(half) + 1;

    // Elements: position, path constant and the amplitude with its vertical sum.
    const double feedX = in.dfx, feedZ = -focal + in.dfy;
    const double d0 = std::hypot(feedX, feedZ + ra);
    const double k = 2 * std::numbers::pi / in.wl;
    const double sinDh = std::sin(in.dh * kDeg);
    const int m = elementCount(in.phi0);
    std::vector<double> xs, zs, path;
    std::vector<std::complex<double>> weight;
    for (int e = 0; e < m; ++e) {
        const double psi = (e - (m - 1) / 2.0) * in.phi0 / m;
        if (std::abs(psi) < kHoleDegrees / 2)
            continue;
        const double x = ra * std::sin(psi * kDeg);
        const double z = -ra + x * x / (2 * ra);
        const double d = std::hypot(x - feedX, feedZ - z);
        const double alpha = std::atan2(std::abs(x - feedX), feedZ - z) / kDeg;
        const double a = interpolate(kIllumination, alpha, 5.0, 0) * interpolate(kAzimuthWeight, psi, 10.0, 10) *
                         std::cos(psi * kDeg);
        std::complex<double> vertical = 0;
        for (int i = 0; i < in.nh; ++i) {
            const double y = (i + 0.5) * in.vSize / in.nh - in.vSize / 2;
            vertical += std::polar(1.0, k * (y * sinDh + y * y / 2 * (1 / d - 1 / d0)));
        }
        xs.push_back(x);
        zs.push_back(z);
        path.push_back((d - 1.5 * ra) - z);
        weight.push_back(a * vertical / static_cast<double>(in.nh));
    }

    b_.resize(static_cast<std::size_t>(n));
    double peak = 0;
    for (int j = 0; j < n; ++j) {
        const double theta = (j - (n - 1) / 2) * in.dx * qv / kArcSecondsPerRadian;
        const double s = std::sin(theta), c2 = 2 * std::pow(std::sin(theta / 2), 2);
        std::complex<double> sum = 0;
        for (std::size_t e = 0; e < xs.size(); ++e)
            sum += weight[e] * std::polar(1.0, k * (path[e] - xs[e] * s + zs[e] * c2));
        b_[static_cast<std::size_t>(j)] = std::norm(sum);
        peak = std::max(peak, std::norm(sum));
    }
    if (!(peak > 0) || !std::isfinite(peak)) {
        b_.clear();
        return;
    }
    for (double& v : b_)
        v /= peak;
}

int BeamModel::maxIndex() const
{
    if (b_.empty())
        return -1;
    int best = 0;
    for (int j = 1; j < n(); ++j)
        if (b_[static_cast<std::size_t>(j)] > b_[static_cast<std::size_t>(best)])
            best = j;
    return best;
}

HalfPowerEdges BeamModel::halfPowerEdges() const
{
    HalfPowerEdges e;
    const int jmax = maxIndex();
    if (jmax < 0)
        return e;
    const auto at = [this](int j) { return b_[static_cast<std::size_t>(j)]; };
    const double half = at(jmax) / 2;
    const auto cross = [&](int j) { return j - 1 + (half - at(j - 1)) / (at(j) - at(j - 1)); };
    for (int j = 0; j <= jmax; ++j) {
        if (std::abs(half - at(j)) < 1e-11) {
            e.left = j;
            break;
        }
        if (at(j) > half) {
            e.left = j == 0 ? 0 : cross(j);
            break;
        }
    }
    e.right = n() - 1;
    for (int j = jmax + 1; j < n(); ++j) {
        if (std::abs(at(j) - half) < 1e-11) {
            e.right = j;
            break;
        }
        if (at(j) < half) {
            e.right = cross(j);
            break;
        }
    }
    return e;
}

double BeamModel::halfPowerWidth() const
{
    const HalfPowerEdges e = halfPowerEdges();
    return (e.right - e.left) * in.dx;
}

} // namespace qm
