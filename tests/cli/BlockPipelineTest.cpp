#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <stdexcept>
#include <thread>

#include "CBlockPipeline.h"

namespace {

struct Item {
    int input = 0;
    int output = 0;
    std::thread::id by;
};

// Feeds 0 .. total-1 through the pipeline as the batch does (fill while a
// block is free, then take the oldest) and returns what came out, in order.
std::vector<Item> runThrough(CBlockPipeline<Item>& pipeline, int total)
{
    std::vector<Item> out;
    int fed = 0;
    while (fed < total || pipeline.inFlight()) {
        for (std::span<Item> block; fed < total && !(block = pipeline.nextBlock()).empty();) {
            std::size_t count = 0;
            for (; count < block.size() && fed < total; ++count)
                block[count].input = fed++;
            pipeline.publish(count);
        }
        for (const Item& item : pipeline.oldest())
            out.push_back(item);
        pipeline.release();
    }
    return out;
}

TEST(BlockPipeline, ItemsComeBackInTheirOrderWorkedOnEveryThread)
{
    std::atomic<int> uneven{0};
    CBlockPipeline<Item> pipeline(3, 4, 7, [&](std::size_t worker, Item& item) {
        // Uneven work, so that later items often finish before earlier ones.
        if (item.input % 5 == int(worker))
            std::this_thread::sleep_for(std::chrono::microseconds(50 + uneven++ % 3));
        item.output = item.input * 3 + 1;
        item.by = std::this_thread::get_id();
    });
    // A partly filled last block, and many more blocks than the four in turn.
    const std::vector<Item> out = runThrough(pipeline, 1000);
    ASSERT_EQ(out.size(), 1000u);
    std::set<std::thread::id> threads;
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(out[std::size_t(i)].input, i);
        ASSERT_EQ(out[std::size_t(i)].output, i * 3 + 1);
        threads.insert(out[std::size_t(i)].by);
    }
    // Two threads of the pipeline's own and the caller's, which works while it waits.
    EXPECT_GE(threads.size(), 2u);
    EXPECT_LE(threads.size(), 3u);
}

TEST(BlockPipeline, OneBlockOfOneIsStrictlyOneItemAtATime)
{
    int worked = 0;
    // One worker: the caller's thread itself, as the batch on one connection runs.
    CBlockPipeline<Item> pipeline(1, 1, 1, [&](std::size_t worker, Item& item) {
        EXPECT_EQ(worker, 0u);
        item.output = ++worked;
        item.by = std::this_thread::get_id();
    });
    for (int i = 0; i < 20; ++i) {
        std::span<Item> block = pipeline.nextBlock();
        ASSERT_EQ(block.size(), 1u);
        pipeline.publish(1);
        EXPECT_TRUE(pipeline.nextBlock().empty()) << "the next case is read only after this one is written";
        ASSERT_EQ(pipeline.oldest()[0].output, i + 1);
        EXPECT_EQ(pipeline.oldest()[0].by, std::this_thread::get_id());
        pipeline.release();
    }
}

TEST(BlockPipeline, AWorkersErrorReachesTheCallerAndStoppingDoesNotWait)
{
    CBlockPipeline<Item> pipeline(2, 3, 5, [](std::size_t, Item& item) {
        if (item.input == 7)
            throw std::runtime_error("item 7 failed");
        item.output = item.input;
    });
    try {
        runThrough(pipeline, 40);
        FAIL() << "the error was lost";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "item 7 failed");
    }
    // Blocks still in flight: the destructor stops the workers without
    // waiting for them to be taken.
}

} // namespace
