// quillmar-batch with packets and scripts, run as a user would.
#include "app/atomic_file.h"
#include "cli/headless_workbench.h"
#include "cli/scan_synth.h"
#include "tests/cli/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

namespace qm {
namespace {

using test::TempFolder;
namespace fs = std::filesystem;

std::string fileText(const std::string& path)
{
    std::vector<uint8_t> bytes;
    readWholeFile(path, bytes);
    return std::string(bytes.begin(), bytes.end());
}

struct PacketRunResult {
    int code = -1;
    std::string out, err;
};

// Runs quillmar-batch in `folder` with no input at all: a run that asked
// anything would read the end of the input and still finish.
PacketRunResult runIn(const std::string& folder, const std::string& args)
{
    const std::string out = folder + "/.stdout", err = folder + "/.stderr";
    const std::string cmd = "cd '" + folder + "' && '" + QM_BATCH_EXE + "' " + args + " >'" + out + "' 2>'" + err +
                            "' </dev/null";
    const int status = std::system(cmd.c_str());
    PacketRunResult r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, fileText(out), fileText(err)};
    fs::remove(out);
    fs::remove(err);
    return r;
}

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
                                    "SaveWorkspace#all_%d.wsf\r\nIVtoRL\r\n"));
    fs::create_directories(dir / "results");
    const PacketRunResult r = runIn(dir / "work", "'" + dir / "run.pkf" + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(fileText(dir / "results/PackOut.txt"),
              "good.0hd-OK:)\nbroken.0hd-Bad:(\nother.wsf-OK:)\njunk.wsf-Bad:(\nabsent.0hd-Bad:(\n");
    EXPECT_NE(r.out.find("5 files, 2 loaded, 3 not loaded, 5 commands"), std::string::npos) << r.out;
    // Progress lines on the error stream, the last one after the last loaded file.
    EXPECT_NE(r.err.find("Init Batch Packet\nBegin Calculations\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("File 3 form 5:Left "), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("File 2 form 5"), std::string::npos) << r.err;

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
