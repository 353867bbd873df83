// The group tree, the chunk "PLst" named "Project File List": u16 1, u32
// group count, then the tree in pre-order. A group is "ROOT" (the root) or
// "GRUP", u32 0, u32 id, u8 name length, the name, u32 child count, the
// children; a file is "FILE", u32 reference. Spare room may follow it.
// Its constraints, against a line-end conversion: the nodes that follow one
// another from the root end inside the chunk; a group's name is followed by
// its child count and then by a node or the chunk's end; the
// child counts make one tree of the nodes that follow one another from the
// root (seen in all files but one, which keeps a stale node after it, its
// last file again: files that a tree names already are not its nodes), with
// every group open until its last node; where they still allow more than
// one tree, files that stand together decide (files added one after
// another, files of one folder: a tree seldom parts them).
#pragma once

#include <vector>

#include "mcp/binary_project.h"
#include "mcp/byte_view.h"
#include "mcp/file_references.h"

namespace tessaly {

// The groups and files in document order, as the export writes them.
// Nesting is read without recursion, so no depth can exhaust the stack.
std::vector<GroupItem> readGroupTree(const ByteView& tree, FileReferences& references);

// Whether a chunk's bytes may be the group tree; decides nothing.
bool mayBeGroupTree(const ByteView& record);

}  // namespace tessaly
