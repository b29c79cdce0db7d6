// Splitting a Windows command line by the command's own rules, and the recorded process arguments.
#include "platform/Console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vireziriv::platform {
namespace {

using Args = std::vector<std::string>;

struct SplitCase {
    const char* why;
    std::string line;
    Args expected;
};

TEST(SplitCommandLine, FollowsTheCommandsOwnRules) {
    const SplitCase cases[] = {
        {"empty line", "", {}},
        {"blanks only", " \t\r\n", {}},
        {"program alone", "prog.exe", {"prog.exe"}},
        {"single blanks", "prog /N /F", {"prog", "/N", "/F"}},
        {"runs of codes 1-32 separate", "prog\t\x01\x1f /N \n\r/F  ", {"prog", "/N", "/F"}},
        {"quoted stretch keeps blanks, quotes dropped", "prog /D:\"C:\\My Share\" /N",
         {"prog", "/D:C:\\My Share", "/N"}},
        {"quoted program path", "\"C:\\Program Files\\v.exe\" /Q", {"C:\\Program Files\\v.exe", "/Q"}},
        {"empty quoted argument vanishes", "prog \"\" /N", {"prog", "/N"}},
        {"several empty pairs vanish", "prog \"\"\"\" \"\" /N", {"prog", "/N"}},
        {"pair before an argument is skipped", "prog \"\"/N", {"prog", "/N"}},
        {"pair inside an argument is dropped", "prog a\"\"b", {"prog", "ab"}},
        {"quoted blank is an argument", "prog \" \" x", {"prog", " ", "x"}},
        {"stretches join", "prog \"a b\"c\"d e\"", {"prog", "a bcd e"}},
        {"backslash is no escape", "prog \"a\\\" b\\\\", {"prog", "a\\", "b\\\\"}},
        {"unclosed quote runs to the end", "prog \"a b", {"prog", "a b"}},
        {"a lone trailing quote adds nothing", "prog x \"", {"prog", "x"}},
        {"NUL ends the line", std::string("prog /N\0/F", 10), {"prog", "/N"}},
        {"double-byte bytes pass through", "prog /D:\x95\\\x8e\xa6 \"\x83\\ \x83\\\"",
         {"prog", "/D:\x95\\\x8e\xa6", "\x83\\ \x83\\"}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.line), c.expected) << c.why;
    }
}

TEST(ProcessArguments, TakesTheRecordedArgumentsAfterTheProgram) {
    char program[] = "vireziriv";
    char first[] = "/N";
    char second[] = "/D:C:\\My Share";
    char* argv[] = {program, first, second, nullptr};
    RecordProcessArguments(3, argv);
#ifdef _WIN32
    // Windows reads its own command line: the recorded arguments are not used.
    const Args got = ProcessArguments();
    EXPECT_EQ(std::find(got.begin(), got.end(), "/D:C:\\My Share"), got.end());
#else
    EXPECT_EQ(ProcessArguments(), (Args{"/N", "/D:C:\\My Share"}));
    // The pointers are kept, not copied.
    second[1] = 'd';
    EXPECT_EQ(ProcessArguments(), (Args{"/N", "/d:C:\\My Share"}));
    RecordProcessArguments(1, argv);
    EXPECT_EQ(ProcessArguments(), Args{});
    RecordProcessArguments(0, nullptr);
    EXPECT_EQ(ProcessArguments(), Args{});
#endif
}

}  // namespace
}  // namespace vireziriv::platform
