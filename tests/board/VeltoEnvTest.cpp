// The board's settings: the UDPMessage line's Port, and the settings file that cannot be read.
#include "board/VeltoEnvUnit.h"

#include "base/Exceptions.h"
#include "base/Texts.h"
#include "platform/Files.h"
#include "support/TempDir.h"
#include "UnreadableEntry.h"

#include <gtest/gtest.h>

#include <cstdio>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace vireziriv {
namespace {

TEST(VeltoEnv, WithoutSettingsFileTheDefaultsStand) {
    test::TempDir dir;
    const TVeltoEnv env(dir.Path());
    EXPECT_EQ(env.ShareDir(), dir.Path());
    EXPECT_EQ(env.UDPPort(), 1990);
}

TEST(VeltoEnv, PortOfTheLastUDPMessageLine) {
    const struct {
        const char* ini;
        int port;
    } cases[] = {
        {"UDPMessage,Port=2000", 2000},
        {"UDPMessage,Port=\"2000\"", 2000},
        {"udpmessage,port=2001", 2001},
        {" \t UDPMessage,Port=2002 \r\n", 2002},
        {"UDPMessageX,Port=3000", 3000},
        {"UDPMessage Port=$7D0", 2000},
        {"[Velto]\r\nName=x\r\nUDPMessage,Port=2003\r\nPort=5\r\nXUDPMessage,Port=6\r\n", 2003},
        {"UDPMessage,Port=abc", 1990},
        {"UDPMessage,Port=2000 ", 2000},
        {"UDPMessage,Port = 2000", 1990},
        {"UDPMessage,Port=\"\"", 1990},
        {"UDPMessage,Port=2000\r\nUDPMessage,Port=2500", 2500},
        {"UDPMessage,Port=2000\r\nUDPMessage,Host=x", 1990},
        {"UDPMessage", 1990},
        // An empty Port deletes its item; the rest of the line is still read.
        {"UDPMessage,Port=", 1990},
        {"UDPMessage,Port=,Host=\"x\"", 1990},
        {"UDPMessage,Port=,Port=\"2004\"", 2004},
        {"UDPMessage,A=,Port=\"2005\"", 2005},
        {"UDPMessage,A=,B=,Host=x,Port=\"2006\"", 2006},
        // Every Port item writes back, unquoted, the value of the first Port item still there.
        {"UDPMessage,Port=\"\"\"7\"\"\",Port=1", 7},
        {"UDPMessage,Port=\"\"\"7\"\"\"", 1990},
        {"UDPMessage,Port=2000,Port=", 2000},
        {"UDPMessage,=5,x,PORT=2007,=,Port=9", 2007},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        dir.Write("velto.ini", c.ini);
        EXPECT_EQ(TVeltoEnv(dir.Path()).UDPPort(), c.port) << "velto.ini: " << testing::PrintToString(c.ini);
    }
}

TEST(VeltoEnv, DirectoryNamedLikeTheSettingsFileIsIgnored) {
    test::TempDir dir;
    dir.MakeDir("velto.ini");
    EXPECT_EQ(TVeltoEnv(dir.Path()).UDPPort(), 1990);
}

#ifndef _WIN32
TEST(VeltoEnv, LinksAreFollowed) {
    test::TempDir dir;
    dir.MakeDir("sub");
    dir.Write("real.ini", "UDPMessage,Port=2000");
    ASSERT_EQ(symlink("sub", dir.PathOf("velto.ini").c_str()), 0);
    EXPECT_EQ(TVeltoEnv(dir.Path()).UDPPort(), 1990) << "a link to a directory is no settings file";
    std::remove(dir.PathOf("velto.ini").c_str());
    ASSERT_EQ(symlink("real.ini", dir.PathOf("velto.ini").c_str()), 0);
    EXPECT_EQ(TVeltoEnv(dir.Path()).UDPPort(), 2000);
}
#endif

void ExpectUnreadable(const test::TempDir& dir) {
    ASSERT_TRUE(platform::FileExists(dir.PathOf("velto.ini")));
    try {
        TVeltoEnv env(dir.Path());
        ADD_FAILURE() << "read an unreadable settings file";
    } catch (const EVeltoCommandFileException& e) {
        EXPECT_EQ(e.Message(), dir.Path() + "velto.ini" + std::string(text::kSettingsUnreadable));
    }
}

TEST(VeltoEnv, UnreadableSettingsFileRaisesItsMessage) {
    test::TempDir dir;
    const test::UnreadableEntry ini(dir.PathOf("velto.ini"));
    ExpectUnreadable(dir);
}

#ifndef _WIN32
TEST(VeltoEnv, DanglingLinkAsSettingsFileIsUnreadable) {
    test::TempDir dir;
    test::MakeDanglingLink(dir.PathOf("velto.ini"));
    ExpectUnreadable(dir);
}
#endif

}  // namespace
}  // namespace vireziriv
