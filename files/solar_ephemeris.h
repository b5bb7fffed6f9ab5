#pragma once
// Low-precision solar ephemeris of a calendar date (0 h): the position angle
// of the solar axis, the heliographic latitude of the disk centre, the
// apparent semi-diameter and the apparent right ascension and declination.
namespace qm {

struct SolarEphemeris {
    double p = 0;            // position angle P of the rotation axis, degrees
    double b0 = 0;           // latitude B0 of the disk centre, degrees
    double semiDiameter = 0; // arc seconds
    double ra = 0;           // right ascension, degrees 0..360
    double dec = 0;          // declination, degrees
};

SolarEphemeris solarEphemeris(int year, int month, int day);

} // namespace qm
