// "tesscli --export-xml <source_proj> <export_file>": writes the XML export
// of a binary project file without converting it, for people who keep it
// in version control as text, compare versions or give it to other tools.
#pragma once

#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/platform.h"

namespace tessaly {

inline constexpr const char* kExportOption = "--export-xml";

// The arguments after the option; returns the exit status (0 written, 1 a
// reported failure). The file is replaced in one step, never written
// through a link, and never over the binary project itself.
int exportBinaryProject(const std::vector<std::string>& arguments, Platform& platform,
                        Console& console);

}  // namespace tessaly
