#include "mcp/container.h"

#include <algorithm>

namespace tessaly {

namespace {

constexpr std::size_t kIndexEntrySize = 24;

ByteOrder orderOf(std::string_view bytes) {
    return bytes.starts_with("cool") ? ByteOrder::Big : ByteOrder::Little;
}

std::string chunkName(std::uint32_t type, std::uint32_t id) {
    return "chunk " + fourCcText(type) + " " + std::to_string(id);
}

}  // namespace

std::string fourCcText(std::uint32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>(code >> shift & 0xFF);
        text += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return text;
}

bool isBinaryProject(std::string_view bytes) {
    return bytes.starts_with("cool") || bytes.starts_with("looc");
}

Container::Container(std::string_view file) : order_(orderOf(file)) {
    const ByteView whole(file, order_, "file");
    const std::uint32_t indexOffset = whole.u32(0x10, "header");
    const std::uint32_t indexSize = whole.u32(0x14, "header");
    const std::uint32_t entries = whole.u32(0x18, "header");
    if (std::uint64_t(entries) * kIndexEntrySize != indexSize) {
        throwDamaged("chunk index size does not match its number of entries");
    }
    const ByteView index = whole.part(indexOffset, indexSize, "chunk index", "chunk index");
    chunks_.reserve(entries);
    for (std::size_t at = 0; at < indexSize; at += kIndexEntrySize) {
        const std::uint32_t offset = index.u32(at, "index entry");
        const std::uint32_t size = index.u32(at + 4, "index entry");
        const std::uint32_t type = index.u32(at + 8, "index entry");
        const std::uint32_t id = index.u32(at + 12, "index entry");
        const std::string name = chunkName(type, id);
        chunks_.push_back({type, id, index.u32(at + 16, "index entry"), offset,
                           whole.part(offset, size, name, name)});
    }
    checkNoOverlap();
}

// A byte changed in an offset (every CR made LF by a text conversion, say)
// moves a chunk into its neighbour; the IDE never writes overlapping chunks.
void Container::checkNoOverlap() const {
    std::vector<const Chunk*> stored;
    for (const Chunk& chunk : chunks_) {
        if (chunk.data.size() != 0) {
            stored.push_back(&chunk);
        }
    }
    std::sort(stored.begin(), stored.end(),
              [](const Chunk* a, const Chunk* b) { return a->offset < b->offset; });
    for (std::size_t i = 1; i < stored.size(); ++i) {
        if (stored[i - 1]->offset + std::uint64_t(stored[i - 1]->data.size()) > stored[i]->offset) {
            throwDamaged(stored[i - 1]->data.name() + " overlaps " + stored[i]->data.name());
        }
    }
}

const Chunk* Container::find(std::uint32_t type, std::uint32_t id) const {
    const auto it = std::find_if(chunks_.begin(), chunks_.end(), [&](const Chunk& chunk) {
        return chunk.type == type && chunk.id == id;
    });
    return it == chunks_.end() ? nullptr : &*it;
}

}  // namespace tessaly
