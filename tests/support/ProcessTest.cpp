// The process runner of the black-box tests, run against a stand-in program that echoes what it gets.
#include "support/Process.h"

#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

#include <stdexcept>
#include <string>
#include <vector>

namespace vireziriv {
namespace {

using test::RunProcess;
using test::Sjis;

const std::string& Probe() {
    static const std::string path = test::NativePath(VIREZIRIV_PROCESS_PROBE);
    return path;
}

void SetParentVariable(const char* name, const char* value) {
#ifdef _WIN32
    ASSERT_TRUE(SetEnvironmentVariableA(name, value));
#else
    ASSERT_EQ(setenv(name, value, 1), 0);
#endif
}

TEST(RunProcess, PassesEachArgumentAsOne) {
    const std::vector<std::string> args = {"/N",        "two words", "/D:C:\\My Share\\", Sjis("山田 表"),
                                           "tab\there", "",          "last"};
#ifdef _WIN32
    const std::string empty;  // the command's splitter drops a pair of quotes before an argument
#else
    const std::string empty = "[]\n";
#endif
    const test::ProcessResult r = RunProcess(Probe(), args);
    EXPECT_EQ(r.out, "[/N]\n[two words]\n[/D:C:\\My Share\\]\n[" + Sjis("山田 表") + "]\n[tab\there]\n" + empty +
                         "[last]\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

TEST(RunProcess, AddsToTheInheritedEnvironment) {
    SetParentVariable("VIREZIRIV_PROBE_INHERITED", "parent");
    SetParentVariable("VIREZIRIV_PROBE_REPLACED", "parent");
    const test::ProcessResult r = RunProcess(
        Probe(),
        {"?VIREZIRIV_PROBE_INHERITED", "?VIREZIRIV_PROBE_REPLACED", "?VIREZIRIV_PROBE_ADDED", "?VIREZIRIV_PROBE_UNSET"},
        {"VIREZIRIV_PROBE_REPLACED=child", "VIREZIRIV_PROBE_ADDED=" + Sjis("a = 山田")});
    EXPECT_EQ(r.out, "[parent]\n[child]\n[" + Sjis("a = 山田") + "]\n(unset)\n");
#ifdef _WIN32
    // Names ignore case on Windows: the entry replaces the inherited one instead of standing beside it.
    EXPECT_EQ(RunProcess(Probe(), {"?VIREZIRIV_PROBE_REPLACED"}, {"virezirIV_probe_replaced=lower"}).out, "[lower]\n");
#endif
}

TEST(RunProcess, KeepsTheBytesOfBothStreams) {
    const test::ProcessResult r = RunProcess(Probe(), {"--crlf", "--stdin", "--to-err", "x", "--crlf"});
    EXPECT_EQ(r.out, "a\r\nb\n\r[0]\n");  // nothing doubled or dropped, and an empty input
    EXPECT_EQ(r.err, "[x]\na\r\nb\n\r");
}

TEST(RunProcess, ReadsBothStreamsAsTheyFill) {
    // Either stream alone is far larger than a pipe holds: read one after the other, this would hang.
    const test::ProcessResult r = RunProcess(Probe(), {"--flood"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(1 << 20, 'o'));
    EXPECT_EQ(r.err, std::string(1 << 20, 'e'));
}

TEST(RunProcess, ReportsTheExitStatus) {
    for (const int status : {0, 1, 2, 99}) {
        EXPECT_EQ(RunProcess(Probe(), {"--exit=" + std::to_string(status)}).status, status);
    }
}

TEST(RunProcess, RaisesWhenTheProgramCannotStart) {
    const test::TempDir dir;
    EXPECT_THROW(RunProcess(dir.PathOf("missing"), {}), std::runtime_error);
}

#ifndef _WIN32
TEST(RunOnTerminal, PutsBothOutputStreamsOnATerminalThatPassesEveryByte) {
    // Exits 9 unless both output streams are a terminal and the input is not.
    const test::ProcessResult r = test::RunOnTerminal(
        "/bin/sh", {"-c", "test -t 1 && test -t 2 && ! test -t 0 || exit 9; printf 'a\\r\\nb\\n\\t%s' \"$X\"; "
                          "printf e >&2; cat; exit 3"},
        {"X=" + Sjis("山田")});
    EXPECT_EQ(r.out, "a\r\nb\n\t" + Sjis("山田") + "e");  // no LF became CR LF; standard input was empty
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 3);
}

TEST(RunOnTerminal, ReportsAProgramThatCannotStart) {
    const test::TempDir dir;
    EXPECT_EQ(test::RunOnTerminal(dir.PathOf("missing"), {}).status, 127);
}
#endif

#ifdef _WIN32
TEST(RunCommandLine, HandsTheTailToTheCommandsSplitter) {
    struct Case {
        std::string tail;
        std::string out;
    };
    const Case cases[] = {
        {" /D:\"C:\\My Share\" /N", "[/D:C:\\My Share]\n[/N]\n"},
        {" \"\" \"\"  /N", "[/N]\n"},
        {" a\"\"b \"c\"d", "[ab]\n[cd]\n"},
        {"\t/N\t\t/F ", "[/N]\n[/F]\n"},
        {" C:\\dir\\ \"x\\\" y", "[C:\\dir\\]\n[x\\]\n[y]\n"},  // a backslash escapes nothing
        {" \"open to the end", "[open to the end]\n"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail);
        const test::ProcessResult r = test::RunCommandLine(Probe(), c.tail);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.status, 0);
    }
}
#endif

}  // namespace
}  // namespace vireziriv
