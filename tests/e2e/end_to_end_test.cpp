// The built tesscli, run as a user runs it: in a work folder holding the
// export and its source tree, with relative arguments resolved against the
// working folder. Each case's standard output and whole output tree are
// compared with tests/data/<case>/expected/ (see golden_run.h).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "e2e/golden_run.h"
#include "platform/messages.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;

// Console lines as the program prints them, each ended by a line break.
std::string lines(const std::vector<std::string>& each) {
    std::string text;
    for (const std::string& line : each) {
        text += line + "\n";
    }
    return text;
}

const fs::path kTestData = TESSALY_TEST_DATA;
const fs::path kSourceDir = TESSALY_SOURCE_DIR;

// Something to copy into the work folder: a folder below the repository root,
// copied to a folder of the work folder.
struct Input {
    std::string from;
    std::string to;
};

const Input kDemo{"examples/demo", "demo"};
const Input kSmall{"tests/data/small", "small"};
const std::string kLongFolder =
    std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(100, 'c');

struct Case {
    // tests/data/<name>/: input/ (copied into the work folder, over the
    // inputs below), expected/
    std::string name;
    std::vector<Input> inputs;
    std::vector<std::string> arguments;
    int exitStatus = 0;
    std::string workingFolder = ".";  // below the work folder
    std::function<void(const fs::path& work)> setup = nullptr;
    // When set, tesscli runs once before the compared run, and this runs
    // between the two.
    std::function<void(const fs::path& work)> afterFirstRun = nullptr;
    // The case whose expected/ this run must match, when not its own.
    std::string expectedOf = {};
};

void writeExtraPersonality(const fs::path& work) {
    // Read as text and appended through the CR LF translation: CR LF and LF
    // both end up as CR LF, a Ctrl-Z byte does not end the text, a lone CR
    // stays (before a line end too: CR CR LF is written back as it was), and
    // no line end is added after the last line.
    writeFile(work / "pers" / "extra.p_a",
              "-d \"EXTRA=1\"\r\n-d \"MORE=2\"\n-d \"CR=1\"\r\r\n-d \"Z=\x1a\"\r-x");
}

// Names the case in test output instead of dumping its bytes.
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"demo_options",
         {kDemo},
         {"demo/demo.mcp.xml", "out", "demo/cw", "-pn", "Demo", "-mp", "pers/msg.p_s", "-ap",
          "pers/extra.p_a", "-cp", "pers/cmp.p_c", "-ext", "c,h"},
         0,
         ".",
         writeExtraPersonality},
        // Default personalities, an empty CodeWarrior folder (no registry on
        // POSIX), and a destination given with "..", which stays uncleaned.
        {"demo_defaults", {kDemo}, {"demo.mcp.xml", "../out", ""}, 0, "demo"},
        // The demo's export with CR line ends, as Mac OS wrote them: a CR is
        // whitespace like an LF, so the project is the demo's, byte for byte.
        {"demo_cr",
         {kDemo},
         {"demo.mcp.xml", "../out", ""},
         0,
         "demo",
         nullptr,
         nullptr,
         "demo_defaults"},
        {"usage", {}, {"only", "two"}, 0},
        {"usage_no_arguments", {}, {}, 0},
        // Values of options are themselves examined as options; an option
        // standing last has no value and is ignored.
        {"option_as_last_argument",
         {kSmall},
         {"small/small.mcp.xml", "out", "", "-ext", "h", "-pn"}},
        {"missing_source", {}, {"nothere.mcp.xml", "out", ""}, 1},
        {"source_is_folder", {kSmall}, {"small", "out", ""}, 1},
        {"empty_source",
         {},
         {"empty.mcp.xml", "out", ""},
         1,
         ".",
         [](const fs::path& work) { writeFile(work / "empty.mcp.xml", ""); }},
        {"whitespace_source",
         {},
         {"blank.mcp.xml", "out", ""},
         1,
         ".",
         [](const fs::path& work) { writeFile(work / "blank.mcp.xml", " \r\n\t\n"); }},
        {"unexpected_eof", {}, {"cut.mcp.xml", "out", ""}, 1},
        {"missing_destination", {kSmall}, {"small/small.mcp.xml", "out/missing", ""}, 1},
        // A file stands where a group's folder must be: the folder counts as
        // existing, and its "output" folder cannot be made.
        {"file_in_place_of_group",
         {kDemo},
         {"demo/demo.mcp.xml", "out", "demo/cw"},
         1,
         ".",
         [](const fs::path& work) { writeFile(work / "out" / "App Debug" / "Sources", "x\n"); }},
        // A file named "person" in the destination: the default message
        // personality, the first file to go there, cannot be written.
        {"file_in_place_of_person_folder",
         {kSmall},
         {"small/small.mcp.xml", "out", ""},
         1,
         ".",
         [](const fs::path& work) { writeFile(work / "out" / "person", "x\n"); }},
        // Folders where personality files must be written.
        {"folder_in_place_of_generated_personality",
         {kSmall},
         {"small/small.mcp.xml", "out", ""},
         1,
         ".",
         [](const fs::path& work) {
             fs::create_directories(work / "out" / "Lib" / "person" / "Lib.p_a");
         }},
        {"folder_in_place_of_compiler_personality",
         {kSmall},
         {"small/small.mcp.xml", "out", ""},
         1,
         ".",
         [](const fs::path& work) {
             fs::create_directories(work / "out" / "person" / "small.p_c");
         }},
        {"missing_analyser_personality",
         {kDemo},
         {"demo/demo.mcp.xml", "out", "demo/cw", "-ext", "c", "-ap", "nothere.p_a"},
         0},
        {"analyser_personality_is_folder",
         {kSmall},
         {"small/small.mcp.xml", "out", "", "-ap", "small/src"},
         0},
        // An export saved with a byte-order mark: the mark is a text ahead of
        // the project, reported as the unexpected token.
        {"byte_order_mark",
         {},
         {"bom.mcp.xml", "out", ""},
         0,
         ".",
         [](const fs::path& work) {
             writeFile(work / "bom.mcp.xml",
                       "\xEF\xBB\xBF" + readFile(kSourceDir / kSmall.from / "small.mcp.xml"));
         }},
        // Nothing after the project's close tag is read, however malformed.
        {"after_the_project",
         {},
         {"after.mcp.xml", "out", ""},
         0,
         ".",
         [](const fs::path& work) {
             writeFile(
                 work / "after.mcp.xml",
                 readFile(kSourceDir / kSmall.from / "small.mcp.xml") + "<PROJECT><<<\n<!-- ");
         }},
        // A working folder far longer than 255 characters.
        {"long_working_folder",
         {},
         {"small/small.mcp.xml", "../../../out", ""},
         0,
         kLongFolder,
         [](const fs::path& work) {
             fs::create_directories(work / kLongFolder);
             fs::copy(kSourceDir / kSmall.from, work / kLongFolder / "small",
                      fs::copy_options::recursive);
         }},
        {"unexpected_token", {}, {"bad.mcp.xml", "out", ""}, 0},
        {"second_run",
         {kSmall},
         {"small/small.mcp.xml", "out", ""},
         0,
         ".",
         nullptr,
         [](const fs::path& work) {
             for (const char* file : {"small.p_s", "small.p_a", "small.p_c"}) {
                 writeFile(work / "out" / "person" / file, "kept?\n");
             }
         }},
        {"crlf_ctrlz", {}, {"crlf.mcp.xml", "out", ""}, 0},
        // File references rooted at a source tree: the tree's folder, one
        // separator, then the access path (if any) and the name.
        {"source_tree_references", {}, {"trees.mcp.xml", "out", ""}, 0},
        // Environment variables whose text holds several "=": the name ends
        // at the first, the value starts after the last.
        {"environment_variables", {}, {"env.mcp.xml", "out", ""}, 0},
        // Two -ext options add up to one list, and an extension matches
        // whatever the letter case of the entry and of the file name.
        {"extension_filter", {}, {"filter.mcp.xml", "out", "", "-ext", "c", "-ext", "H"}, 0},
        {"safe_names", {}, {"names.mcp.xml", "out", ""}, 0},
        {"recursive_roots", {}, {"roots.mcp.xml", "out", ""}, 0},
        {"link_cycle",
         {},
         {"cycle.mcp.xml", "out", ""},
         0,
         ".",
         [](const fs::path& work) {
             // Back up the walk and to the root: neither listed nor entered.
             fs::create_directory_symlink("..", work / "inc" / "sub" / "loop");
             fs::create_directory_symlink("/", work / "inc" / "sub" / "up");
             // A link that cannot be resolved is no folder.
             fs::create_symlink("self", work / "inc" / "sub" / "self");
             // A link out of the tree to a folder not on the walk: followed.
             fs::create_directory_symlink("../../ext", work / "inc" / "sub" / "alias");
         }},
    };
    return all;
}

ProgramResult runTesscli(const std::vector<std::string>& arguments, const fs::path& folder) {
    return runProgram(TESSCLI_PATH, arguments, folder);
}

void prepareWork(const Case& c, const fs::path& work) {
    for (const Input& input : c.inputs) {
        fs::copy(kSourceDir / input.from, work / input.to, fs::copy_options::recursive);
    }
    const fs::path ownInput = kTestData / c.name / "input";
    if (fs::exists(ownInput)) {
        fs::copy(ownInput, work,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
    fs::create_directory(work / "out");
    if (c.setup) {
        c.setup(work);
    }
}

class EndToEnd : public ::testing::TestWithParam<Case> {};

TEST_P(EndToEnd, MatchesExpectedOutputAndTree) {
    const Case& c = GetParam();
    TempFolder work;
    prepareWork(c, work.path());
    const fs::path folder = work.path() / c.workingFolder;
    if (c.afterFirstRun) {
        ASSERT_EQ(runTesscli(c.arguments, folder).exitStatus, c.exitStatus);
        c.afterFirstRun(work.path());
    }

    const ProgramResult result = runTesscli(c.arguments, folder);

    EXPECT_EQ(result.exitStatus, c.exitStatus) << result.output;
    compareWithGolden(kTestData / (c.expectedOf.empty() ? c.name : c.expectedOf) / "expected",
                      result.output, work.path() / "out", work.path());
}

INSTANTIATE_TEST_SUITE_P(Cases, EndToEnd, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return info.param.name;
                         });

// A folder that may not be written into.
TEST(EndToEndPermissions, ReadOnlyFolderGivesCouldNotCreateDirectory) {
    TempFolder work;
    fs::copy(kSourceDir / kSmall.from, work.path() / "small", fs::copy_options::recursive);
    fs::create_directories(work.path() / "out" / "Lib");
    const CommandLine command =
        withoutPrivileges(TESSCLI_PATH, {"small/small.mcp.xml", "out", ""}, work.path());
    fs::permissions(work.path() / "out" / "Lib", fs::perms::owner_read | fs::perms::owner_exec |
                                                     fs::perms::others_read |
                                                     fs::perms::others_exec);

    const ProgramResult result = runProgram(command.program, command.arguments, work.path());

    EXPECT_EQ(result.exitStatus, 1);
    const std::string lastLine =
        message::failure(ErrorCode::CannotCreateDirectory,
                         fs::canonical(work.path()).string() + "/out/Lib/output/") +
        "\n";
    ASSERT_GE(result.output.size(), lastLine.size());
    EXPECT_EQ(result.output.substr(result.output.size() - lastLine.size()), lastLine)
        << result.output;
}

// The small export with its group list replaced by 1,001 GROUPs nested in
// one another, with a file at each of the given levels.
std::string deeplyNestedExport(const std::vector<int>& levelsWithFile) {
    constexpr int kLevels = 1001;
    const std::string small = readFile(kSourceDir / kSmall.from / "small.mcp.xml");
    std::string groups = "    <GROUPLIST>\n";
    for (int level = 1; level <= kLevels; ++level) {
        groups += "<GROUP><NAME>g</NAME>";
        if (std::find(levelsWithFile.begin(), levelsWithFile.end(), level) !=
            levelsWithFile.end()) {
            groups +=
                "<FILEREF><TARGETNAME>Lib</TARGETNAME><PATHTYPE>PathRelative</PATHTYPE>"
                "<PATHROOT>Project</PATHROOT><ACCESSPATH>src</ACCESSPATH><PATH>level" +
                std::to_string(level) + ".c</PATH></FILEREF>\n";
        }
    }
    for (int level = 1; level <= kLevels; ++level) {
        groups += "</GROUP>";
    }
    groups += "\n    </GROUPLIST>\n</PROJECT>\n";
    return small.substr(0, small.find("    <GROUPLIST>")) + groups;
}

// The open tag of the 1,001st nested GROUP is refused like any token that
// does not fit; everything read before it is written.
TEST(EndToEndNesting, GroupsDeeperThanOneThousandLevelsStopAtTheExtraGroup) {
    TempFolder work;
    const std::string w = fs::canonical(work.path()).string();
    writeFile(work.path() / "deep.mcp.xml", deeplyNestedExport({1, 2, 1001}));
    fs::create_directory(work.path() / "out");

    const ProgramResult result = runTesscli({"deep.mcp.xml", "out", ""}, work.path());

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(
        result.output,
        lines({message::addingFile(w + "/src/level1.c"), message::addingFile(w + "/src/level2.c"),
               message::unexpectedToken("GROUP"), message::creatingProject(),
               message::creatingGroup("deep"), message::creatingGroup("Lib"),
               message::creatingAnalyserPersonality(w + "/out/Lib/person/Lib.p_a"),
               message::creatingGroup("g"), message::creatingGroup("g"),
               message::projectCompleted()}));
    EXPECT_TRUE(fs::is_directory(work.path() / "out" / "Lib" / "g" / "g" / "output"));
    EXPECT_NE(readFile(work.path() / "out" / "deep.prj")
                  .find("\r\n" + w + "/src/level2.c\r\nEndContainedFilesMarker\r\n"),
              std::string::npos);
}

// A target whose settings nest `levels` deep, the innermost with a value.
std::string deeplyNestedTarget(const std::string& name, int levels) {
    std::string target = "<TARGET><NAME>" + name + "</NAME><SETTINGLIST>";
    for (int level = 1; level < levels; ++level) {
        target += "<SETTING><NAME>n</NAME>";
    }
    target += "<SETTING><NAME>x</NAME><VALUE>1</VALUE></SETTING>";
    for (int level = 1; level < levels; ++level) {
        target += "</SETTING>";
    }
    return target + "</SETTINGLIST></TARGET>\n";
}

// The same limit for SETTINGs: a target whose settings nest 1,000 deep is
// read; one whose settings nest 1,001 deep is refused at the innermost
// SETTING, and dropped.
TEST(EndToEndNesting, SettingsDeeperThanOneThousandLevelsStopAtTheExtraSetting) {
    TempFolder work;
    const std::string w = fs::canonical(work.path()).string();
    std::string project = readFile(kSourceDir / kSmall.from / "small.mcp.xml");
    project.insert(project.find("    </TARGETLIST>"),
                   deeplyNestedTarget("Deep1000", 1000) + deeplyNestedTarget("Deep1001", 1001));
    writeFile(work.path() / "deep.mcp.xml", project);
    fs::create_directory(work.path() / "out");

    const ProgramResult result = runTesscli({"deep.mcp.xml", "out", ""}, work.path());

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.output,
              lines({message::unexpectedToken("SETTING"), message::creatingProject(),
                     message::creatingGroup("deep"), message::creatingGroup("Lib"),
                     message::creatingAnalyserPersonality(w + "/out/Lib/person/Lib.p_a"),
                     message::creatingGroup("Deep1000"),
                     message::creatingAnalyserPersonality(w + "/out/Deep1000/person/Deep1000.p_a"),
                     message::projectCompleted()}));
}

// A file at the 1,000th level is still placed. (The destination is missing, so
// that the thousand nested folders are not written: the test stays fast.)
TEST(EndToEndNesting, TheThousandthLevelIsStillRead) {
    TempFolder work;
    const std::string w = fs::canonical(work.path()).string();
    writeFile(work.path() / "deep.mcp.xml", deeplyNestedExport({1000, 1001}));

    const ProgramResult result = runTesscli({"deep.mcp.xml", "missing", ""}, work.path());

    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.output,
              lines({message::addingFile(w + "/src/level1000.c"), message::unexpectedToken("GROUP"),
                     message::failure(ErrorCode::CannotWriteFile, w + "/missing/deep.prj")}));
}

}  // namespace
}  // namespace tessaly::testing
