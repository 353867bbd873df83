#include "mcp/named_chunks.h"

#include <unordered_set>

#include "mcp/group_tree.h"
#include "mcp/panel_readers.h"

namespace tessaly {

const RecordKind kGroupTreeRecord = {"Project File List", mayBeGroupTree};

namespace {

// The settings panels that are read, besides the compilers' command lines.
const RecordKind kPanelRecords[] = {
    {"Access Paths", mayBeAccessPathsPanel},        {"C/C++ Compiler", mayBeCompilerPanel},
    {"C/C++ Preprocessor", mayBePreprocessorPanel}, {"Debugger Runtime", mayBeRuntimePanel},
    {"Source Trees", mayBeSourceTreesPanel},
};

bool isNamed(const Chunk& chunk) {
    return chunk.type == fourCc("pref") || chunk.type == fourCc("PLst");
}

// "<target>:<panel>".
bool namesPanel(std::string_view name, std::string_view panel) {
    return name.size() > panel.size() && name.ends_with(panel) &&
           name[name.size() - panel.size() - 1] == ':';
}

}  // namespace

bool (*recordNamed(std::string_view name))(const ByteView&) {
    if (name == kGroupTreeRecord.name) {
        return kGroupTreeRecord.mayBe;
    }
    for (const RecordKind& kind : kPanelRecords) {
        if (namesPanel(name, kind.name)) {
            return kind.mayBe;
        }
    }
    for (const std::string_view panel : kCommandLinePanels) {
        if (namesPanel(name, panel)) {
            return mayBeCommandLinePanel;
        }
    }
    return nullptr;
}

NamedChunks::NamedChunks(Container& container, const StringTable& names, Restoration* restoration)
    : container_(container), names_(names), restoration_(restoration) {
    const auto undecided = [&](const Chunk& chunk) {
        return restoration_ != nullptr && restoration_->undecided(Container::nameField(chunk));
    };
    std::unordered_set<std::uint32_t> certain;
    for (const Chunk& chunk : container_.chunks()) {
        if (isNamed(chunk) && !undecided(chunk)) {
            certain.insert(chunk.name);
        }
    }
    for (const Chunk& chunk : container_.chunks()) {
        if (!isNamed(chunk)) {
            continue;
        }
        if (!undecided(chunk)) {
            if (const std::string_view* name = names_.peek(chunk.name)) {
                named_.emplace(*name, &chunk);
            }
            continue;
        }
        const FieldAt field = Container::nameField(chunk);
        std::vector<std::uint32_t> fitting;
        for (const std::uint32_t number : restoration_->values(field)) {
            if (names_.holds(number) && !certain.contains(number)) {
                fitting.push_back(number);
            }
        }
        if (fitting.size() == 1) {
            restoration_->settle(field, fitting.front());
            named_.emplace(*names_.peek(fitting.front()), &chunk);
            continue;
        }
        for (const std::uint32_t number : fitting) {
            open_.emplace(*names_.peek(number), OpenName{&chunk, number, fitting});
        }
    }
}

std::vector<std::pair<std::string_view, const Chunk*>> NamedChunks::certainPanels() const {
    std::vector<std::pair<std::string_view, const Chunk*>> panels;
    for (const auto& [name, chunk] : named_) {
        if (const std::size_t colon = name.rfind(':'); colon != std::string::npos) {
            panels.emplace_back(std::string_view(name).substr(colon + 1), chunk);
        }
    }
    return panels;
}

const Chunk* NamedChunks::find(const std::string& name) {
    if (const auto it = named_.find(name); it != named_.end()) {
        names_.find(it->second->name);  // the text is used
        return it->second;
    }
    const auto [first, last] = open_.equal_range(name);
    std::vector<const OpenName*> fitting;
    for (auto it = first; it != last; ++it) {
        if (container_.mayHold(*it->second.chunk, recordNamed(name)) &&
            !mayBeOtherRecord(it->second, name)) {
            fitting.push_back(&it->second);
        }
    }
    if (fitting.size() == 1) {
        restoration_->settle(Container::nameField(*fitting.front()->chunk),
                             fitting.front()->number);
        named_.emplace(name, fitting.front()->chunk);
        return fitting.front()->chunk;
    }
    for (auto it = first; it != last; ++it) {
        restoration_->leaveOpen(Container::nameField(*it->second.chunk));
    }
    return first == last ? nullptr : first->second.chunk;
}

bool NamedChunks::mayBeOtherRecord(const OpenName& open, std::string_view name) const {
    for (const std::uint32_t other : open.numbers) {
        const std::string_view text = *names_.peek(other);
        const auto mayBe = recordNamed(text);
        if (text != name && mayBe != nullptr && container_.mayHold(*open.chunk, mayBe)) {
            return true;
        }
    }
    return false;
}

}  // namespace tessaly
