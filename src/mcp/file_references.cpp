#include "mcp/file_references.h"

#include <algorithm>
#include <optional>
#include <string>

#include "mcp/restoration.h"
#include "output/ascii_case.h"

namespace tessaly {

namespace {

constexpr std::size_t kReferenceSize = 4;
// A value held by more files than this pairs with none for certain; the
// bound keeps every use's work small whatever the file holds.
constexpr std::size_t kMaxHolders = 8;
// How many decided uses around an open one, and how far, show the order
// of its list.
constexpr std::size_t kOrderEvidence = 4;
constexpr std::size_t kOrderWindow = 3;

bool showsAlike(const auto& a, const auto& b) {
    return a.name == b.name && a.pathType == b.pathType && a.pathFormat == b.pathFormat;
}

}  // namespace

void FileReferences::holder(const ByteView& list, std::size_t at, const BinaryFile& file,
                            std::size_t position) {
    if (Restoration* restoration = list.restoration()) {
        holders_.push_back({{restoration, list.start() + at, list.values(at, kReferenceSize)},
                            file.name,
                            file.pathType,
                            file.pathFormat,
                            position});
    }
}

std::size_t FileReferences::list(Order order) {
    lists_.push_back({order, {}});
    return lists_.size() - 1;
}

void FileReferences::use(const ByteView& view, std::size_t at, std::size_t list) {
    if (Restoration* restoration = view.restoration()) {
        lists_[list].uses.push_back(uses_.size());
        uses_.push_back(
            {{restoration, view.start() + at, view.values(at, kReferenceSize)}, list, {}});
    }
}

void FileReferences::decide() {
    const auto open = [](const auto& part) { return part.reference.values.size() > 1; };
    if (std::none_of(holders_.begin(), holders_.end(), open) &&
        std::none_of(uses_.begin(), uses_.end(), open)) {
        return;  // every reference as it reads
    }
    index();
    if (pinHolders()) {
        index();
    }
    for (Use& use : uses_) {
        use.decided = decideAlone(use);
    }
    for (const List& list : lists_) {
        decideByOrder(list);
    }
    for (const Use& use : uses_) {
        if (!use.decided) {
            // The conversion uses no link order, only the export shows it.
            const bool linkOrder = lists_[use.list].order == Order::FileList;
            use.reference.restoration->leaveOpen(
                {use.reference.at, kReferenceSize},
                linkOrder ? tessaly::Use::ExportOnly : tessaly::Use::Needed);
        }
    }
}

void FileReferences::index() {
    byValue_.clear();
    for (Holder& holder : holders_) {
        for (const std::uint32_t value : holder.reference.values) {
            std::vector<Holder*>& holders = byValue_[value];
            if (holders.size() <= kMaxHolders) {
                holders.push_back(&holder);
            }
        }
    }
}

// A use that no conversion changed names its file for certain: where one
// file alone may be it, that file's reference is the use's.
bool FileReferences::pinHolders() {
    bool pinned = false;
    for (Use& use : uses_) {
        if (use.reference.values.size() == 1) {
            findHolders(use);
            if (use.holders.size() == 1 && use.holders.front()->reference.values.size() > 1) {
                pair(use, *use.holders.front());
                pinned = true;
            }
        }
    }
    return pinned;
}

// Bounded: a use has at most 16 values, each held by few files. Only files
// that still may hold one of its values count.
void FileReferences::findHolders(Use& use) const {
    use.holders.clear();
    for (const std::uint32_t value : use.reference.values) {
        const auto it = byValue_.find(value);
        if (it == byValue_.end()) {
            continue;
        }
        for (Holder* holder : it->second) {
            const std::vector<std::uint32_t>& held = holder->reference.values;
            if (std::find(held.begin(), held.end(), value) != held.end() &&
                std::find(use.holders.begin(), use.holders.end(), holder) == use.holders.end()) {
                use.holders.push_back(holder);
            }
        }
    }
}

// Where every file that may be its shows the same and one of them pairs
// with it as read, that pairing is kept: both as they read.
bool FileReferences::decideAlone(Use& use) {
    findHolders(use);
    if (use.holders.empty()) {
        return true;  // no file may hold it: it names none, as it reads
    }
    const bool alike = std::all_of(use.holders.begin(), use.holders.end(), [&](const Holder* h) {
        return showsAlike(*h, *use.holders.front());
    });
    if (alike) {
        for (Holder* holder : use.holders) {
            if (holder->reference.values.front() == use.reference.values.front()) {
                pair(use, *holder);
                return true;
            }
        }
    }
    if (use.holders.size() == 1) {
        pair(use, *use.holders.front());
        return true;
    }
    return false;
}

// The use and its file take a value they share: of several (both open
// alike), the use's as it reads.
void FileReferences::pair(Use& use, Holder& holder) {
    const std::vector<std::uint32_t>& values = holder.reference.values;
    std::optional<std::uint32_t> shared;
    for (const std::uint32_t value : use.reference.values) {
        if (!shared && std::find(values.begin(), values.end(), value) != values.end()) {
            shared = value;
        }
    }
    use.reference.restoration->settle({use.reference.at, kReferenceSize}, *shared);
    use.reference.restoration->settle({holder.reference.at, kReferenceSize}, *shared);
    use.reference.values = {*shared};
    holder.reference.values = {*shared};
    use.holders = {&holder};
}

// The keys of the nearest decided uses around the i-th use of a list, in
// the list's order, and where the use itself stands among them.
std::pair<std::vector<std::string>, std::size_t> FileReferences::keysAround(const List& list,
                                                                            std::size_t i,
                                                                            const auto& key) const {
    const auto decidedKey = [&](std::size_t j) -> std::optional<std::string> {
        const Use& use = uses_[list.uses[j]];
        return use.decided && !use.holders.empty() ? std::optional(key(*use.holders.front()))
                                                   : std::nullopt;
    };
    std::vector<std::string> keys;
    for (std::size_t j = i; j-- > 0 && keys.size() < kOrderWindow;) {
        if (const auto k = decidedKey(j)) {
            keys.insert(keys.begin(), *k);
        }
    }
    const std::size_t at = keys.size();
    keys.emplace_back();
    for (std::size_t j = i + 1; j < list.uses.size() && keys.size() < at + 1 + kOrderWindow; ++j) {
        if (const auto k = decidedKey(j)) {
            keys.push_back(*k);
        }
    }
    return {keys, at};
}

// Along the list, so that a use decided serves as a neighbour of the next;
// a file that a decided use of the list shows is no other's (a list names
// each file once).
void FileReferences::decideByOrder(const List& list) {
    const auto key = [&](const Holder& holder) {
        return list.order == Order::Name ? inAsciiLowerCase(holder.name)
                                         : std::to_string(1000000000 + holder.position);
    };
    std::unordered_set<const Holder*> taken;
    for (const std::size_t index : list.uses) {
        const Use& use = uses_[index];
        if (use.decided && use.holders.size() == 1) {
            taken.insert(use.holders.front());
        }
    }
    for (std::size_t i = 0; i < list.uses.size(); ++i) {
        Use& use = uses_[list.uses[i]];
        if (use.decided) {
            continue;
        }
        auto [keys, at] = keysAround(list, i, key);
        if (keys.size() < kOrderEvidence + 1) {
            continue;
        }
        findHolders(use);
        Holder* chosen = nullptr;
        std::size_t fitting = 0;
        for (Holder* holder : use.holders) {
            keys[at] = key(*holder);
            if (!taken.contains(holder) && std::is_sorted(keys.begin(), keys.end())) {
                ++fitting;
                chosen = holder;
            }
        }
        if (fitting == 1) {
            pair(use, *chosen);
            use.decided = true;
            taken.insert(chosen);
        }
    }
}

}  // namespace tessaly
