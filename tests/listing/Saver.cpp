// Saves a file the way many Windows programs do: CreateFile with write access, letting others read
// it but not write it (FILE_SHARE_READ), CREATE_ALWAYS, which empties it; a pause; the first half of
// the bytes; a pause; the rest; CloseHandle. A reader that shares writing would find it empty or half
// written in the pauses.
//
// Usage: saver PATH CONTROL PAUSE_MS:SOURCE...
// Saves the bytes of each SOURCE over PATH in turn, pausing PAUSE_MS twice in each save. It creates
// the file CONTROL\ready as it starts. Before save N (from 1) it waits for the file CONTROL\go.N to
// exist; once PATH is open and empty it creates CONTROL\saving.N. Exits 0 when every save is done, 1
// on a failure, which it describes.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int Fail(const std::string& what) {
    std::fprintf(stderr, "saver: %s (error %lu)\n", what.c_str(), GetLastError());
    return 1;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: saver PATH CONTROL PAUSE_MS:SOURCE...\n");
        return 2;
    }
    const std::string path = argv[1];
    const std::string control = std::string(argv[2]) + "\\";
    std::ofstream(control + "ready").close();
    for (int n = 1; n + 2 < argc; ++n) {
        const std::string step = argv[n + 2];
        const std::size_t colon = step.find(':');
        const DWORD pause = static_cast<DWORD>(std::atoi(step.substr(0, colon).c_str()));
        std::ifstream source(step.substr(colon + 1), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
        if (!source) return Fail("cannot read " + step.substr(colon + 1));

        const std::string number = std::to_string(n);
        while (!Exists(control + "go." + number)) Sleep(5);
        const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return Fail("cannot open " + path);
        std::ofstream(control + "saving." + number).close();
        Sleep(pause);
        const std::size_t half = bytes.size() / 2;
        if (!WriteAll(file, bytes.substr(0, half))) return Fail("cannot write " + path);
        Sleep(pause);
        if (!WriteAll(file, bytes.substr(half))) return Fail("cannot write " + path);
        CloseHandle(file);
    }
    return 0;
}
