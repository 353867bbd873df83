#include "cwproject/ordered_placement.h"

#include <optional>
#include <utility>

namespace tessaly {

OrderedPlacement::OrderedPlacement(SerialWorker& worker, NameLookups::Search search, Accept accept,
                                   Place place)
    : accept_(std::move(accept)), place_(std::move(place)), lookups_(worker, std::move(search)) {}

OrderedPlacement::~OrderedPlacement() {
    try {
        finish();
    } catch (...) {
        // Only memory exhaustion gets here.
    }
}

void OrderedPlacement::add(const std::string& targetName, const std::vector<std::string>& groupPath,
                           const std::string& path) {
    if (heldBack_.empty()) {
        if (accept_(path)) {
            place_(targetName, groupPath, path);
        }
        return;
    }
    if (accept_(path)) {
        heldBack_.push_back(HeldBack{targetName, groupPath, path, false});
    }
    placeReady(false);
}

void OrderedPlacement::addByName(const GroupNode& target, const std::string& fileName,
                                 const std::string& targetName,
                                 const std::vector<std::string>& groupPath) {
    lookups_.ask(target, fileName);
    heldBack_.push_back(HeldBack{targetName, groupPath, {}, true});
    placeReady(false);
}

void OrderedPlacement::finish() {
    placeReady(true);
}

void OrderedPlacement::placeReady(bool wait) {
    while (!heldBack_.empty()) {
        HeldBack& next = heldBack_.front();
        if (next.awaitsLookup) {
            std::optional<std::string> answer = lookups_.takeAnswer(wait);
            if (!answer) {
                return;
            }
            next.path = std::move(*answer);
            next.awaitsLookup = false;
            if (!accept_(next.path)) {
                heldBack_.pop_front();
                continue;
            }
        }
        place_(next.targetName, next.groupPath, next.path);
        heldBack_.pop_front();
    }
}

}  // namespace tessaly
