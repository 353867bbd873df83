// What every conversion must satisfy, whatever its input: checked after each
// run by the fuzzer and by the test over the kept regression inputs.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "output/replaced_file.h"
#include "platform/messages.h"

namespace tessaly::testing {

// A conversion of `source` into `destination`, both directly inside `work`,
// whose project is named `projectName` and whose last printed line is
// `lastLine`. Returns what is wrong with it, or the empty string.
//  - The run ends with one of the lines a run may end with.
//  - A binary project refused as damaged, and a file refused as no project,
//    leave the destination empty.
//  - Nothing is left in the work folder beside the export and the destination,
//    and no temporary file in the destination.
//  - After a complete run, every folder that the project file names inside
//    the destination exists, each on a line of its own.
inline std::string conversionFault(const std::filesystem::path& work,
                                   const std::filesystem::path& source,
                                   const std::filesystem::path& destination,
                                   const std::string& projectName, const std::string& lastLine) {
    namespace fs = std::filesystem;
    const std::string completed = message::projectCompleted();
    if (lastLine != completed && lastLine != message::failure(ErrorCode::UnexpectedEnd, "") &&
        !lastLine.starts_with(message::failure(ErrorCode::CannotCreateDirectory, "")) &&
        !lastLine.starts_with(message::failure(ErrorCode::CannotWriteFile, "")) &&
        !lastLine.starts_with(message::damagedProject("")) &&
        !lastLine.starts_with(message::notAProject(""))) {
        return "unexpected last line: " + lastLine;
    }
    if ((lastLine.starts_with(message::damagedProject("")) ||
         lastLine.starts_with(message::notAProject(""))) &&
        !fs::is_empty(destination)) {
        return "written after a refusal: " + lastLine;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(work)) {
        if (entry.path() != source && entry.path() != destination) {
            return "written outside the destination: " + entry.path().string();
        }
    }
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(destination)) {
        if (isTemporaryFileName(entry.path().filename().string())) {
            return "temporary file left: " + entry.path().string();
        }
    }
    if (lastLine != completed) {
        return "";
    }
    std::ifstream project(destination / (projectName + ".prj"), std::ios::binary);
    const std::string inside = destination.string() + "/";
    for (std::string line; std::getline(project, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        for (const std::string_view key : {"SourcePath=", "OutputPath="}) {
            if (!line.starts_with(key)) {
                continue;
            }
            const std::string folder = line.substr(key.size());
            if (!folder.starts_with(inside)) {
                continue;
            }
            // A NUL byte cannot be part of a file name: the system would see
            // the shorter path before it.
            if (!folder.ends_with('/') || folder.find('\0') != std::string::npos ||
                !fs::is_directory(folder)) {
                return "the project names a folder that was not made: " + folder;
            }
        }
    }
    return "";
}

}  // namespace tessaly::testing
