// Windows services through the narrow-character Win32 and C runtime calls.
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
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

// Folder paths are built with a final separator ("C:\out\output\"); the
// attributes are asked of the entry itself. A root ("\" or "C:\") stays.
std::string withoutFinalSeparators(std::string path) {
    const auto isRoot = [&path] { return path.size() == 3 && path[1] == ':'; };
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/') && !isRoot()) {
        path.pop_back();
    }
    return path;
}

// The attributes of the entry itself: a reparse point (a symbolic link or a
// junction) is not followed. INVALID_FILE_ATTRIBUTES when there is none.
DWORD attributesOf(const std::string& path) {
    return nameable(path) ? GetFileAttributesA(withoutFinalSeparators(path).c_str())
                          : INVALID_FILE_ATTRIBUTES;
}

// A handle for asking about a folder (no access to its content needed);
// INVALID_HANDLE_VALUE when it cannot be opened.
HANDLE openFolder(const std::string& path) {
    return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// _stat has no inode on Windows: the volume gives the file index.
std::optional<FolderIdentity> identityOf(HANDLE folder) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(folder, &info)) {
        return std::nullopt;
    }
    return FolderIdentity{
        info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// Junctions are followed to their target, so a link to a drive root counts.
bool isVolumeRoot(HANDLE folder) {
    char target[MAX_PATH];
    const DWORD length =
        GetFinalPathNameByHandleA(folder, target, MAX_PATH, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    char volume[MAX_PATH];
    if (!GetVolumePathNameA(target, volume, MAX_PATH)) {
        return false;
    }
    std::string resolved(target);
    if (resolved.back() != '\\') {
        resolved += '\\';
    }
    return _stricmp(volume, resolved.c_str()) == 0;
}

class Win32Platform final : public Platform {
  public:
    PathStyle pathStyle() const override { return PathStyle::Windows; }

    std::optional<std::string> currentDirectory() override {
        // _getcwd allocates a buffer as long as the path needs.
        std::unique_ptr<char, decltype(&std::free)> buffer(_getcwd(nullptr, 0), &std::free);
        if (!buffer) {
            return std::nullopt;
        }
        return std::string(buffer.get());
    }

    bool changeDirectory(const std::string& path) override {
        // "D:" alone selects the drive's own current directory.
        return nameable(path) && _chdir(path.c_str()) == 0;
    }

    bool exists(const std::string& path) override {
        struct _stat info {};
        return nameable(path) && _stat(path.c_str(), &info) == 0;
    }

    std::optional<FolderFacts> directoryFacts(const std::string& path) override {
        struct _stat info {};
        if (!nameable(path) || _stat(path.c_str(), &info) != 0 || (info.st_mode & _S_IFDIR) == 0) {
            return std::nullopt;
        }
        FolderFacts facts;
        HANDLE folder = openFolder(path + "\\");
        if (folder != INVALID_HANDLE_VALUE) {
            facts.identity = identityOf(folder);
            facts.isFileSystemRoot = isVolumeRoot(folder);
            CloseHandle(folder);
        }
        return facts;
    }

    MakeDirectoryResult makeDirectory(const std::string& path) override {
        if (!nameable(path)) {
            return MakeDirectoryResult::Failed;
        }
        if (_mkdir(path.c_str()) == 0) {
            return MakeDirectoryResult::Created;
        }
        return errno == EEXIST ? MakeDirectoryResult::AlreadyExists : MakeDirectoryResult::Failed;
    }

    bool listDirectory(const std::string& folder, std::vector<std::string>& names) override {
        if (!nameable(folder)) {
            return false;
        }
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) {
            return false;
        }
        do {
            names.emplace_back(entry.cFileName);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
        return true;
    }

    std::optional<FolderIdentity> folderIdentity(const std::string& path) override {
        HANDLE folder = nameable(path) ? openFolder(path) : INVALID_HANDLE_VALUE;
        if (folder == INVALID_HANDLE_VALUE) {
            return std::nullopt;
        }
        auto identity = identityOf(folder);
        CloseHandle(folder);
        return identity;
    }

    bool isFileSystemRoot(const std::string& path) override {
        // The enumeration pattern is path + "\*": an empty path lists the
        // root of the current drive, "C:" the root of C.
        if (path.empty()) {
            return true;
        }
        HANDLE folder = nameable(path) ? openFolder(path + "\\") : INVALID_HANDLE_VALUE;
        if (folder == INVALID_HANDLE_VALUE) {
            return false;
        }
        const bool root = isVolumeRoot(folder);
        CloseHandle(folder);
        return root;
    }

    // The name as the narrow calls read it (in the ANSI code page), in upper
    // case, as UTF-16 bytes.
    std::string folderNameKey(const std::string& name) override {
        const int size = static_cast<int>(name.size());
        const int length = MultiByteToWideChar(CP_ACP, 0, name.data(), size, nullptr, 0);
        if (length <= 0) {
            return name;
        }
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        MultiByteToWideChar(CP_ACP, 0, name.data(), size, wide.data(), length);
        std::wstring upper(wide.size(), L'\0');
        if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), length, upper.data(),
                          length, nullptr, nullptr, 0) != length) {
            return name;
        }
        return std::string(reinterpret_cast<const char*>(upper.data()),
                           upper.size() * sizeof(wchar_t));
    }

    // The narrow calls take MAX_PATH characters, the terminating NUL
    // included, after the path is converted to UTF-16; an ANSI code page
    // (UTF-8 at most) spends up to three bytes on each.
    std::size_t maxPathLength() const override { return (MAX_PATH - 1) * 3; }

    EntryKind entryKind(const std::string& path) override {
        const DWORD attributes = attributesOf(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return EntryKind::Missing;
        }
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            return EntryKind::Link;
        }
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::Folder : EntryKind::File;
    }

    // A folder cannot be opened as a file here.
    std::unique_ptr<InputFile> openForReading(const std::string& path) override {
        std::FILE* file = nameable(path) ? std::fopen(path.c_str(), "rb") : nullptr;
        return file != nullptr ? stdioInputFile(file) : nullptr;
    }

    // Devices (NUL, CON, COM1) and pipes open like files; only a file on a
    // disk is regular.
    std::unique_ptr<InputFile> openRegularFile(const std::string& path) override {
        std::FILE* file = nameable(path) ? std::fopen(path.c_str(), "rb") : nullptr;
        if (file == nullptr) {
            return nullptr;
        }
        const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
        if (GetFileType(handle) != FILE_TYPE_DISK) {
            std::fclose(file);
            return nullptr;
        }
        return stdioInputFile(file);
    }

    // CREATE_NEW fails where anything stands; FILE_FLAG_OPEN_REPARSE_POINT
    // keeps a link from being followed to create its target.
    NewFile createNewFile(const std::string& path) override {
        HANDLE handle =
            nameable(path)
                ? CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)
                : INVALID_HANDLE_VALUE;
        if (handle == INVALID_HANDLE_VALUE) {
            // A folder of that name refuses the access rather than exist.
            const DWORD error = GetLastError();
            return NewFile{nullptr, error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                                        (error == ERROR_ACCESS_DENIED &&
                                         attributesOf(path) != INVALID_FILE_ATTRIBUTES)};
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        std::FILE* file = fd != -1 ? _fdopen(fd, "wb") : nullptr;
        if (file == nullptr) {
            if (fd != -1) {
                _close(fd);
            } else {
                CloseHandle(handle);
            }
            DeleteFileA(path.c_str());
            return NewFile{};
        }
        return NewFile{stdioOutputFile(file)};
    }

    // A link to a folder cannot be moved over, so a link goes first; what
    // it points to stays. A read-only file is not replaced.
    bool replaceFile(const std::string& from, const std::string& to) override {
        if (!nameable(from) || (entryKind(to) == EntryKind::Link && !removeFile(to))) {
            return false;
        }
        return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }

    // A junction or a link to a folder is removed as a folder.
    bool removeFile(const std::string& path) override {
        const DWORD attributes = attributesOf(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return false;
        }
        const std::string entry = withoutFinalSeparators(path);
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                   RemoveDirectoryA(entry.c_str()) != 0;
        }
        return DeleteFileA(entry.c_str()) != 0;
    }

    std::optional<std::string> registryValue(const std::string& subkey) override {
        char buffer[256];
        LONG size = sizeof buffer;
        if (RegQueryValueA(HKEY_LOCAL_MACHINE, subkey.c_str(), buffer, &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        buffer[sizeof buffer - 1] = '\0';
        return std::string(buffer);
    }
};

}  // namespace

Platform& systemPlatform() {
    static Win32Platform platform;
    return platform;
}

// Windows has no signal for these: a write to a closed pipe or a full disk
// already fails with an error.
void reportFailedWritesAsErrors() {}

}  // namespace tessaly
