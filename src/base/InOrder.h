// Work done on a few threads whose results the calling thread takes in order, as a serial loop would.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace vireziriv {

// What producing one item gave: its result, or the exception that producing it raised.
template <class Result>
class Outcome {
public:
    // The result, or the exception raised again, on the thread that takes it.
    Result Get() {
        if (error_) std::rethrow_exception(error_);
        return std::move(*result_);
    }

private:
    template <class R, class Produce, class Take>
    friend void ProduceInOrder(std::size_t, std::size_t, Produce, Take);

    std::optional<Result> result_;
    std::exception_ptr error_;
    bool done_ = false;  // guarded by the run's mutex
};

// Calls produce(i) for every i below `count` on up to `threads` worker threads, each taking the next
// i from a shared counter, and take(i, outcome) on the calling thread for every i in order, as soon
// as that item is done (at least one worker when there are items). When take raises (Outcome::Get raises what produce raised), the workers take
// no further item and are joined, each after at most the item in hand, before the exception leaves;
// no worker outlives the call in any case. No thread starts for no items.
template <class Result, class Produce, class Take>
void ProduceInOrder(std::size_t count, std::size_t threads, Produce produce, Take take) {
    std::vector<Outcome<Result>> outcomes(count);
    std::mutex mutex;
    std::condition_variable doneOne;
    std::size_t awaited = count;  // the item the calling thread waits for; guarded by mutex
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};

    auto work = [&] {
        while (!stop.load(std::memory_order_relaxed)) {
            const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= count) return;
            Outcome<Result>& outcome = outcomes[i];
            try {
                outcome.result_.emplace(produce(i));
            } catch (...) {
                outcome.error_ = std::current_exception();
            }
            bool awaitedNow = false;
            {
                const std::lock_guard lock(mutex);
                outcome.done_ = true;
                awaitedNow = awaited == i;
            }
            if (awaitedNow) doneOne.notify_one();
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
        {
            std::unique_lock lock(mutex);
            awaited = i;
            doneOne.wait(lock, [&] { return outcomes[i].done_; });
        }
        take(i, outcomes[i]);
    }
}

}  // namespace vireziriv
