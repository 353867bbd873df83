#include "output/folder_names.h"

namespace tessaly {

std::string FolderNames::takeDistinct(const std::string& safeName) {
    std::string name = safeName;
    for (int number = 2; !used_.insert(platform_->folderNameKey(name)).second; ++number) {
        name = safeName + "_" + std::to_string(number);
    }
    return name;
}

}  // namespace tessaly
