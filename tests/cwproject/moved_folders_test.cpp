// Access paths recorded on the machine that wrote the export, found below
// the project folder where the project sits now.
#include "cwproject/moved_folders.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cwproject/parse_test_support.h"

namespace tessaly {
namespace {

using namespace testing;
using Strings = std::vector<std::string>;

TEST(MovedFoldersTest, WhichTextsMayNameAFolderOfAnotherMachine) {
    struct Case {
        const char* text;
        const char* format;
        std::optional<Strings> pieces;
    };
    const Case cases[] = {
        {"Back40:Desktop Folder:web:include:", "MacOS",
         Strings{"Desktop Folder", "web", "include"}},
        {"::patrick:src:", "MacOS", Strings{"patrick", "src"}},
        {":::x::y:", "MacOS", Strings{"x", "y"}},
        {":inside:", "MacOS", std::nullopt},
        {"plain", "MacOS", std::nullopt},
        {"C:\\Dev\\web\\src", "Windows", Strings{"Dev", "web", "src"}},
        {"d:Dev\\.\\src\\", "Windows", Strings{"Dev", "src"}},
        {"\\Dev\\web", "Windows", Strings{"Dev", "web"}},
        {"..\\..\\lib/inc", "Windows", Strings{"lib", "inc"}},
        {"src\\dom", "Windows", std::nullopt},
        {"/usr/include", "Unix", std::nullopt},
        {"C:\\Dev", "Generic", std::nullopt},
        {"Disk:Folder:", "", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(movedFolderPieces(c.text, c.format), c.pieces) << c.text << " as " << c.format;
    }
}

// One access path of the given text and format, rooted at "Absolute" or
// "Project", as the target's only user access path.
std::unique_ptr<ParseResult> parseAccessPath(const std::string& text, const std::string& format,
                                             const std::string& root, PathStyle style,
                                             const Strings& folders) {
    const std::string settings =
        settingGroup("UserSearchPaths",
                     settingGroup("", settingGroup("SearchPath", setting("Path", text) +
                                                                     setting("PathFormat", format) +
                                                                     setting("PathRoot", root)) +
                                          setting("Recursive", "false")));
    return parse(
        project(target("T", element("SETTINGLIST", settings))),
        [&](ParseResult& r) {
            for (const std::string& folder : folders) {
                r.platform.addFolder(folder);
            }
        },
        style);
}

Strings statusProbes(const ParseResult& result) {
    Strings probes;
    std::copy_if(result.platform.probes.begin(), result.platform.probes.end(),
                 std::back_inserter(probes),
                 [](const std::string& probe) { return probe.starts_with("status "); });
    return probes;
}

struct MovedCase {
    const char* what;
    PathStyle style;
    const char* text;
    const char* format;
    const char* root;
    Strings folders;   // what exists
    const char* path;  // the access path that results
    Strings probes;    // the folder probes, in order
};

TEST(MovedFoldersTest, FoundBelowTheProjectFolder) {
    const MovedCase cases[] = {
        {"a Mac OS volume path",
         PathStyle::Posix,
         "Back40:Desktop Folder:web:browser:include:",
         "MacOS",
         "Absolute",
         {"/work", "/work/demo", "/work/demo/browser", "/work/demo/browser/include"},
         "/work/demo/browser/include",
         {"status Back40:Desktop Folder:web:browser:include:",
          "status /work/demo/Desktop Folder/web/browser/include",
          "status /work/demo/web/browser/include", "status /work/demo/browser/include"}},
        {"a path out of the project folder",
         PathStyle::Posix,
         "::patrick:src:utils:",
         "MacOS",
         "Project",
         {"/work/demo", "/work/demo/src", "/work/demo/src/utils"},
         "/work/demo/src/utils",
         {"status /work/demo//../patrick/src/utils", "status /work/demo/patrick/src/utils",
          "status /work/demo/src/utils"}},
        {"a Windows drive path",
         PathStyle::Windows,
         "C:\\Dev\\web\\src",
         "Windows",
         "Absolute",
         {"C:\\work", "C:\\work\\demo", "C:\\work\\demo\\web", "C:\\work\\demo\\web\\src"},
         "C:\\work\\demo\\web\\src",
         {"status C:\\Dev\\web\\src", "status C:\\work\\demo\\Dev\\web\\src",
          "status C:\\work\\demo\\web\\src"}},
        {"a rooted Windows path, on POSIX",
         PathStyle::Posix,
         "\\Dev\\lib",
         "Windows",
         "Absolute",
         {"/work/demo", "/work/demo/lib"},
         "/work/demo/lib",
         {"status /Dev/lib", "status /work/demo/Dev/lib", "status /work/demo/lib"}},
        {"a Windows path out of the project folder: the longest tail wins",
         PathStyle::Windows,
         "..\\..\\common\\inc",
         "Windows",
         "Project",
         {"C:\\work\\demo", "C:\\work\\demo\\common", "C:\\work\\demo\\common\\inc",
          "C:\\work\\demo\\inc"},
         "C:\\work\\demo\\common\\inc",
         {"status C:\\work\\demo\\\\..\\..\\common\\inc", "status C:\\work\\demo\\common\\inc"}},
        {"no tail exists: the path stays",
         PathStyle::Windows,
         "D:\\gone\\inc",
         "Windows",
         "Absolute",
         {"C:\\work\\demo"},
         "D:\\gone\\inc",
         {"status D:\\gone\\inc", "status C:\\work\\demo\\gone\\inc",
          "status C:\\work\\demo\\inc"}},
        {"an existing absolute path stays, after the one probe that found it",
         PathStyle::Windows,
         "D:\\sdk\\inc",
         "Windows",
         "Absolute",
         {"D:\\sdk", "D:\\sdk\\inc", "C:\\work\\demo\\inc"},
         "D:\\sdk\\inc",
         {"status D:\\sdk\\inc"}},
        {"a Unix text is never looked for",
         PathStyle::Posix,
         "/gone/inc",
         "Unix",
         "Absolute",
         {"/work/demo", "/work/demo/inc"},
         "/gone/inc",
         {}},
        {"a Generic text is never looked for",
         PathStyle::Windows,
         "D:\\gone\\inc",
         "Generic",
         "Absolute",
         {"C:\\work\\demo", "C:\\work\\demo\\inc"},
         "D:\\gone\\inc",
         {}},
        {"a Mac OS path inside the project folder is never looked for",
         PathStyle::Posix,
         ":gone:inc:",
         "MacOS",
         "Project",
         {"/work/demo", "/work/demo/inc"},
         "/work/demo//gone/inc",
         {}},
    };
    for (const MovedCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto result = parseAccessPath(c.text, c.format, c.root, c.style, c.folders);
        ASSERT_TRUE(result->complete);
        EXPECT_EQ(result->converter->rootGroup->children.at(0)->userIncludePaths, Strings{c.path});
        EXPECT_EQ(statusProbes(*result), c.probes);
    }
}

// A text of twice as many pieces as the platform's longest path holds: the
// search starts at the longest tail that fits, one probe per tail, and
// never tries a longer one, though the double has it.
TEST(MovedFoldersTest, NoTailLongerThanThePlatformsLongestPath) {
    for (const PathStyle style : {PathStyle::Windows, PathStyle::Posix}) {
        const bool windows = style == PathStyle::Windows;
        SCOPED_TRACE(windows ? "Windows form" : "Mac OS form, on POSIX");
        // Pieces "abc" and their separators: the tail of `fits` pieces is
        // exactly as long as the longest path.
        const std::size_t fits = (FakePlatform(style).maxPathLength() + 1) / 4;
        std::string text = windows ? "C:" : "Disk";
        for (std::size_t i = 0; i < 2 * fits; ++i) {
            text += windows ? "\\abc" : ":abc";
        }
        const auto tail = [&](std::size_t pieces) {
            std::string path = windows ? "C:\\work\\demo\\abc" : "/work/demo/abc";
            for (std::size_t i = 1; i < pieces; ++i) {
                path += windows ? "\\abc" : "/abc";
            }
            return path;
        };
        auto result = parseAccessPath(text, windows ? "Windows" : "MacOS", "Absolute", style,
                                      {tail(fits + 1), tail(fits - 2)});
        EXPECT_EQ(result->converter->rootGroup->children.at(0)->userIncludePaths,
                  Strings{tail(fits - 2)});
        const Strings probes = statusProbes(*result);
        ASSERT_EQ(probes.size(), 4u);
        EXPECT_EQ(Strings(probes.begin() + 1, probes.end()),
                  (Strings{"status " + tail(fits), "status " + tail(fits - 1),
                           "status " + tail(fits - 2)}));
    }
}

TEST(MovedFoldersTest, RecursiveWalksTheFolderFound) {
    const std::string settings = settingGroup(
        "SystemSearchPaths",
        settingGroup("", settingGroup("SearchPath", setting("Path", "Disk:old:lib:") +
                                                        setting("PathFormat", "MacOS") +
                                                        setting("PathRoot", "Absolute")) +
                             setting("Recursive", "true")));
    auto result = parse(project(target("T", element("SETTINGLIST", settings))), [](ParseResult& r) {
        for (const char* folder :
             {"C:\\work", "C:\\work\\demo", "C:\\work\\demo\\lib", "C:\\work\\demo\\lib\\sub"}) {
            r.platform.addFolder(folder);
        }
    });
    EXPECT_EQ(result->converter->rootGroup->children.at(0)->systemIncludePaths,
              (Strings{"C:\\work\\demo\\lib", "C:\\work\\demo\\lib\\sub"}));
}

}  // namespace
}  // namespace tessaly
