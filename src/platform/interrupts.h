// An interrupt ends the run as a failure. The platform's handler only notes
// it; the run's next read or write of a file (or listing of a folder) throws
// Interrupted, so that the temporary files are removed as the stack unwinds
// and the run ends with its one line, "Conversion failed: interrupted".
#pragma once

#include <exception>

namespace tessaly {

class Interrupted : public std::exception {
  public:
    const char* what() const noexcept override { return "interrupted"; }
};

// Notes an interrupt; safe in a signal handler and from another thread.
void noteInterrupt() noexcept;

// Throws Interrupted once for each interrupt noted.
void throwIfInterrupted();

}  // namespace tessaly
