// The compilation database written beside the project, on the
// Windows-convention double: which files get entries, with which prefix.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "output/io_error.h"
#include "output/project_writer_fixture.h"
#include "platform/messages.h"

namespace tessaly::testing {
namespace {

class DatabaseWriterTest : public ProjectWriterTest {
  protected:
    nlohmann::json writeWithDatabase(const GroupNode& root) {
        OutputSettings settings;
        settings.compilationDatabase = at("compile_commands.json");
        settings.compilationDirectory = "C:\\work\\demo";
        settings.findOnAccessPaths = [](const GroupNode& target, const std::string& name) {
            return target.name == "App" && name == "AppPrefix.h" ? "C:\\inc\\AppPrefix.h" : "";
        };
        EXPECT_EQ(write(root, settings), 1);
        return nlohmann::json::parse(readFile("compile_commands.json"));
    }
};

TEST_F(DatabaseWriterTest, EntriesPerTargetWithTheirPrefixes) {
    GroupNode root("root");
    GroupNode& app = root.findOrAddChild("App");
    app.userIncludePaths = {"C:\\work\\demo\\inc"};
    app.systemIncludePaths = {"C:\\CW\\MSL"};
    app.defines = {{"MWFrontEnd_C_cplusplus", "1"}, {"MWFrontEnd_C_prefixname", "AppPrefix.h"}};
    app.prefixText = "#define APP 1\n";
    GroupNode& sources = app.findOrAddChild("Sources");
    for (const char* file :
         {"C:\\src\\a.c", "", "C:\\src\\b.CPP", "C:\\src\\c.h", "C:\\src\\r.rsrc"}) {
        sources.addFile(file);
    }
    // A target whose prefix file is found nowhere, with a prefix text, that
    // compiles C as C.
    GroupNode& tool = root.findOrAddChild("Tool");
    tool.defines = {{"MWFrontEnd_C_cplusplus", "0"}, {"MWFrontEnd_C_prefixname", "Gone.h"}};
    root.children.back()->prefixText = "#define TOOL 1\n";
    // Its own macros reach the compiler; the IDE's settings above do not.
    tool.macros = {{"TOOL", "1"}, {"__NO_FLOAT__", ""}};
    tool.findOrAddChild("G").addFile("C:\\src\\a.c");
    // A target with a prefix text alone: its header's "person" folder is
    // taken, though it has no personality.
    GroupNode& lib = root.findOrAddChild("Lib");
    lib.prefixText = "#define LIB 1\n";
    lib.findOrAddChild("person").addFile("C:\\src\\l.c");

    const nlohmann::json database = writeWithDatabase(root);

    ASSERT_EQ(database.size(), 4u) << database.dump(1);
    const std::string appHeader = at("App/person/App.prefix.h");
    EXPECT_EQ(database[0]["directory"], "C:\\work\\demo");
    EXPECT_EQ(database[0]["file"], "C:\\src\\a.c");
    EXPECT_EQ(database[0]["arguments"],
              (Strings{"cc", "-x", "c++", "-IC:\\work\\demo\\inc", "-isystemC:\\CW\\MSL",
                       "-D__option(x)=0", "-include", "C:\\inc\\AppPrefix.h", "-include", appHeader,
                       "-c", "C:\\src\\a.c"}));
    EXPECT_EQ(database[1]["arguments"][0], "c++");
    EXPECT_EQ(database[1]["arguments"][1], "-IC:\\work\\demo\\inc");
    EXPECT_EQ(database[1]["file"], "C:\\src\\b.CPP");
    EXPECT_EQ(database[2]["arguments"],
              (Strings{"cc", "-DTOOL=1", "-D__NO_FLOAT__=", "-D__option(x)=0", "-include",
                       at("Tool/person/Tool.prefix.h"), "-c", "C:\\src\\a.c"}));
    EXPECT_EQ(readFile("App/person/App.prefix.h"), "#define APP 1\r\n");
    EXPECT_EQ(readFile("Tool/person/Tool.prefix.h"), "#define TOOL 1\r\n");
    EXPECT_EQ(database[3]["arguments"][3], at("Lib/person/Lib.prefix.h"));
    EXPECT_TRUE(isFolder("Lib/person_2/output"));
    EXPECT_EQ(console.lines.back(), message::projectCompleted());
}

TEST_F(DatabaseWriterTest, NoDatabaseNoHeaders) {
    GroupNode root("root");
    root.findOrAddChild("App").prefixText = "#define APP 1\n";
    root.children.back()->findOrAddChild("G").addFile("C:\\src\\a.c");
    EXPECT_EQ(write(root), 1);
    EXPECT_FALSE(exists("App/person"));
    EXPECT_FALSE(exists("compile_commands.json"));
}

TEST_F(DatabaseWriterTest, ADatabaseThatCannotBeWrittenIsReported) {
    GroupNode root("root");
    root.findOrAddChild("App").findOrAddChild("G").addFile("C:\\src\\a.c");
    platform.addFolder(at("compile_commands.json"));
    try {
        writeWithDatabase(root);
        FAIL();
    } catch (const IOERROR& error) {
        EXPECT_EQ(error.code, ErrorCode::CannotWriteFile);
        EXPECT_EQ(error.path(), at("compile_commands.json"));
    }
}

}  // namespace
}  // namespace tessaly::testing
