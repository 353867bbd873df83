#include "support/source_trees.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "platform/messages.h"
#include "support/test_files.h"

namespace tessaly::testing {

namespace fs = std::filesystem;

const std::vector<SourceTreeCase>& keptSourceTrees() {
    static const std::vector<SourceTreeCase> cases{
        {"freetype-ftlib-mac-ide50", "builds/mac/ftlib.prj.xml"},
        {"w2c2-CoreMark-mac-ide42-cr", "examples/coremark/CW7/CoreMark.xml"},
        {"quesa-VRMLreader-mac-ide58", "SDK/Extras/VRML Reader/Projects/VRML-reader.mcp.xml"},
        {"quesa-Quesa-mac-ide50", "Development/Projects/Mac/Quesa.mcp.xml"},
        {"quesa-QuesaFramework-mac-ide50", "Development/Projects/Mac/Quesa Framework.mcp.xml"},
        {"quesa-Quesa-win32-ide50-cr", "Development/Projects/Windows/Quesa.mcp.xml"},
        {"quesa-3DSFileSupport-win32-ide50",
         "SDK/Extras/3DS-FileSupport/Projects/3DS-FileSupport-Win32.mcp.xml"},
    };
    return cases;
}

const SourceTreeCase& macsurfSourceTree() {
    static const SourceTreeCase macsurf{"macsurf-MacSrf-mac-ide50-cr", "MacSrf.xml"};
    return macsurf;
}

std::set<std::string> buildRepositoryTree(const fs::path& pathsFile, const fs::path& root) {
    std::ifstream list(pathsFile);
    if (!list) {
        throw std::runtime_error("cannot read " + pathsFile.string());
    }
    std::set<std::string> files;
    for (std::string line; std::getline(list, line);) {
        if (line.empty()) {
            continue;
        }
        const fs::path file = root / line;
        fs::create_directories(file.parent_path());
        std::ofstream{file};
        files.insert(line);
    }
    return files;
}

fs::path keptRepositoryTree(const fs::path& pathsFile, const fs::path& cacheFolder) {
    const std::string list = readFile(pathsFile);
    std::ostringstream name;
    name << pathsFile.stem().string() << '-' << std::hex << std::hash<std::string>{}(list);
    const fs::path tree = cacheFolder / name.str();
    if (fs::is_directory(tree)) {
        return tree;
    }
    const fs::path aside = cacheFolder / (name.str() + ".making-" + std::to_string(::getpid()));
    fs::remove_all(aside);
    buildRepositoryTree(pathsFile, aside);
    std::error_code renamed;
    fs::rename(aside, tree, renamed);
    if (renamed) {
        // Another process put its tree there first: the same list, so the
        // same tree.
        fs::remove_all(aside);
        if (!fs::is_directory(tree)) {
            throw fs::filesystem_error("cannot keep the tree", aside, tree, renamed);
        }
    }
    return tree;
}

PlacedExport placeInRepository(const SourceTreeCase& tree, const fs::path& pathsFile,
                               const fs::path& exportFile, const fs::path& root) {
    PlacedExport placed{buildRepositoryTree(pathsFile, root), readFile(exportFile),
                        root / tree.place};
    writeFile(placed.exportPath, placed.exportText);
    return placed;
}

PlacedExport placeKeptExport(const SourceTreeCase& tree, const fs::path& root) {
    const fs::path data = TESSALY_TEST_DATA;
    return placeInRepository(tree, data / "real-trees" / (tree.exportName + ".paths"),
                             data / "real-exports" / (tree.exportName + ".xml"), root);
}

std::vector<std::string> addedFilePaths(const std::string& output) {
    std::vector<std::string> paths;
    const std::string prefix = message::addingFile("");
    for (std::size_t start = 0, end; start < output.size(); start = end + 1) {
        end = std::min(output.find('\n', start), output.size());
        std::string line = output.substr(start, end - start);
        if (line.ends_with('\r')) {
            line.pop_back();
        }
        if (line.starts_with(prefix)) {
            paths.push_back(line.substr(prefix.size()));
        } else if (line.starts_with(message::fileNotFound(""))) {
            paths.emplace_back();
        }
    }
    return paths;
}

void expectEverythingResolved(const std::string& label, const TreeResolution& resolution) {
    std::cout << label << ": " << resolution.resolved << " of " << resolution.resolvable
              << " references resolved; " << resolution.existingIncludeFolders << " of "
              << resolution.includeFolders << " include folders in the repository exist\n";
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

namespace {

// &amp; &lt; &gt; &quot; &apos;, each decoded once.
std::string decoded(const std::string& text) {
    static const std::pair<const char*, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [entity, character] : kEntities) {
            if (text.compare(i, std::char_traits<char>::length(entity), entity) == 0) {
                out += character;
                i += std::char_traits<char>::length(entity);
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            out += text[i++];
        }
    }
    return out;
}

std::string elementText(const std::string& content, const std::string& name) {
    const std::string open = "<" + name + ">";
    const auto start = content.find(open);
    if (start == std::string::npos) {
        return {};
    }
    const auto textStart = start + open.size();
    return decoded(content.substr(textStart, content.find("</" + name + ">") - textStart));
}

// The names in a reference's texts, whatever their form: the pieces
// between ':', '/' and '\', without the empty ones, "." and "..".
std::string namedTail(const ListedReference& reference) {
    const std::string text =
        reference.pathType == "Name" ? reference.path : reference.accessPath + ":" + reference.path;
    std::string tail;
    std::size_t start = 0;
    for (std::size_t end = 0; end <= text.size(); ++end) {
        if (end < text.size() && text[end] != ':' && text[end] != '/' && text[end] != '\\') {
            continue;
        }
        const std::string piece = text.substr(start, end - start);
        if (!piece.empty() && piece != "." && piece != "..") {
            tail += (tail.empty() ? "" : "/") + piece;
        }
        start = end + 1;
    }
    return tail;
}

bool endsWithPieces(const std::string& file, const std::string& tail) {
    return !tail.empty() &&
           (file == tail || (file.size() > tail.size() && file.ends_with("/" + tail)));
}

// The path relative to `root` with "/", or empty when it lies outside.
std::string insideRoot(const fs::path& root, const fs::path& path) {
    const fs::path relative = path.lexically_normal().lexically_relative(root.lexically_normal());
    const std::string text = relative.generic_string();
    return relative.empty() || text.starts_with("..") ? std::string() : text;
}

}  // namespace

std::vector<ListedReference> groupListReferences(const std::string& exportText) {
    std::vector<ListedReference> references;
    const auto listStart = exportText.find("<GROUPLIST>");
    const auto listEnd = exportText.find("</GROUPLIST>");
    for (auto at = exportText.find("<FILEREF>", listStart); at < listEnd;
         at = exportText.find("<FILEREF>", at + 1)) {
        const std::string content = exportText.substr(at, exportText.find("</FILEREF>", at) - at);
        references.push_back({elementText(content, "PATHTYPE"), elementText(content, "ACCESSPATH"),
                              elementText(content, "PATH")});
    }
    return references;
}

TreeResolution judgeResolution(const fs::path& root, const std::set<std::string>& files,
                               const std::vector<ListedReference>& references,
                               const std::vector<fs::path>& added,
                               const std::vector<fs::path>& includeFolders) {
    TreeResolution result;
    for (std::size_t i = 0; i < references.size(); ++i) {
        const std::string tail = namedTail(references[i]);
        const bool resolvable = std::any_of(files.begin(), files.end(), [&](const std::string& f) {
            return endsWithPieces(f, tail);
        });
        if (!resolvable) {
            continue;
        }
        ++result.resolvable;
        const std::string file = i < added.size() ? insideRoot(root, added[i]) : std::string();
        if (files.count(file) != 0 && endsWithPieces(file, tail)) {
            ++result.resolved;
        } else {
            result.lost.push_back(tail + " -> " + (i < added.size() ? added[i].string() : "?"));
        }
    }
    for (const fs::path& folder : includeFolders) {
        // Folders the build makes (an "Output" folder) are not the
        // repository's: only a folder whose parent the repository has counts.
        const fs::path normal = folder.lexically_normal();
        if (insideRoot(root, normal).empty() ||
            !fs::is_directory(normal.has_filename() ? normal.parent_path()
                                                    : normal.parent_path().parent_path())) {
            continue;
        }
        ++result.includeFolders;
        if (fs::is_directory(folder)) {
            ++result.existingIncludeFolders;
        } else {
            result.missingIncludeFolders.push_back(folder.string());
        }
    }
    return result;
}

std::vector<std::string> includeLines(const fs::path& destination) {
    std::vector<std::string> folders;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(destination)) {
        if (entry.path().extension() != ".p_a") {
            continue;
        }
        const std::string text = readFile(entry.path());
        for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
            end = text.find("\r\n", start);
            if (end == std::string::npos) {
                end = text.size();
            }
            const std::string line = text.substr(start, end - start);
            if (line.starts_with("-i \"") && line.ends_with('"')) {
                folders.push_back(line.substr(4, line.size() - 5));
            }
        }
    }
    return folders;
}

}  // namespace tessaly::testing
