// Sets of files written all or nothing.
#include "app/file_set_writer.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qm;
namespace fs = std::filesystem;

// A rename that fails part-way through the commit (here: a folder that
// appears in place of a target after its temporary was written) puts back
// the targets already replaced and removes every temporary and backup.
TEST(FileSetWriter, FailedCommitRestoresEveryTarget)
{
    test::TempDir dir;
    test::writeFile(dir.file("a"), "old a");
    test::writeFile(dir.file("c"), "old c");
    {
        FileSetWriter set;
        ASSERT_TRUE(set.add(dir.file("a"), "new a"));
        ASSERT_TRUE(set.add(dir.file("b"), "new b"));
        ASSERT_TRUE(set.add(dir.file("c"), "new c"));
        fs::remove(dir.file("c"));
        fs::create_directory(dir.file("c"));
        test::writeFile(dir.path() / "c" / "inside", "x");
        EXPECT_FALSE(set.commit());
        EXPECT_EQ(set.error(), "File " + dir.file("c") + " cannot be written");
        EXPECT_FALSE(set.add(dir.file("d"), "")); // a failed set stays failed
    }
    EXPECT_EQ(test::filesIn(dir.path()), (std::set<std::string>{"a", "c"}));
    EXPECT_EQ(test::readTextFile(dir.file("a")), "old a");

    // Committed: every target holds its new bytes, nothing else is left;
    // a set that is never committed leaves no trace.
    fs::remove_all(dir.file("c"));
    {
        FileSetWriter set;
        ASSERT_TRUE(set.add(dir.file("a"), "new a"));
        ASSERT_TRUE(set.add(dir.file("c"), "new c"));
        ASSERT_TRUE(set.commit());
        FileSetWriter dropped;
        ASSERT_TRUE(dropped.add(dir.file("a"), "dropped"));
    }
    EXPECT_EQ(test::filesIn(dir.path()), (std::set<std::string>{"a", "c"}));
    EXPECT_EQ(test::readTextFile(dir.file("a")) + test::readTextFile(dir.file("c")), "new anew c");
}
