#include "mcp/string_table.h"

#include <string>

namespace tessaly {

namespace {

constexpr std::size_t kEntrySize = 12;

}  // namespace

StringTable::StringTable(const Container& container, std::uint32_t id) {
    const Chunk* strings = container.find(fourCc("mstr"), id);
    const Chunk* offsets = container.find(fourCc("mstl"), id);
    if (strings == nullptr || offsets == nullptr) {
        return;
    }
    const ByteView& list = offsets->data;
    const std::string_view all = strings->data.bytes(0, strings->data.size(), "string table");
    for (std::size_t at = 0; at + kEntrySize <= list.size(); at += kEntrySize) {
        const std::uint32_t offset = list.u32(at, "string list entry");
        const std::uint32_t number = list.u32(at + 4, "string list entry");
        const std::size_t end = offset < all.size() ? all.find('\0', offset) : std::string::npos;
        if (end == std::string_view::npos) {
            throwDamaged("string " + std::to_string(number) + " past the end of its string table");
        }
        texts_.emplace(number, all.substr(offset, end - offset));
    }
}

const std::string_view* StringTable::find(std::uint32_t number) const {
    const auto it = texts_.find(number);
    return it == texts_.end() ? nullptr : &it->second;
}

std::string_view StringTable::text(std::uint32_t number, std::string_view what) const {
    if (const std::string_view* found = find(number)) {
        return *found;
    }
    throwDamaged(std::string(what) + " names string " + std::to_string(number) +
                 ", which its string table lacks");
}

}  // namespace tessaly
