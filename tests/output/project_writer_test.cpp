#include "output/project_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "output/io_error.h"
#include "support/recording_console.h"
#include "support/test_files.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::RecordingConsole;
using testing::TempFolder;
using testing::writeFile;
using Strings = std::vector<std::string>;

// A path written with "/", in the platform's separators.
std::string native(std::string path) {
    std::replace(path.begin(), path.end(), '/', systemPlatform().separator());
    return path;
}

// Lines joined with CR LF, with "@" standing for the destination folder and
// "/" for the platform's separator.
std::string crlfLines(const Strings& lines, const std::string& dest) {
    std::string text;
    for (std::string line : lines) {
        line = native(line);
        for (std::size_t at; (at = line.find('@')) != std::string::npos;) {
            line.replace(at, 1, dest);
        }
        text += line + "\r\n";
    }
    return text;
}

class ProjectWriterTest : public ::testing::Test {
  protected:
    ProjectWriterTest() : dest(temp.str()) {}

    int write(const GroupNode& root, OutputSettings settings = {}) {
        settings.destFolder = dest;
        if (settings.projectName.empty()) {
            settings.projectName = "Engine";
        }
        ProjectWriter writer(settings, systemPlatform(), console);
        return writer.writeProject(root);
    }

    // A path below the destination folder, given with "/".
    std::string at(const std::string& relative) const { return dest + native("/" + relative); }

    TempFolder temp;
    std::string dest;
    RecordingConsole console;
};

TEST_F(ProjectWriterTest, WorkedExample) {
    GroupNode root("root");
    GroupNode& app = root.findOrAddChild("App");
    app.userIncludePaths = {"inc"};
    app.findOrAddChild("Src").addFile("main.c");
    app.findOrAddChild("Src").addFile("");
    EXPECT_EQ(write(root), 1);

    EXPECT_EQ(readFile(at("Engine.prj")), crlfLines({"VersionTag45",
                                                     "StartProjectMarker",
                                                     "FolderName=Engine",
                                                     "SourcePath=@/",
                                                     "OutputPath=@/output/",
                                                     "SubsPers=@/person/Engine.p_s",
                                                     "AnalPers=@/person/Engine.p_a",
                                                     "CompPers=@/person/Engine.p_c",
                                                     "EndContainedFilesMarker",
                                                     "StartSubProjectMarker",
                                                     "StartProjectMarker",
                                                     "FolderName=App",
                                                     "SourcePath=@/App/",
                                                     "OutputPath=@/App/output/",
                                                     "SubsPers=@/person/Engine.p_s",
                                                     "AnalPers=@/App/person/App.p_a",
                                                     "CompPers=@/person/Engine.p_c",
                                                     "EndContainedFilesMarker",
                                                     "StartSubProjectMarker",
                                                     "StartProjectMarker",
                                                     "FolderName=Src",
                                                     "SourcePath=@/App/Src/",
                                                     "OutputPath=@/App/Src/output/",
                                                     "SubsPers=@/person/Engine.p_s",
                                                     "AnalPers=@/App/person/App.p_a",
                                                     "CompPers=@/person/Engine.p_c",
                                                     "main.c",
                                                     "EndContainedFilesMarker",
                                                     "EndSubProjectMarker",
                                                     "EndSubProjectMarker"},
                                                    dest));
    EXPECT_EQ(console.lines,
              (Strings{"Creating Vexa/Vexa++ Project ...", "  Creating Group - Engine",
                       "  Creating Group - App",
                       "  Creating Analyser Personality - " + at("App/person/App.p_a"),
                       "  Creating Group - Src", "Vexa/Vexa++ Project Completed!"}));
    for (const char* folder : {"output", "person", "App/output", "App/person", "App/Src/output"}) {
        EXPECT_TRUE(fs::is_directory(at("") + folder)) << folder;
    }
    for (const char* file : {"person/Engine.p_s", "person/Engine.p_a", "person/Engine.p_c"}) {
        EXPECT_EQ(readFile(at("") + file), "") << file;
    }
    EXPECT_EQ(readFile(at("App/person/App.p_a")), "-i \"inc\"\r\n");
}

TEST_F(ProjectWriterTest, ProjectWithoutTargets) {
    GroupNode root("root");
    write(root);
    EXPECT_EQ(readFile(at("Engine.prj")),
              crlfLines({"VersionTag45", "StartProjectMarker", "FolderName=Engine", "SourcePath=@/",
                         "OutputPath=@/output/", "SubsPers=@/person/Engine.p_s",
                         "AnalPers=@/person/Engine.p_a", "CompPers=@/person/Engine.p_c",
                         "EndContainedFilesMarker"},
                        dest));
}

TEST_F(ProjectWriterTest, GivenPersonalitiesAreNamedNotCreated) {
    GroupNode root("root");
    root.findOrAddChild("T");
    OutputSettings settings{};
    settings.messagePersonality = "/given/m.p_s";
    settings.compilerPersonality = "/given/c.p_c";
    write(root, settings);
    const std::string prj = readFile(at("Engine.prj"));
    EXPECT_NE(prj.find("SubsPers=/given/m.p_s\r\nAnalPers=" + at("person/Engine.p_a") +
                       "\r\nCompPers=/given/c.p_c"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(at("person/Engine.p_s")));
    EXPECT_FALSE(fs::exists(at("person/Engine.p_c")));
    EXPECT_TRUE(fs::exists(at("person/Engine.p_a")));
}

TEST_F(ProjectWriterTest, GeneratedPersonalityLinesAndGivenText) {
    GroupNode root("root");
    GroupNode& t = root.findOrAddChild("T");
    t.userIncludePaths = {"/u"};
    t.systemIncludePaths = {"/s"};
    t.defines = {{"Z", ""}, {"DEBUG", "1"}, {"A\"q", "x\ny"}};
    root.findOrAddChild("SystemOnly").systemIncludePaths = {"/s"};
    writeFile(temp.path() / "given.p_a", std::string("given\r\nline\nlone\rcr\x1A"
                                                     "end"));
    OutputSettings settings{};
    settings.analyserPersonality = (temp.path() / "given.p_a").string();
    write(root, settings);
    EXPECT_EQ(readFile(at("T/person/T.p_a")),
              "-i \"/u\"\r\n-i \"/s\"\r\n-q \"/s\"\r\n-d \"A\"q=x\r\ny\"\r\n-d \"DEBUG=1\"\r\n-d "
              "\"Z=\"\r\n"
              "given\r\nline\r\nlone\rcr\x1A"
              "end");
    EXPECT_EQ(readFile(at("person/Engine.p_a")), "")
        << "the default gets nothing of the given text";
    EXPECT_FALSE(fs::exists(at("SystemOnly/person")));
    EXPECT_NE(readFile(at("Engine.prj"))
                  .find("FolderName=SystemOnly\r\nSourcePath=" + at("SystemOnly/\r\nOutputPath=") +
                        at("SystemOnly/output/\r\nSubsPers=") +
                        at("person/Engine.p_s\r\nAnalPers=") + at("person/Engine.p_a")),
              std::string::npos);
}

TEST_F(ProjectWriterTest, MissingGivenAnalyserPersonalityIsReportedPerFile) {
    GroupNode root("root");
    root.findOrAddChild("A").defines["X"] = "1";
    root.findOrAddChild("B").userIncludePaths = {"/b"};
    for (const std::string& given : {at("missing.p_a"), dest}) {
        console.lines.clear();
        OutputSettings settings{};
        settings.analyserPersonality = given;
        EXPECT_EQ(write(root, settings), 1);
        EXPECT_EQ(std::count(console.lines.begin(), console.lines.end(), "Couldnt open file"), 2)
            << given;
        EXPECT_EQ(readFile(at("A/person/A.p_a")), "-d \"X=1\"\r\n");
    }
}

TEST_F(ProjectWriterTest, SecondRunEmptiesMessageAndCompilerDefaultsButKeepsAnalyser) {
    GroupNode root("root");
    write(root);
    for (const char* ext : {"p_s", "p_a", "p_c"}) {
        writeFile(at("person/Engine.") + ext, "user content");
    }
    write(root);
    EXPECT_EQ(readFile(at("person/Engine.p_s")), "");
    EXPECT_EQ(readFile(at("person/Engine.p_a")), "user content");
    EXPECT_EQ(readFile(at("person/Engine.p_c")), "");
}

TEST_F(ProjectWriterTest, GroupsReferToTheirTargetsPersonality) {
    GroupNode root("root");
    GroupNode& t = root.findOrAddChild("T");
    t.defines["D"] = "1";
    GroupNode& g = t.findOrAddChild("G");
    g.findOrAddChild("H");
    root.findOrAddChild("Plain").findOrAddChild("P");
    write(root);
    const std::string prj = readFile(at("Engine.prj"));
    const std::string generated = "AnalPers=" + at("T/person/T.p_a\r\n");
    std::size_t count = 0;
    for (std::size_t at = 0; (at = prj.find(generated, at)) != std::string::npos; ++at) {
        ++count;
    }
    EXPECT_EQ(count, 3u) << "T, G and H";
    EXPECT_EQ(prj.find("AnalPers=" + at("Plain/person")), std::string::npos);
}

TEST_F(ProjectWriterTest, NodeNamedRootBelowTheTopIsWrittenAsTheTop) {
    GroupNode root("root");
    root.findOrAddChild("root");
    write(root);
    const std::string prj = readFile(at("Engine.prj"));
    EXPECT_EQ(prj.find("FolderName=root"), std::string::npos);
    EXPECT_NE(
        prj.find("StartSubProjectMarker\r\nStartProjectMarker\r\nFolderName=Engine\r\nSourcePath=" +
                 at("\r\n")),
        std::string::npos);
}

TEST_F(ProjectWriterTest, UnsafeNamesStayInsideTheDestination) {
    GroupNode root("root");
    root.findOrAddChild("..").findOrAddChild("a/b").addFile("/f.c");
    root.findOrAddChild(".").defines["X"] = "1";
    write(root);
    EXPECT_TRUE(fs::is_directory(at("__/a_b/output")));
    EXPECT_TRUE(fs::exists(at("_/person/_.p_a")));
    const std::string prj = readFile(at("Engine.prj"));
    EXPECT_NE(prj.find("FolderName=..\r\nSourcePath=" + at("__/")), std::string::npos);
    EXPECT_NE(prj.find("FolderName=a/b\r\nSourcePath=" + at("__/a_b/")), std::string::npos);
}

TEST_F(ProjectWriterTest, Failures) {
    GroupNode root("root");
    root.findOrAddChild("T").addFile("/f.c");

    {
        ProjectWriter writer({at("missing"), "Engine", "", "", ""}, systemPlatform(), console);
        try {
            writer.writeProject(root);
            FAIL();
        } catch (const IOERROR& error) {
            EXPECT_EQ(error.code, IOERROR::kCannotWriteFile);
            EXPECT_EQ(error.path(), at("missing/Engine.prj"));
        }
        EXPECT_TRUE(console.lines.empty());
    }
    {
        writeFile(at("blocked/T"), "a file where the folder T must go");
        fs::create_directory(at("blocked/output"));
        ProjectWriter writer({at("blocked"), "Engine", "", "", ""}, systemPlatform(), console);
        try {
            writer.writeProject(root);
            FAIL();
        } catch (const IOERROR& error) {
            EXPECT_EQ(error.code, IOERROR::kCannotCreateDirectory);
            EXPECT_EQ(error.path(), at("blocked/T/output/"));
        }
        EXPECT_TRUE(fs::exists(at("blocked/Engine.prj"))) << "what was written stays";
        EXPECT_NE(console.lines.back(), "Vexa/Vexa++ Project Completed!");
    }
    {
        fs::create_directories(at("folderAsFile/person/Engine.p_c"));
        ProjectWriter writer({at("folderAsFile"), "Engine", "", "", ""}, systemPlatform(), console);
        try {
            writer.writeProject(root);
            FAIL();
        } catch (const IOERROR& error) {
            EXPECT_EQ(error.code, IOERROR::kCannotWriteFile);
            EXPECT_EQ(error.path(), at("folderAsFile/person/Engine.p_c"));
        }
    }
}

}  // namespace
}  // namespace tessaly
