// The process: its arguments, standard output and standard error.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vireziriv::platform {

// Once, before anything is written: binary standard streams on Windows, no SIGPIPE on POSIX
// (a closed pipe must become a reported write failure, not a silent death).
void PrepareConsole();

// Once, at the start of main: keeps the pointers to the arguments (not a copy), as the C run-time
// does. Windows ignores them and reads the command line itself.
void RecordProcessArguments(int argc, char** argv);

// The process arguments after the program's own path, as recorded. On Windows the command line is
// split by SplitCommandLine, not by the C run-time's rules.
std::vector<std::string> ProcessArguments();

// Splits a command line: runs of codes 1-32 separate arguments; pairs of double quotes before an
// argument are skipped; inside one a double quote opens or closes a stretch that keeps blanks, and
// is dropped; there is no escape character. The program's own path is the first item.
std::vector<std::string> SplitCommandLine(std::string_view line);

class Terminal;  // standard output or standard error when it is a terminal

// What standard output is given.
enum class OutputText {
    // Code page 932 bytes, whatever they hold.
    kCp932,
    // UTF-8 whose only controls are the CR LF that end its lines, so that nothing in it can act on a
    // terminal; every write is whole characters.
    kSafeUtf8,
};

// Buffered standard output; every write is checked and a failure raises EOutputError. Redirected (a
// pipe, a file, anything but a terminal), the bytes are written as they are. On a terminal, code page
// 932 text is shown as TerminalText renders it, converted to the terminal's encoding (the user
// locale's character set on POSIX, a console's own characters on Windows); safe UTF-8 goes to a POSIX
// terminal as it is and to a Windows console as its characters.
class StandardOutput {
public:
    explicit StandardOutput(OutputText text = OutputText::kCp932);
    ~StandardOutput();  // drops what was not flushed: a failed run writes no more
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    void Write(std::string_view bytes);

    // Writes out everything written so far; on a terminal, a code page 932 character cut short at the
    // end shows as the bytes it has.
    void Flush();

private:
    void Send();
    // Hands `bytes` to the terminal or the stream; returns 0 or the system's error code.
    int Pass(std::string_view bytes);

    std::string buffer_;
    std::unique_ptr<Terminal> terminal_;  // null unless standard output is a terminal
};

// Writes a message to standard error: as bytes when redirected, as StandardOutput shows text on a
// terminal. Failures are ignored: there is nowhere left to report them.
void WriteError(std::string_view bytes);

}  // namespace vireziriv::platform
