// The compilation database, read by the tools it is written for: Cppcheck
// checks every entry of the demo and finds every header of its tree, clang
// parses every demo source with the entry's own arguments, and the genuine
// freetype export, converted inside its own repository, gets an entry for
// each of its files with include folders that exist and its prefix text as
// a header.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>

#include "support/source_trees.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const fs::path kDemo = fs::path(TESSALY_SOURCE_DIR) / "examples" / "demo";

bool onPath(const std::string& program) {
    return runProgram("/bin/sh", {"-c", "command -v " + program}, fs::current_path()).exitStatus ==
           0;
}

// Converts the demo into `work`/out with a database beside it.
nlohmann::json demoDatabase(const fs::path& work) {
    fs::create_directory(work / "out");
    const fs::path database = work / "compile_commands.json";
    const ProgramResult result = runProgram(TESSCLI_PATH,
                                            {(kDemo / "demo.mcp.xml").string(), "out",
                                             (kDemo / "cw").string(), "-cdb", database.string()},
                                            work);
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    return nlohmann::json::parse(readFile(database));
}

TEST(CompilationDatabaseOfTheDemo, EveryEntryIsCheckedByCppcheckWithItsHeadersFound) {
    ASSERT_TRUE(onPath("cppcheck")) << "Debian's cppcheck is needed (scripts/install-deps.sh all)";
    TempFolder work;
    const nlohmann::json database = demoDatabase(work.path());
    ASSERT_FALSE(database.empty());
    // Cppcheck names each file it checks in its shortest form.
    std::set<std::string> files;
    for (const auto& entry : database) {
        files.insert(fs::path(entry["file"].get<std::string>()).lexically_normal().string());
    }

    const ProgramResult checked = runProgram(
        "/usr/bin/cppcheck",
        {"--project=" + (work.path() / "compile_commands.json").string(), "--enable=missingInclude",
         "--check-config", "--template={id}:{file}:{message}"},
        work.path());
    std::set<std::string> checkedFiles;
    for (const std::string& file : files) {
        if (checked.output.find("Checking " + file + " ") != std::string::npos) {
            checkedFiles.insert(file);
        }
    }
    EXPECT_EQ(checkedFiles, files) << checked.output;
    // Every header of the demo's own tree is found. Cppcheck reads no
    // -isystem folder, so the headers of the stand-in CodeWarrior folder are
    // left to it (it says it does not need standard headers).
    for (const fs::directory_entry& header : fs::recursive_directory_iterator(kDemo)) {
        const bool codeWarrior = header.path().string().starts_with((kDemo / "cw").string());
        if (header.path().extension() == ".h" && !codeWarrior) {
            const std::string name = header.path().filename().string();
            EXPECT_EQ(checked.output.find("\"" + name + "\" not found"), std::string::npos)
                << checked.output;
            EXPECT_EQ(checked.output.find("<" + name + "> not found"), std::string::npos)
                << checked.output;
        }
    }
}

TEST(CompilationDatabaseOfTheDemo, ClangParsesEverySourceWithItsOwnArguments) {
    ASSERT_TRUE(onPath("clang")) << "Debian's clang is needed (scripts/install-deps.sh all)";
    TempFolder work;
    const nlohmann::json database = demoDatabase(work.path());
    ASSERT_FALSE(database.empty());
    for (const auto& entry : database) {
        Strings arguments = entry["arguments"].get<Strings>();
        const std::string compiler =
            arguments.front() == "cc" ? "/usr/bin/clang" : "/usr/bin/clang++";
        arguments.erase(arguments.begin());
        arguments.push_back("-fsyntax-only");
        const ProgramResult parsed =
            runProgram(compiler, arguments, entry["directory"].get<std::string>());
        EXPECT_EQ(parsed.exitStatus, 0) << entry.dump();
    }
}

TEST(CompilationDatabaseOfATree, FreetypeGetsAnEntryPerFileWithItsPrefix) {
    const SourceTreeCase& tree = keptSourceTrees().front();
    ASSERT_EQ(tree.exportName, "freetype-ftlib-mac-ide50");
    TempFolder work;
    const fs::path root = fs::canonical(work.path()) / "repository";
    const PlacedExport placed = placeKeptExport(tree, root);
    fs::create_directory(work.path() / "out");
    const fs::path databaseFile = work.path() / "compile_commands.json";

    const ProgramResult result =
        runProgram(TESSCLI_PATH,
                   {placed.exportPath.string(), (work.path() / "out").string(), "", "-cdb",
                    databaseFile.string()},
                   root);
    ASSERT_EQ(result.exitStatus, 0) << result.output;

    const nlohmann::json database = nlohmann::json::parse(readFile(databaseFile));
    const std::vector<ListedReference> references = groupListReferences(placed.exportText);
    EXPECT_EQ(database.size(), references.size());
    for (const auto& entry : database) {
        SCOPED_TRACE(entry["file"].get<std::string>());
        EXPECT_EQ(entry["directory"], (root / "builds" / "mac").string());
        EXPECT_TRUE(fs::exists(entry["file"].get<std::string>()));
        const Strings arguments = entry["arguments"].get<Strings>();
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            const std::string& argument = arguments[i];
            for (const std::string flag : {"-I", "-isystem"}) {
                if (argument.starts_with(flag + root.string())) {
                    EXPECT_TRUE(fs::is_directory(argument.substr(flag.size()))) << argument;
                }
            }
            if (argument == "-include") {
                const std::string prefix = arguments.at(i + 1);
                EXPECT_NE(readFile(prefix).find("#include \"ftoption.h\""), std::string::npos)
                    << prefix;
            }
        }
        EXPECT_NE(std::find(arguments.begin(), arguments.end(), "-include"), arguments.end());
    }
}

}  // namespace
}  // namespace tessaly::testing
