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
      codeWarriorRoot_(codeWarriorDir + separator_) {}

std::string PathRules::rootString(const std::string& rootText) const {
    if (rootText == "Project") {
        return projectRoot_;
    }
    if (rootText == "CodeWarrior") {
        return codeWarriorRoot_;
    }
    return rootText;
}

std::string PathRules::resolveFileRefPath(
    const std::string& pathType, const std::string& pathRoot, const std::string& accessPath,
    const std::string& path, const std::string& targetName, const GroupNode& rootGroup,
    const std::map<std::string, std::string>& sourceTrees) const {
    if (pathType == "Name") {
        return findOnAccessPaths(targetName, path, rootGroup);
    }
    if (pathRoot == "Absolute") {
        return accessPath + path;
    }
    // A source tree stands for its folder, as the CodeWarrior folder does.
    const auto tree = pathRoot == "Project" || pathRoot == "CodeWarrior"
                          ? sourceTrees.end()
                          : sourceTrees.find(pathRoot);
    std::string result =
        tree != sourceTrees.end() ? tree->second + separator_ : rootString(pathRoot);
    if (!accessPath.empty()) {
        result += accessPath;
        result += separator_;
    }
    result += path;
    return result;
}

std::string PathRules::findOnAccessPaths(const std::string& targetName, const std::string& fileName,
                                         const GroupNode& rootGroup) const {
    const GroupNode* target = rootGroup.findChild(targetName);
    return target != nullptr ? findOnTargetAccessPaths(*target, fileName) : std::string();
}

std::string PathRules::findOnTargetAccessPaths(const GroupNode& target,
                                               const std::string& fileName) const {
    std::string candidate;
    for (const auto* list : {&target.userIncludePaths, &target.systemIncludePaths}) {
        for (const std::string& folder : *list) {
            candidate.assign(folder);
            candidate += separator_;
            candidate += fileName;
            if (platform_.exists(candidate)) {
                return candidate;
            }
        }
    }
    return {};
}

std::string PathRules::joinAccessPath(const std::string& rootText,
                                      const std::string& pathText) const {
    if (rootText == "Absolute") {
        return pathText;
    }
    std::string root = rootString(rootText);
    if (pathText.empty() && !root.empty() && root.back() == separator_) {
        root.pop_back();
    }
    return root + separator_ + pathText;
}

std::string PathRules::composeSourceTreePath(const std::string& rootText,
                                             const std::string& treePath) const {
    if (rootText == "Absolute") {
        return treePath;
    }
    std::string result = rootString(rootText);
    if (!rootText.empty()) {
        result += separator_;
    }
    return result + treePath;
}

}  // namespace tessaly
