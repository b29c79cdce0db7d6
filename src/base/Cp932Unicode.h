// Code page 932 text as Unicode, by Windows' own mapping of the code page: the same table on every
// platform, so a listing in UTF-8 is the same bytes wherever it is made.
#pragma once

#include "platform/Cp932.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vireziriv::cp932 {

inline constexpr char32_t kReplacement = 0xFFFD;

// The generated table (Cp932Table.cpp, written by make-cp932-table): the character of every single
// byte, and of every double-byte code by lead byte (0x81-0x9F, then 0xE0-0xFC) and trail byte
// (0x40-0xFC). A code without a character, and a lead byte on its own, hold U+FFFD.
inline constexpr std::size_t kLeadBytes = 60;
inline constexpr std::size_t kTrailColumns = 0xFD - 0x40;
extern const char16_t kSingleByteTable[256];
extern const char16_t kDoubleByteTable[kLeadBytes * kTrailColumns];

struct Decoded {
    char32_t character;
    std::size_t length;  // the bytes it took
};

// The character that starts at `pos`. Bytes that form no character give U+FFFD, as the terminal
// rendering counts them: 0x80, 0xA0 and 0xFD-0xFF, a lead byte without its trail byte (the next
// byte then starts a character of its own), and a double-byte code without a character (both bytes).
inline Decoded DecodeAt(std::string_view text, std::size_t pos) {
    const auto b = static_cast<unsigned char>(text[pos]);
    if (!IsLeadByte(text[pos])) return {kSingleByteTable[b], 1};
    if (pos + 1 == text.size() || !IsTrailByte(text[pos + 1])) return {kReplacement, 1};
    const std::size_t row = b <= 0x9F ? b - 0x81u : b - 0xE0u + (0xA0 - 0x81);
    const std::size_t column = static_cast<unsigned char>(text[pos + 1]) - 0x40u;
    return {kDoubleByteTable[row * kTrailColumns + column], 2};
}

// Appends one character, at most U+10FFFF and no surrogate, as UTF-8.
void AppendUtf8(char32_t character, std::string& utf8);

}  // namespace vireziriv::cp932
