#pragma once

#include <string>

#include "platform/platform.h"

namespace tessaly {

// The name under which a target or group becomes a folder (and a generated
// analyser personality a file): it can neither leave the destination folder
// nor fail because of its characters. Separators and control characters
// (bytes below 0x20) become "_", a name made only of dots has each dot
// replaced; on Windows also the characters that Windows refuses, a trailing
// blank or dot (which Windows would drop, merging two folders), and reserved
// device names. The empty name stays empty.
std::string safeFolderName(const std::string& name, PathStyle style);

}  // namespace tessaly
