#pragma once

#include <string>

namespace tessaly {

// A failure of the output side, thrown by value and reported once by the run.
class IOERROR {
  public:
    static constexpr int kCannotCreateDirectory = 1;
    static constexpr int kCannotWriteFile = 2;

    IOERROR(int code, std::string path) : code(code), path_(std::move(path)) {}
    std::string path() const { return path_; }

    int code;

  private:
    std::string path_;
};

}  // namespace tessaly
