// The binary project reader on files built in the test: what it reads, in
// both byte orders and each panel layout, and every structural check.
#include "mcp/binary_project.h"

#include <gtest/gtest.h>

#include <functional>

#include "mcp/apple_single.h"
#include "mcp/binary_builder.h"
#include "mcp/export_xml.h"
#include "mcp/project_source.h"
#include "platform/console.h"
#include "platform/messages.h"
#include "support/line_end_conversions.h"
#include "support/memory_file.h"
#include "support/recording_console.h"

namespace tessaly::testing {
namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string sampleExport(ByteOrder order) {
    return exportOrDamage(sampleProject(order).build().bytes);
}

TEST(BinaryProject, BothByteOrdersReadAlike) {
    const std::string big = sampleExport(ByteOrder::Big);
    EXPECT_EQ(big, sampleExport(ByteOrder::Little));
    for (const std::string part : {
             "<NAME>Debug</NAME>",
             "<SETTING><NAME>Path</NAME><VALUE>:src:</VALUE></SETTING>",
             "<SETTING><NAME>PathRoot</NAME><VALUE>CodeWarrior</VALUE></SETTING>",
             "<SETTING><NAME>Recursive</NAME><VALUE>true</VALUE></SETTING>",
             "<SETTING><NAME>MWFrontEnd_C_prefixname</NAME><VALUE>prefix.h</VALUE></SETTING>",
             "<SETTING><NAME>MWFrontEnd_C_inlinelevel</NAME><VALUE>8</VALUE></SETTING>",
             "<VALUE>#define A 1\n#define B 2\n</VALUE>",
             "<SETTING><VALUE>DEBUG=1</VALUE></SETTING>",
             "<PATH>lib.a</PATH>",
             "<FILEKIND>Library</FILEKIND>",
             "<FILEFLAGS>Debug</FILEFLAGS>",
             "<GROUP><NAME>Utilities</NAME>",
         }) {
        EXPECT_TRUE(contains(big, part)) << part;
    }
}

// A file of the group list names the first target, in target list order,
// that holds a file of its name, whichever target created the reference.
TEST(BinaryProject, GroupFilesNameTheFirstTargetHoldingThem) {
    BinaryBuilder project(ByteOrder::Big);
    project.target("First", 1, {{0x01000001, "a.c"}});
    project.target("Second", 2, {{0x02000001, "a.c"}, {0x02000002, "b.c"}});
    project.groups(2, project.fileNode(0x02000001) + project.fileNode(0x02000002));
    const std::string text = exportOrDamage(project.build().bytes);
    const std::string groups = text.substr(text.find("<GROUPLIST>"));
    EXPECT_TRUE(contains(groups,
                         "<TARGETNAME>First</TARGETNAME>\n"
                         "            <PATHTYPE>Name</PATHTYPE>\n"
                         "            <PATH>a.c</PATH>"));
    EXPECT_TRUE(contains(groups,
                         "<TARGETNAME>Second</TARGETNAME>\n"
                         "            <PATHTYPE>Name</PATHTYPE>\n"
                         "            <PATH>b.c</PATH>"));
}

TEST(BinaryProject, TextsAreWrittenAsTheExporterWritesThem) {
    EXPECT_EQ(exportText("QuickDraw\xAA 3D & <b>\x01\""),
              "QuickDraw&#170; 3D &amp; &lt;b&gt;\x01\"");
}

struct AccessPathLayout {
    std::uint16_t version;
    std::size_t headerSize;
    std::size_t stride;
};

TEST(BinaryProject, EachAccessPathLayout) {
    for (const AccessPathLayout layout : {AccessPathLayout{8, 8, 0x210},
                                          {12, 8, 0x218},
                                          {13, 8, 0x218},
                                          {15, 12, 0x218},
                                          {16, 12, 0x218}}) {
        BinaryBuilder project(ByteOrder::Little);
        project.target("T", 1, {});
        const std::uint32_t tree = project.string(1000, "Boost");
        Bytes panel = project.bytes();
        panel.u16(layout.version).u8(1).u8(0).padTo(layout.headerSize - 4).u16(1).u16(0);
        const std::size_t record = panel.size();
        panel.zeros(8).u16(4).u16(3).field("include/x", 512);
        if (layout.stride == 0x218) {
            panel.u32(tree).zeros(4).u8(1);
        } else {
            panel.u8(1);
        }
        panel.padTo(record + layout.stride).zeros(8);
        project.panel("T", "Access Paths", panel.str());
        const std::string text = exportOrDamage(project.build().bytes);
        SCOPED_TRACE(layout.version);
        EXPECT_TRUE(contains(text, "<VALUE>include/x</VALUE>"));
        EXPECT_TRUE(contains(text, "<SETTING><NAME>PathFormat</NAME><VALUE>Unix</VALUE>"));
        EXPECT_TRUE(contains(text, "<SETTING><NAME>Recursive</NAME><VALUE>true</VALUE>"));
        EXPECT_TRUE(contains(text, "<SETTING><NAME>AlwaysSearchUserPaths</NAME><VALUE>true"));
        EXPECT_EQ(contains(text, "<SETTING><NAME>PathRoot</NAME><VALUE>Boost</VALUE>"),
                  layout.stride == 0x218);
    }
}

struct CompilerLayout {
    std::uint16_t version;
    std::size_t size;
    std::uint8_t ideMark;  // byte 320
    std::vector<std::string> present;
    std::vector<std::string> absent;
};

TEST(BinaryProject, EachCompilerPanelVersionListsItsSettings) {
    const std::vector<CompilerLayout> layouts = {
        {13, 62, 0, {"mpwpointerstyle", "direct_to_som", "defer_codegen"}, {"c99", "ipa_mode"}},
        {14, 62, 0, {"mpwcnewline", "objective_c"}, {"templateparser"}},
        {16, 320, 0, {"templateparser", "c99", "bottomupinline", "prefixname"}, {"som_env_check"}},
        {17, 332, 16, {"defer_codegen", "gcc_extensions"}, {"ipa_mode", "prefixname"}},
        {17, 332, 17, {"ipa_mode", "instance_manager"}, {"defer_codegen", "objective_c"}},
        {18, 332, 10, {"ipa_mode"}, {"defer_codegen", "mpwpointerstyle"}},
    };
    for (const CompilerLayout& layout : layouts) {
        BinaryBuilder project(ByteOrder::Big);
        project.target("T", 1, {});
        Bytes panel = project.bytes();
        panel.u16(layout.version).u8(1).zeros(6).pascal("short.h", 32).padTo(57).u8(5);
        panel.padTo(61).u8(1);
        if (layout.size > 62) {
            panel.padTo(64);
            panel.pascal("a longer prefix file name than fits in thirty-two.h", 256);
        }
        if (layout.size > 320) {
            panel.u8(layout.ideMark);
        }
        project.panel("T", "C/C++ Compiler", panel.padTo(layout.size).str());
        const std::string text = exportOrDamage(project.build().bytes);
        SCOPED_TRACE(layout.version);
        SCOPED_TRACE(layout.ideMark);
        for (const std::string& name : layout.present) {
            EXPECT_TRUE(contains(text, "MWFrontEnd_C_" + name + "<")) << name;
        }
        for (const std::string& name : layout.absent) {
            EXPECT_FALSE(contains(text, "MWFrontEnd_C_" + name + "<")) << name;
        }
        EXPECT_TRUE(contains(text, "MWFrontEnd_C_cplusplus</NAME><VALUE>1<"));
        EXPECT_TRUE(contains(text, "MWFrontEnd_C_inlinelevel</NAME><VALUE>5<"));
        EXPECT_EQ(contains(text, "<VALUE>short.h<"), layout.version <= 14);
        EXPECT_EQ(contains(text, "<VALUE>a longer prefix"), layout.version == 16);
        EXPECT_EQ(contains(text, "templateparser</NAME><VALUE>1<"), layout.version >= 16);
    }
}

// Nesting is read without recursion, so no depth can exhaust the stack.
TEST(BinaryProject, DeepGroupTreesAreRead) {
    BinaryBuilder project(ByteOrder::Big);
    project.target("T", 1, {{0x01000001, "deep.c"}});
    constexpr int kDepth = 100000;
    std::string nodes;
    for (int i = 0; i < kDepth; ++i) {
        nodes += project.groupNode("g", 1);
    }
    project.groups(1, nodes + project.fileNode(0x01000001));
    std::string bytes = project.build().bytes;  // what is read refers to it
    const BinaryProject read = readBinaryProject(bytes);
    EXPECT_EQ(read.groups.size(), 2u * kDepth + 1);
}

TEST(BinaryProject, AppleSingleIsUnwrappedToItsDataFork) {
    const auto withPrefix = [](const std::string& text) {
        BinaryBuilder project = sampleProject(ByteOrder::Big);
        Bytes prefix = project.bytes();
        project.panel("Debug", "C/C++ Preprocessor",
                      prefix.u16(3).padTo(0x16).raw(text).u8(0).str());
        return project.build().bytes;
    };
    const auto wrapped = [](const std::string& plain) {
        return Bytes(ByteOrder::Big)
                   .raw(std::string_view("\x00\x05\x16\x00", 4))
                   .u32(0x00020000)
                   .zeros(16)
                   .u16(2)
                   .u32(9)
                   .u32(50)
                   .u32(0)
                   .u32(1)
                   .u32(50)
                   .u32(static_cast<std::uint32_t>(plain.size()))
                   .padTo(50)
                   .str() +
               plain;
    };
    const std::string plain = withPrefix("#define A 1\n");
    RecordingConsole console;
    auto file = memoryFile(wrapped(plain));
    EXPECT_EQ(binaryProjectExport(*file, console), exportOrDamage(plain));
    // With a CR put before each LF, its entries miss the fork until that is
    // undone; a fork that held CR LF of its own cannot be told from it.
    const std::string grown = withCrBeforeLf(wrapped(plain));
    RecordingConsole grownConsole;
    auto grownFile = memoryFile(grown);
    EXPECT_EQ(binaryProjectExport(*grownFile, grownConsole), exportOrDamage(plain));
    std::vector<std::string> told = {message::addedCrRemoved(grown.size() - wrapped(plain).size())};
    told.insert(told.end(), console.lines.begin(), console.lines.end());
    EXPECT_EQ(grownConsole.lines, told);
    auto holdingCrLf =
        memoryFile(withCrBeforeLf(wrapped(withPrefix("#define A 1\r\n#define B\n"))));
    try {
        binaryProjectExport(*holdingCrLf, console);
        ADD_FAILURE() << "a fork that held CR LF was read";
    } catch (const DamagedProjectError& error) {
        EXPECT_EQ(error.damage(), Damage::AddedCr) << error.reason();
    }
    auto notWrapped = memoryFile("<?xml version=\"1.0\"?><PROJECT>");
    EXPECT_EQ(binaryProjectExport(*notWrapped, console), std::nullopt);
}

TEST(BinaryProject, WhatIsNotReadIsTold) {
    BinaryBuilder project(ByteOrder::Big);
    project.target("T", 1, {{0x01000001, ":rel.c", 1}});
    project.panel("T", "Source Trees", project.bytes().u16(2).u16(2).u32(1).str());
    project.panel("T", "Debugger Runtime", project.bytes().u16(1).u16(3).padTo(516).str());
    project.groups(1, project.fileNode(0x05000009));
    std::string bytes = project.build().bytes;  // what is read refers to it
    const BinaryProject read = readBinaryProject(bytes);
    std::vector<std::string> told;
    for (const UnreadPart& part : read.unread) {
        told.push_back(std::string(part.target) + ": " + part.what);
    }
    EXPECT_EQ(told, (std::vector<std::string>{
                        "T: 2 source trees",
                        "T: the Access Paths panel (the file holds none)",
                        "T: 3 environment variables (Debugger Runtime panel version 1)",
                        "T: the folder of 1 files stored by path (looked for by name on "
                        "the access paths)",
                        ": 1 files of the group list that no target holds",
                    }));
    EXPECT_TRUE(contains(exportXml(read),
                         "<PATHTYPE>Name</PATHTYPE>\n"
                         "                    <PATH>:rel.c</PATH>"));
}

// The export's text with the layout between tags taken out.
std::string withoutLayout(std::string text) {
    std::string result;
    bool betweenTags = false;
    for (const char c : text) {
        if (c == '>') {
            betweenTags = true;
        } else if (c == '<') {
            betweenTags = false;
        } else if (betweenTags && (c == ' ' || c == '\n')) {
            continue;
        }
        result += c;
    }
    return result;
}

std::string fileRef(const std::string& location) {
    return "<FILEREF><TARGETNAME>T</TARGETNAME>" + location + "<PATHFORMAT>Windows</PATHFORMAT>" +
           "</FILEREF>";
}

// A file stored by path names the access path it lies on by the path's id;
// it is written as the IDE exports such a file, below that path.
TEST(BinaryProject, FilesStoredByPathLieBelowTheAccessPathTheyName) {
    for (const ByteOrder order : {ByteOrder::Big, ByteOrder::Little}) {
        BinaryBuilder project(order);
        project.target("T", 1,
                       {{1, "cfv1\\usb_dci.c", 1, 2, 1, 1, 0x0C},
                        {2, "derivative.h", 1, 2, 1, 1, 3},
                        {3, "mcf51.c", 1, 2, 1, 1, 0x40000002},
                        {4, "lib.a", 1, 2, 1, 1, 7},
                        {5, "gone.h", 1, 2, 1, 1, 0x63},
                        {6, "main.c", 2, 2, 1, 1, 3}});
        project.panel(
            "T", "Access Paths",
            project.accessPaths(
                {{1, 2, "", 3}, {1, 2, "..\\..\\source\\driver", 0x0C, true}, {0, 2, "C:\\Lib", 7}},
                {{2, 2, "ColdFire_Support\\src", 0x40000002}}));
        std::string nodes;
        for (std::uint32_t reference = 1; reference <= 6; ++reference) {
            nodes += project.fileNode(reference);
        }
        project.groups(6, nodes);
        std::string bytes = project.build().bytes;
        const std::string text = withoutLayout(exportOrDamage(bytes));
        SCOPED_TRACE(order == ByteOrder::Big ? "big-endian" : "little-endian");
        for (const std::string location : {
                 "<PATHTYPE>PathRelative</PATHTYPE><PATHROOT>Project</PATHROOT>"
                 "<ACCESSPATH>..\\..\\source\\driver</ACCESSPATH><PATH>cfv1\\usb_dci.c</PATH>",
                 "<PATHTYPE>PathRelative</PATHTYPE><PATHROOT>Project</PATHROOT>"
                 "<ACCESSPATH></ACCESSPATH><PATH>derivative.h</PATH>",
                 "<PATHTYPE>PathRelative</PATHTYPE><PATHROOT>CodeWarrior</PATHROOT>"
                 "<ACCESSPATH>ColdFire_Support\\src</ACCESSPATH><PATH>mcf51.c</PATH>",
                 // An absolute path is followed by the name without a separator.
                 "<PATHTYPE>PathRelative</PATHTYPE><PATHROOT>Absolute</PATHROOT>"
                 "<ACCESSPATH>C:\\Lib\\</ACCESSPATH><PATH>lib.a</PATH>",
                 "<PATHTYPE>Name</PATHTYPE><PATH>gone.h</PATH>",
                 "<PATHTYPE>Name</PATHTYPE><PATH>main.c</PATH>",
             }) {
            EXPECT_TRUE(contains(text, fileRef(location))) << location;
        }
        const BinaryProject read = readBinaryProject(bytes);
        ASSERT_EQ(read.unread.size(), 1u);
        EXPECT_EQ(read.unread[0].what,
                  "the folder of 1 files stored by path (looked for by name on the access "
                  "paths)");
    }
}

// The compilers for microcontrollers keep their command line as one text.
TEST(BinaryProject, CompilerCommandLinesAreCarried) {
    for (const ByteOrder order : {ByteOrder::Big, ByteOrder::Little}) {
        BinaryBuilder project(order);
        project.target("T", 1, {});
        const auto commandLine = [&](std::uint16_t version, std::string_view text) {
            return project.bytes()
                .u16(version)
                .u16(0)
                .u32(0x28)
                .u32(0x18)
                .u32(4)
                .u32(0)
                .u32(0xFFFFFFFF)
                .u32(static_cast<std::uint32_t>(text.size() + 1))
                .u32(0)
                .u32(4)
                .u32(4)
                .raw(text)
                .u8(0)
                .zeros(8)
                .str();
        };
        project.panel("T", "Panel for Compiler for HC08", commandLine(0x0101, "-Cs08 -DA=1"));
        project.panel("T", "Panel for Compiler for HC12", commandLine(0x0101, ""));
        // Another version: read where the known layout puts the text, and
        // told; where its text is not there, only told.
        project.panel("T", "Panel for Compiler for XGATE", commandLine(0x0102, "-DX"));
        project.panel("T", "Panel for Compiler for RS08", project.bytes().u16(0x0100).u16(0).str());
        std::string bytes = project.build().bytes;
        const std::string text = exportOrDamage(bytes);
        SCOPED_TRACE(order == ByteOrder::Big ? "big-endian" : "little-endian");
        EXPECT_TRUE(contains(text,
                             "<!-- Settings for \"Panel for Compiler for HC08\" panel -->\n"
                             "                <SETTING><NAME>TessalyCompilerCommandLine</NAME>"
                             "<VALUE>-Cs08 -DA=1</VALUE></SETTING>"));
        EXPECT_TRUE(contains(text, "<NAME>TessalyCompilerCommandLine</NAME><VALUE></VALUE>"));
        const BinaryProject read = readBinaryProject(bytes);
        EXPECT_EQ(read.unread[0].what, "the Access Paths panel (the file holds none)");
        EXPECT_TRUE(contains(text, "<NAME>TessalyCompilerCommandLine</NAME><VALUE>-DX</VALUE>"));
        ASSERT_EQ(read.unread.size(), 3u);
        EXPECT_EQ(read.unread[1].what,
                  "the command line of Panel for Compiler for RS08 version 256");
        EXPECT_EQ(read.unread[2].what,
                  "layout of Panel for Compiler for XGATE version 258 (read as version 257)");
        // Without its ending NUL the text runs past the record: damage.
        std::string cut = commandLine(0x0101, "-DA");
        cut.resize(0x28 + 3);
        project.panel("T", "Panel for Compiler for HC08", cut);
        EXPECT_TRUE(contains(exportOrDamage(project.build().bytes), "command line past the end"));
    }
}

// Each structural check, reached by damaging an intact file in one place.
struct Damage {
    const char* what;
    std::function<void(BinaryBuilder&)> change;
    std::function<void(BuiltProject&)> patch;
    std::string reason;
};

void putU32(BuiltProject& built, std::size_t at, std::uint32_t value) {
    const std::string bytes = Bytes(ByteOrder::Big).u32(value).str();
    built.bytes.replace(at, 4, bytes);
}

std::size_t entryOf(const BuiltProject& built, const char (&type)[5], std::uint32_t id) {
    return built.entryAt.at({fourCc(type), id});
}

TEST(BinaryProject, DamageIsNamed) {
    const auto none = [](BinaryBuilder&) {};
    const auto intact = [](BuiltProject&) {};
    const std::vector<Damage> damages = {
        {"cut in the header", none, [](BuiltProject& b) { b.bytes.resize(0x12); },
         "header past the end of the file"},
        {"cut off", none, [](BuiltProject& b) { b.bytes.resize(b.bytes.size() - 1); },
         "chunk index past the end of the file"},
        {"index size", none, [](BuiltProject& b) { putU32(b, 0x14, 25); },
         "chunk index size does not match its number of entries"},
        {"chunk past the end", none,
         [](BuiltProject& b) { putU32(b, entryOf(b, "mtgl", 1000) + 4, 0x7FFFFFFF); },
         "chunk mtgl 1000 past the end of the file"},
        {"chunks overlap", none, [](BuiltProject& b) { putU32(b, entryOf(b, "mtpl", 1) + 4, 81); },
         "overlaps"},
        {"target list missing", none,
         [](BuiltProject& b) { putU32(b, entryOf(b, "mtgl", 1000) + 8, fourCc("xxxx")); },
         "the target list is missing"},
        {"target count", [](BinaryBuilder& p) { p.replace("mtpi", 1, p.bytes().u32(3).str()); },
         intact, "file list past the end of the chunk mtpl 1"},
        {"string missing",
         [](BinaryBuilder& p) { p.replace("mtpl", 1, p.bytes().u32(1).u32(999).padTo(80).str()); },
         intact, "file names string 999, which its string table lacks"},
        {"group node", [](BinaryBuilder& p) { p.groups(1, p.bytes().u32(fourCc("JUNK")).str()); },
         intact, "the group tree holds a node of unknown kind JUNK"},
        {"group name",
         [](BinaryBuilder& p) {
             p.groups(1, p.bytes().u32(fourCc("GRUP")).u32(0).u32(1).u8(200).str());
         },
         intact, "group name past the end of the chunk PLst 7"},
        {"access paths",
         [](BinaryBuilder& p) {
             p.panel("Debug", "Access Paths", p.bytes().u16(16).zeros(6).u16(40).u16(0).str());
         },
         intact, "access path past the end of the chunk pref 0"},
        {"prefix name",
         [](BinaryBuilder& p) {
             p.panel("Debug", "C/C++ Compiler", p.bytes().u16(14).zeros(7).u8(40).padTo(62).str());
         },
         intact, "prefix file name longer than its field in the chunk pref 0"},
        {"environment",
         [](BinaryBuilder& p) {
             p.panel("Debug", "Debugger Runtime",
                     p.bytes().u16(3).u16(2).padTo(0x410).raw("A=1").u8(0).raw("B=2").str());
         },
         intact, "environment variable past the end of the chunk pref 0"},
        {"growth",
         [](BinaryBuilder& p) {
             const std::uint32_t name = p.string(1000, std::string(10000, 'x'));
             Bytes list = p.bytes();
             for (int i = 0; i < 200; ++i) {
                 list.u32(0x01000001).u32(name).padTo((i + 1) * 40);
             }
             p.replace("mtpi", 1, p.bytes().u32(200).str());
             p.replace("mtpl", 1, list.str());
         },
         intact, "its export would pass 16 times the size of the file"},
        {"subtarget",
         [](BinaryBuilder& p) { p.chunk("mstp", 1, p.bytes().u32(1).u8(9).zeros(5).str()); },
         intact, "a subtarget names target 9, which the target list lacks"},
    };
    for (const Damage& damage : damages) {
        BinaryBuilder project = sampleProject(ByteOrder::Big);
        damage.change(project);
        BuiltProject built = project.build();
        damage.patch(built);
        const std::string result = exportOrDamage(built.bytes);
        EXPECT_TRUE(result.starts_with("damaged: ") && contains(result, damage.reason))
            << damage.what << ": " << result.substr(0, 200);
    }
}

}  // namespace
}  // namespace tessaly::testing
