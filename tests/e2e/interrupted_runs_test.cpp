// Runs of the built tesscli over a good project that do not end well: killed
// at random moments, failing part-way, or running twice at once. Every file
// of the destination must then be either the earlier one or the one a
// complete run writes, never anything else (empty, cut, mixed), and nothing
// outside the destination may change. A killed run may leave its temporary
// files behind; nothing else.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "output/replaced_file.h"
#include "platform/messages.h"
#include "support/export_text.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// What stands at each path below a folder: "<dir>", "-> target" for a link,
// or a file's content. Links are not followed.
using Entries = std::map<std::string, std::string>;

Entries entriesBelow(const fs::path& root) {
    Entries entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string path = entry.path().lexically_relative(root).string();
        if (entry.is_symlink()) {
            entries[path] = "-> " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_directory()) {
            entries[path] = "<dir>";
        } else {
            entries[path] = readFile(entry.path());
        }
    }
    return entries;
}

bool sameAt(const Entries& entries, const std::string& path, const std::string& value) {
    const auto found = entries.find(path);
    return found != entries.end() && found->second == value;
}

// What is wrong with `after`, a destination that held `earlier` when a run
// that writes `complete` began: an entry that is neither the earlier one nor
// the complete run's, or an earlier entry that is gone. (A link where a
// folder belongs is removed before the folder is made: it may be gone.)
// Empty when nothing.
std::string faultOf(const Entries& earlier, const Entries& complete, const Entries& after) {
    for (const auto& [path, value] : after) {
        if (!sameAt(earlier, path, value) && !sameAt(complete, path, value) &&
            !isTemporaryFileName(fs::path(path).filename().string())) {
            return "neither old nor new: " + path;
        }
    }
    for (const auto& [path, value] : earlier) {
        if (after.count(path) == 0 && !value.starts_with("-> ")) {
            return "gone: " + path;
        }
    }
    return "";
}

// An export of `targets` targets, each with its own personality and `groups`
// groups of `files` files, half of them headers.
std::string exportOfSize(int targets, int groups, int files) {
    std::string targetList;
    std::string groupList;
    for (int t = 0; t < targets; ++t) {
        const std::string name = "T" + std::to_string(t);
        targetList += xml::target(name, "D" + std::to_string(t), "1");
        for (int g = 0; g < groups; ++g) {
            std::string refs;
            for (int f = 0; f < files; ++f) {
                refs += xml::fileRef(name, "/src/" + name + "/g" + std::to_string(g) + "/f" +
                                               std::to_string(f) + (f % 2 == 0 ? ".c" : ".h"));
            }
            groupList += xml::group("G" + std::to_string(g), refs);
        }
    }
    return xml::project(targetList, groupList);
}

class InterruptedRuns : public ::testing::Test {
  protected:
    InterruptedRuns() {
        writeFile(work.path() / "big.mcp.xml", exportOfSize(10, 3, 40));
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

    TempFolder work;
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    // The earlier project, and the run that replaces it.
    const Strings earlierRun{"big.mcp.xml", "out", "", "-ext", "h", "-ap", "old.p_a"};
    const Strings newRun{"big.mcp.xml", "out", "", "-ap", "new.p_a"};
};

// Killed at random moments while it writes over a good project (which holds
// the user's own content and links to outside files and folders): every
// file is the old one or the new one, and nothing outside changes.
TEST_F(InterruptedRuns, AKilledRunLeavesEveryFileOldOrNew) {
    constexpr int kKillPoints = 250;
    const Entries complete = completeRun(newRun);
    // The good project.
    completeRun(earlierRun);
    // The user's own content, and links to outside files and folders.
    writeFile(out() / "person" / "big.p_s", "my own messages\r\n");
    fs::remove(out() / "person" / "big.p_c");
    fs::create_symlink(outside() / "precious.txt", out() / "person" / "big.p_c");
    fs::remove_all(out() / "T0" / "person");
    fs::create_directory_symlink(outside() / "dir", out() / "T0" / "person");
    const fs::path kept = work.path() / "kept";
    fs::copy(out(), kept, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    const Entries earlier = entriesBelow(out());
    // Puts back what a run changed, from the copy kept aside.
    const auto restore = [&] {
        for (const auto& [path, value] : entriesBelow(out())) {
            if (earlier.count(path) == 0 || earlier.at(path) != value) {
                fs::remove_all(out() / path);
            }
        }
        for (const auto& [path, value] : earlier) {
            if (fs::exists(fs::symlink_status(out() / path))) {
                continue;
            }
            if (value == "<dir>") {
                fs::create_directory(out() / path);
            } else {
                fs::copy(kept / path, out() / path, fs::copy_options::copy_symlinks);
            }
        }
    };
    const Entries outsideBefore = entriesBelow(outside());

    // The kill points spread over the time a whole run takes.
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_EQ(run(newRun), 0);
    const auto whole = std::chrono::steady_clock::now() - begin;
    ASSERT_EQ(faultOf(complete, complete, entriesBelow(out())), "");
    std::mt19937 random(14);
    std::uniform_int_distribution<long long> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(whole).count());

    int untouched = 0;
    int finished = 0;
    for (int point = 0; point < kKillPoints; ++point) {
        restore();
        const auto delay = std::chrono::microseconds(moment(random));
        const int process = start(newRun);
        std::this_thread::sleep_for(delay);
        ::kill(process, SIGKILL);
        waitForProgram(process);

        const Entries after = entriesBelow(out());
        ASSERT_EQ(faultOf(earlier, complete, after), "")
            << "killed after " << delay.count() << " us";
        ASSERT_EQ(entriesBelow(outside()), outsideBefore);
        untouched += after == earlier ? 1 : 0;
        finished += after == complete ? 1 : 0;
    }
    // Most kill points fall inside the writing, where old and new files
    // stand side by side.
    const int midway = kKillPoints - untouched - finished;
    EXPECT_GE(midway, kKillPoints / 10)
        << untouched << " runs killed before writing, " << finished << " complete";
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
        for (const auto& [path, value] : after) {
            EXPECT_FALSE(isTemporaryFileName(fs::path(path).filename().string())) << path;
        }
    }
}

}  // namespace
}  // namespace tessaly::testing
