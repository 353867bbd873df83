// Where the converter's messages go. Every message is one line, written and
// flushed at once, so that a parent reading the pipe sees each line as soon
// as it is written.
#pragma once

#include <string_view>

#include "platform/one_line.h"

namespace tessaly {

class Console {
  public:
    virtual ~Console() = default;
    // Prints the text as one line: a line break inside it becomes a blank.
    void line(std::string_view text) { writeLine(asOneLine(text)); }
    // Whether any line could not be written (a closed pipe, a full device).
    virtual bool failed() const { return false; }

  protected:
    virtual void writeLine(std::string_view line) = 0;
};

// Standard output (nothing ever goes to standard error).
Console& standardOutput();

}  // namespace tessaly
