// The project's GROUPLIST, the IDE's folder view, which gives the analysis
// project its files and folders:
//   GROUPLIST: any mix of GROUP and FILEREF
//   GROUP: NAME, then any mix of GROUP and FILEREF
// Every file reference whose resolved path passes the extension filter is
// placed under the node of the target it names and its chain of groups, in
// document order. A reference that resolves to no path is named as the
// project gives it, when its name passes the filter; where the empty path
// passes it too, its groups are made as for any file (the project file
// lists no empty path). A group's target name carries from one of its references
// to the next; the list itself has one for references that stand directly
// in it.
#include "cli/project_converter.h"
#include "platform/messages.h"

namespace tessaly {

bool ProjectConverter::readGroupList() {
    if (!xmlReader.expectOpenTag("GROUPLIST")) {
        return false;
    }
    std::vector<std::string> groupPath;
    std::string targetName;
    while (readGroup(groupPath) || readGroupFileRef(targetName, groupPath)) {
    }
    return xmlReader.expectCloseTag("GROUPLIST");
}

bool ProjectConverter::readGroup(std::vector<std::string>& groupPath) {
    std::string name;
    if (!withinNesting(groupPath.size() + 1) || !xmlReader.expectOpenTag("GROUP") ||
        !readTextElement("NAME", name)) {
        return false;
    }
    groupPath.push_back(name);
    std::string targetName;
    while (readGroup(groupPath) || readGroupFileRef(targetName, groupPath)) {
    }
    groupPath.pop_back();
    return xmlReader.expectCloseTag("GROUP");
}

bool ProjectConverter::readGroupFileRef(std::string& targetName,
                                        const std::vector<std::string>& groupPath) {
    FileLocation location;
    if (!readFileRef(targetName, location)) {
        return false;
    }
    const std::string& name = location.path;
    const std::string path =
        pathRules_.resolveLocation(location, targetName, *rootGroup, sourceTrees);
    if (path.empty() && acceptFile(name)) {
        print(message::fileNotFound(name));
        ++filesMissing_;
        ++filesConsidered_;
    }
    if (acceptFile(path)) {
        if (!path.empty()) {
            print(message::addingFile(path));
            ++filesConsidered_;
        }
        addFileToGroup(targetName, groupPath, path);
    }
    return true;
}

void ProjectConverter::addFileToGroup(const std::string& targetName,
                                      const std::vector<std::string>& groupPath,
                                      const std::string& path) {
    GroupNode* node = &rootGroup->findOrAddChild(targetName);
    for (const std::string& name : groupPath) {
        node = &node->findOrAddChild(name);
    }
    node->addFile(path);
}

}  // namespace tessaly
