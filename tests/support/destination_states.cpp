#include "support/destination_states.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <stdexcept>
#include <thread>

#include "platform/messages.h"

namespace tessaly::testing {

namespace fs = std::filesystem;

namespace {

// Puts back what a run changed in `destination`, from the copy in `kept`.
void restore(const fs::path& destination, const fs::path& kept, const Entries& earlier) {
    for (const auto& [path, value] : entriesBelow(destination)) {
        if (!sameAt(earlier, path, value)) {
            fs::remove_all(destination / path);
        }
    }
    for (const auto& [path, value] : earlier) {
        if (fs::exists(fs::symlink_status(destination / path))) {
            continue;
        }
        if (value == "<dir>") {
            fs::create_directory(destination / path);
        } else {
            fs::copy(kept / path, destination / path, fs::copy_options::copy_symlinks);
        }
    }
}

// A run started, its console on a pipe whose reading end the test holds.
struct StartedRun {
    int process;
    int console;
};

// Starts the run with its console on a pipe and reads it up to the line
// that begins the writing.
StartedRun startAndWaitForTheWriting(const std::function<int(int output)>& start) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const int process = start(pipeFds[1]);
    ::close(pipeFds[1]);
    const std::string writing = message::creatingProject();
    std::string console;
    char buffer[4096];
    for (ssize_t count; console.find(writing) == std::string::npos &&
                        (count = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        console.append(buffer, static_cast<std::size_t>(count));
    }
    return StartedRun{process, pipeFds[0]};
}

// Reads the console to its end and closes it: its last line.
std::string lastLineOf(int console) {
    std::string text;
    char buffer[4096];
    for (ssize_t count; (count = ::read(console, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(console);
    if (text.ends_with('\n')) {
        text.pop_back();
    }
    return text.substr(text.rfind('\n') + 1);
}

// What is wrong with how an interrupted run ended; empty when nothing.
std::string faultOfInterruptedRun(int status, const std::string& lastLine, const Entries& after,
                                  const Entries& complete) {
    if (!temporaryFilesIn(after).empty()) {
        return "a temporary file left: " + temporaryFilesIn(after).front();
    }
    if (status == 0 && after == complete) {
        return "";  // the signal came once the run had completed
    }
    if (status != 1 || lastLine != message::conversionFailed("interrupted")) {
        return "ended with status " + std::to_string(status) + " and \"" + lastLine + "\"";
    }
    return "";
}

}  // namespace

KillCounts killAtRandomMoments(const std::function<int(int output)>& start,
                               const fs::path& destination, const fs::path& kept,
                               const Entries& complete, const fs::path& outside, int points,
                               const Ending& ending) {
    fs::remove_all(destination);
    fs::copy(kept, destination, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    const Entries earlier = entriesBelow(destination);
    const Entries outsideBefore = entriesBelow(outside);

    const StartedRun timed = startAndWaitForTheWriting(start);
    const auto begin = std::chrono::steady_clock::now();
    lastLineOf(timed.console);
    waitForProgram(timed.process);
    const auto writing = std::chrono::steady_clock::now() - begin;
    EXPECT_EQ(faultOf(complete, complete, entriesBelow(destination)), "");
    std::mt19937 random(14);
    std::uniform_int_distribution<long long> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(writing).count());

    KillCounts counts;
    for (int point = 0; point < points; ++point) {
        restore(destination, kept, earlier);
        const auto delay = std::chrono::microseconds(moment(random));
        const StartedRun run = startAndWaitForTheWriting(start);
        if (ending.signal == SIGKILL) {
            ::close(run.console);  // the run goes on without its console
        }
        std::this_thread::sleep_for(delay);
        ::kill(run.process, ending.signal);
        const std::string lastLine = ending.signal == SIGKILL ? "" : lastLineOf(run.console);
        const int status = waitForProgram(run.process);

        const Entries after = entriesBelow(destination);
        std::string fault = faultOf(earlier, complete, after);
        if (fault.empty() && ending.signal != SIGKILL) {
            fault = faultOfInterruptedRun(status, lastLine, after, complete);
        }
        if (fault.empty() && ending.secondRun) {
            const StartedRun again = startAndWaitForTheWriting(start);
            lastLineOf(again.console);
            waitForProgram(again.process);
            const Entries afterAgain = entriesBelow(destination);
            if (afterAgain != complete) {
                fault = temporaryFilesIn(afterAgain).empty()
                            ? "the second run's project is not the complete one"
                            : "left after a second run: " + temporaryFilesIn(afterAgain).front();
            }
        }
        if (!fault.empty() || entriesBelow(outside) != outsideBefore) {
            ADD_FAILURE() << "signal " << ending.signal << " " << delay.count()
                          << " us into the writing: "
                          << (fault.empty() ? "a change outside the destination" : fault);
            return counts;
        }
        counts.beforeWriting += after == earlier ? 1 : 0;
        counts.afterWriting += after == complete ? 1 : 0;
        counts.midway += after != earlier && after != complete ? 1 : 0;
    }
    return counts;
}

}  // namespace tessaly::testing
