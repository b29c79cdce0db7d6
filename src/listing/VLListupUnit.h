// The listing driver: one line per person, made of the fields the switches name, in their order.
#pragma once

#include "base/Persistent.h"
#include "board/VeltoEnvUnit.h"
#include "board/VeltoPersonUnit.h"

#include <memory>
#include <string>

namespace vireziriv {

namespace platform {
class StandardOutput;
}

class TVLListup : public TPersistent {
public:
    // Keeps the environment; reads nothing yet.
    explicit TVLListup(const TVeltoEnv& env) : env_(env) {}

    // The persons of the shared directory, read on the first call.
    TVeltoPersonsList& GetPersons();

    // Writes the listing, a line per person in the format of the switches (LineFormat). An invalid
    // switch raises while the first line is built, before any output.
    void Execute(platform::StandardOutput& out);

    std::string ClassName() const override { return "TVLListup"; }

private:
    const TVeltoEnv& env_;
    std::unique_ptr<TVeltoPersonsList> persons_;
};

}  // namespace vireziriv
