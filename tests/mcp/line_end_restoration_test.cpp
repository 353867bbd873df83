// Files built in the test whose CR bytes a line-end conversion turns into
// LF: each field the reader uses that held a CR is restored from the
// format's constraints, and the file reads as the intact one did; where two
// readings both fit, the file is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "mcp/binary_builder.h"
#include "mcp/binary_project.h"
#include "mcp/export_xml.h"
#include "mcp/project_source.h"
#include "platform/messages.h"
#include "support/line_end_conversions.h"
#include "support/memory_file.h"
#include "support/recording_console.h"

namespace tessaly::testing {
namespace {

// One of the counts of bytes that reading the file repaired; 0 for a file
// refused.
std::size_t repaired(const std::string& bytes, std::size_t BinaryProject::*count) {
    std::string file = bytes;
    try {
        return readBinaryProject(file).*count;
    } catch (const DamagedProjectError&) {
        return 0;
    }
}

// Files named so that a group lists them in name order, with references
// from 0x01000000 + `first` on: from 0x01000009, the second one's,
// 0x0100000A, and the fifth's, 0x0100000D, read alike once converted.
std::vector<FileSpec> lettered(std::size_t count, std::uint32_t first = 9) {
    std::vector<FileSpec> files;
    for (std::size_t i = 0; i < count; ++i) {
        files.push_back(
            {0x01000000 + first + std::uint32_t(i), std::string(1, char('a' + i)) + ".c"});
    }
    return files;
}

void prefixText(BinaryBuilder& project, const std::string& text) {
    Bytes record = project.bytes();
    record.u16(3).padTo(0x16).raw(text).u8(0);
    project.panel("Debug", "C/C++ Preprocessor", record.str());
}

// As lettered, named backwards: a group listing them as they were added
// keeps no name order.
std::vector<FileSpec> backwards(std::size_t count) {
    std::vector<FileSpec> files = lettered(count);
    for (std::size_t i = 0; i < count; ++i) {
        files[i].name = std::string(1, char('z' - i)) + ".c";
    }
    return files;
}

std::string groupOf(const BinaryBuilder& project, const std::vector<FileSpec>& files,
                    const std::vector<std::size_t>& order, std::string_view name = "Sources") {
    std::string nodes = project.groupNode(name, std::uint32_t(order.size()));
    for (const std::size_t i : order) {
        nodes += project.fileNode(files[i].reference);
    }
    return nodes;
}

// A big-endian project of one target "T" of `files` and top groups, each
// listing some of them.
void targetInGroups(BinaryBuilder& project, const std::vector<FileSpec>& files,
                    const std::vector<std::pair<std::string, std::vector<std::size_t>>>& groups) {
    project = BinaryBuilder(ByteOrder::Big);
    project.target("T", 1, files);
    std::string nodes;
    for (const auto& [name, order] : groups) {
        nodes += groupOf(project, files, order, name);
    }
    project.groups(std::uint32_t(groups.size()), nodes);
}

// Twenty-four files of a target "T" in groups: A of ten, B holding C of
// thirteen, and the last file at the top. Converted, the counts 10 and 13
// read alike, and the tree closes either way: A may be the group of
// thirteen, holding B and two of C's files, whose last three then stand
// outside it, parting files that stand together in the intact tree.
void tenAndThirteen(BinaryBuilder& project, const std::vector<FileSpec>& files) {
    project = BinaryBuilder(ByteOrder::Big);
    project.target("T", 1, files);
    std::string nodes = project.groupNode("A", 10);
    for (std::size_t i = 0; i < 23; ++i) {
        nodes += (i == 10 ? project.groupNode("B", 1) + project.groupNode("C", 13) : "") +
                 project.fileNode(files[i].reference);
    }
    project.groups(3, nodes + project.fileNode(files[23].reference));
}

// Files stored by path, references two apart: A's in "src", C's in "inc".
std::vector<FileSpec> inFolders() {
    std::vector<FileSpec> files = lettered(24, 0x20);
    for (std::size_t i = 0; i < files.size(); ++i) {
        files[i].reference = 0x01000020 + 2 * std::uint32_t(i);
        files[i].name = (i < 10 ? "src\\" : i < 23 ? "inc\\" : "") + files[i].name;
        files[i].pathType = 1;
        files[i].format = 2;
        files[i].folder = 3;
    }
    return files;
}

// The sample project with one part changed so that a field the reader uses
// holds a CR byte.
struct Case {
    const char* field;
    std::function<void(BinaryBuilder&)> change;
    ByteOrder order = ByteOrder::Big;
};

// An unread chunk first, of a size that puts the next one, the file counts
// of the target's list (whose bytes cannot tell where they lie), at 0x20D:
// read at 0x20A, it would overlap the first.
void offsetWithCr(BinaryBuilder& project) {
    constexpr std::size_t kDataStart = 0x128;
    project = BinaryBuilder(ByteOrder::Big);
    project.chunk("xtra", 0, std::string(0x20D - kDataStart, '\1'));
    project.target("T", 1, {{0x01000001, "main.c"}});
    project.groups(1, project.fileNode(0x01000001));
}

// A target "T" of files whose names are the given string numbers (the
// builder numbers the target's name 1 and the files' own names from 2 on;
// names past those are spare strings).
void namedFiles(BinaryBuilder& project, const std::vector<std::uint32_t>& names) {
    project = BinaryBuilder(ByteOrder::Big);
    std::vector<FileSpec> files = lettered(names.size(), 0x10);
    for (std::size_t i = 0; i < files.size(); ++i) {
        files[i].nameNumber = names[i];
    }
    project.target("T", 1, files);
    for (std::uint32_t next = std::uint32_t(files.size()) + 2;
         next <= *std::max_element(names.begin(), names.end()); ++next) {
        project.string(1000, "spare.c");
    }
}

// The eleventh file's name, string 0x0D, lies between no neighbours', and
// reads as the ninth's, 0x0A, once converted.
void namesOutOfOrder(BinaryBuilder& project) {
    namedFiles(project, {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 12});
}

// Eleven files; the tenth, named string 0x0A, stands in no run of names,
// and string 0x0D, which it reads as once converted, names no file but a
// part of the project: a panel, or a target's linker.
void nameBesidePartName(BinaryBuilder& project, const std::string& part, const std::string& panel,
                        const std::string& record) {
    namedFiles(project, {2, 3, 4, 5, 6, 7, 8, 9, 12, 10, 11});
    project.string(1000, part);
    project.panel("T", panel, record);
}

const std::vector<Case> kCases = {
    {"an index offset", offsetWithCr},
    {"a chunk size",
     [](BinaryBuilder& p) {
         // 0x10D bytes, ended by the text's NUL.
         Bytes record = p.bytes();
         record.u16(3).padTo(0x16).raw(std::string(0x10D - 0x16 - 1, 'x')).u8(0);
         p.panel("Debug", "C/C++ Preprocessor", record.str());
     }},
    {"a string offset",
     [](BinaryBuilder& p) {
         p = BinaryBuilder(ByteOrder::Big);
         p.target("Twelve chars", 1, {{0x01000001, "main.c"}});  // the next string at 13
         p.groups(1, p.fileNode(0x01000001));
     }},
    {"a count",
     [](BinaryBuilder& p) {
         p = BinaryBuilder(ByteOrder::Little);
         std::vector<FileSpec> files = lettered(13);
         for (FileSpec& file : files) {
             file.reference += 0x10;  // no reference holds a CR
         }
         p.target("T", 1, files);
     }},
    {"a panel version",
     [](BinaryBuilder& p) {
         Bytes compiler = p.bytes();
         compiler.u16(13).u8(1).u8(1).zeros(5).pascal("prefix.h", 32).padTo(57);
         p.panel("Debug", "C/C++ Compiler", compiler.u8(8).padTo(62).str());
     }},
    {"a prefix file's name of 13 letters, which reads as 10 followed by leftovers",
     [](BinaryBuilder& p) {
         Bytes compiler = p.bytes();
         compiler.u16(13).u8(1).u8(1).zeros(5).pascal("libxpt.Prefix", 32).padTo(57);
         p.panel("Debug", "C/C++ Compiler", compiler.u8(8).padTo(62).str());
     }},
    {"a file reference",
     [](BinaryBuilder& p) {
         targetInGroups(p, lettered(8), {{"Sources", {0, 1, 2, 3, 4, 5, 6, 7}}});
     }},
    {"file references in a group that lists its files as they were added",
     [](BinaryBuilder& p) {
         targetInGroups(p, backwards(8), {{"Sources", {0, 1, 2, 3, 4, 5, 6, 7}}});
     }},
    {"a file reference that the group tree's other uses leave to one file",
     [](BinaryBuilder& p) {
         targetInGroups(p, backwards(8), {{"Libraries", {7, 1}}, {"Sources", {0, 2, 3, 4, 5, 6}}});
     }},
    {"a file's name that another file's decided name leaves to one string", namesOutOfOrder},
    {"a file's name beside a panel's",
     [](BinaryBuilder& p) {
         nameBesidePartName(p, "Custom Keywords", "Custom Keywords", std::string(8, '\0'));
     }},
    {"a file's name beside a linker's",
     [](BinaryBuilder& p) {
         Bytes settings = p.bytes();
         settings.u16(10).u16(0).raw("Java Linker").padTo(1556);
         nameBesidePartName(p, "Java Linker", "Target Settings", settings.str());
     }},
    {"a prefix text written on Windows",
     [](BinaryBuilder& p) { prefixText(p, "#define A 1\r\n\r\n#define B 2\r\n"); },
     ByteOrder::Little},
    {"a prefix text imported from Mac OS into a Windows project",
     [](BinaryBuilder& p) { prefixText(p, "/* imported */\r\r#define A 1\r"); }, ByteOrder::Little},
    {"a group's child count",
     [](BinaryBuilder& p) {
         targetInGroups(p, lettered(13, 0x20),
                        {{"Sources", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}});
     }},
    {"a group's child count in a tree that keeps a stale node after it, its last file again",
     [](BinaryBuilder& p) {
         const std::vector<FileSpec> files = lettered(13, 0x20);
         p = BinaryBuilder(ByteOrder::Big);
         p.target("T", 1, files);
         p.groups(1, groupOf(p, files, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}) +
                         p.fileNode(files[12].reference));
     }},
    {"child counts 10 and 13, the groups' files added one after another",
     [](BinaryBuilder& p) {
         std::vector<FileSpec> files = lettered(24, 0x20);
         files[23].reference = 0x01000050;
         tenAndThirteen(p, files);
     }},
    {"child counts 10 and 13, the groups' files each in a folder of their own",
     [](BinaryBuilder& p) { tenAndThirteen(p, inFolders()); }},
};

TEST(LineEndRestoration, EachFieldThatHeldACrIsRestored) {
    for (const Case& test : kCases) {
        SCOPED_TRACE(test.field);
        BinaryBuilder project = sampleProject(test.order);
        test.change(project);
        const std::string intact = project.build().bytes;
        ASSERT_NE(intact.find('\r'), std::string::npos);
        const std::string damaged = withCrAsLf(intact);
        EXPECT_EQ(repaired(intact, &BinaryProject::restoredBytes), 0u);
        EXPECT_EQ(exportOrDamage(damaged), exportOrDamage(intact));
        EXPECT_GT(repaired(damaged, &BinaryProject::restoredBytes), 0u);
    }
}

// A file whose LF bytes were written as CR LF reads as it did before, also
// after a conversion of its CR bytes into LF (a Mac OS client's check-in,
// then a Windows checkout); one that held CR LF of its own cannot be told
// from its conversion and is refused.
TEST(LineEndRestoration, CrBytesPutBeforeLfAreRemoved) {
    const auto holdingCrLf = [](BinaryBuilder& p) {
        prefixText(p, "#define A 1\r\n#define B 2\n");
    };
    std::vector<Case> cases = kCases;
    cases.push_back({"a prefix text of CR LF and LF", holdingCrLf, ByteOrder::Little});
    int refused = 0;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.field);
        BinaryBuilder project = sampleProject(test.order);
        test.change(project);
        const std::string intact = project.build().bytes;
        const std::string grown = withCrBeforeLf(intact);
        EXPECT_EQ(repaired(intact, &BinaryProject::removedCrBytes), 0u);
        if (grown != intact && intact.find("\r\n") != std::string::npos) {
            const std::string result = exportOrDamage(grown);
            EXPECT_TRUE(
                result.starts_with("damaged: " + message::damageReason(Damage::AddedCr, "", 0)))
                << result.substr(0, 200);
            ++refused;
            continue;
        }
        EXPECT_EQ(exportOrDamage(grown), exportOrDamage(intact));
        EXPECT_EQ(repaired(grown, &BinaryProject::removedCrBytes), grown.size() - intact.size());
        const std::string twice = withCrBeforeLf(withCrAsLf(intact));
        EXPECT_EQ(exportOrDamage(twice), exportOrDamage(withCrAsLf(intact)));
        EXPECT_EQ(repaired(twice, &BinaryProject::removedCrBytes), twice.size() - intact.size());
    }
    EXPECT_GE(refused, 1);
    // Undone, it must end with its index again, as every intact file does.
    BinaryBuilder project = sampleProject(ByteOrder::Big);
    prefixText(project, "#define A 1\n");
    const std::string intact = project.build().bytes;
    ASSERT_GT(withCrBeforeLf(intact).size(), intact.size());
    EXPECT_TRUE(exportOrDamage(withCrBeforeLf(intact) + "\r\n")
                    .starts_with("damaged: " + message::damageReason(Damage::AddedCr, "", 0)));
    // A file cut short is told as such, whether it holds a lone LF or none.
    for (const std::string& cut : {intact.substr(0, intact.size() / 2),
                                   sampleProject(ByteOrder::Big).build().bytes.substr(0, 900)}) {
        const std::string result = exportOrDamage(cut);
        EXPECT_TRUE(result.starts_with("damaged: ")) << result.substr(0, 200);
        EXPECT_EQ(result.find("CR LF"), std::string::npos) << result;
    }
}

// Where a conversion made two fields alike and nothing in the file tells
// them apart, which is which is lost: the file is refused.
TEST(LineEndRestoration, TwoReadingsThatBothFitAreRefused) {
    const std::vector<std::pair<const char*, std::function<void(BinaryBuilder&)>>> cases = {
        {"two files of references 0x0100000D and 0x0100000A in a group too small to show an "
         "order",
         [](BinaryBuilder& p) {
             targetInGroups(p, lettered(8), {{"Sources", {4, 1}}});
         }},
        {"a file's name, string 0x0D or the unused 0x0A, between names that leave more than "
         "one string between them",
         [](BinaryBuilder& p) {
             namedFiles(p, {2, 3, 4, 5, 6, 7, 8, 9, 11, 13, 15, 14, 12});
         }},
        {"a group of 10 files, three files, a group of 13: which group holds the three",
         [](BinaryBuilder& p) {
             const std::vector<FileSpec> files = lettered(26, 0x20);
             p.target("T", 1, files);
             std::string nodes = p.groupNode("Ten", 10);
             for (std::size_t i = 0; i < 26; ++i) {
                 nodes +=
                     (i == 13 ? p.groupNode("Thirteen", 13) : "") + p.fileNode(files[i].reference);
             }
             p.groups(5, nodes);
         }},
        {"child counts 10 and 13 where the other reading parts one pair of files added one "
         "after another more, as a tree now and then does",
         [](BinaryBuilder& p) {
             std::vector<FileSpec> files = lettered(24, 0x20);
             files[22].reference = 0x01000050;
             files[23].reference = 0x01000060;
             tenAndThirteen(p, files);
         }},
    };
    for (const auto& [what, change] : cases) {
        SCOPED_TRACE(what);
        BinaryBuilder project(ByteOrder::Big);
        change(project);
        const std::string intact = project.build().bytes;
        const std::string result = exportOrDamage(withCrAsLf(intact));
        EXPECT_TRUE(
            result.starts_with("damaged: a line-end conversion turned its CR bytes into LF"))
            << result.substr(0, 200);
        EXPECT_FALSE(exportOrDamage(intact).starts_with("damaged: "));
    }
}

// Target number `number` ("T", then "T2", "T3" ...) of files a.c, b.c, c.c
// stored by path, each below the access path of `paths` whose id `folders`
// gives.
void filesOnPaths(BinaryBuilder& project, std::uint8_t number, const std::vector<PathSpec>& paths,
                  const std::vector<std::uint32_t>& folders) {
    std::vector<FileSpec> files = lettered(folders.size(), 0x20);
    for (std::size_t i = 0; i < files.size(); ++i) {
        files[i].reference += std::uint32_t(number - 1) << 24;
        files[i].pathType = 1;
        files[i].format = 2;
        files[i].folder = folders[i];
    }
    const std::string name = number == 1 ? "T" : std::string{'T', char('0' + number)};
    project.target(name, number, files);
    project.panel(name, "Access Paths", project.accessPaths(paths, {}));
}

// On ..\a (0x0A) or ..\b (0x0D), ids that a conversion makes alike.
void filesOnTwoPaths(BinaryBuilder& project, const std::vector<std::uint32_t>& folders) {
    filesOnPaths(project, 1, {{1, 2, "..\\a", 0x0A}, {1, 2, "..\\b", 0x0D}}, folders);
}

// On ..\a, ..\b or ..\c of another target (0x30, 0x31, 0x32), ids no
// conversion makes alike.
void sameFilesElsewhere(BinaryBuilder& project, std::uint8_t number,
                        const std::vector<std::uint32_t>& folders) {
    filesOnPaths(project, number,
                 {{1, 2, "..\\a", 0x30}, {1, 2, "..\\b", 0x31}, {1, 2, "..\\c", 0x32}}, folders);
}

// Conversions of part of the file that would leave a valid project, a
// different one: the one sign of each is refused.
TEST(LineEndRestoration, APartConvertedIsSeen) {
    // Turns the CR that ends each of `fields`, each found by its bytes.
    const auto turned = [](std::string bytes, const std::vector<std::string>& fields) {
        for (const std::string& field : fields) {
            const std::size_t at = bytes.find(field);
            EXPECT_NE(at, std::string::npos);
            if (at != std::string::npos) {
                bytes[at + field.size() - 1] = '\n';
            }
        }
        return bytes;
    };
    const Bytes big(ByteOrder::Big);
    const std::vector<std::pair<const char*, std::function<std::string()>>> cases = {
        {"one name, string 0x0D, the tenth file's between names 11 and 15: as string 0x0A, a "
         "spare one, it lies out of its neighbours' order",
         [&] {
             BinaryBuilder project(ByteOrder::Big);
             namedFiles(project, {2, 3, 4, 5, 6, 7, 8, 9, 11, 13, 15, 14, 12});
             return turned(project.build().bytes, {Bytes(big).u32(0x01000019).u32(13).str()});
         }},
        {"the id of an access path, 0x0D, and the folder of one of its two files: as 0x0A, "
         "it is another path's id as well",
         [&] {
             BinaryBuilder project(ByteOrder::Big);
             filesOnTwoPaths(project, {0x0A, 0x0D, 0x0D});
             const std::string entryOfB =
                 Bytes(big).u32(0x01000021).u32(3).u8(1).u8(2).zeros(2).u32(0x0D).str();
             return turned(project.build().bytes,
                           {Bytes(big).u32(0xFFFFFFFF).u32(0x0D).str(), entryOfB});
         }},
    };
    for (const auto& [what, partly] : cases) {
        SCOPED_TRACE(what);
        EXPECT_TRUE(exportOrDamage(partly()).starts_with(
            "damaged: a line-end conversion turned its CR bytes into LF"));
    }
}

// Two access paths of ids 0x0A and 0x0D, converted, read alike, and so do
// their files' folders: the disk tells below which path a file lies, or
// else another target that holds the file in a folder its bytes decide (a
// project holds one file of a name).
TEST(LineEndRestoration, TwoAccessPathsMadeAlikeAreToldApartByTheDiskOrAnotherTarget) {
    using Elsewhere = std::vector<std::uint32_t>;  // another target's folders of a.c, b.c, c.c
    struct Case {
        const char* what;
        std::vector<std::uint32_t> folders;  // of a.c, b.c, c.c
        std::set<std::string> onDisk;        // "access path|name"
        std::vector<Elsewhere> others;       // targets 2, 3, ...
        bool restored;
    };
    const Elsewhere cBelowB{0x30, 0x31, 0x31};
    const std::vector<Case> cases = {
        {"each file below its own path",
         {0x0A, 0x0D, 0x0D},
         {"..\\a|a.c", "..\\b|b.c", "..\\b|c.c"},
         {},
         true},
        {"files below the second path only, the first path holding none",
         {0x0D, 0x0D, 0x0D},
         {"..\\b|a.c", "..\\b|b.c", "..\\b|c.c"},
         {},
         true},
        {"a file below neither", {0x0A, 0x0D, 0x0D}, {"..\\a|a.c", "..\\b|b.c"}, {}, false},
        {"a file below both",
         {0x0A, 0x0D, 0x0D},
         {"..\\a|a.c", "..\\b|b.c", "..\\a|c.c", "..\\b|c.c"},
         {},
         false},
        {"a file below neither, another target's below the second path",
         {0x0A, 0x0D, 0x0D},
         {"..\\a|a.c", "..\\b|b.c"},
         {cBelowB},
         true},
        {"nothing on disk, another target holding every file",
         {0x0A, 0x0D, 0x0D},
         {},
         {cBelowB},
         true},
        {"a file below both, another target's below the second path",
         {0x0A, 0x0D, 0x0D},
         {"..\\a|a.c", "..\\b|b.c", "..\\a|c.c", "..\\b|c.c"},
         {cBelowB},
         true},
        {"a file below neither, another target's below a third path",
         {0x0A, 0x0D, 0x0D},
         {"..\\a|a.c", "..\\b|b.c"},
         {{0x30, 0x31, 0x32}},
         false},
        {"a file below neither, two other targets' below different paths",
         {0x0A, 0x0D, 0x0D},
         {"..\\a|a.c", "..\\b|b.c"},
         {cBelowB, {0x30, 0x31, 0x30}},
         false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        BinaryBuilder project(ByteOrder::Big);
        filesOnTwoPaths(project, test.folders);
        for (std::size_t i = 0; i < test.others.size(); ++i) {
            sameFilesElsewhere(project, std::uint8_t(i + 2), test.others[i]);
        }
        const std::string intact = project.build().bytes;
        int asked = 0;
        const FileOnDisk disk = [&](const FileLocation& location) {
            ++asked;
            return test.onDisk.contains(location.accessPath + "|" + location.path);
        };
        const std::string expected = exportOrDamage(intact, disk);
        EXPECT_EQ(asked, 0);  // an intact file's bytes decide
        const std::string result = exportOrDamage(withCrAsLf(intact), disk);
        EXPECT_GT(asked, 0);
        if (test.restored) {
            EXPECT_EQ(result, expected);
        } else {
            EXPECT_TRUE(
                result.starts_with("damaged: a line-end conversion turned its CR bytes into LF"))
                << result.substr(0, 200);
        }
        EXPECT_EQ(exportOrDamage(withCrAsLf(intact)).starts_with("damaged: "),
                  test.others.empty() || !test.restored);  // without the disk
    }
}

// A crafted target of 200 access paths and 200 files, every id and folder
// 0x0A, and no CR anywhere: the paths cannot all be distinct, so the file
// is refused without a look-up for each path of each file.
TEST(LineEndRestoration, PathsThatCannotBeDistinctAreNotLookedUp) {
    BinaryBuilder project(ByteOrder::Big);
    std::vector<FileSpec> files;
    std::vector<PathSpec> paths;
    for (std::uint32_t i = 0; i < 200; ++i) {
        const std::string number = std::to_string(i);
        files.push_back({0x01000100 + i, number + ".c", 1, 2});
        files.back().folder = 0x0A;
        paths.push_back({1, 2, number, 0x0A});
    }
    project.target("T", 1, files);
    project.panel("T", "Access Paths", project.accessPaths(paths, {}));
    std::string file = withCrAsLf(project.build().bytes);
    int asked = 0;
    const FileOnDisk disk = [&](const FileLocation&) {
        ++asked;
        return true;
    };
    EXPECT_THROW(readBinaryProject(file, disk), DamagedProjectError);
    EXPECT_LE(asked, 16 * 200);
}

// An intact file reads as its bytes say, though another target holds a
// file of the same name elsewhere: its files' folders are not re-read.
TEST(LineEndRestoration, AnIntactFileKeepsItsFoldersWhateverAnotherTargetHolds) {
    BinaryBuilder project(ByteOrder::Big);
    filesOnTwoPaths(project, {0x0A, 0x0D, 0x0D});
    sameFilesElsewhere(project, 2, {0x31, 0x31, 0x31});
    std::string intact = project.build().bytes;
    const BinaryProject read = readBinaryProject(intact);
    EXPECT_EQ(read.restoredBytes, 0u);
    EXPECT_EQ(read.targets.at(0).files.at(0).folder, 0x0Au);
}

// The link order of references 0x0100000D and 0x0100000A, out of the file
// list's order: converted, nothing tells them apart. The conversion does not
// use a link order, so the file still converts; its export is refused.
TEST(LineEndRestoration, ALinkOrderLeftOpenRefusesTheExportOnly) {
    BinaryBuilder project(ByteOrder::Big);
    const std::vector<FileSpec> files = lettered(8);
    project.target("T", 1, files);
    project.replace("mtlo", 1, project.bytes().u32(0x0100000D).u32(0x0100000A).str());
    std::string damaged = withCrAsLf(project.build().bytes);
    auto input = memoryFile(damaged);
    RecordingConsole console;
    try {
        binaryProjectExport(*input, console);
        ADD_FAILURE() << "the export was written";
    } catch (const DamagedProjectError& error) {
        EXPECT_EQ(error.reason(), message::damageReason(Damage::LineEnds, "", 2));
    }
    const BinaryProject read = readBinaryProject(damaged);
    EXPECT_EQ(read.unrestoredForExport, 2u);
    EXPECT_EQ(read.targets.at(0).files.at(4).name, "e.c");
}

// A conversion that reached some chunks only: the file list and the link
// order, not the group tree. The group's reference, unchanged, says which
// value the file's has (read as LF, the link order would pair with it as well),
// and the link order takes it too.
TEST(LineEndRestoration, AReferenceLeftUnchangedPinsItsFile) {
    BinaryBuilder project(ByteOrder::Big);
    project.target("T", 1, {{0x0100000D, "e.c"}, {0x0100000E, "f.c"}});
    project.groups(1, project.fileNode(0x0100000D));
    const BuiltProject built = project.build();
    std::string partly = built.bytes;
    const auto u32 = [&](std::size_t at) {
        return std::uint32_t(std::uint8_t(partly[at])) << 24 |
               std::uint32_t(std::uint8_t(partly[at + 1])) << 16 |
               std::uint32_t(std::uint8_t(partly[at + 2])) << 8 | std::uint8_t(partly[at + 3]);
    };
    for (const auto& chunk : {std::pair(fourCc("mtpl"), 1u), std::pair(fourCc("mtlo"), 1u)}) {
        const std::size_t entry = built.entryAt.at(chunk);
        const std::size_t at = u32(entry);
        std::replace(partly.begin() + at, partly.begin() + at + u32(entry + 4), '\r', '\n');
    }
    ASSERT_NE(partly, built.bytes);
    EXPECT_EQ(exportOrDamage(partly), exportOrDamage(built.bytes));
}

}  // namespace
}  // namespace tessaly::testing
