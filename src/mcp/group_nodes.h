// The nodes of the group tree as they follow one another in its chunk,
// found without the child counts (group_tree.h gives the layout), so that
// the counts can be decided against them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mcp/byte_view.h"

namespace tessaly {

inline constexpr std::size_t kGroupRootAt = 6;
inline constexpr std::size_t kFileNodeSize = 8;
inline constexpr std::size_t kGroupHeaderSize = 17;  // and the name
inline constexpr std::size_t kNoFile = SIZE_MAX;

// A group and where its child count lies.
struct CountedGroup {
    std::size_t node;  // its place among the nodes
    std::size_t countAt;
};

// The nodes that follow one another from the root, each group's name
// length decided by what follows it; cut when a node runs past the end.
struct GroupNodes {
    std::vector<CountedGroup> groups;
    std::vector<std::size_t> referenceAt;  // of each node; kNoFile for a group
    bool cut = false;

    std::size_t size() const { return referenceAt.size(); }
};

GroupNodes scanGroupNodes(const ByteView& tree);

}  // namespace tessaly
