// Fields of a binary record at their places and at their edges: a Pascal
// text that fills its field exactly, and each setting of the C/C++
// Compiler panel set on its own, in every panel version.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "mcp/binary_builder.h"
#include "mcp/byte_view.h"
#include "mcp/panel_readers.h"
#include "platform/messages.h"

namespace tessaly::testing {
namespace {

struct PascalCase {
    std::size_t field;
    std::size_t length;  // the length byte
    std::string read;    // the text, or the damage
};

// The field is followed by other bytes ("NEXT"): a length that reaches
// them is damage, not a longer name.
TEST(BinaryFields, APascalTextEndsInsideItsField) {
    const std::string damage =
        "damaged: " + message::damageReason(Damage::PartShort,
                                            "prefix file name longer than its field in the "
                                            "chunk pref 0",
                                            0);
    const std::vector<PascalCase> cases = {
        {32, 0, ""},      {32, 31, std::string(31, 'a')},    {32, 32, damage},
        {32, 40, damage}, {256, 255, std::string(255, 'a')}, {1, 0, ""},
        {1, 1, damage},
    };
    for (const PascalCase& c : cases) {
        const std::string bytes = Bytes(ByteOrder::Big)
                                      .u8(static_cast<std::uint32_t>(c.length))
                                      .raw(std::string(c.field - 1, 'a'))
                                      .raw("NEXT")
                                      .str();
        const ByteView view(bytes, ByteOrder::Big, "chunk pref 0");
        std::string read;
        try {
            read = view.pascalText(0, c.field, "prefix file name");
        } catch (const DamagedProjectError& error) {
            read = "damaged: " + error.reason();
        }
        EXPECT_EQ(read, c.read) << c.length << " in " << c.field;
    }
}

// The lists of settings the export writes for the panel: versions 13 and
// 14, version 16, version 17 from the earlier IDE (byte 320 holds 16),
// version 17 from the later IDE (17 there) and version 18.
enum CompilerList : unsigned { k14 = 1, k16 = 2, k17 = 4, k17Later = 8, kAll = 15 };

struct CompilerField {
    const char* name;
    std::size_t offset;  // 0: the prefix file's name
    unsigned lists;
};

// In the export's order.
constexpr CompilerField kCompilerFields[] = {
    {"cplusplus", 2, kAll},
    {"checkprotos", 3, kAll},
    {"arm", 4, kAll},
    {"trigraphs", 5, kAll},
    {"onlystdkeywords", 6, kAll},
    {"enumsalwaysint", 7, kAll},
    {"mpwpointerstyle", 8, k14 | k16},
    {"prefixname", 0, k14 | k16},
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
    {"inlinelevel", 57, kAll},
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

struct CompilerVersion {
    std::uint16_t version;
    std::size_t size;
    std::uint8_t ideMark;  // byte 320
    CompilerList list;
};

using Settings = std::vector<std::pair<std::string, std::string>>;

// What the panel reader gives for a record: the names of every setting,
// and apart from them the settings that hold something (not 0, not an
// empty name).
struct ReadSettings {
    std::vector<std::string> names;
    Settings nonZero;
};

ReadSettings readCompilerSettings(const std::string& record, ByteOrder order) {
    std::vector<std::string> unread;
    ReadSettings read;
    for (const BinarySetting& setting :
         readCompilerPanel(ByteView(record, order, "chunk pref 0"), unread)) {
        read.names.push_back(setting.name);
        if (setting.value != "0" && !setting.value.empty()) {
            read.nonZero.emplace_back(setting.name, setting.value);
        }
    }
    EXPECT_EQ(unread, std::vector<std::string>{});
    return read;
}

// Each setting is given a value that no other holds (201, or a prefix
// file's name as long as its field allows), in a record otherwise zero: it
// alone must show it, under its own name, among the version's settings.
TEST(BinaryFields, EachCompilerSettingIsReadFromItsOwnByte) {
    const std::vector<CompilerVersion> versions = {
        {13, 62, 0, k14},   {14, 62, 0, k14},        {16, 320, 0, k16},
        {17, 332, 16, k17}, {17, 332, 17, k17Later}, {18, 332, 10, k17Later},
    };
    for (const ByteOrder order : {ByteOrder::Big, ByteOrder::Little}) {
        for (const CompilerVersion& v : versions) {
            std::string blank = Bytes(order).u16(v.version).padTo(v.size).str();
            if (v.size > 320) {
                blank[320] = static_cast<char>(v.ideMark);
            }
            const std::size_t prefixAt = v.version >= 16 ? 64 : 9;
            const std::size_t prefixField = v.version >= 16 ? 256 : 32;
            const std::string prefix(prefixField - 1, 'p');
            std::vector<std::string> names;
            for (const CompilerField& field : kCompilerFields) {
                if ((field.lists & v.list) != 0) {
                    names.push_back(std::string("MWFrontEnd_C_") + field.name);
                }
            }
            for (const CompilerField& set : kCompilerFields) {
                if ((set.lists & v.list) == 0) {
                    continue;
                }
                std::string record = blank;
                if (set.offset == 0) {
                    record.replace(prefixAt, prefixField,
                                   Bytes(order).pascal(prefix, prefixField).str());
                } else {
                    record[set.offset] = static_cast<char>(201);
                }
                SCOPED_TRACE(std::string(set.name) + " set, version " + std::to_string(v.version) +
                             " (IDE mark " + std::to_string(v.ideMark) + ")" +
                             (order == ByteOrder::Big ? ", big-endian" : ", little-endian"));
                const ReadSettings read = readCompilerSettings(record, order);
                EXPECT_EQ(read.names, names);
                EXPECT_EQ(read.nonZero, (Settings{{std::string("MWFrontEnd_C_") + set.name,
                                                   set.offset == 0 ? prefix : "201"}}));
            }
        }
    }
}

}  // namespace
}  // namespace tessaly::testing
