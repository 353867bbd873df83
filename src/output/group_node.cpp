#include "output/group_node.h"

namespace tessaly {

GroupNode::~GroupNode() {
    // Unlink the subtree level by level, so that destroying a deep tree never
    // recurses once per level.
    std::vector<std::unique_ptr<GroupNode>> pending = std::move(children);
    while (!pending.empty()) {
        std::unique_ptr<GroupNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->children) {
            pending.push_back(std::move(child));
        }
        node->children.clear();
    }
}

GroupNode& GroupNode::addChild(std::unique_ptr<GroupNode> child) {
    children.push_back(std::move(child));
    GroupNode& added = *children.back();
    firstChildByName_.emplace(added.name, &added);  // an earlier namesake stays first
    return added;
}

GroupNode& GroupNode::findOrAddChild(const std::string& childName) {
    if (auto found = firstChildByName_.find(childName); found != firstChildByName_.end()) {
        return *found->second;
    }
    return addChild(std::make_unique<GroupNode>(childName));
}

const GroupNode* GroupNode::findChild(const std::string& childName) const {
    const auto found = firstChildByName_.find(childName);
    return found != firstChildByName_.end() ? found->second : nullptr;
}

}  // namespace tessaly
