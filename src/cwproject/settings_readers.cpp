// A target's SETTINGLIST: the IDE's settings panels as nested SETTING
// elements, each with an optional NAME and either a VALUE or child SETTINGs,
// preceded by comments that name the panel.
//   SETTINGLIST: (SETTING | PANELDATA)+
//   SETTING: comment*, NAME?, (VALUE | SETTING+)
//   PANELDATA: NAME, VALUE
// Five things are kept: the user and system access paths (expanded into their
// subfolders where "Recursive" is "true"), the source trees that later access
// paths may use as roots, the environment variables and every named setting
// of the "C/C++ Compiler" panel, both as definitions, and the target's own
// macros, from the prefix text and the command lines of the compilers for
// microcontrollers.
#include "cli/project_converter.h"
#include "cwproject/letter_case.h"
#include "cwproject/macro_definitions.h"
#include "cwproject/moved_folders.h"
#include "cwproject/path_formats.h"
#include "cwproject/subfolder_expansion.h"

namespace tessaly {

namespace {

const char* const kCompilerPanelComment = "-- Settings for \"C/C++ Compiler\" panel --";

void storeDefine(GroupNode& target, const std::string& name, const std::string& value) {
    if (!name.empty()) {
        target.defines[name] = value;
    }
}

}  // namespace

bool ProjectConverter::readSettingList(GroupNode& target) {
    if (!xmlReader.expectOpenTag("SETTINGLIST")) {
        return false;
    }
    commandLines_.clear();
    bool readAny = false;
    while (readSetting(target, SettingContext{}, 1) || readPanelData()) {
        readAny = true;
    }
    const bool read = readAny && xmlReader.expectCloseTag("SETTINGLIST");
    defineTargetMacros(target);
    return read;
}

// The compiler reads its command line first and the prefix text before the
// source file, so a definition in the prefix text wins over one of the same
// name on a command line; and a macro of the target wins over an IDE
// setting of that name.
void ProjectConverter::defineTargetMacros(GroupNode& target) const {
    for (const std::string& commandLine : commandLines_) {
        defineCommandLineMacros(commandLine, target.macros);
    }
    definePrefixTextMacros(target.prefixText, target.macros);
    for (const auto& [name, value] : target.macros) {
        target.defines[name] = value;
    }
}

bool ProjectConverter::readPanelData() {
    std::string dropped;
    return xmlReader.expectOpenTag("PANELDATA") && readTextElement("NAME", dropped) &&
           readValue(dropped) && xmlReader.expectCloseTag("PANELDATA");
}

// The exporter writes a comment naming the panel ahead of its settings; only
// comments met here count, and the last one wins.
void ProjectConverter::readPanelComments() {
    std::string comment;
    while (xmlReader.readSpecial(comment)) {
        inCompilerPanel = comment.empty() || comment == kCompilerPanelComment;
    }
}

bool ProjectConverter::readSetting(GroupNode& target, SettingContext context, std::size_t level) {
    if (!withinNesting(level)) {
        return false;
    }
    readPanelComments();
    if (!xmlReader.expectOpenTag("SETTING")) {
        return false;
    }
    std::string name;
    if (xmlReader.expectOpenTag("NAME")) {
        if (!xmlReader.readText(name) || !xmlReader.expectCloseTag("NAME")) {
            return false;
        }
        context.inEnvVars = name == "MWRuntimeSettings_EnvVars";
        context.inUserPaths = context.inUserPaths || name == "UserSearchPaths";
        context.inSystemPaths = context.inSystemPaths || name == "SystemSearchPaths";
        context.inSourceTrees = context.inSourceTrees || name == "UserSourceTrees";
        context.inSearchPath = context.inSearchPath || name == "SearchPath";
    }
    std::string value;
    if (xmlReader.expectOpenTag("VALUE")) {
        if (!xmlReader.readText(value) || !xmlReader.expectCloseTag("VALUE")) {
            return false;
        }
        takeSettingValue(target, name, value, context);
    } else if (!readSettingChildren(target, context, level)) {
        return false;
    }
    if (!xmlReader.expectCloseTag("SETTING")) {
        return false;
    }
    harvestSetting(target, std::move(name), std::move(value), context);
    return true;
}

// A setting without a value needs at least one child.
bool ProjectConverter::readSettingChildren(GroupNode& target, const SettingContext& context,
                                           std::size_t level) {
    if (!readSetting(target, context, level + 1)) {
        return false;
    }
    while (readSetting(target, context, level + 1)) {
    }
    return true;
}

// What a value does at once, before the setting's close tag: source-tree
// definitions, and the expansion of the access path just appended.
void ProjectConverter::takeSettingValue(GroupNode& target, const std::string& name,
                                        const std::string& value, const SettingContext& context) {
    if (name == "C_CPP_Preprocessor_PrefixText") {
        target.prefixText = value;
    }
    if (name == kCommandLineSetting) {
        commandLines_.push_back(value);
    }
    if (name == "Name") {
        currentSourceTreeName = value;
        sourceTreePathRead_ = false;
        sourceTreeAnyCase_ = false;
    }
    const bool definesTree = context.inSourceTrees && !currentSourceTreeName.empty();
    if (name == "Path" && definesTree) {
        sourceTrees[currentSourceTreeName] = value;
        sourceTreePathRead_ = true;
    }
    if (name == "PathFormat" && definesTree && sourceTreePathRead_) {
        std::string& tree = sourceTrees[currentSourceTreeName];
        tree = inHostForm(tree, value, platform_.pathStyle());
        sourceTreeAnyCase_ = ignoresLetterCase(value);
    }
    if (name == "PathRoot" && definesTree) {
        std::string& tree = sourceTrees[currentSourceTreeName];
        tree = pathRules_.composeSourceTreePath(value, tree, sourceTreeAnyCase_);
    }
    if (name == "Recursive" && value == "true") {
        std::vector<std::string>* list = accessPathList(target, context);
        if (list != nullptr && !list->empty()) {
            const std::string last = list->back();
            expandSubfolders(platform_, last, *list);
        }
    }
}

std::vector<std::string>* ProjectConverter::accessPathList(GroupNode& target,
                                                           const SettingContext& context) {
    return context.inUserPaths     ? &target.userIncludePaths
           : context.inSystemPaths ? &target.systemIncludePaths
                                   : nullptr;
}

// What a setting gives once it is closed; children are harvested before
// their parent.
void ProjectConverter::harvestSetting(GroupNode& target, std::string name, std::string value,
                                      const SettingContext& context) {
    if (context.inSearchPath) {
        if (name == "Path") {
            accessPathText = value == ":" ? std::string() : value;
        } else if (name == "PathFormat") {
            // Before the entry's Path the text is still empty, which no
            // format changes.
            movedAccessPath_ = movedFolderPieces(accessPathText, value);
            accessPathText = inHostForm(accessPathText, value, platform_.pathStyle());
            accessPathAnyCase_ = ignoresLetterCase(value);
        } else if (name == "PathRoot") {
            if (auto tree = sourceTrees.find(value); tree != sourceTrees.end()) {
                value = tree->second;
            }
            accessPathRoot = value;
        } else if (name == "SearchPath") {
            if (std::vector<std::string>* list = accessPathList(target, context)) {
                std::string joined =
                    pathRules_.joinAccessPath(accessPathRoot, accessPathText, accessPathAnyCase_);
                if (movedAccessPath_) {
                    joined = findMovedFolder(
                        platform_, joined, *movedAccessPath_, pathRules_.projectRoot(),
                        accessPathAnyCase_ ? &pathRules_.letterCase() : nullptr);
                }
                list->push_back(std::move(joined));
            }
            accessPathRoot.clear();
            accessPathText.clear();
            movedAccessPath_.reset();
            accessPathAnyCase_ = false;
        }
    } else if (context.inEnvVars) {
        const auto first = value.find('=');
        if (first == std::string::npos) {
            storeDefine(target, value, value);
        } else {
            storeDefine(target, value.substr(0, first), value.substr(value.rfind('=') + 1));
        }
    } else if (inCompilerPanel) {
        storeDefine(target, name, value);
    }
}

}  // namespace tessaly
