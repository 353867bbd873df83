// A generated analyser personality: the node's include paths and macro
// definitions as "-i", "-q" and "-d" lines, followed by the whole text of the
// analyser personality given on the command line.
#include "output/io_error.h"
#include "output/project_writer.h"
#include "platform/messages.h"
#include "xml/text_input.h"

namespace tessaly {

namespace {

std::string quoted(const std::string& text) {
    return '"' + text + '"';
}

}  // namespace

void ProjectWriter::writeAnalyserPersonality(const GroupNode& node, const std::string& folder,
                                             const std::string& filePath) {
    ensureDirectory(join(folder, "person") + separator_);
    replaceFile(filePath, [&](TextOutput& file) {
        const auto writeLine = [&file](const std::string& text) {
            file.line(text);
            file.flush();
        };
        for (const std::string& path : node.userIncludePaths) {
            writeLine("-i " + quoted(path));
        }
        for (const std::string& path : node.systemIncludePaths) {
            writeLine("-i " + quoted(path));
            writeLine("-q " + quoted(path));
        }
        for (const auto& [name, value] : node.defines) {
            writeLine("-d " + quoted(name + '=' + value));
        }
        if (!settings_.analyserPersonality.empty()) {
            appendGivenAnalyserPersonality(file);
        }
    });
}

// Read as text (CR LF reads as LF, no byte ends it early) and written
// through the same translation, so the whole file has CR LF line ends. Only
// a regular file is read: a device or a pipe could be endless.
void ProjectWriter::appendGivenAnalyserPersonality(TextOutput& file) {
    std::unique_ptr<InputFile> givenFile = platform_.openRegularFile(settings_.analyserPersonality);
    if (!givenFile) {
        console_.line(message::cannotOpenGivenPersonality());
        return;
    }
    TextInput given;
    given.open(std::move(givenFile));
    while (given.fill()) {
        file.write(std::string_view(given.data(), given.available()));
        given.skip(given.available());
    }
}

}  // namespace tessaly
