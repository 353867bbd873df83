// One folder of the analysis project: a target, a file group, or the top of
// the project ("root"). The parse fills the tree; the writer walks it.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace tessaly {

class GroupNode {
  public:
    explicit GroupNode(std::string name) : name(std::move(name)) {}
    ~GroupNode();
    GroupNode(const GroupNode&) = delete;
    GroupNode& operator=(const GroupNode&) = delete;

    GroupNode& addChild(std::unique_ptr<GroupNode> child);
    // The first child of that exact name, or a new one appended at the end.
    GroupNode& findOrAddChild(const std::string& childName);
    // The first child of that exact name, or null.
    const GroupNode* findChild(const std::string& childName) const;
    void addFile(std::string path) { files.push_back(std::move(path)); }

    std::string name;
    std::vector<std::string> files;
    std::vector<std::string> userIncludePaths;
    std::vector<std::string> systemIncludePaths;
    std::map<std::string, std::string> defines;
    // The target's own macros (from its prefix text and its compilers'
    // command lines), which defines also holds: the compilation database
    // gives these, and not the IDE's settings, to the compiler.
    std::map<std::string, std::string> macros;
    // The target's prefix text ("C/C++ Preprocessor" panel), for the
    // compilation database only.
    std::string prefixText;
    std::vector<std::unique_ptr<GroupNode>> children;

  private:
    // The first child of each name, so that finding a child costs the same
    // however many siblings it has (a group list may hold thousands of groups
    // side by side). Children are only added through addChild.
    std::unordered_map<std::string, GroupNode*> firstChildByName_;
};

}  // namespace tessaly
