// A flag one thread raises and others wait for, never longer than a test may take.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vireziriv::test {

class Signal {
public:
    void Raise() {
        {
            const std::lock_guard lock(mutex_);
            raised_ = true;
        }
        changed_.notify_all();
    }
    // False when it was not raised in time: a test that waits in vain fails instead of hanging.
    bool Await() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [this] { return raised_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool raised_ = false;
};

}  // namespace vireziriv::test
