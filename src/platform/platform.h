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
    // Hands everything written so far to the disk itself, so that a crash of
    // the machine or a power cut loses none of it.
    virtual bool sync() = 0;
    // Completes the file; false when anything written was lost. A file made
    // by createNewFile stays held until the object goes.
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
    // Whether two names that differ only in letter case name two entries
    // (POSIX file systems, as a rule), or one (Windows).
    virtual bool tellsLetterCaseApart() const = 0;
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
    // a link. It is held while the object lives (POSIX: under an exclusive
    // lock; Windows: open without delete sharing), so that no other run
    // takes it for abandoned. When `replacing` is a regular file, the new
    // file gets its permission bits before anything is written (POSIX: the
    // mode, and the owner and group where they may be set; a group that
    // cannot be kept loses its bits rather than give them to another;
    // Windows: the attributes, and the access list unless it is all
    // inherited from the folder).
    virtual NewFile createNewFile(const std::string& path, const std::string& replacing) = 0;
    // Renames the file `from` to `to` in one step, replacing what stands at
    // `to`: a file, or a link itself (never what it points to). False when it
    // cannot, also when `to` is a file that the user may not write. On
    // Windows the rename is written through to the disk.
    virtual bool replaceFile(const std::string& from, const std::string& to) = 0;
    // Hands the folder that holds the path to the disk, so that the renames
    // and removals made in it survive a crash of the machine. (Windows writes
    // each rename through already.)
    virtual bool syncFolderOf(const std::string& path) = 0;
    // Removes the file or the link (of any kind) at the path; what a link
    // points to stays.
    virtual bool removeFile(const std::string& path) = 0;
    // Removes the file at the path unless a running program holds it (see
    // createNewFile): what a killed run left behind. False when it stays.
    virtual bool removeAbandonedFile(const std::string& path) = 0;

    // Holds the folder at the path (a link to it is followed: the folder
    // given is the user's choice) until releaseFolder. While it is held, an
    // entry below it that entryKind, makeDirectory, createNewFile,
    // replaceFile, syncFolderOf, removeFile or removeAbandonedFile is asked
    // about is reached through the folders on its way, each opened relative
    // to its parent's handle, never through a link, and kept open (on
    // Windows without delete sharing, so that it cannot be renamed or
    // replaced meanwhile): a folder swapped for a link during the run cannot
    // lead a write elsewhere. An entry whose way is no chain of real folders
    // is missing and cannot be made. A path that holds "." or ".." is the
    // user's own choice (a project name with path parts) and is used by name.
    virtual void holdFolder(const std::string& path) = 0;
    virtual void releaseFolder() = 0;

    // The unnamed value of a key under HKEY_LOCAL_MACHINE; nullopt when it
    // cannot be read or does not fit 255 characters. Always nullopt where
    // there is no registry.
    virtual std::optional<std::string> registryValue(const std::string& subkey) = 0;
};

// Holds a folder for a scope (see Platform::holdFolder).
class FolderHold {
  public:
    FolderHold(Platform& platform, const std::string& path) : platform_(platform) {
        platform_.holdFolder(path);
    }
    ~FolderHold() { platform_.releaseFolder(); }
    FolderHold(const FolderHold&) = delete;
    FolderHold& operator=(const FolderHold&) = delete;

  private:
    Platform& platform_;
};

// The platform the program runs on.
Platform& systemPlatform();

// Makes a write to a closed pipe, or past a file-size limit, fail like any
// other write instead of ending the process, so that the failure is reported
// and nothing is left half done. Called once, at the start.
void reportFailedWritesAsErrors();

// Makes an interrupt (SIGINT, SIGTERM; on Windows Ctrl-C, Ctrl-Break and
// askProcessToEnd's request) end
// the run as a failure (see interrupts.h) instead of ending the process on
// the spot, which would leave its temporary files behind. A second
// interrupt ends the process at once. Called once, at the start.
void reportInterruptsAsFailures();

// Asks a program that reports interrupts as failures, running as the
// process, to end as an interrupt would make it (POSIX: SIGTERM; Windows,
// where a console program gets no window message and a console's Ctrl-Break
// reaches only those who share it: a named event that program waits on).
// False when the request could not be made.
bool askProcessToEnd(long long processId);

}  // namespace tessaly
