// The plan of the analysis project, made before anything is written: the
// folder of every node, distinct among its siblings, and the check that no
// file to be written is one of the run's inputs.
#include <algorithm>

#include "output/io_error.h"
#include "output/project_writer.h"
#include "output/safe_names.h"

namespace tessaly {

FolderNames ProjectWriter::planFolders(const GroupNode& node, const std::string& parentFolder,
                                       const std::string& folderName) {
    folderNames_.emplace(&node, folderName);
    const Place place = placeOf(node, parentFolder, folderName);
    if (place.top && settings_.messagePersonality.empty()) {
        replacedFiles_.push_back(defaultPersonalityPath(".p_s"));
    }
    if (ownsPersonality(node)) {
        replacedFiles_.push_back(generatedPersonalityPath(place.folder, folderName));
    }
    if (place.top && settings_.compilerPersonality.empty()) {
        replacedFiles_.push_back(defaultPersonalityPath(".p_c"));
    }
    const std::string prefixHeader = prefixHeaderPath(node, place);
    if (!prefixHeader.empty()) {
        replacedFiles_.push_back(prefixHeader);
    }
    FolderNames names(platform_);
    names.reserve("output");
    if (place.top || ownsPersonality(node) || !prefixHeader.empty()) {
        names.reserve("person");
    }
    for (const auto& child : node.children) {
        planFolders(*child, place.childParentFolder,
                    names.takeDistinct(safeFolderName(child->name, platform_.pathStyle())));
    }
    return names;
}

// The export and the given analyser personality are compared by identity,
// so another name for the same file (a link, a hard link, "." or "..") is
// found too. Files created only when missing never replace one.
void ProjectWriter::refuseToOverwriteInputs() const {
    std::vector<FolderIdentity> inputs;
    for (const std::string* input :
         {&settings_.sourceProjectPath, &settings_.analyserPersonality}) {
        if (auto identity = input->empty() ? std::nullopt : platform_.folderIdentity(*input)) {
            inputs.push_back(*identity);
        }
    }
    if (inputs.empty()) {
        return;
    }
    for (const std::string& file : replacedFiles_) {
        const auto identity = platform_.folderIdentity(file);
        if (identity && std::find(inputs.begin(), inputs.end(), *identity) != inputs.end()) {
            throw IOERROR(ErrorCode::CannotWriteFile, file);
        }
    }
}

}  // namespace tessaly
