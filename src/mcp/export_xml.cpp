#include "mcp/export_xml.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "cwproject/macro_definitions.h"
#include "mcp/byte_view.h"
#include "xml/entities.h"

namespace tessaly {

namespace {

// The IDE's exports are one to two times the size of their binary files.
// Names are stored once and referred to by number, so a damaged or crafted
// file could name a long text from every entry: past this, it is refused
// rather than given the memory it asks for.
constexpr std::size_t kMaxGrowth = 16;
constexpr std::size_t kSlack = 64 * 1024;

constexpr std::string_view kProlog = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>
<?codewarrior exportversion="1.0.1" ?>

<!DOCTYPE PROJECT [
<!ELEMENT PROJECT (TARGETLIST, TARGETORDER, GROUPLIST, DESIGNLIST?)>
<!ELEMENT TARGETLIST (TARGET+)>
<!ELEMENT TARGET (NAME, SETTINGLIST, FILELIST?, LINKORDER?, SEGMENTLIST?, OVERLAYGROUPLIST?, SUBTARGETLIST?, SUBPROJECTLIST?, FRAMEWORKLIST?)>
<!ELEMENT NAME (#PCDATA)>
<!ELEMENT USERSOURCETREETYPE (#PCDATA)>
<!ELEMENT PATH (#PCDATA)>
<!ELEMENT FILELIST (FILE*)>
<!ELEMENT FILE (PATHTYPE, PATHROOT?, ACCESSPATH?, PATH, PATHFORMAT?, ROOTFILEREF?, FILEKIND?, FILEFLAGS?)>
<!ELEMENT PATHTYPE (#PCDATA)>
<!ELEMENT PATHROOT (#PCDATA)>
<!ELEMENT ACCESSPATH (#PCDATA)>
<!ELEMENT PATHFORMAT (#PCDATA)>
<!ELEMENT ROOTFILEREF (PATHTYPE, PATHROOT?, ACCESSPATH?, PATH, PATHFORMAT?)>
<!ELEMENT FILEKIND (#PCDATA)>
<!ELEMENT FILEFLAGS (#PCDATA)>
<!ELEMENT FILEREF (TARGETNAME?, PATHTYPE, PATHROOT?, ACCESSPATH?, PATH, PATHFORMAT?)>
<!ELEMENT TARGETNAME (#PCDATA)>
<!ELEMENT SETTINGLIST ((SETTING|PANELDATA)+)>
<!ELEMENT SETTING (NAME?, (VALUE|(SETTING+)))>
<!ELEMENT PANELDATA (NAME, VALUE)>
<!ELEMENT VALUE (#PCDATA)>
<!ELEMENT LINKORDER (FILEREF*)>
<!ELEMENT SEGMENTLIST (SEGMENT+)>
<!ELEMENT SEGMENT (NAME, ATTRIBUTES?, FILEREF*)>
<!ELEMENT ATTRIBUTES (#PCDATA)>
<!ELEMENT OVERLAYGROUPLIST (OVERLAYGROUP+)>
<!ELEMENT OVERLAYGROUP (NAME, BASEADDRESS, OVERLAY*)>
<!ELEMENT BASEADDRESS (#PCDATA)>
<!ELEMENT OVERLAY (NAME, FILEREF*)>
<!ELEMENT SUBTARGETLIST (SUBTARGET+)>
<!ELEMENT SUBTARGET (TARGETNAME, ATTRIBUTES?, FILEREF?)>
<!ELEMENT SUBPROJECTLIST (SUBPROJECT+)>
<!ELEMENT SUBPROJECT (FILEREF, SUBPROJECTTARGETLIST)>
<!ELEMENT SUBPROJECTTARGETLIST (SUBPROJECTTARGET*)>
<!ELEMENT SUBPROJECTTARGET (TARGETNAME, ATTRIBUTES?, FILEREF?)>
<!ELEMENT FRAMEWORKLIST (FRAMEWORK+)>
<!ELEMENT FRAMEWORK (FILEREF, LIBRARYFILE?, VERSION?)>
<!ELEMENT LIBRARYFILE (FILEREF)>
<!ELEMENT VERSION (#PCDATA)>
<!ELEMENT TARGETORDER (ORDEREDTARGET|ORDEREDDESIGN)*>
<!ELEMENT ORDEREDTARGET (NAME)>
<!ELEMENT ORDEREDDESIGN (NAME, ORDEREDTARGET+)>
<!ELEMENT GROUPLIST (GROUP|FILEREF)*>
<!ELEMENT GROUP (NAME, (GROUP|FILEREF)*)>
<!ELEMENT DESIGNLIST (DESIGN+)>
<!ELEMENT DESIGN (NAME, DESIGNDATA)>
<!ELEMENT DESIGNDATA (#PCDATA)>
]>

)";

// Root 4 is a source tree, named by the path itself.
std::string rootText(const BinaryAccessPath& path) {
    switch (path.root) {
        case 0:
            return "Absolute";
        case 1:
            return "Project";
        case 2:
            return "CodeWarrior";
        case 3:
            return "System";
        case 4:
            return std::string(path.treeName);
    }
    return std::to_string(path.root);
}

// An unknown code is written as its number, which the export's reader takes
// as an unknown root or format: visible, and never a guessed folder.
std::string formatText(std::uint16_t format) {
    switch (format) {
        case 1:
            return "MacOS";
        case 2:
            return "Windows";
        case 3:
            return "Unix";
    }
    return std::to_string(format);
}

// An absolute access path is followed by the file's path without a
// separator between them, so it ends in its format's own.
std::string absoluteFolderText(const BinaryAccessPath& path) {
    std::string text(path.path);
    const char separator = path.format == 1 ? ':' : path.format == 3 ? '/' : '\\';
    if (path.root == 0 && !text.empty() && text.back() != separator) {
        text += separator;
    }
    return text;
}

// The location's texts as the file holds them.
FileLocation storedLocation(const BinaryFile& file, const BinaryAccessPath* folder) {
    if (folder == nullptr) {
        return {"Name", "", "", std::string(file.name), formatText(file.pathFormat)};
    }
    return {"PathRelative", rootText(*folder), absoluteFolderText(*folder), std::string(file.name),
            formatText(file.pathFormat)};
}

std::string kindText(std::uint8_t kind) {
    static constexpr std::string_view kKinds[] = {"Unknown", "Text", "Project", "Library",
                                                  "Resource"};
    return kind < std::size(kKinds) ? std::string(kKinds[kind]) : std::to_string(kind);
}

std::string flagsText(std::uint32_t flags) {
    std::string text;
    if (flags & 1) {
        text = "Debug";
    }
    if (flags & 4) {
        text += text.empty() ? "WeakImport" : ", WeakImport";
    }
    return text;
}

const char* boolText(bool value) {
    return value ? "true" : "false";
}

// Appends `value` as the exporter writes a text between tags: runs of
// plain bytes in one piece, each byte to escape on its own.
void appendExportText(std::string& out, std::string_view value) {
    std::size_t plain = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto byte = static_cast<unsigned char>(value[i]);
        if (byte != '&' && byte != '<' && byte != '>' && byte < 0x80) {
            continue;
        }
        out.append(value, plain, i - plain);
        plain = i + 1;
        if (byte == '&') {
            out += "&amp;";
        } else if (byte == '<') {
            out += "&lt;";
        } else if (byte == '>') {
            out += "&gt;";
        } else {
            out += "&#";
            out += std::to_string(byte);
            out += ';';
        }
    }
    out.append(value, plain);
}

}  // namespace

// The export's text, built line by line at the current depth (four blanks a
// level, as the IDE indents).
class ExportWriter::Text {
  public:
    explicit Text(std::size_t limit) : text_(kProlog), limit_(limit) {}

    void line(std::string_view markup) {
        begin();
        text_ += markup;
        end();
    }
    // `before`, then <tag>value</tag>, then `after`, on one line.
    void line(std::string_view before, std::string_view tag, std::string_view value,
              std::string_view after = {}) {
        begin();
        text_ += before;
        tagged(tag, value);
        text_ += after;
        end();
    }
    void element(std::string_view tag, std::string_view value) { line({}, tag, value); }
    void open(std::string_view tag) {
        begin();
        text_ += '<';
        text_ += tag;
        text_ += '>';
        end();
        ++depth_;
    }
    // Opens an element whose first child shares its line: <SETTING><NAME>...
    void open(std::string_view before, std::string_view tag, std::string_view value) {
        line(before, tag, value);
        ++depth_;
    }
    void close(std::string_view tag) {
        --depth_;
        begin();
        text_ += "</";
        text_ += tag;
        text_ += '>';
        end();
    }
    void setting(std::string_view name, std::string_view value) {
        begin();
        text_ += "<SETTING>";
        tagged("NAME", name);
        tagged("VALUE", value);
        text_ += "</SETTING>";
        end();
    }
    void openSetting(std::string_view name) { open("<SETTING>", "NAME", name); }
    void closeSetting() { close("SETTING"); }
    void blank() { text_ += '\n'; }
    void panel(std::string_view name) {
        blank();
        begin();
        text_ += "<!-- Settings for \"";
        text_ += name;
        text_ += "\" panel -->";
        end();
    }
    // Hands over what was written since the last call; `out` is given back
    // empty, its room kept for the next part.
    void moveTo(std::string& out) {
        written_ += text_.size();
        out.swap(text_);
        text_.clear();
    }

  private:
    void begin() { text_.append(depth_ * 4, ' '); }
    void end() {
        text_ += '\n';
        if (written_ + text_.size() > limit_) {
            throwDamaged(Damage::Growth, "its export would pass " + std::to_string(kMaxGrowth) +
                                             " times the size of the file");
        }
    }
    void tagged(std::string_view tag, std::string_view value) {
        text_ += '<';
        text_ += tag;
        text_ += '>';
        appendExportText(text_, value);
        text_ += "</";
        text_ += tag;
        text_ += '>';
    }

    std::string text_;
    std::size_t written_ = 0;  // handed over before
    std::size_t limit_;
    std::size_t depth_ = 0;
};

ExportWriter::ExportWriter(const BinaryProject& project)
    : project_(project), xml_(std::make_unique<Text>(kMaxGrowth * project.fileSize + kSlack)) {
    for (const BinaryTarget& target : project.targets) {
        for (const BinaryFile& file : target.files) {
            files_.emplace(file.reference, HeldFile{&file, &target});
            firstTargetWith_.emplace(file.name, &target.name);
        }
    }
}

ExportWriter::~ExportWriter() = default;

bool ExportWriter::next(std::string& out) {
    const std::size_t targets = project_.targets.size();
    if (step_ > targets + 1) {
        return false;
    }
    if (step_ == 0) {
        xml_->open("PROJECT");
        xml_->open("TARGETLIST");
    } else if (step_ <= targets) {
        writeTarget(project_.targets[step_ - 1]);
    } else {
        xml_->close("TARGETLIST");
        xml_->blank();
        xml_->open("TARGETORDER");
        for (const std::string_view name : project_.targetOrder) {
            xml_->line("<ORDEREDTARGET>", "NAME", name, "</ORDEREDTARGET>");
        }
        xml_->close("TARGETORDER");
        xml_->blank();
        writeGroups();
        xml_->close("PROJECT");
    }
    ++step_;
    xml_->moveTo(out);
    return true;
}

void ExportWriter::writeTarget(const BinaryTarget& target) {
    xml_->open("TARGET");
    xml_->element("NAME", target.name);
    xml_->open("SETTINGLIST");
    writeSettings(target);
    xml_->close("SETTINGLIST");
    writeFileList(target);
    if (!target.subTargets.empty()) {
        xml_->open("SUBTARGETLIST");
        for (const std::string_view name : target.subTargets) {
            xml_->open("SUBTARGET");
            xml_->element("TARGETNAME", name);
            xml_->close("SUBTARGET");
        }
        xml_->close("SUBTARGETLIST");
    }
    xml_->close("TARGET");
}

void ExportWriter::writeSettings(const BinaryTarget& target) {
    xml_->panel("Source Trees");
    xml_->setting("UserSourceTrees", "");
    if (target.accessPaths) {
        writeAccessPaths(*target.accessPaths);
    }
    if (target.environment) {
        xml_->panel("Debugger Runtime");
        writeList("MWRuntimeSettings_EnvVars", *target.environment);
    }
    if (target.compilerSettings) {
        xml_->panel("C/C++ Compiler");
        for (const BinarySetting& setting : *target.compilerSettings) {
            xml_->setting(setting.name, setting.value);
        }
    }
    if (target.prefixText) {
        xml_->panel("C/C++ Preprocessor");
        xml_->setting("C_CPP_Preprocessor_PrefixText", *target.prefixText);
    }
    for (const BinaryCommandLine& line : target.commandLines) {
        xml_->panel(line.panel);
        xml_->setting(kCommandLineSetting, line.text);
    }
}

void ExportWriter::writeList(std::string_view name, const std::vector<std::string_view>& values) {
    if (values.empty()) {
        xml_->setting(name, "");
        return;
    }
    xml_->openSetting(name);
    for (const std::string_view value : values) {
        xml_->line("<SETTING>", "VALUE", value, "</SETTING>");
    }
    xml_->closeSetting();
}

void ExportWriter::writeAccessPaths(const BinaryAccessPaths& paths) {
    xml_->panel("Access Paths");
    xml_->setting("AlwaysSearchUserPaths", boolText(paths.alwaysSearchUserPaths));
    xml_->setting("InterpretDOSAndUnixPaths", boolText(paths.interpretDosAndUnixPaths));
    writePathList("UserSearchPaths", paths.user);
    writePathList("SystemSearchPaths", paths.system);
}

void ExportWriter::writePathList(std::string_view name,
                                 const std::vector<BinaryAccessPath>& paths) {
    if (paths.empty()) {
        xml_->setting(name, "");
        return;
    }
    xml_->openSetting(name);
    for (const BinaryAccessPath& path : paths) {
        xml_->open("SETTING");
        xml_->openSetting("SearchPath");
        xml_->setting("Path", path.path);
        xml_->setting("PathFormat", formatText(path.format));
        xml_->setting("PathRoot", rootText(path));
        xml_->closeSetting();
        xml_->setting("Recursive", boolText(path.recursive));
        xml_->close("SETTING");
    }
    xml_->closeSetting();
}

void ExportWriter::writeFileList(const BinaryTarget& target) {
    xml_->open("FILELIST");
    for (const BinaryFile& file : target.files) {
        xml_->open("FILE");
        writeLocation(file, target);
        xml_->element("FILEKIND", kindText(file.kind));
        xml_->element("FILEFLAGS", flagsText(file.flags));
        xml_->close("FILE");
    }
    xml_->close("FILELIST");
    xml_->open("LINKORDER");
    for (const std::uint32_t reference : target.linkOrder) {
        if (const HeldFile* held = fileOf(reference)) {
            xml_->open("FILEREF");
            writeLocation(*held->file, *held->owner);
            xml_->close("FILEREF");
        }
    }
    xml_->close("LINKORDER");
}

// A file stored by name is found along the access paths ("Name"). One
// stored by path lies below the access path its folder id names, and is
// written as the IDE exports such a file: relative to that path's root,
// the path's own text as the access path, the stored name (which may hold
// folders) as the path. Where no access path has that id, it is looked for
// by name, its folders kept.
void ExportWriter::writeLocation(const BinaryFile& file, const BinaryTarget& owner) {
    const FileLocation location = storedLocation(file, folderOf(owner, file));
    xml_->element("PATHTYPE", location.pathType);
    if (location.pathType != "Name") {
        xml_->element("PATHROOT", location.pathRoot);
        xml_->element("ACCESSPATH", location.accessPath);
    }
    xml_->element("PATH", location.path);
    xml_->element("PATHFORMAT", location.pathFormat);
}

const ExportWriter::HeldFile* ExportWriter::fileOf(std::uint32_t reference) const {
    const auto it = files_.find(reference);
    return it == files_.end() ? nullptr : &it->second;
}

// A file reference names the first target, in target list order, that
// holds a file of its name. A reference that no target holds cannot be
// named and is left out.
void ExportWriter::writeGroups() {
    xml_->open("GROUPLIST");
    for (const GroupItem& item : project_.groups) {
        if (item.kind == GroupItem::Kind::Open) {
            xml_->open("<GROUP>", "NAME", item.name);
        } else if (item.kind == GroupItem::Kind::Close) {
            xml_->close("GROUP");
        } else if (const HeldFile* held = fileOf(item.reference)) {
            xml_->open("FILEREF");
            xml_->element("TARGETNAME", *firstTargetWith_.at(held->file->name));
            writeLocation(*held->file, *held->owner);
            xml_->close("FILEREF");
        }
    }
    xml_->close("GROUPLIST");
}

std::string exportText(std::string_view value) {
    std::string text;
    appendExportText(text, value);
    return text;
}

std::string exportXml(const BinaryProject& project) {
    ExportWriter writer(project);
    std::string text;
    for (std::string part; writer.next(part);) {
        text += part;
    }
    return text;
}

FileLocation exportedLocation(const BinaryFile& file, const BinaryAccessPath* folder) {
    FileLocation location = storedLocation(file, folder);
    for (std::string* text : {&location.pathRoot, &location.accessPath, &location.path}) {
        *text = decodePredefinedEntities(exportText(*text));
    }
    return location;
}

}  // namespace tessaly
