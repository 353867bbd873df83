#include "cwproject/subfolder_expansion.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/fake_platform.h"
#include "support/test_files.h"

namespace tessaly {
namespace {

using testing::FakePlatform;
using Strings = std::vector<std::string>;

TEST(ExpandSubfoldersTest, DepthFirstPreOrderInEnumerationOrder) {
    FakePlatform platform;
    platform.addFolder("C:\\p");
    platform.addFolder("C:\\p\\src");
    platform.addFolder("C:\\p\\src\\a");
    platform.addFile("C:\\p\\src\\f.c");
    platform.addFolder("C:\\p\\src\\a\\c");
    platform.addFolder("C:\\p\\src\\b");
    Strings list{"C:\\p\\src"};
    expandSubfolders(platform, "C:\\p\\src", list);
    EXPECT_EQ(list, (Strings{"C:\\p\\src", "C:\\p\\src\\a", "C:\\p\\src\\a\\c", "C:\\p\\src\\b"}));
}

TEST(ExpandSubfoldersTest, MissingFolderExpandsNothing) {
    FakePlatform platform;
    Strings list;
    expandSubfolders(platform, "C:\\missing", list);
    EXPECT_TRUE(list.empty());
}

TEST(ExpandSubfoldersTest, FileSystemRootsAreNeverWalked) {
    for (const char* folder : {"", "\\", "C:", "C:\\"}) {
        FakePlatform platform;
        platform.addFolder("C:");
        platform.addFolder("C:\\sub");
        Strings list;
        expandSubfolders(platform, folder, list);
        EXPECT_TRUE(list.empty()) << folder;
        EXPECT_TRUE(platform.probes.empty()) << folder;
    }
}

TEST(ExpandSubfoldersTest, LinksToRootOrBackUpTheTreeAreNeitherListedNorEntered) {
    FakePlatform platform;
    platform.addFolder("C:\\");
    platform.addFolder("C:\\p");
    platform.addFolder("C:\\p\\a");
    platform.addLink("C:\\p\\a\\up", "C:\\p");
    platform.addLink("C:\\p\\a\\top", "C:\\");
    platform.addFolder("C:\\p\\b");
    platform.addLink("C:\\p\\b\\sibling", "C:\\p\\a");  // not above it: listed
    Strings list;
    expandSubfolders(platform, "C:\\p", list);
    EXPECT_EQ(list, (Strings{"C:\\p\\a", "C:\\p\\b", "C:\\p\\b\\sibling"}));
}

TEST(ExpandSubfoldersTest, FolderReachedAlongSeveralPathsIsWalkedOnce) {
    // d0 ... d30, each holding two links to the next: 2^31 paths, 31 folders.
    FakePlatform platform;
    constexpr int kLevels = 30;
    for (int i = 0; i <= kLevels; ++i) {
        platform.addFolder("C:\\d" + std::to_string(i));
    }
    for (int i = 0; i < kLevels; ++i) {
        const std::string next = "C:\\d" + std::to_string(i + 1);
        platform.addLink("C:\\d" + std::to_string(i) + "\\a", next);
        platform.addLink("C:\\d" + std::to_string(i) + "\\b", next);
    }
    Strings list;
    expandSubfolders(platform, "C:\\d0", list);
    ASSERT_EQ(list.size(), 2u * kLevels);
    EXPECT_EQ(list[0], "C:\\d0\\a");
    EXPECT_EQ(list[1], "C:\\d0\\a\\a") << "the first path walks on";
    EXPECT_EQ(list.back(), "C:\\d0\\b") << "the second path is listed, not walked again";
}

TEST(ExpandSubfoldersTest, DeepTreeDoesNotExhaustTheStack) {
    FakePlatform platform(PathStyle::Posix);
    std::string folder = "/d";
    platform.addFolder(folder);
    for (int i = 0; i < 5000; ++i) {
        folder += "/x";
        platform.addFolder(folder);
    }
    Strings list;
    expandSubfolders(platform, "/d", list);
    EXPECT_EQ(list.size(), 5000u);
}

TEST(ExpandSubfoldersTest, RealSymlinkCycleAndRootLinkOnThisSystem) {
    namespace fs = std::filesystem;
    testing::TempFolder temp;
    fs::create_directories(temp.path() / "inc" / "a");
    std::error_code error;
    fs::create_directory_symlink(temp.path() / "inc", temp.path() / "inc" / "a" / "loop", error);
    if (error) {
        GTEST_SKIP() << "this system cannot create symbolic links: " << error.message();
    }
    fs::create_directory_symlink(temp.path().root_path(), temp.path() / "inc" / "root");
    Strings list;
    expandSubfolders(systemPlatform(), (temp.path() / "inc").string(), list);
    EXPECT_EQ(list, (Strings{(temp.path() / "inc" / "a").string()}));
}

}  // namespace
}  // namespace tessaly
