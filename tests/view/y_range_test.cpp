#include "tests/view/plot_fixture.h"
#include "view/y_range.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qm::test {
namespace {

// Ranges of a Data I(R) array holding `values` at points 0..n-1, shown
// over the whole array, minimum range 100.
AxisRange rangeOf(std::vector<float> values, float minimum = 100)
{
    const int n = int(values.size());
    auto s = plotScan(3, n, [&](int i) { return values[std::size_t(i)]; }, nullptr);
    return scanRanges(*s, 0, n, {true, false, false, false}, minimum, 100, false).i;
}

TEST(YRange, RoundsOutwardWithTheStepOfTheRange)
{
    // Range exactly 1000: step 10.
    AxisRange r = rangeOf({0, 1000});
    EXPECT_EQ(r.min, -10);
    EXPECT_EQ(r.max, 1010);
    // 1000.5: step 100.
    r = rangeOf({0, 1000.5f});
    EXPECT_EQ(r.min, -100);
    EXPECT_EQ(r.max, 1100);
    // 10001: step 1000.
    r = rangeOf({0, 10001});
    EXPECT_EQ(r.min, -1000);
    EXPECT_EQ(r.max, 11000);
    // Truncation toward zero on the negative side: -5 -> (0 - 1)*10.
    r = rangeOf({-5, 995});
    EXPECT_EQ(r.min, -10);
    EXPECT_EQ(r.max, 1000);
    r = rangeOf({-2345, -1250});
    EXPECT_EQ(r.min, -2400); // trunc(-23.45) = -23, -24*100
    EXPECT_EQ(r.max, -1100); // trunc(-12.5) = -12, -11*100
}

TEST(YRange, FlatSelectionGetsTheMinimumRangeAboutItsValue)
{
    // 555 widened to [505, 605], then rounded with step 10.
    AxisRange r = rangeOf({555, 555, 555});
    EXPECT_EQ(r.min, 490);
    EXPECT_EQ(r.max, 610);
    // A wider minimum: [555 - 1500, 555 + 1500] = [-945, 2055], step 100.
    r = rangeOf({555, 555}, 3000);
    EXPECT_EQ(r.min, -1000);
    EXPECT_EQ(r.max, 2100);
    // A negative minimum counts by its size; zero still leaves two steps.
    EXPECT_EQ(rangeOf({555}, -100).max, 610);
    r = rangeOf({555, 555}, 0);
    EXPECT_EQ(r.min, 540);
    EXPECT_EQ(r.max, 560);
}

TEST(YRange, SkipsNonFiniteSamplesAndHandlesEmptyRanges)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    AxisRange r = rangeOf({nan, 0, inf, 1000, -inf});
    EXPECT_EQ(r.min, -10);
    EXPECT_EQ(r.max, 1010);
    // Nothing finite, or no point shown: the start values centre the
    // minimum range on 0.
    r = rangeOf({nan, inf});
    EXPECT_EQ(r.min, -60);
    EXPECT_EQ(r.max, 60);
    auto s = plotScan(3, 10, constant(7), nullptr);
    for (auto [b, e] : {std::pair{4, 4}, {6, 2}, {-50, -10}, {20, 40}}) {
        const AxisRanges rr = scanRanges(*s, b, e, {true, false, false, false}, 100, 100, false);
        EXPECT_EQ(rr.i.min, -60);
        EXPECT_EQ(rr.i.max, 60);
    }
    // Extreme finite values stay finite.
    r = rangeOf({-3.4e38f, 3.4e38f});
    EXPECT_TRUE(std::isfinite(r.min) && std::isfinite(r.max));
    EXPECT_GT(r.max, r.min);
    EXPECT_EQ((AxisRange{5, 5}.span()), 1);
}

TEST(YRange, EqualScaleAndChannelSelection)
{
    // Channel 1 over [0, 200], channel 2 over [-300, 50].
    auto s = plotScan(3, 3, [](int i) { return float(i * 100); }, nullptr, [](int i) { return i == 0 ? -300.f : 50.f; });
    const ArraySelection both{true, false, true, false};
    AxisRanges r = scanRanges(*s, 0, 3, both, 100, 100, false);
    EXPECT_EQ(r.i.min, -10);
    EXPECT_EQ(r.i.max, 210);
    EXPECT_EQ(r.v.min, -310);
    EXPECT_EQ(r.v.max, 60);
    r = scanRanges(*s, 0, 3, both, 100, 100, true);
    EXPECT_EQ(r.i.min, -310);
    EXPECT_EQ(r.i.max, 210);
    EXPECT_EQ(r.v.min, r.i.min);
    EXPECT_EQ(r.v.max, r.i.max);
    // The end point is outside the range: points 0 and 1 only.
    r = scanRanges(*s, 0, 2, {true, false, false, false}, 100, 100, false);
    EXPECT_EQ(r.i.max, 110); // [0, 100]
    // Unselected arrays do not count; the worksheet (all zero) does.
    r = scanRanges(*s, 0, 3, {false, true, false, false}, 100, 100, false);
    EXPECT_EQ(r.i.min, -60);
    EXPECT_EQ(r.i.max, 60);
}

} // namespace
} // namespace qm::test
