// Genuine CodeWarrior exports, converted by the built tesscli without their
// source trees (so "Name" references resolve to empty paths) and without a
// CodeWarrior folder. What is known of each export is asserted: the targets
// read, the files placed, the folders made, and whether the whole project
// parsed. The counts were taken from the exports themselves (targets in the
// target list, file references in the group list, distinct target and group
// chains holding a file).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;

// Kept: redistributable, stored in tests/data/real-exports. Otherwise read
// from the shared folder of genuine exports, which other machines may lack.
enum class Location { Kept, Shared };

struct RealExport {
    std::string file;
    Location location;
    int targets;      // target folders below the top of the project
    int filesAdded;   // "adding file: " and "file not found: " lines
    int folders;      // "  Creating Group - " lines: the top, the targets, the groups
    std::string end;  // how the parse ended: empty = complete, else the line that ends it
    std::function<void(const fs::path& out, const std::string& project)> check = nullptr;
};

const std::string kEof = message::failure(ErrorCode::UnexpectedEnd, "");

int countStartingWith(const std::vector<std::string>& all, const std::string& prefix) {
    return static_cast<int>(std::count_if(
        all.begin(), all.end(), [&](const std::string& line) { return line.starts_with(prefix); }));
}

// Blocks directly below the top block of a .prj file.
int targetBlocks(const std::string& project) {
    int depth = 0;
    int targets = 0;
    for (const std::string& line : lines(project, "\r\n")) {
        if (line == "StartSubProjectMarker") {
            ++depth;
        } else if (line == "EndSubProjectMarker") {
            --depth;
        } else if (line == "StartProjectMarker" && depth == 1) {
            ++targets;
        }
    }
    return targets;
}

bool hasFolderNamed(const fs::path& root, const std::string& name) {
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_directory() && entry.path().filename() == name) {
            return true;
        }
    }
    return false;
}

const std::vector<RealExport>& realExports() {
    const Location kept = Location::Kept;
    const Location shared = Location::Shared;
    static const std::vector<RealExport> all = {
        {"alephone-mac-ide41.xml", shared, 1, 144, 13, ""},
        {"freetype-ftlib-mac-ide50.xml", kept, 1, 20, 4, ""},
        // An exported settings panel is an XML document, but no project.
        {"macsurf-AccessPaths-panel-ide50-cr.xml", shared, 0, 0, 0, message::notAProject("")},
        {"macsurf-MacSrf-mac-ide50-cr.xml", shared, 1, 580, 2, ""},
        {"mozilla-BasicPlugin-mac-ide42-truncated.xml", shared, 0, 0, 0, kEof},
        {"mozilla-EmbedAPI-mac-ide42.xml", shared, 2, 1, 4, "",
         [](const fs::path& out, const std::string& project) {
             EXPECT_TRUE(hasFolderNamed(out, "Init_Term"));
             EXPECT_FALSE(hasFolderNamed(out, "Term"));
             EXPECT_NE(project.find("\r\nFolderName=Init/Term\r\n"), std::string::npos);
         }},
        {"mozilla-MRJPlugin-mac-ide42.xml", shared, 6, 51, 17, ""},
        {"mozilla-PowerPlant-mac-ide42.xml", shared, 2, 255, 35, "",
         [](const fs::path& out, const std::string& project) {
             EXPECT_TRUE(hasFolderNamed(out, "File & Stream Classes"));
             EXPECT_NE(project.find("\r\nFolderName=File & Stream Classes\r\n"), std::string::npos);
             EXPECT_EQ(project.find("&amp;"), std::string::npos);
         }},
        // Every file reference stands directly in the group list.
        {"mozilla-prefextrasIDL-mac-ide42.xml", shared, 2, 3, 3, ""},
        {"quesa-3DSFileSupport-win32-ide50.xml", kept, 2, 26, 7, ""},
        {"quesa-Quesa-mac-ide50.xml", kept, 15, 172, 83, ""},
        {"quesa-Quesa-win32-ide50-cr.xml", kept, 3, 146, 31, ""},
        {"quesa-QuesaFramework-mac-ide50.xml", kept, 2, 122, 27, ""},
        {"quesa-VRMLreader-mac-ide58.xml", kept, 6, 70, 24, ""},
        {"w2c2-CoreMark-mac-ide42-cr.xml", kept, 2, 11, 6, ""},
        {"xerces-DOMPrint-mac-ide41.xml", kept, 3, 21, 11, ""},
        // Raw control bytes, Ctrl-Z among them, inside values: read past.
        {"xerces-DOMPrint-mac-ide42-ctrlz.xml", kept, 3, 18, 11, ""},
        {"xerces-DOMPrint-mac-macho-ide50.xml", kept, 4, 25, 14, ""},
        {"xerces-DOMPrint-win32-ide50.xml", kept, 2, 14, 9, ""},
        {"xerces-XercesLib-win32-ide50.xml", kept, 2, 737, 32, ""},
    };
    return all;
}

void PrintTo(const RealExport& e, std::ostream* out) {
    *out << e.file;
}

fs::path exportPath(const RealExport& e) {
    return (e.location == Location::Kept ? fs::path(TESSALY_TEST_DATA) / "real-exports"
                                         : fs::path(TESSALY_REAL_EXPORTS)) /
           e.file;
}

class RealExports : public ::testing::TestWithParam<RealExport> {};

TEST_P(RealExports, ConvertAsKnown) {
    const RealExport& e = GetParam();
    const fs::path source = exportPath(e);
    if (e.location == Location::Shared && !fs::exists(source)) {
        GTEST_SKIP() << "the shared genuine exports (" << TESSALY_REAL_EXPORTS
                     << ") are not on this machine";
    }
    ASSERT_TRUE(fs::exists(source)) << source;
    TempFolder work;
    // Access paths such as ../../../../../lib (marked recursive) are taken
    // verbatim; deep enough below the work folder they stay inside it instead
    // of walking the host's own folders.
    const std::string inputFolder = "1/2/3/4/5/6/in";
    fs::create_directories(work.path() / inputFolder);
    fs::copy_file(source, work.path() / inputFolder / e.file);
    fs::create_directory(work.path() / "out");

    const ProgramResult result =
        runProgram(TESSCLI_PATH, {inputFolder + "/" + e.file, "out", ""}, work.path());
    const std::vector<std::string> output = lines(result.output, "\n");

    EXPECT_EQ(countStartingWith(output, message::addingFile("")) +
                  countStartingWith(output, message::fileNotFound("")),
              e.filesAdded);
    EXPECT_EQ(countStartingWith(output, message::creatingGroup("")), e.folders);
    if (e.end.empty()) {
        EXPECT_EQ(countStartingWith(output, "CW Project file parsing"), 0) << result.output;
    } else {
        EXPECT_EQ(countStartingWith(output, e.end), 1) << result.output;
    }

    const fs::path out = work.path() / "out";
    if (e.end == kEof || e.end == message::notAProject("")) {
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(output.size(), 1u);
        EXPECT_TRUE(fs::is_empty(out));
        return;
    }
    EXPECT_EQ(result.exitStatus, 0);
    ASSERT_FALSE(output.empty());
    EXPECT_EQ(output.back(), message::projectCompleted());
    const fs::path projectFile = out / (e.file.substr(0, e.file.rfind('.')) + ".prj");
    ASSERT_TRUE(fs::exists(projectFile));
    const std::string project = readFile(projectFile);
    EXPECT_EQ(targetBlocks(project), e.targets);
    if (e.check) {
        e.check(out, project);
    }
}

INSTANTIATE_TEST_SUITE_P(Genuine, RealExports, ::testing::ValuesIn(realExports()),
                         [](const ::testing::TestParamInfo<RealExport>& info) {
                             std::string name =
                                 info.param.file.substr(0, info.param.file.rfind('.'));
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char c) {
                                     return !std::isalnum(static_cast<unsigned char>(c));
                                 },
                                 '_');
                             return name;
                         });

// The Ctrl-Z export really carries the byte that a text-mode reader on
// Windows would take for the end of the file, well before the project's end.
TEST(RealExportsInput, CtrlZExportHoldsTheByteInsideAValue) {
    const std::string text = readFile(fs::path(TESSALY_TEST_DATA) / "real-exports" /
                                      "xerces-DOMPrint-mac-ide42-ctrlz.xml");
    const auto ctrlZ = text.find('\x1a');
    ASSERT_NE(ctrlZ, std::string::npos);
    EXPECT_LT(ctrlZ, text.find("<GROUPLIST>"));
}

}  // namespace
}  // namespace tessaly::testing
