// The listing driver.
#include "listing/VLListupUnit.h"

#include "args/VLArgsUnit.h"
#include "base/Exceptions.h"
#include "base/Texts.h"
#include "board/DateTime.h"
#include "board/ReturnWording.h"
#include "platform/Console.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireziriv {
namespace {

// A field's text for a person: a view into the person or a constant, or into `scratch` where the
// text is worked out.
using Field = std::string_view (*)(const TVeltoPerson&, std::string& scratch);

struct FieldSwitch {
    std::string_view name;
    Field value;
};

std::string_view Kept(std::string& scratch, std::string text) {
    scratch = std::move(text);
    return scratch;
}

// Compared byte for byte, case counting: /n is not /N.
constexpr FieldSwitch kFieldSwitches[] = {
    {"/N", [](const TVeltoPerson& p, std::string&) { return p.Name(); }},
    {"/F", [](const TVeltoPerson& p, std::string& s) { return Kept(s, p.FileName()); }},
    {"/I", [](const TVeltoPerson& p, std::string&) { return p.IP(); }},
    {"/G", [](const TVeltoPerson& p, std::string&) { return p.Group(); }},
    {"/K", [](const TVeltoPerson& p, std::string&) { return p.Furigana(); }},
    {"/B", [](const TVeltoPerson& p, std::string&) { return p.Memo(); }},
    // The clock is read for each field, as the person's line is built.
    {"/R", [](const TVeltoPerson& p, std::string& s) { return Kept(s, ReturnText(p, Now())); }},
    {"/H",
     [](const TVeltoPerson& p, std::string& s) -> std::string_view {
         s.clear();
         p.AppendHuzairiyu(s);
         return s;
     }},
    {"/P", [](const TVeltoPerson& p, std::string&) { return p.PowerOFF() ? text::kPowerOff : text::kPowerOn; }},
};

// Switches that take part in the run but add no field.
constexpr std::string_view kSettingSwitches[] = {"/Q", "/D"};

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// `value` with every CR and LF as a space, so that it stays on its line; copied to `scratch` only
// when it holds one.
std::string_view OnOneLine(std::string_view value, std::string& scratch) {
    if (std::none_of(value.begin(), value.end(), IsLineBreak)) return value;
    if (value.data() != scratch.data()) scratch.assign(value);
    std::replace_if(scratch.begin(), scratch.end(), IsLineBreak, ' ');
    return scratch;
}

// The switches resolved once for every line: the fields in command-line order and the quoting.
class LineFormat {
public:
    explicit LineFormat(const TOstrelArgs& switches) : quote_(switches.HasSwitch("/Q")) {
        for (int j = 0; j < switches.Count(); ++j) {
            const std::string_view name = switches.Names(j);
            if (std::find(std::begin(kSettingSwitches), std::end(kSettingSwitches), name) != std::end(kSettingSwitches)) {
                continue;
            }
            const auto field = std::find_if(std::begin(kFieldSwitches), std::end(kFieldSwitches),
                                            [&](const FieldSwitch& f) { return f.name == name; });
            if (field == std::end(kFieldSwitches)) {
                if (!invalid_) invalid_ = std::string(name);
                continue;
            }
            fields_.push_back(field->value);
        }
    }

    // Hands the person's line, piece by piece, to `append`, so that a long field goes on without
    // a copy of the line; hands nothing and returns false when the line has no text. An invalid
    // switch raises before the line's first piece, as every line holds it.
    template <class Append>
    bool Build(const TVeltoPerson& person, std::string& scratch, Append append) const {
        if (invalid_) throw EVeltoCommandArgsException(*invalid_ + std::string(text::kInvalidSwitch));
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            const std::string_view value = OnOneLine(fields_[i](person, scratch), scratch);
            // Only a single field, unquoted, can leave the line without text.
            if (fields_.size() == 1 && !quote_ && value.empty()) return false;
            if (i > 0) append(",");
            if (quote_) append("\"");
            append(value);
            if (quote_) append("\"");
        }
        return !fields_.empty();
    }

private:
    bool quote_;
    std::vector<Field> fields_;
    std::optional<std::string> invalid_;  // the first switch that names no field; it may be empty
};

}  // namespace

TVeltoPersonsList& TVLListup::GetPersons() {
    if (!persons_) persons_ = std::make_unique<TVeltoPersonsList>(env_);
    return *persons_;
}

std::string ListingLine(const TVeltoPerson& person, const TOstrelArgs& switches) {
    std::string line;
    std::string scratch;
    LineFormat(switches).Build(person, scratch, [&line](std::string_view piece) { line += piece; });
    return line;
}

void TVLListup::Execute(platform::StandardOutput& out) {
    const TOstrelArgs& switches = TVLArgs::GetInstance();
    TVeltoPersonsList& persons = GetPersons();
    if (persons.Count() == 0) return;  // no switch is examined
    // Resolved once, not per person: a board may hold 100,000 of them.
    const LineFormat format(switches);
    std::string scratch;
    const auto write = [&out](std::string_view piece) { out.Write(piece); };
    for (int i = 0; i < persons.Count(); ++i) {
        if (format.Build(persons.Items(i), scratch, write)) out.Write("\r\n");
    }
}

}  // namespace vireziriv
