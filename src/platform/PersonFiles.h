// The person files of a board directory from one listing, which also answers for their .off markers.
#pragma once

#include "platform/ListedMarkers.h"
#include "platform/NameList.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vireziriv::platform {

// Lists `dir` (ending with the separator) once, when constructed: the names that match *.vlt, on
// Windows by the platform's wildcard, which also matches a name through its 8.3 alias (e.vltx as
// E~1.VLT); elsewhere the names ending in ".vlt", ASCII case ignored. Directories are skipped, every
// other entry is taken; a directory that cannot be listed holds none. The order is the file
// system's. Readers on any thread then ask about one file at a time.
class PersonFiles {
public:
    explicit PersonFiles(std::string dir);

    std::size_t Count() const { return names_.Count(); }
    std::string_view Name(std::size_t i) const { return names_[i]; }

    // Whether entry `i` is a directory after all, which is no person file: asked of the file system
    // only for an entry that the listing showed as a link or without a type.
    bool IsDirectory(std::size_t i) const;

    // Whether the file's .off marker exists (as FileExists would say of the file's path with its
    // last extension replaced by ".off"), asking the file system only where the listing cannot tell.
    bool MarkerExists(std::size_t i) const;

private:
    std::string dir_;
    NameList names_;
    std::vector<bool> untyped_;  // by file: a link or an entry of unknown type
    ListedMarkers markers_;
};

}  // namespace vireziriv::platform
