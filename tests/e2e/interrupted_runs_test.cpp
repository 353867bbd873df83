// Runs of the built tesscli over a good project that do not end well: killed
// or interrupted at random moments, failing part-way, or running twice at
// once. Every file of the destination must then be either the earlier one or
// the one a complete run writes, never anything else (empty, cut, mixed), and
// nothing outside the destination may change. An interrupted run removes its
// temporary files; a killed run may leave them behind, for the next run to
// remove; nothing else.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "output/replaced_file.h"
#include "platform/messages.h"
#include "support/destination_states.h"
#include "support/export_text.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class InterruptedRuns : public ::testing::Test {
  protected:
    InterruptedRuns() {
        writeFile(work.path() / "big.mcp.xml", xml::projectOfSize(10, 3, 20));
        writeFile(work.path() / "old.p_a", "-d \"OLD=1\"\n");
        writeFile(work.path() / "new.p_a", "-d \"NEW=1\"\n");
        writeFile(outside() / "precious.txt", "precious\n");
        writeFile(outside() / "dir" / "keep.txt", "keep\n");
    }
    ~InterruptedRuns() override { ::close(devNull); }

    fs::path out() const { return work.path() / "out"; }
    fs::path outside() const { return work.path() / "outside"; }

    int start(const Strings& arguments) {
        return startProgram(TESSCLI_PATH, arguments, work.path(), devNull);
    }
    int run(const Strings& arguments) { return waitForProgram(start(arguments)); }
    // What a complete run writes into an empty destination.
    Entries completeRun(const Strings& arguments) {
        fs::remove_all(out());
        fs::create_directory(out());
        EXPECT_EQ(run(arguments), 0);
        return entriesBelow(out());
    }
    // Keeps a good project (in "kept"), which holds the user's own content
    // and links to outside files and folders: what the runs write over.
    // Returns what a complete run writes.
    Entries keepAGoodProject() {
        const Entries complete = completeRun(newRun);
        completeRun(earlierRun);
        writeFile(out() / "person" / "big.p_s", "my own messages\r\n");
        fs::remove(out() / "person" / "big.p_c");
        fs::create_symlink(outside() / "precious.txt", out() / "person" / "big.p_c");
        fs::remove_all(out() / "T0" / "person");
        fs::create_directory_symlink(outside() / "dir", out() / "T0" / "person");
        fs::copy(out(), kept(), fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        return complete;
    }
    fs::path kept() const { return work.path() / "kept"; }
    // Ends the new run over the good project at random moments.
    KillCounts endAtRandomMoments(const Entries& complete, int points, const Ending& ending) {
        return killAtRandomMoments(
            [&](int output) { return startProgram(TESSCLI_PATH, newRun, work.path(), output); },
            out(), kept(), complete, outside(), points, ending);
    }

    TempFolder work;
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    // The earlier project, and the run that replaces it.
    const Strings earlierRun{"big.mcp.xml", "out", "", "-ext", "h", "-ap", "old.p_a"};
    const Strings newRun{"big.mcp.xml", "out", "", "-ap", "new.p_a"};
};

// Killed at random moments while it writes over a good project: every file
// is the old one or the new one, and nothing outside changes.
TEST_F(InterruptedRuns, AKilledRunLeavesEveryFileOldOrNew) {
    constexpr int kKillPoints = 250;
    const Entries complete = keepAGoodProject();

    const KillCounts kills = endAtRandomMoments(complete, kKillPoints, {});

    // Most kills leave old and new files side by side.
    EXPECT_GE(kills.midway, kKillPoints / 10)
        << kills.beforeWriting << " runs killed before writing, " << kills.afterWriting << " after";
}

// Interrupted (Ctrl-C, or SIGTERM as from kill or the wizard's Stop) at
// random moments: every file is the old one or the new one, no temporary
// file is left, and the run ends with status 1 and its one line.
TEST_F(InterruptedRuns, AnInterruptedRunRemovesItsTemporaryFiles) {
    constexpr int kPoints = 60;
    const Entries complete = keepAGoodProject();
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        const KillCounts interrupts = endAtRandomMoments(complete, kPoints, {signal});
        EXPECT_GE(interrupts.midway, kPoints / 10)
            << interrupts.beforeWriting << " before, " << interrupts.afterWriting << " after";
    }
}

// What a killed run left (its temporary files) is removed by the next run
// into the same folder.
TEST_F(InterruptedRuns, WhatAKilledRunLeftIsRemovedByTheNextRun) {
    const Entries complete = keepAGoodProject();
    endAtRandomMoments(complete, 40, {SIGKILL, true});
}

// A run never removes the temporary file of another run that is writing
// into the same folder, however long that one takes: here it is stopped
// while it writes its project file, the other run goes through, and then
// the stopped one completes. (A file the stopped run had made but not yet
// locked may go: that run then takes another name.)
TEST_F(InterruptedRuns, ARunNeverRemovesAnotherRunsFile) {
    const Entries complete = completeRun(newRun);
    int console[2];
    ASSERT_EQ(::pipe2(console, O_CLOEXEC), 0);
    const int stopped = startProgram(TESSCLI_PATH, newRun, work.path(), console[1]);
    ::close(console[1]);
    std::string output;
    char buffer[256];
    for (ssize_t count; output.find(message::creatingProject()) == std::string::npos &&
                        (count = ::read(console[0], buffer, sizeof buffer)) > 0;) {
        output.append(buffer, static_cast<std::size_t>(count));
    }
    ::kill(stopped, SIGSTOP);
    int status = 0;
    ASSERT_EQ(::waitpid(stopped, &status, WUNTRACED), stopped);  // stopped now
    ::close(console[0]);
    const auto projectFiles = [this] {
        Strings found;
        for (const std::string& file : temporaryFilesIn(entriesBelow(out()))) {
            if (file.find('/') == std::string::npos) {
                found.push_back(file);
            }
        }
        return found;
    };
    const Strings held = projectFiles();
    EXPECT_EQ(held.size(), 1u);

    EXPECT_EQ(run(newRun), 0);

    EXPECT_EQ(projectFiles(), held);
    ::kill(stopped, SIGCONT);
    EXPECT_EQ(waitForProgram(stopped), 1) << "its console is gone";
    EXPECT_EQ(entriesBelow(out()), complete);
}

// A run that fails part-way (here: a file stands where a group's folder must
// be made) leaves every file it had not yet replaced as it was; the project
// file, replaced last, stays the earlier one.
TEST_F(InterruptedRuns, ARunThatFailsPartWayLeavesEarlierFilesWhole) {
    const Entries complete = completeRun(newRun);
    completeRun(earlierRun);
    fs::remove_all(out() / "T9" / "G2");
    writeFile(out() / "T9" / "G2", "in the way\n");
    const Entries earlier = entriesBelow(out());

    const ProgramResult result = runProgram(TESSCLI_PATH, newRun, work.path());

    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.output.find(
                  message::failure(ErrorCode::CannotCreateDirectory,
                                   fs::canonical(work.path()).string() + "/out/T9/G2/output/")),
              std::string::npos);
    const Entries after = entriesBelow(out());
    EXPECT_EQ(faultOf(earlier, complete, after), "");
    EXPECT_EQ(after.at("big.prj"), earlier.at("big.prj"));
    EXPECT_EQ(after.at("T0/person/T0.p_a"), complete.at("T0/person/T0.p_a"));
    for (const auto& [path, value] : after) {
        EXPECT_FALSE(isTemporaryFileName(fs::path(path).filename().string())) << path;
    }
}

// Two runs into the same folder at once: each file is whole, the one or the
// other run's.
TEST_F(InterruptedRuns, TwoRunsAtOnceLeaveWholeFiles) {
    const Entries first = completeRun(newRun);
    const Entries second = completeRun(earlierRun);
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        fs::remove_all(out());
        fs::create_directory(out());
        const int one = start(newRun);
        const int other = start(earlierRun);
        EXPECT_EQ(waitForProgram(one), 0);
        EXPECT_EQ(waitForProgram(other), 0);

        const Entries after = entriesBelow(out());
        EXPECT_EQ(faultOf(first, second, after), "");
        EXPECT_EQ(temporaryFilesIn(after), Strings{});
    }
}

}  // namespace
}  // namespace tessaly::testing
