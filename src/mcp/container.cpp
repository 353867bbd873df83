#include "mcp/container.h"

#include <algorithm>
#include <map>

namespace tessaly {

namespace {

constexpr std::size_t kIndexEntrySize = 24;
// The header's size: the data area starts there.
constexpr std::size_t kDataStart = 0x128;
// The end of the header's fields that locate the index.
constexpr std::size_t kHeaderFieldsEnd = 0x18;
// How often the places left open are tried against the chunks placed so
// far: a chunk placed in one round can place its neighbours in the next.
constexpr int kLayoutRounds = 2;

std::string chunkName(std::uint32_t type, std::uint32_t id) {
    return "chunk " + fourCcText(type) + " " + std::to_string(id);
}

FieldAt offsetField(const Chunk& chunk) {
    return {chunk.entry, 4};
}

FieldAt sizeField(const Chunk& chunk) {
    return {chunk.entry + 4, 4};
}

FieldAt idField(const Chunk& chunk) {
    return {chunk.entry + 12, 4};
}

// The byte ranges of placed chunks, sorted, and whether a place is free.
class TakenRanges {
  public:
    void add(std::uint64_t start, std::uint64_t end) {
        if (end > start) {
            ranges_.emplace_back(start, end);
        }
    }
    void sort() { std::sort(ranges_.begin(), ranges_.end()); }
    bool free(const Placement& place) const {
        const std::uint64_t start = place.offset;
        const std::uint64_t end = start + place.size;
        if (end == start) {
            return true;
        }
        const auto next = std::upper_bound(ranges_.begin(), ranges_.end(),
                                           std::pair<std::uint64_t, std::uint64_t>(start, ~0ull));
        if (next != ranges_.end() && next->first < end) {
            return false;
        }
        return next == ranges_.begin() || std::prev(next)->second <= start;
    }

  private:
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges_;
};

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

std::optional<std::uint64_t> indexEnd(std::string_view file) {
    if (file.size() < kHeaderFieldsEnd) {
        return std::nullopt;
    }
    const ByteView header(file.substr(0, kHeaderFieldsEnd), orderOf(file), "file");
    return std::uint64_t(header.u32(0x10, "header")) + header.u32(0x14, "header");
}

bool endsWithItsIndex(std::string_view file) {
    return indexEnd(file) == file.size();
}

Container::Container(std::string_view file, Restoration* restoration)
    : order_(orderOf(file)), whole_(file, order_, "file", restoration), restoration_(restoration) {
    readHeader(whole_);
    const std::uint32_t indexSize = whole_.u32(0x14, "header");
    const std::uint32_t entries = whole_.u32(0x18, "header");
    if (std::uint64_t(entries) * kIndexEntrySize != indexSize) {
        throwDamaged(Damage::Index, "chunk index size does not match its number of entries");
    }
    const ByteView index = whole_.part(indexOffset_, indexSize, "chunk index", "chunk index");
    chunks_.reserve(entries);
    for (std::size_t at = 0; at < indexSize; at += kIndexEntrySize) {
        readEntry(whole_, index, at);
    }
    if (restoration_ != nullptr) {
        placeByLayout();
        orderIds();
    }
    checkNoOverlap();
}

// The index holds 24 bytes an entry and ends the file, after the data area.
void Container::readHeader(const ByteView& whole) {
    whole.bytes(0x10, 12, "header");
    if (restoration_ != nullptr) {
        const FieldAt fields[] = {{0x10, 4}, {0x14, 4}, {0x18, 4}};
        restoration_->decideTogether(fields, [&](std::span<const std::uint32_t> v) {
            return v[1] == kIndexEntrySize * std::uint64_t(v[2]) &&
                   std::uint64_t(v[0]) + v[1] == whole.size() && v[0] >= kDataStart;
        });
    }
    indexOffset_ = whole.u32(0x10, "header");
}

std::vector<Placement> Container::placesInDataArea(FieldAt offset, FieldAt size) const {
    std::vector<Placement> places;
    for (const std::uint32_t at : restoration_->values(offset)) {
        for (const std::uint32_t count : restoration_->values(size)) {
            if (at >= kDataStart && std::uint64_t(at) + count <= indexOffset_) {
                places.push_back({at, count});
            }
        }
    }
    return places;
}

void Container::readEntry(const ByteView& whole, const ByteView& index, std::size_t at) {
    const ByteView entry = index.probe();
    Chunk chunk;
    chunk.entry = indexOffset_ + at;
    chunk.offset = entry.u32(at, "index entry");
    chunk.type = entry.u32(at + 8, "index entry");
    chunk.id = entry.u32(at + 12, "index entry");
    chunk.name = entry.u32(at + 16, "index entry");
    const std::string name = chunkName(chunk.type, chunk.id);
    if (restoration_ != nullptr && (restoration_->undecided(offsetField(chunk)) ||
                                    restoration_->undecided(sizeField(chunk)))) {
        chunk.places = placesInDataArea(offsetField(chunk), sizeField(chunk));
        chunk.placed = false;
        chunk.data = ByteView({}, order_, name);
    } else {
        chunk.data = whole.part(chunk.offset, entry.u32(at + 4, "index entry"), name, name);
    }
    chunks_.push_back(std::move(chunk));
}

void Container::place(Chunk& chunk, Placement placement) {
    restoration_->settle(offsetField(chunk), placement.offset);
    restoration_->settle(sizeField(chunk), placement.size);
    chunk.offset = placement.offset;
    const std::string name = chunkName(chunk.type, chunk.id);
    chunk.data = whole_.part(placement.offset, placement.size, name, name);
    chunk.places.clear();
    chunk.placed = true;
}

bool Container::holdsAsRead(const Chunk& chunk) const {
    const std::uint32_t size = whole_.probe().u32(chunk.entry + 4, "index entry");
    return std::any_of(chunk.places.begin(), chunk.places.end(), [&](const Placement& place) {
        return place.offset == chunk.offset && place.size == size;
    });
}

// A place that overlaps a placed chunk is not the chunk's.
void Container::placeByLayout() {
    TakenRanges taken;
    for (const Chunk& chunk : chunks_) {
        if (chunk.placed) {
            taken.add(chunk.offset, chunk.offset + std::uint64_t(chunk.data.size()));
        }
    }
    taken.sort();
    for (int round = 0; round < kLayoutRounds; ++round) {
        std::vector<Chunk*> placedNow;
        for (Chunk& chunk : chunks_) {
            if (chunk.placed) {
                continue;
            }
            std::erase_if(chunk.places, [&](const Placement& place) { return !taken.free(place); });
            if (round == 0 && !chunk.places.empty() && !holdsAsRead(chunk)) {
                restoration_->misfit();  // as it reads, it overlaps a chunk or leaves the area
            }
            if (chunk.places.size() == 1) {
                place(chunk, chunk.places.front());
                placedNow.push_back(&chunk);
            }
        }
        if (placedNow.empty()) {
            return;
        }
        for (const Chunk* chunk : placedNow) {
            taken.add(chunk->offset, chunk->offset + std::uint64_t(chunk->data.size()));
        }
        taken.sort();
    }
}

// Ids of one type grow along the index: an id lies between its neighbours'.
// Settings panels are found by name, so their ids are left as they read.
void Container::orderIds() {
    std::map<std::uint32_t, std::vector<Chunk*>> byType;
    for (Chunk& chunk : chunks_) {
        if (chunk.type != fourCc("pref")) {
            byType[chunk.type].push_back(&chunk);
        }
    }
    for (auto& [type, chunks] : byType) {
        for (std::size_t i = 0; i < chunks.size(); ++i) {
            const FieldAt field = idField(*chunks[i]);
            if (!restoration_->undecided(field)) {
                continue;
            }
            const std::int64_t low =
                i == 0 ? -1 : std::int64_t(restoration_->values(idField(*chunks[i - 1]))[0]);
            const std::int64_t high = i + 1 == chunks.size()
                                          ? std::int64_t(1) << 32
                                          : restoration_->values(idField(*chunks[i + 1])).back();
            restoration_->decide(
                field, [&](std::uint32_t id) { return low < id && id < high; }, Use::IfUsed);
            chunks[i]->id = whole_.probe().u32(field.at, "index entry");
        }
    }
}

// A byte changed in an offset (every CR made LF by a text conversion, say)
// moves a chunk into its neighbour; the IDE never writes overlapping chunks.
void Container::checkNoOverlap() const {
    std::vector<const Chunk*> stored;
    for (const Chunk& chunk : chunks_) {
        if (chunk.placed && chunk.data.size() != 0) {
            stored.push_back(&chunk);
        }
    }
    std::sort(stored.begin(), stored.end(),
              [](const Chunk* a, const Chunk* b) { return a->offset < b->offset; });
    for (std::size_t i = 1; i < stored.size(); ++i) {
        if (stored[i - 1]->offset + std::uint64_t(stored[i - 1]->data.size()) > stored[i]->offset) {
            throwDamaged(Damage::Overlap,
                         stored[i - 1]->data.name() + " overlaps " + stored[i]->data.name());
        }
    }
}

// Only where no other chunk of the type may hold that id (a stale chunk of
// a target deleted long ago keeps its own).
void Container::settleIds(std::uint32_t type, const std::set<std::uint32_t>& ids) {
    if (restoration_ == nullptr) {
        return;
    }
    std::map<std::uint32_t, int> holders;  // chunks of the type that may hold each id
    for (const Chunk& chunk : chunks_) {
        if (chunk.type == type) {
            for (const std::uint32_t id : restoration_->values(idField(chunk))) {
                ++holders[id];
            }
        }
    }
    for (Chunk& chunk : chunks_) {
        if (chunk.type != type || !restoration_->undecided(idField(chunk))) {
            continue;
        }
        std::vector<std::uint32_t> fitting;
        for (const std::uint32_t id : restoration_->values(idField(chunk))) {
            if (ids.contains(id) && holders[id] == 1) {
                fitting.push_back(id);
            }
        }
        if (fitting.size() == 1) {
            restoration_->settle(idField(chunk), fitting.front());
            chunk.id = fitting.front();
        }
    }
}

// An id that a line-end conversion left open is one that a look-up uses,
// when it may be the id looked up and no chunk holds that id for certain.
const Chunk* Container::find(std::uint32_t type, std::uint32_t id) {
    const Chunk* found = nullptr;
    bool open = false;
    for (const Chunk& chunk : chunks_) {
        if (chunk.type != type) {
            continue;
        }
        const bool undecided = restoration_ != nullptr && restoration_->undecided(idField(chunk));
        if (chunk.id == id && !undecided) {
            return &chunk;
        }
        if (undecided) {
            const std::vector<std::uint32_t> ids = restoration_->values(idField(chunk));
            open = open || std::find(ids.begin(), ids.end(), id) != ids.end();
        }
        if (chunk.id == id && found == nullptr) {
            found = &chunk;
        }
    }
    if (open) {
        for (const Chunk& chunk : chunks_) {
            const std::vector<std::uint32_t> ids = chunk.type == type
                                                       ? restoration_->values(idField(chunk))
                                                       : std::vector<std::uint32_t>{};
            if (ids.size() > 1 && std::find(ids.begin(), ids.end(), id) != ids.end()) {
                restoration_->leaveOpen(idField(chunk));
            }
        }
    }
    return found;
}

namespace {

bool allows(const ChunkFits& fits, const ByteView& bytes) {
    try {
        return !fits || fits(bytes.probe());
    } catch (const DamagedProjectError&) {
        return false;
    }
}

}  // namespace

bool Container::mayHold(const Chunk& chunk, const ChunkFits& fits) const {
    if (chunk.placed) {
        return allows(fits, chunk.data);
    }
    return std::any_of(chunk.places.begin(), chunk.places.end(), [&](const Placement& place) {
        return allows(fits, whole_.part(place.offset, place.size, "chunk", "chunk"));
    });
}

const ByteView& Container::data(const Chunk& chunk, const ChunkFits& fits) {
    Chunk& own = chunks_[static_cast<std::size_t>(&chunk - chunks_.data())];
    if (own.placed) {
        return own.data;
    }
    std::vector<Placement> fitting;
    for (const Placement& place : own.places) {
        if (allows(fits, whole_.part(place.offset, place.size, "chunk", "chunk"))) {
            fitting.push_back(place);
        }
    }
    if (fitting.size() == 1) {
        place(own, fitting.front());
        return own.data;
    }
    restoration_->leaveOpen(offsetField(own));
    restoration_->leaveOpen(sizeField(own));
    const std::string name = chunkName(own.type, own.id);
    if (!fitting.empty() || !own.places.empty()) {
        const Placement chosen = fitting.empty() ? own.places.front() : fitting.front();
        own.data = whole_.part(chosen.offset, chosen.size, name, name);
    } else {
        own.data =
            whole_.part(own.offset, whole_.probe().u32(own.entry + 4, "index entry"), name, name);
    }
    own.placed = true;
    return own.data;
}

}  // namespace tessaly
