// The rendering of code page 932 text for a terminal.
#include "platform/TerminalText.h"

#include "platform/Cp932.h"

namespace vireziriv::platform {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(char c, std::string& shown) {
    const auto b = static_cast<unsigned char>(c);
    shown += "\\x";
    shown += kHexDigits[b >> 4];
    shown += kHexDigits[b & 0xF];
}

// A byte that is a character of its own, or none.
void AppendAlone(char c, std::string& shown) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '\t') {
        shown += c;
    } else if (b < 0x20) {
        shown += '^';
        shown += static_cast<char>(b + 0x40);
    } else if (b == 0x7F) {
        shown += "^?";
    } else if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) {  // ASCII and half-width katakana
        shown += c;
    } else {
        AppendHex(c, shown);
    }
}

}  // namespace

std::string TerminalText::Render(std::string_view bytes) {
    std::string shown;
    shown.reserve(bytes.size() + 8);
    for (const char c : bytes) {
        if (waiting_) {
            const char first = *waiting_;
            waiting_.reset();
            if (first == '\r' ? c == '\n' : cp932::IsTrailByte(c)) {
                shown += first;
                shown += c;
                continue;
            }
            AppendAlone(first, shown);
        }
        if (c == '\r' || cp932::IsLeadByte(c)) {
            waiting_ = c;
        } else {
            AppendAlone(c, shown);
        }
    }
    return shown;
}

std::string TerminalText::Finish() {
    std::string shown;
    if (waiting_) AppendAlone(*waiting_, shown);
    waiting_.reset();
    return shown;
}

std::string TerminalText::ShowBytes(std::string_view bytes) {
    std::string shown;
    for (const char c : bytes) AppendHex(c, shown);
    return shown;
}

}  // namespace vireziriv::platform
