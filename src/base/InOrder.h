// Work done on a few threads whose results the calling thread takes in order, as a serial loop would.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
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

// Calls produce(i) for every i below `count` on up to `threads` worker threads (at least one when
// there are items, none when there are none), each taking the next i from a shared counter, and
// take(i, outcome) on the calling thread for every i in order, as soon as that item is done. When
// take raises (Outcome::Get raises what produce raised), the workers take no further item and are
// joined, each after at most the item in hand, before the exception leaves; no worker outlives the
// call in any case.
template <class Result, class Produce, class Take>
void ProduceInOrder(std::size_t count, std::size_t threads, Produce produce, Take take) {
    std::vector<Outcome<Result>> outcomes(count);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    // The calling thread sleeps only on the item it waits for, and only that item's worker wakes it:
    // each stores its side (awaited, done_) before it reads the other's, so one of them sees both.
    std::mutex mutex;
    std::condition_variable doneOne;
    std::atomic<std::size_t> awaited{count};

    auto work = [&] {
        while (!stop.load(std::memory_order_relaxed)) {
            const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= count) return;
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
        }
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
    const std::size_t n = std::min(std::max<std::size_t>(threads, 1), count);
    workers.started.reserve(n);
    for (std::size_t t = 0; t < n; ++t) workers.started.emplace_back(work);

    for (std::size_t i = 0; i < count; ++i) {
        if (!outcomes[i].done_.load()) {
            std::unique_lock lock(mutex);
            awaited.store(i);
            doneOne.wait(lock, [&] { return outcomes[i].done_.load(); });
        }
        take(i, outcomes[i]);
    }
}

}  // namespace vireziriv
