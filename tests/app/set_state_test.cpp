#include "app/scan_list.h"
#include "app/set_fingerprint.h"
#include "tests/app/scan_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace qm;
using qm::test::Bench;
using qm::test::makeScan;
using qm::test::scansOf;
using qm::test::selection;
using Flags = std::array<bool, 4>; // Data I, Data V, Worksheet I, Worksheet V

TEST(SetState, LoadSortsActivatesHeadAndEnablesDataCommands)
{
    Bench b;
    b.load(scansOf(makeScan(3.0f, "2004/05/01", "05:00:00", 30), makeScan(3.0f, "2004/05/02", "05:00:00", 30),
                   makeScan(2.8f, "2004/05/01", "05:00:00", 30)),
           "/data/sun/2004/set.0hd");
    EXPECT_EQ(b.order(), (std::vector<float>{2.8f, 3.0f, 3.0f}));
    EXPECT_STREQ(b.wb.scans.at(1)->dateObs, "2004/05/02");
    EXPECT_TRUE(b.wb.setLoaded);
    EXPECT_EQ(b.wb.activeScan, b.wb.scans.head());
    EXPECT_EQ(std::pair(b.wb.viewBegin, b.wb.viewEnd), std::pair(1, 28));
    // Open greyed, Close and the step up available; the head has no lower neighbour.
    EXPECT_EQ((std::vector<bool>{b.wb.isEnabled(100), b.wb.isEnabled(111), b.wb.isEnabled(108), b.wb.isEnabled(107)}),
              (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(b.wb.settings.lastDir, "/data/sun/2004");
    EXPECT_EQ(b.store.readText("LastDir"), std::optional<std::string>("/data/sun/2004"));
}

TEST(SetState, MixedSetRefusesAllModeAndShowsPointOneToNMinusTwo)
{
    Bench b;
    b.load(scansOf(makeScan(2.0f, "2004/05/01", "05:00:00", 40)));
    b.wb.dispatch(106);
    EXPECT_TRUE(b.wb.allMode);
    b.wb.view.localGraph = true;
    b.wb.setChecked(177, true);

    // An append of a shorter scan makes the set mixed.
    b.wb.scans.pushHead(makeScan(3.0f, "2004/05/01", "05:00:00", 25));
    b.wb.afterLoad("/data/more.0hd");
    EXPECT_TRUE(b.wb.mixedSet);
    EXPECT_FALSE(b.wb.allMode);
    for (int id : {106, 135, 144, 177})
        EXPECT_FALSE(b.wb.isEnabled(id)) << id;
    EXPECT_FALSE(b.wb.view.localGraph);
    EXPECT_FALSE(b.wb.isChecked(177));
    b.wb.dispatch(106);
    EXPECT_FALSE(b.wb.allMode);

    EXPECT_EQ(b.wb.viewEnd, 38);
    b.wb.dispatch(107);
    EXPECT_EQ(b.wb.activeScan->frequency, 3.0f);
    EXPECT_EQ(b.wb.viewBegin, 1);
    EXPECT_EQ(b.wb.viewEnd, 23);

    // A different step or a missing channel also makes a set mixed.
    Bench s;
    s.load(scansOf(makeScan(2.0f), makeScan(3.0f, "2004/05/01", "05:00:00", 20, true, true, 2.0f)));
    EXPECT_TRUE(s.wb.mixedSet);
    Bench same;
    same.load(scansOf(makeScan(2.0f), makeScan(3.0f)));
    EXPECT_FALSE(same.wb.mixedSet);
    EXPECT_TRUE(same.wb.isEnabled(106));
}

TEST(SetState, StepActiveStopsAtTheEnds)
{
    Bench b;
    b.load(scansOf(makeScan(2.0f), makeScan(3.0f), makeScan(5.0f)));
    ScanRecord* head = b.wb.scans.head();
    b.wb.dispatch(108); // "next" in the button's sense: the lower frequency
    EXPECT_EQ(b.wb.activeScan, head);
    b.wb.dispatch(107);
    EXPECT_EQ(b.wb.activeScan->frequency, 3.0f);
    b.wb.dispatch(107);
    ScanRecord* tail = b.wb.activeScan;
    EXPECT_EQ(tail->frequency, 5.0f);
    EXPECT_FALSE(b.wb.isEnabled(107));
    b.wb.dispatch(107);
    EXPECT_EQ(b.wb.activeScan, tail);
}

TEST(SetState, CloseResetsEverythingAndAsksFirst)
{
    const auto tmp = std::filesystem::temp_directory_path() / "quillmar_h1_close.tmp";
    std::ofstream(tmp) << "backup";

    Bench b;
    int forgotten = 0;
    b.wb.closeHooks.push_back([&](Workbench&) { ++forgotten; });
    b.load(scansOf(makeScan(2.0f), makeScan(3.0f), makeScan(5.0f)));
    b.wb.tempWorkspace = tmp.string();
    b.wb.dispatch(106);
    b.wb.chkWrkI = b.wb.chkWrkV = true;
    b.wb.chkDataV = false;
    b.wb.view.sunDisk = b.wb.view.localGraph = true;
    b.wb.setChecked(177, true);
    b.wb.groupScans = {b.wb.scans.at(0), b.wb.scans.at(2)};
    b.wb.setGroupView(2);
    b.wb.rlIndicatorEnabled = b.wb.rlIndicatorSet = true;

    // View changes alone leave nothing unsaved; a changed value does, until
    // a save. "Save" runs the workspace command and goes on only when it saved.
    EXPECT_FALSE(b.wb.unsavedChanges());
    b.wb.scans.at(1)->wrkI()[5] += 1.0f;
    EXPECT_TRUE(b.wb.unsavedChanges());
    b.ui.boxAnswers = {kCancel, kYes};
    b.wb.closeSet(true);
    EXPECT_EQ(b.wb.scans.count(), 3);
    EXPECT_TRUE(b.wb.setLoaded);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "Delete ALL data from memory without Save?");
    EXPECT_EQ(b.ui.messages[0].buttons, MsgButtons::SaveDiscardCancel);
    int saves = 0;
    b.wb.commands().handle(185, [&](Workbench&) { ++saves; }); // a save dialog cancelled
    b.wb.closeSet(true);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(b.wb.scans.count(), 3);
    b.ui.boxAnswers = {kYes};
    b.wb.commands().handle(185, [&](Workbench& wb) { ++saves, wb.markSaved(); });
    EXPECT_TRUE(b.wb.confirmDiscard(true));
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(b.ui.messages.size(), 3u);
    b.wb.closeSet(true); // saved: no question
    EXPECT_EQ(b.ui.messages.size(), 3u);
    // Everything as before the first load; the backup deleted, the hooks told.
    const Workbench& w = b.wb;
    EXPECT_TRUE(w.scans.empty() && w.activeScan == nullptr && w.groupCount() == 0 && w.tempWorkspace.empty());
    EXPECT_FALSE(w.setLoaded || w.mixedSet || w.allMode || w.view.sunDisk || w.view.localGraph || w.isChecked(135) ||
                 w.isChecked(177) || w.rlIndicatorEnabled || w.rlIndicatorSet);
    EXPECT_EQ(selection(w), (Flags{true, true, false, false}));
    EXPECT_EQ(w.groupMode, 0);
    EXPECT_EQ(b.ui.titles.back(), "Quillmar");
    EXPECT_TRUE(w.isEnabled(100));
    EXPECT_FALSE(w.isEnabled(111) || w.isEnabled(107) || w.isEnabled(161));
    EXPECT_FALSE(std::filesystem::exists(tmp));
    EXPECT_EQ(forgotten, 1);

    // In a batch run Close asks nothing.
    Bench c;
    c.load(scansOf(makeScan(2.0f)));
    c.wb.interactiveMode = false;
    c.wb.closeSet(true);
    EXPECT_TRUE(c.ui.messages.empty());
    EXPECT_TRUE(c.wb.scans.empty());
}

TEST(SetState, GroupByRangeTakesHalfOpenIntervalOfAtLeastTwo)
{
    Bench b;
    b.load(scansOf(makeScan(2.0f), makeScan(3.0f), makeScan(3.5f), makeScan(5.0f)));
    EXPECT_EQ(b.wb.selectGroupByRange(2.9f, 3.2f, 4.0f), 0); // only 3.5 in [3.2, 4)
    EXPECT_EQ(b.wb.groupCount(), 0);
    EXPECT_EQ(b.wb.selectGroupByRange(2.9f, 3.0f, 5.0f), 2);
    ASSERT_EQ(b.wb.groupCount(), 2);
    EXPECT_EQ(b.wb.groupScans[0]->frequency, 3.0f);
    EXPECT_EQ(b.wb.groupScans[1]->frequency, 3.5f);
    // A failed selection keeps the previous group.
    EXPECT_EQ(b.wb.selectGroupByRange(1.0f, 6.0f, 9.0f), 0);
    EXPECT_EQ(b.wb.groupCount(), 2);
    EXPECT_EQ(b.wb.groupMode, 0); // selecting does not show the group
}

TEST(SetState, GroupByListResolvesSortedFrequencies)
{
    Bench b;
    b.load(scansOf(makeScan(2.8f), makeScan(3.0f, "2004/05/02"), makeScan(3.0f, "2004/05/01"), makeScan(5.7f)));
    // Exact: 9.9 is unresolved; the rest in ascending order.
    EXPECT_EQ(b.wb.selectGroupByList("5.7 9.9 2.8 3.0", 3.7f, 1.0f), 3);
    ASSERT_EQ(b.wb.groupCount(), 3);
    EXPECT_EQ(b.wb.groupScans[0]->frequency, 2.8f);
    EXPECT_EQ(b.wb.groupScans[1], b.wb.scans.at(1)); // first record of 3.0
    EXPECT_EQ(b.wb.groupScans[2]->frequency, 5.7f);
    // Fewer than two resolved: no group change.
    EXPECT_EQ(b.wb.selectGroupByList("2.9 4.0", 2.0f, 1.0f), 0);
    EXPECT_EQ(b.wb.groupCount(), 3);
    // At or above: 2.9 -> 3.0, 4.0 -> 5.7, 9 unresolved.
    EXPECT_EQ(b.wb.selectGroupByList("9 4.0 2.9", 2.0f, 0.0f), 2);
    ASSERT_EQ(b.wb.groupCount(), 2);
    EXPECT_EQ(b.wb.groupScans[0], b.wb.scans.at(1));
    EXPECT_EQ(b.wb.groupScans[1]->frequency, 5.7f);
    // Reading stops at the first text that is not a number; a scan named
    // twice is taken once.
    EXPECT_EQ(b.wb.selectGroupByList("2.8 x 3.0", 2.0f, 1.0f), 0);
    EXPECT_EQ(b.wb.selectGroupByList("2.8 2.8", 2.0f, 1.0f), 0);
}

TEST(SetState, RemovingScansNeverLeavesADanglingActiveScanOrGroup)
{
    Bench b;
    b.load(scansOf(makeScan(2.0f), makeScan(3.0f), makeScan(5.0f), makeScan(7.0f)));
    ScanRecord* s2 = b.wb.scans.at(0);
    ScanRecord* s3 = b.wb.scans.at(1);
    ScanRecord* s5 = b.wb.scans.at(2);
    ScanRecord* s7 = b.wb.scans.at(3);

    // The predecessor of a deleted active scan becomes active.
    b.wb.setActive(s5);
    b.wb.removeScan(s5);
    EXPECT_EQ(b.wb.activeScan, s3);
    // Without a predecessor the successor does.
    b.wb.setActive(s2);
    b.wb.removeScan(s2);
    EXPECT_EQ(b.wb.activeScan, s3);

    // In the group view a deleted member leaves the group; below two the
    // view goes off.
    b.wb.groupScans = {s7, s3};
    b.wb.setGroupView(3);
    ASSERT_EQ(b.wb.groupMode, 3);
    b.wb.removeScan(s7);
    EXPECT_EQ(b.wb.groupMode, 0);
    EXPECT_EQ(b.wb.groupScans, std::vector<ScanRecord*>{s3});

    // Deleting the only scan returns to the empty state.
    b.wb.removeScan(s3);
    EXPECT_TRUE(b.wb.scans.empty());
    EXPECT_EQ(b.wb.activeScan, nullptr);
    EXPECT_EQ(b.wb.groupCount(), 0);
    EXPECT_TRUE(b.ui.messages.empty()); // no question on the way
}

TEST(SetState, RlIndicatorComparesIntegralsAboveEndBaselines)
{
    Bench b;
    b.load(scansOf(makeScan(3.0f, "2004/05/01", "05:00:00", 20)));
    ScanRecord* a = b.wb.activeScan;
    a->flagIvWrk = 1;
    auto shape = [&](float baseR, float bumpR, float baseL, float bumpL) {
        for (int i = 0; i < 20; ++i) {
            const bool mid = i >= 8 && i < 12;
            a->wrkI()[i] = baseR + (mid ? bumpR : 0.0f);
            a->wrkV()[i] = baseL + (mid ? bumpL : 0.0f);
        }
        b.wb.updateRlIndicator();
        return b.wb.rlIndicatorSet;
    };
    EXPECT_TRUE(shape(10, 30, 5, 10));   // S_R = 120, S_L = 40: q = 3
    EXPECT_FALSE(shape(10, 30, 5, 20));  // q = 1.5 exactly is not above
    EXPECT_TRUE(shape(10, 10, 5, -40));  // |S_L| / |S_R| = 4
    EXPECT_FALSE(shape(10, 0, 5, 40));   // S_R = 0
    shape(10, 30, 5, 10);
    a->flagIvWrk = 0; // I and V: the rule does not apply
    b.wb.updateRlIndicator();
    EXPECT_FALSE(b.wb.rlIndicatorSet);
}

// A set digested on several threads: its fingerprint is
// that of its scans in list order, so a changed last sample or two scans
// trading places both show.
TEST(SetState, LargeSetFingerprintTakesEveryScanInOrder)
{
    const auto makeSet = [] {
        std::vector<std::unique_ptr<ScanRecord>> chain;
        for (int k = 0; k < 40; ++k) {
            auto s = std::make_unique<ScanRecord>();
            s->nPoints = 16000;
            s->frequency = float(k);
            s->allocChannel(1);
            s->dataI()[15999] = float(k);
            chain.push_back(std::move(s));
        }
        ScanList list;
        list.appendTail(std::move(chain));
        return list;
    };
    const ScanList a = makeSet(), b = makeSet();
    EXPECT_EQ(setFingerprint(a), setFingerprint(b));
    b.at(39)->dataI()[15999] += 1;
    EXPECT_NE(setFingerprint(a), setFingerprint(b));
    b.at(39)->dataI()[15999] -= 1;
    std::swap(b.at(3)->dataI()[15999], b.at(4)->dataI()[15999]);
    std::swap(b.at(3)->frequency, b.at(4)->frequency);
    EXPECT_NE(setFingerprint(a), setFingerprint(b));
    std::swap(b.at(3)->dataI()[15999], b.at(4)->dataI()[15999]);
    std::swap(b.at(3)->frequency, b.at(4)->frequency);
    EXPECT_EQ(setFingerprint(a), setFingerprint(b));
}
