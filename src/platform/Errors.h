// What the platform raises when the system refuses: the layers above wrap it or report it as is.
#pragma once

#include <stdexcept>

namespace vireziriv::platform {

// A file that cannot be opened or read; the message names the file and the system's reason.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Standard output refused a write.
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace vireziriv::platform
