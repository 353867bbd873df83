// Work done for the parse on one worker thread, in the order it was posted:
// the appends to and expansions of the access path lists, and the look-ups
// of files given by name. Most of it waits on the disk (a folder listing, a
// status query per entry, a probe per folder tried), and the reader goes on
// parsing meanwhile. Because one thread does it all in order, every list is
// built, and every probe made, exactly as on the reader's own thread. The
// thread starts with the first task; where none can be started, the tasks
// run on the caller's thread as they are posted.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace tessaly {

class SerialWorker {
  public:
    using Task = std::function<void()>;

    SerialWorker() = default;
    // Finishes the task in progress; the ones not yet started are dropped.
    ~SerialWorker();
    SerialWorker(const SerialWorker&) = delete;
    SerialWorker& operator=(const SerialWorker&) = delete;

    void post(Task task);
    // Returns once every posted task has run. Rethrows the first exception a
    // task threw (memory exhaustion, nothing else is thrown); the tasks are
    // independent, so the others still ran.
    void finish();
    // The same wait, for a caller that is already handling an error.
    void waitIdle() noexcept;

  private:
    void work();
    void runHere(const Task& task);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Task> tasks_;
    bool busy_ = false;
    bool stop_ = false;
    bool onCallersThread_ = false;
    std::exception_ptr failure_;
    std::thread worker_;
};

}  // namespace tessaly
