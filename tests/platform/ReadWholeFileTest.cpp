// Reading a whole file on every platform: the bytes as they are, appended, or a failure that leaves
// the text alone.
#include "platform/Files.h"

#include "platform/Errors.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

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

// Whether reading again might help: a file that left its directory is gone, not so one whose
// directory left too; what stands there but cannot be read stays unreadable.
TEST(ReadWholeFile, SaysWhyAFileCannotBeRead) {
    test::TempDir dir;
    dir.MakeDir("d.vlt");
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
         FileFault::Unreadable},
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

}  // namespace
}  // namespace vireziriv
