// The file services of the platform the tests run on (POSIX natively, and
// Windows under Wine), on real files in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "support/test_files.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

class SystemPlatformTest : public ::testing::Test {
  protected:
    std::string at(const std::string& name) const { return (temp.path() / name).string(); }
    // Writes the text to a new file through the platform.
    bool create(const std::string& name, const std::string& text) {
        auto file = platform.createNewFile(at(name), "").file;
        return file && file->write(text) && file->close();
    }
    TempFolder temp;
    Platform& platform = systemPlatform();
    const char separator = platform.separator();
};

TEST_F(SystemPlatformTest, EntryKinds) {
    writeFile(temp.path() / "file", "x");
    fs::create_directory(temp.path() / "folder");
    EXPECT_EQ(platform.entryKind(at("file")), EntryKind::File);
    EXPECT_EQ(platform.entryKind(at("folder")), EntryKind::Folder);
    EXPECT_EQ(platform.entryKind(at("folder") + separator), EntryKind::Folder);
    EXPECT_EQ(platform.entryKind(at("missing")), EntryKind::Missing);
    EXPECT_EQ(platform.entryKind(at("file") + std::string(1, '\0')), EntryKind::Missing);
}

// A new file is made only where nothing stands; an earlier file keeps its
// content.
TEST_F(SystemPlatformTest, ANewFileNeverReplacesOne) {
    writeFile(temp.path() / "earlier", "earlier");
    fs::create_directory(temp.path() / "folder");
    for (const std::string name : {"earlier", "folder"}) {
        const NewFile refused = platform.createNewFile(at(name), "");
        EXPECT_FALSE(refused.file) << name;
        EXPECT_TRUE(refused.nameInUse) << name;
    }
    const NewFile inMissingFolder = platform.createNewFile(at("missing") + separator + "f", "");
    EXPECT_FALSE(inMissingFolder.file);
    EXPECT_FALSE(inMissingFolder.nameInUse);
    EXPECT_EQ(readFile(temp.path() / "earlier"), "earlier");
    EXPECT_TRUE(create("new", "new"));
    EXPECT_EQ(readFile(temp.path() / "new"), "new");
}

// Replacing takes the place of a file, or of one name of a file with
// several: the other names keep the old content. A folder is not replaced.
TEST_F(SystemPlatformTest, ReplaceTakesThePlaceOfAName) {
    writeFile(temp.path() / "target", "old");
    fs::create_hard_link(temp.path() / "target", temp.path() / "other name");
    fs::create_directory(temp.path() / "folder");
    ASSERT_TRUE(create("new", "new"));

    EXPECT_FALSE(platform.replaceFile(at("new"), at("folder")));
    EXPECT_TRUE(platform.replaceFile(at("new"), at("target")));

    EXPECT_EQ(readFile(temp.path() / "target"), "new");
    EXPECT_EQ(readFile(temp.path() / "other name"), "old");
    EXPECT_FALSE(fs::exists(temp.path() / "new"));
    EXPECT_TRUE(platform.removeFile(at("other name")));
    EXPECT_FALSE(fs::exists(temp.path() / "other name"));
    EXPECT_FALSE(platform.removeFile(at("folder")));
    EXPECT_TRUE(fs::is_directory(temp.path() / "folder"));
}

// A link is seen as a link, is never followed to create or write what it
// points to, and is replaced or removed itself.
TEST_F(SystemPlatformTest, LinksAreNotFollowed) {
    fs::create_directory(temp.path() / "folder");
    writeFile(temp.path() / "target", "target");
    std::error_code error;
    fs::create_symlink(temp.path() / "target", temp.path() / "file link", error);
    if (error) {
        GTEST_SKIP() << "this system cannot create symbolic links: " << error.message();
    }
    fs::create_symlink(temp.path() / "made", temp.path() / "dangling");
    fs::create_directory_symlink(temp.path() / "folder", temp.path() / "folder link");

    EXPECT_EQ(platform.entryKind(at("file link")), EntryKind::Link);
    EXPECT_EQ(platform.entryKind(at("folder link") + separator), EntryKind::Link);
    EXPECT_TRUE(platform.createNewFile(at("dangling"), "").nameInUse);
    EXPECT_FALSE(fs::exists(temp.path() / "made"));

    ASSERT_TRUE(create("new", "new"));
    EXPECT_TRUE(platform.replaceFile(at("new"), at("file link")));
    EXPECT_EQ(platform.entryKind(at("file link")), EntryKind::File);
    EXPECT_EQ(readFile(temp.path() / "target"), "target");

    EXPECT_TRUE(platform.removeFile(at("folder link") + separator));
    EXPECT_EQ(platform.entryKind(at("folder link")), EntryKind::Missing);
    EXPECT_TRUE(fs::is_directory(temp.path() / "folder"));
}

// A file being written is held: removing abandoned files leaves it. Once
// let go (as a killed run lets go of its files), it is removed; a folder is
// not.
TEST_F(SystemPlatformTest, OnlyAbandonedFilesAreRemoved) {
    NewFile made = platform.createNewFile(at("tesscli-1.tmp"), "");
    ASSERT_TRUE(made.file);
    fs::create_directory(temp.path() / "tesscli-2.tmp");

    EXPECT_FALSE(platform.removeAbandonedFile(at("tesscli-1.tmp")));
    EXPECT_TRUE(fs::exists(temp.path() / "tesscli-1.tmp"));
    made.file.reset();
    EXPECT_TRUE(platform.removeAbandonedFile(at("tesscli-1.tmp")));
    EXPECT_FALSE(fs::exists(temp.path() / "tesscli-1.tmp"));
    EXPECT_FALSE(platform.removeAbandonedFile(at("tesscli-2.tmp")));
}

// Below a held folder every folder on the way must be a real one: a link
// put in place of a folder leads nowhere. A path that climbs with ".." is
// the user's own and is used by name. A folder
// reached before is held: on Windows it cannot be moved; elsewhere what is
// made in it goes where it went, never to the link's target.
TEST_F(SystemPlatformTest, BelowAHeldFolderNoLinkIsFollowed) {
    for (const char* folder : {"held/reached", "held/unreached", "outside"}) {
        fs::create_directories(temp.path() / folder);
    }
    const std::string held = at("held");
    const std::string reached = held + separator + "reached";
    const std::string unreached = held + separator + "unreached";
    platform.holdFolder(held);
    EXPECT_EQ(platform.makeDirectory(reached + separator + "a"), MakeDirectoryResult::Created);
    EXPECT_EQ(platform.makeDirectory(held + separator + ".." + separator + "up"),
              MakeDirectoryResult::Created);
    EXPECT_TRUE(fs::is_directory(temp.path() / "up"));
    std::error_code error;
    for (const char* name : {"reached", "unreached"}) {
        fs::rename(temp.path() / "held" / name, temp.path() / (std::string(name) + " moved"),
                   error);
        if (!error) {
            fs::create_directory_symlink(temp.path() / "outside", temp.path() / "held" / name,
                                         error);
        }
        if (error) {
            platform.releaseFolder();
            GTEST_SKIP() << "this system cannot rename a folder held or create a link: "
                         << error.message();
        }
    }

    EXPECT_EQ(platform.makeDirectory(reached + separator + "b"), MakeDirectoryResult::Created);
    EXPECT_EQ(platform.makeDirectory(unreached + separator + "b"), MakeDirectoryResult::Failed);
    EXPECT_FALSE(platform.createNewFile(unreached + separator + "f", "").file);
    EXPECT_EQ(platform.entryKind(unreached + separator + "b"), EntryKind::Missing);
    EXPECT_EQ(platform.entryKind(unreached), EntryKind::Link);
    platform.releaseFolder();
    EXPECT_TRUE(fs::is_empty(temp.path() / "outside"));
    EXPECT_TRUE(fs::is_directory(temp.path() / "reached moved" / "b"));
}

// Only a file on a disk opens as a regular file; a device (endless) or a
// folder does not.
TEST_F(SystemPlatformTest, OnlyRegularFilesOpenAsRegular) {
    writeFile(temp.path() / "file", "text");
    fs::create_directory(temp.path() / "folder");
    const std::string device = platform.pathStyle() == PathStyle::Windows ? "NUL" : "/dev/zero";
    EXPECT_TRUE(platform.openRegularFile(at("file")));
    EXPECT_FALSE(platform.openRegularFile(at("folder")));
    EXPECT_FALSE(platform.openRegularFile(device));
    EXPECT_TRUE(platform.openForReading(device)) << "the export may still come from a device";
}

// Names in one folder are told apart as the file system does: on Windows
// regardless of letter case.
TEST_F(SystemPlatformTest, FolderNameKeys) {
    const bool windows = platform.pathStyle() == PathStyle::Windows;
    EXPECT_EQ(platform.folderNameKey("Debug") == platform.folderNameKey("DEBUG"), windows);
    EXPECT_EQ(platform.folderNameKey("\xC9t\xE9") == platform.folderNameKey("\xE9T\xC9"), windows);
    EXPECT_NE(platform.folderNameKey("a"), platform.folderNameKey("b"));
    EXPECT_EQ(platform.folderNameKey(""), platform.folderNameKey(""));
}

}  // namespace
}  // namespace tessaly
