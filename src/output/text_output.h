// An output file written the way Windows text mode writes it, on every
// platform: every LF becomes CR LF, every other byte is written unchanged.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tessaly {

class TextOutput {
  public:
    TextOutput() = default;
    ~TextOutput() { close(); }
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    // Creates or replaces the file; false when it cannot be opened.
    bool open(const std::string& path);
    // Closes the file; a failure while closing is not reported.
    void close();

    void write(std::string_view text);
    // The text and a line end.
    void line(std::string_view text) {
        write(text);
        write("\n");
    }
    void flush() { std::fflush(file_); }

  private:
    std::FILE* file_ = nullptr;
};

// Creates an empty file at the path, replacing an earlier one.
bool createEmptyFile(const std::string& path);

}  // namespace tessaly
