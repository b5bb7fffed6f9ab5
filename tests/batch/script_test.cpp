// The Script menu, running scripts, AutoScript and the Script Editor.
#include "batch/command_catalogue.h"
#include "batch/script_runner.h"
#include "files/open_scans.h"

#include <cstring>
#include "tests/batch/batch_fixture.h"

namespace qm {
namespace {

using test::BatchBench;
using test::makeScan;
using test::scansOf;
using test::slurp;
using test::writeText;
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
    test::TempFolder dir("menu");
    writeText(dir / "daily/flux.spt", "[Commands]\n");
    writeText(dir / "notes.spt.txt", "[Commands]\n");
    writeText(dir / "Big.SPT", "[Commands]\n");
    writeText(dir / "readme.txt", "");
    fs::create_directories(dir / "empty");
    for (int i = 0; i < 12; ++i)
        writeText(dir / ("many/s" + std::to_string(10 + i) + ".spt"), "");

    const ScriptMenu menu = buildScriptMenu(dir.path().string());
    EXPECT_EQ(texts(menu.items), (std::vector<std::string>{"Big=5002", "daily/", "empty/", "many/", "notes.spt=5014"}));
    EXPECT_EQ(texts(menu.items[1].items), (std::vector<std::string>{"flux=5003"}));
    EXPECT_TRUE(menu.items[2].items.empty());
    ASSERT_EQ(menu.items[3].items.size(), 10u); // ten scripts a folder
    EXPECT_EQ(menu.items[3].items.back().text, "s19");
    EXPECT_EQ(menu.items[3].items.back().id, 5013);

    EXPECT_EQ(scriptRelativePath(menu, 5003), "daily/flux.spt");
    EXPECT_EQ(scriptRelativePath(menu, 5002), "Big.SPT");
    EXPECT_EQ(scriptRelativePath(menu, 5014), "notes.spt.txt");
    EXPECT_EQ(scriptRelativePath(menu, 5015), std::nullopt);
    EXPECT_EQ(scriptRelativePath(menu, 5001), std::nullopt);
    EXPECT_TRUE(buildScriptMenu(dir / "missing").items.empty());
}

TEST(ScriptMenu, SymbolicLinksToFoldersAreNotFollowed)
{
    test::TempFolder dir("loop");
    writeText(dir / "a/x.spt", "");
    fs::create_directory_symlink(dir.path(), dir / "a/loop");
    const ScriptMenu menu = buildScriptMenu(dir.path().string());
    ASSERT_EQ(menu.items.size(), 1u);
    EXPECT_EQ(texts(menu.items[0].items), (std::vector<std::string>{"x=5002"}));
}

struct ScriptBench : BatchBench {
    ScriptBench()
    {
        wb.settings.pathScript = home / "Script";
        load(scansOf(makeScan(3.0f), makeScan(5.0f)));
        std::strcpy(wb.scans.head()->dataFile, "/data/sun/set.001");
    }
    void script(const std::string& relative, const std::string& text)
    {
        writeText(home / ("Script/" + relative), text);
        wb.dispatch(193);
    }
};

TEST(ScriptRun, FromTheMenuWithReportsInOneWindowAndModesRestored)
{
    ScriptBench b;
    b.script("daily/flux.spt", "[Init]\nAppExit=1\n[Commands]\nAllMode=1\nIVtoRL\nIVtoRL\nSaveWorksheet\n");
    EXPECT_EQ(b.ui.menuChanges, 2); // once at start, once on reload
    const auto& menu = batchState(b.wb).scriptMenu;
    ASSERT_EQ(menu.items.size(), 1u);
    EXPECT_EQ(menu.items[0].text, "daily");
    const int id = menu.items[0].items.at(0).id;
    EXPECT_EQ(id, 5002);
    b.wb.setActive(b.wb.scans.tail());
    const fs::path working = fs::current_path();

    b.wb.dispatch(id);

    // Two reports: the first opens the window, the second is appended.
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_EQ(b.ui.reports[0].title, "Normal koef(R-L)");
    EXPECT_NE(b.ui.reportText.find("\r\n\r\nNormal koef(R-L)\r\nFrq\t"), std::string::npos);
    // 101 without a title: "0-Script.0hd" in the output folder.
    EXPECT_TRUE(fs::exists(b.wb.settings.output + "/0-Script.0hd"));
    // Modes and the working folder are as before; the head is active.
    EXPECT_TRUE(b.wb.interactiveMode);
    EXPECT_TRUE(b.wb.fileOutput);
    EXPECT_FALSE(b.wb.allMode);
    EXPECT_TRUE(b.wb.view.confirmAll);
    EXPECT_EQ(b.wb.activeScan, b.wb.scans.head());
    EXPECT_EQ(b.wb.currentFileLabel, "");
    EXPECT_EQ(fs::current_path(), working);
    EXPECT_EQ(b.ui.titles.back(), "Quillmar");
    EXPECT_EQ(b.ui.questions(), 0u);
}

TEST(ScriptRun, ReportsNameTheDataFileAndMissingScriptsChangeNothing)
{
    ScriptBench b;
    // A script that records the label its reports carry.
    std::string label;
    b.wb.commands().handle(165, [&](Workbench& w) { label = w.currentFileLabel; });
    b.script("s.spt", "[Commands]\nSigma\n");
    b.wb.dispatch(5002);
    EXPECT_EQ(label, "set.001");
    b.wb.setActive(b.wb.scans.tail());
    b.wb.dispatch(5002);
    EXPECT_EQ(label, "Script"); // no data file

    // Deleted after the menu was built, or an identifier with no script.
    fs::remove(b / "Script/s.spt");
    label.clear();
    b.wb.allMode = true;
    b.wb.dispatch(5002);
    b.wb.dispatch(6000);
    EXPECT_EQ(label, "");
    EXPECT_TRUE(b.wb.interactiveMode);
    EXPECT_TRUE(b.wb.fileOutput);
    EXPECT_TRUE(b.wb.allMode);
    EXPECT_FALSE(runScriptByName(b.wb, "nope.spt"));

    // An empty script folder setting means programDir/Script.
    b.wb.settings.pathScript.clear();
    EXPECT_EQ(scriptFolder(b.wb), b / "Script");
}

TEST(ScriptRun, AutoScriptAfterAnInteractiveLoad)
{
    BatchBench b;
    b.wb.settings.pathScript = b / "Script";
    writeText(b / "Script/auto.spt", "[Commands]\nAllMode=1\nWrkAddN=5\n");
    test::writeScanFile(b / "in/a.0hd", {3.0f, 4.0f});
    b.wb.settings.autoScript = "auto.spt";
    ASSERT_EQ(openScans(b.wb, b / "in/a.0hd"), 1);
    ASSERT_EQ(b.wb.scans.count(), 2);
    for (const auto& r : b.wb.scans) {
        EXPECT_EQ(r->wrkI()[10], r->dataI()[10] + 5) << r->frequency;
        EXPECT_EQ(r->wrkV()[10], r->dataV()[10] + 5) << r->frequency;
    }
    EXPECT_FALSE(b.wb.allMode);
    EXPECT_EQ(b.ui.questions(), 0u);

    // A name that starts with a blank runs nothing.
    b.wb.closeSet(false);
    b.wb.settings.autoScript = " auto.spt";
    openScans(b.wb, b / "in/a.0hd");
    EXPECT_EQ(b.wb.scans.head()->wrkI()[10], b.wb.scans.head()->dataI()[10]);
}

TEST(ScriptEditorModel, CatalogueHelpAndFiles)
{
    BatchBench b;
    const CommandCatalogue cat = CommandCatalogue::load(test::shippedCatalogue());
    ScriptEditor e(cat, b / "Script");
    ASSERT_TRUE(e.usable());
    ASSERT_EQ(e.entries().size(), cat.lines().size());
    EXPECT_EQ(e.entries()[0].name, "Nothing");
    EXPECT_EQ(e.text, "[Commands]\r\n");
    EXPECT_EQ(e.fileName, "None");
    EXPECT_EQ(e.helpText, "Help");
    e.select(1);
    EXPECT_EQ(e.helpText, cat.lines()[1].text.substr(1));
    EXPECT_EQ(e.insertion(1), "AllMode\r\n");
    EXPECT_EQ(e.insertion(999), "");

    e.packetHeader();
    EXPECT_EQ(e.text, "[Init]\r\nAppHide=1\r\nAppExit=1\r\nOutFile=Log.txt\r\nOutPrefix=p_\r\nFileMask=*.*\r\n"
                      "OutDir=c:\\tmp\r\nInDir=c:\\tmp\r\n\r\n[Files]\r\n\r\n[Commands]\r\n");
    EXPECT_EQ(e.fileName, "None");
    EXPECT_FALSE(e.save()); // no current file
    ASSERT_TRUE(e.saveAs(b / "p.pkf"));
    EXPECT_EQ(slurp(b / "p.pkf"), e.text);
    e.text += "AllMode=1\r\n";
    ASSERT_TRUE(e.save());
    EXPECT_EQ(slurp(b / "p.pkf"), e.text);
    e.clear();
    EXPECT_EQ(e.text, "[Commands]\r\n");
    EXPECT_FALSE(e.open(b / "missing.spt"));
    EXPECT_EQ(e.fileName, "None");
    ASSERT_TRUE(e.open(b / "p.pkf"));
    EXPECT_NE(e.text.find("AllMode=1"), std::string::npos);
    EXPECT_EQ(e.openDialog().filters.at(0).pattern, "*.spt");
    EXPECT_EQ(e.openDialog().filters.at(1).name, "Pack files");
    EXPECT_EQ(e.openDialog().initialDir, b / "Script");

    // Command 194 opens the editor only with a catalogue to offer.
    b.wb.dispatch(194);
    EXPECT_EQ(b.ui.scriptEditors, 1);
    BatchBench none(false);
    none.wb.dispatch(194);
    EXPECT_EQ(none.ui.scriptEditors, 0);
}

} // namespace
} // namespace qm
