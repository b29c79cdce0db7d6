// The person list read on several threads gives what reading the files one after another gives: the
// first failure in the listing's order wins, whichever finished first, no reader outlives the load, and
// slow reads bring more readers.
#include "board/VeltoPersonUnit.h"

#include "base/Exceptions.h"
#include "base/Texts.h"
#include "platform/Errors.h"
#include "support/TempDir.h"
#include "HandOutHook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace vireziriv {
namespace {

using namespace std::chrono_literals;
using Names = std::vector<std::string>;

// A flag one reader raises and another waits for, never longer than a test may take.
class Signal {
public:
    void Raise() {
        {
            const std::lock_guard lock(mutex_);
            raised_ = true;
        }
        changed_.notify_all();
    }
    // False when it was not raised in time.
    bool Await() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 20s, [this] { return raised_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool raised_ = false;
};

class ReadingOrder : public testing::Test {
protected:
    // `count` person files p0000.vlt..., each of its own furigana and group; returns the listing's order.
    Names Board(int count) {
        for (int i = 0; i < count; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "p%04d", i);
            dir.Write(std::string(name) + ".vlt", std::string(name) + "\r\n" + name + "\r\ng\r\n");
        }
        return test::ListingOrder(dir);
    }

    std::string MessageFor(const std::string& name) const {
        return std::string(text::kPersonFileBefore) + dir.PathOf(name) + std::string(text::kPersonFileAfter);
    }

    // The load's failure message, or "" when it went through.
    std::string LoadFailure() {
        try {
            list.LoadFromDir(dir.Path());
        } catch (const EVeltoCommandFileException& e) {
            return e.Message();
        }
        return "";
    }

    // The file names of the persons in the list, in the listing's order.
    Names Kept(const Names& order) const {
        Names kept;
        for (const std::string& name : order) {
            if (list.FindByFileName(name.substr(0, name.size() - 4))) kept.push_back(name);
        }
        return kept;
    }

    test::TempDir dir;
    TVeltoPersonsList list;
};

TEST_F(ReadingOrder, FirstFailureInListingOrderWinsWhenLaterOnesFinishFirst) {
    const Names order = Board(12);
    const std::string first = order[3], second = order[7], third = order[10];
    Signal laterFailed;
    bool waited = false;
    const test::HandOutHook hook([&](const std::string& name) {
        if (name == first) {
            waited = laterFailed.Await();
            std::this_thread::sleep_for(10ms);  // let the later failure land in its slot
            throw platform::FileError("first");
        }
        if (name == third) {
            laterFailed.Raise();
            throw platform::FileError("third");
        }
        if (name == second) throw platform::FileError("second");
    });
    EXPECT_EQ(LoadFailure(), MessageFor(first));
    EXPECT_TRUE(waited) << "the later file was not read while the first waited";
    // What was listed before the failing file stays, as when reading one file after another.
    EXPECT_EQ(Kept(order), Names(order.begin(), order.begin() + 3));
}

struct Foreign {};  // not of the standard family: nothing may wrap it

TEST_F(ReadingOrder, FailureOnAReaderIsWhatItIsInASerialLoad) {
    const Names order = Board(6);
    const std::string victim = order[2];
    const struct {
        const char* what;
        std::function<void()> raise;
        std::string message;  // "" for the foreign exception, which passes unchanged
    } cases[] = {
        {"unreadable", [] { throw platform::FileError("gone"); }, MessageFor(victim)},
        {"out of memory", [] { throw std::bad_alloc(); }, MessageFor(victim)},
        {"foreign", [] { throw Foreign{}; }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const test::HandOutHook hook([&](const std::string& name) {
            if (name == victim) c.raise();
        });
        if (c.message.empty()) {
            EXPECT_THROW(list.LoadFromDir(dir.Path()), Foreign);
        } else {
            EXPECT_EQ(LoadFailure(), c.message);
        }
        EXPECT_EQ(Kept(order), Names(order.begin(), order.begin() + 2));
    }
}

TEST_F(ReadingOrder, FileThatVanishesWhileOthersAreReadEndsTheLoadWithItsMessage) {
    const Names order = Board(10);
    const std::string remover = order[1], victim = order[6];
    Signal removed;
    bool waited = false;
    const test::HandOutHook hook([&](const std::string& name) {
        if (name == remover) {
            std::remove(dir.PathOf(victim).c_str());
            removed.Raise();
        }
        if (name == victim) waited = removed.Await();
    });
    EXPECT_EQ(LoadFailure(), MessageFor(victim));
    EXPECT_TRUE(waited);
    EXPECT_EQ(Kept(order), Names(order.begin(), order.begin() + 6));
}

TEST_F(ReadingOrder, FailureStopsTheReadersAndNoneOutlivesTheLoad) {
    const Names order = Board(1000);
    std::atomic<int> reading{0};
    const test::HandOutHook hook([&](const std::string& name) {
        if (name == order.front()) throw platform::FileError("first");
        ++reading;
        std::this_thread::sleep_for(50ms);  // a slow share
        --reading;
    });
    EXPECT_EQ(LoadFailure(), MessageFor(order.front()));
    EXPECT_EQ(reading.load(), 0) << "a reader was still at work";
    const std::size_t handedOut = hook.HandedOut().size();
    EXPECT_LT(handedOut, order.size()) << "the load waited for the rest of the board";
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(hook.HandedOut().size(), handedOut) << "a reader went on after the load";
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(ReadingOrder, SlowReadsBringMoreReaders) {
    const Names order = Board(200);
    std::mutex mutex;
    std::set<std::thread::id> readers;
    const test::HandOutHook hook([&](const std::string&) {
        {
            const std::lock_guard lock(mutex);
            readers.insert(std::this_thread::get_id());
        }
        std::this_thread::sleep_for(2ms);  // a file server's round trips
    });
    ASSERT_EQ(list.LoadFromDir(dir.Path()), 200);
    // One reader per core to start with; a file server keeps many more busy.
    EXPECT_GT(readers.size(), std::max(std::thread::hardware_concurrency(), 2u));
}

TEST_F(ReadingOrder, PersonsAreAddedInListingOrderWhicheverIsReadFirst) {
    // Every file writes the same group in its own case; the tally keeps the form written last.
    const int count = 40;
    for (int i = 0; i < count; ++i) {
        std::string group = "groups";  // a form of its own for each file
        for (int bit = 0; bit < 6; ++bit) {
            if (i >> bit & 1) group[bit] = static_cast<char>(group[bit] - 'a' + 'A');
        }
        dir.Write("f" + std::to_string(i) + ".vlt", "k" + std::to_string(i) + "\r\nn\r\n" + group + "\r\n");
    }
    const Names order = test::ListingOrder(dir);
    // The earlier a file is listed, the longer its reading takes.
    const test::HandOutHook hook([&](const std::string& name) {
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (order[i] == name) std::this_thread::sleep_for(std::chrono::milliseconds(order.size() - i));
        }
    });
    ASSERT_EQ(list.LoadFromDir(dir.Path()), count);
    const std::string& last = order.back();
    const TVeltoPerson* lastPerson = list.FindByFileName(last.substr(0, last.size() - 4));
    ASSERT_NE(lastPerson, nullptr);
    EXPECT_EQ(list.Groups().Text(), std::string(lastPerson->Group()) + "=" + std::to_string(count) + "\r\n");
}

}  // namespace
}  // namespace vireziriv
