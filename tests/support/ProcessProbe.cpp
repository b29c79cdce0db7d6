// A stand-in program for the process runner's test: echoes its arguments, its environment and its
// input through the command's own console code, writes raw or bulky output, ends with a chosen status.
#include "platform/Console.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::size_t InputSize() {
    std::size_t size = 0;
    char buffer[4096];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, stdin)) size += got;
    return size;
}

}  // namespace

// Each argument is written as [argument] and a LF, except:
//   ?NAME      the variable NAME as [value], or (unset)
//   --stdin    the number of bytes on standard input, as [n]
//   --crlf     the bytes a CR LF b LF CR, unchanged
//   --flood    1 MiB of 'o' on standard output, then 1 MiB of 'e' on standard error
//   --to-err   what follows goes to standard error
//   --exit=N   ends with status N
int main(int argc, char** argv) {
    using namespace vireziriv::platform;
    PrepareConsole();
    RecordProcessArguments(argc, argv);
    StandardOutput out;
    bool toError = false;
    int status = 0;
    for (const std::string& arg : ProcessArguments()) {
        std::string text;
        if (arg == "--to-err") {
            toError = true;
        } else if (arg.starts_with("--exit=")) {
            status = std::atoi(arg.c_str() + 7);
        } else if (arg == "--flood") {
            out.Write(std::string(1 << 20, 'o'));
            out.Flush();
            WriteError(std::string(1 << 20, 'e'));
        } else if (arg == "--crlf") {
            text = "a\r\nb\n\r";
        } else if (arg == "--stdin") {
            text = "[" + std::to_string(InputSize()) + "]\n";
        } else if (arg.starts_with("?")) {
            const char* value = std::getenv(arg.c_str() + 1);
            text = value ? "[" + std::string(value) + "]\n" : "(unset)\n";
        } else {
            text = "[" + arg + "]\n";
        }
        if (text.empty()) continue;
        if (toError) {
            WriteError(text);
        } else {
            out.Write(text);
        }
    }
    out.Flush();
    return status;
}
