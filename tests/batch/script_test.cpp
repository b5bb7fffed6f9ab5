// The Script menu, running scripts and AutoScript.
#include "batch/batch_state.h"
#include "batch/command_catalogue.h"
#include "batch/example_scripts.h"
#include "batch/script_editor.h"
#include "batch/script_runner.h"
#include "files/open_scans.h"
#include "tests/batch/batch_fixture.h"


namespace qm {
namespace {

using test::BatchBench;
using test::makeScan;
using test::scansOf;
using test::writeFile;
namespace fs = std::filesystem;

std::vector<std::string> texts(const std::vector<ScriptMenuItem>& items)
{
    std::vector<std::string> t;
    for (const auto& i : items)
        t.push_back(i.isSubMenu() ? i.text + "/" : i.text + "=" + std::to_string(i.id));
    return t;
}

TEST(ScriptMenu, FoldersNamesIdentifiersAndLimits)
{
    test::TempDir dir("qm-menu");
    writeFile(dir.file("daily/flux.spt"), "[Commands]\n");
    writeFile(dir.file("notes.spt.txt"), "[Commands]\n");
    writeFile(dir.file("Big.SPT"), "[Commands]\n");
    writeFile(dir.file("readme.txt"), "");
    fs::create_directory_symlink(dir.path(), dir.file("daily/loop")); // not followed

    const ScriptMenu menu = buildScriptMenu(dir.path().string());
    EXPECT_EQ(texts(menu.items), (std::vector<std::string>{"Big=5002", "daily/", "notes.spt=5004"}));
    EXPECT_EQ(texts(menu.items[1].items), (std::vector<std::string>{"flux=5003"}));
    EXPECT_EQ(scriptRelativePath(menu, 5003), "daily/flux.spt");
    EXPECT_EQ(scriptRelativePath(menu, 5004), "notes.spt.txt");
    EXPECT_EQ(scriptRelativePath(menu, 5005), std::nullopt);
}

// A first start fills a new script folder with the example scripts; a
// folder the user has, even an empty one, is left alone.
TEST(ScriptMenu, ExampleScriptsOnlyIntoANewFolder)
{
    BatchBench b;
    writeFile(b / "ExampleScripts/smooth.spt", "[Commands]\nSigma\n");
    writeFile(b / "ExampleScripts/notes.txt", "");
    b.wb.settings.pathScript = b / "user/Script";
    EXPECT_TRUE(provideExampleScripts(b.wb));
    EXPECT_EQ(test::readTextFile(b / "user/Script/smooth.spt"), "[Commands]\nSigma\n");
    EXPECT_FALSE(fs::exists(b / "user/Script/notes.txt"));
    reloadScriptMenu(b.wb);
    EXPECT_EQ(texts(batchState(b.wb).scriptMenu.items), (std::vector<std::string>{"smooth=5002"}));
    fs::remove(b / "user/Script/smooth.spt");
    EXPECT_FALSE(provideExampleScripts(b.wb));
    EXPECT_TRUE(fs::is_empty(b / "user/Script"));
}

TEST(ScriptRun, FromTheMenuWithReportsInOneWindowAndModesRestored)
{
    BatchBench b;
    b.wb.settings.pathScript = b / "Script";
    b.load(scansOf(makeScan(3.0f), makeScan(5.0f)));
    writeFile(b / "Script/daily/flux.spt", "[Init]\nAppExit=1\n[Commands]\nAllMode=1\nIVtoRL\nIVtoRL\nSaveWorksheet\n");
    b.wb.dispatch(193);
    EXPECT_EQ(b.ui.menuChanges, 2); // once at start, once on reload
    const auto& menu = batchState(b.wb).scriptMenu;
    ASSERT_EQ(menu.items.size(), 1u);
    const int id = menu.items[0].items.at(0).id;
    b.wb.setActive(b.wb.scans.tail());
    const fs::path working = fs::current_path();

    b.wb.dispatch(id);

    // Two reports: the first opens the window, the second is appended.
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_NE(b.ui.reportText.find("\r\n\r\nNormal koef(R-L)\r\nFrq\t"), std::string::npos);
    // 101 without a title: "0-Script.0hd" in the output folder.
    EXPECT_TRUE(fs::exists(b.wb.settings.output + "/0-Script.0hd"));
    // Modes and the working folder are as before; the head is active.
    EXPECT_TRUE(b.wb.interactiveMode);
    EXPECT_FALSE(b.wb.allMode);
    EXPECT_EQ(b.wb.activeScan, b.wb.scans.head());
    EXPECT_EQ(fs::current_path(), working);
}

TEST(ScriptRun, AutoScriptAfterAnInteractiveLoad)
{
    BatchBench b;
    b.wb.settings.pathScript = b / "Script";
    writeFile(b / "Script/auto.spt", "[Commands]\nAllMode=1\nWrkAddN=5\n");
    test::writeScanFile(b / "in/a.0hd", {3.0f, 4.0f});
    b.wb.settings.autoScript = "auto.spt";
    ASSERT_EQ(openScans(b.wb, b / "in/a.0hd"), 1);
    for (const auto& r : b.wb.scans)
        EXPECT_EQ(r->wrkV()[10], r->dataV()[10] + 5) << r->frequency;
    EXPECT_FALSE(b.wb.allMode);
}

} // namespace
} // namespace qm

namespace qm {
namespace {

// A double-clicked command lands inside the [Commands] section: at the
// caret there, else at the section's end; the editor knows unsaved edits.
TEST(ScriptEditorText, InsertionInsideTheCommandsSection)
{
    ScriptEditor e(CommandCatalogue({"101 SaveWorksheet"}), "/tmp", "/out", "/in");
    e.text = "[Init]\r\nAppExit=0\r\n[Commands]\r\nSigma\r\n[Files]\r\na.0hd\r\n";
    EXPECT_EQ(e.insertionPoint(0), e.text.find("[Files]"));      // above the section
    EXPECT_EQ(e.insertionPoint(e.text.size()), e.text.find("[Files]")); // below it
    EXPECT_EQ(e.insertionPoint(e.text.find("Sigma")), e.text.find("Sigma"));
    e.text = "[Commands]\r\nSigma";
    std::size_t at = e.insertionPoint(0);
    EXPECT_EQ(at, e.text.size());
    EXPECT_EQ(e.text, "[Commands]\r\nSigma\r\n");
    e.text = "; notes only";
    at = e.insertionPoint(3);
    EXPECT_EQ(at, e.text.size());
    EXPECT_EQ(e.text, "; notes only\r\n[Commands]\r\n");
    EXPECT_EQ(e.insertion(0), "SaveWorksheet\r\n");

    e.clear();
    EXPECT_FALSE(e.unsaved());
    e.text += "Sigma\r\n";
    EXPECT_TRUE(e.unsaved());
    test::TempDir dir("qm-editor");
    EXPECT_TRUE(e.saveAs(dir.file("a.spt")));
    EXPECT_FALSE(e.unsaved());
}

} // namespace
} // namespace qm
