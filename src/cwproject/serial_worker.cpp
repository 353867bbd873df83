#include "cwproject/serial_worker.h"

#include <system_error>
#include <utility>

namespace tessaly {

SerialWorker::~SerialWorker() {
    if (!worker_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void SerialWorker::post(Task task) {
    if (!worker_.joinable() && !onCallersThread_) {
        try {
            worker_ = std::thread([this] { work(); });
        } catch (const std::system_error&) {
            // No thread to be had (a limit on processes, say): every task is
            // done at once on the caller's thread, which keeps their order.
            onCallersThread_ = true;
        }
    }
    if (onCallersThread_) {
        runHere(task);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    changed_.notify_all();
}

void SerialWorker::runHere(const Task& task) {
    try {
        task();
    } catch (...) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!failure_) {
            failure_ = std::current_exception();
        }
    }
}

void SerialWorker::finish() {
    waitIdle();
    std::lock_guard<std::mutex> lock(mutex_);
    if (failure_) {
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
}

void SerialWorker::waitIdle() noexcept {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return tasks_.empty() && !busy_; });
}

void SerialWorker::work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !tasks_.empty() || stop_; });
        if (stop_) {
            return;
        }
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        busy_ = true;
        lock.unlock();
        std::exception_ptr failure;
        try {
            task();
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        busy_ = false;
        if (failure && !failure_) {
            failure_ = failure;
        }
        changed_.notify_all();
    }
}

}  // namespace tessaly
