#include "cwproject/name_lookups.h"

#include <utility>

namespace tessaly {

NameLookups::NameLookups(Search search) : search_(std::move(search)) {}

NameLookups::~NameLookups() {
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

void NameLookups::ask(const GroupNode& target, const std::string& fileName) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        questions_.push_back(Question{&target, fileName});
    }
    changed_.notify_all();
    if (!worker_.joinable()) {
        worker_ = std::thread([this] { work(); });
    }
}

std::optional<std::string> NameLookups::takeAnswer(bool wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wait) {
        changed_.wait(lock, [this] { return !answers_.empty() || failure_; });
    }
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    if (answers_.empty()) {
        return std::nullopt;
    }
    std::string answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
}

void NameLookups::work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !questions_.empty() || stop_; });
        if (stop_) {
            return;
        }
        const Question question = std::move(questions_.front());
        questions_.pop_front();
        lock.unlock();
        std::string answer;
        std::exception_ptr failure;
        try {
            answer = search_(*question.target, question.fileName);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure) {
            failure_ = failure;
            changed_.notify_all();
            return;
        }
        answers_.push_back(std::move(answer));
        changed_.notify_all();
    }
}

}  // namespace tessaly
