// Which child counts of the group tree a line-end conversion changed: a
// count of 10 may have been 13. The counts must make one tree of the nodes
// (group_nodes.h); where they allow more than one, files that stand
// together decide.
#pragma once

#include "mcp/byte_view.h"
#include "mcp/file_references.h"
#include "mcp/group_nodes.h"

namespace tessaly {

// Settles the counts that the tree decides; leaves the others undecided.
void decideChildCounts(const ByteView& tree, const GroupNodes& nodes, FileReferences& references);

}  // namespace tessaly
