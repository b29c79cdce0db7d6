// What a terminal is shown of code page 932 text: caret notation for controls, \xNN for stray bytes.
#include "platform/TerminalText.h"

#include "support/Sjis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vireziriv::platform {
namespace {

using test::Sjis;
using namespace std::string_literals;

struct RenderCase {
    const char* why;
    std::string text;
    std::string shown;
};

// Built at run time: Sjis needs a running test.
std::vector<RenderCase> Cases() {
    return {
        {"empty", "", ""},
        {"ASCII passes", "John Smith, 10.0.0.1 ~\\", "John Smith, 10.0.0.1 ~\\"},
        {"TAB and CR LF pass", "a\tb\r\n", "a\tb\r\n"},
        {"Japanese passes", Sjis("山田,営業\r\n"), Sjis("山田,営業\r\n")},
        {"trail bytes that look like ASCII stay in their character", Sjis("表ソ×@"), Sjis("表ソ×@")},
        {"half-width katakana passes", "\xb1\xdd\xdf", "\xb1\xdd\xdf"},
        {"a double-byte code without a character keeps its shape", "\x85\x40", "\x85\x40"},
        {"ESC and a CSI sequence", "\x1b[2J\x1b[31mred", "^[[2J^[[31mred"},
        {"OSC 52 sets no clipboard", "\x1b]52;c;aGk=\x07", "^[]52;c;aGk=^G"},
        {"NUL and the last C0 control", "a\0b\x1f"s, "a^@b^_"},
        {"DEL", "x\x7fy", "x^?y"},
        {"a lone CR would overwrite the line", "safe\revil", "safe^Mevil"},
        {"a lone LF, and CR at the very end", "a\nb\r", "a^Jb^M"},
        {"LF CR is no line end", "\n\r\n", "^J\r\n"},
        {"bytes that begin no character", "\x80\xa0\xfd\xfe\xff", "\\x80\\xA0\\xFD\\xFE\\xFF"},
        {"lead byte at the end", Sjis("山") + "\x82", Sjis("山") + "\\x82"},
        {"lead byte before ESC keeps the ESC visible", "\x82\x1b[2J", "\\x82^[[2J"},
        {"lead byte before DEL", "\x82\x7f", "\\x82^?"},
        {"lead byte before the line end", "\x82\r\n", "\\x82\r\n"},
        {"lead byte before a blank", "\x82 a", "\\x82 a"},
        {"lead byte before a byte that begins nothing", "\x82\xff", "\\x82\\xFF"},
        {"lead byte before a lead byte pairs with it", "\x82\x82\x82\xa0", "\x82\x82\x82\xa0"},
    };
}

std::string RenderWhole(std::string_view text) {
    TerminalText terminal;
    const std::string shown = terminal.Render(text);
    return shown + terminal.Finish();
}

TEST(TerminalText, ShowsControlsAndStrayBytes) {
    for (const RenderCase& c : Cases()) EXPECT_EQ(RenderWhole(c.text), c.shown) << c.why;
}

TEST(TerminalText, ShowsTheSameWhereverTheTextIsCut) {
    for (const RenderCase& c : Cases()) {
        for (std::size_t cut = 0; cut <= c.text.size(); ++cut) {
            TerminalText terminal;
            const std::string first = terminal.Render(std::string_view(c.text).substr(0, cut));
            const std::string second = terminal.Render(std::string_view(c.text).substr(cut));
            EXPECT_EQ(first + second + terminal.Finish(), c.shown) << c.why << ", cut at " << cut;
            // Each piece is whole characters with nothing left to show: it renders as itself.
            EXPECT_EQ(RenderWhole(first), first) << c.why << ", cut at " << cut;
            EXPECT_EQ(RenderWhole(second), second) << c.why << ", cut at " << cut;
        }
    }
}

TEST(TerminalText, ShowBytesGivesEachByteInHex) {
    EXPECT_EQ(TerminalText::ShowBytes(""), "");
    EXPECT_EQ(TerminalText::ShowBytes("\x85\x40"), "\\x85\\x40");
    EXPECT_EQ(TerminalText::ShowBytes("\x00\xff"s), "\\x00\\xFF");
}

}  // namespace
}  // namespace vireziriv::platform
