// Windows files: the *.vlt wildcard with its short-name matches, code page 932 names, file sharing
// and locks.
#include "platform/Files.h"

#include "platform/Errors.h"
#include "platform/PersonFiles.h"
#include "platform/SystemFaults.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
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

// Others may read, rename or delete a file while the command reads it, but no program that has it
// open for writing lets the command in, whatever it shares: what the command reads is never a save in
// progress. (Wine does not refuse the read of a locked range, so the lock violation, busy too, is not
// tried here.)
TEST(ReadWholeFile, ReadsBesideReadersAndDeletersAndIsBusyForWriters) {
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
        {"a reader that shares everything", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
         std::nullopt},
        {"a client about to delete it", DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, std::nullopt},
        {"a writer that shares everything", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
         FileFault::Busy},
        {"a writer that lets readers in", GENERIC_WRITE, FILE_SHARE_READ, FileFault::Busy},
        {"a saving client that shares nothing", GENERIC_READ | GENERIC_WRITE, 0, FileFault::Busy},
        {"a writer that lets nobody read", GENERIC_WRITE, FILE_SHARE_WRITE, FileFault::Busy},
        {"a reader that lets nobody delete", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, std::nullopt},
    };
    for (const auto& c : cases) {
        const OtherHandle other(path, c.access, c.share);
        ASSERT_TRUE(other.ok()) << c.what;
        EXPECT_EQ(FaultReading(path, bytes), c.fault) << c.what;
    }
    EXPECT_EQ(FaultReading(path, bytes), std::nullopt);
}

// A file being deleted while another program holds it open (delete pending) answers an open with
// ERROR_ACCESS_DENIED, as a real denial does; only the NT status tells them apart. Wine never leaves a
// file pending, so the table is checked here, and that the status is the failed call's own.
TEST(FaultOfSystemError, TellsAFileBeingDeletedFromADenial) {
    constexpr long kDeletePending = static_cast<long>(0xC0000056L);
    constexpr long kAccessDenied = static_cast<long>(0xC0000022L);
    const struct {
        DWORD error;
        long status;
        FileFault fault;
    } cases[] = {
        {ERROR_ACCESS_DENIED, kDeletePending, FileFault::Gone},
        {ERROR_ACCESS_DENIED, kAccessDenied, FileFault::Unreadable},
        {ERROR_FILE_NOT_FOUND, static_cast<long>(0xC0000034L), FileFault::Gone},
        {ERROR_PATH_NOT_FOUND, static_cast<long>(0xC000003AL), FileFault::Gone},
        {ERROR_SHARING_VIOLATION, static_cast<long>(0xC0000043L), FileFault::Busy},
        {ERROR_NETNAME_DELETED, static_cast<long>(0xC00000C9L), FileFault::Dropped},
        {ERROR_INVALID_FUNCTION, kDeletePending, FileFault::Unreadable},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::FaultOfSystemError(c.error, c.status), c.fault) << c.error << " " << std::hex << c.status;
    }
    test::TempDir dir;
    const std::string path = dir.Write("held.vlt", "x");
    for (const auto& [open, status] : {std::pair{dir.PathOf("missing.vlt"), static_cast<long>(0xC0000034L)},
                                       std::pair{path, static_cast<long>(0xC0000043L)}}) {
        const OtherHandle holder(path, GENERIC_WRITE, 0);
        const HANDLE refused = CreateFileA(open.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr);
        const long got = platform::LastNtStatus();
        EXPECT_EQ(refused, INVALID_HANDLE_VALUE) << open;
        EXPECT_EQ(got, status) << open;
        if (refused != INVALID_HANDLE_VALUE) CloseHandle(refused);
    }
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
