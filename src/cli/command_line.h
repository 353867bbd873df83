// The entry of tesscli: the argument count, the usage text, the three
// positional arguments, the options, and the exit status.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/project_converter.h"
#include "platform/console.h"
#include "platform/platform.h"

namespace tessaly {

void printUsage(Console& console);

// The file name of the source project without its directory and without its
// last two extensions: C:\work\Engine.mcp.xml gives Engine.
std::string defaultProjectName(const std::string& sourceProjectPath, char separator);

// The converter for at least three arguments: the two paths made absolute,
// the default project name, then every option applied in order.
std::unique_ptr<ProjectConverter> makeConverter(const std::vector<std::string>& arguments,
                                                Platform& platform, Console& console);

// Runs tesscli on the arguments after the program name; returns the exit
// status (0 success, usage or version, 1 reported failure, or a console that
// could not be written). "--version" as the first argument prints the
// version and nothing else. Every failure, expected or not, ends in one line
// on the console.
int runCommandLine(const std::vector<std::string>& arguments, Platform& platform, Console& console);

}  // namespace tessaly
