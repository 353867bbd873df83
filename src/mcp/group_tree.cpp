#include "mcp/group_tree.h"

#include <string>

#include "mcp/child_counts.h"
#include "mcp/container.h"
#include "mcp/group_nodes.h"

namespace tessaly {

namespace {

class TreeReader {
  public:
    TreeReader(const ByteView& tree, FileReferences& references)
        : tree_(tree), references_(references) {}

    std::vector<GroupItem> read() {
        std::size_t at = kGroupRootAt;
        at = readGroupHeader(at, fourCc("ROOT"), nullptr);
        while (!childrenLeft_.empty()) {
            if (childrenLeft_.back() == 0) {
                childrenLeft_.pop_back();
                lists_.pop_back();
                if (!childrenLeft_.empty()) {
                    items_.push_back({GroupItem::Kind::Close, {}, 0});
                }
                continue;
            }
            --childrenLeft_.back();
            if (tree_.u32(at, "group tree node") == fourCc("FILE")) {
                references_.use(tree_, at + 4, lists_.back());
                items_.push_back(
                    {GroupItem::Kind::File, {}, tree_.probe().u32(at + 4, "group tree file")});
                at += kFileNodeSize;
            } else {
                std::string_view name;
                at = readGroupHeader(at, fourCc("GRUP"), &name);
                items_.push_back({GroupItem::Kind::Open, name, 0});
            }
        }
        return std::move(items_);
    }

  private:
    std::size_t readGroupHeader(std::size_t at, std::uint32_t tag, std::string_view* name) {
        if (tree_.u32(at, "group tree node") != tag) {
            throwDamaged(Damage::Groups, "the group tree holds a node of unknown kind " +
                                             fourCcText(tree_.u32(at, "group tree node")));
        }
        const std::size_t length = tree_.u8(at + 12, "group name");
        const std::string_view text = tree_.bytes(at + 13, length, "group name");
        tree_.useText(text);
        if (name != nullptr) {
            *name = text;
        }
        lists_.push_back(references_.list(FileReferences::ListKind::Group));
        childrenLeft_.push_back(tree_.u32(at + 13 + length, "group child count"));
        return at + kGroupHeaderSize + length;
    }

    const ByteView& tree_;
    FileReferences& references_;
    std::vector<std::uint32_t> childrenLeft_;
    std::vector<std::size_t> lists_;  // of each open group's files
    std::vector<GroupItem> items_;
};

}  // namespace

bool mayBeGroupTree(const ByteView& record) {
    return record.allows(0, 2, [](std::uint32_t version) { return version == 1; }) &&
           record.size() >= kGroupRootAt + 4 &&
           record.probe().u32(kGroupRootAt, "group tree node") == fourCc("ROOT") &&
           !scanGroupNodes(record.probe()).cut;
}

std::vector<GroupItem> readGroupTree(const ByteView& tree, FileReferences& references) {
    if (tree.restoration() != nullptr) {
        decideChildCounts(tree, scanGroupNodes(tree), references);
    }
    return TreeReader(tree, references).read();
}

}  // namespace tessaly
