// The person file: fields in file order, quoted multi-line values, unknown lines and the marker.
#include "board/VeltoPersonUnit.h"

#include "base/Exceptions.h"
#include "platform/Files.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vireziriv {
namespace {

using test::Sjis;

// The nine text fields joined, in the order of the person's properties.
std::string TextFields(const TVeltoPerson& p) {
    std::string joined;
    for (const std::string_view field : {p.Furigana(), p.Name(), p.Group(), p.Tel()}) joined += field;
    joined += p.Huzairiyu();
    for (const std::string_view field : {p.ModoriDate(), p.ModoriTime(), p.Memo(), p.IP()}) joined += field;
    return joined;
}

class PersonFile : public testing::Test {
protected:
    // Writes `utf8` as code page 932 to name.vlt and reads it back.
    TVeltoPerson Read(std::string_view utf8, std::string_view name = "yamada.vlt") {
        return TVeltoPerson(dir.Write(name, Sjis(utf8)));
    }
    test::TempDir dir;
};

TEST_F(PersonFile, ReadsTheTenFieldsInFileOrder) {
    const auto p = Read("やまだ\r\n山田\r\n営業\r\nメモ\r\n外出\r\n2024/05/10\r\n17:00\r\n03-1234\r\n192.168.0.5\r\n2\r\n");
    EXPECT_EQ(p.Furigana(), Sjis("やまだ"));
    EXPECT_EQ(p.Name(), Sjis("山田"));
    EXPECT_EQ(p.Group(), Sjis("営業"));
    EXPECT_EQ(p.Memo(), Sjis("メモ"));
    EXPECT_EQ(p.Huzairiyu(), Sjis("外出\r\n"));
    EXPECT_EQ(p.ModoriDate(), "2024/05/10");
    EXPECT_EQ(p.ModoriTime(), "17:00");
    EXPECT_EQ(p.Tel(), "03-1234");
    EXPECT_EQ(p.IP(), "192.168.0.5");
    EXPECT_EQ(p.StatusIcon(), 2);
    EXPECT_EQ(p.Unknown().Count(), 0);
    EXPECT_EQ(p.FilePath(), dir.PathOf("yamada.vlt"));
    EXPECT_FALSE(p.PowerOFF());
}

TEST_F(PersonFile, QuotedValuesSpanLines) {
    const auto p = Read("やまだ\n\"山田\n太郎\"\n営業\nメモ\n\"外出\n直帰\"\n");
    EXPECT_EQ(p.Name(), Sjis("山田太郎"));
    EXPECT_EQ(p.Group(), Sjis("営業"));
    EXPECT_EQ(p.Memo(), Sjis("メモ"));
    EXPECT_EQ(p.Huzairiyu(), Sjis("外出\r\n直帰\r\n"));
}

TEST_F(PersonFile, QuoteRules) {
    // A lone quote opens a value and adds nothing; quotes inside a value are text.
    auto p = Read("\"\nやま\"だ\"\n山田\n");
    EXPECT_EQ(p.Furigana(), Sjis("やま\"だ"));
    EXPECT_EQ(p.Name(), Sjis("山田"));
    // A line that starts and ends with a quote is simply unquoted; "" is an empty value.
    p = Read("\"やまだ\"\n\"\"\n営業\n");
    EXPECT_EQ(p.Furigana(), Sjis("やまだ"));
    EXPECT_EQ(p.Name(), "");
    EXPECT_EQ(p.Group(), Sjis("営業"));
    // Inside an open value a leading quote is text; a file may end with the value still open.
    p = Read("a\n\"b\n\"c\nd");
    EXPECT_EQ(p.Name(), "b\"cd");
    EXPECT_EQ(p.Group(), "");
}

TEST_F(PersonFile, LinesAfterTheTenthAreKeptVerbatim) {
    const auto p = Read("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\nx\n\"y\"\n\"z\nw\"\n");
    EXPECT_EQ(p.StatusIcon(), 10);
    ASSERT_EQ(p.Unknown().Count(), 4);
    EXPECT_EQ(p.Unknown().Get(0), "x");
    EXPECT_EQ(p.Unknown().Get(1), "\"y\"");
    EXPECT_EQ(p.Unknown().Get(2), "\"z");
    EXPECT_EQ(p.Unknown().Get(3), "w\"");
}

TEST_F(PersonFile, EveryKindOfLineBreakReadsTheSame) {
    // A reason of many lines: each gets a CR LF, which single-byte breaks leave no room for.
    std::vector<std::string> lines = {"k", "n", "g", "m", "\"r0"};
    std::string reason = "r0\r\n";
    for (int i = 1; i < 200; ++i) {
        lines.push_back("r" + std::to_string(i));
        reason += "r" + std::to_string(i) + "\r\n";
    }
    lines.back() += '"';
    for (const char* rest : {"d", "t", "tel", "ip", "5", "x", "\"y\"", "", "z"}) lines.push_back(rest);
    for (const std::string lineBreak : {"\r\n", "\n", "\r"}) {
        for (const bool lastBreak : {true, false}) {
            std::string bytes;
            for (const auto& line : lines) bytes += line + lineBreak;
            if (!lastBreak) bytes.resize(bytes.size() - lineBreak.size());
            const auto p = Read(bytes);
            SCOPED_TRACE(testing::PrintToString(lineBreak) + (lastBreak ? " after every line" : " between lines"));
            EXPECT_EQ(TextFields(p), "kngtel" + reason + "dtmip");
            EXPECT_EQ(p.StatusIcon(), 5);
            EXPECT_EQ(p.Unknown().Text(), "x\r\n\"y\"\r\n\r\nz\r\n");
        }
    }
}

TEST_F(PersonFile, StatusIconTakesTheIntegerOrZero) {
    const struct {
        const char* line;
        int icon;
    } cases[] = {{"abc", 0}, {" 7", 7}, {"7 ", 0}, {"$A", 10}, {"-3", -3}, {"", 0}, {"4294967296", 0}};
    for (const auto& c : cases) {
        const auto p = Read(std::string("a\nb\nc\nd\ne\nf\ng\nh\ni\n") + c.line + "\n");
        EXPECT_EQ(p.StatusIcon(), c.icon) << "line: '" << c.line << "'";
    }
}

TEST_F(PersonFile, LineBreaksAndNul) {
    auto p = TVeltoPerson(dir.Write("a.vlt", "k\rn\ng\r\nm"));
    EXPECT_EQ(p.Furigana(), "k");
    EXPECT_EQ(p.Name(), "n");
    EXPECT_EQ(p.Group(), "g");
    EXPECT_EQ(p.Memo(), "m");
    p = TVeltoPerson(dir.Write("b.vlt", std::string("k\nna\0me\ng\n", 10)));
    EXPECT_EQ(p.Name(), "na");
    EXPECT_EQ(p.Group(), "") << "a NUL byte ends the text";
}

TEST_F(PersonFile, EmptyFileGivesAClearedPerson) {
    dir.Write("empty.off", "");
    const auto p = Read("", "empty.vlt");
    EXPECT_EQ(p.FilePath(), dir.PathOf("empty.vlt"));
    EXPECT_TRUE(p.PowerOFF());
    EXPECT_EQ(TextFields(p), "");
    EXPECT_EQ(p.StatusIcon(), 0);
}

TEST_F(PersonFile, PowerOffMarker) {
    dir.Write("off.off", "");
    dir.MakeDir("dir.off");
    EXPECT_TRUE(Read("a", "off.vlt").PowerOFF());
    EXPECT_FALSE(Read("a", "dir.vlt").PowerOFF()) << "a directory is no marker";
    EXPECT_FALSE(Read("a", "on.vlt").PowerOFF());
}

TEST_F(PersonFile, TrailByteEqualToABackslashIsNoDelimiter) {
    // ソ ends in 0x5C: the file name must not be cut inside it.
    const TVeltoPerson p(dir.Write(Sjis("ソ.vlt"), "a"));
    EXPECT_EQ(p.FileName(), Sjis("ソ"));
}

TEST(PersonFileName, DropsDirectoryAndLastExtension) {
    const char d = platform::kPathDelimiter;
    const struct {
        std::string path;
        std::string name;
    } cases[] = {
        {std::string("share") + d + "yamada.vlt", "yamada"},
        {std::string("share") + d + "a.b.vlt", "a.b"},
        {std::string("sh.are") + d + "noext", "noext"},
        {"plain.vlt", "plain"},
        {"", ""},
    };
    for (const auto& c : cases) {
        TVeltoPerson p;
        p.SetFilePath(c.path);
        EXPECT_EQ(p.FileName(), c.name) << c.path;
    }
}

TEST(ChangeFileExt, ReplacesOrAppends) {
    const char d = platform::kPathDelimiter;
    EXPECT_EQ(ChangeFileExt("a.vlt", ".off"), "a.off");
    EXPECT_EQ(ChangeFileExt(std::string("x.y") + d + "a", ".off"), std::string("x.y") + d + "a.off");
    EXPECT_EQ(ChangeFileExt("a.b.vlt", ""), "a.b");
}

TEST_F(PersonFile, UnreadableFileRaisesBeforeThePersonIsTouched) {
    auto p = Read("やまだ");
    EXPECT_THROW(p.LoadFromFile(dir.PathOf("missing.vlt")), EFileError);
    EXPECT_EQ(p.Furigana(), Sjis("やまだ"));
    dir.MakeDir("d.vlt");
    EXPECT_THROW(p.LoadFromFile(dir.PathOf("d.vlt")), EFileError);
}

#ifndef _WIN32
TEST_F(PersonFile, FifoIsUnreadableAndNeverBlocks) {
    const std::string path = dir.PathOf("fifo.vlt");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    TVeltoPerson p;
    EXPECT_THROW(p.LoadFromFile(path), EFileError);
}
#endif

TEST(PersonAssign, CopiesEveryFieldAndRefusesOtherSources) {
    TVeltoPerson source;
    source.SetFilePath("p.vlt");
    source.SetPowerOFF(false);
    source.SetFurigana("f");
    source.SetName("n");
    source.SetGroup("g");
    source.SetTel("t");
    source.SetHuzairiyu("h\r\n");
    source.SetModoriDate("d");
    source.SetModoriTime("m");
    source.SetMemo("b");
    source.SetIP("i");
    source.SetStatusIcon(3);
    TKeyedTextList unknown;
    unknown.Add("u1");
    unknown.Add("u2\rsplit");
    source.SetUnknown(unknown);
    TVeltoPerson copy;
    copy.Assign(source);
    EXPECT_EQ(copy.FilePath(), "p.vlt");
    EXPECT_FALSE(copy.PowerOFF());
    EXPECT_EQ(TextFields(copy), "fngth\r\ndmbi");
    EXPECT_EQ(copy.StatusIcon(), 3);
    ASSERT_EQ(copy.Unknown().Count(), 3) << "the unknown lines are split again from their text";
    EXPECT_EQ(copy.Unknown().Get(2), "split");

    struct Other : TPersistent {};
    EXPECT_THROW(copy.Assign(Other{}), EConvertError);
}

TEST(PersonByHand, EachFieldReadsAsLastSet) {
    TVeltoPerson p;
    p.SetIP("192.168.0.5");
    p.SetFurigana(Sjis("やまだ"));
    p.SetMemo("memo");
    p.SetName("n");
    p.SetHuzairiyu("a\r\nb\rc\r\n");
    p.SetName(Sjis("山田太郎"));  // longer than before: the fields after it move
    p.SetMemo("");                 // shorter
    p.SetGroup(p.Furigana());      // a view into the person itself
    p.SetTel("03");
    p.SetModoriDate("2024/05/10");
    p.SetModoriTime("17:00");
    EXPECT_EQ(p.Furigana(), Sjis("やまだ"));
    EXPECT_EQ(p.Name(), Sjis("山田太郎"));
    EXPECT_EQ(p.Group(), Sjis("やまだ"));
    EXPECT_EQ(p.Memo(), "");
    EXPECT_EQ(p.Huzairiyu(), "a\r\nb\rc\r\n") << "a lone CR is text of its line";
    EXPECT_EQ(p.ModoriDate(), "2024/05/10");
    EXPECT_EQ(p.ModoriTime(), "17:00");
    EXPECT_EQ(p.Tel(), "03");
    EXPECT_EQ(p.IP(), "192.168.0.5");
    EXPECT_EQ(p.Unknown().Count(), 0);
    EXPECT_THROW(p.SetHuzairiyu("a\nb\r\n"), std::invalid_argument) << "a lone LF ends no line of the reason";
    EXPECT_EQ(p.Huzairiyu(), "a\r\nb\rc\r\n");
    p.Clear();
    EXPECT_EQ(TextFields(p), "");
    EXPECT_EQ(p.FilePath(), "");
    EXPECT_TRUE(p.PowerOFF());
}

TEST(PersonByHand, PathsCompareAsTheirText) {
    const std::string d(1, platform::kPathDelimiter);
    // a/b/x.vlt comes before a/x.vlt, though its directory a/b/ comes after a/.
    const std::string paths[] = {"", "x.vlt", "a" + d + "x.vlt", "a" + d + "y.vlt", "a" + d + "b" + d + "x.vlt",
                                 "ab" + d + "x.vlt", "b" + d + "a.vlt"};
    for (const auto& a : paths) {
        TVeltoPerson p;
        p.SetFilePath(a);
        EXPECT_EQ(p.FilePath(), a);
        for (const auto& b : paths) {
            TVeltoPerson q;
            q.SetFilePath(b);
            const int got = p.ComparePath(q);
            const int want = a.compare(b);
            EXPECT_EQ((got > 0) - (got < 0), (want > 0) - (want < 0)) << a << " vs " << b;
        }
    }
}

TEST_F(PersonFile, TakenFromAFileReadAlreadyWithTheMarkerFromTheCaller) {
    const auto directory = std::make_shared<const std::string>(dir.Path());
    for (const bool powerOff : {true, false}) {
        TVeltoPerson p;
        p.LoadFromText(directory, "on.vlt" + Sjis("やまだ\r\n山田\r\n"), 6, powerOff);
        EXPECT_EQ(p.PowerOFF(), powerOff);
        EXPECT_EQ(p.Furigana(), Sjis("やまだ"));
        EXPECT_EQ(p.Name(), Sjis("山田"));
        EXPECT_EQ(p.FilePath(), dir.PathOf("on.vlt"));
    }
}

}  // namespace
}  // namespace vireziriv
