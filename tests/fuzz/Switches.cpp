// Fuzzes the lister's switches, as the process arguments give them: validation and the shared
// directory, then the line of a known person, against the switch rules applied one by one.
#include "Fuzz.h"
#include "args/VLArgsUnit.h"
#include "base/Exceptions.h"
#include "base/Texts.h"
#include "board/VeltoPersonUnit.h"
#include "listing/VLListupUnit.h"
#include "platform/Cp932.h"
#include "platform/Files.h"
#include "support/SwitchesSlot.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

using namespace vireziriv;
using fuzz::Require;

namespace {

const test::TempDir& Scratch() {
    static const test::TempDir dir;
    return dir;
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// The part of a switch before its first ":" (never a trail byte); empty without one.
std::string_view NameOf(std::string_view arg) {
    const std::size_t p = cp932::Find(arg, ':');
    return p == std::string_view::npos ? std::string_view() : arg.substr(0, p);
}

// A person with a value of its own for every field the switches can ask for, none with a comma.
const TVeltoPerson& Person() {
    static const TVeltoPerson person = [] {
        TVeltoPerson p;
        p.SetFilePath(Scratch().PathOf("yamada.vlt"));
        p.SetName("N");
        p.SetIP("I");
        p.SetGroup("G");
        p.SetFurigana("K");
        p.SetMemo("B");
        p.SetModoriTime("17:00");
        p.SetHuzairiyu("H\r\n");
        p.SetPowerOFF(true);
        return p;
    }();
    return person;
}

// The field of a switch name, or nothing for a name that is no field switch.
std::optional<std::string> FieldOf(std::string_view name) {
    if (name == "/N") return "N";
    if (name == "/F") return "yamada";
    if (name == "/I") return "I";
    if (name == "/G") return "G";
    if (name == "/K") return "K";
    if (name == "/B") return "B";
    if (name == "/R") return " 17:00";
    if (name == "/H") return "H  ";
    if (name == "/P") return std::string(text::kPowerOff);
    return std::nullopt;
}

// What validation says of the arguments, or nothing when they pass.
std::optional<std::string> ExpectedValidation(const std::vector<std::string>& args) {
    if (args.empty()) return std::string(text::kUsage);
    std::string dir;
    for (const auto& a : args) {
        if (SameIgnoringAsciiCase(NameOf(a), "/D")) {
            dir = a.substr(3);
            break;
        }
    }
    if (dir.empty()) return std::string(text::kNoShareDir);
    std::error_code ignored;
    if (!std::filesystem::is_directory(dir, ignored)) return std::string(text::kShareDirNotFound);
    return std::nullopt;
}

// The listing line of Person() under the arguments, or the message of the first invalid switch.
std::string ExpectedLine(const std::vector<std::string>& args, bool& invalid) {
    bool quote = false;
    for (const auto& a : args) quote = quote || SameIgnoringAsciiCase(NameOf(a), "/Q") || SameIgnoringAsciiCase(a, "/Q");
    std::string line;
    bool first = true;
    for (const auto& a : args) {
        const std::string name(NameOf(a).empty() ? std::string_view(a) : NameOf(a));
        if (name == "/Q" || name == "/D") continue;
        const auto field = FieldOf(name);
        if (!field) {
            invalid = true;
            return name + std::string(text::kInvalidSwitch);
        }
        if (!first) line += ',';
        first = false;
        line += quote ? "\"" + *field + "\"" : *field;
    }
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // No board setting of the machine's user may stand in for a missing /D.
    setenv("HOME", Scratch().Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", Scratch().PathOf("config").c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::uint8_t where = in.Byte();
    // Process arguments are C strings: a NUL separates them.
    std::vector<std::string> args;
    while (!in.Rest().empty()) args.emplace_back(in.Until('\0'));
    if (where & 1) {
        const auto at = static_cast<std::size_t>(where >> 1) % (args.size() + 1);
        args.insert(args.begin() + static_cast<std::ptrdiff_t>(at), "/D:" + Scratch().Path());
    }

    test::SwitchesSlot::Reset(args);
    const auto validation = ExpectedValidation(args);
    TVLArgs* switches = nullptr;
    try {
        switches = &TVLArgs::GetInstance();
    } catch (const EVeltoCommandArgsException& e) {
        Require(validation && e.Message() == *validation, "validation fails with the message of the rules");
        return 0;
    }
    Require(!validation, "validation passes when the rules let it");

    bool invalid = false;
    const std::string expected = ExpectedLine(args, invalid);
    try {
        const std::string line = ListingLine(Person(), *switches);
        Require(!invalid && line == expected, "the line holds the fields of the switches, in their order");
    } catch (const EVeltoCommandArgsException& e) {
        Require(invalid && e.Message() == expected, "the first switch that is no field switch is named");
    }
    return 0;
}
