#include "mcp/access_path_folders.h"

#include <algorithm>
#include <unordered_map>

#include "mcp/export_xml.h"

namespace tessaly {

namespace {

constexpr std::size_t kIdSize = 4;

bool holds(const std::vector<std::uint32_t>& values, std::uint32_t value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

// Keeps the values that `keep` allows, unless none is left; whether any went.
template <class Keep>
bool narrow(std::vector<std::uint32_t>& values, const Keep& keep) {
    std::vector<std::uint32_t> kept;
    std::copy_if(values.begin(), values.end(), std::back_inserter(kept), keep);
    if (kept.empty() || kept.size() == values.size()) {
        return false;
    }
    values = std::move(kept);
    return true;
}

}  // namespace

void AccessPathFolders::add(std::vector<Field>& fields, const ByteView& view, std::size_t at,
                            std::size_t index) {
    if (Restoration* restoration = view.restoration()) {
        fields.push_back(
            {restoration, {view.start() + at, kIdSize}, index, view.values(at, kIdSize)});
    }
}

void AccessPathFolders::id(const ByteView& panel, std::size_t at, std::size_t path) {
    add(reading_.ids, panel, at, path);
}

void AccessPathFolders::folder(const ByteView& entries, std::size_t at, std::size_t file) {
    add(reading_.folders, entries, at, file);
}

bool AccessPathFolders::narrowIds(Target& target) {
    bool changed = false;
    for (Field& id : target.ids) {
        changed |= narrow(id.values, [&](std::uint32_t value) {
            return std::none_of(target.ids.begin(), target.ids.end(), [&](const Field& other) {
                return &other != &id && other.values.size() == 1 && other.values.front() == value;
            });
        });
    }
    return changed;
}

std::vector<std::size_t> AccessPathFolders::pathsSharingValue(const Target& target,
                                                              const Field& folder) {
    std::vector<std::size_t> paths;
    for (std::size_t i = 0; i < target.ids.size(); ++i) {
        if (std::any_of(folder.values.begin(), folder.values.end(),
                        [&](std::uint32_t value) { return holds(target.ids[i].values, value); })) {
            paths.push_back(i);
        }
    }
    return paths;
}

// Where the file would lie were the path its folder, in the texts the
// export writes. A target has ids only once its Access Paths panel is read.
FileLocation AccessPathFolders::location(const Field& path, const Field& folder,
                                         const BinaryTarget& target) {
    const std::vector<BinaryAccessPath>& user = target.accessPaths->user;
    const std::vector<BinaryAccessPath>& system = target.accessPaths->system;
    return exportedLocation(
        target.files.at(folder.index),
        path.index < user.size() ? &user[path.index] : &system.at(path.index - user.size()));
}

// Gives the folder and its path a value they share; the other paths'
// values lose it, so that no two are given one. Whether they had one.
bool AccessPathFolders::pair(Target& target, Field& folder, Field& path) {
    std::vector<std::uint32_t> shared;
    std::copy_if(folder.values.begin(), folder.values.end(), std::back_inserter(shared),
                 [&](std::uint32_t value) { return holds(path.values, value); });
    if (path.given && !holds(shared, *path.given)) {
        folder.restoration->leaveOpen(folder.at);
        return false;
    }
    const std::uint32_t value = path.given.value_or(shared.front());
    path.given = value;
    folder.restoration->settle(folder.at, value);
    for (Field& other : target.ids) {
        if (&other != &path && !other.given) {
            narrow(other.values, [&](std::uint32_t kept) { return kept != value; });
        }
    }
    return true;
}

// Ids that as they read are alike, of which one may have held a CR, show a
// conversion: of part of the file, it may be the only sign, as the files
// below the one path would otherwise be read as lying below the other.
// Before any id is narrowed, each one's first value is the one it reads.
void AccessPathFolders::tellAlikeIds(const Target& target) {
    std::unordered_map<std::uint32_t, const Field*> byValue;
    for (const Field& id : target.ids) {
        const auto [it, added] = byValue.emplace(id.values.front(), &id);
        if (!added && (id.values.size() > 1 || it->second->values.size() > 1)) {
            id.restoration->misfit();
            return;
        }
    }
}

// The disk is asked only where the bytes leave more than one path and the
// file already shows a conversion: an intact file reads as its bytes say,
// whatever the disk holds now. The ids are settled once no folder waits on
// them (a settled id may be the only sign of a conversion for the next
// target).
void AccessPathFolders::decide(const BinaryTarget& target, const FileOnDisk& onDisk) {
    Target& fields = reading_;
    tellAlikeIds(fields);
    while (narrowIds(fields)) {
    }
    for (Field& folder : fields.folders) {
        std::vector<std::size_t> paths = pathsSharingValue(fields, folder);
        // Distinct as ids are, no more paths than the folder has values (16
        // at most) can hold one: more mean the ids themselves are open, and
        // neither the disk nor the other targets are asked.
        if (paths.size() > folder.values.size()) {
            folder.restoration->leaveOpen(folder.at);
            continue;
        }
        if (paths.size() > 1) {
            std::vector<std::size_t> below = paths;
            std::erase_if(below, [&](std::size_t path) {
                return !folder.restoration->showsConversion() || !onDisk ||
                       !onDisk(location(fields.ids[path], folder, target));
            });
            if (below.size() != 1) {
                waitForTargets(fields, folder, paths, target);  // two paths may be its folder
                continue;
            }
            paths = below;
        }
        if (!paths.empty()) {
            Field& path = fields.ids[paths.front()];
            if (pair(fields, folder, path)) {
                placed_[target.files.at(folder.index).name].push_back(
                    location(path, folder, target));
            }
        }
    }
    if (fields.open.empty()) {
        settleIds(fields);
    } else {
        read_.push_back(std::move(fields));
    }
    reading_ = {};
}

void AccessPathFolders::waitForTargets(Target& fields, const Field& folder,
                                       const std::vector<std::size_t>& paths,
                                       const BinaryTarget& target) {
    Open open{std::size_t(&folder - fields.folders.data()), target.files.at(folder.index).name, {}};
    for (const std::size_t path : paths) {
        open.candidates.push_back({path, location(fields.ids[path], folder, target)});
    }
    fields.open.push_back(std::move(open));
}

// The one candidate that locates the file where every other target's
// decided file of its name lies.
std::optional<std::size_t> AccessPathFolders::toldByOtherTargets(const Open& open) const {
    const auto it = placed_.find(open.name);
    if (it == placed_.end() || std::adjacent_find(it->second.begin(), it->second.end(),
                                                  std::not_equal_to<>()) != it->second.end()) {
        return std::nullopt;
    }
    std::optional<std::size_t> there;
    for (const Candidate& candidate : open.candidates) {
        if (candidate.location == it->second.front()) {
            if (there) {
                return std::nullopt;
            }
            there = candidate.path;
        }
    }
    return there;
}

// An id left with several values stays as it reads, unless another path
// was given that value: it then takes one no path is given.
void AccessPathFolders::settleIds(const Target& target) {
    for (const Field& id : target.ids) {
        if (id.given) {
            id.restoration->settle(id.at, *id.given);
        } else if (id.values.size() == 1 ||
                   !holds(id.values, id.restoration->values(id.at).front())) {
            id.restoration->settle(id.at, id.values.front());
        }
    }
}

// Asked, like the disk, only of a file that shows a conversion.
void AccessPathFolders::finish() {
    for (Target& target : read_) {
        for (const Open& open : target.open) {
            Field& folder = target.folders[open.folder];
            const std::optional<std::size_t> path = toldByOtherTargets(open);
            if (folder.restoration->showsConversion() && path) {
                pair(target, folder, target.ids[*path]);
            } else {
                folder.restoration->leaveOpen(folder.at);
            }
        }
        settleIds(target);
    }
    read_.clear();
    placed_.clear();
}

}  // namespace tessaly
