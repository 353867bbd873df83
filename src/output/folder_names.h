// The names in use in one folder of the analysis project, so that two nodes
// never share a folder: among the children of one node, a folder name that
// an earlier, different child already has, or that the converter itself uses
// in that folder ("output", "person"), gets "_2", "_3", ... appended, the
// first that is free. Names are compared as the file system compares them:
// on Windows ignoring the letter case of A to Z.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

#include "platform/platform.h"

namespace tessaly {

class FolderNames {
  public:
    explicit FolderNames(PathStyle style) : style_(style) {}

    // Marks a name as used by the converter itself.
    void reserve(std::string_view name) { used_.insert(key(name)); }
    // The safe name, or else the first free one of its numbered forms,
    // marked as used from now on.
    std::string takeDistinct(const std::string& safeName);
    bool isTaken(std::string_view name) const { return used_.count(key(name)) != 0; }

  private:
    std::string key(std::string_view name) const;

    PathStyle style_;
    std::unordered_set<std::string> used_;
};

}  // namespace tessaly
