// The person files of a board directory from one listing, on Windows and POSIX.
#include "platform/PersonFiles.h"

#include "platform/Cp932.h"
#include "platform/Files.h"
#include "platform/Owned.h"
#include "platform/SystemFaults.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>

#include <cerrno>
#include <cstring>
#endif

namespace vireziriv::platform {
namespace {

[[noreturn]] void RaiseListing(const std::string& dir, const std::string& reason, FileFault fault) {
    throw EFileError("Cannot list directory \"" + dir + "\". " + reason,
                     fault == FileFault::Gone ? FileFault::DirectoryGone : fault);
}

#ifdef _WIN32

[[noreturn]] void RaiseListing(const std::string& dir, DWORD error) {
    const long status = LastNtStatus();
    RaiseListing(dir, "Error " + std::to_string(error), FaultOfSystemError(error, status));
}

EntryKind KindOf(const WIN32_FIND_DATAA& data) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::Directory;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return EntryKind::Unsure;
    return EntryKind::File;
}

// Calls `visit` with every entry of `dir` that the platform's wildcard `pattern` matches, through
// an entry's long name or its 8.3 alias; raises when the search ends other than at its end.
template <class Visit>
void FindEach(const std::string& dir, const char* pattern, Visit visit) {
    WIN32_FIND_DATAA data{};
    const Owned<HANDLE, FindClose> find(FindFirstFileExA((dir + pattern).c_str(), FindExInfoStandard, &data,
                                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH),
                                        INVALID_HANDLE_VALUE);
    if (!find.valid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return;  // nothing matches
        RaiseListing(dir, error);
    }
    do {
        visit(data);
    } while (FindNextFileA(find.get(), &data));
    if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES) RaiseListing(dir, error);
}

#else

[[noreturn]] void RaiseListing(const std::string& dir, int error) {
    RaiseListing(dir, std::strerror(error), FaultOfSystemError(error));
}

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
    FindEach(dir_, "*.vlt", [this](const WIN32_FIND_DATAA& data) {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names_.Add(data.cFileName);
    });
    untyped_.assign(names_.Count(), false);
    FindEach(dir_, "*.off", [&markerEntries](const WIN32_FIND_DATAA& data) {
        markerEntries.push_back({data.cFileName, data.cAlternateFileName, KindOf(data)});
    });
#else
    const Owned<DIR*, closedir> stream(opendir(dir_.c_str()), nullptr);
    if (!stream.valid()) RaiseListing(dir_, errno);
    for (;;) {
        errno = 0;  // readdir's null says "the end" only with errno as it was
        const dirent* entry = readdir(stream.get());
        if (!entry) {
            if (errno != 0) RaiseListing(dir_, errno);
            break;
        }
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
#endif
    // A directory removed while it was listed may have ended the listing like its end.
    if (const auto fault = DirectoryFault(dir_)) RaiseListing(dir_, "It cannot be opened after its listing", *fault);
    names_.ShrinkToFit();
    markers_ = ListedMarkers(std::move(markerEntries), names_);
}

bool PersonFiles::IsDirectory(std::size_t i) const { return untyped_[i] && DirectoryExists(dir_ + std::string(Name(i))); }

std::string PersonFiles::MarkerPath(std::size_t i) const { return dir_ + ListedMarkers::MarkerName(Name(i)); }

}  // namespace vireziriv::platform
