// The command's exception family: every failure carries one complete message up to the entry point.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace vireziriv {

// The root of every failure the command reports; the entry point maps what reaches it to status 99
// unless a more specific kind below applies.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Run-time failures: list indexes, conversions and files. The platform's own failures, such as a
// refused write to standard output, belong to the family too (the entry point reports them as such).
class EListError : public Exception {
    using Exception::Exception;
};
class EConvertError : public Exception {
    using Exception::Exception;
};
class EFileError : public Exception {
    using Exception::Exception;
};

// The command's own failures; the base is never raised by itself.
class EVeltoCommandException : public Exception {
protected:
    using Exception::Exception;
};

// Bad or missing switches, a missing shared directory, or the help text: status 1.
class EVeltoCommandArgsException final : public EVeltoCommandException {
public:
    explicit EVeltoCommandArgsException(std::string message) : EVeltoCommandException(std::move(message)) {}
};

// A file of the shared directory that cannot be opened or read: status 2.
class EVeltoCommandFileException final : public EVeltoCommandException {
public:
    explicit EVeltoCommandFileException(std::string message) : EVeltoCommandException(std::move(message)) {}
};

}  // namespace vireziriv
