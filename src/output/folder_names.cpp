#include "output/folder_names.h"

#include <algorithm>

#include "output/ascii_case.h"

namespace tessaly {

std::string FolderNames::takeDistinct(const std::string& safeName) {
    std::string name = safeName;
    for (int number = 2; !used_.insert(key(name)).second; ++number) {
        name = safeName + "_" + std::to_string(number);
    }
    return name;
}

std::string FolderNames::key(std::string_view name) const {
    std::string key(name);
    if (style_ == PathStyle::Windows) {
        std::transform(key.begin(), key.end(), key.begin(), upperAscii);
    }
    return key;
}

}  // namespace tessaly
