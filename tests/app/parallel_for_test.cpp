// parallelFor: every index runs once, a failure reaches the caller.
#include "app/parallel_for.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

using namespace qm;

TEST(ParallelFor, EveryIndexOnceAndTheFirstFailureRethrown)
{
    std::vector<std::atomic<int>> runs(5000);
    parallelFor(runs.size(), [&](std::size_t i) { ++runs[i]; });
    for (std::size_t i = 0; i < runs.size(); ++i)
        ASSERT_EQ(runs[i], 1) << i;

    parallelFor(0, [](std::size_t) { FAIL(); });

    EXPECT_THROW(parallelFor(1000,
                             [](std::size_t i) {
                                 if (i == 37)
                                     throw std::runtime_error("bad scan");
                             }),
                 std::runtime_error);
}
