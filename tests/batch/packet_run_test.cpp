// Whole packet runs over generated files, good and damaged.
#include "batch/packet_run.h"
#include "files/open_scans.h"
#include "files/scan_set.h"
#include "tests/batch/batch_fixture.h"

#include <algorithm>
#include <new>
#include <tuple>

namespace qm {
namespace {

using test::BatchBench;
using test::readTextFile;
using test::writeScanFile;
using test::writeFile;
namespace fs = std::filesystem;

struct PacketBench : BatchBench {
    std::string in = home.file("in"), out = home.file("results");
    PacketBench()
    {
        fs::create_directories(in);
        fs::create_directories(out);
    }
    std::string packet(const std::string& init, const std::string& files, const std::string& commands)
    {
        const std::string p = home.file("run.pkf");
        writeFile(p, "[Init]\r\n" + init + "InDir=" + in + "\r\nOutDir=" + out + "\r\n\r\n[Files]\r\n" + files +
                         "\r\n[Commands]\r\n" + commands);
        return p;
    }
};

TEST(PacketRun, LoadsEachFileRunsTheListAndLogs)
{
    PacketBench b;
    writeScanFile(b.in + "/good.0hd", {3.0f, 5.0f});
    writeScanFile(b.in + "/space.wsf", {7.0f, 9.0f, 11.0f});
    writeFile(b.in + "/broken.0hd", "missing.001\t3.000[GHz]\r\n");
    writeFile(b.in + "/junk.fits", "SIMPLE  =                    T" + std::string(3000, '\x7f'));
    writeFile(b.in + "/empty.0hd", "");
    const std::string p = b.packet("AppHide=1\r\nAppExit=0\r\nOutPrefix=p_\r\nOutFile=log.txt\r\n",
                                   "good.0hd\r\nbroken.0hd\r\nspace.wsf\r\njunk.fits\r\nnot-there.0hd\r\nempty.0hd",
                                   "AllMode=1\r\nIVtoRL\r\nSaveWorksheet=0 0 1\r\nSaveWorkspace#ws%d.wsf\r\n"
                                   "Unknown=1\r\n+SaveData\r\n");
    const PacketRun run = runPacketFile(b.wb, p);

    EXPECT_EQ(run.status, PacketStatus::Completed);
    EXPECT_EQ(std::tuple(run.commands, run.loaded, run.notLoaded), std::tuple(5, 2, 4));
    EXPECT_FALSE(run.exitRequested);
    EXPECT_EQ(readTextFile(b.out + "/log.txt"), "good.0hd-OK:)\nbroken.0hd-Bad:(\nspace.wsf-OK:)\njunk.fits-Bad:(\n"
                                         "not-there.0hd-Bad:(\nempty.0hd-Bad:(\n");

    // 101 without a title: OutPrefix and the base name in OutDir; 185 with
    // a counted title, one workspace per loaded file.
    for (const char* name : {"p_good_0hd.0hd", "p_space_wsf.0hd", "ws1.wsf", "ws2.wsf"})
        EXPECT_TRUE(fs::exists(b.out + "/" + name)) << name;
    EXPECT_FALSE(fs::exists(b.out + "/ws3.wsf"));

    // Reports append to one file named after the title, after the input name.
    const std::string report = readTextFile(b.out + "/Normal koef(R-L).dat");
    EXPECT_EQ(report.find("\r\ngood.0hd\r\nFrq\t Date obs.\t Time obs.\tKf(R/L)\t(Kf>1.4)\r\n"), 0u);
    EXPECT_NE(report.find("\r\nspace.wsf\r\n"), std::string::npos);

    EXPECT_EQ(b.ui.windowShown, (std::vector<bool>{false, true}));
    EXPECT_TRUE(b.wb.interactiveMode);
    EXPECT_FALSE(b.wb.setLoaded);
}

// A command that could not do its work gets a line below its file; the
// person gets the same on the error channel.
TEST(PacketRun, FailedCommandsAreLoggedBelowTheirFile)
{
    PacketBench b;
    b.wb.commands().handle(124, {}); // "GaussFlux" without a handler
    writeScanFile(b.in + "/good.0hd", {3.0f, 5.0f});
    const std::string p =
        b.packet("AppExit=0\r\nOutFile=log.txt\r\n", "good.0hd\r\nabsent.0hd",
                 "AllMode=1\r\nGaussFlux\r\nSwitchWrkI=0\r\nSwitchWrkV=0\r\nIVtoRL\r\nCloseSet\r\nSmoothGauss=3\r\n");
    const PacketRun run = runPacketFile(b.wb, p);
    EXPECT_EQ(run.failedCommands, 3);
    EXPECT_EQ(readTextFile(b.out + "/log.txt"), "good.0hd-OK:)\n"
                                         "\t!GaussFlux Not available yet\n"
                                         "\t!IVtoRL (Wrksh_I and Wrksh_V) are not checked\n"
                                         "\t!SmoothGauss No data are loaded\n"
                                         "absent.0hd-Bad:(\n");
    const auto& s = b.ui.statuses;
    EXPECT_NE(std::find(s.begin(), s.end(), "good.0hd: !SmoothGauss No data are loaded"), s.end());
    EXPECT_NE(std::find(s.begin(), s.end(), "absent.0hd: File " + b.in + "/absent.0hd cannot be opened"), s.end());
    EXPECT_EQ(b.ui.questions(), 0u);
}

// A load that runs out of memory loads nothing: the packet logs the file as
// not loaded and goes on, and a set in memory keeps exactly its scans.
TEST(PacketRun, LoadsThatRunOutOfMemoryLeaveTheSetAlone)
{
    PacketBench b;
    struct ReaderGuard {
        ReaderGuard()
        {
            setFitsRouteReader(FitsRouteStage::ScanSet,
                               [](Workbench&, const std::string&) -> std::optional<ScanChain> { throw std::bad_alloc(); });
        }
        ~ReaderGuard() { registerScanSetFormat(); }
    } hungry;
    b.record({110});
    writeFile(b.in + "/huge.fits", "SIMPLE  =                    T\n");
    writeScanFile(b.in + "/good.0hd", {3.0f});
    runPacketFile(b.wb, b.packet("AppExit=0\r\n", "huge.fits\r\ngood.0hd", "SmoothGauss\r\n"));
    EXPECT_EQ(readTextFile(b.out + "/PackOut.txt"), "huge.fits-Bad:(\ngood.0hd-OK:)\n");
    EXPECT_EQ(b.seen.size(), 1u);
    const auto& s = b.ui.statuses;
    EXPECT_NE(std::find(s.begin(), s.end(), "huge.fits: Can't allocate memory"), s.end());

    // Interactively: the box, and the set as it was.
    b.load(test::scansOf(test::makeScan(3.0f), test::makeScan(5.0f)));
    ScanRecord* active = b.wb.scans.tail();
    b.wb.setActive(active);
    EXPECT_EQ(openScans(b.wb, b.in + "/huge.fits"), 1);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "Can't allocate memory");
    EXPECT_EQ(b.wb.scans.count(), 2);
    EXPECT_EQ(b.wb.activeScan, active);
}

TEST(PacketRun, TipShowsTheTimeLeft)
{
    EXPECT_EQ(packetTip(3, 100, 3.5), "File 3 form 100:Left  0h 1m53.17s");
    EXPECT_EQ(packetTip(1, 30, 7200), "File 1 form 30:Left 58h 0m0.00s");

}

TEST(PacketRun, CounterGoesOnAcrossFilesAndRunsAndTheMaskOverridesFiles)
{
    PacketBench b;
    b.record({110});
    for (const char* f : {"a.0hd", "b.0hd", "c.0hd"})
        writeScanFile(b.in + "/" + f, {3.0f});
    // AppExit (default 1) asks the program to end with interactive mode
    // still off, so closing asks nothing.
    const std::string p = b.packet("FileMask=*.0hd\r\n", "ignored.0hd", "SmoothGauss#res%d\r\n");
    EXPECT_TRUE(runPacketFile(b.wb, p).exitRequested);
    EXPECT_EQ(readTextFile(b.out + "/PackOut.txt"), "a.0hd-OK:)\nb.0hd-OK:)\nc.0hd-OK:)\n");
    runPacketFile(b.wb, p);
    EXPECT_EQ(b.ui.exits, 2);
    std::vector<std::string> titles;
    for (const auto& s : b.seen)
        titles.push_back(s.second);
    EXPECT_EQ(titles, (std::vector<std::string>{"res1", "res2", "res3", "res4", "res5", "res6"}));
}

TEST(PacketRun, BadPacketsNeverBlock)
{
    PacketBench b;
    // A missing input folder, thousands of files and over-long lines.
    std::string files;
    for (int i = 0; i < 3000; ++i)
        files += "f" + std::to_string(i) + ".0hd\r\n";
    const std::string p = b / "bad.pkf";
    const auto writePacket = [&](const std::string& outDir) {
        writeFile(p, "[Init]\r\nAppExit=0\r\nInDir=/nonexistent/in\r\nOutDir=" + outDir + "\r\n[Files]\r\n" + files +
                         "[Commands]\r\n" + std::string(400, 'x') + "\r\nAllMode=1 2 3 4 5 6\r\n");
    };
    writePacket(b.out + "/new");
    const PacketRun run = runPacketFile(b.wb, p);
    EXPECT_EQ(run.notLoaded, 1000);
    EXPECT_EQ(run.commands, 1);
    EXPECT_EQ(b.ui.questions(), 0u);
    EXPECT_TRUE(fs::is_regular_file(b.out + "/new/PackOut.txt")); // OutDir is made when missing

    // An output folder that cannot be made: the run is refused, says why
    // and changes nothing.
    writePacket(b.out + "/new/PackOut.txt/sub");
    b.load(test::scansOf(test::makeScan(3.0f)));
    const std::string output = b.wb.settings.output;
    const PacketRun refused = runPacketFile(b.wb, p);
    EXPECT_EQ(refused.status, PacketStatus::NoLog);
    EXPECT_EQ(refused.notLoaded, 0);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_NE(b.ui.messages[0].text.find("cannot be created"), std::string::npos) << b.ui.messages[0].text;
    EXPECT_EQ(b.wb.takeFailures().size(), 1u);
    EXPECT_TRUE(b.wb.setLoaded);
    EXPECT_EQ(b.wb.settings.output, output);
}

TEST(PacketRun, TheFoldersOfThePacketHoldForTheWholeRun)
{
    PacketBench b;
    writeScanFile(b.in + "/a.0hd", {3.0f});
    b.store.values = {{"Output", b / "stored"}, {"LastDir", b / "last"}, {"GaussNoise", "3"}};
    // ReloadSettings reads the noise level but keeps OutDir and InDir; an
    // OutputFolder that cannot be used keeps the folder in force.
    const std::string p = b.packet("AppExit=0\r\nOutPrefix=p_\r\n", "a.0hd",
                                   "AllMode=1\r\nReloadSettings\r\nOutputFolder#" + b.in + "/a.0hd/x\r\nSaveWorksheet=0 0 1\r\n");
    runPacketFile(b.wb, p);
    EXPECT_EQ(readTextFile(b.out + "/PackOut.txt"),
              "a.0hd-OK:)\n\t!OutputFolder Output folder " + b.in + "/a.0hd/x cannot be created\n");
    EXPECT_TRUE(fs::exists(b.out + "/p_a_0hd.0hd"));
    EXPECT_FALSE(fs::exists(b / "stored"));
    EXPECT_EQ(b.wb.settings.gaussNoise, 3.0f);
    EXPECT_EQ(b.wb.settings.lastDir, b.in);
}

TEST(PacketRun, CommandNinetyNineFindsThePacket)
{
    EXPECT_EQ(packetPathFromCommandLine("quillmar -pk \"  my runs/a.pkf\" x"), "my runs/a.pkf");

    PacketBench b;
    writeScanFile(b.in + "/a.0hd", {3.0f});
    const std::string p = b.packet("AppExit=0\r\n", "a.0hd", "AllMode=1\r\n");
    // From the command line: the start flag is cleared.
    startPacketFromCommandLine(b.wb, "quillmar -pk '" + p + "'");
    EXPECT_EQ(b.wb.batchArgs[3], 0.0f);
    EXPECT_EQ(readTextFile(b.out + "/PackOut.txt"), "a.0hd-OK:)\n");
}

} // namespace
} // namespace qm
