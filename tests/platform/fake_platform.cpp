#include "platform/fake_platform.h"

#include <algorithm>

#include "output/ascii_case.h"
#include "platform/interrupts.h"
#include "support/memory_file.h"

namespace tessaly::testing {

// Writes straight into the platform's file, failing at the step the
// platform was told to. The file is held while the object lives.
class FakeOutputFile final : public OutputFile {
  public:
    FakeOutputFile(FakePlatform& platform, std::string path, std::uint64_t identity, int number)
        : platform_(platform), path_(std::move(path)), identity_(identity), number_(number) {
        platform_.heldFiles_.insert(identity_);
    }
    ~FakeOutputFile() override { platform_.heldFiles_.erase(identity_); }

    bool write(std::string_view bytes) override {
        platform_.probe("write " + path_);
        if (++platform_.writes_ == platform_.interruptedWrite_) {
            noteInterrupt();
        }
        throwIfInterrupted();
        ok_ = ok_ && !platform_.fails(number_, WriteStep::Write);
        if (ok_) {
            platform_.contents_[identity_].append(bytes);
        }
        return ok_;
    }
    bool flush() override { return ok_ = ok_ && !platform_.fails(number_, WriteStep::Flush); }
    bool sync() override {
        platform_.probe("sync " + path_);
        return ok_ = ok_ && !platform_.fails(number_, WriteStep::Sync);
    }
    bool close() override {
        platform_.probe("close " + path_);
        return ok_ = ok_ && !platform_.fails(number_, WriteStep::Close);
    }

  private:
    FakePlatform& platform_;
    std::string path_;
    std::uint64_t identity_;
    int number_;
    bool ok_ = true;
};

FakeFolderHandle::FakeFolderHandle(FakePlatform& platform, std::string path)
    : platform_(&platform), path_(std::move(path)) {
    platform_->heldFolders_.insert(path_);
}

FakeFolderHandle& FakeFolderHandle::operator=(FakeFolderHandle&& other) noexcept {
    std::swap(platform_, other.platform_);
    std::swap(path_, other.path_);
    return *this;
}

FakeFolderHandle::~FakeFolderHandle() {
    if (platform_ != nullptr) {
        platform_->heldFolders_.erase(platform_->heldFolders_.find(path_));
    }
}

namespace {

std::string parentOf(const std::string& path, char separator) {
    const auto pos = path.rfind(separator);
    return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

std::string nameOf(const std::string& path, char separator) {
    const auto pos = path.rfind(separator);
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

}  // namespace

// Below a held folder, a folder is opened only where a real folder stands.
FakePlatform::FakePlatform(PathStyle style)
    : style_(style),
      tellsLetterCaseApart_(style == PathStyle::Posix),
      held_(
          [this](const FakeFolderHandle& parent, const std::string& name, const std::string&) {
              const std::string path = parent.path() + separator() + name;
              return kindAt(path) == EntryKind::Folder ? FakeFolderHandle(*this, path)
                                                       : FakeFolderHandle();
          },
          style == PathStyle::Windows ? "\\/" : "/", static_cast<std::size_t>(-1)) {}

void FakePlatform::probe(std::string text) {
    probes.push_back(text);
    if (beforeProbe) {
        beforeProbe(text);
    }
}

std::optional<std::string> FakePlatform::entryPath(const std::string& path) {
    if (auto entry = held_.entryAt(path)) {
        if (entry->folder == nullptr) {
            return std::nullopt;
        }
        return entry->folder->path() + separator() + entry->name;
    }
    return resolveParent(path);
}

bool FakePlatform::swapForLink(const std::string& folder, const std::string& target) {
    const std::string entry = resolveParent(folder);
    if (!isFolder(entry) || heldFolders_.count(entry) != 0) {
        return false;
    }
    const auto inside = [&](const std::string& path) {
        return path == entry || path.starts_with(entry + separator());
    };
    std::erase_if(folders_, [&](const auto& item) { return inside(item.first); });
    std::erase_if(identities_, [&](const auto& item) { return inside(item.first); });
    std::erase_if(files_, [&](const auto& item) { return inside(item.first); });
    std::erase_if(links_, [&](const auto& item) { return inside(item.first); });
    removeEntry(entry);
    addLink(entry, target);
    return true;
}

void FakePlatform::addEntry(const std::string& path) {
    const std::string parent = parentOf(path, separator());
    if (folders_.count(parent) != 0) {
        folders_[parent].push_back(nameOf(path, separator()));
    }
}

void FakePlatform::removeEntry(const std::string& path) {
    const auto parent = folders_.find(parentOf(path, separator()));
    if (parent != folders_.end()) {
        std::erase(parent->second, nameOf(path, separator()));
    }
}

void FakePlatform::addFolder(const std::string& path) {
    if (folders_.count(path) != 0) {
        return;
    }
    folders_[path];
    identities_[path] = ++lastIdentity_;
    addEntry(path);
}

void FakePlatform::addFile(const std::string& path, std::string content) {
    if (files_.count(path) == 0) {
        addEntry(path);
    }
    files_[path] = ++lastIdentity_;
    contents_[lastIdentity_] = std::move(content);
}

void FakePlatform::addLink(const std::string& link, const std::string& target) {
    links_[link] = target;
    addEntry(link);
}

void FakePlatform::addHardLink(const std::string& link, const std::string& target) {
    files_[link] = files_.at(target);
    addEntry(link);
}

void FakePlatform::addDevice(const std::string& path, std::string content) {
    addFile(path, std::move(content));
    devices_.insert(lastIdentity_);
}

void FakePlatform::setCurrentDirectory(const std::string& path) {
    if (style_ == PathStyle::Posix) {
        posixCurrent_ = path;
        return;
    }
    currentDrive_ = path.substr(0, 2);
    driveDirectories_[currentDrive_] = path;
}

void FakePlatform::setRegistryValue(const std::string& subkey, const std::string& value) {
    registry_[subkey] = value;
}

std::set<std::string> FakePlatform::madeDirectories() const {
    return made_;
}

std::optional<std::string> FakePlatform::fileContent(const std::string& path) const {
    auto found = files_.find(resolve(path));
    return found != files_.end() ? std::optional<std::string>(contents_.at(found->second))
                                 : std::nullopt;
}

std::vector<std::string> FakePlatform::entriesOf(const std::string& folder) const {
    auto found = folders_.find(resolve(folder));
    return found != folders_.end() ? found->second : std::vector<std::string>{};
}

bool FakePlatform::fails(int fileNumber, WriteStep step) {
    const bool failing = failure_ && failure_->number == fileNumber && failure_->step == step;
    failureMet_ = failureMet_ || failing;
    return failing;
}

// A folder's path may end in a separator ("C:\\out\\output\\").
std::string FakePlatform::withoutFinalSeparator(const std::string& path) const {
    const bool root = path.size() <= 1 || (path.size() == 3 && path[1] == ':');
    return !root && path.back() == separator() ? path.substr(0, path.size() - 1) : path;
}

bool FakePlatform::isFolder(const std::string& resolved) const {
    return folders_.count(withoutFinalSeparator(resolved)) != 0;
}

std::string FakePlatform::resolve(const std::string& path) const {
    std::string resolved = path;
    for (int step = 0; step < 16; ++step) {
        bool changed = false;
        for (const auto& [link, target] : links_) {
            if (resolved == link || resolved.starts_with(link + separator())) {
                resolved = target + resolved.substr(link.size());
                changed = true;
            }
        }
        if (!changed) {
            break;
        }
    }
    return resolved;
}

std::string FakePlatform::resolveParent(const std::string& path) const {
    const std::string entry = withoutFinalSeparator(path);
    const auto pos = entry.rfind(separator());
    if (pos == std::string::npos) {
        return entry;
    }
    return resolve(entry.substr(0, pos)) + entry.substr(pos);
}

std::optional<std::string> FakePlatform::currentDirectory() {
    if (style_ == PathStyle::Posix) {
        return posixCurrent_;
    }
    auto found = driveDirectories_.find(currentDrive_);
    return found != driveDirectories_.end() ? found->second : currentDrive_ + "\\";
}

bool FakePlatform::changeDirectory(const std::string& path) {
    if (style_ == PathStyle::Posix) {
        posixCurrent_ = path;
        return true;
    }
    if (path.size() == 2 && path[1] == ':') {
        if (driveDirectories_.count(path) == 0) {
            return false;  // no such drive
        }
        currentDrive_ = path;
        return true;
    }
    setCurrentDirectory(path);
    return true;
}

bool FakePlatform::exists(const std::string& path) {
    probe("exists " + path);
    const std::string resolved = resolve(path);
    return files_.count(resolved) != 0 || isFolder(resolved);
}

std::optional<FolderFacts> FakePlatform::directoryFacts(const std::string& path) {
    probe("status " + path);
    if (!isFolder(resolve(path))) {
        return std::nullopt;
    }
    return FolderFacts{folderIdentity(path), isFileSystemRoot(path)};
}

// Like the system: only below an existing folder, and never where anything
// stands, a link included.
MakeDirectoryResult FakePlatform::makeDirectory(const std::string& path) {
    probe("mkdir " + path);
    const auto entry = entryPath(path);
    if (!entry || refused_.count(path) != 0) {
        return MakeDirectoryResult::Failed;
    }
    const std::string& folder = *entry;
    if (kindAt(folder) != EntryKind::Missing) {
        return MakeDirectoryResult::AlreadyExists;
    }
    if (!isFolder(parentOf(folder, separator()))) {
        return MakeDirectoryResult::Failed;
    }
    addFolder(folder);
    made_.insert(folder);
    return MakeDirectoryResult::Created;
}

bool FakePlatform::listDirectory(const std::string& folder, std::vector<std::string>& names) {
    probe("list " + folder);
    auto found = folders_.find(resolve(folder));
    if (found == folders_.end()) {
        return false;
    }
    names.insert(names.end(), {".", ".."});
    names.insert(names.end(), found->second.begin(), found->second.end());
    return true;
}

std::optional<FolderIdentity> FakePlatform::folderIdentity(const std::string& path) {
    const std::string resolved = withoutFinalSeparator(resolve(path));
    if (auto folder = identities_.find(resolved); folder != identities_.end()) {
        return FolderIdentity{1, folder->second};
    }
    if (auto file = files_.find(resolved); file != files_.end()) {
        return FolderIdentity{1, file->second};
    }
    return std::nullopt;
}

bool FakePlatform::isFileSystemRoot(const std::string& path) {
    const std::string resolved = resolve(path);
    if (style_ == PathStyle::Posix) {
        return resolved.empty() || resolved == "/";
    }
    return resolved.empty() || resolved == "\\" ||
           ((resolved.size() == 2 || (resolved.size() == 3 && resolved[2] == '\\')) &&
            resolved[1] == ':');
}

std::string FakePlatform::folderNameKey(const std::string& name) {
    std::string key = name;
    if (style_ == PathStyle::Windows) {
        std::transform(key.begin(), key.end(), key.begin(), upperAscii);
    }
    return key;
}

EntryKind FakePlatform::entryKind(const std::string& path) {
    probe("kind " + path);
    const auto entry = entryPath(path);
    return entry ? kindAt(*entry) : EntryKind::Missing;
}

EntryKind FakePlatform::kindAt(const std::string& entry) const {
    if (links_.count(entry) != 0) {
        return EntryKind::Link;
    }
    if (isFolder(entry)) {
        return EntryKind::Folder;
    }
    auto file = files_.find(entry);
    if (file == files_.end()) {
        return EntryKind::Missing;
    }
    return devices_.count(file->second) != 0 ? EntryKind::Other : EntryKind::File;
}

std::unique_ptr<InputFile> FakePlatform::openForReading(const std::string& path) {
    probe("open " + path);
    auto found = files_.find(resolve(path));
    return found != files_.end() ? memoryFile(contents_.at(found->second)) : nullptr;
}

std::unique_ptr<InputFile> FakePlatform::openRegularFile(const std::string& path) {
    probe("open " + path);
    auto found = files_.find(resolve(path));
    if (found == files_.end() || devices_.count(found->second) != 0) {
        return nullptr;
    }
    return memoryFile(contents_.at(found->second));
}

// A file is made in a folder that exists, where nothing stands.
NewFile FakePlatform::createNewFile(const std::string& path, const std::string&) {
    probe("create " + path);
    const auto entry = entryPath(path);
    if (entry && kindAt(*entry) != EntryKind::Missing) {
        return NewFile{nullptr, true};
    }
    const int number = ++creations_;
    if (!entry || !isFolder(parentOf(*entry, separator())) || fails(number, WriteStep::Create)) {
        return NewFile{};
    }
    addFile(*entry);
    createdFiles_[*entry] = number;
    return NewFile{std::make_unique<FakeOutputFile>(*this, path, files_.at(*entry), number)};
}

// The file takes the place of whatever stands at `to`, a link included; a
// folder or a read-only file stays.
bool FakePlatform::replaceFile(const std::string& from, const std::string& to) {
    probe("replace " + from + " " + to);
    const auto source = entryPath(from);
    const auto target = entryPath(to);
    if (!source || !target) {
        return false;
    }
    const auto created = createdFiles_.find(*source);
    const int number = created != createdFiles_.end() ? created->second : 0;
    if (files_.count(*source) == 0 || isFolder(*target) || readOnly_.count(*target) != 0 ||
        fails(number, WriteStep::Replace)) {
        return false;
    }
    if (links_.erase(*target) != 0 || files_.count(*target) != 0) {
        removeEntry(*target);
    }
    files_[*target] = files_.at(*source);
    files_.erase(*source);
    removeEntry(*source);
    addEntry(*target);
    replacedFiles_[*target] = number;
    return true;
}

bool FakePlatform::syncFolderOf(const std::string& path) {
    probe("syncfolder " + path);
    const auto entry = entryPath(path);
    const auto replaced = entry ? replacedFiles_.find(*entry) : replacedFiles_.end();
    return entry && isFolder(parentOf(*entry, separator())) &&
           (replaced == replacedFiles_.end() || !fails(replaced->second, WriteStep::SyncFolder));
}

bool FakePlatform::removeFile(const std::string& path) {
    probe("remove " + path);
    const auto entry = entryPath(path);
    if (!entry || (links_.erase(*entry) == 0 && files_.erase(*entry) == 0)) {
        return false;
    }
    removeEntry(*entry);
    return true;
}

bool FakePlatform::removeAbandonedFile(const std::string& path) {
    probe("abandoned " + path);
    const auto entry = entryPath(path);
    const auto file = entry ? files_.find(*entry) : files_.end();
    if (file == files_.end() || heldFiles_.count(file->second) != 0) {
        return false;
    }
    files_.erase(file);
    removeEntry(*entry);
    return true;
}

// The folder given is held with links followed.
void FakePlatform::holdFolder(const std::string& path) {
    probe("hold " + path);
    const std::string folder = withoutFinalSeparator(resolve(path));
    held_.hold(path, isFolder(folder) ? FakeFolderHandle(*this, folder) : FakeFolderHandle());
}

void FakePlatform::releaseFolder() {
    probe("release");
    held_.release();
}

std::optional<std::string> FakePlatform::registryValue(const std::string& subkey) {
    auto found = registry_.find(subkey);
    if (found == registry_.end() || found->second.size() > 255) {
        return std::nullopt;
    }
    return found->second;
}

}  // namespace tessaly::testing
