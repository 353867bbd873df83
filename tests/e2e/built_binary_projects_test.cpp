// Binary project files built in the test, given to the built tesscli: texts
// that the export must escape, and a file whose export would grow past its
// limit.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "mcp/binary_builder.h"
#include "platform/messages.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct Conversion {
    int exitStatus = -1;
    std::string console;
    std::map<std::string, std::string> tree;
};

// Converts `source` in `work` into a fresh "out" there.
Conversion convert(const fs::path& work, const std::string& source) {
    fs::remove_all(work / "out");
    fs::create_directory(work / "out");
    const ProgramResult result = runProgram(TESSCLI_PATH, {source, "out", ""}, work);
    return {result.exitStatus, result.output, snapshotTree(work / "out")};
}

// A target, an access path, a file and a group whose names hold "<", ">"
// and "&", the file in the folder the access path names.
std::string projectWithMarkupInItsNames() {
    BinaryBuilder project(ByteOrder::Little);
    project.target("Debug <x> & y", 1, {{0x01000001, "a&<b>.c"}});
    Bytes paths = project.bytes();
    paths.u16(16).u8(0).u8(1).u32(0).u16(1).u16(0);
    paths.zeros(8).u16(1).u16(3).field("in<c>&d", 512).u32(0).zeros(4).u8(0).zeros(3);
    project.panel("Debug <x> & y", "Access Paths", paths.zeros(8).str());
    project.groups(1, project.groupNode("<G> & H", 1) + project.fileNode(0x01000001));
    return project.build().bytes;
}

// The written export escapes the three as the IDE does; converted from the
// binary or from that export, the names come out as they are.
TEST(BuiltBinaryProjects, NamesWithMarkupCharactersPassThroughTheExport) {
    TempFolder work;
    writeFile(work.path() / "p.mcp", projectWithMarkupInItsNames());
    writeFile(work.path() / "in<c>&d" / "a&<b>.c", "int a;\n");

    const ProgramResult exported =
        runProgram(TESSCLI_PATH, {"--export-xml", "p.mcp", "p.mcp.xml"}, work.path());

    ASSERT_EQ(exported.exitStatus, 0) << exported.output;
    const std::string text = readFile(work.path() / "p.mcp.xml");
    for (const std::string escaped : {
             "<NAME>Debug &lt;x&gt; &amp; y</NAME>",
             "<ORDEREDTARGET><NAME>Debug &lt;x&gt; &amp; y</NAME></ORDEREDTARGET>",
             "<SETTING><NAME>Path</NAME><VALUE>in&lt;c&gt;&amp;d</VALUE></SETTING>",
             "<PATH>a&amp;&lt;b&gt;.c</PATH>",
             "<GROUP><NAME>&lt;G&gt; &amp; H</NAME>",
             "<TARGETNAME>Debug &lt;x&gt; &amp; y</TARGETNAME>",
         }) {
        EXPECT_TRUE(contains(text, escaped)) << escaped;
    }
    const Conversion fromBinary = convert(work.path(), "p.mcp");
    const Conversion fromExport = convert(work.path(), "p.mcp.xml");
    EXPECT_EQ(fromBinary.exitStatus, 0) << fromBinary.console;
    EXPECT_EQ(fromBinary.console, fromExport.console);
    EXPECT_EQ(fromBinary.tree, fromExport.tree);
    EXPECT_TRUE(contains(fromBinary.console, "  Creating Group - <G> & H\n")) << fromBinary.console;
    ASSERT_EQ(fromBinary.tree.count("p.prj"), 1u);
    const std::string& project = fromBinary.tree.at("p.prj");
    for (const std::string line :
         {"FolderName=Debug <x> & y\r\n", "FolderName=<G> & H\r\n", "/in<c>&d/a&<b>.c\r\n"}) {
        EXPECT_TRUE(contains(project, line)) << line << "in\n" << project;
    }
    EXPECT_EQ(fromBinary.tree.count("Debug <x> & y/person/Debug <x> & y.p_a"), 1u);
}

// Two hundred files named by one 10,000-byte name: a file of about 20 kB
// whose export would be 2 MB and more.
std::string projectWhoseExportWouldPassItsLimit() {
    BinaryBuilder project(ByteOrder::Big);
    project.target("T", 1, {});
    const std::uint32_t name = project.string(1000, std::string(10000, 'x'));
    Bytes list = project.bytes();
    for (int i = 0; i < 200; ++i) {
        list.u32(0x01000001).u32(name).u8(2).u8(1).padTo((i + 1) * 40);
    }
    project.replace("mtpi", 1, project.bytes().u32(200).u32(32).zeros(8).str());
    project.replace("mtpl", 1, list.str());
    return project.build().bytes;
}

// Refused as damaged, by the conversion and by the export command alike,
// and nothing is written.
TEST(BuiltBinaryProjects, AFileWhoseExportWouldPassItsLimitIsRefused) {
    TempFolder work;
    writeFile(work.path() / "big.mcp", projectWhoseExportWouldPassItsLimit());
    const std::string refusal =
        message::partNotRead("the Access Paths panel (the file holds none)", "T") + "\n" +
        message::damagedProject(message::damageReason(
            Damage::Growth, "its export would pass 16 times the size of the file", 0)) +
        "\n";

    const Conversion converted = convert(work.path(), "big.mcp");
    const ProgramResult exported =
        runProgram(TESSCLI_PATH, {"--export-xml", "big.mcp", "big.mcp.xml"}, work.path());

    EXPECT_EQ(converted.exitStatus, 1);
    EXPECT_EQ(converted.console, refusal);
    EXPECT_EQ(converted.tree, (std::map<std::string, std::string>{}));
    EXPECT_EQ(exported.exitStatus, 1);
    EXPECT_EQ(exported.output, refusal);
    fs::remove_all(work.path() / "out");
    EXPECT_EQ(snapshotTree(work.path()).size(), 1u) << "only big.mcp";
}

}  // namespace
}  // namespace tessaly::testing
