// A scratch directory for fixtures.
#include "support/TempDir.h"

#include "platform/Files.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <system_error>

namespace vireziriv::test {

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
    std::string p = path_.string();
    if (p.empty() || p.back() != platform::kPathDelimiter) p += platform::kPathDelimiter;
    return p;
}

std::string TempDir::Write(std::string_view name, std::string_view bytes) const {
    const std::string path = PathOf(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

void TempDir::MakeDir(std::string_view name) const { std::filesystem::create_directories(PathOf(name)); }

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        std::error_code noSize;
        // A link that leads nowhere, or round in a loop, is listed with no size.
        const auto size = entry.is_regular_file(noSize) ? entry.file_size(noSize) : 0;
        entries.push_back(entry.path().filename().string() + " " + std::to_string(size));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace vireziriv::test
