#include "tests/app/scan_fixture.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

using namespace qm;
using qm::test::Bench;
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
    EXPECT_EQ(b.ui.documents, std::vector<std::string>{"/opt/quillmar/quillmar_help.html"});
    b.wb.dispatch(104);
    ASSERT_EQ(b.ui.texts.size(), 1u);
    EXPECT_EQ(b.ui.texts[0].title, "About Quillmar");
    EXPECT_TRUE(b.ui.messages.empty());

    for (int id : {112, 107, 5001, 6}) {
        b.wb.dispatch(id);
        b.expectMessage("Calibration is ON");
    }
    EXPECT_EQ(b.wb.viewBegin, 3);
    EXPECT_EQ(b.wb.activeScan, b.wb.scans.head());

    b.wb.dispatch(2);
    EXPECT_EQ(b.wb.interaction, InteractionMode::None);
    b.wb.dispatch(112);
    EXPECT_EQ(b.wb.viewBegin, 0);
    EXPECT_TRUE(b.ui.messages.empty());
}

TEST(Dispatcher, SplineChoiceRefusesEvenCancel)
{
    Bench b;
    loadThree(b);
    b.wb.interaction = InteractionMode::SplinePoints;
    b.wb.dispatch(2);
    b.expectMessage("Coice of Spline points");
    EXPECT_EQ(b.wb.interaction, InteractionMode::SplinePoints);
    b.wb.dispatch(111);
    b.expectMessage("Coice of Spline points");
    EXPECT_EQ(b.wb.scans.count(), 3);
}

TEST(Dispatcher, IgnoresIdsOutsideTheTableAndNamesMissingHandlers)
{
    Bench b;
    loadThree(b);
    std::vector<int> scripts, plugins;
    b.wb.scriptHook = [&](Workbench&, int id) { scripts.push_back(id); };
    b.wb.pluginHook = [&](Workbench&, int id) { plugins.push_back(id); };
    const int redraws = b.ui.redraws;
    for (int id : {-5, 0, 1, 103, 163, 203, 4999, 5000, 10000})
        b.wb.dispatch(id);
    EXPECT_TRUE(b.ui.statuses.empty());
    EXPECT_EQ(b.ui.redraws, redraws);
    EXPECT_TRUE(b.ui.messages.empty());
    for (int id : {5001, 9999, 10001, 25000})
        b.wb.dispatch(id);
    EXPECT_EQ(scripts, (std::vector<int>{5001, 9999}));
    EXPECT_EQ(plugins, (std::vector<int>{10001, 25000}));

    b.wb.dispatch(119); // "Wrksh+N": in the table, no handler here
    EXPECT_EQ(b.ui.statuses, std::vector<std::string>{"Not available yet"});
    EXPECT_EQ(b.ui.redraws, redraws);
}

// An operation that runs out of memory is stopped there: the box
// interactively, a recorded failure in batch runs, and the program (and
// the next command) goes on.
TEST(Dispatcher, AllocationFailureStopsOnlyTheCommand)
{
    Bench b;
    loadThree(b);
    b.wb.commands().handle(119, [](Workbench&) { throw std::bad_alloc(); });
    b.wb.commands().handle(120, [](Workbench&) { throw std::length_error("vector::reserve"); });
    b.wb.dispatch(119);
    b.expectMessage("Can't allocate memory", "");
    EXPECT_EQ(b.ui.statuses.back(), "Can't allocate memory");
    EXPECT_EQ(b.wb.scans.count(), 3);
    b.wb.takeFailures();

    b.wb.interactiveMode = false;
    b.wb.dispatch(120);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(b.wb.takeFailures(), std::vector<std::string>{"Can't allocate memory"});
    b.wb.viewBegin = 5;
    b.wb.dispatch(112);
    EXPECT_EQ(b.wb.viewBegin, 0);
}

// In a batch run every command that did nothing says why, without a box.
TEST(Dispatcher, BatchRunsLearnWhyACommandDidNothing)
{
    Bench b;
    b.wb.interactiveMode = false;
    b.wb.dispatch(112); // a data command without data
    loadThree(b);
    b.wb.dispatch(100); // "Open" works through a dialog only
    b.wb.dispatch(119); // no handler
    b.wb.chkWrkI = b.wb.chkWrkV = false;
    EXPECT_FALSE(b.wb.requireWorksheetSelected());
    b.wb.interaction = InteractionMode::Calibration;
    b.wb.dispatch(112);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(b.wb.takeFailures(),
              (std::vector<std::string>{"No data are loaded", "Not available in batch mode", "Not available yet",
                                        "WORKSHEET is not checked", "Calibration is ON"}));
    EXPECT_TRUE(b.wb.takeFailures().empty());
}

TEST(Dispatcher, PrevGroupNeedsTwoKeptScans)
{
    Bench b;
    loadThree(b);
    b.wb.groupScans = {b.wb.scans.at(0)};
    b.wb.dispatch(178);
    EXPECT_EQ(b.wb.groupMode, 0);
    EXPECT_EQ(b.wb.groupCount(), 1);
    b.wb.groupScans.push_back(b.wb.scans.at(2));
    b.wb.dispatch(178);
    EXPECT_EQ(b.wb.groupMode, 3);
}

TEST(Dispatcher, CommandsRunUnderOneWaitCursorRestoredOnEveryExit)
{
    Bench b;
    loadThree(b);
    // A command that runs another (as packets and command lists do) and
    // then fails with an exception.
    b.wb.commands().handle(119, [](Workbench& wb) {
        wb.dispatch(112);
        throw std::runtime_error("disk gone");
    });
    EXPECT_THROW(b.wb.dispatch(119), std::runtime_error);
    EXPECT_EQ(b.ui.busyCursor, (std::vector<bool>{true, false}));
    b.wb.dispatch(112);
    EXPECT_EQ(b.ui.busyCursor, (std::vector<bool>{true, false, true, false}));
}

// After an operation the status line tells what it did to how many scans;
// a command that changed nothing or said something itself is left alone.
// A program that cannot be started says so.
TEST(Dispatcher, StatusAfterAnOperationAndAProgramThatWillNotStart)
{
    Bench b;
    loadThree(b);
    b.wb.allMode = true;
    b.wb.commands().handle(110, [](Workbench& wb) {
        const auto n = wb.askNumber("Half-width:");
        for (ScanRecord* s : wb.targets())
            if (n && s->frequency > 2.9f)
                s->wrkI()[2] += *n;
    });
    b.ui.textAnswers = {std::string("30")};
    b.wb.dispatch(110);
    ASSERT_FALSE(b.ui.statuses.empty());
    EXPECT_EQ(b.ui.statuses.back(), "Gauss 30 on 2 scans");
    EXPECT_TRUE(b.wb.unsavedChanges());
    const std::size_t said = b.ui.statuses.size();
    b.wb.dispatch(110); // Cancel at the prompt: nothing changed
    EXPECT_EQ(b.ui.statuses.size(), said);
    b.wb.commands().handle(110, [](Workbench& wb) {
        wb.activeScan->wrkI()[1] = 7;
        wb.status("done my way");
    });
    b.wb.dispatch(110);
    EXPECT_EQ(b.ui.statuses.back(), "done my way");

    b.ui.programsStart = false;
    b.wb.settings.extProgram = "no-such-viewer";
    b.wb.dispatch(157);
    b.expectMessage("Program no-such-viewer cannot be started", "");
}
