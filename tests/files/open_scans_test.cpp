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
    // A header file naming the scan a.001 (at 1 GHz) `n` times.
    std::string repeatedList(const std::string& name, int n)
    {
        put("a.001", scanAt("1.0"));
        std::string lines;
        for (int k = 0; k < n; ++k)
            lines += "a.001\n";
        return put(name, lines);
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
    EXPECT_EQ(wb.activeScan, wb.scans.head());
    EXPECT_TRUE(wb.setLoaded);
    EXPECT_EQ(wb.viewBegin, 1);
    EXPECT_EQ(wb.viewEnd, 1);
    EXPECT_EQ(wb.settings.lastDir, dir.path().string());
    EXPECT_FALSE(wb.isEnabled(161));
    EXPECT_TRUE(wb.isEnabled(172));
    EXPECT_EQ(ui.redraws, 1);

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

    // A SIMPLE file that is refused goes the FITS route and is reported so.
    ui.messages.clear();
    const std::string broken = put("broken.0hd", card("SIMPLE  =  T") + card("BITPIX  =  8") + "END");
    EXPECT_EQ(openScans(wb, broken), 1);
    EXPECT_TRUE(badMessage("Data file is BAD"));
    EXPECT_EQ(frequencies(), before);

    // In batch runs no box is shown.
    ui.messages.clear();
    wb.interactiveMode = false;
    EXPECT_EQ(openScans(wb, list), 1);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(frequencies(), before);
}

TEST_F(OpenScansTest, FitsRouteAsksItsReadersInOrder)
{
    const std::string path = put("scan.fits", scanAt("4.5"));
    std::vector<std::string> asked;
    setFitsRouteReader(FitsRouteStage::ScanSet, [&](Workbench&, const std::string&) -> std::optional<ScanChain> {
        asked.push_back("set");
        return std::nullopt;
    });
    setFitsRouteReader(FitsRouteStage::GroupFits, [&](Workbench&, const std::string&) -> std::optional<ScanChain> {
        asked.push_back("group");
        return ScanChain{}; // its kind, but refused: the data-file reader is not asked
    });
    EXPECT_EQ(openScans(wb, path), 1);
    EXPECT_EQ(asked, (std::vector<std::string>{"set", "group"}));
    EXPECT_TRUE(badMessage("Data file is BAD"));
    EXPECT_TRUE(wb.scans.empty());

    setFitsRouteReader(FitsRouteStage::GroupFits, {});
    setFitsRouteReader(FitsRouteStage::ScanSet, [&](Workbench&, const std::string&) -> std::optional<ScanChain> {
        ScanChain chain;
        for (float f : {7.0f, 6.0f}) {
            chain.push_back(std::make_unique<ScanRecord>());
            chain.back()->frequency = f;
            chain.back()->nPoints = 4;
            chain.back()->allocChannel(2);
        }
        return chain;
    });
    ui.messages.clear();
    EXPECT_EQ(openScans(wb, path), 1);
    setFitsRouteReader(FitsRouteStage::ScanSet, {});
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(frequencies(), (std::vector<float>{6.0f, 7.0f}));
}

TEST_F(OpenScansTest, ListLinesNamesAndRecordReuse)
{
    std::filesystem::create_directory(dir.path() / "sub");
    put("sub/a.001", scanAt("1.0"));
    // A refused file that sets header values before its refusal must not
    // leave them in the record used for the next file.
    put("b.002", shapeTFile({"OBJECT  = 'BROKEN'", "OBS-FREQ=  9.9", "BITPIX  =  32"}, ""));
    std::string c = scanAt("3.0");
    c.replace(c.find("OBJECT  = 'SUN'"), 15, "COMMENT        ");
    put("c.003", c);
    // A line longer than 77 bytes is split: its remainder is the next line.
    std::string longLine = "b.002";
    longLine.resize(77, ' ');
    longLine += "c.003 rest\n";
    const std::string list = put("set.1hd", "sub\\a.001\n" + longLine);
    EXPECT_EQ(openScans(wb, list), 1);
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(frequencies(), (std::vector<float>{1.0f, 3.0f}));
    EXPECT_STREQ(wb.scans.at(0)->dataFile, (dir.path() / "sub" / "a.001").string().c_str());
    EXPECT_STREQ(wb.scans.at(1)->object, "");
    EXPECT_EQ(wb.scans.at(1)->sampleFormat, 0);
}

// More than 250 scans grey "Append..." and refuse drops; a list load stops
// below 256 scans, but only a set below that limit is held to it.
TEST_F(OpenScansTest, ListLoadLimits)
{
    EXPECT_EQ(openScans(wb, repeatedList("set.0hd", 250)), 1);
    EXPECT_EQ(wb.scans.count(), 250);
    EXPECT_TRUE(wb.isEnabled(172));
    EXPECT_TRUE(wb.acceptDrops);
    EXPECT_EQ(openScans(wb, put("one.0hd", "a.001\n")), 1);
    EXPECT_EQ(wb.scans.count(), 251);
    EXPECT_FALSE(wb.isEnabled(172));
    EXPECT_FALSE(wb.acceptDrops);

    const std::string many = repeatedList("many.0hd", 300);
    EXPECT_EQ(openScans(wb, many), 1);
    EXPECT_EQ(wb.scans.count(), 255);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(openScans(wb, many), 1); // a set at 255 takes nothing more
    EXPECT_TRUE(badMessage("Header File is BAD"));
    EXPECT_EQ(wb.scans.count(), 255);

    ui.messages.clear();
    preload(2);
    EXPECT_EQ(openScans(wb, repeatedList("two.0hd", 2)), 1);
    EXPECT_EQ(wb.scans.count(), 259);
    // A failed last entry leaves nothing behind.
    EXPECT_EQ(openScans(wb, put("last.0hd", "a.001\nmissing.002\n")), 1);
    EXPECT_EQ(wb.scans.count(), 260);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OpenScansTest, RefusalsAndTheOpenDialog)
{
    const std::string path = put("a.001", scanAt("1.0"));
    wb.settings.lastDir = "/data/last";

    // Cancelled dialog: nothing happens.
    EXPECT_EQ(openScans(wb), 0);
    ASSERT_EQ(ui.fileDialogs.size(), 1u);
    EXPECT_EQ(ui.fileDialogs[0].initialDir, "/data/last");
    EXPECT_TRUE(ui.fileDialogs[0].mustExist);
    EXPECT_EQ(ui.filtersOf(0), (std::vector<std::string>{"Quillmar files *.?hd;*.fits", "Header Files *.?hd",
                                                          "BINARY FITS *.fit;*.fits", "Any Files *.*"}));
    EXPECT_EQ(ui.redraws, 0);

    // The chosen file is loaded.
    ui.fileAnswers.push_back(path);
    EXPECT_EQ(openScans(wb), 1);
    EXPECT_EQ(wb.scans.count(), 1);

    // A file that cannot be opened: 0, no message.
    EXPECT_EQ(openScans(wb, dir.file("nothing.0hd")), 0);
    EXPECT_TRUE(ui.messages.empty());

    // A group view blocks every load; so does a set of more than 1000.
    wb.groupMode = 3;
    EXPECT_EQ(openScans(wb, path), 0);
    wb.groupMode = 0;
    preload(1000);
    EXPECT_EQ(openScans(wb, path), 0);
    EXPECT_EQ(wb.scans.count(), 1001);
    EXPECT_TRUE(ui.messages.empty());

    // Batch runs never open the dialog.
    wb.interactiveMode = false;
    EXPECT_EQ(openScans(wb), 0);
    EXPECT_EQ(ui.fileDialogs.size(), 2u);
}

TEST_F(OpenScansTest, AutomaticScriptRunsAfterInteractiveLoads)
{
    int runs = 0;
    wb.autoScriptHook = [&](Workbench&) { ++runs; };
    const std::string good = put("a.001", scanAt("1.0"));
    const std::string bad = put("bad.0hd", "missing.001\n");
    EXPECT_EQ(openScans(wb, good), 1);
    EXPECT_EQ(runs, 0); // none configured
    wb.settings.autoScript = "auto.spt";
    EXPECT_EQ(openScans(wb, good), 1);
    EXPECT_EQ(openScans(wb, bad), 1);
    EXPECT_EQ(runs, 2);
    wb.interactiveMode = false;
    EXPECT_EQ(openScans(wb, good), 1);
    EXPECT_EQ(runs, 2);
}

TEST_F(OpenScansTest, EveryTruncationLoadsOrLeavesTheSetUnchanged)
{
    // Data files through the FITS route: refused prefixes leave the set alone.
    for (const std::string& file : {sampleShapeT(), sampleShapeF()}) {
        for (std::size_t len = 0; len <= file.size(); ++len) {
            FakeUi u;
            MemorySettingsStore s;
            Workbench w{u, s, "."};
            w.scans.pushHead(std::make_unique<ScanRecord>());
            // A new name each time: rewriting one file in place makes the
            // file system flush it on every close.
            const std::string path = put("cut" + std::to_string(len) + ".fits", file.substr(0, len));
            openScans(w, path);
            std::filesystem::remove(path);
            ASSERT_TRUE(w.scans.count() == 1 || w.scans.count() == 2) << len;
            if (w.scans.count() == 1) {
                ASSERT_TRUE(u.sawMessage(len < 6 ? "Header File is BAD" : "Data file is BAD")) << len;
            }
        }
    }

    // Header files: exactly the names wholly present load.
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
