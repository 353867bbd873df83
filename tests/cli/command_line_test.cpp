#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <regex>

#include "platform/fake_platform.h"
#include "platform/messages.h"
#include "support/recording_console.h"
#include "version.h"

namespace tessaly {
namespace {

using testing::FakePlatform;
using testing::RecordingConsole;
using Strings = std::vector<std::string>;

class CommandLineTest : public ::testing::Test {
  protected:
    CommandLineTest() {
        platform.setCurrentDirectory("C:\\work");
        platform.setRegistryValue(kCodeWarriorIdeKey, "C:\\Tools\\CodeWarrior\\Bin\\IDE.exe");
    }
    std::unique_ptr<ProjectConverter> converterFor(const Strings& arguments) {
        return makeConverter(arguments, platform, console);
    }

    FakePlatform platform;
    RecordingConsole console;
};

// Fewer than three arguments print the usage; "--version" first, whatever
// follows, prints the version. Neither looks at the file system.
TEST_F(CommandLineTest, UsageAndVersion) {
    const Strings usage{
        "Usage: tesscli <source_proj> <dest_folder> <codewarrior_install_dir> "
        "[-pn dest_proj_name]",
        "[-mp message_personality] [-ap analyser_personality] "
        "[-cp compiler_personality] [-ext file_extension]"};
    const Strings version{"tesscli " TESSALY_VERSION};
    const std::pair<Strings, Strings> cases[] = {
        {{}, usage},
        {{"a"}, usage},
        {{"a", "b"}, usage},
        {{"--version"}, version},
        {{"--version", "p.mcp.xml", "out", "cw"}, version},
        {{"a", "--version"}, usage},
        {{"-version"}, usage},
        {{"--Version"}, usage},
    };
    for (const auto& [arguments, lines] : cases) {
        console.lines.clear();
        EXPECT_EQ(runCommandLine(arguments, platform, console), 0);
        EXPECT_EQ(console.lines, lines);
        EXPECT_TRUE(platform.probes.empty());
    }
    // The version is the project's, two or three numbers.
    EXPECT_TRUE(std::regex_match(TESSALY_VERSION, std::regex("[0-9]+\\.[0-9]+(\\.[0-9]+)?")));
}

TEST_F(CommandLineTest, PositionalArgumentsAndDefaults) {
    auto converter = converterFor({"proj.mcp.xml", "out", ""});
    EXPECT_EQ(converter->sourceProjectPath, "C:\\work\\proj.mcp.xml");
    EXPECT_EQ(converter->destFolder, "C:\\work\\out");
    EXPECT_EQ(converter->projectName, "proj");
    EXPECT_EQ(converter->codeWarriorDir, "C:\\Tools\\CodeWarrior");
}

TEST_F(CommandLineTest, GivenCodeWarriorFolderIsTakenAsGiven) {
    EXPECT_EQ(converterFor({"p", "o", "cw\\..\\x"})->codeWarriorDir, "cw\\..\\x");
}

TEST_F(CommandLineTest, DefaultProjectName) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\work\\Engine.mcp.xml", "Engine"},
        {"C:\\work\\Engine.xml", "Engine"},
        {"C:\\work\\Engine", "Engine"},
        {"C:\\w.d\\Engine.xml", "Engine"},  // a dot before the last separator is not an extension
        {"C:\\w.d\\Engine", "w"},           // "C:\w" after cutting at the last dot
        {"a.b.c.d", "a.b"},
    };
    for (const auto& [path, name] : cases) {
        EXPECT_EQ(defaultProjectName(path, '\\'), name) << path;
    }
}

TEST_F(CommandLineTest, OptionsApplyInOrderAndValuesAreExaminedToo) {
    auto converter =
        converterFor({"p.xml", "o", "cw", "-pn", "..\\x", "-mp", "..\\x", "-ap", "a", "-cp",
                      "D:\\c", "-ext", "c,h,,cpp", "-ext", "h", "-cdb", "db.json"});
    EXPECT_EQ(converter->projectName, "..\\x");
    EXPECT_EQ(converter->compilationDatabase, "C:\\work\\db.json");
    EXPECT_EQ(converter->messagePersonality, "C:\\work\\..\\x");
    EXPECT_EQ(converter->analyserPersonality, "C:\\work\\a");
    EXPECT_EQ(converter->compilerPersonality, "D:\\c");
    EXPECT_EQ(converter->fileExtensions, (Strings{"c", "h", "", "cpp", "h"}));

    auto chained = converterFor({"p.xml", "o", "cw", "-pn", "-mp", "x"});
    EXPECT_EQ(chained->projectName, "-mp");
    EXPECT_EQ(chained->messagePersonality, "C:\\work\\x");
}

TEST_F(CommandLineTest, UnknownCaseDifferentAndTrailingOptionsAreIgnored) {
    auto converter = converterFor({"p.xml", "o", "cw", "-PN", "x", "--pn", "y", "-pn"});
    EXPECT_EQ(converter->projectName, "p");
    auto trailingExt = converterFor({"p.xml", "o", "cw", "-ext"});
    EXPECT_TRUE(trailingExt->fileExtensions.empty());
    auto trailingDatabase = converterFor({"p.xml", "o", "cw", "-CDB", "x", "-cdb"});
    EXPECT_TRUE(trailingDatabase->compilationDatabase.empty());
}

TEST_F(CommandLineTest, PositionalArgumentsAreExaminedAsOptions) {
    auto converter = converterFor({"-ext", "c", "cw"});
    EXPECT_EQ(converter->fileExtensions, (Strings{"c"}));
}

// A console whose every line is lost, as on a full device.
class LostConsole : public RecordingConsole {
  public:
    bool failed() const override { return !lines.empty(); }
};

// Lost lines give exit status 1, once the whole project is written.
TEST_F(CommandLineTest, AConsoleThatCannotBeWrittenGivesStatusOne) {
    platform.addFolder("C:\\work");
    platform.addFolder("C:\\work\\out");
    platform.addFile(
        "C:\\work\\p.mcp.xml",
        "<PROJECT><TARGETLIST><TARGET><NAME>T</NAME><SETTINGLIST><SETTING><NAME>X</NAME>"
        "<VALUE>1</VALUE></SETTING></SETTINGLIST></TARGET></TARGETLIST><TARGETORDER>"
        "</TARGETORDER><GROUPLIST></GROUPLIST></PROJECT>");
    LostConsole lost;
    EXPECT_EQ(runCommandLine({"p.mcp.xml", "out", ""}, platform, lost), 1);
    EXPECT_EQ(lost.lines.back(), message::projectCompleted());
    EXPECT_TRUE(platform.fileContent("C:\\work\\out\\p.prj").has_value());

    LostConsole usage;
    EXPECT_EQ(runCommandLine({"p.mcp.xml"}, platform, usage), 1);
}

TEST(AddFileExtensionsTest, SplitsAtEveryComma) {
    const std::pair<const char*, Strings> cases[] = {
        {"c,h,,cpp", {"c", "h", "", "cpp"}}, {"cpp", {"cpp"}}, {"", {""}}, {",", {"", ""}},
        {" c , h", {" c ", " h"}},
    };
    for (const auto& [text, expected] : cases) {
        testing::FakePlatform platform;
        testing::RecordingConsole console;
        ProjectConverter converter("p", "d", "cw", platform, console);
        converter.addFileExtensions(text);
        EXPECT_EQ(converter.fileExtensions, expected) << text;
    }
}

}  // namespace
}  // namespace tessaly
