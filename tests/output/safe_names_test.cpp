#include "output/safe_names.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(SafeFolderNameTest, BothPlatforms) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        // name, on Windows, on POSIX
        {"Src", "Src", "Src"},
        {"Init/Term", "Init_Term", "Init_Term"},
        {"html\\base", "html_base", "html_base"},
        {".", "_", "_"},
        {"..", "__", "__"},
        {"...", "___", "___"},
        {"a..b", "a..b", "a..b"},
        {"", "", ""},
        {"C:x", "C_x", "C:x"},
        {"a*b?c\"d<e>f|g", "a_b_c_d_e_f_g", "a*b?c\"d<e>f|g"},
        {"tab\there", "tab_here", "tab_here"},
        {"G\nOutputPath=/etc/", "G_OutputPath=_etc_", "G_OutputPath=_etc_"},
        {"cr\rlf\r\n", "cr_lf__", "cr_lf__"},
        {std::string("nul\0\x1f", 5), "nul__", "nul__"},
        {"trailing ", "trailing_", "trailing "},
        // Only a trailing blank is lost on Windows; every other blank stays.
        {"Source Files", "Source Files", "Source Files"},
        {" leading", " leading", " leading"},
        {"two  blanks ", "two  blanks_", "two  blanks "},
        {" ", "_", " "},
        {"trailing.", "trailing_", "trailing."},
        {"CON", "CON_", "CON"},
        {"con.txt", "con_.txt", "con.txt"},
        {"LPT9", "LPT9_", "LPT9"},
        {"COM0", "COM0", "COM0"},
        {"CONSOLE", "CONSOLE", "CONSOLE"},
        {"-", "-", "-"},
    };
    for (const auto& [name, windows, posix] : cases) {
        EXPECT_EQ(safeFolderName(name, PathStyle::Windows), windows) << name;
        EXPECT_EQ(safeFolderName(name, PathStyle::Posix), posix) << name;
    }
}

}  // namespace
}  // namespace tessaly
