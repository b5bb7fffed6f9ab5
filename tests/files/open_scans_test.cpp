#include "files/open_scans.h"

#include "app/scan_record.h"
#include "app/workbench.h"
#include "tests/files/data_file_fixtures.h"
#include "tests/support/fake_ui.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace qm;
using namespace qm::test;

namespace {

// A one-channel scan at `freq` GHz whose first sample is `first`.
std::string scanAt(const std::string& freq, int first = 1)
{
    return shapeTFile({"BITPIX  =  16", "NAXIS   =  1", "NAXIS1  =  3", "POLARSET=  1", "BSCALE1 =  1",
                       "OBS-FREQ=  " + freq, "OBJECT  = 'SUN'"},
                      beSamples({first, 2, 3}));
}

struct OpenScansTest : ::testing::Test {
    FakeUi ui;
    MemorySettingsStore store;
    Workbench wb{ui, store, "."};
    TempDir dir;

    std::string put(const std::string& name, const std::string& bytes)
    {
        writeFile(dir.file(name), bytes);
        return dir.file(name);
    }
    // Adds `n` scans made in memory, as an earlier load would have.
    void preload(int n)
    {
        ScanChain earlier;
        for (int k = 0; k < n; ++k) {
            earlier.push_back(std::make_unique<ScanRecord>());
            earlier.back()->nPoints = 3;
            earlier.back()->frequency = 50.0f + static_cast<float>(k);
            earlier.back()->allocChannel(1);
        }
        wb.scans.appendTail(std::move(earlier));
    }
    std::vector<float> frequencies() const
    {
        std::vector<float> f;
        for (const auto& r : wb.scans)
            f.push_back(r->frequency);
        return f;
    }
    bool badMessage(const std::string& text) const
    {
        return ui.messages.size() == 1 && ui.messages[0].text == text && ui.messages[0].caption.empty() &&
               ui.messages[0].icon == MsgIcon::Error && ui.messages[0].buttons == MsgButtons::Ok;
    }
};

} // namespace

// A header file loads the files it names that can be read; a SIMPLE file
// goes the FITS route whatever its name.
TEST_F(OpenScansTest, HeaderFilesAndSingleFilesLoad)
{
    put("a.001", scanAt("3.0"));
    put("c.003", scanAt("2.8"));
    const std::string list = put("set.0hd", "a.001\t3.000[GHz]\r\nb.002\t2.900[GHz]\r\nc.003\t2.800[GHz]\r\n");
    EXPECT_EQ(openScans(wb, list), 1);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(frequencies(), (std::vector<float>{2.8f, 3.0f}));
    EXPECT_STREQ(wb.scans.head()->dataFile, dir.file("c.003").c_str());
    EXPECT_TRUE(wb.setLoaded);

    const std::string path = put("single.0hd", scanAt("4.5", 9));
    EXPECT_EQ(openScans(wb, path), 1);
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(frequencies(), (std::vector<float>{2.8f, 3.0f, 4.5f}));
    EXPECT_EQ(wb.scans.at(2)->dataI()[0], 9.0f);
    EXPECT_STREQ(wb.scans.at(2)->dataFile, path.c_str());
}

TEST_F(OpenScansTest, NothingLoadedLeavesTheSetAsItWas)
{
    preload(2);
    const auto before = frequencies();
    const std::string list = put("set.0hd", "x.001\ny.002\n\n   \nz.003 trailing words\n");
    EXPECT_EQ(openScans(wb, list), 1);
    EXPECT_TRUE(badMessage("Header File is BAD"));
    EXPECT_EQ(frequencies(), before);
    EXPECT_FALSE(wb.setLoaded);

    // In batch runs no box is shown.
    ui.messages.clear();
    wb.interactiveMode = false;
    EXPECT_EQ(openScans(wb, list), 1);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(frequencies(), before);
}

// Header files cut anywhere: exactly the names wholly present load.
TEST_F(OpenScansTest, EveryTruncatedHeaderFileLoadsTheNamesPresent)
{
    put("a.001", scanAt("1.0"));
    put("b.002", scanAt("2.0"));
    put("c.003", scanAt("3.0"));
    const std::string list = "a.001 1\r\nb.002 2\r\nc.003";
    for (std::size_t len = 0; len <= list.size(); ++len) {
        FakeUi u;
        MemorySettingsStore s;
        Workbench w{u, s, "."};
        const std::string cut = list.substr(0, len);
        const int expect = (cut.find("a.001") != std::string::npos) + (cut.find("b.002") != std::string::npos) +
                           (cut.find("c.003") != std::string::npos);
        const std::string path = put("cut" + std::to_string(len) + ".0hd", cut);
        EXPECT_EQ(openScans(w, path), 1);
        std::filesystem::remove(path);
        ASSERT_EQ(w.scans.count(), expect) << len;
        EXPECT_EQ(u.sawMessage("Header File is BAD"), expect == 0) << len;
    }
}

// The list's files are read several at a time, yet the outcome is that of
// reading them in order: the load stops before the entry that would make
// the set reach 256 scans, and a file after that point is never read (its
// message would show). The set right after the load counts as saved.
TEST_F(OpenScansTest, ListLoadStopsBeforeTheSetReachesItsLimit)
{
    preload(250);
    wb.markSaved();
    const std::string tooLong = shapeTFile(
        {"BITPIX  =  16", "NAXIS   =  1", "NAXIS1  =  16001", "POLARSET=  1", "BSCALE1 =  1"}, beSamples({1, 2}));
    std::string list;
    for (int k = 0; k < 12; ++k) {
        const std::string name = "s" + std::to_string(k) + ".001";
        if (k == 1 || k == 10)
            put(name, tooLong);
        else if (k != 3)
            put(name, scanAt(std::to_string(1 + k)));
        list += name + "\n";
    }
    EXPECT_EQ(openScans(wb, put("set.0hd", list)), 1);
    EXPECT_EQ(wb.scans.count(), 255);
    ASSERT_EQ(ui.messages.size(), 1u); // s1's, not s10's
    EXPECT_EQ(ui.messages[0].text, "Set of data is very large");
    std::vector<float> loaded;
    for (const auto& r : wb.scans)
        if (r->frequency < 50)
            loaded.push_back(r->frequency);
    EXPECT_EQ(loaded, (std::vector<float>{1, 3, 5, 6, 7}));

    EXPECT_FALSE(wb.unsavedChanges());
    wb.scans.at(0)->wrkI()[1] += 1;
    EXPECT_TRUE(wb.unsavedChanges());
}
