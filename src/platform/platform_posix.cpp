// POSIX services: "/" separators, one root, no drives, no registry.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "platform/stdio_files.h"

namespace tessaly {
namespace {

// A path that holds a NUL byte names no file: a system call would see only
// the part before it, which is another path.
bool nameable(const std::string& path) {
    return path.find('\0') == std::string::npos;
}

std::optional<struct stat> statOf(const std::string& path) {
    struct stat info {};
    if (!nameable(path) || ::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return info;
}

FolderIdentity identityOf(const struct stat& info) {
    return FolderIdentity{static_cast<std::uint64_t>(info.st_dev),
                          static_cast<std::uint64_t>(info.st_ino)};
}

std::optional<FolderIdentity> identityAt(const std::string& path) {
    auto info = statOf(path);
    if (!info) {
        return std::nullopt;
    }
    return identityOf(*info);
}

class PosixPlatform final : public Platform {
  public:
    PathStyle pathStyle() const override { return PathStyle::Posix; }

    std::optional<std::string> currentDirectory() override {
        // No fixed limit: grow the buffer until the path fits.
        std::string buffer(256, '\0');
        while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
            if (errno != ERANGE) {
                return std::nullopt;
            }
            buffer.resize(buffer.size() * 2);
        }
        buffer.resize(std::char_traits<char>::length(buffer.c_str()));
        return buffer;
    }

    bool changeDirectory(const std::string& path) override {
        return nameable(path) && ::chdir(path.c_str()) == 0;
    }

    bool exists(const std::string& path) override { return statOf(path).has_value(); }

    std::optional<FolderFacts> directoryFacts(const std::string& path) override {
        auto info = statOf(path);
        if (!info || !S_ISDIR(info->st_mode)) {
            return std::nullopt;
        }
        const FolderIdentity identity = identityOf(*info);
        return FolderFacts{identity, root_ && identity == *root_};
    }

    MakeDirectoryResult makeDirectory(const std::string& path) override {
        if (!nameable(path)) {
            return MakeDirectoryResult::Failed;
        }
        if (::mkdir(path.c_str(), 0777) == 0) {
            return MakeDirectoryResult::Created;
        }
        return errno == EEXIST ? MakeDirectoryResult::AlreadyExists : MakeDirectoryResult::Failed;
    }

    bool listDirectory(const std::string& folder, std::vector<std::string>& names) override {
        DIR* dir = nameable(folder) ? ::opendir(folder.c_str()) : nullptr;
        if (dir == nullptr) {
            return false;
        }
        while (const dirent* entry = ::readdir(dir)) {
            names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
        return true;
    }

    std::optional<FolderIdentity> folderIdentity(const std::string& path) override {
        return identityAt(path);
    }

    bool isFileSystemRoot(const std::string& path) override {
        if (path.empty()) {
            return true;
        }
        auto here = identityAt(path);
        return root_ && here && *here == *root_;
    }

    std::unique_ptr<InputFile> openForReading(const std::string& path) override {
        const int fd = nameable(path) ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC) : -1;
        if (fd < 0) {
            return nullptr;
        }
        struct stat info {};
        std::FILE* file = nullptr;
        if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) ||
            (file = ::fdopen(fd, "rb")) == nullptr) {
            ::close(fd);
            return nullptr;
        }
        return stdioInputFile(file);
    }

    std::unique_ptr<OutputFile> createFile(const std::string& path) override {
        std::FILE* file = nameable(path) ? std::fopen(path.c_str(), "wb") : nullptr;
        return file != nullptr ? stdioOutputFile(file) : nullptr;
    }

    std::optional<std::string> registryValue(const std::string&) override { return std::nullopt; }

  private:
    // Roots are compared by identity, so "//", "/." and links to "/" count
    // too. The identity of "/" is taken once: it is no probe of the user's
    // files, and a walk compares every folder it reaches with it.
    const std::optional<FolderIdentity> root_ = identityAt("/");
};

}  // namespace

Platform& systemPlatform() {
    static PosixPlatform platform;
    return platform;
}

}  // namespace tessaly
