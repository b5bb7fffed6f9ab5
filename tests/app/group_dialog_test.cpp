#include "app/group_dialog.h"
#include "tests/app/scan_fixture.h"

#include <gtest/gtest.h>

using namespace qm;
using qm::test::makeScan;

namespace {

GroupDialogParams labels(int n)
{
    GroupDialogParams p;
    for (int i = 0; i < n; ++i)
        p.available.push_back(format("%06.3f 2004/05/01 05:00:00", 1.0 + i));
    return p;
}

} // namespace

TEST(GroupDialog, MovesLinesBothWaysKeepingListOrder)
{
    GroupDialog d(labels(6));
    EXPECT_EQ(d.availableCount(), 6);
    EXPECT_EQ(d.chosenCount(), 0);
    EXPECT_TRUE(d.canAdd());
    EXPECT_FALSE(d.canRemove());
    EXPECT_EQ(d.mode(), 3);
    EXPECT_EQ(d.skipText(), "0.000");

    EXPECT_EQ(d.add({4, 1, 1, 9, -1}), 2); // duplicates and bad rows ignored
    EXPECT_EQ(d.chosen(), (std::vector<std::string>{"02.000 2004/05/01 05:00:00", "05.000 2004/05/01 05:00:00"}));
    EXPECT_EQ(d.availableCount(), 4);
    EXPECT_TRUE(d.canRemove());
    EXPECT_EQ(d.add({0}), 1);
    EXPECT_EQ(d.remove({0}), 1); // "02.000" returns to its place
    EXPECT_EQ(d.available(), (std::vector<std::string>{"02.000 2004/05/01 05:00:00", "03.000 2004/05/01 05:00:00",
                                                        "04.000 2004/05/01 05:00:00", "06.000 2004/05/01 05:00:00"}));
    EXPECT_EQ(d.chosenCount(), 2);
    EXPECT_EQ(d.remove({0, 1}), 2);
    EXPECT_EQ(d.availableCount(), 6);
    EXPECT_FALSE(d.canRemove());
}

TEST(GroupDialog, GroupStopsAt128WithTheFirstLinesThatFit)
{
    GroupDialog d(labels(140));
    std::vector<int> first;
    for (int i = 0; i < 100; ++i)
        first.push_back(i);
    EXPECT_EQ(d.add(first), 100);
    std::vector<int> rest;
    for (int i = 0; i < 40; ++i)
        rest.push_back(i);
    EXPECT_EQ(d.add(rest), 28);
    EXPECT_EQ(d.chosenCount(), 128);
    EXPECT_EQ(d.availableCount(), 12);
    EXPECT_FALSE(d.canAdd());
    EXPECT_EQ(d.chosen().back(), "128.000 2004/05/01 05:00:00");
    EXPECT_EQ(d.available().front(), "129.000 2004/05/01 05:00:00");
    EXPECT_EQ(d.add({0}), 0);
    d.remove({5});
    EXPECT_TRUE(d.canAdd());
}

TEST(GroupDialog, OkSwitchesAnOverfullArrayViewToStacked)
{
    GroupDialog d(labels(12));
    d.setMode(1);
    d.add({0, 1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_TRUE(d.accept("2.5"));
    EXPECT_EQ(d.mode(), 1);
    EXPECT_EQ(d.result().skipFrequency, 2.5f);
    d.add({0});
    EXPECT_FALSE(d.accept("2.5")); // ten scans: stays open, now stacked
    EXPECT_EQ(d.mode(), 3);
    EXPECT_TRUE(d.accept("junk"));
    const auto r = d.result();
    EXPECT_EQ(r.mode, 3);
    EXPECT_EQ(r.skipFrequency, 0.0f);
    EXPECT_EQ(r.chosen.size(), 10u);
    EXPECT_EQ(r.available.size(), 12u);
    d.setMode(7);
    EXPECT_EQ(d.mode(), 3);

    GroupDialogParams pre = labels(4);
    pre.chosen = {"03.000 2004/05/01 05:00:00", "09.000 2004/05/01 05:00:00"};
    pre.mode = 2;
    GroupDialog again(pre);
    EXPECT_EQ(again.chosenCount(), 1);
    EXPECT_EQ(again.mode(), 2);
}

TEST(GroupDialog, ResolvedGroupRunsAgainstListOrder)
{
    ScanList list;
    std::vector<std::unique_ptr<ScanRecord>> chain;
    chain.push_back(makeScan(2.8f));
    chain.push_back(makeScan(3.0f, "2004/05/02"));
    chain.push_back(makeScan(3.0f, "2004/05/01", "06:00:00"));
    chain.push_back(makeScan(3.0f, "2004/05/01", "05:00:00"));
    chain.push_back(makeScan(5.7f));
    chain.push_back(makeScan(5.7f)); // same label as the one before
    list.appendTail(std::move(chain));
    const auto g = resolveGroupLabels(list, {list.at(0)->label(), list.at(1)->label(), list.at(2)->label(),
                                             list.at(3)->label(), list.at(4)->label(), list.at(4)->label(),
                                             "99.000 2004/05/01 05:00:00"});
    ASSERT_EQ(g.size(), 6u);
    EXPECT_EQ(g[0], list.at(4));
    EXPECT_EQ(g[1], list.at(5)); // the repeated label takes the next record bearing it
    EXPECT_EQ(g[2], list.at(3));
    EXPECT_EQ(g[3], list.at(2));
    EXPECT_EQ(g[4], list.at(1));
    EXPECT_EQ(g[5], list.at(0));
}
