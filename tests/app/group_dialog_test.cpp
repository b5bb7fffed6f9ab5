#include "app/group_dialog.h"
#include "tests/app/scan_fixture.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace qm;

namespace {

GroupDialogParams labels(int n)
{
    GroupDialogParams p;
    for (int i = 0; i < n; ++i)
        p.available.push_back(format("%06.3f 2004/05/01 05:00:00", 1.0 + i));
    return p;
}

std::vector<int> rows(int n)
{
    std::vector<int> r(static_cast<std::size_t>(n));
    std::iota(r.begin(), r.end(), 0);
    return r;
}

} // namespace

TEST(GroupDialog, GroupStopsAt128WithTheFirstLinesThatFit)
{
    GroupDialog d(labels(140));
    EXPECT_EQ(d.add(rows(100)), 100);
    EXPECT_EQ(d.add(rows(40)), 28);
    EXPECT_EQ(d.chosenCount(), 128);
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
    d.add(rows(9));
    EXPECT_TRUE(d.accept("2.5"));
    EXPECT_EQ(d.mode(), 1);
    EXPECT_EQ(d.result().skipFrequency, 2.5f);
    d.add({0});
    EXPECT_FALSE(d.accept("2.5")); // ten scans: stays open, now stacked
    EXPECT_EQ(d.mode(), 3);
    EXPECT_TRUE(d.accept("2.5"));
    EXPECT_EQ(d.result().mode, 3);
    EXPECT_EQ(d.result().chosen.size(), 10u);
}
