// Files and directories: the only place that opens, tests or enumerates them.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vireziriv::platform {

// The separator that ends a directory path on this platform.
#ifdef _WIN32
inline constexpr char kPathDelimiter = '\\';
// Characters after which a path's file name starts.
inline constexpr std::string_view kFileNameDelimiters = "\\:";
#else
inline constexpr char kPathDelimiter = '/';
inline constexpr std::string_view kFileNameDelimiters = "/";
#endif

// Appends every byte of a regular file to `bytes`, letting others read it meanwhile but not write
// it. Anything that is not a regular file (a FIFO, a device, a socket) is unreadable and never
// blocks. Raises FileError when the file cannot be opened or read, leaving `bytes` as it was.
void ReadWholeFile(const std::string& path, std::string& bytes);
// The same, as a text of its own.
std::string ReadWholeFile(const std::string& path);

// True when an entry other than a directory stands at `path`.
bool FileExists(const std::string& path);

// True when a directory stands at `path` (a trailing separator is allowed).
bool DirectoryExists(const std::string& path);

// Walks the file names in `dir` (which ends with the separator) that match *.vlt: on Windows by the
// platform's wildcard, which also matches a name through its 8.3 short name (e.vltx as E~1.VLT);
// elsewhere the names ending in ".vlt", ASCII case ignored. Directories are skipped, every other
// entry is taken. The order is the file system's.
class PersonFileScan {
public:
    explicit PersonFileScan(const std::string& dir);
    ~PersonFileScan();
    PersonFileScan(const PersonFileScan&) = delete;
    PersonFileScan& operator=(const PersonFileScan&) = delete;

    // Sets `name` to the next file name; false at the end.
    bool Next(std::string& name);

    // Test seam: `hook` sees each name just before Next hands it out, so that a test can change the
    // directory between enumeration and reading. An empty hook, as in the command, does nothing.
    static void SetHandOutHookForTesting(std::function<void(const std::string& name)> hook);

private:
    // The platform's enumeration behind Next.
    bool NextMatch(std::string& name);

    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace vireziriv::platform
