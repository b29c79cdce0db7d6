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

// Appends every byte of a regular file to `bytes`, one saved version of it. On Windows others may
// read, rename or delete the file meanwhile but not write it, so that no save is read in progress: a
// file open for writing elsewhere is busy. POSIX has no such share mode: there a file whose bytes do
// not match the size it had at the open, or that was read in pieces and whose size or modification
// time changed meanwhile, raises EFileError with FileFault::Changed, which cannot see a save that
// the read came between. Anything that is not a regular file (a FIFO, a device, a socket) is
// unreadable and never blocks. Every failure raises EFileError with the fault that says whether
// reading again might help (see FileFault), and leaves `bytes` as it was. "Not found" is believed at
// once, whatever a client's cache still shows: DirectoryGone when the directory is not there (asked
// of the server, not a cache), Unreadable when a link to nothing stands at the path (on Windows a
// reparse point), else Gone; on Windows a file being deleted (delete pending) is Gone too.
void ReadWholeFile(const std::string& path, std::string& bytes);
// The same, as a text of its own.
std::string ReadWholeFile(const std::string& path);

// True when an entry other than a directory stands at `path` (a link to nothing included); false
// when the system says nothing is there ("not found"; on Windows also a file being deleted) or a
// directory is. Any other failure raises EFileError with its fault: only "not found" means no file.
bool FileExists(const std::string& path);

// True when a directory stands at `path` (a trailing separator is allowed); false when anything
// keeps it from being seen.
bool DirectoryExists(const std::string& path);

}  // namespace vireziriv::platform
