#include "output/replaced_file.h"

#include <vector>

namespace tessaly {

namespace {

constexpr std::string_view kTemporaryPrefix = "tesscli-";
constexpr std::string_view kTemporarySuffix = ".tmp";
// Names in use are skipped (other runs' temporary files, or what a killed
// run left); past this many, the folder is taken to refuse new files.
constexpr int kMaxTemporaryNames = 1000;

// The name does not grow with the file's own name, so a file whose name
// is near the system's length limit still gets a temporary file.
std::string temporaryFileName(int number) {
    return std::string(kTemporaryPrefix) + std::to_string(number) + std::string(kTemporarySuffix);
}

}  // namespace

bool isTemporaryFileName(std::string_view name) {
    if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix)) {
        return false;
    }
    const std::string_view number = name.substr(
        kTemporaryPrefix.size(), name.size() - kTemporaryPrefix.size() - kTemporarySuffix.size());
    return !number.empty() && number.find_first_not_of("0123456789") == std::string_view::npos;
}

// Listed by name: a listing is only read, and each removal goes through
// the held folders.
void ReplacedFile::removeAbandonedFiles(const std::string& folder) {
    std::vector<std::string> names;
    const std::string listed = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
    if (!platform_.listDirectory(listed.empty() ? "." : listed, names)) {
        return;
    }
    for (const std::string& name : names) {
        if (isTemporaryFileName(name)) {
            platform_.removeAbandonedFile(folder + name);
        }
    }
}

bool ReplacedFile::open(const std::function<bool(std::string_view name)>& taken) {
    const std::string folder = path_.substr(0, path_.rfind(platform_.separator()) + 1);
    removeAbandonedFiles(folder);
    for (int number = 1; number <= kMaxTemporaryNames; ++number) {
        const std::string name = temporaryFileName(number);
        if (taken && taken(name)) {
            continue;
        }
        const std::string candidate = folder + name;
        NewFile created = platform_.createNewFile(candidate, path_);
        if (created.file) {
            temporary_ = candidate;
            text_.emplace(std::move(created.file));
            return true;
        }
        // Unless the name is in use, the folder itself refuses the file (it
        // is missing or may not be written): every other name fails alike.
        if (!created.nameInUse) {
            return false;
        }
    }
    return false;
}

// The temporary file is held until it has taken its place, so that no other
// run takes it for abandoned.
bool ReplacedFile::commit() {
    text_->sync();
    if (!text_->close() || !platform_.replaceFile(temporary_, path_)) {
        discard();
        return false;
    }
    temporary_.clear();
    text_.reset();
    return platform_.syncFolderOf(path_);
}

// Closed first, as Windows removes no open file; elsewhere it stays held
// until it is gone, so that no other run's file can have taken its name.
void ReplacedFile::discard() {
    if (text_) {
        text_->close();
    }
    if (!temporary_.empty()) {
        platform_.removeFile(temporary_);
        temporary_.clear();
    }
    text_.reset();
}

}  // namespace tessaly
