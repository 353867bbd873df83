// The Windows build of tesscli, run under Wine with Windows semantics: drive
// letters, "\" separators, per-drive current directories, the registry, the
// directory search. Expectations are written in Windows form, CR LF included.
// The Wine prefix is private to the build folder; drive C: is its drive_c.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "platform/messages.h"
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
        for (const char* folder : {"work", "out", "inc", "Tools"}) {
            fs::remove_all(driveC() / folder);
        }
        fs::create_directories(driveC() / "work");
        fs::create_directories(driveC() / "out");
        fs::remove(kPrefix / "dosdevices" / "d:");
        runProgram(kWine, {"reg", "delete", kIdeKey, "/f"}, kPrefix);
    }

    static fs::path driveC() { return kPrefix / "drive_c"; }

    // Runs tesscli.exe with the arguments, in a folder of drive C.
    static ProgramResult tesscli(const Strings& arguments,
                                 const fs::path& folder = driveC() / "work") {
        Strings all{kTesscliExe.string()};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return runProgram(kWine, all, folder);
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
    EXPECT_EQ(result.output,
              crlf({message::addingFile("C:\\inc\\net\\proto\\http.h"), message::addingFile(""),
                    message::creatingProject(), message::creatingGroup("w"),
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
    const fs::path data = TESSALY_TEST_DATA;
    const std::set<std::string> files =
        buildRepositoryTree(data / "real-trees" / (tree->exportName + ".paths"), root);
    const std::string exportText = readFile(data / "real-exports" / (tree->exportName + ".xml"));
    writeFile(root / tree->place, exportText);
    std::string place = tree->place;
    std::replace(place.begin(), place.end(), '/', '\\');

    const ProgramResult result = tesscli({"C:\\repo\\" + place, "C:\\out", ""}, root);
    EXPECT_EQ(result.exitStatus, 0) << result.output;

    std::vector<fs::path> added;
    const std::string prefix = message::addingFile("");
    for (std::size_t start = 0, end; start < result.output.size(); start = end + 2) {
        end = result.output.find("\r\n", start);
        const std::string line = result.output.substr(start, end - start);
        if (line.starts_with(prefix)) {
            const std::string path = line.substr(prefix.size());
            added.push_back(path.starts_with("C:\\") ? onHost(path) : fs::path());
        }
    }
    std::vector<fs::path> includeFolders;
    for (const std::string& folder : includeLines(driveC() / "out")) {
        if (folder.starts_with("C:\\")) {
            includeFolders.push_back(onHost(folder));
        }
    }
    const TreeResolution resolution =
        judgeResolution(root, files, groupListReferences(exportText), added, includeFolders);
    std::cout << GetParam() << " (Windows build): " << resolution.resolved << " of "
              << resolution.resolvable << " references resolved; "
              << resolution.existingIncludeFolders << " of " << resolution.includeFolders
              << " include folders in the repository exist\n";
    EXPECT_GT(resolution.resolvable, 0);
    EXPECT_EQ(resolution.resolved, resolution.resolvable);
    for (const std::string& lost : resolution.lost) {
        ADD_FAILURE() << "not resolved: " << lost;
    }
    EXPECT_EQ(resolution.existingIncludeFolders, resolution.includeFolders);
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

}  // namespace
}  // namespace tessaly::testing
