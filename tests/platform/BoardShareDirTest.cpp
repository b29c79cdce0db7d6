// The board's shared-directory setting: on POSIX the file ostrel/velto.conf of the user's config home.
#include "platform/Registry.h"

#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace vireziriv::platform {
namespace {

#ifndef _WIN32

// Sets an environment variable for the life of a test, then puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        Set(value);
    }
    ~ScopedEnv() { Set(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            setenv(name_, value->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

// HOME and XDG_CONFIG_HOME inside a scratch directory, so the real user's setting never shows.
class BoardShareDir : public testing::Test {
protected:
    std::string WriteSetting(std::string_view configHome, std::string_view bytes) {
        dir.MakeDir(std::string(configHome) + "/ostrel");
        return dir.Write(std::string(configHome) + "/ostrel/velto.conf", bytes);
    }
    test::TempDir dir;
    ScopedEnv home{"HOME", dir.PathOf("home")};
    ScopedEnv config{"XDG_CONFIG_HOME", dir.PathOf("xdg")};
};

TEST_F(BoardShareDir, NoSettingFileGivesEmpty) { EXPECT_EQ(ReadBoardShareDir(), ""); }

TEST_F(BoardShareDir, ReadsTheFirstShareDirLine) {
    struct Case {
        const char* why;
        std::string file;
        std::string expected;
    };
    const Case cases[] = {
        {"plain", "ShareDir=/srv/velto\n", "/srv/velto"},
        {"no final line break", "ShareDir=/srv/velto", "/srv/velto"},
        {"CR LF lines, the CR dropped", "Other=1\r\nShareDir=/srv/velto\r\n", "/srv/velto"},
        {"name case ignored", "sharedir=/a\n", "/a"},
        {"first one wins", "x=1\nSHAREDIR=/a\nShareDir=/b\n", "/a"},
        {"value kept raw: blanks, '=' and double-byte bytes",
         " ShareDir=x\nShareDir= /a=b " + test::Sjis("共有表") + "\n", " /a=b " + test::Sjis("共有表")},
        {"only the last CR goes", "ShareDir=/a\r\r\n", "/a\r"},
        {"empty value", "ShareDir=\nShareDir=/b\n", ""},
        {"a blank before the name is another name", " ShareDir=/a\n", ""},
        {"no '=' on the line", "ShareDir /a\nShareDir\n", ""},
        {"name must match whole", "ShareDirs=/a\nMyShareDir=/b\n", ""},
        {"empty file", "", ""},
    };
    for (const Case& c : cases) {
        WriteSetting("xdg", c.file);
        EXPECT_EQ(ReadBoardShareDir(), c.expected) << c.why;
    }
}

TEST_F(BoardShareDir, ConfigHomeFallsBackToHomeDotConfig) {
    WriteSetting("home/.config", "ShareDir=/from/home\n");
    EXPECT_EQ(ReadBoardShareDir(), "") << "XDG_CONFIG_HOME is set and has no file";
    {
        ScopedEnv emptyConfig("XDG_CONFIG_HOME", "");
        EXPECT_EQ(ReadBoardShareDir(), "/from/home");
    }
    {
        ScopedEnv noConfig("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(ReadBoardShareDir(), "/from/home");
        ScopedEnv noHome("HOME", std::nullopt);
        EXPECT_EQ(ReadBoardShareDir(), "");
    }
    WriteSetting("xdg", "ShareDir=/from/xdg\n");
    EXPECT_EQ(ReadBoardShareDir(), "/from/xdg");
}

TEST_F(BoardShareDir, UnreadableSettingGivesEmptySilently) {
    dir.MakeDir("xdg/ostrel/velto.conf");  // a directory where the file should be
    EXPECT_EQ(ReadBoardShareDir(), "");
}

#endif

}  // namespace
}  // namespace vireziriv::platform
