#include "tests/view/plot_fixture.h"
#include "view/y_range.h"

#include <gtest/gtest.h>

#include <limits>

namespace qm::test {
namespace {

// Ranges of a Data I(R) array holding `values`, shown over the whole array.
AxisRange rangeOf(std::vector<float> values, float minimum = 100)
{
    const int n = int(values.size());
    auto s = plotScan(3, n, [&](int i) { return values[std::size_t(i)]; }, nullptr);
    return scanRanges(*s, 0, n, {true, false, false, false}, minimum, 100, false).i;
}

TEST(YRange, RoundsOutwardFlatSelectionsAndBadSamples)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    struct Case {
        std::vector<float> values;
        float minimum, lo, hi;
    } cases[] = {
        {{0, 1000}, 100, -10, 1010},          // range 1000: step 10
        {{0, 1000.5f}, 100, -100, 1100},      // step 100
        {{0, 10001}, 100, -1000, 11000},      // step 1000
        {{-2345, -1250}, 100, -2400, -1100},  // truncation toward zero
        {{555, 555, 555}, 100, 490, 610},     // flat: [505, 605], step 10
        {{555, 555}, 3000, -1000, 2100},      // [-945, 2055], step 100
        {{nan, 0, inf, 1000, -inf}, 100, -10, 1010},
        {{nan, inf}, 100, -60, 60},           // nothing finite: about 0
    };
    for (const Case& c : cases) {
        const AxisRange r = rangeOf(c.values, c.minimum);
        EXPECT_EQ(r.min, c.lo) << c.values.size() << " " << c.lo;
        EXPECT_EQ(r.max, c.hi) << c.values.size() << " " << c.hi;
    }
    // Empty or inverted shown ranges fall back to the minimum about 0.
    auto s = plotScan(3, 10, constant(7), nullptr);
    for (auto [b, e] : {std::pair{4, 4}, {6, 2}, {20, 40}})
        EXPECT_EQ(scanRanges(*s, b, e, {true, false, false, false}, 100, 100, false).i.max, 60);
}

TEST(YRange, EqualScaleJoinsBothChannels)
{
    auto s = plotScan(3, 3, [](int i) { return float(i * 100); }, nullptr, [](int i) { return i == 0 ? -300.f : 50.f; });
    const ArraySelection both{true, false, true, false};
    AxisRanges r = scanRanges(*s, 0, 3, both, 100, 100, false);
    EXPECT_EQ(r.i.max, 210);
    EXPECT_EQ(r.v.min, -310);
    r = scanRanges(*s, 0, 3, both, 100, 100, true);
    EXPECT_EQ(r.i.min, -310);
    EXPECT_EQ(r.v.max, 210);
}

} // namespace
} // namespace qm::test
