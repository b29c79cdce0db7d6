// Fuzzes the lister's switches, as the process arguments give them: validation, help and version
// switches and the shared directory, then the line of a known person, comma-separated or JSON, against the switch rules
// applied one by one.
#include "Fuzz.h"
#include "args/VLArgsUnit.h"
#include "base/Exceptions.h"
#include "base/Texts.h"
#include "board/VeltoPersonUnit.h"
#include "listing/LineFormat.h"
#include "platform/Cp932.h"
#include "platform/Files.h"
#include "support/SwitchesSlot.h"
#include "support/TempDir.h"

#include <algorithm>
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
        p.SetTel("T");
        p.SetStatusIcon(7);
        p.SetPowerOFF(true);
        return p;
    }();
    return person;
}

struct Field {
    std::string text;  // in a comma-separated line
    std::string json;  // the member of an object
};

// The field of a switch name, or nothing for a name that is no field switch.
std::optional<Field> FieldOf(std::string_view name) {
    if (name == "/N") return Field{"N", R"("name":"N")"};
    if (name == "/F") return Field{"yamada", R"("file":"yamada")"};
    if (name == "/I") return Field{"I", R"("ip":"I")"};
    if (name == "/G") return Field{"G", R"("group":"G")"};
    if (name == "/K") return Field{"K", R"("furigana":"K")"};
    if (name == "/B") return Field{"B", R"("memo":"B")"};
    if (name == "/R") return Field{" 17:00", R"("return":{"wording":" 17:00","date":"","time":"17:00"})"};
    if (name == "/H") return Field{"H  ", R"("absence":["H"])"};
    if (name == "/P") return Field{std::string(text::kPowerOff), R"("power":"off")"};
    if (name == "/T") return Field{"T", R"("tel":"T")"};
    if (name == "/S") return Field{"7", R"("status":7)"};
    return std::nullopt;
}

constexpr const char* kEveryField[] = {"/N", "/F", "/I", "/G", "/K", "/B", "/R", "/H", "/P", "/T", "/S"};

// What validation says of the arguments, or nothing when they pass.
std::optional<std::string> ExpectedValidation(const std::vector<std::string>& args) {
    if (args.empty()) return std::string(text::kUsage);
    // The first help or version switch decides, wherever it stands; the version needs no directory.
    for (const auto& a : args) {
        const std::string_view name = NameOf(a).empty() ? std::string_view(a) : NameOf(a);
        if (name == "/?" || name == "--help") return std::string(text::kUsage);
        if (name == "--version") return std::nullopt;
    }
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
    bool quote = false, json = false;
    for (const auto& a : args) {
        quote = quote || SameIgnoringAsciiCase(NameOf(a), "/Q") || SameIgnoringAsciiCase(a, "/Q");
        json = json || NameOf(a) == "/J" || a == "/J";
    }
    std::string line;
    std::vector<std::string> members;
    bool first = true;
    for (const auto& a : args) {
        const std::string name(NameOf(a).empty() ? std::string_view(a) : NameOf(a));
        if (name == "/Q" || name == "/D" || name == "/J") continue;
        const auto field = FieldOf(name);
        if (!field) {
            invalid = true;
            return name + std::string(text::kInvalidSwitch);
        }
        if (std::find(members.begin(), members.end(), field->json) == members.end()) members.push_back(field->json);
        if (!first) line += ',';
        first = false;
        line += quote ? "\"" + field->text + "\"" : field->text;
    }
    if (!json) return line;
    if (members.empty()) {
        for (const char* name : kEveryField) members.push_back(FieldOf(name)->json);
    }
    std::string object;
    for (const auto& member : members) object += (object.empty() ? "{" : ",") + member;
    return object + "}";
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
        const std::string line = LineFormat(*switches).Line(Person());
        Require(!invalid && line == expected, "the line holds the fields of the switches, in their order");
    } catch (const EVeltoCommandArgsException& e) {
        Require(invalid && e.Message() == expected, "the first switch that is no field switch is named");
    }
    return 0;
}
