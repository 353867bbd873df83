// The one object that lives for the whole conversion: the settings from the
// command line, the reader over the export, the parse state, and the group
// tree that the writer turns into the analysis project.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cwproject/file_location.h"
#include "cwproject/path_rules.h"
#include "output/group_node.h"
#include "platform/console.h"
#include "platform/platform.h"
#include "xml/xml_reader.h"

namespace tessaly {

// Group and setting elements nested deeper than this are not followed: the
// tag that would open the next level is refused like any token that does not
// fit, so no input can exhaust the stack.
inline constexpr std::size_t kMaxNesting = 1000;

// Whether an element that would open nesting level `level` (1 directly in
// its list) may be read.
constexpr bool withinNesting(std::size_t level) {
    return level <= kMaxNesting;
}

class ProjectConverter {
  public:
    ProjectConverter(std::string sourceProjectPath, std::string destFolder,
                     std::string codeWarriorDir, Platform& platform = systemPlatform(),
                     Console& console = standardOutput());
    ProjectConverter(const ProjectConverter&) = delete;
    ProjectConverter& operator=(const ProjectConverter&) = delete;

    // Splits a comma-separated "-ext" value; empty pieces are kept.
    void addFileExtensions(const std::string& text);
    // 1 after a complete run, 0 after a reported error.
    int run();
    bool readProject();
    int writeProject();

    std::string sourceProjectPath;
    std::string destFolder;
    std::string projectName;
    std::string codeWarriorDir;
    std::string messagePersonality;
    std::string analyserPersonality;
    std::string compilerPersonality;
    std::vector<std::string> fileExtensions;
    // Where to write a compilation database beside the project; empty: none.
    std::string compilationDatabase;
    std::map<std::string, std::string> sourceTrees;
    std::unique_ptr<GroupNode> rootGroup;
    bool inCompilerPanel = false;
    std::string accessPathText;
    std::string accessPathRoot;
    std::string currentSourceTreeName;
    XmlReader xmlReader;

    // The extension filter: true when no extension is given or the text after
    // the path's last '.' matches one, ignoring ASCII case.
    bool acceptFile(const std::string& path) const;

  private:
    // Flags handed from a setting to its children.
    struct SettingContext {
        bool inEnvVars = false;
        bool inSearchPath = false;
        bool inUserPaths = false;
        bool inSystemPaths = false;
        bool inSourceTrees = false;
    };

    // Project grammar.
    bool readTargetList();
    bool readTarget(std::unique_ptr<GroupNode>& node);
    bool readTextElement(std::string_view element, std::string& out);
    bool readPath(std::string& out) { return readTextElement("PATH", out); }
    bool readPathRoot(std::string& out) { return readTextElement("PATHROOT", out); }
    bool readAccessPath(std::string& out) { return readTextElement("ACCESSPATH", out); }
    bool readValue(std::string& out) { return readTextElement("VALUE", out); }
    // Tries the element once and drops its text; always true.
    bool readOptionalTextElement(const char* element);
    bool readRootFileRef();
    bool readFileLocation(FileLocation& location);

    // Files and groups.
    bool readFileList();
    bool readFile();
    // A FILEREF into an empty location; a missing TARGETNAME leaves
    // targetName as it was.
    bool readFileRef(std::string& targetName, FileLocation& location);
    bool readGroupList();
    bool readGroup(std::vector<std::string>& groupPath);
    // A FILEREF of the group list: resolved, filtered and placed.
    bool readGroupFileRef(std::string& targetName, const std::vector<std::string>& groupPath);
    // Places an accepted file below rootGroup: under its target's node, then
    // its chain of groups from the outermost in. The caller tells it.
    void addFileToGroup(const std::string& targetName, const std::vector<std::string>& groupPath,
                        const std::string& path);

    // Settings panels.
    bool readSettingList(GroupNode& target);
    bool readSetting(GroupNode& target, SettingContext context, std::size_t level);
    bool readSettingChildren(GroupNode& target, const SettingContext& context, std::size_t level);
    bool readPanelData();
    void readPanelComments();
    // The target's own macros, once its settings are read: into its macros
    // and its defines.
    void defineTargetMacros(GroupNode& target) const;
    void takeSettingValue(GroupNode& target, const std::string& name, const std::string& value,
                          const SettingContext& context);
    void harvestSetting(GroupNode& target, std::string name, std::string value,
                        const SettingContext& context);
    // The target's user or system access path list, as the context says;
    // null outside both.
    static std::vector<std::string>* accessPathList(GroupNode& target,
                                                    const SettingContext& context);

    // Secondary sections, read and dropped.
    using ItemReader = bool (ProjectConverter::*)();
    bool readRepeated(ItemReader item, bool atLeastOne);
    bool readListOf(const char* element, ItemReader item, bool atLeastOne);
    bool readFileRefs();
    bool readOptionalFileRef();
    bool readRequiredFileRef();
    bool readLinkOrder();
    bool readSegmentList();
    bool readSegment();
    bool readOverlayGroupList();
    bool readOverlayGroup();
    bool readOverlay();
    bool readSubTargetList();
    bool readTargetReference(const char* element);
    bool readSubTarget();
    bool readSubProjectList();
    bool readSubProject();
    bool readSubProjectTargetList();
    bool readSubProjectTarget();
    bool readFrameworkList();
    bool readFramework();
    bool readDynamicLibrary();
    bool readPackageActionList();
    bool readPackageAction();
    bool readTargetOrder();
    bool readOrderedTarget();
    bool readOrderedDesign();
    bool readDesignList();
    bool readDesign();

    void print(std::string_view text) { console_.line(text); }

    Platform& platform_;
    Console& console_;
    PathRules pathRules_;
    // Whether the source tree being defined has had its Path read since its
    // Name: a PathFormat turns only that text.
    bool sourceTreePathRead_ = false;
    // Whether the source tree, or the access path, being read is in a form
    // written for a file system that ignores letter case.
    bool sourceTreeAnyCase_ = false;
    bool accessPathAnyCase_ = false;
    // The group list's file references that the filter takes, and how many
    // of them resolved to no path.
    std::size_t filesConsidered_ = 0;
    std::size_t filesMissing_ = 0;
    // The compilers' command lines of the target being read.
    std::vector<std::string> commandLines_;
    // The named pieces of the access path being read, when its text may name
    // a folder of the machine that wrote the export.
    std::optional<std::vector<std::string>> movedAccessPath_;
};

}  // namespace tessaly
