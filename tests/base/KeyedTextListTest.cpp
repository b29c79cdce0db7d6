// The keyed text list: names and values, line splitting, delimited text, sorting and loading.
#include "base/KeyedTextList.h"

#include "base/Exceptions.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace vireziriv {
namespace {

using test::Sjis;

std::vector<std::string> Entries(const TKeyedTextList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Get(i));
    return out;
}

TKeyedTextList ListOf(std::initializer_list<const char*> entries, char separator = '=') {
    TKeyedTextList list;
    list.SetNameValueSeparator(separator);
    for (const char* e : entries) list.Add(e);
    return list;
}

using Lines = std::vector<std::string>;

TEST(KeyedTextList, TextSplitsAtCrLfCrAndLf) {
    const struct {
        std::string text;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"\n\n", {"", ""}},
        {std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},
        {std::string("\0a", 2), {}},
    };
    for (const auto& c : cases) {
        TKeyedTextList list;
        list.Add("stale");
        list.SetText(c.text);
        EXPECT_EQ(Entries(list), c.lines) << "text: " << testing::PrintToString(c.text);
        Lines walked;
        std::string_view line;
        for (TextLines lines(c.text); lines.Next(line);) walked.emplace_back(line);
        EXPECT_EQ(walked, c.lines) << "walked: " << testing::PrintToString(c.text);
    }
}

TEST(TextLines, RestIsWhatFollowsTheLinesHandedOut) {
    TextLines lines(std::string_view("a\r\nb\r\r\nc\0d", 11));
    EXPECT_EQ(lines.Rest(), "a\r\nb\r\r\nc") << "the NUL ends the text";
    std::string_view line;
    const char* const rests[] = {"b\r\r\nc", "\r\nc", "c", ""};
    for (const char* rest : rests) {
        ASSERT_TRUE(lines.Next(line));
        EXPECT_EQ(lines.Rest(), rest) << "after " << testing::PrintToString(line);
    }
    EXPECT_FALSE(lines.Next(line));
}

TEST(KeyedTextList, TextJoinsEveryEntryWithCrLf) {
    EXPECT_EQ(ListOf({"a", "", "b"}).Text(), "a\r\n\r\nb\r\n");
    EXPECT_EQ(ListOf({}).Text(), "");
}

TEST(KeyedTextList, DelimitedTextCutsTokens) {
    const struct {
        std::string text;
        Lines tokens;
    } cases[] = {
        {"UDPMessage,Port=\"2000\"", {"UDPMessage", "Port=\"2000\""}},
        {"\"a\"\"b\"", {"a\"b"}},
        {"a b", {"a", "b"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {"  a ,  b  ", {"a", "b"}},
        {"\"a, b\",c", {"a, b", "c"}},
        {"\"open", {"open"}},
        {"\"\"", {""}},
        {",", {"", ""}},
        {"", {}},
        {"   ", {}},
        {"a\tb\x01" "c", {"a", "b", "c"}},
        {std::string("a,b\0,c", 6), {"a", "b"}},
        {"\"a\"b", {"a", "b"}},
    };
    for (const auto& c : cases) {
        TKeyedTextList list;
        list.SetDelimitedText(c.text);
        EXPECT_EQ(Entries(list), c.tokens) << "text: " << testing::PrintToString(c.text);
    }
}

TEST(KeyedTextList, DelimitedTextReadsBackWhatItWrites) {
    // A lead byte followed by a quote is one character: that quote is not doubled, the next one is.
    const auto list = ListOf({"plain", "with space", "say \"hi\"", "", "a,b", "\x82\xa0", "\x83\"\"\xa6\\"});
    TKeyedTextList back;
    back.SetDelimitedText(list.DelimitedText());
    EXPECT_EQ(Entries(back), Entries(list));
}

TEST(KeyedTextList, NamesAndValues) {
    const auto args = ListOf({"/D:C:\\share", "/Q", ":x"}, ':');
    EXPECT_EQ(args.Names(0), "/D");
    EXPECT_EQ(args.ValueFromIndex(0), "C:\\share");
    EXPECT_EQ(args.Values("/D"), "C:\\share");
    EXPECT_EQ(args.Values("/d"), "C:\\share") << "names ignore case by default";
    EXPECT_EQ(args.Names(1), "");
    EXPECT_EQ(args.ValueFromIndex(1), "Q") << "the value starts one byte past the empty name, as a separator would";
    EXPECT_EQ(args.Names(2), "");
    EXPECT_EQ(args.ValueFromIndex(-1), "");

    const auto list = ListOf({"x", "a=1", "b="});
    EXPECT_EQ(list.Values("x"), "");
    EXPECT_EQ(list.IndexOfName("x"), -1);
    EXPECT_EQ(list.IndexOf("x"), 0);
    EXPECT_EQ(list.IndexOf("A=1"), 1);
    EXPECT_EQ(list.IndexOfName("b"), 2);
    EXPECT_EQ(list.Values("b"), "");
    EXPECT_EQ(list.Values("missing"), "");
}

TEST(KeyedTextList, CaseSensitiveLookups) {
    auto list = ListOf({"Port=1"});
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOfName("port"), -1);
    EXPECT_EQ(list.IndexOfName("Port"), 0);
    EXPECT_EQ(list.IndexOf("PORT=1"), -1);
}

TEST(KeyedTextList, SeparatorSearchStepsOverDoubleByteCharacters) {
    // 表 is 0x95 0x5C and ソ is 0x83 0x5C: their trail byte is the backslash.
    TKeyedTextList list;
    list.SetNameValueSeparator('\\');
    list.Add(Sjis("表示\\値"));
    list.Add(Sjis("ソ"));
    EXPECT_EQ(list.Names(0), Sjis("表示"));
    EXPECT_EQ(list.Values(Sjis("表示")), Sjis("値"));
    EXPECT_EQ(list.Names(1), "");
    EXPECT_EQ(list.IndexOfName("\x83"), -1);
}

TEST(KeyedTextList, WritingValues) {
    auto list = ListOf({"a=1", "c=3"});
    list.SetValues("a", "");
    EXPECT_EQ(Entries(list), (Lines{"c=3"}));
    list.SetValues("b", "1");
    EXPECT_EQ(Entries(list), (Lines{"c=3", "b=1"}));
    list.SetValues("C", "4");
    EXPECT_EQ(Entries(list), (Lines{"C=4", "b=1"})) << "the written form of the name replaces the stored one";
    list.SetValues("missing", "");
    EXPECT_EQ(list.Count(), 2);
}

TEST(KeyedTextList, IndexesOutsideTheListRaise) {
    auto list = ListOf({"a"});
    EXPECT_THROW(list.Get(1), EListError);
    EXPECT_THROW(list.Get(-1), EListError);
    EXPECT_THROW(list.Put(1, "x"), EListError);
    EXPECT_THROW(list.Delete(5), EListError);
    EXPECT_THROW(list.Names(1), EListError);
    list.Put(0, "b");
    list.Delete(0);
    EXPECT_EQ(list.Count(), 0);
}

TEST(KeyedTextList, SortUsesTheComparison) {
    auto list = ListOf({"b", "C", "a", "B"});
    list.Sort();
    EXPECT_EQ(list.Get(0), "a");
    EXPECT_EQ(list.Compare(list.Get(1), "b"), 0);
    EXPECT_EQ(list.Compare(list.Get(2), "b"), 0);
    EXPECT_EQ(list.Get(3), "C");
}

TEST(KeyedTextList, LoadFromFileReadsBytesUnchanged) {
    test::TempDir dir;
    const std::string bytes = Sjis("やまだ\r\n山田\n") + "\xfc\xfc";
    const std::string path = dir.Write("a.txt", bytes);
    TKeyedTextList list;
    list.LoadFromFile(path);
    EXPECT_EQ(Entries(list), (Lines{Sjis("やまだ"), Sjis("山田"), "\xfc\xfc"}));
    EXPECT_THROW(list.LoadFromFile(dir.PathOf("missing.txt")), EFileError);
}

TEST(Trim, RemovesControlBytesAndBlanks) {
    EXPECT_EQ(Trim(std::string_view(" \t\0x y\r\n", 8)), "x y");
    EXPECT_EQ(Trim("   "), "");
}

}  // namespace
}  // namespace vireziriv
