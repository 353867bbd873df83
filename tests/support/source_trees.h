// Genuine exports converted where they belong: inside a tree of their own
// repository at the export's commit (every folder, every file empty), as
// users run them. What a conversion made of it is judged by the file
// references and include folders that name something in the repository.
#pragma once

#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace tessaly::testing {

struct SourceTreeCase {
    std::string exportName;  // the export's file name without ".xml"
    std::string place;       // the export's path in its repository
};

// How a test names the case in its output.
inline void PrintTo(const SourceTreeCase& tree, std::ostream* out) {
    *out << tree.exportName;
}

// The seven genuine exports whose repositories are listed in
// tests/data/real-trees, and the one (macsurf) listed in the shared folder.
const std::vector<SourceTreeCase>& keptSourceTrees();
const SourceTreeCase& macsurfSourceTree();

// Makes every folder and every (empty) file that the list names below
// `root`; returns the files' paths relative to it, with "/".
std::set<std::string> buildRepositoryTree(const std::filesystem::path& pathsFile,
                                          const std::filesystem::path& root);

// The tree of `pathsFile`, made once below `cacheFolder` and kept there for
// later test processes: making some 10,000 empty files costs seconds on
// every run otherwise. The folder's name holds a digest of the list, so a
// changed list gets a new tree; a tree is made aside and renamed into place,
// so processes running at once never see a half-made one.
std::filesystem::path keptRepositoryTree(const std::filesystem::path& pathsFile,
                                         const std::filesystem::path& cacheFolder);

// The repository's tree built below `root` and the export written at its
// place in it.
struct PlacedExport {
    std::set<std::string> files;  // the repository's files, relative to root
    std::string exportText;
    std::filesystem::path exportPath;
};
PlacedExport placeInRepository(const SourceTreeCase& tree, const std::filesystem::path& pathsFile,
                               const std::filesystem::path& exportFile,
                               const std::filesystem::path& root);
// The same for a tree and export kept in tests/data.
PlacedExport placeKeptExport(const SourceTreeCase& tree, const std::filesystem::path& root);

// The paths of the "adding file" lines of a run's output (LF or CR LF), in
// order; a "file not found" line gives the empty path.
std::vector<std::string> addedFilePaths(const std::string& output);

// A file reference of the group list, its texts as the export writes them
// (the five predefined entities decoded).
struct ListedReference {
    std::string pathType;
    std::string accessPath;
    std::string path;
};

// The group list's file references in document order: the order of the
// converter's "adding file" lines when every file is accepted.
std::vector<ListedReference> groupListReferences(const std::string& exportText);

struct TreeResolution {
    int resolvable = 0;  // references that name a file of the repository
    int resolved = 0;    // ... that came out as that file's path
    std::vector<std::string> lost;
    int includeFolders = 0;  // include folders named in a folder of the repository
    int existingIncludeFolders = 0;
    std::vector<std::string> missingIncludeFolders;
};

// `added`: the paths of the "adding file" lines, in order; `includeFolders`:
// the folders the personalities name; both as host paths.
TreeResolution judgeResolution(const std::filesystem::path& root,
                               const std::set<std::string>& files,
                               const std::vector<ListedReference>& references,
                               const std::vector<std::filesystem::path>& added,
                               const std::vector<std::filesystem::path>& includeFolders);

// Prints the resolution's line of the table under `label`, and fails the
// test for every reference lost and every include folder missing.
void expectEverythingResolved(const std::string& label, const TreeResolution& resolution);

// The folder of every "-i" line of the personalities below `destination`,
// as written.
std::vector<std::string> includeLines(const std::filesystem::path& destination);

}  // namespace tessaly::testing
