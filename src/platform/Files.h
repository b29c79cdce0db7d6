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

// Appends every byte of a regular file to `bytes`, one saved version of it. Others may read, write,
// rename or delete the file meanwhile (on Windows the file is opened sharing all of it; POSIX locks
// nothing); a file whose bytes do not match the size it had at the open, or that was read in pieces
// and whose size or modification time changed meanwhile, raises EFileError with FileFault::Changed. Anything
// that is not a regular file (a FIFO, a device, a socket) is unreadable and never blocks. Every
// failure raises EFileError with the fault that says whether reading again might help (see
// FileFault), and leaves `bytes` as it was.
void ReadWholeFile(const std::string& path, std::string& bytes);
// The same, as a text of its own.
std::string ReadWholeFile(const std::string& path);

// True when an entry other than a directory stands at `path`.
bool FileExists(const std::string& path);

// True when a directory stands at `path` (a trailing separator is allowed).
bool DirectoryExists(const std::string& path);

}  // namespace vireziriv::platform
