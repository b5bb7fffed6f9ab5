#pragma once
// Scans and a workbench for the application-core tests.
#include "app/app_commands.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "tests/support/fake_ui.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace qm::test {

// A scan with the given channels; Data and Worksheet hold 100 + point index.
inline std::unique_ptr<ScanRecord> makeScan(float frequency, const char* date = "2004/05/01",
                                            const char* time = "05:00:00", int n = 20, bool withI = true,
                                            bool withV = true, float step = 1.0f)
{
    auto r = std::make_unique<ScanRecord>();
    r->frequency = frequency;
    copyField(r->dateObs, date);
    copyField(r->timeObs, time);
    r->nPoints = static_cast<int16_t>(n);
    r->step = step;
    for (int ch : {1, 2}) {
        if (ch == 1 ? !withI : !withV)
            continue;
        r->allocChannel(ch);
        auto& block = ch == 1 ? r->chanI : r->chanV;
        for (int i = 0; i < n; ++i)
            block[static_cast<std::size_t>(i)] = 100.0f + static_cast<float>(i);
    }
    r->copyDataToWorksheet();
    return r;
}

// A channel's Worksheet or Data array as a whole (1: I, 2: V).
inline std::vector<float> wrkOf(const ScanRecord& s, int ch)
{
    const float* x = ch == 1 ? s.wrkI() : s.wrkV();
    return {x, x + s.nPoints};
}
inline std::vector<float> dataOf(const ScanRecord& s, int ch)
{
    const float* x = ch == 1 ? s.dataI() : s.dataV();
    return {x, x + s.nPoints};
}

// A workbench with the core's own commands, fed through the load path.
struct Bench {
    FakeUi ui;
    MemorySettingsStore store;
    Workbench wb{ui, store, "/opt/quillmar"};

    Bench() { registerAppCommands(wb.commands()); }

    // Links the scans like a reader (each at the head) and runs the post-load steps.
    void load(std::vector<std::unique_ptr<ScanRecord>> scans, const std::string& path = "/data/sun/set.0hd")
    {
        for (auto& s : scans)
            wb.scans.pushHead(std::move(s));
        wb.afterLoad(path);
    }
    void show(int begin, int end)
    {
        wb.viewBegin = begin;
        wb.viewEnd = end;
    }
    // Exactly one box since the last check, with this text and caption;
    // forgets it.
    void expectMessage(const std::string& text, const std::string& caption = "Information")
    {
        ASSERT_EQ(ui.messages.size(), 1u) << text;
        EXPECT_EQ(ui.messages[0].text, text);
        EXPECT_EQ(ui.messages[0].caption, caption);
        ui.messages.clear();
    }
    // Frequencies of the list from the head.
    std::vector<float> order() const
    {
        std::vector<float> f;
        for (const auto& r : wb.scans)
            f.push_back(r->frequency);
        return f;
    }
};

// The four selection flags: Data I, Data V, Worksheet I, Worksheet V.
inline std::array<bool, 4> selection(const Workbench& wb)
{
    return {wb.chkDataI, wb.chkDataV, wb.chkWrkI, wb.chkWrkV};
}

// n points `step`" apart (Data = Worksheet = 100 + index, both channels),
// the disk centre at point `centre` with a radius of `radius`".
inline std::unique_ptr<ScanRecord> solarScan(int n, float step, float centre, float radius)
{
    auto s = makeScan(5.0f, "2004/05/01", "09:00:00", n, true, true, step);
    s->centerPoint = centre;
    s->radius = radius;
    return s;
}

// A painted frame showing the points begin..end.
inline PlotGeometry frameGeometry(int left, int right, int top, int bottom, int begin, int end)
{
    PlotGeometry g;
    g.left = left;
    g.right = right;
    g.top = top;
    g.bottom = bottom;
    g.viewBegin = begin;
    g.viewEnd = end;
    g.pixelsPerPoint = end > begin ? double(right - left) / (end - begin) : 0;
    g.textHeight = 14;
    g.charWidth = 5;
    g.valid = true;
    return g;
}

template <class... T>
std::vector<std::unique_ptr<ScanRecord>> scansOf(T&&... s)
{
    std::vector<std::unique_ptr<ScanRecord>> v;
    (v.push_back(std::forward<T>(s)), ...);
    return v;
}

} // namespace qm::test
