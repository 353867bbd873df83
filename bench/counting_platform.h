// A Platform that forwards every call to another one and counts the calls,
// so that a benchmark run reports exactly the probes and directory creations
// the converter made, with nothing but the converter running.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace tessaly::bench {

struct PlatformCounts {
    std::uint64_t exists = 0;
    std::uint64_t directoryFacts = 0;
    std::uint64_t makeDirectory = 0;
    std::uint64_t directoriesCreated = 0;
    std::uint64_t listDirectory = 0;
    std::uint64_t folderIdentity = 0;
    std::uint64_t isFileSystemRoot = 0;
    std::uint64_t entryKind = 0;
};

class CountingPlatform final : public Platform {
  public:
    explicit CountingPlatform(Platform& inner) : inner_(inner) {}

    PlatformCounts counts;

    PathStyle pathStyle() const override { return inner_.pathStyle(); }
    std::optional<std::string> currentDirectory() override { return inner_.currentDirectory(); }
    bool changeDirectory(const std::string& path) override { return inner_.changeDirectory(path); }
    bool exists(const std::string& path) override {
        ++counts.exists;
        return inner_.exists(path);
    }
    std::optional<FolderFacts> directoryFacts(const std::string& path) override {
        ++counts.directoryFacts;
        return inner_.directoryFacts(path);
    }
    MakeDirectoryResult makeDirectory(const std::string& path) override {
        ++counts.makeDirectory;
        const MakeDirectoryResult result = inner_.makeDirectory(path);
        counts.directoriesCreated += result == MakeDirectoryResult::Created ? 1 : 0;
        return result;
    }
    bool listDirectory(const std::string& folder, std::vector<std::string>& names) override {
        ++counts.listDirectory;
        return inner_.listDirectory(folder, names);
    }
    std::optional<FolderIdentity> folderIdentity(const std::string& path) override {
        ++counts.folderIdentity;
        return inner_.folderIdentity(path);
    }
    bool isFileSystemRoot(const std::string& path) override {
        ++counts.isFileSystemRoot;
        return inner_.isFileSystemRoot(path);
    }
    bool tellsLetterCaseApart() const override { return inner_.tellsLetterCaseApart(); }
    std::size_t maxPathLength() const override { return inner_.maxPathLength(); }
    std::string folderNameKey(const std::string& name) override {
        return inner_.folderNameKey(name);
    }
    EntryKind entryKind(const std::string& path) override {
        ++counts.entryKind;
        return inner_.entryKind(path);
    }
    std::unique_ptr<InputFile> openForReading(const std::string& path) override {
        return inner_.openForReading(path);
    }
    std::unique_ptr<InputFile> openRegularFile(const std::string& path) override {
        return inner_.openRegularFile(path);
    }
    NewFile createNewFile(const std::string& path, const std::string& replacing) override {
        return inner_.createNewFile(path, replacing);
    }
    bool replaceFile(const std::string& from, const std::string& to) override {
        return inner_.replaceFile(from, to);
    }
    bool syncFolderOf(const std::string& path) override { return inner_.syncFolderOf(path); }
    bool removeFile(const std::string& path) override { return inner_.removeFile(path); }
    bool removeAbandonedFile(const std::string& path) override {
        return inner_.removeAbandonedFile(path);
    }
    void holdFolder(const std::string& path) override { inner_.holdFolder(path); }
    void releaseFolder() override { inner_.releaseFolder(); }
    std::optional<std::string> registryValue(const std::string& subkey) override {
        return inner_.registryValue(subkey);
    }

  private:
    Platform& inner_;
};

}  // namespace tessaly::bench
