#include "analysis/correlation.h"
#include "tests/analysis/analysis_bench.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>


using namespace qm;
using namespace qm::test;

namespace {

std::vector<float> curve(unsigned seed) { return noise(40, seed, 0, 100); }

std::vector<float> scaled(std::vector<float> v, float a, float c)
{
    for (auto& x : v)
        x = a * x + c;
    return v;
}

const char* kHeader = "Frq1:Frq2     Data 1;Data 2\t\tCorr_I\tCorr_V\r\n";

} // namespace

TEST(Correlation, PearsonCoefficient)
{
    const auto a = curve(1), c = curve(2);
    // Textbook form with double means.
    double ma = 0, mc = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ma += a[i];
        mc += c[i];
    }
    ma /= double(a.size());
    mc /= double(a.size());
    double num = 0, da = 0, dc = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        num += (a[i] - ma) * (c[i] - mc);
        da += (a[i] - ma) * (a[i] - ma);
        dc += (c[i] - mc) * (c[i] - mc);
    }
    EXPECT_NEAR(pearson(a.data(), c.data(), int(a.size())), num / std::sqrt(da * dc), 1e-6);
    EXPECT_NEAR(pearson(a.data(), a.data(), 40), 1, 1e-12);
    const auto neg = scaled(a, -2, 5);
    EXPECT_NEAR(pearson(a.data(), neg.data(), 40), -1, 1e-6);
    // A constant curve: zero denominator counted as 1, so 0.
    const std::vector<float> flat(40, 3.0f);
    EXPECT_EQ(pearson(a.data(), flat.data(), 40), 0);
    EXPECT_EQ(pearson(a.data(), c.data(), 0), 0);
    EXPECT_EQ(pearson(nullptr, c.data(), 5), 0);
}

TEST(Correlation, NeighbouringScans)
{
    AnalysisBench b;
    const auto a = curve(5), c = curve(6);
    // List order by frequency: 2.8, 2.8, 3.75, 3.75 (equal frequencies in
    // either order); every I is a or -a, every V a linear function of c.
    b.load(scansOf(curveScan(2.8f, a, c, "2004/05/01"), curveScan(2.8f, a, c, "2004/05/02"),
                   curveScan(3.75f, scaled(a, -1, 0), c, "2004/05/03"),
                   curveScan(3.75f, scaled(a, -1, 0), scaled(c, 2, 5), "2004/05/04")));
    ASSERT_EQ(b.scan(0).frequency, 2.8f);
    b.wb.allMode = true;
    b.select(true, true);
    b.span(0, 40);
    b.run(155, "0");
    EXPECT_EQ(b.ui.prompts, std::vector<std::string>{"Corr. for Frq/All (1/0)"});
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_EQ(b.ui.reports[0].title, "Correlation");
    const std::string dates[4] = {fieldString(b.scan(0).dateObs), fieldString(b.scan(1).dateObs),
                                  fieldString(b.scan(2).dateObs), fieldString(b.scan(3).dateObs)};
    const std::string pair01 = "02.80:02.80  " + dates[1] + ";" + dates[0] + "\t+1.000\t+1.000\r\n";
    const std::string pair23 = "03.75:03.75  " + dates[3] + ";" + dates[2] + "\t+1.000\t+1.000\r\n";
    EXPECT_EQ(b.lastReport(), kHeader + pair01 + "03.75:02.80  " + dates[2] + ";" + dates[1] +
                                  "\t-1.000\t+1.000\r\n" + pair23);
    // Flag 1: only pairs of equal frequency.
    b.run(155, "1");
    EXPECT_EQ(b.lastReport(), kHeader + pair01 + pair23);
    // A switched-off channel reports 0; the selection bounds the points.
    b.select(false, true);
    b.span(0, 1);
    b.run(155, "1");
    EXPECT_EQ(b.lastReport(), kHeader + ("02.80:02.80  " + dates[1] + ";" + dates[0] + "\t+0.000\t+0.000\r\n") +
                                  "03.75:03.75  " + dates[3] + ";" + dates[2] + "\t+0.000\t+0.000\r\n");

    // Group view: the group's members in group order.
    b.select(true, false);
    b.span(0, 40);
    b.wb.groupScans = {&b.scan(2), &b.scan(0)};
    b.wb.groupMode = 3;
    b.run(155, "0");
    EXPECT_EQ(b.lastReport(),
              kHeader + ("02.80:03.75  " + dates[0] + ";" + dates[2] + "\t-1.000\t+0.000\r\n"));
}

TEST(Correlation, ChecksAndBatch)
{
    AnalysisBench b;
    const auto a = curve(8);
    b.load(scansOf(curveScan(1.0f, a, a), curveScan(2.0f, a, a), curveScan(1.0f, a, a), curveScan(2.0f, a, a)));
    b.select(true, true);
    b.run(155, "0"); // ONE mode
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "Must be option ALL");
    EXPECT_TRUE(b.ui.prompts.empty());
    b.ui.textAnswers.clear();
    b.wb.allMode = true;
    b.select(false, false);
    b.run(155, "0");
    EXPECT_EQ(b.ui.messages.back().text, "WORKSHEET is not checked");
    b.ui.textAnswers.clear();
    b.select(true, false);
    b.run(155, std::nullopt); // cancelled
    b.run(155, "one");        // unparsable
    EXPECT_TRUE(b.ui.reports.empty());

    // Batch: ONE mode and no switch are not checked; alternating frequencies
    // with flag 1 give only the header.
    TempDir dir;
    b.wb.allMode = false;
    b.wb.interactiveMode = false;
    b.wb.settings.output = dir.path().string();
    b.wb.currentFileLabel = "x.0hd";
    b.ui.messages.clear();
    b.wb.batchArgs = {1.7f, 0, 0, 0};
    b.wb.dispatch(155);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_TRUE(b.ui.reports.empty());
    ASSERT_EQ(b.order(), (std::vector<float>{1, 1, 2, 2}));
    // Sorted by frequency the equal ones are neighbours: two pairs.
    const std::string text = readTextFile(dir.file("Correlation.dat"));
    EXPECT_EQ(text.substr(0, 9 + std::string(kHeader).size()), std::string("\r\nx.0hd\r\n") + kHeader);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 1 + 2);

    // In a group of alternating frequencies flag 1 leaves only the header.
    b.wb.groupScans = {&b.scan(0), &b.scan(2), &b.scan(1), &b.scan(3)};
    b.wb.groupMode = 3;
    std::filesystem::remove(dir.file("Correlation.dat"));
    b.wb.dispatch(155);
    EXPECT_EQ(readTextFile(dir.file("Correlation.dat")), std::string("\r\nx.0hd\r\n") + kHeader);
}
