// A string table of a binary project: the texts (chunk "mstr", each ended by
// a NUL) and the list that gives each string number its offset (chunk
// "mstl", 12-byte entries: offset, number, 0; unused entries are zero).
// Table 0 holds the settings panels' names, table 1000 the names of targets
// and files. The tables only grow, so a text is reached from a string
// number, never by scanning.
// What a line-end conversion may have changed in the list is decided by its
// constraints: an offset starts a string (NUL bytes never change);
// offsets and numbers grow along the list; and an entry's string follows
// the one before exactly when its number follows that one's. A number that stays open matters only
// to a look-up that it may answer.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "mcp/container.h"

namespace tessaly {

class StringTable {
  public:
    // An absent table is empty: every look-up in it is damage.
    StringTable(Container& container, std::uint32_t id);

    // The text of a string number; `what` names the reference in the
    // damage message when the table lacks it.
    std::string_view text(std::uint32_t number, std::string_view what) const;
    // The text of a string number, or null when the table lacks it.
    const std::string_view* find(std::uint32_t number) const;
    // Whether a string number is one the table may hold, and its text
    // then: for testing what a number may name. They decide nothing.
    bool holds(std::uint32_t number) const;
    const std::string_view* peek(std::uint32_t number) const;

  private:
    struct Entry {
        std::string_view text;
        FieldAt number;  // where its number lies in the file
    };

    void readEntry(const ByteView& list, std::size_t at);
    const Entry* entry(std::uint32_t number) const;

    ByteView strings_{{}, ByteOrder::Big, ""};
    std::unordered_map<std::uint32_t, Entry> entries_;
    // Entries whose number a conversion left open, by each value it may be.
    std::unordered_multimap<std::uint32_t, Entry> openEntries_;
    // Where each string of the texts starts, once an entry holds an LF byte.
    std::vector<std::uint32_t> starts_;
};

}  // namespace tessaly
