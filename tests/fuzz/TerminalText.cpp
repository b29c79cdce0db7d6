// Fuzzes the rendering of text for a terminal: no control reaches it but TAB and CR LF, every byte it
// gets belongs to a whole character, nothing is dropped, and where the text is cut changes nothing.
#include "Fuzz.h"
#include "platform/Cp932.h"
#include "platform/TerminalText.h"

#include <string>

using namespace vireziriv;
using fuzz::Require;

namespace {

std::string RenderWhole(std::string_view text) {
    platform::TerminalText terminal;
    std::string shown = terminal.Render(text);
    shown += terminal.Finish();
    return shown;
}

// Code page 932 characters of which a terminal acts on none: TAB, CR LF, printable ASCII, half-width
// katakana, and a lead byte with its trail byte.
bool IsInert(std::string_view shown) {
    for (std::size_t i = 0; i < shown.size();) {
        const auto b = static_cast<unsigned char>(shown[i]);
        std::size_t length = 1;
        if (shown[i] == '\r') {
            if (i + 1 == shown.size() || shown[i + 1] != '\n') return false;
            length = 2;
        } else if (cp932::IsLeadByte(shown[i])) {
            if (i + 1 == shown.size() || !cp932::IsTrailByte(shown[i + 1])) return false;
            length = 2;
        } else if (!(shown[i] == '\t' || (b >= 0x20 && b < 0x7F) || (b >= 0xA1 && b <= 0xDF))) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const std::size_t cutByte = input.Byte();
    const std::string_view text = input.Rest();
    const std::size_t cut = cutByte % (text.size() + 1);

    const std::string shown = RenderWhole(text);
    Require(IsInert(shown), "only whole characters, and no control but TAB and CR LF");
    Require(shown.size() >= text.size(), "no byte is dropped");
    Require(RenderWhole(shown) == shown, "what is shown renders as itself");

    platform::TerminalText pieces;
    std::string cutShown = pieces.Render(text.substr(0, cut));
    Require(IsInert(cutShown), "a piece is whole characters");
    cutShown += pieces.Render(text.substr(cut));
    cutShown += pieces.Finish();
    Require(cutShown == shown, "a cut anywhere shows the same");
    return 0;
}
