#include "e2e/golden_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string_view>

namespace tessaly::testing {

namespace fs = std::filesystem;

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) {
        return text;
    }
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string treeListing(const fs::path& root) {
    std::string listing;
    if (!fs::exists(root)) {
        return listing;
    }
    for (const auto& [path, content] : snapshotTree(root)) {
        listing +=
            (content == "<dir>" && fs::is_directory(root / path) ? "d " : "f ") + path + "\n";
    }
    return listing;
}

bool updatingGolden() {
    const char* value = std::getenv("TESSALY_UPDATE_GOLDEN");
    return value != nullptr && std::string_view(value) == "1";
}

void compareWithGolden(const fs::path& expectedFolder, const std::string& output,
                       const fs::path& destination, const fs::path& work) {
    // The program sees the working folder as the system reports it, links
    // resolved.
    const std::string workPath = fs::canonical(work).string();
    const std::string actualOutput = replaceAll(output, workPath, kWorkPlaceholder);
    const std::string actualTree = treeListing(destination);
    std::map<std::string, std::string> actualFiles;
    if (fs::exists(destination)) {
        for (const auto& [path, content] : snapshotTree(destination)) {
            if (!fs::is_directory(destination / path)) {
                actualFiles[path] = replaceAll(content, workPath, kWorkPlaceholder);
            }
        }
    }

    if (updatingGolden()) {
        fs::remove_all(expectedFolder);
        writeFile(expectedFolder / "stdout.txt", actualOutput);
        writeFile(expectedFolder / "tree.txt", actualTree);
        for (const auto& [path, content] : actualFiles) {
            writeFile(expectedFolder / "files" / path, content);
        }
        return;
    }

    ASSERT_TRUE(fs::exists(expectedFolder / "stdout.txt"))
        << "no expectations in " << expectedFolder << " (TESSALY_UPDATE_GOLDEN=1 writes them)";
    EXPECT_EQ(readFile(expectedFolder / "stdout.txt"), actualOutput) << "standard output";
    EXPECT_EQ(readFile(expectedFolder / "tree.txt"), actualTree) << "output tree";
    for (const auto& [path, content] : actualFiles) {
        EXPECT_EQ(readFile(expectedFolder / "files" / path), content) << "content of " << path;
    }
}

}  // namespace tessaly::testing
