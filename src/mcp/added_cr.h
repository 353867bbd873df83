// Undoing a line-end conversion that wrote each LF byte of a binary
// project file as CR LF, as version control does on Windows to a file it
// takes for text (a `text` line in `.gitattributes`, a CVS checkout of a
// file added without -kb). The file grows by one byte per LF, so its chunk
// index no longer ends it; every LF then follows a CR, where an intact
// file holds lone LF bytes in its integers.
//
// Removing the CR before each LF is the conversion's inverse for a file
// that held no CR LF of its own. One that did comes out shorter than its
// header says, so the result is kept only when its index ends it again.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly {

// Whether the bytes hold CR LF and no LF byte stands alone.
bool everyLfFollowsCr(std::string_view bytes);

// Whether a binary project file shows that conversion: its header's index
// does not end it, and every LF follows a CR.
bool showsCrAddedBeforeLf(std::string_view file);

// Removes the CR byte before each LF; returns how many were removed.
std::size_t removeCrBeforeLf(std::string& bytes);

}  // namespace tessaly
