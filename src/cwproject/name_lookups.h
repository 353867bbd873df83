// Look-ups of files given by name, answered on a worker thread in the order
// they were asked. A look-up probes the disk once per include folder it
// tries, and the reader goes on parsing meanwhile. The worker starts with
// the first question, so an export without such references stays on one
// thread.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "output/group_node.h"

namespace tessaly {

class NameLookups {
  public:
    // Runs on the worker, one call at a time. It may read the target node
    // while the asking thread leaves that node alone.
    using Search = std::function<std::string(const GroupNode& target, const std::string& fileName)>;

    explicit NameLookups(Search search);
    // Waits for the search in progress; questions not yet started are dropped.
    ~NameLookups();
    NameLookups(const NameLookups&) = delete;
    NameLookups& operator=(const NameLookups&) = delete;

    void ask(const GroupNode& target, const std::string& fileName);
    // The answer to the oldest question not yet answered here: nothing when
    // it is not there yet and `wait` is false. Rethrows what the search
    // threw, after which no more questions are searched.
    std::optional<std::string> takeAnswer(bool wait);

  private:
    struct Question {
        const GroupNode* target;
        std::string fileName;
    };

    void work();

    Search search_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Question> questions_;
    std::deque<std::string> answers_;
    std::exception_ptr failure_;
    bool stop_ = false;
    std::thread worker_;
};

}  // namespace tessaly
