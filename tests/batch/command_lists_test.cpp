// The quick command list, its dialog and setting.
#include "batch/list_command_table.h"
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

    // OK stores the list.
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

    b.wb.interactiveMode = false; // in a batch run the dialogs never open
    b.wb.dispatch(148);
    EXPECT_EQ(b.ui.listDialogs, 2);
}

} // namespace
} // namespace qm
