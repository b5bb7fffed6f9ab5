// Whole packet runs over generated files, good and damaged.
#include "batch/packet_run.h"
#include "files/open_scans.h"
#include "tests/batch/batch_fixture.h"

namespace qm {
namespace {

using test::BatchBench;
using test::occurrences;
using test::slurp;
using test::writeScanFile;
using test::writeText;
namespace fs = std::filesystem;

// A clock that advances by the given seconds at every reading.
std::function<double()> steppingClock(std::vector<double> readings)
{
    auto at = std::make_shared<std::size_t>(0);
    return [readings, at] { return readings[std::min((*at)++, readings.size() - 1)]; };
}

struct PacketBench : BatchBench {
    std::string in = home / "in", out = home / "results";
    PacketBench()
    {
        fs::create_directories(in);
        fs::create_directories(out);
    }
    std::string packet(const std::string& init, const std::string& files, const std::string& commands)
    {
        const std::string p = home / "run.pkf";
        writeText(p, "[Init]\r\n" + init + "InDir=" + in + "\r\nOutDir=" + out + "\r\n\r\n[Files]\r\n" + files +
                         "\r\n[Commands]\r\n" + commands);
        return p;
    }
};

TEST(PacketRun, LoadsEachFileRunsTheListAndLogs)
{
    PacketBench b;
    writeScanFile(b.in + "/good.0hd", {3.0f, 5.0f});
    writeScanFile(b.in + "/space.wsf", {7.0f, 9.0f, 11.0f});
    writeText(b.in + "/broken.0hd", "missing.001\t3.000[GHz]\r\n");
    writeText(b.in + "/junk.fits", "SIMPLE  =                    T" + std::string(3000, '\x7f'));
    writeText(b.in + "/empty.0hd", "");
    b.wb.settings.lastDir = "/elsewhere";
    const std::string p = b.packet("AppHide=1\r\nAppExit=0\r\nOutPrefix=p_\r\nOutFile=log.txt\r\n",
                                   "good.0hd\r\nbroken.0hd\r\nspace.wsf\r\njunk.fits\r\nnot-there.0hd\r\nempty.0hd",
                                   "AllMode=1\r\nIVtoRL\r\nSaveWorksheet=0 0 1\r\nSaveWorkspace#ws%d.wsf\r\n"
                                   "Unknown=1\r\n+SaveData\r\n");
    const PacketRun run = runPacketFile(b.wb, p);

    EXPECT_EQ(run.status, PacketStatus::Completed);
    EXPECT_EQ(run.files, 6);
    EXPECT_EQ(run.loaded, 2);
    EXPECT_EQ(run.notLoaded, 4);
    EXPECT_EQ(run.commands, 5);
    EXPECT_FALSE(run.exitRequested);
    EXPECT_EQ(slurp(b.out + "/log.txt"), "good.0hd-OK:)\nbroken.0hd-Bad:(\nspace.wsf-OK:)\njunk.fits-Bad:(\n"
                                         "not-there.0hd-Bad:(\nempty.0hd-Bad:(\n");
    EXPECT_EQ(run.logPath, b.out + "/log.txt");

    // Command 101 without a title: OutPrefix and the base name in OutDir.
    test::BatchBench check;
    check.wb.interactiveMode = false;
    EXPECT_EQ(openScans(check.wb, b.out + "/p_good_0hd.0hd"), 1);
    EXPECT_EQ(check.wb.scans.count(), 2);
    check.wb.closeSet(false);
    EXPECT_EQ(openScans(check.wb, b.out + "/p_space_wsf.0hd"), 1);
    EXPECT_EQ(check.wb.scans.count(), 3);
    check.wb.closeSet(false);
    // Command 185 with a counted title, one workspace per loaded file.
    EXPECT_EQ(loadWorkspace(check.wb, 1, b.out + "/ws1.wsf"), 1);
    EXPECT_EQ(check.wb.scans.count(), 2);
    check.wb.closeSet(false);
    EXPECT_EQ(loadWorkspace(check.wb, 1, b.out + "/ws2.wsf"), 1);
    EXPECT_EQ(check.wb.scans.count(), 3);

    // The report of every loaded file is appended to one file named after
    // its title, each after a line with the input file's name.
    const std::string report = slurp(b.out + "/Normal koef(R-L).dat");
    EXPECT_EQ(report.find("\r\ngood.0hd\r\nFrq\t Date obs.\t Time obs.\tKf(R/L)\t(Kf>1.4)\r\n"), 0u);
    EXPECT_NE(report.find("\r\nspace.wsf\r\nFrq\t"), std::string::npos);
    EXPECT_EQ(occurrences(report, "\t2005/07/14\t08:30:15\t"), 5);

    // The folders replaced the program's own; no question was asked, no
    // redraw happened; the window came back and interactive use resumed.
    EXPECT_EQ(b.wb.settings.output, b.out);
    EXPECT_EQ(b.wb.settings.lastDir.rfind(b.in, 0), 0u);
    EXPECT_EQ(b.ui.questions(), 0u);
    EXPECT_EQ(b.ui.redraws, 0);
    EXPECT_EQ(b.ui.windowShown, (std::vector<bool>{false, true}));
    EXPECT_EQ(b.ui.autosavePeriods, (std::vector<int>{0, kAutosaveAfterPacketMs}));
    EXPECT_TRUE(b.wb.interactiveMode);
    EXPECT_TRUE(b.wb.view.confirmAll);
    EXPECT_FALSE(b.wb.setLoaded);
    EXPECT_FALSE(b.wb.allMode);
    EXPECT_EQ(b.ui.titles.back(), "Quillmar");
    EXPECT_EQ(b.ui.tipEnds, 1);
    EXPECT_EQ(b.ui.tips.front(), kTipInit);
    EXPECT_EQ(b.ui.tips.at(1), kTipBegin);
    EXPECT_EQ(b.wb.currentFileLabel, "");
}

TEST(PacketRun, TipShowsTheTimeLeft)
{
    EXPECT_EQ(packetTip(1, 2, 360), "File 1 form 2:Left  0h 6m0.00s");
    EXPECT_EQ(packetTip(2, 5, 1000), "File 2 form 5:Left  0h25m0.00s");
    EXPECT_EQ(packetTip(3, 100, 3.5), "File 3 form 100:Left  0h 1m53.17s");
    EXPECT_EQ(packetTip(4, 4, 90), "File 4 form 4:Left  0h 0m0.00s");
    EXPECT_EQ(packetTip(1, 30, 7200), "File 1 form 30:Left 58h 0m0.00s");

    PacketBench b;
    writeScanFile(b.in + "/a.0hd", {3.0f});
    writeScanFile(b.in + "/b.0hd", {4.0f});
    // 08:00:00 - 08:06:00 for the first file.
    batchState(b.wb).clockSeconds = steppingClock({28800, 29160, 29200, 29300});
    runPacketFile(b.wb, b.packet("AppExit=0\r\n", "a.0hd\r\nb.0hd", "AllMode=0\r\n"));
    ASSERT_EQ(b.ui.tips.size(), 4u);
    EXPECT_EQ(b.ui.tips[2], "File 1 form 2:Left  0h 6m0.00s");
    EXPECT_EQ(b.ui.tips[3], "File 2 form 2:Left  0h 0m0.00s");
}

TEST(PacketRun, CounterGoesOnAcrossFilesAndRuns)
{
    PacketBench b;
    b.record({110});
    for (const char* f : {"a.0hd", "b.0hd", "c.0hd"})
        writeScanFile(b.in + "/" + f, {3.0f});
    const std::string p = b.packet("AppExit=0\r\n", "a.0hd\r\nb.0hd\r\nc.0hd", "SmoothGauss#res%d\r\n");
    runPacketFile(b.wb, p);
    runPacketFile(b.wb, p);
    std::vector<std::string> titles;
    for (const auto& s : b.seen)
        titles.push_back(s.second);
    EXPECT_EQ(titles, (std::vector<std::string>{"res1", "res2", "res3", "res4", "res5", "res6"}));
}

TEST(PacketRun, MaskExitAndEmptyLists)
{
    PacketBench b;
    writeScanFile(b.in + "/x.0hd", {3.0f});
    writeScanFile(b.in + "/y.0hd", {4.0f});
    writeText(b.in + "/notes.txt", "hello");
    // FileMask overrides [Files]; AppExit asks the program to end with
    // interactive mode still off, so closing asks nothing.
    PacketRun run = runPacketFile(b.wb, b.packet("FileMask=*.0hd\r\n", "ignored.0hd", "Nothing\r\n"));
    EXPECT_EQ(run.files, 2);
    EXPECT_EQ(run.loaded, 2);
    EXPECT_TRUE(run.exitRequested);
    EXPECT_EQ(b.ui.exits, 1);
    EXPECT_FALSE(b.wb.interactiveMode);
    EXPECT_EQ(slurp(b.out + "/PackOut.txt"), "x.0hd-OK:)\ny.0hd-OK:)\n");

    // No command known: nothing is loaded, the log is empty, a loaded set
    // is closed and the run ends as usual.
    PacketBench c;
    c.load(test::scansOf(test::makeScan(3.0f)));
    writeScanFile(c.in + "/x.0hd", {3.0f});
    run = runPacketFile(c.wb, c.packet("AppExit=0\r\n", "x.0hd", "NoSuchCommand=1\r\n"));
    EXPECT_EQ(run.status, PacketStatus::Completed);
    EXPECT_EQ(run.commands, 0);
    EXPECT_EQ(run.loaded, 0);
    EXPECT_EQ(slurp(c.out + "/PackOut.txt"), "");
    EXPECT_FALSE(c.wb.setLoaded);
    EXPECT_TRUE(c.wb.interactiveMode);

    // Without a catalogue nothing is known either.
    PacketBench d;
    fs::remove(d / "CommPack.dat");
    writeScanFile(d.in + "/x.0hd", {3.0f});
    EXPECT_EQ(runPacketFile(d.wb, d.packet("AppExit=0\r\n", "x.0hd", "AllMode=1\r\n")).commands, 0);
}

TEST(PacketRun, BadPacketsNeverBlock)
{
    PacketBench b;
    // An unreadable packet changes nothing.
    b.load(test::scansOf(test::makeScan(3.0f)));
    b.wb.interactiveMode = false;
    PacketRun run = runPacketFile(b.wb, b / "missing.pkf");
    EXPECT_EQ(run.status, PacketStatus::Unreadable);
    EXPECT_TRUE(b.wb.setLoaded);
    EXPECT_EQ(runPacketFile(b.wb, b.home.path().string()).status, PacketStatus::Unreadable);

    // Missing sections, a missing input folder, an output folder that
    // cannot be written, thousands of files and over-long lines.
    std::string files;
    for (int i = 0; i < 3000; ++i)
        files += "f" + std::to_string(i) + ".0hd\r\n";
    const std::string p = b / "bad.pkf";
    writeText(p, "[Init]\r\nAppExit=0\r\nInDir=/nonexistent/in\r\nOutDir=/nonexistent/out\r\n[Files]\r\n" + files +
                     "[Commands]\r\n" + std::string(400, 'x') + "\r\nAllMode=1 2 3 4 5 6\r\n");
    b.wb.interactiveMode = true;
    run = runPacketFile(b.wb, p);
    EXPECT_EQ(run.status, PacketStatus::Completed);
    EXPECT_EQ(run.files, 1000);
    EXPECT_EQ(run.notLoaded, 1000);
    EXPECT_EQ(run.commands, 1);
    EXPECT_EQ(run.logPath, "");
    EXPECT_EQ(b.ui.questions(), 0u);

    writeText(p, "no sections at all\n\x01\x02\x03");
    run = runPacketFile(b.wb, p);
    EXPECT_EQ(run.status, PacketStatus::Completed);
    EXPECT_EQ(run.files, 0);
    EXPECT_TRUE(run.exitRequested); // AppExit defaults to 1
}

TEST(PacketRun, CommandNinetyNineFindsThePacket)
{
    EXPECT_EQ(packetPathFromCommandLine("quillmar -pk \"  my runs/a.pkf\" x"), "my runs/a.pkf");
    EXPECT_EQ(packetPathFromCommandLine("-pk 'b.pkf'"), "b.pkf");
    EXPECT_EQ(packetPathFromCommandLine("-pk   c.pkf d.pkf"), "c.pkf");
    EXPECT_EQ(packetPathFromCommandLine("-pk \"unclosed"), "\"unclosed");
    EXPECT_EQ(packetPathFromCommandLine("-pk"), std::nullopt);
    EXPECT_EQ(packetPathFromCommandLine("scan.0hd"), std::nullopt);
    EXPECT_EQ(packetPathFromCommandLine("-pk " + std::string(300, 'n'))->size(), 254u);

    PacketBench b;
    writeScanFile(b.in + "/a.0hd", {3.0f});
    const std::string p = b.packet("AppExit=0\r\n", "a.0hd", "AllMode=1\r\n");
    // From the command line: the start flag is cleared.
    startPacketFromCommandLine(b.wb, "quillmar -pk '" + p + "'");
    EXPECT_EQ(b.wb.batchArgs[3], 0.0f);
    EXPECT_EQ(slurp(b.out + "/PackOut.txt"), "a.0hd-OK:)\n");
    EXPECT_TRUE(b.ui.fileDialogs.empty());

    // From the menu: the open dialog, starting in the last folder.
    fs::remove(b.out + "/PackOut.txt");
    b.ui.fileAnswers.push_back(p);
    b.wb.dispatch(99);
    ASSERT_EQ(b.ui.fileDialogs.size(), 1u);
    EXPECT_EQ(b.ui.fileDialogs[0].filters.at(0).name, "Packet Files");
    EXPECT_EQ(b.ui.fileDialogs[0].filters.at(0).pattern, "*.pkf");
    EXPECT_EQ(b.ui.fileDialogs[0].filters.at(1).name, "Any Files");
    EXPECT_EQ(slurp(b.out + "/PackOut.txt"), "a.0hd-OK:)\n");
    // A cancelled dialog runs nothing.
    fs::remove(b.out + "/PackOut.txt");
    b.wb.dispatch(99);
    EXPECT_FALSE(fs::exists(b.out + "/PackOut.txt"));
    // Inside a batch run command 99 does nothing, even with the flag set.
    b.wb.interactiveMode = false;
    b.wb.batchArgs[3] = 1;
    b.wb.dispatch(99);
    EXPECT_FALSE(fs::exists(b.out + "/PackOut.txt"));
}

} // namespace
} // namespace qm
