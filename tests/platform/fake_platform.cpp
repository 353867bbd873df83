#include "platform/fake_platform.h"

#include "support/memory_file.h"

namespace tessaly::testing {

namespace {

// Writes straight into the platform's file.
class FakeOutputFile final : public OutputFile {
  public:
    explicit FakeOutputFile(std::string& content) : content_(content) {}
    bool write(std::string_view bytes) override {
        content_.append(bytes);
        return true;
    }
    bool flush() override { return true; }
    bool close() override { return true; }

  private:
    std::string& content_;
};

std::string parentOf(const std::string& path, char separator) {
    const auto pos = path.rfind(separator);
    return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

std::string nameOf(const std::string& path, char separator) {
    const auto pos = path.rfind(separator);
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

}  // namespace

void FakePlatform::addFolder(const std::string& path) {
    if (folders_.count(path) != 0) {
        return;
    }
    folders_[path];
    identities_[path] = identities_.size() + 1;
    const std::string parent = parentOf(path, separator());
    if (folders_.count(parent) != 0) {
        folders_[parent].push_back(nameOf(path, separator()));
    }
}

void FakePlatform::addFile(const std::string& path, std::string content) {
    files_[path] = std::move(content);
    const std::string parent = parentOf(path, separator());
    if (folders_.count(parent) != 0) {
        folders_[parent].push_back(nameOf(path, separator()));
    }
}

void FakePlatform::addLink(const std::string& link, const std::string& target) {
    links_[link] = target;
    const std::string parent = parentOf(link, separator());
    if (folders_.count(parent) != 0) {
        folders_[parent].push_back(nameOf(link, separator()));
    }
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
    auto found = files_.find(path);
    return found != files_.end() ? std::optional<std::string>(found->second) : std::nullopt;
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

std::string FakePlatform::driveOf(const std::string& path) const {
    return path.substr(0, 2);
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
    probes.push_back("exists " + path);
    const std::string resolved = resolve(path);
    return files_.count(resolved) != 0 || isFolder(resolved);
}

std::optional<FolderFacts> FakePlatform::directoryFacts(const std::string& path) {
    probes.push_back("status " + path);
    if (!isFolder(resolve(path))) {
        return std::nullopt;
    }
    return FolderFacts{folderIdentity(path), isFileSystemRoot(path)};
}

// Like the system: only below an existing folder, and never where a file
// or folder stands.
MakeDirectoryResult FakePlatform::makeDirectory(const std::string& path) {
    probes.push_back("mkdir " + path);
    const std::string folder = withoutFinalSeparator(resolve(path));
    if (refused_.count(path) != 0) {
        return MakeDirectoryResult::Failed;
    }
    if (isFolder(folder) || files_.count(folder) != 0) {
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
    probes.push_back("list " + folder);
    auto found = folders_.find(resolve(folder));
    if (found == folders_.end()) {
        return false;
    }
    names.insert(names.end(), {".", ".."});
    names.insert(names.end(), found->second.begin(), found->second.end());
    return true;
}

std::optional<FolderIdentity> FakePlatform::folderIdentity(const std::string& path) {
    auto found = identities_.find(resolve(path));
    if (found == identities_.end()) {
        return std::nullopt;
    }
    return FolderIdentity{1, found->second};
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

std::unique_ptr<InputFile> FakePlatform::openForReading(const std::string& path) {
    probes.push_back("open " + path);
    auto found = files_.find(resolve(path));
    return found != files_.end() ? memoryFile(found->second) : nullptr;
}

// A file can be made in a folder that exists, where no folder stands.
std::unique_ptr<OutputFile> FakePlatform::createFile(const std::string& path) {
    probes.push_back("create " + path);
    const std::string resolved = resolve(path);
    if (isFolder(resolved) || !isFolder(parentOf(resolved, separator()))) {
        return nullptr;
    }
    std::string& content = files_[resolved];
    content.clear();
    return std::make_unique<FakeOutputFile>(content);
}

std::optional<std::string> FakePlatform::registryValue(const std::string& subkey) {
    auto found = registry_.find(subkey);
    if (found == registry_.end() || found->second.size() > 255) {
        return std::nullopt;
    }
    return found->second;
}

}  // namespace tessaly::testing
