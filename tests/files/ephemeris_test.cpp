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
    {1999, 11, 5, 23.87368, 4.00988, 967.711, 219.67564, -15.47062},
    {2008, 1, 1, 2.35362, -2.94921, 975.954, 280.79906, -23.06909},
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

} // namespace
} // namespace qm
