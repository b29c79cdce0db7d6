// Fuzzes the splitting of a Windows command line into arguments: no empty argument and no quote
// survives, a line without quotes splits at its blanks, and arguments quoted back split the same.
#include "Fuzz.h"
#include "platform/Console.h"

#include <string>
#include <vector>

using namespace vireziriv;
using fuzz::Require;

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Splitting at runs of blanks alone, for a line without double quotes.
std::vector<std::string> SplitAtBlanks(std::string_view line) {
    std::vector<std::string> words;
    std::size_t p = 0;
    while (p < line.size()) {
        while (p < line.size() && IsBlank(line[p])) ++p;
        const std::size_t start = p;
        while (p < line.size() && !IsBlank(line[p])) ++p;
        if (p > start) words.emplace_back(line.substr(start, p - start));
    }
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> args = platform::SplitCommandLine(input);
    const std::string_view line = input.substr(0, input.find('\0'));

    std::size_t total = 0;
    for (const auto& a : args) {
        Require(!a.empty(), "no argument is empty");
        Require(a.find_first_of(std::string_view("\"\0", 2)) == std::string::npos, "no argument holds a quote or a NUL");
        total += a.size();
    }
    Require(total <= line.size(), "the arguments hold no more bytes than the line");
    if (line.find('"') == std::string_view::npos) {
        Require(args == SplitAtBlanks(line), "a line without quotes splits at its blanks");
    }

    std::string quoted;
    for (const auto& a : args) quoted += "\"" + a + "\" ";
    Require(platform::SplitCommandLine(quoted) == args, "arguments quoted back split the same");
    return 0;
}
