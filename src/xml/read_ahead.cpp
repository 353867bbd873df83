#include "xml/read_ahead.h"

#include <utility>

namespace tessaly {

ReadAhead::ReadAhead(std::size_t blockSize, Fill fill)
    : fill_(std::move(fill)), ahead_(new char[blockSize]), worker_([this] { work(); }) {}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void ReadAhead::work() {
    for (;;) {
        // ahead_ belongs to the worker until the block is published.
        const FilledBlock block = fill_(ahead_.get());
        std::unique_lock<std::mutex> lock(mutex_);
        aheadBlock_ = block;
        aheadReady_ = true;
        changed_.notify_all();
        if (block.last) {
            return;
        }
        changed_.wait(lock, [this] { return !aheadReady_ || stop_; });
        if (stop_) {
            return;
        }
    }
}

FilledBlock ReadAhead::next(std::unique_ptr<char[]>& buffer) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return aheadReady_; });
    if (aheadBlock_.last) {
        return aheadBlock_;  // stays ready: the worker has ended
    }
    std::swap(buffer, ahead_);
    aheadReady_ = false;
    changed_.notify_all();
    return aheadBlock_;
}

}  // namespace tessaly
