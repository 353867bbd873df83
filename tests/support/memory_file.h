// Input files held in memory, so that the reader's tests need no disk.
#pragma once

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace tessaly::testing {

// Gives its text in reads of at most `chunk` bytes, as a pipe or a slow
// device may, so that a test can put a read's end at every place.
class MemoryFile final : public InputFile {
  public:
    explicit MemoryFile(std::string text,
                        std::size_t chunk = std::numeric_limits<std::size_t>::max())
        : text_(std::move(text)), chunk_(chunk) {}

    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t count = std::min({size, chunk_, text_.size() - pos_});
        std::memcpy(buffer, text_.data() + pos_, count);
        pos_ += count;
        return count;
    }
    bool failed() const override { return false; }

  private:
    std::string text_;
    std::size_t chunk_;
    std::size_t pos_ = 0;
};

inline std::unique_ptr<InputFile> memoryFile(
    std::string text, std::size_t chunk = std::numeric_limits<std::size_t>::max()) {
    return std::make_unique<MemoryFile>(std::move(text), chunk);
}

}  // namespace tessaly::testing
