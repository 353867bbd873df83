// Whether a text opens like the IDE's export: an XML document whose first
// element is PROJECT. Before it may stand a UTF-8 byte order mark, blanks,
// the XML declaration and other processing instructions, comments and a
// document type declaration (with its internal subset). Another IDE names
// its projects ".mcp" too (a text in INI form, "[HEADER]"), and a README, a
// picture or an unrelated XML document given by mistake would otherwise be
// read as an export that stops at its first token.
#pragma once

#include <string_view>

namespace tessaly {

enum class Opening {
    Export,     // the first element is PROJECT
    NotExport,  // something else comes first
    Undecided,  // the text ends before its first element shows
};

Opening exportOpening(std::string_view text);

}  // namespace tessaly
