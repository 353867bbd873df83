#include "mcp/access_path_folders.h"

#include <algorithm>
#include <unordered_map>

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

void AccessPathFolders::add(std::vector<Field>& fields, const ByteView& view, std::size_t at) {
    if (Restoration* restoration = view.restoration()) {
        fields.push_back({restoration, {view.start() + at, kIdSize}, view.values(at, kIdSize)});
    }
}

void AccessPathFolders::id(const ByteView& panel, std::size_t at) {
    add(ids_, panel, at);
}

void AccessPathFolders::folder(const ByteView& entries, std::size_t at) {
    add(folders_, entries, at);
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

// The one path whose values share one with the folder's, given a shared
// value with it.
void AccessPathFolders::pair(Field& folder) {
    Field* path = nullptr;
    for (Field& id : ids_) {
        if (std::any_of(folder.values.begin(), folder.values.end(),
                        [&](std::uint32_t value) { return holds(id.values, value); })) {
            if (path != nullptr) {
                folder.restoration->leaveOpen(folder.at);  // two paths may be its folder
                return;
            }
            path = &id;
        }
    }
    if (path == nullptr) {
        return;
    }
    std::vector<std::uint32_t> shared;
    std::copy_if(folder.values.begin(), folder.values.end(), std::back_inserter(shared),
                 [&](std::uint32_t value) { return holds(path->values, value); });
    const std::uint32_t value = path->given.value_or(shared.front());
    if (!holds(shared, value)) {
        folder.restoration->leaveOpen(folder.at);
        return;
    }
    path->given = value;
    folder.restoration->settle(folder.at, value);
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

void AccessPathFolders::decide() {
    tellAlikeIds();
    while (narrowIds()) {
    }
    for (Field& folder : folders_) {
        pair(folder);
    }
    for (const Field& id : ids_) {
        if (id.given) {
            id.restoration->settle(id.at, *id.given);
        } else if (id.values.size() == 1) {
            id.restoration->settle(id.at, id.values.front());
        }
    }
    ids_.clear();
    folders_.clear();
}

}  // namespace tessaly
