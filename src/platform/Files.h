// Files and directories: reading a file and testing what stands at a path (a directory is listed in PersonFiles.h).
#pragma once

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

// Appends every byte of a regular file to `bytes`. What others may do meanwhile depends on the
// platform: Windows opens the file sharing reads only, so nobody can write it while it is read (and
// a file that someone holds open for writing cannot be opened); POSIX has no such lock, and a writer
// may change the file while it is read. Anything that is not a regular file (a FIFO, a device, a
// socket) is unreadable and never blocks. Raises EFileError when the file cannot be opened or read,
// leaving `bytes` as it was.
void ReadWholeFile(const std::string& path, std::string& bytes);
// The same, as a text of its own.
std::string ReadWholeFile(const std::string& path);

// True when an entry other than a directory stands at `path`.
bool FileExists(const std::string& path);

// True when a directory stands at `path` (a trailing separator is allowed).
bool DirectoryExists(const std::string& path);

}  // namespace vireziriv::platform
