#include "cli/path_normalisation.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"

namespace tessaly {
namespace {

using testing::FakePlatform;

TEST(NormalisePathTest, WindowsRules) {
    FakePlatform platform;
    platform.setCurrentDirectory("D:\\data\\in");  // D's own current directory
    platform.setCurrentDirectory("C:\\work");
    const std::pair<const char*, const char*> cases[] = {
        {"proj.mcp.xml", "C:\\work\\proj.mcp.xml"},
        {".", "C:\\work"},
        {"..\\x", "C:\\work\\..\\x"},
        {"a/b", "C:\\work\\a/b"},
        {"C:\\a", "C:\\a"},
        {"\\\\server\\share", "\\\\server\\share"},
        {"\\rooted", "\\rooted"},
        {"D:proj.xml", "D:\\data\\in\\proj.xml"},
        {"D:", "D:\\data\\in\\"},
        {"Q:x", "Q:x"},  // an unknown drive: left as given
        {"", "C:\\work\\"},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(normalisePath(path, platform), expected) << path;
        EXPECT_EQ(platform.currentDirectory(), "C:\\work") << "current directory restored";
    }
}

TEST(NormalisePathTest, DriveRootGivesDoubledSeparator) {
    FakePlatform platform;
    platform.setCurrentDirectory("C:\\");
    EXPECT_EQ(normalisePath("x", platform), "C:\\\\x");
    EXPECT_EQ(normalisePath(".", platform), "C:\\");
}

TEST(NormalisePathTest, PosixRules) {
    FakePlatform platform(PathStyle::Posix);
    platform.setCurrentDirectory("/home/u");
    const std::pair<const char*, const char*> cases[] = {
        {"p.xml", "/home/u/p.xml"}, {".", "/home/u"},     {"/abs/p", "/abs/p"},
        {"C:x", "/home/u/C:x"},     {"..", "/home/u/.."}, {"\\x", "/home/u/\\x"},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(normalisePath(path, platform), expected) << path;
    }
}

TEST(NormalisePathTest, LongCurrentDirectoryIsNotCut) {
    FakePlatform platform;
    const std::string longFolder = "C:\\" + std::string(1000, 'd');
    platform.setCurrentDirectory(longFolder);
    EXPECT_EQ(normalisePath("f", platform), longFolder + "\\f");
}

}  // namespace
}  // namespace tessaly
