// Standard output and standard error, and the process arguments.
#include "platform/Console.h"

#include "platform/Cp932.h"
#include "platform/Errors.h"
#include "platform/Owned.h"
#include "platform/TerminalText.h"

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

using Stream = HANDLE;

Stream OutputStream() { return GetStdHandle(STD_OUTPUT_HANDLE); }
Stream ErrorStream() { return GetStdHandle(STD_ERROR_HANDLE); }

bool IsTerminal(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

int LastError() {
    const DWORD error = GetLastError();
    return error != 0 ? static_cast<int>(error) : ERROR_WRITE_FAULT;
}

// Returns 0 or the system's error code.
int WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!WriteFile(handle, bytes.data(), want, &written, nullptr) || written == 0) return LastError();
        bytes.remove_prefix(written);
    }
    return 0;
}

std::string OutputFailure(int error) {
    return "Cannot write to standard output (error " + std::to_string(error) + ")";
}

// Whole code page 932 characters as UTF-16; a double-byte code without a character shows as its bytes.
std::wstring WideFromCp932(std::string_view cp932) {
    const auto convert = [](std::string_view bytes, std::wstring& wide) {
        const int size = static_cast<int>(bytes.size());
        const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
        if (n <= 0) return false;
        const std::size_t at = wide.size();
        wide.resize(at + static_cast<std::size_t>(n));
        MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data() + at, n);
        return true;
    };
    std::wstring wide;
    if (cp932.empty() || convert(cp932, wide)) return wide;
    for (std::size_t i = 0; i < cp932.size();) {
        const std::string_view one = cp932.substr(i, cp932::CharLength(cp932, i));
        if (!convert(one, wide)) convert(TerminalText::ShowBytes(one), wide);
        i += one.size();
    }
    return wide;
}

// UTF-8 as UTF-16; a byte that belongs to no character becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view utf8) {
    std::wstring wide;
    if (utf8.empty()) return wide;
    const int size = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    wide.resize(static_cast<std::size_t>(n));
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
    return wide;
}

// A console: it is handed characters, so it shows them whatever its code page.
class TerminalDevice {
public:
    explicit TerminalDevice(HANDLE handle) : handle_(handle) {}

    // Each returns 0 or the system's error code.
    int Show(std::string_view cp932) const { return Write(WideFromCp932(cp932)); }
    int ShowUtf8(std::string_view utf8) const { return Write(WideFromUtf8(utf8)); }

private:
    int Write(const std::wstring& wide) const {
        for (std::size_t at = 0; at < wide.size();) {
            DWORD written = 0;
            // Consoles have refused very large writes: a few thousand characters at a time.
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(wide.size() - at, 8192));
            if (!WriteConsoleW(handle_, wide.data() + at, want, &written, nullptr) || written == 0) return LastError();
            at += written;
        }
        return 0;
    }

    HANDLE handle_;
};

}  // namespace

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

using Stream = int;

Stream OutputStream() { return STDOUT_FILENO; }
Stream ErrorStream() { return STDERR_FILENO; }

bool IsTerminal(int fd) { return isatty(fd) == 1; }

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

std::string OutputFailure(int error) { return std::string("Cannot write to standard output: ") + std::strerror(error); }

// The character set of the user's locale, or code page 932 itself for its own family and where the
// locale cannot be told.
std::string TerminalCodeset() {
    const locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (!user) return "CP932";
    std::string codeset = nl_langinfo_l(CODESET, user);
    freelocale(user);
    for (const char* same : {"CP932", "SHIFT_JIS", "SJIS", "MS932", "WINDOWS-31J"}) {
        if (strcasecmp(codeset.c_str(), same) == 0) return "CP932";
    }
    return codeset;
}

const iconv_t kNoConversion = reinterpret_cast<iconv_t>(-1);

// A terminal: whole code page 932 characters are converted to the locale's character set (one it
// lacks becomes what transliteration gives, or "?"); a double-byte code without a character shows as
// its bytes.
class TerminalDevice {
public:
    explicit TerminalDevice(int fd)
        : fd_(fd), convert_(iconv_open((TerminalCodeset() + "//TRANSLIT").c_str(), "CP932"), kNoConversion) {}

    // Each returns 0 or the errno of the failure. UTF-8 goes as it is: the only controls it may hold
    // are line ends, and a terminal shows it as its own text or as the bytes it has.
    int Show(std::string_view cp932) const { return WriteAll(fd_, Convert(cp932)); }
    int ShowUtf8(std::string_view utf8) const { return WriteAll(fd_, utf8); }

private:
    std::string Convert(std::string_view cp932) const {
        if (!convert_.valid()) return std::string(cp932);  // a character set iconv does not know
        std::string converted;
        char* in = const_cast<char*>(cp932.data());
        std::size_t inLeft = cp932.size();
        while (inLeft > 0) {
            char buffer[4096];
            char* to = buffer;
            std::size_t toLeft = sizeof buffer;
            const std::size_t done = iconv(convert_.get(), &in, &inLeft, &to, &toLeft);
            converted.append(buffer, static_cast<std::size_t>(to - buffer));
            if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
            const std::string_view rest(in, inLeft);
            const std::string_view one = rest.substr(0, cp932::CharLength(rest, 0));
            converted += TerminalText::ShowBytes(one);
            in += one.size();
            inLeft -= one.size();
        }
        return converted;
    }

    int fd_;
    Owned<iconv_t, iconv_close> convert_;
};

}  // namespace

#endif

// Standard output or standard error when it is a terminal: code page 932 reaches it rendered by
// TerminalText, in the terminal's encoding; safe UTF-8 as it comes, in whole characters.
class Terminal {
public:
    Terminal(Stream stream, OutputText text) : device_(stream), utf8_(text == OutputText::kSafeUtf8) {}

    // Each returns 0 or the system's error code.
    int Write(std::string_view bytes) { return utf8_ ? device_.ShowUtf8(bytes) : device_.Show(text_.Render(bytes)); }
    int Finish() { return utf8_ ? 0 : device_.Show(text_.Finish()); }

private:
    TerminalDevice device_;
    bool utf8_;
    TerminalText text_;  // code page 932
};

StandardOutput::StandardOutput(OutputText text) {
    if (IsTerminal(OutputStream())) terminal_ = std::make_unique<Terminal>(OutputStream(), text);
}

StandardOutput::~StandardOutput() = default;

void StandardOutput::Write(std::string_view bytes) {
    if (bytes.size() < kOutputBufferSize) {
        buffer_.append(bytes);
        if (buffer_.size() >= kOutputBufferSize) Send();
        return;
    }
    // Larger than the buffer: it goes on as it is after what was buffered, rather than as a copy.
    Send();
    if (const int error = Pass(bytes)) throw EOutputError(OutputFailure(error));
}

void StandardOutput::Flush() {
    Send();
    if (!terminal_) return;
    if (const int error = terminal_->Finish()) throw EOutputError(OutputFailure(error));
}

// Writes out the buffer; on a terminal, a last byte that the next one may continue waits for it.
void StandardOutput::Send() {
    if (buffer_.empty()) return;
    const int error = Pass(buffer_);
    buffer_.clear();
    if (error != 0) throw EOutputError(OutputFailure(error));
}

int StandardOutput::Pass(std::string_view bytes) {
    return terminal_ ? terminal_->Write(bytes) : WriteAll(OutputStream(), bytes);
}

void WriteError(std::string_view bytes) {
    const Stream stream = ErrorStream();
    if (!IsTerminal(stream)) {
        WriteAll(stream, bytes);
        return;
    }
    Terminal terminal(stream, OutputText::kCp932);
    terminal.Write(bytes);
    terminal.Finish();
}

}  // namespace vireziriv::platform
