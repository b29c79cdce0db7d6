// Files and directories on Windows and POSIX: reading one, and testing what stands at a path.
#include "platform/Files.h"

#include "platform/Cp932.h"
#include "platform/Errors.h"
#include "platform/Owned.h"
#include "platform/SystemFaults.h"

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

// The directory that holds `path`, with its separator; "." for a bare name.
std::string DirectoryOf(const std::string& path) {
    const std::size_t p = cp932::FindLastOf(path, kFileNameDelimiters);
    return p == std::string::npos ? std::string(".") : path.substr(0, p + 1);
}

// A system error code and what it says about reading again.
template <class Code>
struct KnownError {
    Code error;
    FileFault fault;
};

// The fault `known` gives `error`; Unreadable for an error it does not list.
template <class Code, std::size_t N>
FileFault FaultOf(Code error, const KnownError<Code> (&known)[N]) {
    for (const auto& entry : known) {
        if (entry.error == error) return entry.fault;
    }
    return FileFault::Unreadable;
}

// How a file's bytes arrived: in the one read that asked for them all, in several reads (which a
// save may have fallen between), or other than the size it had when it was opened.
enum class Arrival { AtOnce, InPieces, OtherSize };

// Appends to `bytes` a file that had `size` bytes when it was opened, by calls of
// readSome(to, room), which reads at most `room` bytes to `to` and returns how many, 0 at the end,
// or raises. One byte more than the size is asked for: a read that stops short of it at the size
// has reached the end, which spares the empty read that would confirm it (a call per person on a
// large board), and a file that grew meanwhile fills it. A failure leaves `bytes` as it was.
template <class ReadSome>
Arrival AppendRead(std::string& bytes, std::size_t size, ReadSome readSome) {
    const std::size_t start = bytes.size();
    const std::size_t end = start + size;
    bytes.resize(end + 1);
    std::size_t done = start;
    int reads = 0;
    try {
        for (;;) {
            if (done == bytes.size()) bytes.resize(bytes.size() + 4096);
            const std::size_t got = readSome(bytes.data() + done, bytes.size() - done);
            ++reads;
            if (got == 0) break;
            done += got;
            if (done >= end && done < bytes.size()) break;
        }
    } catch (...) {
        bytes.resize(start);
        throw;
    }
    bytes.resize(done);
    if (done != end) return Arrival::OtherSize;
    return reads == 1 ? Arrival::AtOnce : Arrival::InPieces;
}

[[noreturn]] void RaiseChanged(const std::string& path) {
    throw EFileError("Cannot read file \"" + path + "\". It changed while it was read", FileFault::Changed);
}

}  // namespace

#ifdef _WIN32

extern "C" __declspec(dllimport) LONG NTAPI RtlGetLastNtStatus();

namespace {

std::string ErrorText(DWORD error) {
    char buffer[512] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                   buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    return text;
}

// What an open of a file that is being deleted meets, behind ERROR_ACCESS_DENIED.
constexpr LONG kStatusDeletePending = static_cast<LONG>(0xC0000056L);

// What the system's refusal says about trying again; anything not here is Unreadable.
constexpr KnownError<DWORD> kFaults[] = {
    {ERROR_SHARING_VIOLATION, FileFault::Busy},   // held open by a program that does not share it with us
    {ERROR_LOCK_VIOLATION, FileFault::Busy},      // a range of it locked
    {ERROR_FILE_NOT_FOUND, FileFault::Gone},
    {ERROR_PATH_NOT_FOUND, FileFault::Gone},      // its directory, or a part of its path, is not there
    {ERROR_DIRECTORY, FileFault::Gone},           // a part of its path is no directory
    {ERROR_INVALID_NAME, FileFault::Gone},        // nothing can stand there: a path on through a file
    {ERROR_BAD_NETPATH, FileFault::Dropped},      // the server did not answer
    {ERROR_NETWORK_BUSY, FileFault::Dropped},
    {ERROR_DEV_NOT_EXIST, FileFault::Dropped},    // the network resource is no longer available
    {ERROR_UNEXP_NET_ERR, FileFault::Dropped},
    {ERROR_NETNAME_DELETED, FileFault::Dropped},  // the connection was reset
    {ERROR_SEM_TIMEOUT, FileFault::Dropped},      // the server timed out
    {ERROR_VC_DISCONNECTED, FileFault::Dropped},
    {ERROR_NETWORK_UNREACHABLE, FileFault::Dropped},
    {ERROR_HOST_UNREACHABLE, FileFault::Dropped},
    {ERROR_CONNECTION_ABORTED, FileFault::Dropped},
};

// After "not found", believed at once: the directory has gone, or a link to nothing stands there
// (which cannot be read), or the file has left its directory, whatever a cache still shows.
FileFault NotFound(const std::string& path) {
    if (const auto fault = DirectoryFault(DirectoryOf(path))) return *fault;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool link = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    return link ? FileFault::Unreadable : FileFault::Gone;
}

// `error` and `status` as the failed call left them.
[[noreturn]] void Raise(std::string_view doing, const std::string& path, DWORD error, LONG status) {
    FileFault fault = FaultOfSystemError(error, status);
    if (fault == FileFault::Gone) fault = NotFound(path);
    throw EFileError(std::string(doing) + " file \"" + path + "\". " + ErrorText(error), fault);
}

[[noreturn]] void RaiseLast(std::string_view doing, const std::string& path) {
    const DWORD error = GetLastError();
    Raise(doing, path, error, LastNtStatus());
}

// What tells one saved version of a file from the next.
struct Version {
    std::uint64_t size = 0;
    FILETIME lastWrite{};
    bool operator==(const Version& other) const {
        return size == other.size && CompareFileTime(&lastWrite, &other.lastWrite) == 0;
    }
};

Version VersionOf(HANDLE file, const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) RaiseLast("Cannot read", path);
    return {static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow, info.ftLastWriteTime};
}

}  // namespace

FileFault FaultOfSystemError(unsigned long error, long status) {
    if (error == ERROR_ACCESS_DENIED && status == kStatusDeletePending) return FileFault::Gone;
    return FaultOf(static_cast<DWORD>(error), kFaults);
}

long LastNtStatus() { return RtlGetLastNtStatus(); }

std::optional<FileFault> DirectoryFault(const std::string& dir) {
    const Owned<HANDLE, CloseHandle> handle(CreateFileA(dir.c_str(), FILE_READ_ATTRIBUTES,
                                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr),
                                            INVALID_HANDLE_VALUE);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &info)) {
        const DWORD error = GetLastError();
        const FileFault fault = FaultOfSystemError(error, LastNtStatus());
        return fault == FileFault::Gone ? FileFault::DirectoryGone : fault;
    }
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return FileFault::DirectoryGone;
    return std::nullopt;
}

void ReadWholeFile(const std::string& path, std::string& bytes) {
    // Others may read, rename or delete the file while we read it, but not write it: a program that
    // has it open for writing, or opens it so meanwhile, meets a sharing violation, so what we read is
    // one saved version and never a save in progress. Where a program shares it with nobody, or is
    // writing it, the open fails as busy.
    const Owned<HANDLE, CloseHandle> file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                                      nullptr, OPEN_EXISTING,
                                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr),
                                          INVALID_HANDLE_VALUE);
    if (!file.valid()) RaiseLast("Cannot open", path);
    if (GetFileType(file.get()) != FILE_TYPE_DISK) throw EFileError("Cannot open file \"" + path + "\". Not a regular file");
    const Version opened = VersionOf(file.get(), path);
    const std::size_t start = bytes.size();
    const Arrival arrival = AppendRead(bytes, static_cast<std::size_t>(opened.size), [&](char* to, std::size_t room) {
        DWORD got = 0;
        if (!ReadFile(file.get(), to, static_cast<DWORD>(std::min<std::size_t>(room, 1u << 30)), &got, nullptr)) {
            RaiseLast("Cannot read", path);
        }
        return static_cast<std::size_t>(got);
    });
    // What one read brought is one version as the system gave it, so a still board costs no second
    // look; reads in pieces may straddle a change that a share let through, which the size and the
    // last-write time tell.
    if (arrival == Arrival::OtherSize || (arrival == Arrival::InPieces && !(VersionOf(file.get(), path) == opened))) {
        bytes.resize(start);
        RaiseChanged(path);
    }
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    const DWORD error = GetLastError();
    const FileFault fault = FaultOfSystemError(error, LastNtStatus());
    if (fault == FileFault::Gone) return false;
    throw EFileError("Cannot look up file \"" + path + "\". " + ErrorText(error), fault);
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

#else

namespace {

// What the system's refusal says about reading again; anything not here is Unreadable. A Linux
// SMB mount reports a Windows sharing violation as EBUSY and a server's time-out as EAGAIN; a lease
// that another program holds makes a non-blocking open fail with EWOULDBLOCK (the same number);
// NFS and SMB mounts report a dropped or stale connection with the network errors, EIO, or (a
// deleted network name) EREMCHG.
constexpr KnownError<int> kFaults[] = {
    {EBUSY, FileFault::Busy},
    {EWOULDBLOCK, FileFault::Busy},
    {ENOENT, FileFault::Gone},
    {ENOTDIR, FileFault::Gone},  // a part of its path is no directory
    {EIO, FileFault::Dropped},
    {ETIMEDOUT, FileFault::Dropped},
    {ECONNRESET, FileFault::Dropped},
    {ECONNABORTED, FileFault::Dropped},
    {ENETRESET, FileFault::Dropped},
    {ENETDOWN, FileFault::Dropped},
    {ENETUNREACH, FileFault::Dropped},
    {EHOSTDOWN, FileFault::Dropped},
    {EHOSTUNREACH, FileFault::Dropped},
    {ENOTCONN, FileFault::Dropped},
    {ESTALE, FileFault::Dropped},
    {EREMCHG, FileFault::Dropped},
};

// After "not found", believed at once: the directory has gone, or a link to nothing stands there
// (which cannot be read), or the file has left its directory, whatever a cache still shows (a
// network mount's lstat may answer from one for a second or more).
FileFault NotFound(const std::string& path) {
    if (const auto fault = DirectoryFault(DirectoryOf(path))) return *fault;
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && stat(path.c_str(), &info) != 0) {
        return FileFault::Unreadable;
    }
    return FileFault::Gone;
}

[[noreturn]] void Raise(std::string_view doing, const std::string& path, int error, FileFault fault) {
    if (fault == FileFault::Gone) fault = NotFound(path);
    throw EFileError(std::string(doing) + " file \"" + path + "\". " + std::strerror(error), fault);
}

// What tells one saved version of a file from the next: a save changes the size or the times.
bool SameVersion(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

}  // namespace

void ReadWholeFile(const std::string& path, std::string& bytes) {
    // O_NONBLOCK so that opening a FIFO returns at once; it is then refused as not a regular file.
    const Owned<int, close> file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY), -1);
    if (!file.valid()) Raise("Cannot open", path, errno, FaultOfSystemError(errno));
    struct stat opened {};
    if (fstat(file.get(), &opened) != 0) Raise("Cannot open", path, errno, FaultOfSystemError(errno));
    if (!S_ISREG(opened.st_mode)) throw EFileError("Cannot open file \"" + path + "\". Not a regular file");
    const std::size_t start = bytes.size();
    const Arrival arrival = AppendRead(bytes, static_cast<std::size_t>(opened.st_size), [&](char* to, std::size_t room) {
        for (;;) {
            const ssize_t got = read(file.get(), to, room);
            if (got >= 0) return static_cast<std::size_t>(got);
            if (errno == EINTR) continue;
            const int error = errno;
            // Access was granted at the open: refused now, a range of the file is locked.
            Raise("Cannot read", path, error, error == EACCES ? FileFault::Busy : FaultOfSystemError(error));
        }
    });
    // What one read brought is one version as the system gave it, so a still board costs no second
    // look; reads in pieces may straddle a save, which the size and the times tell (where a network
    // mount keeps attributes for a while, the size alone). Nothing here can tell a save in progress
    // that the read came between: POSIX has no share mode to keep writers out.
    struct stat after {};
    if (arrival == Arrival::OtherSize ||
        (arrival == Arrival::InPieces && (fstat(file.get(), &after) != 0 || !SameVersion(opened, after)))) {
        bytes.resize(start);
        RaiseChanged(path);
    }
}

FileFault FaultOfSystemError(int error) { return FaultOf(error, kFaults); }

std::optional<FileFault> DirectoryFault(const std::string& dir) {
    const Owned<int, close> handle(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), -1);
    if (handle.valid()) return std::nullopt;
    const FileFault fault = FaultOfSystemError(errno);
    return fault == FileFault::Gone ? FileFault::DirectoryGone : fault;
}

bool FileExists(const std::string& path) {
    // lstat first: the usual answer (no .off marker) then costs one call per person.
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        const int error = errno;
        const FileFault fault = FaultOfSystemError(error);
        if (fault == FileFault::Gone) return false;
        throw EFileError("Cannot look up file \"" + path + "\". " + std::strerror(error), fault);
    }
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
