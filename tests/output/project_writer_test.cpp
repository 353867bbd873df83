#include "output/project_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "output/io_error.h"
#include "platform/fake_platform.h"
#include "platform/messages.h"
#include "support/recording_console.h"

namespace tessaly {
namespace {

using testing::FakePlatform;
using testing::RecordingConsole;
using Strings = std::vector<std::string>;

// Lines joined with CR LF, with "@" standing for the destination folder.
std::string crlfLines(const Strings& lines, const std::string& dest) {
    std::string text;
    for (std::string line : lines) {
        for (std::size_t at; (at = line.find('@')) != std::string::npos;) {
            line.replace(at, 1, dest);
        }
        text += line + "\r\n";
    }
    return text;
}

// The writer on the Windows-convention double, into C:\out.
class ProjectWriterTest : public ::testing::Test {
  protected:
    ProjectWriterTest() { platform.addFolder(dest); }

    int write(const GroupNode& root, OutputSettings settings = {}) {
        settings.destFolder = dest;
        if (settings.projectName.empty()) {
            settings.projectName = "Engine";
        }
        ProjectWriter writer(settings, platform, console);
        return writer.writeProject(root);
    }

    // A path below the destination folder, given with "/".
    std::string at(const std::string& relative) const {
        std::string path = dest + "/" + relative;
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }
    std::string readFile(const std::string& relative) const {
        return platform.fileContent(at(relative)).value_or("<missing>");
    }
    bool isFolder(const std::string& relative) {
        return platform.directoryFacts(at(relative)).has_value();
    }
    bool exists(const std::string& relative) { return platform.exists(at(relative)); }

    FakePlatform platform;
    std::string dest = "C:\\out";
    RecordingConsole console;
};

TEST_F(ProjectWriterTest, WorkedExample) {
    GroupNode root("root");
    GroupNode& app = root.findOrAddChild("App");
    app.userIncludePaths = {"inc"};
    app.findOrAddChild("Src").addFile("main.c");
    app.findOrAddChild("Src").addFile("");
    EXPECT_EQ(write(root), 1);

    EXPECT_EQ(readFile("Engine.prj"), crlfLines({"VersionTag45",
                                                 "StartProjectMarker",
                                                 "FolderName=Engine",
                                                 "SourcePath=@\\",
                                                 "OutputPath=@\\output\\",
                                                 "SubsPers=@\\person\\Engine.p_s",
                                                 "AnalPers=@\\person\\Engine.p_a",
                                                 "CompPers=@\\person\\Engine.p_c",
                                                 "EndContainedFilesMarker",
                                                 "StartSubProjectMarker",
                                                 "StartProjectMarker",
                                                 "FolderName=App",
                                                 "SourcePath=@\\App\\",
                                                 "OutputPath=@\\App\\output\\",
                                                 "SubsPers=@\\person\\Engine.p_s",
                                                 "AnalPers=@\\App\\person\\App.p_a",
                                                 "CompPers=@\\person\\Engine.p_c",
                                                 "EndContainedFilesMarker",
                                                 "StartSubProjectMarker",
                                                 "StartProjectMarker",
                                                 "FolderName=Src",
                                                 "SourcePath=@\\App\\Src\\",
                                                 "OutputPath=@\\App\\Src\\output\\",
                                                 "SubsPers=@\\person\\Engine.p_s",
                                                 "AnalPers=@\\App\\person\\App.p_a",
                                                 "CompPers=@\\person\\Engine.p_c",
                                                 "main.c",
                                                 "EndContainedFilesMarker",
                                                 "EndSubProjectMarker",
                                                 "EndSubProjectMarker"},
                                                dest));
    EXPECT_EQ(console.lines,
              (Strings{message::creatingProject(), message::creatingGroup("Engine"),
                       message::creatingGroup("App"),
                       message::creatingAnalyserPersonality(at("App/person/App.p_a")),
                       message::creatingGroup("Src"), message::projectCompleted()}));
    for (const char* folder : {"output", "person", "App/output", "App/person", "App/Src/output"}) {
        EXPECT_TRUE(isFolder(folder)) << folder;
    }
    for (const char* file : {"person/Engine.p_s", "person/Engine.p_a", "person/Engine.p_c"}) {
        EXPECT_EQ(readFile(file), "") << file;
    }
    EXPECT_EQ(readFile("App/person/App.p_a"), "-i \"inc\"\r\n");
}

TEST_F(ProjectWriterTest, ProjectWithoutTargets) {
    GroupNode root("root");
    write(root);
    EXPECT_EQ(readFile("Engine.prj"),
              crlfLines({"VersionTag45", "StartProjectMarker", "FolderName=Engine",
                         "SourcePath=@\\", "OutputPath=@\\output\\",
                         "SubsPers=@\\person\\Engine.p_s", "AnalPers=@\\person\\Engine.p_a",
                         "CompPers=@\\person\\Engine.p_c", "EndContainedFilesMarker"},
                        dest));
}

TEST_F(ProjectWriterTest, GivenPersonalitiesAreNamedNotCreated) {
    GroupNode root("root");
    root.findOrAddChild("T");
    OutputSettings settings{};
    settings.messagePersonality = "D:\\given\\m.p_s";
    settings.compilerPersonality = "D:\\given\\c.p_c";
    write(root, settings);
    const std::string prj = readFile("Engine.prj");
    EXPECT_NE(prj.find("SubsPers=D:\\given\\m.p_s\r\nAnalPers=" + at("person/Engine.p_a") +
                       "\r\nCompPers=D:\\given\\c.p_c"),
              std::string::npos);
    EXPECT_FALSE(exists("person/Engine.p_s"));
    EXPECT_FALSE(exists("person/Engine.p_c"));
    EXPECT_TRUE(exists("person/Engine.p_a"));
}

TEST_F(ProjectWriterTest, GeneratedPersonalityLinesAndGivenText) {
    GroupNode root("root");
    GroupNode& t = root.findOrAddChild("T");
    t.userIncludePaths = {"C:\\u"};
    t.systemIncludePaths = {"C:\\s"};
    t.defines = {{"Z", ""}, {"DEBUG", "1"}, {"A\"q", "x\ny"}};
    root.findOrAddChild("SystemOnly").systemIncludePaths = {"C:\\s"};
    platform.addFile("C:\\given.p_a", std::string("given\r\nline\nlone\rcr\x1A"
                                                  "end"));
    OutputSettings settings{};
    settings.analyserPersonality = "C:\\given.p_a";
    write(root, settings);
    EXPECT_EQ(readFile("T/person/T.p_a"),
              "-i \"C:\\u\"\r\n-i \"C:\\s\"\r\n-q \"C:\\s\"\r\n-d \"A\"q=x y\"\r\n-d "
              "\"DEBUG=1\"\r\n-d "
              "\"Z=\"\r\n"
              "given\r\nline\r\nlone\rcr\x1A"
              "end");
    EXPECT_EQ(readFile("person/Engine.p_a"), "") << "the default gets nothing of the given text";
    EXPECT_FALSE(exists("SystemOnly/person"));
    EXPECT_NE(readFile("Engine.prj")
                  .find("FolderName=SystemOnly\r\nSourcePath=" + at("SystemOnly/\r\nOutputPath=") +
                        at("SystemOnly/output/\r\nSubsPers=") +
                        at("person/Engine.p_s\r\nAnalPers=") + at("person/Engine.p_a")),
              std::string::npos);
}

TEST_F(ProjectWriterTest, MissingGivenAnalyserPersonalityIsReportedPerFile) {
    GroupNode root("root");
    root.findOrAddChild("A").defines["X"] = "1";
    root.findOrAddChild("B").userIncludePaths = {"C:\\b"};
    for (const std::string& given : {at("missing.p_a"), dest}) {
        console.lines.clear();
        OutputSettings settings{};
        settings.analyserPersonality = given;
        EXPECT_EQ(write(root, settings), 1);
        EXPECT_EQ(std::count(console.lines.begin(), console.lines.end(),
                             message::cannotOpenGivenPersonality()),
                  2)
            << given;
        EXPECT_EQ(readFile("A/person/A.p_a"), "-d \"X=1\"\r\n");
    }
}

TEST_F(ProjectWriterTest, SecondRunEmptiesMessageAndCompilerDefaultsButKeepsAnalyser) {
    GroupNode root("root");
    write(root);
    for (const char* ext : {"p_s", "p_a", "p_c"}) {
        platform.addFile(at("person/Engine.") + ext, "user content");
    }
    write(root);
    EXPECT_EQ(readFile("person/Engine.p_s"), "");
    EXPECT_EQ(readFile("person/Engine.p_a"), "user content");
    EXPECT_EQ(readFile("person/Engine.p_c"), "");
}

TEST_F(ProjectWriterTest, GroupsReferToTheirTargetsPersonality) {
    GroupNode root("root");
    GroupNode& t = root.findOrAddChild("T");
    t.defines["D"] = "1";
    GroupNode& g = t.findOrAddChild("G");
    g.findOrAddChild("H");
    root.findOrAddChild("Plain").findOrAddChild("P");
    write(root);
    const std::string prj = readFile("Engine.prj");
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
    const std::string prj = readFile("Engine.prj");
    EXPECT_EQ(prj.find("FolderName=root"), std::string::npos);
    EXPECT_NE(
        prj.find("StartSubProjectMarker\r\nStartProjectMarker\r\nFolderName=Engine\r\nSourcePath=" +
                 at("\r\n")),
        std::string::npos);
}

TEST_F(ProjectWriterTest, UnsafeNamesStayInsideTheDestination) {
    GroupNode root("root");
    root.findOrAddChild("..").findOrAddChild("a/b").addFile("C:\\f.c");
    root.findOrAddChild(".").defines["X"] = "1";
    write(root);
    EXPECT_TRUE(isFolder("__/a_b/output"));
    EXPECT_TRUE(exists("_/person/_.p_a"));
    const std::string prj = readFile("Engine.prj");
    EXPECT_NE(prj.find("FolderName=..\r\nSourcePath=" + at("__/")), std::string::npos);
    EXPECT_NE(prj.find("FolderName=a/b\r\nSourcePath=" + at("__/a_b/")), std::string::npos);
}

TEST_F(ProjectWriterTest, Failures) {
    GroupNode root("root");
    root.findOrAddChild("T").addFile("C:\\f.c");
    const auto expectFailure = [&](const std::string& destination, ErrorCode code,
                                   const std::string& path) {
        ProjectWriter writer({destination, "Engine", "", "", "", ""}, platform, console);
        try {
            writer.writeProject(root);
            FAIL() << destination;
        } catch (const IOERROR& error) {
            EXPECT_EQ(error.code, code);
            EXPECT_EQ(error.path(), path);
        }
    };

    expectFailure(at("missing"), ErrorCode::CannotWriteFile, at("missing/Engine.prj"));
    EXPECT_TRUE(console.lines.empty());

    platform.addFolder(at("blocked"));
    platform.addFile(at("blocked/T"), "a file where the folder T must go");
    expectFailure(at("blocked"), ErrorCode::CannotCreateDirectory, at("blocked/T/output/"));
    EXPECT_FALSE(exists("blocked/Engine.prj")) << "a failed run leaves no cut project file";
    EXPECT_EQ(platform.entriesOf(at("blocked")), (Strings{"T", "output", "person"}))
        << "nor a temporary file";
    EXPECT_NE(console.lines.back(), message::projectCompleted());

    platform.addFolder(at("folderAsFile"));
    platform.addFolder(at("folderAsFile/person"));
    platform.addFolder(at("folderAsFile/person/Engine.p_c"));
    expectFailure(at("folderAsFile"), ErrorCode::CannotWriteFile,
                  at("folderAsFile/person/Engine.p_c"));
}

}  // namespace
}  // namespace tessaly
