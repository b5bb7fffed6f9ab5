#pragma once
// Reference tables beside the program: the per-frequency calibration table
// "sh-fits.cfg" (flux coefficient, quiet-Sun temperature, beam half size and
// the zero temperature of the calibration load) and the quiet-Sun table
// "tab_sun.dat" (whole-disk flux Q and the fraction q seen by the scan).
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace qm {

struct CalibrationRow {
    double fluxCoef = 0;     // Ta[K] -> Jy/arcsec
    int tqSun = 0;           // quiet-Sun brightness temperature, K (truncated)
    double beamHalfsize = 0; // arcsec
    double loadZeroTemp = 0; // zero temperature of the black-body load, K
};

// Rows "%f %f %f %f %f" (frequency in GHz first) in descending frequency,
// lines of at most 127 bytes; lines that do not hold five numbers are passed
// over. The row pair around `frequency` is interpolated linearly. Above the
// first row the first row is used; a frequency equal to the last row's
// gives that row; below it, or without the file, there is no value.
std::optional<CalibrationRow> lookupCalibration(const std::string& folder, double frequency);

// Rows "%f %f %f": wavelength (cm), Q (sfu), q, in ascending wavelength.
// Read once per run by commands that look up many scans.
using SunTable = std::vector<std::array<double, 3>>;
SunTable readSunTable(const std::string& folder);

// Interpolates linearly at `lambda` between the first row whose wavelength is
// at least `lambda` and the row before it (at or below the first row: the
// first row). Returns Q and sets qPrime = q * (960 / radius)^2; returns 0
// (qPrime 0) when the table is empty, ends first, or the radius is not
// positive.
double tab_sun(const SunTable& table, double lambda, double radius, double& qPrime);
double tab_sun(const std::string& folder, double lambda, double radius, double& qPrime);

} // namespace qm
