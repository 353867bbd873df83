// POSIX services: "/" separators, one root, no drives, no registry.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
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

// Folder paths are built with a final separator ("out/output/"); asked about
// with it, lstat would follow a link.
std::string withoutFinalSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

EntryKind kindOf(mode_t mode) {
    if (S_ISLNK(mode)) {
        return EntryKind::Link;
    }
    if (S_ISDIR(mode)) {
        return EntryKind::Folder;
    }
    return S_ISREG(mode) ? EntryKind::File : EntryKind::Other;
}

// Opens the file for reading when fstat finds it acceptable. A file that
// must be regular is opened without waiting, as a pipe without a writer
// would make open wait.
std::unique_ptr<InputFile> openInput(const std::string& path, bool regularOnly) {
    const int flags = O_RDONLY | O_CLOEXEC | (regularOnly ? O_NONBLOCK : 0);
    const int fd = nameable(path) ? ::open(path.c_str(), flags) : -1;
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    const bool accepted = ::fstat(fd, &info) == 0 &&
                          (regularOnly ? S_ISREG(info.st_mode) : !S_ISDIR(info.st_mode)) &&
                          ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0;
    std::FILE* file = accepted ? ::fdopen(fd, "rb") : nullptr;
    if (file == nullptr) {
        ::close(fd);
        return nullptr;
    }
    return stdioInputFile(file);
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

    std::string folderNameKey(const std::string& name) override { return name; }

    // PATH_MAX counts the terminating NUL.
    std::size_t maxPathLength() const override { return PATH_MAX - 1; }

    EntryKind entryKind(const std::string& path) override {
        const std::string entry = withoutFinalSeparators(path);
        struct stat info {};
        if (!nameable(entry) || ::lstat(entry.c_str(), &info) != 0) {
            return EntryKind::Missing;
        }
        return kindOf(info.st_mode);
    }

    std::unique_ptr<InputFile> openForReading(const std::string& path) override {
        return openInput(path, false);
    }

    std::unique_ptr<InputFile> openRegularFile(const std::string& path) override {
        return openInput(path, true);
    }

    NewFile createNewFile(const std::string& path) override {
        const int fd =
            nameable(path)
                ? ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666)
                : -1;
        if (fd < 0) {
            return NewFile{nullptr, errno == EEXIST};
        }
        std::FILE* file = ::fdopen(fd, "wb");
        if (file == nullptr) {
            ::close(fd);
            ::unlink(path.c_str());
            return NewFile{};
        }
        return NewFile{stdioOutputFile(file)};
    }

    bool replaceFile(const std::string& from, const std::string& to) override {
        if (!nameable(from) || !nameable(to)) {
            return false;
        }
        // A file the user may not write is not replaced (Windows refuses to
        // replace a read-only file too). A link is replaced whatever it
        // points to.
        struct stat info {};
        if (::lstat(to.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::faccessat(AT_FDCWD, to.c_str(), W_OK, AT_EACCESS) != 0) {
            return false;
        }
        return ::rename(from.c_str(), to.c_str()) == 0;
    }

    bool removeFile(const std::string& path) override {
        return nameable(path) && ::unlink(withoutFinalSeparators(path).c_str()) == 0;
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

void reportFailedWritesAsErrors() {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace tessaly
