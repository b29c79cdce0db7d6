// Code page 932 text as UTF-8.
#include "base/Cp932Unicode.h"

namespace vireziriv::cp932 {

void AppendUtf8(char32_t c, std::string& utf8) {
    if (c < 0x80) {
        utf8 += static_cast<char>(c);
    } else if (c < 0x800) {
        utf8 += static_cast<char>(0xC0 | (c >> 6));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        utf8 += static_cast<char>(0xE0 | (c >> 12));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        utf8 += static_cast<char>(0xF0 | (c >> 18));
        utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string ToUtf8(std::string_view cp932) {
    std::string utf8;
    utf8.reserve(cp932.size());
    for (std::size_t i = 0; i < cp932.size();) {
        const Decoded d = DecodeAt(cp932, i);
        AppendUtf8(d.character, utf8);
        i += d.length;
    }
    return utf8;
}

}  // namespace vireziriv::cp932
