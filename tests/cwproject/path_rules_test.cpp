#include "cwproject/path_rules.h"

#include <gtest/gtest.h>

#include "output/group_node.h"
#include "platform/fake_platform.h"

namespace tessaly {
namespace {

using testing::FakePlatform;

class PathRulesTest : public ::testing::Test {
  protected:
    PathRulesTest() : rules(platform, "C:\\work\\demo\\demo.mcp.xml", "C:\\CW") {
        GroupNode& app = root.findOrAddChild("App");
        app.userIncludePaths = {"C:\\u1", "C:\\u2"};
        app.systemIncludePaths = {"C:\\s1"};
        root.findOrAddChild("Other").userIncludePaths = {"C:\\o"};
    }
    std::string resolve(const std::string& type, const std::string& root_,
                        const std::string& access, const std::string& path,
                        const std::string& target = "App") {
        return rules.resolveFileRefPath(type, root_, access, path, target, root, trees);
    }

    FakePlatform platform;
    PathRules rules;
    GroupNode root{"root"};
    std::map<std::string, std::string> trees{{"Boost", "E:\\boost"}};
};

TEST_F(PathRulesTest, FileReferenceRoots) {
    struct Case {
        const char *type, *root, *access, *path, *expected;
    };
    const Case cases[] = {
        {"PathRelative", "Project", "src", "main.c", "C:\\work\\demo\\src\\main.c"},
        {"PathRelative", "Project", "", "main.c", "C:\\work\\demo\\main.c"},
        {"PathRelative", "CodeWarrior", "MSL", "a.h", "C:\\CW\\MSL\\a.h"},
        {"Absolute", "Absolute", "C:\\lib\\", "x.c", "C:\\lib\\x.c"},
        {"Absolute", "Absolute", "C:\\lib", "x.c", "C:\\libx.c"},
        {"Absolute", "Absolute", "", "C:\\lib\\x.c", "C:\\lib\\x.c"},
        {"PathRelative", "", "", "plain.c", "plain.c"},
        {"PathRelative", "", "sub", "f.c", "sub\\f.c"},
        {"PathRelative", "OS X Volume", "Users", "f.c", "OS X VolumeUsers\\f.c"},
        {"PathRelative", "Boost", "config", "user.hpp", "E:\\boost\\config\\user.hpp"},
        {"PathRelative", "project", "src", "f.c", "projectsrc\\f.c"},  // roots are case-sensitive
    };
    for (const Case& c : cases) {
        EXPECT_EQ(resolve(c.type, c.root, c.access, c.path), c.expected)
            << c.root << "|" << c.access;
    }
    EXPECT_TRUE(platform.probes.empty()) << "only Name references touch the disk";
}

TEST_F(PathRulesTest, NameLookUpProbesUserPathsBeforeSystemPathsInOrder) {
    platform.addFile("C:\\u2\\f.h");
    platform.addFile("C:\\s1\\f.h");
    EXPECT_EQ(resolve("Name", "", "", "f.h"), "C:\\u2\\f.h");
    EXPECT_EQ(platform.probes,
              (std::vector<std::string>{"exists C:\\u1\\f.h", "exists C:\\u2\\f.h"}));

    platform.probes.clear();
    platform.addFile("C:\\s1\\g.h");
    EXPECT_EQ(resolve("Name", "Project", "ignored", "g.h"), "C:\\s1\\g.h");
    EXPECT_EQ(platform.probes.size(), 3u);
}

TEST_F(PathRulesTest, NameLookUpFailures) {
    platform.addFile("C:\\u1\\f.h");
    platform.addFolder("C:\\u1\\dir.h");
    EXPECT_EQ(resolve("Name", "", "", "dir.h"), "C:\\u1\\dir.h") << "a folder counts as found";
    EXPECT_EQ(resolve("Name", "", "", "missing.h"), "");
    EXPECT_EQ(resolve("Name", "", "", "f.h", "app"), "") << "target names are case-sensitive";
    EXPECT_EQ(resolve("Name", "", "", "f.h", "Nobody"), "");
    EXPECT_EQ(resolve("Name", "", "", "f.h", "Other"), "") << "only the named target's paths";
}

TEST_F(PathRulesTest, NameLookUpProbesEveryTime) {
    platform.addFile("C:\\u1\\f.h");
    resolve("Name", "", "", "f.h");
    resolve("Name", "", "", "f.h");
    EXPECT_EQ(platform.probes.size(), 2u);
}

// Where a binary project's bytes leave a file's folder open, the disk is
// asked, the location's texts taken in the format it states.
TEST_F(PathRulesTest, LocatesFileOnlyWhereTheDiskHoldsIt) {
    platform.addFile("C:\\work\\demo\\src\\main.c");
    platform.addFile("C:\\lib\\x.c");
    struct Case {
        FileLocation location;
        bool found;
    };
    const Case cases[] = {
        {{"PathRelative", "Project", "src", "main.c", "Windows"}, true},
        {{"PathRelative", "Project", ":src:", "main.c", "MacOS"}, true},
        {{"PathRelative", "Project", "src", "other.c", "Windows"}, false},
        {{"PathRelative", "CodeWarrior", "src", "main.c", "Windows"}, false},
        {{"PathRelative", "Absolute", "C:\\lib\\", "x.c", "Windows"}, true},
        {{"Name", "", "", "C:\\lib\\x.c", "Windows"}, false},  // found by name, not asked
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rules.locatesFile(c.location), c.found)
            << c.location.pathRoot << "|" << c.location.accessPath << "|" << c.location.path;
    }
}

TEST_F(PathRulesTest, JoinAccessPath) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"Project", "src", "C:\\work\\demo\\\\src"},
        {"Project", "", "C:\\work\\demo\\"},
        {"CodeWarrior", "MSL", "C:\\CW\\\\MSL"},
        {"CodeWarrior", "", "C:\\CW\\"},
        {"Absolute", "D:\\include", "D:\\include"},
        {"Absolute", "", ""},
        {"", "src", "\\src"},
        {"", "", "\\"},
        {"E:\\boost", "libs", "E:\\boost\\libs"},
        {"E:\\boost\\", "", "E:\\boost\\"},
    };
    for (const auto& [root, path, expected] : cases) {
        EXPECT_EQ(rules.joinAccessPath(root, path), expected) << root << "|" << path;
    }
}

TEST_F(PathRulesTest, ComposeSourceTreePath) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"Project", "lib", "C:\\work\\demo\\\\lib"},
        {"CodeWarrior", "x", "C:\\CW\\\\x"},
        {"Absolute", "E:\\t", "E:\\t"},
        {"", "rel", "rel"},
        {"Other", "t", "Other\\t"},
    };
    for (const auto& [root, path, expected] : cases) {
        EXPECT_EQ(rules.composeSourceTreePath(root, path), expected) << root << "|" << path;
    }
}

TEST(ProjectRootFolderTest, UpToAndIncludingTheLastSeparator) {
    EXPECT_EQ(projectRootFolder("C:\\work\\demo\\demo.mcp.xml", '\\'), "C:\\work\\demo\\");
    EXPECT_EQ(projectRootFolder("demo.mcp.xml", '\\'), "");
    EXPECT_EQ(projectRootFolder("/w/d.xml", '/'), "/w/");
}

TEST(CodeWarriorDirFromRegistryTest, CutsTwiceAtTheLastSeparator) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Tools\\CodeWarrior\\Bin\\IDE.exe", "C:\\Tools\\CodeWarrior"},
        {"C:\\IDE.exe", "C:"},
        {"IDE.exe", "IDE.exe"},
        {"\"C:\\CW\\Bin\\IDE.exe\"", "\"C:\\CW"},
        {std::string(255, 'x'), std::string(255, 'x')},
        {std::string(256, 'x'), ""},  // does not fit the value buffer
    };
    for (const auto& [value, expected] : cases) {
        FakePlatform platform;
        platform.setRegistryValue(kCodeWarriorIdeKey, value);
        EXPECT_EQ(codeWarriorDirFromRegistry(platform), expected) << value;
    }
    FakePlatform empty;
    EXPECT_EQ(codeWarriorDirFromRegistry(empty), "");
}

}  // namespace
}  // namespace tessaly
