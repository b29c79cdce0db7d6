// The person files of a board directory from one listing, on Windows and POSIX.
#include "platform/PersonFiles.h"

#include "platform/Cp932.h"
#include "platform/Files.h"
#include "platform/Owned.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#endif

namespace vireziriv::platform {
namespace {

#ifdef _WIN32

EntryKind KindOf(const WIN32_FIND_DATAA& data) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::Directory;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return EntryKind::Unsure;
    return EntryKind::File;
}

// Calls `visit` with every entry that the platform's wildcard `pattern` matches, through an entry's
// long name or its 8.3 alias.
template <class Visit>
void FindEach(const std::string& pattern, Visit visit) {
    WIN32_FIND_DATAA data{};
    const Owned<HANDLE, FindClose> find(FindFirstFileExA(pattern.c_str(), FindExInfoStandard, &data,
                                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH),
                                        INVALID_HANDLE_VALUE);
    if (!find.valid()) return;
    do {
        visit(data);
    } while (FindNextFileA(find.get(), &data));
}

#else

// The wildcard *.vlt of a platform without one: the name ends in .vlt, ASCII case ignored.
bool EndsWithVlt(std::string_view name) {
    constexpr std::string_view ext = ".vlt";
    return name.size() >= ext.size() && cp932::EqualsIgnoringAsciiCase(name.substr(name.size() - ext.size()), ext);
}

EntryKind KindOf(unsigned char type) {
    switch (type) {
        case DT_DIR: return EntryKind::Directory;
        case DT_LNK:
        case DT_UNKNOWN: return EntryKind::Unsure;
        default: return EntryKind::File;
    }
}

#endif

}  // namespace

PersonFiles::PersonFiles(std::string dir) : dir_(std::move(dir)) {
    std::vector<ListedEntry> markerEntries;
#ifdef _WIN32
    FindEach(dir_ + "*.vlt", [this](const WIN32_FIND_DATAA& data) {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names_.Add(data.cFileName);
    });
    untyped_.assign(names_.Count(), false);
    FindEach(dir_ + "*.off", [&markerEntries](const WIN32_FIND_DATAA& data) {
        markerEntries.push_back({data.cFileName, data.cAlternateFileName, KindOf(data)});
    });
#else
    if (const Owned<DIR*, closedir> stream(opendir(dir_.c_str()), nullptr); stream.valid()) {
        while (const dirent* entry = readdir(stream.get())) {
            const std::string_view name = entry->d_name;
            const EntryKind kind = KindOf(entry->d_type);
            if (EndsWithVlt(name)) {
                if (kind == EntryKind::Directory) continue;
                names_.Add(name);
                untyped_.push_back(kind == EntryKind::Unsure);
            } else if (ListedMarkers::MayBeMarker(name)) {
                markerEntries.push_back({std::string(name), std::string(), kind});
            }
        }
    }
#endif
    names_.ShrinkToFit();
    markers_ = ListedMarkers(std::move(markerEntries), names_);
}

bool PersonFiles::IsDirectory(std::size_t i) const { return untyped_[i] && DirectoryExists(dir_ + std::string(Name(i))); }

bool PersonFiles::MarkerExists(std::size_t i) const {
    switch (markers_.Answer(Name(i))) {
        case MarkerAnswer::Exists: return true;
        case MarkerAnswer::Missing: return false;
        case MarkerAnswer::Ask: break;
    }
    return FileExists(dir_ + ListedMarkers::MarkerName(Name(i)));
}

}  // namespace vireziriv::platform
