#include "mcp/group_tree.h"

#include <string>

#include "mcp/container.h"

namespace tessaly {

namespace {

constexpr std::size_t kRootAt = 6;
constexpr std::size_t kFileNodeSize = 8;
constexpr std::size_t kGroupHeaderSize = 17;  // and the name
constexpr std::uint32_t kLineEndStep = 3;     // 0x0D - 0x0A

bool isNode(const ByteView& tree, std::size_t at) {
    if (at + 4 > tree.size()) {
        return false;
    }
    const std::uint32_t tag = tree.probe().u32(at, "group tree node");
    return tag == fourCc("FILE") || tag == fourCc("GRUP");
}

// A group and where its child count lies.
struct Counted {
    std::size_t node;  // its place among the nodes
    std::size_t countAt;
};

// The nodes that follow one another from the root, each group's name
// length decided by what follows it; cut when a node runs past the end.
struct Scan {
    std::vector<Counted> groups;
    std::size_t nodes = 0;
    bool cut = false;
};

Scan scanNodes(const ByteView& tree) {
    Scan scan;
    for (std::size_t at = kRootAt; at + 4 <= tree.size(); ++scan.nodes) {
        const std::uint32_t tag = tree.probe().u32(at, "group tree node");
        if (tag == fourCc("FILE")) {
            at += kFileNodeSize;
            scan.cut = at > tree.size();
            continue;
        }
        if (tag != fourCc(scan.nodes == 0 ? "ROOT" : "GRUP")) {
            break;
        }
        if (at + kGroupHeaderSize > tree.size()) {
            scan.cut = true;
            break;
        }
        const std::size_t length = tree.u8(
            at + 12, "group name",
            [&](std::uint32_t length) {
                const std::size_t next = at + kGroupHeaderSize + length;
                return next == tree.size() || isNode(tree, next);
            },
            Use::IfUsed);
        scan.groups.push_back({scan.nodes, at + 13 + length});
        at += kGroupHeaderSize + length;
        scan.cut = at > tree.size();
    }
    return scan;
}

// Each restored count adds three children. For the tree to hold all `nodes`
// nodes, the counts must add up to nodes - 1, which says how many of the
// open counts were restored; while every group stays open until its last
// node, some must be restored early enough. The restored ones are decided
// when the earliest and the latest choice agree.
void decideChildCounts(const ByteView& tree, const std::vector<Counted>& groups,
                       std::size_t nodes) {
    Restoration* restoration = tree.restoration();
    std::vector<std::int64_t> added(nodes, -1);  // children less one, as read
    std::vector<std::size_t> open;               // of groups
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const std::vector<std::uint32_t> counts = tree.values(groups[i].countAt, 4);
        if (counts.size() > 2 || (counts.size() == 2 && counts[1] != counts[0] + kLineEndStep)) {
            return;
        }
        added[groups[i].node] = std::int64_t(counts[0]) - 1;
        if (counts.size() == 2) {
            open.push_back(i);
        }
    }
    std::int64_t sum = 1;
    std::vector<std::int64_t> pending(nodes);  // groups still open after each node
    for (std::size_t j = 0; j < nodes; ++j) {
        sum += added[j];
        pending[j] = sum;
    }
    if (open.empty() || (-pending[nodes - 1]) % kLineEndStep != 0 || pending[nodes - 1] > 0) {
        return;
    }
    if (pending[nodes - 1] != 0) {
        restoration->misfit();  // as the counts read, the tree ends before its last node
    }
    const std::size_t restored = static_cast<std::size_t>(-pending[nodes - 1] / kLineEndStep);
    if (restored > open.size()) {
        return;
    }
    // needed[m]: how many of the first m + 1 open counts must be restored.
    std::vector<std::int64_t> needed(open.size(), 0);
    for (std::size_t j = 0, m = 0; j + 1 < nodes; ++j) {
        while (m + 1 < open.size() && groups[open[m + 1]].node <= j) {
            ++m;
        }
        if (groups[open[0]].node > j) {
            if (pending[j] < 1) {
                return;
            }
            continue;
        }
        const std::int64_t short_ = 1 - pending[j];
        needed[m] = std::max(needed[m], (short_ + 2) / std::int64_t(kLineEndStep));
    }
    std::int64_t least = 0;  // restored among the first m + 1, at the least
    for (std::size_t m = 0; m < open.size(); ++m) {
        least = std::max(least, needed[m]);
        const std::int64_t earliest = std::int64_t(std::min(m + 1, restored));
        const std::int64_t latest = std::max<std::int64_t>(
            least, std::int64_t(restored) - std::int64_t(open.size() - m - 1));
        if (least > earliest || latest != earliest) {
            return;
        }
    }
    for (std::size_t m = 0; m < open.size(); ++m) {
        const std::size_t at = tree.start() + groups[open[m]].countAt;
        const std::vector<std::uint32_t> counts = tree.values(groups[open[m]].countAt, 4);
        restoration->settle({at, 4}, m < restored ? counts[1] : counts[0]);
    }
}

class TreeReader {
  public:
    TreeReader(const ByteView& tree, FileReferences& references)
        : tree_(tree), references_(references) {}

    std::vector<GroupItem> read() {
        std::size_t at = kRootAt;
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
           record.size() >= kRootAt + 4 &&
           record.probe().u32(kRootAt, "group tree node") == fourCc("ROOT") &&
           !scanNodes(record.probe()).cut;
}

std::vector<GroupItem> readGroupTree(const ByteView& tree, FileReferences& references) {
    if (tree.restoration() != nullptr) {
        const Scan scan = scanNodes(tree);
        decideChildCounts(tree, scan.groups, scan.nodes);
    }
    return TreeReader(tree, references).read();
}

}  // namespace tessaly
