// The parts of a binary project that make up its export:
//   "mtgl" 1000: u32 count, entries of 0x218 bytes (+0 u32 name, +4 u8 the
//     target's number, the id of its "mtpi", "mtpl", "mtlo" and "mstp");
//   "moti" 0: u32 count, 5-byte entries (u8 kind, 0 a target; u32 name), the
//     target order; older files have none and keep the target list's order;
//   "mtpi"/"mtpl": u32 count / 40-byte file entries (+0x00 u32 reference,
//     +0x04 u32 name, +0x08 u8 path type, +0x09 u8 path format, +0x0C u32
//     the id of the access path a file stored by path lies on, +0x12 u8
//     kind, +0x1C u32 flags); "mtlo": the link order, u32 references;
//   "mstp": u32 count, 6-byte entries whose first byte is a target number;
//   "PLst" named "Project File List": u16 1, u32 group count, then the group
//     tree in pre-order: a group is "ROOT" or "GRUP", u32 0, u32 id, u8 name
//     length, the name, u32 child count, the children; a file is "FILE",
//     u32 reference;
//   "pref": a settings panel, named "<target>:<panel>" in string table 0.
// Names are string numbers of table 1000, group names excepted.
#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "mcp/binary_project.h"
#include "mcp/container.h"
#include "mcp/panel_readers.h"
#include "mcp/string_table.h"

namespace tessaly {

namespace {

constexpr std::uint32_t kTargetTable = 1000;
constexpr std::uint32_t kPanelTable = 0;
constexpr std::size_t kTargetEntrySize = 0x218;
constexpr std::size_t kFileEntrySize = 40;
constexpr std::size_t kOrderEntrySize = 5;
constexpr std::size_t kSubTargetEntrySize = 6;

// A list chunk: a u32 count, then `count` entries of `entrySize` bytes.
ByteView countedEntries(const ByteView& chunk, std::size_t entrySize, const char* what) {
    const std::uint64_t count = chunk.u32(0, what);
    return chunk.part(4, count * entrySize, what, what);
}

class Reader {
  public:
    explicit Reader(std::string_view file)
        : fileSize_(file.size()),
          container_(file),
          names_(container_, kTargetTable),
          panelNames_(container_, kPanelTable) {
        indexPanels();
    }

    BinaryProject read() {
        readTargets();
        readTargetOrder();
        readGroups();
        tellUnnamedGroupFiles();
        project_.fileSize = fileSize_;
        return std::move(project_);
    }

  private:
    void indexPanels() {
        for (const Chunk& chunk : container_.chunks()) {
            if (chunk.type == fourCc("pref")) {
                if (const std::string_view* name = panelNames_.find(chunk.name)) {
                    panels_.emplace(std::string(*name), &chunk.data);
                }
            }
        }
    }

    const ByteView* panel(std::string_view target, const char* name) const {
        const auto it = panels_.find(std::string(target) + ":" + name);
        return it == panels_.end() ? nullptr : it->second;
    }

    void readTargets() {
        const Chunk* list = container_.find(fourCc("mtgl"), kTargetTable);
        if (list == nullptr) {
            throwDamaged("the target list is missing");
        }
        const ByteView entries = countedEntries(list->data, kTargetEntrySize, "target list");
        for (std::size_t at = 0; at < entries.size(); at += kTargetEntrySize) {
            BinaryTarget target;
            target.name = names_.text(entries.u32(at, "target entry"), "target");
            const std::uint8_t number = entries.u8(at + 4, "target entry");
            targetNames_.emplace(number, target.name);
            readFiles(target, number);
            readSettings(target);
            project_.targets.push_back(std::move(target));
            numbers_.push_back(number);
        }
        for (std::size_t i = 0; i < numbers_.size(); ++i) {
            readSubTargets(project_.targets[i], numbers_[i]);
        }
    }

    void readFiles(BinaryTarget& target, std::uint8_t number) {
        const Chunk* info = container_.find(fourCc("mtpi"), number);
        const Chunk* list = container_.find(fourCc("mtpl"), number);
        if (info != nullptr && list != nullptr) {
            const std::uint64_t count = info->data.u32(0, "file count");
            const ByteView entries =
                list->data.part(0, count * kFileEntrySize, "file list", "file list");
            for (std::size_t at = 0; at < entries.size(); at += kFileEntrySize) {
                BinaryFile file;
                file.reference = entries.u32(at, "file entry");
                file.name = names_.text(entries.u32(at + 4, "file entry"), "file");
                file.pathType = entries.u8(at + 8, "file entry");
                file.pathFormat = entries.u8(at + 9, "file entry");
                file.folder = entries.u32(at + 0x0C, "file entry");
                file.kind = entries.u8(at + 0x12, "file entry");
                file.flags = entries.u32(at + 0x1C, "file entry");
                target.files.push_back(std::move(file));
            }
        }
        if (const Chunk* order = container_.find(fourCc("mtlo"), number)) {
            for (std::size_t at = 0; at + 4 <= order->data.size(); at += 4) {
                target.linkOrder.push_back(order->data.u32(at, "link order"));
            }
        }
    }

    void readSettings(BinaryTarget& target) {
        std::vector<std::string> unread;
        if (const ByteView* record = panel(target.name, "Source Trees")) {
            if (const std::size_t trees = sourceTreeCount(*record)) {
                unread.push_back(std::to_string(trees) + " source trees");
            }
        }
        if (const ByteView* record = panel(target.name, "Access Paths")) {
            target.accessPaths = readAccessPathsPanel(*record, names_, unread);
        }
        if (const ByteView* record = panel(target.name, "Debugger Runtime")) {
            target.environment = readRuntimePanel(*record, unread);
        }
        if (const ByteView* record = panel(target.name, "C/C++ Compiler")) {
            target.compilerSettings = readCompilerPanel(*record, unread);
        }
        if (const ByteView* record = panel(target.name, "C/C++ Preprocessor")) {
            target.prefixText = readPreprocessorPanel(*record);
        }
        for (const char* name : kCommandLinePanels) {
            if (const ByteView* record = panel(target.name, name)) {
                target.commandLines.push_back({name, readCommandLinePanel(*record, name, unread)});
            }
        }
        const auto unplaced =
            std::count_if(target.files.begin(), target.files.end(), [&](const BinaryFile& file) {
                return file.pathType != 2 && folderOf(target, file) == nullptr;
            });
        if (unplaced != 0) {
            unread.push_back("the folder of " + std::to_string(unplaced) +
                             " files stored by path (looked for by name on the access paths)");
        }
        for (std::string& what : unread) {
            project_.unread.push_back({target.name, std::move(what)});
        }
    }

    void readSubTargets(BinaryTarget& target, std::uint8_t number) {
        const Chunk* list = container_.find(fourCc("mstp"), number);
        if (list == nullptr) {
            return;
        }
        const ByteView entries = countedEntries(list->data, kSubTargetEntrySize, "subtarget list");
        for (std::size_t at = 0; at < entries.size(); at += kSubTargetEntrySize) {
            const std::uint8_t sub = entries.u8(at, "subtarget entry");
            const auto it = targetNames_.find(sub);
            if (it == targetNames_.end()) {
                throwDamaged("a subtarget names target " + std::to_string(sub) +
                             ", which the target list lacks");
            }
            target.subTargets.push_back(it->second);
        }
    }

    void readTargetOrder() {
        const Chunk* order = container_.find(fourCc("moti"), 0);
        if (order == nullptr) {
            for (const BinaryTarget& target : project_.targets) {
                project_.targetOrder.push_back(target.name);
            }
            return;
        }
        const ByteView entries = countedEntries(order->data, kOrderEntrySize, "target order");
        for (std::size_t at = 0; at < entries.size(); at += kOrderEntrySize) {
            if (entries.u8(at, "target order entry") == 0) {
                project_.targetOrder.push_back(
                    names_.text(entries.u32(at + 1, "target order entry"), "target order"));
            }
        }
    }

    const Chunk* groupTree() const {
        for (const Chunk& chunk : container_.chunks()) {
            const std::string_view* name = panelNames_.find(chunk.name);
            if (chunk.type == fourCc("PLst") && name != nullptr && *name == "Project File List") {
                return &chunk;
            }
        }
        return nullptr;
    }

    // Iterative, so that no nesting depth can exhaust the stack.
    void readGroups() {
        const Chunk* chunk = groupTree();
        if (chunk == nullptr) {
            return;
        }
        const ByteView& tree = chunk->data;
        std::size_t at = 6;
        std::vector<std::uint32_t> childrenLeft;
        at = readGroupHeader(tree, at, fourCc("ROOT"), childrenLeft, nullptr);
        while (!childrenLeft.empty()) {
            if (childrenLeft.back() == 0) {
                childrenLeft.pop_back();
                if (!childrenLeft.empty()) {
                    project_.groups.push_back({GroupItem::Kind::Close, {}, 0});
                }
                continue;
            }
            --childrenLeft.back();
            if (tree.u32(at, "group tree node") == fourCc("FILE")) {
                project_.groups.push_back(
                    {GroupItem::Kind::File, {}, tree.u32(at + 4, "group tree file")});
                at += 8;
            } else {
                std::string_view name;
                at = readGroupHeader(tree, at, fourCc("GRUP"), childrenLeft, &name);
                project_.groups.push_back({GroupItem::Kind::Open, name, 0});
            }
        }
    }

    // A group may still list a file of a target that was deleted: no name is
    // stored for it, so the export cannot name it either.
    void tellUnnamedGroupFiles() {
        std::unordered_set<std::uint32_t> held;
        for (const BinaryTarget& target : project_.targets) {
            for (const BinaryFile& file : target.files) {
                held.insert(file.reference);
            }
        }
        std::size_t unnamed = 0;
        for (const GroupItem& item : project_.groups) {
            unnamed += item.kind == GroupItem::Kind::File && !held.contains(item.reference);
        }
        if (unnamed != 0) {
            project_.unread.push_back(
                {{}, std::to_string(unnamed) + " files of the group list that no target holds"});
        }
    }

    std::size_t readGroupHeader(const ByteView& tree, std::size_t at, std::uint32_t tag,
                                std::vector<std::uint32_t>& childrenLeft, std::string_view* name) {
        if (tree.u32(at, "group tree node") != tag) {
            throwDamaged("the group tree holds a node of unknown kind " +
                         fourCcText(tree.u32(at, "group tree node")));
        }
        const std::size_t length = tree.u8(at + 12, "group name");
        const std::string_view text = tree.bytes(at + 13, length, "group name");
        if (name != nullptr) {
            *name = text;
        }
        childrenLeft.push_back(tree.u32(at + 13 + length, "group child count"));
        return at + 17 + length;
    }

    std::size_t fileSize_;
    Container container_;
    StringTable names_;
    StringTable panelNames_;
    std::unordered_map<std::string, const ByteView*> panels_;
    std::map<std::uint8_t, std::string_view> targetNames_;
    std::vector<std::uint8_t> numbers_;
    BinaryProject project_;
};

}  // namespace

const BinaryAccessPath* folderOf(const BinaryTarget& target, const BinaryFile& file) {
    if (file.pathType == 2 || !target.accessPaths) {
        return nullptr;
    }
    for (const auto* list : {&target.accessPaths->user, &target.accessPaths->system}) {
        for (const BinaryAccessPath& path : *list) {
            if (path.id == file.folder) {
                return &path;
            }
        }
    }
    return nullptr;
}

BinaryProject readBinaryProject(const std::string& file) {
    return Reader(file).read();
}

}  // namespace tessaly
