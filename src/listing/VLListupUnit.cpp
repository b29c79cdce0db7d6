// The listing driver.
#include "listing/VLListupUnit.h"

#include "args/VLArgsUnit.h"
#include "base/Exceptions.h"
#include "base/Texts.h"
#include "board/DateTime.h"
#include "board/ReturnWording.h"
#include "platform/Console.h"

#include <algorithm>
#include <string_view>

namespace vireziriv {
namespace {

using Field = std::string (*)(const TVeltoPerson&);

struct FieldSwitch {
    std::string_view name;
    Field value;
};

// Compared byte for byte, case counting: /n is not /N.
constexpr FieldSwitch kFieldSwitches[] = {
    {"/N", [](const TVeltoPerson& p) { return p.Name; }},
    {"/F", [](const TVeltoPerson& p) { return p.FileName(); }},
    {"/I", [](const TVeltoPerson& p) { return p.IP; }},
    {"/G", [](const TVeltoPerson& p) { return p.Group; }},
    {"/K", [](const TVeltoPerson& p) { return p.Furigana; }},
    {"/B", [](const TVeltoPerson& p) { return p.Memo; }},
    // The clock is read for each field, as the person's line is built.
    {"/R", [](const TVeltoPerson& p) { return ReturnText(p, Now()); }},
    {"/H", [](const TVeltoPerson& p) { return p.Huzairiyu; }},
    {"/P", [](const TVeltoPerson& p) { return std::string(p.PowerOFF ? text::kPowerOff : text::kPowerOn); }},
};

// Switches that take part in the run but add no field.
constexpr std::string_view kSettingSwitches[] = {"/Q", "/D"};

}  // namespace

TVeltoPersonsList& TVLListup::GetPersons() {
    if (!persons_) persons_ = std::make_unique<TVeltoPersonsList>(env_);
    return *persons_;
}

std::string ListingLine(const TVeltoPerson& person, const TOstrelArgs& switches) {
    const bool quote = switches.HasSwitch("/Q");
    std::string line;
    int fields = 0;
    for (int j = 0; j < switches.Count(); ++j) {
        const std::string name(switches.Names(j));
        if (std::find(std::begin(kSettingSwitches), std::end(kSettingSwitches), name) != std::end(kSettingSwitches)) {
            continue;
        }
        const auto field = std::find_if(std::begin(kFieldSwitches), std::end(kFieldSwitches),
                                        [&](const FieldSwitch& f) { return f.name == name; });
        if (field == std::end(kFieldSwitches)) {
            throw EVeltoCommandArgsException(name + std::string(text::kInvalidSwitch));
        }
        std::string value = field->value(person);
        std::replace(value.begin(), value.end(), '\r', ' ');
        std::replace(value.begin(), value.end(), '\n', ' ');
        if (fields++ > 0) line += ',';
        if (quote) line += '"';
        line += value;
        if (quote) line += '"';
    }
    return line;
}

void TVLListup::Execute(platform::StandardOutput& out) {
    const TOstrelArgs& switches = TVLArgs::GetInstance();
    TVeltoPersonsList& persons = GetPersons();
    for (int i = 0; i < persons.Count(); ++i) {
        std::string line = ListingLine(persons.Items(i), switches);
        if (line.empty()) continue;
        line += "\r\n";
        out.Write(line);
    }
}

}  // namespace vireziriv
