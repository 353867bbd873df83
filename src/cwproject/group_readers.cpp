// The project's GROUPLIST, the IDE's folder view, which gives the analysis
// project its files and folders:
//   GROUPLIST: any mix of GROUP and FILEREF
//   GROUP: NAME, then any mix of GROUP and FILEREF
// Every file reference whose resolved path passes the extension filter is
// placed under the node of the target it names and its chain of groups, in
// document order. A group's target name carries from one of its references
// to the next; the list itself has one for references that stand directly
// in it.
#include "cli/project_converter.h"
#include "cwproject/ordered_placement.h"

namespace tessaly {

bool ProjectConverter::readGroupList() {
    if (!xmlReader.expectOpenTag("GROUPLIST")) {
        return false;
    }
    // Leaving on an error, it still places every reference read, so that
    // their lines come before the error's.
    OrderedPlacement placement(
        diskWork_,
        [this](const GroupNode& target, const std::string& fileName) {
            return pathRules_.findOnTargetAccessPaths(target, fileName);
        },
        [this](const std::string& path) { return acceptFile(path); },
        [this](const std::string& targetName, const std::vector<std::string>& groupPath,
               const std::string& path) { addFileToGroup(targetName, groupPath, path); });
    std::vector<std::string> groupPath;
    std::string targetName;
    for (;;) {
        if (readGroup(groupPath, placement)) {
            continue;
        }
        if (!readGroupFileRef(targetName, groupPath, placement)) {
            break;
        }
    }
    placement.finish();
    return xmlReader.expectCloseTag("GROUPLIST");
}

bool ProjectConverter::readGroup(std::vector<std::string>& groupPath, OrderedPlacement& placement) {
    if (groupDepth_ >= kMaxNesting) {
        return false;
    }
    std::string name;
    if (!xmlReader.expectOpenTag("GROUP") || !readTextElement("NAME", name)) {
        return false;
    }
    groupPath.push_back(name);
    ++groupDepth_;
    std::string targetName;
    for (;;) {
        while (readGroup(groupPath, placement)) {
        }
        if (!readGroupFileRef(targetName, groupPath, placement)) {
            break;
        }
    }
    --groupDepth_;
    groupPath.pop_back();
    return xmlReader.expectCloseTag("GROUP");
}

bool ProjectConverter::readGroupFileRef(std::string& targetName,
                                        const std::vector<std::string>& groupPath,
                                        OrderedPlacement& placement) {
    FileLocation location;
    if (!readFileRef(targetName, location)) {
        return false;
    }
    // A name is searched for on its target's access paths, beside the parse.
    // A name whose target does not exist is found nowhere without a probe,
    // which the path rules answer at once like any other path.
    const GroupNode* target =
        PathRules::isFoundByName(location.pathType) ? rootGroup->findChild(targetName) : nullptr;
    if (target != nullptr) {
        placement.addByName(*target, location.path, targetName, groupPath);
        return true;
    }
    placement.add(
        targetName, groupPath,
        pathRules_.resolveFileRefPath(location.pathType, location.pathRoot, location.accessPath,
                                      location.path, targetName, *rootGroup, sourceTrees));
    return true;
}

void ProjectConverter::addFileToGroup(const std::string& targetName,
                                      const std::vector<std::string>& groupPath,
                                      const std::string& path) {
    print("adding file: " + path);
    GroupNode* node = &rootGroup->findOrAddChild(targetName);
    for (const std::string& name : groupPath) {
        node = &node->findOrAddChild(name);
    }
    node->addFile(path);
}

}  // namespace tessaly
