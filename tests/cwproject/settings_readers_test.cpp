// The settings harvest: access paths, source trees, environment variables
// and the compiler panel's definitions.
#include <gtest/gtest.h>

#include "cwproject/parse_test_support.h"
#include "support/memory_file.h"

namespace tessaly {
namespace {

using namespace testing;
using Strings = std::vector<std::string>;
using Defines = std::map<std::string, std::string>;

const std::string kCompilerPanel = "<!-- Settings for \"C/C++ Compiler\" panel -->";
const std::string kOtherPanel = "<!-- Settings for \"Linker\" panel -->";

std::string accessPath(const std::string& root, const std::string& path,
                       const char* recursive = "false") {
    std::string searchPath = setting("Path", path) + setting("PathFormat", "Windows");
    if (!root.empty()) {
        searchPath += setting("PathRoot", root);
    }
    return settingGroup("", settingGroup("SearchPath", searchPath) +
                                setting("Recursive", recursive) +
                                setting("FrameworkPath", "false"));
}

std::unique_ptr<ParseResult> parseSettings(const std::string& settings,
                                           const std::function<void(ParseResult&)>& prepare = {}) {
    return parse(project(target("T", element("SETTINGLIST", settings))), prepare);
}

const GroupNode& firstTarget(const ParseResult& result) {
    return *result.converter->rootGroup->children.at(0);
}

TEST(SettingsReadersTest, UserAndSystemAccessPaths) {
    auto result = parseSettings(
        settingGroup("UserSearchPaths", accessPath("Project", "src") + accessPath("Project", ":") +
                                            accessPath("", "rel") + accessPath("Project", "src")) +
        settingGroup("SystemSearchPaths",
                     accessPath("CodeWarrior", "MSL") + accessPath("Absolute", "D:\\inc")) +
        settingGroup("Elsewhere", settingGroup("SearchPath", setting("Path", "dropped"))));
    ASSERT_TRUE(result->complete);
    const GroupNode& t = firstTarget(*result);
    EXPECT_EQ(t.userIncludePaths, (Strings{"C:\\work\\demo\\\\src", "C:\\work\\demo\\", "\\rel",
                                           "C:\\work\\demo\\\\src"}));
    EXPECT_EQ(t.systemIncludePaths, (Strings{"C:\\CW\\\\MSL", "D:\\inc"}));
    EXPECT_TRUE(result->converter->accessPathRoot.empty());
    EXPECT_TRUE(result->converter->accessPathText.empty());
}

TEST(SettingsReadersTest, RecursiveExpandsTheLastAppendedPath) {
    auto result = parseSettings(
        settingGroup("UserSearchPaths", accessPath("Absolute", "C:\\src", "true") +
                                            accessPath("Absolute", "C:\\other", "True")) +
            settingGroup("SystemSearchPaths", accessPath("Absolute", "C:\\sys", "true")),
        [](ParseResult& r) {
            for (const char* folder : {"C:\\src", "C:\\src\\a", "C:\\src\\a\\c", "C:\\src\\b",
                                       "C:\\other", "C:\\other\\x", "C:\\sys", "C:\\sys\\k"}) {
                r.platform.addFolder(folder);
            }
        });
    const GroupNode& t = firstTarget(*result);
    EXPECT_EQ(t.userIncludePaths,
              (Strings{"C:\\src", "C:\\src\\a", "C:\\src\\a\\c", "C:\\src\\b", "C:\\other"}));
    EXPECT_EQ(t.systemIncludePaths, (Strings{"C:\\sys", "C:\\sys\\k"}));
}

TEST(SettingsReadersTest, RecursiveOnAnUnknownCodeWarriorRootWalksNothing) {
    FakePlatform platform;
    RecordingConsole console;
    ProjectConverter converter("C:\\work\\demo\\demo.mcp.xml", "C:\\out", "", platform, console);
    EXPECT_EQ(converter.codeWarriorDir, "");
    converter.xmlReader.open(memoryFile(project(target(
        "T", element("SETTINGLIST",
                     settingGroup("SystemSearchPaths", accessPath("CodeWarrior", ":", "true")))))));
    EXPECT_TRUE(converter.readProject());
    EXPECT_EQ(converter.rootGroup->children.at(0)->systemIncludePaths, (Strings{"\\"}));
    for (const std::string& probe : platform.probes) {
        EXPECT_NE(probe.rfind("list", 0), 0u) << probe;
    }
}

TEST(SettingsReadersTest, SourceTreesAsRoots) {
    auto result = parseSettings(
        settingGroup(
            "UserSourceTrees",
            settingGroup("", setting("Name", "LIB") + setting("Kind", "AbsolutePath") +
                                 setting("Path", "lib") + setting("PathRoot", "Project"))) +
        settingGroup("UserSearchPaths", accessPath("LIB", "inc") + accessPath("NOTREE", "x")));
    EXPECT_EQ(result->converter->sourceTrees, (Defines{{"LIB", "C:\\work\\demo\\\\lib"}}));
    EXPECT_EQ(firstTarget(*result).userIncludePaths,
              (Strings{"C:\\work\\demo\\\\lib\\inc", "NOTREE\\x"}));
}

TEST(SettingsReadersTest, SourceTreesCarryAcrossTargets) {
    const std::string trees = settingGroup(
        "UserSourceTrees", settingGroup("", setting("Name", "SDK") + setting("Path", "E:\\sdk") +
                                                setting("PathRoot", "Absolute")));
    auto result =
        parse(project(target("A", element("SETTINGLIST", trees)) +
                      target("B", element("SETTINGLIST", settingGroup("UserSearchPaths",
                                                                      accessPath("SDK", "inc"))))));
    EXPECT_EQ(result->converter->rootGroup->children.at(1)->userIncludePaths,
              (Strings{"E:\\sdk\\inc"}));
}

// One access path entry whose settings stand in the given order.
std::string accessPathEntry(const std::string& searchPathSettings) {
    return settingGroup(
        "", settingGroup("SearchPath", searchPathSettings) + setting("Recursive", "false"));
}

TEST(SettingsReadersTest, AccessPathsAreReadInTheFormatTheyStateOnWindows) {
    auto result = parseSettings(settingGroup(
        "UserSearchPaths",
        accessPathEntry(setting("Path", ":::include:") + setting("PathFormat", "MacOS") +
                        setting("PathRoot", "Project")) +
            accessPathEntry(setting("Path", "../Source") + setting("PathFormat", "Unix") +
                            setting("PathRoot", "Project")) +
            // A format before the entry's Path changes nothing; nor does the
            // format of the entry before.
            accessPathEntry(setting("PathFormat", "MacOS") + setting("Path", ":a:") +
                            setting("PathRoot", "Project")) +
            accessPathEntry(setting("Path", ":b:") + setting("PathRoot", "Project")) +
            accessPathEntry(setting("Path", "Disk:Folder:") + setting("PathFormat", "MacOS") +
                            setting("PathRoot", "Absolute")) +
            accessPathEntry(setting("Path", ":") + setting("PathFormat", "MacOS") +
                            setting("PathRoot", "Project"))));
    EXPECT_EQ(firstTarget(*result).userIncludePaths,
              (Strings{"C:\\work\\demo\\\\..\\..\\include", "C:\\work\\demo\\\\..\\Source",
                       "C:\\work\\demo\\\\:a:", "C:\\work\\demo\\\\:b:", "Disk:Folder:",
                       "C:\\work\\demo\\"}));
}

TEST(SettingsReadersTest, AccessPathsAndSourceTreesAreReadInTheFormatTheyStateOnPosix) {
    const std::string settings =
        settingGroup(
            "UserSourceTrees",
            settingGroup("", setting("Name", "SDK") + setting("Path", ":sdk:") +
                                 setting("PathFormat", "MacOS") + setting("PathRoot", "Project")) +
                // Redefined: a format before the new Path leaves
                // the earlier text alone.
                settingGroup("", setting("Name", "LIB") + setting("Path", "lib\\x") +
                                     setting("PathFormat", "Windows") +
                                     setting("PathRoot", "Absolute")) +
                settingGroup("", setting("Name", "LIB") + setting("PathFormat", "MacOS") +
                                     setting("Path", ":keep:") + setting("PathRoot", "Absolute"))) +
        settingGroup(
            "UserSearchPaths",
            accessPathEntry(setting("Path", "..\\..\\src\\dom") + setting("PathFormat", "Windows") +
                            setting("PathRoot", "Project")) +
                accessPathEntry(setting("Path", ":include:") + setting("PathFormat", "MacOS") +
                                setting("PathRoot", "SDK")));
    auto result =
        parse(project(target("T", element("SETTINGLIST", settings))), {}, PathStyle::Posix);
    EXPECT_EQ(result->converter->sourceTrees,
              (Defines{{"LIB", ":keep:"}, {"SDK", "/work/demo//sdk"}}));
    EXPECT_EQ(firstTarget(*result).userIncludePaths,
              (Strings{"/work/demo//../../src/dom", "/work/demo//sdk/include"}));
}

TEST(SettingsReadersTest, PrefixTextIsKeptWhateverThePanel) {
    auto result = parseSettings(
        "<!-- Settings for \"C/C++ Preprocessor\" panel -->" +
        setting("C_CPP_Preprocessor_PrefixText",
                "#if !__option(precompile)\n#include &quot;ftoption.h&quot;\n#endif\n"));
    const GroupNode& t = firstTarget(*result);
    EXPECT_EQ(t.prefixText, "#if !__option(precompile)\n#include \"ftoption.h\"\n#endif\n");
    EXPECT_TRUE(t.defines.empty()) << "not a compiler panel setting";
}

TEST(SettingsReadersTest, EnvironmentVariables) {
    auto result =
        parseSettings(settingGroup("MWRuntimeSettings_EnvVars",
                                   setting("", "FOO=a=b") + setting("", "=x") + setting("", "BAR") +
                                       setting("Named", "N=v") + setting("", "EMPTY=")));
    EXPECT_EQ(firstTarget(*result).defines, (Defines{{"BAR", "BAR"}, {"EMPTY", ""}, {"FOO", "b"}}));
}

TEST(SettingsReadersTest, CompilerPanelDefinitions) {
    auto result = parseSettings(kOtherPanel + setting("Before", "0") + kCompilerPanel +
                                setting("MWFrontEnd_C_cplusplus", "1") + setting("", "unnamed") +
                                settingGroup("Parent", setting("Child", "c")) + kOtherPanel +
                                setting("After", "2") + "<!>" + setting("EmptyComment", "3") +
                                setting("MWFrontEnd_C_cplusplus", "0"));
    EXPECT_EQ(firstTarget(*result).defines, (Defines{{"Child", "c"},
                                                     {"EmptyComment", "3"},
                                                     {"MWFrontEnd_C_cplusplus", "0"},
                                                     {"Parent", ""}}));
}

TEST(SettingsReadersTest, CompilerPanelStateCarriesToTheNextTarget) {
    auto result =
        parse(project(target("A", element("SETTINGLIST", kCompilerPanel + setting("X", "1"))) +
                      target("B", element("SETTINGLIST", setting("Y", "2")))));
    EXPECT_EQ(result->converter->rootGroup->children.at(1)->defines, (Defines{{"Y", "2"}}));
}

// The target's own macros join its definitions: the prefix text, read by the
// compiler after its command line, wins, and a macro wins over an IDE setting
// of the same name. They are the target's alone.
TEST(SettingsReadersTest, TargetMacrosFromThePrefixTextAndTheCommandLine) {
    const std::string settings = element(
        "SETTINGLIST",
        kCompilerPanel + setting("USE_X", "setting") +
            "<!-- Settings for \"C/C++ Preprocessor\" panel -->" +
            setting("C_CPP_Preprocessor_PrefixText", "#define B prefix\n#undef A\n#define C") +
            "<!-- Settings for \"Panel for Compiler for HC08\" panel -->" +
            setting("TessalyCompilerCommandLine", "-Cs08 -DA=1 -DB=cmd -DUSE_X=macro -DD"));
    auto result = parse(project(target("T", settings) + target("U")));
    ASSERT_TRUE(result->complete);
    const GroupNode& t = firstTarget(*result);
    EXPECT_EQ(t.macros, (Defines{{"B", "prefix"}, {"C", ""}, {"D", ""}, {"USE_X", "macro"}}));
    EXPECT_EQ(t.defines, (Defines{{"B", "prefix"}, {"C", ""}, {"D", ""}, {"USE_X", "macro"}}));
    const GroupNode& u = *result->converter->rootGroup->children.at(1);
    EXPECT_TRUE(u.macros.empty());
    EXPECT_FALSE(u.defines.contains("D"));
}

TEST(SettingsReadersTest, PanelDataIsReadAndDropped) {
    auto result = parseSettings(
        element("PANELDATA", element("NAME", "Panel") + element("VALUE", "0001ABCD")) +
        setting("X", "1"));
    EXPECT_TRUE(result->complete);
}

TEST(SettingsReadersTest, MalformedSettings) {
    const std::pair<std::string, const char*> cases[] = {
        {settingGroup("NoValue", ""), "SETTING"},
        // The panel-data check passes over the comment and refuses the text after it.
        {"<SETTING><NAME>X</NAME><VALUE><!-- c -->v</VALUE></SETTING>", "v"},
        {"<SETTING><VALUE>v</VALUE><NAME>X</NAME></SETTING>", "NAME"},
    };
    for (const auto& [settings, token] : cases) {
        auto result = parseSettings(settings);
        EXPECT_FALSE(result->complete) << settings;
        EXPECT_EQ(result->pendingToken, token) << settings;
    }
}

TEST(SettingsReadersTest, NestingDeeperThanTheLimitIsRefused) {
    auto nested = [](int levels) {
        std::string s = setting("Leaf", "v");
        for (int i = 1; i < levels; ++i) {
            s = settingGroup("", s);
        }
        return s;
    };
    EXPECT_TRUE(parseSettings(nested(kMaxNesting))->complete);
    auto deep = parseSettings(nested(kMaxNesting + 1));
    EXPECT_FALSE(deep->complete);
    EXPECT_EQ(deep->pendingToken, "SETTING");
}

}  // namespace
}  // namespace tessaly
