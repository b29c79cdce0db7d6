// A save in progress is never listed: a Windows program saves a person file or the settings file in
// steps while it lets others read it, and the command, run during the save, waits for it and lists
// the new version whole, or ends with status 2 when the save outlasts the command's bound.
#include "base/Texts.h"
#include "support/Process.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

namespace vireziriv {
namespace {

using test::Sjis;

// A person file whose name, return date and reason of absence tell its version.
std::string PersonText(int version) {
    const std::string v = std::to_string(version);
    return Sjis("やまだ\r\n山田 " + v + "\r\n営業\r\n\r\n外出 " + v + "\r\n来週" + v + "\r\n17:00\r\n\r\n\r\n2\r\n");
}

// Its listing with /N /R /H.
std::string Listing(int version) {
    const std::string v = std::to_string(version);
    return Sjis("山田 " + v + ",来週" + v + " 17:00,外出 " + v + "  \r\n");
}

// The saver program on a thread of its own, each of its saves started when the test says so.
class Saver {
public:
    // `steps` as the saver takes them: "PAUSE_MS:SOURCE", one a save.
    Saver(const std::string& path, const test::TempDir& control, const std::vector<std::string>& steps)
        : control_(control), saves_(steps.size()) {
        std::string controlDir = control.Path();
        controlDir.pop_back();
        std::vector<std::string> args = {path, controlDir};
        args.insert(args.end(), steps.begin(), steps.end());
        thread_ = std::thread([this, args] { result_ = test::RunProcess(test::NativePath(VIREZIRIV_SAVER), args); });
        // Started before any other program is: one started meanwhile would inherit the handles of the
        // saver's output, which then never ends.
        EXPECT_TRUE(AwaitFile("ready"));
    }
    ~Saver() { Finish(); }
    Saver(const Saver&) = delete;
    Saver& operator=(const Saver&) = delete;

    // Starts the next save; true once the file is open for it and empty.
    bool StartSave() {
        const std::string n = std::to_string(++started_);
        control_.Write("go." + n, "");
        return AwaitFile("saving." + n);
    }

    // Lets every save go, waits for the program to end and gives its result.
    const test::ProcessResult& Finish() {
        if (thread_.joinable()) {
            while (started_ < saves_) control_.Write("go." + std::to_string(++started_), "");
            thread_.join();
        }
        return result_;
    }

private:
    // True once the saver has made the file `name` in the control directory, false after 20 s.
    bool AwaitFile(const std::string& name) const {
        for (int waited = 0; waited < 20000; waited += 5) {
            if (GetFileAttributesA(control_.PathOf(name).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
            Sleep(5);
        }
        return false;
    }

    const test::TempDir& control_;
    std::size_t saves_;
    std::size_t started_ = 0;
    std::thread thread_;
    test::ProcessResult result_{};
};

class SaveInProgress : public testing::Test {
protected:
    test::ProcessResult List() const {
        return test::RunProcess(test::NativePath(VIREZIRIV_BINARY), {"/N", "/R", "/H", "/D:" + board.Path()});
    }

    // A source of the saver: the bytes of a version, in the control directory.
    std::string Step(int pauseMs, const std::string& name, const std::string& bytes) const {
        return std::to_string(pauseMs) + ":" + control.Write(name, bytes);
    }

    test::TempDir board;
    test::TempDir control;
};

TEST_F(SaveInProgress, AListingHasTheOldVersionOrTheNewOneAndFailsWhenASaveOutlastsTheBound) {
    const std::string path = board.Write("yamada.vlt", PersonText(0));
    // Saves of a second, well within the bound of 3 s, and one of 4 s beyond it.
    Saver saver(path, control,
                {Step(500, "v1", PersonText(1)), Step(500, "v2", PersonText(2)), Step(500, "v3", PersonText(3)),
                 Step(2000, "v4", PersonText(4))});
    const auto before = List();
    EXPECT_EQ(before.out, Listing(0));
    EXPECT_EQ(before.status, 0);
    for (int version = 1; version <= 3; ++version) {
        SCOPED_TRACE("during save " + std::to_string(version));
        ASSERT_TRUE(saver.StartSave());
        // The file is empty now, then half written: only the version being saved is whole.
        const auto during = List();
        EXPECT_EQ(during.out, Listing(version));
        EXPECT_EQ(during.err, "");
        EXPECT_EQ(during.status, 0);
    }
    ASSERT_TRUE(saver.StartSave());
    const auto outlasted = List();
    EXPECT_EQ(outlasted.out, "");
    EXPECT_EQ(outlasted.err,
              std::string(text::kPersonFileBefore) + path + std::string(text::kPersonFileAfter) + "\r\n");
    EXPECT_EQ(outlasted.status, 2);
    const auto& saved = saver.Finish();
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(List().out, Listing(4));
}

TEST_F(SaveInProgress, SettingsSavedForLongerThanTheBoundEndTheRun) {
    board.Write("yamada.vlt", PersonText(0));
    const std::string path = board.Write("velto.ini", "UDPMessage,Port=2000\r\n");
    Saver saver(path, control, {Step(2000, "ini", "UDPMessage,Port=2001\r\n")});
    ASSERT_TRUE(saver.StartSave());
    const auto r = List();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, path + std::string(text::kSettingsUnreadable) + "\r\n");
    EXPECT_EQ(r.status, 2);
    const auto& saved = saver.Finish();
    EXPECT_EQ(saved.status, 0) << saved.err;
}

}  // namespace
}  // namespace vireziriv
