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

TEST(ListCommandTable, FixedOrderAndOfferedRanges)
{
    const auto& t = listCommandTable();
    EXPECT_EQ(t[0].id, kSeparatorId);
    EXPECT_STREQ(t[0].name, "---------");
    EXPECT_EQ(t[5].id, 108);
    EXPECT_STREQ(t[22].name, "Eq. Null");
    EXPECT_EQ(t[41].id, 127);
    EXPECT_EQ(t[47].id, 125);
    EXPECT_STREQ(t[47].name, "Full Flux");
    EXPECT_EQ(t[68].id, 187);
    EXPECT_STREQ(listCommandName(187), "Quiet Point Tb");
    EXPECT_EQ(listCommandName(4242), nullptr);

    const ListDialog quick(ListKind::QuickList, {});
    EXPECT_EQ(quick.offered().size(), 64u);
    EXPECT_EQ(quick.offered().front().name, "Next scan");
    EXPECT_STREQ(quick.caption(), "Batch command List");
    const ListDialog popUp(ListKind::PopUp, {});
    EXPECT_EQ(popUp.offered().size(), 69u);
    EXPECT_STREQ(popUp.caption(), "Select PopUpMenu Item");
}

TEST(ListDialogModel, ButtonsFollowTheCount)
{
    ListDialog d(ListKind::QuickList, {});
    EXPECT_FALSE(d.removeEnabled()); // an empty list
    EXPECT_TRUE(d.addEnabled());
    d.add(-1); // nothing selected
    EXPECT_TRUE(d.chosen().empty());
    for (int i = 0; i < 10; ++i)
        d.add(i);
    EXPECT_EQ(d.chosen().size(), 10u);
    EXPECT_FALSE(d.addEnabled());
    EXPECT_TRUE(d.removeEnabled());
    d.add(20); // a double click at ten adds nothing
    EXPECT_EQ(d.chosen().size(), 10u);
    d.remove(0);
    EXPECT_TRUE(d.addEnabled());
    EXPECT_EQ(d.chosen().front().name, "Prev.scan");
    for (int i = 0; i < 9; ++i)
        d.remove(0);
    EXPECT_FALSE(d.removeEnabled());
    d.remove(0);
    EXPECT_TRUE(d.chosen().empty());

    // A full list at opening: "=>" is found out at the first press.
    ListDialog full(ListKind::QuickList, {110, 109, 139, 110, 109, 139, 110, 109, 139, 110});
    EXPECT_TRUE(full.addEnabled());
    full.add(0);
    EXPECT_FALSE(full.addEnabled());
    EXPECT_EQ(full.chosen().size(), 10u);
}

TEST(CommandListSetting, StoredListsFillTheDialogAndButton149RunsThem)
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
    EXPECT_TRUE(b.wb.isEnabled(149));
    b.wb.dispatch(149);
    std::vector<int> ran;
    for (const auto& s : b.seen)
        ran.push_back(s.first);
    EXPECT_EQ(ran, (std::vector<int>{110, 109, 139}));

    // Ten numbers only, a count above ten, or "x": no list.
    for (const char* text : {"3 110 109 139 0 0 0 0 0 0", "11 1 2 3 4 5 6 7 8 9 10", "x"}) {
        b.store.writeText("CommandList", text);
        EXPECT_TRUE(loadSettings(b.store, b.wb.programDir).commandList.empty()) << text;
    }
}

TEST(CommandListSetting, OkResetAndCancelWriteTheSettings)
{
    BatchBench b;
    b.load(scansOf(makeScan(3.0f)));
    // OK stores the list and enables the quick list button.
    b.ui.onListDialog = [](ListDialog& d) {
        d.add(38); // "Gauss" (table entry 43)
        d.add(0);  // "Next scan"
        d.ok();
    };
    b.wb.dispatch(148);
    EXPECT_EQ(b.store.values["CommandList"], "2 110 108 0 0 0 0 0 0 0 0");
    EXPECT_EQ(b.wb.settings.commandList, (std::vector<int>{110, 108}));
    EXPECT_TRUE(b.wb.isEnabled(149));
    // OK with an empty list changes nothing; Cancel neither.
    b.ui.onListDialog = [](ListDialog& d) {
        d.remove(0);
        d.remove(0);
        d.ok();
    };
    b.wb.dispatch(148);
    b.ui.onListDialog = [](ListDialog& d) {
        d.add(3);
        d.cancel();
    };
    b.wb.dispatch(148);
    EXPECT_EQ(b.store.values["CommandList"], "2 110 108 0 0 0 0 0 0 0 0");
    // Reset clears it and disables the button.
    b.ui.onListDialog = [](ListDialog& d) { d.reset(); };
    b.wb.dispatch(148);
    EXPECT_EQ(b.store.values["CommandList"], "0 0 0 0 0 0 0 0 0 0 0");
    EXPECT_TRUE(b.wb.settings.commandList.empty());
    EXPECT_FALSE(b.wb.isEnabled(149));

    // The pop-up list has its own value; identifiers unknown to the table
    // are not shown.
    b.store.writeText("PopUpMenu", "3 179 4242 152 0 0 0 0 0 0 0");
    b.wb.settings = loadSettings(b.store, b.wb.programDir);
    std::vector<std::string> shown;
    b.ui.onListDialog = [&](ListDialog& d) {
        shown = names(d.chosen());
        d.add(0); // the separator
        d.ok();
    };
    b.wb.dispatch(183);
    EXPECT_EQ(shown, (std::vector<std::string>{"Data I(R)", "Equal Scale"}));
    EXPECT_EQ(b.store.values["PopUpMenu"], "3 179 152 22222 0 0 0 0 0 0 0");
    EXPECT_EQ(b.store.values["CommandList"], "0 0 0 0 0 0 0 0 0 0 0");

    // In a batch run the dialogs never open.
    b.wb.interactiveMode = false;
    b.wb.dispatch(148);
    b.wb.dispatch(183);
    EXPECT_EQ(b.ui.listDialogs, 5);
}

TEST(PopupMenu, ItemsSeparatorsAndCheckMarks)
{
    BatchBench b;
    EXPECT_TRUE(popupMenuItems(b.wb).empty()); // no set loaded
    b.load(scansOf(makeScan(3.0f), makeScan(4.0f)));
    // The empty list gives the four array switches.
    b.wb.chkDataI = true;
    b.wb.chkDataV = false;
    b.wb.chkWrkI = true;
    b.wb.chkWrkV = false;
    auto items = popupMenuItems(b.wb);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].text, "Data I(R)");
    EXPECT_EQ(items[1].text, "Worksheet I(R)");
    EXPECT_EQ(items[2].text, "Data V(L)");
    EXPECT_EQ(items[3].text, "Worksheet V(L)");
    EXPECT_EQ((std::vector<bool>{items[0].checked, items[1].checked, items[2].checked, items[3].checked}),
              (std::vector<bool>{true, true, false, false}));

    b.wb.settings.popUpMenu = parseCommandIds("3 179 22222 152 0 0 0 0 0 0 0");
    items = popupMenuItems(b.wb);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].id, 179);
    EXPECT_TRUE(items[0].checked);
    EXPECT_TRUE(items[1].separator);
    EXPECT_EQ(items[2].text, "Equal Scale");
    EXPECT_FALSE(items[2].checked);
    b.wb.chkDataI = false;
    b.wb.view.equalScale = true;
    items = popupMenuItems(b.wb);
    EXPECT_FALSE(items[0].checked);
    EXPECT_TRUE(items[2].checked);

    b.wb.settings.popUpMenu = {135, 169, 177, 110};
    b.wb.groupScans = {b.wb.scans.at(0), b.wb.scans.at(1)};
    b.wb.setGroupView(3);
    b.wb.view.localGraph = true;
    items = popupMenuItems(b.wb);
    EXPECT_EQ((std::vector<bool>{items[0].checked, items[1].checked, items[2].checked, items[3].checked}),
              (std::vector<bool>{true, false, true, false}));
}

} // namespace
} // namespace qm
