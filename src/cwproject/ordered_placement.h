// Places the group list's file references in document order while files
// given by name are looked up beside the parse. A reference that waits for a
// look-up holds back every reference read after it; they are placed, in
// order, as soon as the answer is there. Placement itself (the console line,
// the groups, the file entry) happens on the reader's thread only, and a
// reference that the extension filter refuses is dropped at once, since it
// would leave no trace.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "cwproject/name_lookups.h"
#include "output/group_node.h"

namespace tessaly {

class OrderedPlacement {
  public:
    using Accept = std::function<bool(const std::string& path)>;
    using Place =
        std::function<void(const std::string& targetName, const std::vector<std::string>& groupPath,
                           const std::string& path)>;

    // References held back at the most before the reader waits for the
    // oldest look-up: the reader may run ahead of a slow disk, but not
    // without bound (a few MB at this number).
    static constexpr std::size_t kMostHeldBack = 16384;

    OrderedPlacement(SerialWorker& worker, NameLookups::Search search, Accept accept, Place place,
                     std::size_t mostHeldBack = kMostHeldBack);
    // Places what is still held back, as finish() does, so that references
    // read before an error still land before it is reported; a failure while
    // doing so is dropped, the error already being on its way.
    ~OrderedPlacement();
    OrderedPlacement(const OrderedPlacement&) = delete;
    OrderedPlacement& operator=(const OrderedPlacement&) = delete;

    // A reference whose path is known.
    void add(const std::string& targetName, const std::vector<std::string>& groupPath,
             const std::string& path);
    // A reference to be looked up by name on `target`'s access paths.
    void addByName(const GroupNode& target, const std::string& fileName,
                   const std::string& targetName, const std::vector<std::string>& groupPath);
    // Places everything held back, waiting for the look-ups it needs.
    void finish();

  private:
    struct HeldBack {
        std::string targetName;
        std::vector<std::string> groupPath;
        std::string path;
        bool awaitsLookup;
    };

    void holdBack(HeldBack reference);
    // Places what is ready; waits for the oldest look-up while more than
    // the most are held back.
    void placeHeldBack();
    // Places or drops the oldest held-back reference; false, with nothing
    // done, when its look-up is not answered yet and `wait` is false.
    bool placeFront(bool wait);

    Accept accept_;
    Place place_;
    std::size_t mostHeldBack_;
    std::deque<HeldBack> heldBack_;
    NameLookups lookups_;
};

}  // namespace tessaly
