#include "analysis/local_graph_table.h"

#include "app/scan_record.h"
#include "app/workbench.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace qm {

namespace {

// Up to three numbers separated by single characters ("%lf%c%lf%c%lf");
// returns how many numbers were read.
int readTriple(const char* field, std::size_t size, double v[3])
{
    const std::string text(field, strnlen(field, size));
    char c1 = 0, c2 = 0;
    v[0] = v[1] = v[2] = 0;
    const int got = std::sscanf(text.c_str(), "%lf%c%lf%c%lf", &v[0], &c1, &v[1], &c2, &v[2]);
    if (got <= 0)
        return 0;
    return got >= 5 ? 3 : got >= 3 ? 2 : 1;
}

constexpr int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

} // namespace

double dayNumber1980(const char* dateObs, const char* timeObs)
{
    constexpr std::size_t kField = sizeof(ScanRecord::dateObs);
    double d[3];
    if (!dateObs || readTriple(dateObs, kField, d) < 3)
        return 0;
    double year = d[0], day = d[2];
    if (d[2] > 31) {
        year = d[2];
        day = d[0];
    }
    const double month = d[1];
    if (!std::isfinite(year) || !std::isfinite(day) || !(month >= 1 && month < 13) || std::fabs(year) > 1e6)
        return 0;
    const int years = static_cast<int>(year - 1980);
    const int m = static_cast<int>(month);
    double days = 365.0 * (year - 1980) + years / 4 + kDaysBeforeMonth[m - 1] + day;
    if (years % 4 == 0 && m > 2)
        days += 1;
    double t[3];
    if (timeObs && readTriple(timeObs, sizeof(ScanRecord::timeObs), t) > 0)
        days += (t[0] + t[1] / 60 + t[2] / 3600) / 24;
    return std::isfinite(days) && days > 0 ? days : 0;
}

double localGraphX(const Workbench& wb, const ScanRecord& scan)
{
    constexpr int kTitleFreq = 1; // "Freq" of "Setting view of picture"
    if (wb.view.titleParts & kTitleFreq)
        return scan.frequency;
    return dayNumber1980(scan.dateObs, scan.timeObs);
}

void offerLocalGraph(Workbench& wb, LocalGraphTable table)
{
    if (wb.view.localGraph && wb.localGraphHook)
        wb.localGraphHook(wb, table);
}

} // namespace qm
