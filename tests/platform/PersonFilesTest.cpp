// A board directory's person files from one listing: each marker's answer equals what a look-up of its
// own gives, on this platform's file system, and entries that turn out to be directories are skipped.
#include "platform/PersonFiles.h"

#include "platform/Errors.h"
#include "platform/Files.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vireziriv::platform {
namespace {

using test::Sjis;

// On Windows (and under Wine) a look-up ignores case; the scratch directories elsewhere do not.
#ifdef _WIN32
constexpr bool kCaseBlind = true;
#else
constexpr bool kCaseBlind = false;
#endif

// Every person file's marker answer, by name: the listing's where it decides, else a look-up's, each
// checked against a look-up of the marker itself.
std::map<std::string, bool> Markers(const test::TempDir& dir) {
    const PersonFiles files(dir.Path());
    std::map<std::string, bool> answers;
    for (std::size_t i = 0; i < files.Count(); ++i) {
        const std::string name(files.Name(i));
        const std::string marker = dir.PathOf(ListedMarkers::MarkerName(name));
        EXPECT_EQ(files.MarkerPath(i), marker);
        const MarkerAnswer answer = files.Marker(i);
        const bool exists = answer == MarkerAnswer::Ask ? FileExists(marker) : answer == MarkerAnswer::Exists;
        EXPECT_EQ(exists, FileExists(marker)) << name;
        answers[name] = exists;
    }
    return answers;
}

TEST(PersonFiles, MarkerAnswersEqualALookUpOfTheirOwn) {
    const struct {
        const char* what;
        std::function<void(const test::TempDir&)> make;  // beside the person file a.vlt
        bool exists;
    } cases[] = {
        {"present", [](const test::TempDir& d) { d.Write("a.off", ""); }, true},
        {"absent", [](const test::TempDir&) {}, false},
        {"another person's", [](const test::TempDir& d) { d.Write("b.vlt", "b"), d.Write("b.off", ""); }, false},
        {"an orphan", [](const test::TempDir& d) { d.Write("zz.off", ""); }, false},
        {"other case", [](const test::TempDir& d) { d.Write("A.OFF", ""); }, kCaseBlind},
        {"a directory named a.off", [](const test::TempDir& d) { d.MakeDir("a.off"); }, false},
        {"a directory in other case", [](const test::TempDir& d) { d.MakeDir("A.off"); }, false},
#ifndef _WIN32
        {"a dangling link", [](const test::TempDir& d) { (void)symlink("nowhere", d.PathOf("a.off").c_str()); }, true},
        {"a link to a file",
         [](const test::TempDir& d) {
             d.Write("target", "");
             (void)symlink("target", d.PathOf("a.off").c_str());
         },
         true},
        {"a link to a directory",
         [](const test::TempDir& d) {
             d.MakeDir("target");
             (void)symlink("target", d.PathOf("a.off").c_str());
         },
         false},
        {"a FIFO", [](const test::TempDir& d) { mkfifo(d.PathOf("a.off").c_str(), 0600); }, true},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        dir.Write("a.vlt", "a");
        c.make(dir);
        EXPECT_EQ(Markers(dir).at("a.vlt"), c.exists);
    }
}

TEST(PersonFiles, MarkersOfNamesThatNeedCare) {
    test::TempDir dir;
    for (const std::string& name : {std::string("a.b.vlt"), Sjis("表.vlt"), Sjis("ソ.vlt"), std::string("x~1.vlt"),
                                    std::string("on~1.vlt"), std::string("p.VLT")}) {
        dir.Write(name, "x");
    }
    for (const std::string& name :
         {std::string("a.b.off"), Sjis("表.off"), std::string("x~1.off"), std::string("p.off")}) {
        dir.Write(name, "");
    }
    dir.Write(Sjis("そ.off"), "");  // another name, which a case-blind look-up does not take for ソ either
    const std::map<std::string, bool> expected = {{"a.b.vlt", true}, {Sjis("表.vlt"), true}, {Sjis("ソ.vlt"), false},
                                                  {"x~1.vlt", true}, {"on~1.vlt", false},    {"p.VLT", true}};
    EXPECT_EQ(Markers(dir), expected);
}

#ifndef _WIN32
TEST(PersonFiles, PersonsOfOtherCaseInACaseSensitiveDirectory) {
    test::TempDir dir;
    dir.Write("a.vlt", "x");
    dir.Write("A.vlt", "x");
    dir.Write("A.off", "");
    const std::map<std::string, bool> expected = {{"A.vlt", true}, {"a.vlt", false}};
    EXPECT_EQ(Markers(dir), expected);
}

TEST(PersonFiles, TellsALinkToADirectoryFromOtherEntries) {
    test::TempDir dir;
    dir.Write("file.vlt", "x");
    dir.MakeDir("target");
    dir.Write("target.txt", "x");
    (void)symlink("target", dir.PathOf("todir.vlt").c_str());
    (void)symlink("target.txt", dir.PathOf("tofile.vlt").c_str());
    (void)symlink("nowhere", dir.PathOf("dangling.vlt").c_str());
    dir.MakeDir("dir.vlt");
    const PersonFiles files(dir.Path());
    std::map<std::string, bool> isDirectory;
    for (std::size_t i = 0; i < files.Count(); ++i) isDirectory[std::string(files.Name(i))] = files.IsDirectory(i);
    const std::map<std::string, bool> expected = {
        {"file.vlt", false}, {"todir.vlt", true}, {"tofile.vlt", false}, {"dangling.vlt", false}};
    EXPECT_EQ(isDirectory, expected);
}
#endif

TEST(PersonFiles, AnEmptyDirectoryHoldsNoneAndAMissingOneIsNoListing) {
    test::TempDir dir;
    EXPECT_EQ(PersonFiles(dir.Path()).Count(), 0u);
    dir.Write("note.txt", "x");
    EXPECT_EQ(PersonFiles(dir.Path()).Count(), 0u);
    dir.Write("file", "x");
    for (const std::string& missing : {dir.PathOf("missing") + kPathDelimiter, dir.PathOf("file") + kPathDelimiter}) {
        try {
            PersonFiles listed(missing);
            ADD_FAILURE() << missing << ": listed " << listed.Count() << " files";
        } catch (const EFileError& e) {
            EXPECT_EQ(e.Fault(), FileFault::DirectoryGone) << missing;
        }
    }
}

}  // namespace
}  // namespace vireziriv::platform
