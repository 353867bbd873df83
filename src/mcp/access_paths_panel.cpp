// The "Access Paths" panel record:
//   versions 8, 12, 13: u16 version, u8 AlwaysSearchUserPaths,
//     u8 InterpretDOSAndUnixPaths, u16 user count, u16 system count;
//   versions 15, 16: the same with 4 unknown bytes before the two counts;
// then the user records, then the system records, then 8 bytes. A record is
// 0x210 bytes (version 8) or 0x218: +0x08 u16 root, +0x0A u16 format, +0x0C
// the path in a 512-byte field ended by a NUL, then (0x218) +0x20C u32 the
// source tree's string number and +0x214 u8 Recursive, or (0x210) +0x20C u8
// Recursive. In the 0x218 layout each record's path is also named by an id,
// the u32 4 bytes past the record's end (in the next record's first 8
// bytes, or the 8 after the last): a file stored by path names its folder
// by it. Ids are small numbers, those of system paths mostly with bit 30 set.
// Its constraints, against a line-end conversion: the version is a known
// one; the records fill the record to its end, but for room for fewer than
// three more (seen: none or one); flags are 0 or 1 (Recursive also 255),
// roots 0 to 4, formats 1 to 3; a source tree's name is a string; an id's
// top byte is 0 or 0x40, and ids pair with the folders of the files stored
// by path (access_path_folders.h).
#include <string>

#include "mcp/panel_readers.h"

namespace tessaly {

namespace {

constexpr std::uint16_t kRootSourceTree = 4;
constexpr std::size_t kPathField = 512;
constexpr std::size_t kTrailer = 8;
constexpr std::size_t kSpareRecords = 3;
constexpr std::size_t kIdPastRecord = 4;

bool mayBeId(std::uint32_t id) {
    return id >> 24 == 0 || id >> 24 == 0x40;
}

struct Layout {
    std::size_t countsAt;
    std::size_t stride;
};

Layout layoutOf(std::uint16_t version) {
    if (version <= 8) {
        return {4, 0x210};
    }
    return version <= 14 ? Layout{4, 0x218} : Layout{8, 0x218};
}

bool isKnownVersion(std::uint32_t version) {
    return version == 8 || version == 12 || version == 13 || version == 15 || version == 16;
}

bool fillsRecord(std::size_t size, const Layout& layout, std::uint64_t records) {
    const std::uint64_t used = layout.countsAt + 4 + records * layout.stride + kTrailer;
    return used <= size && size - used < kSpareRecords * layout.stride;
}

bool isFlag(std::uint32_t value) {
    return value <= 1;
}

BinaryAccessPath readRecord(const ByteView& record, const StringTable& names) {
    BinaryAccessPath path;
    path.root = record.u16(0x08, "access path root", [](std::uint32_t root) { return root <= 4; });
    path.format = record.u16(0x0A, "access path format",
                             [](std::uint32_t format) { return format >= 1 && format <= 3; });
    path.path = record.cText(0x0C, kPathField, "access path text");
    const std::size_t recursiveAt = record.size() == 0x210 ? 0x20C : 0x214;
    if (record.size() != 0x210 && path.root == kRootSourceTree) {
        path.treeName =
            names.text(record.u32(0x20C, "source tree name",
                                  [&](std::uint32_t name) { return names.holds(name); }),
                       "access path");
    }
    path.recursive = record.u8(recursiveAt, "access path flags",
                               [](std::uint32_t flag) { return flag <= 1 || flag == 0xFF; }) != 0;
    return path;
}

}  // namespace

bool mayBeAccessPathsPanel(const ByteView& record) {
    for (const std::uint32_t version : record.values(0, 2)) {
        if (!isKnownVersion(version)) {
            continue;
        }
        const Layout layout = layoutOf(static_cast<std::uint16_t>(version));
        for (const std::uint32_t user : record.values(layout.countsAt, 2)) {
            for (const std::uint32_t system : record.values(layout.countsAt + 2, 2)) {
                if (fillsRecord(record.size(), layout, std::uint64_t(user) + system)) {
                    return true;
                }
            }
        }
    }
    return false;
}

BinaryAccessPaths readAccessPathsPanel(const ByteView& panel, const StringTable& names,
                                       std::vector<std::string>& unread,
                                       AccessPathFolders& folders) {
    const std::uint16_t version = panel.u16(0, "panel version", isKnownVersion);
    if (!isKnownVersion(version)) {
        unread.push_back("layout of Access Paths panel version " + std::to_string(version) +
                         " (read as the nearest known one)");
    }
    const Layout layout = layoutOf(version);
    BinaryAccessPaths paths;
    paths.alwaysSearchUserPaths = panel.u8(2, "panel header", isFlag) != 0;
    paths.interpretDosAndUnixPaths = panel.u8(3, "panel header", isFlag) != 0;
    panel.decideTogether({{layout.countsAt, 2}, {layout.countsAt + 2, 2}}, "access path count",
                         [&](std::span<const std::uint32_t> counts) {
                             return fillsRecord(panel.size(), layout,
                                                std::uint64_t(counts[0]) + counts[1]);
                         });
    const std::size_t userCount = panel.u16(layout.countsAt, "access path count");
    const std::size_t systemCount = panel.u16(layout.countsAt + 2, "access path count");
    std::size_t at = layout.countsAt + 4;
    for (std::size_t i = 0; i < userCount + systemCount; ++i, at += layout.stride) {
        const ByteView record = panel.part(at, layout.stride, "access path", "access path");
        BinaryAccessPath path = readRecord(record, names);
        const std::size_t idAt = at + layout.stride + kIdPastRecord;
        if (layout.stride == 0x218 && idAt + 4 <= panel.size()) {
            path.id = panel.u32(idAt, "access path id", mayBeId, Use::IfUsed);
            folders.id(panel, idAt, i);
        }
        (i < userCount ? paths.user : paths.system).push_back(path);
    }
    return paths;
}

}  // namespace tessaly
