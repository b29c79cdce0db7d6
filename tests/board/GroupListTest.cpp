// The group tally: one "<group>=<count>" entry per group, case merged, in the locale's order.
#include "board/VeltoPersonUnit.h"

#include "base/Exceptions.h"
#include "platform/Locale.h"
#include "support/Sjis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace vireziriv {
namespace {

using test::Sjis;
using Entries = std::vector<std::string>;

Entries EntriesOf(const TGroupList& groups) {
    Entries out;
    for (int i = 0; i < groups.Count(); ++i) out.push_back(groups.Get(i));
    return out;
}

TGroupList TallyOf(std::initializer_list<std::string> names) {
    TGroupList groups;
    for (const auto& name : names) groups.Add(name);
    return groups;
}

TEST(GroupList, CountsPersonsPerGroupInLocaleOrder) {
    const auto groups = TallyOf({Sjis("営業"), Sjis("総務"), Sjis("営業"), Sjis("営業")});
    const Entries entries = EntriesOf(groups);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_LT(platform::CompareText(entries[0], entries[1]), 0);
    Entries sorted = entries;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, Entries({Sjis("営業=3"), Sjis("総務=1")}));
    EXPECT_EQ(groups.Values(Sjis("営業")), "3");
    EXPECT_EQ(groups.Values(Sjis("総務")), "1");
    EXPECT_EQ(groups.Values(Sjis("経理")), "");
}

TEST(GroupList, OrderIgnoresCaseAndCountsAreDecimal) {
    TGroupList groups;
    for (int i = 0; i < 12; ++i) groups.Add("C");
    groups.Add("B");
    groups.Add("a");
    EXPECT_EQ(EntriesOf(groups), Entries({"a=1", "B=1", "C=12"}));
    EXPECT_EQ(groups.Text(), "a=1\r\nB=1\r\nC=12\r\n");
}

TEST(GroupList, AddReturnsTheNumberOfEntries) {
    TGroupList groups;
    EXPECT_EQ(groups.Add("x"), 1);
    EXPECT_EQ(groups.Add("y"), 2);
    EXPECT_EQ(groups.Add("x"), 2);
    EXPECT_EQ(groups.Add("a"), 3);
}

TEST(GroupList, CaseVariantsShareOneEntryInTheLatestForm) {
    const auto groups = TallyOf({"Sales", "SALES", "x", "sales"});
    EXPECT_EQ(EntriesOf(groups), Entries({"sales=3", "x=1"}));
    EXPECT_EQ(groups.Values("SaLeS"), "3");
}

TEST(GroupList, NamesWithEqualsSignsAreCounted) {
    const auto groups = TallyOf({"a=b", "a", "a=b", "=", ""});
    EXPECT_EQ(groups.Count(), 4);
    EXPECT_EQ(groups.Values("a=b"), "2");
    EXPECT_EQ(groups.Values("a"), "1");
    EXPECT_EQ(groups.Values("="), "1");
    EXPECT_EQ(groups.Values(""), "1");
    const Entries entries = EntriesOf(groups);
    for (const char* entry : {"a=b=2", "a=1", "==1", "=1"}) {
        EXPECT_NE(std::find(entries.begin(), entries.end(), entry), entries.end()) << entry;
    }
}

TEST(GroupList, RemoveCountsDownThenDeletesExactlyThatGroup) {
    auto groups = TallyOf({"a b", "a", "ab", "a", "x"});
    groups.Remove("A");
    EXPECT_EQ(groups.Values("a"), "1");
    groups.Remove("a");
    EXPECT_EQ(groups.Values("a"), "");
    EXPECT_EQ(groups.Count(), 3);
    EXPECT_EQ(groups.Values("a b"), "1");
    EXPECT_EQ(groups.Values("ab"), "1");
    groups.Remove("a");  // no longer there: nothing else goes
    groups.Remove("zz");
    EXPECT_EQ(EntriesOf(groups).size(), 3u);
    groups.Remove("x");
    EXPECT_EQ(groups.Values("x"), "");
    EXPECT_EQ(groups.Count(), 2);
}

TEST(GroupList, CountsAfreshAfterRemovalAndInCopiesThatOutliveTheirSource) {
    auto groups = TallyOf({"Sales", "x"});
    groups.Remove("Sales");
    groups.Add("Sales");
    groups.Add("SALES");
    EXPECT_EQ(EntriesOf(groups), Entries({"SALES=2", "x=1"}));

    auto source = std::make_unique<TGroupList>(TallyOf({"Sales", "x"}));
    TGroupList constructed(*source);
    TGroupList assigned = TallyOf({"y"});
    assigned = *source;
    source.reset();
    for (TGroupList* copy : {&constructed, &assigned}) {
        copy->Add("Sales");
        copy->Add("sales");
        copy->Remove("x");
        EXPECT_EQ(EntriesOf(*copy), Entries({"sales=3"}));
    }
}

TEST(GroupList, IndexOutOfRangeRaisesListError) {
    const auto groups = TallyOf({"a"});
    EXPECT_EQ(groups.Get(0), "a=1");
    EXPECT_THROW(groups.Get(1), EListError);
    EXPECT_THROW(groups.Get(-1), EListError);
    EXPECT_THROW(TGroupList().Get(0), EListError);
}

}  // namespace
}  // namespace vireziriv
