// An export cut off at every byte offset: every cut before the end of the
// project's close tag ends in the "unexpected EOF" report with nothing
// written, after the "adding file" lines of the references read before the
// cut, exactly as the whole file prints them; every later cut converts
// completely, and no cut crashes or hangs. The converter runs in-process
// (thousands of runs), on the real file system.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/project_converter.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "support/recording_console.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;

const std::string kEof = message::failure(ErrorCode::UnexpectedEnd, "");

class Truncation : public ::testing::TestWithParam<const char*> {};

TEST_P(Truncation, EveryCutEndsInTheEofReportOrAFullConversion) {
    const std::string whole = readFile(fs::path(TESSALY_TEST_DATA) / GetParam());
    const std::string_view closeTag = "</PROJECT>";
    ASSERT_NE(whole.rfind(closeTag), std::string::npos);
    const std::size_t projectEnd = whole.rfind(closeTag) + closeTag.size();

    TempFolder work;
    const fs::path source = work.path() / "cut.mcp.xml";
    const fs::path dest = work.path() / "out";
    fs::create_directory(dest);

    // A group list reference is placed as soon as its close tag is read.
    const std::size_t groupList = whole.find("<GROUPLIST>");
    const auto referencesRead = [&](std::size_t length) {
        std::size_t count = 0;
        for (std::size_t at = groupList; at < length; ++at) {
            at = whole.find("</FILEREF>", at);
            if (at == std::string::npos || at + std::string_view("</FILEREF>").size() > length) {
                break;
            }
            ++count;
        }
        return count;
    };
    const auto convert = [&](int& result) {
        RecordingConsole console;
        ProjectConverter converter(source.string(), dest.string(), "", systemPlatform(), console);
        converter.projectName = "cut";
        result = converter.run();
        return console.lines;
    };
    std::vector<std::string> wholeLines;
    {
        std::ofstream(source, std::ios::binary) << whole;
        int result = -1;
        wholeLines = convert(result);
        ASSERT_EQ(result, 1);
        fs::remove_all(dest);
        fs::create_directory(dest);
    }

    // The cuts grow by one byte each: appending keeps the file system from
    // freeing and reallocating the file's blocks on every run.
    std::ofstream growing(source, std::ios::binary | std::ios::trunc);
    for (std::size_t length = 0; length < whole.size(); growing.put(whole[length++])) {
        growing.flush();
        int result = -1;
        const std::vector<std::string> lines = convert(result);
        ASSERT_FALSE(lines.empty()) << "cut at " << length;
        if (length < projectEnd) {
            ASSERT_EQ(result, 0) << "cut at " << length;
            ASSERT_EQ(lines.back(), kEof) << "cut at " << length;
            // The references read before the cut, including those held back
            // behind a look-up by name, are all placed, in order.
            ASSERT_EQ(lines.size(), referencesRead(length) + 1) << "cut at " << length;
            for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
                ASSERT_TRUE(lines[i].starts_with(message::addingFile("")) ||
                            lines[i].starts_with(message::fileNotFound("")))
                    << "cut at " << length << ": " << lines[i];
                ASSERT_EQ(lines[i], wholeLines[i]) << "cut at " << length;
            }
            ASSERT_TRUE(fs::is_empty(dest)) << "cut at " << length;
        } else {
            ASSERT_EQ(result, 1) << "cut at " << length;
            ASSERT_EQ(lines.back(), message::projectCompleted());
            for (const std::string& line : lines) {
                ASSERT_FALSE(line.starts_with("CW Project file parsing")) << line;
            }
            ASSERT_TRUE(fs::exists(dest / "cut.prj"));
            fs::remove_all(dest);
            fs::create_directory(dest);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, Truncation,
                         ::testing::Values("truncation/sample.mcp.xml",
                                           "crlf_ctrlz/input/crlf.mcp.xml"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return info.index == 0 ? std::string("LfExport")
                                                    : std::string("CrLfExportWithCtrlZ");
                         });

}  // namespace
}  // namespace tessaly::testing
