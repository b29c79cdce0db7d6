// The .off answer from a directory listing: what it decides, and where it leaves the look-up to the
// file system because a case-blind one might find an entry of another spelling.
#include "platform/ListedMarkers.h"

#include "support/Sjis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vireziriv::platform {
namespace {

using test::Sjis;
constexpr auto kFile = EntryKind::File;
constexpr auto kDirectory = EntryKind::Directory;
constexpr auto kUnsure = EntryKind::Unsure;
constexpr auto kExists = MarkerAnswer::Exists;
constexpr auto kMissing = MarkerAnswer::Missing;
constexpr auto kAsk = MarkerAnswer::Ask;

MarkerAnswer AnswerFor(const std::string& person, const std::vector<std::string>& others,
                       const std::vector<ListedEntry>& entries) {
    NameList persons;
    persons.Add(person);
    for (const std::string& other : others) persons.Add(other);
    return ListedMarkers(entries, persons).Answer(person);
}

std::string Utf8(const char8_t* text) { return std::string(reinterpret_cast<const char*>(text)); }

TEST(ListedMarkers, DecidesFromTheListingOrAsks) {
    const struct {
        const char* what;
        std::string person;
        std::vector<std::string> others;  // further person files of the directory
        std::vector<ListedEntry> entries;
        MarkerAnswer answer;
    } cases[] = {
        {"present", "a.vlt", {}, {{"a.off", "", kFile}}, kExists},
        {"nothing listed", "a.vlt", {}, {}, kMissing},
        {"only other persons' markers", "a.vlt", {"b.vlt", "A.vlt"}, {{"b.off", "", kFile}, {"A.off", "", kFile}},
         kMissing},
        {"a directory named a.off", "a.vlt", {}, {{"a.off", "", kDirectory}}, kMissing},
        {"a link named a.off", "a.vlt", {}, {{"a.off", "", kUnsure}}, kAsk},
        {"last extension replaced", "a.b.vlt", {}, {{"a.b.off", "", kFile}}, kExists},
        {"the person's own extension in another case", "a.VLT", {}, {{"a.off", "", kFile}}, kExists},
        {"orphan of another name", "a.vlt", {}, {{"zz.off", "", kFile}, {"a.offx", "", kFile}}, kMissing},
        {"orphan in another case", "a.vlt", {}, {{"A.OFF", "", kFile}}, kAsk},
        {"orphan directory in another case", "a.vlt", {}, {{"A.off", "", kDirectory}}, kMissing},
        {"orphan link in another case", "a.vlt", {}, {{"A.off", "", kUnsure}}, kAsk},
        {"exact name wins over another case", "a.vlt", {}, {{"a.off", "", kDirectory}, {"A.OFF", "", kFile}}, kMissing},
        // Non-ASCII characters may fold or normalise into anything, ASCII letters among it.
        {"full-width letters", Sjis("Ａ.vlt"), {}, {{Sjis("ａ.off"), "", kFile}}, kAsk},
        {"full-width against ASCII", "b.vlt", {}, {{Sjis("ｂ.off"), "", kFile}}, kAsk},
        {"non-ASCII orphan of other digits", "x1.vlt", {}, {{Sjis("名2.off"), "", kFile}}, kMissing},
        {"Kelvin sign", "kato.vlt", {}, {{Utf8(u8"\u212Aato.off"), "", kFile}}, kAsk},
        {"Kelvin sign in the person", Utf8(u8"\u212Aato.vlt"), {}, {{"KATO.off", "", kFile}}, kAsk},
        {"dotted capital I", Utf8(u8"\u0130stanbul.vlt"), {}, {{"istanbul.off", "", kFile}}, kAsk},
        {"dotless i", Utf8(u8"k\u0131z.vlt"), {}, {{"KIZ.off", "", kFile}}, kAsk},
        {"sharp s folded to ss", Utf8(u8"stra\u00dfe.vlt"), {}, {{"STRASSE.off", "", kFile}}, kAsk},
        {"precomposed and decomposed", Utf8(u8"caf\u00e9.vlt"), {}, {{Utf8(u8"cafe\u0301.off"), "", kFile}}, kAsk},
        {"a marker extension in full-width", "a.vlt", {}, {{Sjis("a.ｏｆｆ"), "", kFile}}, kAsk},
        {"non-ASCII orphan claimed by its person", Sjis("山田.vlt"), {Sjis("田中.vlt")}, {{Sjis("田中.off"), "", kFile}},
         kMissing},
        // 8.3 aliases: listed on Windows, not always elsewhere.
        {"an alias that is the marker's name", "x.vlt", {}, {{"whatever.txt", "X.OFF", kFile}}, kAsk},
        {"an alias of a claimed marker", "b.vlt", {"a.vlt"}, {{"a.off", "B.OFF", kFile}}, kAsk},
        {"a name that may be an unlisted alias", "LONGNA~1.vlt", {}, {}, kAsk},
        {"a listed name with '~'", "a~1.vlt", {}, {{"a~1.off", "", kFile}}, kExists},
        {"a person matched through its alias", "E.vltx", {"e.vlt"}, {{"e.off", "", kFile}}, kAsk},
        {"the other person of that pair", "e.vlt", {"E.vltx"}, {{"e.off", "", kFile}}, kExists},
        {"a name whose last dot is a trail byte's", "x\x83.vlt", {"y.vlt"}, {{"y.off", "", kFile}}, kAsk},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AnswerFor(c.person, c.others, c.entries), c.answer) << c.what;
    }
}

TEST(ListedMarkers, ManyOrphansAreComparedOnlyWhereCheap) {
    std::vector<ListedEntry> plain, wild;
    for (int i = 0; i < 200; ++i) {
        plain.push_back({"orphan" + std::to_string(i) + ".off", "", kFile});
        wild.push_back({Sjis("名") + std::to_string(i) + ".off", "", kFile});
    }
    // Plain names are looked up, however many there are.
    EXPECT_EQ(AnswerFor("person.vlt", {}, plain), kMissing);
    EXPECT_EQ(AnswerFor("ORPHAN7.vlt", {}, plain), kAsk);
    // Too many with wildcards to compare: asked.
    EXPECT_EQ(AnswerFor("person.vlt", {}, wild), kAsk);
    EXPECT_EQ(AnswerFor(Sjis("人.vlt"), {}, plain), kAsk);
}

TEST(ListedMarkers, WhatMayBeAMarker) {
    const struct {
        std::string name;
        bool may;
    } cases[] = {
        {"a.off", true},        {"A.OFF", true},       {".off", true},          {Sjis("名前.off"), true},
        {Sjis("名前.ｏｆｆ"), true}, {Sjis("名前"), true}, {"a.offx", false},        {"a.vlt", false},
        {"velto.ini", false},   {"off", false},        {"a.of", false},         {".", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ListedMarkers::MayBeMarker(c.name), c.may) << c.name;
    }
}

TEST(ListedMarkers, MarkerNameReplacesTheLastExtension) {
    EXPECT_EQ(ListedMarkers::MarkerName("a.vlt"), "a.off");
    EXPECT_EQ(ListedMarkers::MarkerName("a.b.vlt"), "a.b.off");
    EXPECT_EQ(ListedMarkers::MarkerName("noext"), "noext.off");
    EXPECT_EQ(ListedMarkers::MarkerName(Sjis("表.vlt")), Sjis("表.off"));
    EXPECT_EQ(ListedMarkers::MarkerName("x\x83.vlt"), "x\x83.vlt.off") << "a trail byte is no dot";
}

}  // namespace
}  // namespace vireziriv::platform
