#include "mcp/group_nodes.h"

#include "mcp/container.h"

namespace tessaly {

namespace {

bool isNode(const ByteView& tree, std::size_t at) {
    if (at + 4 > tree.size()) {
        return false;
    }
    const std::uint32_t tag = tree.probe().u32(at, "group tree node");
    return tag == fourCc("FILE") || tag == fourCc("GRUP");
}

}  // namespace

GroupNodes scanGroupNodes(const ByteView& tree) {
    GroupNodes scan;
    for (std::size_t at = kGroupRootAt; at + 4 <= tree.size();) {
        const std::uint32_t tag = tree.probe().u32(at, "group tree node");
        if (tag == fourCc("FILE")) {
            scan.referenceAt.push_back(at + 4);
            at += kFileNodeSize;
            scan.cut = at > tree.size();
            continue;
        }
        if (tag != fourCc(scan.size() == 0 ? "ROOT" : "GRUP")) {
            break;
        }
        if (at + kGroupHeaderSize > tree.size()) {
            scan.cut = true;
            break;
        }
        const std::size_t length = tree.u8(
            at + 12, "group name",
            [&](std::uint32_t length) {
                const std::size_t next = at + kGroupHeaderSize + length;
                return next == tree.size() || isNode(tree, next);
            },
            Use::IfUsed);
        scan.groups.push_back({scan.size(), at + 13 + length});
        scan.referenceAt.push_back(kNoFile);
        at += kGroupHeaderSize + length;
        scan.cut = at > tree.size();
    }
    return scan;
}

}  // namespace tessaly
