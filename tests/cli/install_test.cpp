// The headless tools installed into a prefix of their own find their data
// in <prefix>/share/quillmar and work from there.
#include "app/atomic_file.h"
#include "tests/cli/run_tool.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qm {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(Install, InstalledToolsRunFromTheirPrefix)
{
    TempDir prefix("qm-install");
    const test::ToolRun install =
        test::runTool(QM_CMAKE_COMMAND, "--install '" QM_BINARY_DIR "' --component tools --prefix '" +
                                            prefix.path().string() + "'",
                      prefix.path().string());
    ASSERT_EQ(install.code, 0) << install.out << install.err;
    const std::string tool = prefix.file("bin/quillmar-batch");
    ASSERT_TRUE(fs::exists(tool));
    ASSERT_TRUE(fs::exists(prefix.file("bin/quillmar-synth")));

    // The build tree's program folder must not stand in for the installed one.
    const auto runInstalled = [&](const std::string& args, const std::string& cwd) {
        return test::runTool("/usr/bin/env", "-u QUILLMAR_HOME '" + tool + "' " + args, cwd);
    };
    const test::ToolRun list = runInstalled("--list '" QM_SOURCE_DIR "/examples/sun3-18/set.0hd'", prefix.file(""));
    EXPECT_EQ(list.code, 0) << list.err;
    EXPECT_NE(list.out.find("set.0hd: 20 scans"), std::string::npos) << list.out;

    // A packet names its commands through the catalogue in share/quillmar;
    // without it the command list is empty and no file is even loaded.
    fs::create_directories(prefix.file("work"));
    ASSERT_TRUE(writeFileAtomically(prefix.file("work/one.pkf"),
                                    "[Init]\nInDir=" QM_SOURCE_DIR "/examples/sun3-18\n\n[Files]\nset.0hd\n\n"
                                    "[Commands]\nAllMode=1\n"));
    const test::ToolRun packet = runInstalled("one.pkf", prefix.file("work"));
    EXPECT_EQ(packet.code, 0) << packet.err;
    EXPECT_EQ(test::readTextFile(prefix.file("work/PackOut.txt")), "set.0hd-OK:)\n");
}

} // namespace
} // namespace qm
