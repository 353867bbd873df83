#include "platform/console.h"

#include <cstdio>

namespace tessaly {
namespace {

// A line that cannot be written is noted, and the run goes on: the project
// is still written in full.
class StandardOutput final : public Console {
  public:
    bool failed() const override { return failed_; }

  private:
    void writeLine(std::string_view line) override {
        const bool written = std::fwrite(line.data(), 1, line.size(), stdout) == line.size() &&
                             std::fputc('\n', stdout) != EOF && std::fflush(stdout) == 0;
        failed_ = failed_ || !written;
    }

    bool failed_ = false;
};

}  // namespace

Console& standardOutput() {
    static StandardOutput console;
    return console;
}

}  // namespace tessaly
