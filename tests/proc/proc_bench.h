#pragma once
// A workbench with the worksheet and smoothing commands, and array helpers
// for the processing tests.
#include "proc/calibration.h"
#include "proc/corrections.h"
#include "proc/proc_commands.h"
#include "proc/smoothing_commands.h"
#include "proc/transforms.h"
#include "tests/app/scan_fixture.h"

#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

namespace qm::test {

struct ProcBench : Bench {
    ProcBench()
    {
        registerWorksheetCommands(wb.commands());
        registerSmoothingCommands(wb.commands());
        registerCalibrationCommands(wb.commands());
        registerCorrectionCommands(wb.commands());
        registerTransformCommands(wb.commands());
    }
    ScanRecord& active() { return *wb.activeScan; }
    // Switches: Data I, Data V, Worksheet I, Worksheet V.
    void select(bool dataI, bool dataV, bool wrkI, bool wrkV)
    {
        wb.chkDataI = dataI;
        wb.chkDataV = dataV;
        wb.chkWrkI = wrkI;
        wb.chkWrkV = wrkV;
    }
    // Alike scans of n points observed 2004/05/01 05:00:00, in list order.
    void loadAlike(std::initializer_list<float> frequencies, int n, float step = 1.0f)
    {
        std::vector<std::unique_ptr<ScanRecord>> v;
        for (float f : frequencies)
            v.push_back(makeScan(f, "2004/05/01", "05:00:00", n, true, true, step));
        load(std::move(v));
    }
    // Runs a command interactively with one typed answer to the prompt.
    void run(int id, std::optional<std::string> answer)
    {
        ui.textAnswers.push_back(std::move(answer));
        wb.dispatch(id);
    }
    void runBatch(int id, float arg)
    {
        wb.interactiveMode = false;
        wb.batchArgs = {arg, 0, 0, 0};
        wb.dispatch(id);
        wb.interactiveMode = true;
    }
};

inline void setWrk(ScanRecord& s, int ch, const std::vector<float>& v)
{
    std::copy(v.begin(), v.end(), ch == 1 ? s.wrkI() : s.wrkV());
}

// Worksheets of every scan in list order, channel 1 then channel 2.
inline std::vector<std::vector<float>> allWorksheets(const Bench& b)
{
    std::vector<std::vector<float>> w;
    for (const auto& s : b.wb.scans) {
        w.push_back(wrkOf(*s, 1));
        w.push_back(wrkOf(*s, 2));
    }
    return w;
}

// Reproducible values in [lo, hi).
inline std::vector<float> noise(int n, std::uint32_t seed, float lo = -50, float hi = 50)
{
    std::mt19937 g(seed);
    std::uniform_real_distribution<float> d(lo, hi);
    std::vector<float> v(static_cast<std::size_t>(n));
    for (auto& x : v)
        x = d(g);
    return v;
}

} // namespace qm::test
