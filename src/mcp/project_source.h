// What the export's reader reads for a source project, decided by the
// file's first bytes, never by its name: a binary project file ("cool" or
// "looc") is read and handed on as the export text made from it; an
// AppleSingle container is unwrapped to its data fork and looked at again;
// anything else is the export itself, read as it streams.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "mcp/binary_project.h"
#include "platform/console.h"
#include "platform/platform.h"

namespace tessaly {

// A source project that is neither a binary project nor an export.
class NotAProjectError {};

// The input for the export's reader; null when the file cannot be opened.
// Parts of a binary project that are not read are told on the console;
// `onDisk` tells, where a line-end conversion leaves it open, on which
// access path a file lies.
// Throws DamagedProjectError for a binary project that fails a check, and
// NotAProjectError for a file that opens like neither (an export cut off
// before its first element is still an export: its reader finds the end).
std::unique_ptr<InputFile> openProjectSource(Platform& platform, const std::string& path,
                                             Console& console, const FileOnDisk& onDisk = {});

// The export text of a binary project file, for writing it out on its own;
// nullopt when the file is not one. Throws DamagedProjectError.
std::optional<std::string> binaryProjectExport(InputFile& file, Console& console,
                                               const FileOnDisk& onDisk = {});

}  // namespace tessaly
