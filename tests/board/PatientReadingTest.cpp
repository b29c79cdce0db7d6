// A live board: files that are busy, gone, changing or on a dropping connection when they are read,
// through a test's file system that fails reads as a script says. What a serial read of a still board
// gives is what these give, once the files can be read; what cannot be read fails as before, and the
// first failure in the listing's order still wins.
#include "board/VeltoPersonUnit.h"

#include "base/Exceptions.h"
#include "base/Texts.h"
#include "board/BoardFiles.h"
#include "board/VeltoEnvUnit.h"
#include "support/Signal.h"
#include "support/TempDir.h"
#include "BoardLoad.h"
#include "ReadHook.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace vireziriv {
namespace {

using namespace std::chrono_literals;
using Faults = std::vector<FileFault>;
using Names = std::vector<std::string>;

// Fails the reads of each named file with its faults, one per read, then reads it (or, when the
// script ends with `forever`, fails every read with the last fault). Pauses are noted, not waited.
class ScriptedFiles : public BoardFiles {
public:
    static constexpr FileFault forever = static_cast<FileFault>(-1);

    ScriptedFiles(std::map<std::string, Faults> script, Producers readers)
        : script_(std::move(script)), readers_(std::move(readers)) {}

    void Read(const std::string& path, std::string& bytes) const override {
        const std::string name = path.substr(path.find_last_of("\\/") + 1);
        {
            const std::lock_guard lock(mutex_);
            ++reads_[name];
            Faults& faults = script_[name];
            if (!faults.empty()) {
                const FileFault fault = faults.front();
                if (fault == forever) {
                    throw EFileError("still failing", last_[name]);
                }
                faults.erase(faults.begin());
                last_[name] = fault;
                throw EFileError("failing", fault);
            }
        }
        BoardFiles::Read(path, bytes);
    }
    Producers Readers() const override { return readers_; }
    void Pause(std::chrono::milliseconds pause) const override {
        const std::lock_guard lock(mutex_);
        paused_ += pause;
    }

    int Reads(const std::string& name) const {
        const std::lock_guard lock(mutex_);
        return reads_[name];
    }
    std::chrono::milliseconds Paused() const {
        const std::lock_guard lock(mutex_);
        return paused_;
    }

private:
    mutable std::mutex mutex_;
    mutable std::map<std::string, Faults> script_;
    mutable std::map<std::string, FileFault> last_;
    mutable std::map<std::string, int> reads_;
    mutable std::chrono::milliseconds paused_{0};
    Producers readers_;
};

constexpr FileFault forever = ScriptedFiles::forever;

class PatientReading : public test::BoardLoad {
protected:
    PatientReading() : order(Board(8)) {}

    Names Kept() const { return BoardLoad::Kept(order); }

    Names Without(std::size_t i) const {
        Names names = order;
        names.erase(names.begin() + static_cast<std::ptrdiff_t>(i));
        return names;
    }

    Names order;
};

TEST_F(PatientReading, EachFaultOfOneFile) {
    const struct {
        const char* what;
        Faults faults;
        bool listed;  // else the load fails with the file's message
        int reads;
        std::chrono::milliseconds paused;
    } cases[] = {
        {"busy, then free", {FileFault::Busy, FileFault::Busy}, true, 3, 30ms},
        {"busy beyond the bound", {FileFault::Busy, forever}, false, 0, kBusyPatience},
        {"changed while read, then still", {FileFault::Changed}, true, 2, 10ms},
        {"changing all the time", {FileFault::Changed, forever}, false, kMostRereads + 1, 150ms},
        {"a dropped connection", {FileFault::Dropped}, true, 2, 100ms},
        {"a connection that stays down", {FileFault::Dropped, forever}, false, 3, 500ms},
        {"a connection dropped, then a save", {FileFault::Dropped, FileFault::Busy, FileFault::Changed}, true, 4, 130ms},
        {"unreadable", {FileFault::Unreadable}, false, 1, 0ms},
    };
    const std::string victim = order[3];
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ScriptedFiles files({{victim, c.faults}}, PersonReaders(2));
        const std::string failure = LoadFailure(files);
        if (c.listed) {
            EXPECT_EQ(failure, "");
            EXPECT_EQ(Kept(), order);
        } else {
            EXPECT_EQ(failure, MessageFor(victim));
            EXPECT_EQ(Kept(), Names(order.begin(), order.begin() + 3));
        }
        if (c.reads > 0) {
            EXPECT_EQ(files.Reads(victim), c.reads);
        }
        EXPECT_EQ(files.Paused(), c.paused);
    }
}

TEST_F(PatientReading, AFileThatLeftTheBoardIsLeftOutOfListAndTally) {
    const ScriptedFiles files({{order[2], {FileFault::Gone}}, {order[5], {FileFault::Busy, FileFault::Gone}}},
                              PersonReaders(2));
    EXPECT_EQ(LoadFailure(files), "");
    Names kept = Without(5);
    kept.erase(kept.begin() + 2);
    EXPECT_EQ(Kept(), kept);
    EXPECT_EQ(list.Groups().Text(), "g=6\r\n");
    EXPECT_EQ(files.Reads(order[2]), 1) << "a file that has gone is not read again";
}

TEST_F(PatientReading, TheFirstFailureInTheListingsOrderStillWins) {
    const struct {
        const char* what;
        std::map<std::string, Faults> script;
        std::string failing;
    } cases[] = {
        // The earlier file fails last, after its patience: its message is the run's all the same.
        {"a file busy for good before an unreadable one",
         {{order[2], {FileFault::Busy, forever}}, {order[5], {FileFault::Unreadable}}},
         order[2]},
        {"a file busy for a moment before an unreadable one",
         {{order[2], {FileFault::Busy, FileFault::Busy}}, {order[5], {FileFault::Unreadable}}},
         order[5]},
        {"a file gone before an unreadable one", {{order[2], {FileFault::Gone}}, {order[5], {FileFault::Unreadable}}},
         order[5]},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ScriptedFiles files(c.script, {order.size(), order.size(), {}});
        EXPECT_EQ(LoadFailure(files), MessageFor(c.failing));
    }
}

TEST_F(PatientReading, OtherReadersGoOnWhileOneFileIsBusy) {
    // The busy file's reader pauses until every other file has been read: readers wait side by side.
    const std::string busy = order[0];
    test::Signal othersRead;
    int othersLeft = static_cast<int>(order.size()) - 1;
    std::mutex mutex;
    class WaitingFiles : public test::ReadHook {
    public:
        using ReadHook::ReadHook;
        std::function<void()> pause;
        void Pause(std::chrono::milliseconds) const override { pause(); }
    };
    bool busyOnce = true;
    WaitingFiles files(
        [&](const std::string& name) {
            const std::lock_guard lock(mutex);
            if (name == busy && busyOnce) {
                busyOnce = false;
                throw EFileError("held", FileFault::Busy);
            }
            if (name != busy && --othersLeft == 0) othersRead.Raise();
        },
        Producers{2, 2, {}});
    std::atomic<bool> waitedInVain{false};
    files.pause = [&] { waitedInVain = !othersRead.Await(); };
    EXPECT_EQ(LoadFailure(files), "");
    EXPECT_FALSE(waitedInVain) << "the other files waited for the busy one";
    EXPECT_EQ(Kept(), order);
}

TEST(PatientSettings, TheSettingsFileIsWaitedForToo) {
    test::TempDir dir;
    dir.Write("velto.ini", "UDPMessage,Port=2000\r\n");
    const std::string unreadable = dir.Path() + "velto.ini" + std::string(text::kSettingsUnreadable);
    const struct {
        const char* what;
        Faults faults;
        int port;  // 0: the settings' message ends the run
    } cases[] = {
        {"busy, then free", {FileFault::Busy, FileFault::Changed}, 2000},
        {"busy for good", {FileFault::Busy, forever}, 0},
        {"removed since it was found", {FileFault::Gone}, TVeltoEnv::kDefaultUDPPort},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ScriptedFiles files({{"velto.ini", c.faults}}, PersonReaders(2));
        try {
            const TVeltoEnv env(dir.Path(), files);
            EXPECT_EQ(env.UDPPort(), c.port);
        } catch (const EVeltoCommandFileException& e) {
            EXPECT_EQ(c.port, 0);
            EXPECT_EQ(e.Message(), unreadable);
        }
    }
}

}  // namespace
}  // namespace vireziriv
