#include "output/project_writer.h"

#include "output/io_error.h"
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
      personFolder_(settings_.destFolder + separator_ + "person" + separator_),
      destination_(platform, settings_.destFolder),
      project_(platform, join(settings_.destFolder, settings_.projectName + ".prj")) {}

void ProjectWriter::ensureDirectory(const std::string& path) {
    switch (platform_.entryKind(path)) {
        case EntryKind::Missing:
            break;
        case EntryKind::Link:
            if (!platform_.removeFile(path)) {
                throw IOERROR(ErrorCode::CannotCreateDirectory, path);
            }
            break;
        default:  // a folder, or a file that the folder's first use fails on
            return;
    }
    if (platform_.makeDirectory(path) == MakeDirectoryResult::Failed) {
        throw IOERROR(ErrorCode::CannotCreateDirectory, path);
    }
}

void ProjectWriter::replaceFile(const std::string& path,
                                const std::function<void(TextOutput&)>& fill) {
    ReplacedFile file(platform_, path);
    if (!file.open()) {
        throw IOERROR(ErrorCode::CannotWriteFile, path);
    }
    if (fill) {
        fill(file.text());
    }
    if (!file.commit()) {
        throw IOERROR(ErrorCode::CannotWriteFile, path);
    }
}

void ProjectWriter::createWhenMissing(const std::string& path) {
    const EntryKind kind = platform_.entryKind(path);
    if (kind == EntryKind::Missing || kind == EntryKind::Link) {
        ensureDirectory(personFolder_);
        replaceFile(path);
    }
}

// The project file is written while the tree is walked, and replaces the
// earlier one last, once every folder and personality it names is written.
int ProjectWriter::writeProject(const GroupNode& rootGroup) {
    replacedFiles_.push_back(project_.path());
    if (!settings_.compilationDatabase.empty()) {
        replacedFiles_.push_back(settings_.compilationDatabase);
    }
    const FolderNames topFolders = planFolders(rootGroup, rootGroup.name, rootGroup.name);
    refuseToOverwriteInputs();
    if (!project_.open([&topFolders](std::string_view name) {
            return topFolders.isTaken(std::string(name));
        })) {
        throw IOERROR(ErrorCode::CannotWriteFile, project_.path());
    }
    console_.line(message::creatingProject());
    project_.text().line("VersionTag45");
    writeGroup(rootGroup, rootGroup.name, defaultPersonalityPath(".p_a"));
    if (!project_.commit()) {
        throw IOERROR(ErrorCode::CannotWriteFile, project_.path());
    }
    if (!settings_.compilationDatabase.empty()) {
        writeCompilationDatabase(rootGroup);
    }
    console_.line(message::projectCompleted());
    return 1;
}

ProjectWriter::Place ProjectWriter::placeOf(const GroupNode& node, const std::string& parentFolder,
                                            const std::string& folderName) const {
    const bool top = isTopNode(node);
    std::string relativeFolder =
        parentFolder == "root" ? folderName : join(parentFolder, folderName);
    std::string folder = top ? settings_.destFolder : join(settings_.destFolder, relativeFolder);
    return Place{top, std::move(folder), std::move(relativeFolder)};
}

void ProjectWriter::writeGroup(const GroupNode& node, const std::string& parentFolder,
                               const std::string& inheritedPersonality) {
    const Place place = placeOf(node, parentFolder, folderNames_.at(&node));
    const std::string& displayName = place.top ? settings_.projectName : node.name;

    if (!place.top) {
        ensureDirectory(place.folder);
    }
    ensureDirectory(join(place.folder, "output") + separator_);
    console_.line(message::creatingGroup(displayName));

    TextOutput& project = project_.text();
    project.line("StartProjectMarker");
    project.line("FolderName=" + displayName);
    project.line("SourcePath=" + place.folder + separator_);
    project.line("OutputPath=" + join(place.folder, "output") + separator_);
    project.line("SubsPers=" +
                 writeDefaultPersonality(settings_.messagePersonality, ".p_s", place.top));
    const std::string personality =
        writeAnalyserPersonalityLine(node, place, parentFolder, inheritedPersonality);
    project.line("CompPers=" +
                 writeDefaultPersonality(settings_.compilerPersonality, ".p_c", place.top));
    for (const std::string& file : node.files) {
        if (!file.empty()) {
            project.line(file);
        }
    }
    project.line("EndContainedFilesMarker");

    if (node.children.empty()) {
        return;
    }
    project.line("StartSubProjectMarker");
    for (const auto& child : node.children) {
        writeGroup(*child, place.childParentFolder, personality);
    }
    project.line("EndSubProjectMarker");
}

// The given message or compiler personality, or else the default one, which
// the top node empties on every run.
std::string ProjectWriter::writeDefaultPersonality(const std::string& given, const char* extension,
                                                   bool top) {
    if (!given.empty()) {
        return given;
    }
    const std::string path = defaultPersonalityPath(extension);
    if (top) {
        ensureDirectory(personFolder_);
        replaceFile(path);
    }
    return path;
}

// A node with user include paths or defines gets its own personality; any
// other refers to its parent target's generated one when that exists, else
// to what its parent referred to, created empty when missing. Returns the
// path written, which the node hands down to its children.
std::string ProjectWriter::writeAnalyserPersonalityLine(const GroupNode& node, const Place& place,
                                                        const std::string& parentFolder,
                                                        const std::string& inheritedPersonality) {
    if (ownsPersonality(node)) {
        const std::string path = generatedPersonalityPath(place.folder, folderNames_.at(&node));
        console_.line(message::creatingAnalyserPersonality(path));
        project_.text().line("AnalPers=" + path);
        writeAnalyserPersonality(node, place.folder, path);
        return path;
    }
    const std::string candidate =
        join(join(join(settings_.destFolder, parentFolder), "person"), parentFolder + ".p_a");
    const std::string path = platform_.exists(candidate) ? candidate : inheritedPersonality;
    project_.text().line("AnalPers=" + path);
    createWhenMissing(path);
    return path;
}

}  // namespace tessaly
