// Runs a program as the black-box tests do: its bytes on both streams, its exit status.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vireziriv::test {

struct ProcessResult {
    std::string out;  // standard output, byte for byte
    std::string err;  // standard error, byte for byte
    int status;       // exit status; -1 when killed for running too long, 128 + n for POSIX signal n
};

// Runs `program` with each of `args` as one argument, adding the `env` entries ("NAME=value", replacing
// an inherited NAME) to the inherited environment, with an empty standard input. Both streams are read
// as they fill, so neither can block the program. A run longer than 60 s is killed and reported as
// status -1. A program that cannot be started raises std::runtime_error.
// On Windows the arguments are joined into a command line for the command's own splitter, which has no
// escapes: an argument that is empty or holds blanks goes in double quotes (so an empty one vanishes,
// as that splitter drops a pair of quotes before an argument).
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env = {});

#ifndef _WIN32
// Runs `program` (a path) as RunProcess does, but with standard output and standard error on one
// pseudo-terminal in raw mode, as a user's terminal that passes every byte unchanged: `out` is what the
// terminal received from both, in order; `err` stays empty. A program that cannot be started ends with
// status 127. Windows has no such thing to offer: a console cannot be faked for a child there.
ProcessResult RunOnTerminal(const std::string& program, const std::vector<std::string>& args,
                            const std::vector<std::string>& env = {});
#endif

#ifdef _WIN32
// Runs `program` with this raw command-line tail after its quoted path, for tests of the command's own
// splitting rules. Otherwise as RunProcess.
ProcessResult RunCommandLine(const std::string& program, const std::string& tail);
#endif

// A path that CMake gave at build time, as this process must name it: under Wine a Unix path
// (/work/build/x.exe) becomes its DOS name (Z:\work\build\x.exe); anywhere else it is unchanged.
std::string NativePath(std::string_view buildPath);

}  // namespace vireziriv::test
