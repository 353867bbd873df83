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

// An export of `targets` targets, each with its own personality and `groups`
// groups of `files` files, half of them headers.
inline std::string projectOfSize(int targets, int groups, int files) {
    std::string targetList;
    std::string groupList;
    for (int t = 0; t < targets; ++t) {
        const std::string number = std::to_string(t);
        const std::string name = 'T' + number;
        targetList += target(name, 'D' + number, "1");
        for (int g = 0; g < groups; ++g) {
            std::string refs;
            for (int f = 0; f < files; ++f) {
                refs += fileRef(name, "/src/" + name + "/g" + std::to_string(g) + "/f" +
                                          std::to_string(f) + (f % 2 == 0 ? ".c" : ".h"));
            }
            groupList += group('G' + std::to_string(g), refs);
        }
    }
    return project(targetList, groupList);
}

}  // namespace tessaly::testing::xml
