// The top of the export's grammar, read by recursive descent:
//   PROJECT: TARGETLIST, TARGETORDER, GROUPLIST, DESIGNLIST?
//   TARGETLIST: TARGET+
//   TARGET: NAME, SETTINGLIST, FILELIST?, LINKORDER?, SEGMENTLIST?,
//           OVERLAYGROUPLIST?, SUBTARGETLIST?, SUBPROJECTLIST?, FRAMEWORKLIST?,
//           SUBPROJECTLIST?, PACKAGEACTIONLIST?
// Each reader returns true when it has read its element to the close tag and
// false at the first token that does not fit, leaving that token pending.
#include "cli/project_converter.h"

namespace tessaly {

bool ProjectConverter::readProject() {
    if (!xmlReader.expectOpenTag("PROJECT") || !readTargetList() || !readTargetOrder() ||
        !readGroupList()) {
        return false;
    }
    readDesignList();
    return xmlReader.expectCloseTag("PROJECT");
}

bool ProjectConverter::readTargetList() {
    if (!xmlReader.expectOpenTag("TARGETLIST")) {
        return false;
    }
    std::unique_ptr<GroupNode> target;
    if (!readTarget(target)) {
        return false;
    }
    // A target joins the tree only once it has been read completely.
    do {
        rootGroup->addChild(std::move(target));
    } while (readTarget(target));
    return xmlReader.expectCloseTag("TARGETLIST");
}

bool ProjectConverter::readTarget(std::unique_ptr<GroupNode>& node) {
    std::string name;
    if (!xmlReader.expectOpenTag("TARGET") || !readTextElement("NAME", name)) {
        return false;
    }
    node = std::make_unique<GroupNode>(name);
    if (!readSettingList(*node)) {
        return false;
    }
    // Optional sections: a reader that refuses its first token has consumed
    // nothing, so the next one sees the same token.
    readFileList();
    readLinkOrder();
    readSegmentList();
    readOverlayGroupList();
    readSubTargetList();
    readSubProjectList();
    readFrameworkList();
    readSubProjectList();
    readPackageActionList();
    return xmlReader.expectCloseTag("TARGET");
}

bool ProjectConverter::readTextElement(std::string_view element, std::string& out) {
    return xmlReader.expectOpenTag(element) && xmlReader.readText(out) &&
           xmlReader.expectCloseTag(element);
}

// An optional element is tried once and its result ignored: when it breaks
// off, the next step refuses the token it left pending.
bool ProjectConverter::readOptionalTextElement(const char* element) {
    std::string dropped;
    readTextElement(element, dropped);
    return true;
}

bool ProjectConverter::readFileLocation(FileLocation& location) {
    if (!readTextElement("PATHTYPE", location.pathType)) {
        return false;
    }
    readPathRoot(location.pathRoot);
    readAccessPath(location.accessPath);
    return readPath(location.path);
}

bool ProjectConverter::readRootFileRef() {
    FileLocation dropped;
    if (!xmlReader.expectOpenTag("ROOTFILEREF") || !readFileLocation(dropped)) {
        return false;
    }
    readOptionalTextElement("PATHFORMAT");
    return xmlReader.expectCloseTag("ROOTFILEREF");
}

}  // namespace tessaly
