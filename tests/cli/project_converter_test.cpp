// The run: its order, its one error handler and the exit statuses.
#include "cli/project_converter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "cli/command_line.h"
#include "platform/fake_platform.h"
#include "platform/messages.h"
#include "support/recording_console.h"
#include "support/test_files.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using testing::RecordingConsole;
using testing::TempFolder;
using testing::writeFile;
using Strings = std::vector<std::string>;

const std::string kProject =
    "<PROJECT><TARGETLIST><TARGET><NAME>T</NAME><SETTINGLIST><!-- Settings for \"C/C++ Compiler\" "
    "panel --><SETTING><NAME>X</NAME><VALUE>1</"
    "VALUE>"
    "</SETTING></SETTINGLIST></TARGET></TARGETLIST><TARGETORDER></TARGETORDER><GROUPLIST>"
    "<GROUP><NAME>G</NAME><FILEREF><TARGETNAME>T</TARGETNAME><PATHTYPE>Absolute</PATHTYPE>"
    "<PATHROOT>Absolute</PATHROOT><PATH>/src/a.c</PATH></FILEREF></GROUP></GROUPLIST></PROJECT>";

class RunTest : public ::testing::Test {
  protected:
    // A path below the destination folder, given with "/".
    std::string at(std::string relative) const {
        std::replace(relative.begin(), relative.end(), '/', systemPlatform().separator());
        return dest + systemPlatform().separator() + relative;
    }

    int run(const std::string& exportText, const Strings& options = {}) {
        writeFile(temp.path() / "p.mcp.xml", exportText);
        Strings arguments{(temp.path() / "p.mcp.xml").string(), dest, "cw"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return runCommandLine(arguments, systemPlatform(), console);
    }

    TempFolder temp;
    std::string dest = (temp.path() / "out").string();
    RecordingConsole console;
};

TEST_F(RunTest, CompleteRun) {
    fs::create_directory(dest);
    EXPECT_EQ(run(kProject), 0);
    EXPECT_EQ(console.lines, (Strings{message::addingFile("/src/a.c"), message::creatingProject(),
                                      message::creatingGroup("p"), message::creatingGroup("T"),
                                      message::creatingAnalyserPersonality(at("T/person/T.p_a")),
                                      message::creatingGroup("G"), message::projectCompleted()}));
}

TEST_F(RunTest, UnexpectedTokenIsShownAsWrittenAndTheProjectStillWritten) {
    fs::create_directory(dest);
    std::string broken = kProject;
    broken.replace(broken.find("</GROUP>"), 8, "a &amp; b</GROUP>");
    EXPECT_EQ(run(broken), 0);
    EXPECT_EQ(console.lines.at(1), message::unexpectedToken("a &amp; b"));
    EXPECT_EQ(console.lines.back(), message::projectCompleted());
    EXPECT_TRUE(fs::exists(at("p.prj")));
}

TEST_F(RunTest, EndOfInputWritesNothing) {
    fs::create_directory(dest);
    for (const std::string& text :
         {std::string(), std::string(" \r\n"), kProject.substr(0, kProject.size() - 3)}) {
        console.lines.clear();
        EXPECT_EQ(run(text), 1);
        EXPECT_EQ(console.lines.back(), message::failure(ErrorCode::UnexpectedEnd, ""));
        EXPECT_TRUE(fs::is_empty(dest));
    }
}

TEST_F(RunTest, ErrorMessages) {
    const auto missing = (temp.path() / "missing.mcp.xml").string();
    EXPECT_EQ(runCommandLine({missing, dest, "cw"}, systemPlatform(), console), 1);
    EXPECT_EQ(console.lines, (Strings{message::failure(ErrorCode::CannotOpen, missing)}));

    console.lines.clear();
    EXPECT_EQ(run(kProject), 1) << "the destination folder does not exist";
    EXPECT_EQ(console.lines.back(), message::failure(ErrorCode::CannotWriteFile, at("p.prj")));

    console.lines.clear();
    fs::create_directory(dest);
    // Something exists at the target's folder, so only its "output" folder is tried.
    writeFile(at("T"), "a file where a folder must go");
    EXPECT_EQ(run(kProject), 1);
    EXPECT_EQ(console.lines.back(),
              message::failure(ErrorCode::CannotCreateDirectory, at("T/output/")));
}

TEST_F(RunTest, PathTheSystemRefusesGivesTheMessageOfItsOperation) {
    fs::create_directory(dest);
    const std::string longName(300, 'n');  // longer than any file system allows for one name
    std::string project = kProject;
    project.replace(project.find("<NAME>T</NAME>"), 14, "<NAME>" + longName + "</NAME>");
    EXPECT_EQ(run(project), 1);
    EXPECT_EQ(console.lines.back(),
              message::failure(ErrorCode::CannotCreateDirectory, at("") + longName));
}

TEST_F(RunTest, GivenAnalyserPersonalityThatCannotBeReadIsNoFailure) {
    fs::create_directory(dest);
    EXPECT_EQ(run(kProject, {"-ap", temp.str()}), 0);
    EXPECT_EQ(std::count(console.lines.begin(), console.lines.end(),
                         message::cannotOpenGivenPersonality()),
              1);
}

// A platform whose file system fails in a way the run does not expect.
class FailingPlatform : public testing::FakePlatform {
  public:
    FailingPlatform() : FakePlatform(PathStyle::Posix) {}
    bool exists(const std::string&) override { throw std::runtime_error("disk unplugged"); }
};

TEST_F(RunTest, UnexpectedFailureEndsInOneLineAndStatusOne) {
    FailingPlatform platform;
    platform.setCurrentDirectory("/work");
    platform.addFolder("/work");
    platform.addFolder("/work/out");
    platform.addFile("/work/p.mcp.xml", kProject);
    EXPECT_EQ(runCommandLine({"p.mcp.xml", "out", "cw"}, platform, console), 1);
    EXPECT_EQ(console.lines.back(), message::conversionFailed("disk unplugged"));
}

}  // namespace
}  // namespace tessaly
