#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace tessaly {

// Appends every folder below `folder` to `list`, depth first, each folder
// followed at once by its own subtree, siblings in the order the file system
// returns them. The walk never lists or enters the root of a file system (an
// empty folder text, "/", a drive root, a link to one) nor a folder that is
// one of the folders above it in the walk (a link cycle). It keeps its own
// stack, so no depth of folders can exhaust the program's stack.
void expandSubfolders(Platform& platform, const std::string& folder,
                      std::vector<std::string>& list);

}  // namespace tessaly
