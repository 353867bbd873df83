// Genuine exports converted where they belong, inside a tree of their own
// repository, with the CodeWarrior folder unknown: every reference that
// names a file of the repository must come out as that file's path, and
// every include folder the personalities name inside the repository must
// exist. The table of what resolved goes to the test's output.
#include "support/source_trees.h"

#include <gtest/gtest.h>

#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;

TreeResolution convertInPlace(const SourceTreeCase& tree, const PlacedExport& placed,
                              const fs::path& root, const fs::path& dest) {
    fs::create_directory(dest);
    const ProgramResult result =
        runProgram(TESSCLI_PATH, {placed.exportPath.string(), dest.string(), ""}, root);
    EXPECT_EQ(result.exitStatus, 0) << result.output;

    std::vector<fs::path> added;
    for (const std::string& path : addedFilePaths(result.output)) {
        added.emplace_back(path);
    }
    std::vector<fs::path> includeFolders;
    for (const std::string& folder : includeLines(dest)) {
        includeFolders.emplace_back(folder);
    }
    const TreeResolution resolution = judgeResolution(
        root, placed.files, groupListReferences(placed.exportText), added, includeFolders);
    expectEverythingResolved(tree.exportName, resolution);
    return resolution;
}

class SourceTrees : public ::testing::TestWithParam<SourceTreeCase> {};

TEST_P(SourceTrees, EveryReferenceToARepositoryFileResolves) {
    TempFolder work;
    const fs::path root = fs::canonical(work.path()) / "repository";
    convertInPlace(GetParam(), placeKeptExport(GetParam(), root), root, work.path() / "out");
}

// A Mac OS project that names its folders from the volume it was written on
// (Back40:Desktop Folder:...) and from outside its folder: they are found
// below the project folder. Its export and tree are kept in the shared
// folder of genuine exports only.
TEST(SourceTreesMoved, MacsurfResolvesFromWhereItSitsNow) {
    const SourceTreeCase& tree = macsurfSourceTree();
    const fs::path paths =
        fs::path(TESSALY_REAL_EXPORTS) / ".." / "real-trees" / (tree.exportName + ".paths");
    const fs::path exportFile = fs::path(TESSALY_REAL_EXPORTS) / (tree.exportName + ".xml");
    if (!fs::exists(paths) || !fs::exists(exportFile)) {
        GTEST_SKIP() << "the shared genuine exports are not on this machine";
    }
    TempFolder work;
    const fs::path root = fs::canonical(work.path()) / "repository";
    const TreeResolution resolution = convertInPlace(
        tree, placeInRepository(tree, paths, exportFile, root), root, work.path() / "out");
    EXPECT_EQ(resolution.resolvable, 579);
    EXPECT_EQ(resolution.includeFolders, 50);
}

INSTANTIATE_TEST_SUITE_P(Genuine, SourceTrees, ::testing::ValuesIn(keptSourceTrees()),
                         [](const auto& info) {
                             std::string name = info.param.exportName;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace tessaly::testing
