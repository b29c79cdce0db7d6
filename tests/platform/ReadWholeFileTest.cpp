// Reading a whole file on every platform: the bytes as they are, appended, or a failure that leaves
// the text alone.
#include "platform/Files.h"

#include "platform/Errors.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vireziriv {
namespace {

TEST(ReadWholeFile, AppendsTheFileOrLeavesTheTextAsItWas) {
    test::TempDir dir;
    const std::string bytes = std::string("a\0b\r\n", 5) + "\xfc\xfc";
    const std::string path = dir.Write("a.txt", bytes);
    dir.MakeDir("d.txt");
    std::string text = "before";
    platform::ReadWholeFile(path, text);
    EXPECT_EQ(text, "before" + bytes);
    for (const std::string& unreadable : {dir.PathOf("missing.txt"), dir.PathOf("d.txt")}) {
        EXPECT_THROW(platform::ReadWholeFile(unreadable, text), EFileError) << unreadable;
        EXPECT_EQ(text, "before" + bytes) << unreadable;
    }
}

// Whether reading again might help. "Not found" is believed at once: a file that left its directory
// is gone, one whose directory left too is the directory's failure; what stands there but cannot be
// read stays unreadable.
TEST(ReadWholeFile, SaysWhyAFileCannotBeRead) {
    test::TempDir dir;
    dir.MakeDir("d.vlt");
    dir.Write("file", "x");
#ifndef _WIN32
    ASSERT_EQ(symlink("nowhere", dir.PathOf("dangling.vlt").c_str()), 0);
    ASSERT_EQ(symlink("loop.vlt", dir.PathOf("loop.vlt").c_str()), 0);
    ASSERT_EQ(mkfifo(dir.PathOf("fifo.vlt").c_str(), 0600), 0);
#endif
    const struct {
        const char* what;
        std::string path;
        FileFault fault;
    } cases[] = {
        {"a file not there", dir.PathOf("missing.vlt"), FileFault::Gone},
        {"a file in a directory not there", dir.PathOf("missing") + platform::kPathDelimiter + "x.vlt",
         FileFault::DirectoryGone},
        {"a file in a file", dir.PathOf("file") + platform::kPathDelimiter + "x.vlt", FileFault::DirectoryGone},
        {"a directory", dir.PathOf("d.vlt"), FileFault::Unreadable},
#ifndef _WIN32
        {"a link to nothing", dir.PathOf("dangling.vlt"), FileFault::Unreadable},
        {"a link to itself", dir.PathOf("loop.vlt"), FileFault::Unreadable},
        {"a FIFO", dir.PathOf("fifo.vlt"), FileFault::Unreadable},
#endif
    };
    for (const auto& c : cases) {
        try {
            platform::ReadWholeFile(c.path);
            ADD_FAILURE() << c.what << ": read";
        } catch (const EFileError& e) {
            EXPECT_EQ(e.Fault(), c.fault) << c.what;
        }
    }
}

// Only "not found" means that no file stands there; what keeps a look-up from answering is a failure.
TEST(FileExists, FalseOnlyForNotFound) {
    test::TempDir dir;
    dir.Write("a.off", "");
    dir.MakeDir("d.off");
    dir.Write("file", "x");
#ifndef _WIN32
    ASSERT_EQ(symlink("nowhere", dir.PathOf("dangling.off").c_str()), 0);
    ASSERT_EQ(symlink("loop", dir.PathOf("loop").c_str()), 0);
#endif
    const std::string tooLong(400, 'x');
    const struct {
        const char* what;
        std::string path;
        std::optional<bool> exists;  // nothing: raises
    } cases[] = {
        {"a file", dir.PathOf("a.off"), true},
        {"nothing", dir.PathOf("b.off"), false},
        {"a directory", dir.PathOf("d.off"), false},
        {"in a directory not there", dir.PathOf("missing") + platform::kPathDelimiter + "a.off", false},
        {"in a file", dir.PathOf("file") + platform::kPathDelimiter + "a.off", false},
        {"a name longer than any", dir.PathOf(tooLong + ".off"), std::nullopt},
#ifndef _WIN32
        {"a link to nothing", dir.PathOf("dangling.off"), true},
        {"behind a link to itself", dir.PathOf("loop") + "/a.off", std::nullopt},
#endif
    };
    for (const auto& c : cases) {
        try {
            EXPECT_EQ(std::optional<bool>(platform::FileExists(c.path)), c.exists) << c.what;
        } catch (const EFileError& e) {
            EXPECT_EQ(c.exists, std::nullopt) << c.what << ": " << e.Message();
            EXPECT_EQ(e.Fault(), FileFault::Unreadable) << c.what;
        }
    }
}

}  // namespace
}  // namespace vireziriv
