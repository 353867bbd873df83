#include "cwproject/path_formats.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

struct Case {
    const char* text;
    const char* format;
    const char* posix;
    const char* windows;
};

TEST(PathFormatsTest, EachFormatTurnedIntoHostForm) {
    const Case cases[] = {
        // Mac OS: relative texts start with ':'; empty pieces climb.
        {"::", "MacOS", "..", ".."},
        {":::include:", "MacOS", "../../include", "..\\..\\include"},
        {":sub:a.c", "MacOS", "sub/a.c", "sub\\a.c"},
        {":a::b", "MacOS", "a/../b", "a\\..\\b"},
        {":a:", "MacOS", "a", "a"},
        {":", "MacOS", "", ""},
        {"", "MacOS", "", ""},
        {":My Folder:x*y?.h", "MacOS", "My Folder/x*y?.h", "My Folder\\x*y?.h"},
        // A volume name, or no ':' at all: as written.
        {"Disk:Folder:", "MacOS", "Disk:Folder:", "Disk:Folder:"},
        {"main.c", "MacOS", "main.c", "main.c"},
        {"a/b\\c", "MacOS", "a/b\\c", "a/b\\c"},
        // Windows and Unix texts: only the separators change, on the other host.
        {"..\\..\\src\\dom", "Windows", "../../src/dom", "..\\..\\src\\dom"},
        {"C:\\Dev\\src", "Windows", "C:/Dev/src", "C:\\Dev\\src"},
        {"../Source", "Unix", "../Source", "..\\Source"},
        {"/usr/include", "Unix", "/usr/include", "\\usr\\include"},
        // Anything else is used as written.
        {":::include:", "Generic", ":::include:", ":::include:"},
        {":::include:", "", ":::include:", ":::include:"},
        {":::include:", "macos", ":::include:", ":::include:"},
        {"a\\b", "Unknown", "a\\b", "a\\b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " as " + c.format);
        EXPECT_EQ(inHostForm(c.text, c.format, PathStyle::Posix), c.posix);
        EXPECT_EQ(inHostForm(c.text, c.format, PathStyle::Windows), c.windows);
    }
}

}  // namespace
}  // namespace tessaly
