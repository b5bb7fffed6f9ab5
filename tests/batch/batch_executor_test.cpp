// The executor of command lists: internal commands, conditional commands,
// titles and the file names of commands 101 and 185.
#include "batch/batch_executor.h"
#include "tests/batch/batch_fixture.h"

namespace qm {
namespace {

using test::BatchBench;
using test::makeScan;
using test::scansOf;

BatchCommand cmd(int number, std::array<float, 4> args = {}, std::string title = {})
{
    return {number, args, std::move(title)};
}

TEST(BatchExecutor, RangeInPointsAndSolarRadii)
{
    BatchBench b;
    b.load(scansOf(makeScan(3.0f, "2005/07/14", "08:30:15", 500)));
    ScanRecord& a = *b.wb.activeScan;
    a.radius = 100;
    a.step = 2;
    a.centerPoint = 250;
    executeCommandList(b.wb, {cmd(7, {10, 10})}, "", "");
    EXPECT_EQ(b.wb.viewBegin, 9);
    EXPECT_EQ(b.wb.viewEnd, 11);
    executeCommandList(b.wb, {cmd(7, {0, -1})}, "", "");
    EXPECT_EQ(b.wb.viewBegin, 1);
    EXPECT_EQ(b.wb.viewEnd, 499);
    executeCommandList(b.wb, {cmd(7, {20.7f, 300.2f})}, "", "");
    EXPECT_EQ(b.wb.viewBegin, 20);
    EXPECT_EQ(b.wb.viewEnd, 301);
    // b = 100*(-0.5)/2 + 250 = 225, e = 100*1/2 + 250 = 300 -> 301.
    executeCommandList(b.wb, {cmd(6, {-0.5f, 1})}, "", "");
    EXPECT_EQ(b.wb.viewBegin, 225);
    EXPECT_EQ(b.wb.viewEnd, 301);
    // Ranges outside the scan stay inside it, the begin never past the end.
    executeCommandList(b.wb, {cmd(7, {9000, 1e9f})}, "", "");
    EXPECT_EQ(b.wb.viewEnd, 499);
    EXPECT_EQ(b.wb.viewBegin, 499);
    executeCommandList(b.wb, {cmd(7, {-5, -3000})}, "", "");
    EXPECT_EQ(b.wb.viewEnd, 0);
    EXPECT_EQ(b.wb.viewBegin, 0);
    a.step = 0; // no solar-radius range without a step
    executeCommandList(b.wb, {cmd(6, {-0.5f, 1})}, "", "");
    EXPECT_EQ(b.wb.viewEnd, 0);
}

TEST(BatchExecutor, SelectionsAndConditionalCommands)
{
    BatchBench b;
    b.record({110, 109});
    b.load(scansOf(makeScan(3.0f), makeScan(5.0f), makeScan(7.5f)));
    ASSERT_EQ(b.wb.activeScan->frequency, 3.0f);
    // A conditional command before any selection is skipped.
    executeCommandList(b.wb, {cmd(-110), cmd(8, {9.0f}), cmd(-110), cmd(109)}, "", "");
    EXPECT_EQ(b.seen, (std::vector<std::pair<int, std::string>>{{109, ""}}));
    EXPECT_EQ(b.wb.activeScan->frequency, 3.0f); // nothing found: the active scan stays

    b.seen.clear();
    executeCommandList(b.wb, {cmd(8, {5.0f}), cmd(-110, {}, "a"), cmd(19, {6.0f}), cmd(-109, {}, "b")}, "", "");
    EXPECT_EQ(b.seen, (std::vector<std::pair<int, std::string>>{{110, "a"}, {109, "b"}}));
    EXPECT_EQ(b.wb.activeScan->frequency, 7.5f);

    // The most recent selection decides.
    b.seen.clear();
    executeCommandList(b.wb, {cmd(19, {4.0f}), cmd(19, {99.0f}), cmd(-110)}, "", "");
    EXPECT_TRUE(b.seen.empty());
    EXPECT_EQ(b.wb.activeScan->frequency, 5.0f);
}

TEST(BatchExecutor, SwitchesViewOptionsAndSettings)
{
    BatchBench b;
    b.load(scansOf(makeScan(3.0f), makeScan(5.0f), makeScan(7.0f)));
    b.wb.view.confirmAll = true;
    executeCommandList(b.wb,
                       {cmd(1, {1}), cmd(2, {0}), cmd(5, {0}), cmd(9, {1}), cmd(10, {1}), cmd(12, {5.9f}),
                        cmd(13, {0}), cmd(23, {1}), cmd(27, {1}), cmd(20, {-1}), cmd(24, {7}), cmd(25, {0}),
                        cmd(26, {}, "/results"), cmd(22, {2, 4, 8})},
                       "", "");
    Workbench& wb = b.wb;
    EXPECT_TRUE(wb.allMode);
    EXPECT_FALSE(wb.chkDataI);
    EXPECT_TRUE(wb.chkDataV);
    EXPECT_TRUE(wb.chkWrkI); // the executor switches both worksheets on first
    EXPECT_FALSE(wb.chkWrkV);
    EXPECT_TRUE(wb.view.digFrame);
    EXPECT_TRUE(wb.view.equalScale);
    EXPECT_TRUE(wb.isChecked(152));
    EXPECT_EQ(wb.view.titleParts, 5);
    EXPECT_FALSE(wb.view.colour);
    EXPECT_TRUE(wb.view.sunDisk);
    EXPECT_TRUE(wb.view.fitsImage);
    EXPECT_EQ(wb.settings.gaussNoise, 10.0f);
    EXPECT_EQ(wb.settings.minYscaleV, 7.0f);
    EXPECT_EQ(wb.settings.minYscaleI, 100.0f);
    EXPECT_EQ(wb.settings.output, "/results");
    EXPECT_FALSE(wb.view.confirmAll); // off while lists run
    EXPECT_EQ(wb.groupMode, 2);
    EXPECT_EQ(wb.groupCount(), 2);

    executeCommandList(wb, {cmd(17, {0}), cmd(18, {3, 1}, "7 3"), cmd(26, {}, "")}, "", "");
    EXPECT_EQ(wb.groupMode, 3);
    ASSERT_EQ(wb.groupCount(), 2);
    EXPECT_EQ(wb.groupScans[0]->frequency, 3.0f);
    EXPECT_EQ(wb.settings.output, "/results"); // an empty title leaves the folder
    executeCommandList(wb, {cmd(17, {0})}, "", "");
    EXPECT_EQ(wb.groupMode, 0);
    EXPECT_EQ(wb.groupCount(), 0);

    // 21 reads the stored settings again.
    b.store.writeText("GaussNoise", "3.5");
    executeCommandList(wb, {cmd(21)}, "", "");
    EXPECT_EQ(wb.settings.gaussNoise, 3.5f);
    EXPECT_EQ(b.ui.questions(), 0u);
}

TEST(BatchExecutor, ArgumentsTitlesAndOutputFiles)
{
    BatchBench b;
    b.record({101, 185, 110});
    b.load(scansOf(makeScan(3.0f, "2005/07/14", "08:30:15")));
    const std::string out = b.wb.settings.output;
    std::array<float, 4> argsSeen{};
    b.wb.commands().handle(120, [&](Workbench& w) { argsSeen = w.batchArgs; });
    executeCommandList(b.wb,
                       {cmd(101), cmd(101, {0, 1}), cmd(101, {}, "w%d.0hd"), cmd(185), cmd(185, {}, "sun_%y_%t.wsf"),
                        cmd(110, {}, "r%d"), cmd(120, {2.5f, 0, 0, 9})},
                       "p_", "scan_fits");
    const std::vector<std::pair<int, std::string>> expected{
        {101, out + "/p_scan_fits.0hd"}, {101, out + "/p_scan_fits.fit"}, {101, out + "/w1.0hd"},
        {185, out + "/p_scan_fits.wsf"}, {185, out + "/sun_20050714_083015.wsf"}, {110, "r2"}};
    EXPECT_EQ(b.seen, expected);
    EXPECT_EQ(argsSeen, (std::array<float, 4>{2.5f, 0, 0, 9}));
    // The counter goes on in the next run.
    b.seen.clear();
    executeCommandList(b.wb, {cmd(110, {}, "r%d")}, "", "");
    EXPECT_EQ(b.seen.at(0).second, "r3");
    EXPECT_EQ(batchState(b.wb).titleCounter, 3);
    // A long title fills at most the 256-character buffer.
    b.seen.clear();
    b.wb.settings.output = std::string(300, 'o');
    executeCommandList(b.wb, {cmd(101)}, "p", "b");
    EXPECT_EQ(b.seen.at(0).second.size(), kTitleBufferSize - 1);
}

TEST(BatchExecutor, ArgumentIntegers)
{
    EXPECT_EQ(argInt(2.9f), 2);
    EXPECT_EQ(argInt(-2.9f), -2);
    EXPECT_EQ(argInt(1e20f), 2147483647);
    EXPECT_EQ(argInt(-1e20f), -2147483647 - 1);
    EXPECT_EQ(argInt(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(argInt(std::numeric_limits<float>::infinity()), 0);
}

} // namespace
} // namespace qm
