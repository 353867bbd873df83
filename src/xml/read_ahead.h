// Reading one block ahead on a worker thread. While the reader works through
// one block, the worker fills the other (the system call that copies the
// file and any translation of its bytes), so a large file costs its reader
// hardly more than the scan itself. Two buffers change hands: the reader
// gives its block back when it asks for the next one.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tessaly {

// One block as filled. The last block is empty: it marks the end of the
// input, or a failed read.
struct FilledBlock {
    std::size_t length = 0;
    bool last = false;
    bool failed = false;
};

class ReadAhead {
  public:
    // Fills the buffer it is given (blockSize bytes); called on the worker
    // thread only, one call at a time, until it returns the last block.
    using Fill = std::function<FilledBlock(char*)>;

    ReadAhead(std::size_t blockSize, Fill fill);
    // Stops the worker after the block it is filling; waits for it.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Waits for the next block and exchanges it for `buffer`, whose contents
    // the worker may overwrite from then on. Once the last block has come,
    // every call returns it again.
    FilledBlock next(std::unique_ptr<char[]>& buffer);

  private:
    void work();

    Fill fill_;
    std::unique_ptr<char[]> ahead_;
    FilledBlock aheadBlock_;
    bool aheadReady_ = false;
    bool stop_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread worker_;  // last: starts once everything above is set
};

}  // namespace tessaly
