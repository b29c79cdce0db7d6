// Work done on a few threads whose results the calling thread takes in order, as a serial loop would.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace vireziriv {

// What producing one item gave: its result, or the exception that producing it raised. A board holds
// one per person file while it loads, so it stays small: a Result that is default-constructible.
template <class Result>
class Outcome {
public:
    // The result, or the exception raised again, on the thread that takes it.
    Result Get() {
        if (error_) std::rethrow_exception(error_);
        return std::move(result_);
    }

private:
    template <class R, class Produce, class Take>
    friend void ProduceInOrder(std::size_t, std::size_t, Produce, Take);

    Result result_{};
    std::exception_ptr error_;
    std::atomic<bool> done_{false};  // set once result_ or error_ is
};

// Items that take longer than this on average wait on a device or a network, not on the processor
// (a person file in the page cache takes some 20 us, over a network three round trips): more
// threads then overlap the waits.
inline constexpr std::chrono::microseconds kSlowItem{200};

// Calls produce(i) for every i below `count`, each i taken from a shared counter by whichever thread
// is free, and take(i, outcome) on the calling thread for every i in order, as soon as that item is
// done. The calling thread produces too while the item it takes next is not done. At first one
// thread per core produces (at least two; none but the caller for a single item); as soon as the
// calling thread's items prove slow on average (three at least), up to `threads`. A thread that
// cannot be started is done without, as a serial loop would be. When take raises (Outcome::Get
// raises what produce raised), no further item is started and the workers are joined, each after
// at most the item in hand, before the exception leaves; no worker outlives the call in any case.
template <class Result, class Produce, class Take>
void ProduceInOrder(std::size_t count, std::size_t threads, Produce produce, Take take) {
    std::vector<Outcome<Result>> outcomes(count);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    // The calling thread sleeps only on the item it takes next, and only that item's worker wakes it:
    // each stores its side (awaited, done_) before it reads the other's, so one of them sees both.
    std::mutex mutex;
    std::condition_variable doneOne;
    std::atomic<std::size_t> awaited{count};

    // Produces the next item that nobody has taken; false when none is left.
    auto produceNext = [&] {
        if (stop.load(std::memory_order_relaxed)) return false;
        const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
        if (i >= count) return false;
        Outcome<Result>& outcome = outcomes[i];
        try {
            outcome.result_ = produce(i);
        } catch (...) {
            outcome.error_ = std::current_exception();
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
        std::atomic<bool>& stop;
        std::vector<std::thread> started;
        ~Workers() {
            stop = true;
            for (std::thread& t : started) t.join();
        }
    } workers{stop, {}};
    // Brings the producing threads, the calling one included, up to `readers` (no more than items).
    auto startWorkers = [&](std::size_t readers) {
        const std::size_t wanted = std::min(std::max<std::size_t>(readers, 1), count) - 1;
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
    const std::size_t cores = std::max(std::thread::hardware_concurrency(), 2u);
    if (count > 0) startWorkers(std::min(cores, threads));

    // The calling thread's items so far: one of them may be slow just for losing the processor to
    // another program, but not all of them on average.
    std::size_t timed = 0;
    std::chrono::steady_clock::duration spent{};
    for (std::size_t i = 0; i < count; ++i) {
        while (!outcomes[i].done_.load()) {
            const auto start = std::chrono::steady_clock::now();
            if (produceNext()) {
                spent += std::chrono::steady_clock::now() - start;
                if (++timed >= 3 && spent > kSlowItem * timed) startWorkers(threads);
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
