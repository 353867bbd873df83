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

// Starts the run with its console on a pipe, reads it up to the line that
// begins the writing, and closes the pipe (the run goes on without its
// console). Returns the process id.
int startAndWaitForTheWriting(const std::function<int(int output)>& start) {
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
    ::close(pipeFds[0]);
    return process;
}

}  // namespace

KillCounts killAtRandomMoments(const std::function<int(int output)>& start,
                               const fs::path& destination, const fs::path& kept,
                               const Entries& complete, const fs::path& outside, int points) {
    fs::remove_all(destination);
    fs::copy(kept, destination, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    const Entries earlier = entriesBelow(destination);
    const Entries outsideBefore = entriesBelow(outside);

    const int timed = startAndWaitForTheWriting(start);
    const auto begin = std::chrono::steady_clock::now();
    waitForProgram(timed);
    const auto writing = std::chrono::steady_clock::now() - begin;
    EXPECT_EQ(faultOf(complete, complete, entriesBelow(destination)), "");
    std::mt19937 random(14);
    std::uniform_int_distribution<long long> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(writing).count());

    KillCounts counts;
    for (int point = 0; point < points; ++point) {
        restore(destination, kept, earlier);
        const auto delay = std::chrono::microseconds(moment(random));
        const int process = startAndWaitForTheWriting(start);
        std::this_thread::sleep_for(delay);
        ::kill(process, SIGKILL);
        waitForProgram(process);

        const Entries after = entriesBelow(destination);
        const std::string fault = faultOf(earlier, complete, after);
        if (!fault.empty() || entriesBelow(outside) != outsideBefore) {
            ADD_FAILURE() << "killed " << delay.count() << " us into the writing: "
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
