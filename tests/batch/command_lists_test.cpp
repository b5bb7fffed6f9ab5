// The quick command list, the pop-up list, their dialog and settings.
#include "batch/list_command_table.h"
#include "batch/popup_menu.h"
#include "tests/batch/batch_fixture.h"

namespace qm {
namespace {

using test::BatchBench;
using test::makeScan;
using test::scansOf;

std::vector<std::string> names(const std::vector<ListDialog::Entry>& entries)
{
    std::vector<std::string> n;
    for (const auto& e : entries)
        n.push_back(e.name);
    return n;
}

TEST(CommandListSetting, ParsingDialogAndQuickListButton)
{
    BatchBench b;
    b.store.writeText("CommandList", "3 110 109 139 0 0 0 0 0 0 0");
    b.wb.settings = loadSettings(b.store, b.wb.programDir);
    b.record({110, 109, 139});
    std::vector<std::string> shown;
    b.ui.onListDialog = [&](ListDialog& d) {
        shown = names(d.chosen());
        d.cancel();
    };
    b.wb.dispatch(148);
    EXPECT_EQ(shown, (std::vector<std::string>{"Gauss", "Median", "Cube Spline"}));
    b.load(scansOf(makeScan(3.0f)));
    b.wb.dispatch(149);
    ASSERT_EQ(b.seen.size(), 3u);
    EXPECT_EQ(b.seen[2].first, 139);

    // Ten numbers only, a count above ten, or "x": no list.
    for (const char* text : {"3 110 109 139 0 0 0 0 0 0", "11 1 2 3 4 5 6 7 8 9 10", "x"}) {
        b.store.writeText("CommandList", text);
        EXPECT_TRUE(loadSettings(b.store, b.wb.programDir).commandList.empty()) << text;
    }

    // OK stores the list, Reset clears it and disables the button.
    b.ui.onListDialog = [](ListDialog& d) {
        while (!d.chosen().empty())
            d.remove(0);
        d.add(38); // "Gauss"
        d.add(0);  // "Next scan"
        d.ok();
    };
    b.wb.dispatch(148);
    EXPECT_EQ(b.store.values["CommandList"], "2 110 108 0 0 0 0 0 0 0 0");
    EXPECT_TRUE(b.wb.isEnabled(149));
    b.ui.onListDialog = [](ListDialog& d) { d.reset(); };
    b.wb.dispatch(148);
    EXPECT_EQ(b.store.values["CommandList"], "0 0 0 0 0 0 0 0 0 0 0");
    EXPECT_FALSE(b.wb.isEnabled(149));

    // The pop-up list: identifiers unknown to the table are not shown.
    b.store.writeText("PopUpMenu", "3 179 4242 152 0 0 0 0 0 0 0");
    b.wb.settings = loadSettings(b.store, b.wb.programDir);
    b.ui.onListDialog = [&](ListDialog& d) {
        shown = names(d.chosen());
        d.add(0); // the separator
        d.ok();
    };
    b.wb.dispatch(183);
    EXPECT_EQ(shown, (std::vector<std::string>{"Data I(R)", "Equal Scale"}));
    EXPECT_EQ(b.store.values["PopUpMenu"], "3 179 152 22222 0 0 0 0 0 0 0");

    b.wb.interactiveMode = false; // in a batch run the dialogs never open
    b.wb.dispatch(148);
    EXPECT_EQ(b.ui.listDialogs, 4);
}

TEST(PopupMenu, ItemsSeparatorsAndCheckMarks)
{
    BatchBench b;
    EXPECT_TRUE(popupMenuItems(b.wb).empty()); // no set loaded
    b.load(scansOf(makeScan(3.0f), makeScan(4.0f)));
    EXPECT_EQ(popupMenuItems(b.wb).size(), 4u); // the empty list gives the four array switches
    b.wb.settings.popUpMenu = parseCommandIds("3 179 22222 152 0 0 0 0 0 0 0");
    b.wb.view.equalScale = true;
    const auto items = popupMenuItems(b.wb);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].id, 179);
    EXPECT_TRUE(items[1].separator);
    EXPECT_EQ(items[2].text, "Equal Scale");
    EXPECT_TRUE(items[2].checked);
}

} // namespace
} // namespace qm
