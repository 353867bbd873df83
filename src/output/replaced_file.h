// An output file that replaces the file at its path in one step. The text
// goes to a new temporary file in the same folder, which is synced to the
// disk and renamed over the path only once it is complete, and the folder is
// synced after the rename: until then the earlier file stays whole, and an
// interrupted or failed run, or a crash of the machine, never leaves it
// empty or cut. The new file keeps the earlier one's permissions. A file
// that is never committed leaves nothing behind; what a killed run left in
// the folder is removed when the next run writes there.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "output/text_output.h"
#include "platform/platform.h"

namespace tessaly {

class ReplacedFile {
  public:
    ReplacedFile(Platform& platform, std::string path)
        : platform_(platform), path_(std::move(path)) {}
    ~ReplacedFile() { discard(); }
    ReplacedFile(const ReplacedFile&) = delete;
    ReplacedFile& operator=(const ReplacedFile&) = delete;

    // Removes the temporary files in the folder that no running program
    // holds, then creates its own, never where anything stands. `taken`
    // tells the names that folders beside it will get, which it must not
    // take. False when it cannot be created.
    bool open(const std::function<bool(std::string_view name)>& taken = nullptr);
    // Only between a successful open and the commit.
    TextOutput& text() { return *text_; }
    // Completes the temporary file, syncs it, renames it over the path and
    // syncs the folder. False when anything written was lost or a step
    // failed; the temporary file is gone either way.
    bool commit();
    const std::string& path() const { return path_; }

  private:
    void removeAbandonedFiles(const std::string& folder);
    void discard();

    Platform& platform_;
    std::string path_;
    std::string temporary_;  // empty when there is none
    std::optional<TextOutput> text_;
};

// Whether a file name is that of a temporary file (a killed run leaves its
// temporary files behind).
bool isTemporaryFileName(std::string_view name);

}  // namespace tessaly
