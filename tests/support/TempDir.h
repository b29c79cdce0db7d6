// A scratch directory for fixtures, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vireziriv::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory as the command takes it: ending with the platform's separator.
    std::string Path() const;
    std::string PathOf(std::string_view name) const { return Path() + std::string(name); }

    // Writes `bytes` to `name` (a path relative to the directory) exactly as given.
    std::string Write(std::string_view name, std::string_view bytes) const;
    void MakeDir(std::string_view name) const;

private:
    std::filesystem::path path_;
};

// Every byte of a file, or "" when it cannot be read.
std::string ReadBytes(const std::string& path);

// The entries of a directory as "name size" lines, sorted: enough to see that nothing changed.
std::vector<std::string> ListDirectory(const std::string& path);

}  // namespace vireziriv::test
