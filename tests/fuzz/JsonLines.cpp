// Fuzzes the JSON line of a person file read as the person list reads it: whatever the file holds,
// the line is valid UTF-8 JSON without a raw control, the object its switches ask for, and its texts
// are the person's fields converted one character at a time by the C library's CP932 converter.
#include "Fuzz.h"
#include "args/OstrelArgsUnit.h"
#include "base/Cp932Unicode.h"
#include "board/DateTime.h"
#include "board/ReturnWording.h"
#include "board/VeltoPersonUnit.h"
#include "listing/LineFormat.h"
#include "platform/Cp932.h"
#include "support/SwitchesSlot.h"
#include "support/TempDir.h"

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace vireziriv;
using fuzz::Require;

namespace {

// A JSON value as parsed: a string (decoded to UTF-8), an integer, an array, or an object (its
// keys in order, its values in `items`).
struct Value {
    enum Kind { kString, kNumber, kArray, kObject } kind = kString;
    std::string text;
    long long number = 0;
    std::vector<Value> items;
    std::vector<std::string> keys;
};

// A strict reader of compact JSON (no white space, integers only, as the line is written): anything
// that is not JSON, or not UTF-8, fails.
class Parser {
public:
    explicit Parser(std::string_view s) : s_(s) {}

    std::optional<Value> Document() {
        auto v = Parse();
        if (!v || at_ != s_.size()) return std::nullopt;
        return v;
    }

private:
    std::optional<Value> Parse() {
        if (at_ >= s_.size()) return std::nullopt;
        const char c = s_[at_];
        if (c == '"') return String();
        if (c == '[') return Array();
        if (c == '{') return Object();
        if (c == '-' || (c >= '0' && c <= '9')) return Number();
        return std::nullopt;
    }

    bool Take(char c) {
        if (at_ < s_.size() && s_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    std::optional<Value> Number() {
        Value v;
        v.kind = Value::kNumber;
        const bool negative = Take('-');
        if (at_ >= s_.size() || s_[at_] < '0' || s_[at_] > '9') return std::nullopt;
        if (s_[at_] == '0' && at_ + 1 < s_.size() && s_[at_ + 1] >= '0' && s_[at_ + 1] <= '9') return std::nullopt;
        int digits = 0;
        while (at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9') {
            if (++digits > 12) return std::nullopt;
            v.number = v.number * 10 + (s_[at_++] - '0');
        }
        if (negative) v.number = -v.number;
        return v;
    }

    std::optional<std::uint32_t> Hex4() {
        if (at_ + 4 > s_.size()) return std::nullopt;
        std::uint32_t c = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = s_[at_++];
            c <<= 4;
            if (h >= '0' && h <= '9') c |= static_cast<std::uint32_t>(h - '0');
            else if (h >= 'a' && h <= 'f') c |= static_cast<std::uint32_t>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F') c |= static_cast<std::uint32_t>(h - 'A' + 10);
            else return std::nullopt;
        }
        return c;
    }

    // One UTF-8 character, shortest form, no surrogate, at most U+10FFFF.
    bool Utf8(std::string& out) {
        const auto b = static_cast<unsigned char>(s_[at_]);
        std::size_t n = 0;
        std::uint32_t c = 0, least = 0;
        if (b >= 0xC2 && b <= 0xDF) n = 1, c = b & 0x1F, least = 0x80;
        else if (b >= 0xE0 && b <= 0xEF) n = 2, c = b & 0x0F, least = 0x800;
        else if (b >= 0xF0 && b <= 0xF4) n = 3, c = b & 0x07, least = 0x10000;
        else return false;
        if (at_ + n >= s_.size()) return false;
        for (std::size_t i = 1; i <= n; ++i) {
            const auto t = static_cast<unsigned char>(s_[at_ + i]);
            if ((t & 0xC0) != 0x80) return false;
            c = c << 6 | (t & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        out.append(s_.substr(at_, n + 1));
        at_ += n + 1;
        return true;
    }

    std::optional<Value> String() {
        Value v;
        if (!Take('"')) return std::nullopt;
        while (true) {
            if (at_ >= s_.size()) return std::nullopt;
            const auto b = static_cast<unsigned char>(s_[at_]);
            if (b == '"') break;
            if (b < 0x20) return std::nullopt;
            if (b >= 0x80) {
                if (!Utf8(v.text)) return std::nullopt;
                continue;
            }
            ++at_;
            if (b != '\\') {
                v.text += static_cast<char>(b);
                continue;
            }
            if (at_ >= s_.size()) return std::nullopt;
            const char e = s_[at_++];
            switch (e) {
                case '"': case '\\': case '/': v.text += e; break;
                case 'b': v.text += '\b'; break;
                case 'f': v.text += '\f'; break;
                case 'n': v.text += '\n'; break;
                case 'r': v.text += '\r'; break;
                case 't': v.text += '\t'; break;
                case 'u': {
                    auto c = Hex4();
                    if (!c) return std::nullopt;
                    if (*c >= 0xD800 && *c <= 0xDBFF) {
                        if (!Take('\\') || !Take('u')) return std::nullopt;
                        const auto low = Hex4();
                        if (!low || *low < 0xDC00 || *low > 0xDFFF) return std::nullopt;
                        *c = 0x10000 + ((*c - 0xD800) << 10) + (*low - 0xDC00);
                    } else if (*c >= 0xDC00 && *c <= 0xDFFF) {
                        return std::nullopt;
                    }
                    cp932::AppendUtf8(static_cast<char32_t>(*c), v.text);
                    break;
                }
                default: return std::nullopt;
            }
        }
        ++at_;
        return v;
    }

    std::optional<Value> Array() {
        Value v;
        v.kind = Value::kArray;
        Take('[');
        if (Take(']')) return v;
        do {
            auto item = Parse();
            if (!item) return std::nullopt;
            v.items.push_back(std::move(*item));
        } while (Take(','));
        if (!Take(']')) return std::nullopt;
        return v;
    }

    std::optional<Value> Object() {
        Value v;
        v.kind = Value::kObject;
        Take('{');
        if (Take('}')) return v;
        do {
            auto key = String();
            if (!key || !Take(':')) return std::nullopt;
            auto value = Parse();
            if (!value) return std::nullopt;
            v.keys.push_back(std::move(key->text));
            v.items.push_back(std::move(*value));
        } while (Take(','));
        if (!Take('}')) return std::nullopt;
        return v;
    }

    std::string_view s_;
    std::size_t at_ = 0;
};

// Code page 932 text as UTF-8 the slow way: character by character through the C library's CP932
// converter, U+FFFD where it refuses one; CR and LF as spaces, as the listing has them.
std::string Reference(std::string_view cp932) {
    static const iconv_t converter = iconv_open("UTF-8", "CP932");
    Require(converter != reinterpret_cast<iconv_t>(-1), "the C library converts CP932");
    std::string utf8;
    for (std::size_t i = 0; i < cp932.size();) {
        const bool pair = cp932::IsLeadByte(cp932[i]) && i + 1 < cp932.size() && cp932::IsTrailByte(cp932[i + 1]);
        const std::size_t length = pair ? 2 : 1;
        if (cp932[i] == '\r' || cp932[i] == '\n') {
            utf8 += ' ';
        } else {
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
            char* in = const_cast<char*>(cp932.data() + i);
            std::size_t inLeft = length;
            char out[8];
            char* to = out;
            std::size_t toLeft = sizeof out;
            if (iconv(converter, &in, &inLeft, &to, &toLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
                utf8 += "\xEF\xBF\xBD";
            } else {
                utf8.append(out, static_cast<std::size_t>(to - out));
            }
        }
        i += length;
    }
    return utf8;
}

constexpr const char* kSwitches[] = {"/N", "/F", "/I", "/G", "/K", "/B", "/R", "/H", "/P", "/T", "/S"};
constexpr const char* kKeys[] = {"name",   "file",    "ip",    "group", "furigana", "memo",
                                 "return", "absence", "power", "tel",   "status"};
constexpr std::size_t kFields = std::size(kSwitches);

bool IsString(const Value& v, const std::string& text) { return v.kind == Value::kString && v.text == text; }

// The reason's lines, each without the CR LF that follows it.
std::vector<std::string> ReasonLines(const std::string& reason) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < reason.size();) {
        const std::size_t end = std::min(reason.find("\r\n", at), reason.size());
        lines.push_back(reason.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

void RequireField(std::size_t field, const Value& v, const TVeltoPerson& p, const std::string& before,
                  const std::string& after) {
    switch (field) {
        case 0: Require(IsString(v, Reference(p.Name())), "name"); break;
        case 1: Require(IsString(v, "p"), "file"); break;
        case 2: Require(IsString(v, Reference(p.IP())), "ip"); break;
        case 3: Require(IsString(v, Reference(p.Group())), "group"); break;
        case 4: Require(IsString(v, Reference(p.Furigana())), "furigana"); break;
        case 5: Require(IsString(v, Reference(p.Memo())), "memo"); break;
        case 6:
            Require(v.kind == Value::kObject && v.keys == std::vector<std::string>{"wording", "date", "time"},
                    "return holds wording, date and time");
            // The clock moves on while the line is built: the wording of a moment between the two.
            Require(IsString(v.items[0], Reference(before)) || IsString(v.items[0], Reference(after)),
                    "the return wording is /R's");
            Require(IsString(v.items[1], Reference(p.ModoriDate())), "the return date as written");
            Require(IsString(v.items[2], Reference(p.ModoriTime())), "the return time as written");
            break;
        case 7: {
            const auto lines = ReasonLines(p.Huzairiyu());
            Require(v.kind == Value::kArray && v.items.size() == lines.size(), "absence holds the reason's lines");
            for (std::size_t i = 0; i < lines.size(); ++i) {
                Require(IsString(v.items[i], Reference(lines[i])), "a reason line");
            }
            break;
        }
        case 8: Require(IsString(v, p.PowerOFF() ? "off" : "on"), "power"); break;
        case 9: Require(IsString(v, Reference(p.Tel())), "tel"); break;
        default: Require(v.kind == Value::kNumber && v.number == p.StatusIcon(), "status"); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const test::TempDir dir;
    static const std::string path = dir.PathOf("p.vlt");
    static const std::string marker = dir.PathOf("p.off");

    // The switches: /J somewhere among up to seven others, field switches or /Q; then the marker and
    // the person file.
    fuzz::Input in(data, size);
    const std::uint8_t head = in.Byte();
    std::vector<std::string> args;
    std::vector<std::size_t> expected;  // the fields, each once, at its first place
    for (int n = head & 7; n > 0; --n) {
        const std::size_t pick = in.Byte() % (kFields + 1);
        if (pick == kFields) {
            args.emplace_back("/Q");
            continue;
        }
        args.emplace_back(kSwitches[pick]);
        if (std::find(expected.begin(), expected.end(), pick) == expected.end()) expected.push_back(pick);
    }
    args.insert(args.begin() + static_cast<std::ptrdiff_t>((head >> 3 & 7) % (args.size() + 1)), "/J");
    if (expected.empty()) {
        for (std::size_t f = 0; f < kFields; ++f) expected.push_back(f);
    }
    const bool powerOff = head & 0x40;
    if (powerOff) {
        dir.Write("p.off", "");
    } else {
        std::remove(marker.c_str());
    }
    dir.Write("p.vlt", in.Rest());

    const TVeltoPerson person(path);
    Require(person.PowerOFF() == powerOff, "the marker decides the power state");
    test::SwitchesSlot::Reset(args);
    LineFormat format(TOstrelArgs::GetInstance());
    const std::string before = ReturnText(person, Now());
    const std::string line = format.Line(person);
    const std::string after = ReturnText(person, Now());

    const auto isControl = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; };
    Require(std::none_of(line.begin(), line.end(), isControl),
            "no control and no DEL: they are escaped");
    const auto object = Parser(line).Document();
    Require(object.has_value(), "the line is JSON in UTF-8");
    Require(object->kind == Value::kObject && object->keys.size() == expected.size(),
            "an object of the fields asked for");
    for (std::size_t i = 0; i < expected.size(); ++i) {
        Require(object->keys[i] == kKeys[expected[i]], "the keys in the order of the switches");
        RequireField(expected[i], object->items[i], person, before, after);
    }
    return 0;
}
