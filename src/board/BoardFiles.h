// The file system as loading a board uses it, behind an interface so that a test can make listings
// and reads slow or failing, change the board meanwhile, or pause without waiting; the command uses
// it as it is.
#pragma once

#include "board/ReadingPolicy.h"
#include "platform/Files.h"
#include "platform/PersonFiles.h"

#include <chrono>
#include <string>
#include <thread>

namespace vireziriv {

class BoardFiles {
public:
    virtual ~BoardFiles() = default;

    // Lists the person files of `dir`; raises EFileError when it cannot list it whole.
    virtual platform::PersonFiles List(const std::string& dir) const { return platform::PersonFiles(dir); }

    // Appends every byte of the file at `path` to `bytes`; raises EFileError when it cannot.
    virtual void Read(const std::string& path, std::string& bytes) const { platform::ReadWholeFile(path, bytes); }

    // Whether a file stands at `path`: false only for "not found"; raises EFileError when it cannot tell.
    virtual bool Exists(const std::string& path) const { return platform::FileExists(path); }

    // The threads that read the person files.
    virtual Producers Readers() const { return PersonReaders(std::thread::hardware_concurrency()); }

    // Waits before a file is read again.
    virtual void Pause(std::chrono::milliseconds pause) const { std::this_thread::sleep_for(pause); }

    // Each of these does what its namesake does, again after a pause where ReadRetries says so: a
    // file that a client is saving or a server dropped for a moment is read once it can be, a listing
    // that a dropped connection broke off is listed again. Each raises the last EFileError when it
    // gives up.
    platform::PersonFiles ListPatiently(const std::string& dir) const;
    // False, with `bytes` as they were, when the file has left its directory.
    bool ReadPatiently(const std::string& path, std::string& bytes) const;
    bool ExistsPatiently(const std::string& path) const;

private:
    template <class Attempt>
    auto Patiently(Attempt attempt) const;
};

// The failure of a board whose shared directory has gone while it was read: the message of a missing
// directory, as before the listing (status 1).
[[noreturn]] void RaiseShareDirGone();

}  // namespace vireziriv
