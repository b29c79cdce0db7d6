// Standard output and standard error, and the process arguments.
#include "platform/Console.h"

#include "platform/Errors.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <strings.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#endif

#include <algorithm>

namespace vireziriv::platform {
namespace {

constexpr std::size_t kOutputBufferSize = 64 * 1024;

}  // namespace

#ifdef _WIN32

void PrepareConsole() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

void RecordProcessArguments(int, char**) {}

std::vector<std::string> ProcessArguments() {
    std::vector<std::string> arguments = SplitCommandLine(GetCommandLineA());
    if (!arguments.empty()) arguments.erase(arguments.begin());
    return arguments;
}

namespace {

bool WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!WriteFile(handle, bytes.data(), want, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

void StandardOutput::Flush() {
    if (buffer_.empty()) return;
    const bool ok = WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), buffer_);
    buffer_.clear();
    if (!ok) throw OutputError("Cannot write to standard output (error " + std::to_string(GetLastError()) + ")");
}

void WriteError(std::string_view bytes) {
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode) && GetConsoleOutputCP() != 932 && !bytes.empty()) {
        // A console of another code page: hand it the characters, not the bytes.
        const int n = MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
        DWORD written = 0;
        if (WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) return;
    }
    WriteAll(handle, bytes);
}

#else

void PrepareConsole() { std::signal(SIGPIPE, SIG_IGN); }

namespace {

// What main recorded: the C run-time's own array, not a copy.
int recordedArgc = 0;
char** recordedArgv = nullptr;

}  // namespace

void RecordProcessArguments(int argc, char** argv) {
    recordedArgc = argc;
    recordedArgv = argv;
}

std::vector<std::string> ProcessArguments() {
    if (recordedArgc < 2 || !recordedArgv) return {};
    return std::vector<std::string>(recordedArgv + 1, recordedArgv + recordedArgc);
}

namespace {

// Returns 0 or the errno of the failure.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// The terminal's character set when it is not code page 932, else empty.
std::string ForeignTerminalCodeset(int fd) {
    if (!isatty(fd)) return {};
    const locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (!user) return {};
    std::string codeset = nl_langinfo_l(CODESET, user);
    freelocale(user);
    for (const char* same : {"CP932", "SHIFT_JIS", "SJIS", "MS932", "WINDOWS-31J"}) {
        if (strcasecmp(codeset.c_str(), same) == 0) return {};
    }
    return codeset;
}

std::string ConvertFromCp932(std::string_view bytes, const std::string& codeset) {
    const iconv_t cd = iconv_open((codeset + "//TRANSLIT").c_str(), "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(bytes);
    std::string out(bytes.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG || toLeft == 0) break;
        // An invalid byte passes as a question mark rather than losing the rest of the message.
        ++in;
        --inLeft;
        *to++ = '?';
        --toLeft;
    }
    iconv_close(cd);
    out.resize(out.size() - toLeft);
    return out;
}

}  // namespace

void StandardOutput::Flush() {
    if (buffer_.empty()) return;
    const int error = WriteAll(STDOUT_FILENO, buffer_);
    buffer_.clear();
    if (error != 0) throw OutputError(std::string("Cannot write to standard output: ") + std::strerror(error));
}

void WriteError(std::string_view bytes) {
    const std::string codeset = ForeignTerminalCodeset(STDERR_FILENO);
    if (codeset.empty()) {
        WriteAll(STDERR_FILENO, bytes);
    } else {
        WriteAll(STDERR_FILENO, ConvertFromCp932(bytes, codeset));
    }
}

#endif

void StandardOutput::Write(std::string_view bytes) {
    buffer_.append(bytes);
    if (buffer_.size() >= kOutputBufferSize) Flush();
}

}  // namespace vireziriv::platform
