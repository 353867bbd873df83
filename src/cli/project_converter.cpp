#include "cli/project_converter.h"

#include "mcp/byte_view.h"
#include "mcp/project_source.h"
#include "output/ascii_case.h"
#include "output/io_error.h"
#include "output/project_writer.h"
#include "platform/messages.h"

namespace tessaly {

namespace {

std::string resolveCodeWarriorDir(std::string given, Platform& platform) {
    return given.empty() ? codeWarriorDirFromRegistry(platform) : given;
}

}  // namespace

ProjectConverter::ProjectConverter(std::string sourceProjectPath, std::string destFolder,
                                   std::string codeWarriorDir, Platform& platform, Console& console)
    : sourceProjectPath(std::move(sourceProjectPath)),
      destFolder(std::move(destFolder)),
      codeWarriorDir(resolveCodeWarriorDir(std::move(codeWarriorDir), platform)),
      rootGroup(std::make_unique<GroupNode>("root")),
      platform_(platform),
      console_(console),
      pathRules_(platform, this->sourceProjectPath, this->codeWarriorDir) {}

void ProjectConverter::addFileExtensions(const std::string& text) {
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos;
         start = comma + 1) {
        fileExtensions.push_back(text.substr(start, comma - start));
    }
    fileExtensions.push_back(text.substr(start));
}

bool ProjectConverter::acceptFile(const std::string& path) const {
    if (fileExtensions.empty()) {
        return true;
    }
    const auto dot = path.rfind('.');
    const std::string_view extension =
        dot == std::string::npos ? std::string_view(path) : std::string_view(path).substr(dot + 1);
    for (const std::string& entry : fileExtensions) {
        if (equalIgnoringAsciiCase(entry, extension)) {
            return true;
        }
    }
    return false;
}

int ProjectConverter::run() {
    try {
        xmlReader.open(openProjectSource(
            platform_, sourceProjectPath, console_,
            [this](const FileLocation& location) { return pathRules_.locatesFile(location); }));
        const bool ok = readProject();
        if (!ok && xmlReader.good()) {
            print(message::unexpectedToken(xmlReader.currentText()));
        }
        if (filesMissing_ != 0) {
            print(message::filesNotFound(filesMissing_, filesConsidered_));
        }
        return writeProject();
    } catch (const XMLReaderError& error) {
        print(message::failure(error.code(), sourceProjectPath));
    } catch (const IOERROR& error) {
        print(message::failure(error.code, error.path()));
    } catch (const DamagedProjectError& error) {
        print(message::damagedProject(error.reason()));
    } catch (const NotAProjectError&) {
        print(message::notAProject(sourceProjectPath));
    }
    return 0;
}

int ProjectConverter::writeProject() {
    OutputSettings settings{destFolder,          projectName,         messagePersonality,
                            analyserPersonality, compilerPersonality, sourceProjectPath};
    if (!compilationDatabase.empty()) {
        settings.compilationDatabase = compilationDatabase;
        const std::string& root = pathRules_.projectRoot();
        settings.compilationDirectory = root.substr(0, root.empty() ? 0 : root.size() - 1);
        settings.findOnAccessPaths = [this](const GroupNode& target, const std::string& name) {
            return pathRules_.findOnTargetAccessPaths(target, name);
        };
    }
    ProjectWriter writer(std::move(settings), platform_, console_);
    return writer.writeProject(*rootGroup);
}

}  // namespace tessaly
