#pragma once
// A workbench with the analysis commands, and scans for the analysis tests.
#include "analysis/analysis_commands.h"
#include "analysis/scan_text.h"
#include "tests/proc/proc_bench.h"

#include <cmath>
#include <string>
#include <vector>

namespace qm::test {

struct AnalysisBench : Bench {
    AnalysisBench() { registerAnalysisCommands(wb.commands()); }
    void select(bool wrkI, bool wrkV)
    {
        wb.chkWrkI = wrkI;
        wb.chkWrkV = wrkV;
    }
    // The selected part [begin, end) of the shown range.
    void span(int begin, int end)
    {
        wb.viewBegin = begin;
        wb.viewEnd = end;
    }
    // Runs a command interactively, answering the number prompt when given;
    // the report window of the previous run has been closed.
    void run(int id, std::optional<std::string> answer = std::nullopt)
    {
        ui.reportOpen = false;
        if (answer)
            ui.textAnswers.push_back(std::move(answer));
        wb.dispatch(id);
    }
    // The text of the last report window, or "" when none was opened.
    std::string lastReport() const { return ui.reports.empty() ? std::string() : ui.reports.back().text; }
};

// A calibrated scan whose worksheets hold the given curves (channel V
// absent when `v` is empty).
inline std::unique_ptr<ScanRecord> curveScan(float frequency, const std::vector<float>& i,
                                             const std::vector<float>& v = {}, const char* date = "2004/05/01",
                                             const char* time = "05:00:00")
{
    auto s = makeScan(frequency, date, time, static_cast<int>(i.size()), true, !v.empty());
    std::copy(i.begin(), i.end(), s->wrkI());
    if (!v.empty())
        std::copy(v.begin(), v.end(), s->wrkV());
    s->calibWrk = 1;
    return s;
}

// Noise from second differences written as a mean of squared half second
// differences, sqrt(sum (2x[i] - x[i-1] - x[i+1])^2 / 4 / (m - 3)).
inline double referenceSigma(const std::vector<float>& x, int b, int m)
{
    double s = 0;
    for (int i = b + 1; i < b + m - 1; ++i) {
        const double d2 = 2.0 * x[std::size_t(i)] - x[std::size_t(i - 1)] - x[std::size_t(i + 1)];
        s += d2 * d2 / 4;
    }
    return std::sqrt(s / (m - 3));
}

} // namespace qm::test
