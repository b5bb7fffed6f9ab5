// Newcomb-type series for the Sun's longitude and distance, with the solar
// axis from Carrington's elements (node K advancing from 1850, inclination
// whose tangent is 0.12722).
#include "files/solar_ephemeris.h"

#include "files/fits_layer.h"

#include <cmath>

namespace qm {

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

double sind(double a) { return std::sin(a * kDeg); }
double cosd(double a) { return std::cos(a * kDeg); }
double tand(double a) { return std::tan(a * kDeg); }

} // namespace

SolarEphemeris solarEphemeris(int year, int month, int day)
{
    // Days from 1900 January 0.5; centuries and years from then.
    const double d = double(TMemFits::modifiedJulianDay(year, month, day)) - 15019.5;
    const double t = d / 36525.0;
    const double y = d / 365.25;

    // Mean anomalies of the Sun, Venus, Mars and Jupiter and the Moon's
    // mean elongation: each rate times T is reduced before the epoch value
    // is added.
    double m = 358.475844 + std::fmod(35999.04975 * t, 360.0);
    double v = 212.603219 + std::fmod(58517.803875 * t, 360.0);
    double a = 319.529425 + std::fmod(19139.8585 * t, 360.0);
    double j = 225.328328 + std::fmod(3034.6920239 * t, 360.0);
    double dm = 350.7376814 + std::fmod(445267.11422 * t, 360.0);

    // True longitude in arc seconds.
    double l = 3600.0 * (279.696678 + std::fmod(36000.768925 * t, 360.0)) + (6910.1 - 17.2 * t) * sind(m) +
               72.3 * sind(2 * m) + 4.8 * cosd(299.1017 + v - m) + 5.5 * cosd(148.3133 + 2 * v - 2 * m) +
               2.5 * cosd(315.9433 + 2 * v - 3 * m) + 1.6 * cosd(345.2533 + 3 * v - 4 * m) +
               1.0 * cosd(318.15 + 3 * v - 5 * m) + 2.0 * cosd(343.8883 + 2 * m - 2 * a) +
               1.8 * cosd(200.4017 - 2 * a + m) + 7.2 * cosd(179.5317 - j + m) + 2.6 * cosd(263.2167 - j) +
               2.7 * cosd(87.145 + 2 * m - 2 * j) + 1.6 * cosd(109.4933 - 2 * j + m) + 6.5 * sind(dm) +
               6.4 * sind(231.19 + 20.2 * t);
    l = std::fmod(l + 2592000.0, 1296000.0);
    const double lambda = l / 3600.0;

    // Nutation in longitude and aberration give the apparent longitude.
    const double omega = 259.183275 - std::fmod(1934.142008 * t, 360.0);
    const double lambdaA = (l - 20.5 - 17.2 * sind(omega)) / 3600.0;
    const double eps = 23.452294 - 0.0130125 * t + (9.2 / 3600.0) * cosd(omega);

    SolarEphemeris e;
    e.ra = std::atan2(cosd(eps) * sind(lambdaA), cosd(lambdaA)) / kDeg;
    if (e.ra < 0)
        e.ra += 360.0;
    e.dec = std::asin(sind(lambdaA) * sind(eps)) / kDeg;

    const double k = 73.666666 + 0.013958333 * (y + 50.0); // node of the solar equator
    const double lambda1 = lambda - 0.005694444;
    e.p = (std::atan(-cosd(lambdaA) * tand(eps)) + std::atan(-0.12722 * cosd(lambda1 - k))) / kDeg;
    e.b0 = std::asin(0.1262 * sind(lambda1 - k)) / kDeg;

    // Radius vector in astronomical units.
    m = std::fmod(358.476 + 35999.0498 * t, 360.0);
    v = std::fmod(212.6 + 58517.8 * t, 360.0);
    a = std::fmod(319.5 + 19139.86 * t, 360.0);
    j = std::fmod(225.3 + 3034.69 * t, 360.0);
    dm = std::fmod(350.7 + 445267.11 * t, 360.0);
    const double r = 1.000141 - (0.016748 - 0.0000418 * t) * cosd(m) - 0.00014 * cosd(2 * m) +
                     0.000016 * cosd(58.3 + 2 * v - 2 * m) + 0.000005 * cosd(209.1 + v - m) +
                     0.000005 * cosd(253.8 - 2 * a + 2 * m) + 0.000016 * cosd(89.5 - j + m) +
                     0.000009 * cosd(357.1 - 2 * j + 2 * m) + 0.000031 * cosd(dm);
    e.semiDiameter = 3600.0 * 0.2665685 / r;
    return e;
}

} // namespace qm
