// Listing and reading the board's files again while a client saves one or a server drops the connection.
#include "board/BoardFiles.h"

#include "base/Exceptions.h"
#include "base/Texts.h"

namespace vireziriv {

template <class Attempt>
auto BoardFiles::Patiently(Attempt attempt) const {
    ReadRetries retries;
    for (;;) {
        try {
            return attempt();
        } catch (const EFileError& e) {
            const auto pause = retries.After(e.Fault());
            if (!pause) throw;
            Pause(*pause);
        }
    }
}

platform::PersonFiles BoardFiles::ListPatiently(const std::string& dir) const {
    return Patiently([&] { return List(dir); });
}

bool BoardFiles::ReadPatiently(const std::string& path, std::string& bytes) const {
    try {
        Patiently([&] { Read(path, bytes); });
    } catch (const EFileError& e) {
        if (e.Fault() == FileFault::Gone) return false;
        throw;
    }
    return true;
}

bool BoardFiles::ExistsPatiently(const std::string& path) const {
    return Patiently([&] { return Exists(path); });
}

void RaiseShareDirGone() { throw EVeltoCommandArgsException(std::string(text::kShareDirNotFound)); }

}  // namespace vireziriv
