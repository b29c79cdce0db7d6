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
// Why a file could not be read, as far as reading it again might help.
enum class FileFault {
    Unreadable,  // again gives the same: no access, not a regular file, a link to nothing, and the rest
    Busy,        // another program holds it: a sharing or lock violation
    Gone,        // nothing stands at its path any more, though its directory does
    Dropped,     // the connection to the file server broke or timed out
    Changed,     // it changed while it was read, or came back after it was found gone
};

// A file that cannot be opened or read; the message names the file and the system's reason.
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
