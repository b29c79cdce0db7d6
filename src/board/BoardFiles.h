// The file system as loading a board uses it, behind an interface so that a test can make reads slow
// or failing, change the board meanwhile, or pause without waiting; the command uses it as it is.
#pragma once

#include "board/ReadingPolicy.h"
#include "platform/Files.h"

#include <chrono>
#include <string>
#include <thread>

namespace vireziriv {

class BoardFiles {
public:
    virtual ~BoardFiles() = default;

    // Appends every byte of the file at `path` to `bytes`; raises EFileError when it cannot.
    virtual void Read(const std::string& path, std::string& bytes) const { platform::ReadWholeFile(path, bytes); }

    // The threads that read the person files.
    virtual Producers Readers() const { return PersonReaders(std::thread::hardware_concurrency()); }

    // Waits before a file is read again.
    virtual void Pause(std::chrono::milliseconds pause) const { std::this_thread::sleep_for(pause); }

    // Reads as Read does, again after a pause where ReadRetries says so: a file that a client is
    // saving or a server dropped for a moment is read once it can be. False, with `bytes` as they
    // were, when the file has left its directory. Raises the last EFileError when it gives up.
    bool ReadPatiently(const std::string& path, std::string& bytes) const;
};

}  // namespace vireziriv
