// Where the converter's messages go. Every message is one line, written and
// flushed at once, so that a parent reading the pipe sees each line as soon
// as it is written.
#pragma once

#include <string_view>

namespace tessaly {

class Console {
  public:
    virtual ~Console() = default;
    virtual void line(std::string_view text) = 0;
};

// Standard output (nothing ever goes to standard error).
Console& standardOutput();

}  // namespace tessaly
