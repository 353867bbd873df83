// POSIX services: "/" separators, one root, no drives, no registry.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <string>
#include <utility>

#include "platform/held_folders.h"
#include "platform/interrupts.h"
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

// A descriptor, closed when the object goes.
class Descriptor {
  public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool valid() const { return fd_ >= 0; }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_ = -1;
};

// Folders are opened for reading (a descriptor that can be synced), never
// through a link.
Descriptor openFolderAt(int parent, const char* name, bool followLink) {
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    return Descriptor(::openat(parent, name, flags));
}

// Below the held folder at most this many folders stay open: far more than
// a project's depth, far fewer than a process may open.
constexpr std::size_t kMaxOpenFolders = 64;

bool syncStream(std::FILE* file) {
    return ::fsync(::fileno(file)) == 0;
}

// A new file stays under its lock until the object goes: closing the stream
// closes one descriptor; the lock stays on a second one of the same open
// file, so that the file is held through its rename.
class HeldOutputFile final : public OutputFile {
  public:
    HeldOutputFile(std::unique_ptr<OutputFile> file, Descriptor lock)
        : file_(std::move(file)), lock_(std::move(lock)) {}

    bool write(std::string_view bytes) override { return file_->write(bytes); }
    bool flush() override { return file_->flush(); }
    bool sync() override { return file_->sync(); }
    bool close() override { return file_->close(); }

  private:
    std::unique_ptr<OutputFile> file_;
    Descriptor lock_;
};

// Gives the new file (still empty) the permission bits of the one it
// replaces. Owner and group go first, as changing them may clear the
// set-user-ID bits. A group that cannot be kept loses its bits rather than
// give them to the process's own group; an owner that cannot be kept (the
// process then owns the file) loses set-user-ID.
bool takePermissions(int fd, const struct stat& replaced) {
    if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
        (void)::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid);
    }
    struct stat now {};
    if (::fstat(fd, &now) != 0) {
        return false;
    }
    mode_t mode = replaced.st_mode & 07777;
    if (now.st_uid != replaced.st_uid) {
        mode &= ~S_ISUID;
    }
    if (now.st_gid != replaced.st_gid) {
        mode &= ~(S_IRWXG | S_ISGID);
    }
    return ::fchmod(fd, mode) == 0;
}

// Whether the descriptor is still the file at the name.
bool sameFileAt(int fd, int folder, const char* name) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
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
        const Place entry = placeOf(path);
        if (!entry.reachable) {
            return MakeDirectoryResult::Failed;
        }
        forget(entry);
        if (::mkdirat(entry.folder, entry.name.c_str(), 0777) == 0) {
            return MakeDirectoryResult::Created;
        }
        return errno == EEXIST ? MakeDirectoryResult::AlreadyExists : MakeDirectoryResult::Failed;
    }

    bool listDirectory(const std::string& folder, std::vector<std::string>& names) override {
        throwIfInterrupted();
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
    bool tellsLetterCaseApart() const override { return true; }

    // PATH_MAX counts the terminating NUL.
    std::size_t maxPathLength() const override { return PATH_MAX - 1; }

    EntryKind entryKind(const std::string& path) override {
        const Place entry = placeOf(path);
        struct stat info {};
        if (!entry.reachable ||
            ::fstatat(entry.folder, entry.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
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

    // Created under its lock. A run that removes abandoned files may take
    // the lock between the creation and the locking: a file gone by then is
    // given up, and another name is tried.
    NewFile createNewFile(const std::string& path, const std::string& replacing) override {
        struct stat replaced {};
        const Place old = placeOf(replacing);
        const bool keep =
            old.reachable &&
            ::fstatat(old.folder, old.name.c_str(), &replaced, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(replaced.st_mode);
        const Place entry = placeOf(path);
        if (!entry.reachable) {
            return NewFile{};
        }
        Descriptor fd(::openat(entry.folder, entry.name.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                               keep ? 0600 : 0666));
        if (!fd.valid()) {
            return NewFile{nullptr, errno == EEXIST};
        }
        struct stat created {};
        if (::flock(fd.get(), LOCK_EX) != 0 || ::fstat(fd.get(), &created) != 0) {
            ::unlinkat(entry.folder, entry.name.c_str(), 0);
            return NewFile{};
        }
        if (created.st_nlink == 0) {
            return NewFile{nullptr, true};
        }
        Descriptor lock(::dup(fd.get()));
        std::FILE* file = lock.valid() && (!keep || takePermissions(fd.get(), replaced))
                              ? ::fdopen(fd.get(), "wb")
                              : nullptr;
        if (file == nullptr) {
            ::unlinkat(entry.folder, entry.name.c_str(), 0);
            return NewFile{};
        }
        fd.release();  // the stream's now
        return NewFile{
            std::make_unique<HeldOutputFile>(stdioOutputFile(file, syncStream), std::move(lock))};
    }

    bool replaceFile(const std::string& from, const std::string& to) override {
        const Place source = placeOf(from);
        const Place target = placeOf(to);
        // Both in one folder: a second way through the held folders could
        // close the first one's descriptor.
        if (!source.reachable || !target.reachable || source.folderPath != target.folderPath) {
            return false;
        }
        // A file the user may not write is not replaced (Windows refuses to
        // replace a read-only file too). A link is replaced whatever it
        // points to.
        struct stat info {};
        if (::fstatat(target.folder, target.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) &&
            ::faccessat(target.folder, target.name.c_str(), W_OK, AT_EACCESS) != 0) {
            return false;
        }
        return ::renameat(source.folder, source.name.c_str(), target.folder, target.name.c_str()) ==
               0;
    }

    // A file system that cannot sync a folder (EINVAL) has nothing to sync.
    bool syncFolderOf(const std::string& path) override {
        const Place entry = placeOf(path);
        if (!entry.reachable) {
            return false;
        }
        Descriptor opened;
        int folder = entry.folder;
        if (folder == AT_FDCWD) {
            opened = openFolderAt(AT_FDCWD, entry.folderPath.c_str(), true);
            folder = opened.get();
        }
        return folder >= 0 && (::fsync(folder) == 0 || errno == EINVAL);
    }

    bool removeFile(const std::string& path) override {
        const Place entry = placeOf(path);
        forget(entry);
        return entry.reachable && ::unlinkat(entry.folder, entry.name.c_str(), 0) == 0;
    }

    // Whoever removes a temporary file holds its lock and has made sure that
    // the name still leads to the file locked, so a file another run has
    // just made in its place stays.
    bool removeAbandonedFile(const std::string& path) override {
        const Place entry = placeOf(path);
        if (!entry.reachable) {
            return false;
        }
        const Descriptor fd(::openat(entry.folder, entry.name.c_str(),
                                     O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat info {};
        return fd.valid() && ::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) &&
               ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 &&
               sameFileAt(fd.get(), entry.folder, entry.name.c_str()) &&
               ::unlinkat(entry.folder, entry.name.c_str(), 0) == 0;
    }

    void holdFolder(const std::string& path) override {
        held_.hold(path,
                   nameable(path) ? openFolderAt(AT_FDCWD, path.c_str(), true) : Descriptor());
    }

    void releaseFolder() override { held_.release(); }

    std::optional<std::string> registryValue(const std::string&) override { return std::nullopt; }

  private:
    // Where an entry is asked about: a descriptor of its folder (AT_FDCWD
    // when the path is not below the held folder, the name then the whole
    // path) and its name; not reachable when no real folder leads there.
    struct Place {
        bool reachable = false;
        int folder = AT_FDCWD;
        std::string name;
        std::string folderPath;
        std::optional<HeldFolders<Descriptor>::Entry> held;
    };

    Place placeOf(const std::string& path) {
        Place place;
        if (auto entry = held_.entryAt(path)) {
            place.reachable = entry->folder != nullptr;
            place.folder = place.reachable ? entry->folder->get() : -1;
            place.name = entry->name;
            place.folderPath = entry->folderPath;
            place.held = std::move(entry);
            return place;
        }
        place.reachable = nameable(path) && !path.empty();
        place.name = withoutFinalSeparators(path);
        const auto slash = place.name.rfind('/');
        place.folderPath = slash == std::string::npos ? "." : place.name.substr(0, slash + 1);
        return place;
    }

    void forget(const Place& place) {
        if (place.held) {
            held_.forget(*place.held);
        }
    }

    HeldFolders<Descriptor> held_{
        [](const Descriptor& parent, const std::string& name, const std::string&) {
            return openFolderAt(parent.get(), name.c_str(), false);
        },
        "/", kMaxOpenFolders};
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

namespace {

void onInterrupt(int) {
    noteInterrupt();
}

}  // namespace

// Without SA_RESTART, a console write held up by a full pipe returns, so the
// run comes to its next check. SA_RESETHAND lets a second interrupt end the
// process at once. A program started with SIGINT ignored (in the
// background) keeps ignoring it.
void reportInterruptsAsFailures() {
    for (const int signal : {SIGINT, SIGTERM}) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) != 0 ||
            (signal == SIGINT && previous.sa_handler == SIG_IGN)) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

bool askProcessToEnd(long long processId) {
    return processId > 0 && ::kill(static_cast<pid_t>(processId), SIGTERM) == 0;
}

}  // namespace tessaly
