#include "mcp/file_references.h"

#include <algorithm>
#include <optional>
#include <span>
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
constexpr std::size_t kOrderReach = 16;  // uses looked at on each side, decided or not
// Rounds of deciding along the lists; what one decides serves the next.
constexpr int kRounds = 3;
// A reference's serial, counted across the project; the top byte is the
// target that added the file.
constexpr std::uint32_t kSerialMask = 0x00FFFFFF;

bool showsAlike(const auto& a, const auto& b) {
    return a.name == b.name && a.pathType == b.pathType && a.pathFormat == b.pathFormat;
}

}  // namespace

void FileReferences::holder(const ByteView& list, std::size_t at, const BinaryFile& file,
                            std::size_t position, std::optional<FilePlace> place) {
    if (Restoration* restoration = list.restoration()) {
        holders_.push_back({{restoration, list.start() + at, list.values(at, kReferenceSize)},
                            file.name,
                            file.pathType,
                            file.pathFormat,
                            position,
                            place});
    }
}

std::size_t FileReferences::list(ListKind kind) {
    lists_.push_back({kind, {}});
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
    // A use decided in one list can decide another of its scope: a few
    // rounds, each bounded by the uses and the window around each.
    std::vector<Taken> taken(lists_.size() + 1);
    const auto scopeOf = [&](const List& list) -> Taken& {
        return list.kind == ListKind::Group ? taken.back()
                                            : taken[std::size_t(&list - lists_.data())];
    };
    for (const Use& use : uses_) {
        if (use.certain) {
            scopeOf(lists_[use.list]).insert(use.reference.values.front());
        }
    }
    for (int round = 0; round < kRounds; ++round) {
        bool progress = false;
        for (const List& list : lists_) {
            progress = decideInList(list, scopeOf(list)) || progress;
        }
        if (!progress) {
            break;
        }
    }
    for (const Use& use : uses_) {
        if (!use.decided) {
            // The conversion uses no link order, only the export shows it.
            const bool linkOrder = lists_[use.list].kind == ListKind::LinkOrder;
            use.reference.restoration->leaveOpen(
                {use.reference.at, kReferenceSize},
                linkOrder ? tessaly::Use::ExportOnly : tessaly::Use::Needed);
        }
    }
}

std::optional<FilePlace> FileReferences::placeOf(std::uint32_t reference) {
    if (byValue_.empty()) {
        index();
    }
    const auto it = byValue_.find(reference);
    if (it == byValue_.end() || it->second.size() > kMaxHolders) {
        return std::nullopt;
    }
    std::optional<FilePlace> place;
    for (const Holder* holder : it->second) {
        if (!holder->place || (place && *place != *holder->place)) {
            return std::nullopt;
        }
        place = holder->place;
    }
    return place;
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
                use.certain = true;
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
        use.certain = use.reference.values.size() == 1;
        return true;  // no file may hold it: it names none, as it reads
    }
    if (use.holders.size() == 1) {
        pair(use, *use.holders.front());
        use.certain = true;
        return true;
    }
    const bool alike = std::all_of(use.holders.begin(), use.holders.end(), [&](const Holder* h) {
        return showsAlike(*h, *use.holders.front());
    });
    if (alike) {
        for (Holder* holder : use.holders) {
            if (holder->reference.values.front() == use.reference.values.front()) {
                use.certain = candidates(use, {}).size() == 1;
                pair(use, *holder);
                return true;
            }
        }
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

// The values a use may hold that a file holds and no use of its scope has
// taken, each with the file that shows it (none where files that may hold
// it show different things).
std::vector<std::pair<std::uint32_t, FileReferences::Holder*>> FileReferences::candidates(
    const Use& use, const Taken& taken) const {
    std::vector<std::pair<std::uint32_t, Holder*>> left;
    for (const std::uint32_t value : use.reference.values) {
        if (taken.contains(value)) {
            continue;
        }
        Holder* shown = nullptr;
        bool alike = true;
        for (Holder* holder : use.holders) {
            const std::vector<std::uint32_t>& held = holder->reference.values;
            if (std::find(held.begin(), held.end(), value) == held.end()) {
                continue;
            }
            alike = alike && (shown == nullptr || showsAlike(*holder, *shown));
            if (shown == nullptr || held.front() == value) {
                shown = holder;
            }
        }
        if (shown != nullptr) {
            left.emplace_back(value, alike ? shown : nullptr);
        }
    }
    return left;
}

// Whether the uses decided around the i-th use of a list, in `order`, keep
// it with `value` and its file `holder` among them; true where they show no
// order (too few, or not in that order themselves).
bool FileReferences::keptAround(const List& list, std::size_t i, Order order, std::uint32_t value,
                                const Holder& holder) const {
    if (order == Order::Added) {
        return addedBetween(list, i, value);
    }
    const auto key = [&](const Holder& file) {
        return order == Order::Name ? inAsciiLowerCase(file.name)
                                    : std::to_string(1000000000 + file.position);
    };
    const auto decidedKey = [&](std::size_t j) -> std::optional<std::string> {
        const Use& use = uses_[list.uses[j]];
        const bool shown = order == Order::Name ? use.decided : use.certain;
        return shown && !use.holders.empty() ? std::optional(key(*use.holders.front()))
                                             : std::nullopt;
    };
    std::vector<std::string> keys;
    for (std::size_t j = i; j-- > 0 && i - j <= kOrderReach && keys.size() < kOrderWindow;) {
        if (const auto k = decidedKey(j)) {
            keys.insert(keys.begin(), *k);
        }
    }
    const std::size_t at = keys.size();
    for (std::size_t j = i + 1;
         j < list.uses.size() && j - i <= kOrderReach && keys.size() < at + kOrderWindow; ++j) {
        if (const auto k = decidedKey(j)) {
            keys.push_back(*k);
        }
    }
    if (keys.size() < kOrderEvidence || !std::is_sorted(keys.begin(), keys.end())) {
        return true;
    }
    keys.insert(keys.begin() + std::ptrdiff_t(at), key(holder));
    return std::is_sorted(keys.begin(), keys.end());
}

// Files added one after another keep their order in a group: where the
// uses right before and after the i-th are certain and their serials leave
// one between them, that serial is the use's. Only so close a run counts:
// a group's order of addition is often broken by a file moved or added
// again, and a looser test (the nearest decided uses in order) takes a
// wrong file there about one time in 125 on the groups of the projects at
// hand, this one about once in 2,000.
bool FileReferences::addedBetween(const List& list, std::size_t i, std::uint32_t value) const {
    if (i == 0 || i + 1 >= list.uses.size()) {
        return true;
    }
    const Use& before = uses_[list.uses[i - 1]];
    const Use& after = uses_[list.uses[i + 1]];
    if (!before.certain || !after.certain) {
        return true;
    }
    const std::uint32_t first = before.reference.values.front() & kSerialMask;
    const std::uint32_t last = after.reference.values.front() & kSerialMask;
    return last - first != 2 || (value & kSerialMask) == first + 1;
}

// Along the list, so that a use decided serves as a neighbour of the next.
bool FileReferences::decideInList(const List& list, Taken& taken) {
    static constexpr Order kLinkOrder[] = {Order::FileList};
    static constexpr Order kGroup[] = {Order::Name, Order::Added};
    const std::span<const Order> orders = list.kind == ListKind::LinkOrder
                                              ? std::span<const Order>(kLinkOrder)
                                              : std::span<const Order>(kGroup);
    bool progress = false;
    for (std::size_t i = 0; i < list.uses.size(); ++i) {
        Use& use = uses_[list.uses[i]];
        if (use.decided) {
            continue;
        }
        findHolders(use);
        // One file left is the use's; of several, the one that every order
        // kept around the use allows (none where two orders disagree).
        auto left = candidates(use, taken);
        if (left.size() > 1) {
            for (const Order order : orders) {
                std::erase_if(left, [&](const auto& candidate) {
                    return candidate.second != nullptr &&
                           !keptAround(list, i, order, candidate.first, *candidate.second);
                });
            }
        }
        if (left.size() == 1 && left.front().second != nullptr) {
            pair(use, *left.front().second);
            use.decided = use.certain = true;
            taken.insert(left.front().first);
            progress = true;
        }
    }
    return progress;
}

}  // namespace tessaly
