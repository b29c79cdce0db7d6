// Byte-level helpers for code page 932 text: double-byte characters are stepped over, never split.
#pragma once

#include <cstddef>
#include <string_view>

namespace vireziriv::cp932 {

constexpr bool IsLeadByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// A byte that may follow a lead byte: never a control, DEL or a byte below 0x40.
constexpr bool IsTrailByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// a to z in upper case, every other byte as it is: the one case fold of the command, which knows
// no other letters than ASCII's.
constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The same bytes but for the case of ASCII letters, byte by byte (a trail byte folds too).
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    }
    return true;
}

// Byte length of the character starting at `pos`; a lead byte at the very end counts alone.
constexpr std::size_t CharLength(std::string_view s, std::size_t pos) {
    return IsLeadByte(s[pos]) && pos + 1 < s.size() ? 2 : 1;
}

// First position of the single-byte character `c` at or after `from`, never a trail byte; npos if none.
constexpr std::size_t Find(std::string_view s, char c, std::size_t from = 0) {
    for (std::size_t i = from; i < s.size(); i += CharLength(s, i)) {
        if (s[i] == c) return i;
    }
    return std::string_view::npos;
}

// Start of the last character of a non-empty text.
constexpr std::size_t LastCharStart(std::string_view s) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) last = i;
    return last;
}

// Position of the last single-byte character of `set` in `s`, never a trail byte; npos if none.
constexpr std::size_t FindLastOf(std::string_view s, std::string_view set) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = CharLength(s, i);
        // The set is a few bytes: a loop, not a memchr call per byte of `s`.
        if (n == 1) {
            for (const char c : set) {
                if (s[i] == c) found = i;
            }
        }
        i += n;
    }
    return found;
}

// Orders texts by their bytes, with single-byte a to z folded to upper case (the trail byte of a
// double-byte character is never folded); a prefix comes before the longer text. Negative, zero or
// positive.
constexpr int CompareIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    bool trail = false;  // both texts agree up to here, so a trail byte in one is one in the other
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(trail ? a[i] : UpperAscii(a[i]));
        const auto y = static_cast<unsigned char>(trail ? b[i] : UpperAscii(b[i]));
        if (x != y) return x < y ? -1 : 1;
        trail = !trail && IsLeadByte(a[i]);
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace vireziriv::cp932
