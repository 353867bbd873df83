// The states a destination folder passes through while a run writes over
// an earlier project, and the check that an interrupted run left nothing but
// earlier and new entries.
#pragma once

#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "output/replaced_file.h"
#include "support/test_files.h"

namespace tessaly::testing {

// What stands at each path below a folder: "<dir>", "-> target" for a link,
// or a file's content. Links are not followed.
using Entries = std::map<std::string, std::string>;

inline Entries entriesBelow(const std::filesystem::path& root) {
    Entries entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string path = entry.path().lexically_relative(root).string();
        if (entry.is_symlink()) {
            entries[path] = "-> " + std::filesystem::read_symlink(entry.path()).string();
        } else if (entry.is_directory()) {
            entries[path] = "<dir>";
        } else {
            entries[path] = readFile(entry.path());
        }
    }
    return entries;
}

inline bool sameAt(const Entries& entries, const std::string& path, const std::string& value) {
    const auto found = entries.find(path);
    return found != entries.end() && found->second == value;
}

// The temporary files among the entries.
inline std::vector<std::string> temporaryFilesIn(const Entries& entries) {
    std::vector<std::string> found;
    for (const auto& [path, value] : entries) {
        if (isTemporaryFileName(std::filesystem::path(path).filename().string())) {
            found.push_back(path);
        }
    }
    return found;
}

// What is wrong with `after`, a destination that held `earlier` when a run
// that writes `complete` began: an entry that is neither the earlier one nor
// the complete run's, or an earlier entry that is gone. (A link where a
// folder belongs is removed before the folder is made: it may be gone.)
// Empty when nothing.
inline std::string faultOf(const Entries& earlier, const Entries& complete, const Entries& after) {
    for (const auto& [path, value] : after) {
        if (!sameAt(earlier, path, value) && !sameAt(complete, path, value) &&
            !isTemporaryFileName(std::filesystem::path(path).filename().string())) {
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

// How the kills of killAtRandomMoments fell.
struct KillCounts {
    int beforeWriting = 0;  // the destination as it was
    int afterWriting = 0;   // the complete run's project
    int midway = 0;         // earlier and new files side by side
};

// How each run of killAtRandomMoments ends.
struct Ending {
    int signal = SIGKILL;
    // After a SIGKILL, a second run into the destination, which must leave
    // the complete project, no temporary file of the killed run included.
    bool secondRun = false;
};

// Starts a run `points` times over the earlier project in `destination`, put
// back each time from the copy in `kept`, and sends it the ending's signal
// at random moments spread over the time its writing takes (from its
// "Creating" line on). `start` starts the run with its console on the given
// descriptor and returns its process id. After each signal every entry must
// pass faultOf against the earlier project and `complete`, and nothing in
// `outside` may have changed. A run interrupted (SIGINT, SIGTERM) must leave
// no temporary file and end with status 1 and "Conversion failed:
// interrupted", unless it had completed. The first fault found is reported
// as a test failure.
KillCounts killAtRandomMoments(const std::function<int(int output)>& start,
                               const std::filesystem::path& destination,
                               const std::filesystem::path& kept, const Entries& complete,
                               const std::filesystem::path& outside, int points,
                               const Ending& ending = {});

}  // namespace tessaly::testing
