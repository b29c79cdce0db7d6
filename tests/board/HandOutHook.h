// A test's hand in reading a board: runs an action as each person file is handed to a reader.
#pragma once

#include "platform/PersonFiles.h"
#include "support/TempDir.h"

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace vireziriv::test {

// While it lives, `action(name)` runs on the reader's thread as each person file is handed out, and
// the names are noted in the order they were handed out.
class HandOutHook {
public:
    explicit HandOutHook(std::function<void(const std::string& name)> action) : action_(std::move(action)) {
        platform::PersonFiles::SetHandOutHookForTesting([this](const std::string& name) {
            {
                const std::lock_guard lock(mutex_);
                handedOut_.push_back(name);
            }
            action_(name);
        });
    }
    ~HandOutHook() { platform::PersonFiles::SetHandOutHookForTesting(nullptr); }
    HandOutHook(const HandOutHook&) = delete;
    HandOutHook& operator=(const HandOutHook&) = delete;

    std::vector<std::string> HandedOut() const {
        const std::lock_guard lock(mutex_);
        return handedOut_;
    }

private:
    std::function<void(const std::string&)> action_;
    mutable std::mutex mutex_;
    std::vector<std::string> handedOut_;
};

// The person files of `dir` in the order a load meets them.
inline std::vector<std::string> ListingOrder(const TempDir& dir) {
    const platform::PersonFiles files(dir.Path());
    std::vector<std::string> names;
    for (std::size_t i = 0; i < files.Count(); ++i) names.emplace_back(files.Name(i));
    return names;
}

}  // namespace vireziriv::test
