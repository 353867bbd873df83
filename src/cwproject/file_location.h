// Where the export locates a file, as the FILE, FILEREF and ROOTFILEREF
// elements give it, before its path is resolved.
#pragma once

#include <string>

namespace tessaly {

// How the export locates a file: PATHTYPE, PATHROOT?, ACCESSPATH?, PATH,
// and the format the access path and path are written in (PATHFORMAT?).
struct FileLocation {
    std::string pathType;
    std::string pathRoot;
    std::string accessPath;
    std::string path;
    std::string pathFormat;

    bool operator==(const FileLocation&) const = default;
};

}  // namespace tessaly
