#include "output/replaced_file.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"

namespace tessaly {
namespace {

using testing::FakePlatform;
using Strings = std::vector<std::string>;

class ReplacedFileTest : public ::testing::Test {
  protected:
    ReplacedFileTest() {
        platform.addFolder("C:\\out");
        platform.addFile("C:\\out\\f.txt", "earlier");
    }
    FakePlatform platform;
};

// The earlier file stays whole until the new one is complete; then the
// temporary file takes its place.
TEST_F(ReplacedFileTest, ReplacesTheFileInOneStep) {
    ReplacedFile file(platform, "C:\\out\\f.txt");
    ASSERT_TRUE(file.open());
    file.text().line("new");
    file.text().flush();
    EXPECT_EQ(platform.fileContent("C:\\out\\f.txt"), "earlier");
    EXPECT_EQ(platform.entriesOf("C:\\out"), (Strings{"f.txt", "tesscli-1.tmp"}));

    EXPECT_TRUE(file.commit());

    EXPECT_EQ(platform.fileContent("C:\\out\\f.txt"), "new\r\n");
    EXPECT_EQ(platform.entriesOf("C:\\out"), (Strings{"f.txt"}));
}

// The temporary file is complete on the disk before it takes the earlier
// file's place, and the rename is on the disk before the commit returns:
// after a crash of the machine either file is whole.
TEST_F(ReplacedFileTest, SyncedBeforeAndAfterTheRename) {
    ReplacedFile file(platform, "C:\\out\\f.txt");
    ASSERT_TRUE(file.open());
    file.text().line("new");
    EXPECT_TRUE(file.commit());
    EXPECT_EQ(
        platform.probes,
        (Strings{"list C:\\out", "create C:\\out\\tesscli-1.tmp", "write C:\\out\\tesscli-1.tmp",
                 "write C:\\out\\tesscli-1.tmp", "sync C:\\out\\tesscli-1.tmp",
                 "close C:\\out\\tesscli-1.tmp", "replace C:\\out\\tesscli-1.tmp C:\\out\\f.txt",
                 "syncfolder C:\\out\\f.txt"}));
}

TEST_F(ReplacedFileTest, AFileNeverCommittedLeavesNothing) {
    {
        ReplacedFile file(platform, "C:\\out\\f.txt");
        ASSERT_TRUE(file.open());
        file.text().line("cut");
    }
    EXPECT_EQ(platform.fileContent("C:\\out\\f.txt"), "earlier");
    EXPECT_EQ(platform.entriesOf("C:\\out"), (Strings{"f.txt"}));
}

// The temporary name is one that nothing stands at and that the caller
// does not keep for a folder of its own. What a killed run left is removed
// first; another run's file, which it holds while it writes, stays.
TEST_F(ReplacedFileTest, TheTemporaryFileTakesAFreeName) {
    ReplacedFile another(platform, "C:\\out\\g.txt");
    ASSERT_TRUE(another.open());
    another.text().line("another run's");
    platform.addFile("C:\\out\\tesscli-2.tmp", "a killed run's");
    platform.addFile("C:\\out\\tesscli-3.tmp", "a killed run's");
    ReplacedFile file(platform, "C:\\out\\f.txt");
    ASSERT_TRUE(file.open([](std::string_view name) { return name == "tesscli-2.tmp"; }));
    EXPECT_EQ(platform.entriesOf("C:\\out"), (Strings{"f.txt", "tesscli-1.tmp", "tesscli-3.tmp"}));
    EXPECT_EQ(platform.fileContent("C:\\out\\tesscli-1.tmp"), "another run's\r\n");
    EXPECT_EQ(platform.fileContent("C:\\out\\tesscli-3.tmp"), "");
    EXPECT_TRUE(file.commit());
    EXPECT_TRUE(another.commit());
    EXPECT_EQ(platform.entriesOf("C:\\out"), (Strings{"f.txt", "g.txt"}));
}

// A folder that refuses the file refuses every name: one try is enough.
TEST_F(ReplacedFileTest, AMissingFolderFailsAtOnce) {
    ReplacedFile file(platform, "C:\\missing\\f.txt");
    EXPECT_FALSE(file.open());
    EXPECT_EQ(std::count_if(platform.probes.begin(), platform.probes.end(),
                            [](const std::string& p) { return p.starts_with("create "); }),
              1);
}

TEST(TemporaryFileNameTest, OnlyTheConvertersOwn) {
    const std::pair<const char*, bool> cases[] = {
        {"tesscli-1.tmp", true},   {"tesscli-42.tmp", true}, {"tesscli-.tmp", false},
        {"tesscli-1a.tmp", false}, {"tesscli-1.tm", false},  {"Demo.prj", false},
    };
    for (const auto& [name, temporary] : cases) {
        EXPECT_EQ(isTemporaryFileName(name), temporary) << name;
    }
}

}  // namespace
}  // namespace tessaly
