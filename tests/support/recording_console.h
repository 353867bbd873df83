#pragma once

#include <string>
#include <vector>

#include "platform/console.h"

namespace tessaly::testing {

// Keeps every line the converter prints.
class RecordingConsole : public Console {
  public:
    std::vector<std::string> lines;

  private:
    void writeLine(std::string_view text) override { lines.emplace_back(text); }
};

}  // namespace tessaly::testing
