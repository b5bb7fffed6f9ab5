#include "tests/view/plot_fixture.h"
#include "view/group_view.h"
#include "view/view_settings.h"

#include <gtest/gtest.h>

namespace qm::test {
namespace {

TEST(ViewSettings, DialogOpensWithTheCurrentStateAndOkStoresIt)
{
    PlotBench b;
    b.load(plotScan(3, 50, constant(1), constant(2))); // channel 1 only
    b.wb.view.titleParts = kTitleDate | kTitleTime;
    b.wb.view.mainTitle = "";
    b.wb.view.leftAxisTitle = "Tb";
    b.wb.view.digFrame = true;

    ViewSettingsFields answer;
    answer.colour = false;
    answer.groupList = false;
    answer.listOutside = answer.residual = answer.sunDisk = answer.sunCenter = answer.fitsImage = true;
    answer.freq = false;
    answer.time = true;
    answer.viewScale = answer.digFrame = answer.confirmAll = false;
    answer.dataI = false;
    answer.wrkI = answer.dataV = answer.wrkV = true; // channel 2 is absent
    answer.mainTitle = std::string(40, 'M');
    answer.rightAxisTitle = std::string(20, 'R');
    answer.leftAxisTitle = "%";
    b.ui.viewAnswers.push_back(answer);
    const int redraws = b.ui.redraws;
    b.wb.dispatch(118);

    ASSERT_EQ(b.ui.viewShown.size(), 1u);
    const ViewSettingsFields& shown = b.ui.viewShown[0];
    EXPECT_FALSE(shown.freq);
    EXPECT_TRUE(shown.date && shown.time && shown.digFrame && shown.dataI && !shown.dataV);
    EXPECT_EQ(shown.mainTitle, "%");
    EXPECT_EQ(shown.leftAxisTitle, "Tb");

    const ViewFlags& v = b.wb.view;
    EXPECT_FALSE(v.colour || v.groupList || v.viewScale || v.digFrame || v.confirmAll);
    EXPECT_TRUE(v.listOutside && v.residual && v.sunDisk && v.sunCenter && v.fitsImage);
    EXPECT_EQ(v.titleParts, kTitleTime);
    EXPECT_EQ(v.mainTitle, std::string(31, 'M'));
    EXPECT_EQ(v.rightAxisTitle, std::string(15, 'R'));
    EXPECT_EQ(v.leftAxisTitle, "%");
    // Arrays the active scan lacks stay off.
    EXPECT_EQ(selection(b.wb), (std::array<bool, 4>{false, false, true, false}));
    EXPECT_GT(b.ui.redraws, redraws);

    // Cancel changes nothing; in batch mode no dialog opens.
    b.ui.viewAnswers.push_back(std::nullopt);
    b.wb.dispatch(118);
    EXPECT_EQ(b.ui.viewShown.size(), 2u);
    EXPECT_TRUE(b.wb.view.sunDisk);
    b.wb.interactiveMode = false;
    b.ui.viewAnswers.push_back(ViewSettingsFields{});
    b.wb.dispatch(118);
    EXPECT_EQ(b.ui.viewShown.size(), 2u);
    EXPECT_TRUE(b.wb.view.sunDisk);
}

} // namespace
} // namespace qm::test
