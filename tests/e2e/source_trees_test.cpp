// Genuine exports converted where they belong, inside a tree of their own
// repository, with the CodeWarrior folder unknown: every reference that
// names a file of the repository must come out as that file's path, and
// every include folder the personalities name inside the repository must
// exist. The table of what resolved goes to the test's output.
#include "support/source_trees.h"

#include <gtest/gtest.h>

#include <iostream>

#include "platform/messages.h"
#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> addedPaths(const std::string& output) {
    std::vector<fs::path> paths;
    const std::string prefix = message::addingFile("");
    for (std::size_t start = 0, end; start < output.size(); start = end + 1) {
        end = output.find('\n', start);
        const std::string line = output.substr(start, end - start);
        if (line.starts_with(prefix)) {
            paths.emplace_back(line.substr(prefix.size()));
        }
    }
    return paths;
}

TreeResolution convertInPlace(const SourceTreeCase& tree, const fs::path& paths,
                              const fs::path& exportFile) {
    TempFolder work;
    const fs::path root = fs::canonical(work.path()) / "repository";
    const std::set<std::string> files = buildRepositoryTree(paths, root);
    const std::string exportText = readFile(exportFile);
    writeFile(root / tree.place, exportText);
    const fs::path dest = work.path() / "out";
    fs::create_directory(dest);

    const ProgramResult result =
        runProgram(TESSCLI_PATH, {(root / tree.place).string(), dest.string(), ""}, root);
    EXPECT_EQ(result.exitStatus, 0) << result.output;

    std::vector<fs::path> includeFolders;
    for (const std::string& folder : includeLines(dest)) {
        includeFolders.emplace_back(folder);
    }
    const TreeResolution resolution = judgeResolution(root, files, groupListReferences(exportText),
                                                      addedPaths(result.output), includeFolders);
    std::cout << tree.exportName << ": " << resolution.resolved << " of " << resolution.resolvable
              << " references resolved; " << resolution.existingIncludeFolders << " of "
              << resolution.includeFolders << " include folders in the repository exist\n";
    return resolution;
}

void expectEverythingResolved(const TreeResolution& resolution) {
    EXPECT_GT(resolution.resolvable, 0);
    EXPECT_EQ(resolution.resolved, resolution.resolvable);
    for (const std::string& lost : resolution.lost) {
        ADD_FAILURE() << "not resolved: " << lost;
    }
    EXPECT_EQ(resolution.existingIncludeFolders, resolution.includeFolders);
    for (const std::string& missing : resolution.missingIncludeFolders) {
        ADD_FAILURE() << "include folder missing: " << missing;
    }
}

class SourceTrees : public ::testing::TestWithParam<SourceTreeCase> {};

TEST_P(SourceTrees, EveryReferenceToARepositoryFileResolves) {
    const SourceTreeCase& tree = GetParam();
    expectEverythingResolved(convertInPlace(
        tree, fs::path(TESSALY_TEST_DATA) / "real-trees" / (tree.exportName + ".paths"),
        fs::path(TESSALY_TEST_DATA) / "real-exports" / (tree.exportName + ".xml")));
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
    const TreeResolution resolution = convertInPlace(tree, paths, exportFile);
    expectEverythingResolved(resolution);
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
