// An output file written the way Windows text mode writes it, on every
// platform: every LF becomes CR LF, every other byte is written unchanged.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tessaly {

class TextOutput {
  public:
    // Creates or replaces the file; false when it cannot be created.
    bool open(Platform& platform, const std::string& path);
    // Completes the file; false when anything written was lost.
    bool close();

    void write(std::string_view text);
    // The text and a line end.
    void line(std::string_view text) {
        write(text);
        write("\n");
    }
    void flush();

  private:
    std::unique_ptr<OutputFile> file_;
    bool ok_ = false;
};

// Creates an empty file at the path, replacing an earlier one.
bool createEmptyFile(Platform& platform, const std::string& path);

}  // namespace tessaly
