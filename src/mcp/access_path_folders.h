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
// otherwise the file's folder stays open and the file is refused; where
// none does, it is looked for by name as an intact one is. Each pass
// removes at least one value: the work is bounded by the number of values,
// and the disk is asked only for files whose folder the bytes leave open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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
    // Decides the target's fields, and starts on the next target.
    void decide(const BinaryTarget& target, const FileOnDisk& onDisk);

  private:
    struct Field {
        Restoration* restoration;
        FieldAt at;
        std::size_t index;                  // of the path or the file
        std::vector<std::uint32_t> values;  // the value as it reads first
        std::optional<std::uint32_t> given = std::nullopt;
    };
    static void add(std::vector<Field>& fields, const ByteView& view, std::size_t at,
                    std::size_t index);
    void tellAlikeIds() const;
    bool narrowIds();
    std::vector<Field*> pathsSharingValue(const Field& folder);
    static bool liesBelow(const Field& path, const Field& folder, const BinaryTarget& target,
                          const FileOnDisk& onDisk);
    void pair(Field& folder, Field& path);

    std::vector<Field> ids_;
    std::vector<Field> folders_;
};

}  // namespace tessaly
