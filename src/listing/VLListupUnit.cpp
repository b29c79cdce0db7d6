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
#include <vector>

namespace vireziriv {
namespace {

// Appends the field's text to the line.
using Field = void (*)(const TVeltoPerson&, std::string&);

struct FieldSwitch {
    std::string_view name;
    Field append;
};

// Compared byte for byte, case counting: /n is not /N.
constexpr FieldSwitch kFieldSwitches[] = {
    {"/N", [](const TVeltoPerson& p, std::string& out) { out += p.Name; }},
    {"/F", [](const TVeltoPerson& p, std::string& out) { out += p.FileName(); }},
    {"/I", [](const TVeltoPerson& p, std::string& out) { out += p.IP; }},
    {"/G", [](const TVeltoPerson& p, std::string& out) { out += p.Group; }},
    {"/K", [](const TVeltoPerson& p, std::string& out) { out += p.Furigana; }},
    {"/B", [](const TVeltoPerson& p, std::string& out) { out += p.Memo; }},
    // The clock is read for each field, as the person's line is built.
    {"/R", [](const TVeltoPerson& p, std::string& out) { out += ReturnText(p, Now()); }},
    {"/H", [](const TVeltoPerson& p, std::string& out) { out += p.Huzairiyu; }},
    {"/P", [](const TVeltoPerson& p, std::string& out) { out += p.PowerOFF ? text::kPowerOff : text::kPowerOn; }},
};

// Switches that take part in the run but add no field.
constexpr std::string_view kSettingSwitches[] = {"/Q", "/D"};

// The switches resolved once for every line: the fields in command-line order and the quoting. An
// invalid switch keeps its place and raises when a line reaches it, after the fields before it.
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
            columns_.push_back({field == std::end(kFieldSwitches) ? nullptr : field->append, std::string(name)});
        }
    }

    // Replaces `line` by the person's line.
    void Build(const TVeltoPerson& person, std::string& line) const {
        line.clear();
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            const Column& column = columns_[i];
            if (!column.append) throw EVeltoCommandArgsException(column.name + std::string(text::kInvalidSwitch));
            if (i > 0) line += ',';
            if (quote_) line += '"';
            const std::size_t start = line.size();
            column.append(person, line);
            std::replace_if(line.begin() + static_cast<std::ptrdiff_t>(start), line.end(),
                            [](char c) { return c == '\r' || c == '\n'; }, ' ');
            if (quote_) line += '"';
        }
    }

private:
    struct Column {
        Field append;  // null for an invalid switch
        std::string name;
    };

    bool quote_;
    std::vector<Column> columns_;
};

}  // namespace

TVeltoPersonsList& TVLListup::GetPersons() {
    if (!persons_) persons_ = std::make_unique<TVeltoPersonsList>(env_);
    return *persons_;
}

std::string ListingLine(const TVeltoPerson& person, const TOstrelArgs& switches) {
    std::string line;
    LineFormat(switches).Build(person, line);
    return line;
}

void TVLListup::Execute(platform::StandardOutput& out) {
    const TOstrelArgs& switches = TVLArgs::GetInstance();
    TVeltoPersonsList& persons = GetPersons();
    if (persons.Count() == 0) return;  // no switch is examined
    // Resolved once, not per person: a board may hold 100,000 of them.
    const LineFormat format(switches);
    std::string line;
    for (int i = 0; i < persons.Count(); ++i) {
        format.Build(persons.Items(i), line);
        if (line.empty()) continue;
        line += "\r\n";
        out.Write(line);
    }
}

}  // namespace vireziriv
