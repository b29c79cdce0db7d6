// The lister's switches: validation, help text and the shared directory.
#include "args/VLArgsUnit.h"

#include "base/Exceptions.h"
#include "base/Texts.h"
#include "platform/Cp932.h"
#include "platform/Files.h"
#include "platform/Registry.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace vireziriv {
namespace {

// Switches that stand for the whole run wherever they stand, as /? does for a Windows console
// program. Named as every switch is (/?:x is /?), case counting.
constexpr struct {
    std::string_view name;
    TVLArgs::Request request;
} kRequests[] = {
    {"/?", TVLArgs::Request::kHelp},
    {"--help", TVLArgs::Request::kHelp},
    {"--version", TVLArgs::Request::kVersion},
};

}  // namespace

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

TVLArgs::Request TVLArgs::GetRequest() const {
    for (int i = 0; i < Count(); ++i) {
        const std::string_view name = Names(i);
        const auto found = std::find_if(std::begin(kRequests), std::end(kRequests),
                                        [&](const auto& r) { return r.name == name; });
        if (found != std::end(kRequests)) return found->request;
    }
    return Request::kListing;
}

void TVLArgs::Validate() {
    const Request request = GetRequest();
    if (Count() == 0 || request == Request::kHelp) throw EVeltoCommandArgsException(GetUsage());
    // The version needs no board.
    if (request == Request::kVersion) return;
    const std::string dir = GetShareDir();
    if (dir.empty()) throw EVeltoCommandArgsException(std::string(text::kNoShareDir));
    if (!platform::DirectoryExists(dir)) throw EVeltoCommandArgsException(std::string(text::kShareDirNotFound));
}

}  // namespace vireziriv
