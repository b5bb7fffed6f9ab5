#include "files/scan_writer.h"

#include "app/settings_store.h"
#include "app/workbench.h"
#include "files/data_file_reader.h"
#include "files/open_scans.h"
#include "tests/files/data_file_fixtures.h"
#include "tests/support/fake_ui.h"
#include "wiring/all_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace qm;
using test::filesIn;
using test::readTextFile;
using test::writeFile;
namespace fs = std::filesystem;

namespace {

class ScanWriterTest : public ::testing::Test {
protected:
    ScanWriterTest()
    {
        fs::create_directories(dir);
        wb.settings.output = dir.string();
    }
    ~ScanWriterTest() override { fitsSaveWriters() = {}; }

    ScanRecord* addScan(float freq, int n, bool chan1 = true, bool chan2 = true)
    {
        return test::addScan(wb, test::wavyScan(freq, n, 0.5f, chan1, chan2));
    }

    // Reads a written data file back and compares the array with `expected`
    // over the points first, first+step, ... up to last: every value within
    // one quantum of the original.
    void expectReadsBack(const fs::path& file, const float* expected, int first, int last, int step, bool channel1)
    {
        ScanRecord back;
        ASSERT_TRUE(readDataFile(wb, file.string(), back)) << file;
        const float* got = channel1 ? back.dataI() : back.dataV();
        ASSERT_NE(got, nullptr) << file;
        const double quantum = test::quantum(expected, first, last, step);
        int k = 0;
        for (int i = first; i <= last; i += step, ++k)
            EXPECT_NEAR(got[k], expected[i], quantum) << file << " point " << i;
        EXPECT_EQ(back.nPoints, k);
    }

    test::TempDir tmp;
    fs::path root = tmp.path(), dir = root / "out";
    test::FakeUi ui;
    MemorySettingsStore store;
    Workbench wb{ui, store, "."};
};

} // namespace

// A Worksheet save in ALL mode: the questions, the data files, the header
// file, the status lines, and values that read back within one quantum.
TEST_F(ScanWriterTest, WorksheetSaveWritesSetThatReadsBack)
{
    ScanRecord* a = addScan(3.0f, 40);
    ScanRecord* b = addScan(2.8f, 40);
    wb.allMode = true;
    wb.viewBegin = 1;
    wb.viewEnd = 38;
    ui.fileAnswers.push_back((dir / "set.0hd").string());
    ui.textAnswers = {"0", "1"};
    saveScans(wb, SaveWhich::Worksheet);

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Do You want to save data?");
    EXPECT_EQ(ui.messages[0].caption, "Information");
    EXPECT_EQ(ui.messages[0].buttons, MsgButtons::OkCancel);
    ASSERT_EQ(ui.fileDialogs.size(), 1u);
    const FileDialogSpec& d = ui.fileDialogs[0];
    EXPECT_EQ(ui.filtersOf(0),
              (std::vector<std::string>{"Header File *.0hd", "BINARY FITS *.fit;*.fits", "Any Files *.*"}));
    EXPECT_EQ(d.initialDir, dir.string());
    EXPECT_TRUE(d.confirmOverwrite);
    EXPECT_FALSE(d.mustExist);
    EXPECT_EQ(ui.prompts, (std::vector<std::string>{"ASCII or Binary (1/0)", "Input number of skip:"}));
    EXPECT_EQ(ui.progressTitles, std::vector<std::string>{"Save data"});
    EXPECT_EQ(ui.statuses, (std::vector<std::string>{"Saving of scan 2.80[GHz] is end",
                                                      "Saving of scan 3.00[GHz] is end"}));

    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"set.0hd", "set.001", "set.002"}));
    EXPECT_EQ(readTextFile(dir / "set.0hd"), "set.001\t2.800[GHz]\r\nset.002\t3.000[GHz]\r\n");
    for (const auto& [file, scan] : {std::pair{"set.001", b}, std::pair{"set.002", a}}) {
        expectReadsBack(dir / file, scan->wrkI(), 1, 37, 1, true);
        expectReadsBack(dir / file, scan->wrkV(), 1, 37, 1, false);
    }

    ScanRecord back;
    ASSERT_TRUE(readDataFile(wb, (dir / "set.002").string(), back));
    EXPECT_FLOAT_EQ(back.frequency, 3.0f);
    EXPECT_FLOAT_EQ(back.step, 1.5f);
    EXPECT_FLOAT_EQ(back.centerPoint, 19.5f); // (20.5 - 1) / 1
    EXPECT_STREQ(back.dateObs, "2004/05/01");
    EXPECT_STREQ(back.object, "Sun");
    EXPECT_FLOAT_EQ(back.fluxCoef, 0.5f);
    EXPECT_EQ(wb.viewBegin, 1);
    EXPECT_EQ(wb.viewEnd, 38);

    // The header file loads as a set of the two scans.
    test::FakeUi otherUi;
    Workbench other(otherUi, store, ".");
    EXPECT_EQ(openScans(other, (dir / "set.0hd").string()), 1);
    ASSERT_EQ(other.scans.count(), 2);
    std::set<float> frequencies{other.scans.at(0)->frequency, other.scans.at(1)->frequency};
    EXPECT_EQ(frequencies, (std::set<float>{2.8f, 3.0f}));
    EXPECT_TRUE(otherUi.messages.empty());

    // Constant channels come back exactly.
    for (int k = 0; k < 40; ++k)
        a->wrkV()[k] = 123.25f;
    ui.fileAnswers.push_back((dir / "flat.0hd").string());
    ui.textAnswers = {"1", "1"};
    saveScans(wb, SaveWhich::Worksheet);
    ScanRecord flat;
    ASSERT_TRUE(readDataFile(wb, (dir / "flat.002").string(), flat));
    EXPECT_EQ(flat.sampleFormat, 1);
    for (int k = 0; k < flat.nPoints; ++k)
        ASSERT_EQ(flat.dataV()[k], 123.25f) << k;
}

// Saving to an existing header file first deletes the data files it lists
// (lines read as at most 67 bytes), but only inside its folder.
TEST_F(ScanWriterTest, SavingAgainDeletesTheListedFiles)
{
    addScan(2.8f, 20);
    ScanRecord* high = addScan(3.0f, 20);
    wb.allMode = true;
    wb.viewBegin = 0;
    wb.viewEnd = 20;
    wb.interactiveMode = false;
    const std::string header = (dir / "set.0hd").string();
    saveScans(wb, SaveWhich::Worksheet, header);
    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"set.0hd", "set.001", "set.002"}));

    wb.scans.remove(high);
    wb.activeScan = wb.scans.head();
    saveScans(wb, SaveWhich::Worksheet, header);
    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"set.0hd", "set.001"}));
    EXPECT_EQ(readTextFile(header), "set.001\t2.800[GHz]\r\n");

    // A hand-made list: a 67-byte piece whose remainder names another file,
    // and a name outside the folder that must survive.
    writeFile(dir / "stale.001", "x");
    writeFile(dir / "split.001", "x");
    writeFile(root / "outside.001", "x");
    fs::create_directories(dir / "sub");
    writeFile(header, "stale.001" + std::string(58, ' ') + "split.001\r\n../outside.001\r\nsub\r\n");
    saveScans(wb, SaveWhich::Worksheet, header);
    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"set.0hd", "set.001", "sub"}));
    EXPECT_TRUE(fs::exists(root / "outside.001"));
}

// Batch: no question reaches the UI; the format and the step come from the
// first and third arguments; a name without a dot gets ".x".
TEST_F(ScanWriterTest, BatchSaveAsksNothingAndNamesWithoutDot)
{
    addScan(2.8f, 30);
    addScan(3.0f, 30);
    wb.allMode = true;
    wb.viewBegin = 2;
    wb.viewEnd = 27;
    wb.interactiveMode = false;
    wb.batchArgs = {1.9f, 0, 3.7f, 0};
    saveScans(wb, SaveWhich::Worksheet, (dir / "set").string());

    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.prompts.empty());
    EXPECT_TRUE(ui.fileDialogs.empty());
    EXPECT_TRUE(ui.progressTitles.empty());
    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"set", "set.x01", "set.x02"}));
    EXPECT_EQ(readTextFile(dir / "set"), "set.x01\t2.800[GHz]\r\nset.x02\t3.000[GHz]\r\n");
    const std::string f = readTextFile(dir / "set.x01");
    EXPECT_NE(f.find("BITPIX  =             64"), std::string::npos);
    EXPECT_NE(f.find("NAXIS1  =              9"), std::string::npos); // points 2, 5, ..., 26
    expectReadsBack(dir / "set.x01", wb.scans.head()->wrkI(), 2, 26, 3, true);

    // Through the command table, as a packet runs it: the title buffer is
    // the header file.
    registerAllCommands(wb);
    wb.batchTitle = (dir / "cmd.0hd").string();
    (*wb.commands().handler(101))(wb);
    EXPECT_TRUE(fs::exists(dir / "cmd.001"));
    EXPECT_TRUE(fs::exists(dir / "cmd.002"));
}

// Each refusal stops before anything is written.
TEST_F(ScanWriterTest, RefusalsWriteNothing)
{
    addScan(2.8f, 20);
    addScan(3.0f, 20);
    wb.viewBegin = 0;
    wb.viewEnd = 20;
    const std::string header = (dir / "set.0hd").string();

    // ONE mode.
    saveScans(wb, SaveWhich::Worksheet);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Must be option ALL");
    EXPECT_EQ(ui.messages[0].caption, "Information");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Information);
    EXPECT_TRUE(ui.fileDialogs.empty());

    wb.allMode = true;
    ui.boxAnswers = {kCancel}; // "Do You want to save data?"
    saveScans(wb, SaveWhich::Worksheet);
    EXPECT_TRUE(ui.fileDialogs.empty());
    saveScans(wb, SaveWhich::Worksheet); // file dialog cancelled
    EXPECT_EQ(ui.fileDialogs.size(), 1u);
    EXPECT_TRUE(ui.prompts.empty());

    for (auto answers : std::vector<std::deque<std::optional<std::string>>>{
             {std::nullopt}, {"abc"}, {"0", std::nullopt}, {"0", "x"}}) {
        ui.fileAnswers.push_back(header);
        ui.textAnswers = answers;
        saveScans(wb, SaveWhich::Worksheet);
    }
    EXPECT_TRUE(filesIn(dir).empty());

    // An empty shown part neither writes nor removes anything.
    writeFile(header, "old.001\r\n");
    writeFile(dir / "old.001", "x");
    wb.viewEnd = 0;
    ui.fileAnswers.push_back(header);
    ui.textAnswers = {"0", "1"};
    saveScans(wb, SaveWhich::Worksheet);
    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"set.0hd", "old.001"}));
    EXPECT_EQ(readTextFile(header), "old.001\r\n");
    EXPECT_EQ(ui.statuses.back(), "Nothing to save: the shown part of the scans is empty");

    // A step below 1 is taken as 1.
    wb.viewEnd = 20;
    ui.fileAnswers.push_back(header);
    ui.textAnswers = {"0", "-4"};
    saveScans(wb, SaveWhich::Worksheet);
    EXPECT_NE(readTextFile(dir / "set.001").find("NAXIS1  =             20"), std::string::npos);
    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"set.0hd", "set.001", "set.002"}));
}

// FITS names go to the FITS writers the FITS code installs; without them
// the save is refused with a status text and nothing is written.
TEST_F(ScanWriterTest, FitsNamesHandOverToFitsWriters)
{
    for (const char* name : {"a/set.fits", "a/SET.FIT", "setfits"})
        EXPECT_TRUE(isFitsName(name)) << name;
    for (const char* name : {"set.fts", "set.0hd", "its"})
        EXPECT_FALSE(isFitsName(name)) << name;

    addScan(2.8f, 20);
    wb.allMode = true;
    wb.viewEnd = 20;
    const std::string fits = (dir / "set.fits").string();
    ui.fileAnswers.push_back(fits);
    saveScans(wb, SaveWhich::Worksheet);
    EXPECT_EQ(ui.statuses, std::vector<std::string>{"FITS writers are not available"});
    EXPECT_EQ(ui.messages.size(), 1u); // only "Do You want to save data?"
    EXPECT_TRUE(filesIn(dir).empty());

    std::vector<std::string> calls;
    fitsSaveWriters().groupFits = [&](Workbench&, const std::string& p) { calls.push_back("group " + p); return true; };
    fitsSaveWriters().scanSet = [&](Workbench&, const std::string& p) { calls.push_back("set " + p); return true; };
    ui.messages.clear();
    ui.boxAnswers = {kOk, kYes, kOk, kNo};
    ui.fileAnswers = {fits, fits};
    saveScans(wb, SaveWhich::Worksheet);
    saveScans(wb, SaveWhich::Worksheet);
    ASSERT_EQ(ui.messages.size(), 4u);
    EXPECT_EQ(ui.messages[1].text, "Do you save old GROUP fits?");
    EXPECT_EQ(ui.messages[1].buttons, MsgButtons::YesNo);
    wb.interactiveMode = false;
    saveScans(wb, SaveWhich::Worksheet, fits);
    EXPECT_EQ(calls, (std::vector<std::string>{"group " + fits, "set " + fits, "set " + fits}));
    EXPECT_TRUE(ui.prompts.empty());
    EXPECT_TRUE(filesIn(dir).empty());
}

// More than 255 scans: only a FITS save goes ahead.
TEST_F(ScanWriterTest, LargeSetsSaveOnlyAsFits)
{
    for (int k = 0; k < 256; ++k)
        addScan(1.0f + 0.01f * float(k), 4, true, false);
    wb.allMode = true;
    wb.viewEnd = 4;
    ui.boxAnswers = {kOk, kCancel};
    saveScans(wb, SaveWhich::Worksheet);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, "Save only GROUP FITS format");
    EXPECT_TRUE(ui.fileDialogs.empty());

    ui.fileAnswers.push_back((dir / "big.0hd").string());
    saveScans(wb, SaveWhich::Worksheet);
    EXPECT_TRUE(ui.prompts.empty());
    EXPECT_TRUE(filesIn(dir).empty());

    int scanSets = 0;
    fitsSaveWriters().scanSet = [&](Workbench&, const std::string&) { ++scanSets; return true; };
    ui.boxAnswers = {kOk, kOk, kNo};
    ui.fileAnswers.push_back((dir / "big.fit").string());
    saveScans(wb, SaveWhich::Worksheet);
    EXPECT_EQ(scanSets, 1);
}

// A Data save rewrites each scan's own file from its Data arrays in the
// scan's sample format; a scan without a data file is skipped silently.
TEST_F(ScanWriterTest, DataSaveRewritesEachScansOwnFile)
{
    ScanRecord* a = addScan(2.8f, 25);
    ScanRecord* b = addScan(3.0f, 25, false, true);
    addScan(3.2f, 25);
    copyField(a->dataFile, (dir / "a.dat").string());
    copyField(b->dataFile, (dir / "b.dat").string());
    a->sampleFormat = 1;
    writeFile(dir / "b.dat", "old contents");
    wb.allMode = true;
    wb.viewBegin = 3;
    wb.viewEnd = 9;
    saveScans(wb, SaveWhich::Data);

    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"a.dat", "b.dat"}));
    EXPECT_EQ(ui.statuses, (std::vector<std::string>{"Saving of scan 2.80[GHz] is end",
                                                      "Saving of scan 3.00[GHz] is end"}));
    expectReadsBack(dir / "a.dat", a->dataI(), 0, 24, 1, true);
    expectReadsBack(dir / "a.dat", a->dataV(), 0, 24, 1, false);
    expectReadsBack(dir / "b.dat", b->dataV(), 0, 24, 1, false);
    EXPECT_NE(readTextFile(dir / "a.dat").find("BITPIX  =             64"), std::string::npos);
    EXPECT_NE(readTextFile(dir / "b.dat").find("BITPIX  =             16"), std::string::npos);
    EXPECT_EQ(wb.viewBegin, 3);
    EXPECT_EQ(wb.viewEnd, 9);

    // ONE mode writes only the active scan.
    fs::remove(dir / "a.dat");
    fs::remove(dir / "b.dat");
    wb.allMode = false;
    wb.activeScan = b;
    saveScans(wb, SaveWhich::Data);
    EXPECT_EQ(filesIn(dir), std::set<std::string>{"b.dat"});
}
