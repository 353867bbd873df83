#include "output/project_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "output/io_error.h"
#include "output/project_writer_fixture.h"
#include "output/replaced_file.h"
#include "platform/interrupts.h"
#include "platform/messages.h"

namespace tessaly {
namespace {

using testing::crlfLines;
using testing::FakePlatform;
using testing::ProjectWriterTest;
using testing::RecordingConsole;
using testing::Strings;
using testing::WriteStep;

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

// A given analyser personality that is missing, a folder or a device (which
// could be endless) cannot be opened.
TEST_F(ProjectWriterTest, MissingGivenAnalyserPersonalityIsReportedPerFile) {
    GroupNode root("root");
    root.findOrAddChild("A").defines["X"] = "1";
    root.findOrAddChild("B").userIncludePaths = {"C:\\b"};
    platform.addDevice("C:\\dev\\zero", std::string(64, '\0'));
    for (const std::string& given : {at("missing.p_a"), dest, std::string("C:\\dev\\zero")}) {
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

// A run over an earlier project (a target with a personality of its own,
// and a group) that something goes wrong with: a step that fails, another
// program, an interrupt.
struct EarlierProjectRun {
    EarlierProjectRun() {
        GroupNode& t = root.findOrAddChild("T");
        t.defines["D"] = "1";
        t.findOrAddChild("G").addFile("C:\\g.c");
        for (const char* folder :
             {"C:\\out", "C:\\out\\person", "C:\\out\\T", "C:\\out\\T\\person", "C:\\outside"}) {
            platform.addFolder(folder);
        }
        for (const std::string& file : earlierFiles) {
            platform.addFile(file, "earlier");
        }
        platform.addFile("C:\\given.p_a", "-d \"GIVEN=1\"\r\n");
        platform.addFile("C:\\outside\\precious.txt", "precious");
    }

    // Runs the writer; the failure it reports, if any.
    std::optional<IOERROR> write() {
        try {
            ProjectWriter(settings, platform, console).writeProject(root);
        } catch (const IOERROR& error) {
            return error;
        }
        return std::nullopt;
    }

    Strings temporaryFilesLeft() const {
        Strings left;
        for (const char* folder : {"C:\\out", "C:\\out\\person", "C:\\out\\T\\person"}) {
            for (const std::string& name : platform.entriesOf(folder)) {
                if (isTemporaryFileName(name)) {
                    left.push_back(name);
                }
            }
        }
        return left;
    }

    GroupNode root{"root"};
    const Strings earlierFiles = {"C:\\out\\Engine.prj", "C:\\out\\person\\Engine.p_s",
                                  "C:\\out\\person\\Engine.p_c", "C:\\out\\T\\person\\T.p_a"};
    // The files in the order a run creates them; the project file is
    // created first and replaces the earlier one last.
    const Strings files = {"C:\\out\\Engine.prj", "C:\\out\\person\\Engine.p_s",
                           "C:\\out\\person\\Engine.p_a", "C:\\out\\person\\Engine.p_c",
                           "C:\\out\\T\\person\\T.p_a"};
    const OutputSettings settings{"C:\\out", "Engine", "", "C:\\given.p_a", "", ""};
    FakePlatform platform;
    RecordingConsole console;
};

// Each file is written through its creation, writes, flushes, sync to the
// disk, closing, replacement of the earlier file and sync of its folder. A
// failure at any of these steps, of any file, is reported with the file's
// path; up to the replacement the earlier file stays; no temporary file is
// left. Only a failure that was met fails the run.
TEST(ProjectWriterChecks, EveryStepOfEveryFileIsChecked) {
    const Strings files = EarlierProjectRun().files;
    int failuresMet = 0;
    for (int number = 1; number <= static_cast<int>(files.size()); ++number) {
        for (const WriteStep step :
             {WriteStep::Create, WriteStep::Write, WriteStep::Flush, WriteStep::Sync,
              WriteStep::Close, WriteStep::Replace, WriteStep::SyncFolder}) {
            SCOPED_TRACE(files[number - 1] + " at step " + std::to_string(static_cast<int>(step)));
            EarlierProjectRun run;
            run.platform.failFile(number, step);
            const std::optional<IOERROR> error = run.write();
            EXPECT_EQ(error.has_value(), run.platform.failureMet());
            if (!error) {
                continue;
            }
            ++failuresMet;
            EXPECT_EQ(error->code, ErrorCode::CannotWriteFile);
            EXPECT_EQ(error->path(), files[number - 1]);
            const std::string earlier = number == 3 ? "<missing>" : "earlier";
            const std::string content =
                run.platform.fileContent(files[number - 1]).value_or("<missing>");
            if (step == WriteStep::SyncFolder) {
                EXPECT_NE(content, earlier) << "renamed before its folder is synced";
            } else {
                EXPECT_EQ(content, earlier);
            }
            EXPECT_EQ(run.temporaryFilesLeft(), Strings{});
            EXPECT_TRUE(run.console.lines.empty() ||
                        run.console.lines.back() != message::projectCompleted());
        }
    }
    // Creation, sync, closing, replacement and folder sync of all five; the
    // writes of the two with content; the flushes of the personality's lines.
    EXPECT_EQ(failuresMet, 5 * 5 + 2 + 1);
}

// Another program swaps a folder of the destination for a link to an
// outside folder at each step of a run over an earlier project: the run may
// fail, but nothing outside is ever created or changed. The run holds the
// folders on its way, which Windows lets no other program rename; a folder
// it does not hold is refused when next reached, as a link.
TEST(ProjectWriterChecks, ASwappedFolderNeverLeadsAWriteOutside) {
    const Strings folders = {"C:\\out\\output",      "C:\\out\\person",    "C:\\out\\T",
                             "C:\\out\\T\\output",   "C:\\out\\T\\person", "C:\\out\\T\\G",
                             "C:\\out\\T\\G\\output"};
    const auto runOverACompleteProject = [](EarlierProjectRun& run) {
        EXPECT_FALSE(run.write().has_value());
        run.platform.probes.clear();
        return run.write();
    };
    EarlierProjectRun undisturbed;
    ASSERT_FALSE(runOverACompleteProject(undisturbed).has_value());
    const std::size_t steps = undisturbed.platform.probes.size();

    int swapped = 0;
    int refused = 0;
    for (std::size_t step = 1; step <= steps; ++step) {
        for (const std::string& folder : folders) {
            SCOPED_TRACE(folder + " swapped before " + undisturbed.platform.probes[step - 1]);
            EarlierProjectRun run;
            std::size_t seen = 0;
            run.platform.beforeProbe = [&](const std::string&) {
                if (++seen == steps + step) {  // the first run's probes are cleared
                    (run.platform.swapForLink(folder, "C:\\outside") ? swapped : refused) += 1;
                }
            };
            runOverACompleteProject(run);
            EXPECT_EQ(run.platform.entriesOf("C:\\outside"), Strings{"precious.txt"});
            EXPECT_EQ(run.platform.fileContent("C:\\outside\\precious.txt"), "precious");
        }
    }
    EXPECT_GT(swapped, refused) << "most swaps meet a folder the run does not hold";
    EXPECT_GT(refused, 0) << "the folders on the run's way are held";
}

// An interrupt at any write of any file ends the run with Interrupted: no
// temporary file is left, the project file (replaced last) is the earlier
// one, and every other file the earlier or the new one.
TEST(ProjectWriterChecks, AnInterruptLeavesNoTemporaryFile) {
    EarlierProjectRun complete;
    ASSERT_FALSE(complete.write().has_value());
    const auto writes =
        std::count_if(complete.platform.probes.begin(), complete.platform.probes.end(),
                      [](const std::string& probe) { return probe.starts_with("write "); });
    for (int write = 1; write <= writes; ++write) {
        SCOPED_TRACE("interrupted at write " + std::to_string(write));
        EarlierProjectRun run;
        run.platform.interruptWrite(write);
        EXPECT_THROW(run.write(), Interrupted);
        EXPECT_EQ(run.temporaryFilesLeft(), Strings{});
        EXPECT_EQ(run.platform.fileContent(run.files[0]), "earlier");
        for (const std::string& file : run.files) {
            const auto content = run.platform.fileContent(file);
            EXPECT_TRUE(!content || content == "earlier" ||
                        content == complete.platform.fileContent(file))
                << file;
        }
    }
}

// Below the destination, links (on Windows also junctions) and hard links
// are replaced by real folders and files: nothing outside is created,
// emptied or changed. A link in place of the analyser default counts as
// missing.
TEST_F(ProjectWriterTest, LinksBelowTheDestinationAreReplacedNotFollowed) {
    platform.addFolder("C:\\outside");
    platform.addFile("C:\\outside\\precious.txt", "precious");
    platform.addFolder("C:\\outside\\dir");
    platform.addLink(at("Engine.prj"), "C:\\outside\\precious.txt");
    platform.addLink(at("T"), "C:\\outside\\dir");
    platform.addFolder(at("person"));
    platform.addLink(at("person/Engine.p_s"), "C:\\outside\\gone.p_s");
    platform.addLink(at("person/Engine.p_a"), "C:\\outside\\precious.txt");
    platform.addHardLink(at("person/Engine.p_c"), "C:\\outside\\precious.txt");
    GroupNode root("root");
    GroupNode& t = root.findOrAddChild("T");
    t.defines["D"] = "1";
    t.findOrAddChild("G").addFile("C:\\g.c");

    EXPECT_EQ(write(root), 1);

    EXPECT_EQ(platform.fileContent("C:\\outside\\precious.txt"), "precious");
    EXPECT_EQ(platform.entriesOf("C:\\outside"), (Strings{"precious.txt", "dir"}));
    EXPECT_EQ(platform.entriesOf("C:\\outside\\dir"), Strings{});
    for (const char* file : {"Engine.prj", "person/Engine.p_s", "person/Engine.p_a",
                             "person/Engine.p_c", "T/person/T.p_a"}) {
        EXPECT_EQ(platform.entryKind(at(file)), EntryKind::File) << file;
    }
    for (const char* folder : {"T", "T/output", "T/G", "T/G/output"}) {
        EXPECT_EQ(platform.entryKind(at(folder)), EntryKind::Folder) << folder;
    }
    EXPECT_EQ(readFile("person/Engine.p_a"), "");
    EXPECT_EQ(readFile("T/person/T.p_a"), "-d \"D=1\"\r\n");
}

// A name, path or value holding CR or LF stays on its one line, in the
// project file, the personality and on the console.
TEST_F(ProjectWriterTest, TextsStayOneLine) {
    GroupNode root("root");
    GroupNode& t = root.findOrAddChild("T");
    t.defines["X"] = "1\r\n-i \"C:\\etc\"";
    t.findOrAddChild("G\nOutputPath=C:\\").addFile("C:\\a\rb.c");

    write(root);

    const std::string prj = readFile("Engine.prj");
    EXPECT_NE(prj.find("\r\nFolderName=G OutputPath=C:\\\r\nSourcePath=" +
                       at("T/G_OutputPath=C__/") + "\r\n"),
              std::string::npos);
    EXPECT_NE(prj.find("\r\nC:\\a b.c\r\n"), std::string::npos);
    std::string bare = prj;
    for (std::size_t crlf; (crlf = bare.find("\r\n")) != std::string::npos;) {
        bare.erase(crlf, 2);
    }
    EXPECT_EQ(bare.find_first_of("\r\n"), std::string::npos) << "only CR LF line ends";
    EXPECT_EQ(readFile("T/person/T.p_a"), "-d \"X=1  -i \"C:\\etc\"\"\r\n");
    EXPECT_EQ(console.lines.at(4), message::creatingGroup("G OutputPath=C:\\"));
}

}  // namespace
}  // namespace tessaly
