// Sections that describe linking and packaging. The analysis project needs
// none of them, but the grammar is strict, so each is read in its place and
// dropped ("?" optional, "*" zero or more, "+" one or more):
//   LINKORDER: FILEREF*              SEGMENTLIST: SEGMENT+
//   SEGMENT: NAME, ATTRIBUTES?, FILEREF*
//   OVERLAYGROUPLIST: OVERLAYGROUP+  OVERLAYGROUP: NAME, BASEADDRESS, OVERLAY*
//   OVERLAY: NAME, FILEREF*          SUBTARGETLIST: SUBTARGET+
//   SUBTARGET, SUBPROJECTTARGET: TARGETNAME, ATTRIBUTES?, FILEREF?
//   SUBPROJECTLIST: SUBPROJECT+      SUBPROJECT: FILEREF, SUBPROJECTTARGETLIST
//   SUBPROJECTTARGETLIST: SUBPROJECTTARGET*
//   FRAMEWORKLIST: FRAMEWORK+        FRAMEWORK: FILEREF, DYNAMICLIBRARY?, VERSION?
//   DYNAMICLIBRARY: FILEREF or a text (the library's name)
//   PACKAGEACTIONLIST: PACKAGEACTION+ (texts), or in its place the
//     PACKAGEACTIONSLIST of Mac OS X exports, dropped whole
//   TARGETORDER: (ORDEREDTARGET | ORDEREDDESIGN)*
//   ORDEREDTARGET: NAME              ORDEREDDESIGN: NAME, ORDEREDTARGET+
//   DESIGNLIST: DESIGN+              DESIGN: NAME, DESIGNDATA
// File references here are read while the group list is not, so no path is
// resolved and nothing reaches the output.
#include "cli/project_converter.h"

namespace tessaly {

bool ProjectConverter::readRepeated(ItemReader item, bool atLeastOne) {
    if (atLeastOne && !(this->*item)()) {
        return false;
    }
    while ((this->*item)()) {
    }
    return true;
}

bool ProjectConverter::readListOf(const char* element, ItemReader item, bool atLeastOne) {
    return xmlReader.expectOpenTag(element) && readRepeated(item, atLeastOne) &&
           xmlReader.expectCloseTag(element);
}

bool ProjectConverter::readRequiredFileRef() {
    std::string targetName;
    FileLocation location;
    return readFileRef(targetName, location);
}

bool ProjectConverter::readOptionalFileRef() {
    readRequiredFileRef();
    return true;
}

bool ProjectConverter::readFileRefs() {
    return readRepeated(&ProjectConverter::readRequiredFileRef, false);
}

bool ProjectConverter::readLinkOrder() {
    return readListOf("LINKORDER", &ProjectConverter::readRequiredFileRef, false);
}

bool ProjectConverter::readSegmentList() {
    return readListOf("SEGMENTLIST", &ProjectConverter::readSegment, true);
}

bool ProjectConverter::readSegment() {
    std::string dropped;
    return xmlReader.expectOpenTag("SEGMENT") && readTextElement("NAME", dropped) &&
           readOptionalTextElement("ATTRIBUTES") && readFileRefs() &&
           xmlReader.expectCloseTag("SEGMENT");
}

bool ProjectConverter::readOverlayGroupList() {
    return readListOf("OVERLAYGROUPLIST", &ProjectConverter::readOverlayGroup, true);
}

bool ProjectConverter::readOverlayGroup() {
    std::string dropped;
    return xmlReader.expectOpenTag("OVERLAYGROUP") && readTextElement("NAME", dropped) &&
           readTextElement("BASEADDRESS", dropped) &&
           readRepeated(&ProjectConverter::readOverlay, false) &&
           xmlReader.expectCloseTag("OVERLAYGROUP");
}

bool ProjectConverter::readOverlay() {
    std::string dropped;
    return xmlReader.expectOpenTag("OVERLAY") && readTextElement("NAME", dropped) &&
           readFileRefs() && xmlReader.expectCloseTag("OVERLAY");
}

bool ProjectConverter::readSubTargetList() {
    return readListOf("SUBTARGETLIST", &ProjectConverter::readSubTarget, true);
}

// SUBTARGET and SUBPROJECTTARGET: TARGETNAME, ATTRIBUTES?, FILEREF?
bool ProjectConverter::readTargetReference(const char* element) {
    std::string dropped;
    return xmlReader.expectOpenTag(element) && readTextElement("TARGETNAME", dropped) &&
           readOptionalTextElement("ATTRIBUTES") && readOptionalFileRef() &&
           xmlReader.expectCloseTag(element);
}

bool ProjectConverter::readSubTarget() {
    return readTargetReference("SUBTARGET");
}

bool ProjectConverter::readSubProjectList() {
    return readListOf("SUBPROJECTLIST", &ProjectConverter::readSubProject, true);
}

bool ProjectConverter::readSubProject() {
    return xmlReader.expectOpenTag("SUBPROJECT") && readRequiredFileRef() &&
           readSubProjectTargetList() && xmlReader.expectCloseTag("SUBPROJECT");
}

bool ProjectConverter::readSubProjectTargetList() {
    return readListOf("SUBPROJECTTARGETLIST", &ProjectConverter::readSubProjectTarget, false);
}

bool ProjectConverter::readSubProjectTarget() {
    return readTargetReference("SUBPROJECTTARGET");
}

bool ProjectConverter::readFrameworkList() {
    return readListOf("FRAMEWORKLIST", &ProjectConverter::readFramework, true);
}

bool ProjectConverter::readFramework() {
    if (!xmlReader.expectOpenTag("FRAMEWORK") || !readRequiredFileRef()) {
        return false;
    }
    readDynamicLibrary();
    readOptionalTextElement("VERSION");
    return xmlReader.expectCloseTag("FRAMEWORK");
}

bool ProjectConverter::readDynamicLibrary() {
    std::string dropped;
    if (!xmlReader.expectOpenTag("DYNAMICLIBRARY")) {
        return false;
    }
    if (!readRequiredFileRef() && !xmlReader.readText(dropped)) {
        return false;
    }
    return xmlReader.expectCloseTag("DYNAMICLIBRARY");
}

bool ProjectConverter::readPackageActionList() {
    if (xmlReader.expectOpenTag("PACKAGEACTIONSLIST")) {
        return xmlReader.skipElementContent("PACKAGEACTIONSLIST");
    }
    return readListOf("PACKAGEACTIONLIST", &ProjectConverter::readPackageAction, true);
}

bool ProjectConverter::readPackageAction() {
    std::string dropped;
    return readTextElement("PACKAGEACTION", dropped);
}

bool ProjectConverter::readTargetOrder() {
    if (!xmlReader.expectOpenTag("TARGETORDER")) {
        return false;
    }
    while (readOrderedTarget() || readOrderedDesign()) {
    }
    return xmlReader.expectCloseTag("TARGETORDER");
}

bool ProjectConverter::readOrderedTarget() {
    std::string dropped;
    return xmlReader.expectOpenTag("ORDEREDTARGET") && readTextElement("NAME", dropped) &&
           xmlReader.expectCloseTag("ORDEREDTARGET");
}

bool ProjectConverter::readOrderedDesign() {
    std::string dropped;
    return xmlReader.expectOpenTag("ORDEREDDESIGN") && readTextElement("NAME", dropped) &&
           readRepeated(&ProjectConverter::readOrderedTarget, true) &&
           xmlReader.expectCloseTag("ORDEREDDESIGN");
}

bool ProjectConverter::readDesignList() {
    return readListOf("DESIGNLIST", &ProjectConverter::readDesign, true);
}

bool ProjectConverter::readDesign() {
    std::string dropped;
    return xmlReader.expectOpenTag("DESIGN") && readTextElement("NAME", dropped) &&
           readTextElement("DESIGNDATA", dropped) && xmlReader.expectCloseTag("DESIGN");
}

}  // namespace tessaly
