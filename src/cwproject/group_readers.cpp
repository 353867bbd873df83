// The project's GROUPLIST, the IDE's folder view, which gives the analysis
// project its files and folders:
//   GROUPLIST: any mix of GROUP and FILEREF
//   GROUP: NAME, then any mix of GROUP and FILEREF
// Every file reference whose resolved path passes the extension filter is
// placed under the node of the target it names and its chain of groups, in
// document order. A group's target name and path carry from one of its
// references to the next; the list itself has such a pair for references
// that stand directly in it.
#include "cli/project_converter.h"

namespace tessaly {

bool ProjectConverter::readGroupList() {
    if (!xmlReader.expectOpenTag("GROUPLIST")) {
        return false;
    }
    inGroupList = true;
    std::vector<std::string> groupPath;
    std::string targetName;
    std::string path;
    for (;;) {
        if (readGroup(groupPath)) {
            continue;
        }
        if (!readFileRef(targetName, path)) {
            break;
        }
        if (acceptFile(path)) {
            addFileToGroup(targetName, groupPath, path);
        }
    }
    const bool closed = xmlReader.expectCloseTag("GROUPLIST");
    inGroupList = false;
    return closed;
}

bool ProjectConverter::readGroup(std::vector<std::string>& groupPath) {
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
    std::string path;
    for (;;) {
        while (readGroup(groupPath)) {
        }
        if (!readFileRef(targetName, path)) {
            break;
        }
        if (acceptFile(path)) {
            addFileToGroup(targetName, groupPath, path);
        }
    }
    --groupDepth_;
    groupPath.pop_back();
    return xmlReader.expectCloseTag("GROUP");
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
