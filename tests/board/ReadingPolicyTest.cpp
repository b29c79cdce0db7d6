// How many readers a board gets: one per core to start with, more once reads prove slow, never more
// than the most, whatever the machine.
#include "board/ReadingPolicy.h"

#include <gtest/gtest.h>

#include <chrono>

namespace vireziriv {
namespace {

using namespace std::chrono_literals;

TEST(PersonReaders, OnePerCoreAtLeastTwoAndNeverMoreThanTheMost) {
    const struct {
        unsigned cores;
        std::size_t start;
    } cases[] = {{0, 2}, {1, 2}, {2, 2}, {8, 8}, {64, 64}, {128, 64}};
    for (const auto& c : cases) {
        const Producers readers = PersonReaders(c.cores);
        EXPECT_EQ(readers.start, c.start) << c.cores << " cores";
        EXPECT_EQ(readers.most, kMostReaders) << c.cores << " cores";
        EXPECT_TRUE(readers.grow) << c.cores << " cores";
    }
}

TEST(ReadsProveSlow, OnAverageOverThreeReadsAtLeast) {
    const struct {
        std::size_t reads;
        std::chrono::microseconds spent;
        bool slow;
    } cases[] = {
        {1, 10ms, false},   // one slow read may have lost the processor
        {2, 10ms, false},
        {3, 601us, true},
        {3, 600us, false},  // exactly the average of a fast read
        {100, 20ms, false},
        {100, 20001us, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadsProveSlow(c.spent, c.reads), c.slow) << c.reads << " reads in " << c.spent.count() << " us";
    }
}

}  // namespace
}  // namespace vireziriv
