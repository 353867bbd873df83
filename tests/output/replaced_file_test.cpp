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
// does not keep for a folder of its own.
TEST_F(ReplacedFileTest, TheTemporaryFileTakesAFreeName) {
    platform.addFile("C:\\out\\tesscli-1.tmp", "another run's");
    ReplacedFile file(platform, "C:\\out\\f.txt");
    ASSERT_TRUE(file.open([](std::string_view name) { return name == "tesscli-2.tmp"; }));
    EXPECT_TRUE(file.commit());
    EXPECT_EQ(platform.fileContent("C:\\out\\tesscli-1.tmp"), "another run's");
    EXPECT_NE(std::find(platform.probes.begin(), platform.probes.end(),
                        "replace C:\\out\\tesscli-3.tmp C:\\out\\f.txt"),
              platform.probes.end());
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
