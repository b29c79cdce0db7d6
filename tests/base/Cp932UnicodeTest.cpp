// Code page 932 as Unicode: the committed table against the system's own converter for every code,
// and the characters a text is cut into.
#include "base/Cp932Unicode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace vireziriv {
namespace {

// The one character that the whole of `code` is to the system, or nothing when it refuses the code:
// Windows' MultiByteToWideChar(932) itself, elsewhere the C library's CP932 converter that the table
// was generated from.
class SystemCp932 {
public:
#ifdef _WIN32
    std::optional<char32_t> Decode(const std::string& code) const {
        wchar_t wide[4] = {};
        const int size = static_cast<int>(code.size());
        const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, code.data(), size, wide, 4);
        if (n != 1) return std::nullopt;
        return static_cast<char32_t>(wide[0]);
    }
#else
    SystemCp932() : converter_(iconv_open("UTF-32LE", "CP932")) {}
    ~SystemCp932() {
        if (Usable()) iconv_close(converter_);
    }
    SystemCp932(const SystemCp932&) = delete;
    SystemCp932& operator=(const SystemCp932&) = delete;

    bool Usable() const { return converter_ != reinterpret_cast<iconv_t>(-1); }

    std::optional<char32_t> Decode(const std::string& code) const {
        iconv(converter_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(code.data());
        std::size_t inLeft = code.size();
        unsigned char out[16];
        char* to = reinterpret_cast<char*>(out);
        std::size_t toLeft = sizeof out;
        if (iconv(converter_, &in, &inLeft, &to, &toLeft) == static_cast<std::size_t>(-1) || inLeft != 0 ||
            sizeof out - toLeft != 4) {
            return std::nullopt;
        }
        return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | static_cast<std::uint32_t>(out[3]) << 24);
    }

private:
    iconv_t converter_;
#endif
};

std::string Code(int b) { return std::string(1, static_cast<char>(b)); }
std::string Code(int lead, int trail) { return Code(lead) + Code(trail); }

// The table's character for a whole code, or nothing when the code is no character of its own.
std::optional<char32_t> TableCharacter(const std::string& code) {
    const cp932::Decoded d = cp932::DecodeAt(code, 0);
    if (d.length != code.size() || d.character == cp932::kReplacement) return std::nullopt;
    return d.character;
}

TEST(Cp932Table, EveryCodeIsTheSystemsCharacter) {
    const SystemCp932 system;
#ifndef _WIN32
    if (!system.Usable()) GTEST_SKIP() << "the C library has no CP932 converter";
#endif
    int characters = 0;
    for (int b = 0; b < 256; ++b) {
        if (cp932::IsLeadByte(static_cast<char>(b))) continue;
        const std::string code = Code(b);
        if (b == 0x80) {
            // Windows alone takes 0x80 for the control U+0080; the command counts it no character.
            EXPECT_EQ(TableCharacter(code), std::nullopt);
            const auto said = system.Decode(code);
            EXPECT_TRUE(!said || *said == 0x80) << std::hex << static_cast<std::uint32_t>(*said);
            continue;
        }
        EXPECT_EQ(TableCharacter(code), system.Decode(code)) << std::hex << "single byte " << b;
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!cp932::IsLeadByte(static_cast<char>(lead))) continue;
        for (int trail = 0; trail < 256; ++trail) {
            if (!cp932::IsTrailByte(static_cast<char>(trail))) continue;
            const std::string code = Code(lead, trail);
            const auto expected = system.Decode(code);
            EXPECT_EQ(TableCharacter(code), expected) << std::hex << "code " << lead << " " << trail;
            characters += expected.has_value();
        }
    }
    // Microsoft's code page 932: JIS X 0208 (6,879), NEC's row 13 (83), the IBM extensions in NEC's rows
    // (374) and in IBM's (388), and the user-defined area (1,880).
    EXPECT_EQ(characters, 9604);
}

TEST(Cp932Table, IsWindowsMappingNotJis) {
    const struct {
        std::string code;
        char32_t character;
    } cases[] = {
        {Code(0x5C), U'\\'},         {Code(0x7E), U'~'},            // not the yen sign and the overline
        {Code(0x81, 0x5F), U'＼'},   {Code(0x81, 0x60), U'～'},     // not U+005C, U+301C
        {Code(0x81, 0x61), U'∥'},    {Code(0x81, 0x7C), U'－'},     // not U+2016, U+2212
        {Code(0x87, 0x40), U'①'},    {Code(0xED, 0x40), U'纊'},     // NEC's rows, NEC-selected IBM's
        {Code(0xFA, 0x40), U'ⅰ'},    {Code(0xF0, 0x40), U'\uE000'},  // IBM's rows, the user-defined area
        {Code(0xA1), U'｡'},          {Code(0xDF), U'ﾟ'},            // half-width katakana
        {Code(0x88, 0x9F), U'亜'},   {Code(0x82, 0xA0), U'あ'},
    };
    for (const auto& c : cases) {
        const cp932::Decoded d = cp932::DecodeAt(c.code, 0);
        EXPECT_EQ(d.character, c.character) << testing::PrintToString(c.code);
        EXPECT_EQ(d.length, c.code.size()) << testing::PrintToString(c.code);
    }
}

TEST(Cp932Table, BytesThatFormNoCharacterAreEachOneReplacement) {
    // As the terminal rendering cuts them: a lead byte without its trail byte is one byte and the next
    // starts afresh; a double-byte code without a character is both bytes.
    const struct {
        std::string text;
        std::u32string characters;
    } cases[] = {
        {Code(0x80), U"\uFFFD"},
        {Code(0xA0), U"\uFFFD"},
        {Code(0xFD) + Code(0xFE) + Code(0xFF), U"\uFFFD\uFFFD\uFFFD"},
        {Code(0x82), U"\uFFFD"},                        // at the end
        {Code(0x82) + "A", U"\uFFFD"},                  // 'A' is a trail byte: 0x82 0x41 has no character
        {Code(0x82) + "\x1b", U"\uFFFD\x1b"},           // a control is never a trail byte
        {Code(0x82) + "\x7f", U"\uFFFD\x7f"},
        {Code(0x82, 0xF2) + Code(0xA0), U"\uFFFD\uFFFD"},  // after the last hiragana, then 0xA0 alone
        {Code(0x85, 0x40) + "x", U"\uFFFDx"},
        {Code(0xEB, 0x9F), U"\uFFFD"},
        {Code(0x82, 0xA0) + Code(0x82), U"あ\uFFFD"},
    };
    for (const auto& c : cases) {
        std::u32string got;
        for (std::size_t i = 0; i < c.text.size();) {
            const cp932::Decoded d = cp932::DecodeAt(c.text, i);
            got += d.character;
            i += d.length;
        }
        EXPECT_TRUE(got == c.characters) << testing::PrintToString(c.text);
    }
}

TEST(AppendUtf8, EncodesEveryLength) {
    const struct {
        char32_t character;
        std::string utf8;
    } cases[] = {
        {U'\0', std::string(1, '\0')}, {U'~', "~"},       {U'\u0080', "\xC2\x80"}, {U'\u07FF', "\xDF\xBF"},
        {U'あ', "\xE3\x81\x82"},       {U'\uFFFD', "\xEF\xBF\xBD"}, {U'\U00010000', "\xF0\x90\x80\x80"},
        {U'\U0010FFFF', "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& c : cases) {
        std::string out = "x";
        cp932::AppendUtf8(c.character, out);
        EXPECT_EQ(out, "x" + c.utf8) << std::hex << static_cast<std::uint32_t>(c.character);
    }
}

}  // namespace
}  // namespace vireziriv
