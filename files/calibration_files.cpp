#include "files/calibration_files.h"

#include "app/text_format.h"
#include "files/card_reader.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace qm {

namespace {

constexpr std::size_t kLineLimit = 255;
constexpr int kMaxTableLines = 100000; // a larger file is not a table of ours

const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool nextLine(ByteSource& in, std::string& line) { return readLine(in, line, kLineLimit, false) != 0; }

// Up to `max` numbers of a line read like "%f %f …": stops at the first
// text that is not a number.
int scanNumbers(const std::string& line, float* v, int max)
{
    const char* p = line.c_str();
    int got = 0;
    while (got < max) {
        int used = 0;
        if (std::sscanf(p, "%f%n", &v[got], &used) != 1)
            break;
        p += used;
        ++got;
    }
    return got;
}

template <class Reader>
auto readFile(const std::string& path, Reader read) -> std::optional<decltype(read(std::declval<ByteSource&>()))>
{
    ByteSource in;
    if (!in.open(path))
        return std::nullopt;
    return read(in);
}

} // namespace

std::optional<FluxMonthTable> readFluxMonth(ByteSource& in)
{
    std::string line;
    if (!nextLine(in, line))
        return std::nullopt;
    char label[kLineLimit + 1];
    int used = 0;
    if (std::sscanf(line.c_str(), "%255s%n", label, &used) != 1)
        return std::nullopt;
    float f[6];
    const int m = scanNumbers(line.substr(static_cast<std::size_t>(used)), f, 6);
    if (m != 4 && m != 5)
        return std::nullopt;
    FluxMonthTable t;
    for (int k = 0; k < m; ++k) {
        if (!std::isfinite(f[k]))
            return std::nullopt;
        t.frequencies.push_back(f[k]);
    }
    for (int skip = 0; skip < 2; ++skip)
        if (!nextLine(in, line))
            return t;
    while (static_cast<int>(t.days.size()) < kMaxFluxDayLines && nextLine(in, line)) {
        FluxMonthTable::Day d;
        float v[6];
        if (std::sscanf(line.c_str(), "%d%n", &d.day, &used) == 1 &&
            scanNumbers(line.substr(static_cast<std::size_t>(used)), v, m) == m) {
            bool finite = true;
            for (int k = 0; k < m; ++k)
                finite = finite && std::isfinite(v[k]);
            if (finite)
                d.flux.assign(v, v + m);
        }
        t.days.push_back(std::move(d));
    }
    return t;
}

std::optional<FluxMonthTable> readFluxMonthFile(const std::string& path)
{
    ByteSource in;
    if (!in.open(path))
        return std::nullopt;
    return readFluxMonth(in);
}

std::string fluxMonthPath(const std::string& folder, int year, int month)
{
    const int m = (month - 1 + 12) % 12;
    return (std::filesystem::path(folder) / std::to_string(year) / format("%s.%d", kMonths[m], year - 1900))
        .string();
}

std::string fluxNextMonthPath(const std::string& folder, int year, int month)
{
    if (month >= 12)
        return (std::filesystem::path(folder) / std::to_string(year + 1) / format("Jan.e%d", year - 1899)).string();
    const int m = month < 1 ? 1 : month; // the month index of the following month
    return (std::filesystem::path(folder) / std::to_string(year) / format("%s.e%d", kMonths[m], year - 1900))
        .string();
}

std::vector<NoiseGenRow> readNoiseGen(ByteSource& in)
{
    std::vector<NoiseGenRow> rows;
    std::string line;
    for (int lines = 0; lines < kMaxTableLines && rows.size() < kMaxNoiseRows && nextLine(in, line); ++lines) {
        float v[9];
        if (scanNumbers(line, v, 9) < 3 || !std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2]))
            continue;
        rows.push_back({v[0], v[1], v[2]});
    }
    return rows;
}

std::optional<std::vector<NoiseGenRow>> readNoiseGenFile(const std::string& path)
{
    return readFile(path, [](ByteSource& in) { return readNoiseGen(in); });
}

const NoiseGenRow* findNoiseGen(const std::vector<NoiseGenRow>& rows, float frequency)
{
    float rounded = 0;
    if (!scanFloat(format("%.5f", frequency), rounded))
        return nullptr;
    for (const NoiseGenRow& r : rows)
        if (r.frequency == rounded)
            return &r;
    return nullptr;
}

std::string noiseGenLine(float frequency, double tI, double tV)
{
    return format(" %.5f %.3f %.3f\r\n", frequency, tI, tV);
}

std::vector<LogCorrectionRow> readLogCorrection(ByteSource& in)
{
    std::vector<LogCorrectionRow> rows;
    std::string line;
    if (!nextLine(in, line)) // the heading
        return rows;
    for (int lines = 0; lines < kMaxTableLines && nextLine(in, line); ++lines) {
        float v[3];
        if (scanNumbers(line, v, 3) == 3 && std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]))
            rows.push_back({v[0], v[1], v[2]});
    }
    return rows;
}

std::optional<std::vector<LogCorrectionRow>> readLogCorrectionFile(const std::string& path)
{
    return readFile(path, [](ByteSource& in) { return readLogCorrection(in); });
}

std::vector<CorrectionRow> readCorrectionData(ByteSource& in)
{
    std::vector<CorrectionRow> rows;
    std::string line;
    for (int lines = 0; lines < kMaxTableLines && rows.size() < kMaxCorrectionRows && nextLine(in, line); ++lines) {
        float v[2];
        if (scanNumbers(line, v, 2) == 2 && std::isfinite(v[0]) && std::isfinite(v[1]))
            rows.push_back({v[0], v[1]});
    }
    return rows;
}

std::optional<std::vector<CorrectionRow>> readCorrectionDataFile(const std::string& path)
{
    return readFile(path, [](ByteSource& in) { return readCorrectionData(in); });
}

std::optional<double> interpolateCorrection(const std::vector<CorrectionRow>& rows, double f)
{
    for (std::size_t j = 1; j < rows.size(); ++j) {
        if (rows[j].frequency < f)
            continue;
        const CorrectionRow& a = rows[j - 1];
        const CorrectionRow& b = rows[j];
        if (b.frequency == f)
            return b.value;
        const double span = double(b.frequency) - a.frequency;
        if (span == 0)
            return b.value;
        return a.value + (double(b.value) - a.value) * (f - a.frequency) / span;
    }
    return std::nullopt;
}

} // namespace qm
