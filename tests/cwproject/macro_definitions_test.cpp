// A target's own macros: the prefix text's #define and #undef lines and the
// -D options of a microcontroller compiler's command line.
#include "cwproject/macro_definitions.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

struct MacroCase {
    const char* text;
    Macros expected;
};

TEST(MacroDefinitions, PrefixTextLines) {
    const std::vector<MacroCase> cases = {
        {"#define A 1\n#define B\n", {{"A", "1"}, {"B", ""}}},
        {"  #  define   SPACED   a   +  b  \n", {{"SPACED", "a + b"}}},
        {"#define TABS\t1\t2", {{"TABS", "1 2"}}},
        // Every line end the IDE wrote, CR LF and CR included.
        {"#define A 1\r\n#define B 2\r#define C 3", {{"A", "1"}, {"B", "2"}, {"C", "3"}}},
        {"#define LONG 1 + \\\n 2\n#define NEXT", {{"LONG", "1 + 2"}, {"NEXT", ""}}},
        {"#define CRLF 1 \\\r\n+ 2\r\n", {{"CRLF", "1 + 2"}}},
        {"/* debug build */\r\n#define _DEBUG 1\r\n", {{"_DEBUG", "1"}}},
        {"#define A 1 /* one */ // and\n#define B /* two\nlines */ 2\n", {{"A", "1"}, {"B", "2"}}},
        {"/* #define HIDDEN 1 */\n// #define ALSO 1\n#define SHOWN", {{"SHOWN", ""}}},
        {"#define URL \"http://x/*y*/\"", {{"URL", "\"http://x/*y*/\""}}},
        {"#define A 1\n#undef A\n#define B 2\n#undef C", {{"B", "2"}}},
        {"#define A 1\n#define A 2", {{"A", "2"}}},
        {"#define MAX(a, b) ((a) > (b) ? (a) : (b))", {{"MAX(a,b)", "((a) > (b) ? (a) : (b))"}}},
        {"#define F(x) x\n#define F 1", {{"F", "1"}}},
        {"#define F(x) x\n#undef F", {}},
        // An object-like macro whose value starts with a parenthesis.
        {"#define P (1)", {{"P", "(1)"}}},
        {"#pragma mpwc_relax on\n#if !__option(precompile)\n#include \"ftoption.h\"\n#endif", {}},
        {"#define\n#define 9LIVES 1\n#undef\nint x; // #define NOT 1\n#defined Y 1", {}},
        {"#ifdef X\n#define INSIDE 1\n#endif", {{"INSIDE", "1"}}},
        {"#define QUESA_OS_WIN32 1\n#define $DOLLAR 1",
         {{"$DOLLAR", "1"}, {"QUESA_OS_WIN32", "1"}}},
        {"", {}},
    };
    for (const MacroCase& c : cases) {
        Macros macros;
        definePrefixTextMacros(c.text, macros);
        EXPECT_EQ(macros, c.expected) << c.text;
    }
}

TEST(MacroDefinitions, CommandLineOptions) {
    const std::vector<MacroCase> cases = {
        {"-Cs08 -D__NO_FLOAT__ -Ms -WmsgSd4201", {{"__NO_FLOAT__", ""}}},
        {" -CpuHCS12 -Mb -D__NO_FLOAT__ -D_HCS12_SERIALMON ",
         {{"_HCS12_SERIALMON", ""}, {"__NO_FLOAT__", ""}}},
        {"-DUSE_SDCARD=1 -DEMPTY=", {{"EMPTY", ""}, {"USE_SDCARD", "1"}}},
        {"-D NAME -D VALUE=2", {{"NAME", ""}, {"VALUE", "2"}}},
        {"-dlower=1", {{"lower", "1"}}},
        {"-D\"TEXT=a b\" -DQ=\"x y\"", {{"Q", "x y"}, {"TEXT", "a b"}}},
        {"-d\"Path=\"\"Path with spaces\"\"\"", {{"Path", "\"Path with spaces\""}}},
        {"-DA=1 -DA=2", {{"A", "2"}}},
        {"-DA=b=c", {{"A", "b=c"}}},
        {"-D -Ms -D=1 -D9X -DA-B -DOK", {{"OK", ""}}},
        {"-D", {}},
        {"-Cs08\r\n-DNEXT_LINE", {{"NEXT_LINE", ""}}},
        {"-WmsgSd4201 -I..\\inc -ODEFINE", {}},
    };
    for (const MacroCase& c : cases) {
        Macros macros;
        defineCommandLineMacros(c.text, macros);
        EXPECT_EQ(macros, c.expected) << c.text;
    }
}

}  // namespace
}  // namespace tessaly
