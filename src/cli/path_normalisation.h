#pragma once

#include <string>

#include "platform/platform.h"

namespace tessaly {

// The absolute form of a command-line path, made once and never cleaned:
// "." and ".." segments and doubled separators stay as given. On Windows a
// drive-relative path ("D:src") resolves against that drive's own current
// directory; the process's current directory is the same afterwards.
std::string normalisePath(const std::string& path, Platform& platform);

}  // namespace tessaly
