// Fuzzes delimited-text parsing, with the default or any printable delimiter and quote character:
// a list's own delimited output reads back as the same list.
#include "Fuzz.h"
#include "base/KeyedTextList.h"
#include "platform/Cp932.h"

#include <algorithm>
#include <string>

using namespace vireziriv;
using fuzz::Require;

namespace {

char Printable(std::uint8_t b) { return static_cast<char>(33 + b % 94); }

// An entry the writer must quote whose last character is a lone lead byte cannot be written at
// all: the closing quote would be read as its trail byte. Only an unclosed quote at the very end
// of a text gives such an entry.
bool Unwritable(const std::string& e, char quote, char delimiter) {
    const bool quoted = e.empty() || std::any_of(e.begin(), e.end(), [&](char c) {
        return static_cast<unsigned char>(c) <= 32 || c == quote || c == delimiter;
    });
    return quoted && !e.empty() && cp932::IsLeadByte(e.back()) && cp932::LastCharStart(e) == e.size() - 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    TKeyedTextList list;
    if (in.Byte() % 4 == 0) {
        const char delimiter = Printable(in.Byte());
        const char quote = Printable(in.Byte());
        if (delimiter == quote) return 0;
        list.SetDelimiter(delimiter);
        list.SetQuoteChar(quote);
    }
    const std::string_view text = in.Rest();
    list.SetDelimitedText(text);

    Require(static_cast<std::size_t>(list.Count()) <= text.size() + 1, "no more tokens than bytes plus one");
    for (int i = 0; i < list.Count(); ++i) Require(list.Get(i).find('\0') == std::string::npos, "no token holds a NUL");

    for (int i = 0; i < list.Count(); ++i) {
        if (Unwritable(list.Get(i), list.QuoteChar(), list.Delimiter())) return 0;
    }
    const std::string written = list.DelimitedText();
    TKeyedTextList back = list;
    back.SetDelimitedText(written);
    Require(back.Count() == list.Count(), "the list's own output reads back as as many entries");
    for (int i = 0; i < list.Count(); ++i) {
        Require(back.Get(i) == list.Get(i), "the list's own output reads back as the same entries");
    }
    Require(back.DelimitedText() == written, "writing again gives the same text");
    return 0;
}
