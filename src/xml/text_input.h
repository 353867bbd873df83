// Buffered byte input with the one translation that Windows text mode makes
// and that exports rely on: a CR LF pair reads as one LF. Every other byte,
// Ctrl-Z and NUL included, is an ordinary character; only the real end of
// the file ends the input. The buffer is filled in large blocks, so reading a
// character costs no system call and no virtual call.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/platform.h"

namespace tessaly {

class TextInput {
  public:
    static constexpr int kEnd = -1;
    // Large enough that a 30 MB export needs only a few hundred reads.
    static constexpr std::size_t kBlockSize = 256 * 1024;

    // Reads from the file, from its start.
    void open(std::unique_ptr<InputFile> file);

    // Next character (0..255), or kEnd at the end of the input or on a read error.
    int get() {
        if (pos_ == end_ && !refill()) {
            return kEnd;
        }
        return static_cast<unsigned char>(buffer_[pos_++]);
    }

    // The characters available without a refill, starting at the next one.
    const char* data() const { return buffer_.get() + pos_; }
    std::size_t available() const { return end_ - pos_; }
    void skip(std::size_t count) { pos_ += count; }
    // Makes at least one character available; false at the end.
    bool fill() { return pos_ < end_ || refill(); }

    // True once a read found the end of the input or failed.
    bool atEnd() const { return endSeen_; }
    bool failed() const { return failed_; }

  private:
    bool refill();
    // Reads and translates the next block into the buffer; its length, 0 at
    // the end of the input.
    std::size_t fillBlock();
    // Collapses each CR LF pair in [begin, end) to LF; returns the new end.
    static char* collapseCrLf(char* begin, char* end);

    std::unique_ptr<InputFile> file_;
    std::unique_ptr<char[]> buffer_;  // not zero-filled: every byte read is written first
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool pendingCr_ = false;  // a CR at the end of the last block, not yet delivered
    bool endSeen_ = true;
    bool failed_ = false;
};

}  // namespace tessaly
