#include "cwproject/ordered_placement.h"

#include <optional>
#include <utility>

namespace tessaly {

OrderedPlacement::OrderedPlacement(SerialWorker& worker, NameLookups::Search search, Accept accept,
                                   Place place, std::size_t mostHeldBack)
    : accept_(std::move(accept)),
      place_(std::move(place)),
      mostHeldBack_(mostHeldBack),
      lookups_(worker, std::move(search)) {}

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
        holdBack(HeldBack{targetName, groupPath, path, false});
    }
}

void OrderedPlacement::addByName(const GroupNode& target, const std::string& fileName,
                                 const std::string& targetName,
                                 const std::vector<std::string>& groupPath) {
    // Held back first: an answer must never come without its reference.
    heldBack_.push_back(HeldBack{targetName, groupPath, {}, true});
    try {
        lookups_.ask(target, fileName);
    } catch (...) {
        heldBack_.pop_back();
        throw;
    }
    placeHeldBack();
}

void OrderedPlacement::finish() {
    while (!heldBack_.empty()) {
        placeFront(true);
    }
}

void OrderedPlacement::holdBack(HeldBack reference) {
    heldBack_.push_back(std::move(reference));
    placeHeldBack();
}

void OrderedPlacement::placeHeldBack() {
    while (!heldBack_.empty() && placeFront(heldBack_.size() > mostHeldBack_)) {
    }
}

bool OrderedPlacement::placeFront(bool wait) {
    HeldBack& next = heldBack_.front();
    if (next.awaitsLookup) {
        std::optional<std::string> answer = lookups_.takeAnswer(wait);
        if (!answer) {
            return false;
        }
        next.path = std::move(*answer);
        next.awaitsLookup = false;
        if (!accept_(next.path)) {
            heldBack_.pop_front();
            return true;
        }
    }
    place_(next.targetName, next.groupPath, next.path);
    heldBack_.pop_front();
    return true;
}

}  // namespace tessaly
