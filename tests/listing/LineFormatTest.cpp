// A person's line under the switches, comma-separated and JSON, for persons made by hand: texts and
// arguments that no person file or Windows command line can carry, and fields longer than a chunk.
#include "listing/LineFormat.h"

#include "args/OstrelArgsUnit.h"
#include "base/Exceptions.h"
#include "base/Texts.h"
#include "board/VeltoPersonUnit.h"
#include "support/Sjis.h"
#include "support/SwitchesSlot.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vireziriv {
namespace {

using test::Sjis;

class LineFormatTest : public testing::Test {
protected:
    void TearDown() override { test::SwitchesSlot::Reset(); }

    // The person's line under `args`.
    static std::string Line(const TVeltoPerson& person, const std::vector<std::string>& args) {
        test::SwitchesSlot::Reset(args);
        return LineFormat(TOstrelArgs::GetInstance()).Line(person);
    }
};

TVeltoPerson Yamada() {
    TVeltoPerson p;
    p.SetFilePath("yamada.vlt");
    p.SetFurigana(Sjis("やまだ"));
    p.SetName(Sjis("山田"));
    p.SetGroup(Sjis("営業"));
    p.SetMemo(Sjis("メモ"));
    p.SetHuzairiyu(Sjis("外出\r\n"));
    p.SetModoriDate(Sjis("来週"));  // no date: worded as written, whatever the clock says
    p.SetModoriTime("10:00");
    p.SetTel("03-1234");
    p.SetIP("192.168.0.5");
    p.SetStatusIcon(2);
    p.SetPowerOFF(false);
    return p;
}

constexpr std::string_view kYamadaJson =
    R"({"name":"山田","file":"yamada","ip":"192.168.0.5","group":"営業","furigana":"やまだ","memo":"メモ",)"
    R"("return":{"wording":"来週 10:00","date":"来週","time":"10:00"},"absence":["外出"],"power":"on",)"
    R"("tel":"03-1234","status":2})";

TEST_F(LineFormatTest, TelAndStatusAreFieldsLikeTheOthers) {
    TVeltoPerson p = Yamada();
    const struct {
        std::vector<std::string> args;
        std::string line;  // UTF-8
    } cases[] = {
        {{"/T"}, "03-1234"},
        {{"/S"}, "2"},
        {{"/S", "/N", "/T"}, "2,山田,03-1234"},
        {{"/T", "/S", "/Q"}, "\"03-1234\",\"2\""},
        {{"/T", "/T:x"}, "03-1234,03-1234"},
    };
    for (const auto& c : cases) EXPECT_EQ(Line(p, c.args), Sjis(c.line)) << testing::PrintToString(c.args);

    p.SetTel("");
    p.SetStatusIcon(INT32_MIN);
    EXPECT_EQ(Line(p, {"/T"}), "");  // no text: not written
    EXPECT_EQ(Line(p, {"/T", "/Q"}), "\"\"");
    EXPECT_EQ(Line(p, {"/S"}), "-2147483648");
    p.SetTel("03\r\n1234\r");
    EXPECT_EQ(Line(p, {"/T"}), "03  1234 ");
}

TEST_F(LineFormatTest, JsonHoldsTheFieldsNamedOnceEachInTheirOrder) {
    const TVeltoPerson p = Yamada();
    const struct {
        std::vector<std::string> args;
        std::string_view json;
    } cases[] = {
        {{"/J"}, kYamadaJson},
        {{"/Q", "/D:somewhere", "/J"}, kYamadaJson},
        {{"/J", "/G", "/N", "/G"}, R"({"group":"営業","name":"山田"})"},
        {{"/N", "/J", "/Q"}, R"({"name":"山田"})"},
        {{"/J:x", "/S", "/P", "/S:y"}, R"({"status":2,"power":"on"})"},
        {{"/H", "/R", "/J"}, R"({"absence":["外出"],"return":{"wording":"来週 10:00","date":"来週","time":"10:00"}})"},
    };
    for (const auto& c : cases) EXPECT_EQ(Line(p, c.args), c.json) << testing::PrintToString(c.args);
}

TEST_F(LineFormatTest, JsonIsUtf8AndValidWhateverTheTextsHold) {
    TVeltoPerson p;
    p.SetFilePath("a\r\nb.vlt");
    p.SetName(Sjis("会議, \"至急\""));
    p.SetMemo("a\\b\x1b]0;x\x07\x1b[2J\t\b\f\x7f" + std::string(1, '\0') + "\x1f");
    p.SetGroup("\x80\xa0\xfd\xfe\xff|\x82 |\x85\x40|\x82");  // bytes that form no character
    p.SetFurigana("\xb1\xb2\x5c\x7e");                       // half-width katakana, backslash, tilde
    p.SetHuzairiyu(Sjis("\"外出\"\r\n\r\n,直帰\r\n"));
    p.SetModoriDate("\"");
    p.SetStatusIcon(-1);
    const struct {
        std::string arg;
        std::string_view json;
    } cases[] = {
        {"/F", R"({"file":"a  b"})"},
        {"/N", R"({"name":"会議, \"至急\""})"},
        {"/B", R"({"memo":"a\\b\u001b]0;x\u0007\u001b[2J\t\b\f\u007f\u0000\u001f"})"},
        {"/G", R"({"group":"�����|� |�|�"})"},
        {"/K", R"({"furigana":"ｱｲ\\~"})"},
        {"/H", R"({"absence":["\"外出\"","",",直帰"]})"},
        {"/R", R"({"return":{"wording":"\" ","date":"\"","time":""}})"},
        {"/P", R"({"power":"off"})"},
        {"/I", R"({"ip":""})"},
        {"/S", R"({"status":-1})"},
    };
    for (const auto& c : cases) EXPECT_EQ(Line(p, {"/J", c.arg}), c.json) << c.arg;

    p.SetHuzairiyu("");
    EXPECT_EQ(Line(p, {"/J", "/H"}), R"({"absence":[]})");
}

TEST_F(LineFormatTest, FieldsLongerThanAChunkComeWhole) {
    // Escapes and double-byte characters grow a field's text: its JSON goes on in several pieces.
    std::string name, json;
    for (int i = 0; i < 20000; ++i) {
        name += "\x1b" + Sjis("名") + "\"";
        json += "\\u001b名\\\"";
    }
    TVeltoPerson p;
    p.SetName(name);
    p.SetMemo(std::string(100000, 'x'));
    EXPECT_EQ(Line(p, {"/J", "/N", "/B"}), R"({"name":")" + json + R"(","memo":")" + std::string(100000, 'x') + "\"}");
    EXPECT_EQ(Line(p, {"/N", "/Q"}), "\"" + name + "\"");
}

// Windows drops an empty argument from the command line; elsewhere it reaches the switches as an
// invalid one with an empty name, and the first invalid switch is the one the message names.
TEST_F(LineFormatTest, AnEmptyArgumentIsAnInvalidSwitchInItsPlace) {
    TVeltoPerson person;
    person.SetName("N");
    const struct {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{"", "/N", "/X"}, ""},
        {{"/N", "", "/X:a"}, ""},
        {{"/N", "/X", ""}, "/X"},
        {{"/J", "", "/N"}, ""},
        {{"/J", "/j"}, "/j"},
        {{"/N", "/J", "/t", "/s"}, "/t"},
    };
    for (const auto& c : cases) {
        try {
            const std::string line = Line(person, c.args);
            ADD_FAILURE() << "listed " << testing::PrintToString(line) << " for " << testing::PrintToString(c.args);
        } catch (const EVeltoCommandArgsException& e) {
            EXPECT_EQ(e.Message(), c.named + std::string(text::kInvalidSwitch)) << testing::PrintToString(c.args);
        }
    }
}

TEST_F(LineFormatTest, JsonIsAskedForByTheSwitchJAlone) {
    const struct {
        std::vector<std::string> args;
        bool json;
    } cases[] = {
        {{"/J"}, true}, {{"/N", "/J:x"}, true}, {{"/j"}, false}, {{"/N", "/Q"}, false}, {{"/JJ"}, false},
    };
    for (const auto& c : cases) {
        test::SwitchesSlot::Reset(c.args);
        EXPECT_EQ(AsksForJson(TOstrelArgs::GetInstance()), c.json) << testing::PrintToString(c.args);
    }
}

}  // namespace
}  // namespace vireziriv
