// A string table of a binary project: the texts (chunk "mstr", each ended by
// a NUL) and the list that gives each string number its offset (chunk
// "mstl", 12-byte entries: offset, number, 0). Table 0 holds the settings
// panels' names, table 1000 the names of targets and files. The tables only
// grow, so a text is reached from a string number, never by scanning.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "mcp/container.h"

namespace tessaly {

class StringTable {
  public:
    // An absent table is empty: every look-up in it is damage.
    StringTable(const Container& container, std::uint32_t id);

    // The text of a string number; `what` names the reference in the
    // damage message when the table lacks it.
    std::string_view text(std::uint32_t number, std::string_view what) const;
    // The text of a string number, or null when the table lacks it.
    const std::string_view* find(std::uint32_t number) const;

  private:
    std::unordered_map<std::uint32_t, std::string_view> texts_;
};

}  // namespace tessaly
