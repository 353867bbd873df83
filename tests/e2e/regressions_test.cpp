// Every input that once broke the converter, kept in tests/data/regressions/
// (one line on each in its README.md), converted in this process once with
// every file accepted and once with the extension filter "c,h", each into a
// fresh destination, and held to the rules the fuzzer checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/project_converter.h"
#include "fuzz/conversion_checks.h"
#include "support/recording_console.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kRegressions = fs::path(TESSALY_TEST_DATA) / "regressions";
const std::string kProjectName = "p";

TEST(Regressions, EveryKeptInputConvertsByTheRules) {
    int inputs = 0;
    for (const fs::directory_entry& input : fs::directory_iterator(kRegressions)) {
        if (input.path().filename() == "README.md") {
            continue;
        }
        ++inputs;
        for (const std::string extensions : {"", "c,h"}) {
            SCOPED_TRACE(input.path().filename().string() + " with extensions \"" + extensions +
                         "\"");
            TempFolder work;
            const fs::path source = work.path() / "p.mcp.xml";
            const fs::path dest = work.path() / "out";
            fs::copy_file(input.path(), source);
            fs::create_directory(dest);
            RecordingConsole console;
            {
                ProjectConverter converter(source.string(), dest.string(), "", systemPlatform(),
                                           console);
                converter.projectName = kProjectName;
                if (!extensions.empty()) {
                    converter.addFileExtensions(extensions);
                }
                converter.run();
            }

            ASSERT_FALSE(console.lines.empty());
            EXPECT_EQ(
                conversionFault(work.path(), source, dest, kProjectName, console.lines.back()), "");
        }
    }
    EXPECT_GT(inputs, 0);
}

}  // namespace
}  // namespace tessaly::testing
