#include "mcp/string_table.h"

#include <string>

#include "mcp/restoration.h"

namespace tessaly {

namespace {

constexpr std::size_t kEntrySize = 12;
// Table sizes seen: the list holds room for a multiple of 32 entries, the
// texts a multiple of 1,024 bytes.
constexpr std::size_t kListRoom = 32 * kEntrySize;
constexpr std::size_t kTextRoom = 1024;

}  // namespace

// The table's counts ("msti": u32 strings, u32 room for entries, u32 bytes
// used, u32 room for text) give the sizes of the two chunks.
StringTable::StringTable(Container& container, std::uint32_t id) {
    const Chunk* strings = container.find(fourCc("mstr"), id);
    const Chunk* offsets = container.find(fourCc("mstl"), id);
    if (strings == nullptr || offsets == nullptr) {
        return;
    }
    const Chunk* counts = container.find(fourCc("msti"), id);
    const auto room = [&](std::size_t at, std::size_t unit, std::size_t size) {
        return counts == nullptr || !counts->placed ||
               counts->data.allows(
                   at, 4, [&](std::uint32_t room) { return std::uint64_t(room) * unit == size; });
    };
    strings_ = container.data(*strings, [&](const ByteView& bytes) {
        return bytes.size() % kTextRoom == 0 && room(12, 1, bytes.size());
    });
    const ByteView& list = container.data(*offsets, [&](const ByteView& bytes) {
        return bytes.size() % kListRoom == 0 && room(4, kEntrySize, bytes.size());
    });
    for (std::size_t at = 0; at + kEntrySize <= list.size(); at += kEntrySize) {
        readEntry(list, at);
    }
}

// String number n is the n-th string of the texts, counted from 1: the
// table only grows, and a deleted string keeps its bytes and its number
// (it loses its entry). So an entry's offset and number fit together only
// where the offset starts the string of that number.
void StringTable::readEntry(const ByteView& list, std::size_t at) {
    const std::string_view all = strings_.bytes(0, strings_.size(), "string table");
    Restoration* restoration = list.restoration();
    if (starts_.empty() && restoration != nullptr &&
        restoration->undecided({list.start() + at, 2 * 4})) {
        starts_.push_back(0);
        for (std::size_t nul = all.find('\0');
             nul != std::string_view::npos && nul + 1 < all.size(); nul = all.find('\0', nul + 1)) {
            starts_.push_back(static_cast<std::uint32_t>(nul + 1));
        }
    }
    list.decideTogether(
        {{at, 4}, {at + 4, 4}}, "string list entry",
        [&](std::span<const std::uint32_t> entry) {
            return entry[1] >= 1 && entry[1] <= starts_.size() && starts_[entry[1] - 1] == entry[0];
        },
        Use::IfUsed);
    const std::uint32_t offset = list.u32(at, "string list entry");
    const std::vector<std::uint32_t> numbers = list.values(at + 4, 4);
    const std::size_t end = offset < all.size() ? all.find('\0', offset) : std::string::npos;
    if (end == std::string_view::npos) {
        throwDamaged(Damage::PartShort, "string " + std::to_string(numbers.front()) +
                                            " past the end of its string table");
    }
    const FieldAt number{list.restoration() == nullptr ? 0 : list.start() + at + 4, 4};
    const Entry entry{all.substr(offset, end - offset), number};
    if (numbers.size() == 1) {
        entries_.emplace(numbers.front(), entry);
    } else {
        for (const std::uint32_t value : numbers) {
            openEntries_.emplace(value, entry);
        }
    }
}

// A number that holds for certain answers alone (numbers are unique);
// otherwise every entry whose number may be the one looked up is used.
const StringTable::Entry* StringTable::entry(std::uint32_t number) const {
    if (const auto it = entries_.find(number); it != entries_.end()) {
        return &it->second;
    }
    const auto [first, last] = openEntries_.equal_range(number);
    if (first == last) {
        return nullptr;
    }
    if (Restoration* restoration = strings_.restoration()) {
        for (auto it = first; it != last; ++it) {
            restoration->leaveOpen(it->second.number);
        }
    }
    return &first->second;
}

const std::string_view* StringTable::peek(std::uint32_t number) const {
    if (const auto it = entries_.find(number); it != entries_.end()) {
        return &it->second.text;
    }
    const auto it = openEntries_.find(number);
    return it == openEntries_.end() ? nullptr : &it->second.text;
}

bool StringTable::holds(std::uint32_t number) const {
    return peek(number) != nullptr;
}

const std::string_view* StringTable::find(std::uint32_t number) const {
    const Entry* found = entry(number);
    if (found == nullptr) {
        return nullptr;
    }
    strings_.useText(found->text);
    return &found->text;
}

std::string_view StringTable::text(std::uint32_t number, std::string_view what) const {
    if (const std::string_view* found = find(number)) {
        return *found;
    }
    throwDamaged(Damage::UnknownName, std::string(what) + " names string " +
                                          std::to_string(number) +
                                          ", which its string table lacks");
}

}  // namespace tessaly
