#include "support/test_files.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace tessaly::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = fs::temp_directory_path() / ("tessaly-test-" + std::to_string(random()));
        if (fs::create_directory(path_)) {
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Folders a test made read-only must be writable again to be removed.
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << content;
}

std::map<std::string, std::string> snapshotTree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).generic_string();
        tree[relative] = entry.is_directory() ? "<dir>" : readFile(entry.path());
    }
    return tree;
}

std::vector<std::string> lines(const std::string& text, const std::string& lineEnd) {
    std::vector<std::string> result;
    for (std::size_t start = 0, end; start < text.size(); start = end + lineEnd.size()) {
        end = text.find(lineEnd, start);
        if (end == std::string::npos) {
            end = text.size();
        }
        result.push_back(text.substr(start, end - start));
    }
    return result;
}

}  // namespace tessaly::testing
