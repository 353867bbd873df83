#include "xml/text_input.h"

#include <gtest/gtest.h>

#include "support/test_files.h"

namespace tessaly {
namespace {

std::string readAll(const std::string& content) {
    testing::TempFolder folder;
    const auto path = folder.path() / "in";
    testing::writeFile(path, content);
    TextInput input;
    EXPECT_TRUE(input.open(path.string()));
    std::string out;
    for (int c; (c = input.get()) != TextInput::kEnd;) {
        out.push_back(static_cast<char>(c));
    }
    EXPECT_TRUE(input.atEnd());
    EXPECT_FALSE(input.failed());
    return out;
}

TEST(TextInputTest, TranslatesCrLfOnlyAndEndsOnlyAtTheRealEnd) {
    EXPECT_EQ(readAll("a\r\nb\r\n"), "a\nb\n");
    EXPECT_EQ(readAll("a\rb\r"), "a\rb\r");
    EXPECT_EQ(readAll("\r\r\n\n"), "\r\n\n");
    EXPECT_EQ(readAll(std::string("x\x1Ay\0z", 5)), std::string("x\x1Ay\0z", 5));
    EXPECT_EQ(readAll(""), "");
}

TEST(TextInputTest, CrLfSplitAcrossBlocksStillReadsAsOneLf) {
    // Put the CR at every position around the block boundary.
    for (std::size_t prefix = 256 * 1024 - 3; prefix <= 256 * 1024 + 2; ++prefix) {
        const std::string content = std::string(prefix, 'a') + "\r\nz";
        const std::string out = readAll(content);
        ASSERT_EQ(out, std::string(prefix, 'a') + "\nz") << prefix;
    }
}

// Files larger than a block are read ahead on a worker thread: every byte
// arrives once and in order, and closing early stops the worker.
TEST(TextInputTest, LargeFileReadsWholeAndClosesEarly) {
    std::string content;
    for (std::size_t i = 0; content.size() < 5 * TextInput::kBlockSize + 7; ++i) {
        content += std::to_string(i) + (i % 3 == 0 ? "\r\n" : "\n");
    }
    std::string expected = content;
    for (std::size_t cr; (cr = expected.find("\r\n")) != std::string::npos;) {
        expected.erase(cr, 1);
    }
    EXPECT_EQ(readAll(content), expected);

    testing::TempFolder folder;
    const auto path = folder.path() / "in";
    testing::writeFile(path, content);
    for (int reads : {0, 1, static_cast<int>(2 * TextInput::kBlockSize)}) {
        TextInput input;
        ASSERT_TRUE(input.open(path.string()));
        for (int i = 0; i < reads; ++i) {
            input.get();
        }
        input.close();  // stops the worker in the middle of the file
        EXPECT_FALSE(input.isOpen());
    }
}

TEST(TextInputTest, FolderCannotBeOpened) {
    testing::TempFolder folder;
    TextInput input;
    EXPECT_FALSE(input.open(folder.str()));
}

}  // namespace
}  // namespace tessaly
