// Builds small exports in the exporter's shape and parses them with a
// converter whose platform is the Windows-convention double.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cli/project_converter.h"
#include "platform/fake_platform.h"
#include "support/recording_console.h"

namespace tessaly::testing {

// A SETTINGLIST with one harmless setting.
inline const std::string kMinimalSettings =
    "<SETTINGLIST><SETTING><NAME>Linker</NAME><VALUE>None</VALUE></SETTING></SETTINGLIST>";

std::string element(const std::string& name, const std::string& content);
std::string setting(const std::string& name, const std::string& value);
std::string settingGroup(const std::string& name, const std::string& children);
std::string fileRef(const std::string& target, const std::string& pathType, const std::string& root,
                    const std::string& access, const std::string& path);
std::string target(const std::string& name, const std::string& settings = kMinimalSettings,
                   const std::string& sections = "");
std::string project(const std::string& targets,
                    const std::string& groupList = "<GROUPLIST></GROUPLIST>",
                    const std::string& targetOrder = "<TARGETORDER></TARGETORDER>",
                    const std::string& afterGroupList = "");

struct ParseResult {
    explicit ParseResult(PathStyle style) : platform(style) {}
    FakePlatform platform;
    RecordingConsole console;
    std::unique_ptr<ProjectConverter> converter;
    bool complete = false;
    std::string pendingToken;
    std::optional<ErrorCode> errorCode;  // when the input ended early
};

// Parses the export as if it were C:\work\demo\demo.mcp.xml, with the
// CodeWarrior folder C:\CW (on POSIX /work/demo/demo.mcp.xml and /CW).
// `prepare` runs before the parse, to populate the platform or set options
// on the converter.
std::unique_ptr<ParseResult> parse(const std::string& xml,
                                   const std::function<void(ParseResult&)>& prepare = {},
                                   PathStyle style = PathStyle::Windows);

}  // namespace tessaly::testing
