// Starting the built programs, POSIX only: the end-to-end suites run on the
// build host.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "support/test_files.h"

extern char** environ;

namespace tessaly::testing {

namespace fs = std::filesystem;

ProgramResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const fs::path& workingFolder) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        throw std::runtime_error("cannot start " + program);
    }
    ProgramResult result;
    char buffer[4096];
    for (ssize_t count; (count = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        result.output.append(buffer, static_cast<std::size_t>(count));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

CommandLine withoutPrivileges(const std::string& program, std::vector<std::string> arguments,
                              const fs::path& work) {
    if (geteuid() != 0) {
        return {program, std::move(arguments)};
    }
    const fs::path copy = work / fs::path(program).filename();
    fs::copy_file(program, copy);
    for (const auto& entry : fs::recursive_directory_iterator(work)) {
        fs::permissions(entry.path(), fs::perms::all, fs::perm_options::add);
    }
    fs::permissions(work, fs::perms::all, fs::perm_options::add);
    arguments.insert(arguments.begin(),
                     {"--reuid=65534", "--regid=65534", "--clear-groups", copy.string()});
    return {"/usr/bin/setpriv", std::move(arguments)};
}

}  // namespace tessaly::testing
