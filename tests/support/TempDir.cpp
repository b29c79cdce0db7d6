// A scratch directory for fixtures.
#include "support/TempDir.h"

#include "platform/Files.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vireziriv::test {
namespace {

// The command names files in the ANSI code page; MinGW's std::filesystem reads narrow strings
// otherwise, so on Windows they go through the wide form.
std::filesystem::path FsPath(const std::string& native) {
#ifdef _WIN32
    const int n = MultiByteToWideChar(CP_ACP, 0, native.data(), static_cast<int>(native.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, native.data(), static_cast<int>(native.size()), wide.data(), n);
    return std::filesystem::path(wide);
#else
    return std::filesystem::path(native);
#endif
}

std::string NativeName(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring wide = path.wstring();
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string native(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), native.data(), n, nullptr, nullptr);
    return native;
#else
    return path.string();
#endif
}

}  // namespace

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        std::ostringstream name;
        name << "vireziriv-test-" << stamp << "-" << counter++;
        path_ = std::filesystem::temp_directory_path() / name.str();
        if (std::filesystem::create_directory(path_)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Path() const {
    std::string p = NativeName(path_);
    if (p.empty() || p.back() != platform::kPathDelimiter) p += platform::kPathDelimiter;
    return p;
}

std::string TempDir::Write(std::string_view name, std::string_view bytes) const {
    const std::string path = PathOf(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

void TempDir::MakeDir(std::string_view name) const { std::filesystem::create_directories(FsPath(PathOf(name))); }

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(FsPath(path))) {
        std::error_code noSize;
        // A link that leads nowhere, or round in a loop, is listed with no size.
        const auto size = entry.is_regular_file(noSize) ? entry.file_size(noSize) : 0;
        entries.push_back(NativeName(entry.path().filename()) + " " + std::to_string(size));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace vireziriv::test
