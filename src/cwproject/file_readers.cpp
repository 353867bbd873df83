// A target's FILELIST (read for its structure only: the files of the analysis
// project come from the GROUPLIST) and the FILEREF element that the group
// list and the secondary sections share.
//   FILE: PATHTYPE, PATHROOT?, ACCESSPATH?, PATH, PATHFORMAT?, ROOTFILEREF?,
//         FILEKIND?, FILEFLAGS?
//   FILEREF: TARGETNAME?, PATHTYPE, PATHROOT?, ACCESSPATH?, PATH, PATHFORMAT?
#include "cli/project_converter.h"

namespace tessaly {

bool ProjectConverter::readFileList() {
    if (!xmlReader.expectOpenTag("FILELIST")) {
        return false;
    }
    while (readFile()) {
    }
    return xmlReader.expectCloseTag("FILELIST");
}

bool ProjectConverter::readFile() {
    FileLocation dropped;
    if (!xmlReader.expectOpenTag("FILE") || !readFileLocation(dropped)) {
        return false;
    }
    readOptionalTextElement("PATHFORMAT");
    readRootFileRef();
    readOptionalTextElement("FILEKIND");
    readOptionalTextElement("FILEFLAGS");
    return xmlReader.expectCloseTag("FILE");
}

bool ProjectConverter::readFileRef(std::string& targetName, FileLocation& location) {
    if (!xmlReader.expectOpenTag("FILEREF")) {
        return false;
    }
    // A broken TARGETNAME leaves its token pending for the next step to refuse.
    if (xmlReader.expectOpenTag("TARGETNAME") && xmlReader.readText(targetName)) {
        xmlReader.expectCloseTag("TARGETNAME");
    }
    if (!readFileLocation(location)) {
        return false;
    }
    readTextElement("PATHFORMAT", location.pathFormat);
    return xmlReader.expectCloseTag("FILEREF");
}

}  // namespace tessaly
