#pragma once

#include <string>
#include <vector>

#include "platform/console.h"

namespace tessaly::testing {

// Keeps every line the converter prints.
class RecordingConsole : public Console {
  public:
    void line(std::string_view text) override { lines.emplace_back(text); }
    std::vector<std::string> lines;
};

}  // namespace tessaly::testing
