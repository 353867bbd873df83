#include "cli/path_normalisation.h"

namespace tessaly {

namespace {

std::string joinToCurrentDirectory(const std::string& path, Platform& platform) {
    const auto current = platform.currentDirectory();
    if (!current) {
        return path;  // nothing better is known; the run reports what fails
    }
    if (path == ".") {
        return *current;
    }
    return *current + platform.separator() + path;
}

std::string resolveOnDrive(const std::string& path, Platform& platform) {
    const auto remembered = platform.currentDirectory();
    if (!remembered || !platform.changeDirectory(path.substr(0, 2))) {
        return path;  // an unknown drive: the path stays as given
    }
    const auto driveDirectory = platform.currentDirectory();
    platform.changeDirectory(*remembered);
    if (!driveDirectory) {
        return path;
    }
    return *driveDirectory + '\\' + path.substr(2);
}

}  // namespace

std::string normalisePath(const std::string& path, Platform& platform) {
    if (platform.pathStyle() == PathStyle::Windows) {
        if (path.size() >= 2 && path[1] == ':') {
            if (path.size() >= 3 && path[2] == '\\') {
                return path;
            }
            return resolveOnDrive(path, platform);
        }
        if (!path.empty() && path[0] == '\\') {
            return path;
        }
    } else if (!path.empty() && path[0] == '/') {
        return path;
    }
    return joinToCurrentDirectory(path, platform);
}

}  // namespace tessaly
