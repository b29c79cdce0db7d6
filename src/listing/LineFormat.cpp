// The listing's line formats: comma-separated values and JSON objects.
#include "listing/LineFormat.h"

#include "args/OstrelArgsUnit.h"
#include "base/Cp932Unicode.h"
#include "base/Exceptions.h"
#include "base/Texts.h"
#include "board/DateTime.h"
#include "board/ReturnWording.h"
#include "board/VeltoPersonUnit.h"
#include "platform/Console.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>

namespace vireziriv {

// Where a line goes, piece by piece: straight on to the output, or into a text.
class LineSink {
public:
    explicit LineSink(platform::StandardOutput& out) : out_(&out) {}
    explicit LineSink(std::string& line) : line_(&line) {}

    void operator()(std::string_view piece) const {
        if (out_) {
            out_->Write(piece);
        } else {
            line_->append(piece);
        }
    }

private:
    platform::StandardOutput* out_ = nullptr;
    std::string* line_ = nullptr;
};

namespace {

// A JSON line is handed on in chunks of about this size, so that a field of any size costs no more
// than a chunk beside the person, however much its escapes make of it.
constexpr std::size_t kChunk = 16 * 1024;

// JSON text, built in a buffer that goes to the sink whenever it has grown to a chunk.
class Json {
public:
    Json(std::string& buffer, const LineSink& sink) : buffer_(buffer), sink_(sink) { buffer_.clear(); }

    // Text of the JSON itself: punctuation, keys, numbers.
    void Raw(std::string_view ascii) {
        buffer_.append(ascii);
        Spill();
    }

    // Code page 932 text as a JSON string in UTF-8, with CR and LF as spaces as in the listing.
    void String(std::string_view text) {
        buffer_ += '"';
        for (std::size_t i = 0; i < text.size();) {
            std::size_t end = i;
            while (end < text.size() && end - i < kChunk && StandsForItself(text[end])) ++end;
            if (end > i) {
                buffer_.append(text.substr(i, end - i));
                i = end;
            } else {
                const cp932::Decoded d = cp932::DecodeAt(text, i);
                Character(d.character);
                i += d.length;
            }
            Spill();
        }
        buffer_ += '"';
    }

    // Hands on what is left.
    void End() {
        if (!buffer_.empty()) sink_(buffer_);
        buffer_.clear();
    }

private:
    // Printable ASCII but the quote and the backslash: the bulk of a board's texts.
    static bool StandsForItself(char c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; }

    void Character(char32_t c) {
        static constexpr char kHex[] = "0123456789abcdef";
        switch (c) {
            case '"': buffer_ += "\\\""; return;
            case '\\': buffer_ += "\\\\"; return;
            case '\r':
            case '\n': buffer_ += ' '; return;
            case '\t': buffer_ += "\\t"; return;
            case '\b': buffer_ += "\\b"; return;
            case '\f': buffer_ += "\\f"; return;
            default: break;
        }
        // Every other control as JSON requires, and DEL too: a terminal gets these bytes as they are.
        if (c < 0x20 || c == 0x7F) {
            buffer_ += "\\u00";
            buffer_ += kHex[c >> 4];
            buffer_ += kHex[c & 0xF];
            return;
        }
        cp932::AppendUtf8(c, buffer_);
    }

    void Spill() {
        if (buffer_.size() < kChunk) return;
        sink_(buffer_);
        buffer_.clear();
    }

    std::string& buffer_;
    const LineSink& sink_;
};

std::string_view Kept(std::string& scratch, std::string text) {
    scratch = std::move(text);
    return scratch;
}

std::string_view Decimal(std::string& scratch, std::int32_t n) {
    char digits[16];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), n).ptr;
    scratch.assign(digits, end);
    return scratch;
}

// The lines of the reason of absence, each without the CR LF that follows it.
void AbsenceLines(const TVeltoPerson& p, Json& json, std::string& scratch) {
    scratch.clear();
    p.AppendHuzairiyu(scratch);
    json.Raw("[");
    std::string_view rest = scratch;
    for (bool first = true; !rest.empty(); first = false) {
        const std::size_t end = rest.find("\r\n");
        if (!first) json.Raw(",");
        json.String(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
    }
    json.Raw("]");
}

// The /R wording, and the date and time as the file wrote them.
void ReturnObject(const TVeltoPerson& p, Json& json, std::string& scratch) {
    json.Raw("{\"wording\":");
    json.String(Kept(scratch, ReturnText(p, Now())));
    json.Raw(",\"date\":");
    json.String(p.ModoriDate());
    json.Raw(",\"time\":");
    json.String(p.ModoriTime());
    json.Raw("}");
}

}  // namespace

// A field: its switch, its key in a JSON object, its text in a listing, and its JSON value where that
// is not its text as a string.
struct LineField {
    std::string_view name;
    std::string_view key;
    // A view into the person or a constant, or into `scratch` where the text is worked out.
    std::string_view (*text)(const TVeltoPerson&, std::string& scratch);
    void (*json)(const TVeltoPerson&, Json&, std::string& scratch) = nullptr;
};

namespace {

// In the order of the keys of an object that names no field. Switches compare byte for byte, case
// counting: /n is not /N.
const LineField kFields[] = {
    {"/N", "name", [](const TVeltoPerson& p, std::string&) { return p.Name(); }},
    {"/F", "file", [](const TVeltoPerson& p, std::string& s) { return Kept(s, p.FileName()); }},
    {"/I", "ip", [](const TVeltoPerson& p, std::string&) { return p.IP(); }},
    {"/G", "group", [](const TVeltoPerson& p, std::string&) { return p.Group(); }},
    {"/K", "furigana", [](const TVeltoPerson& p, std::string&) { return p.Furigana(); }},
    {"/B", "memo", [](const TVeltoPerson& p, std::string&) { return p.Memo(); }},
    // The clock is read for each field, as the person's line is built.
    {"/R", "return", [](const TVeltoPerson& p, std::string& s) { return Kept(s, ReturnText(p, Now())); },
     ReturnObject},
    {"/H", "absence",
     [](const TVeltoPerson& p, std::string& s) -> std::string_view {
         s.clear();
         p.AppendHuzairiyu(s);
         return s;
     },
     AbsenceLines},
    {"/P", "power", [](const TVeltoPerson& p, std::string&) { return p.PowerOFF() ? text::kPowerOff : text::kPowerOn; },
     [](const TVeltoPerson& p, Json& json, std::string&) { json.Raw(p.PowerOFF() ? "\"off\"" : "\"on\""); }},
    {"/T", "tel", [](const TVeltoPerson& p, std::string&) { return p.Tel(); }},
    {"/S", "status", [](const TVeltoPerson& p, std::string& s) { return Decimal(s, p.StatusIcon()); },
     [](const TVeltoPerson& p, Json& json, std::string& s) { json.Raw(Decimal(s, p.StatusIcon())); }},
};

constexpr std::string_view kJsonSwitch = "/J";
// Switches that take part in the run but add no field.
constexpr std::string_view kSettingSwitches[] = {"/Q", "/D", kJsonSwitch};

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// `value` with every CR and LF as a space, so that it stays on its line; copied to `scratch` only
// when it holds one.
std::string_view OnOneLine(std::string_view value, std::string& scratch) {
    if (std::none_of(value.begin(), value.end(), IsLineBreak)) return value;
    if (value.data() != scratch.data()) scratch.assign(value);
    std::replace_if(scratch.begin(), scratch.end(), IsLineBreak, ' ');
    return scratch;
}

}  // namespace

bool AsksForJson(const TOstrelArgs& switches) {
    for (int j = 0; j < switches.Count(); ++j) {
        if (switches.Names(j) == kJsonSwitch) return true;
    }
    return false;
}

LineFormat::LineFormat(const TOstrelArgs& switches)
    : json_(AsksForJson(switches)), quote_(switches.HasSwitch("/Q")) {
    for (int j = 0; j < switches.Count(); ++j) {
        const std::string_view name = switches.Names(j);
        if (std::find(std::begin(kSettingSwitches), std::end(kSettingSwitches), name) != std::end(kSettingSwitches)) {
            continue;
        }
        const auto field =
            std::find_if(std::begin(kFields), std::end(kFields), [&](const LineField& f) { return f.name == name; });
        if (field == std::end(kFields)) {
            if (!invalid_) invalid_ = std::string(name);
            continue;
        }
        // An object holds a key once.
        if (json_ && std::find(fields_.begin(), fields_.end(), &*field) != fields_.end()) continue;
        fields_.push_back(&*field);
    }
    if (json_ && fields_.empty()) {
        for (const LineField& field : kFields) fields_.push_back(&field);
    }
}

bool LineFormat::Build(const TVeltoPerson& person, const LineSink& sink) {
    if (invalid_) throw EVeltoCommandArgsException(*invalid_ + std::string(text::kInvalidSwitch));
    if (json_) {
        BuildJson(person, sink);
        return true;
    }
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const std::string_view value = OnOneLine(fields_[i]->text(person, scratch_), scratch_);
        // Only a single field, unquoted, can leave the line without text.
        if (fields_.size() == 1 && !quote_ && value.empty()) return false;
        if (i > 0) sink(",");
        if (quote_) sink("\"");
        sink(value);
        if (quote_) sink("\"");
    }
    return !fields_.empty();
}

void LineFormat::BuildJson(const TVeltoPerson& person, const LineSink& sink) {
    Json json(json_buffer_, sink);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const LineField& field = *fields_[i];
        json.Raw(i == 0 ? "{\"" : ",\"");
        json.Raw(field.key);
        json.Raw("\":");
        if (field.json) {
            field.json(person, json, scratch_);
        } else {
            json.String(field.text(person, scratch_));
        }
    }
    json.Raw("}");
    json.End();
}

void LineFormat::Write(const TVeltoPerson& person, platform::StandardOutput& out) {
    if (Build(person, LineSink(out))) out.Write("\r\n");
}

std::string LineFormat::Line(const TVeltoPerson& person) {
    std::string line;
    Build(person, LineSink(line));
    return line;
}

}  // namespace vireziriv
