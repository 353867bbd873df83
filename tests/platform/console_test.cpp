#include "platform/console.h"

#include <gtest/gtest.h>

#include "support/recording_console.h"

namespace tessaly {
namespace {

// A line break inside a message is printed as a blank, so every message
// stays one line.
TEST(ConsoleTest, EveryMessageIsOneLine) {
    testing::RecordingConsole console;
    console.line("a\r\nb\rc\nd");
    console.line("");
    EXPECT_EQ(console.lines, (std::vector<std::string>{"a  b c d", ""}));
}

}  // namespace
}  // namespace tessaly
