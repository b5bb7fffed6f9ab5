// quillmar-batch with packets and scripts, run as a user would.
#include "app/atomic_file.h"
#include "cli/headless_workbench.h"
#include "cli/scan_synth.h"
#include "tests/cli/run_tool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace qm {
namespace {

using test::TempDir;
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

// The packet of these tests over the inputs above (and `more` files), its
// results in `out`.
std::string packetText(const std::string& out, const std::string& more = "")
{
    return "[Init]\r\nOutPrefix=r_\r\nInDir=in\r\nOutDir=" + out + "\r\nAppExit=1\r\n\r\n"
           "[Files]\r\ngood.0hd\r\nbroken.0hd\r\nother.wsf\r\njunk.wsf\r\nabsent.0hd\r\n" + more + "\r\n"
           "[Commands]\r\nAllMode=1\r\nSmoothGauss=20\r\nSaveWorksheet=0 0 1\r\nSaveWorkspace#all_%d.wsf\r\n"
           "IVtoRL\r\nOpenFile\r\nSwitchWrkV=0\r\nIVtoRL\r\n";
}

TEST(PacketCli, RunsAPacketOverGoodAndDamagedFiles)
{
    TempDir dir("qm-pkcli");
    writeInputs(dir.file("in"));
    fs::create_directories(dir.file("work"));
    ASSERT_TRUE(writeFileAtomically(dir.file("run.pkf"), packetText("results")));
    fs::create_directories(dir.file("results"));
    const test::ToolRun r = test::runTool(QM_BATCH_EXE, "'" + dir.file("run.pkf") + "'", dir.file("work"));
    // Files that did not load and commands that failed: exit status 1, a
    // line below the file in the log and on the error stream.
    EXPECT_EQ(r.code, 1) << r.err;
    const std::string failed = "\t!OpenFile Not available in batch mode\n"
                               "\t!IVtoRL (Wrksh_I and Wrksh_V) are not checked\n";
    EXPECT_EQ(readTextFile(dir.file("results/PackOut.txt")), "good.0hd-OK:)\n" + failed +
                                                             "broken.0hd-Bad:(\nother.wsf-OK:)\n" + failed +
                                                             "junk.wsf-Bad:(\nabsent.0hd-Bad:(\n");
    EXPECT_NE(r.out.find("5 files, 2 loaded, 3 not loaded, 8 commands, 4 failed"), std::string::npos) << r.out;
    for (const char* line : {"[1/5] good.0hd\n", "good.0hd: !OpenFile Not available in batch mode\n",
                             "broken.0hd: Header File is BAD\n", "[5/5] absent.0hd (not loaded)\n"})
        EXPECT_NE(r.err.find(line), std::string::npos) << line << r.err;

    for (const char* f : {"r_good_0hd.0hd", "r_good_0hd.001", "r_good_0hd.002", "r_other_wsf.0hd", "all_1.wsf",
                          "all_2.wsf", "Normal koef(R-L).dat"})
        EXPECT_TRUE(fs::exists(dir.file("results/" + std::string(f)))) << f;
    HeadlessWorkbench back(nullptr, nullptr);
    ASSERT_TRUE(back.load(dir.file("results/all_1.wsf")));
    EXPECT_EQ(back.wb.scans.count(), 2);
    // Nothing lands in the working folder.
    EXPECT_TRUE(fs::is_empty(dir.file("work")));
}

// Every file below `dir` with its size and a hash of its bytes, so that a
// difference shows without pages of binary.
std::map<std::string, std::pair<std::size_t, std::size_t>> folderContents(const std::string& dir)
{
    std::map<std::string, std::pair<std::size_t, std::size_t>> files;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (!e.is_regular_file())
            continue;
        const std::string bytes = readTextFile(e.path().string());
        files[e.path().lexically_relative(dir).string()] = {bytes.size(), std::hash<std::string>()(bytes)};
    }
    return files;
}

// The packet above with six files, run serially, by two worker processes,
// and as two shards joined afterwards: logs, saved sets, reports and "%d"
// names come out byte for byte the same. A worker killed by a signal costs
// only its own file.
TEST(PacketCli, JobsAndShardsWriteWhatASerialRunWrites)
{
    TempDir dir("qm-pkjobs");
    writeInputs(dir.file("in"));
    fs::copy_file(dir.file("in/other.wsf"), dir.file("in/third.wsf"));
    fs::create_directories(dir.file("work"));
    auto packet = [&](const std::string& out) {
        const std::string path = dir.file(out + ".pkf");
        EXPECT_TRUE(writeFileAtomically(path, packetText(out, "third.wsf\r\n")));
        return "'" + path + "'";
    };
    const auto serial = test::runTool(QM_BATCH_EXE, packet("serial"), dir.file("work"));
    EXPECT_EQ(serial.code, 1) << serial.err;
    const auto expected = folderContents(dir.file("serial"));
    ASSERT_EQ(expected.count("all_2.wsf"), 1u);
    ASSERT_EQ(expected.count("Normal koef(R-L).dat"), 1u);

    const auto jobs = test::runTool(QM_BATCH_EXE, "--jobs 2 " + packet("jobs"), dir.file("work"));
    EXPECT_EQ(jobs.code, 1) << jobs.err;
    EXPECT_EQ(folderContents(dir.file("jobs")), expected);
    EXPECT_NE(jobs.out.find("6 files, 3 loaded, 3 not loaded, 8 commands, 6 failed"), std::string::npos) << jobs.out;

    const std::string sharded = packet("shards");
    EXPECT_EQ(test::runTool(QM_BATCH_EXE, "--shard 2/2 " + sharded, dir.file("work")).code, 1);
    const auto early = test::runTool(QM_BATCH_EXE, "--merge-shards " + sharded, dir.file("work"));
    EXPECT_EQ(early.code, 1);
    EXPECT_NE(early.err.find("PackOut.txt.shard1"), std::string::npos) << early.err;
    EXPECT_FALSE(fs::exists(dir.file("shards/PackOut.txt")));
    EXPECT_EQ(test::runTool(QM_BATCH_EXE, "--shard=1/2 " + sharded, dir.file("work")).code, 1);
    const auto merged = test::runTool(QM_BATCH_EXE, "--merge-shards " + sharded, dir.file("work"));
    EXPECT_EQ(merged.code, 1); // the packet's own failures, as in the serial run
    EXPECT_NE(merged.out.find("6 files, 3 loaded, 3 not loaded, 8 commands, 6 failed"), std::string::npos);
    EXPECT_EQ(folderContents(dir.file("shards")), expected);

    ::setenv("QUILLMAR_JOB_FAULT", "other.wsf", 1);
    const auto crashed = test::runTool(QM_BATCH_EXE, "-j 2 " + packet("crashed"), dir.file("work"));
    ::unsetenv("QUILLMAR_JOB_FAULT");
    EXPECT_EQ(crashed.code, 1);
    EXPECT_NE(crashed.err.find("other.wsf: worker ended by signal 9"), std::string::npos) << crashed.err;
    std::string log = readTextFile(dir.file("serial/PackOut.txt"));
    const std::size_t other = log.find("other.wsf-OK:)\n");
    log.replace(other, log.find("junk.wsf") - other, "other.wsf-Bad:(\n");
    EXPECT_EQ(readTextFile(dir.file("crashed/PackOut.txt")), log);
    EXPECT_TRUE(fs::exists(dir.file("crashed/r_third_wsf.0hd")));
    EXPECT_EQ(fs::directory_iterator(dir.file("crashed"))->path().filename().string().rfind(".quillmar", 0),
              std::string::npos);

    for (const char* bad : {"--jobs -1", "--jobs 100000", "--jobs two", "--shard 3/2", "--shard 0/0", "--shard x",
                            "--jobs 2 --shard 1/2", "--merge-shards --jobs 2"}) {
        const auto r = test::runTool(QM_BATCH_EXE, std::string(bad) + " " + sharded, dir.file("work"));
        EXPECT_EQ(r.code, 2) << bad;
        EXPECT_NE(r.err.find("Usage: quillmar-batch"), std::string::npos) << bad;
    }
}

} // namespace
} // namespace qm
