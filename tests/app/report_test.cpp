#include "app/report_window.h"
#include "tests/app/scan_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

using namespace qm;
using qm::test::Bench;
using qm::test::readTextFile;
using qm::test::TempDir;
namespace fs = std::filesystem;

TEST(ReportRouting, InteractiveOpensOneWindowPerReport)
{
    Bench b;
    b.wb.deliverReport("Correlation", "a\tb\r\n1\t2\r\n");
    b.wb.deliverReport("Sigma", "s\r\n3\r\n");
    b.wb.deliverReport("Empty", ""); // nothing happens
    ASSERT_EQ(b.ui.reports.size(), 2u);
    EXPECT_EQ(b.ui.reports[0].title, "Correlation");
    EXPECT_EQ(b.ui.reports[0].text, "a\tb\r\n1\t2\r\n");
    EXPECT_EQ(b.ui.reports[1].title, "Sigma");
    EXPECT_EQ(b.ui.reports[1].text, "s\r\n3\r\n");
}

TEST(ReportRouting, ScriptAccumulatesInTheOpenWindowUpToTheLimit)
{
    Bench b;
    b.wb.interactiveMode = false;
    b.wb.fileOutput = false;
    b.wb.deliverReport("Flux", "F1");   // no window yet: one opens
    b.wb.deliverReport("Sigma", "S2");
    b.wb.deliverReport("Corr", "C3");
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_EQ(b.ui.reports[0].title, "Flux");
    const std::string acc = "F1\r\n\r\nSigma\r\nS2\r\n\r\nCorr\r\nC3";
    EXPECT_EQ(b.ui.reportText, acc);
    EXPECT_TRUE(b.ui.messages.empty());

    // old + title + text reaching 32001 is dropped; 32000 still goes in.
    const std::string title = "Big";
    const std::string tooLong(32001 - acc.size() - title.size(), 'x');
    b.wb.deliverReport(title, tooLong);
    EXPECT_EQ(b.ui.reportText, acc);
    const std::string fits(tooLong.size() - 1, 'y');
    b.wb.deliverReport(title, fits);
    EXPECT_EQ(b.ui.reportText, acc + "\r\n\r\nBig\r\n" + fits);
    EXPECT_EQ(b.ui.reports.size(), 1u);

}

TEST(ReportRouting, BatchAppendsToTheTitledFileInTheOutputFolder)
{
    TempDir tmp;
    Bench b;
    b.wb.interactiveMode = false;
    b.wb.fileOutput = true;
    b.wb.settings.output = tmp.path().string();
    b.wb.currentFileLabel = "/data/scans/set.001";
    b.wb.deliverReport("Correlation", "K\tdX\r\n0.95\t1.5\r\n");
    b.wb.currentFileLabel = "/data/scans/set.002";
    b.wb.deliverReport("Correlation", "K\tdX\r\n0.90\t-2\r\n");
    b.wb.deliverReport("Correlation", ""); // nothing, not even the label line
    EXPECT_EQ(readTextFile(tmp.file("Correlation.dat")),
              "\r\n/data/scans/set.001\r\nK\tdX\r\n0.95\t1.5\r\n"
              "\r\n/data/scans/set.002\r\nK\tdX\r\n0.90\t-2\r\n");
    EXPECT_TRUE(b.ui.reports.empty());
    EXPECT_TRUE(b.ui.messages.empty());

    EXPECT_TRUE(b.wb.takeFailures().empty());

    // A missing output folder is made; one that cannot be is a failure of
    // the command, told without a question.
    b.wb.settings.output = (tmp.path() / "new" / "out").string();
    b.wb.deliverReport("Sigma", "1\r\n");
    EXPECT_EQ(readTextFile(tmp.file("new/out/Sigma.dat")), "\r\n/data/scans/set.002\r\n1\r\n");
    b.wb.settings.output = tmp.file("Correlation.dat") + "/out";
    b.wb.deliverReport("Sigma", "2\r\n");
    EXPECT_EQ(b.wb.takeFailures().size(), 1u);
    EXPECT_TRUE(b.ui.messages.empty());
}

TEST(ReportRouting, LayoutLinesUpColumnsPastTheWidestField)
{
    // A title line and a header are long single fields or last fields and
    // widen no column; the numbers set the stops.
    const ReportLayout l = reportLayout("Sigma of all scans, a rather long title\r\n"
                                        "F\tsigma\tN\r\n"
                                        "2.800\t0.0123456\t512\r\n"
                                        "17.75\t1.5\t64");
    EXPECT_EQ(l.lines, 4);
    EXPECT_EQ(l.tabStops, (std::vector<int>{7, 18}));
    EXPECT_EQ(l.columns, 39); // the title
    const ReportLayout wide = reportLayout("a\tbb\n" + std::string(3, 'x') + "\t" + std::string(50, 'y') + "\n");
    EXPECT_EQ(wide.tabStops, (std::vector<int>{5}));
    EXPECT_EQ(wide.columns, 55);
    EXPECT_EQ(wide.lines, 3);
}

// A command refused because a report is open brings that report forward;
// scripts and packets are not stopped by it.
TEST(ReportRouting, RefusalRaisesTheOpenReport)
{
    Bench b;
    EXPECT_TRUE(b.wb.requireNoOpenReport());
    b.wb.deliverReport("Sigma", "F\tsigma\r\n");
    EXPECT_FALSE(b.wb.requireNoOpenReport());
    b.expectMessage("You have the open EDITOR");
    EXPECT_EQ(b.ui.reportRaised, 1);
    b.wb.interactiveMode = false;
    EXPECT_TRUE(b.wb.requireNoOpenReport());
    EXPECT_EQ(b.ui.reportRaised, 1);
}
