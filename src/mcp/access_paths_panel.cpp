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
// by it. User paths have small ids, system paths ids with bit 30 set.
#include <string>

#include "mcp/panel_readers.h"

namespace tessaly {

namespace {

constexpr std::uint16_t kRootSourceTree = 4;
constexpr std::size_t kPathField = 512;
constexpr std::size_t kIdPastRecord = 4;

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

bool isKnownVersion(std::uint16_t version) {
    return version == 8 || version == 12 || version == 13 || version == 15 || version == 16;
}

BinaryAccessPath readRecord(const ByteView& record, const StringTable& names) {
    BinaryAccessPath path;
    path.root = record.u16(0x08, "access path root");
    path.format = record.u16(0x0A, "access path format");
    path.path = record.cText(0x0C, kPathField, "access path text");
    if (record.size() == 0x210) {
        path.recursive = record.u8(0x20C, "access path flags") != 0;
        return path;
    }
    if (path.root == kRootSourceTree) {
        path.treeName = names.text(record.u32(0x20C, "source tree name"), "access path");
    }
    path.recursive = record.u8(0x214, "access path flags") != 0;
    return path;
}

}  // namespace

BinaryAccessPaths readAccessPathsPanel(const ByteView& panel, const StringTable& names,
                                       std::vector<std::string>& unread) {
    const std::uint16_t version = panel.u16(0, "panel version");
    if (!isKnownVersion(version)) {
        unread.push_back("layout of Access Paths panel version " + std::to_string(version) +
                         " (read as the nearest known one)");
    }
    const Layout layout = layoutOf(version);
    BinaryAccessPaths paths;
    paths.alwaysSearchUserPaths = panel.u8(2, "panel header") != 0;
    paths.interpretDosAndUnixPaths = panel.u8(3, "panel header") != 0;
    const std::size_t userCount = panel.u16(layout.countsAt, "access path count");
    const std::size_t systemCount = panel.u16(layout.countsAt + 2, "access path count");
    std::size_t at = layout.countsAt + 4;
    for (std::size_t i = 0; i < userCount + systemCount; ++i, at += layout.stride) {
        const ByteView record = panel.part(at, layout.stride, "access path", "access path");
        BinaryAccessPath path = readRecord(record, names);
        const std::size_t idAt = at + layout.stride + kIdPastRecord;
        if (layout.stride == 0x218 && idAt + 4 <= panel.size()) {
            path.id = panel.u32(idAt, "access path id");
        }
        (i < userCount ? paths.user : paths.system).push_back(path);
    }
    return paths;
}

}  // namespace tessaly
