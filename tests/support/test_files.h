// Small file-system helpers for tests that run the converter on real folders.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::testing {

// A fresh folder below the system's temporary folder, removed with its
// contents when the object goes.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);

// The lines of a text, each without its `lineEnd`.
std::vector<std::string> lines(const std::string& text, const std::string& lineEnd);

// Every file and folder below `root`, by relative path; folders map to
// "<dir>", files to their content.
std::map<std::string, std::string> snapshotTree(const std::filesystem::path& root);

struct ProgramResult {
    int exitStatus = -1;
    std::string output;
};

struct CommandLine {
    std::string program;
    std::vector<std::string> arguments;
};

// The command line that runs `program` without the power to write anywhere:
// as root, which may write into read-only folders, it runs a copy of the
// program inside `work` as the user "nobody" (through setpriv), with `work`
// opened up to that user. Call it before making anything read-only. The
// user belongs to no group but its own, or else to `memberOf` besides.
CommandLine withoutPrivileges(const std::string& program, std::vector<std::string> arguments,
                              const std::filesystem::path& work,
                              std::optional<unsigned> memberOf = std::nullopt);

// Runs a program with arguments (no shell involved) in a working folder and
// returns its exit status and standard output.
ProgramResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& workingFolder);

// Starts a program with its standard output on an open descriptor (a closed
// pipe, a full device, /dev/null) and returns its process id at once.
int startProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const std::filesystem::path& workingFolder, int output);
// Waits for a started program: its exit status, or -1 when a signal ended it.
int waitForProgram(int processId);

}  // namespace tessaly::testing
