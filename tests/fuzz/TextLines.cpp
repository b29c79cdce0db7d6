// Fuzzes the keyed text list's line splitting (Text write) against a plain count of line breaks.
#include "Fuzz.h"
#include "base/KeyedTextList.h"

#include <string>

using namespace vireziriv;
using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    TKeyedTextList list;
    list.SetText(input);

    // The oracle: a NUL ends the text; CR LF is one break, a lone CR or LF one each.
    const std::string_view text = input.substr(0, input.find('\0'));
    std::size_t breaks = 0;
    std::string content;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            ++breaks;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            content += text[i];
        }
    }
    const bool unterminated = !text.empty() && text.back() != '\r' && text.back() != '\n';
    const auto count = static_cast<std::size_t>(list.Count());
    Require(count <= breaks + 1, "no more lines than line breaks plus one");
    Require(count == breaks + (unterminated ? 1 : 0), "one line per break, and one for an unterminated end");

    std::string joined;
    for (int i = 0; i < list.Count(); ++i) {
        const std::string& line = list.Get(i);
        Require(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos, "no line holds a break or a NUL");
        joined += line;
    }
    Require(joined == content, "every byte but the breaks is kept, in order");

    TKeyedTextList again;
    again.SetText(list.Text());
    Require(again.Count() == list.Count(), "Text reads back as as many lines");
    for (int i = 0; i < list.Count(); ++i) Require(again.Get(i) == list.Get(i), "Text reads back as the same lines");
    return 0;
}
