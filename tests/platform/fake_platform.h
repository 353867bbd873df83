// A platform with Windows conventions and an in-memory file system, so the
// path rules run their Windows examples on any host. Every file-system probe
// is recorded, so a test can assert exactly which probes a rule made.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tessaly::testing {

class FakePlatform : public Platform {
  public:
    explicit FakePlatform(PathStyle style = PathStyle::Windows) : style_(style) {}

    // Set-up. Folders are registered with their parents' listings in the
    // order they are added; a folder's parent is the text before its last
    // separator.
    void addFolder(const std::string& path);
    void addFile(const std::string& path, std::string content = {});
    // A link (or junction) that reaches `target` under another name.
    void addLink(const std::string& link, const std::string& target);
    void setCurrentDirectory(const std::string& path);
    void setRegistryValue(const std::string& subkey, const std::string& value);
    // Makes makeDirectory fail for this path (as given).
    void refuseDirectory(const std::string& path) { refused_.insert(path); }

    // Each probe as "exists PATH", "status PATH", "mkdir PATH", "list PATH",
    // "open PATH" (for reading), "create PATH".
    std::vector<std::string> probes;
    std::set<std::string> madeDirectories() const;
    // The content of a file added or written; nullopt when there is none.
    std::optional<std::string> fileContent(const std::string& path) const;

    PathStyle pathStyle() const override { return style_; }
    std::optional<std::string> currentDirectory() override;
    bool changeDirectory(const std::string& path) override;
    bool exists(const std::string& path) override;
    std::optional<FolderFacts> directoryFacts(const std::string& path) override;
    MakeDirectoryResult makeDirectory(const std::string& path) override;
    bool listDirectory(const std::string& folder, std::vector<std::string>& names) override;
    std::optional<FolderIdentity> folderIdentity(const std::string& path) override;
    bool isFileSystemRoot(const std::string& path) override;
    std::unique_ptr<InputFile> openForReading(const std::string& path) override;
    std::unique_ptr<OutputFile> createFile(const std::string& path) override;
    std::optional<std::string> registryValue(const std::string& subkey) override;

  private:
    std::string resolve(const std::string& path) const;
    std::string driveOf(const std::string& path) const;
    std::string withoutFinalSeparator(const std::string& path) const;
    bool isFolder(const std::string& resolved) const;

    PathStyle style_;
    std::map<std::string, std::vector<std::string>> folders_;  // folder -> entry names
    std::map<std::string, std::uint64_t> identities_;
    std::map<std::string, std::string> files_;  // path -> content
    std::map<std::string, std::string> links_;
    std::set<std::string> made_;  // folders made by makeDirectory, also in folders_
    std::set<std::string> refused_;
    std::map<std::string, std::string> driveDirectories_;  // "C:" -> its current directory
    std::string currentDrive_ = "C:";
    std::string posixCurrent_ = "/";
    std::map<std::string, std::string> registry_;
};

}  // namespace tessaly::testing
