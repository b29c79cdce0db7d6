// Windows files: the *.vlt wildcard with its short-name matches, code page 932 names, file sharing
// and locks.
#include "platform/Files.h"

#include "platform/Errors.h"
#include "platform/PersonFiles.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace vireziriv {
namespace {

using test::Sjis;

std::vector<std::string> Scan(const std::string& dir) {
    std::vector<std::string> names;
    const platform::PersonFiles files(dir);
    for (std::size_t i = 0; i < files.Count(); ++i) names.emplace_back(files.Name(i));
    std::sort(names.begin(), names.end());
    return names;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The 8.3 alias of a file, or "" when the volume keeps none.
std::string ShortName(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return {};
    const std::string shortPath(buffer, n);
    return shortPath.substr(shortPath.find_last_of('\\') + 1);
}

bool HasVltExtension(std::string name) {
    for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".VLT") == 0;
}

TEST(PersonFiles, TakesWhatTheWildcardMatchesExceptDirectories) {
    test::TempDir dir;
    for (const char* name : {"a.vlt", "X.VLT", "hidden.vlt", "a.vlt.bak", "b.vl", "vlt"}) dir.Write(name, "x");
    dir.Write(Sjis("表.vlt"), "x");  // trail byte 0x5C, read back through code page 932
    dir.MakeDir("d.vlt");
    ASSERT_TRUE(SetFileAttributesA(dir.PathOf("hidden.vlt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));

    const std::vector<std::string> expected = {"X.VLT", "a.vlt", "hidden.vlt", Sjis("表.vlt")};
    EXPECT_EQ(Scan(dir.Path()), expected);
}

// Where the volume gives a name an 8.3 alias, *.vlt also matches e.vltx through E~1.VLT: the
// platform's behaviour, which the board's own programs see too.
TEST(PersonFiles, MatchesThroughShortNames) {
    test::TempDir dir;
    for (const char* name : {"e.vltx", "longername.vltabc", "c.vl"}) {
        dir.Write(name, "x");
        const std::string alias = ShortName(dir.PathOf(name));
        SCOPED_TRACE(std::string(name) + " as " + alias);
        EXPECT_EQ(Contains(Scan(dir.Path()), name), HasVltExtension(alias));
    }
}

TEST(PersonFiles, NothingToWalk) {
    test::TempDir dir;
    dir.Write("readme.txt", "x");
    EXPECT_TRUE(Scan(dir.Path()).empty());
    EXPECT_TRUE(Scan(dir.PathOf("missing\\")).empty());
}

class OtherHandle {
public:
    OtherHandle(const std::string& path, DWORD access, DWORD share)
        : h_(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~OtherHandle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    OtherHandle(const OtherHandle&) = delete;
    OtherHandle& operator=(const OtherHandle&) = delete;
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

// The fault a read fails with, or nothing when it reads the file's bytes.
std::optional<FileFault> FaultReading(const std::string& path, const std::string& expected) {
    try {
        EXPECT_EQ(platform::ReadWholeFile(path), expected);
        return std::nullopt;
    } catch (const EFileError& e) {
        return e.Fault();
    }
}

// The board's own programs may read, save, rename or delete a file while the command reads it; only a
// program that does not share reading keeps the command out: busy. (Wine does not refuse the read of
// a locked range, so the lock violation, busy too, is not tried here.)
TEST(ReadWholeFile, ReadsBesideOthersAndIsBusyOnlyForWhatSharesNothing) {
    test::TempDir dir;
    const std::string bytes = Sjis("やまだ\r\n山田\r\n");
    const std::string path = dir.Write("yamada.vlt", bytes);
    const struct {
        const char* what;
        DWORD access;
        DWORD share;
        std::optional<FileFault> fault;
    } cases[] = {
        {"a reader", GENERIC_READ, FILE_SHARE_READ, std::nullopt},
        {"a writer that shares", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, std::nullopt},
        {"a saving client that shares nothing", GENERIC_READ | GENERIC_WRITE, 0, FileFault::Busy},
        {"a writer that lets readers in", GENERIC_WRITE, FILE_SHARE_READ, std::nullopt},
        {"a reader that lets only readers in", GENERIC_READ, FILE_SHARE_READ, std::nullopt},
        {"a writer that lets nobody read", GENERIC_WRITE, FILE_SHARE_WRITE, FileFault::Busy},
    };
    for (const auto& c : cases) {
        const OtherHandle other(path, c.access, c.share);
        ASSERT_TRUE(other.ok()) << c.what;
        EXPECT_EQ(FaultReading(path, bytes), c.fault) << c.what;
    }
    EXPECT_EQ(FaultReading(path, bytes), std::nullopt);
}

TEST(ReadWholeFile, RefusesWhatIsNotADiskFile) {
    test::TempDir dir;
    dir.MakeDir("d.vlt");
    for (const std::string& path : {std::string("NUL"), dir.PathOf("d.vlt"), dir.PathOf("missing.vlt")}) {
        SCOPED_TRACE(path);
        EXPECT_THROW(platform::ReadWholeFile(path), EFileError);
    }
}

}  // namespace
}  // namespace vireziriv
