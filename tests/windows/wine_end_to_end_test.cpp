// The Windows build of tesscli, run under Wine with Windows semantics: drive
// letters, "\" separators, per-drive current directories, the registry, the
// directory search. Expectations are written in Windows form, CR LF included.
// The Wine prefix is private to the build folder; drive C: is its drive_c.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "output/replaced_file.h"
#include "platform/messages.h"
#include "support/destination_states.h"
#include "support/export_text.h"
#include "support/source_trees.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const fs::path kPrefix = TESSALY_WINEPREFIX;
const std::string kWine = TESSALY_WINE;
const std::string kWineServer = TESSALY_WINESERVER;
const fs::path kTesscliExe = TESSALY_WINDOWS_TESSCLI;
const char* const kIdeKey =
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IDE.exe";

// Lines joined with CR LF, as the program writes its files and as the
// Windows console writes its standard output.
std::string crlf(const Strings& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

// The Windows name of a host path, through the Z: drive that maps "/".
std::string onDriveZ(const fs::path& path) {
    std::string text = "Z:" + path.string();
    for (char& c : text) {
        c = c == '/' ? '\\' : c;
    }
    return text;
}

std::string firstLine(const std::string& output) {
    return output.substr(0, output.find("\r\n"));
}

// The last line of the output, without its line end.
std::string lastLine(std::string output) {
    if (output.ends_with("\r\n")) {
        output.resize(output.size() - 2);
    }
    const std::size_t start = output.rfind("\r\n");
    return start == std::string::npos ? output : output.substr(start + 2);
}

// A compact export: one target with the given settings, one group list.
std::string exportWith(const std::string& target, const std::string& settings,
                       const std::string& groups) {
    return "<?xml version=\"1.0\"?>\n<PROJECT><TARGETLIST><TARGET><NAME>" + target +
           "</NAME><SETTINGLIST>" + settings +
           "</SETTINGLIST></TARGET></TARGETLIST><TARGETORDER></TARGETORDER><GROUPLIST>" + groups +
           "</GROUPLIST></PROJECT>\n";
}

std::string accessPath(const std::string& root, const std::string& path, bool recursive) {
    return "<SETTING><SETTING><NAME>SearchPath</NAME><SETTING><NAME>Path</NAME><VALUE>" + path +
           "</VALUE></SETTING><SETTING><NAME>PathFormat</NAME><VALUE>Windows</VALUE></SETTING>"
           "<SETTING><NAME>PathRoot</NAME><VALUE>" +
           root + "</VALUE></SETTING></SETTING><SETTING><NAME>Recursive</NAME><VALUE>" +
           (recursive ? "true" : "false") + "</VALUE></SETTING></SETTING>";
}

std::string searchPaths(const std::string& list, const std::string& entries) {
    return "<SETTING><NAME>" + list + "</NAME>" + entries + "</SETTING>";
}

std::string fileRef(const std::string& target, const std::string& type, const std::string& root,
                    const std::string& access, const std::string& path) {
    return "<FILEREF><TARGETNAME>" + target + "</TARGETNAME><PATHTYPE>" + type +
           "</PATHTYPE><PATHROOT>" + root + "</PATHROOT><ACCESSPATH>" + access +
           "</ACCESSPATH><PATH>" + path + "</PATH><PATHFORMAT>Windows</PATHFORMAT></FILEREF>";
}

std::string group(const std::string& name, const std::string& content) {
    return "<GROUP><NAME>" + name + "</NAME>" + content + "</GROUP>";
}

class WineTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        setenv("WINEPREFIX", kPrefix.c_str(), 1);
        setenv("WINEDEBUG", "-all", 1);
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);  // no installer dialogs
        if (!fs::exists(kPrefix / "system.reg")) {
            fs::create_directories(kPrefix);
            runProgram(kWine, {"wineboot", "-i"}, kPrefix);
        }
        // Keeps the server up between the runs of one test and the next.
        runProgram(kWineServer, {"-p10"}, kPrefix);
    }

    void SetUp() override {
        for (const char* folder : {"work", "out", "inc", "Tools", "outside", "kept"}) {
            fs::remove_all(driveC() / folder);
        }
        fs::create_directories(driveC() / "work");
        fs::create_directories(driveC() / "out");
        fs::remove(kPrefix / "dosdevices" / "d:");
        runProgram(kWine, {"reg", "delete", kIdeKey, "/f"}, kPrefix);
    }

    static fs::path driveC() { return kPrefix / "drive_c"; }

    // The command line that runs tesscli.exe with the arguments.
    static Strings underWine(const Strings& arguments) {
        Strings all{kTesscliExe.string()};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return all;
    }
    // Runs tesscli.exe with the arguments, in a folder of drive C.
    static ProgramResult tesscli(const Strings& arguments,
                                 const fs::path& folder = driveC() / "work") {
        return runProgram(kWine, underWine(arguments), folder);
    }
    // Runs tesscli.exe in C:\work with a limit on the size of any file it
    // writes (as a full disk or a quota sets one) and on its time, so that a
    // converter that writes without end cannot fill the disk.
    static ProgramResult boundedTesscli(const Strings& arguments, int fileSizeLimit) {
        Strings command{"60", "/usr/bin/prlimit", "--fsize=" + std::to_string(fileSizeLimit),
                        kWine};
        for (const std::string& argument : underWine(arguments)) {
            command.push_back(argument);
        }
        return runProgram("/usr/bin/timeout", command, driveC() / "work");
    }
    // Starts tesscli.exe in C:\work with its console on `output`.
    static int startTesscli(const Strings& arguments, int output) {
        return startProgram(kWine, underWine(arguments), driveC() / "work", output);
    }

    // Runs a command line through the Windows command interpreter, which
    // keeps a current directory per drive and hands them to its children.
    static ProgramResult cmd(const std::string& commandLine) {
        return runProgram(kWine, {"cmd", "/c", commandLine}, driveC() / "work");
    }

    static std::string read(const std::string& relativeToDriveC) {
        return readFile(driveC() / relativeToDriveC);
    }
};

TEST_F(WineTest, WorkedExampleByteForByte) {
    writeFile(
        driveC() / "work" / "Engine.mcp.xml",
        exportWith("App", searchPaths("UserSearchPaths", accessPath("Absolute", "C:\\inc", false)),
                   group("Src", fileRef("App", "PathRelative", "Project", "src", "main.c"))));
    const ProgramResult result = tesscli({"Engine.mcp.xml", "C:\\out", "C:\\CW"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.output,
              crlf({message::addingFile("C:\\work\\src\\main.c"), message::creatingProject(),
                    message::creatingGroup("Engine"), message::creatingGroup("App"),
                    message::creatingAnalyserPersonality("C:\\out\\App\\person\\App.p_a"),
                    message::creatingGroup("Src"), message::projectCompleted()}));
    EXPECT_EQ(read("out/Engine.prj"), crlf({"VersionTag45",
                                            "StartProjectMarker",
                                            "FolderName=Engine",
                                            "SourcePath=C:\\out\\",
                                            "OutputPath=C:\\out\\output\\",
                                            "SubsPers=C:\\out\\person\\Engine.p_s",
                                            "AnalPers=C:\\out\\person\\Engine.p_a",
                                            "CompPers=C:\\out\\person\\Engine.p_c",
                                            "EndContainedFilesMarker",
                                            "StartSubProjectMarker",
                                            "StartProjectMarker",
                                            "FolderName=App",
                                            "SourcePath=C:\\out\\App\\",
                                            "OutputPath=C:\\out\\App\\output\\",
                                            "SubsPers=C:\\out\\person\\Engine.p_s",
                                            "AnalPers=C:\\out\\App\\person\\App.p_a",
                                            "CompPers=C:\\out\\person\\Engine.p_c",
                                            "EndContainedFilesMarker",
                                            "StartSubProjectMarker",
                                            "StartProjectMarker",
                                            "FolderName=Src",
                                            "SourcePath=C:\\out\\App\\Src\\",
                                            "OutputPath=C:\\out\\App\\Src\\output\\",
                                            "SubsPers=C:\\out\\person\\Engine.p_s",
                                            "AnalPers=C:\\out\\App\\person\\App.p_a",
                                            "CompPers=C:\\out\\person\\Engine.p_c",
                                            "C:\\work\\src\\main.c",
                                            "EndContainedFilesMarker",
                                            "EndSubProjectMarker",
                                            "EndSubProjectMarker"}));
    EXPECT_EQ(read("out/App/person/App.p_a"), crlf({"-i \"C:\\inc\""}));
    for (const char* file :
         {"out/person/Engine.p_s", "out/person/Engine.p_a", "out/person/Engine.p_c"}) {
        EXPECT_EQ(read(file), "") << file;
    }
}

TEST_F(WineTest, CodeWarriorFolderFromTheRegistry) {
    writeFile(driveC() / "work" / "p.mcp.xml",
              exportWith("T", "<SETTING><NAME>X</NAME><VALUE>1</VALUE></SETTING>",
                         group("G", fileRef("T", "PathRelative", "CodeWarrior", "MSL", "a.h"))));
    EXPECT_EQ(firstLine(tesscli({"p.mcp.xml", "C:\\out", ""}).output),
              message::addingFile("\\MSL\\a.h"))
        << "no registry value: the folder is empty";

    runProgram(kWine,
               {"reg", "add", kIdeKey, "/ve", "/d", "C:\\Tools\\CodeWarrior\\Bin\\IDE.exe", "/f"},
               kPrefix);
    EXPECT_EQ(firstLine(tesscli({"p.mcp.xml", "C:\\out", ""}).output),
              message::addingFile("C:\\Tools\\CodeWarrior\\MSL\\a.h"))
        << "the registry default";
    EXPECT_EQ(firstLine(tesscli({"p.mcp.xml", "C:\\out", "E:\\Given"}).output),
              message::addingFile("E:\\Given\\MSL\\a.h"))
        << "a given folder wins";
}

TEST_F(WineTest, DriveRelativeSourceUsesThatDrivesCurrentDirectory) {
    TempFolder driveD;
    fs::create_directory_symlink(driveD.path(), kPrefix / "dosdevices" / "d:");
    writeFile(driveD.path() / "sub" / "proj.mcp.xml",
              exportWith("T", "<SETTING><NAME>X</NAME><VALUE>1</VALUE></SETTING>",
                         group("G", fileRef("T", "PathRelative", "Project", "src", "x.c"))));
    // D's own current directory is D:\sub; the process starts in C:\work.
    const ProgramResult result = cmd("cd /d D:\\sub && cd /d C:\\work && " + onDriveZ(kTesscliExe) +
                                     " D:proj.mcp.xml ..\\out \"\"");
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    EXPECT_EQ(firstLine(result.output), message::addingFile("D:\\sub\\src\\x.c"));
    // The destination resolves against C:\work, uncleaned: the current
    // directory was restored after the drive-relative path.
    EXPECT_NE(read("out/proj.prj").find("SourcePath=C:\\work\\..\\out\\\r\n"), std::string::npos);
}

TEST_F(WineTest, RootedAndAbsolutePathsStayAndDotIsTheCurrentDirectory) {
    writeFile(driveC() / "work" / "p.mcp.xml",
              exportWith("T", "<SETTING><NAME>X</NAME><VALUE>1</VALUE></SETTING>",
                         group("G", fileRef("T", "PathRelative", "Project", "", "f.c"))));
    const ProgramResult rooted = tesscli({"\\work\\p.mcp.xml", ".", ""});
    EXPECT_EQ(rooted.exitStatus, 0);
    EXPECT_EQ(firstLine(rooted.output), message::addingFile("\\work\\f.c"));
    EXPECT_NE(read("work/p.prj").find("FolderName=p\r\nSourcePath=C:\\work\\\r\n"),
              std::string::npos);

    const ProgramResult absolute = tesscli({"C:\\work\\p.mcp.xml", "C:\\out", ""});
    EXPECT_EQ(firstLine(absolute.output), message::addingFile("C:\\work\\f.c"));
}

TEST_F(WineTest, MissingSourceNamesTheAbsolutePath) {
    const ProgramResult result = tesscli({"none.mcp.xml", "C:\\out", ""});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.output,
              crlf({message::failure(ErrorCode::CannotOpen, "C:\\work\\none.mcp.xml")}));
}

TEST_F(WineTest, WindowsConventions) {
    // A recursive folder tree with one subfolder per level, so the directory
    // search's order is known; a Name reference found two levels down.
    fs::create_directories(driveC() / "inc" / "net" / "proto");
    writeFile(driveC() / "inc" / "net" / "proto" / "http.h", "");
    const std::string settings =
        searchPaths("UserSearchPaths", accessPath("Absolute", "C:\\inc", true)) +
        searchPaths("SystemSearchPaths", accessPath("Absolute", "", true) +
                                             accessPath("Absolute", "C:\\", true) +
                                             accessPath("Absolute", "\\", true)) +
        "<!-- Settings for \"C/C++ Compiler\" panel -->\r\n"
        "<SETTING><NAME>Password</NAME><VALUE>a\x1A"
        "b</VALUE></SETTING>";
    std::string xml = exportWith("a\\b:c*", settings,
                                 group("x/y", fileRef("a\\b:c*", "Name", "", "", "http.h")) +
                                     group("..", fileRef("a\\b:c*", "Name", "", "", "gone.h")));
    std::string crlfXml;
    for (char c : xml) {
        crlfXml += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    writeFile(driveC() / "work" / "w.mcp.xml", crlfXml);

    const ProgramResult result = tesscli({"w.mcp.xml", "C:\\out", ""});
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    EXPECT_EQ(
        result.output,
        crlf({message::addingFile("C:\\inc\\net\\proto\\http.h"), message::fileNotFound("gone.h"),
              message::filesNotFound(1, 2), message::creatingProject(), message::creatingGroup("w"),
              message::creatingGroup("a\\b:c*"),
              message::creatingAnalyserPersonality("C:\\out\\a_b_c_\\person\\a_b_c_.p_a"),
              message::creatingGroup("x/y"), message::creatingGroup(".."),
              message::projectCompleted()}));
    EXPECT_EQ(read("out/a_b_c_/person/a_b_c_.p_a"),
              crlf({"-i \"C:\\inc\"", "-i \"C:\\inc\\net\"", "-i \"C:\\inc\\net\\proto\"",
                    "-i \"\"", "-q \"\"", "-i \"C:\\\"", "-q \"C:\\\"", "-i \"\\\"", "-q \"\\\"",
                    "-d \"Password=a\x1A"
                    "b\""}));
    EXPECT_TRUE(fs::is_directory(driveC() / "out" / "a_b_c_" / "x_y" / "output"));
    EXPECT_TRUE(fs::is_directory(driveC() / "out" / "a_b_c_" / "__" / "output"));
    EXPECT_NE(read("out/w.prj").find("FolderName=..\r\nSourcePath=C:\\out\\a_b_c_\\__\\\r\n"),
              std::string::npos);
}

// The compilation database of the Windows build: Windows paths, read by a
// JSON parser.
TEST_F(WineTest, CompilationDatabaseInWindowsForm) {
    writeFile(
        driveC() / "work" / "Engine.mcp.xml",
        exportWith("App", searchPaths("UserSearchPaths", accessPath("Absolute", "C:\\inc", false)),
                   group("Src", fileRef("App", "PathRelative", "Project", "src", "main.c") +
                                    fileRef("App", "PathRelative", "Project", "src", "main.h"))));
    const ProgramResult result =
        tesscli({"Engine.mcp.xml", "C:\\out", "C:\\CW", "-cdb", "..\\out\\db.json"});
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    const nlohmann::json database = nlohmann::json::parse(read("out/db.json"));
    ASSERT_EQ(database.size(), 1u);
    EXPECT_EQ(database[0]["directory"], "C:\\work");
    EXPECT_EQ(database[0]["file"], "C:\\work\\src\\main.c");
    EXPECT_EQ(database[0]["arguments"],
              (Strings{"cc", "-IC:\\inc", "-c", "C:\\work\\src\\main.c"}));
}

// A project exported on another machine, whose access paths name folders on
// its drives (C:\Dev\...) and out of its folder: converted where it sits
// now, it finds them below its own folder.
TEST_F(WineTest, ProjectThatMovedFindsItsFoldersBelowItsFolder) {
    fs::create_directories(driveC() / "work" / "web" / "src" / "include");
    fs::create_directories(driveC() / "work" / "common" / "inc");
    writeFile(driveC() / "work" / "web" / "src" / "include" / "api.h", "");
    writeFile(driveC() / "work" / "common" / "inc" / "util.h", "");
    writeFile(driveC() / "work" / "p.mcp.xml",
              exportWith("T",
                         searchPaths("UserSearchPaths",
                                     accessPath("Absolute", "C:\\Dev\\web\\src\\include", false) +
                                         accessPath("Project", "..\\..\\common\\inc", false)),
                         group("G", fileRef("T", "Name", "", "", "api.h") +
                                        fileRef("T", "Name", "", "", "util.h"))));
    const ProgramResult result = tesscli({"p.mcp.xml", "C:\\out", ""});
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    EXPECT_EQ(result.output.substr(0, result.output.find(message::creatingProject())),
              crlf({message::addingFile("C:\\work\\web\\src\\include\\api.h"),
                    message::addingFile("C:\\work\\common\\inc\\util.h")}));
    EXPECT_EQ(read("out/T/person/T.p_a"),
              crlf({"-i \"C:\\work\\web\\src\\include\"", "-i \"C:\\work\\common\\inc\""}));
}

// Genuine exports at their place in a tree of their own repository on drive
// C, converted by the Windows build: Mac OS and Unix texts become Windows
// paths, and every reference to a file of the repository resolves.
class WineSourceTrees : public WineTest, public ::testing::WithParamInterface<std::string> {};

// A path the Windows build printed (C:\repo\...), on the host.
fs::path onHost(const std::string& windowsPath) {
    std::string relative = windowsPath.substr(3);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return kPrefix / "drive_c" / relative;
}

TEST_P(WineSourceTrees, EveryReferenceToARepositoryFileResolves) {
    const auto& trees = keptSourceTrees();
    const auto tree = std::find_if(trees.begin(), trees.end(), [](const SourceTreeCase& c) {
        return c.exportName == GetParam();
    });
    ASSERT_NE(tree, trees.end());
    const fs::path root = driveC() / "repo";
    fs::remove_all(root);
    const PlacedExport placed = placeKeptExport(*tree, root);
    std::string place = tree->place;
    std::replace(place.begin(), place.end(), '/', '\\');

    const ProgramResult result = tesscli({"C:\\repo\\" + place, "C:\\out", ""}, root);
    EXPECT_EQ(result.exitStatus, 0) << result.output;

    // Paths outside drive C name nothing of the repository.
    const auto inRepository = [](const std::string& path) {
        return path.starts_with("C:\\") ? onHost(path) : fs::path();
    };
    std::vector<fs::path> added;
    for (const std::string& path : addedFilePaths(result.output)) {
        added.push_back(inRepository(path));
    }
    std::vector<fs::path> includeFolders;
    for (const std::string& folder : includeLines(driveC() / "out")) {
        includeFolders.push_back(inRepository(folder));
    }
    expectEverythingResolved(
        GetParam() + " (Windows build)",
        judgeResolution(root, placed.files, groupListReferences(placed.exportText), added,
                        includeFolders));
    fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(Genuine, WineSourceTrees,
                         ::testing::Values("quesa-Quesa-win32-ide50-cr",
                                           "quesa-3DSFileSupport-win32-ide50",
                                           "freetype-ftlib-mac-ide50"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });
// Binary project files beside their export, in their repository's tree on
// drive C: both byte orders convert, under Windows rules, exactly as the
// IDE's export of the same state.
struct WinePair {
    std::string name;
    std::string treePaths;
    std::string place;
};

class WineBinaryPairs : public WineTest, public ::testing::WithParamInterface<WinePair> {};

TEST_P(WineBinaryPairs, BinaryProjectsConvertLikeTheirExport) {
    const WinePair& pair = GetParam();
    const fs::path root = driveC() / "repo";
    fs::remove_all(root);
    buildRepositoryTree(fs::path(TESSALY_TEST_DATA) / "real-trees" / pair.treePaths, root);
    const fs::path kept = fs::path(TESSALY_TEST_DATA) / "binary-projects" / "pairs";
    for (const std::string& file : {pair.name + ".mcp", pair.name + ".mcp.xml"}) {
        fs::copy_file(kept / file, root / pair.place / file);
    }
    std::string place = pair.place;
    std::replace(place.begin(), place.end(), '/', '\\');
    std::vector<std::pair<ProgramResult, std::map<std::string, std::string>>> runs;
    for (const std::string& source : {pair.name + ".mcp", pair.name + ".mcp.xml"}) {
        fs::remove_all(driveC() / "out");
        fs::create_directories(driveC() / "out");
        const ProgramResult result = tesscli({"C:\\repo\\" + place + "\\" + source, "C:\\out", "",
                                              "-cdb", "C:\\out\\compile_commands.json"},
                                             root);
        runs.emplace_back(result, snapshotTree(driveC() / "out"));
    }
    EXPECT_EQ(runs[0].first.exitStatus, 0);
    EXPECT_EQ(lastLine(runs[0].first.output), message::projectCompleted());
    EXPECT_EQ(runs[0].first.output, runs[1].first.output);
    EXPECT_EQ(runs[0].second, runs[1].second);
    EXPECT_GT(addedFilePaths(runs[0].first.output).size(), 10u);
    fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(
    Kept, WineBinaryPairs,
    ::testing::Values(WinePair{"quesa-win-2007-03-02", "quesa-Quesa-win32-ide50-cr.paths",
                               "Development/Projects/Windows"},
                      WinePair{"w2c2-CoreMark-2023-01-22", "w2c2-CoreMark-mac-ide42-cr.paths",
                               "examples/coremark/CW7"}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

// Writing: nothing lost, nothing outside the destination. Wine cannot make
// symbolic links or junctions, and shows the host's own links only in part
// (a link to a file looks like the file); these cases use hard links and
// host links to files, and the unit tests built for Windows cover links and
// junctions on the test double.

const std::string kCompilerPanel = "<!-- Settings for \"C/C++ Compiler\" panel -->";

// One target App with a personality of its own and one group.
void writeAppExport(const fs::path& file) {
    writeFile(file, exportWith(
                        "App", kCompilerPanel + "<SETTING><NAME>X</NAME><VALUE>1</VALUE></SETTING>",
                        group("Src", fileRef("App", "Absolute", "Absolute", "", "C:\\src\\a.c"))));
}

// Temporary files left below a folder.
Strings temporaryFilesBelow(const fs::path& root) {
    Strings left;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (isTemporaryFileName(entry.path().filename().string())) {
            left.push_back(entry.path().string());
        }
    }
    return left;
}

// A write past a file-size limit (as a full disk or a quota refuses it) and
// a folder in place of the message personality: each is reported with its
// file, exit status 1, and the earlier file stays.
TEST_F(WineTest, AWriteThatFailsIsReportedAndTheEarlierFileStays) {
    writeAppExport(driveC() / "work" / "Engine.mcp.xml");
    writeFile(driveC() / "work" / "big.p_a", std::string(40000, 'x'));
    writeFile(driveC() / "out" / "App" / "person" / "App.p_a", "earlier");
    // The limit ends the process with a signal unless it is ignored; ignored,
    // the write fails, as it would on Windows.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    const ProgramResult limited =
        boundedTesscli({"Engine.mcp.xml", "C:\\out", "", "-ap", "big.p_a"}, 20000);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(limited.exitStatus, 1);
    EXPECT_EQ(lastLine(limited.output),
              message::failure(ErrorCode::CannotWriteFile, "C:\\out\\App\\person\\App.p_a"));
    EXPECT_EQ(read("out/App/person/App.p_a"), "earlier");
    EXPECT_EQ(temporaryFilesBelow(driveC() / "out"), Strings{});

    fs::remove_all(driveC() / "out" / "person");
    fs::create_directories(driveC() / "out" / "person" / "Engine.p_s");
    const ProgramResult folder = tesscli({"Engine.mcp.xml", "C:\\out", ""});
    EXPECT_EQ(folder.exitStatus, 1);
    EXPECT_EQ(lastLine(folder.output),
              message::failure(ErrorCode::CannotWriteFile, "C:\\out\\person\\Engine.p_s"));
}

// A hard link to an outside file as the project file, and the host's link to
// an outside file as a personality: both are replaced, the outside file stays.
TEST_F(WineTest, NothingOutsideTheDestinationChanges) {
    writeAppExport(driveC() / "work" / "Engine.mcp.xml");
    writeFile(driveC() / "outside" / "precious.txt", "precious");
    fs::create_hard_link(driveC() / "outside" / "precious.txt", driveC() / "out" / "Engine.prj");
    fs::create_directories(driveC() / "out" / "person");
    fs::create_symlink(driveC() / "outside" / "precious.txt",
                       driveC() / "out" / "person" / "Engine.p_s");

    const ProgramResult result = tesscli({"Engine.mcp.xml", "C:\\out", ""});

    EXPECT_EQ(result.exitStatus, 0) << result.output;
    EXPECT_EQ(read("outside/precious.txt"), "precious");
    EXPECT_FALSE(fs::is_symlink(driveC() / "out" / "person" / "Engine.p_s"));
    EXPECT_EQ(read("out/person/Engine.p_s"), "");
    EXPECT_TRUE(read("out/Engine.prj").starts_with("VersionTag45\r\n"));
}

// The attribute letters `attrib` shows for a file.
std::string attributesShown(const ProgramResult& attrib) {
    return attrib.output.substr(0, attrib.output.find(':') - 1);
}

// A file replaced keeps the attributes Wine shows (hidden, system); a
// read-only file is not replaced. Every file is flushed to the disk before
// it is renamed over the earlier one, and every rename is written through,
// as Wine's trace of the calls shows.
TEST_F(WineTest, ReplacedFilesKeepTheirAttributesAndReachTheDisk) {
    writeAppExport(driveC() / "work" / "Engine.mcp.xml");
    const Strings arguments{"Engine.mcp.xml", "C:\\out", ""};
    ASSERT_EQ(tesscli(arguments).exitStatus, 0);
    cmd("attrib +h C:\\out\\person\\Engine.p_s");
    cmd("attrib +s C:\\out\\Engine.prj");
    const Strings relay = {"reg",
                           "add",
                           "HKCU\\Software\\Wine\\Debug",
                           "/v",
                           "RelayInclude",
                           "/d",
                           "KERNEL32.FlushFileBuffers;KERNEL32.MoveFileExA",
                           "/f"};
    runProgram(kWine, relay, kPrefix);
    Strings traced{"-c", "WINEDEBUG=+relay exec \"$0\" \"$@\" 2> trace.txt", kWine};
    for (const std::string& argument : underWine(arguments)) {
        traced.push_back(argument);
    }

    const ProgramResult result = runProgram("/bin/sh", traced, driveC() / "work");

    runProgram(kWine, {"reg", "delete", relay[2], "/v", "RelayInclude", "/f"}, kPrefix);
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    int renames = 0;
    bool flushed = false;
    std::istringstream trace(read("work/trace.txt"));
    for (std::string line; std::getline(trace, line);) {
        if (line.find("Call KERNEL32.FlushFileBuffers(") != std::string::npos) {
            flushed = true;
        } else if (line.find("Call KERNEL32.MoveFileExA(") != std::string::npos) {
            ++renames;
            EXPECT_TRUE(flushed) << "not flushed before its rename: " << line;
            EXPECT_NE(line.find(",00000009)"), std::string::npos)
                << "not replacing and written through: " << line;
            flushed = false;
        }
    }
    EXPECT_EQ(renames, 4) << "the project file, two default personalities, App's";
    EXPECT_NE(attributesShown(cmd("attrib C:\\out\\person\\Engine.p_s")).find('H'),
              std::string::npos);
    EXPECT_NE(attributesShown(cmd("attrib C:\\out\\Engine.prj")).find('S'), std::string::npos);

    cmd("attrib +r C:\\out\\person\\Engine.p_c");
    writeFile(driveC() / "out" / "person" / "Engine.p_c", "mine");
    const ProgramResult readOnly = tesscli(arguments);
    EXPECT_EQ(readOnly.exitStatus, 1);
    EXPECT_EQ(lastLine(readOnly.output),
              message::failure(ErrorCode::CannotWriteFile, "C:\\out\\person\\Engine.p_c"));
    EXPECT_EQ(read("out/person/Engine.p_c"), "mine");
    EXPECT_NE(attributesShown(cmd("attrib C:\\out\\person\\Engine.p_c")).find('R'),
              std::string::npos);
    cmd("attrib -r C:\\out\\person\\Engine.p_c");
}

// Names that Windows takes for one folder (letter case) or that become one
// safe name get folders of their own.
TEST_F(WineTest, EveryNodeGetsAFolderOfItsOwn) {
    writeFile(driveC() / "work" / "n.mcp.xml",
              xml::project(xml::target("Debug", "D", "1") + xml::target("debug", "D", "2") +
                               xml::target("a/b", "D", "3") + xml::target("a_b", "D", "4"),
                           ""));

    const ProgramResult result = tesscli({"n.mcp.xml", "C:\\out", ""});

    EXPECT_EQ(result.exitStatus, 0) << result.output;
    const std::pair<const char*, const char*> folders[] = {
        {"Debug", "1"}, {"debug_2", "2"}, {"a_b", "3"}, {"a_b_2", "4"}};
    for (const auto& [folder, value] : folders) {
        EXPECT_EQ(read("out/" + std::string(folder) + "/person/" + folder + ".p_a"),
                  crlf({"-d \"D=" + std::string(value) + "\""}))
            << folder;
        EXPECT_NE(read("out/n.prj").find("SourcePath=C:\\out\\" + std::string(folder) + "\\\r\n"),
                  std::string::npos)
            << folder;
    }
}

// Files are replaced in one step: a run that fails part-way, is killed, or
// runs beside another leaves every file either earlier or new; a console
// nobody reads still lets the whole project be written, with status 1.
TEST_F(WineTest, FilesAreReplacedInOneStep) {
    writeFile(driveC() / "work" / "big.mcp.xml", xml::projectOfSize(10, 3, 40));
    writeFile(driveC() / "work" / "old.p_a", "-d \"OLD=1\"\n");
    writeFile(driveC() / "work" / "new.p_a", "-d \"NEW=1\"\n");
    const Strings earlierRun{"big.mcp.xml", "C:\\out", "", "-ext", "h", "-ap", "old.p_a"};
    const Strings newRun{"big.mcp.xml", "C:\\out", "", "-ap", "new.p_a"};
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const fs::path out = driveC() / "out";
    const auto completeRun = [&](const Strings& arguments) {
        fs::remove_all(out);
        fs::create_directory(out);
        EXPECT_EQ(waitForProgram(startTesscli(arguments, devNull)), 0);
        return entriesBelow(out);
    };
    const Entries complete = completeRun(newRun);
    const Entries earlier = completeRun(earlierRun);
    fs::copy(out, driveC() / "kept", fs::copy_options::recursive);

    // Failing part-way: a file where a group's folder must be made.
    fs::remove_all(out / "T9" / "G2");
    writeFile(out / "T9" / "G2", "in the way");
    const ProgramResult failing = tesscli(newRun);
    EXPECT_EQ(failing.exitStatus, 1);
    EXPECT_EQ(entriesBelow(out).at("big.prj"), earlier.at("big.prj"));
    EXPECT_EQ(temporaryFilesBelow(out), Strings{});

    // Killed at random moments.
    writeFile(driveC() / "outside" / "precious.txt", "precious");
    const KillCounts kills =
        killAtRandomMoments([&](int output) { return startTesscli(newRun, output); }, out,
                            driveC() / "kept", complete, driveC() / "outside", 60);
    EXPECT_GE(kills.midway, 6) << kills.beforeWriting << " before, " << kills.afterWriting
                               << " after the writing";

    // Two runs at once.
    fs::remove_all(out);
    fs::create_directory(out);
    const int one = startTesscli(newRun, devNull);
    const int other = startTesscli(earlierRun, devNull);
    EXPECT_EQ(waitForProgram(one), 0);
    EXPECT_EQ(waitForProgram(other), 0);
    EXPECT_EQ(faultOf(complete, earlier, entriesBelow(out)), "");
    EXPECT_EQ(temporaryFilesBelow(out), Strings{});

    // A console nobody reads.
    completeRun(earlierRun);
    int pipeFds[2];
    ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
    ::close(pipeFds[0]);
    EXPECT_EQ(waitForProgram(startTesscli(newRun, pipeFds[1])), 1);
    ::close(pipeFds[1]);
    EXPECT_EQ(entriesBelow(out), complete);
    ::close(devNull);
}

// A file to be written that is the export or the given analyser personality
// is refused before anything is written.
TEST_F(WineTest, InputsAreNeverWrittenOver) {
    writeAppExport(driveC() / "work" / "p.prj");
    const std::string exportText = read("work/p.prj");
    const ProgramResult asProject = tesscli({"p.prj", ".", ""});
    EXPECT_EQ(asProject.exitStatus, 1);
    EXPECT_EQ(asProject.output,
              crlf({message::addingFile("C:\\src\\a.c"),
                    message::failure(ErrorCode::CannotWriteFile, "C:\\work\\p.prj")}));
    EXPECT_EQ(read("work/p.prj"), exportText);
    EXPECT_FALSE(fs::exists(driveC() / "work" / "output"));

    writeFile(driveC() / "out" / "App" / "person" / "App.p_a", "-d \"GIVEN=1\"\r\n");
    const ProgramResult asPersonality =
        tesscli({"p.prj", "C:\\out", "", "-ap", "C:\\out\\App\\person\\App.p_a"});
    EXPECT_EQ(asPersonality.exitStatus, 1);
    EXPECT_EQ(lastLine(asPersonality.output),
              message::failure(ErrorCode::CannotWriteFile, "C:\\out\\App\\person\\App.p_a"));
    EXPECT_EQ(read("out/App/person/App.p_a"), "-d \"GIVEN=1\"\r\n");
}

// A device or a folder given as the analyser personality cannot be opened.
// (The runs are bounded: a faulty converter would copy /dev/zero without end.)
TEST_F(WineTest, TheGivenAnalyserPersonalityMustBeARegularFile) {
    writeAppExport(driveC() / "work" / "Engine.mcp.xml");
    for (const std::string given : {"NUL", "CON", "Z:\\dev\\zero", "C:\\work"}) {
        SCOPED_TRACE(given);
        const ProgramResult result =
            boundedTesscli({"Engine.mcp.xml", "C:\\out", "", "-ap", given}, 1000000);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_NE(result.output.find(crlf({message::cannotOpenGivenPersonality()})),
                  std::string::npos);
        EXPECT_EQ(read("out/App/person/App.p_a"), crlf({"-d \"X=1\""}));
    }
}

}  // namespace
}  // namespace tessaly::testing
