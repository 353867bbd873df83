// The container of a binary project file: a header, a data area of chunks
// and an index that locates each chunk by type code, id and name number.
//   0x00 magic "cool" (big-endian) or "looc" (little-endian), 0x10 index
//   offset, 0x18 index entries; an entry is offset, size, type, id, name,
//   unused (six 32-bit integers). Chunks are not stored in index order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mcp/byte_view.h"

namespace tessaly {

// A four-character code as the file stores it: a 32-bit integer.
constexpr std::uint32_t fourCc(const char (&code)[5]) {
    return std::uint32_t(std::uint8_t(code[0])) << 24 | std::uint32_t(std::uint8_t(code[1])) << 16 |
           std::uint32_t(std::uint8_t(code[2])) << 8 | std::uint32_t(std::uint8_t(code[3]));
}

// The code as text, for messages.
std::string fourCcText(std::uint32_t code);

struct Chunk {
    std::uint32_t type = 0;
    std::uint32_t id = 0;
    std::uint32_t name = 0;  // a string number of table 0; used by settings panels
    std::uint32_t offset = 0;
    ByteView data;
};

// Whether the bytes start like a binary project file, in either order.
bool isBinaryProject(std::string_view bytes);

class Container {
  public:
    // Reads the header and the index; throws DamagedProjectError when a
    // chunk lies outside the file or two chunks overlap.
    explicit Container(std::string_view file);

    ByteOrder order() const { return order_; }
    // The first chunk of that type and id; null when there is none.
    const Chunk* find(std::uint32_t type, std::uint32_t id) const;
    const std::vector<Chunk>& chunks() const { return chunks_; }

  private:
    void checkNoOverlap() const;

    ByteOrder order_;
    std::vector<Chunk> chunks_;
};

}  // namespace tessaly
