#include "platform/interrupts.h"

#include <atomic>

namespace tessaly {
namespace {

// Set in a signal handler (POSIX) or in the console's handler thread
// (Windows): a lock-free atomic serves both.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

void noteInterrupt() noexcept {
    interrupted.store(true);
}

void throwIfInterrupted() {
    if (interrupted.exchange(false)) {
        throw Interrupted();
    }
}

}  // namespace tessaly
