#include "cwproject/parse_test_support.h"

#include "support/memory_file.h"

namespace tessaly::testing {

std::string element(const std::string& name, const std::string& content) {
    return "<" + name + ">" + content + "</" + name + ">";
}

std::string setting(const std::string& name, const std::string& value) {
    return "<SETTING>" + (name.empty() ? "" : element("NAME", name)) + element("VALUE", value) +
           "</SETTING>";
}

std::string settingGroup(const std::string& name, const std::string& children) {
    return "<SETTING>" + (name.empty() ? "" : element("NAME", name)) + children + "</SETTING>";
}

std::string fileRef(const std::string& target, const std::string& pathType, const std::string& root,
                    const std::string& access, const std::string& path) {
    std::string content = target.empty() ? "" : element("TARGETNAME", target);
    content += element("PATHTYPE", pathType);
    content += root.empty() ? "" : element("PATHROOT", root);
    content += access.empty() ? "" : element("ACCESSPATH", access);
    content += element("PATH", path) + element("PATHFORMAT", "Windows");
    return element("FILEREF", content);
}

std::string target(const std::string& name, const std::string& settings,
                   const std::string& sections) {
    return element("TARGET", element("NAME", name) + settings + sections);
}

std::string project(const std::string& targets, const std::string& groupList,
                    const std::string& targetOrder, const std::string& afterGroupList) {
    return "<?xml version=\"1.0\"?>\n<PROJECT>" + element("TARGETLIST", targets) + targetOrder +
           groupList + afterGroupList + "</PROJECT>";
}

std::unique_ptr<ParseResult> parse(const std::string& xml,
                                   const std::function<void(ParseResult&)>& prepare,
                                   PathStyle style) {
    auto result = std::make_unique<ParseResult>(style);
    if (style == PathStyle::Windows) {
        result->platform.setCurrentDirectory("C:\\work");
        result->converter = std::make_unique<ProjectConverter>(
            "C:\\work\\demo\\demo.mcp.xml", "C:\\out", "C:\\CW", result->platform, result->console);
    } else {
        result->platform.setCurrentDirectory("/work");
        result->converter = std::make_unique<ProjectConverter>(
            "/work/demo/demo.mcp.xml", "/out", "/CW", result->platform, result->console);
    }
    if (prepare) {
        prepare(*result);
    }
    try {
        result->converter->xmlReader.open(memoryFile(xml));
        result->complete = result->converter->readProject();
        result->pendingToken = result->converter->xmlReader.currentText();
    } catch (const XMLReaderError& error) {
        result->errorCode = error.code();
    }
    return result;
}

}  // namespace tessaly::testing
