// Inputs that are no CodeWarrior project: refused by their content with one
// line and nothing written, while an empty file, a cut export and an export
// that holds something unexpected keep their own outcomes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "mcp/export_opening.h"
#include "platform/messages.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;

const std::string kProlog =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n"
    "<?codewarrior exportversion=\"1.0.1\" ideversion=\"5.0\" ?>\r\n"
    "<!-- a comment -->\r\n"
    "<!DOCTYPE PROJECT [\r\n<!ELEMENT PROJECT (TARGETLIST, TARGETORDER, GROUPLIST)>\r\n]>\r\n\r\n";

TEST(ExportOpening, TheFirstElementDecides) {
    struct Case {
        std::string text;
        Opening opening;
    };
    const Case cases[] = {
        {kProlog + "<PROJECT>", Opening::Export},
        {"<PROJECT attribute=\"x\">", Opening::Export},
        {"<!-- a > b --><PROJECT>", Opening::Export},
        {" \t\r\n<PROJECT/>", Opening::Export},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?><PROJECT>", Opening::Export},
        {kProlog + "<EXPORTEDPANEL>", Opening::NotExport},
        {kProlog + "<PROJECTS>", Opening::NotExport},
        {"<html><body>", Opening::NotExport},
        {"</PROJECT>", Opening::NotExport},
        {"[HEADER]\r\nmagic_cookie={66E99B07}", Opening::NotExport},
        {"Read me first.", Opening::NotExport},
        {"\x89PNG\r\n\x1A\n", Opening::NotExport},
        {"\xFF\xFE<\0P\0", Opening::NotExport},
        // Where the text ends before its first element, the export's reader
        // finds the end.
        {"", Opening::Undecided},
        {"\xEF\xBB\xBF", Opening::Undecided},
        {kProlog, Opening::Undecided},
        {kProlog + "<PROJ", Opening::Undecided},
        {"<", Opening::Undecided},
        {"<!DOCTYPE PROJECT [ <!ELEMENT PROJECT ANY>", Opening::Undecided},
        {"<?xml version", Opening::Undecided},
        {"<!-- <PROJECT> -", Opening::Undecided},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(exportOpening(c.text), c.opening) << c.text;
    }
}

struct Input {
    const char* name;
    std::string bytes;
    std::string line;  // the first line printed; empty: refused as no project
    int exitStatus = 1;
};

void PrintTo(const Input& input, std::ostream* out) {
    *out << input.name;
}

class SourceProjects : public ::testing::TestWithParam<Input> {};

TEST_P(SourceProjects, AreJudgedByTheirContent) {
    const Input& input = GetParam();
    TempFolder work;
    writeFile(work.path() / "in.mcp", input.bytes);
    fs::create_directory(work.path() / "out");
    const ProgramResult run = runProgram(TESSCLI_PATH, {"in.mcp", "out", ""}, work.path());
    EXPECT_EQ(run.exitStatus, input.exitStatus) << run.output;
    if (input.line.empty()) {
        EXPECT_EQ(run.output, message::notAProject((work.path() / "in.mcp").string()) + "\n");
        EXPECT_TRUE(fs::is_empty(work.path() / "out"));
    } else {
        EXPECT_EQ(run.output.substr(0, run.output.find('\n')), input.line);
        EXPECT_EQ(fs::is_empty(work.path() / "out"), input.exitStatus == 1);
    }
}

const std::string kEof = message::failure(ErrorCode::UnexpectedEnd, "");
const std::string kExport = kProlog + "<PROJECT><TARGETLIST><TARGET><NAME>T</NAME>";

INSTANTIATE_TEST_SUITE_P(
    All, SourceProjects,
    ::testing::Values(
        Input{"ini", "[HEADER]\r\nmagic_cookie={66E99B07-E706-4689-9E80-9B2582898A13}\r\n", ""},
        Input{"text", "Notes on the build\nof the firmware.\n", ""},
        Input{"png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), ""},
        Input{"html", "<!DOCTYPE html>\n<html><head><title>x</title></head></html>\n", ""},
        Input{"panel", kProlog + "<EXPORTEDPANEL><NAME>Access Paths</NAME></EXPORTEDPANEL>", ""},
        Input{"empty", "", kEof}, Input{"prolog only", kProlog, kEof},
        Input{"cut export", kExport, kEof},
        Input{"unexpected element", kProlog + "<PROJECT><SURPRISE/></PROJECT>",
              message::unexpectedToken("SURPRISE/"), 0}),
    [](const ::testing::TestParamInfo<Input>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

}  // namespace
}  // namespace tessaly::testing
