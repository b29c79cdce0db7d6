// docs/messages.md explains every text the command writes: each text of base/Texts.h appears there
// as it prints, so that a text cannot be added without its row.
#include "base/Cp932Unicode.h"
#include "base/Texts.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <string_view>

namespace vireziriv {
namespace {

// A text as the page shows it: UTF-8, its lines ended by LF.
std::string AsShown(std::string_view cp932) {
    std::string utf8;
    for (std::size_t i = 0; i < cp932.size();) {
        if (cp932.substr(i, 2) == "\r\n") {
            utf8 += '\n';
            i += 2;
            continue;
        }
        const cp932::Decoded d = cp932::DecodeAt(cp932, i);
        cp932::AppendUtf8(d.character, utf8);
        i += d.length;
    }
    return utf8;
}

TEST(MessagesPage, ShowsEveryTextOfTheCommand) {
    const std::string page = test::ReadBytes(test::NativePath(VIREZIRIV_MESSAGES_PAGE));
    ASSERT_FALSE(page.empty()) << VIREZIRIV_MESSAGES_PAGE;
    for (const std::string_view text : text::kAllTexts) {
        const std::string shown = AsShown(text);
        EXPECT_NE(page.find(shown), std::string::npos) << "docs/messages.md has no row for:\n" << shown;
    }
}

TEST(MessagesPage, TheListOfTextsHoldsEveryTextOfTheHeader) {
    const std::string header = test::ReadBytes(test::NativePath(VIREZIRIV_TEXTS_HEADER));
    const std::size_t list = header.find("kAllTexts[] = {");
    ASSERT_NE(list, std::string::npos) << "no kAllTexts in " << VIREZIRIV_TEXTS_HEADER;
    const std::string listed = header.substr(list, header.find("};", list) - list);
    const std::regex declaration(R"(std::string_view (k\w+) =)");
    int declared = 0;
    for (auto it = std::sregex_iterator(header.begin(), header.end(), declaration); it != std::sregex_iterator();
         ++it, ++declared) {
        const std::string name = (*it)[1];
        EXPECT_TRUE(std::regex_search(listed, std::regex("\\b" + name + "\\b"))) << name << " is not in kAllTexts";
    }
    EXPECT_GT(declared, 0) << "no text declared in " << VIREZIRIV_TEXTS_HEADER;
}

}  // namespace
}  // namespace vireziriv
