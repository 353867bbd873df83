// Damaged and hostile exports and surroundings: sizes and depths far beyond
// any genuine export, bytes that no text editor writes, names meant to leave
// the destination, a destination that may not be written into and a given
// analyser personality that is not text. The big inputs are generated here,
// never checked in. Most cases run the converter in this process; the ones
// that need another user or their own memory figures run the built tesscli.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "cli/project_converter.h"
#include "platform/messages.h"
#include "support/recording_console.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const std::string kCompleted = message::projectCompleted();
const std::string kUnexpectedToken = message::unexpectedToken("");
const std::string kCompilerPanel = "<!-- Settings for \"C/C++ Compiler\" panel -->";

// A target whose compiler panel defines X as `value`, so that it gets an
// analyser personality of its own.
std::string target(const std::string& name, const std::string& value = "1") {
    return "<TARGET><NAME>" + name + "</NAME><SETTINGLIST>" + kCompilerPanel +
           "<SETTING><NAME>X</NAME><VALUE>" + value + "</VALUE></SETTING></SETTINGLIST></TARGET>\n";
}

std::string fileRef(const std::string& targetName, const std::string& path = "/src/a.c") {
    return "<FILEREF><TARGETNAME>" + targetName +
           "</TARGETNAME><PATHTYPE>Absolute</PATHTYPE><PATHROOT>Absolute</PATHROOT><PATH>" + path +
           "</PATH></FILEREF>\n";
}

std::string project(const std::string& targets, const std::string& groups) {
    return "<?xml version=\"1.0\"?>\n<PROJECT><TARGETLIST>\n" + targets +
           "</TARGETLIST><TARGETORDER></TARGETORDER>\n<GROUPLIST>\n" + groups +
           "</GROUPLIST></PROJECT>\n";
}

// `count` copies of `text`.
std::string repeat(const std::string& text, int count) {
    std::string result;
    result.reserve(text.size() * count);
    for (int i = 0; i < count; ++i) {
        result += text;
    }
    return result;
}

long countStartingWith(const Strings& lines, const std::string& prefix) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& line) { return line.starts_with(prefix); });
}

// A work folder holding the export "p.mcp.xml" and the destination "out".
class HostileInput : public ::testing::Test {
  protected:
    // Converts `exportText` in this process, as tesscli does with an empty
    // CodeWarrior folder; the project is named "p".
    int convert(const std::string& exportText, const std::string& analyserPersonality = "") {
        writeFile(source, exportText);
        fs::create_directories(dest);
        ProjectConverter converter(source.string(), dest.string(), "", systemPlatform(), console);
        converter.projectName = "p";
        converter.analyserPersonality = analyserPersonality;
        return converter.run();
    }

    std::string lastLine() const { return console.lines.empty() ? "" : console.lines.back(); }

    TempFolder work;
    const fs::path source = work.path() / "p.mcp.xml";
    const fs::path dest = work.path() / "out";
    RecordingConsole console;
};

// Nesting far beyond the limit: the tag that would open level 1,001 is the
// unexpected token, nothing after it is read, and what was read is written.
TEST_F(HostileInput, HundredThousandNestedElementsStopAtTheLimit) {
    constexpr int kLevels = 100'000;
    struct Case {
        std::string element;
        std::string exportText;
        std::string writtenFolder;  // below the destination
        std::string droppedFolder;
    };
    const std::string groups = "<GROUP><NAME>g</NAME>" + fileRef("T") + "<GROUP><NAME>g</NAME>" +
                               fileRef("T") + repeat("<GROUP><NAME>g</NAME>", kLevels - 2) +
                               fileRef("T", "/src/deepest.c") + repeat("</GROUP>", kLevels);
    const std::string settings = "<TARGET><NAME>Deep</NAME><SETTINGLIST>" +
                                 repeat("<SETTING><NAME>n</NAME>", kLevels - 1) +
                                 "<SETTING><NAME>x</NAME><VALUE>1</VALUE></SETTING>" +
                                 repeat("</SETTING>", kLevels - 1) + "</SETTINGLIST></TARGET>\n";
    const Case cases[] = {
        {"GROUP", project(target("T"), groups), "T/g/g/output", "T/g/g/g"},
        {"SETTING", project(target("T") + settings, fileRef("T")), "T/person", "Deep"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.element);
        fs::remove_all(dest);
        console.lines.clear();

        EXPECT_EQ(convert(c.exportText), 1);

        EXPECT_EQ(
            std::count(console.lines.begin(), console.lines.end(), kUnexpectedToken + c.element),
            1);
        EXPECT_EQ(lastLine(), kCompleted);
        EXPECT_TRUE(fs::is_directory(dest / c.writtenFolder));
        EXPECT_FALSE(fs::exists(dest / c.droppedFolder));
    }
}

// Bytes 0x00 and 0xFF are ordinary characters in every kind of token: a tag
// that holds them names no element and is refused, a text keeps them, and a
// special token is passed over. In a folder name, NUL (a control character)
// becomes "_".
TEST_F(HostileInput, NulAndFfInEveryKindOfToken) {
    const std::string bytes("\0\xFF", 2);
    struct Case {
        std::string kind;
        std::string original;  // its first occurrence in the export is replaced
        std::string replacement;
        std::string refusedToken;  // empty: the conversion proceeds
        std::string file;          // below the destination, holds `content`
        std::string content;
        std::string lastLine = kCompleted;
    };
    const Case cases[] = {
        {"open tag", "<NAME>T</NAME>", "<NAME" + bytes + ">T</NAME>", "NAME" + bytes, "", ""},
        {"close tag", "<NAME>T</NAME>", "<NAME>T</NAME" + bytes + ">", "NAME" + bytes, "", ""},
        {"text", "<VALUE>1</VALUE>", "<VALUE>1" + bytes + "</VALUE>", "", "T/person/T.p_a",
         "-d \"X=1" + bytes + "\"\r\n"},
        {"text", "<PATH>/src/a.c</PATH>", "<PATH>/src/a" + bytes + ".c</PATH>", "", "p.prj",
         "\r\n/src/a" + bytes + ".c\r\nEndContainedFilesMarker\r\n"},
        {"special", "<TARGETORDER>", "<!--" + bytes + "--><?" + bytes + "?><TARGETORDER>", "",
         "T/G/output", ""},
        {"text", "<NAME>T</NAME>", "<NAME>T" + bytes + "</NAME>", "", "p.prj",
         "\r\nFolderName=T" + bytes + "\r\nSourcePath=" + dest.string() + "/T_\xFF/\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind + ": " + c.replacement);
        std::string exportText =
            project(target("T"), "<GROUP><NAME>G</NAME>" + fileRef("T") + "</GROUP>");
        exportText.replace(exportText.find(c.original), c.original.size(), c.replacement);
        fs::remove_all(dest);
        console.lines.clear();

        EXPECT_EQ(convert(exportText), c.lastLine == kCompleted ? 1 : 0);

        EXPECT_EQ(lastLine(), c.lastLine);
        if (c.refusedToken.empty()) {
            EXPECT_EQ(countStartingWith(console.lines, kUnexpectedToken), 0);
            ASSERT_TRUE(fs::exists(dest / c.file));
            if (!c.content.empty()) {
                EXPECT_NE(readFile(dest / c.file).find(c.content), std::string::npos);
            }
        } else {
            EXPECT_EQ(console.lines.front(), kUnexpectedToken + c.refusedToken);
            EXPECT_FALSE(fs::exists(dest / "T"));
        }
    }
}

// One text token of 50 MB (a define's value) is converted, and the
// converter's peak memory stays within a small multiple of it. The built
// tesscli runs as a child so that its own peak is measured.
TEST_F(HostileInput, FiftyMegabyteTextToken) {
    constexpr std::size_t kTokenSize = 50u << 20;
    const std::string value(kTokenSize, 'v');
    writeFile(source, project(target("T", value), fileRef("T")));
    fs::create_directories(dest);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        // Freed blocks are not held back for the sanitizer's checks, so that
        // the figure is the converter's own.
        const char* options = std::getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS",
               (std::string(options ? options : "") + ":quarantine_size_mb=0").c_str(), 1);
        execl(TESSCLI_PATH, TESSCLI_PATH, source.c_str(), dest.c_str(), "", nullptr);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(wait4(child, &status, 0, &usage), child);

    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(fs::file_size(dest / "T" / "person" / "T.p_a"), kTokenSize + 9);
    // ru_maxrss is in kilobytes. The figure includes the sanitizers' shadow
    // memory in the sanitizer build.
    EXPECT_LT(static_cast<std::size_t>(usage.ru_maxrss) * 1024, 8 * kTokenSize)
        << "peak " << usage.ru_maxrss / 1024 << " MB";
}

// A destination folder that may not be written into: the project file is
// the first thing the converter creates, so the run ends with its message
// and nothing changes anywhere in the work folder.
TEST_F(HostileInput, ReadOnlyDestinationChangesNothing) {
    writeFile(source, project(target("T"), fileRef("T")));
    fs::create_directories(dest);
    const CommandLine command =
        withoutPrivileges(TESSCLI_PATH, {"p.mcp.xml", "out", ""}, work.path());
    fs::permissions(dest, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                              fs::perms::others_exec);
    const auto before = snapshotTree(work.path());

    const ProgramResult result = runProgram(command.program, command.arguments, work.path());

    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.output,
              message::addingFile("/src/a.c") + "\n" +
                  message::failure(ErrorCode::CannotWriteFile,
                                   fs::canonical(work.path()).string() + "/out/p.prj") +
                  "\n");
    EXPECT_EQ(snapshotTree(work.path()), before);
}

// Folders where the project file or a personality must be written: the run
// ends with the file's message, and nothing outside the destination changes.
TEST_F(HostileInput, FolderWhereAFileMustBeWrittenChangesNothingOutside) {
    const std::string exportText = project(target("T"), fileRef("T"));
    for (const std::string file : {"p.prj", "T/person/T.p_a", "person/p.p_c"}) {
        SCOPED_TRACE(file);
        fs::remove_all(dest);
        fs::create_directories(dest / file);
        writeFile(source, exportText);
        auto outside = snapshotTree(work.path());
        console.lines.clear();

        EXPECT_EQ(convert(exportText), 0);

        EXPECT_EQ(lastLine(),
                  message::failure(ErrorCode::CannotWriteFile, dest.string() + "/" + file));
        auto after = snapshotTree(work.path());
        std::erase_if(outside, [](const auto& entry) { return entry.first.starts_with("out"); });
        std::erase_if(after, [](const auto& entry) { return entry.first.starts_with("out"); });
        EXPECT_EQ(after, outside);
    }
}

// Target and group names that would leave the destination folder or break a
// path become safe folder names; nothing is made outside the destination.
TEST_F(HostileInput, UnsafeNamesMakeSafeFoldersInsideTheDestination) {
    const std::map<std::string, std::string> safeFolder = {
        {"..", "__"}, {".", "_"}, {"a/b", "a_b"}, {"a\\b", "a_b"}, {"C:x", "C:x"}};
    for (const auto& [name, folder] : safeFolder) {
        SCOPED_TRACE(name);
        fs::remove_all(dest);
        console.lines.clear();

        EXPECT_EQ(convert(project(target(name),
                                  "<GROUP><NAME>" + name + "</NAME>" + fileRef(name) + "</GROUP>")),
                  1);

        EXPECT_EQ(lastLine(), kCompleted);
        std::map<std::string, std::string> expected = {
            {"p.mcp.xml", readFile(source)},
            {"out", "<dir>"},
            {"out/p.prj", readFile(dest / "p.prj")},
            {"out/output", "<dir>"},
            {"out/person", "<dir>"},
            {"out/person/p.p_s", ""},
            {"out/person/p.p_a", ""},
            {"out/person/p.p_c", ""},
        };
        const std::string t = "out/" + folder;
        for (const std::string& dir :
             {t, t + "/output", t + "/person", t + "/" + folder, t + "/" + folder + "/output"}) {
            expected[dir] = "<dir>";
        }
        expected[t + "/person/" + folder + ".p_a"] = "-d \"X=1\"\r\n";
        EXPECT_EQ(snapshotTree(work.path()), expected);
    }
}

// An export naming 10,000 targets, every 100th with a file in the group
// list: the whole export is read and each file placed in its own target.
// (The destination is missing, so that 20,000 folders are not written and
// removed again: the writer's work grows with the tree alone.)
TEST_F(HostileInput, TenThousandTargets) {
    constexpr int kTargets = 10'000;
    std::string targets;
    std::string files;
    for (int i = 0; i < kTargets; ++i) {
        std::string name = "T";
        name += std::to_string(i);
        targets += "<TARGET><NAME>" + name +
                   "</NAME><SETTINGLIST><SETTING><NAME>n</NAME><VALUE>v</VALUE></SETTING>"
                   "</SETTINGLIST></TARGET>\n";
        if (i % 100 == 99) {
            files += fileRef(name, "/src/" + name + ".c");
        }
    }
    writeFile(source, project(targets, files));
    ProjectConverter converter(source.string(), dest.string(), "", systemPlatform(), console);
    converter.projectName = "p";

    EXPECT_EQ(converter.run(), 0);

    const auto& children = converter.rootGroup->children;
    ASSERT_EQ(children.size(), std::size_t{kTargets});
    EXPECT_EQ(children.back()->name, "T9999");
    EXPECT_EQ(children.back()->files, Strings{"/src/T9999.c"});
    EXPECT_EQ(countStartingWith(console.lines, message::addingFile("")), kTargets / 100);
    EXPECT_EQ(lastLine(), message::failure(ErrorCode::CannotWriteFile, dest.string() + "/p.prj"));
}

// A given analyser personality that is not text at all: every byte value,
// lone CRs, CR LF pairs (one across the reader's block boundary), Ctrl-Z and
// a CR at the very end. It is read with CR LF as LF and appended with every
// LF written as CR LF; nothing else changes and nothing ends it early.
TEST_F(HostileInput, AnalyserPersonalityThatIsNotText) {
    std::string given;
    for (int c = 0; c < 256; ++c) {
        given += static_cast<char>(c);
    }
    given += std::string("\0\x1A\r\r\n\n\r\n\r", 9);
    std::mt19937 random(3);
    std::uniform_int_distribution<int> byte(0, 255 + 64);
    while (given.size() < 600'000) {
        const int b = byte(random);
        given += b > 255 ? "\r\n\r\n"[b % 4] : static_cast<char>(b);
    }
    given[256 * 1024 - 1] = '\r';
    given[256 * 1024] = '\n';
    given += '\r';
    writeFile(work.path() / "given.p_a", given);
    std::string expected;
    for (std::size_t i = 0; i < given.size(); ++i) {
        if (given[i] == '\r' && i + 1 < given.size() && given[i + 1] == '\n') {
            continue;
        }
        expected += given[i] == '\n' ? "\r\n" : std::string(1, given[i]);
    }

    EXPECT_EQ(convert(project(target("T"), fileRef("T")), (work.path() / "given.p_a").string()), 1);

    // Compared as a whole, without printing 600,000 bytes on failure.
    EXPECT_TRUE(readFile(dest / "T" / "person" / "T.p_a") == "-d \"X=1\"\r\n" + expected);
}

}  // namespace
}  // namespace tessaly::testing
