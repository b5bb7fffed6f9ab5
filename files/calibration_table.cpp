#include "files/calibration_table.h"

#include "files/card_reader.h"

#include <algorithm>
#include <iterator>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace qm {

namespace {

constexpr std::size_t kTableLineLimit = 127;

// Reads the numeric rows of a table one by one; a line that does not hold
// `count` numbers is passed over.
class TableRows {
public:
    TableRows(const std::string& folder, const char* name)
    {
        open_ = in_.open((std::filesystem::path(folder) / name).string());
    }
    bool isOpen() const { return open_; }
    // The next row of `count` (3 or 5) numbers, or false at the end.
    bool next(double* v, int count)
    {
        std::string line;
        while (readLine(in_, line, kTableLineLimit, false) != 0) {
            float f[5];
            const int got = std::sscanf(line.c_str(), count == 5 ? "%f %f %f %f %f" : "%f %f %f", &f[0], &f[1],
                                        &f[2], &f[3], &f[4]);
            if (got != count)
                continue;
            std::copy(f, f + count, v);
            return true;
        }
        return false;
    }

private:
    ByteSource in_;
    bool open_ = false;
};

// out = a + (b - a) * t, element by element.
void interpolate(const double* a, const double* b, double t, double* out, int count)
{
    for (int k = 0; k < count; ++k)
        out[k] = a[k] + (b[k] - a[k]) * t;
}

} // namespace

std::optional<CalibrationRow> lookupCalibration(const std::string& folder, double frequency)
{
    TableRows rows(folder, "sh-fits.cfg");
    if (!rows.isOpen() || !std::isfinite(frequency))
        return std::nullopt;
    double prev[5] = {}, row[5] = {}, v[5] = {};
    bool first = true, found = false;
    while (rows.next(row, 5)) {
        if (row[0] < frequency) {
            // Above the first row there is nothing to interpolate from.
            if (first) {
                std::copy(std::begin(row), std::end(row), v);
            } else {
                const double span = row[0] - prev[0];
                interpolate(prev, row, span != 0 ? (frequency - prev[0]) / span : 1.0, v, 5);
            }
            found = true;
            break;
        }
        std::copy(std::begin(row), std::end(row), prev);
        first = false;
    }
    // The last row itself when the wanted frequency is exactly its own.
    if (!found && !first && prev[0] == frequency) {
        std::copy(std::begin(prev), std::end(prev), v);
        found = true;
    }
    if (!found)
        return std::nullopt;
    CalibrationRow r;
    r.fluxCoef = v[1];
    r.tqSun = static_cast<int>(std::trunc(v[2]));
    r.beamHalfsize = v[3];
    r.loadZeroTemp = v[4];
    return r;
}

SunTable readSunTable(const std::string& folder)
{
    SunTable table;
    TableRows rows(folder, "tab_sun.dat");
    if (!rows.isOpen())
        return table;
    std::array<double, 3> row{};
    while (rows.next(row.data(), 3))
        table.push_back(row);
    return table;
}

double tab_sun(const SunTable& table, double lambda, double radius, double& qPrime)
{
    qPrime = 0;
    if (!(radius > 0) || !std::isfinite(lambda))
        return 0;
    for (std::size_t k = 0; k < table.size(); ++k) {
        const auto& row = table[k];
        if (row[0] < lambda)
            continue;
        double v[3];
        if (k == 0) {
            std::copy(row.begin(), row.end(), v);
        } else {
            const auto& prev = table[k - 1];
            const double span = row[0] - prev[0];
            interpolate(prev.data(), row.data(), span != 0 ? (lambda - prev[0]) / span : 1.0, v, 3);
        }
        qPrime = v[2] * (960.0 / radius) * (960.0 / radius);
        return v[1];
    }
    return 0;
}

double tab_sun(const std::string& folder, double lambda, double radius, double& qPrime)
{
    return tab_sun(readSunTable(folder), lambda, radius, qPrime);
}

} // namespace qm
