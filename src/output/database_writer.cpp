// The compilation database beside the analysis project: one entry per
// placed C or C++ file and target, compiled in the export's folder with the
// target's include folders and its prefix. A target's prefix is a file the
// IDE finds by name on its access paths (older exports), or a text of its
// own (newer ones), written as a header into the target's "person" folder.
#include "output/io_error.h"
#include "output/project_writer.h"

namespace tessaly {

namespace {

// The files of the node and of every node below it, each node before its
// children, as the project lists them.
void collectSourceFiles(const GroupNode& node, const TargetCompileSettings& target,
                        const std::string& directory, std::vector<CompileEntry>& entries) {
    for (const std::string& file : node.files) {
        const SourceLanguage language = sourceLanguage(file);
        if (!file.empty() && language != SourceLanguage::None) {
            entries.push_back({directory, file, compileArguments(target, file, language)});
        }
    }
    for (const auto& child : node.children) {
        collectSourceFiles(*child, target, directory, entries);
    }
}

const std::string* defineOf(const GroupNode& target, const std::string& name) {
    const auto found = target.defines.find(name);
    return found != target.defines.end() ? &found->second : nullptr;
}

}  // namespace

std::string ProjectWriter::prefixHeaderPath(const GroupNode& target, const Place& place) const {
    if (settings_.compilationDatabase.empty() || target.prefixText.empty() || place.top) {
        return {};
    }
    return join(join(place.folder, "person"), folderNames_.at(&target) + ".prefix.h");
}

TargetCompileSettings ProjectWriter::compileSettings(const GroupNode& target,
                                                     const std::string& prefixHeader) const {
    TargetCompileSettings settings;
    const std::string* cplusplus = defineOf(target, "MWFrontEnd_C_cplusplus");
    settings.cFilesAsCpp = cplusplus != nullptr && *cplusplus == "1";
    settings.userIncludeFolders = target.userIncludePaths;
    settings.systemIncludeFolders = target.systemIncludePaths;
    settings.macros.assign(target.macros.begin(), target.macros.end());
    const std::string* prefixName = defineOf(target, "MWFrontEnd_C_prefixname");
    if (prefixName != nullptr && !prefixName->empty() && settings_.findOnAccessPaths) {
        if (std::string found = settings_.findOnAccessPaths(target, *prefixName); !found.empty()) {
            settings.prefixFiles.push_back(std::move(found));
        }
    }
    if (!prefixHeader.empty()) {
        settings.prefixFiles.push_back(prefixHeader);
    }
    return settings;
}

std::string ProjectWriter::writePrefixHeader(const GroupNode& target) {
    const Place place = placeOf(target, "root", folderNames_.at(&target));
    const std::string header = prefixHeaderPath(target, place);
    if (!header.empty()) {
        ensureDirectory(join(place.folder, "person") + separator_);
        replaceFile(header, [&target](TextOutput& text) { text.write(target.prefixText); });
    }
    return header;
}

void ProjectWriter::writeCompilationDatabase(const GroupNode& rootGroup) {
    std::vector<CompileEntry> entries;
    for (const auto& target : rootGroup.children) {
        const TargetCompileSettings settings = compileSettings(*target, writePrefixHeader(*target));
        collectSourceFiles(*target, settings, settings_.compilationDirectory, entries);
    }
    const std::string json = compilationDatabaseJson(entries);
    replaceFile(settings_.compilationDatabase, [&json](TextOutput& text) { text.write(json); });
}

}  // namespace tessaly
