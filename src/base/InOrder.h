// Work done on a few threads whose results the calling thread takes in order, as a serial loop would.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <concepts>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace vireziriv {

// What an item's slot holds: made empty for every item before the work starts, so it stays small
// (a board holds one per person file while it loads), and moved out once.
template <class R>
concept SlotResult = std::default_initializable<R> && std::movable<R>;

// How many threads produce, the calling one included: `start` at first, then up to `most` as soon as
// `grow` says so. The calling thread asks `grow` after each item it produced itself, with its time
// spent producing and its count of items so far; an empty `grow` never grows.
struct Producers {
    std::size_t start = 1;
    std::size_t most = 1;
    std::function<bool(std::chrono::steady_clock::duration spent, std::size_t items)> grow;
};

// What producing one item gave: its result, or the exception that producing it raised.
template <SlotResult Result>
class Outcome {
public:
    // The result, or the exception raised again, on the thread that takes it.
    Result Get() {
        if (error_) std::rethrow_exception(error_);
        return std::move(result_);
    }

private:
    template <SlotResult R, class Produce, class Take>
        requires std::invocable<Produce&, std::size_t> && std::invocable<Take&, std::size_t, Outcome<R>&>
    friend void ProduceInOrder(std::size_t, const Producers&, Produce, Take);

    Result result_{};
    std::exception_ptr error_;
    std::atomic<bool> done_{false};  // set once result_ or error_ is
};

// Calls produce(i) for every i below `count`, each i claimed in order from a shared counter by
// whichever thread is free, and take(i, outcome) on the calling thread for every i in order, as soon
// as that item is done. The calling thread produces too while the item it takes next is not done.
// A thread that cannot be started is done without, as a serial loop would be.
//
// Once an item has failed, the items after it cannot matter (the caller stops at that one or at an
// earlier failure), so no thread claims another; the items before it are all claimed already and
// finish. When take raises (Outcome::Get raises what produce raised), no item is claimed any more and
// the workers are joined, each after at most the item in hand, before the exception leaves; no worker
// outlives the call in any case.
template <SlotResult Result, class Produce, class Take>
    requires std::invocable<Produce&, std::size_t> && std::invocable<Take&, std::size_t, Outcome<Result>&>
void ProduceInOrder(std::size_t count, const Producers& producers, Produce produce, Take take) {
    std::vector<Outcome<Result>> outcomes(count);
    std::atomic<std::size_t> next{0};
    // No item after this one is claimed: the first failure so far, or 0 once the caller stops.
    std::atomic<std::size_t> last{count};
    // The calling thread sleeps only on the item it takes next, and only that item's producer wakes
    // it: each stores its side (awaited, done_) before it reads the other's, so one of them sees both.
    std::mutex mutex;
    std::condition_variable doneOne;
    std::atomic<std::size_t> awaited{count};

    // Produces the next item that nobody has claimed; false when none is left to claim.
    auto produceNext = [&] {
        const std::size_t i = next.fetch_add(1);
        if (i >= count || i > last.load()) return false;
        Outcome<Result>& outcome = outcomes[i];
        try {
            outcome.result_ = produce(i);
        } catch (...) {
            outcome.error_ = std::current_exception();
            std::size_t failedBefore = last.load();
            while (i < failedBefore && !last.compare_exchange_weak(failedBefore, i)) {
            }
        }
        outcome.done_.store(true);
        if (awaited.load() == i) {
            { const std::lock_guard lock(mutex); }  // the caller is in its wait, or has seen done_
            doneOne.notify_one();
        }
        return true;
    };

    // Joins every started worker when the calling thread leaves, by return or by exception.
    struct Workers {
        std::atomic<std::size_t>& last;
        std::vector<std::thread> started;
        ~Workers() {
            last = 0;
            for (std::thread& t : started) t.join();
        }
    } workers{last, {}};
    // Brings the producing threads, the calling one included, up to `threads` (no more than items).
    auto startWorkers = [&](std::size_t threads) {
        const std::size_t wanted = std::min(std::max<std::size_t>(threads, 1), count) - 1;
        try {
            while (workers.started.size() < wanted) {
                workers.started.emplace_back([&] {
                    while (produceNext()) {
                    }
                });
            }
        } catch (const std::system_error&) {
        }
    };
    if (count > 0) startWorkers(producers.start);

    bool grown = false;
    std::size_t produced = 0;
    std::chrono::steady_clock::duration spent{};
    for (std::size_t i = 0; i < count; ++i) {
        while (!outcomes[i].done_.load()) {
            const auto start = std::chrono::steady_clock::now();
            if (produceNext()) {
                spent += std::chrono::steady_clock::now() - start;
                ++produced;
                if (!grown && producers.grow && producers.grow(spent, produced)) {
                    grown = true;
                    startWorkers(producers.most);
                }
                continue;
            }
            std::unique_lock lock(mutex);
            awaited.store(i);
            doneOne.wait(lock, [&] { return outcomes[i].done_.load(); });
        }
        take(i, outcomes[i]);
    }
}

}  // namespace vireziriv
