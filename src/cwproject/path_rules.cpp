#include "cwproject/path_rules.h"

#include "cwproject/path_formats.h"
#include "output/group_node.h"

namespace tessaly {

namespace {

void cutAtLast(std::string& text, char separator) {
    const auto pos = text.rfind(separator);
    if (pos != std::string::npos) {
        text.erase(pos);
    }
}

}  // namespace

std::string installFolderFromIdePath(std::string idePath, char separator) {
    cutAtLast(idePath, separator);
    cutAtLast(idePath, separator);
    return idePath;
}

std::string codeWarriorDirFromRegistry(Platform& platform) {
    const auto value = platform.registryValue(kCodeWarriorIdeKey);
    return value ? installFolderFromIdePath(*value, platform.separator()) : std::string();
}

std::string projectRootFolder(const std::string& sourceProjectPath, char separator) {
    const auto pos = sourceProjectPath.rfind(separator);
    return pos == std::string::npos ? std::string() : sourceProjectPath.substr(0, pos + 1);
}

PathRules::PathRules(Platform& platform, const std::string& sourceProjectPath,
                     const std::string& codeWarriorDir)
    : platform_(platform),
      separator_(platform.separator()),
      projectRoot_(projectRootFolder(sourceProjectPath, separator_)),
      codeWarriorRoot_(codeWarriorDir + separator_),
      letterCase_(platform) {}

std::string PathRules::inExistingCase(std::string path, std::size_t relativeStart,
                                      bool anyCase) const {
    if (anyCase && platform_.tellsLetterCaseApart() && !platform_.exists(path)) {
        const std::string_view relative = std::string_view(path).substr(relativeStart);
        if (std::optional<std::string> found =
                letterCase_.inAnyCase(path.substr(0, relativeStart), relative)) {
            return *found;
        }
    }
    return path;
}

std::string PathRules::rootString(const std::string& rootText) const {
    if (rootText == "Project") {
        return projectRoot_;
    }
    if (rootText == "CodeWarrior") {
        return codeWarriorRoot_;
    }
    return rootText;
}

std::string PathRules::resolveFileRefPath(const std::string& pathType, const std::string& pathRoot,
                                          const std::string& accessPath, const std::string& path,
                                          const std::string& targetName, const GroupNode& rootGroup,
                                          const std::map<std::string, std::string>& sourceTrees,
                                          bool anyCase) const {
    if (pathType == "Name") {
        return findOnAccessPaths(targetName, path, rootGroup, anyCase);
    }
    if (pathRoot == "Absolute") {
        return inExistingCase(accessPath + path, 0, anyCase);
    }
    // A source tree stands for its folder, as the CodeWarrior folder does.
    const auto tree = pathRoot == "Project" || pathRoot == "CodeWarrior"
                          ? sourceTrees.end()
                          : sourceTrees.find(pathRoot);
    std::string result =
        tree != sourceTrees.end() ? tree->second + separator_ : rootString(pathRoot);
    const std::size_t rootLength = result.size();
    if (!accessPath.empty()) {
        result += accessPath;
        result += separator_;
    }
    result += path;
    return inExistingCase(std::move(result), rootLength, anyCase);
}

std::string PathRules::resolveLocation(
    const FileLocation& location, const std::string& targetName, const GroupNode& rootGroup,
    const std::map<std::string, std::string>& sourceTrees) const {
    const PathStyle host = platform_.pathStyle();
    return resolveFileRefPath(location.pathType, location.pathRoot,
                              inHostForm(location.accessPath, location.pathFormat, host),
                              inHostForm(location.path, location.pathFormat, host), targetName,
                              rootGroup, sourceTrees, ignoresLetterCase(location.pathFormat));
}

// A location relative to a root needs no target, no group and, in a
// binary project, which names none, no source tree.
bool PathRules::locatesFile(const FileLocation& location) const {
    if (location.pathType == "Name") {
        return false;
    }
    const GroupNode noGroups("");
    const std::string path = resolveLocation(location, {}, noGroups, {});
    return !path.empty() && platform_.exists(path);
}

std::string PathRules::findOnAccessPaths(const std::string& targetName, const std::string& fileName,
                                         const GroupNode& rootGroup, bool anyCase) const {
    const GroupNode* target = rootGroup.findChild(targetName);
    return target != nullptr ? findOnTargetAccessPaths(*target, fileName, anyCase) : std::string();
}

// Each access path in turn, as the IDE searched them: on a file system that
// ignores letter case, the first path that holds the name in any case is
// where the IDE found it.
std::string PathRules::findOnTargetAccessPaths(const GroupNode& target, const std::string& fileName,
                                               bool anyCase) const {
    std::string candidate;
    for (const auto* list : {&target.userIncludePaths, &target.systemIncludePaths}) {
        for (const std::string& folder : *list) {
            candidate.assign(folder);
            candidate += separator_;
            candidate += fileName;
            if (platform_.exists(candidate)) {
                return candidate;
            }
            if (anyCase) {
                if (auto found = letterCase_.inAnyCase(folder + separator_, fileName)) {
                    return *found;
                }
            }
        }
    }
    return {};
}

std::string PathRules::joinAccessPath(const std::string& rootText, const std::string& pathText,
                                      bool anyCase) const {
    if (rootText == "Absolute") {
        return inExistingCase(pathText, 0, anyCase);
    }
    std::string root = rootString(rootText);
    if (pathText.empty() && !root.empty() && root.back() == separator_) {
        root.pop_back();
    }
    root += separator_;
    const std::size_t rootLength = root.size();
    return inExistingCase(root + pathText, rootLength, anyCase);
}

std::string PathRules::composeSourceTreePath(const std::string& rootText,
                                             const std::string& treePath, bool anyCase) const {
    if (rootText == "Absolute") {
        return inExistingCase(treePath, 0, anyCase);
    }
    std::string root = rootString(rootText);
    if (!rootText.empty()) {
        root += separator_;
    }
    const std::size_t rootLength = root.size();
    return inExistingCase(root + treePath, rootLength, anyCase);
}

}  // namespace tessaly
