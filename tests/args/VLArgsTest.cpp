// The lister's switches: the help text, validation and the shared directory.
#include "args/VLArgsUnit.h"

#include "base/Exceptions.h"
#include "base/Texts.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "support/Sjis.h"
#include "support/SwitchesSlot.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace vireziriv {
namespace {

using test::Sjis;
constexpr char kSep = platform::kPathDelimiter;

#ifndef _WIN32
// Sets an environment variable for the life of a test, then puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};
#endif

// A scratch directory holding "share" (a directory) and "file"; on POSIX the board's setting file
// is looked for there too, so the real user's setting never shows.
class ListerSwitches : public testing::Test {
protected:
    ListerSwitches() {
        dir.MakeDir("share");
        dir.Write("file", "x");
    }
    ~ListerSwitches() override { test::SwitchesSlot::Reset(); }

    static TVLArgs& With(std::vector<std::string> arguments) {
        test::SwitchesSlot::Reset(std::move(arguments));
        return TVLArgs::GetInstance();
    }

    // The message of the EVeltoCommandArgsException that creating the instance raises.
    static std::string Refusal(std::vector<std::string> arguments) {
        try {
            With(std::move(arguments));
        } catch (const EVeltoCommandArgsException& e) {
            return e.Message();
        }
        return "(accepted)";
    }

    // Tests that need "no setting" cannot arrange it on Windows, where it is the user's registry.
    static bool UserHasBoardSetting() {
#ifdef _WIN32
        return !platform::ReadBoardShareDir().empty();
#else
        return false;
#endif
    }

#ifndef _WIN32
    void WriteSetting(std::string_view bytes) const {
        dir.MakeDir("xdg/ostrel");
        dir.Write("xdg/ostrel/velto.conf", bytes);
    }
#endif

    test::TempDir dir;
    const std::string share = dir.PathOf("share");
    const std::string file = dir.PathOf("file");
#ifndef _WIN32
    ScopedEnv home{"HOME", dir.PathOf("home")};
    ScopedEnv config{"XDG_CONFIG_HOME", dir.PathOf("xdg")};
#endif
};

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return lines;
        start = end + 2;
    }
}

TEST_F(ListerSwitches, HelpTextIsExact) {
    const std::string ideographicSpace = "\x81\x40";
    ASSERT_EQ(Sjis("　"), ideographicSpace);
    const std::string gap(12, ' ');
    auto item = [&](const char* name, const char* utf8) { return ideographicSpace + name + gap + Sjis(utf8); };
    std::string eightSpaces;
    for (int i = 0; i < 8; ++i) eightSpaces += ideographicSpace;
    const std::vector<std::string> expected = {
        Sjis("Velto君のユーザ一覧を表示します．"),
        "",
        "VIREZIRIV [/N] [/F] [/I] [/G] [/K] [/B] [/R] [/H] [/T] [/S] [/Q] [/J] [/D:sharedir]",
        "",
        item("/N", "名前を表示します"),
        item("/F", "ファイル名を表示します"),
        item("/I", "ＩＰアドレスを表示します"),
        item("/G", "グループを表示します"),
        item("/K", "振り仮名を表示します"),
        item("/B", "備考を表示します"),
        item("/R", "戻り日時を表示します"),
        item("/H", "不在理由を表示します"),
        item("/P", "電源状態を表示します"),
        item("/T", "電話番号を表示します"),
        item("/S", "状態アイコン番号を表示します"),
        item("/Q", "表示項目をダブルクォーテーションで囲みます"),
        item("/J", "JSON Lines形式(UTF-8)で表示します"),
        eightSpaces + Sjis("項目の指定がなければ全項目を表示します"),
        "",
        ideographicSpace + "/D:sharedir   " + Sjis("共有ディレクトリのパスを指定します"),
        eightSpaces + Sjis("Velto君を使用しているホストでは指定不要です"),
        "",
        std::string(16, ' ') + "VIREZIRIV Version 1.0",
    };
    const std::string usage = With({"/D:" + share}).GetUsage();
    EXPECT_EQ(SplitLines(usage), expected);
    std::string joined = expected.front();
    for (std::size_t i = 1; i < expected.size(); ++i) joined += "\r\n" + expected[i];
    EXPECT_EQ(usage, joined) << "CR LF between lines, none after the last, no lone CR or LF";
}

TEST_F(ListerSwitches, NoSwitchesRaisesTheHelpText) {
    EXPECT_EQ(Refusal({}), text::kUsage);
}

TEST_F(ListerSwitches, NoShareDirectoryGiven) {
    if (UserHasBoardSetting()) GTEST_SKIP() << "this user has a board setting";
    for (const char* arguments : {"/D", "/D:", "/N", "D:x"}) {
        EXPECT_EQ(Refusal({arguments}), text::kNoShareDir) << arguments;
    }
}

TEST_F(ListerSwitches, ShareDirectoryThatIsNoDirectory) {
    for (const std::string& path : {dir.PathOf("missing"), file, file + kSep}) {
        EXPECT_EQ(Refusal({"/N", "/D:" + path}), text::kShareDirNotFound) << path;
    }
}

TEST_F(ListerSwitches, AnExistingDirectoryPassesWithOrWithoutItsSeparator) {
    for (const std::string& argument : {"/D:" + share, "/D:" + share + kSep, "/d:" + share}) {
        EXPECT_EQ(With({argument, "/N"}).GetShareDir(), share + kSep) << argument;
    }
    // The letters are not examined here: /D alone passes.
    EXPECT_EQ(With({"/D:" + share}).Count(), 1);
}

TEST_F(ListerSwitches, GetInstanceHandsOutOneValidatedObject) {
    const std::string later = dir.PathOf("later");
    test::SwitchesSlot::Reset({"/N", "/D:" + later});
    EXPECT_THROW(TVLArgs::GetInstance(), EVeltoCommandArgsException);
    // Nothing was stored: the next call creates and validates again.
    dir.MakeDir("later");
    TVLArgs& args = TVLArgs::GetInstance();
    EXPECT_EQ(&TVLArgs::GetInstance(), &args);
    EXPECT_EQ(&TOstrelArgs::GetInstance(), &args);
    EXPECT_EQ(args.ClassName(), "TVLArgs");
    EXPECT_EQ(args.GetShareDir(), later + kSep);
}

// The lister's switches without their checks, to ask for any shared directory.
class TUncheckedVLArgs : public TVLArgs {
public:
    static TUncheckedVLArgs& GetInstance() {
        return dynamic_cast<TUncheckedVLArgs&>(
            Instance([] { return std::unique_ptr<TOstrelArgs>(new TUncheckedVLArgs); }));
    }

protected:
    void Validate() override {}
};

TEST_F(ListerSwitches, GetShareDirEndsWithOneSeparatorCharacter) {
    struct Case {
        std::string value;
        std::string expected;
    };
    const Case cases[] = {
        {"share", std::string("share") + kSep},
        {std::string("share") + kSep, std::string("share") + kSep},
        {std::string("a") + kSep + kSep, std::string("a") + kSep + kSep},
        // Trail byte 0x5C, the byte of "\": the last character is not a separator.
        {Sjis("共有表"), Sjis("共有表") + kSep},
        {Sjis("ソ"), Sjis("ソ") + kSep},
        {Sjis("表") + kSep, Sjis("表") + kSep},
        {"x\x95", std::string("x\x95") + kSep},  // a lead byte with nothing after it
    };
    for (const Case& c : cases) {
        test::SwitchesSlot::Reset({"/D:" + c.value});
        EXPECT_EQ(TUncheckedVLArgs::GetInstance().GetShareDir(), c.expected) << c.value;
    }
}

TEST_F(ListerSwitches, GetShareDirWithoutDAndWithoutSettingIsEmpty) {
    if (UserHasBoardSetting()) GTEST_SKIP() << "this user has a board setting";
    test::SwitchesSlot::Reset({"/D", "/N"});
    EXPECT_EQ(TUncheckedVLArgs::GetInstance().GetShareDir(), "");
}

#ifndef _WIN32

TEST_F(ListerSwitches, TheBoardSettingStandsInForD) {
    WriteSetting("ShareDir=" + share + "\n");
    EXPECT_EQ(With({"/Q"}).GetShareDir(), share + kSep);
    EXPECT_EQ(With({"/D", "/N"}).GetShareDir(), share + kSep);
    EXPECT_EQ(With({"/D:", "/N"}).GetShareDir(), share + kSep);
    // /D wins over the setting, even when the setting names nothing.
    const std::string other = dir.PathOf("other");
    dir.MakeDir("other");
    WriteSetting("ShareDir=" + dir.PathOf("missing") + "\n");
    EXPECT_EQ(With({"/D:" + other}).GetShareDir(), other + kSep);
    EXPECT_EQ(Refusal({"/N"}), text::kShareDirNotFound);
    WriteSetting("ShareDir=" + file + "\n");
    EXPECT_EQ(Refusal({"/N"}), text::kShareDirNotFound);
    WriteSetting("Share=" + share + "\n");
    EXPECT_EQ(Refusal({"/N"}), text::kNoShareDir);
}

TEST_F(ListerSwitches, TheSettingIsReadAfreshOnEachCall) {
    WriteSetting("ShareDir=" + share + kSep + "\n");
    TVLArgs& args = With({"/N"});
    EXPECT_EQ(args.GetShareDir(), share + kSep);
    WriteSetting("ShareDir=/elsewhere\n");
    EXPECT_EQ(args.GetShareDir(), "/elsewhere/");
}

#endif

}  // namespace
}  // namespace vireziriv
