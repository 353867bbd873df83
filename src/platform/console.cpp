#include "platform/console.h"

#include <cstdio>

namespace tessaly {
namespace {

class StandardOutput final : public Console {
  public:
    void line(std::string_view text) override {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
};

}  // namespace

Console& standardOutput() {
    static StandardOutput console;
    return console;
}

}  // namespace tessaly
