// Runs the built tesscli in a temporary work folder and compares what it did
// with the expectations checked in under tests/data/<case>/expected/:
//   stdout.txt  the whole standard output;
//   tree.txt    every folder ("d ") and file ("f ") below the destination
//               folder, one per line, in byte order of their paths;
//   files/...   the content of each of those files, byte for byte.
// The work folder's absolute path stands as @WORK@ in every expectation.
// With TESSALY_UPDATE_GOLDEN=1 in the environment the expectations are
// rewritten from the actual run instead (review them before committing).
#pragma once

#include <filesystem>
#include <string>

#include "support/test_files.h"

namespace tessaly::testing {

inline constexpr const char* kWorkPlaceholder = "@WORK@";

// Replaces every occurrence of `from` in `text` by `to`.
std::string replaceAll(std::string text, const std::string& from, const std::string& to);

// The tree.txt listing of everything below `root`.
std::string treeListing(const std::filesystem::path& root);

bool updatingGolden();

// Compares (or, when updating, rewrites) the expectations in `expectedFolder`
// with the run's standard output and the tree below `destination`; `work` is
// the folder that @WORK@ stands for.
void compareWithGolden(const std::filesystem::path& expectedFolder, const std::string& output,
                       const std::filesystem::path& destination, const std::filesystem::path& work);

}  // namespace tessaly::testing
