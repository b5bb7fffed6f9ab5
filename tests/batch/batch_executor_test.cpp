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
    return {number, args, std::move(title), {}};
}

TEST(BatchExecutor, RangeInPointsAndSolarRadii)
{
    BatchBench b;
    b.load(scansOf(makeScan(3.0f, "2005/07/14", "08:30:15", 500)));
    ScanRecord& a = *b.wb.activeScan;
    a.radius = 100;
    a.step = 2;
    a.centerPoint = 250;
    const struct { int number; float from, to; int begin, end; } cases[] = {
        {7, 10, 10, 9, 11},
        {6, -0.5f, 1, 225, 301}, // 100*(-0.5)/2 + 250, 100*1/2 + 250 + 1
        {7, 9000, 1e9f, 499, 499},
    };
    for (const auto& c : cases) {
        executeCommandList(b.wb, {cmd(c.number, {c.from, c.to})}, "", "");
        EXPECT_EQ(b.wb.viewBegin, c.begin) << c.from << " " << c.to;
        EXPECT_EQ(b.wb.viewEnd, c.end) << c.from << " " << c.to;
    }
}

TEST(BatchExecutor, SelectionsAndConditionalCommands)
{
    BatchBench b;
    b.record({110, 109});
    b.load(scansOf(makeScan(3.0f), makeScan(5.0f), makeScan(7.5f)));
    // A conditional command before any selection or after a failed one is skipped.
    executeCommandList(b.wb, {cmd(-110), cmd(8, {9.0f}), cmd(-110), cmd(109)}, "", "");
    EXPECT_EQ(b.seen, (std::vector<std::pair<int, std::string>>{{109, ""}}));
    EXPECT_EQ(b.wb.activeScan->frequency, 3.0f); // nothing found: the active scan stays

    b.seen.clear();
    executeCommandList(b.wb, {cmd(8, {5.0f}), cmd(-110, {}, "a"), cmd(19, {6.0f}), cmd(-109, {}, "b")}, "", "");
    EXPECT_EQ(b.seen, (std::vector<std::pair<int, std::string>>{{110, "a"}, {109, "b"}}));
    EXPECT_EQ(b.wb.activeScan->frequency, 7.5f);

    b.seen.clear(); // the most recent selection decides
    executeCommandList(b.wb, {cmd(19, {4.0f}), cmd(19, {99.0f}), cmd(-110)}, "", "");
    EXPECT_TRUE(b.seen.empty());
}

TEST(BatchExecutor, ArgumentsTitlesAndOutputFiles)
{
    BatchBench b;
    b.record({101, 185, 110, 138});
    b.load(scansOf(makeScan(3.0f, "2005/07/14", "08:30:15")));
    const std::string out = b.wb.settings.output;
    std::array<float, 4> argsSeen{};
    b.wb.commands().handle(120, [&](Workbench& w) { argsSeen = w.batchArgs; });
    executeCommandList(b.wb,
                       {cmd(101), cmd(101, {0, 1}), cmd(101, {}, "w%d.0hd"), cmd(185), cmd(185, {}, "sun_%y_%t.wsf"),
                        cmd(110, {}, "r%d"), cmd(120, {2.5f, 0, 0, 9}), cmd(138, {1}), cmd(138, {2}),
                        cmd(138, {1}, "map_%s.fit")},
                       "p_", "scan_fits");
    const std::vector<std::pair<int, std::string>> expected{
        {101, out + "/p_scan_fits.0hd"}, {101, out + "/p_scan_fits.fit"}, {101, out + "/w1.0hd"},
        {185, out + "/p_scan_fits.wsf"}, {185, out + "/sun_20050714_083015.wsf"}, {110, "r2"},
        {138, out + "/p_scan_fits.fit"}, {138, out + "/p_scan_fits.bmp"}, {138, out + "/map_scan_fits.fit"}};
    EXPECT_EQ(b.seen, expected);
    EXPECT_EQ(argsSeen, (std::array<float, 4>{2.5f, 0, 0, 9}));
    EXPECT_EQ(b.ui.questions(), 0u);
}

} // namespace
} // namespace qm
