// How many readers a board gets (one per core to start with, more once reads prove slow, never more
// than the most, whatever the machine), and how often a file that failed is read again.
#include "board/ReadingPolicy.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

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

using Pauses = std::vector<std::chrono::milliseconds>;

// The pauses a file gets when every read of it fails with `fault`, until the policy gives up.
Pauses PausesFor(FileFault fault) {
    ReadRetries retries;
    Pauses pauses;
    while (const auto pause = retries.After(fault)) {
        pauses.push_back(*pause);
        if (pauses.size() > 1000) break;  // a policy that never gives up fails below
    }
    return pauses;
}

std::chrono::milliseconds Sum(const Pauses& pauses) {
    std::chrono::milliseconds sum{0};
    for (const auto pause : pauses) sum += pause;
    return sum;
}

TEST(ReadRetries, EachFaultGetsItsOwnPatience) {
    const struct {
        FileFault fault;
        Pauses pauses;
    } cases[] = {
        {FileFault::Unreadable, {}},
        {FileFault::Gone, {}},
        {FileFault::Dropped, {100ms, 400ms}},
        {FileFault::Changed, {10ms, 20ms, 40ms, 80ms}},
    };
    for (const auto& c : cases) EXPECT_EQ(PausesFor(c.fault), c.pauses) << static_cast<int>(c.fault);
}

TEST(ReadRetries, ABusyFileIsWaitedForWithGrowingPausesUpToTheBound) {
    const Pauses pauses = PausesFor(FileFault::Busy);
    ASSERT_GE(pauses.size(), 3u);
    EXPECT_EQ(pauses[0], kFirstBusyPause);
    for (std::size_t i = 1; i < pauses.size(); ++i) {
        EXPECT_LE(pauses[i], kLongestBusyPause);
        if (i + 1 < pauses.size()) {
            EXPECT_GE(pauses[i], pauses[i - 1]) << "pause " << i;  // the last is what the bound leaves
        }
    }
    EXPECT_EQ(Sum(pauses), kBusyPatience) << "the pauses add up to the bound, not beyond";
}

TEST(ReadRetries, ChangesAndBusinessShareOneBound) {
    ReadRetries retries;
    std::chrono::milliseconds waited{0};
    for (int i = 0; i < kMostRereads; ++i) waited += *retries.After(FileFault::Changed);
    while (const auto pause = retries.After(FileFault::Busy)) waited += *pause;
    EXPECT_EQ(waited, kBusyPatience);
    EXPECT_FALSE(retries.After(FileFault::Changed));
}

}  // namespace
}  // namespace vireziriv
