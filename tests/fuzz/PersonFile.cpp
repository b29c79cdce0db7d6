// Fuzzes reading a person file, from a real file as the person list reads it: the fields, the
// status icon and the unrecognised lines hold together with the lines of the file.
#include "Fuzz.h"
#include "base/KeyedTextList.h"
#include "board/VeltoPersonUnit.h"
#include "support/TempDir.h"

#include <algorithm>
#include <string>

using namespace vireziriv;
using fuzz::Require;

namespace {

// The ten fields a person file fills before its unrecognised lines.
constexpr int kFields = 10;

bool HasBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const test::TempDir dir;
    static const std::string path = dir.PathOf("p.vlt");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    dir.Write("p.vlt", bytes);

    TVeltoPerson person(path);
    TKeyedTextList lines;
    lines.SetText(bytes);
    const std::string_view text = bytes.substr(0, bytes.find('\0'));
    const auto breaks = static_cast<int>(std::count(text.begin(), text.end(), '\r') + std::count(text.begin(), text.end(), '\n'));
    const TKeyedTextList unknownLines = person.Unknown();
    const int unknown = unknownLines.Count();
    Require(unknown <= std::max(0, breaks + 1 - kFields), "no more lines than line breaks plus one, ten of them fields");
    Require(unknown <= std::max(0, lines.Count() - kFields), "only lines after the tenth field are unrecognised");
    for (int i = 0; i < unknown; ++i) {
        Require(unknownLines.Get(i) == lines.Get(lines.Count() - unknown + i), "unrecognised lines are the last ones, verbatim");
    }

    const std::string_view singleLine[] = {person.Furigana(),   person.Name(), person.Group(), person.Memo(),
                                           person.ModoriDate(), person.ModoriTime(), person.Tel(), person.IP()};
    std::size_t fieldBytes = 0;
    for (const std::string_view field : singleLine) {
        Require(!HasBreak(field), "only the reason of absence holds line breaks");
        fieldBytes += field.size();
    }
    const std::string reason = person.Huzairiyu();
    Require(reason.empty() || reason.substr(reason.size() - 2) == "\r\n", "the reason of absence ends with CR LF");
    Require(reason.find('\0') == std::string::npos, "no field holds a NUL");
    fieldBytes += reason.size() - 2 * static_cast<std::size_t>(std::count(reason.begin(), reason.end(), '\n'));
    Require(fieldBytes <= text.size(), "the fields hold no more bytes than the file");

    Require(person.FilePath() == path && person.FileName() == "p", "the person knows its file");
    Require(!person.PowerOFF(), "no marker, so the PC is on");

    TVeltoPerson copy;
    copy.Assign(person);
    Require(copy.Furigana() == person.Furigana() && copy.Name() == person.Name() && copy.Group() == person.Group() &&
                copy.Tel() == person.Tel() && copy.Huzairiyu() == person.Huzairiyu() &&
                copy.ModoriDate() == person.ModoriDate() && copy.ModoriTime() == person.ModoriTime() &&
                copy.Memo() == person.Memo() && copy.IP() == person.IP() && copy.StatusIcon() == person.StatusIcon() &&
                copy.FilePath() == person.FilePath() && copy.PowerOFF() == person.PowerOFF() &&
                copy.Unknown().Text() == unknownLines.Text(),
            "Assign copies every field");
    return 0;
}
