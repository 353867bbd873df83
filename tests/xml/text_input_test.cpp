#include "xml/text_input.h"

#include <gtest/gtest.h>

#include "support/memory_file.h"

namespace tessaly {
namespace {

using testing::memoryFile;

std::string readAll(const std::string& content,
                    std::size_t chunk = std::numeric_limits<std::size_t>::max()) {
    TextInput input;
    input.open(memoryFile(content, chunk));
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

// A read may end anywhere, between the CR and LF of a pair too: the result
// is the same for every size of read.
TEST(TextInputTest, ReadsEndingAnywhereGiveTheSameText) {
    const std::string content = "a\r\nb\rc\r\r\nd\n\r";
    for (std::size_t chunk = 1; chunk <= content.size(); ++chunk) {
        EXPECT_EQ(readAll(content, chunk), "a\nb\rc\r\nd\n\r") << chunk;
    }
}

// A CR LF pair split by the block boundary still reads as one LF; a lone CR
// that ends a block stays, whatever the next block starts with.
TEST(TextInputTest, CrAtTheBlockBoundaryReadsAsAnywhereElse) {
    const std::pair<std::string, std::string> cases[] = {
        {"\r\nz", "\nz"}, {"\rz", "\rz"}, {"\r\rz", "\r\rz"}, {"\r\r\nz", "\r\nz"}, {"\r", "\r"},
    };
    for (const auto& [written, read] : cases) {
        // Put the CR at every position around the block boundary.
        for (std::size_t prefix = TextInput::kBlockSize - 3; prefix <= TextInput::kBlockSize + 2;
             ++prefix) {
            const std::string out = readAll(std::string(prefix, 'a') + written);
            ASSERT_EQ(out, std::string(prefix, 'a') + read)
                << prefix << " " << ::testing::PrintToString(written);
        }
    }
}

TEST(TextInputTest, LargeInputReadsWhole) {
    std::string content;
    for (std::size_t i = 0; content.size() < 5 * TextInput::kBlockSize + 7; ++i) {
        content += std::to_string(i) + (i % 3 == 0 ? "\r\n" : "\n");
    }
    std::string expected = content;
    for (std::size_t cr; (cr = expected.find("\r\n")) != std::string::npos;) {
        expected.erase(cr, 1);
    }
    EXPECT_EQ(readAll(content), expected);
}

}  // namespace
}  // namespace tessaly
