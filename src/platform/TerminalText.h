// Code page 932 text made fit for a terminal: every byte visible, no control but the line ends and TAB.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vireziriv::platform {

// Renders code page 932 text for a terminal, as code page 932. A CR LF pair and TAB pass as they are;
// every other C0 control (ESC, a lone CR or LF among them) and DEL is shown in caret notation, as
// `cat -v` shows it (^[, ^M, ^?); a byte that begins no character (0x80, 0xA0, 0xFD-0xFF, or a lead
// byte not followed by a trail byte) is shown as \xNN. The text may come in pieces cut anywhere: a last
// byte whose meaning depends on the next one waits for it, so every rendered piece is whole characters.
class TerminalText {
public:
    std::string Render(std::string_view bytes);

    // The end of the text: the rendering of a byte still waiting for its next one.
    std::string Finish();

    // \xNN for each byte: how bytes that form no character are shown.
    static std::string ShowBytes(std::string_view bytes);

private:
    std::optional<char> waiting_;  // a lead byte or a CR
};

}  // namespace vireziriv::platform
