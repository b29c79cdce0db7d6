// Reading a whole file on every platform: the bytes as they are, appended, or a failure that leaves
// the text alone.
#include "platform/Files.h"

#include "platform/Errors.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace vireziriv
