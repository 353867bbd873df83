// Writes what was read of a binary project as the IDE's XML export writes
// it: the same elements, panel comments, setting names and texts, so that
// the export's reader, fed this text, converts the project exactly as it
// converts the IDE's export of the same state. Parts that are not read are
// left out, not guessed.
#pragma once

#include <string>
#include <string_view>

#include "mcp/binary_project.h"

namespace tessaly {

std::string exportXml(const BinaryProject& project);

// A text as the exporter writes it between tags: "&", "<" and ">" escaped,
// and every byte outside ASCII as a character reference holding the byte's
// own value ("&#170;" for Mac OS Roman's trade mark sign).
std::string exportText(std::string_view value);

}  // namespace tessaly
