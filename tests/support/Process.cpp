// Runs a program with captured output: posix_spawn or forkpty and poll, or CreateProcessA and reader threads.
#include "support/Process.h"

#ifdef _WIN32
#include <windows.h>

#include <cstring>
#include <optional>
#else
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

extern char** environ;
#endif

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace vireziriv::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTimeLimit = std::chrono::seconds(60);

// "NAME=" of an environment entry; Windows keeps entries such as "=C:=C:\dir", whose name starts with "=".
std::string EntryName(const std::string& entry) {
    const std::size_t eq = entry.find('=', 1);
    return entry.substr(0, eq) + "=";
}

bool SameName(const std::string& entry, const std::string& name) {
    if (entry.size() < name.size()) return false;
#ifdef _WIN32
    return _strnicmp(entry.c_str(), name.c_str(), name.size()) == 0;  // names ignore case there
#else
    return entry.compare(0, name.size(), name) == 0;
#endif
}

std::vector<std::string> MergedEnvironment(std::vector<std::string> inherited, const std::vector<std::string>& extra) {
    for (const std::string& entry : extra) {
        const std::string name = EntryName(entry);
        std::erase_if(inherited, [&](const std::string& e) { return SameName(e, name); });
        inherited.push_back(entry);
    }
    return inherited;
}

}  // namespace

#ifdef _WIN32

namespace {

class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : h_(h) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    HANDLE* out() { return &h_; }
    void reset() {
        if (h_ && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
        h_ = nullptr;
    }

private:
    HANDLE h_;
};

std::string EnvironmentBlock(const std::vector<std::string>& extra) {
    std::vector<std::string> inherited;
    char* strings = GetEnvironmentStringsA();
    for (const char* p = strings; p && *p; p += std::strlen(p) + 1) inherited.emplace_back(p);
    FreeEnvironmentStringsA(strings);
    std::string block;
    for (const std::string& entry : MergedEnvironment(std::move(inherited), extra)) {
        block += entry;
        block += '\0';
    }
    block += '\0';
    return block;
}

// The command splits its own command line with no escapes: blanks are kept by double quotes alone.
std::string Quote(const std::string& arg) {
    const bool blank = std::any_of(arg.begin(), arg.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
    return arg.empty() || blank ? "\"" + arg + "\"" : arg;
}

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + " (error " + std::to_string(GetLastError()) + ")");
}

DWORD MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<DWORD>(std::max<long long>(left, 0));
}

// Reads a pipe to its end on a thread of its own, so that a full pipe never stalls the other one.
class PipeReader {
public:
    explicit PipeReader(HANDLE pipe) : pipe_(pipe) {
        *thread_.out() = CreateThread(nullptr, 0, Main, this, 0, nullptr);
        if (!thread_.get()) Fail("Cannot start a reader thread");
    }
    ~PipeReader() { WaitForSingleObject(thread_.get(), INFINITE); }
    PipeReader(const PipeReader&) = delete;
    PipeReader& operator=(const PipeReader&) = delete;

    // The bytes read until the pipe's end or, when something the child started still holds the pipe,
    // until the deadline.
    std::string Take(Clock::time_point deadline) {
        if (WaitForSingleObject(thread_.get(), MillisecondsLeft(deadline)) != WAIT_OBJECT_0) {
            do CancelSynchronousIo(thread_.get());  // again if it fell between two reads
            while (WaitForSingleObject(thread_.get(), 100) == WAIT_TIMEOUT);
        }
        return std::move(text_);
    }

private:
    static DWORD WINAPI Main(void* param) {
        auto* self = static_cast<PipeReader*>(param);
        char buffer[64 * 1024];
        DWORD got = 0;
        while (ReadFile(self->pipe_, buffer, sizeof buffer, &got, nullptr)) self->text_.append(buffer, got);
        return 0;  // the writers are gone, or the read was cancelled
    }

    HANDLE pipe_;
    std::string text_;
    Handle thread_;
};

ProcessResult Run(const std::string& program, std::string commandLine, const std::vector<std::string>& env) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Handle outRead, outWrite, errRead, errWrite;
    if (!CreatePipe(outRead.out(), outWrite.out(), &inheritable, 0) ||
        !CreatePipe(errRead.out(), errWrite.out(), &inheritable, 0)) {
        Fail("Cannot create a pipe");
    }
    // Only the child's ends are inherited: a read end left in the child would keep the pipe alive.
    SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead.get(), HANDLE_FLAG_INHERIT, 0);
    Handle input(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING,
                             0, nullptr));
    if (input.get() == INVALID_HANDLE_VALUE) Fail("Cannot open NUL");

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = outWrite.get();
    startup.hStdError = errWrite.get();
    std::string environment = EnvironmentBlock(env);
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, environment.data(),
                                        nullptr, &startup, &info);
    const DWORD startError = GetLastError();
    // The parent's copies of the child's ends must go, or the readers never see the end of the pipes.
    outWrite.reset();
    errWrite.reset();
    input.reset();
    if (!started) {
        SetLastError(startError);
        Fail("Cannot start " + program);
    }
    const Handle process(info.hProcess);
    CloseHandle(info.hThread);
    const auto deadline = Clock::now() + kTimeLimit;
    std::optional<PipeReader> out;
    std::optional<PipeReader> err;
    try {
        out.emplace(outRead.get());
        err.emplace(errRead.get());
    } catch (...) {
        TerminateProcess(process.get(), 1);  // ends the pipes, so a reader already started finishes
        throw;
    }

    const bool timedOut = WaitForSingleObject(process.get(), MillisecondsLeft(deadline)) != WAIT_OBJECT_0;
    if (timedOut) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), INFINITE);
    }
    ProcessResult result{out->Take(deadline), err->Take(deadline), -1};
    DWORD code = 0;
    if (!timedOut && GetExitCodeProcess(process.get(), &code)) result.status = static_cast<int>(code);
    return result;
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env) {
    std::string commandLine = "\"" + program + "\"";
    for (const std::string& arg : args) commandLine += " " + Quote(arg);
    return Run(program, std::move(commandLine), env);
}

ProcessResult RunCommandLine(const std::string& program, const std::string& tail) {
    return Run(program, "\"" + program + "\"" + tail, {});
}

std::string NativePath(std::string_view buildPath) {
    if (buildPath.empty() || buildPath.front() != '/') return std::string(buildPath);
    // Wine's own export; real Windows has none, and never sees a Unix path here anyway.
    using ToDos = WCHAR* (*)(const char*);
    const auto toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (!toDos) return std::string(buildPath);
    WCHAR* dos = toDos(std::string(buildPath).c_str());
    if (!dos) return std::string(buildPath);
    const int n = WideCharToMultiByte(CP_ACP, 0, dos, -1, nullptr, 0, nullptr, nullptr);
    std::string path(static_cast<std::size_t>(std::max(n, 1)), '\0');
    WideCharToMultiByte(CP_ACP, 0, dos, -1, path.data(), n, nullptr, nullptr);
    HeapFree(GetProcessHeap(), 0, dos);
    path.resize(path.size() - 1);  // the terminating NUL
    return path;
}

#else

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0) close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

struct Pipe {
    Pipe() {
        int fds[2];
        // Close-on-exec: a child started meanwhile by another thread must not hold our pipes open.
        if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
        read.reset(fds[0]);
        write.reset(fds[1]);
    }
    Descriptor read;
    Descriptor write;
};

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

// Waits up to `timeout` ms for either open stream, reading what has come; a stream at its end is closed.
void ReadSome(Descriptor& out, Descriptor& err, ProcessResult& result, int timeout) {
    Descriptor* fds[2] = {&out, &err};
    std::string* texts[2] = {&result.out, &result.err};
    pollfd polled[2];
    int which[2];
    nfds_t n = 0;
    for (int i = 0; i < 2; ++i) {
        if (fds[i]->get() < 0) continue;
        polled[n] = {fds[i]->get(), POLLIN, 0};
        which[n++] = i;
    }
    const int ready = poll(polled, n, timeout);
    if (ready < 0 && errno != EINTR) throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
    for (nfds_t k = 0; ready > 0 && k < n; ++k) {
        if (polled[k].revents == 0) continue;
        char buffer[64 * 1024];
        const ssize_t got = read(polled[k].fd, buffer, sizeof buffer);
        if (got > 0) {
            texts[which[k]]->append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            fds[which[k]]->reset();  // the end of a pipe, or EIO once a terminal's last writer is gone
        }
    }
}

// What a child's argument and environment pointers point into, made before it starts.
struct ChildStrings {
    std::vector<std::string> args;
    std::vector<std::string> environment;
};

ChildStrings MakeChildStrings(const std::string& program, const std::vector<std::string>& args,
                              const std::vector<std::string>& env) {
    ChildStrings strings{{program}, {}};
    strings.args.insert(strings.args.end(), args.begin(), args.end());
    std::vector<std::string> inherited;
    for (char** e = environ; *e; ++e) inherited.emplace_back(*e);
    strings.environment = MergedEnvironment(std::move(inherited), env);
    return strings;
}

// Reads both streams until their end, as on Windows, even when something the child started still
// holds them after the child has ended; the time limit ends the reading in any case.
ProcessResult Collect(pid_t pid, Descriptor& out, Descriptor& err) {
    const auto deadline = Clock::now() + kTimeLimit;
    ProcessResult result{{}, {}, 0};
    bool exited = false;
    bool timedOut = false;
    int status = 0;
    for (;;) {
        if (!exited) {
            const pid_t done = waitpid(pid, &status, WNOHANG);
            if (done < 0 && errno != EINTR) throw std::runtime_error(std::string("waitpid: ") + std::strerror(errno));
            exited = done == pid;
        }
        const bool open = out.get() >= 0 || err.get() >= 0;
        if (exited && !open) break;
        const int left = MillisecondsLeft(deadline);
        if (left == 0) {
            if (!exited) {
                kill(pid, SIGKILL);
                while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
                }
                timedOut = true;
            }
            break;
        }
        // The streams wake us with data or their end; the child's own end is looked for between them.
        if (open) {
            ReadSome(out, err, result, exited ? left : std::min(left, 50));
        } else {
            poll(nullptr, 0, std::min(left, 10));
        }
    }
    if (timedOut) {
        result.status = -1;
    } else if (WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    } else {
        result.status = 128 + WTERMSIG(status);
    }
    return result;
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env) {
    Pipe out;
    Pipe err;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.write.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write.get(), STDERR_FILENO);

    ChildStrings strings = MakeChildStrings(program, args, env);
    const std::vector<char*> argv = Pointers(strings.args);
    const std::vector<char*> envp = Pointers(strings.environment);

    pid_t pid = 0;
    const int started = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    // The parent's copies of the child's ends must go, or the pipes never report their end.
    out.write.reset();
    err.write.reset();
    if (started != 0) throw std::runtime_error("Cannot start " + program + ": " + std::strerror(started));
    return Collect(pid, out.read, err.read);
}

ProcessResult RunOnTerminal(const std::string& program, const std::vector<std::string>& args,
                            const std::vector<std::string>& env) {
    ChildStrings strings = MakeChildStrings(program, args, env);
    const std::vector<char*> argv = Pointers(strings.args);
    const std::vector<char*> envp = Pointers(strings.environment);
    // Raw mode: the terminal passes every byte as written, where it would turn each LF into CR LF.
    termios raw{};
    cfmakeraw(&raw);
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, &raw, nullptr);
    if (pid < 0) throw std::runtime_error(std::string("forkpty: ") + std::strerror(errno));
    if (pid == 0) {
        // Only what is safe between fork and exec: the input from /dev/null, then the program.
        const int input = open("/dev/null", O_RDONLY);
        if (input < 0 || dup2(input, STDIN_FILENO) < 0) _exit(127);
        close(input);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    Descriptor terminal(master);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    Descriptor none;
    return Collect(pid, terminal, none);
}

std::string NativePath(std::string_view buildPath) { return std::string(buildPath); }

#endif

}  // namespace vireziriv::test
