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

// Fails the reads, look-ups and listings of each named file (a look-up by LookUp(name), a listing by
// the name `listing`) with its faults, one per attempt, then lets it through (or, when the script
// ends with `forever`, fails every attempt with the last fault). Pauses are noted, not waited.
class ScriptedFiles : public BoardFiles {
public:
    static constexpr FileFault forever = static_cast<FileFault>(-1);
    static constexpr const char* listing = "(listing)";
    static std::string LookUp(const std::string& name) { return "(look-up) " + name; }

    ScriptedFiles(std::map<std::string, Faults> script, Producers readers)
        : script_(std::move(script)), readers_(std::move(readers)) {}

    platform::PersonFiles List(const std::string& dir) const override {
        Attempt(listing);
        return BoardFiles::List(dir);
    }
    void Read(const std::string& path, std::string& bytes) const override {
        Attempt(NameOf(path));
        BoardFiles::Read(path, bytes);
    }
    bool Exists(const std::string& path) const override {
        Attempt(LookUp(NameOf(path)));
        return BoardFiles::Exists(path);
    }
    Producers Readers() const override { return readers_; }
    void Pause(std::chrono::milliseconds pause) const override {
        const std::lock_guard lock(mutex_);
        paused_ += pause;
    }

    int Attempts(const std::string& name) const {
        const std::lock_guard lock(mutex_);
        return attempts_[name];
    }
    std::chrono::milliseconds Paused() const {
        const std::lock_guard lock(mutex_);
        return paused_;
    }

private:
    static std::string NameOf(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

    void Attempt(const std::string& name) const {
        const std::lock_guard lock(mutex_);
        ++attempts_[name];
        Faults& faults = script_[name];
        if (faults.empty()) return;
        const FileFault fault = faults.front();
        if (fault == forever) throw EFileError("still failing", last_[name]);
        faults.erase(faults.begin());
        last_[name] = fault;
        throw EFileError("failing", fault);
    }

    mutable std::mutex mutex_;
    mutable std::map<std::string, Faults> script_;
    mutable std::map<std::string, FileFault> last_;
    mutable std::map<std::string, int> attempts_;
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

// How a load ends: with the whole board, or with the message of the failing file, of a missing
// directory or of a directory that could not be listed.
enum class Ending { Listed, FileMessage, MissingDirectory, ListingMessage };

TEST_F(PatientReading, EachFaultOfOneFile) {
    const struct {
        const char* what;
        Faults faults;
        Ending ending;
        int reads;
        std::chrono::milliseconds paused;
    } cases[] = {
        {"busy, then free", {FileFault::Busy, FileFault::Busy}, Ending::Listed, 3, 30ms},
        {"busy beyond the bound", {FileFault::Busy, forever}, Ending::FileMessage, 0, kBusyPatience},
        {"changed while read, then still", {FileFault::Changed}, Ending::Listed, 2, 10ms},
        {"changing all the time", {FileFault::Changed, forever}, Ending::FileMessage, kMostRereads + 1, 150ms},
        {"a dropped connection", {FileFault::Dropped}, Ending::Listed, 2, 100ms},
        {"a connection that stays down", {FileFault::Dropped, forever}, Ending::FileMessage, 3, 500ms},
        {"a connection dropped, then a save", {FileFault::Dropped, FileFault::Busy, FileFault::Changed},
         Ending::Listed, 4, 130ms},
        {"unreadable", {FileFault::Unreadable}, Ending::FileMessage, 1, 0ms},
        {"its directory has gone", {FileFault::DirectoryGone}, Ending::MissingDirectory, 1, 0ms},
    };
    const std::string victim = order[3];
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ScriptedFiles files({{victim, c.faults}}, PersonReaders(2));
        const std::string failure = LoadFailure(files);
        if (c.ending == Ending::Listed) {
            EXPECT_EQ(failure, "");
            EXPECT_EQ(Kept(), order);
        } else {
            EXPECT_EQ(failure, c.ending == Ending::MissingDirectory ? MissingDirectory() : MessageFor(victim));
            EXPECT_EQ(Kept(), Names(order.begin(), order.begin() + 3));
        }
        if (c.reads > 0) {
            EXPECT_EQ(files.Attempts(victim), c.reads);
        }
        EXPECT_EQ(files.Paused(), c.paused);
    }
}

// A board is listed whole or not at all: a listing that a dropped connection broke off is listed
// again within that fault's bound, one that cannot be had fails the run.
TEST_F(PatientReading, TheBoardIsListedWholeOrNotAtAll) {
    const struct {
        const char* what;
        Faults faults;
        Ending ending;
        int listings;
        std::chrono::milliseconds paused;
    } cases[] = {
        {"dropped once", {FileFault::Dropped}, Ending::Listed, 2, 100ms},
        {"dropped twice", {FileFault::Dropped, FileFault::Dropped}, Ending::Listed, 3, 500ms},
        {"dropped for good", {FileFault::Dropped, forever}, Ending::ListingMessage, 3, 500ms},
        {"refused or broken off", {FileFault::Unreadable}, Ending::ListingMessage, 1, 0ms},
        {"busy for a moment", {FileFault::Busy}, Ending::Listed, 2, 10ms},
        {"the directory has gone", {FileFault::DirectoryGone}, Ending::MissingDirectory, 1, 0ms},
        {"dropped, then the directory has gone", {FileFault::Dropped, FileFault::DirectoryGone},
         Ending::MissingDirectory, 2, 100ms},
    };
    const std::string listingMessage = std::string(text::kShareDirUnreadableBefore) + dir.Path() +
                                       std::string(text::kShareDirUnreadableAfter);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        list.Clear();
        const ScriptedFiles files({{ScriptedFiles::listing, c.faults}}, PersonReaders(2));
        const std::string failure = LoadFailure(files);
        switch (c.ending) {
            case Ending::Listed:
                EXPECT_EQ(failure, "");
                EXPECT_EQ(Kept(), order);
                EXPECT_EQ(list.Count(), static_cast<int>(order.size()));
                break;
            case Ending::MissingDirectory: EXPECT_EQ(failure, MissingDirectory()); break;
            case Ending::ListingMessage: EXPECT_EQ(failure, listingMessage); break;
            case Ending::FileMessage: ADD_FAILURE(); break;
        }
        if (c.ending != Ending::Listed) {
            EXPECT_EQ(Kept(), Names()) << "no person read";
        }
        EXPECT_EQ(files.Attempts(ScriptedFiles::listing), c.listings);
        EXPECT_EQ(files.Paused(), c.paused);
    }
}

// A marker that only a look-up can tell (the marker of a name with '~' may be another entry's 8.3
// alias): only "not found" means no marker; other failures are retried or fail the run as the person
// file's. A marker that the listing shows is not looked up.
TEST(PatientMarkers, OnlyNotFoundMeansNoMarker) {
    test::TempDir dir;
    dir.Write("x~1.vlt", "x\r\nX\r\n");
    dir.Write("x~1.off", "");
    dir.Write("y~1.vlt", "y\r\nY\r\n");
    const std::string message =
        std::string(text::kPersonFileBefore) + dir.PathOf("y~1.vlt") + std::string(text::kPersonFileAfter);
    const struct {
        const char* what;
        Faults faults;
        std::string failure;
        int lookUps;
    } cases[] = {
        {"not found at once", {}, "", 1},
        {"a dropped connection", {FileFault::Dropped}, "", 2},
        {"a connection that stays down", {FileFault::Dropped, forever}, message, 3},
        {"refused", {FileFault::Unreadable}, message, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ScriptedFiles files({{ScriptedFiles::LookUp("y~1.off"), c.faults}}, PersonReaders(2));
        TVeltoPersonsList list;
        std::string failure;
        try {
            list.LoadFromDir(dir.Path(), files);
        } catch (const EVeltoCommandFileException& e) {
            failure = e.Message();
        }
        EXPECT_EQ(failure, c.failure);
        EXPECT_EQ(files.Attempts(ScriptedFiles::LookUp("y~1.off")), c.lookUps);
        EXPECT_EQ(files.Attempts(ScriptedFiles::LookUp("x~1.off")), 0);
        if (c.failure.empty()) {
            ASSERT_EQ(list.Count(), 2);
            EXPECT_TRUE(list.FindByFileName("x~1")->PowerOFF());
            EXPECT_FALSE(list.FindByFileName("y~1")->PowerOFF());
        }
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
    EXPECT_EQ(files.Attempts(order[2]), 1) << "a file that has gone is not read again";
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
    const std::string missingDirectory(text::kShareDirNotFound);
    const struct {
        const char* what;
        Faults lookUp;
        Faults read;
        int port;             // when read
        std::string failure;  // else
    } cases[] = {
        {"busy, then free", {}, {FileFault::Busy, FileFault::Changed}, 2000, ""},
        {"busy for good", {}, {FileFault::Busy, forever}, 0, unreadable},
        {"removed since it was found", {}, {FileFault::Gone}, TVeltoEnv::kDefaultUDPPort, ""},
        {"looked up on a dropped connection", {FileFault::Dropped}, {}, 2000, ""},
        {"not to be looked up", {FileFault::Unreadable}, {}, 0, unreadable},
        {"its directory has gone", {}, {FileFault::DirectoryGone}, 0, missingDirectory},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ScriptedFiles files({{ScriptedFiles::LookUp("velto.ini"), c.lookUp}, {"velto.ini", c.read}},
                                  PersonReaders(2));
        try {
            const TVeltoEnv env(dir.Path(), files);
            EXPECT_EQ(env.UDPPort(), c.port);
            EXPECT_EQ(c.failure, "");
        } catch (const EVeltoCommandException& e) {
            EXPECT_EQ(e.Message(), c.failure);
        }
    }
}

}  // namespace
}  // namespace vireziriv
