// The "C/C++ Compiler" panel record. Every setting is one byte at a fixed
// place, the same in every version, written to the export as its decimal
// value, except the prefix file's name, a Pascal string. Which settings the
// export lists depends on the panel version (and for version 17 on the IDE
// that wrote it, which byte 320 tells): the table below, mapped by comparing
// records with the exports of the same projects.
// Its constraints, against a line-end conversion: the version is a known
// one and the record has that version's size (62 bytes for versions 13
// and 14, 320 for 16, 332 for 17 and 18); each setting is 0 or 1, but
// inlinelevel (0 to 8); byte 320 is 16, 17 or 18.
#include <string>

#include "mcp/panel_readers.h"

namespace tessaly {

namespace {

// The lists the export writes, one bit each: versions 13 and 14; version
// 16; version 17 as the earlier IDE writes it; version 17 as the later IDE
// writes it, and version 18.
enum List : unsigned { k14 = 1, k16 = 2, k17 = 4, k17Later = 8, kAll = 15 };

// A setting, where its byte lies (kPrefixName: the prefix file's name), and
// the lists that hold it. Every list is in this order.
struct Field {
    const char* name;
    std::size_t offset;
    unsigned lists;
};

constexpr std::size_t kPrefixName = 0;
constexpr std::size_t kShortPrefixAt = 9;  // in a 32-byte field
constexpr std::size_t kLongPrefixAt = 64;  // in a 256-byte field, from version 16 on
constexpr std::size_t kIdeMarkAt = 320;    // version 17: 17 for the later IDE, 16 before
constexpr std::uint8_t kLaterIdeMark = 17;
constexpr std::size_t kInlineLevelAt = 57;
constexpr std::uint32_t kSmartInlining = 8;

constexpr Field kFields[] = {
    {"cplusplus", 2, kAll},
    {"checkprotos", 3, kAll},
    {"arm", 4, kAll},
    {"trigraphs", 5, kAll},
    {"onlystdkeywords", 6, kAll},
    {"enumsalwaysint", 7, kAll},
    {"mpwpointerstyle", 8, k14 | k16},
    {"prefixname", kPrefixName, k14 | k16},
    {"ansistrict", 41, kAll},
    {"mpwcnewline", 42, k14 | k16},
    {"wchar_type", 43, kAll},
    {"enableexceptions", 44, kAll},
    {"dontreusestrings", 45, kAll},
    {"poolstrings", 46, kAll},
    {"dontinline", 47, kAll},
    {"useRTTI", 48, kAll},
    {"multibyteaware", 49, k14 | k16},
    {"unsignedchars", 50, kAll},
    {"autoinline", 51, kAll},
    {"booltruefalse", 52, kAll},
    {"direct_to_som", 53, k14},
    {"som_env_check", 54, k14},
    {"alwaysinline", 55, k14},
    {"inlinelevel", kInlineLevelAt, kAll},  // 8 ("smart") is met here, and in no other setting
    {"ecplusplus", 58, kAll},
    {"objective_c", 59, k14 | k16},
    {"defer_codegen", 60, k14 | k16 | k17},
    {"templateparser", 61, k16 | k17 | k17Later},
    {"c99", 62, k16 | k17 | k17Later},
    {"bottomupinline", 63, k16 | k17 | k17Later},
    {"gcc_extensions", 321, k17 | k17Later},
    {"instance_manager", 322, k17 | k17Later},
    {"ipa_mode", 323, k17Later},
};

List listOf(std::uint16_t version, const ByteView& panel) {
    if (version <= 14) {
        return k14;
    }
    if (version <= 16) {
        return k16;
    }
    const bool laterIde = version > 17 || (panel.size() > kIdeMarkAt &&
                                           panel.u8(kIdeMarkAt, "panel", [](std::uint32_t mark) {
                                               return mark >= 16 && mark <= 18;
                                           }) == kLaterIdeMark);
    return laterIde ? k17Later : k17;
}

bool isKnownVersion(std::uint32_t version) {
    return version >= 13 && version != 15 && version <= 18;
}

std::size_t sizeOf(std::uint32_t version) {
    return version <= 14 ? 62 : version == 16 ? 320 : 332;
}

bool isKnownRecord(std::uint32_t version, std::size_t size) {
    return isKnownVersion(version) && sizeOf(version) == size;
}

bool isSettingValue(std::size_t offset, std::uint32_t value) {
    return value <= (offset == kInlineLevelAt ? kSmartInlining : 1u);
}

std::string prefixName(const ByteView& panel, std::uint16_t version) {
    if (version >= 16) {
        return std::string(panel.pascalText(kLongPrefixAt, 256, "prefix file name"));
    }
    return std::string(panel.pascalText(kShortPrefixAt, 32, "prefix file name"));
}

}  // namespace

bool mayBeCompilerPanel(const ByteView& record) {
    return record.allows(
        0, 2, [&](std::uint32_t version) { return isKnownRecord(version, record.size()); });
}

std::vector<BinarySetting> readCompilerPanel(const ByteView& panel,
                                             std::vector<std::string>& unread) {
    const std::uint16_t version = panel.u16(0, "panel version", [&](std::uint32_t version) {
        return isKnownRecord(version, panel.size());
    });
    const bool known = isKnownVersion(version);
    if (!known) {
        unread.push_back("layout of C/C++ Compiler panel version " + std::to_string(version) +
                         " (read as the nearest known one)");
    }
    const List list = listOf(version, panel);
    std::vector<BinarySetting> settings;
    for (const Field& field : kFields) {
        if ((field.lists & list) == 0 || (!known && field.offset >= panel.size())) {
            continue;
        }
        const std::string name = std::string("MWFrontEnd_C_") + field.name;
        const auto fits = [&field](std::uint32_t value) {
            return isSettingValue(field.offset, value);
        };
        settings.push_back({name, field.offset == kPrefixName
                                      ? prefixName(panel, version)
                                      : std::to_string(panel.u8(field.offset, name, fits))});
    }
    return settings;
}

}  // namespace tessaly
