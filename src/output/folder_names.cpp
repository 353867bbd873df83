#include "output/folder_names.h"

namespace tessaly {

std::string FolderNames::takeDistinct(const std::string& safeName) {
    if (used_.insert(platform_->folderNameKey(safeName)).second) {
        return safeName;
    }
    int& number =
        nextNumber_.try_emplace(platform_->folderNameKey(safeName + "_"), 2).first->second;
    std::string name;
    do {
        name = safeName + "_" + std::to_string(number++);
    } while (!used_.insert(platform_->folderNameKey(name)).second);
    return name;
}

}  // namespace tessaly
