// Files and directories on Windows and POSIX: reading one, and testing what stands at a path.
#include "platform/Files.h"

#include "platform/Errors.h"
#include "platform/Owned.h"

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace vireziriv::platform {
namespace {

[[noreturn]] void RaiseCannotOpen(const std::string& path, std::string_view why) {
    throw EFileError("Cannot open file \"" + path + "\". " + std::string(why));
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

}  // namespace

void ReadWholeFile(const std::string& path, std::string& bytes) {
    // FILE_SHARE_READ only: others may read while we do, nobody may write.
    const Owned<HANDLE, CloseHandle> file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                                      nullptr),
                                          INVALID_HANDLE_VALUE);
    if (!file.valid()) RaiseCannotOpen(path, LastErrorText());
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
            throw EFileError("Cannot read file \"" + path + "\". " + LastErrorText());
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

#else

void ReadWholeFile(const std::string& path, std::string& bytes) {
    // O_NONBLOCK so that opening a FIFO returns at once; it is then refused as not a regular file.
    const Owned<int, close> file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY), -1);
    if (!file.valid()) RaiseCannotOpen(path, std::strerror(errno));
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
            throw EFileError("Cannot read file \"" + path + "\". " + std::strerror(error));
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

#endif

std::string ReadWholeFile(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

}  // namespace vireziriv::platform
