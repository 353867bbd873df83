#include "output/project_writer.h"

#include "output/io_error.h"
#include "output/safe_names.h"
#include "platform/messages.h"

namespace tessaly {

namespace {

// A node of this name is the top of the project wherever it stands.
bool isTopNode(const GroupNode& node) {
    return node.name == "root";
}

}  // namespace

ProjectWriter::ProjectWriter(OutputSettings settings, Platform& platform, Console& console)
    : settings_(std::move(settings)),
      platform_(platform),
      console_(console),
      separator_(platform.separator()),
      personFolder_(settings_.destFolder + separator_ + "person" + separator_) {}

void ProjectWriter::ensureDirectory(const std::string& path) {
    if (platform_.exists(path)) {
        return;
    }
    if (platform_.makeDirectory(path) == MakeDirectoryResult::Failed) {
        throw IOERROR(ErrorCode::CannotCreateDirectory, path);
    }
}

int ProjectWriter::writeProject(const GroupNode& rootGroup) {
    const std::string projectFile = join(settings_.destFolder, settings_.projectName + ".prj");
    if (!project_.open(platform_, projectFile)) {
        throw IOERROR(ErrorCode::CannotWriteFile, projectFile);
    }
    console_.line(message::creatingProject());
    project_.line("VersionTag45");
    writeGroup(rootGroup, rootGroup.name, personFolder_ + settings_.projectName + ".p_a");
    project_.close();
    console_.line(message::projectCompleted());
    return 1;
}

void ProjectWriter::writeGroup(const GroupNode& node, const std::string& parentFolder,
                               const std::string& inheritedPersonality) {
    const bool top = isTopNode(node);
    const std::string folderName = safeFolderName(node.name, platform_.pathStyle());
    const std::string relativeFolder = top                      ? std::string()
                                       : parentFolder == "root" ? folderName
                                                                : join(parentFolder, folderName);
    const std::string folder =
        top ? settings_.destFolder : join(settings_.destFolder, relativeFolder);
    const std::string& displayName = top ? settings_.projectName : node.name;

    if (!top) {
        ensureDirectory(folder);
    }
    ensureDirectory(join(folder, "output") + separator_);
    console_.line(message::creatingGroup(displayName));

    project_.line("StartProjectMarker");
    project_.line("FolderName=" + displayName);
    project_.line("SourcePath=" + folder + separator_);
    project_.line("OutputPath=" + join(folder, "output") + separator_);
    project_.line("SubsPers=" +
                  writeDefaultPersonality(settings_.messagePersonality, ".p_s", top, false));
    const std::string personality =
        writeAnalyserPersonalityLine(node, folder, parentFolder, inheritedPersonality);
    project_.line("CompPers=" +
                  writeDefaultPersonality(settings_.compilerPersonality, ".p_c", top, true));
    for (const std::string& file : node.files) {
        if (!file.empty()) {
            project_.line(file);
        }
    }
    project_.line("EndContainedFilesMarker");

    if (node.children.empty()) {
        return;
    }
    project_.line("StartSubProjectMarker");
    const std::string childParentFolder =
        parentFolder == "root" ? folderName : join(parentFolder, folderName);
    for (const auto& child : node.children) {
        writeGroup(*child, childParentFolder, personality);
    }
    project_.line("EndSubProjectMarker");
}

// The given message or compiler personality, or else the default one, which
// the top node empties on every run. Only a compiler personality that cannot
// be created is reported.
std::string ProjectWriter::writeDefaultPersonality(const std::string& given, const char* extension,
                                                   bool top, bool reportFailure) {
    if (!given.empty()) {
        return given;
    }
    const std::string path = personFolder_ + settings_.projectName + extension;
    if (top) {
        ensureDirectory(personFolder_);
        if (!createEmptyFile(platform_, path) && reportFailure) {
            throw IOERROR(ErrorCode::CannotWriteFile, path);
        }
    }
    return path;
}

// A node with user include paths or defines gets its own personality; any
// other refers to its parent target's generated one when that exists, else
// to what its parent referred to, created empty when missing. Returns the
// path written, which the node hands down to its children.
std::string ProjectWriter::writeAnalyserPersonalityLine(const GroupNode& node,
                                                        const std::string& folder,
                                                        const std::string& parentFolder,
                                                        const std::string& inheritedPersonality) {
    if (!node.userIncludePaths.empty() || !node.defines.empty()) {
        const std::string path =
            join(join(folder, "person"), safeFolderName(node.name, platform_.pathStyle()) + ".p_a");
        console_.line(message::creatingAnalyserPersonality(path));
        project_.line("AnalPers=" + path);
        writeAnalyserPersonality(node, folder, path);
        return path;
    }
    const std::string candidate =
        join(join(join(settings_.destFolder, parentFolder), "person"), parentFolder + ".p_a");
    const std::string path = platform_.exists(candidate) ? candidate : inheritedPersonality;
    project_.line("AnalPers=" + path);
    if (!platform_.exists(path)) {
        ensureDirectory(personFolder_);
        if (!createEmptyFile(platform_, path)) {
            throw IOERROR(ErrorCode::CannotWriteFile, path);
        }
    }
    return path;
}

}  // namespace tessaly
