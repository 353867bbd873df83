// A target's own macros, as its compilers take them: the "C/C++
// Preprocessor" panel's prefix text, which the compiler reads before every
// source file, and the "-D" options on the command line of a compiler for
// microcontrollers (HC08, HC12, RS08, XGATE).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// The setting in which an export carries the command line of a compiler
// for microcontrollers, in that compiler's panel. No export of the IDE
// shows these panels; the name is this program's.
inline constexpr std::string_view kCommandLineSetting = "TessalyCompilerCommandLine";

// A target's macros by name. A function-like macro's name holds its
// parameter list ("MAX(a,b)"); a macro defined without a value has the
// empty value, as the preprocessor defines it.
using Macros = std::map<std::string, std::string>;

// Applies the "#define NAME", "#define NAME value" and "#undef NAME" lines
// of a prefix text: continuation lines are joined and comments dropped
// first; a value's blanks are collapsed to one. Other lines ("#if",
// "#include", "#pragma", code) define nothing.
void definePrefixTextMacros(std::string_view text, Macros& macros);

// Applies the "-DNAME", "-DNAME=value" and "-D NAME" options of a command
// line (also "-d", which the compilers take alike). Blanks separate the
// options except inside double quotes, which group and are dropped; two
// double quotes inside quotes stand for one. An option without a value
// defines the macro as "#define NAME" at the top of the file would, with
// the empty value, as these compilers describe it.
void defineCommandLineMacros(std::string_view commandLine, Macros& macros);

}  // namespace tessaly
