// The person list: which files a directory load reads, the furigana order, the tally it keeps,
// and the message for a person file that cannot be read.
#include "board/VeltoPersonUnit.h"

#include "base/Exceptions.h"
#include "base/Texts.h"
#include "board/VeltoEnvUnit.h"
#include "platform/Files.h"
#include "support/Sjis.h"
#include "support/TempDir.h"
#include "UnreadableEntry.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <tuple>
#include <vector>

namespace vireziriv {
namespace {

using test::Sjis;
using Names = std::vector<std::string>;

// A person file of code page 932 bytes whose first lines are the furigana, a name and the group.
std::string PersonText(std::string_view furigana, std::string_view group = "") {
    return std::string(furigana) + "\r\nname\r\n" + std::string(group) + "\r\n";
}

Names FileNames(const TVeltoPersonsList& list) {
    Names out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Items(i).FileName());
    return out;
}

std::unique_ptr<TVeltoPerson> PersonOf(std::string_view group) {
    auto person = std::make_unique<TVeltoPerson>();
    person->SetGroup(group);
    return person;
}

TEST(CompareFurigana, FoldsOnlySingleByteLettersAndPutsPrefixesFirst) {
    const struct {
        std::string a, b;
        int sign;
    } cases[] = {
        {"abe", "ABE", 0},
        {"a", "B", -1},
        {"a", "[", -1},  // folded: 'A' (0x41) before '[' (0x5B), though 'a' is 0x61
        {"_", "z", 1},
        {"ab", "ABC", -1},
        {"", "a", -1},
        {"Abe", Sjis("あべ"), -1},
        {Sjis("ヂ"), Sjis("イ"), 1},  // trail bytes 0x61 and 0x43 compared unfolded
        {Sjis("ヂ"), Sjis("ア"), 1},  // 0x61 against 0x41: not the same letter
        {Sjis("アa"), Sjis("アA"), 0},  // a letter after a double-byte character folds again
        {Sjis("ｱa"), Sjis("ｱB"), -1},   // half-width kana are single bytes
        {"\x83", Sjis("ア"), -1},        // a lone lead byte at the end is a prefix
    };
    for (const auto& c : cases) {
        const int got = CompareFurigana(c.a, c.b);
        EXPECT_EQ((got > 0) - (got < 0), c.sign) << testing::PrintToString(c.a) << " vs " << testing::PrintToString(c.b);
        const int back = CompareFurigana(c.b, c.a);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign) << testing::PrintToString(c.b) << " vs " << testing::PrintToString(c.a);
    }
}

class PersonsDir : public testing::Test {
protected:
    void Person(std::string_view file, std::string_view furigana, std::string_view group = "") {
        dir.Write(file, PersonText(furigana, group));
    }
    test::TempDir dir;
    TVeltoPersonsList list;
};

TEST_F(PersonsDir, SortsAsciiBeforeKanaWithEqualFuriganaInFileNameOrder) {
    Person("a.vlt", Sjis("あべ"));
    Person("i.vlt", Sjis("いとう"));
    Person("u.vlt", "Abe");
    Person("e.vlt", "abe");
    EXPECT_EQ(list.LoadFromDir(dir.Path()), 4);
    EXPECT_EQ(FileNames(list), Names({"e", "u", "a", "i"}));
}

TEST_F(PersonsDir, SortsKatakanaByTrailByteAndPrefixesFirst) {
    Person("di.vlt", Sjis("ヂ"));
    Person("i.vlt", Sjis("イ"));
    Person("a.vlt", Sjis("ア"));
    Person("p1.vlt", "ab");
    Person("p2.vlt", "ABC");
    Person("p3.vlt", "");
    list.LoadFromDir(dir.Path());
    EXPECT_EQ(FileNames(list), Names({"p3", "p1", "p2", "a", "i", "di"}));
}

TEST_F(PersonsDir, ReadsEveryFileEndingInVltAndNothingElse) {
    Person("X.VLT", "1");
    Person("b.Vlt", "2");
    Person(".hidden.vlt", "3");
    Person("c.vlt", "4");
#ifndef _WIN32
    Person("a.vltx", "0");  // Windows' wildcard takes it through its short name A~1.VLT
#endif
    Person("a.vlt.bak", "0");
    Person("vlt", "0");
    Person("note.txt", "0");
    dir.MakeDir("dir.vlt");
    EXPECT_EQ(list.LoadFromDir(dir.Path()), 4);
    EXPECT_EQ(FileNames(list), Names({"X", "b", ".hidden", "c"}));
    EXPECT_EQ(list.Items(0).FilePath(), dir.PathOf("X.VLT"));
}

TEST_F(PersonsDir, EmptyDirectoryGivesAnEmptyList) {
    EXPECT_EQ(list.LoadFromDir(dir.Path()), 0);
    Person("a.txt", "a");
    EXPECT_EQ(list.LoadFromDir(dir.Path()), 0);
    EXPECT_EQ(list.Groups().Count(), 0);
}

// A directory that is not there is not an empty board: its message, as a missing one before the listing.
TEST_F(PersonsDir, MissingDirectoryIsNoBoard) {
    try {
        list.LoadFromDir(dir.PathOf("missing") + platform::kPathDelimiter);
        ADD_FAILURE() << "listed a missing directory";
    } catch (const EVeltoCommandArgsException& e) {
        EXPECT_EQ(e.Message(), text::kShareDirNotFound);
    }
}

TEST_F(PersonsDir, TalliesGroupsIncludingNamesWithEqualsSigns) {
    Person("1.vlt", "a", Sjis("営業"));
    Person("2.vlt", "b", Sjis("総務"));
    Person("3.vlt", "c", Sjis("営業"));
    Person("4.vlt", "d", Sjis("営業"));
    Person("5.vlt", "e", "R=D");
    Person("6.vlt", "f", "r=d");
    EXPECT_EQ(list.LoadFromDir(dir.Path()), 6);
    EXPECT_EQ(list.Groups().Count(), 3);
    EXPECT_EQ(list.Groups().Values(Sjis("営業")), "3");
    EXPECT_EQ(list.Groups().Values(Sjis("総務")), "1");
    EXPECT_EQ(list.Groups().Values("R=D"), "2");
    EXPECT_EQ(list.Items(4).Group(), "R=D");
}

TEST_F(PersonsDir, ReloadingReplacesPersonsAndTally) {
    Person("1.vlt", "a", "g");
    Person("2.vlt", "b", "g");
    list.LoadFromDir(dir.Path());
    Person("3.vlt", "c", "h");
    EXPECT_EQ(list.LoadFromDir(dir.Path()), 3);
    EXPECT_EQ(FileNames(list), Names({"1", "2", "3"}));
    EXPECT_EQ(list.Groups().Text(), "g=2\r\nh=1\r\n");
}

void ExpectUnreadablePerson(TVeltoPersonsList& list, const test::TempDir& dir, const std::string& name) {
    ASSERT_TRUE(platform::FileExists(dir.PathOf(name)));
    try {
        list.LoadFromDir(dir.Path());
        ADD_FAILURE() << "read an unreadable person file";
    } catch (const EVeltoCommandFileException& e) {
        EXPECT_EQ(e.Message(),
                  std::string(text::kPersonFileBefore) + dir.Path() + name + std::string(text::kPersonFileAfter));
    }
}

TEST_F(PersonsDir, UnreadablePersonFileEndsTheLoadWithItsMessage) {
    Person("good.vlt", "a");
    const test::UnreadableEntry bad(dir.PathOf("bad.vlt"));
    ExpectUnreadablePerson(list, dir, "bad.vlt");
}

#ifndef _WIN32
TEST_F(PersonsDir, DanglingLinkIsAnUnreadablePersonFile) {
    test::MakeDanglingLink(dir.PathOf("gone.vlt"));
    ExpectUnreadablePerson(list, dir, "gone.vlt");
}
#endif

TEST_F(PersonsDir, FindByFileNameIsExact) {
    Person("Yamada.vlt", "y");
    Person("sato.vlt", "s");
    list.LoadFromDir(dir.Path());
    const TVeltoPerson* found = list.FindByFileName("Yamada");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->FilePath(), dir.PathOf("Yamada.vlt"));
    EXPECT_EQ(list.FindByFileName("yamada"), nullptr);
    EXPECT_EQ(list.FindByFileName("Yamada.vlt"), nullptr);
    EXPECT_EQ(list.FindByFileName("Yamad"), nullptr);
}

TEST_F(PersonsDir, LoadTakesTheEnvironmentsDirectoryAndNotesTheTime) {
    Person("a.vlt", "a");
    const TVeltoEnv env(dir.Path());
    EXPECT_EQ(TVeltoPersonsList(env).Count(), 1);

    auto tied = [](const platform::LocalTime& t) {
        return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond);
    };
    const platform::LocalTime before = platform::LocalNow();
    EXPECT_EQ(list.Load(env), 1);
    const platform::LocalTime after = platform::LocalNow();
    EXPECT_LE(tied(before), tied(list.LoadingTime()));
    EXPECT_LE(tied(list.LoadingTime()), tied(after));
}

TEST(PersonsList, AddingAndDeletingKeepsTheTally) {
    TVeltoPersonsList list;
    EXPECT_EQ(list.Groups().Count(), 0);
    auto person = PersonOf("g");
    const TVeltoPerson* added = person.get();
    EXPECT_EQ(&list.Add(std::move(person)), added);
    list.Add(PersonOf("G"));
    list.Add(PersonOf("h"));
    EXPECT_EQ(list.Groups().Text(), "G=2\r\nh=1\r\n");
    list.Delete(0);
    EXPECT_EQ(list.Groups().Text(), "G=1\r\nh=1\r\n");
    EXPECT_EQ(list.Count(), 2);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Groups().Count(), 0);
}

TEST(PersonsList, IndexOutOfRangeRaisesListError) {
    TVeltoPersonsList list;
    list.Add(PersonOf("g"));
    EXPECT_NO_THROW(list.Items(0));
    EXPECT_THROW(list.Items(1), EListError);
    EXPECT_THROW(list.Items(-1), EListError);
    EXPECT_THROW(list.Delete(1), EListError);
}

}  // namespace
}  // namespace vireziriv
