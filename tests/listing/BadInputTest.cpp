// The built command against hostile shared directories: every case ends with its own status and
// message, without a crash or a hang, and leaves the directory as it was.
#include "base/Texts.h"
#include "board/UnreadableEntry.h"
#include "support/Process.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace vireziriv {
namespace {

using test::Sjis;

// A person file of these lines, each ended by CR LF.
std::string Lines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\r\n";
    return bytes;
}

std::string Repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

class BadInput : public testing::Test {
protected:
    // Lists the board with `switches` and checks that the run changed nothing in the directory.
    test::ProcessResult List(std::vector<std::string> switches) const {
        const auto before = test::ListDirectory(board.Path());
        switches.push_back("/D:" + board.Path());
        auto r = test::RunProcess(VIREZIRIV_BINARY, switches,
                                  {"HOME=" + home.Path(), "XDG_CONFIG_HOME=" + home.PathOf("config")});
        EXPECT_EQ(test::ListDirectory(board.Path()), before) << "the directory is left as it was";
        return r;
    }

    void ExpectListing(const std::vector<std::string>& switches, const std::string& out) const {
        const auto r = List(switches);
        EXPECT_EQ(r.status, 0) << testing::PrintToString(switches);
        EXPECT_EQ(r.err, "") << testing::PrintToString(switches);
        EXPECT_TRUE(r.out == out) << testing::PrintToString(switches) << ": " << r.out.size()
                                  << " bytes out, expected " << out.size();
    }

    void ExpectFailure(int status, const std::string& message) const {
        const auto r = List({"/N"});
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.err, message + "\r\n");
        EXPECT_EQ(r.out, "");
    }

    std::string PersonMessage(const std::string& file) const {
        return std::string(text::kPersonFileBefore) + board.PathOf(file) + std::string(text::kPersonFileAfter);
    }
    std::string SettingsMessage() const { return board.PathOf("velto.ini") + std::string(text::kSettingsUnreadable); }

    test::TempDir board;
    test::TempDir home;
};

TEST_F(BadInput, BinaryPersonFileIsReadAsBytes) {
    // Every byte but NUL: LF ends the furigana, CR the name, and the NUL after the group ends the
    // text, so what follows it is never read.
    std::string every;
    for (int b = 1; b < 256; ++b) every += static_cast<char>(b);
    board.Write("binary.vlt", every + std::string(1, '\0') + every);
    ExpectListing({"/K", "/N", "/G", "/F", "/Q"},
                  "\"" + every.substr(0, 9) + "\",\"\x0b\x0c\",\"" + every.substr(13) + "\",\"binary\"\r\n");
}

TEST_F(BadInput, HundredMebibytePersonFileWithoutLineBreaks) {
    const std::string furigana(100 << 20, 'x');
    board.Write("huge.vlt", furigana);
    ExpectListing({"/F", "/K"}, "huge," + furigana + "\r\n");
    ExpectListing({"/J", "/K", "/F"}, R"({"furigana":")" + furigana + R"(","file":"huge"})" "\r\n");
}

TEST_F(BadInput, HundredMebibytesOfLineBreaks) {
    const std::string breaks(100 << 20, '\n');
    // Lines after the tenth are kept but never listed; the fifth, empty, is a reason of one line.
    board.Write("breaks.vlt", breaks);
    ExpectListing({"/F", "/K", "/H", "/P"}, "breaks,,  ," + std::string(text::kPowerOn) + "\r\n");
    ExpectListing({"/J", "/F", "/H", "/S"}, R"({"file":"breaks","absence":[""],"status":0})" "\r\n");
    // The settings file's lines are walked, not kept (a sixth of the breaks spares the test's time).
    board.Write("breaks.vlt", Lines({Sjis("やまだ"), Sjis("山田")}));
    board.Write("velto.ini", breaks.substr(0, 16 << 20) + "UDPMessage,Port=2000\r\n");
    ExpectListing({"/N"}, Sjis("山田\r\n"));
}

TEST_F(BadInput, PersonFilesOfOnlyQuotes) {
    const struct {
        std::string bytes;
        std::vector<std::string> switches;
        std::string out;
    } cases[] = {
        // A line that starts and ends with a quote loses both.
        {std::string(1001, '"'), {"/K"}, std::string(999, '"') + "\r\n"},
        // A lone quote opens a value and the next one closes it: two lines to a field, and the
        // reason of absence gets a CR LF for each of its lines.
        {Lines(std::vector<std::string>(30, "\"")), {"/N", "/H", "/Q"}, "\"\",\"    \"\r\n"},
        {Lines(std::vector<std::string>(30, "\"\"")), {"/K", "/H"}, ",  \r\n"},
        // A value opened and never closed takes every line to the end into the furigana.
        {"\"" + Lines(std::vector<std::string>(20, "a\"b")), {"/K", "/N"}, Repeat("a\"b", 20) + ",\r\n"},
    };
    for (const auto& c : cases) {
        board.Write("quotes.vlt", c.bytes);
        ExpectListing(c.switches, c.out);
    }
}

TEST_F(BadInput, HostilePersonFilesGiveValidJson) {
    // Quotes and commas in values, a value over two lines, a reason of three, controls, bytes that form
    // no character, a file name with a comma and a 0x5C trail byte; the NUL ends what is read.
    board.Write("quotes.vlt", Lines({"a\",\"b", Sjis("会議, \"至急\""), "\"x", "y\"", "back\\slash", "\"line1",
                                     ",line2 \"q\" x", "line3\"", "2001/04/02", "12:00", "\"03-1234\"", "1.2.3.4",
                                     "-5", "extra \"line\""}));
    board.Write("controls.vlt", Lines({"ctl", "\x1b]0;pwned\x07\x1b[2J\x7f\t\x01", "\x0b\x0c", "", "", "", "", "",
                                       "", " 0x1F"}) + std::string(1, '\0') + "ignored\r\n");
    board.Write("invalid.vlt", Lines({"inv\x82", "\x80\xa0\xfd\xfe\xff", "\x85\x40\x82", "\xb1\xb2", "", "", "",
                                      "", "", "abc"}));
    board.Write(Sjis("表,x.vlt"), Lines({Sjis("ひょう"), Sjis("表")}));
    board.Write(Sjis("表,x.off"), "");
    ExpectListing({"/J"},
                  R"({"name":"会議, \"至急\"","file":"quotes","ip":"1.2.3.4","group":"xy","furigana":"a\",\"b",)"
                  R"("memo":"back\\slash","return":{"wording":"4/2(月) 12:00","date":"2001/04/02","time":"12:00"},)"
                  R"("absence":["line1",",line2 \"q\" x","line3"],"power":"on","tel":"03-1234","status":-5})" "\r\n"
                  R"({"name":"\u001b]0;pwned\u0007\u001b[2J\u007f\t\u0001","file":"controls","ip":"","group":"\u000b\f",)"
                  R"("furigana":"ctl","memo":"","return":{"wording":" ","date":"","time":""},"absence":[""],"power":"on",)"
                  R"("tel":"","status":31})" "\r\n"
                  R"({"name":"�����","file":"invalid","ip":"","group":"��","furigana":"inv�","memo":"ｱｲ",)"
                  R"("return":{"wording":" ","date":"","time":""},"absence":[""],"power":"on","tel":"","status":0})" "\r\n"
                  R"({"name":"表","file":"表,x","ip":"","group":"","furigana":"ひょう","memo":"",)"
                  R"("return":{"wording":" ","date":"","time":""},"absence":[],"power":"off","tel":"","status":0})" "\r\n");
    ExpectListing({"/F", "/T", "/S", "/H", "/Q"}, "\"quotes\",\"03-1234\",\"-5\",\"line1  ,line2 \"q\" x  line3  \"\r\n"
                                                 "\"controls\",\"\",\"31\",\"  \"\r\n\"invalid\",\"\",\"0\",\"  \"\r\n\"" +
                                                     Sjis("表,x") + "\",\"\",\"0\",\"\"\r\n");
}

TEST_F(BadInput, SettingsLineOfAHundredThousandItems) {
    board.Write("yamada.vlt", Lines({Sjis("やまだ"), Sjis("山田")}));
    const std::string commas(100000, ',');
    for (const std::string& line : {"UDPMessage" + commas, "UDPMessage," + Repeat("Port=,", 100000) + "Port=2000",
                                    "UDPMessage," + Repeat("=,", 100000), "UDPMessage," + Repeat("x,=1,", 50000)}) {
        board.Write("velto.ini", line + "\r\n");
        ExpectListing({"/N"}, Sjis("山田\r\n"));
    }
}

TEST_F(BadInput, DatesAndTimesOfAThousandDigits) {
    const std::string digits(1000, '1');
    const std::vector<std::vector<std::string>> persons = {
        {"a", "", "", "", "", digits, ""},
        {"b", "", "", "", "", "2024/05/10", digits},
        {"c", "", "", "", "", "2024/05/" + digits, "10:00"},
        {"d", "", "", "", "", std::string(1000, '0') + "2024/05/10", ""},
        {"e", "", "", "", "", "2024/05/10", "10:" + digits},
        {"f", "", "", "", "", "", "", "", "", digits},
    };
    for (const auto& p : persons) board.Write(p[0] + ".vlt", Lines(p));
    // An unreadable date is shown as written; a date that reads without its time is a past day.
    ExpectListing({"/K", "/R"}, "a," + digits + " \r\n" + Sjis("b,5/10(金) ") + digits + "\r\nc,2024/05/" + digits +
                                    " 10:00\r\nd," + std::string(1000, '0') + "2024/05/10 \r\n" +
                                    Sjis("e,5/10(金) 10:") + digits + "\r\nf, \r\n");
}

TEST_F(BadInput, DirectoryNamedLikeAPersonFileIsSkipped) {
    board.Write("yamada.vlt", Lines({Sjis("やまだ"), Sjis("山田")}));
    board.MakeDir("x.vlt");
    board.MakeDir("velto.ini");
    ExpectListing({"/N"}, Sjis("山田\r\n"));
}

TEST_F(BadInput, PersonFileThatCannotBeReadEndsTheRun) {
    board.Write("yamada.vlt", Lines({Sjis("やまだ"), Sjis("山田")}));
    const test::UnreadableEntry unreadable(board.PathOf("x.vlt"));  // a FIFO, or on Windows a file held for good
    ExpectFailure(2, PersonMessage("x.vlt"));
}

TEST_F(BadInput, SettingsFileThatCannotBeReadEndsTheRun) {
    board.Write("yamada.vlt", Lines({Sjis("やまだ"), Sjis("山田")}));
    const test::UnreadableEntry unreadable(board.PathOf("velto.ini"));
    ExpectFailure(2, SettingsMessage());
}

#ifndef _WIN32
TEST_F(BadInput, LinksThatLeadNowhere) {
    board.Write("yamada.vlt", Lines({Sjis("やまだ"), Sjis("山田")}));
    test::MakeDanglingLink(board.PathOf("x.vlt"));
    ExpectFailure(2, PersonMessage("x.vlt"));
    std::remove(board.PathOf("x.vlt").c_str());

    ASSERT_EQ(symlink("x.vlt", board.PathOf("x.vlt").c_str()), 0);  // a loop
    ExpectFailure(2, PersonMessage("x.vlt"));
    std::remove(board.PathOf("x.vlt").c_str());

    ASSERT_EQ(symlink(board.Path().c_str(), board.PathOf("self.vlt").c_str()), 0);  // a directory: skipped
    ExpectListing({"/N"}, Sjis("山田\r\n"));

    test::MakeDanglingLink(board.PathOf("velto.ini"));
    ExpectFailure(2, SettingsMessage());
}
#endif

}  // namespace
}  // namespace vireziriv
