// quillmar-batch with packets and scripts, run as a user would.
#include "app/atomic_file.h"
#include "cli/headless_workbench.h"
#include "cli/scan_synth.h"
#include "tests/cli/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qm {
namespace {

using test::TempFolder;
namespace fs = std::filesystem;

using test::readTextFile;

// Two small synthetic sets: a header file with its data files and a workspace.
void writeInputs(const std::string& in)
{
    SynthParams p;
    p.frequencies = {3.0, 5.6};
    p.points = 400;
    p.step = 5;
    HeadlessWorkbench h(nullptr, nullptr);
    h.adopt(synthSet(p));
    fs::create_directories(in);
    ASSERT_TRUE(h.saveWorksheets(in + "/good.0hd"));
    p.frequencies = {8.0};
    HeadlessWorkbench w(nullptr, nullptr);
    w.adopt(synthSet(p));
    ASSERT_TRUE(w.saveWorkspaceFile(in + "/other.wsf"));
    ASSERT_TRUE(writeFileAtomically(in + "/broken.0hd", "good.999\r\n"));
    ASSERT_TRUE(writeFileAtomically(in + "/junk.wsf", std::string(5000, '\xa5')));
}

TEST(PacketCli, RunsAPacketOverGoodAndDamagedFiles)
{
    TempFolder dir("pkcli");
    writeInputs(dir / "in");
    fs::create_directories(dir / "work");
    ASSERT_TRUE(writeFileAtomically(dir / "run.pkf",
                                    "[Init]\r\nOutPrefix=r_\r\nInDir=in\r\nOutDir=results\r\nAppExit=1\r\n\r\n"
                                    "[Files]\r\ngood.0hd\r\nbroken.0hd\r\nother.wsf\r\njunk.wsf\r\nabsent.0hd\r\n\r\n"
                                    "[Commands]\r\nAllMode=1\r\nSmoothGauss=20\r\nSaveWorksheet=0 0 1\r\n"
                                    "SaveWorkspace#all_%d.wsf\r\nIVtoRL\r\n"
                                    "OpenFile\r\nSwitchWrkV=0\r\nIVtoRL\r\n"));
    fs::create_directories(dir / "results");
    const test::ToolRun r = test::runTool(QM_BATCH_EXE, "'" + dir / "run.pkf" + "'", dir / "work");
    // Files that did not load and commands that failed: exit status 1, a
    // line below the file in the log and on the error stream.
    EXPECT_EQ(r.code, 1) << r.err;
    const std::string failed = "\t!OpenFile Not available in batch mode\n"
                               "\t!IVtoRL (Wrksh_I and Wrksh_V) are not checked\n";
    EXPECT_EQ(readTextFile(dir / "results/PackOut.txt"), "good.0hd-OK:)\n" + failed +
                                                             "broken.0hd-Bad:(\nother.wsf-OK:)\n" + failed +
                                                             "junk.wsf-Bad:(\nabsent.0hd-Bad:(\n");
    EXPECT_NE(r.out.find("5 files, 2 loaded, 3 not loaded, 8 commands, 4 failed"), std::string::npos) << r.out;
    for (const char* line : {"[1/5] good.0hd\n", "good.0hd: !OpenFile Not available in batch mode\n",
                             "broken.0hd: Header File is BAD\n", "[5/5] absent.0hd (not loaded)\n"})
        EXPECT_NE(r.err.find(line), std::string::npos) << line << r.err;

    for (const char* f : {"r_good_0hd.0hd", "r_good_0hd.001", "r_good_0hd.002", "r_other_wsf.0hd", "all_1.wsf",
                          "all_2.wsf", "Normal koef(R-L).dat"})
        EXPECT_TRUE(fs::exists(dir / ("results/" + std::string(f)))) << f;
    HeadlessWorkbench back(nullptr, nullptr);
    ASSERT_TRUE(back.load(dir / "results/all_1.wsf"));
    EXPECT_EQ(back.wb.scans.count(), 2);
    // Nothing lands in the working folder.
    EXPECT_TRUE(fs::is_empty(dir / "work"));
}

} // namespace
} // namespace qm
