// A test's hand in reading a board: an action runs on the reader's thread as each person file is read.
#pragma once

#include "board/BoardFiles.h"
#include "platform/PersonFiles.h"
#include "support/TempDir.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vireziriv::test {

// Runs `action(name)` before each person file is read, and reads on `readers` where given (else as
// the command does), without pausing between reads of a busy file.
class ReadHook : public BoardFiles {
public:
    explicit ReadHook(std::function<void(const std::string& name)> action, std::optional<Producers> readers = {})
        : action_(std::move(action)), readers_(std::move(readers)) {}

    void Read(const std::string& path, std::string& bytes) const override {
        const std::string name = path.substr(path.find_last_of("\\/") + 1);
        action_(name);
        BoardFiles::Read(path, bytes);
    }

    Producers Readers() const override { return readers_ ? *readers_ : BoardFiles::Readers(); }

    // A test does not wait for a busy file: the pauses are the policy's business, tested on their own.
    void Pause(std::chrono::milliseconds) const override {}

private:
    std::function<void(const std::string&)> action_;
    std::optional<Producers> readers_;
};

// The person files of `dir` in the order a load meets them.
inline std::vector<std::string> ListingOrder(const TempDir& dir) {
    const platform::PersonFiles files(dir.Path());
    std::vector<std::string> names;
    for (std::size_t i = 0; i < files.Count(); ++i) names.emplace_back(files.Name(i));
    return names;
}

}  // namespace vireziriv::test
