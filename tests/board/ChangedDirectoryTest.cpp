// The person list when the directory changes between listing and reading, through a test's reader:
// a file that is gone is left out, one that is no longer a readable file ends the load with its
// message.
#include "board/VeltoPersonUnit.h"

#include "base/Exceptions.h"
#include "base/Texts.h"
#include "platform/Files.h"
#include "support/TempDir.h"
#include "ReadHook.h"
#include "UnreadableEntry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vireziriv {
namespace {

struct Change {
    const char* what;
    std::function<void(const std::string& path)> apply;
};

TEST(ChangedDirectory, FileThatLeftTheBoardIsLeftOut) {
    test::TempDir dir;
    dir.Write("a.vlt", "a\r\nA\r\ng\r\n");
    dir.Write("b.vlt", "b\r\nB\r\ng\r\n");
    const test::ReadHook hook([&](const std::string& name) {
        if (name == "b.vlt") std::remove(dir.PathOf(name).c_str());
    });
    TVeltoPersonsList list;
    ASSERT_EQ(list.LoadFromDir(dir.Path(), hook), 1);
    EXPECT_EQ(list.Items(0).Name(), "A");
    EXPECT_EQ(list.Groups().Text(), "g=1\r\n") << "nor is it counted in its group";
}

TEST(ChangedDirectory, FileReplacedByWhatCannotBeReadEndsTheLoad) {
    std::vector<std::unique_ptr<test::UnreadableEntry>> keep;
    const Change changes[] = {
        {"replaced by a directory",
         [](const std::string& path) {
             std::filesystem::remove(path);
             std::filesystem::create_directory(path);
         }},
        {"replaced by an unreadable entry",
         [&keep](const std::string& path) {
             std::filesystem::remove(path);
             keep.push_back(std::make_unique<test::UnreadableEntry>(path));
         }},
#ifndef _WIN32
        {"replaced by a dangling link",
         [](const std::string& path) {
             std::filesystem::remove(path);
             test::MakeDanglingLink(path);
         }},
#endif
    };
    for (const auto& change : changes) {
        test::TempDir dir;
        dir.Write("a.vlt", "a\r\nA\r\n");
        dir.Write("b.vlt", "b\r\nB\r\n");
        const bool aFirst = test::ListingOrder(dir).front() == "a.vlt";
        bool changed = false;
        const test::ReadHook hook([&](const std::string& name) {
            if (name == "b.vlt" && !changed) {
                change.apply(dir.PathOf(name));
                changed = true;
            }
        });
        TVeltoPersonsList list;
        try {
            list.LoadFromDir(dir.Path(), hook);
            ADD_FAILURE() << change.what << ": the load went through";
        } catch (const EVeltoCommandFileException& e) {
            EXPECT_EQ(e.Message(), std::string(text::kPersonFileBefore) + dir.PathOf("b.vlt") +
                                       std::string(text::kPersonFileAfter))
                << change.what;
        }
        // The person listed before the failure stays; the other file is as it was.
        ASSERT_EQ(list.Count(), aFirst ? 1 : 0) << change.what;
        if (aFirst) {
            EXPECT_EQ(list.Items(0).Name(), "A") << change.what;
        }
        EXPECT_EQ(test::ReadBytes(dir.PathOf("a.vlt")), "a\r\nA\r\n") << change.what;
        keep.clear();
    }
}

// A board whose shared directory went while it was read is no board: the missing directory's
// message, as before the listing, and not the persons read so far.
TEST(ChangedDirectory, DirectoryRemovedWhileReadEndsTheLoadAsMissing) {
    test::TempDir parent;
    parent.MakeDir("board");
    const std::string board = parent.PathOf("board") + platform::kPathDelimiter;
    for (const char* name : {"a.vlt", "b.vlt", "c.vlt"}) parent.Write(std::string("board/") + name, "x\r\nX\r\n");
    // One reader, so that no file is open when the directory goes.
    std::atomic<bool> removed{false};
    const test::ReadHook hook(
        [&](const std::string&) {
            if (!removed.exchange(true)) std::filesystem::remove_all(parent.PathOf("board"));
        },
        Producers{1, 1, {}});
    TVeltoPersonsList list;
    try {
        list.LoadFromDir(board, hook);
        ADD_FAILURE() << "listed " << list.Count() << " persons of a directory that has gone";
    } catch (const EVeltoCommandArgsException& e) {
        EXPECT_EQ(e.Message(), text::kShareDirNotFound);
    }
    EXPECT_TRUE(removed);
}

TEST(ChangedDirectory, FileChangedBeforeItIsReadIsReadAsItIsThen) {
    test::TempDir dir;
    dir.Write("a.vlt", "a\r\nA\r\n");
    const test::ReadHook hook([&dir](const std::string& name) { dir.Write(name, "z\r\nZ\r\n"); });
    TVeltoPersonsList list;
    ASSERT_EQ(list.LoadFromDir(dir.Path(), hook), 1);
    EXPECT_EQ(list.Items(0).Name(), "Z");
}

}  // namespace
}  // namespace vireziriv
