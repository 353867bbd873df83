// libFuzzer target: arbitrary bytes as the exported project, through the whole
// run (reader, grammar, settings, groups, writer), once with every file
// accepted and once with the extension filter "c,h". Built a second time as
// fuzz_binary_project (TESSALY_FUZZ_BINARY), which makes every input a
// binary project file: one that does not start like one gets the magic of
// the order its first byte's low bit picks. Each run writes into a
// fresh, empty destination folder inside a temporary folder of this process.
// Besides the sanitizers' findings, a run that breaks one of the rules of
// conversion_checks.h is a finding.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "cli/project_converter.h"
#include "conversion_checks.h"
#include "mcp/apple_single.h"
#include "mcp/container.h"
#include "platform/console.h"
#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

class LastLineConsole final : public tessaly::Console {
  public:
    std::string last;

  private:
    void writeLine(std::string_view text) override { last.assign(text); }
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
    const std::string fault = tessaly::testing::conversionFault(
        workspace->folder, workspace->source, workspace->destination, "fuzz", console.last);
    if (!fault.empty()) {
        std::fprintf(stderr, "fuzz_conversion: %s\n", fault.c_str());
        std::abort();
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
    std::string bytes(reinterpret_cast<const char*>(data), size);
#ifdef TESSALY_FUZZ_BINARY
    if (!tessaly::isBinaryProject(bytes) && !tessaly::isAppleSingle(bytes)) {
        bytes.insert(0, size > 0 && (data[0] & 1) != 0 ? "looc" : "cool");
    }
#endif
    std::FILE* file = std::fopen(workspace->source.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0) {
        std::perror("writing the export");
        std::abort();
    }
    convert(false);
    convert(true);
    return 0;
}
