// Look-ups of files given by name, run as tasks of the parse's serial worker
// and answered in the order they were asked. A look-up probes the disk once
// per include folder it tries, and the reader goes on parsing meanwhile. As
// the worker also builds the access path lists, in the order they were
// read, a look-up always searches complete lists.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "cwproject/serial_worker.h"
#include "output/group_node.h"

namespace tessaly {

class NameLookups {
  public:
    // Runs on the worker. It may read the target node's access path lists,
    // which nothing else touches while the group list is read.
    using Search = std::function<std::string(const GroupNode& target, const std::string& fileName)>;

    NameLookups(SerialWorker& worker, Search search);
    // Waits for the questions still open.
    ~NameLookups();
    NameLookups(const NameLookups&) = delete;
    NameLookups& operator=(const NameLookups&) = delete;

    void ask(const GroupNode& target, const std::string& fileName);
    // The answer to the oldest question not yet answered here: nothing when
    // it is not there yet and `wait` is false. Rethrows what a search threw.
    std::optional<std::string> takeAnswer(bool wait);

  private:
    // Hands the search to the worker.
    void post(const GroupNode& target, const std::string& fileName);

    SerialWorker& worker_;
    Search search_;
    std::mutex mutex_;
    std::condition_variable answered_;
    std::deque<std::string> answers_;
    std::size_t open_ = 0;  // asked, not yet answered
    std::exception_ptr failure_;
};

}  // namespace tessaly
