// The group list: which file references are placed where, in which order.
#include <gtest/gtest.h>

#include "cwproject/parse_test_support.h"
#include "platform/messages.h"

namespace tessaly {
namespace {

using namespace testing;
using Strings = std::vector<std::string>;

std::string ref(const std::string& target, const std::string& path) {
    return fileRef(target, "PathRelative", "Project", "src", path);
}

std::string group(const std::string& name, const std::string& content) {
    return element("GROUP", element("NAME", name) + content);
}

std::string groupList(const std::string& content) {
    return element("GROUPLIST", content);
}

const GroupNode& child(const GroupNode& node, std::size_t index) {
    return *node.children.at(index);
}

TEST(GroupReadersTest, FilesArePlacedUnderTargetAndGroupsInDocumentOrder) {
    auto result = parse(project(
        target("T"),
        groupList(group("A", ref("T", "f1.c") + group("B", ref("T", "f2.c")) + ref("T", "f3.c")))));
    ASSERT_TRUE(result->complete);
    const GroupNode& t = child(*result->converter->rootGroup, 0);
    ASSERT_EQ(t.children.size(), 1u);
    const GroupNode& a = child(t, 0);
    EXPECT_EQ(a.name, "A");
    EXPECT_EQ(a.files, (Strings{"C:\\work\\demo\\src\\f1.c", "C:\\work\\demo\\src\\f3.c"}));
    EXPECT_EQ(child(a, 0).files, (Strings{"C:\\work\\demo\\src\\f2.c"}));
    EXPECT_EQ(result->console.lines, (Strings{message::addingFile("C:\\work\\demo\\src\\f1.c"),
                                              message::addingFile("C:\\work\\demo\\src\\f2.c"),
                                              message::addingFile("C:\\work\\demo\\src\\f3.c")}));
}

TEST(GroupReadersTest, NestedGroupFirstMakesOuterGroupFirst) {
    auto result = parse(
        project(target("T"), groupList(group("A", group("B", ref("T", "x.c")) + ref("T", "y.c")))));
    const GroupNode& a = child(child(*result->converter->rootGroup, 0), 0);
    EXPECT_EQ(a.name, "A");
    EXPECT_EQ(child(a, 0).name, "B");
}

TEST(GroupReadersTest, TargetNameCarriesWithinAGroupOnly) {
    const std::string noTarget = fileRef("", "PathRelative", "", "", "n.c");
    auto result = parse(project(
        target("T"),
        groupList(group("A", noTarget + ref("T", "t.c") + group("B", ref("U", "u.c")) + noTarget) +
                  group("C", noTarget))));
    const GroupNode& root = *result->converter->rootGroup;
    ASSERT_EQ(root.children.size(), 3u);
    EXPECT_EQ(child(root, 0).name, "T");
    EXPECT_EQ(child(root, 1).name, "") << "first reference without a target name";
    EXPECT_EQ(child(root, 2).name, "U") << "unknown target: a node made at the end";
    EXPECT_EQ(child(child(root, 0), 0).files, (Strings{"C:\\work\\demo\\src\\t.c", "n.c"}))
        << "the later reference takes T, not the nested group's U";
    EXPECT_EQ(child(root, 1).children.size(), 2u) << "groups A and C below the empty target";
}

TEST(GroupReadersTest, DuplicatesStayAndTwoTargetsBothGetTheFile) {
    auto result =
        parse(project(target("T") + target("U"),
                      groupList(group("G", ref("T", "a.c") + ref("T", "a.c") + ref("U", "a.c")))));
    const GroupNode& root = *result->converter->rootGroup;
    EXPECT_EQ(child(child(root, 0), 0).files.size(), 2u);
    EXPECT_EQ(child(child(root, 1), 0).files.size(), 1u);
}

TEST(GroupReadersTest, ExtensionFilter) {
    struct Case {
        Strings extensions;
        const char* path;
        bool accepted;
    };
    const Case cases[] = {
        {{}, "any.thing", true},          {{"c", "h"}, "main.C", true},  {{"c", "h"}, "io.h", true},
        {{"c", "h"}, "notes.txt", false}, {{".c"}, "main.c", false},     {{"c"}, "Makefile", false},
        {{"Makefile"}, "Makefile", true}, {{"c"}, "dir.c\\file", false}, {{""}, "trailing.", true},
        {{"cpp "}, "a.cpp", false},
    };
    for (const Case& c : cases) {
        FakePlatform platform;
        RecordingConsole console;
        ProjectConverter converter("p", "d", "cw", platform, console);
        converter.fileExtensions = c.extensions;
        EXPECT_EQ(converter.acceptFile(c.path), c.accepted) << c.path;
    }
}

TEST(GroupReadersTest, FilteredFileMakesNoGroupAndPrintsNothing) {
    auto result = parse(project(target("T"), groupList(group("Docs", ref("T", "notes.txt")))),
                        [](ParseResult& r) { r.converter->addFileExtensions("c,h"); });
    EXPECT_TRUE(result->complete);
    EXPECT_TRUE(child(*result->converter->rootGroup, 0).children.empty());
    EXPECT_TRUE(result->console.lines.empty());
}

TEST(GroupReadersTest, NameReferenceNotFoundIsNamedAndGivesAnEmptyEntry) {
    auto result = parse(
        project(target("T"), groupList(group("G", fileRef("T", "Name", "", "", "sub\\gone.h")))));
    EXPECT_EQ(result->console.lines, (Strings{message::fileNotFound("sub\\gone.h")}));
    EXPECT_EQ(child(child(*result->converter->rootGroup, 0), 0).files, (Strings{""}));
}

// A file reference whose PATHFORMAT states the form of its texts.
std::string formattedRef(const std::string& pathType, const std::string& access,
                         const std::string& path, const std::string& format) {
    return element("FILEREF", element("TARGETNAME", "T") + element("PATHTYPE", pathType) +
                                  element("PATHROOT", "Project") + element("ACCESSPATH", access) +
                                  element("PATH", path) + element("PATHFORMAT", format));
}

TEST(GroupReadersTest, ReferencesAreTurnedIntoHostFormBeforeTheyAreResolved) {
    const std::string includes = element(
        "SETTINGLIST",
        settingGroup(
            "UserSearchPaths",
            settingGroup("", settingGroup("SearchPath", setting("Path", "C:\\inc") +
                                                            setting("PathFormat", "Windows") +
                                                            setting("PathRoot", "Absolute")) +
                                 setting("Recursive", "false"))));
    auto result = parse(
        project(target("T", includes),
                groupList(group("G", formattedRef("PathRelative", ":::include:", "a.h", "MacOS") +
                                         formattedRef("PathRelative", "../src", "b.c", "Unix") +
                                         formattedRef("Name", "", "sub/x.h", "Unix") +
                                         formattedRef("PathRelative", ":src:", "c.c", "Generic")))),
        [](ParseResult& r) { r.platform.addFile("C:\\inc\\sub\\x.h"); });
    ASSERT_TRUE(result->complete);
    EXPECT_EQ(child(child(*result->converter->rootGroup, 0), 0).files,
              (Strings{"C:\\work\\demo\\..\\..\\include\\a.h", "C:\\work\\demo\\..\\src\\b.c",
                       "C:\\inc\\sub\\x.h", "C:\\work\\demo\\:src:\\c.c"}));

    auto posix = parse(
        project(target("T"),
                groupList(group("G", formattedRef("PathRelative", "..\\src", "d.c", "Windows")))),
        {}, PathStyle::Posix);
    EXPECT_EQ(child(child(*posix->converter->rootGroup, 0), 0).files,
              (Strings{"/work/demo/../src/d.c"}));
}

TEST(GroupReadersTest, ReferencesDirectlyInTheListGoToTheirTargetFolder) {
    auto result = parse(project(
        target("T"), groupList(ref("T", "top.c") + fileRef("", "PathRelative", "", "", "next.c") +
                               group("G", ref("T", "g.c")))));
    ASSERT_TRUE(result->complete);
    const GroupNode& t = child(*result->converter->rootGroup, 0);
    EXPECT_EQ(t.files, (Strings{"C:\\work\\demo\\src\\top.c", "next.c"}))
        << "the list's own target name carries to the next reference";
    EXPECT_EQ(result->console.lines.size(), 3u);
}

TEST(GroupReadersTest, RefusedGroups) {
    const std::pair<std::string, const char*> cases[] = {
        // Without a NAME the reference is read at list level; the group close tag is refused.
        {groupList(element("GROUP", ref("T", "a.c"))), "GROUP"},
        {groupList(group("G", "<BOGUS>")), "BOGUS"},
        {groupList(group("G", element("FILEREF", element("PATH", "x")))), "PATH"},
    };
    for (const auto& [list, token] : cases) {
        auto result = parse(project(target("T"), list));
        EXPECT_FALSE(result->complete);
        EXPECT_EQ(result->pendingToken, token);
    }
}

TEST(GroupReadersTest, FilesPlacedBeforeAFailureStay) {
    auto result = parse(project(target("T"), groupList(group("G", ref("T", "a.c") + "<BOGUS>"))));
    EXPECT_FALSE(result->complete);
    EXPECT_EQ(child(child(*result->converter->rootGroup, 0), 0).files.size(), 1u);
}

TEST(GroupReadersTest, NestingDeeperThanTheLimitIsRefusedAtTheTagThatWouldOpenIt) {
    std::string nested = ref("T", "deep.c");
    for (std::size_t level = 0; level < kMaxNesting + 1; ++level) {
        nested = group("g", nested);
    }
    auto result = parse(project(target("T"), groupList(nested)));
    EXPECT_FALSE(result->errorCode);
    EXPECT_FALSE(result->complete);
    EXPECT_EQ(result->pendingToken, "GROUP");
    EXPECT_TRUE(result->console.lines.empty());

    std::string allowed = ref("T", "deep.c");
    for (std::size_t level = 0; level < kMaxNesting; ++level) {
        allowed = group("g", allowed);
    }
    EXPECT_TRUE(parse(project(target("T"), groupList(allowed)))->complete);
}

}  // namespace
}  // namespace tessaly
