// The entry of tesscli: the argument count, the usage text, the three
// positional arguments, the options, and the exit status.
#pragma once

#include <string>
#include <vector>

#include "cli/console.h"
#include "platform/platform.h"

namespace tessaly {

void printUsage(Console& console);

// The file name of the source project without its directory and without its
// last two extensions: C:\work\Engine.mcp.xml gives Engine.
std::string defaultProjectName(const std::string& sourceProjectPath, char separator);

// Runs tesscli on the arguments after the program name; returns the exit
// status (0 success or usage, 1 reported failure).
int runCommandLine(const std::vector<std::string>& arguments, Platform& platform, Console& console);

}  // namespace tessaly
