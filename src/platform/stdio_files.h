// Files over the C library's streams, the same on every platform; the
// platform opens them its own way.
#pragma once

#include <cstdio>
#include <memory>

#include "platform/platform.h"

namespace tessaly {

// Both take ownership of an open stream (binary mode) and close it. Reading
// and writing throw Interrupted once the run is interrupted (interrupts.h).
std::unique_ptr<InputFile> stdioInputFile(std::FILE* file);
// `syncToDisk` hands the file (its stream flushed) to the disk, the
// platform's way; false when it fails.
std::unique_ptr<OutputFile> stdioOutputFile(std::FILE* file, bool (*syncToDisk)(std::FILE*));

}  // namespace tessaly
