// The "C/C++ Compiler" panel record. Every setting is one byte at a fixed
// place, written to the export as its decimal value, except the prefix
// file's name, a Pascal string. Which settings the export lists, and in
// which order, depends on the panel version (and for version 17 on the
// IDE that wrote it, which byte 320 tells): the tables below give each
// version's list, mapped by comparing records with the exports of the same
// projects.
#include <array>
#include <span>
#include <string>

#include "mcp/panel_readers.h"

namespace tessaly {

namespace {

// Where a setting lies; kPrefixName marks the prefix file's name.
struct Field {
    const char* name;
    std::size_t offset;
};

constexpr std::size_t kPrefixName = 0;
constexpr std::size_t kShortPrefixAt = 9;  // in a 32-byte field
constexpr std::size_t kLongPrefixAt = 64;  // in a 256-byte field, from version 16 on
constexpr std::size_t kIdeMarkAt = 320;    // version 17: 17 for the later IDE, 16 before
constexpr std::uint8_t kLaterIdeMark = 17;

// Versions 13 and 14 (62 bytes).
constexpr std::array kVersion14 = std::to_array<Field>({
    {"cplusplus", 2},         {"checkprotos", 3},          {"arm", 4},
    {"trigraphs", 5},         {"onlystdkeywords", 6},      {"enumsalwaysint", 7},
    {"mpwpointerstyle", 8},   {"prefixname", kPrefixName}, {"ansistrict", 41},
    {"mpwcnewline", 42},      {"wchar_type", 43},          {"enableexceptions", 44},
    {"dontreusestrings", 45}, {"poolstrings", 46},         {"dontinline", 47},
    {"useRTTI", 48},          {"multibyteaware", 49},      {"unsignedchars", 50},
    {"autoinline", 51},       {"booltruefalse", 52},       {"direct_to_som", 53},
    {"som_env_check", 54},    {"alwaysinline", 55},        {"inlinelevel", 57},
    {"ecplusplus", 58},       {"objective_c", 59},         {"defer_codegen", 60},
});

// Version 16 (320 bytes).
constexpr std::array kVersion16 = std::to_array<Field>({
    {"cplusplus", 2},
    {"checkprotos", 3},
    {"arm", 4},
    {"trigraphs", 5},
    {"onlystdkeywords", 6},
    {"enumsalwaysint", 7},
    {"mpwpointerstyle", 8},
    {"prefixname", kPrefixName},
    {"ansistrict", 41},
    {"mpwcnewline", 42},
    {"wchar_type", 43},
    {"enableexceptions", 44},
    {"dontreusestrings", 45},
    {"poolstrings", 46},
    {"dontinline", 47},
    {"useRTTI", 48},
    {"multibyteaware", 49},
    {"unsignedchars", 50},
    {"autoinline", 51},
    {"booltruefalse", 52},
    {"inlinelevel", 57},
    {"ecplusplus", 58},
    {"objective_c", 59},
    {"defer_codegen", 60},
    {"templateparser", 61},
    {"c99", 62},
    {"bottomupinline", 63},
});

// Version 17 (332 bytes) as the earlier IDE exports it.
constexpr std::array kVersion17 = std::to_array<Field>({
    {"cplusplus", 2},         {"checkprotos", 3},      {"arm", 4},
    {"trigraphs", 5},         {"onlystdkeywords", 6},  {"enumsalwaysint", 7},
    {"ansistrict", 41},       {"wchar_type", 43},      {"enableexceptions", 44},
    {"dontreusestrings", 45}, {"poolstrings", 46},     {"dontinline", 47},
    {"useRTTI", 48},          {"unsignedchars", 50},   {"autoinline", 51},
    {"booltruefalse", 52},    {"inlinelevel", 57},     {"ecplusplus", 58},
    {"defer_codegen", 60},    {"templateparser", 61},  {"c99", 62},
    {"bottomupinline", 63},   {"gcc_extensions", 321}, {"instance_manager", 322},
});

// Version 17 as the later IDE exports it, and version 18.
constexpr std::array kVersion17Later = std::to_array<Field>({
    {"cplusplus", 2},
    {"checkprotos", 3},
    {"arm", 4},
    {"trigraphs", 5},
    {"onlystdkeywords", 6},
    {"enumsalwaysint", 7},
    {"ansistrict", 41},
    {"wchar_type", 43},
    {"enableexceptions", 44},
    {"dontreusestrings", 45},
    {"poolstrings", 46},
    {"dontinline", 47},
    {"useRTTI", 48},
    {"unsignedchars", 50},
    {"autoinline", 51},
    {"booltruefalse", 52},
    {"inlinelevel", 57},
    {"ecplusplus", 58},
    {"templateparser", 61},
    {"c99", 62},
    {"bottomupinline", 63},
    {"gcc_extensions", 321},
    {"instance_manager", 322},
    {"ipa_mode", 323},
});

std::span<const Field> fieldsOf(std::uint16_t version, const ByteView& panel) {
    if (version <= 14) {
        return kVersion14;
    }
    if (version <= 16) {
        return kVersion16;
    }
    const bool laterIde = version > 17 || (panel.size() > kIdeMarkAt &&
                                           panel.u8(kIdeMarkAt, "panel") == kLaterIdeMark);
    return laterIde ? std::span<const Field>(kVersion17Later) : std::span<const Field>(kVersion17);
}

bool isKnownVersion(std::uint16_t version) {
    return version >= 13 && version != 15 && version <= 18;
}

std::string prefixName(const ByteView& panel, std::uint16_t version) {
    if (version >= 16) {
        return std::string(panel.pascalText(kLongPrefixAt, 256, "prefix file name"));
    }
    return std::string(panel.pascalText(kShortPrefixAt, 32, "prefix file name"));
}

}  // namespace

std::vector<BinarySetting> readCompilerPanel(const ByteView& panel,
                                             std::vector<std::string>& unread) {
    const std::uint16_t version = panel.u16(0, "panel version");
    const bool known = isKnownVersion(version);
    if (!known) {
        unread.push_back("layout of C/C++ Compiler panel version " + std::to_string(version) +
                         " (read as the nearest known one)");
    }
    std::vector<BinarySetting> settings;
    for (const Field& field : fieldsOf(version, panel)) {
        if (!known && field.offset >= panel.size()) {
            continue;
        }
        const std::string name = std::string("MWFrontEnd_C_") + field.name;
        settings.push_back({name, field.offset == kPrefixName
                                      ? prefixName(panel, version)
                                      : std::to_string(panel.u8(field.offset, name))});
    }
    return settings;
}

}  // namespace tessaly
