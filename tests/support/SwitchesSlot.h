// Tests' hand on the process-wide switch list: each case starts from an empty slot, with arguments
// of its own in place of the process's.
#pragma once

#include "args/OstrelArgsUnit.h"

#include <string>
#include <utility>
#include <vector>

namespace vireziriv::test {

struct SwitchesSlot {
    // Empties the slot: the next GetInstance creates an instance from `arguments`.
    static void Reset(std::vector<std::string> arguments) {
        TOstrelArgs::Slot().reset();
        Given() = std::move(arguments);
        TOstrelArgs::arguments_ = [] { return Given(); };
    }
    // Empties the slot: the next GetInstance creates an instance from the process's arguments.
    static void Reset() {
        TOstrelArgs::Slot().reset();
        TOstrelArgs::arguments_ = platform::ProcessArguments;
    }

private:
    static std::vector<std::string>& Given() {
        static std::vector<std::string> arguments;
        return arguments;
    }
};

}  // namespace vireziriv::test
