// The built command end to end: listing bytes on standard output, messages and exit statuses.
#include "base/Texts.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "support/BoardSetting.h"
#include "support/Process.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace vireziriv {
namespace {

using test::Sjis;

// One person file's ten lines, in UTF-8; a field given as several lines is written as they are.
struct Person {
    std::string file;
    std::vector<std::string> lines;
    bool powerOff = false;
};

class Board : public testing::Test {
protected:
    void Add(const Person& p) {
        std::string bytes;
        for (const auto& line : p.lines) bytes += Sjis(line) + "\r\n";
        board.Write(Sjis(p.file) + ".vlt", bytes);
        if (p.powerOff) board.Write(Sjis(p.file) + ".off", "");
    }

    // Runs the command with `args`; no board setting of the user's leaks in.
    test::ProcessResult Run(const std::vector<std::string>& args) const {
        return test::RunProcess(test::NativePath(VIREZIRIV_BINARY), args,
                                {"HOME=" + home.Path(), "XDG_CONFIG_HOME=" + home.PathOf("config")});
    }

    // Lists the board with `switches` (the directory is added at the end) and expects `utf8` out.
    void ExpectListing(std::vector<std::string> switches, std::string_view utf8) const {
        switches.push_back("/D:" + board.Path());
        const auto r = Run(switches);
        EXPECT_EQ(r.out, Sjis(utf8)) << testing::PrintToString(switches);
        EXPECT_EQ(r.err, "") << testing::PrintToString(switches);
        EXPECT_EQ(r.status, 0) << testing::PrintToString(switches);
    }

    // Runs the command with `args` and expects exactly `out`, as bytes.
    void ExpectOutput(const std::vector<std::string>& args, std::string_view out) const {
        const auto r = Run(args);
        EXPECT_EQ(r.out, out) << testing::PrintToString(args);
        EXPECT_EQ(r.err, "") << testing::PrintToString(args);
        EXPECT_EQ(r.status, 0) << testing::PrintToString(args);
    }

    void ExpectFailure(const std::vector<std::string>& args, int status, std::string_view message) const {
        const auto r = Run(args);
        EXPECT_EQ(r.out, "") << testing::PrintToString(args);
        EXPECT_EQ(r.err, std::string(message) + "\r\n") << testing::PrintToString(args);
        EXPECT_EQ(r.status, status) << testing::PrintToString(args);
    }

    std::string Dir() const { return "/D:" + board.Path(); }

    test::TempDir board;
    test::TempDir home;
};

const Person kYamada{"yamada", {"やまだ", "山田", "営業", "メモ", "外出", "2099/12/31", "17:00", "03-1234", "192.168.0.5", "2"}};
const Person kSuzuki{"suzuki", {"すずき", "鈴木", "総務", "", "\"休暇", "連絡可\"", "2001/04/02", "", "03-9999", "192.168.0.6", "3"}, true};
const Person kAbe{"abe", {"Abe", "阿部", "開発", "", "", "来週", "10:00", "", "10.0.0.1", "0"}};

TEST_F(Board, FieldsFollowTheSwitches) {
    Add(kYamada);
    const struct {
        std::vector<std::string> switches;
        std::string_view out;
    } cases[] = {
        {{"/N", "/G"}, "山田,営業\r\n"},
        {{"/G", "/N"}, "営業,山田\r\n"},
        {{"/N", "/N"}, "山田,山田\r\n"},
        {{"/N", "/G", "/Q"}, "\"山田\",\"営業\"\r\n"},
        {{"/Q", "/N"}, "\"山田\"\r\n"},
        {{"/F", "/I", "/K", "/B"}, "yamada,192.168.0.5,やまだ,メモ\r\n"},
        {{"/H"}, "外出  \r\n"},
        {{"/P"}, "電源オン\r\n"},
        {{"/R"}, "12/31(木) 17:00\r\n"},
        {{"/T", "/S"}, "03-1234,2\r\n"},
        {{"/S", "/Q", "/N", "/T"}, "\"2\",\"山田\",\"03-1234\"\r\n"},
        {{}, ""},
        {{"/Q"}, ""},
    };
    for (const auto& c : cases) ExpectListing(c.switches, c.out);
}

TEST_F(Board, JsonLinesInUtf8) {
    ExpectOutput({"/J", Dir()}, "");  // no person, no line
    Add(kYamada);
    Add(kSuzuki);
    const std::string dir = Dir();
    const struct {
        std::vector<std::string> switches;
        std::string_view out;
    } cases[] = {
        {{"/J", dir},
         R"({"name":"鈴木","file":"suzuki","ip":"192.168.0.6","group":"総務","furigana":"すずき","memo":"",)"
         R"("return":{"wording":"4/2(月) ","date":"2001/04/02","time":""},"absence":["休暇","連絡可"],)"
         R"("power":"off","tel":"03-9999","status":3})"
         "\r\n"
         R"({"name":"山田","file":"yamada","ip":"192.168.0.5","group":"営業","furigana":"やまだ","memo":"メモ",)"
         R"("return":{"wording":"12/31(木) 17:00","date":"2099/12/31","time":"17:00"},"absence":["外出"],)"
         R"("power":"on","tel":"03-1234","status":2})"
         "\r\n"},
        {{"/S", "/J", "/Q", dir, "/N", "/S"}, "{\"status\":3,\"name\":\"鈴木\"}\r\n{\"status\":2,\"name\":\"山田\"}\r\n"},
        {{dir, "/J:x", "/P"}, "{\"power\":\"off\"}\r\n{\"power\":\"on\"}\r\n"},
    };
    for (const auto& c : cases) ExpectOutput(c.switches, c.out);
}

// The board of `make demo`, in examples/board.
TEST_F(Board, SampleBoard) {
    const std::string dir = "/D:" + test::NativePath(VIREZIRIV_SAMPLE_BOARD);
    const struct {
        std::vector<std::string> switches;
        std::string_view out;
    } cases[] = {
        {{dir, "/F", "/T", "/S", "/Q"},
         "\"smith\",\"03-1234-0011\",\"2\"\r\n\"abe\",\"03-1234-0012\",\"0\"\r\n\"ito\",\"03-1234-0005\",\"0\"\r\n"
         "\"kato\",\"03-1234-0009\",\"5\"\r\n\"kobayashi\",\"03-1234-0008\",\"0\"\r\n\"sato\",\"03-1234-0003\",\"0\"\r\n"
         "\"suzuki\",\"03-1234-0002\",\"3\"\r\n\"tanaka\",\"03-1234-0004\",\"4\"\r\n\"nakamura\",\"03-1234-0007\",\"2\"\r\n"
         "\"yamada\",\"03-1234-0001\",\"2\"\r\n\"yoshida\",\"03-1234-0010\",\"0\"\r\n\"watanabe\",\"03-1234-0006\",\"1\"\r\n"},
        {{dir, "/J", "/F", "/S", "/P", "/H", "/R"},
         R"({"file":"smith","status":2,"power":"on","absence":["Visiting a client"],"return":{"wording":"3/3(火) 09:00","date":"2099/03/03","time":"09:00"}})" "\r\n"
         R"({"file":"abe","status":0,"power":"on","absence":[""],"return":{"wording":" ","date":"","time":""}})" "\r\n"
         R"({"file":"ito","status":0,"power":"on","absence":[""],"return":{"wording":" ","date":"","time":""}})" "\r\n"
         R"({"file":"kato","status":5,"power":"off","absence":["通院"],"return":{"wording":"4/2(月) 15:00","date":"2001/04/02","time":"15:00"}})" "\r\n"
         R"({"file":"kobayashi","status":0,"power":"on","absence":[""],"return":{"wording":" ","date":"","time":""}})" "\r\n"
         R"({"file":"sato","status":0,"power":"on","absence":[""],"return":{"wording":" ","date":"","time":""}})" "\r\n"
         R"({"file":"suzuki","status":3,"power":"off","absence":["休暇","緊急時は携帯へ"],"return":{"wording":"4/2(月) ","date":"2001/04/02","time":""}})" "\r\n"
         R"({"file":"tanaka","status":4,"power":"on","absence":["出張","大阪支社"],"return":{"wording":"来週 ","date":"来週","time":""}})" "\r\n"
         R"({"file":"nakamura","status":2,"power":"on","absence":["外出","直帰"],"return":{"wording":"6/1(月) ","date":"2099/06/01","time":""}})" "\r\n"
         R"({"file":"yamada","status":2,"power":"on","absence":["外出"],"return":{"wording":"12/31(木) 17:00","date":"2099/12/31","time":"17:00"}})" "\r\n"
         R"({"file":"yoshida","status":0,"power":"on","absence":[""],"return":{"wording":" ","date":"","time":""}})" "\r\n"
         R"({"file":"watanabe","status":1,"power":"on","absence":["会議"],"return":{"wording":"1/15(木) 10:30","date":"2099/01/15","time":"10:30"}})" "\r\n"},
        {{dir, "/J", "/N", "/I", "/G", "/K", "/B", "/T"},
         R"({"name":"John Smith","ip":"192.168.0.21","group":"開発部","furigana":"Smith John","memo":"English OK","tel":"03-1234-0011"})" "\r\n"
         R"({"name":"阿部 さくら","ip":"192.168.0.22","group":"総務部","furigana":"あべ さくら","memo":"","tel":"03-1234-0012"})" "\r\n"
         R"({"name":"伊藤 健","ip":"192.168.0.15","group":"開発部","furigana":"いとう けん","memo":"在宅勤務","tel":"03-1234-0005"})" "\r\n"
         R"({"name":"加藤 誠","ip":"192.168.0.19","group":"経理部","furigana":"かとう まこと","memo":"月末は多忙","tel":"03-1234-0009"})" "\r\n"
         R"({"name":"小林 愛","ip":"192.168.0.18","group":"開発部","furigana":"こばやし あい","memo":"","tel":"03-1234-0008"})" "\r\n"
         R"({"name":"佐藤 次郎","ip":"192.168.0.13","group":"開発部","furigana":"さとう じろう","memo":"内線 2203","tel":"03-1234-0003"})" "\r\n"
         R"({"name":"鈴木 花子","ip":"192.168.0.12","group":"総務部","furigana":"すずき はなこ","memo":"","tel":"03-1234-0002"})" "\r\n"
         R"({"name":"田中 美紀","ip":"192.168.0.14","group":"営業部","furigana":"たなか みき","memo":"","tel":"03-1234-0004"})" "\r\n"
         R"({"name":"中村 翔","ip":"192.168.0.17","group":"営業部","furigana":"なかむら しょう","memo":"案件「特急」担当","tel":"03-1234-0007"})" "\r\n"
         R"({"name":"山田 太郎","ip":"192.168.0.11","group":"営業部","furigana":"やまだ たろう","memo":"外回り中心","tel":"03-1234-0001"})" "\r\n"
         R"({"name":"吉田 奈央","ip":"192.168.0.20","group":"経理部","furigana":"よしだ なお","memo":"","tel":"03-1234-0010"})" "\r\n"
         R"({"name":"渡辺 結衣","ip":"192.168.0.16","group":"総務部","furigana":"わたなべ ゆい","memo":"","tel":"03-1234-0006"})" "\r\n"},
    };
    for (const auto& c : cases) ExpectOutput(c.switches, c.out);
}

TEST_F(Board, PersonsComeInFuriganaOrderWithTheirOwnBytes) {
    Add(kYamada);
    Add(kSuzuki);
    Add(kAbe);
    Add({"so", {"そ", "ソ十表", "", "", "", "", "", "", "", ""}});  // trail bytes 0x5C stay as they are
    ExpectListing({"/K", "/N", "/P"}, "Abe,阿部,電源オン\r\nすずき,鈴木,電源オフ\r\nそ,ソ十表,電源オン\r\nやまだ,山田,電源オン\r\n");
    ExpectListing({"/F", "/H", "/R"}, "abe,  ,来週 10:00\r\nsuzuki,休暇  連絡可  ,4/2(月) \r\nso,  , \r\nyamada,外出  ,12/31(木) 17:00\r\n");
}

TEST_F(Board, EmptyFieldsAndLines) {
    Add({"empty", {"から", "", "", "", "", "", "", "", "", ""}});
    ExpectListing({"/N"}, "");
    ExpectListing({"/N", "/G"}, ",\r\n");
    ExpectListing({"/N", "/Q"}, "\"\"\r\n");
}

TEST_F(Board, ReturnDateAgainstTheClock) {
    using namespace std::chrono;
    const auto now = platform::LocalNow();
    if (now.hour == 23 && now.minute >= 58) GTEST_SKIP() << "too close to midnight to name today";
    const sys_days today = year_month_day{year{now.year}, month{static_cast<unsigned>(now.month)},
                                          day{static_cast<unsigned>(now.day)}};
    auto written = [](sys_days d) {
        const year_month_day ymd{d};
        char text[16];
        std::snprintf(text, sizeof text, "%04d/%02u/%02u", static_cast<int>(ymd.year()),
                      static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
        return std::string(text);
    };
    Add({"a", {"a", "today", "", "", "", written(today), "", "", "", ""}});
    Add({"b", {"b", "tomorrow", "", "", "", written(today + days{1}), "08:00", "", "", ""}});
    Add({"c", {"c", "after", "", "", "", written(today + days{2}), "", "", "", ""}});
    ExpectListing({"/N", "/R"}, "today,本日 \r\ntomorrow,明日 08:00\r\nafter,明後日 \r\n");
}

TEST_F(Board, InvalidSwitches) {
    for (const char* bad : {"/X", "/X:abc", "/n", "/q", "/Nx", "/j", "/t", "/s", "/JS"}) {
        const std::string name = std::string(bad).substr(0, std::string(bad).find(':'));
        ExpectListing({bad}, "");  // no person: no switch is examined
        Add(kYamada);
        ExpectFailure({"/N", bad, Dir()}, 1, name + std::string(text::kInvalidSwitch));
        std::remove(board.PathOf("yamada.vlt").c_str());
    }
    Add(kYamada);
    ExpectFailure({"/N", "/d:" + board.Path()}, 1, "/d" + std::string(text::kInvalidSwitch));
    ExpectFailure({"/J", "/X", Dir()}, 1, "/X" + std::string(text::kInvalidSwitch));
}

TEST_F(Board, SharedDirectoryErrors) {
    ExpectFailure({}, 1, text::kUsage);
    ExpectFailure({"/N"}, 1, text::kNoShareDir);
    ExpectFailure({"/N", "/D"}, 1, text::kNoShareDir);
    ExpectFailure({"/N", "/D:" + board.PathOf("missing")}, 1, text::kShareDirNotFound);
    ExpectFailure({"/N", "/D:" + board.Write("file", "")}, 1, text::kShareDirNotFound);
}

// /? and --help show the help wherever they stand, as /? does for a Windows console program, whatever
// else the command line holds; --version needs no board. The first of them decides.
TEST_F(Board, HelpAndVersionStandForTheWholeRun) {
    Add(kYamada);
    const std::string help = std::string(text::kUsage) + "\r\n";
    const std::string version = "vireziriv " VIREZIRIV_PROJECT_VERSION "\r\n";
    const std::string missing = "/D:" + board.PathOf("missing");
    auto invalid = [](std::string_view name) { return std::string(name) + std::string(text::kInvalidSwitch) + "\r\n"; };
    const struct {
        std::vector<std::string> args;
        std::string out;
        std::string err;
        int status;
    } cases[] = {
        {{"/?"}, "", help, 1},
        {{"--help"}, "", help, 1},
        {{"/N", "/?", Dir()}, "", help, 1},
        {{"/?:x", "/N", Dir()}, "", help, 1},
        {{"/N", missing, "--help"}, "", help, 1},
        {{"/X", "/?"}, "", help, 1},
        {{"--version"}, version, "", 0},
        {{"/N", "--version", missing, "/X"}, version, "", 0},
        {{"--version", "/?"}, version, "", 0},
        {{"/?", "--version"}, "", help, 1},
        // Other spellings are switches like any other.
        {{"/N", "-?", Dir()}, "", invalid("-?"), 1},
        {{"/N", "-h", Dir()}, "", invalid("-h"), 1},
        {{"/N", "--HELP", Dir()}, "", invalid("--HELP"), 1},
        {{"/N", "/help", Dir()}, "", invalid("/help"), 1},
        {{"/N", "--Version", Dir()}, "", invalid("--Version"), 1},
        {{"/N", "/V", Dir()}, "", invalid("/V"), 1},
    };
    for (const auto& c : cases) {
        const auto r = Run(c.args);
        EXPECT_EQ(r.out, c.out) << testing::PrintToString(c.args);
        EXPECT_EQ(r.err, c.err) << testing::PrintToString(c.args);
        EXPECT_EQ(r.status, c.status) << testing::PrintToString(c.args);
    }
}

TEST_F(Board, DirectoryWithOrWithoutItsSeparator) {
    Add(kYamada);
    std::string bare = board.Path();
    bare.pop_back();
    for (const auto& dir : {bare, board.Path()}) {
        const auto r = Run({"/N", "/D:" + dir});
        EXPECT_EQ(r.out, Sjis("山田\r\n")) << dir;
        EXPECT_EQ(r.status, 0);
    }
}

TEST_F(Board, SettingsFileIsReadAndIgnoredForTheListing) {
    Add(kYamada);
    board.Write("velto.ini", "[Velto]\r\nUDPMessage,Port=\r\n");
    ExpectListing({"/N"}, "山田\r\n");
}

#ifndef _WIN32
TEST_F(Board, BoardSettingOfTheUserGivesTheDirectory) {
    Add(kYamada);
    home.MakeDir("config/ostrel");
    home.Write("config/ostrel/velto.conf", "ShareDir=" + board.Path() + "\n");
    const auto r = Run({"/N"});
    EXPECT_EQ(r.out, Sjis("山田\r\n"));
    EXPECT_EQ(r.status, 0);
}

TEST_F(Board, UnreadableFilesEndWithStatusTwo) {
    Add(kYamada);
    ASSERT_EQ(mkfifo(board.PathOf("fifo.vlt").c_str(), 0600), 0);
    ExpectFailure({"/N", Dir()}, 2,
                  std::string(text::kPersonFileBefore) + board.PathOf("fifo.vlt") + std::string(text::kPersonFileAfter));
    std::remove(board.PathOf("fifo.vlt").c_str());
    ASSERT_EQ(mkfifo(board.PathOf("velto.ini").c_str(), 0600), 0);
    ExpectFailure({"/N", Dir()}, 2, board.PathOf("velto.ini") + std::string(text::kSettingsUnreadable));
}

// On a terminal the command shows what it writes converted and with its controls made visible; these
// runs give it one (a pseudo-terminal in raw mode, so that what it wrote arrives unchanged). Windows
// has no such thing for a child of the tests: its console is checked by wine-console, on a terminal
// that Wine turns into a console.
class OnATerminal : public Board {
protected:
    // Whoever writes into the shared directory controls these bytes: a window title and a screen
    // clear, a DEL, a byte that begins no character, a double-byte code without one, and a lead byte
    // before an ESC.
    void AddHostile() const {
        board.Write("hostile.vlt", Sjis("あくい") + "\r\n" + kHostileName + "\r\n" + kHostileGroup + "\r\n");
    }

    test::ProcessResult RunOnTerminal(const std::string& program, const std::vector<std::string>& args,
                                      const std::vector<std::string>& locale) const {
        std::vector<std::string> env = {"HOME=" + home.Path(), "XDG_CONFIG_HOME=" + home.PathOf("config")};
        env.insert(env.end(), locale.begin(), locale.end());
        return test::RunOnTerminal(program, args, env);
    }

    const std::string kHostileName = Sjis("悪意") + "\x1b]0;pwned\x07\x1b[2J\x7f\xff\x85\x40";
    const std::string kHostileGroup = Sjis("営業") + "\x82\x1b[31m";
    // The listing of the hostile person with /N /G /P, as the files hold it.
    const std::string kHostileLine = kHostileName + "," + kHostileGroup + "," + std::string(text::kPowerOn) + "\r\n";
    // The same as a terminal shows it, in UTF-8.
    const std::string kHostileLineShown = "悪意^[]0;pwned^G^[[2J^?\\xFF\\x85\\x40,営業\\x82^[[31m,電源オン\r\n";
    const std::vector<std::string> kUtf8 = {"LC_ALL=C.UTF-8"};
};

TEST_F(OnATerminal, TheListingIsReadableAndItsControlsVisible) {
    AddHostile();
    const std::vector<std::string> args = {"/N", "/G", "/P", Dir()};
    const auto shown = RunOnTerminal(VIREZIRIV_BINARY, args, kUtf8);
    EXPECT_EQ(shown.out, kHostileLineShown);
    EXPECT_EQ(shown.status, 0);
    // Redirected, or piped on the same terminal, the bytes are the files' own.
    const auto piped = Run(args);
    EXPECT_EQ(piped.out, kHostileLine);
    EXPECT_EQ(piped.status, 0);
    std::vector<std::string> shell = {"-c", "\"$0\" \"$@\" | cat", VIREZIRIV_BINARY};
    shell.insert(shell.end(), args.begin(), args.end());
    EXPECT_EQ(RunOnTerminal("/bin/sh", shell, kUtf8).out, kHostileLine);
}

TEST_F(OnATerminal, JsonReachesItAsItsOwnBytesInAnyLocale) {
    // Its controls are escapes already, and it is UTF-8 whatever the terminal's character set.
    AddHostile();
    const std::vector<std::string> args = {"/J", "/N", "/G", Dir()};
    const std::string json = R"({"name":"悪意\u001b]0;pwned\u0007\u001b[2J\u007f��","group":"営業�\u001b[31m"})" "\r\n";
    EXPECT_EQ(Run(args).out, json);
    for (const auto& locale : {kUtf8, {"LC_ALL=C"}, {"LC_ALL=POSIX"}}) {
        const auto shown = RunOnTerminal(VIREZIRIV_BINARY, args, locale);
        EXPECT_EQ(shown.out, json) << locale.front();
        EXPECT_EQ(shown.status, 0);
    }
}

TEST_F(OnATerminal, ACodePage932TerminalGetsItsOwnBytesWithTheControlsVisible) {
    // A Shift_JIS locale of the user's own, compiled for the test: machines seldom have one.
    const test::TempDir locales;
    const auto made = test::RunProcess("localedef", {"--no-warnings=ascii", "-i", "ja_JP", "-f", "SHIFT_JIS",
                                                     locales.PathOf("ja_JP.SJIS")});
    if (made.status != 0) GTEST_SKIP() << "cannot compile a ja_JP.SJIS locale: " << made.err;
    // glibc's newlocale never frees its copy of LOCPATH: the sanitizer build's leak check is told so.
    const std::string suppressions = locales.Write("lsan.supp", "leak:argz_add_sep\n");
    const std::vector<std::string> sjis = {"LOCPATH=" + locales.Path(), "LC_ALL=ja_JP.SJIS",
                                           "LSAN_OPTIONS=print_suppressions=0:suppressions=" + suppressions};
    ASSERT_EQ(test::RunProcess("locale", {"charmap"}, sjis).out, "SHIFT_JIS\n");
    AddHostile();
    const auto shown = RunOnTerminal(VIREZIRIV_BINARY, {"/N", "/G", "/P", Dir()}, sjis);
    EXPECT_EQ(shown.out, Sjis(kHostileLineShown));
    EXPECT_EQ(shown.status, 0);
}

TEST_F(OnATerminal, AFieldLargerThanTheOutputBufferIsShownLikeAnyOther) {
    // A lead byte that the next field does not continue, then a name of 40,000 double-byte
    // characters and a control: more than the output buffer holds, so it is written on its own.
    std::string name, nameShown;
    for (int i = 0; i < 40000; ++i) {
        name += Sjis("名");
        nameShown += "名";
    }
    board.Write("long.vlt", Sjis("ながい") + "\x82\r\n" + name + "\x1b\r\n");
    const auto shown = RunOnTerminal(VIREZIRIV_BINARY, {"/K", "/N", "/P", Dir()}, kUtf8);
    EXPECT_TRUE(shown.out == "ながい\\x82," + nameShown + "^[,電源オン\r\n") << shown.out.size() << " bytes shown";
    EXPECT_EQ(shown.status, 0);
}

TEST_F(OnATerminal, MessagesShowTheControlsOfFileNames) {
    const std::string name = "\x1b[2J" + Sjis("表") + ".vlt";
    ASSERT_EQ(mkfifo(board.PathOf(name).c_str(), 0600), 0);
    const std::vector<std::string> args = {"/N", Dir()};
    const auto shown = RunOnTerminal(VIREZIRIV_BINARY, args, kUtf8);
    EXPECT_EQ(shown.out, "Veltoファイル(" + board.Path() + "^[[2J表.vlt)を開けないか、またはアクセスできません\r\n");
    EXPECT_EQ(shown.status, 2);
    const auto piped = Run(args);
    EXPECT_EQ(piped.err,
              std::string(text::kPersonFileBefore) + board.PathOf(name) + std::string(text::kPersonFileAfter) + "\r\n");
    EXPECT_EQ(piped.status, 2);
}

TEST_F(Board, FailedWriteIsReportedNotSwallowed) {
    Add(kYamada);
    for (const std::string& args : {std::string("/N ") + Dir(), std::string("--version")}) {
        const auto r = test::RunProcess("/bin/sh", {"-c", "exec \"$0\" $1 > /dev/full", VIREZIRIV_BINARY, args});
        EXPECT_EQ(r.status, 99) << args;
        EXPECT_EQ(r.err.rfind(std::string(text::kUnexpectedError) + "\r\n", 0), 0u) << r.err;
        EXPECT_EQ(r.err.substr(r.err.size() - 2), "\r\n");
    }
}
#endif

#ifdef _WIN32
TEST_F(Board, RegistrySettingGivesTheDirectory) {
    using namespace std::string_literals;
    const test::SavedBoardSetting saved;
    Add(kYamada);
    std::string bare = board.Path();
    bare.pop_back();
    const struct {
        const char* what;
        DWORD type;
        std::string value;
        std::string out;
        std::string err;
        int status;
    } cases[] = {
        {"string without its backslash", REG_SZ, bare + "\0"s, Sjis("山田\r\n"), "", 0},
        {"expandable string", REG_EXPAND_SZ, board.Path() + "\0"s, Sjis("山田\r\n"), "", 0},
        {"not expanded", REG_EXPAND_SZ, "%TEMP%\0"s, "", std::string(text::kShareDirNotFound) + "\r\n", 1},
        {"number", REG_DWORD, "\x01\0\0\0"s, "", std::string(text::kNoShareDir) + "\r\n", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(test::WriteBoardSetting(c.type, c.value));
        const auto r = Run({"/N"});
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.status, c.status);
    }
}

TEST_F(Board, CommandLineIsSplitByTheCommandsOwnRules) {
    board.MakeDir("My Share");
    board.Write("My Share\\yamada.vlt", Sjis("やまだ\r\n山田\r\n"));
    const std::string share = board.Path() + "My Share";
    // Quotes open and close anywhere in an argument, "" alone vanishes, and a backslash escapes nothing.
    const std::string tails[] = {" \"/D:" + share + "\" /N", " /N /D:\"" + share + "\"", "\t/N \"\" /D:\"" + share + "\\\""};
    for (const std::string& tail : tails) {
        const auto r = test::RunCommandLine(test::NativePath(VIREZIRIV_BINARY), tail);
        EXPECT_EQ(r.out, Sjis("山田\r\n")) << tail;
        EXPECT_EQ(r.err, "") << tail;
        EXPECT_EQ(r.status, 0) << tail;
    }
}

TEST_F(Board, DirectoryEndingInADoubleByteCharacterWithABackslashTrailByte) {
    board.MakeDir(Sjis("表"));
    board.Write(Sjis("表") + "\\yamada.vlt", Sjis("やまだ\r\n山田\r\n"));
    const auto r = Run({"/N", "/D:" + board.PathOf(Sjis("表"))});
    EXPECT_EQ(r.out, Sjis("山田\r\n"));
    EXPECT_EQ(r.status, 0);
}
#endif

TEST_F(Board, NothingIsWrittenIntoTheSharedDirectory) {
    Add(kYamada);
    Add(kSuzuki);
    const auto before = test::ListDirectory(board.Path());
    Run({"/N", "/F", "/I", "/G", "/K", "/B", "/R", "/H", "/P", "/Q", Dir()});
    EXPECT_EQ(test::ListDirectory(board.Path()), before);
}

}  // namespace
}  // namespace vireziriv
