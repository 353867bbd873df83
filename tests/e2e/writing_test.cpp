// The writing side of the built tesscli, tried as a careful user and as an
// attacker would: writes that fail, links and hard links in the destination,
// endless inputs, names that would merge two folders or add lines, inputs
// given as outputs, and a console that cannot be written. Nothing may be
// lost, nothing outside the destination may change, and no failed run may
// report success.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "output/replaced_file.h"
#include "platform/messages.h"
#include "support/export_text.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using Tree = std::map<std::string, std::string>;

const fs::path kSmall = fs::path(TESSALY_SOURCE_DIR) / "tests" / "data" / "small";

Strings linesOf(const std::string& text, const std::string& end) {
    Strings lines;
    for (std::size_t start = 0, stop; start < text.size(); start = stop + end.size()) {
        stop = std::min(text.find(end, start), text.size());
        lines.push_back(text.substr(start, stop - start));
    }
    return lines;
}

std::string lastLine(const std::string& output) {
    const Strings lines = linesOf(output, "\n");
    return lines.empty() ? "" : lines.back();
}

// Links and temporary files left below a folder.
Strings linksAndTemporaryFiles(const fs::path& root) {
    Strings found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_symlink() || isTemporaryFileName(entry.path().filename().string())) {
            found.push_back(entry.path().lexically_relative(root).string());
        }
    }
    return found;
}

// A work folder holding the small export ("small/"), the destination "out",
// and "outside/", whose files no run may change.
class Writing : public ::testing::Test {
  protected:
    Writing() {
        fs::copy(kSmall, work.path() / "small", fs::copy_options::recursive);
        fs::create_directory(out());
        resetOutside();
    }

    void resetOutside() {
        fs::remove_all(outside());
        writeFile(outside() / "precious.txt", "precious\n");
        writeFile(outside() / "dir" / "keep.txt", "keep\n");
    }
    // The export as it was, should a run have written over it.
    void resetExport() {
        fs::remove(work.path() / "small" / "small.mcp.xml");
        fs::copy_file(kSmall / "small.mcp.xml", work.path() / "small" / "small.mcp.xml");
    }

    fs::path out() const { return work.path() / "out"; }
    fs::path outside() const { return work.path() / "outside"; }
    // The work folder as the program sees it, links resolved.
    std::string w() const { return fs::canonical(work.path()).string(); }

    static Strings arguments(const Strings& options) {
        Strings all{"small/small.mcp.xml", "out", ""};
        all.insert(all.end(), options.begin(), options.end());
        return all;
    }
    ProgramResult convert(const Strings& options = {}) {
        return runProgram(TESSCLI_PATH, arguments(options), work.path());
    }
    // What a complete run with these options writes into an empty "out".
    Tree completeProject(const Strings& options = {}) {
        fs::remove_all(out());
        fs::create_directory(out());
        EXPECT_EQ(convert(options).exitStatus, 0);
        Tree project = snapshotTree(out());
        fs::remove_all(out());
        fs::create_directory(out());
        return project;
    }

    TempFolder work;
};

// Every file the converter writes is checked, up to its closing: a write
// past a file-size limit (as a full disk or a quota would refuse it) is
// reported with the file's path and exit status 1, and the earlier file
// stays as it was.
TEST_F(Writing, AWriteThatFailsIsReportedAndTheEarlierFileStays) {
    writeFile(work.path() / "big.p_a", std::string(4000, 'x'));
    struct Case {
        std::string file;  // below out/
        Strings options;
        int limit;  // bytes
    };
    const Case cases[] = {
        {"small.prj", {}, 400},
        {"Lib/person/Lib.p_a", {"-ap", "big.p_a"}, 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        fs::remove_all(out());
        writeFile(out() / c.file, "the earlier file\r\n");
        Strings command{"--fsize=" + std::to_string(c.limit), TESSCLI_PATH};
        for (const std::string& argument : arguments(c.options)) {
            command.push_back(argument);
        }

        const ProgramResult result = runProgram("/usr/bin/prlimit", command, work.path());

        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(lastLine(result.output),
                  message::failure(ErrorCode::CannotWriteFile, w() + "/out/" + c.file));
        EXPECT_EQ(readFile(out() / c.file), "the earlier file\r\n");
        EXPECT_EQ(linksAndTemporaryFiles(out()), Strings{});
    }
}

// Links (and hard links) below the destination are replaced by real files
// and folders, never written through; what they point to stays as it was.
TEST_F(Writing, LinksInTheDestinationAreReplacedNotFollowed) {
    const Tree project = completeProject();
    struct Case {
        std::string what;
        std::function<void()> setup;
    };
    const Case cases[] = {
        {"a personality linked to an outside file",
         [&] {
             fs::create_directory(out() / "person");
             fs::create_symlink(outside() / "precious.txt", out() / "person" / "small.p_s");
         }},
        {"the analyser default linked to an outside file",
         [&] {
             fs::create_directory(out() / "person");
             fs::create_symlink(outside() / "precious.txt", out() / "person" / "small.p_a");
         }},
        {"a target folder linked to an outside folder",
         [&] { fs::create_directory_symlink(outside() / "dir", out() / "Lib"); }},
        {"the person folder linked to an outside folder",
         [&] { fs::create_directory_symlink(outside() / "dir", out() / "person"); }},
        {"an output folder linked to an outside folder",
         [&] {
             fs::create_directory(out() / "Lib");
             fs::create_directory_symlink(outside() / "dir", out() / "Lib" / "output");
         }},
        {"the project file linked to an outside file",
         [&] { fs::create_symlink(outside() / "precious.txt", out() / "small.prj"); }},
        {"the project file linked to /dev/full",
         [&] { fs::create_symlink("/dev/full", out() / "small.prj"); }},
        {"a dangling link",
         [&] {
             fs::create_directory(out() / "person");
             fs::create_symlink(outside() / "made.txt", out() / "person" / "small.p_c");
         }},
        {"a hard link to an outside file",
         [&] { fs::create_hard_link(outside() / "precious.txt", out() / "small.prj"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(out());
        fs::create_directory(out());
        resetOutside();
        c.setup();
        const Tree outsideBefore = snapshotTree(outside());

        const ProgramResult result = convert();

        EXPECT_EQ(result.exitStatus, 0) << result.output;
        EXPECT_EQ(lastLine(result.output), message::projectCompleted());
        EXPECT_EQ(snapshotTree(outside()), outsideBefore);
        const Strings left = linksAndTemporaryFiles(out());
        EXPECT_EQ(left, Strings{});
        if (left.empty()) {  // a link left could lead to an endless device
            EXPECT_EQ(snapshotTree(out()), project);
        }
    }
}

// An analyser personality that is a device, a pipe or a folder counts as a
// file that cannot be opened: it cannot fill the disk or hold the run up.
// (The run is bounded by a file-size limit and a timeout, as a faulty
// converter would write without end.)
TEST_F(Writing, TheGivenAnalyserPersonalityMustBeARegularFile) {
    ASSERT_EQ(::mkfifo((work.path() / "fifo").c_str(), 0666), 0);
    const Tree project = completeProject();
    for (const std::string given : {"/dev/zero", "/dev/urandom", "fifo", "small"}) {
        SCOPED_TRACE(given);
        const Strings command = {"60",
                                 "/usr/bin/prlimit",
                                 "--fsize=1000000",
                                 TESSCLI_PATH,
                                 "small/small.mcp.xml",
                                 "out",
                                 "",
                                 "-ap",
                                 given};

        const ProgramResult result = runProgram("/usr/bin/timeout", command, work.path());

        EXPECT_EQ(result.exitStatus, 0);
        const Strings lines = linesOf(result.output, "\n");
        EXPECT_EQ(std::count(lines.begin(), lines.end(), message::cannotOpenGivenPersonality()), 1);
        EXPECT_EQ(lastLine(result.output), message::projectCompleted());
        EXPECT_EQ(snapshotTree(out()), project);
    }
}

// Two children whose folder names would be the same (after making them
// safe, or a name the converter uses itself) get folders of their own; the
// project file keeps each node's name and names the folder made.
TEST_F(Writing, EveryNodeGetsAFolderOfItsOwn) {
    writeFile(work.path() / "names.mcp.xml",
              xml::project(xml::target("a/b", "A", "1") + xml::target("a_b", "B", "2") +
                               xml::target("output") + xml::target("person"),
                           xml::group("x/y", xml::fileRef("a/b", "/src/1.c")) +
                               xml::group("x_y", xml::fileRef("a/b", "/src/2.c")) +
                               xml::group("person", xml::fileRef("a/b", "/src/3.c")) +
                               xml::group("person", xml::fileRef("output", "/src/4.c"))));

    const ProgramResult result =
        runProgram(TESSCLI_PATH, {"names.mcp.xml", "out", ""}, work.path());

    EXPECT_EQ(result.exitStatus, 0) << result.output;
    const std::string o = w() + "/out/";
    const std::string prj = readFile(out() / "names.prj");
    // The node's name, the folder made, its personality.
    const std::tuple<std::string, std::string, std::string> blocks[] = {
        {"a/b", "a_b/", "a_b/person/a_b.p_a"},
        {"a_b", "a_b_2/", "a_b_2/person/a_b_2.p_a"},
        {"output", "output_2/", "person/names.p_a"},
        {"person", "person_2/", "person/names.p_a"},
        {"x/y", "a_b/x_y/", "a_b/person/a_b.p_a"},
        {"x_y", "a_b/x_y_2/", "a_b/person/a_b.p_a"},
        {"person", "a_b/person_2/", "a_b/person/a_b.p_a"},
        {"person", "output_2/person/", "person/names.p_a"},
    };
    for (const auto& [name, folder, personality] : blocks) {
        EXPECT_NE(prj.find("FolderName=" + name + "\r\nSourcePath=" + o + folder +
                           "\r\nOutputPath=" + o + folder + "output/\r\nSubsPers=" + o +
                           "person/names.p_s\r\nAnalPers=" + o + personality + "\r\n"),
                  std::string::npos)
            << folder;
        EXPECT_TRUE(fs::is_directory(out() / folder / "output")) << folder;
    }
    EXPECT_EQ(readFile(out() / "a_b" / "person" / "a_b.p_a"), "-d \"A=1\"\r\n");
    EXPECT_EQ(readFile(out() / "a_b_2" / "person" / "a_b_2.p_a"), "-d \"B=2\"\r\n");
}

// A file to be written that is the export or the given analyser personality,
// under whatever name, is refused before anything is written.
TEST_F(Writing, InputsAreNeverWrittenOver) {
    const Tree project = completeProject();
    struct Case {
        std::string what;
        std::function<void()> setup;
        Strings arguments;
        std::string refused;  // below the work folder
    };
    const std::string exportText = readFile(kSmall / "small.mcp.xml");
    const Case cases[] = {
        {"an export named like the project file, converted into its own folder",
         [&] { writeFile(work.path() / "p.prj", exportText); },
         {"p.prj", ".", "x"},
         "p.prj"},
        {"a generated personality given as the analyser personality",
         [&] { writeFile(out() / "Lib" / "person" / "Lib.p_a", "-d \"GIVEN=1\"\r\n"); },
         arguments({"-ap", "out/Lib/person/Lib.p_a"}), "out/Lib/person/Lib.p_a"},
        {"the project file a hard link to the export",
         [&] {
             fs::create_hard_link(work.path() / "small" / "small.mcp.xml", out() / "small.prj");
         },
         arguments({}), "out/small.prj"},
        {"a personality linked to the export",
         [&] {
             fs::create_directory(out() / "person");
             fs::create_symlink(work.path() / "small" / "small.mcp.xml",
                                out() / "person" / "small.p_c");
         },
         arguments({}), "out/person/small.p_c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(out());
        fs::create_directory(out());
        resetExport();
        c.setup();
        const Tree before = snapshotTree(work.path());

        const ProgramResult result = runProgram(TESSCLI_PATH, c.arguments, work.path());

        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(lastLine(result.output),
                  message::failure(ErrorCode::CannotWriteFile, w() + "/" + c.refused));
        EXPECT_EQ(result.output.find(message::creatingProject()), std::string::npos);
        EXPECT_EQ(snapshotTree(work.path()), before);
    }
}

// A message personality (or any other file) that cannot be written is a
// failure like any other. The run has no privileges, so that read-only
// files are read-only to it.
TEST_F(Writing, APersonalityThatCannotBeWrittenIsReported) {
    struct Case {
        std::string what;
        std::string file;  // below out/
        bool folder;       // a folder in its place, or else a read-only file
    };
    const Case cases[] = {
        {"a folder in place of the message personality", "person/small.p_s", true},
        {"a read-only message personality", "person/small.p_s", false},
        {"a read-only project file", "small.prj", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder run;
        fs::copy(kSmall, run.path() / "small", fs::copy_options::recursive);
        const fs::path file = run.path() / "out" / c.file;
        if (c.folder) {
            fs::create_directories(file);
        } else {
            writeFile(file, "mine\n");
        }
        const CommandLine command =
            withoutPrivileges(TESSCLI_PATH, {"small/small.mcp.xml", "out", ""}, run.path());
        if (!c.folder) {
            fs::permissions(file,
                            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        }

        const ProgramResult result = runProgram(command.program, command.arguments, run.path());

        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(lastLine(result.output),
                  message::failure(ErrorCode::CannotWriteFile,
                                   fs::canonical(run.path()).string() + "/out/" + c.file));
        if (!c.folder) {
            EXPECT_EQ(readFile(file), "mine\n");
        }
    }
}

// A console that cannot be written (a full device; a pipe whose reader has
// gone, as with "| head") neither ends the run nor goes unnoticed: the
// project is written in full over the earlier one, and the exit status is 1.
TEST_F(Writing, AConsoleThatCannotBeWrittenGivesStatusOne) {
    const Tree project = completeProject();
    const Tree earlier = completeProject({"-ext", "h"});
    for (const std::string console : {"/dev/full", "a pipe nobody reads"}) {
        SCOPED_TRACE(console);
        fs::remove_all(out());
        fs::create_directory(out());
        ASSERT_EQ(convert({"-ext", "h"}).exitStatus, 0);
        ASSERT_EQ(snapshotTree(out()), earlier);
        int output = -1;
        if (console == "/dev/full") {
            output = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
        } else {
            int pipeFds[2];
            ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
            ::close(pipeFds[0]);
            output = pipeFds[1];
        }
        ASSERT_GE(output, 0);

        const int status =
            waitForProgram(startProgram(TESSCLI_PATH, arguments({}), work.path(), output));
        ::close(output);

        EXPECT_EQ(status, 1);
        EXPECT_EQ(snapshotTree(out()), project);
        EXPECT_EQ(linksAndTemporaryFiles(out()), Strings{});
    }
}

struct stat statusOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

// A file that replaces an earlier one keeps its mode, owner and group; a new
// file gets the umask's mode. Run without the power to set another owner or
// group, the bits of those that cannot be kept are dropped, never given to
// the run's own group.
TEST_F(Writing, ReplacedFilesKeepTheirPermissions) {
    ASSERT_EQ(convert().exitStatus, 0);
    struct Case {
        std::string file;  // below out/
        mode_t mode;
        bool otherOwner;  // owned by nobody:nogroup (the run is root)
    };
    const Case cases[] = {
        {"small.prj", 0640, true},
        {"person/small.p_s", 0600, false},
        {"Lib/person/Lib.p_a", 04751, false},
    };
    for (const Case& c : cases) {
        ::chmod((out() / c.file).c_str(), c.mode);
        if (c.otherOwner && ::geteuid() == 0) {
            ASSERT_EQ(::chown((out() / c.file).c_str(), 65534, 65534), 0);
        }
    }
    fs::remove(out() / "person" / "small.p_c");
    const mode_t umask = ::umask(022);
    const ProgramResult result = convert();
    ::umask(umask);

    EXPECT_EQ(result.exitStatus, 0) << result.output;
    for (const Case& c : cases) {
        const struct stat info = statusOf(out() / c.file);
        EXPECT_EQ(info.st_mode & 07777, c.mode) << c.file;
        const uid_t owner = c.otherOwner && ::geteuid() == 0 ? 65534 : ::geteuid();
        EXPECT_EQ(info.st_uid, owner) << c.file;
    }
    EXPECT_EQ(statusOf(out() / "person" / "small.p_c").st_mode & 07777, 0644u);

    if (::geteuid() != 0) {
        return;  // the rest needs another user to run as
    }
    TempFolder run;
    fs::copy(kSmall, run.path() / "small", fs::copy_options::recursive);
    fs::create_directory(run.path() / "out");
    const CommandLine command =
        withoutPrivileges(TESSCLI_PATH, {"small/small.mcp.xml", "out", ""}, run.path());
    ASSERT_EQ(runProgram(command.program, command.arguments, run.path()).exitStatus, 0);
    const fs::path root = run.path() / "out" / "small.prj";  // root's, writable by others
    ASSERT_EQ(::chown(root.c_str(), 0, 0), 0);
    ASSERT_EQ(::chmod(root.c_str(), 0662), 0);

    EXPECT_EQ(runProgram(command.program, command.arguments, run.path()).exitStatus, 0);

    const struct stat info = statusOf(root);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_mode & 07777, 0602u) << "no group bits for the run's own group";
}

// Run by a member of a replaced file's group who cannot give the file its
// owner, the group is kept on its own, and with it the group's bits.
TEST_F(Writing, AReplacedFileKeepsItsGroupWhenItsOwnerCannotBeKept) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root, to run as nobody in a group of the test's choosing";
    }
    constexpr gid_t kGroup = 100;  // "users" where it exists; the number serves anywhere
    TempFolder run;
    fs::copy(kSmall, run.path() / "small", fs::copy_options::recursive);
    fs::create_directory(run.path() / "out");
    const CommandLine command =
        withoutPrivileges(TESSCLI_PATH, {"small/small.mcp.xml", "out", ""}, run.path(), kGroup);
    ASSERT_EQ(runProgram(command.program, command.arguments, run.path()).exitStatus, 0);
    struct Case {
        std::string file;  // below out/, made root's and the group's
        mode_t mode;
    };
    const Case cases[] = {{"small.prj", 0664}, {"person/small.p_s", 02660}};
    for (const Case& c : cases) {
        const fs::path file = run.path() / "out" / c.file;
        ASSERT_EQ(::chown(file.c_str(), 0, kGroup), 0);
        ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
    }

    EXPECT_EQ(runProgram(command.program, command.arguments, run.path()).exitStatus, 0);

    for (const Case& c : cases) {
        const struct stat info = statusOf(run.path() / "out" / c.file);
        EXPECT_EQ(info.st_uid, 65534u) << c.file;
        EXPECT_EQ(info.st_gid, kGroup) << c.file;
        EXPECT_EQ(info.st_mode & 07777, c.mode) << c.file;
    }
}

// Another process swaps a target's folder for a link to an outside folder
// and back, as fast as it can, while the converter writes a project of 30
// targets again and again: a run may fail, but nothing outside the
// destination is ever created or changed.
TEST_F(Writing, AFolderSwappedForALinkNeverLeadsAWriteOutside) {
    constexpr int kRuns = 30;
    writeFile(work.path() / "big.mcp.xml", xml::projectOfSize(30, 3, 5));
    const Strings arguments{"big.mcp.xml", "out", ""};
    ASSERT_EQ(runProgram(TESSCLI_PATH, arguments, work.path()).exitStatus, 0);
    const Tree outsideBefore = snapshotTree(outside());

    const pid_t swapper = ::fork();
    ASSERT_GE(swapper, 0);
    if (swapper == 0) {
        // Only system calls here: the link is put in place of T1 and back,
        // and a folder left where the link goes is moved aside.
        const int folder = ::open(out().c_str(), O_RDONLY | O_DIRECTORY);
        const std::string target = (outside() / "dir").string();
        for (unsigned spare = 0;; ++spare) {
            if (::symlinkat(target.c_str(), folder, "T1.link") != 0) {
                char name[32];
                std::snprintf(name, sizeof name, "spare%u", spare);
                ::renameat(folder, "T1.link", folder, name);
                continue;
            }
            ::renameat2(folder, "T1.link", folder, "T1", RENAME_EXCHANGE);
            for (int i = 0; i < 100; ++i) {
                ::sched_yield();  // a while, that the link may be met
            }
            ::renameat2(folder, "T1.link", folder, "T1", RENAME_EXCHANGE);
            ::unlinkat(folder, "T1.link", 0);
        }
    }
    int completed = 0;
    for (int run = 0; run < kRuns; ++run) {
        const ProgramResult result = runProgram(TESSCLI_PATH, arguments, work.path());
        completed += result.exitStatus == 0 ? 1 : 0;
        if (snapshotTree(outside()) != outsideBefore) {
            ADD_FAILURE() << "run " << run << " changed the outside folder:\n" << result.output;
            break;
        }
    }
    ::kill(swapper, SIGKILL);
    ::waitpid(swapper, nullptr, 0);
    RecordProperty("completed", completed);
}

// A project name is the user's own path: "-pn ../x" puts the project file
// beside the destination, as given, while the folders stay inside it.
TEST_F(Writing, AProjectNameWithPathPartsIsUsedAsGiven) {
    const ProgramResult result = convert({"-pn", "../x"});

    EXPECT_EQ(result.exitStatus, 0) << result.output;
    EXPECT_TRUE(fs::is_regular_file(work.path() / "x.prj"));
    EXPECT_FALSE(fs::exists(out() / "x.prj"));
    EXPECT_TRUE(fs::is_directory(out() / "person"));
}

// A name, path or value holding a line break cannot add lines of its own to
// the project file, a personality or the console: each CR and LF is written
// as a blank. In a folder name it becomes "_".
TEST_F(Writing, TextsFromTheExportCannotAddLines) {
    writeFile(work.path() / "lines.mcp.xml",
              xml::project(xml::target("T", "X", "1\r\n-i \"/etc\""),
                           xml::group("G\nOutputPath=/etc/", xml::fileRef("T", "/src/a\r.c"))));

    const ProgramResult result =
        runProgram(TESSCLI_PATH, {"lines.mcp.xml", "out", ""}, work.path());

    EXPECT_EQ(result.exitStatus, 0) << result.output;
    const std::string o = w() + "/out/";
    const std::string prj = readFile(out() / "lines.prj");
    EXPECT_EQ(linesOf(prj, "\r\n"), (Strings{"VersionTag45",
                                             "StartProjectMarker",
                                             "FolderName=lines",
                                             "SourcePath=" + o,
                                             "OutputPath=" + o + "output/",
                                             "SubsPers=" + o + "person/lines.p_s",
                                             "AnalPers=" + o + "person/lines.p_a",
                                             "CompPers=" + o + "person/lines.p_c",
                                             "EndContainedFilesMarker",
                                             "StartSubProjectMarker",
                                             "StartProjectMarker",
                                             "FolderName=T",
                                             "SourcePath=" + o + "T/",
                                             "OutputPath=" + o + "T/output/",
                                             "SubsPers=" + o + "person/lines.p_s",
                                             "AnalPers=" + o + "T/person/T.p_a",
                                             "CompPers=" + o + "person/lines.p_c",
                                             "EndContainedFilesMarker",
                                             "StartSubProjectMarker",
                                             "StartProjectMarker",
                                             "FolderName=G OutputPath=/etc/",
                                             "SourcePath=" + o + "T/G_OutputPath=_etc_/",
                                             "OutputPath=" + o + "T/G_OutputPath=_etc_/output/",
                                             "SubsPers=" + o + "person/lines.p_s",
                                             "AnalPers=" + o + "T/person/T.p_a",
                                             "CompPers=" + o + "person/lines.p_c",
                                             "/src/a .c",
                                             "EndContainedFilesMarker",
                                             "EndSubProjectMarker",
                                             "EndSubProjectMarker"}));
    EXPECT_EQ(readFile(out() / "T" / "person" / "T.p_a"), "-d \"X=1 -i \"/etc\"\"\r\n");
    EXPECT_TRUE(fs::is_directory(out() / "T" / "G_OutputPath=_etc_" / "output"));
    EXPECT_EQ(linesOf(result.output, "\n"),
              (Strings{message::addingFile("/src/a .c"), message::creatingProject(),
                       message::creatingGroup("lines"), message::creatingGroup("T"),
                       message::creatingAnalyserPersonality(o + "T/person/T.p_a"),
                       message::creatingGroup("G OutputPath=/etc/"), message::projectCompleted()}));
}

}  // namespace
}  // namespace tessaly::testing
