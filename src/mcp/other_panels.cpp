// The smaller panels: "C/C++ Preprocessor" (the prefix text, from +0x16,
// ended by a NUL, with the IDE's line ends), "Debugger Runtime" (versions 2
// and 3: a 16-bit count at +0x02, the variables from +0x410, each ended by
// a NUL), "Source Trees" (a 16-bit count at +0x02; no file seen so far
// defines a tree, so their layout is not known) and the panels of the
// compilers for microcontrollers (version 0x0101: +0x04 u32 the offset of
// the command line, 0x28 in every file seen, +0x18 u32 its length with its
// NUL; the text, then 8 bytes).
// Their constraints, against a line-end conversion: the prefix text ends
// inside its record; the runtime panel is version 1, 2 or 3, of 1,040 or
// 1,296 bytes, and its count of variables is that of the texts before the
// first empty one (a variable is never empty); the source trees panel is
// version 2; a command line's panel is version 0x0101, and the text starts
// inside the record, its length with its NUL at +0x18.
#include <string>

#include "cwproject/line_ends.h"
#include "mcp/panel_readers.h"

namespace tessaly {

namespace {

constexpr std::size_t kPrefixTextAt = 0x16;
constexpr std::size_t kVariablesAt = 0x410;
constexpr std::uint16_t kCommandLineVersion = 0x0101;
constexpr std::size_t kCommandLineOffsetAt = 4;

bool isRuntimeVersion(std::uint32_t version) {
    return version >= 1 && version <= 3;
}

// Whether `count` variables are followed by an empty text or the record's end.
bool isVariableCount(const ByteView& panel, std::uint32_t count) {
    std::size_t at = kVariablesAt;
    for (std::uint32_t i = 0; i <= count; ++i) {
        if (at >= panel.size()) {
            return i == count;
        }
        const std::string_view text = panel.probe().cText(at, panel.size() - at, "variable");
        if (text.empty() != (i == count)) {
            return false;
        }
        at += text.size() + 1;
    }
    return true;
}

bool isCommandLineVersion(std::uint32_t version) {
    return version == kCommandLineVersion;
}

}  // namespace

bool mayBePreprocessorPanel(const ByteView& record) {
    return record.size() > kPrefixTextAt &&
           record.bytes(kPrefixTextAt, record.size() - kPrefixTextAt, "prefix text").find('\0') !=
               std::string_view::npos;
}

bool mayBeRuntimePanel(const ByteView& record) {
    return (record.size() == 1040 || record.size() == 1296) &&
           record.allows(0, 2, isRuntimeVersion);
}

bool mayBeCommandLinePanel(const ByteView& record) {
    return record.allows(0, 2, isCommandLineVersion) &&
           record.allows(kCommandLineOffsetAt, 4,
                         [&](std::uint32_t at) { return at < record.size(); });
}

bool mayBeSourceTreesPanel(const ByteView& record) {
    return record.allows(0, 2, [](std::uint32_t version) { return version == 2; });
}

std::string readPreprocessorPanel(const ByteView& panel) {
    panel.bytes(kPrefixTextAt, 0, "prefix text");  // where the text starts lies in the record
    return withLfLineEnds(panel.cText(kPrefixTextAt, panel.size() - kPrefixTextAt, "prefix text"));
}

std::vector<std::string_view> readRuntimePanel(const ByteView& panel,
                                               std::vector<std::string>& unread) {
    const std::uint16_t version = panel.u16(0, "panel version", isRuntimeVersion);
    const std::size_t count = panel.u16(2, "environment variable count", [&](std::uint32_t count) {
        return isVariableCount(panel, count);
    });
    std::vector<std::string_view> variables;
    if (count == 0) {
        return variables;
    }
    if (version != 2 && version != 3) {
        unread.push_back(std::to_string(count) +
                         " environment variables (Debugger Runtime panel version " +
                         std::to_string(version) + ")");
        return variables;
    }
    std::size_t at = kVariablesAt;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t room = at < panel.size() ? panel.size() - at : 0;
        const std::string_view text = panel.cText(at, room, "environment variable");
        if (text.size() == room) {
            panel.bytes(at, room + 1, "environment variable");  // no NUL: reports the damage
        }
        variables.push_back(text);
        at += text.size() + 1;
    }
    return variables;
}

std::string_view readCommandLinePanel(const ByteView& panel, std::string_view name,
                                      std::vector<std::string>& unread) {
    const std::uint16_t version = panel.u16(0, "panel version", isCommandLineVersion);
    if (version != kCommandLineVersion) {
        // Another version is read with the known layout where its text is
        // where that layout puts it, and told either way.
        const ByteView probe = panel.probe();
        const std::size_t at = panel.size() >= kCommandLineOffsetAt + 4
                                   ? probe.u32(kCommandLineOffsetAt, "command line offset")
                                   : panel.size();
        const bool fits =
            at < panel.size() &&
            probe.bytes(at, panel.size() - at, "command line").find('\0') != std::string_view::npos;
        unread.push_back((fits ? "layout of " : "the command line of ") + std::string(name) +
                         " version " + std::to_string(version) +
                         (fits ? " (read as version 257)" : ""));
        if (!fits) {
            return {};
        }
    }
    const std::size_t at = panel.u32(kCommandLineOffsetAt, "command line offset",
                                     [&](std::uint32_t at) { return at < panel.size(); });
    const std::size_t room = at < panel.size() ? panel.size() - at : 0;
    const std::string_view text = panel.cText(at, room, "command line");
    if (text.size() == room) {
        panel.bytes(at, room + 1, "command line");  // no NUL: reports the damage
    }
    return text;
}

std::size_t sourceTreeCount(const ByteView& panel) {
    return panel.u16(2, "source tree count");
}

// Version 10, 1,556 bytes in every file seen: the linker's name from +4, in
// a field of 64 bytes, ended by a NUL (a longer name before it may leave
// bytes after that).
std::string_view linkerName(const ByteView& panel) {
    constexpr std::size_t kLinkerAt = 4;
    constexpr std::size_t kLinkerField = 64;
    const ByteView record = panel.probe();
    if (record.size() < kLinkerAt + kLinkerField || record.u16(0, "panel version") != 10) {
        return {};
    }
    return record.cText(kLinkerAt, kLinkerField, "linker name");
}

}  // namespace tessaly
