// Reading a file of the board again while a client saves it or a server drops the connection.
#include "board/BoardFiles.h"

namespace vireziriv {

bool BoardFiles::ReadPatiently(const std::string& path, std::string& bytes) const {
    ReadRetries retries;
    for (;;) {
        try {
            Read(path, bytes);
            return true;
        } catch (const EFileError& e) {
            if (e.Fault() == FileFault::Gone) return false;
            const auto pause = retries.After(e.Fault());
            if (!pause) throw;
            Pause(*pause);
        }
    }
}

}  // namespace vireziriv
