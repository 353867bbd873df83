// tesscli with a counting platform. Takes tesscli's arguments, converts the
// same way and prints the same lines on standard output; then writes on
// standard error, one "key=value" a line, how many file-system calls the
// parse and the writing made and how much the group tree held:
//   parse_exists      existence probes while reading (the Name look-ups)
//   write_exists      existence probes while writing
//   write_kind        entry-kind queries while writing (links are looked for)
//   mkdir, created    directory creations asked for / that made a directory
//   list, status, identity, root  the calls of recursive expansion (the
//                                 identity: while reading only, as the writer
//                                 compares a few files with the inputs)
//   nodes, files, path_bytes      the tree: nodes, file paths, bytes of all
//                                 paths held (files and include folders)
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "counting_platform.h"
#include "output/io_error.h"
#include "platform/messages.h"

namespace {

using tessaly::GroupNode;
using tessaly::bench::PlatformCounts;

struct TreeSize {
    unsigned long long nodes = 0;
    unsigned long long files = 0;
    unsigned long long pathBytes = 0;
};

TreeSize measureTree(const GroupNode& root) {
    TreeSize size;
    std::vector<const GroupNode*> pending{&root};
    while (!pending.empty()) {
        const GroupNode* node = pending.back();
        pending.pop_back();
        ++size.nodes;
        size.files += node->files.size();
        for (const auto* list :
             {&node->files, &node->userIncludePaths, &node->systemIncludePaths}) {
            for (const std::string& path : *list) {
                size.pathBytes += path.size();
            }
        }
        for (const auto& child : node->children) {
            pending.push_back(child.get());
        }
    }
    return size;
}

void report(const char* key, unsigned long long value) {
    std::fprintf(stderr, "%s=%llu\n", key, value);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    tessaly::Console& console = tessaly::standardOutput();
    if (arguments.size() < 3) {
        tessaly::printUsage(console);
        return 0;
    }
    tessaly::bench::CountingPlatform platform(tessaly::systemPlatform());
    auto converter = tessaly::makeConverter(arguments, platform, console);
    const PlatformCounts before = platform.counts;
    PlatformCounts afterParse;
    // The steps of ProjectConverter::run, with the counts taken between the
    // parse and the writing.
    try {
        converter->xmlReader.open(platform.openForReading(converter->sourceProjectPath));
        if (!converter->readProject() && converter->xmlReader.good()) {
            console.line(tessaly::message::unexpectedToken(converter->xmlReader.currentText()));
        }
        afterParse = platform.counts;
        converter->writeProject();
    } catch (const tessaly::XMLReaderError& error) {
        std::fprintf(stderr, "error=%s\n",
                     tessaly::message::failure(error.code(), converter->sourceProjectPath).c_str());
        return 1;
    } catch (const tessaly::IOERROR& error) {
        std::fprintf(stderr, "error=%s\n",
                     tessaly::message::failure(error.code, error.path()).c_str());
        return 1;
    }
    const PlatformCounts& after = platform.counts;
    report("parse_exists", afterParse.exists - before.exists);
    report("write_exists", after.exists - afterParse.exists);
    report("write_kind", after.entryKind - afterParse.entryKind);
    report("mkdir", after.makeDirectory - before.makeDirectory);
    report("created", after.directoriesCreated - before.directoriesCreated);
    report("list", after.listDirectory - before.listDirectory);
    report("status", after.directoryFacts - before.directoryFacts);
    report("identity", afterParse.folderIdentity - before.folderIdentity);
    report("root", after.isFileSystemRoot - before.isFileSystemRoot);
    const TreeSize tree = measureTree(*converter->rootGroup);
    report("nodes", tree.nodes);
    report("files", tree.files);
    report("path_bytes", tree.pathBytes);
    return 0;
}
