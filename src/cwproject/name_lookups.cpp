#include "cwproject/name_lookups.h"

#include <utility>

namespace tessaly {

NameLookups::NameLookups(SerialWorker& worker, Search search)
    : worker_(worker), search_(std::move(search)) {}

NameLookups::~NameLookups() {
    std::unique_lock<std::mutex> lock(mutex_);
    answered_.wait(lock, [this] { return open_ == 0; });
}

void NameLookups::ask(const GroupNode& target, const std::string& fileName) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++open_;
    }
    try {
        post(target, fileName);
    } catch (...) {
        // Not posted (memory exhaustion): the question is not open.
        std::lock_guard<std::mutex> lock(mutex_);
        --open_;
        throw;
    }
}

void NameLookups::post(const GroupNode& target, const std::string& fileName) {
    worker_.post([this, &target, fileName] {
        std::string answer;
        std::exception_ptr failure;
        try {
            answer = search_(target, fileName);
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        --open_;
        answered_.notify_all();
        try {
            answers_.push_back(std::move(answer));
        } catch (...) {
            failure = std::current_exception();
        }
        // A failed search still closes its question: the asker gets the
        // failure instead of an answer.
        if (failure && !failure_) {
            failure_ = failure;
        }
    });
}

std::optional<std::string> NameLookups::takeAnswer(bool wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wait) {
        answered_.wait(lock, [this] { return !answers_.empty() || failure_; });
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

}  // namespace tessaly
