// What is read of a binary project file: the parts of the project that the
// export of the same project carries and that are understood, in the
// export's own terms and order. Texts are the file's bytes (Mac OS Roman
// from the Mac OS IDE), unconverted, and most are views into the file's
// bytes, which must outlive what is read: a name that a thousand entries
// share is then held once, whatever its length.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cwproject/file_location.h"

namespace tessaly {

struct BinaryFile {
    std::uint32_t reference = 0;  // top byte: the target that created it
    std::string_view name;
    std::uint8_t pathType = 0;    // 2 "Name"; 1 a path below one of the target's access paths
    std::uint8_t pathFormat = 0;  // 1 MacOS, 2 Windows, 3 Unix
    std::uint32_t folder = 0;     // path type 1: the id of that access path
    std::uint8_t kind = 0;        // 0 Unknown, 1 Text, 2 Project, 3 Library, 4 Resource
    std::uint32_t flags = 0;      // bit 0 Debug, bit 2 WeakImport
};

struct BinaryAccessPath {
    std::uint16_t root = 0;  // 0 Absolute, 1 Project, 2 CodeWarrior, 3 System, 4 a source tree
    std::uint16_t format = 0;
    std::string_view path;
    std::string_view treeName;  // for root 4
    bool recursive = false;
    // What a file stored by path names its folder by; nullopt where the
    // record's layout carries none.
    std::optional<std::uint32_t> id;
};

struct BinaryAccessPaths {
    bool alwaysSearchUserPaths = false;
    bool interpretDosAndUnixPaths = false;
    std::vector<BinaryAccessPath> user;
    std::vector<BinaryAccessPath> system;
};

struct BinarySetting {
    std::string name;
    std::string value;
};

// The command line of one of the compilers for microcontrollers ("Panel for
// Compiler for HC08", "HC12", "RS08", "XGATE").
struct BinaryCommandLine {
    std::string_view panel;
    std::string_view text;
};

struct BinaryTarget {
    std::string_view name;
    std::optional<BinaryAccessPaths> accessPaths;
    std::optional<std::vector<std::string_view>> environment;  // "NAME=value" texts
    std::optional<std::vector<BinarySetting>> compilerSettings;
    std::optional<std::string> prefixText;
    std::vector<BinaryCommandLine> commandLines;
    std::vector<BinaryFile> files;
    std::vector<std::uint32_t> linkOrder;  // file references
    std::vector<std::string_view> subTargets;
};

// The group tree in document order, as the export writes it.
struct GroupItem {
    enum class Kind { Open, Close, File };
    Kind kind = Kind::File;
    std::string_view name;        // of an opened group
    std::uint32_t reference = 0;  // of a file
};

// What a reader found in the file but could not read: told to the user, so
// that nothing is dropped unseen.
struct UnreadPart {
    std::string_view target;  // empty for the project as a whole
    std::string what;
};

struct BinaryProject {
    std::vector<BinaryTarget> targets;
    std::vector<std::string_view> targetOrder;
    std::vector<GroupItem> groups;
    std::vector<UnreadPart> unread;
    std::size_t fileSize = 0;
    // Bytes that a line-end conversion had turned from CR into LF and that
    // were restored before reading; 0 for an intact file.
    std::size_t restoredBytes = 0;
    // CR bytes that a line-end conversion had put before each LF and that
    // were removed before reading; 0 for an intact file.
    std::size_t removedCrBytes = 0;
    // Bytes it may have changed that stay undecided in parts that only the
    // export shows (the link order, say): the conversion does not use them,
    // but an export written on its own would show them as they read.
    std::size_t unrestoredForExport = 0;
};

// The access path that a file stored by path lies on, among those of the
// target whose file list holds it; null for a file stored by name, or when
// no access path of the target has the file's folder id.
const BinaryAccessPath* folderOf(const BinaryTarget& target, const BinaryFile& file);

// Whether the file that a location names (as the export's reader reads it)
// lies on disk. Where a line-end conversion made two access paths of a
// target alike and the file's bytes cannot tell on which one a file lies,
// the disk can: the one path below which it lies is its folder.
using FileOnDisk = std::function<bool(const FileLocation&)>;

// Reads a binary project file (starting with "cool" or "looc"); throws
// DamagedProjectError when a structural check fails. A file whose CR bytes
// a line-end conversion turned into LF is restored in place where the
// format, or for a file's folder `onDisk`, decides every byte the reader
// uses, and refused otherwise; one whose LF bytes it wrote as CR LF is read
// with those CR bytes removed (`file` shrinks). What is read refers to
// `file`, so a temporary is refused.
BinaryProject readBinaryProject(std::string& file, const FileOnDisk& onDisk = {});
BinaryProject readBinaryProject(std::string&& file, const FileOnDisk& onDisk = {}) = delete;

}  // namespace tessaly
