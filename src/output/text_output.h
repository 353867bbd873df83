// An output file written the way Windows text mode writes it, on every
// platform: every LF becomes CR LF, every other byte is written unchanged.
// A failed write is remembered, so that closing tells whether anything was
// lost.
#pragma once

#include <memory>
#include <string_view>

#include "platform/platform.h"

namespace tessaly {

class TextOutput {
  public:
    explicit TextOutput(std::unique_ptr<OutputFile> file) : file_(std::move(file)) {}

    void write(std::string_view text);
    // The text as one line (a line break inside it becomes a blank), then a
    // line end.
    void line(std::string_view text);
    void flush();
    // Hands everything written to the disk itself.
    void sync();
    // Completes the file; false when anything written (or synced) was lost.
    // The file stays held until the object goes.
    bool close();

  private:
    std::unique_ptr<OutputFile> file_;
    bool ok_ = true;
    bool closed_ = false;
};

}  // namespace tessaly
