#include "output/replaced_file.h"

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

bool ReplacedFile::open(const std::function<bool(std::string_view name)>& taken) {
    const std::string folder = path_.substr(0, path_.rfind(platform_.separator()) + 1);
    for (int number = 1; number <= kMaxTemporaryNames; ++number) {
        const std::string name = temporaryFileName(number);
        if (taken && taken(name)) {
            continue;
        }
        const std::string candidate = folder + name;
        NewFile created = platform_.createNewFile(candidate);
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

bool ReplacedFile::commit() {
    const bool complete = text_->close();
    text_.reset();
    if (complete && platform_.replaceFile(temporary_, path_)) {
        temporary_.clear();
        return true;
    }
    discard();
    return false;
}

void ReplacedFile::discard() {
    text_.reset();  // closed first: Windows removes no open file
    if (!temporary_.empty()) {
        platform_.removeFile(temporary_);
        temporary_.clear();
    }
}

}  // namespace tessaly
