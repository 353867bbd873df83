// Writes the analysis project: projectName + ".prj" in the destination
// folder, one directory (with an "output" subdirectory) per node of the group
// tree, the "person" directory with the default personalities, and a
// generated analyser personality for every node with user include paths or
// macro definitions. The tree is walked depth first, each node before its
// children.
#pragma once

#include <string>

#include "output/group_node.h"
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
};

class ProjectWriter {
  public:
    ProjectWriter(OutputSettings settings, Platform& platform, Console& console);

    // 1 when the project was written; throws IOERROR otherwise.
    int writeProject(const GroupNode& rootGroup);

  private:
    void writeGroup(const GroupNode& node, const std::string& parentFolder,
                    const std::string& inheritedPersonality);
    std::string writeDefaultPersonality(const std::string& given, const char* extension, bool top,
                                        bool reportFailure);
    std::string writeAnalyserPersonalityLine(const GroupNode& node, const std::string& folder,
                                             const std::string& parentFolder,
                                             const std::string& inheritedPersonality);
    void writeAnalyserPersonality(const GroupNode& node, const std::string& folder,
                                  const std::string& filePath);
    void appendGivenAnalyserPersonality(TextOutput& file);
    // Creates one directory level when nothing exists at the path.
    void ensureDirectory(const std::string& path);
    std::string join(const std::string& a, const std::string& b) const {
        return a + separator_ + b;
    }

    OutputSettings settings_;
    Platform& platform_;
    Console& console_;
    char separator_;
    std::string personFolder_;
    TextOutput project_;
};

}  // namespace tessaly
