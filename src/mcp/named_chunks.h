// The chunks that the reader finds by name rather than by id: the settings
// panels ("pref", named "<target>:<panel>") and the group tree ("PLst",
// named "Project File List"). A name is a string number of table 0, which
// each chunk's index entry holds.
// Against a line-end conversion a name number is one that the table holds
// and that no other chunk holds for certain (each name names one chunk).
// Where several still fit, the chunk is the one whose bytes may be the
// record the name asks for, and may not be the record of another name it
// may have: each kind of record states its own constraints (recordNamed).
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "mcp/container.h"
#include "mcp/string_table.h"

namespace tessaly {

// A kind of record found by name, and whether a chunk's bytes may be one.
struct RecordKind {
    std::string_view name;  // the part after "<target>:", or the whole name
    bool (*mayBe)(const ByteView&);
};

// The group tree.
extern const RecordKind kGroupTreeRecord;

// The constraints on the record that a name ("<target>:<panel>" or the
// group tree's) names; null for a chunk that is not read.
bool (*recordNamed(std::string_view name))(const ByteView&);

class NamedChunks {
  public:
    NamedChunks(Container& container, const StringTable& names, Restoration* restoration);

    // The chunk of that name, or null.
    const Chunk* find(const std::string& name);
    // The panels whose chunk's name is certain: each one's panel name (the
    // part after "<target>:") and its chunk.
    std::vector<std::pair<std::string_view, const Chunk*>> certainPanels() const;
    // Whether a chunk may be named so; decides nothing.
    bool mayExist(const std::string& name) const {
        return named_.contains(name) || open_.contains(name);
    }

  private:
    // A chunk whose name a conversion left open, under one name it may have.
    struct OpenName {
        const Chunk* chunk;
        std::uint32_t number;
        std::vector<std::uint32_t> numbers;  // every name it may have
    };

    bool mayBeOtherRecord(const OpenName& open, std::string_view name) const;

    Container& container_;
    const StringTable& names_;
    Restoration* restoration_;
    std::unordered_map<std::string, const Chunk*> named_;
    std::unordered_multimap<std::string, OpenName> open_;
};

}  // namespace tessaly
