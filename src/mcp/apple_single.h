// The AppleSingle container (magic 00 05 16 00), in which a Mac OS file's
// forks travel through systems that know only one: some repositories store
// binary projects so.
//   u32 magic, u32 version, 16 filler bytes, u16 entry count, then entries of
//   u32 id (1: the data fork), u32 offset, u32 length; big-endian throughout.
#pragma once

#include <string_view>

namespace tessaly {

bool isAppleSingle(std::string_view bytes);

// The data fork; throws DamagedProjectError when the container lacks one or
// it lies outside the file.
std::string_view appleSingleDataFork(std::string_view file);
// Whether the container's entries end the file, as they do where it was
// written (a conversion that grows the file leaves them short of its end).
bool appleSingleEndsWithItsEntries(std::string_view file);

}  // namespace tessaly
