// The lister's switches: validation, help text and the shared directory.
#include "args/VLArgsUnit.h"

#include "base/Exceptions.h"
#include "base/Texts.h"
#include "platform/Cp932.h"
#include "platform/Files.h"
#include "platform/Registry.h"

namespace vireziriv {

TVLArgs& TVLArgs::GetInstance() {
    TOstrelArgs& instance = Instance([] { return std::unique_ptr<TOstrelArgs>(new TVLArgs); });
    if (auto* args = dynamic_cast<TVLArgs*>(&instance)) return *args;
    throw Exception("The switch list was created as " + instance.ClassName() + ", not as TVLArgs");
}

std::string TVLArgs::GetUsage() const { return std::string(text::kUsage); }

std::string TVLArgs::GetShareDir() const {
    std::string dir = Values("/D");
    if (dir.empty()) dir = platform::ReadBoardShareDir();
    if (dir.empty()) return dir;
    // The last character, not the last byte: a double-byte character may end in the separator's byte.
    const std::size_t last = cp932::LastCharStart(dir);
    if (last + 1 != dir.size() || dir.back() != platform::kPathDelimiter) dir += platform::kPathDelimiter;
    return dir;
}

void TVLArgs::Validate() {
    if (Count() == 0) throw EVeltoCommandArgsException(GetUsage());
    const std::string dir = GetShareDir();
    if (dir.empty()) throw EVeltoCommandArgsException(std::string(text::kNoShareDir));
    if (!platform::DirectoryExists(dir)) throw EVeltoCommandArgsException(std::string(text::kShareDirNotFound));
}

}  // namespace vireziriv
