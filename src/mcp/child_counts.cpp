#include "mcp/child_counts.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_set>
#include <vector>

#include "mcp/restoration.h"

namespace tessaly {

namespace {

constexpr std::uint32_t kLineEndStep = 3;  // 0x0D - 0x0A

// The reference of the j-th node, a file, where no conversion can have
// changed it.
std::optional<std::uint32_t> certainReference(const ByteView& tree, const GroupNodes& scan,
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
std::size_t treeNodes(const ByteView& tree, const GroupNodes& scan) {
    std::unordered_set<std::uint32_t> named;
    std::vector<bool> repeats(scan.size(), false);
    for (std::size_t j = 0; j < scan.size(); ++j) {
        if (const auto reference = certainReference(tree, scan, j)) {
            repeats[j] = !named.insert(*reference).second;
        }
    }
    std::size_t nodes = scan.size();
    while (nodes > 1 && repeats[nodes - 1]) {
        --nodes;
    }
    return nodes;
}

// The child counts that a conversion may have changed, and what the tree
// asks of them. Each restored count adds three children. For the tree to
// hold all its nodes, the counts must add up to the nodes less one, which
// says how many of the open counts were restored; while every group stays
// open until its last node, some must be restored early enough.
struct OpenCounts {
    std::vector<std::size_t> groups;    // of the scan, in order
    std::vector<std::int64_t> least;    // restored among the first m + 1, at the least
    std::vector<std::uint32_t> counts;  // of each node as it reads; 0 for a file
    std::size_t restored = 0;
};

std::optional<OpenCounts> openCounts(const ByteView& tree, const GroupNodes& scan) {
    const std::size_t nodes = treeNodes(tree, scan);
    OpenCounts open;
    open.counts.assign(scan.size(), 0);
    std::vector<std::int64_t> added(nodes, -1);  // children less one, as read
    for (std::size_t i = 0; i < scan.groups.size(); ++i) {
        const std::vector<std::uint32_t> counts = tree.values(scan.groups[i].countAt, 4);
        if (counts.size() > 2 || (counts.size() == 2 && counts[1] != counts[0] + kLineEndStep)) {
            return std::nullopt;
        }
        open.counts[scan.groups[i].node] = counts[0];
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
std::vector<std::size_t> filesTogether(const ByteView& tree, const GroupNodes& scan,
                                       FileReferences& references) {
    std::vector<std::optional<std::uint32_t>> reference(scan.size());
    std::vector<std::optional<FilePlace>> place(scan.size());
    for (std::size_t j = 0; j < scan.size(); ++j) {
        reference[j] = certainReference(tree, scan, j);
        if (reference[j]) {
            place[j] = references.placeOf(*reference[j]);
        }
    }
    std::vector<std::size_t> pairs;
    for (std::size_t j = 0; j + 1 < scan.size(); ++j) {
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
std::size_t partedPairs(const GroupNodes& scan, const OpenCounts& open, const Reading& reading,
                        const std::vector<std::size_t>& pairs) {
    std::vector<std::uint32_t> count = open.counts;
    for (std::size_t m = 0; m < reading.size(); ++m) {
        count[scan.groups[open.groups[m]].node] += reading[m] ? kLineEndStep : 0;
    }
    std::vector<bool> lastOfGroup(scan.size(), false);
    std::vector<std::uint32_t> childrenLeft;
    for (std::size_t j = 0; j < scan.size(); ++j) {
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
std::optional<Reading> readingOfFilesTogether(const ByteView& tree, const GroupNodes& scan,
                                              const OpenCounts& open, FileReferences& references) {
    constexpr std::size_t kMostReadings = 64;
    const std::vector<Reading> all = readings(open, kMostReadings);
    const std::vector<std::size_t> pairs = filesTogether(tree, scan, references);
    std::vector<std::size_t> parted;
    for (const Reading& reading : all) {
        parted.push_back(partedPairs(scan, open, reading, pairs));
    }
    const auto best = std::min_element(parted.begin(), parted.end());
    for (std::size_t i = 0; i < parted.size(); ++i) {
        if (parted.begin() + i != best && parted[i] < *best + 2) {
            return std::nullopt;
        }
    }
    return best == parted.end() ? std::nullopt : std::optional(all[best - parted.begin()]);
}

}  // namespace

void decideChildCounts(const ByteView& tree, const GroupNodes& scan, FileReferences& references) {
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

}  // namespace tessaly
