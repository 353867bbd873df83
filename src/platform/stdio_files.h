// Files over the C library's streams, the same on every platform; the
// platform opens them its own way.
#pragma once

#include <cstdio>
#include <memory>

#include "platform/platform.h"

namespace tessaly {

// Both take ownership of an open stream (binary mode) and close it.
std::unique_ptr<InputFile> stdioInputFile(std::FILE* file);
std::unique_ptr<OutputFile> stdioOutputFile(std::FILE* file);

}  // namespace tessaly
