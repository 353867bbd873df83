// A JSON compilation database (compile_commands.json) of the project's C and
// C++ files, so that the tools that read one (clang-tidy, clangd, Cppcheck,
// include-what-you-use) can analyse a project that has no build system to
// write it. One entry per placed source file and target: a file placed under
// two targets gets two entries, one with each target's include folders.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaly {

enum class SourceLanguage { None, C, Cpp };

// By the text after the path's last '.', in any letter case: "c" is C;
// "cp", "cpp", "cc", "cxx" and "c++" are C++; anything else gets no entry.
SourceLanguage sourceLanguage(std::string_view path);

// What a target gives the entries of its files.
struct TargetCompileSettings {
    bool cFilesAsCpp = false;  // the IDE compiles .c files as C++
    std::vector<std::string> userIncludeFolders;
    std::vector<std::string> systemIncludeFolders;
    // The target's own macros, name and value (empty for a macro defined
    // without one).
    std::vector<std::pair<std::string, std::string>> macros;
    // The prefix files that the IDE reads before every source file.
    std::vector<std::string> prefixFiles;
};

// The compiler's arguments for one file: the compiler ("cc" or "c++"),
// "-x c++" for a C file compiled as C++, "-I" and "-isystem" per include
// folder, "-DNAME=value" per macro, the prefix files with the IDE's "__option(...)" tests off, "-c"
// and the file.
std::vector<std::string> compileArguments(const TargetCompileSettings& target,
                                          const std::string& file, SourceLanguage language);

struct CompileEntry {
    std::string directory;
    std::string file;
    std::vector<std::string> arguments;
};

// The database as JSON text. Texts come from the export as bytes: a byte
// that is not part of valid UTF-8 is written as the Latin-1 character of
// that byte.
std::string compilationDatabaseJson(const std::vector<CompileEntry>& entries);

// The bytes with every byte that is not part of a valid UTF-8 sequence
// replaced by the UTF-8 form of the Latin-1 character of that byte.
std::string validUtf8(std::string_view bytes);

}  // namespace tessaly
