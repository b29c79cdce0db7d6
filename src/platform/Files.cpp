// Files and directories on Windows and POSIX.
#include "platform/Files.h"

#include "platform/Errors.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace vireziriv::platform {
namespace {

[[noreturn]] void RaiseCannotOpen(const std::string& path, std::string_view why) {
    throw FileError("Cannot open file \"" + path + "\". " + std::string(why));
}

}  // namespace

#ifdef _WIN32

namespace {

std::string LastErrorText() {
    char buffer[512] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                   GetLastError(), 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    return text;
}

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

}  // namespace

void ReadWholeFile(const std::string& path, std::string& bytes) {
    // FILE_SHARE_READ only: others may read while we do, nobody may write.
    Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) RaiseCannotOpen(path, LastErrorText());
    if (GetFileType(file.get()) != FILE_TYPE_DISK) RaiseCannotOpen(path, "Not a regular file");
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) RaiseCannotOpen(path, LastErrorText());
    const std::size_t start = bytes.size();
    bytes.resize(start + static_cast<std::size_t>(size.QuadPart));
    std::size_t done = start;
    while (done < bytes.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, want, &got, nullptr)) {
            bytes.resize(start);
            throw FileError("Cannot read file \"" + path + "\". " + LastErrorText());
        }
        if (got == 0) break;  // shrank meanwhile
        done += got;
    }
    bytes.resize(done);
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

struct PersonFileScan::State {
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA data{};
    bool pending = false;
};

PersonFileScan::PersonFileScan(const std::string& dir) : state_(std::make_unique<State>()) {
    state_->find = FindFirstFileA((dir + "*.vlt").c_str(), &state_->data);
    state_->pending = state_->find != INVALID_HANDLE_VALUE;
}

PersonFileScan::~PersonFileScan() {
    if (state_->find != INVALID_HANDLE_VALUE) FindClose(state_->find);
}

bool PersonFileScan::NextMatch(std::string& name) {
    // The wildcard's matches are taken as they are, including those through an 8.3 short name
    // (e.vltx as E~1.VLT): that is how the board's own programs see the directory.
    while (state_->pending) {
        const WIN32_FIND_DATAA data = state_->data;
        state_->pending = FindNextFileA(state_->find, &state_->data) != 0;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            name = data.cFileName;
            return true;
        }
    }
    return false;
}

#else

namespace {

// The wildcard *.vlt of a platform without one: the name ends in .vlt, ASCII case ignored.
bool EndsWithVlt(std::string_view name) {
    constexpr std::string_view ext = ".vlt";
    if (name.size() < ext.size()) return false;
    const std::string_view tail = name.substr(name.size() - ext.size());
    for (std::size_t i = 0; i < ext.size(); ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != ext[i]) return false;
    }
    return true;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

void ReadWholeFile(const std::string& path, std::string& bytes) {
    // O_NONBLOCK so that opening a FIFO returns at once; it is then refused as not a regular file.
    Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) RaiseCannotOpen(path, std::strerror(errno));
    struct stat info {};
    if (fstat(file.get(), &info) != 0) RaiseCannotOpen(path, std::strerror(errno));
    if (!S_ISREG(info.st_mode)) RaiseCannotOpen(path, "Not a regular file");
    // One byte more than the size: a read that stops short of it at the size has reached the end,
    // which spares the empty read that would confirm it (a call per person on a large board).
    const std::size_t start = bytes.size();
    const std::size_t end = start + static_cast<std::size_t>(info.st_size);
    bytes.resize(end + 1);
    std::size_t done = start;
    for (;;) {
        if (done == bytes.size()) bytes.resize(bytes.size() + 4096);  // grew meanwhile, or proc-like
        const ssize_t got = read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            bytes.resize(start);
            throw FileError("Cannot read file \"" + path + "\". " + std::strerror(error));
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
        if (done >= end && done < bytes.size()) break;
    }
    bytes.resize(done);
}

bool FileExists(const std::string& path) {
    // lstat first: the usual answer (no .off marker) then costs one call per person.
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return false;
    if (!S_ISLNK(info.st_mode)) return !S_ISDIR(info.st_mode);
    // A dangling symbolic link is an entry that exists but cannot be read.
    return stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

struct PersonFileScan::State {
    std::string dir;
    DIR* stream = nullptr;
};

PersonFileScan::PersonFileScan(const std::string& dir) : state_(std::make_unique<State>()) {
    state_->dir = dir;
    state_->stream = opendir(dir.c_str());
}

PersonFileScan::~PersonFileScan() {
    if (state_->stream) closedir(state_->stream);
}

bool PersonFileScan::NextMatch(std::string& name) {
    if (!state_->stream) return false;
    while (const dirent* entry = readdir(state_->stream)) {
        const std::string_view candidate = entry->d_name;
        if (!EndsWithVlt(candidate)) continue;
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            isDirectory = DirectoryExists(state_->dir + entry->d_name);
        }
        if (isDirectory) continue;
        name = candidate;
        return true;
    }
    return false;
}

#endif

std::string ReadWholeFile(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

namespace {

std::function<void(const std::string&)> handOutHook;

}  // namespace

bool PersonFileScan::Next(std::string& name) {
    if (!NextMatch(name)) return false;
    if (handOutHook) handOutHook(name);
    return true;
}

void PersonFileScan::SetHandOutHookForTesting(std::function<void(const std::string& name)> hook) {
    handOutHook = std::move(hook);
}

}  // namespace vireziriv::platform
