// The operating-system services that the converter needs, behind one narrow
// interface. The conversion rules never ask which system they run on: they
// take the separator, the drive rules, the current directory, the file system
// and the registry from here, so the Windows rules can be exercised on any
// host through a test double.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// Windows: "\" separators, drive letters, reserved device names.
// Posix: "/" separators, a single root, no drives.
enum class PathStyle { Windows, Posix };

enum class MakeDirectoryResult { Created, AlreadyExists, Failed };

// What stands at a path itself, a link not followed.
enum class EntryKind {
    Missing,  // nothing, or nothing that can be asked about
    File,     // a regular file
    Folder,
    Link,   // a symbolic link; on Windows also a junction or any other reparse point
    Other,  // a device, a pipe, a socket
};

// Identifies a folder or file independently of the path that reached it
// (device and inode on POSIX, volume serial number and file index on
// Windows).
struct FolderIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FolderIdentity&) const = default;
};

// What a recursive walk needs to know of a folder it reaches.
struct FolderFacts {
    std::optional<FolderIdentity> identity;  // nullopt when it cannot be had
    bool isFileSystemRoot = false;           // enumerating it would list a file system's root
};

// A file opened for reading, read in blocks the caller's size.
class InputFile {
  public:
    virtual ~InputFile() = default;
    // Reads up to `size` bytes into `buffer`: how many were read, 0 at the
    // end of the file and after a failed read.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    virtual bool failed() const = 0;
};

// A file being written, byte for byte. Once a call has failed, the file
// stays failed.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    virtual bool write(std::string_view bytes) = 0;
    // Hands everything written so far to the system.
    virtual bool flush() = 0;
    // Completes the file; false when anything written was lost.
    virtual bool close() = 0;
};

// A file made where nothing stood, or why there is none.
struct NewFile {
    std::unique_ptr<OutputFile> file;  // null when none was made
    bool nameInUse = false;            // because something stands at the path
};

class Platform {
  public:
    virtual ~Platform() = default;

    virtual PathStyle pathStyle() const = 0;
    char separator() const { return pathStyle() == PathStyle::Windows ? '\\' : '/'; }

    // The process's current directory; nullopt when it cannot be read.
    virtual std::optional<std::string> currentDirectory() = 0;
    // Changes the current directory. On Windows a bare drive ("D:") selects
    // that drive's own current directory.
    virtual bool changeDirectory(const std::string& path) = 0;

    // Whether a file or folder of that name exists.
    virtual bool exists(const std::string& path) = 0;
    // The status query of a recursive walk: nullopt unless it says
    // "directory" (a failed query counts as not a directory). The same look
    // at a directory gives its facts, so a walk costs one query per entry.
    virtual std::optional<FolderFacts> directoryFacts(const std::string& path) = 0;
    // Creates one directory level.
    virtual MakeDirectoryResult makeDirectory(const std::string& path) = 0;
    // Appends the entry names of a folder, in the order the file system
    // returns them, "." and ".." included when the system lists them. False
    // when the enumeration cannot start.
    virtual bool listDirectory(const std::string& folder, std::vector<std::string>& names) = 0;
    // The identity of the folder or file at the path, links followed, or
    // nullopt when it cannot be had.
    virtual std::optional<FolderIdentity> folderIdentity(const std::string& path) = 0;
    // Whether enumerating the folder would list the root of a file system.
    virtual bool isFileSystemRoot(const std::string& path) = 0;
    // The form in which the file system tells two names in one folder apart:
    // the name itself, or on Windows, where names that differ only in letter
    // case are one name, the name in upper case.
    virtual std::string folderNameKey(const std::string& name) = 0;
    // The longest path, in bytes, that the file-system calls accept: no
    // longer path names a folder or file that they can reach.
    virtual std::size_t maxPathLength() const = 0;

    // What stands at the path itself; a final separator is ignored.
    virtual EntryKind entryKind(const std::string& path) = 0;

    // The file opened for reading; null when it cannot be opened or is a
    // folder.
    virtual std::unique_ptr<InputFile> openForReading(const std::string& path) = 0;
    // The same for a regular file only: null for a folder, a device or a pipe
    // (which could be endless, or block the opening).
    virtual std::unique_ptr<InputFile> openRegularFile(const std::string& path) = 0;
    // A new empty file at the path, made only where nothing stands, not even
    // a link.
    virtual NewFile createNewFile(const std::string& path) = 0;
    // Renames the file `from` to `to` in one step, replacing what stands at
    // `to`: a file, or a link itself (never what it points to). False when it
    // cannot, also when `to` is a file that the user may not write.
    virtual bool replaceFile(const std::string& from, const std::string& to) = 0;
    // Removes the file or the link (of any kind) at the path; what a link
    // points to stays.
    virtual bool removeFile(const std::string& path) = 0;

    // The unnamed value of a key under HKEY_LOCAL_MACHINE; nullopt when it
    // cannot be read or does not fit 255 characters. Always nullopt where
    // there is no registry.
    virtual std::optional<std::string> registryValue(const std::string& subkey) = 0;
};

// The platform the program runs on.
Platform& systemPlatform();

// Makes a write to a closed pipe, or past a file-size limit, fail like any
// other write instead of ending the process, so that the failure is reported
// and nothing is left half done. Called once, at the start.
void reportFailedWritesAsErrors();

}  // namespace tessaly
