// The parts of a binary project that make up its export:
//   "mtgl" 1000: u32 count, entries of 0x218 bytes (+0 u32 name, +4 u8 the
//     target's number, the id of its "mtpi", "mtpl", "mtlo" and "mstp");
//   "moti" 0: u32 count, 5-byte entries (u8 kind, 0 a target; u32 name), the
//     target order; older files have none and keep the target list's order;
//   "mtpi"/"mtpl": u32 count, u32 capacity / 40-byte file entries (+0x00
//     u32 reference, +0x04 u32 name, +0x08 u8 path type, +0x09 u8 path
//     format, +0x0C u32 the id of the access path a file stored by path
//     lies on, +0x12 u8 kind, +0x1C u32 flags); "mtlo": the link order, u32
//     references;
//   "mstp": u32 count, 6-byte entries whose first byte is a target number;
//   "PLst" named "Project File List": the group tree (group_tree.h);
//   "pref": a settings panel, named "<target>:<panel>" in string table 0.
// Names are string numbers of table 1000, group names excepted.
// Their constraints, against a line-end conversion: a list chunk is its
// count of entries long (the target list, target order, subtarget list; a
// file list holds the capacity that "mtpi" gives, and a link order one
// reference per file, or none); target numbers grow along the target list;
// a target's name has panels of its own; a file's name is no other file's
// of its target; references grow along a file list, their top byte the
// target's number; path types are 1 or 2, formats 1 to 3, kinds 0 to 4,
// flags bits 0 and 2; a target order and a subtarget list name targets of
// the list. Chunks found by name are named_chunks.h's, the pairing of file
// references file_references.h's.
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "mcp/added_cr.h"
#include "mcp/binary_project.h"
#include "mcp/container.h"
#include "mcp/file_references.h"
#include "mcp/group_tree.h"
#include "mcp/named_chunks.h"
#include "mcp/panel_readers.h"
#include "mcp/restoration.h"
#include "mcp/string_table.h"

namespace tessaly {

namespace {

constexpr std::uint32_t kTargetTable = 1000;
constexpr std::uint32_t kPanelTable = 0;
constexpr std::size_t kTargetEntrySize = 0x218;
constexpr std::size_t kFileEntrySize = 40;
constexpr std::size_t kOrderEntrySize = 5;
constexpr std::size_t kSubTargetEntrySize = 6;
constexpr std::size_t kFileCountsSize = 16;  // "mtpi"

// A list chunk of `count` entries of `entrySize` bytes after the count.
bool holdsEntries(std::size_t size, std::uint64_t count, std::size_t entrySize) {
    return 4 + count * entrySize == size;
}

ChunkFits countedList(std::size_t entrySize) {
    return [entrySize](const ByteView& chunk) {
        return chunk.allows(0, 4, [&](std::uint32_t count) {
            return holdsEntries(chunk.size(), count, entrySize);
        });
    };
}

// A list chunk: a u32 count, then `count` entries of `entrySize` bytes.
ByteView countedEntries(const ByteView& chunk, std::size_t entrySize, const char* what) {
    const std::uint64_t count = chunk.u32(
        0, what, [&](std::uint32_t count) { return holdsEntries(chunk.size(), count, entrySize); });
    return chunk.part(4, count * entrySize, what, what);
}

class Reader {
  public:
    // `onDisk` tells a file's folder where the bytes leave two open.
    Reader(std::string_view file, Restoration* restoration, const FileOnDisk& onDisk = {})
        : onDisk_(onDisk),
          fileSize_(file.size()),
          container_(file, restoration),
          names_(container_, kTargetTable),
          panelNames_(container_, kPanelTable),
          named_(container_, panelNames_, restoration) {}

    BinaryProject read() {
        readPartNames();
        readTargets();
        readTargetOrder();
        readGroups();
        references_.decide();
        tellUnnamedGroupFiles();
        project_.fileSize = fileSize_;
        return std::move(project_);
    }

  private:
    // The names of the project's panels and of its targets' linkers, from
    // the chunks named for certain. They are strings of the table that holds
    // the file names, and no file bears one (none of the shared projects'
    // 4,838 files does): a file name that a conversion leaves between such a
    // string and another is the other.
    void readPartNames() {
        for (const auto& [panel, chunk] : named_.certainPanels()) {
            partNames_.emplace(panel);
            if (panel == "Target Settings" && chunk->placed) {
                partNames_.emplace(linkerName(container_.data(*chunk)));
            }
        }
    }

    // The record of a panel of the target; null when the file holds none.
    const ByteView* panel(std::string_view target, std::string_view name) {
        const std::string full = std::string(target) + ":" + std::string(name);
        const Chunk* chunk = named_.find(full);
        return chunk == nullptr ? nullptr : &container_.data(*chunk, recordNamed(full));
    }

    // The targets' numbers first: they say which chunks are theirs.
    void readTargets() {
        const Chunk* list = container_.find(fourCc("mtgl"), kTargetTable);
        if (list == nullptr) {
            throwDamaged(Damage::Missing, "the target list is missing");
        }
        const ByteView entries = countedEntries(
            container_.data(*list, countedList(kTargetEntrySize)), kTargetEntrySize, "target list");
        std::int64_t previous = -1;
        for (std::size_t at = 0; at < entries.size(); at += kTargetEntrySize) {
            const std::size_t next = at + kTargetEntrySize + 4;
            const std::uint8_t number =
                entries.u8(at + 4, "target entry", [&](std::uint32_t number) {
                    return number > previous &&
                           (next >= entries.size() || number < entries.values(next, 1).back());
                });
            previous = number;
            numbers_.push_back(number);
        }
        const std::set<std::uint32_t> numbers(numbers_.begin(), numbers_.end());
        for (const std::uint32_t type :
             {fourCc("mtpi"), fourCc("mtpl"), fourCc("mtlo"), fourCc("mstp")}) {
            container_.settleIds(type, numbers);
        }
        for (std::size_t i = 0; i < numbers_.size(); ++i) {
            const std::size_t at = i * kTargetEntrySize;
            BinaryTarget target;
            target.name =
                names_.text(entries.u32(at, "target entry",
                                        [&](std::uint32_t name) { return hasPanels(name); }),
                            "target");
            targetNames_.emplace(numbers_[i], target.name);
            targetNameNumbers_.insert(entries.values(at, 4).front());
            readFiles(target, numbers_[i]);
            readSettings(target);
            folders_.decide(target, onDisk_);
            project_.targets.push_back(std::move(target));
        }
        folders_.finish();
        for (std::size_t i = 0; i < numbers_.size(); ++i) {
            readSubTargets(project_.targets[i], numbers_[i]);
        }
    }

    // Every target has its Access Paths panel.
    bool hasPanels(std::uint32_t name) const {
        const std::string_view* text = names_.peek(name);
        if (text == nullptr) {
            return false;
        }
        return named_.mayExist(std::string(*text) + ":Access Paths");
    }

    // The link order holds a reference for each file of the list, or none.
    void readFiles(BinaryTarget& target, std::uint8_t number) {
        const Chunk* info = container_.find(fourCc("mtpi"), number);
        const Chunk* list = container_.find(fourCc("mtpl"), number);
        const Chunk* order = container_.find(fourCc("mtlo"), number);
        const ByteView* counts =
            info == nullptr ? nullptr : &container_.data(*info, [](const ByteView& chunk) {
                return chunk.size() == kFileCountsSize;
            });
        const ByteView* links =
            order == nullptr ? nullptr : &container_.data(*order, [&](const ByteView& chunk) {
                return chunk.size() == 0 ||
                       (counts != nullptr && counts->allows(0, 4, [&](std::uint32_t count) {
                           return 4 * std::uint64_t(count) == chunk.size();
                       }));
            });
        if (counts != nullptr && list != nullptr) {
            const ByteView& files = container_.data(*list, [&](const ByteView& chunk) {
                return counts->allows(4, 4, [&](std::uint32_t capacity) {
                    return std::uint64_t(capacity) * kFileEntrySize == chunk.size();
                });
            });
            const std::uint64_t count = counts->u32(0, "file count", [&](std::uint32_t count) {
                const std::uint64_t size = count * std::uint64_t(kFileEntrySize);
                return size <= files.size() &&
                       (links == nullptr || links->size() == 0 || links->size() == 4 * count);
            });
            const ByteView entries =
                files.part(0, count * kFileEntrySize, "file list", "file list");
            readFileEntries(target, entries, number);
        }
        if (links != nullptr) {
            const std::size_t list = references_.list(FileReferences::ListKind::LinkOrder);
            for (std::size_t at = 0; at + 4 <= links->size(); at += 4) {
                references_.use(*links, at, list);
                target.linkOrder.push_back(links->probe().u32(at, "link order"));
            }
        }
    }

    void readFileEntries(BinaryTarget& target, const ByteView& entries, std::uint8_t number) {
        std::unordered_set<std::uint32_t> certainNames;
        const auto certain = [&](std::size_t at) {
            if (entries.values(at + 4, 4).size() == 1) {
                certainNames.insert(entries.probe().u32(at + 4, "file entry"));
            }
        };
        for (std::size_t at = 0; entries.restoration() != nullptr && at < entries.size();
             at += kFileEntrySize) {
            certain(at);
        }
        // A name decided is no other file's: twice along the list, so that
        // one decided late serves an earlier file too.
        for (int pass = 0; pass < 2 && entries.restoration() != nullptr; ++pass) {
            for (std::size_t at = 0; at < entries.size(); at += kFileEntrySize) {
                if (entries.values(at + 4, 4).size() > 1) {
                    fileName(entries, at, certainNames);
                    certain(at);
                }
            }
        }
        std::int64_t previous = -1;
        for (std::size_t at = 0; at < entries.size(); at += kFileEntrySize) {
            BinaryFile file;
            file.reference = entries.u32(
                at, "file entry",
                [&](std::uint32_t reference) {
                    const std::size_t next = at + kFileEntrySize;
                    return reference >> 24 == number && reference > previous &&
                           (next >= entries.size() || reference < entries.values(next, 4).back());
                },
                Use::IfUsed);
            previous = entries.probe().u32(at, "file entry");
            file.name = names_.text(fileName(entries, at, certainNames), "file");
            file.pathType = entries.u8(at + 8, "file entry",
                                       [](std::uint32_t type) { return type == 1 || type == 2; });
            file.pathFormat = entries.u8(at + 9, "file entry", [](std::uint32_t format) {
                return format >= 1 && format <= 3;
            });
            if (file.pathType == 2) {
                file.folder = entries.probe().u32(at + 0x0C, "file entry");  // not used
            } else {
                file.folder = entries.u32(
                    at + 0x0C, "file entry", [](std::uint32_t) { return true; }, Use::IfUsed);
                folders_.folder(entries, at + 0x0C, target.files.size());
            }
            file.kind = entries.u8(
                at + 0x12, "file entry", [](std::uint32_t kind) { return kind <= 4; },
                Use::ExportOnly);
            file.flags = entries.u32(
                at + 0x1C, "file entry", [](std::uint32_t flags) { return (flags & ~5u) == 0; },
                Use::ExportOnly);
            references_.holder(entries, at, file, at / kFileEntrySize,
                               certainPlace(entries, at, file));
            target.files.push_back(std::move(file));
        }
    }

    // Where a file stored by path lies, as far as its entry tells for
    // certain: no byte of its name, path type, format or access path open.
    static std::optional<FilePlace> certainPlace(const ByteView& entries, std::size_t at,
                                                 const BinaryFile& file) {
        for (const auto& [offset, size] :
             {std::pair(4, 4), std::pair(8, 1), std::pair(9, 1), std::pair(0x0C, 4)}) {
            if (entries.values(at + offset, size).size() != 1) {
                return std::nullopt;
            }
        }
        if (file.pathType != 1) {
            return std::nullopt;
        }
        const std::size_t end = file.name.find_last_of(file.pathFormat == 1 ? ":" : "/\\");
        return FilePlace{file.folder,
                         file.name.substr(0, end == std::string_view::npos ? 0 : end + 1)};
    }

    // A file's name is a string, and no other file's of its target. Where
    // two of them still fit, the order of the list decides if it can: files
    // are listed as they were added (their references grow along the list),
    // and a name new to the project gets the next string number then, so
    // between two files whose certain names leave one string between them
    // the file's name is that one. Only so close a run counts: a list often
    // holds files whose names were known before, and the looser test (a name
    // between its neighbours', or past the one neighbour's at an end of the
    // list) takes a wrong name there about one time in 50 on the file lists
    // of the projects at hand, this one about once in 300.
    std::uint32_t fileName(const ByteView& entries, std::size_t at,
                           const std::unordered_set<std::uint32_t>& certainNames) const {
        const auto fits = [&](std::uint32_t name) {
            return names_.holds(name) && !certainNames.contains(name) &&
                   !partNames_.contains(*names_.peek(name));
        };
        entries.u32(at + 4, "file entry", fits, Use::IfUsed);
        const auto neighbour = [&](std::size_t other) -> std::optional<std::uint32_t> {
            const std::vector<std::uint32_t> names = entries.values(other + 4, 4);
            return names.size() == 1 ? std::optional(names.front()) : std::nullopt;
        };
        const bool first = at == 0;
        const bool last = at + kFileEntrySize == entries.size();
        const auto before = first ? std::nullopt : neighbour(at - kFileEntrySize);
        const auto after = last ? std::nullopt : neighbour(at + kFileEntrySize);
        // A name out of its neighbours' order as it reads, and in it with a
        // CR, shows a conversion (for one of part of the file it may be the
        // only sign), though the order decides nothing.
        entries.tellBroken(at + 4, 4, [&](std::uint32_t name) {
            return fits(name) && (before || first) && (after || last) && !(first && last) &&
                   (first || *before < name) && (last || name < *after);
        });
        return entries.u32(at + 4, "file entry", [&](std::uint32_t name) {
            return fits(name) && before && after && *before + 1 == name && name + 1 == *after;
        });
    }

    void readSettings(BinaryTarget& target) {
        std::vector<std::string> unread;
        if (const ByteView* record = panel(target.name, "Source Trees")) {
            if (const std::size_t trees = sourceTreeCount(*record)) {
                unread.push_back(std::to_string(trees) + " source trees");
            }
        }
        if (const ByteView* record = panel(target.name, "Access Paths")) {
            target.accessPaths = readAccessPathsPanel(*record, names_, unread, folders_);
        } else {
            unread.push_back("the Access Paths panel (the file holds none)");
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
        const ByteView entries =
            countedEntries(container_.data(*list, countedList(kSubTargetEntrySize)),
                           kSubTargetEntrySize, "subtarget list");
        for (std::size_t at = 0; at < entries.size(); at += kSubTargetEntrySize) {
            const std::uint8_t sub = entries.u8(
                at, "subtarget entry",
                [&](std::uint32_t sub) { return targetNames_.contains(std::uint8_t(sub)); },
                Use::ExportOnly);
            const auto it = targetNames_.find(sub);
            if (it == targetNames_.end()) {
                throwDamaged(Damage::UnknownName, "a subtarget names target " +
                                                      std::to_string(sub) +
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
        const ByteView entries = countedEntries(
            container_.data(*order, countedList(kOrderEntrySize)), kOrderEntrySize, "target order");
        for (std::size_t at = 0; at < entries.size(); at += kOrderEntrySize) {
            if (entries.u8(
                    at, "target order entry", [](std::uint32_t) { return true; },
                    Use::ExportOnly) == 0) {
                const std::uint32_t name = entries.u32(
                    at + 1, "target order entry",
                    [&](std::uint32_t name) { return targetNameNumbers_.contains(name); },
                    Use::ExportOnly);
                project_.targetOrder.push_back(names_.text(name, "target order"));
            }
        }
    }

    void readGroups() {
        const Chunk* chunk = named_.find(std::string(kGroupTreeRecord.name));
        if (chunk == nullptr || chunk->type != fourCc("PLst")) {
            return;
        }
        project_.groups =
            readGroupTree(container_.data(*chunk, kGroupTreeRecord.mayBe), references_);
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

    FileOnDisk onDisk_;
    std::size_t fileSize_;
    Container container_;
    StringTable names_;
    StringTable panelNames_;
    NamedChunks named_;
    std::set<std::string, std::less<>> partNames_;  // of panels and linkers
    std::map<std::uint8_t, std::string_view> targetNames_;
    std::unordered_set<std::uint32_t> targetNameNumbers_;
    std::vector<std::uint8_t> numbers_;
    FileReferences references_;
    AccessPathFolders folders_;
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

namespace {

// The file is read twice when it shows a line-end conversion: once to
// decide its bytes, then, restored, as they are (the restoration frozen, so
// that a part that no reading uses and that stays undecided is still known
// as such: a chunk whose place is open is not held to the others'). An intact file is read once,
// unless a byte that reads LF was looked at: that first reading may have followed a value the file
// does not hold.
BinaryProject readRestoringLineEnds(std::string& file, const FileOnDisk& onDisk) {
    Restoration restoration(file, orderOf(file));
    std::optional<DamagedProjectError> damage;
    std::optional<BinaryProject> first;
    try {
        first = Reader(file, &restoration, onDisk).read();
    } catch (const DamagedProjectError& error) {
        damage = error;
    }
    if (!restoration.showsConversion()) {
        if (damage) {
            throw *damage;
        }
        return restoration.sawLf() ? Reader(file, nullptr).read() : std::move(*first);
    }
    if (restoration.undecidable() != 0) {
        throw DamagedProjectError(Damage::LineEnds, "", restoration.undecidable());
    }
    if (damage) {
        throw *damage;
    }
    first.reset();
    restoration.finishTexts();
    restoration.freeze();
    BinaryProject project = Reader(file, &restoration).read();
    project.restoredBytes = restoration.restored();
    project.unrestoredForExport = restoration.undecidableForExport();
    return project;
}

}  // namespace

// A file that a conversion grew by a CR before each LF is read once those
// CR bytes are gone, as any file, so that a conversion of its CR bytes into
// LF before (the file as a Mac OS client checked it in) is undone too.
BinaryProject readBinaryProject(std::string& file, const FileOnDisk& onDisk) {
    if (!showsCrAddedBeforeLf(file)) {
        return readRestoringLineEnds(file, onDisk);
    }
    const std::size_t removed = removeCrBeforeLf(file);
    BinaryProject project;
    try {
        project = readRestoringLineEnds(file, onDisk);
    } catch (const DamagedProjectError& error) {
        if (error.damage() == Damage::LineEnds) {
            throw;
        }
        throw DamagedProjectError(Damage::AddedCr, error.detail());
    }
    if (!endsWithItsIndex(file)) {
        throwDamaged(Damage::AddedCr, "chunk index does not end the file");
    }
    project.removedCrBytes = removed;
    return project;
}

}  // namespace tessaly
