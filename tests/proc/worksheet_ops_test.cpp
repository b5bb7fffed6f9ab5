#include "tests/proc/proc_bench.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;
using namespace qm::test;

namespace {

// Four alike scans of 30 points, 1 ... 4 GHz; the first is active.
void loadFour(ProcBench& b) { b.loadAlike({1, 2, 3, 4}, 30); }

} // namespace

TEST(WorksheetCommands, PreconditionsStopBeforeAnything)
{
    ProcBench b;
    loadFour(b);
    const auto before = allWorksheets(b);
    b.select(true, true, false, false);
    for (int id : {114, 113, 121, 119, 120, 129, 173, 137, 131, 130, 146, 168, 167, 156, 115, 150, 132, 109, 110}) {
        SCOPED_TRACE(id);
        b.wb.dispatch(id);
        ASSERT_EQ(b.ui.messages.size(), 1u);
        EXPECT_EQ(b.ui.messages[0].icon, MsgIcon::Information);
        EXPECT_EQ(b.ui.messages[0].buttons, MsgButtons::Ok);
        b.expectMessage("WORKSHEET is not checked");
    }
    EXPECT_TRUE(b.ui.prompts.empty());
    EXPECT_EQ(allWorksheets(b), before);

    // The copies need each Data switch equal to its Worksheet switch.
    b.select(true, true, true, false);
    for (int id : {114, 113, 121}) {
        b.wb.dispatch(id);
        b.expectMessage("Must to check Data and Wrksh (I or V)");
    }
    // Polarization needs both worksheets and silently does nothing otherwise.
    b.wb.dispatch(130);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_TRUE(b.ui.prompts.empty());

    // Batch: no box at all; an operation with a number runs on no worksheet.
    b.select(true, true, false, false);
    b.runBatch(119, 5);
    b.runBatch(137, 0);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(allWorksheets(b), before);
}

TEST(WorksheetCommands, CopiesBetweenDataAndWorksheetWithFlags)
{
    ProcBench b;
    loadFour(b);
    ScanRecord& s = b.active();
    const auto wI = noise(30, 10), wV = noise(30, 11);
    setWrk(s, 1, wI);
    setWrk(s, 2, wV);
    const auto dI = dataOf(s, 1), dV = dataOf(s, 2);
    s.calibWrk = 1;
    s.fluxWrk = 1;
    s.flagIvWrk = 1;

    // Data--Wrksh on channel 1 only; channel 2 untouched.
    b.select(true, false, true, false);
    b.wb.dispatch(121);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(s.wrkI()[i], dI[i] - wI[i]) << i;
    EXPECT_EQ(wrkOf(s, 2), wV);
    EXPECT_EQ(s.calibWrk, 1);

    // Wrksh->Data asks first; Cancel keeps the data.
    b.select(true, true, true, true);
    setWrk(s, 1, wI);
    b.ui.boxAnswers = {kCancel};
    b.wb.dispatch(113);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].buttons, MsgButtons::OkCancel);
    b.expectMessage("Do You want to copy Worksheet to Data?", "Attention");
    EXPECT_EQ(dataOf(s, 1), dI);
    b.wb.dispatch(113);
    EXPECT_EQ(dataOf(s, 1), wI);
    EXPECT_EQ(dataOf(s, 2), wV);
    EXPECT_EQ(s.calibData, 1);
    EXPECT_EQ(s.fluxData, 1);
    EXPECT_EQ(s.flagIvData, 1);

    // Data->Wrksh copies back and the worksheet flags follow the data's.
    setWrk(s, 1, std::vector<float>(30, 0.0f));
    s.calibData = 0;
    s.fluxData = 0;
    s.flagIvData = 0;
    b.wb.dispatch(114);
    EXPECT_EQ(wrkOf(s, 1), wI);
    EXPECT_EQ(s.calibWrk, 0);
    EXPECT_EQ(s.fluxWrk, 0);
    EXPECT_EQ(s.flagIvWrk, 0);
    // Only the active scan changed.
    EXPECT_EQ(dataOf(*b.wb.scans.at(1), 1), dI);
}

TEST(WorksheetCommands, AllModeConfirmationGroupAndProgress)
{
    ProcBench b;
    loadFour(b);
    b.wb.allMode = true;
    b.wb.groupScans = {b.wb.scans.at(2), b.wb.scans.at(1)};
    b.wb.setGroupView(3); // switches both worksheets on
    ASSERT_TRUE(b.wb.chkWrkI && b.wb.chkWrkV);
    const auto before = allWorksheets(b);

    b.ui.boxAnswers = {kCancel};
    b.run(119, "2");
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(b.ui.messages[0].icon, MsgIcon::Warning);
    b.expectMessage("Do You want to work with ALL data?", "Attention");
    EXPECT_TRUE(b.ui.prompts.empty());
    EXPECT_EQ(allWorksheets(b), before);
    b.ui.textAnswers.clear();

    b.run(119, "2");
    EXPECT_EQ(b.ui.prompts, std::vector<std::string>{"Wrk[i]=Wrk[i]+"});
    ASSERT_FALSE(b.ui.progressTitles.empty());
    EXPECT_EQ(b.ui.progressTitles.back(), "Scan modification");
    EXPECT_EQ(b.ui.progressSteps, 2);
    const auto after = allWorksheets(b);
    for (int s = 0; s < 4; ++s) {
        const bool inGroup = s == 1 || s == 2;
        for (int ch = 0; ch < 2; ++ch) {
            const auto& w = after[static_cast<std::size_t>(2 * s + ch)];
            const auto& w0 = before[static_cast<std::size_t>(2 * s + ch)];
            for (int i = 0; i < 30; ++i) {
                const bool changed = inGroup && i >= 1 && i < 28; // [viewBegin, viewEnd)
                EXPECT_EQ(w[i], changed ? w0[i] + 2 : w0[i]) << s << ' ' << ch << ' ' << i;
            }
        }
    }

    // Without the group view every scan is a target; no question when the
    // confirmation is off.
    b.wb.setGroupView(0);
    b.wb.view.confirmAll = false;
    b.ui.messages.clear();
    b.run(120, "-1");
    EXPECT_TRUE(b.ui.messages.empty()) << b.ui.messages[0].text;
    EXPECT_EQ(b.ui.progressSteps, 4);
    for (const auto& s : b.wb.scans)
        EXPECT_EQ(s->wrkV()[5], s.get() == b.wb.scans.at(1) || s.get() == b.wb.scans.at(2) ? -107.0f : -105.0f);
}

TEST(WorksheetCommands, BatchAsksNothingAndTakesTheFirstArgument)
{
    ProcBench b;
    loadFour(b);
    b.select(true, true, true, true);
    b.wb.allMode = true; // confirmation is on, yet batch runs never ask
    b.runBatch(119, 5);
    b.runBatch(120, 2);
    b.runBatch(173, 1);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_TRUE(b.ui.prompts.empty());
    EXPECT_TRUE(b.ui.progressTitles.empty());
    for (const auto& s : b.wb.scans) {
        EXPECT_EQ(s->wrkI()[0], 100.0f);
        EXPECT_EQ(s->wrkI()[1], 212.0f);
        EXPECT_EQ(s->wrkV()[27], 264.0f);
        EXPECT_EQ(s->wrkV()[28], 128.0f);
    }
    // Delete in batch needs no answer either (ONE mode only).
    b.wb.allMode = false;
    b.runBatch(123, 0);
    EXPECT_EQ(b.wb.scans.count(), 3);
    EXPECT_TRUE(b.ui.messages.empty());
}

TEST(WorksheetCommands, BadAnswersAndRangesChangeNothing)
{
    ProcBench b;
    loadFour(b);
    b.select(true, true, true, true);
    const auto before = allWorksheets(b);
    const std::vector<std::optional<std::string>> junk{std::nullopt, "", "abc", "1e99", "-1e99", "nan", "inf"};
    for (int id : {119, 120, 173, 130, 156, 115})
        for (const auto& a : junk)
            b.run(id, a);
    for (const char* a : {"0", "26", "-26", "1e30", "-1e30", "3e9"})
        b.run(115, a);
    for (const char* a : {"4", "-1", "1e20", "3.9e9"})
        b.run(156, a);
    for (float a : {0.0f, 26.0f, -26.0f, 1e30f, -3e9f, INFINITY, NAN}) {
        b.runBatch(115, a);
        b.runBatch(156, a == 0.0f ? 9.0f : a);
    }
    b.runBatch(119, INFINITY);
    b.runBatch(120, NAN);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(allWorksheets(b), before);

    // Empty and reversed selections change nothing.
    for (auto [vb, ve] : {std::pair{9, 9}, {12, 4}}) {
        b.show(vb, ve);
        for (int id : {129, 150, 137, 168, 167})
            b.wb.dispatch(id);
        for (int id : {119, 120, 173})
            b.run(id, "-3");
    }
    EXPECT_EQ(allWorksheets(b), before);

    // A shown range beyond the scan is bounded to it.
    b.show(-40, 4000);
    b.run(119, "1");
    b.wb.dispatch(129);
    EXPECT_EQ(b.active().wrkI()[0], 101.0f);
    EXPECT_EQ(b.active().wrkI()[29], 130.0f);
    EXPECT_FLOAT_EQ(b.active().wrkI()[15], 116.0f);
}

TEST(WorksheetCommands, ArithmeticDeriveAndMirrorsOnTheSelectedPart)
{
    ProcBench b;
    loadFour(b);
    ScanRecord& s = b.active();
    b.select(true, true, true, false);
    const auto x0 = noise(30, 20);
    setWrk(s, 1, x0);

    b.wb.dispatch(112); // full scan: b = 0, e = n - 1
    ASSERT_EQ(b.wb.viewBegin, 0);
    ASSERT_EQ(b.wb.viewEnd, 29);
    b.run(119, "2.5");
    b.run(120, "-2");
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(s.wrkI()[i], i < 29 ? (x0[i] + 2.5f) * -2.0f : x0[i]) << i;
    EXPECT_EQ(wrkOf(s, 2), dataOf(s, 2)); // channel 2 switched off

    setWrk(s, 1, x0);
    b.show(3, 20);
    b.wb.dispatch(137);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(s.wrkI()[i], i >= 3 && i < 20 ? std::fabs(x0[i]) : x0[i]) << i;

    setWrk(s, 1, x0);
    b.run(173, "1.9"); // truncated to 1: points <= 0 become 0
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(s.wrkI()[i], i >= 3 && i < 20 && x0[i] <= 0 ? 0.0f : x0[i]) << i;

    // Derive only where the Data switch is on too.
    b.select(false, true, true, true);
    setWrk(s, 1, x0);
    setWrk(s, 2, x0);
    b.wb.dispatch(131);
    EXPECT_EQ(wrkOf(s, 1), x0);
    EXPECT_NE(wrkOf(s, 2), x0);
    EXPECT_EQ(s.wrkV()[7], x0[7]);

    // The mirror commands take the centre from the scan.
    b.select(true, true, false, true);
    s.centerPoint = 15.0f; // C = 30: mirror of [18, 24) is [6, 12)
    setWrk(s, 2, x0);
    b.show(18, 24);
    b.wb.dispatch(167);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(s.wrkV()[i], i >= 6 && i < 12 ? x0[30 - i] : x0[i]) << i;
    setWrk(s, 2, x0);
    b.wb.dispatch(168);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(s.wrkV()[i], i >= 18 && i < 24 ? std::min(x0[i], x0[30 - i]) : x0[i]) << i;
}

TEST(WorksheetCommands, FluxNullLevelTailPolarizationAndGauss)
{
    ProcBench b;
    loadFour(b);
    ScanRecord& s = b.active();
    b.select(true, true, true, false); // Ta=>Flux ignores the switches
    s.fluxCoef = 3;
    b.wb.dispatch(146);
    b.wb.dispatch(146);
    EXPECT_EQ(s.wrkI()[4], 312.0f);
    EXPECT_EQ(s.wrkV()[4], 312.0f);
    EXPECT_EQ(s.fluxWrk, 1);

    const auto y = noise(30, 21);
    setWrk(s, 1, y);
    b.run(156, "0.7"); // mode 0
    double z = 0;
    for (int i = 1; i <= 10; ++i)
        z += y[i] + static_cast<double>(y[29 - i]);
    for (int i = 0; i < 30; ++i)
        EXPECT_NEAR(s.wrkI()[i], y[i] - 0.05 * z, 1e-4) << i;

    std::vector<float> t(30);
    for (int i = 0; i < 30; ++i)
        t[i] = static_cast<float>(i);
    setWrk(s, 1, t);
    b.run(115, "-4.8"); // N = -4: points 0..3 take (x3 + x4 + x5) / 3
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s.wrkI()[i], 4.0f) << i;

    b.select(true, true, true, true);
    std::vector<float> in(30, 10.0f), v(30, 2.0f);
    in[3] = 0.5f;
    setWrk(s, 1, in);
    setWrk(s, 2, v);
    b.run(130, "1");
    EXPECT_EQ(wrkOf(s, 1), in);
    EXPECT_EQ(s.wrkV()[3], 0.0f);
    EXPECT_FLOAT_EQ(s.wrkV()[4], 20.0f);
    EXPECT_EQ(b.ui.prompts.back(), "Input level of noise:");

    s.gauss.assign(65, 1.0f);
    b.wb.dispatch(132);
    EXPECT_TRUE(s.gauss.empty());
    EXPECT_EQ(s.gaussTable(), nullptr);
}
