// The folders below a held folder, reached through handles rather than by
// name. Each is opened from the held folder down, one level at a time,
// relative to its parent's handle and never through a link, so a folder
// swapped for a link while the run writes cannot lead a write elsewhere. The
// chain of folders last reached stays open, so a depth-first walk opens each
// folder once. The platforms and the test double share it, each with its own
// handle.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaly {

// Handle: movable; a default-constructed one holds nothing; valid() tells
// whether it holds a folder; it lets go of the folder when destroyed.
template <class Handle>
class HeldFolders {
  public:
    // Opens the folder `name` of `parent`, whose own path is `path`: an
    // empty handle unless a real folder (no link) stands there.
    using Open = std::function<Handle(const Handle& parent, const std::string& name,
                                      const std::string& path)>;

    // `separators`: the characters that separate names, the first the one
    // paths are joined with. At most `maxOpen` folders below the held one
    // stay open; one closed is opened again from its nearest open ancestor.
    HeldFolders(Open open, std::string separators, std::size_t maxOpen)
        : open_(std::move(open)), separators_(std::move(separators)), maxOpen_(maxOpen) {}

    // Holds `root` as the folder at `path`; an empty root leaves every entry
    // below the path unreachable.
    void hold(std::string path, Handle root) {
        release();
        path_ = std::move(path);
        root_ = std::move(root);
        holding_ = true;
    }
    void release() {
        chain_.clear();
        root_ = Handle{};
        holding_ = false;
    }

    // An entry below the held folder: the folder it stands in, reached
    // through the chain (null when no chain of real folders leads there;
    // valid until the next call), that folder's path, and the entry's name.
    struct Entry {
        const Handle* folder = nullptr;
        std::string folderPath;
        std::string name;
        std::size_t depth = 0;  // the levels from the held folder to `folder`
    };

    // nullopt when nothing is held or the path is not below the held folder.
    // A path that climbs with "." or ".." is the user's own (a project name
    // given with path parts): it is not below, and is reached by name.
    std::optional<Entry> entryAt(const std::string& path) {
        if (!holding_ || !isBelow(path)) {
            return std::nullopt;
        }
        std::vector<std::string> names = namesAfter(path.substr(path_.size()));
        const auto wayOut = [](const std::string& name) { return name == "." || name == ".."; };
        if (names.empty() || std::any_of(names.begin(), names.end(), wayOut)) {
            return std::nullopt;
        }
        Entry entry;
        entry.name = std::move(names.back());
        names.pop_back();
        entry.depth = names.size();
        entry.folderPath = path_;
        for (const std::string& name : names) {
            entry.folderPath += separators_[0] + name;
        }
        entry.folder = reach(names);
        return entry;
    }

    // The run has changed what stands at the entry: a folder kept open for
    // its name is opened afresh when next reached.
    void forget(const Entry& entry) {
        if (entry.depth < chain_.size() && chain_[entry.depth].name == entry.name) {
            chain_.erase(chain_.begin() + static_cast<std::ptrdiff_t>(entry.depth), chain_.end());
        }
    }

  private:
    struct Link {
        std::string name;
        Handle handle;
    };

    bool isSeparator(char c) const { return separators_.find(c) != std::string::npos; }

    bool isBelow(const std::string& path) const {
        if (!path.starts_with(path_) || path.size() == path_.size()) {
            return false;
        }
        return isSeparator(path[path_.size()]) || (!path_.empty() && isSeparator(path_.back()));
    }

    // The names of a relative path; empty names (doubled or final
    // separators) are none.
    std::vector<std::string> namesAfter(std::string_view rest) const {
        std::vector<std::string> names;
        for (std::size_t start = 0; start <= rest.size();) {
            std::size_t end = start;
            while (end < rest.size() && !isSeparator(rest[end])) {
                ++end;
            }
            if (end > start) {
                names.emplace_back(rest.substr(start, end - start));
            }
            start = end + 1;
        }
        return names;
    }

    // The folder the names lead to from the held one, opening what is not
    // open yet; null when a level is no real folder. The chain is kept
    // below it: a walk that comes back down finds its folders open.
    const Handle* reach(const std::vector<std::string>& names) {
        if (!root_.valid()) {
            return nullptr;
        }
        std::size_t common = 0;
        while (common < chain_.size() && common < names.size() &&
               chain_[common].name == names[common]) {
            ++common;
        }
        if (common < names.size()) {
            chain_.erase(chain_.begin() + static_cast<std::ptrdiff_t>(common), chain_.end());
            for (std::size_t level = common; level < names.size(); ++level) {
                chain_.push_back(Link{names[level], Handle{}});
            }
        }
        std::size_t start = names.size();
        while (start > 0 && !chain_[start - 1].handle.valid()) {
            --start;
        }
        const Handle* folder = start == 0 ? &root_ : &chain_[start - 1].handle;
        std::string folderPath = path_;
        for (std::size_t level = 0; level < start; ++level) {
            folderPath += separators_[0] + names[level];
        }
        for (std::size_t level = start; level < names.size(); ++level) {
            folderPath += separators_[0] + names[level];
            Handle opened = open_(*folder, names[level], folderPath);
            if (!opened.valid()) {
                return nullptr;
            }
            chain_[level].handle = std::move(opened);
            folder = &chain_[level].handle;
            closeSurplus(level);
        }
        return folder;
    }

    // While more than maxOpen folders are open, closes those below the one
    // at `keep`, then those nearest the held folder.
    void closeSurplus(std::size_t keep) {
        std::size_t open = 0;
        for (const Link& link : chain_) {
            open += link.handle.valid() ? 1 : 0;
        }
        const auto close = [&](std::size_t level) {
            if (open > maxOpen_ && chain_[level].handle.valid()) {
                chain_[level].handle = Handle{};
                --open;
            }
        };
        for (std::size_t level = chain_.size(); level > keep + 1; --level) {
            close(level - 1);
        }
        for (std::size_t level = 0; level < keep; ++level) {
            close(level);
        }
    }

    Open open_;
    std::string separators_;
    std::size_t maxOpen_;
    bool holding_ = false;
    std::string path_;
    Handle root_;
    std::vector<Link> chain_;
};

}  // namespace tessaly
