// The lister's switches: validation, help text and the shared directory.
#pragma once

#include "args/OstrelArgsUnit.h"

#include <string>

namespace vireziriv {

class TVLArgs : public TOstrelArgs {
public:
    // What a command line asks of the run: a listing, or, where /?, --help or --version stands
    // anywhere on it, what the first of these asks for instead.
    enum class Request { kListing, kHelp, kVersion };

    // The process-wide instance, created as a TVLArgs when this is the first call. Raises when the
    // instance was created as another class.
    static TVLArgs& GetInstance();

    virtual std::string GetUsage() const;
    // The /D value, else the board's own setting; ends with the path separator unless empty.
    // Resolved afresh on every call.
    virtual std::string GetShareDir() const;

    Request GetRequest() const;

    std::string ClassName() const override { return "TVLArgs"; }

protected:
    TVLArgs() = default;

    // Raises EVeltoCommandArgsException with the help text when there are no switches or help is
    // asked for, and when a listing's shared directory is not given or does not exist.
    void Validate() override;
};

}  // namespace vireziriv
