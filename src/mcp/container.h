// The container of a binary project file: a header, a data area of chunks
// and an index that locates each chunk by type code, id and name number.
//   0x00 magic "cool" (big-endian) or "looc" (little-endian), 0x10 index
//   offset, 0x14 index size, 0x18 index entries; an entry is offset, size,
//   type, id, name, unused (six 32-bit integers). Chunks are not stored in
//   index order and leave gaps between them.
// What a line-end conversion may have changed here is decided by the
// container's own constraints: the index is 24 bytes an entry and ends the
// file; every chunk lies in the data area (from the header's end to the
// index) and no two overlap; the chunks of one type that the reader finds
// by id (all but the settings panels) have ids that grow along the index.
// A chunk whose place these leave open is placed by the part that reads it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "mcp/byte_view.h"
#include "mcp/restoration.h"

namespace tessaly {

// A four-character code as the file stores it: a 32-bit integer.
constexpr std::uint32_t fourCc(const char (&code)[5]) {
    return std::uint32_t(std::uint8_t(code[0])) << 24 | std::uint32_t(std::uint8_t(code[1])) << 16 |
           std::uint32_t(std::uint8_t(code[2])) << 8 | std::uint32_t(std::uint8_t(code[3]));
}

// The code as text, for messages.
std::string fourCcText(std::uint32_t code);

struct Placement {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

struct Chunk {
    std::uint32_t type = 0;
    std::uint32_t id = 0;
    std::uint32_t name = 0;  // a string number of table 0; used by settings panels
    std::uint32_t offset = 0;
    ByteView data{{}, ByteOrder::Big, ""};  // where it lies; see Container::data
    std::size_t entry = 0;                  // where its index entry starts in the file
    std::vector<Placement> places;          // where it may lie, while that is open
    bool placed = true;
};

// Whether the bytes of a place may be the record that a part expects.
using ChunkFits = std::function<bool(const ByteView&)>;

// Whether the bytes start like a binary project file, in either order.
bool isBinaryProject(std::string_view bytes);

// Where the header says the file ends: its index's offset plus its size, as
// the bytes read; nullopt for a file too short to hold them.
std::optional<std::uint64_t> indexEnd(std::string_view file);

// Whether the header's index ends the file, as in every intact one.
bool endsWithItsIndex(std::string_view file);

class Container {
  public:
    // Reads the header and the index; throws DamagedProjectError when a
    // chunk lies outside the file or two chunks overlap. With a
    // restoration, decides what a line-end conversion changed in them.
    explicit Container(std::string_view file, Restoration* restoration = nullptr);

    ByteOrder order() const { return order_; }
    // The first chunk of that type and id; null when there is none.
    const Chunk* find(std::uint32_t type, std::uint32_t id);
    const std::vector<Chunk>& chunks() const { return chunks_; }
    // The bytes of a chunk of this container. Of the places a line-end
    // conversion left open, the one whose bytes `fits` allows; with more
    // than one, or none, the place stays open.
    const ByteView& data(const Chunk& chunk, const ChunkFits& fits = nullptr);
    // Chunks of that type whose id a conversion left open take the one of
    // their ids that is in `ids` (the targets' numbers), where only one is.
    void settleIds(std::uint32_t type, const std::set<std::uint32_t>& ids);
    // Whether a chunk's bytes, at one of the places it may have, may be a
    // record that `fits` allows; decides nothing.
    bool mayHold(const Chunk& chunk, const ChunkFits& fits) const;
    // The field of a chunk's index entry that holds its name number.
    static FieldAt nameField(const Chunk& chunk) { return {chunk.entry + 16, 4}; }

  private:
    void readHeader(const ByteView& whole);
    void readEntry(const ByteView& whole, const ByteView& index, std::size_t at);
    void placeByLayout();
    bool holdsAsRead(const Chunk& chunk) const;
    void orderIds();
    void checkNoOverlap() const;
    void place(Chunk& chunk, Placement placement);
    std::vector<Placement> placesInDataArea(FieldAt offset, FieldAt size) const;

    ByteOrder order_;
    ByteView whole_;
    Restoration* restoration_;
    std::uint32_t indexOffset_ = 0;
    std::vector<Chunk> chunks_;
};

}  // namespace tessaly
