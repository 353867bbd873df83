#include "cwproject/subfolder_expansion.h"

#include <algorithm>
#include <optional>

namespace tessaly {

namespace {

struct WalkFrame {
    std::optional<FolderIdentity> identity;
    std::vector<std::string> subfolders;
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
        if (platform.isDirectory(path)) {
            frame.subfolders.push_back(std::move(path));
        }
    }
    return frame;
}

bool isOnWalk(const std::vector<WalkFrame>& walk, const std::optional<FolderIdentity>& identity) {
    return identity && std::any_of(walk.begin(), walk.end(), [&](const WalkFrame& frame) {
               return frame.identity == identity;
           });
}

}  // namespace

void expandSubfolders(Platform& platform, const std::string& folder,
                      std::vector<std::string>& list) {
    if (platform.isFileSystemRoot(folder)) {
        return;
    }
    std::vector<WalkFrame> walk;
    walk.push_back(enterFolder(platform, folder, platform.folderIdentity(folder)));
    while (!walk.empty()) {
        WalkFrame& frame = walk.back();
        if (frame.next == frame.subfolders.size()) {
            walk.pop_back();
            continue;
        }
        std::string subfolder = std::move(frame.subfolders[frame.next++]);
        if (platform.isFileSystemRoot(subfolder)) {
            continue;
        }
        const std::optional<FolderIdentity> identity = platform.folderIdentity(subfolder);
        if (isOnWalk(walk, identity)) {
            continue;
        }
        list.push_back(subfolder);
        walk.push_back(enterFolder(platform, subfolder, identity));
    }
}

}  // namespace tessaly
