// The pool that produces items on several threads and hands them over in order: the order whatever
// finishes first, the first failure in that order, no item claimed once a failure is known, every
// worker joined, growth only when asked and never beyond its most.
#include "base/InOrder.h"

#include "support/Signal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace vireziriv {
namespace {

using test::Signal;

Producers Fixed(std::size_t threads) { return {threads, threads, {}}; }

// The threads that produced, and how many produced at once at most.
class Threads {
public:
    void Enter() {
        const std::lock_guard lock(mutex_);
        ids_.insert(std::this_thread::get_id());
    }
    std::set<std::thread::id> Ids() const {
        const std::lock_guard lock(mutex_);
        return ids_;
    }

private:
    mutable std::mutex mutex_;
    std::set<std::thread::id> ids_;
};

// Takes every item, noting the order; raises what producing raised.
struct Taken {
    std::vector<std::size_t> order;
    std::vector<int> values;
    auto Take() {
        return [this](std::size_t i, Outcome<int>& outcome) {
            order.push_back(i);
            values.push_back(outcome.Get());
        };
    }
};

TEST(ProduceInOrder, NothingToDo) {
    Taken taken;
    std::atomic<int> produced{0};
    ProduceInOrder<int>(0, Fixed(4), [&](std::size_t) { return ++produced; }, taken.Take());
    EXPECT_EQ(produced, 0);
    EXPECT_TRUE(taken.order.empty());
}

TEST(ProduceInOrder, ASingleItemIsProducedByTheCallerAlone) {
    Taken taken;
    Threads threads;
    ProduceInOrder<int>(
        1, Fixed(4),
        [&](std::size_t) {
            threads.Enter();
            return 7;
        },
        taken.Take());
    EXPECT_EQ(taken.values, std::vector<int>{7});
    EXPECT_EQ(threads.Ids(), std::set{std::this_thread::get_id()}) << "a thread was started for one item";
}

TEST(ProduceInOrder, TakesInOrderWhateverFinishesFirst) {
    constexpr std::size_t kCount = 8;
    std::vector<Signal> finished(kCount);
    std::mutex mutex;
    std::vector<std::size_t> finishing;
    Taken taken;
    // Each item finishes only after the one after it: the last finishes first.
    ProduceInOrder<int>(
        kCount, Fixed(kCount),
        [&](std::size_t i) {
            if (i + 1 < kCount && !finished[i + 1].Await()) throw std::runtime_error("the next item never finished");
            {
                const std::lock_guard lock(mutex);
                finishing.push_back(i);
            }
            finished[i].Raise();
            return static_cast<int>(i) * 10;
        },
        taken.Take());
    EXPECT_EQ(finishing, (std::vector<std::size_t>{7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(taken.order, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(taken.values, (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70}));
}

TEST(ProduceInOrder, FirstFailureInOrderWinsThoughALaterOneCameFirst) {
    constexpr std::size_t kCount = 8;
    Signal laterFailed;
    Taken taken;
    try {
        ProduceInOrder<int>(
            kCount, Fixed(kCount),
            [&](std::size_t i) {
                if (i == 5) {
                    laterFailed.Raise();
                    throw std::runtime_error("5");
                }
                if (i == 2) {
                    if (!laterFailed.Await()) throw std::runtime_error("item 5 never failed");
                    throw std::runtime_error("2");
                }
                return static_cast<int>(i);
            },
            taken.Take());
        ADD_FAILURE() << "no failure came through";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "2");
    }
    EXPECT_EQ(taken.order, (std::vector<std::size_t>{0, 1, 2}));
}

// Workers hold the items after the failing one until the caller has taken the failure; then none of
// them may claim another, and none may be left running when the call returns. A failure of take
// itself is known only as it leaves, so there the workers are only joined.
TEST(ProduceInOrder, NoItemIsClaimedOnceAFailureIsKnownAndEveryWorkerIsJoined) {
    constexpr std::size_t kCount = 100, kFailing = 5, kThreads = 4;
    const std::thread::id caller = std::this_thread::get_id();
    const struct {
        const char* what;
        bool takeRaises;  // the failure comes from taking the item, not from producing it
    } cases[] = {{"producing raises", false}, {"taking raises", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Signal taken;
        std::atomic<int> running{0};
        std::atomic<std::size_t> heldByWorkers{0};
        try {
            ProduceInOrder<int>(
                kCount, Fixed(kThreads),
                [&](std::size_t i) {
                    ++running;
                    if (i > kFailing && std::this_thread::get_id() != caller) {
                        ++heldByWorkers;
                        taken.Await();
                    }
                    --running;
                    if (i == kFailing && !c.takeRaises) throw std::runtime_error("failed");
                    return static_cast<int>(i);
                },
                [&](std::size_t i, Outcome<int>& outcome) {
                    if (i == kFailing) {
                        taken.Raise();
                        if (c.takeRaises) throw std::runtime_error("failed");
                    }
                    outcome.Get();
                });
            ADD_FAILURE() << "no failure came through";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "failed");
        }
        EXPECT_EQ(running, 0) << "a worker was still producing when the call returned";
        if (!c.takeRaises) {
            EXPECT_LE(heldByWorkers, kThreads - 1) << "a worker claimed another item after the failure was known";
        }
    }
}

TEST(ProduceInOrder, GrowsWhenToldAndNeverBeyondItsMost) {
    constexpr std::size_t kCount = 40, kMost = 4;
    Threads threads;
    std::atomic<std::size_t> asked{0};
    Signal allIn;
    std::atomic<std::size_t> inside{0};
    const Producers producers{1, kMost, [&](auto, std::size_t items) {
                                  ++asked;
                                  return items >= 1;
                              }};
    Taken taken;
    ProduceInOrder<int>(
        kCount, producers,
        [&](std::size_t i) {
            threads.Enter();
            // The items after the first wait until every thread the pool may have is producing.
            if (i > 0 && ++inside == kMost) allIn.Raise();
            if (i > 0 && !allIn.Await()) throw std::runtime_error("the pool never grew to its most");
            return static_cast<int>(i);
        },
        taken.Take());
    EXPECT_EQ(taken.order.size(), kCount);
    EXPECT_EQ(threads.Ids().size(), kMost);
    EXPECT_EQ(asked, 1u) << "grow is asked until it says yes, then no more";
}

TEST(ProduceInOrder, StaysAtItsStartWithoutGrowth) {
    constexpr std::size_t kCount = 200;
    Threads threads;
    Taken taken;
    ProduceInOrder<int>(
        kCount, Producers{2, 16, {}},
        [&](std::size_t i) {
            threads.Enter();
            return static_cast<int>(i);
        },
        taken.Take());
    EXPECT_EQ(taken.order.size(), kCount);
    EXPECT_LE(threads.Ids().size(), 2u);
}

}  // namespace
}  // namespace vireziriv
