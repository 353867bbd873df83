#include "platform/held_folders.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using Strings = std::vector<std::string>;

// A handle that is the path it was opened at.
struct PathHandle {
    std::string path;
    bool valid() const { return !path.empty(); }
};

// The folders held below "/d", "link" standing for a link anywhere; every
// opening is recorded.
class HeldFoldersTest : public ::testing::Test {
  protected:
    explicit HeldFoldersTest(std::size_t maxOpen = 64)
        : held(
              [this](const PathHandle& parent, const std::string& name, const std::string& path) {
                  opened.push_back(path);
                  EXPECT_EQ(parent.path + "/" + name, path) << "opened from its parent";
                  return name == "link" ? PathHandle{} : PathHandle{path};
              },
              "/", maxOpen) {
        held.hold("/d", PathHandle{"/d"});
    }

    // The folder the entry is reached in, "-" when none leads there.
    std::string folderOf(const std::string& path) {
        auto entry = held.entryAt(path);
        return entry && entry->folder ? entry->folder->path : "-";
    }

    Strings opened;
    HeldFolders<PathHandle> held;
};

TEST_F(HeldFoldersTest, ADepthFirstWalkOpensEachFolderOnce) {
    for (const char* path : {"/d/a", "/d/a/x", "/d/a/b/y", "/d/a/b/", "/d/a/b//z", "/d/a/c/w"}) {
        folderOf(path);
    }
    EXPECT_EQ(opened, (Strings{"/d/a", "/d/a/b", "/d/a/c"}));
    EXPECT_EQ(folderOf("/d/a/c/w"), "/d/a/c");
}

TEST_F(HeldFoldersTest, OnlyAChainOfRealFoldersLeadsBelow) {
    const std::pair<const char*, const char*> cases[] = {
        {"/d/x", "/d"},    {"/d/link", "/d"}, {"/d/link/x", "-"}, {"/d/a/link/b/x", "-"},
        {"/d/../x", "-"},  {"/d/a/..", "-"},  {"/d/./x", "-"},    {"/dx/y", "-"},
        {"/other/x", "-"}, {"/d", "-"},
    };
    for (const auto& [path, folder] : cases) {
        EXPECT_EQ(folderOf(path), folder) << path;
    }
    for (const char* byName : {"/dx/y", "/d/../x", "/d/a/..", "/d/./x"}) {
        EXPECT_FALSE(held.entryAt(byName).has_value()) << byName << ": asked about by name";
    }
    EXPECT_TRUE(held.entryAt("/d/link/x").has_value()) << "below, and unreachable";
    held.hold("/e", PathHandle{});
    EXPECT_EQ(folderOf("/e/x"), "-") << "a held folder that could not be opened";
}

// A link refused is tried again when next reached (it may be a folder by
// then); an entry the run changed is opened afresh.
TEST_F(HeldFoldersTest, WhatChangedIsOpenedAfresh) {
    folderOf("/d/a/x");
    held.forget(*held.entryAt("/d/a"));
    folderOf("/d/a/x");
    folderOf("/d/link/x");
    folderOf("/d/link/y");
    EXPECT_EQ(opened, (Strings{"/d/a", "/d/a", "/d/link", "/d/link"}));
}

class FewHeldFoldersTest : public HeldFoldersTest {
  protected:
    FewHeldFoldersTest() : HeldFoldersTest(2) {}
};

// Past the limit the folders nearest the held one are closed, and opened
// again from their nearest open ancestor when reached.
TEST_F(FewHeldFoldersTest, FoldersClosedAreOpenedAgainFromAbove) {
    EXPECT_EQ(folderOf("/d/a/b/c/x"), "/d/a/b/c");
    EXPECT_EQ(folderOf("/d/a/b/y"), "/d/a/b");
    EXPECT_EQ(folderOf("/d/a/z"), "/d/a");
    EXPECT_EQ(opened, (Strings{"/d/a", "/d/a/b", "/d/a/b/c", "/d/a"}));
}

}  // namespace
}  // namespace tessaly
