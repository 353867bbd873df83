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
    add(ids_, panel, at, path);
}

void AccessPathFolders::folder(const ByteView& entries, std::size_t at, std::size_t file) {
    add(folders_, entries, at, file);
}

bool AccessPathFolders::narrowIds() {
    bool changed = false;
    for (Field& id : ids_) {
        changed |= narrow(id.values, [&](std::uint32_t value) {
            return std::none_of(ids_.begin(), ids_.end(), [&](const Field& other) {
                return &other != &id && other.values.size() == 1 && other.values.front() == value;
            });
        });
    }
    return changed;
}

std::vector<AccessPathFolders::Field*> AccessPathFolders::pathsSharingValue(const Field& folder) {
    std::vector<Field*> paths;
    for (Field& id : ids_) {
        if (std::any_of(folder.values.begin(), folder.values.end(),
                        [&](std::uint32_t value) { return holds(id.values, value); })) {
            paths.push_back(&id);
        }
    }
    return paths;
}

bool AccessPathFolders::liesBelow(const Field& path, const Field& folder,
                                  const BinaryTarget& target, const FileOnDisk& onDisk) {
    if (!onDisk || !target.accessPaths) {
        return false;
    }
    const std::vector<BinaryAccessPath>& user = target.accessPaths->user;
    const std::vector<BinaryAccessPath>& system = target.accessPaths->system;
    const BinaryAccessPath& folderPath =
        path.index < user.size() ? user[path.index] : system.at(path.index - user.size());
    return onDisk(exportedLocation(target.files.at(folder.index), &folderPath));
}

// Gives the folder and its path a value they share; the other paths'
// values lose it, so that no two are given one.
void AccessPathFolders::pair(Field& folder, Field& path) {
    std::vector<std::uint32_t> shared;
    std::copy_if(folder.values.begin(), folder.values.end(), std::back_inserter(shared),
                 [&](std::uint32_t value) { return holds(path.values, value); });
    if (path.given && !holds(shared, *path.given)) {
        folder.restoration->leaveOpen(folder.at);
        return;
    }
    const std::uint32_t value = path.given.value_or(shared.front());
    path.given = value;
    folder.restoration->settle(folder.at, value);
    for (Field& other : ids_) {
        if (&other != &path && !other.given) {
            narrow(other.values, [&](std::uint32_t kept) { return kept != value; });
        }
    }
}

// Ids that as they read are alike, of which one may have held a CR, show a
// conversion: of part of the file, it may be the only sign, as the files
// below the one path would otherwise be read as lying below the other.
// Before any id is narrowed, each one's first value is the one it reads.
void AccessPathFolders::tellAlikeIds() const {
    std::unordered_map<std::uint32_t, const Field*> byValue;
    for (const Field& id : ids_) {
        const auto [it, added] = byValue.emplace(id.values.front(), &id);
        if (!added && (id.values.size() > 1 || it->second->values.size() > 1)) {
            id.restoration->misfit();
            return;
        }
    }
}

// The disk is asked only where the bytes leave more than one path and the
// file already shows a conversion: an intact file reads as its bytes say,
// whatever the disk holds now.
void AccessPathFolders::decide(const BinaryTarget& target, const FileOnDisk& onDisk) {
    tellAlikeIds();
    while (narrowIds()) {
    }
    for (Field& folder : folders_) {
        std::vector<Field*> paths = pathsSharingValue(folder);
        if (paths.size() > 1) {
            std::erase_if(paths, [&](const Field* path) {
                return !folder.restoration->showsConversion() ||
                       !liesBelow(*path, folder, target, onDisk);
            });
            if (paths.size() != 1) {
                folder.restoration->leaveOpen(folder.at);  // two paths may be its folder
                continue;
            }
        }
        if (!paths.empty()) {
            pair(folder, *paths.front());
        }
    }
    // An id left with several values stays as it reads, unless another
    // path was given that value: it then takes one no path is given.
    for (const Field& id : ids_) {
        if (id.given) {
            id.restoration->settle(id.at, *id.given);
        } else if (id.values.size() == 1 ||
                   !holds(id.values, id.restoration->values(id.at).front())) {
            id.restoration->settle(id.at, id.values.front());
        }
    }
    ids_.clear();
    folders_.clear();
}

}  // namespace tessaly
