#include "cwproject/path_rules.h"

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

std::string PathRules::joinedInExistingCase(const std::string& base, const std::string& relative,
                                            bool anyCase) const {
    std::string joined = base + relative;
    if (anyCase && platform_.tellsLetterCaseApart() && !platform_.exists(joined)) {
        if (std::optional<std::string> found = letterCase_.inAnyCase(base, relative)) {
            return *found;
        }
    }
    return joined;
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
        return joinedInExistingCase({}, accessPath + path, anyCase);
    }
    // A source tree stands for its folder, as the CodeWarrior folder does.
    const auto tree = pathRoot == "Project" || pathRoot == "CodeWarrior"
                          ? sourceTrees.end()
                          : sourceTrees.find(pathRoot);
    const std::string root =
        tree != sourceTrees.end() ? tree->second + separator_ : rootString(pathRoot);
    std::string relative;
    if (!accessPath.empty()) {
        relative += accessPath;
        relative += separator_;
    }
    relative += path;
    return joinedInExistingCase(root, relative, anyCase);
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
        return joinedInExistingCase({}, pathText, anyCase);
    }
    std::string root = rootString(rootText);
    if (pathText.empty() && !root.empty() && root.back() == separator_) {
        root.pop_back();
    }
    return joinedInExistingCase(root + separator_, pathText, anyCase);
}

std::string PathRules::composeSourceTreePath(const std::string& rootText,
                                             const std::string& treePath, bool anyCase) const {
    if (rootText == "Absolute") {
        return joinedInExistingCase({}, treePath, anyCase);
    }
    std::string root = rootString(rootText);
    if (!rootText.empty()) {
        root += separator_;
    }
    return joinedInExistingCase(root, treePath, anyCase);
}

}  // namespace tessaly
