// Folders d0 ... d30 where each d<i> holds two links, a and b, to d<i+1>. No
// link leads back up the walk, so the cycle guard never fires, yet there are
// 2^31 paths below d0. A genuine system holds such link graphs as well
// (/sys, /proc): the walk must still end soon.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "cli/project_converter.h"
#include "support/recording_console.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;

TEST(RecursiveExpansion, LinksReachingOneFolderAlongManyPathsEndTheWalkSoon) {
    constexpr int kLevels = 30;
    TempFolder work;
    const auto folderName = [](int i) {
        std::string name = "d";
        return name += std::to_string(i);
    };
    for (int i = 0; i <= kLevels; ++i) {
        fs::create_directories(work.path() / "tree" / folderName(i));
    }
    for (int i = 0; i < kLevels; ++i) {
        const fs::path folder = work.path() / "tree" / folderName(i);
        const fs::path next = fs::path("..") / folderName(i + 1);
        fs::create_directory_symlink(next, folder / "a");
        fs::create_directory_symlink(next, folder / "b");
    }
    writeFile(work.path() / "p.mcp.xml",
              "<PROJECT><TARGETLIST><TARGET><NAME>T</NAME><SETTINGLIST>"
              "<SETTING><NAME>UserSearchPaths</NAME><SETTING>"
              "<SETTING><NAME>SearchPath</NAME>"
              "<SETTING><NAME>Path</NAME><VALUE>tree/d0</VALUE></SETTING>"
              "<SETTING><NAME>PathRoot</NAME><VALUE>Project</VALUE></SETTING></SETTING>"
              "<SETTING><NAME>Recursive</NAME><VALUE>true</VALUE></SETTING>"
              "</SETTING></SETTING></SETTINGLIST></TARGET></TARGETLIST>"
              "<TARGETORDER></TARGETORDER><GROUPLIST></GROUPLIST></PROJECT>");
    fs::create_directory(work.path() / "out");
    RecordingConsole console;
    ProjectConverter converter((work.path() / "p.mcp.xml").string(), (work.path() / "out").string(),
                               "", systemPlatform(), console);
    converter.projectName = "p";

    EXPECT_EQ(converter.run(), 1);

    // However the walk is bounded, it cannot need more than one entry per
    // link and folder.
    const std::string personality = readFile(work.path() / "out" / "T" / "person" / "T.p_a");
    EXPECT_LE(std::count(personality.begin(), personality.end(), '\n'), 3 * kLevels + 1);
}

}  // namespace
}  // namespace tessaly::testing
