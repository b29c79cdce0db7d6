// The person list read on several threads gives what reading the files one after another gives: the
// first failure in the listing's order wins, whichever finished first, persons are added in the
// listing's order, and slow reads bring more readers.
#include "board/VeltoPersonUnit.h"

#include "base/Exceptions.h"
#include "base/Texts.h"
#include "board/ReadingPolicy.h"
#include "support/Signal.h"
#include "support/TempDir.h"
#include "BoardLoad.h"
#include "ReadHook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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

using test::Signal;

// Exactly `threads` readers from the start: enough for every file of a test to be read at once.
Producers Fixed(std::size_t threads) { return {threads, threads, {}}; }

using ReadingOrder = test::BoardLoad;

TEST_F(ReadingOrder, FirstFailureInListingOrderWinsWhenALaterOneFinishesFirst) {
    const Names order = Board(12);
    const std::string first = order[3], later = order[7];
    Signal laterFailed;
    bool waited = false;
    const test::ReadHook hook(
        [&](const std::string& name) {
            if (name == first) {
                waited = laterFailed.Await();
                throw EFileError("first");
            }
            if (name == later) {
                laterFailed.Raise();
                throw EFileError("later");
            }
        },
        Fixed(order.size()));
    EXPECT_EQ(LoadFailure(hook), MessageFor(first));
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
        {"unreadable", [] { throw EFileError("gone"); }, MessageFor(victim)},
        {"out of memory", [] { throw std::bad_alloc(); }, MessageFor(victim)},
        {"foreign", [] { throw Foreign{}; }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const test::ReadHook hook([&](const std::string& name) {
            if (name == victim) c.raise();
        });
        if (c.message.empty()) {
            EXPECT_THROW(list.LoadFromDir(dir.Path(), hook), Foreign);
        } else {
            EXPECT_EQ(LoadFailure(hook), c.message);
        }
        EXPECT_EQ(Kept(order), Names(order.begin(), order.begin() + 2));
    }
}

TEST_F(ReadingOrder, FileThatVanishesWhileOthersAreReadIsLeftOut) {
    const Names order = Board(10);
    const std::string remover = order[1], victim = order[6];
    Signal removed;
    bool waited = false;
    const test::ReadHook hook(
        [&](const std::string& name) {
            if (name == remover) {
                std::remove(dir.PathOf(victim).c_str());
                removed.Raise();
            }
            if (name == victim) waited = removed.Await();
        },
        Fixed(order.size()));
    EXPECT_EQ(LoadFailure(hook), "");
    EXPECT_TRUE(waited);
    Names rest = order;
    rest.erase(rest.begin() + 6);
    EXPECT_EQ(Kept(order), rest);
}

TEST_F(ReadingOrder, SlowReadsBringMoreReadersWhateverTheCores) {
    const Names order = Board(200);
    std::mutex mutex;
    std::set<std::thread::id> readers;
    // The command's own rule, on a machine of two cores, whatever this one has.
    const test::ReadHook hook(
        [&](const std::string&) {
            {
                const std::lock_guard lock(mutex);
                readers.insert(std::this_thread::get_id());
            }
            std::this_thread::sleep_for(2ms);  // a file server's round trips
        },
        PersonReaders(2));
    ASSERT_EQ(list.LoadFromDir(dir.Path(), hook), 200);
    EXPECT_GT(readers.size(), 2u) << "a file server keeps more readers busy than the cores";
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
    // Each file is read only once the one listed after it has been: the last is read first.
    std::vector<Signal> read(order.size());
    const test::ReadHook hook(
        [&](const std::string& name) {
            const auto at = static_cast<std::size_t>(std::find(order.begin(), order.end(), name) - order.begin());
            if (at + 1 < order.size()) {
                ASSERT_TRUE(read[at + 1].Await());
            }
            read[at].Raise();
        },
        Fixed(order.size()));
    ASSERT_EQ(list.LoadFromDir(dir.Path(), hook), count);
    const std::string& last = order.back();
    const TVeltoPerson* lastPerson = list.FindByFileName(last.substr(0, last.size() - 4));
    ASSERT_NE(lastPerson, nullptr);
    EXPECT_EQ(list.Groups().Text(), std::string(lastPerson->Group()) + "=" + std::to_string(count) + "\r\n");
}

}  // namespace
}  // namespace vireziriv
