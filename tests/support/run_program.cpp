// Starting the built programs, POSIX only: the end-to-end suites run on the
// build host.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "support/test_files.h"

extern char** environ;

namespace tessaly::testing {

namespace fs = std::filesystem;

namespace {

// Starts the program in the working folder with its standard output on
// `output`; closes `parentOnly` in the child.
pid_t spawn(const std::string& program, const std::vector<std::string>& arguments,
            const fs::path& workingFolder, int output, int parentOnly) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (parentOnly >= 0) {
        posix_spawn_file_actions_addclose(&actions, parentOnly);
    }
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    if (output != STDOUT_FILENO) {
        posix_spawn_file_actions_addclose(&actions, output);
    }
    posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    // Interrupts reach the program as they would from a terminal, even when
    // the tests run with them ignored (in the background).
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t interrupts;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &interrupts);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        throw std::runtime_error("cannot start " + program);
    }
    return pid;
}

}  // namespace

int startProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const fs::path& workingFolder, int output) {
    return spawn(program, arguments, workingFolder, output, -1);
}

int waitForProgram(int processId) {
    int status = 0;
    waitpid(processId, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ProgramResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const fs::path& workingFolder) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_t pid = 0;
    try {
        pid = spawn(program, arguments, workingFolder, pipeFds[1], pipeFds[0]);
    } catch (...) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        throw;
    }
    close(pipeFds[1]);
    ProgramResult result;
    char buffer[4096];
    for (ssize_t count; (count = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        result.output.append(buffer, static_cast<std::size_t>(count));
    }
    close(pipeFds[0]);
    result.exitStatus = waitForProgram(pid);
    return result;
}

CommandLine withoutPrivileges(const std::string& program, std::vector<std::string> arguments,
                              const fs::path& work, std::optional<unsigned> memberOf) {
    if (geteuid() != 0) {
        return {program, std::move(arguments)};
    }
    const fs::path copy = work / fs::path(program).filename();
    fs::copy_file(program, copy);
    for (const auto& entry : fs::recursive_directory_iterator(work)) {
        fs::permissions(entry.path(), fs::perms::all, fs::perm_options::add);
    }
    fs::permissions(work, fs::perms::all, fs::perm_options::add);
    const std::string groups =
        memberOf ? "--groups=" + std::to_string(*memberOf) : std::string("--clear-groups");
    arguments.insert(arguments.begin(), {"--reuid=65534", "--regid=65534", groups, copy.string()});
    return {"/usr/bin/setpriv", std::move(arguments)};
}

}  // namespace tessaly::testing
