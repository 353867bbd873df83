// Exports written by the tests themselves, in the compact form of the
// elements the converter reads: a target list, an empty target order and a
// group list.
#pragma once

#include <string>

namespace tessaly::testing::xml {

inline std::string project(const std::string& targets, const std::string& groups) {
    return "<?xml version=\"1.0\"?>\n<PROJECT><TARGETLIST>\n" + targets +
           "</TARGETLIST><TARGETORDER></TARGETORDER>\n<GROUPLIST>\n" + groups +
           "</GROUPLIST></PROJECT>\n";
}

// A target whose compiler panel defines the name as the value, so that it
// gets an analyser personality of its own; without a name, a target with one
// setting that gives it none.
inline std::string target(const std::string& name, const std::string& defineName = "",
                          const std::string& defineValue = "") {
    const std::string setting =
        defineName.empty() ? "<!-- Settings for \"Target Settings\" panel -->"
                             "<SETTING><NAME>n</NAME><VALUE>v</VALUE></SETTING>"
                           : "<!-- Settings for \"C/C++ Compiler\" panel --><SETTING><NAME>" +
                                 defineName + "</NAME><VALUE>" + defineValue + "</VALUE></SETTING>";
    return "<TARGET><NAME>" + name + "</NAME><SETTINGLIST>" + setting + "</SETTINGLIST></TARGET>\n";
}

// A reference to a file by its absolute path.
inline std::string fileRef(const std::string& targetName, const std::string& path) {
    return "<FILEREF><TARGETNAME>" + targetName +
           "</TARGETNAME><PATHTYPE>Absolute</PATHTYPE><PATHROOT>Absolute</PATHROOT><PATH>" + path +
           "</PATH></FILEREF>\n";
}

inline std::string group(const std::string& name, const std::string& content) {
    return "<GROUP><NAME>" + name + "</NAME>" + content + "</GROUP>\n";
}

}  // namespace tessaly::testing::xml
