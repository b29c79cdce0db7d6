// The run-time's failures, the platform's own among them: the root of every exception the command
// reports. The platform is the bottom layer, so the family starts here; the command's own kinds
// derive from it in base/Exceptions.h.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace vireziriv {

// The root of every failure the command reports; the entry point maps what reaches it to status 99
// unless a more specific kind applies.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// A list index outside the list.
class EListError : public Exception {
    using Exception::Exception;
};
// A text that is not the number, date or time it should be; an assignment between unrelated objects.
class EConvertError : public Exception {
    using Exception::Exception;
};
// Why a file could not be read or a directory listed, as far as trying again might help. Every way
// of reaching files (Files.h, PersonFiles.h) raises EFileError with one of these, and the board's
// policy decides on it alone.
enum class FileFault {
    Unreadable,     // again gives the same: no access, not a regular file, a link to nothing, a listing
                    // refused or broken off, and the rest
    Busy,           // another program holds it: a sharing or lock violation
    Gone,           // the system said it is not there (on Windows, also: it is being deleted), and no link
                    // to nothing stands there, while its directory does; whatever a cache still shows
    DirectoryGone,  // the directory that holds it, or that was listed, is not there (any more)
    Dropped,        // the connection to the file server broke or timed out
    Changed,        // it changed while it was read
};

// A file that cannot be opened or read, or a directory that cannot be listed; the message names it
// and the system's reason.
class EFileError : public Exception {
public:
    explicit EFileError(std::string message, FileFault fault = FileFault::Unreadable)
        : Exception(std::move(message)), fault_(fault) {}
    FileFault Fault() const noexcept { return fault_; }

private:
    FileFault fault_;
};
// Standard output refused a write.
class EOutputError : public Exception {
    using Exception::Exception;
};

// Raises EListError for index `i`, with the run-time's message.
[[noreturn]] inline void RaiseListIndexError(int i) {
    throw EListError("List index out of bounds (" + std::to_string(i) + ")");
}

}  // namespace vireziriv
