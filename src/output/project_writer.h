// Writes the analysis project: projectName + ".prj" in the destination
// folder, one directory (with an "output" subdirectory) per node of the group
// tree, the "person" directory with the default personalities, and a
// generated analyser personality for every node with user include paths or
// macro definitions. The tree is walked depth first, each node before its
// children.
//
// Nothing is lost and nothing outside the destination is touched: before
// anything is written, every node gets a folder of its own and no file to be
// written may be the export or the given analyser personality; every file is
// replaced in one step (ReplacedFile), the project file last; a link met
// below the destination is replaced, never followed, and every folder below
// it is reached through the held destination (Platform::holdFolder).
#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "output/compilation_database.h"
#include "output/folder_names.h"
#include "output/group_node.h"
#include "output/replaced_file.h"
#include "output/text_output.h"
#include "platform/console.h"
#include "platform/platform.h"

namespace tessaly {

struct OutputSettings {
    std::string destFolder;
    std::string projectName;
    std::string messagePersonality;
    std::string analyserPersonality;
    std::string compilerPersonality;
    std::string sourceProjectPath;  // the export, never to be written over
    // The compilation database to write beside the project; empty: none.
    std::string compilationDatabase{};
    // The folder its entries are compiled in: the export's folder.
    std::string compilationDirectory{};
    // The file of that name on the target's access paths, or empty: where a
    // target's prefix file is found.
    std::function<std::string(const GroupNode& target, const std::string& name)>
        findOnAccessPaths{};
};

class ProjectWriter {
  public:
    ProjectWriter(OutputSettings settings, Platform& platform, Console& console);

    // 1 when the project was written; throws IOERROR otherwise.
    int writeProject(const GroupNode& rootGroup);

  private:
    // Where a node is written: its folder, and the parent folder text that
    // its children are given.
    struct Place {
        bool top;
        std::string folder;
        std::string childParentFolder;
    };
    Place placeOf(const GroupNode& node, const std::string& parentFolder,
                  const std::string& folderName) const;

    // A node with user include paths or defines gets an analyser personality
    // of its own.
    static bool ownsPersonality(const GroupNode& node) {
        return !node.userIncludePaths.empty() || !node.defines.empty();
    }

    // The plan, made before anything is written: the folder name of the node
    // and of every node below it, and the files that will be replaced.
    // Returns the names in use in the node's own folder.
    FolderNames planFolders(const GroupNode& node, const std::string& parentFolder,
                            const std::string& folderName);
    // Throws IOERROR for the first file to be replaced that is an input.
    void refuseToOverwriteInputs() const;

    void writeGroup(const GroupNode& node, const std::string& parentFolder,
                    const std::string& inheritedPersonality);
    std::string writeDefaultPersonality(const std::string& given, const char* extension, bool top);
    std::string writeAnalyserPersonalityLine(const GroupNode& node, const Place& place,
                                             const std::string& parentFolder,
                                             const std::string& inheritedPersonality);
    void writeAnalyserPersonality(const GroupNode& node, const std::string& folder,
                                  const std::string& filePath);
    void appendGivenAnalyserPersonality(TextOutput& file);
    std::string defaultPersonalityPath(const char* extension) const {
        return personFolder_ + settings_.projectName + extension;
    }
    std::string generatedPersonalityPath(const std::string& folder,
                                         const std::string& folderName) const {
        return join(join(folder, "person"), folderName + ".p_a");
    }

    // The compilation database and the targets' prefix texts as headers.
    void writeCompilationDatabase(const GroupNode& rootGroup);
    // The generated header of a target's prefix text; empty when it has none
    // or no database is written.
    std::string prefixHeaderPath(const GroupNode& target, const Place& place) const;
    // Writes the target's prefix text as a header; its path, or empty.
    std::string writePrefixHeader(const GroupNode& target);
    TargetCompileSettings compileSettings(const GroupNode& target,
                                          const std::string& prefixHeader) const;

    // Writes the file in one step; `fill` writes its text. Throws IOERROR
    // when it cannot be written.
    void replaceFile(const std::string& path, const std::function<void(TextOutput&)>& fill = {});
    // Creates an empty file unless a file or folder stands at the path; a
    // link there counts as missing.
    void createWhenMissing(const std::string& path);
    // Creates one directory level where nothing stands; a link there is
    // replaced by a real folder.
    void ensureDirectory(const std::string& path);
    std::string join(const std::string& a, const std::string& b) const {
        return a + separator_ + b;
    }

    OutputSettings settings_;
    Platform& platform_;
    Console& console_;
    char separator_;
    std::string personFolder_;
    // Held for the writer's life, so that every folder below it is reached
    // through it; the project file's temporary file goes first.
    FolderHold destination_;
    ReplacedFile project_;
    std::unordered_map<const GroupNode*, std::string> folderNames_;
    // Files written whatever stands at their paths, in the order written
    // (the project file, which is replaced last, first).
    std::vector<std::string> replacedFiles_;
};

}  // namespace tessaly
