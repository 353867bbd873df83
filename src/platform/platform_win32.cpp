// Windows services through the narrow-character Win32 and C runtime calls.
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
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

// A folder held open without delete sharing: while the handle lives no
// program can rename, remove or replace the folder. Listing access makes
// the share mode count (a handle with no data access does not).
class FolderHandle {
  public:
    FolderHandle() = default;
    explicit FolderHandle(HANDLE handle) : handle_(handle) {}
    FolderHandle(FolderHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    FolderHandle& operator=(FolderHandle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    ~FolderHandle() {
        if (valid()) {
            CloseHandle(handle_);
        }
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// The folder at the path, held; empty unless it is a real folder (with
// `followLink`, a junction or link to a folder counts as the folder).
FolderHandle holdFolderAt(const std::string& path, bool followLink) {
    if (!nameable(path)) {
        return FolderHandle();
    }
    FolderHandle folder(CreateFileA(
        path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
        nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    const DWORD unwanted = followLink ? 0 : FILE_ATTRIBUTE_REPARSE_POINT;
    if (!folder.valid() || !GetFileInformationByHandle(folder.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (info.dwFileAttributes & unwanted) != 0) {
        return FolderHandle();
    }
    return folder;
}

// What a new file takes from the regular file it replaces: the attributes
// (hidden, system, archive, not indexed) and the access list, as ReplaceFile
// keeps them. An access list inherited stays inherited; one protected from
// inheritance stays protected. Nothing for a missing file, a folder or a
// link.
class Permissions {
  public:
    explicit Permissions(const std::string& file) {
        const DWORD attributes = file.empty() ? INVALID_FILE_ATTRIBUTES : attributesOf(file);
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
            return;
        }
        attributes_ = attributes & kKept;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        readable_ =
            GetNamedSecurityInfoA(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, &dacl_, nullptr, &descriptor) == ERROR_SUCCESS &&
            GetSecurityDescriptorControl(descriptor, &control, &revision);
        descriptor_.reset(descriptor);
        protected_ = (control & SE_DACL_PROTECTED) != 0;
        own_ = protected_ || hasOwnEntries();
    }

    // False when the file's access list cannot be read: it cannot be kept.
    bool readable() const { return readable_; }
    DWORD attributes() const { return attributes_ != 0 ? attributes_ : FILE_ATTRIBUTE_NORMAL; }
    // A new file inherits what the folder gives; only an access list of
    // the file's own is set. (A file system without access lists has none.)
    bool applyTo(HANDLE file) const {
        if (dacl_ == nullptr || !own_) {
            return true;
        }
        const SECURITY_INFORMATION what =
            DACL_SECURITY_INFORMATION | (protected_ ? PROTECTED_DACL_SECURITY_INFORMATION
                                                    : UNPROTECTED_DACL_SECURITY_INFORMATION);
        return SetSecurityInfo(file, SE_FILE_OBJECT, what, nullptr, nullptr, dacl_, nullptr) ==
               ERROR_SUCCESS;
    }

  private:
    // Whether any entry of the access list is the file's own, not
    // inherited from its folder (as a new file's are).
    bool hasOwnEntries() const {
        ACL_SIZE_INFORMATION size{};
        if (dacl_ == nullptr || !GetAclInformation(dacl_, &size, sizeof size, AclSizeInformation)) {
            return false;
        }
        for (DWORD index = 0; index < size.AceCount; ++index) {
            void* ace = nullptr;
            if (!GetAce(dacl_, index, &ace) ||
                (static_cast<ACE_HEADER*>(ace)->AceFlags & INHERITED_ACE) == 0) {
                return true;
            }
        }
        return false;
    }

    static constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    struct Free {
        void operator()(void* memory) const { LocalFree(memory); }
    };

    DWORD attributes_ = 0;
    bool readable_ = true;
    bool protected_ = false;
    bool own_ = false;
    PACL dacl_ = nullptr;  // inside descriptor_
    std::unique_ptr<void, Free> descriptor_;
};

bool flushStream(std::FILE* file) {
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != 0;
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
        const auto entry = reach(path);
        if (!entry) {
            return MakeDirectoryResult::Failed;
        }
        forget(path);
        if (_mkdir(entry->c_str()) == 0) {
            return MakeDirectoryResult::Created;
        }
        return errno == EEXIST ? MakeDirectoryResult::AlreadyExists : MakeDirectoryResult::Failed;
    }

    bool listDirectory(const std::string& folder, std::vector<std::string>& names) override {
        throwIfInterrupted();
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

    bool tellsLetterCaseApart() const override { return false; }

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
        const auto entry = reach(path);
        const DWORD attributes = entry ? attributesOf(*entry) : INVALID_FILE_ATTRIBUTES;
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
    // keeps a link from being followed to create its target. Without delete
    // sharing, no other run can remove the file while it is written.
    NewFile createNewFile(const std::string& path, const std::string& replacing) override {
        const auto entry = reach(path);
        const auto old = reach(replacing);
        const Permissions permissions(old ? *old : std::string());
        HANDLE handle =
            entry && permissions.readable()
                ? CreateFileA(entry->c_str(), GENERIC_WRITE | WRITE_DAC, FILE_SHARE_READ, nullptr,
                              CREATE_NEW, permissions.attributes() | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr)
                : INVALID_HANDLE_VALUE;
        if (handle == INVALID_HANDLE_VALUE) {
            // A folder of that name refuses the access rather than exist.
            const DWORD error = GetLastError();
            return NewFile{nullptr,
                           entry && permissions.readable() &&
                               (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                                (error == ERROR_ACCESS_DENIED &&
                                 attributesOf(*entry) != INVALID_FILE_ATTRIBUTES))};
        }
        const int fd =
            permissions.applyTo(handle)
                ? _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY)
                : -1;
        std::FILE* file = fd != -1 ? _fdopen(fd, "wb") : nullptr;
        if (file == nullptr) {
            if (fd != -1) {
                _close(fd);
            } else {
                CloseHandle(handle);
            }
            DeleteFileA(entry->c_str());
            return NewFile{};
        }
        return NewFile{stdioOutputFile(file, flushStream)};
    }

    // A link to a folder cannot be moved over, so a link goes first; what
    // it points to stays. A read-only file is not replaced (Windows refuses
    // to, but not every emulation does). The rename is written through to
    // the disk.
    bool replaceFile(const std::string& from, const std::string& to) override {
        const auto source = reach(from);
        const auto target = reach(to);
        const DWORD attributes = target ? attributesOf(*target) : INVALID_FILE_ATTRIBUTES;
        if (!source || !target ||
            (attributes != INVALID_FILE_ATTRIBUTES &&
             (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
                 FILE_ATTRIBUTE_READONLY) ||
            (entryKind(to) == EntryKind::Link && !removeFile(to))) {
            return false;
        }
        return MoveFileExA(source->c_str(), target->c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }

    // Every rename is written through already.
    bool syncFolderOf(const std::string& path) override { return reach(path).has_value(); }

    // A junction or a link to a folder is removed as a folder.
    bool removeFile(const std::string& path) override {
        const auto entry = reach(path);
        const DWORD attributes = entry ? attributesOf(*entry) : INVALID_FILE_ATTRIBUTES;
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return false;
        }
        forget(path);
        const std::string name = withoutFinalSeparators(*entry);
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                   RemoveDirectoryA(name.c_str()) != 0;
        }
        return DeleteFileA(name.c_str()) != 0;
    }

    // A file a running program writes is open without delete sharing: the
    // deletion fails.
    bool removeAbandonedFile(const std::string& path) override {
        const auto entry = reach(path);
        const DWORD attributes = entry ? attributesOf(*entry) : INVALID_FILE_ATTRIBUTES;
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
               DeleteFileA(entry->c_str()) != 0;
    }

    void holdFolder(const std::string& path) override {
        held_.hold(path, holdFolderAt(withoutFinalSeparators(path), true));
    }

    void releaseFolder() override { held_.release(); }

    std::optional<std::string> registryValue(const std::string& subkey) override {
        char buffer[256];
        LONG size = sizeof buffer;
        if (RegQueryValueA(HKEY_LOCAL_MACHINE, subkey.c_str(), buffer, &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        buffer[sizeof buffer - 1] = '\0';
        return std::string(buffer);
    }

  private:
    // The path to use for an entry: below the held folder, its way through
    // folders held (which no one can rename meanwhile); nullopt when no
    // chain of real folders leads there.
    std::optional<std::string> reach(const std::string& path) {
        if (auto entry = held_.entryAt(path)) {
            if (entry->folder == nullptr) {
                return std::nullopt;
            }
            return entry->folderPath + '\\' + entry->name;
        }
        return nameable(path) ? std::optional<std::string>(path) : std::nullopt;
    }

    // The run has changed what stands at the path.
    void forget(const std::string& path) {
        if (auto entry = held_.entryAt(path)) {
            held_.forget(*entry);
        }
    }

    HeldFolders<FolderHandle> held_{
        [](const FolderHandle&, const std::string&, const std::string& path) {
            return holdFolderAt(path, false);
        },
        "\\/", static_cast<std::size_t>(-1)};
};

}  // namespace

Platform& systemPlatform() {
    static Win32Platform platform;
    return platform;
}

// Windows has no signal for these: a write to a closed pipe or a full disk
// already fails with an error.
void reportFailedWritesAsErrors() {}

namespace {

// Runs in a thread of its own: it notes the first Ctrl-C or Ctrl-Break and
// leaves a second one, or a closing console, to the system's handler, which
// ends the process.
BOOL WINAPI onConsoleEvent(DWORD event) {
    static std::atomic<bool> noted{false};
    if ((event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) || noted.exchange(true)) {
        return FALSE;
    }
    noteInterrupt();
    return TRUE;
}

// Another program's request to end (askProcessToEnd): an event named by the
// process, in the session's own namespace.
std::wstring endRequestName(DWORD processId) {
    return L"Local\\tessaly-end-request-" + std::to_wstring(processId);
}

void CALLBACK onEndRequest(PVOID, BOOLEAN) {
    noteInterrupt();
}

}  // namespace

// The event and its wait last as long as the process.
void reportInterruptsAsFailures() {
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    HANDLE request =
        CreateEventW(nullptr, FALSE, FALSE, endRequestName(GetCurrentProcessId()).c_str());
    HANDLE wait = nullptr;
    if (request) {
        RegisterWaitForSingleObject(&wait, request, onEndRequest, nullptr, INFINITE,
                                    WT_EXECUTEONLYONCE);
    }
}

bool askProcessToEnd(long long processId) {
    if (processId <= 0 || processId > 0xFFFFFFFFLL) {
        return false;
    }
    HANDLE request = OpenEventW(EVENT_MODIFY_STATE, FALSE,
                                endRequestName(static_cast<DWORD>(processId)).c_str());
    if (!request) {
        return false;
    }
    const bool sent = SetEvent(request) != 0;
    CloseHandle(request);
    return sent;
}

}  // namespace tessaly
