// The writer's plan: a folder of its own for every node, and no file to be
// written that is an input of the run.
#include <gtest/gtest.h>

#include <functional>

#include "output/io_error.h"
#include "output/project_writer_fixture.h"

namespace tessaly {
namespace {

using testing::FakePlatform;
using testing::ProjectWriterTest;
using testing::RecordingConsole;
using Strings = std::vector<std::string>;

// The values of the lines that start with `key`, in order.
Strings valuesOf(const std::string& text, const std::string& key) {
    Strings values;
    for (std::size_t at = 0; (at = text.find("\r\n" + key, at)) != std::string::npos;) {
        at += 2 + key.size();
        values.push_back(text.substr(at, text.find("\r\n", at) - at));
    }
    return values;
}

// Children whose folders would be the same, after making their names safe
// or ignoring letter case on Windows, or that would take a name the
// converter uses itself, get "_2", "_3", ...; the project file keeps their
// names. Groups of one name under one node are one node. COM0 is no device
// name: it stays.
TEST(ProjectPlanTest, EveryNodeGetsAFolderOfItsOwn) {
    GroupNode root("root");
    GroupNode& debug = root.findOrAddChild("Debug");
    debug.defines["D"] = "1";
    debug.findOrAddChild("person");
    debug.findOrAddChild("Output");
    root.findOrAddChild("debug").defines["D"] = "2";
    root.findOrAddChild("a/b");
    root.findOrAddChild("a_b");
    root.findOrAddChild("a_b_2");
    root.addChild(std::make_unique<GroupNode>("a_b"));  // a second target of the same name
    root.findOrAddChild("Person").findOrAddChild("person");
    root.findOrAddChild("COM0");
    const Strings names = {"Engine", "Debug", "person", "Output", "debug",  "a/b",
                           "a_b",    "a_b_2", "a_b",    "Person", "person", "COM0"};
    struct Case {
        PathStyle style;
        std::string dest;
        Strings folders;  // below dest, in the order of the blocks
    };
    const Case cases[] = {
        {PathStyle::Windows,
         "C:\\out",
         {"", "Debug", "Debug\\person_2", "Debug\\Output_2", "debug_2", "a_b", "a_b_2", "a_b_2_2",
          "a_b_3", "Person_2", "Person_2\\person", "COM0"}},
        {PathStyle::Posix,
         "/out",
         {"", "Debug", "Debug/person_2", "Debug/Output", "debug", "a_b", "a_b_2", "a_b_2_2",
          "a_b_3", "Person", "Person/person", "COM0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dest);
        FakePlatform platform(c.style);
        platform.addFolder(c.dest);
        RecordingConsole console;
        ProjectWriter({c.dest, "Engine", "", "", "", ""}, platform, console).writeProject(root);

        const std::string prj = platform.fileContent(c.dest + platform.separator() + "Engine.prj")
                                    .value_or("<missing>");
        EXPECT_EQ(valuesOf(prj, "FolderName="), names);
        Strings expected;
        for (const std::string& folder : c.folders) {
            std::string path = c.dest;
            path += platform.separator();
            if (!folder.empty()) {
                path += folder;
                path += platform.separator();
            }
            expected.push_back(path);
        }
        EXPECT_EQ(valuesOf(prj, "SourcePath="), expected);
        const std::string personality =
            expected[4] + "person" + platform.separator() + c.folders[4] + ".p_a";
        EXPECT_EQ(platform.fileContent(personality), "-d \"D=2\"\r\n") << personality;
    }
}

// A file that would be replaced and is the export or the given analyser
// personality, reached under any name, is refused before anything is
// written. Files that are only named, or only created when missing, are not.
TEST(ProjectPlanTest, InputsAreRefusedBeforeAnythingIsWritten) {
    const std::string exportFile = "C:\\work\\p.mcp.xml";
    struct Case {
        std::string what;
        std::function<void(FakePlatform&)> setup;
        OutputSettings settings;
        std::string refused;  // empty: the run completes
    };
    const Case cases[] = {
        {"the export as the project file",
         [](FakePlatform& p) { p.addFile("C:\\work\\Engine.prj", "<PROJECT>"); },
         {"C:\\work", "Engine", "", "", "", "C:\\work\\Engine.prj"},
         "C:\\work\\Engine.prj"},
        {"a link to the export as a default personality",
         [&](FakePlatform& p) {
             p.addFolder("C:\\out\\person");
             p.addLink("C:\\out\\person\\Engine.p_s", exportFile);
         },
         {"C:\\out", "Engine", "", "", "", exportFile},
         "C:\\out\\person\\Engine.p_s"},
        {"a hard link to the export as a default personality",
         [&](FakePlatform& p) {
             p.addFolder("C:\\out\\person");
             p.addHardLink("C:\\out\\person\\Engine.p_c", exportFile);
         },
         {"C:\\out", "Engine", "", "", "", exportFile},
         "C:\\out\\person\\Engine.p_c"},
        {"a generated personality as the given analyser personality",
         [](FakePlatform& p) {
             p.addFolder("C:\\out\\T");
             p.addFolder("C:\\out\\T\\person");
             p.addFile("C:\\out\\T\\person\\T.p_a", "-d \"GIVEN=1\"\r\n");
         },
         {"C:\\out", "Engine", "", "C:\\out\\T\\person\\T.p_a", "", exportFile},
         "C:\\out\\T\\person\\T.p_a"},
        {"the export given as the message personality, only named",
         [](FakePlatform&) {},
         {"C:\\out", "Engine", exportFile, "", "", exportFile},
         ""},
        {"the analyser default a link to the export, replaced as missing",
         [&](FakePlatform& p) {
             p.addFolder("C:\\out\\person");
             p.addLink("C:\\out\\person\\Engine.p_a", exportFile);
         },
         {"C:\\out", "Engine", "", "", "", exportFile},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakePlatform platform;
        for (const char* folder : {"C:\\work", "C:\\out"}) {
            platform.addFolder(folder);
        }
        platform.addFile(exportFile, "<PROJECT>");
        c.setup(platform);
        GroupNode root("root");
        root.findOrAddChild("T").userIncludePaths.push_back("C:\\inc");
        RecordingConsole console;
        ProjectWriter writer(c.settings, platform, console);

        if (c.refused.empty()) {
            EXPECT_EQ(writer.writeProject(root), 1);
            EXPECT_EQ(platform.fileContent(exportFile), "<PROJECT>");
            continue;
        }
        try {
            writer.writeProject(root);
            ADD_FAILURE() << "written over an input";
        } catch (const IOERROR& error) {
            EXPECT_EQ(error.code, ErrorCode::CannotWriteFile);
            EXPECT_EQ(error.path(), c.refused);
        }
        EXPECT_TRUE(console.lines.empty());
        for (const std::string& probe : platform.probes) {
            EXPECT_FALSE(probe.starts_with("create ") || probe.starts_with("mkdir ") ||
                         probe.starts_with("replace ") || probe.starts_with("remove "))
                << probe;
        }
    }
}

}  // namespace
}  // namespace tessaly
