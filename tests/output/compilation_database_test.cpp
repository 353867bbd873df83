#include "output/compilation_database.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace tessaly {
namespace {

using Strings = std::vector<std::string>;

TEST(CompilationDatabaseTest, LanguageByExtensionInAnyCase) {
    const std::pair<const char*, SourceLanguage> cases[] = {
        {"a.c", SourceLanguage::C},        {"A.C", SourceLanguage::C},
        {"a.cp", SourceLanguage::Cpp},     {"a.CPP", SourceLanguage::Cpp},
        {"a.cc", SourceLanguage::Cpp},     {"a.Cxx", SourceLanguage::Cpp},
        {"a.c++", SourceLanguage::Cpp},    {"a.h", SourceLanguage::None},
        {"a.hpp", SourceLanguage::None},   {"a.cs", SourceLanguage::None},
        {"c", SourceLanguage::None},       {"dir.c/file", SourceLanguage::None},
        {"a.c.txt", SourceLanguage::None}, {"", SourceLanguage::None},
    };
    for (const auto& [path, language] : cases) {
        EXPECT_EQ(sourceLanguage(path), language) << path;
    }
}

TEST(CompilationDatabaseTest, ArgumentsOfATarget) {
    TargetCompileSettings target;
    target.userIncludeFolders = {"/p/inc", "/p/inc/sub"};
    target.systemIncludeFolders = {"/cw/MSL"};
    EXPECT_EQ(compileArguments(target, "/p/a.c", SourceLanguage::C),
              (Strings{"cc", "-I/p/inc", "-I/p/inc/sub", "-isystem/cw/MSL", "-c", "/p/a.c"}));
    EXPECT_EQ(compileArguments(target, "/p/b.cpp", SourceLanguage::Cpp),
              (Strings{"c++", "-I/p/inc", "-I/p/inc/sub", "-isystem/cw/MSL", "-c", "/p/b.cpp"}));

    // The IDE compiles C files as C++ for this target; C++ files are C++ anyway.
    target.cFilesAsCpp = true;
    target.prefixFiles = {"/p/prefix.h", "/out/T/person/T.prefix.h"};
    // The target's own macros; one defined without a value keeps it empty.
    target.macros = {{"MAX(a,b)", "((a)>(b))"}, {"_DEBUG", "1"}, {"__NO_FLOAT__", ""}};
    EXPECT_EQ(compileArguments(target, "/p/a.c", SourceLanguage::C),
              (Strings{"cc", "-x", "c++", "-I/p/inc", "-I/p/inc/sub", "-isystem/cw/MSL",
                       "-DMAX(a,b)=((a)>(b))", "-D_DEBUG=1", "-D__NO_FLOAT__=", "-D__option(x)=0",
                       "-include", "/p/prefix.h", "-include", "/out/T/person/T.prefix.h", "-c",
                       "/p/a.c"}));
    EXPECT_EQ(compileArguments(target, "/p/b.cc", SourceLanguage::Cpp).at(1), "-I/p/inc");
}

TEST(CompilationDatabaseTest, InvalidUtf8BytesReadAsLatin1) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "plain"},
        {"D\xC3\xA9mo", "D\xC3\xA9mo"},                // valid UTF-8 stays
        {"D\xE9mo", "D\xC3\xA9mo"},                    // a Latin-1 byte
        {"\xC3", "\xC3\x83"},                          // a lead byte without its follower
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},              // an overlong form
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},  // a surrogate
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},      // four bytes, valid
        {"\xFF", "\xC3\xBF"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(validUtf8(bytes), text);
    }
}

TEST(CompilationDatabaseTest, JsonReadsBackEveryText) {
    const std::string awkward = std::string("q\"b\\s\x01\x1f\tn\n\xE9 \xC3\xA9\xC1\xBF", 17);
    const std::vector<CompileEntry> entries{
        {"C:\\work\\demo", "C:\\work\\demo\\" + awkward + ".c", {"cc", "-I" + awkward, "-c"}},
        {"/p", "/p/b.cpp", {"c++", "-c", "/p/b.cpp"}},
    };
    const std::string text = compilationDatabaseJson(entries);
    const auto database = nlohmann::json::parse(text);  // throws on invalid JSON or UTF-8
    ASSERT_EQ(database.size(), 2u);
    EXPECT_EQ(database[0]["directory"], "C:\\work\\demo");
    EXPECT_EQ(database[0]["file"], "C:\\work\\demo\\" + validUtf8(awkward) + ".c");
    EXPECT_EQ(database[0]["arguments"][1], "-I" + validUtf8(awkward));
    EXPECT_EQ(database[1]["arguments"], (Strings{"c++", "-c", "/p/b.cpp"}));
    EXPECT_FALSE(database[0].contains("command"));
    EXPECT_EQ(text.find('\x01'), std::string::npos) << "control bytes are escaped";
}

}  // namespace
}  // namespace tessaly
