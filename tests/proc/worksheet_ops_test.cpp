#include "tests/proc/proc_bench.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;
using namespace qm::test;

TEST(WorksheetCommands, ArithmeticAndCopiesOnTheSelectedPart)
{
    ProcBench b;
    b.loadAlike({1, 2, 3, 4}, 30);
    ScanRecord& s = b.active();
    b.select(true, true, true, false);
    const auto x0 = noise(30, 20);
    setWrk(s, 1, x0);
    b.show(3, 20);
    b.run(119, "2.5");
    b.run(120, "-2");
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(s.wrkI()[i], i >= 3 && i < 20 ? (x0[i] + 2.5f) * -2.0f : x0[i]) << i;
    EXPECT_EQ(wrkOf(s, 2), dataOf(s, 2)); // channel 2 switched off

    // Data--Wrksh on channel 1 only.
    setWrk(s, 1, x0);
    const auto dI = dataOf(s, 1);
    b.select(true, false, true, false);
    b.wb.dispatch(121);
    EXPECT_EQ(s.wrkI()[0], dI[0] - x0[0]);
    EXPECT_EQ(s.wrkI()[29], dI[29] - x0[29]);
}

TEST(WorksheetCommands, AllModeWithAGroupChangesOnlyTheGroup)
{
    ProcBench b;
    b.loadAlike({1, 2, 3, 4}, 30);
    b.wb.allMode = true;
    b.wb.groupScans = {b.wb.scans.at(2), b.wb.scans.at(1)};
    b.wb.setGroupView(3); // switches both worksheets on
    const auto before = allWorksheets(b);
    b.ui.boxAnswers = {kCancel};
    b.run(119, "2");
    b.expectMessage("Do You want to work with ALL data?", "Attention");
    EXPECT_EQ(allWorksheets(b), before);
    b.ui.textAnswers.clear();

    b.run(119, "2");
    const auto after = allWorksheets(b);
    for (int sc = 0; sc < 4; ++sc)
        for (int ch = 0; ch < 2; ++ch) {
            const auto k = static_cast<std::size_t>(2 * sc + ch);
            const bool inGroup = sc == 1 || sc == 2;
            EXPECT_EQ(after[k][5], inGroup ? before[k][5] + 2 : before[k][5]) << sc << ' ' << ch;
        }
}

TEST(WorksheetCommands, BatchAsksNothingAndBadAnswersChangeNothing)
{
    ProcBench b;
    b.loadAlike({1, 2, 3, 4}, 30);
    b.select(true, true, true, true);
    const auto before = allWorksheets(b);
    const std::vector<std::optional<std::string>> junk{std::nullopt, "abc", "nan", "1e99"};
    for (const auto& a : junk)
        for (int id : {119, 120, 115, 156})
            b.run(id, a);
    b.runBatch(115, 0); // zero tail
    b.runBatch(120, NAN);
    EXPECT_EQ(allWorksheets(b), before);

    b.wb.allMode = true; // confirmation is on, yet batch runs never ask
    b.ui.prompts.clear();
    b.runBatch(119, 5);
    b.runBatch(120, 2);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_TRUE(b.ui.prompts.empty());
    for (const auto& s : b.wb.scans)
        EXPECT_EQ(s->wrkI()[1], (before[0][1] + 5) * 2);
}
