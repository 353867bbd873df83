// The binary projects of embedded teams (HC08/S08, ColdFire V1 and V2, HC12),
// each converted where it lies in a tree made from its repository's file
// list: every file reference comes out as the file the IDE found, and every
// target's personality holds the macros its panels define. The projects are
// read from the shared folder (their licence keeps them out of this
// repository); the test is skipped where it is absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "output/ascii_case.h"
#include "platform/messages.h"
#include "support/source_trees.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kShared = fs::path(TESSALY_REAL_EXPORTS).parent_path() / "embedded-projects";

struct Embedded {
    std::string file;
    std::string tree;  // "fsl" or "btcar": the repository's file list
    std::string place;
    std::size_t references;
    // The names of the references whose file is not where the IDE found it
    // in the repository (see docs/binary-projects.md).
    std::set<std::string> missing;
    std::map<std::string, std::vector<std::string>> macros;  // by target
    // Files that a look-up by name would take from another folder (another
    // board's linker file, another core's start-up code): the folder the
    // project names, as the repository has it.
    std::vector<std::string> placed = {};
};

void PrintTo(const Embedded& project, std::ostream* out) {
    *out << project.file;
}

// Below the CodeWarrior folder (the derivatives' headers and start-up files,
// the libraries), which no repository holds; build outputs
// (Project.abs.xMAP); files the repository lacks in their project's folders
// (SD.c, SPI.c); usbprv_host.h, renamed ehci_usbprv_host.h in its folder;
// main.asm and main_asm.h, whose folder the project names on its author's
// machine (Z:\home\...) and whose copy lies outside the project's folder.
const std::vector<Embedded> kProjects = {
    {"fsl-Device-app-cdc-cfv1usbje256-cfv1usbje256.mcp",
     "fsl",
     "Source/Device/app/cdc/codewarrior/cfv1usbje256/cfv1usbje256.mcp",
     31,
     {"codewarrior\\cfv1usbje256\\bin\\Project.abs.xMAP", "mcf51je256.c"},
     {{"Standard", {}}}},
    {"fsl-Device-app-cdc-cfv1usbjm128-cfv1usbjm128.mcp",
     "fsl",
     "Source/Device/app/cdc/codewarrior/cfv1usbjm128/cfv1usbjm128.mcp",
     31,
     {"MCF51JM128.C", "MCF51JM128.h"},
     {{"Standard", {}}}},
    {"fsl-Device-app-cdc-cfv1usbmm256-cfv1usbmm256.mcp",
     "fsl",
     "Source/Device/app/cdc/codewarrior/cfv1usbmm256/cfv1usbmm256.mcp",
     32,
     {"MCF51MM256.C", "MCF51MM256.h", "codewarrior\\cfv1usbje256\\bin\\Project.abs.xMAP"},
     {{"Standard", {}}}},
    {"fsl-Device-app-cdc-cfv2usbm52221-cfv2usbm52221.mcp",
     "fsl",
     "Source/Device/app/cdc/codewarrior/cfv2usbm52221/cfv2usbm52221.mcp",
     38,
     {"MCF52221.h"},
     {{"INTERNAL_FLASH", {"_DEBUG", "__CODEWARRIOR__"}}}},
    {"fsl-Device-app-cdc-cfv2usbm52259-cfv2usbm52259.mcp",
     "fsl",
     "Source/Device/app/cdc/codewarrior/cfv2usbm52259/cfv2usbm52259.mcp",
     41,
     {"MCF52259.h"},
     {{"INTERNAL_RAM", {}}, {"INTERNAL_FLASH", {"_DEBUG", "__CODEWARRIOR__"}}}},
    {"fsl-Device-app-cdc-cfv2usbm52277-cfv2usbm52277.mcp",
     "fsl",
     "Source/Device/app/cdc/codewarrior/cfv2usbm52277/cfv2usbm52277.mcp",
     34,
     {},
     {{"INTERNAL_RAM", {}}, {"EXTERNAL_FLASH", {}}}},
    {"fsl-Device-app-cdc-s08usbje128-s08usbje128.mcp",
     "fsl",
     "Source/Device/app/cdc/codewarrior/s08usbje128/s08usbje128.mcp",
     28,
     {"Start08.c", "ansiis.lib", "mc9s08je128.c"},
     {{"Standard", {"__NO_FLOAT__"}}}},
    {"fsl-Device-app-cdc-s08usbjm16-s08usbjm16.mcp",
     "fsl",
     "Source/Device/app/cdc/codewarrior/s08usbjm16/s08usbjm16.mcp",
     30,
     {"MC9S08JM16.C", "MC9S08JM16.h", "ansiis.lib"},
     {{"Standard", {"__NO_FLOAT__"}}}},
    {"fsl-Device-app-cdc-s08usbjm60-s08usbjm60.mcp",
     "fsl",
     "Source/Device/app/cdc/codewarrior/s08usbjm60/s08usbjm60.mcp",
     30,
     {"MC9S08JM60.C", "MC9S08JM60.h", "ansiis.lib"},
     {{"Standard", {"__NO_FLOAT__"}}}},
    {"fsl-Device-app-cdc-s08usbjs16-JS16CDC.mcp",
     "fsl",
     "Source/Device/app/cdc/codewarrior/s08usbjs16/JS16CDC.mcp",
     30,
     {"MC9S08JS16.C", "MC9S08JS16.h", "ansiis.lib"},
     {{"Standard", {"__NO_FLOAT__"}}}},
    {"fsl-Device-app-cdc-s08usbmm128-s08usbmm128.mcp",
     "fsl",
     "Source/Device/app/cdc/codewarrior/s08usbmm128/s08usbmm128.mcp",
     29,
     {"MC9S08MM128.C", "MC9S08MM128.h", "Start08.c", "ansiis.lib"},
     {{"Standard", {"__NO_FLOAT__"}}}},
    {"fsl-Device-app-msd-cfv1usbje256-cfv1usbje256.mcp",
     "fsl",
     "Source/Device/app/msd/codewarrior/cfv1usbje256/cfv1usbje256.mcp",
     31,
     {"codewarrior\\cfv1usbje256\\bin\\Project.abs.xMAP", "mcf51je256.c"},
     {{"Standard", {}}}},
    {"fsl-Device-app-msd-cfv1usbjm128-cfv1usbjm128.mcp",
     "fsl",
     "Source/Device/app/msd/codewarrior/cfv1usbjm128/cfv1usbjm128.mcp",
     34,
     {"MCF51JM128.C", "MCF51JM128.h", "SD.c", "SD.h", "SPI.c", "SPI.h"},
     {{"Standard", {}}},
     {"Source/Device/app/common/cfv1/exceptions.c",
      "Source/Device/source/driver/cfv1/usb_dciapi.h"}},
    {"fsl-Device-app-msd-cfv1usbmm256-cfv1usbmm256.mcp",
     "fsl",
     "Source/Device/app/msd/codewarrior/cfv1usbmm256/cfv1usbmm256.mcp",
     31,
     {"MCF51MM256.C", "codewarrior\\cfv1usbje256\\bin\\Project.abs.xMAP"},
     {{"Standard", {}}}},
    {"fsl-Device-app-msd-cfv2usbm52221-cfv2usbm52221.mcp",
     "fsl",
     "Source/Device/app/msd/codewarrior/cfv2usbm52221/cfv2usbm52221.mcp",
     42,
     {"MCF52221.h"},
     {{"INTERNAL_FLASH", {"_DEBUG", "__CODEWARRIOR__"}}}},
    {"fsl-Device-app-msd-cfv2usbm52259-cfv2usbm52259.mcp",
     "fsl",
     "Source/Device/app/msd/codewarrior/cfv2usbm52259/cfv2usbm52259.mcp",
     45,
     {"MCF52259.h"},
     {{"INTERNAL_RAM", {}}, {"INTERNAL_FLASH", {"_DEBUG", "__CODEWARRIOR__"}}}},
    {"fsl-Device-app-msd-cfv2usbm52277-cfv2usbm52277.mcp",
     "fsl",
     "Source/Device/app/msd/codewarrior/cfv2usbm52277/cfv2usbm52277.mcp",
     34,
     {},
     {{"INTERNAL_RAM", {}}, {"EXTERNAL_FLASH", {}}}},
    {"fsl-Device-app-msd-s08usbje128-S08usbje128.mcp",
     "fsl",
     "Source/Device/app/msd/codewarrior/s08usbje128/S08usbje128.mcp",
     28,
     {"Start08.c", "ansiis.lib", "mc9s08je128.c"},
     {{"Standard", {"__NO_FLOAT__"}}}},
    {"fsl-Device-app-msd-s08usbjm60-s08usbjm60SD.mcp",
     "fsl",
     "Source/Device/app/msd/codewarrior/s08usbjm60/s08usbjm60SD.mcp",
     34,
     {"MC9S08JM60.C", "MC9S08JM60.h", "SD.c", "SD.h", "SPI.c", "SPI.h", "ansiis.lib"},
     {{"Standard", {"USE_SDCARD", "__NO_FLOAT__"}}}},
    {"fsl-Device-app-msd-s08usbmm128-S08usbmm128.mcp",
     "fsl",
     "Source/Device/app/msd/codewarrior/s08usbmm128/S08usbmm128.mcp",
     29,
     {"MC9S08MM128.C", "MC9S08MM128.h", "Start08.c", "ansiis.lib"},
     {{"Standard", {"__NO_FLOAT__"}}}},
    {"fsl-Host-examples-cdc_serial-cfv1usbje256-cfv1je256_cdc.mcp",
     "fsl",
     "Source/Host/examples/cdc_serial/codewarrior/cfv1usbje256/cfv1je256_cdc.mcp",
     68,
     {"mcf51je256.c"},
     {{"Standard", {"_DEBUG", "__CODEWARRIOR__"}}},
     {"Source/Host/examples/cdc_serial/codewarrior/cfv1usbje256/prm/Project.lcf"}},
    {"fsl-Host-examples-cdc_serial-cfv1usbjm128-cfv1jm128_cdc.mcp",
     "fsl",
     "Source/Host/examples/cdc_serial/codewarrior/cfv1usbjm128/cfv1jm128_cdc.mcp",
     71,
     {"MCF51JM128.C", "MCF51JM128.h", "codewarrior\\cfv1usbje256\\bin\\Project.abs.xMAP"},
     {{"Standard", {"_DEBUG", "__CODEWARRIOR__"}}}},
    {"fsl-Host-examples-cdc_serial-cfv1usbmm256-cfv1mm256_cdc.mcp",
     "fsl",
     "Source/Host/examples/cdc_serial/codewarrior/cfv1usbmm256/cfv1mm256_cdc.mcp",
     70,
     {"mcf51mm256.c", "mcf51mm256.h"},
     {{"Standard", {"_DEBUG", "__CODEWARRIOR__"}}}},
    {"fsl-Host-examples-cdc_serial-m52221demo-m52221demo_cdc.mcp",
     "fsl",
     "Source/Host/examples/cdc_serial/codewarrior/m52221demo/m52221demo_cdc.mcp",
     76,
     {},
     {{"INTERNAL_FLASH", {"_DEBUG", "__CODEWARRIOR__"}}}},
    {"fsl-Host-examples-cdc_serial-m52259demo-m52259demo_cdc.mcp",
     "fsl",
     "Source/Host/examples/cdc_serial/codewarrior/m52259demo/m52259demo_cdc.mcp",
     78,
     {},
     {{"INTERNAL_RAM", {"_DEBUG", "__CODEWARRIOR__"}},
      {"INTERNAL_FLASH", {"_DEBUG", "__CODEWARRIOR__"}}}},
    {"fsl-Host-examples-cdc_serial-m52259evb-m52259evb_cdc.mcp",
     "fsl",
     "Source/Host/examples/cdc_serial/codewarrior/m52259evb/m52259evb_cdc.mcp",
     78,
     {},
     {{"INTERNAL_RAM", {"_DEBUG", "__CODEWARRIOR__"}},
      {"INTERNAL_FLASH", {"_DEBUG", "__CODEWARRIOR__"}}}},
    {"fsl-Host-examples-cdc_serial-m52277evb-m52277evb_cdc.mcp",
     "fsl",
     "Source/Host/examples/cdc_serial/codewarrior/m52277evb/m52277evb_cdc.mcp",
     87,
     {"usbprv_host.h"},
     {{"INTERNAL_RAM", {"_DEBUG", "__CODEWARRIOR__"}},
      {"EXTERNAL_FLASH", {"_DEBUG", "__CODEWARRIOR__"}}}},
    {"btcar-servo.mcp",
     "btcar",
     "servo/servo/servo.mcp",
     12,
     {"ansibi.lib", "main.asm", "main_asm.h", "mc9s12dg256.c", "mc9s12dg256.h"},
     {{"Standard", {"_HCS12_SERIALMON", "__NO_FLOAT__"}}}},
};

class EmbeddedProjects : public ::testing::TestWithParam<Embedded> {
  protected:
    // The repositories' trees, made once for every process of the table.
    static fs::path treeOf(const std::string& name) {
        const std::string list = name == "fsl" ? "fsl-usb-stack.paths" : "bt-car.paths";
        return keptRepositoryTree(kShared / list, TESSALY_TEST_CACHE);
    }
};

std::string lastPiece(const std::string& name) {
    return name.substr(name.find_last_of("\\/:") + 1);
}

bool namesMissing(const std::set<std::string>& missing, const std::string& file) {
    return std::any_of(missing.begin(), missing.end(), [&](const std::string& name) {
        return equalIgnoringAsciiCase(lastPiece(name), fs::path(file).filename().string());
    });
}

TEST_P(EmbeddedProjects, ConvertCompletelyWhereTheyLie) {
    const Embedded& e = GetParam();
    if (!fs::exists(kShared / "projects" / e.file)) {
        GTEST_SKIP() << "the shared embedded projects are not on this machine";
    }
    const fs::path root = treeOf(e.tree);
    fs::copy_file(kShared / "projects" / e.file, root / e.place,
                  fs::copy_options::overwrite_existing);
    TempFolder out;
    const ProgramResult run = runProgram(TESSCLI_PATH, {e.place, out.str(), ""}, root);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(run.output.find("stored by path"), std::string::npos) << run.output;

    std::size_t references = 0;
    std::size_t resolved = 0;
    std::set<std::string> unresolved;
    std::set<std::string> files;
    for (const std::string& line : lines(run.output, "\n")) {
        if (line.starts_with(message::fileNotFound(""))) {
            ++references;
            const std::string name = line.substr(message::fileNotFound("").size());
            EXPECT_TRUE(e.missing.contains(name)) << name;
            unresolved.insert(name);
        } else if (line.starts_with(message::addingFile(""))) {
            ++references;
            const std::string path = line.substr(message::addingFile("").size());
            if (fs::is_regular_file(path)) {
                ++resolved;
                files.insert(fs::canonical(path).string());
            } else {
                EXPECT_TRUE(namesMissing(e.missing, path)) << path;
                unresolved.insert(fs::path(path).filename().string());
            }
        }
    }
    EXPECT_EQ(references, e.references);
    EXPECT_EQ(unresolved.size(), e.missing.size());
    for (const std::string& file : e.placed) {
        EXPECT_TRUE(files.contains((fs::canonical(root) / file).string())) << file;
    }
    std::cout << e.file << ": " << resolved << " of " << references
              << " references come out as their file\n";
    for (const auto& [target, names] : e.macros) {
        const std::string personality =
            readFile(out.path() / target / "person" / (target + ".p_a"));
        for (const std::string& name : names) {
            EXPECT_NE(personality.find("-d \"" + name + "="), std::string::npos)
                << target << ": " << name;
        }
    }
}

// A project written on Windows, in a repository whose folders have another
// letter case than the project gives them, on this file system that tells
// case apart.
TEST(LetterCaseOnThisFileSystem, AWindowsProjectFindsItsFoldersInAnyCase) {
    TempFolder work;
    const fs::path repo = work.path() / "repo";
    for (const char* file : {"Source/Host/source/classes/hub.c", "Source/Host/app/b/sources/x.c",
                             "Source/Host/app/b/Sources/Main.c"}) {
        fs::create_directories((repo / file).parent_path());
        writeFile(repo / file, "");
    }
    const auto searchPath = [](const std::string& path, const char* recursive) {
        return "<SETTING><SETTING><NAME>SearchPath</NAME><SETTING><NAME>Path</NAME><VALUE>" + path +
               "</VALUE></SETTING><SETTING><NAME>PathFormat</NAME><VALUE>Windows</VALUE></SETTING>"
               "<SETTING><NAME>PathRoot</NAME><VALUE>Project</VALUE></SETTING></SETTING>"
               "<SETTING><NAME>Recursive</NAME><VALUE>" +
               recursive + "</VALUE></SETTING></SETTING>";
    };
    const auto fileRef = [](const std::string& type, const std::string& access,
                            const std::string& path) {
        return "<FILEREF><TARGETNAME>T</TARGETNAME><PATHTYPE>" + type +
               "</PATHTYPE><PATHROOT>Project</PATHROOT><ACCESSPATH>" + access +
               "</ACCESSPATH><PATH>" + path + "</PATH><PATHFORMAT>Windows</PATHFORMAT></FILEREF>";
    };
    writeFile(repo / "Source/Host/app/b/demo.mcp.xml",
              "<PROJECT><TARGETLIST><TARGET><NAME>T</NAME><SETTINGLIST><SETTING><NAME>"
              "UserSearchPaths</NAME>" +
                  searchPath("..\\..\\SOURCE", "true") +
                  "</SETTING></SETTINGLIST></TARGET></TARGETLIST><TARGETORDER></TARGETORDER>"
                  "<GROUPLIST><GROUP><NAME>G</NAME>" +
                  fileRef("Name", "", "CLASSES\\Hub.C") +
                  fileRef("PathRelative", "SOURCES", "main.c") +
                  fileRef("PathRelative", "sources", "X.C") + "</GROUP></GROUPLIST></PROJECT>");
    fs::create_directory(work.path() / "out");
    const ProgramResult run =
        runProgram(TESSCLI_PATH, {"demo.mcp.xml", (work.path() / "out").string(), ""},
                   repo / "Source/Host/app/b");
    const std::string project = (repo / "Source/Host/app/b").string() + "/";
    EXPECT_EQ(run.exitStatus, 0);
    const std::vector<std::string> output = lines(run.output, "\n");
    ASSERT_GE(output.size(), 3u) << run.output;
    EXPECT_EQ(output[0], message::addingFile(project + "/../../source/classes/hub.c"));
    // Of "sources" and "Sources", the first in byte order, unless one is
    // named exactly.
    EXPECT_EQ(output[1], message::addingFile(project + "Sources/Main.c"));
    EXPECT_EQ(output[2], message::addingFile(project + "sources/x.c"));
    const std::string personality = readFile(work.path() / "out/T/person/T.p_a");
    EXPECT_NE(personality.find("/../../source/classes\""), std::string::npos) << personality;
}

INSTANTIATE_TEST_SUITE_P(Shared, EmbeddedProjects, ::testing::ValuesIn(kProjects),
                         [](const ::testing::TestParamInfo<Embedded>& info) {
                             std::string name =
                                 info.param.file.substr(0, info.param.file.size() - 4);
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace tessaly::testing
