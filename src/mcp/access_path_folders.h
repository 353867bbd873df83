// A file stored by path names the access path it lies on by the path's id
// (the file entry's +0x0C, the u32 past each Access Paths record). To the
// conversion the id is only that pairing, so against a line-end conversion
// the pairing is what is decided, per target: ids of one panel are
// distinct (a value that another path holds for certain is not a path's;
// two that read alike, one of which may have held a CR, show a conversion),
// and a file's folder is the path whose values share one with its own (so
// it held in every shared file). Where exactly one path does, the file and
// the path are given a value they share (the file's as it reads where it
// can: an id is written nowhere, so which of two shared values it held
// changes nothing, as long as no two paths are given one); where several
// do, the disk decides when the file lies below exactly one of them, and
// otherwise the project decides once every target is read: a project holds
// one file of a name (its group tree names each once; in the shared
// projects, 282 files of a name in two targets lie in one folder, none
// apart), so a file that another target holds in a decided folder lies
// where that one lies, and the one path that locates it there is its
// folder. A file that neither tells stays open and is refused; where no
// path shares a value, it is looked for by name as an intact one is. Each
// pass removes at least one value: the work is bounded by the number of
// values, and the disk is asked only for files whose folder the bytes leave
// open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "mcp/binary_project.h"
#include "mcp/byte_view.h"
#include "mcp/restoration.h"

namespace tessaly {

class AccessPathFolders {
  public:
    // The id of the target's access path `path` (user paths, then system
    // paths), at `at` in `panel`.
    void id(const ByteView& panel, std::size_t at, std::size_t path);
    // The folder field of the target's file `file`, stored by path.
    void folder(const ByteView& entries, std::size_t at, std::size_t file);
    // Decides what the target's bytes and the disk tell, and starts on the
    // next target.
    void decide(const BinaryTarget& target, const FileOnDisk& onDisk);
    // Once every target is read: the folders that another target's file of
    // the same name tells, then the ids.
    void finish();

  private:
    struct Field {
        Restoration* restoration;
        FieldAt at;
        std::size_t index;                  // of the path or the file
        std::vector<std::uint32_t> values;  // the value as it reads first
        std::optional<std::uint32_t> given = std::nullopt;
    };
    // A path that may be a file's folder (an index into the ids), and
    // where it locates the file.
    struct Candidate {
        std::size_t path;
        FileLocation location;
    };
    // A file whose folder the target's bytes and the disk leave open.
    struct Open {
        std::size_t folder;
        std::string_view name;
        std::vector<Candidate> candidates;
    };
    struct Target {
        std::vector<Field> ids;
        std::vector<Field> folders;
        std::vector<Open> open;
    };

    static void add(std::vector<Field>& fields, const ByteView& view, std::size_t at,
                    std::size_t index);
    static void tellAlikeIds(const Target& target);
    static bool narrowIds(Target& target);
    static std::vector<std::size_t> pathsSharingValue(const Target& target, const Field& folder);
    static FileLocation location(const Field& path, const Field& folder,
                                 const BinaryTarget& target);
    static bool pair(Target& target, Field& folder, Field& path);
    static void waitForTargets(Target& fields, const Field& folder,
                               const std::vector<std::size_t>& paths, const BinaryTarget& target);
    static void settleIds(const Target& target);
    std::optional<std::size_t> toldByOtherTargets(const Open& open) const;

    Target reading_;
    std::vector<Target> read_;  // whose folders wait for the other targets
    std::unordered_map<std::string_view, std::vector<FileLocation>> placed_;  // by file name
};

}  // namespace tessaly
