// Directory entries that exist but cannot be read, to provoke the board's "cannot open" messages.
#pragma once

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vireziriv::test {

// Keeps a file at `path` unreadable while it lives: on Windows a file held open without sharing
// (busy for longer than a reader waits for it), elsewhere a FIFO (which a careless reader would
// block on).
class UnreadableEntry {
public:
    explicit UnreadableEntry(const std::string& path) {
#ifdef _WIN32
        handle_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
#else
        mkfifo(path.c_str(), 0600);
#endif
    }
    ~UnreadableEntry() {
#ifdef _WIN32
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
#endif
    }
    UnreadableEntry(const UnreadableEntry&) = delete;
    UnreadableEntry& operator=(const UnreadableEntry&) = delete;

private:
#ifdef _WIN32
    HANDLE handle_ = INVALID_HANDLE_VALUE;
#endif
};

#ifndef _WIN32
// A symbolic link to nothing.
inline void MakeDanglingLink(const std::string& path) { (void)symlink("no-such-target", path.c_str()); }
#endif

}  // namespace vireziriv::test
