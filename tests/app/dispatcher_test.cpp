#include "tests/app/scan_fixture.h"

#include <gtest/gtest.h>

using namespace qm;
using qm::test::Bench;
using qm::test::expectGroupView;
using qm::test::makeScan;
using qm::test::scansOf;

namespace {

// Three scans: 2.8 GHz, and 3.0 GHz observed on two days.
void loadThree(Bench& b)
{
    b.load(scansOf(makeScan(3.0f, "2004/05/01"), makeScan(3.0f, "2004/05/02"), makeScan(2.8f)));
}

} // namespace

TEST(Dispatcher, CalibrationChoiceRefusesAllButHelpAboutAndCancel)
{
    Bench b;
    loadThree(b);
    b.wb.interaction = InteractionMode::Calibration;
    b.wb.viewBegin = 3;

    b.wb.dispatch(105);
    ASSERT_EQ(b.ui.documents.size(), 1u);
    EXPECT_EQ(b.ui.documents[0], "/opt/quillmar/quillmar_help.html");
    b.wb.dispatch(104);
    ASSERT_EQ(b.ui.texts.size(), 1u);
    EXPECT_EQ(b.ui.texts[0].title, "About Quillmar");
    EXPECT_TRUE(b.ui.messages.empty());

    for (int id : {112, 107, 135, 5001, 10011, 6}) {
        b.wb.dispatch(id);
        ASSERT_FALSE(b.ui.messages.empty()) << id;
        EXPECT_EQ(b.ui.messages.back().text, "Calibration is ON");
        EXPECT_EQ(b.ui.messages.back().caption, "Information");
    }
    EXPECT_EQ(b.ui.messages.size(), 6u);
    EXPECT_EQ(b.wb.viewBegin, 3);
    EXPECT_EQ(b.wb.activeScan, b.wb.scans.head());

    b.wb.dispatch(2);
    EXPECT_EQ(b.wb.interaction, InteractionMode::None);
    EXPECT_EQ(b.ui.titles.back(), "Quillmar");
    b.wb.dispatch(112);
    EXPECT_EQ(b.wb.viewBegin, 0);
    EXPECT_EQ(b.ui.messages.size(), 6u);

    // Batch runs show nothing but still refuse.
    b.wb.interaction = InteractionMode::PointChoice;
    b.wb.interactiveMode = false;
    b.wb.viewBegin = 4;
    b.wb.dispatch(112);
    EXPECT_EQ(b.wb.viewBegin, 4);
    EXPECT_EQ(b.ui.messages.size(), 6u);
}

TEST(Dispatcher, EachBlockingModeHasItsMessageAndOnlySplineOutlivesCancel)
{
    const std::pair<InteractionMode, const char*> modes[] = {
        {InteractionMode::PointChoice, "Coice of points is ON"},
        {InteractionMode::AmplifCorrection, "Correction of Amplif is ON"},
        {InteractionMode::SplinePoints, "Coice of Spline points"},
    };
    for (const auto& [mode, text] : modes) {
        SCOPED_TRACE(text);
        Bench b;
        loadThree(b);
        b.wb.interaction = mode;
        b.wb.dispatch(111);
        EXPECT_EQ(b.wb.scans.count(), 3);
        b.expectMessage(text);
        b.wb.dispatch(2); // Cancel ends every mode but the spline choice, which refuses it
        EXPECT_EQ(b.wb.interaction == InteractionMode::None, mode != InteractionMode::SplinePoints);
        EXPECT_EQ(b.ui.messages.size(), mode == InteractionMode::SplinePoints ? 1u : 0u);
    }

    // The spline choice refuses even Cancel, but not its own dialog (140),
    // a redraw (5555) or About.
    Bench b;
    loadThree(b);
    int splineCalls = 0;
    b.wb.commands().handle(140, [&](Workbench& wb) {
        ++splineCalls;
        wb.interaction = InteractionMode::None;
    });
    b.wb.interaction = InteractionMode::SplinePoints;
    const int redraws = b.ui.redraws;
    b.wb.dispatch(5555);
    EXPECT_EQ(b.ui.redraws, redraws + 1);
    b.wb.dispatch(104);
    EXPECT_EQ(b.ui.texts.size(), 1u);
    b.wb.dispatch(140);
    EXPECT_EQ(splineCalls, 1);
    EXPECT_EQ(b.wb.interaction, InteractionMode::None);
    EXPECT_TRUE(b.ui.messages.empty());
}

TEST(Dispatcher, RoutesHooksAndIgnoresIdsOutsideTheTable)
{
    Bench b;
    loadThree(b);
    std::vector<int> scripts, plugins;
    b.wb.scriptHook = [&](Workbench&, int id) { scripts.push_back(id); };
    b.wb.pluginHook = [&](Workbench&, int id) { plugins.push_back(id); };
    const auto before = b.ui.statuses.size();
    const int redraws = b.ui.redraws;
    for (int id : {-5, 0, 1, 5, 8, 103, 163, 164, 203, 1000, 4999, 5000, 10000})
        b.wb.dispatch(id);
    EXPECT_EQ(b.ui.statuses.size(), before);
    EXPECT_EQ(b.ui.redraws, redraws);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_TRUE(scripts.empty());
    EXPECT_TRUE(plugins.empty());

    for (int id : {5001, 9999, 10001, 10111, 25000})
        b.wb.dispatch(id);
    EXPECT_EQ(scripts, (std::vector<int>{5001, 9999}));
    EXPECT_EQ(plugins, (std::vector<int>{10001, 10111, 25000}));

    b.wb.scriptHook = nullptr;
    b.wb.pluginHook = nullptr;
    b.wb.dispatch(5001);
    b.wb.dispatch(10011);
    EXPECT_TRUE(b.ui.messages.empty());
}

TEST(Dispatcher, TableCommandWithoutHandlerIsNotAvailableYet)
{
    Bench b;
    // Without a set, data commands do not arrive at all.
    b.wb.dispatch(119);
    EXPECT_TRUE(b.ui.statuses.empty());
    loadThree(b);
    const auto view = std::make_pair(b.wb.viewBegin, b.wb.viewEnd);
    const int redraws = b.ui.redraws;
    b.wb.dispatch(119); // "Wrksh+N": in the table, no handler here
    ASSERT_FALSE(b.ui.statuses.empty());
    EXPECT_EQ(b.ui.statuses.back(), "Not available yet");
    EXPECT_EQ(std::make_pair(b.wb.viewBegin, b.wb.viewEnd), view);
    EXPECT_EQ(b.ui.redraws, redraws);
    EXPECT_TRUE(b.ui.messages.empty());
}

TEST(Dispatcher, HandlersRunWithTheTablesSyncAndRedraw)
{
    Bench b;
    b.load(scansOf(makeScan(2.0f, "2004/05/01", "05:00:00", 20, true, false)));
    int redraws = b.ui.redraws;
    b.wb.dispatch(179);
    EXPECT_FALSE(b.wb.chkDataI);
    EXPECT_EQ(b.ui.redraws, redraws + 1);
    b.wb.dispatch(181);
    EXPECT_TRUE(b.wb.chkWrkI);
    b.wb.dispatch(182); // the scan has no channel 2: synchronisation clears it
    EXPECT_FALSE(b.wb.chkWrkV);
    b.wb.dispatch(180);
    EXPECT_FALSE(b.wb.chkDataV);

    redraws = b.ui.redraws;
    b.wb.dispatch(112);
    EXPECT_EQ(b.wb.viewBegin, 0);
    EXPECT_EQ(b.wb.viewEnd, 19);
    EXPECT_EQ(b.ui.redraws, redraws + 1);

    b.wb.dispatch(106);
    EXPECT_TRUE(b.wb.allMode);
    b.wb.dispatch(106);
    EXPECT_FALSE(b.wb.allMode);

    b.wb.dispatch(116);
    ASSERT_EQ(b.ui.texts.size(), 1u);
    EXPECT_EQ(b.ui.texts[0].title, "Header of data");
    EXPECT_EQ(b.ui.texts[0].text, headerViewText(*b.wb.activeScan));
}

TEST(Dispatcher, DataListChoiceAndExternalProgram)
{
    Bench b;
    loadThree(b);
    b.wb.selectedLabel = "03.000 2004/05/01 05:00:00";
    b.wb.dispatch(9);
    EXPECT_STREQ(b.wb.activeScan->dateObs, "2004/05/01");
    EXPECT_EQ(b.wb.activeScan, b.wb.scans.tail());
    b.wb.selectedLabel = "02.800 2004/05/01 05:00:00";
    b.wb.dispatch(9);
    EXPECT_EQ(b.wb.activeScan, b.wb.scans.head());
    b.wb.selectedLabel = " [GHz]  year/m/d   h:m:ss.ss"; // the heading names no scan
    b.wb.dispatch(9);
    EXPECT_EQ(b.wb.activeScan, b.wb.scans.tail());

    b.wb.settings.extProgram = "C:\\Tools\\ed.exe";
    b.wb.dispatch(157);
    EXPECT_EQ(b.ui.programs, std::vector<std::string>{"C:\\Tools\\ed.exe"});
}

TEST(Dispatcher, GroupDialogTogglesTheView)
{
    Bench b;
    loadThree(b);
    GroupDialogParams answer;
    answer.chosen = {"02.800 2004/05/01 05:00:00", "03.000 2004/05/02 05:00:00", "03.000 2004/05/01 05:00:00"};
    answer.mode = 2;
    answer.skipFrequency = 2.9f;
    b.ui.groupAnswers = {answer};
    b.wb.dispatch(135);
    ASSERT_EQ(b.wb.groupCount(), 3); // in reverse list order: see the group dialog tests
    EXPECT_EQ(b.wb.groupScans[2]->frequency, 2.8f);
    EXPECT_EQ(b.wb.groupMode, 2);
    EXPECT_EQ(b.wb.skipFrequency, 2.9f);
    expectGroupView(b, true);
    EXPECT_TRUE(b.wb.chkWrkI && b.wb.chkWrkV);

    b.wb.dispatch(135); // with the view on: off, group kept
    EXPECT_EQ(b.wb.groupMode, 0);
    expectGroupView(b, false);
    EXPECT_EQ(b.wb.groupCount(), 3);

    b.wb.chkWrkI = b.wb.chkWrkV = false;
    b.wb.dispatch(178); // "Prev. Group": the kept group, stacked
    EXPECT_EQ(b.wb.groupMode, 3);
    expectGroupView(b, true);
    EXPECT_TRUE(b.wb.chkWrkI && b.wb.chkWrkV);

    // Cancel, or fewer than two chosen, shows no group.
    b.wb.dispatch(135);
    b.ui.groupAnswers = {std::nullopt};
    b.wb.dispatch(135);
    EXPECT_EQ(b.wb.groupMode, 0);
    answer.chosen = {"02.800 2004/05/01 05:00:00"};
    b.ui.groupAnswers = {answer};
    b.wb.dispatch(135);
    EXPECT_EQ(b.wb.groupMode, 0);
    EXPECT_EQ(b.wb.groupCount(), 3); // the kept group survives

    // Packets do not open the dialog.
    b.wb.interactiveMode = false;
    b.ui.groupAnswers = {answer};
    b.wb.dispatch(135);
    EXPECT_EQ(b.ui.groupAnswers.size(), 1u);
}

TEST(Dispatcher, PrevGroupNeedsTwoKeptScansAndViewGroupCyclesModes)
{
    Bench b;
    std::vector<std::unique_ptr<ScanRecord>> v;
    for (int i = 0; i < 10; ++i)
        v.push_back(makeScan(1.0f + static_cast<float>(i)));
    b.load(std::move(v));
    b.wb.groupScans = {b.wb.scans.at(0)};
    const auto titles = b.ui.titles.size();
    b.wb.dispatch(178);
    EXPECT_EQ(b.wb.groupMode, 0);
    EXPECT_FALSE(b.wb.isChecked(135));
    EXPECT_EQ(b.ui.titles.size(), titles);

    b.wb.groupScans = {b.wb.scans.at(0), b.wb.scans.at(1), b.wb.scans.at(2)};
    b.wb.dispatch(178);
    ASSERT_EQ(b.wb.groupMode, 3);
    b.wb.dispatch(161);
    EXPECT_EQ(b.wb.groupMode, 1);
    b.wb.dispatch(161);
    EXPECT_EQ(b.wb.groupMode, 2);
    b.wb.dispatch(161);
    EXPECT_EQ(b.wb.groupMode, 3);

    // Ten scans do not fit the 3x3 array view.
    for (int i = 3; i < 10; ++i)
        b.wb.groupScans.push_back(b.wb.scans.at(i));
    b.wb.dispatch(161);
    EXPECT_EQ(b.wb.groupMode, 2);
    b.wb.setGroupView(1);
    EXPECT_EQ(b.wb.groupMode, 3);
}

// What Close resets is in the set state tests.
TEST(Dispatcher, CloseByCommandAndConfigurationDialog)
{
    Bench b;
    loadThree(b);
    b.ui.boxAnswers = {kCancel};
    b.wb.dispatch(111);
    EXPECT_EQ(b.wb.scans.count(), 3);
    b.wb.dispatch(111);
    EXPECT_TRUE(b.wb.scans.empty());

    b.wb.dispatch(117); // always available
    EXPECT_EQ(b.ui.configShown.size(), 1u);
}
