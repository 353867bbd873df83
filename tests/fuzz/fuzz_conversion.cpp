// libFuzzer target: arbitrary bytes as the exported project, through the whole
// run (reader, grammar, settings, groups, writer), once with every file
// accepted and once with the extension filter "c,h". Each run writes into a
// fresh, empty destination folder inside a temporary folder of this process.
//
// Besides the sanitizers' findings, a run is a failure when it ends with any
// line other than the ones a run may end with, or when it leaves anything in
// the temporary folder beside the export and the destination folder.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "cli/console.h"
#include "cli/project_converter.h"
#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

class LastLineConsole final : public tessaly::Console {
  public:
    void line(std::string_view text) override { last.assign(text); }
    std::string last;
};

struct Workspace {
    fs::path folder;
    fs::path source;
    fs::path destination;
};

Workspace* workspace = nullptr;

void removeWorkspace() {
    if (workspace != nullptr) {
        std::error_code ignored;
        fs::remove_all(workspace->folder, ignored);
    }
}

bool isPossibleLastLine(const std::string& line) {
    return line == "Vexa/Vexa++ Project Completed!" ||
           line == "CW Project file parsing encountered unexpected EOF" ||
           line.starts_with("Could not create directory: ") ||
           line.starts_with("Could not write file: ");
}

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz_conversion: %s: %s\n", what, detail.c_str());
    std::abort();
}

void convert(bool withExtensions) {
    fs::remove_all(workspace->destination);
    fs::create_directory(workspace->destination);
    LastLineConsole console;
    {
        tessaly::ProjectConverter converter(workspace->source.string(),
                                            workspace->destination.string(), "",
                                            tessaly::systemPlatform(), console);
        converter.projectName = "fuzz";
        if (withExtensions) {
            converter.addFileExtensions("c,h");
        }
        converter.run();
    }
    if (!isPossibleLastLine(console.last)) {
        fail("unexpected last line", console.last);
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(workspace->folder)) {
        if (entry.path() != workspace->source && entry.path() != workspace->destination) {
            fail("written outside the destination", entry.path().string());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (fs::temp_directory_path() / "tessaly-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    workspace =
        new Workspace{pattern, fs::path(pattern) / "project.mcp.xml", fs::path(pattern) / "out"};
    std::atexit(removeWorkspace);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(workspace->source.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::perror("writing the export");
        std::abort();
    }
    convert(false);
    convert(true);
    return 0;
}
