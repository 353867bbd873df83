#pragma once

#include <string>

#include "platform/messages.h"

namespace tessaly {

// A failure of the output side, thrown by value and reported once by the run:
// ErrorCode::CannotCreateDirectory or ErrorCode::CannotWriteFile, with the
// folder or file concerned exactly as the program tried to use it.
class IOERROR {
  public:
    IOERROR(ErrorCode code, std::string path) : code(code), path_(std::move(path)) {}
    std::string path() const { return path_; }

    ErrorCode code;

  private:
    std::string path_;
};

}  // namespace tessaly
