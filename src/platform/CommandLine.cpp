// The command's own rules for splitting a Windows command line into arguments.
#include "platform/Console.h"

namespace vireziriv::platform {

std::vector<std::string> SplitCommandLine(std::string_view line) {
    line = line.substr(0, line.find('\0'));
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::vector<std::string> arguments;
    std::size_t p = 0;
    for (;;) {
        // Blanks and empty quoted pairs before an argument vanish.
        for (;;) {
            while (p < line.size() && isBlank(line[p])) ++p;
            if (p + 1 < line.size() && line[p] == '"' && line[p + 1] == '"') {
                p += 2;
            } else {
                break;
            }
        }
        if (p == line.size()) return arguments;
        std::string argument;
        while (p < line.size() && !isBlank(line[p])) {
            if (line[p] != '"') {
                argument += line[p++];
                continue;
            }
            ++p;
            while (p < line.size() && line[p] != '"') argument += line[p++];
            if (p < line.size()) ++p;
        }
        // Only a lone quote at the very end gives an empty argument; like an empty pair, it is none.
        if (!argument.empty()) arguments.push_back(std::move(argument));
    }
}

}  // namespace vireziriv::platform
