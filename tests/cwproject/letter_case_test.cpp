// Letter case as the IDE's file systems had it: a project written on
// Windows or Mac OS, converted on a file system that tells case apart.
#include "cwproject/letter_case.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cwproject/parse_test_support.h"

namespace tessaly {
namespace {

using namespace testing;
using Strings = std::vector<std::string>;

// A Windows-convention double that tells letter case apart, as a POSIX file
// system under a project written on Windows does.
void addTree(FakePlatform& platform) {
    platform.setTellsLetterCaseApart(true);
    for (const char* folder :
         {"C:\\work", "C:\\work\\demo", "C:\\work\\demo\\sources", "C:\\work\\demo\\Sources",
          "C:\\work\\demo\\Sources\\cfv1", "C:\\work\\Source", "C:\\work\\Source\\Host",
          "C:\\work\\Source\\Host\\source", "C:\\work\\Source\\Host\\source\\classes"}) {
        platform.addFolder(folder);
    }
    platform.addFile("C:\\work\\demo\\Sources\\cfv1\\Usb_Dci.c");
    platform.addFile("C:\\work\\demo\\sources\\only_here.c");
}

TEST(LetterCase, PiecesThatNameNothingAsWrittenAreMatchedInAnyCase) {
    struct Case {
        const char* relative;
        std::optional<std::string> found;
    };
    const Case cases[] = {
        // Of two folders that differ only in case, the first in byte order.
        {"SOURCES", "C:\\work\\demo\\Sources"},
        // An exact match wins over the first in byte order.
        {"sources\\only_here.c", "C:\\work\\demo\\sources\\only_here.c"},
        {"sources\\ONLY_HERE.C", "C:\\work\\demo\\sources\\only_here.c"},
        // A piece in another case in the middle of the path; the exact
        // "sources" is taken first and holds no "cfv1", which is not looked
        // for elsewhere.
        {"Sources\\CFV1\\usb_dci.c", "C:\\work\\demo\\Sources\\cfv1\\Usb_Dci.c"},
        {"sources\\cfv1\\usb_dci.c", std::nullopt},
        {"..\\SOURCE\\host\\SOURCE\\Classes", std::nullopt},  // ".." is not listed by the double
        {"Sources\\nothere.c", std::nullopt},
        {"", "C:\\work\\demo\\"},
    };
    FakePlatform platform;
    addTree(platform);
    LetterCaseMatcher matcher(platform);
    for (const Case& c : cases) {
        EXPECT_EQ(matcher.inAnyCase("C:\\work\\demo\\", c.relative), c.found) << c.relative;
    }
    // Each folder is listed once, however many look-ups it serves.
    EXPECT_EQ(std::count(platform.probes.begin(), platform.probes.end(), "list C:\\work\\demo"), 1);
    EXPECT_EQ(matcher.inAnyCase("", "sources"), std::nullopt);  // no folder to look in
    EXPECT_EQ(matcher.inAnyCase("C:\\work\\", "source\\HOST\\Source\\CLASSES"),
              "C:\\work\\Source\\Host\\source\\classes");
}

TEST(LetterCase, FileSystemsThatIgnoreCaseAreLeftToThemselves) {
    FakePlatform platform;
    addTree(platform);
    platform.setTellsLetterCaseApart(false);
    LetterCaseMatcher matcher(platform);
    EXPECT_EQ(matcher.inAnyCase("C:\\work\\demo\\", "SOURCES"), std::nullopt);
    EXPECT_TRUE(platform.probes.empty());
    EXPECT_TRUE(ignoresLetterCase("Windows"));
    EXPECT_TRUE(ignoresLetterCase("MacOS"));
    EXPECT_FALSE(ignoresLetterCase("Unix"));
    EXPECT_FALSE(ignoresLetterCase("Generic"));
    EXPECT_FALSE(ignoresLetterCase(""));
}

std::string accessPath(const std::string& path, const std::string& format,
                       const std::string& root = "Project") {
    return settingGroup(
        "", settingGroup("SearchPath", setting("Path", path) + setting("PathFormat", format) +
                                           setting("PathRoot", root)) +
                setting("Recursive", "false"));
}

std::string fileRef(const std::string& type, const std::string& access, const std::string& path,
                    const std::string& format, const std::string& root = "Project") {
    return element("FILEREF", element("TARGETNAME", "T") + element("PATHTYPE", type) +
                                  element("PATHROOT", root) + element("ACCESSPATH", access) +
                                  element("PATH", path) + element("PATHFORMAT", format));
}

// Every kind of text the conversion reads, in each format: the Windows and
// Mac OS ones are matched in any case, the Unix and Generic ones as written.
TEST(LetterCase, EveryPathOfTheExportInTheFormatsOfCaseBlindSystems) {
    const std::string trees = settingGroup(
        "UserSourceTrees",
        settingGroup("", setting("Name", "Tree") + setting("Path", "SOURCES") +
                             setting("PathFormat", "Windows") + setting("PathRoot", "Project")));
    const std::string settings = element(
        "SETTINGLIST",
        trees +
            settingGroup("UserSearchPaths",
                         accessPath("sources\\CFV1", "Windows") + accessPath(":SOURCES:", "MacOS") +
                             accessPath("SOURCES", "Unix") + accessPath("SOURCES", "Generic") +
                             // A folder of the machine that wrote the project.
                             accessPath("D:\\Old\\SOURCES\\CFV1", "Windows", "Absolute")));
    const std::string groups = element(
        "GROUPLIST",
        element("GROUP", element("NAME", "G") +
                             fileRef("PathRelative", "SOURCES\\cfv1", "USB_DCI.C", "Windows") +
                             fileRef("PathRelative", ":sources:CFV1:", ":usb_dci.c", "MacOS") +
                             fileRef("PathRelative", "SOURCES/cfv1", "usb_dci.c", "Unix") +
                             fileRef("Name", "", "Cfv1\\usb_dci.c", "Windows") +
                             fileRef("Name", "", "cfv1/usb_dci.c", "Generic") +
                             fileRef("PathRelative", "CFV1", "usb_dci.c", "Windows", "Tree")));
    auto result = parse(project(target("T", settings), groups), [](ParseResult& r) {
        addTree(r.platform);
        // The double knows paths by their text: the project folder joined with
        // a path below it ("demo\\Sources") is a folder of its own there.
        r.platform.addFolder("C:\\work\\demo\\\\Sources");
        r.platform.addFolder("C:\\work\\demo\\\\Sources\\cfv1");
        r.platform.addFile("C:\\work\\demo\\\\Sources\\cfv1\\Usb_Dci.c");
    });
    ASSERT_TRUE(result->complete);
    const GroupNode& t = *result->converter->rootGroup->children.at(0);
    EXPECT_EQ(result->converter->sourceTrees.at("Tree"), "C:\\work\\demo\\\\Sources");
    EXPECT_EQ(t.userIncludePaths,
              (Strings{"C:\\work\\demo\\\\sources\\CFV1", "C:\\work\\demo\\\\Sources",
                       "C:\\work\\demo\\\\SOURCES", "C:\\work\\demo\\\\SOURCES",
                       "C:\\work\\demo\\Sources\\cfv1"}));
    EXPECT_EQ(t.children.at(0)->files, (Strings{"C:\\work\\demo\\Sources\\cfv1\\Usb_Dci.c",
                                                // The exact "sources" wins, and holds no "CFV1".
                                                "C:\\work\\demo\\sources\\CFV1\\usb_dci.c",
                                                "C:\\work\\demo\\SOURCES\\cfv1\\usb_dci.c",
                                                "C:\\work\\demo\\\\Sources\\cfv1\\Usb_Dci.c", "",
                                                "C:\\work\\demo\\\\Sources\\cfv1\\Usb_Dci.c"}));
}

}  // namespace
}  // namespace tessaly
