// The settings panels of a target that the conversion uses, each stored as
// its own record (a "pref" chunk) that starts with a 16-bit panel version;
// each version has its own layout.
#pragma once

#include <string>
#include <vector>

#include "mcp/access_path_folders.h"
#include "mcp/binary_project.h"
#include "mcp/byte_view.h"
#include "mcp/string_table.h"

namespace tessaly {

// "Access Paths": the user and system access paths.
BinaryAccessPaths readAccessPathsPanel(const ByteView& panel, const StringTable& names,
                                       std::vector<std::string>& unread,
                                       AccessPathFolders& folders);
// "C/C++ Compiler": the front end's settings, named and valued as the
// export names them.
std::vector<BinarySetting> readCompilerPanel(const ByteView& panel,
                                             std::vector<std::string>& unread);
// "C/C++ Preprocessor": the prefix text, with LF line ends.
std::string readPreprocessorPanel(const ByteView& panel);
// "Debugger Runtime": the environment variables, "NAME=value" each.
std::vector<std::string_view> readRuntimePanel(const ByteView& panel,
                                               std::vector<std::string>& unread);
// The panels of the compilers for microcontrollers, each holding the
// compiler's command line.
inline constexpr const char* kCommandLinePanels[] = {
    "Panel for Compiler for HC08", "Panel for Compiler for HC12", "Panel for Compiler for RS08",
    "Panel for Compiler for XGATE"};
// One of those panels (version 0x0101): the command line, a text ended by a
// NUL at the offset that the u32 at +4 gives.
std::string_view readCommandLinePanel(const ByteView& panel, std::string_view name,
                                      std::vector<std::string>& unread);
// "Target Settings": the name of the target's linker; empty for a record
// of another version than 10 (the only one seen). Read as the file reads,
// deciding nothing.
std::string_view linkerName(const ByteView& panel);
// "Source Trees": how many trees the panel defines (their layout is not known).
std::size_t sourceTreeCount(const ByteView& panel);

// Whether a chunk's bytes may be the record of that panel, as far as the
// panel's constraints tell: for placing a chunk and naming a record that a
// line-end conversion left open. They decide nothing.
bool mayBeAccessPathsPanel(const ByteView& record);
bool mayBeCompilerPanel(const ByteView& record);
bool mayBePreprocessorPanel(const ByteView& record);
bool mayBeRuntimePanel(const ByteView& record);
bool mayBeSourceTreesPanel(const ByteView& record);
bool mayBeCommandLinePanel(const ByteView& record);

}  // namespace tessaly
