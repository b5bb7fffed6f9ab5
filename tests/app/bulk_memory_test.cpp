#include "app/bulk_memory.h"
#include "app/scan_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace qm;

// Blocks carved side by side from shared chunks, released in any order and
// carved again, never overlap: each keeps the tag it was filled with.
TEST(BulkMemory, BlocksKeepTheirContentsWhateverIsReleasedAround)
{
    std::mt19937 g(7);
    std::vector<ChannelBlock> blocks;
    float tag = 0;
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 300; ++i) {
            ChannelBlock b(1 + g() % 32002);
            std::fill(b.begin(), b.end(), ++tag);
            blocks.push_back(std::move(b));
        }
        std::shuffle(blocks.begin(), blocks.end(), g);
        blocks.resize(blocks.size() / 2);
        for (const ChannelBlock& b : blocks)
            ASSERT_TRUE(std::all_of(b.begin(), b.end(), [&](float x) { return x == b.front(); }));
    }

    ScanRecord r;
    r.nPoints = 5;
    r.allocChannelForOverwrite(1);
    EXPECT_EQ(r.chanI.size(), 12u);
    EXPECT_TRUE(r.chanI[10] == 0.0f && r.chanI[11] == 0.0f);
    r.allocChannel(2);
    EXPECT_TRUE(std::all_of(r.chanV.begin(), r.chanV.end(), [](float x) { return x == 0.0f; }));
}

// A lent array is the buffer's own bytes, and stays valid after the buffer
// is gone; the start of a buffer and small buffers are never lent.
TEST(BulkMemory, LentArraysOutliveTheirBuffer)
{
    BulkBytes buffer(std::size_t(3) << 20);
    auto* f = reinterpret_cast<float*>(buffer.data());
    for (std::size_t i = 0; i < buffer.size() / 4; ++i)
        f[i] = float(i);
    EXPECT_FALSE(borrow<float>(buffer.data(), 4));
    BulkBytes small(64 * 1024);
    EXPECT_FALSE(borrow<float>(small.data() + 4, 4));
    EXPECT_FALSE(borrow<float>(buffer.data() + 2, 4)); // misaligned

    auto lent = borrow<float>(buffer.data() + 4096, 1000);
    if (!lent)
        GTEST_SKIP() << "bulk memory comes from the heap in this build";
    EXPECT_EQ(lent->data(), f + 1024);
    const ChannelBlock copy = *lent;
    buffer = BulkBytes();
    for (std::size_t i = 0; i < 1000; ++i)
        ASSERT_TRUE((*lent)[i] == float(1024 + i) && copy[i] == float(1024 + i));
    lent->push_back(-1.0f); // moves out of the buffer, returning the loan
    EXPECT_TRUE(lent->front() == 1024.0f && lent->back() == -1.0f);
}
