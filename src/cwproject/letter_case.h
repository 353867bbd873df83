// Letter case as the IDE's file systems had it. Windows and Mac OS ignore
// letter case, so a project written there may name a folder "Sources" that a
// repository holds as "sources"; on a file system that tells letter case
// apart such a path names nothing. A path piece that names nothing as
// written is matched against its folder's entries without regard to ASCII
// letter case: an exact match always wins, and of several entries that
// differ only in case the first in byte order is taken, so the choice does
// not depend on the order in which a file system lists its entries.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/platform.h"

namespace tessaly {

// Whether a path text of that format was written for a file system that
// ignores letter case.
bool ignoresLetterCase(std::string_view format);

class LetterCaseMatcher {
  public:
    explicit LetterCaseMatcher(Platform& platform);

    // For a path `base` + `relative` that names nothing as written: where
    // the file system tells letter case apart, the path with each piece of
    // `relative` that names nothing as written replaced by its folder's
    // entry of that name in another case. Nullopt where the file system
    // ignores letter case, and when a piece matches nothing. `base` (a
    // folder ending in a separator, or empty) is taken as written. Each
    // folder is listed at most once in the matcher's life.
    std::optional<std::string> inAnyCase(const std::string& base, std::string_view relative);

  private:
    // A folder's entries by their name in upper case: the first in byte
    // order of each such name, and whether the name itself is an entry.
    struct Entries {
        std::unordered_set<std::string> names;
        std::unordered_map<std::string, std::string> byUpperCase;
    };
    const Entries& entriesOf(const std::string& folder);

    Platform& platform_;
    std::unordered_map<std::string, Entries> folders_;
};

}  // namespace tessaly
