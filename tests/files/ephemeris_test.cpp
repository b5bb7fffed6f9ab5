// The solar ephemeris against an independent computation.
#include "files/solar_ephemeris.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace qm {
namespace {

// Reference values at 0 h TT, computed once with astropy 5.2.1 and erfa from
// Debian 12 (python3-astropy):
//   s = get_sun(Time(date, scale="tt"))             # apparent, geocentric
//   m = erfa.pnm06a(t.jd1, t.jd2)                   # to the true equator of date
//   v = m @ s.cartesian.xyz; pole = m @ unit(ra 286.13 deg, dec 63.87 deg)  (IAU solar pole)
//   P  = atan2(pole . east, pole . north) at v;  B0 = -asin(pole . unit(v))
//   semi-diameter = asin(696000 km / |v|) (the radius the formula's 959.63" at 1 AU implies)
//   right ascension, declination of v.
struct Reference {
    int y, m, d;
    double p, b0, semi, ra, dec;
};
constexpr Reference kReference[] = {
    {1987, 6, 21, -7.43544, 1.69037, 944.289, 89.03801, 23.44032},
    {1994, 3, 20, -25.13265, -7.05136, 963.683, 359.22202, -0.33741},
    {1999, 11, 5, 23.87368, 4.00988, 967.711, 219.67564, -15.47062},
    {2003, 10, 28, 25.16952, 4.81346, 965.669, 211.89439, -12.90289},
    {2008, 1, 1, 2.35362, -2.94921, 975.954, 280.79906, -23.06909},
    {2012, 9, 15, 24.10116, 7.20353, 954.250, 173.16637, 2.95249},
    {2019, 12, 21, 7.59580, -1.60002, 975.466, 268.68897, -23.43053},
};

TEST(SolarEphemeris, AgreesWithAnIndependentEphemeris)
{
    // The series agrees to a few thousandths of a degree and a few
    // hundredths of an arc second over these years.
    for (const Reference& r : kReference) {
        SCOPED_TRACE(std::to_string(r.y) + "-" + std::to_string(r.m) + "-" + std::to_string(r.d));
        const SolarEphemeris e = solarEphemeris(r.y, r.m, r.d);
        EXPECT_NEAR(e.p, r.p, 0.006);
        EXPECT_NEAR(e.b0, r.b0, 0.006);
        EXPECT_NEAR(e.semiDiameter, r.semi, 0.05);
        EXPECT_NEAR(std::remainder(e.ra - r.ra, 360.0), 0, 0.003);
        EXPECT_NEAR(e.dec, r.dec, 0.003);
        EXPECT_GE(e.ra, 0);
        EXPECT_LT(e.ra, 360);
    }
}

TEST(SolarEphemeris, FollowsTheYearAndStaysFiniteOnOddDates)
{
    // P is extreme near early April (-26.3) and early October (+26.3), B0
    // near early March (-7.25) and early September (+7.25); perihelion in
    // early January gives the largest disk.
    EXPECT_NEAR(solarEphemeris(2001, 4, 6).p, -26.3, 0.1);
    EXPECT_NEAR(solarEphemeris(2001, 10, 10).p, 26.3, 0.1);
    EXPECT_NEAR(solarEphemeris(2001, 3, 6).b0, -7.25, 0.05);
    EXPECT_NEAR(solarEphemeris(2001, 9, 8).b0, 7.25, 0.05);
    EXPECT_GT(solarEphemeris(2001, 1, 4).semiDiameter, solarEphemeris(2001, 7, 4).semiDiameter + 30);
    // Impossible calendar dates run through the formulas as they stand.
    for (const auto& d : {std::array<int, 3>{2004, 13, 40}, std::array<int, 3>{0, 0, 0},
                          std::array<int, 3>{-4000, 2, 30}, std::array<int, 3>{99999, 1, 1}}) {
        const SolarEphemeris e = solarEphemeris(d[0], d[1], d[2]);
        EXPECT_TRUE(std::isfinite(e.p) && std::isfinite(e.b0) && std::isfinite(e.semiDiameter) &&
                    std::isfinite(e.ra) && std::isfinite(e.dec));
    }
}

} // namespace
} // namespace qm
