// A platform with Windows conventions and an in-memory file system, so the
// path rules run their Windows examples on any host. Every file-system probe
// is recorded, so a test can assert exactly which probes a rule made.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/held_folders.h"
#include "platform/platform.h"

namespace tessaly::testing {

// The steps of writing a file, each of which can be made to fail.
enum class WriteStep { Create, Write, Flush, Sync, Close, Replace, SyncFolder };

class FakePlatform;

// A folder held open by the run: with Windows conventions, no other program
// may rename or replace it meanwhile (see swapForLink).
class FakeFolderHandle {
  public:
    FakeFolderHandle() = default;
    FakeFolderHandle(FakePlatform& platform, std::string path);
    FakeFolderHandle(FakeFolderHandle&& other) noexcept { *this = std::move(other); }
    FakeFolderHandle& operator=(FakeFolderHandle&& other) noexcept;
    ~FakeFolderHandle();
    bool valid() const { return platform_ != nullptr; }
    // The folder's path, links on the way followed.
    const std::string& path() const { return path_; }

  private:
    FakePlatform* platform_ = nullptr;
    std::string path_;
};

class FakePlatform : public Platform {
  public:
    explicit FakePlatform(PathStyle style = PathStyle::Windows);
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    // Set-up. Folders are registered with their parents' listings in the
    // order they are added; a folder's parent is the text before its last
    // separator.
    void addFolder(const std::string& path);
    void addFile(const std::string& path, std::string content = {});
    // A link (or junction) that reaches `target` under another name.
    void addLink(const std::string& link, const std::string& target);
    // Another name for the same file (a hard link).
    void addHardLink(const std::string& link, const std::string& target);
    // A device: it reads as `content`, but it is no regular file.
    void addDevice(const std::string& path, std::string content = {});
    // A file that may be read but not replaced.
    void makeReadOnly(const std::string& path) { readOnly_.insert(path); }
    void setCurrentDirectory(const std::string& path);
    void setRegistryValue(const std::string& subkey, const std::string& value);
    // Makes makeDirectory fail for this path (as given).
    void refuseDirectory(const std::string& path) { refused_.insert(path); }
    // Makes the `number`-th file created (1 for the first) fail at `step`.
    void failFile(int number, WriteStep step) { failure_ = {number, step}; }
    // Whether the failing step was reached.
    bool failureMet() const { return failureMet_; }
    // Makes the `number`-th write (1 for the first, of any file) meet an
    // interrupt, as the system platform does after SIGINT or SIGTERM.
    void interruptWrite(int number) { interruptedWrite_ = number; }

    // Another program's doing: takes the folder at the path (links on the
    // way followed) away with everything in it and puts a link to `target`
    // in its place. False, and nothing changed, when the run holds the
    // folder: Windows renames no folder that is open without delete sharing.
    bool swapForLink(const std::string& folder, const std::string& target);
    // Called with each probe before it is answered.
    std::function<void(const std::string& probe)> beforeProbe;

    // Each probe as "exists PATH", "status PATH", "kind PATH", "mkdir PATH",
    // "list PATH", "open PATH" (for reading), "create PATH", "write PATH",
    // "sync PATH", "close PATH", "replace FROM TO", "syncfolder PATH",
    // "remove PATH", "abandoned PATH" (removeAbandonedFile), "hold PATH",
    // "release".
    std::vector<std::string> probes;
    std::set<std::string> madeDirectories() const;
    // The content of the file the path reaches; nullopt when there is none.
    std::optional<std::string> fileContent(const std::string& path) const;
    // The names in a folder (links not followed), in the order added.
    std::vector<std::string> entriesOf(const std::string& folder) const;

    PathStyle pathStyle() const override { return style_; }
    std::optional<std::string> currentDirectory() override;
    bool changeDirectory(const std::string& path) override;
    bool exists(const std::string& path) override;
    std::optional<FolderFacts> directoryFacts(const std::string& path) override;
    MakeDirectoryResult makeDirectory(const std::string& path) override;
    bool listDirectory(const std::string& folder, std::vector<std::string>& names) override;
    std::optional<FolderIdentity> folderIdentity(const std::string& path) override;
    bool isFileSystemRoot(const std::string& path) override;
    // With Windows conventions, the letters A to Z in upper case.
    std::string folderNameKey(const std::string& name) override;
    // The double keeps every name exactly as given. It says so with POSIX
    // conventions; with Windows conventions it answers as Windows does (the
    // tests of the Windows rules give every name in its own case) unless a
    // test makes it own up, to play a POSIX file system under a project
    // written on Windows.
    bool tellsLetterCaseApart() const override { return tellsLetterCaseApart_; }
    void setTellsLetterCaseApart(bool value) { tellsLetterCaseApart_ = value; }
    // The narrow Windows calls' MAX_PATH, or POSIX's PATH_MAX, less the
    // terminating NUL: 259 or 4095.
    std::size_t maxPathLength() const override { return style_ == PathStyle::Windows ? 259 : 4095; }
    EntryKind entryKind(const std::string& path) override;
    std::unique_ptr<InputFile> openForReading(const std::string& path) override;
    std::unique_ptr<InputFile> openRegularFile(const std::string& path) override;
    NewFile createNewFile(const std::string& path, const std::string& replacing) override;
    bool replaceFile(const std::string& from, const std::string& to) override;
    bool syncFolderOf(const std::string& path) override;
    bool removeFile(const std::string& path) override;
    bool removeAbandonedFile(const std::string& path) override;
    void holdFolder(const std::string& path) override;
    void releaseFolder() override;
    std::optional<std::string> registryValue(const std::string& subkey) override;

  private:
    friend class FakeOutputFile;
    friend class FakeFolderHandle;
    struct Failure {
        int number;
        WriteStep step;
    };

    // Every link on the way followed, the last name's included.
    std::string resolve(const std::string& path) const;
    // Links followed up to the last name, which is taken as it is.
    std::string resolveParent(const std::string& path) const;
    // The same through the held folders for a path below them; nullopt when
    // no chain of real folders leads there.
    std::optional<std::string> entryPath(const std::string& path);
    // Records the probe and lets the hook act first.
    void probe(std::string text);
    std::string withoutFinalSeparator(const std::string& path) const;
    // What stands at a path whose links are already resolved.
    EntryKind kindAt(const std::string& entry) const;
    bool isFolder(const std::string& resolved) const;
    void addEntry(const std::string& path);
    void removeEntry(const std::string& path);
    // Whether this step of this file fails; notes that the failure was met.
    bool fails(int fileNumber, WriteStep step);

    PathStyle style_;
    bool tellsLetterCaseApart_;
    std::map<std::string, std::vector<std::string>> folders_;  // folder -> entry names
    std::map<std::string, std::uint64_t> identities_;          // folder -> identity
    std::map<std::string, std::uint64_t> files_;               // path -> identity
    std::map<std::uint64_t, std::string> contents_;            // identity -> content
    std::set<std::uint64_t> devices_;
    std::map<std::string, std::string> links_;
    std::map<std::string, int> createdFiles_;  // path -> number, in order of creation
    std::uint64_t lastIdentity_ = 0;
    std::set<std::string> made_;  // folders made by makeDirectory, also in folders_
    std::set<std::string> refused_;
    std::set<std::string> readOnly_;
    std::optional<Failure> failure_;
    bool failureMet_ = false;
    int creations_ = 0;
    std::map<std::string, int> replacedFiles_;  // path -> number of the file now there
    std::multiset<std::string> heldFolders_;
    std::set<std::uint64_t> heldFiles_;  // files being written
    int writes_ = 0;
    int interruptedWrite_ = 0;
    HeldFolders<FakeFolderHandle> held_;
    std::map<std::string, std::string> driveDirectories_;  // "C:" -> its current directory
    std::string currentDrive_ = "C:";
    std::string posixCurrent_ = "/";
    std::map<std::string, std::string> registry_;
};

}  // namespace tessaly::testing
