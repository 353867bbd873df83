#include "cli/export_command.h"

#include "cli/path_normalisation.h"
#include "cwproject/path_rules.h"
#include "mcp/byte_view.h"
#include "mcp/project_source.h"
#include "output/replaced_file.h"
#include "platform/messages.h"

namespace tessaly {

namespace {

bool writeExport(Platform& platform, const std::string& path, const std::string& text) {
    ReplacedFile file(platform, path);
    if (!file.open()) {
        return false;
    }
    file.text().write(text);
    return file.commit();
}

bool sameFile(Platform& platform, const std::string& a, const std::string& b) {
    const auto identity = platform.folderIdentity(a);
    return identity && identity == platform.folderIdentity(b);
}

}  // namespace

int exportBinaryProject(const std::vector<std::string>& arguments, Platform& platform,
                        Console& console) {
    if (arguments.size() < 2) {
        console.line(message::exportUsage());
        return 1;
    }
    const std::string source = normalisePath(arguments[0], platform);
    const std::string target = normalisePath(arguments[1], platform);
    const std::unique_ptr<InputFile> input = platform.openRegularFile(source);
    if (!input) {
        console.line(message::failure(ErrorCode::CannotOpen, source));
        return 1;
    }
    try {
        // No CodeWarrior folder is given here: only the disk below the
        // other roots can tell a file's folder.
        const PathRules rules(platform, source, "");
        const std::optional<std::string> text =
            binaryProjectExport(*input, console, [&](const FileLocation& location) {
                return location.pathRoot != "CodeWarrior" && rules.locatesFile(location);
            });
        if (!text) {
            console.line(message::notBinaryProject(source));
            return 1;
        }
        if (sameFile(platform, source, target) || !writeExport(platform, target, *text)) {
            console.line(message::failure(ErrorCode::CannotWriteFile, target));
            return 1;
        }
    } catch (const DamagedProjectError& error) {
        console.line(message::damagedProject(error.reason()));
        return 1;
    }
    console.line(message::exportWritten(target));
    return 0;
}

}  // namespace tessaly
