// The listing's line formats: the fields that the switches name, as values joined by commas in code
// page 932, or with /J as a JSON object in UTF-8.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vireziriv {

class TOstrelArgs;
class TVeltoPerson;
namespace platform {
class StandardOutput;
}
class LineSink;    // where a line goes
struct LineField;  // a field that a switch names

// True when the switches ask for JSON Lines: some switch is named /J, case counting.
bool AsksForJson(const TOstrelArgs& switches);

// A person's line under the switches. Comma-separated: the fields in the order of the switches, each
// with CR and LF as spaces, in double quotes with /Q. JSON (/J, where /Q does nothing): one object of
// the fields named, each once, at its first place, or of every field when none is named, under the
// keys name, file, ip, group, furigana, memo, return, absence, power, tel, status; texts in UTF-8.
class LineFormat {
public:
    // Resolves the switches once for every line; an invalid one is kept for the first line to raise.
    explicit LineFormat(const TOstrelArgs& switches);

    // Writes the person's line and its CR LF to `out`, or nothing when the line has no text. A long
    // field goes on in pieces rather than as a copy of the line. An invalid switch raises
    // EVeltoCommandArgsException before the line's first byte, as every line holds it.
    void Write(const TVeltoPerson& person, platform::StandardOutput& out);

    // The person's line without its CR LF; empty when it is not written. Raises as Write does.
    std::string Line(const TVeltoPerson& person);

private:
    // Hands the line to `sink` piece by piece; returns false, having handed nothing, for a line
    // without text.
    bool Build(const TVeltoPerson& person, const LineSink& sink);
    void BuildJson(const TVeltoPerson& person, const LineSink& sink);

    std::vector<const LineField*> fields_;
    bool json_ = false;
    bool quote_ = false;
    std::optional<std::string> invalid_;  // the first switch that names no field; it may be empty
    std::string scratch_;                 // a field's text where it is worked out
    std::string json_buffer_;             // the JSON line, handed on a chunk at a time
};

}  // namespace vireziriv
