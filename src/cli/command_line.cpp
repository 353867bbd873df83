#include "cli/command_line.h"

#include "cli/export_command.h"
#include "cli/path_normalisation.h"
#include "platform/messages.h"

namespace tessaly {

void printUsage(Console& console) {
    console.line(message::usageLine1());
    console.line(message::usageLine2());
}

std::string defaultProjectName(const std::string& sourceProjectPath, char separator) {
    std::string name = sourceProjectPath.substr(0, sourceProjectPath.rfind('.'));
    const auto lastSeparator = name.rfind(separator);
    const std::size_t start = lastSeparator == std::string::npos ? 0 : lastSeparator + 1;
    const auto lastDot = name.rfind('.');
    if (lastDot == std::string::npos || lastDot < start) {
        return name.substr(start);
    }
    return name.substr(start, lastDot - start);
}

namespace {

// Every argument is examined as an option, the positional ones and the
// values included; the value is always the argument that follows. An option
// in the last place has no value and is ignored.
void applyOptions(const std::vector<std::string>& arguments, ProjectConverter& converter,
                  Platform& platform) {
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const std::string& value = arguments[i + 1];
        if (option == "-pn") {
            converter.projectName = value;
        } else if (option == "-mp") {
            converter.messagePersonality = normalisePath(value, platform);
        } else if (option == "-ap") {
            converter.analyserPersonality = normalisePath(value, platform);
        } else if (option == "-cp") {
            converter.compilerPersonality = normalisePath(value, platform);
        } else if (option == "-ext") {
            converter.addFileExtensions(value);
        } else if (option == "-cdb") {
            converter.compilationDatabase = normalisePath(value, platform);
        }
    }
}

}  // namespace

std::unique_ptr<ProjectConverter> makeConverter(const std::vector<std::string>& arguments,
                                                Platform& platform, Console& console) {
    auto converter = std::make_unique<ProjectConverter>(normalisePath(arguments.at(0), platform),
                                                        normalisePath(arguments.at(1), platform),
                                                        arguments.at(2), platform, console);
    converter->projectName = defaultProjectName(converter->sourceProjectPath, platform.separator());
    applyOptions(arguments, *converter, platform);
    return converter;
}

namespace {

int convert(const std::vector<std::string>& arguments, Platform& platform, Console& console) {
    if (!arguments.empty() && arguments[0] == kExportOption) {
        return exportBinaryProject({arguments.begin() + 1, arguments.end()}, platform, console);
    }
    if (!arguments.empty() && arguments[0] == "--version") {
        console.line(message::version());
        return 0;
    }
    if (arguments.size() < 3) {
        printUsage(console);
        return 0;
    }
    // The run reports the failures it expects; anything else (memory
    // exhaustion, a library error) still ends in one line and a failure.
    try {
        return makeConverter(arguments, platform, console)->run() != 0 ? 0 : 1;
    } catch (const std::exception& error) {
        console.line(message::conversionFailed(error.what()));
    } catch (...) {
        console.line(message::conversionFailed("unknown error"));
    }
    return 1;
}

}  // namespace

int runCommandLine(const std::vector<std::string>& arguments, Platform& platform,
                   Console& console) {
    const int status = convert(arguments, platform, console);
    // Lost messages are a failure too, once the project is written.
    return console.failed() ? 1 : status;
}

}  // namespace tessaly
