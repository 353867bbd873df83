// How an export's roots, access paths and names become one path. Paths are
// joined by plain concatenation with the platform's separator and never
// normalised: no case folding, no collapsing of doubled separators, no
// removal of "." or "..". Nothing here reports an error: what cannot be
// resolved becomes an empty string or a path that need not exist.
#pragma once

#include <map>
#include <string>

#include "cwproject/file_location.h"
#include "cwproject/letter_case.h"
#include "platform/platform.h"

namespace tessaly {

class GroupNode;

// The registry key whose unnamed value is the CodeWarrior IDE's program path.
inline constexpr const char* kCodeWarriorIdeKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IDE.exe";

// The installation folder: the IDE's program path cut twice at its last
// separator (dropping the program, then the folder that holds it).
std::string installFolderFromIdePath(std::string idePath, char separator);

// The installation folder from the registry; empty when it has no value.
std::string codeWarriorDirFromRegistry(Platform& platform);

// The source project path up to and including its last separator.
std::string projectRootFolder(const std::string& sourceProjectPath, char separator);

class PathRules {
  public:
    PathRules(Platform& platform, const std::string& sourceProjectPath,
              const std::string& codeWarriorDir);

    // Each rule below that takes `anyCase` matches, when it is set, the
    // pieces that the export's own texts give (access path, path, name)
    // without regard to letter case where they name nothing as written (see
    // letter_case.h); the roots are taken as written.

    // The path of a file reference in the group list.
    std::string resolveFileRefPath(const std::string& pathType, const std::string& pathRoot,
                                   const std::string& accessPath, const std::string& path,
                                   const std::string& targetName, const GroupNode& rootGroup,
                                   const std::map<std::string, std::string>& sourceTrees,
                                   bool anyCase = false) const;
    // The same for a location whose texts are in the format it states, as
    // the export writes them.
    std::string resolveLocation(const FileLocation& location, const std::string& targetName,
                                const GroupNode& rootGroup,
                                const std::map<std::string, std::string>& sourceTrees) const;
    // Whether a location relative to a root names a file on disk.
    bool locatesFile(const FileLocation& location) const;
    // The first existing candidate on the target's user, then system access
    // paths; empty when no target has that name or no candidate exists. The
    // disk is probed on every call.
    std::string findOnAccessPaths(const std::string& targetName, const std::string& fileName,
                                  const GroupNode& rootGroup, bool anyCase = false) const;
    // The same search once the target is known; it reads only the target's
    // access path lists.
    std::string findOnTargetAccessPaths(const GroupNode& target, const std::string& fileName,
                                        bool anyCase = false) const;
    std::string joinAccessPath(const std::string& rootText, const std::string& pathText,
                               bool anyCase = false) const;
    std::string composeSourceTreePath(const std::string& rootText, const std::string& treePath,
                                      bool anyCase = false) const;

    // The matcher that these rules share, so that no folder is listed twice.
    LetterCaseMatcher& letterCase() const { return letterCase_; }

    // The folder of the export, with its final separator.
    const std::string& projectRoot() const { return projectRoot_; }

  private:
    // The root string a root text stands for: the project folder for
    // "Project", the CodeWarrior folder and a separator for "CodeWarrior",
    // else the text itself.
    std::string rootString(const std::string& rootText) const;
    // `path`, in the letter case of what exists there when `anyCase` asks
    // for it and it names nothing as written; its part from `relativeStart`
    // on is matched, the part before taken as written. The path comes built
    // whole, so that one taken as written costs no second string.
    std::string inExistingCase(std::string path, std::size_t relativeStart, bool anyCase) const;

    Platform& platform_;
    char separator_;
    std::string projectRoot_;
    std::string codeWarriorRoot_;
    mutable LetterCaseMatcher letterCase_;  // its folder listings are what it remembers
};

}  // namespace tessaly
