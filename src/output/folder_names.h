// The names in use in one folder of the analysis project, so that two nodes
// never share a folder: among the children of one node, a folder name that
// an earlier, different child already has, or that the converter itself uses
// in that folder ("output", "person"), gets "_2", "_3", ... appended, the
// first that is free. Names are compared as the file system compares them
// (on Windows ignoring letter case). Each name's numbers are counted on from
// where its last search ended, so a name shared by many siblings costs no
// more per sibling than a name of its own.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/platform.h"

namespace tessaly {

class FolderNames {
  public:
    explicit FolderNames(Platform& platform) : platform_(&platform) {}

    // Marks a name as used by the converter itself.
    void reserve(const std::string& name) { used_.insert(platform_->folderNameKey(name)); }
    // The safe name, or else the first free one of its numbered forms,
    // marked as used from now on.
    std::string takeDistinct(const std::string& safeName);
    bool isTaken(const std::string& name) const {
        return used_.count(platform_->folderNameKey(name)) != 0;
    }

  private:
    Platform* platform_;
    std::unordered_set<std::string> used_;
    // The next number to try for a name, below which every number is taken;
    // kept by the key of the name with its "_", which its numbered forms
    // extend by digits alone, so names of one key share their numbers.
    std::unordered_map<std::string, int> nextNumber_;
};

}  // namespace tessaly
