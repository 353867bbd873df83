// Binary project files (.mcp) converted by the built tesscli: each binary
// project beside the IDE's export of the same state converts to the same
// console lines and the same tree, where their repository's tree is known
// inside it; binary projects without an export convert, or are refused as
// damaged, as each one's content says.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "e2e/golden_run.h"
#include "platform/messages.h"
#include "support/line_end_conversions.h"
#include "support/source_trees.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;

// Kept in tests/data/binary-projects, or read from the shared folder of
// binary projects, which other machines may lack (the licence of some
// repositories does not let this project redistribute their files).
fs::path binaryProject(const std::string& folder, const std::string& file, bool kept) {
    const fs::path root = kept ? fs::path(TESSALY_TEST_DATA) / "binary-projects"
                               : fs::path(TESSALY_REAL_EXPORTS).parent_path() / "binary-projects";
    return root / folder / file;
}

struct Conversion {
    int exitStatus = -1;
    std::string console;
    std::map<std::string, std::string> tree;
};

// A work folder: the repository's tree (when one is named) with the given
// files at `place`, and an empty destination beside it that every
// conversion starts from, so that each sees the same folders.
class Workspace {
  public:
    Workspace(const std::vector<fs::path>& files, const std::string& treePaths,
              const std::string& place)
        : Workspace(treePaths.empty() ? fs::path()
                                      : fs::path(TESSALY_TEST_DATA) / "real-trees" / treePaths) {
        at_ = work_.path() / "repo" / place;
        fs::create_directories(at_);
        for (const fs::path& file : files) {
            fs::copy_file(file, at_ / file.filename());
        }
    }
    // The tree that a .paths file lists (none for an empty path), for
    // projects placed in it with put().
    explicit Workspace(const fs::path& treePaths) : at_(work_.path() / "repo") {
        if (!treePaths.empty()) {
            buildRepositoryTree(treePaths, work_.path() / "repo");
        }
        fs::create_directories(at_);
        writeFile(work_.path() / "given.p_a", "-i \"given\"\n");
    }

    // Writes `bytes` as the file `name` at `place` in the tree, where the
    // conversions that follow run.
    void put(const std::string& place, const std::string& name, const std::string& bytes) {
        at_ = work_.path() / "repo" / place;
        fs::create_directories(at_);
        writeFile(at_ / name, bytes);
    }

    // Converts `source` from the project's folder. Work paths in the output
    // read "@W".
    Conversion convert(const std::string& source, std::vector<std::string> options = {}) {
        const fs::path out = work_.path() / "out";
        fs::remove_all(out);
        fs::create_directories(out);
        const std::string workPath = fs::canonical(work_.path()).string();
        std::vector<std::string> arguments = {source, workPath + "/out", ""};
        for (std::string& option : options) {
            arguments.push_back(replaceAll(option, "@W", workPath));
        }
        const ProgramResult result = runProgram(TESSCLI_PATH, arguments, at_);
        Conversion run{result.exitStatus, replaceAll(result.output, workPath, "@W"), {}};
        for (auto& [path, content] : snapshotTree(out)) {
            run.tree[path] = replaceAll(content, workPath, "@W");
        }
        return run;
    }

    // Runs tesscli with `arguments` from the project's folder.
    ProgramResult run(const std::vector<std::string>& arguments) const {
        return runProgram(TESSCLI_PATH, arguments, at_);
    }
    const fs::path& projectFolder() const { return at_; }

  private:
    TempFolder work_;
    fs::path at_;
};

void expectSameRun(const Conversion& binary, const Conversion& exported) {
    EXPECT_EQ(binary.exitStatus, exported.exitStatus);
    EXPECT_EQ(binary.console, exported.console);
    EXPECT_EQ(binary.tree.size(), exported.tree.size());
    for (const auto& [path, content] : exported.tree) {
        const auto it = binary.tree.find(path);
        ASSERT_NE(it, binary.tree.end()) << path;
        EXPECT_EQ(it->second, content) << path;
    }
}

struct Pair {
    std::string name;
    bool kept;
    std::string treePaths;  // a repository tree of tests/data/real-trees, or none
    std::string place;      // the project's folder in it
};

void PrintTo(const Pair& pair, std::ostream* out) {
    *out << pair.name;
}

class BinaryPairs : public ::testing::TestWithParam<Pair> {
  public:
    static const std::vector<Pair> kKnownTrees;
};

const std::vector<std::vector<std::string>> kOptionSets = {
    {},
    {"-ext", "c,cpp,h", "-pn", "Renamed", "-ap", "@W/given.p_a", "-cdb",
     "@W/out/compile_commands.json"},
};

TEST_P(BinaryPairs, ConvertLikeTheirExport) {
    const Pair& pair = GetParam();
    const fs::path binary = binaryProject("pairs", pair.name + ".mcp", pair.kept);
    if (!fs::exists(binary)) {
        GTEST_SKIP() << binary << " is not on this machine";
    }
    Workspace work({binary, fs::path(binary.string() + ".xml")}, pair.treePaths, pair.place);
    for (const std::vector<std::string>& options : kOptionSets) {
        SCOPED_TRACE(options.size());
        const Conversion fromBinary = work.convert(pair.name + ".mcp", options);
        const Conversion fromExport = work.convert(pair.name + ".mcp.xml", options);
        EXPECT_EQ(fromBinary.exitStatus, 0);
        EXPECT_NE(fromBinary.console.find(message::projectCompleted()), std::string::npos);
        expectSameRun(fromBinary, fromExport);
    }
}

const std::vector<Pair> BinaryPairs::kKnownTrees = {
    {"w2c2-CoreMark-2023-01-22", true, "w2c2-CoreMark-mac-ide42-cr.paths", "examples/coremark/CW7"},
    {"w2c2-python-2023-01-23", true, "w2c2-CoreMark-mac-ide42-cr.paths", "examples/python/CW7"},
    {"w2c2-rustwasi-2023-01-22", true, "w2c2-CoreMark-mac-ide42-cr.paths",
     "examples/rust-wasi/CW7"},
    {"quesa-mac-2007-03-02", true, "quesa-Quesa-mac-ide50.paths", "Development/Projects/Mac"},
    {"quesa-win-2007-03-02", true, "quesa-Quesa-win32-ide50-cr.paths",
     "Development/Projects/Windows"},
    {"alephone-2001-12-13", false, "", "proj"},
    {"alephone-2002-06-17", false, "", "proj"},
    {"alephone-2002-08-03", false, "", "proj"},
    {"alephone-2003-01-20", false, "", "proj"},
    {"alephone-2003-05-08", false, "", "proj"},
    {"alephone-2003-05-28", false, "", "proj"},
    {"classilla-ScriptablePluginIDL", false, "", "proj"},
};

INSTANTIATE_TEST_SUITE_P(All, BinaryPairs, ::testing::ValuesIn(BinaryPairs::kKnownTrees));

// What a binary project without an export must give: its files (one
// "adding file" or "file not found" line per file node of its group tree
// that a target holds),
// a damage line, or, for an export stored under a .mcp name, the export's
// own conversion.
struct Lone {
    std::string file;
    bool kept;
    int filesAdded = -1;    // converts
    std::string damage{};   // refused
    bool isExport = false;  // read as the export it is
};

void PrintTo(const Lone& lone, std::ostream* out) {
    *out << lone.file;
}

class BinaryWithoutExport : public ::testing::TestWithParam<Lone> {};

int countLines(const std::string& text, const std::string& prefix) {
    int count = 0;
    for (std::size_t at = 0; (at = text.find(prefix, at)) != std::string::npos; ++at) {
        count += at == 0 || text[at - 1] == '\n';
    }
    return count;
}

TEST_P(BinaryWithoutExport, ConvertsOrIsRefusedAsDamaged) {
    const Lone& lone = GetParam();
    const fs::path file = binaryProject("no-export", lone.file, lone.kept);
    if (!fs::exists(file)) {
        GTEST_SKIP() << file << " is not on this machine";
    }
    const Conversion run = Workspace({file}, "", "proj").convert(lone.file);
    const std::string unexpected = message::unexpectedToken("");
    if (lone.filesAdded >= 0) {
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(countLines(run.console, message::addingFile("")) +
                      countLines(run.console, message::fileNotFound("")),
                  lone.filesAdded);
        EXPECT_EQ(run.console.find(unexpected), std::string::npos);
    } else if (!lone.damage.empty()) {
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.console, message::damagedProject(lone.damage) + "\n");
        EXPECT_TRUE(run.tree.empty());
    } else {
        const TempFolder copy;
        const fs::path asXml = copy.path() / (lone.file + ".xml");
        fs::copy_file(file, asXml);
        expectSameRun(run, Workspace({asXml}, "", "proj").convert(asXml.filename().string()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    All, BinaryWithoutExport,
    ::testing::Values(
        Lone{"Quesa-Development-Projects-Mac-Quesa_Viewer.mcp", true, 28},
        Lone{"Quesa-SDK-Examples-Camera_Test-Camera_Test.mcp", true, 15},
        Lone{"Quesa-SDK-Extras-OBJ.Reader-OBJ.Reader.mcp", true, 12},
        Lone{"Quesa-SDK-Extras-Rayshade-Projects-MacOS-Rayshade.mcp", true, 174},
        Lone{"Quesa-SDK-Extras-SampleImporter-SampleImporter.mcp", true, 2},
        // Two of its 31 file nodes belong to a target deleted long ago.
        Lone{"freetype-builds-netware-freetype2.mcp", true, 29},
        Lone{"classilla-mozilla-editor-txmgr-tests-macbuild-txmgrTEST.mcp", true, 11},
        Lone{"classilla-mozilla-security-nss-lib-macbuild-NSS-NSS-NSS.mcp", true, -1,
             message::damageReason(Damage::CutShort, "chunk index past the end of the file", 0)},
        // Every CR byte became LF: restored, its 375 file nodes in 20 groups.
        Lone{"alephone-Aleph_One_Classic_SDL.mcp", false, 375},
        Lone{"alephone-Expat-ExpatLib.mcp", false, 4}, Lone{"alephone-FaderClassic.mcp", false, 5},
        Lone{"alephone-Pfhormz.mcp", false, 38}, Lone{"alephone-tools-MapChunker.mcp", false, 25},
        Lone{"classilla-mozilla-build-mac-test-test.mcp", false, 1},
        Lone{"classilla-mozilla-extensions-irc-macbuild-irc.mcp", false, 21},
        Lone{"classilla-mozilla-gc-boehm-macbuild-gc.mcp", false, 27},
        Lone{"classilla-mozilla-js-src-macbuild-JSRef.mcp", false, 43},
        Lone{"classilla-mozilla-js-src-macbuild-JSRefOSX.mcp", false, 39},
        Lone{"classilla-mozilla-mailnews-db-mork-macbuild-mork.mcp", false, 67},
        Lone{"classilla-mozilla-plugin-oji-MRJ-testing-ConsoleApplet-ConsoleApplet.mcp", false, 4},
        Lone{"classilla-mozilla-xpcom-tests-StringFactoringTests-StringTest.mcp", false, 42},
        Lone{"classilla-mozilla-xpcom-typelib-xpt-macbuild-libxpt.mcp", false, 24},
        Lone{"macsurf-browser-netsurf-frontends-macos9-MacSurf.mcp", false, -1, "", true}));

// A file cut off anywhere, as repositories show one: refused, nothing written.
TEST(BinaryDamage, CutsAreRefusedAndNothingIsWritten) {
    const std::string intact =
        readFile(binaryProject("pairs", "w2c2-CoreMark-2023-01-22.mcp", true));
    for (std::size_t cut = 4; cut < intact.size(); cut += 7919) {
        TempFolder work;
        writeFile(work.path() / "Damaged.mcp", intact.substr(0, cut));
        const Conversion run =
            Workspace({work.path() / "Damaged.mcp"}, "", "p").convert("Damaged.mcp");
        EXPECT_EQ(run.exitStatus, 1) << cut;
        EXPECT_TRUE(run.console.starts_with(message::damagedProject(""))) << run.console;
        EXPECT_EQ(std::count(run.console.begin(), run.console.end(), '\n'), 1);
        EXPECT_TRUE(run.tree.empty());
    }
}

// What version control that takes a binary file for text does to it: every
// CR byte made LF; or, by a conversion of part of the file, every other one,
// those of the file's second half only, or of all but its first tenth; or,
// on Windows, a CR put before each LF, also after every CR byte made LF
// (checked in from Mac OS, checked out on Windows).
enum class Turned {
    Every,
    EveryOther,
    SecondHalf,
    AllButFirstTenth,
    CrBeforeLf,
    EveryThenCrBeforeLf
};

std::string withCrTurned(std::string bytes, Turned turned) {
    if (turned == Turned::CrBeforeLf) {
        return withCrBeforeLf(bytes);
    }
    if (turned == Turned::EveryThenCrBeforeLf) {
        return withCrBeforeLf(withCrAsLf(bytes));
    }
    int seen = 0;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        if (bytes[at] == '\r' &&
            (turned == Turned::Every || (turned == Turned::EveryOther && seen++ % 2 == 0) ||
             (turned == Turned::SecondHalf && at >= bytes.size() / 2) ||
             (turned == Turned::AllButFirstTenth && at >= bytes.size() / 10))) {
            bytes[at] = '\n';
        }
    }
    return bytes;
}

// An intact binary project of the shared folders and the tree of its
// repository where that is known ("" for none): the pairs whose trees
// tests/data holds, and the embedded projects, whose repositories' lists
// lie beside them (SOURCES.md gives each one's place).
struct Intact {
    fs::path file;
    fs::path treePaths;
    std::string place = "proj";
};

std::vector<Intact> sharedIntactBinaries() {
    const fs::path shared = fs::path(TESSALY_REAL_EXPORTS).parent_path();
    std::vector<Intact> all;
    std::map<std::string, Pair> trees;
    for (const Pair& pair : BinaryPairs::kKnownTrees) {
        trees[pair.name + ".mcp"] = pair;
    }
    const auto sorted = [](const fs::path& folder) {
        std::vector<fs::path> files;
        if (fs::is_directory(folder)) {
            for (const auto& entry : fs::directory_iterator(folder)) {
                if (entry.path().extension() == ".mcp") {
                    files.push_back(entry.path());
                }
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    };
    for (const fs::path& file : sorted(shared / "binary-projects" / "pairs")) {
        const auto it = trees.find(file.filename().string());
        all.push_back(
            it == trees.end() || it->second.treePaths.empty()
                ? Intact{file, {}}
                : Intact{file, fs::path(TESSALY_TEST_DATA) / "real-trees" / it->second.treePaths,
                         it->second.place});
    }
    // Damaged in their repositories, or no binary project at all.
    const std::set<std::string> notIntact = {
        "alephone-Aleph_One_Classic_SDL.mcp",
        "classilla-mozilla-security-nss-lib-macbuild-NSS-NSS-NSS.mcp",
        "macsurf-browser-netsurf-frontends-macos9-MacSurf.mcp"};
    for (const fs::path& file : sorted(shared / "binary-projects" / "no-export")) {
        if (!notIntact.contains(file.filename().string())) {
            all.push_back({file, {}});
        }
    }
    const fs::path embedded = shared / "embedded-projects";
    std::ifstream sources(embedded / "SOURCES.md");
    for (std::string line; std::getline(sources, line);) {
        std::vector<std::string> cells;
        for (std::size_t at = 0; (at = line.find('|', at)) != std::string::npos; ++at) {
            const std::size_t end = line.find('|', at + 1);
            if (end == std::string::npos) {
                break;
            }
            std::string cell = line.substr(at + 1, end - at - 1);
            cell.erase(0, cell.find_first_not_of(' '));
            cell.erase(cell.find_last_not_of(' ') + 1);
            cells.push_back(cell);
        }
        if (cells.size() < 3 || !cells[0].ends_with(".mcp")) {
            continue;
        }
        const fs::path tree =
            cells[1] == "protocol66/BT-Car" ? "bt-car.paths" : "fsl-usb-stack.paths";
        all.push_back({embedded / "projects" / cells[0], embedded / tree,
                       fs::path(cells[2]).parent_path().string()});
    }
    return all;
}

// Every intact shared binary with its CR bytes turned into LF converts like
// the intact file, after one line that tells the restoring, or is refused
// with the line for bytes that stay undecided; never into a different
// project. The figures are printed; at least as many as today convert.
TEST(BinaryLineEnds, ConvertedFilesConvertLikeTheIntactOrAreRefused) {
    const std::vector<Intact> intact = sharedIntactBinaries();
    if (intact.empty()) {
        GTEST_SKIP() << "the shared binary projects are not on this machine";
    }
    const std::string repaired = "CW Project file repaired: ";
    const std::vector<std::string> options = {"-cdb", "@W/out/compile_commands.json"};
    std::map<fs::path, std::unique_ptr<Workspace>> trees;
    std::map<Turned, std::pair<int, int>> outcomes;  // restored, refused
    for (const Intact& project : intact) {
        SCOPED_TRACE(project.file.filename().string());
        std::unique_ptr<Workspace>& work = trees[project.treePaths];
        if (!work) {
            work = std::make_unique<Workspace>(project.treePaths);
        }
        const std::string name = project.file.filename().string();
        const std::string bytes = readFile(project.file);
        work->put(project.place, name, bytes);
        const Conversion original = work->convert(name, options);
        EXPECT_EQ(original.exitStatus, 0);
        EXPECT_EQ(original.console.find(repaired), std::string::npos);
        for (const Turned turned :
             {Turned::Every, Turned::EveryOther, Turned::SecondHalf, Turned::AllButFirstTenth,
              Turned::CrBeforeLf, Turned::EveryThenCrBeforeLf}) {
            SCOPED_TRACE(int(turned));
            work->put(project.place, name, withCrTurned(bytes, turned));
            const Conversion run = work->convert(name, options);
            const bool refused =
                run.console.find("; take the file from a copy that version control kept") !=
                std::string::npos;
            // CR bytes put before each LF are told from the file's own CR LF by nothing.
            if (turned == Turned::CrBeforeLf) {
                EXPECT_EQ(refused, bytes.find("\r\n") != std::string::npos) << run.console;
            }
            if (refused) {
                ++outcomes[turned].second;
                EXPECT_EQ(run.exitStatus, 1);
                EXPECT_EQ(std::count(run.console.begin(), run.console.end(), '\n'), 1)
                    << run.console;
                EXPECT_TRUE(run.tree.empty());
                continue;
            }
            // Restored, or (a conversion stopped part way) untouched where it matters.
            outcomes[turned].first += run.console.starts_with(repaired);
            std::size_t start = 0;
            while (run.console.compare(start, repaired.size(), repaired) == 0) {
                start = run.console.find('\n', start) + 1;
            }
            EXPECT_EQ(run.exitStatus, original.exitStatus);
            EXPECT_EQ(run.console.substr(start), original.console);
            EXPECT_EQ(run.tree, original.tree);
        }
    }
    const char* labels[] = {"every CR turned",
                            "every other CR turned",
                            "the second half's CR bytes turned",
                            "all but the first tenth's CR bytes turned",
                            "a CR put before each LF",
                            "every CR turned, then a CR put before each LF"};
    for (const auto& [turned, counts] : outcomes) {
        std::cout << "  " << labels[int(turned)] << ": of " << intact.size() << ", " << counts.first
                  << " restored, " << counts.second << " refused, the others read "
                  << "as they are (nothing the conversion uses changed)\n";
    }
    // The refused hold two fields that the conversion made alike and that
    // nothing tells apart: two files' names, or two group entries' files.
    EXPECT_GE(outcomes[Turned::Every].first, 52);
    // A file whose CR bytes all turned into LF holds no CR LF of its own.
    EXPECT_EQ(outcomes[Turned::EveryThenCrBeforeLf], outcomes[Turned::Every]);
}

// An embedded project whose access paths 0x0A and 0x0D both hold files:
// converted, only the disk tells which one a file lies below, so its
// export on its own is written as the intact file's inside its tree, and
// refused where the files are not.
TEST(BinaryLineEnds, AnExportThatTheDiskDecidesIsWrittenInItsTreeOnly) {
    const fs::path embedded = fs::path(TESSALY_REAL_EXPORTS).parent_path() / "embedded-projects";
    const fs::path file =
        embedded / "projects" / "fsl-Device-app-cdc-cfv1usbjm128-cfv1usbjm128.mcp";
    if (!fs::exists(file)) {
        GTEST_SKIP() << "the shared embedded projects are not on this machine";
    }
    const std::string bytes = readFile(file);
    Workspace inTree(embedded / "fsl-usb-stack.paths");
    Workspace alone{fs::path()};
    for (Workspace* work : {&inTree, &alone}) {
        work->put("Source/Device/app/cdc/codewarrior/cfv1usbjm128", "intact.mcp", bytes);
        work->put("Source/Device/app/cdc/codewarrior/cfv1usbjm128", "damaged.mcp",
                  withCrTurned(bytes, Turned::Every));
        EXPECT_EQ(work->run({"--export-xml", "intact.mcp", "intact.xml"}).exitStatus, 0);
    }
    const ProgramResult restored = inTree.run({"--export-xml", "damaged.mcp", "damaged.xml"});
    EXPECT_EQ(restored.exitStatus, 0);
    EXPECT_TRUE(restored.output.starts_with("CW Project file repaired: ")) << restored.output;
    const ProgramResult refused = alone.run({"--export-xml", "damaged.mcp", "damaged.xml"});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.output.find(" cannot be restored; take the file from a copy"),
              std::string::npos)
        << refused.output;
    EXPECT_EQ(readFile(inTree.projectFolder() / "damaged.xml"),
              readFile(inTree.projectFolder() / "intact.xml"));
    EXPECT_FALSE(fs::exists(alone.projectFolder() / "damaged.xml"));
}

TEST(BinaryExport, IsWrittenOnItsOwnAndConvertsAsTheBinary) {
    TempFolder work;
    const fs::path binary = work.path() / "Quesa.mcp";
    fs::copy_file(binaryProject("pairs", "quesa-win-2007-03-02.mcp", true), binary);
    const std::string written = (work.path() / "Quesa.mcp.xml").string();
    const ProgramResult result =
        runProgram(TESSCLI_PATH, {"--export-xml", binary.string(), written}, work.path());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.output, message::exportWritten(written) + "\n");
    Workspace both({binary, written}, "", "p");
    expectSameRun(both.convert("Quesa.mcp"), both.convert("Quesa.mcp.xml"));

    const std::string before = readFile(binary);
    for (const auto& [source, target, line] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {binary.string(), binary.string(),
              message::failure(ErrorCode::CannotWriteFile, binary.string())},
             {written, (work.path() / "again.xml").string(), message::notBinaryProject(written)},
         }) {
        const ProgramResult refused =
            runProgram(TESSCLI_PATH, {"--export-xml", source, target}, work.path());
        EXPECT_EQ(refused.exitStatus, 1);
        EXPECT_EQ(refused.output, line + "\n");
    }
    EXPECT_EQ(readFile(binary), before);
    EXPECT_FALSE(fs::exists(work.path() / "again.xml"));
}

}  // namespace
}  // namespace tessaly::testing
