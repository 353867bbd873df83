#include "cwproject/subfolder_expansion.h"

#include <algorithm>
#include <optional>
#include <set>
#include <utility>

namespace tessaly {

namespace {

struct Subfolder {
    std::string path;
    FolderFacts facts;
};

struct WalkFrame {
    std::optional<FolderIdentity> identity;
    std::vector<Subfolder> subfolders;
    std::size_t next = 0;
};

// `identity` is the folder's identity, asked for once by the caller.
WalkFrame enterFolder(Platform& platform, const std::string& folder,
                      std::optional<FolderIdentity> identity) {
    WalkFrame frame;
    frame.identity = identity;
    std::vector<std::string> names;
    if (!platform.listDirectory(folder, names)) {
        return frame;  // a folder that cannot be enumerated is skipped silently
    }
    for (const std::string& name : names) {
        if (name == "." || name == "..") {
            continue;
        }
        std::string path = folder + platform.separator() + name;
        if (auto facts = platform.directoryFacts(path)) {
            frame.subfolders.push_back({std::move(path), *facts});
        }
    }
    return frame;
}

bool isOnWalk(const std::vector<WalkFrame>& walk, const std::optional<FolderIdentity>& identity) {
    return identity && std::any_of(walk.begin(), walk.end(), [&](const WalkFrame& frame) {
               return frame.identity == identity;
           });
}

using IdentityKey = std::pair<std::uint64_t, std::uint64_t>;

// Records a folder as entered; false when it had been entered before.
bool firstEntry(std::set<IdentityKey>& entered, const std::optional<FolderIdentity>& identity) {
    return !identity || entered.insert({identity->volume, identity->index}).second;
}

}  // namespace

void expandSubfolders(Platform& platform, const std::string& folder,
                      std::vector<std::string>& list) {
    if (platform.isFileSystemRoot(folder)) {
        return;
    }
    std::vector<WalkFrame> walk;
    std::set<IdentityKey> entered;
    walk.push_back(enterFolder(platform, folder, platform.folderIdentity(folder)));
    firstEntry(entered, walk.back().identity);
    while (!walk.empty()) {
        WalkFrame& frame = walk.back();
        if (frame.next == frame.subfolders.size()) {
            walk.pop_back();
            continue;
        }
        Subfolder subfolder = std::move(frame.subfolders[frame.next++]);
        const std::optional<FolderIdentity> identity = subfolder.facts.identity;
        if (subfolder.facts.isFileSystemRoot || isOnWalk(walk, identity)) {
            continue;
        }
        list.push_back(subfolder.path);
        // A folder that links reach along several paths is listed on each
        // path, but its subtree is walked once: otherwise a few links per
        // level make the walk exponential.
        if (firstEntry(entered, identity)) {
            walk.push_back(enterFolder(platform, subfolder.path, identity));
        }
    }
}

}  // namespace tessaly
