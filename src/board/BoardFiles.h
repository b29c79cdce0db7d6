// The file system as loading a board uses it, behind an interface so that a test can make reads slow
// or failing, or change the board meanwhile; the command uses it as it is.
#pragma once

#include "base/InOrder.h"
#include "board/ReadingPolicy.h"
#include "platform/Files.h"

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
};

}  // namespace vireziriv
