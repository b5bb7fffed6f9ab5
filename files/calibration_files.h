#pragma once
// Text tables the calibrations and corrections read: the monthly whole-Sun
// flux tables of the patrol service, the noise-generator table
// "noisegen.cal", the log correction file and correction data files. Every
// reader takes a byte source (a file or memory), keeps lines to a fixed
// length and refuses what does not hold its numbers.
#include <optional>
#include <string>
#include <vector>

namespace qm {

class ByteSource;

// One month of daily fluxes: "%s %f…" (a label and 4 or 5 frequencies in
// MHz), two ignored lines, then "%d %f…" per day in sfu. A day line holding
// fewer numbers than the header is kept as incomplete.
struct FluxMonthTable {
    struct Day {
        int day = 0;
        std::vector<double> flux; // one per frequency; empty when incomplete
    };
    std::vector<double> frequencies; // MHz
    std::vector<Day> days;           // in file order
};
inline constexpr int kMaxFluxDayLines = 62;

// nullopt when the header does not give 4 or 5 frequencies.
std::optional<FluxMonthTable> readFluxMonth(ByteSource& in);
std::optional<FluxMonthTable> readFluxMonthFile(const std::string& path);

// The month table files around an observation on year/month (1..12):
// "<folder>/<year>/<Mon>.<year-1900>" and the following month's
// "<folder>/<year>/<Mon+1>.e<year-1900>" (December: "<year+1>/Jan.e<year-1899>").
std::string fluxMonthPath(const std::string& folder, int year, int month);
std::string fluxNextMonthPath(const std::string& folder, int year, int month);

// "noisegen.cal": " %.5f %.3f %.3f\r\n" per frequency (GHz, T of channel
// I(R), T of channel V(L)). Rows are read with up to nine numbers; a row
// needs three; at most kMaxNoiseRows rows are kept.
struct NoiseGenRow {
    float frequency = 0, tI = 0, tV = 0;
};
inline constexpr int kMaxNoiseRows = 1000;
std::vector<NoiseGenRow> readNoiseGen(ByteSource& in);
std::optional<std::vector<NoiseGenRow>> readNoiseGenFile(const std::string& path);
// The row of a frequency rounded to five decimals, as the file holds it.
const NoiseGenRow* findNoiseGen(const std::vector<NoiseGenRow>& rows, float frequency);
std::string noiseGenLine(float frequency, double tI, double tV);

// Log correction file: a heading line, then "%f %f %f" (GHz, k_R, k_L).
struct LogCorrectionRow {
    float frequency = 0, kR = 0, kL = 0;
};
std::vector<LogCorrectionRow> readLogCorrection(ByteSource& in);
std::optional<std::vector<LogCorrectionRow>> readLogCorrectionFile(const std::string& path);

// Correction data file: "%f %f" (GHz, value) in ascending frequency; only
// lines with two numbers count, at most kMaxCorrectionRows of them.
struct CorrectionRow {
    float frequency = 0, value = 0;
};
inline constexpr int kMaxCorrectionRows = 256;
std::vector<CorrectionRow> readCorrectionData(ByteSource& in);
std::optional<std::vector<CorrectionRow>> readCorrectionDataFile(const std::string& path);
// Linear interpolation between the first row j >= 1 whose frequency is at
// least f and row j - 1; nullopt above the last row or with fewer than two rows.
std::optional<double> interpolateCorrection(const std::vector<CorrectionRow>& rows, double f);

} // namespace qm
