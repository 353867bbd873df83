#include "mcp/group_tree.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>

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

constexpr std::size_t kNoFile = SIZE_MAX;

// The nodes that follow one another from the root, each group's name
// length decided by what follows it; cut when a node runs past the end.
struct Scan {
    std::vector<Counted> groups;
    std::vector<std::size_t> referenceAt;  // of each node; kNoFile for a group
    bool cut = false;

    std::size_t nodes() const { return referenceAt.size(); }
};

Scan scanNodes(const ByteView& tree) {
    Scan scan;
    for (std::size_t at = kRootAt; at + 4 <= tree.size();) {
        const std::uint32_t tag = tree.probe().u32(at, "group tree node");
        if (tag == fourCc("FILE")) {
            scan.referenceAt.push_back(at + 4);
            at += kFileNodeSize;
            scan.cut = at > tree.size();
            continue;
        }
        if (tag != fourCc(scan.nodes() == 0 ? "ROOT" : "GRUP")) {
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
        scan.groups.push_back({scan.nodes(), at + 13 + length});
        scan.referenceAt.push_back(kNoFile);
        at += kGroupHeaderSize + length;
        scan.cut = at > tree.size();
    }
    return scan;
}

// The child counts that a conversion may have changed, and what the tree
// asks of them. Each restored count adds three children. For the tree to
// hold all its nodes, the counts must add up to the nodes less one, which
// says how many of the open counts were restored; while every group stays
// open until its last node, some must be restored early enough.
struct OpenCounts {
    std::vector<std::size_t> groups;  // of the scan, in order
    std::vector<std::int64_t> least;  // restored among the first m + 1, at the least
    std::size_t restored = 0;
};

// The reference of the j-th node, a file, where no conversion can have
// changed it.
std::optional<std::uint32_t> certainReference(const ByteView& tree, const Scan& scan,
                                              std::size_t j) {
    if (scan.referenceAt[j] == kNoFile) {
        return std::nullopt;
    }
    const std::vector<std::uint32_t> values = tree.values(scan.referenceAt[j], 4);
    return values.size() == 1 ? std::optional(values.front()) : std::nullopt;
}

// The nodes of the tree: a tree may keep stale nodes after its last one,
// files it names already (one of the trees at hand repeats its last file),
// whereas no tree names a file twice.
std::size_t treeNodes(const ByteView& tree, const Scan& scan) {
    std::unordered_set<std::uint32_t> named;
    std::vector<bool> repeats(scan.nodes(), false);
    for (std::size_t j = 0; j < scan.nodes(); ++j) {
        if (const auto reference = certainReference(tree, scan, j)) {
            repeats[j] = !named.insert(*reference).second;
        }
    }
    std::size_t nodes = scan.nodes();
    while (nodes > 1 && repeats[nodes - 1]) {
        --nodes;
    }
    return nodes;
}

std::optional<OpenCounts> openCounts(const ByteView& tree, const Scan& scan) {
    const std::size_t nodes = treeNodes(tree, scan);
    OpenCounts open;
    std::vector<std::int64_t> added(nodes, -1);  // children less one, as read
    for (std::size_t i = 0; i < scan.groups.size(); ++i) {
        const std::vector<std::uint32_t> counts = tree.values(scan.groups[i].countAt, 4);
        if (counts.size() > 2 || (counts.size() == 2 && counts[1] != counts[0] + kLineEndStep)) {
            return std::nullopt;
        }
        added[scan.groups[i].node] = std::int64_t(counts[0]) - 1;
        if (counts.size() == 2) {
            open.groups.push_back(i);
        }
    }
    std::int64_t sum = 1;
    std::vector<std::int64_t> pending(nodes);  // children still to come after each node
    for (std::size_t j = 0; j < nodes; ++j) {
        sum += added[j];
        pending[j] = sum;
    }
    if (open.groups.empty() || (-pending[nodes - 1]) % kLineEndStep != 0 ||
        pending[nodes - 1] > 0) {
        return std::nullopt;
    }
    if (pending[nodes - 1] != 0) {
        tree.restoration()->misfit();  // as the counts read, the tree ends before its last node
    }
    open.restored = static_cast<std::size_t>(-pending[nodes - 1] / kLineEndStep);
    if (open.restored > open.groups.size()) {
        return std::nullopt;
    }
    const auto nodeOf = [&](std::size_t m) { return scan.groups[open.groups[m]].node; };
    std::vector<std::int64_t> needed(open.groups.size(), 0);
    for (std::size_t j = 0, m = 0; j + 1 < nodes; ++j) {
        while (m + 1 < open.groups.size() && nodeOf(m + 1) <= j) {
            ++m;
        }
        if (nodeOf(0) > j) {
            if (pending[j] < 1) {
                return std::nullopt;
            }
            continue;
        }
        const std::int64_t short_ = 1 - pending[j];
        needed[m] = std::max(needed[m], (short_ + 2) / std::int64_t(kLineEndStep));
    }
    std::int64_t least = 0;
    for (const std::int64_t need : needed) {
        least = std::max(least, need);
        open.least.push_back(least);
    }
    return open;
}

// Which of the open counts were restored, one flag each.
using Reading = std::vector<bool>;

bool treeHolds(const OpenCounts& open, const Reading& reading) {
    std::int64_t restored = 0;
    for (std::size_t m = 0; m < reading.size(); ++m) {
        restored += reading[m];
        if (restored < open.least[m]) {
            return false;
        }
    }
    return true;
}

// The one reading the counts allow: the earliest and the latest choice of
// counts to restore agree. None when they differ.
std::optional<Reading> onlyReading(const OpenCounts& open) {
    Reading reading;
    for (std::size_t m = 0; m < open.groups.size(); ++m) {
        const std::int64_t earliest = std::int64_t(std::min(m + 1, open.restored));
        const std::int64_t latest = std::max<std::int64_t>(
            open.least[m], std::int64_t(open.restored) - std::int64_t(open.groups.size() - m - 1));
        if (open.least[m] > earliest || latest != earliest) {
            return std::nullopt;
        }
        reading.push_back(std::int64_t(m) < earliest);
    }
    return reading;
}

// Every reading the counts allow, unless there are more than `most`.
std::vector<Reading> readings(const OpenCounts& open, std::size_t most) {
    std::size_t choices = 1;  // open.groups.size() choose open.restored, up to most + 1
    for (std::size_t i = 0; i < open.restored && choices <= most; ++i) {
        choices = choices * (open.groups.size() - i) / (i + 1);
    }
    if (choices > most) {
        return {};
    }
    Reading reading(open.groups.size(), false);
    std::fill_n(reading.begin(), open.restored, true);
    std::vector<Reading> all;
    do {
        if (treeHolds(open, reading)) {
            all.push_back(reading);
        }
    } while (std::prev_permutation(reading.begin(), reading.end()));
    return all;
}

// Files that stand together in one group: neighbours in the tree that were
// added one after another (the same target's references, serials one
// apart) or that lie in one folder. The pairs, by the first one's place;
// only references that no conversion can have changed count.
std::vector<std::size_t> filesTogether(const ByteView& tree, const Scan& scan,
                                       FileReferences& references) {
    std::vector<std::optional<std::uint32_t>> reference(scan.nodes());
    std::vector<std::optional<FilePlace>> place(scan.nodes());
    for (std::size_t j = 0; j < scan.nodes(); ++j) {
        reference[j] = certainReference(tree, scan, j);
        if (reference[j]) {
            place[j] = references.placeOf(*reference[j]);
        }
    }
    std::vector<std::size_t> pairs;
    for (std::size_t j = 0; j + 1 < scan.nodes(); ++j) {
        const auto& first = reference[j];
        const auto& second = reference[j + 1];
        const bool added =
            first && second && *second == *first + 1 && *second >> 24 == *first >> 24;
        if (added || (place[j] && place[j] == place[j + 1])) {
            pairs.push_back(j);
        }
    }
    return pairs;
}

// How many of those pairs a reading parts: the first file is the last of
// its group.
std::size_t partedPairs(const ByteView& tree, const Scan& scan, const OpenCounts& open,
                        const Reading& reading, const std::vector<std::size_t>& pairs) {
    std::vector<std::uint32_t> count(scan.nodes(), 0);
    for (const Counted& group : scan.groups) {
        count[group.node] = tree.values(group.countAt, 4).front();
    }
    for (std::size_t m = 0; m < reading.size(); ++m) {
        count[scan.groups[open.groups[m]].node] += reading[m] ? kLineEndStep : 0;
    }
    std::vector<bool> lastOfGroup(scan.nodes(), false);
    std::vector<std::uint32_t> childrenLeft;
    for (std::size_t j = 0; j < scan.nodes(); ++j) {
        if (!childrenLeft.empty()) {
            lastOfGroup[j] = --childrenLeft.back() == 0;
        }
        if (scan.referenceAt[j] == kNoFile) {
            childrenLeft.push_back(count[j]);
        }
        while (!childrenLeft.empty() && childrenLeft.back() == 0) {
            childrenLeft.pop_back();
        }
    }
    return std::size_t(
        std::count_if(pairs.begin(), pairs.end(), [&](std::size_t j) { return lastOfGroup[j]; }));
}

// Where the counts allow more than one reading, the files that stand
// together decide: the reading that parts the fewest of them, and at least
// two fewer than any other. A tree rarely parts one (3 of the 1,700 pairs
// in the 60 trees at hand, files added one after another, never two in
// one tree; none of files of one folder); moving three children from one
// group to another, as two counts that a conversion made alike allow,
// parts them more often. At most 64 readings are weighed.
std::optional<Reading> readingOfFilesTogether(const ByteView& tree, const Scan& scan,
                                              const OpenCounts& open, FileReferences& references) {
    constexpr std::size_t kMostReadings = 64;
    const std::vector<Reading> all = readings(open, kMostReadings);
    const std::vector<std::size_t> pairs = filesTogether(tree, scan, references);
    std::vector<std::size_t> parted;
    for (const Reading& reading : all) {
        parted.push_back(partedPairs(tree, scan, open, reading, pairs));
    }
    const auto best = std::min_element(parted.begin(), parted.end());
    for (std::size_t i = 0; i < parted.size(); ++i) {
        if (parted.begin() + i != best && parted[i] < *best + 2) {
            return std::nullopt;
        }
    }
    return best == parted.end() ? std::nullopt : std::optional(all[best - parted.begin()]);
}

void decideChildCounts(const ByteView& tree, const Scan& scan, FileReferences& references) {
    const std::optional<OpenCounts> open = openCounts(tree, scan);
    if (!open) {
        return;
    }
    std::optional<Reading> reading = onlyReading(*open);
    if (!reading) {
        reading = readingOfFilesTogether(tree, scan, *open, references);
    }
    if (!reading) {
        return;
    }
    for (std::size_t m = 0; m < reading->size(); ++m) {
        const std::size_t countAt = scan.groups[open->groups[m]].countAt;
        const std::vector<std::uint32_t> counts = tree.values(countAt, 4);
        tree.restoration()->settle({tree.start() + countAt, 4},
                                   (*reading)[m] ? counts[1] : counts[0]);
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
        decideChildCounts(tree, scanNodes(tree), references);
    }
    return TreeReader(tree, references).read();
}

}  // namespace tessaly
