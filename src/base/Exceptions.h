// The command's exception family: every failure carries one complete message up to the entry point.
#pragma once

#include "platform/Errors.h"

#include <string>
#include <utility>

namespace vireziriv {

// The command's own failures; the base is never raised by itself. The run-time's failures, which
// the command reports as unexpected, are in platform/Errors.h.
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
