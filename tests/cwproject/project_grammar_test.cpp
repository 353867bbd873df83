// The grammar of the export: which sections are required, which are
// optional, and which token is reported when the parse stops.
#include <gtest/gtest.h>

#include "cwproject/parse_test_support.h"

namespace tessaly {
namespace {

using namespace testing;

const std::string kFileRef = fileRef("T", "Name", "", "", "a.c");

struct GrammarCase {
    const char* what;
    std::string xml;
    bool complete;
    const char* pendingToken;  // checked when the parse is refused
};

template <std::size_t N>
void expectParses(const GrammarCase (&cases)[N]) {
    for (const GrammarCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto result = parse(c.xml);
        EXPECT_FALSE(result->errorCode);
        EXPECT_EQ(result->complete, c.complete);
        if (!c.complete) {
            EXPECT_EQ(result->pendingToken, c.pendingToken);
        }
    }
}

TEST(ProjectGrammarTest, AcceptedAndRefusedProjects) {
    const std::string t = target("T");
    const GrammarCase cases[] = {
        {"minimal project", project(t), true, ""},
        {"design list accepted",
         project(t, "<GROUPLIST></GROUPLIST>", "<TARGETORDER></TARGETORDER>",
                 element("DESIGNLIST",
                         element("DESIGN", element("NAME", "d") + element("DESIGNDATA", "x")))),
         true, ""},
        {"no target order",
         "<PROJECT>" + element("TARGETLIST", t) + "<GROUPLIST></GROUPLIST></PROJECT>", false,
         "GROUPLIST"},
        {"no group list",
         "<PROJECT>" + element("TARGETLIST", t) + "<TARGETORDER></TARGETORDER></PROJECT>", false,
         "PROJECT"},
        {"empty target list", project(""), false, "TARGETLIST"},
        {"target without settings", project(element("TARGET", element("NAME", "T"))), false,
         "TARGET"},
        {"empty setting list", project(target("T", "<SETTINGLIST></SETTINGLIST>")), false,
         "SETTINGLIST"},
        {"comment inside a leaf of the first target",
         project(element("TARGET", "<NAME><!-- c -->T</NAME>" + kMinimalSettings)), false,
         "-- c --"},
        {"comment inside a leaf of a later target: the enclosing close-tag check passes over it",
         project(t + element("TARGET", "<NAME><!-- c -->T</NAME>" + kMinimalSettings)), false, "T"},
        {"byte-order mark", "\xEF\xBB\xBF" + project(t), false, "\xEF\xBB\xBF"},
        {"open tag with a blank", "<PROJECT >", false, "PROJECT "},
        {"empty design list",
         project(t, "<GROUPLIST></GROUPLIST>", "<TARGETORDER></TARGETORDER>",
                 "<DESIGNLIST></DESIGNLIST>"),
         false, "DESIGNLIST"},
        {"anything after the project is never read", project(t) + "<<<garbage", true, ""},
    };
    expectParses(cases);
}

TEST(ProjectGrammarTest, TargetSections) {
    const std::string fileList =
        element("FILELIST",
                element("FILE", element("PATHTYPE", "") + element("PATH", "a.c") +
                                    element("ROOTFILEREF", element("PATHTYPE", "Name") +
                                                               element("PATH", "x") +
                                                               element("PATHFORMAT", "MacOS")) +
                                    element("FILEKIND", "Text") + element("FILEFLAGS", "Debug")));
    const std::string linkOrder = element("LINKORDER", kFileRef);
    const std::string segments =
        element("SEGMENTLIST",
                element("SEGMENT", element("NAME", "s") + element("ATTRIBUTES", "") + kFileRef));
    const std::string overlays =
        element("OVERLAYGROUPLIST",
                element("OVERLAYGROUP", element("NAME", "g") + element("BASEADDRESS", "0") +
                                            element("OVERLAY", element("NAME", "o") + kFileRef)));
    const std::string subTargets =
        element("SUBTARGETLIST", element("SUBTARGET", element("TARGETNAME", "x") + kFileRef));
    const std::string subProjects = element(
        "SUBPROJECTLIST",
        element("SUBPROJECT", kFileRef + element("SUBPROJECTTARGETLIST",
                                                 element("SUBPROJECTTARGET",
                                                         element("TARGETNAME", "y") +
                                                             element("ATTRIBUTES", "Build")))));
    const std::string frameworks = element(
        "FRAMEWORKLIST", element("FRAMEWORK", kFileRef + element("DYNAMICLIBRARY", kFileRef) +
                                                  element("VERSION", "A")) +
                             element("FRAMEWORK", kFileRef + element("DYNAMICLIBRARY", "Carbon")));
    const std::string packages = element("PACKAGEACTIONLIST", element("PACKAGEACTION", "x"));
    const std::string packagesOsX =
        "<PACKAGEACTIONSLIST><PACKAGEACTION PACKAGEACTIONTYPE = \"Root\"><NAME>Q</NAME>"
        "<PACKAGECONTAINER><PACKAGEACTION PACKAGEACTIONTYPE = \"Symlink\"><NAME>H</NAME><A/><B/>"
        "</PACKAGEACTION></PACKAGECONTAINER></PACKAGEACTION></PACKAGEACTIONSLIST>";
    const GrammarCase cases[] = {
        {"every section",
         project(target("T", kMinimalSettings,
                        fileList + linkOrder + segments + overlays + subTargets + subProjects +
                            frameworks + subProjects + packages)),
         true, ""},
        {"subprojects after frameworks",
         project(target("T", kMinimalSettings, frameworks + subProjects)), true, ""},
        {"Mac OS X package actions", project(target("T", kMinimalSettings, packagesOsX)), true, ""},
        {"empty link order and file list",
         project(target("T", kMinimalSettings, "<FILELIST></FILELIST><LINKORDER></LINKORDER>")),
         true, ""},
        {"out of order", project(target("T", kMinimalSettings, segments + linkOrder)), false,
         "LINKORDER"},
        {"file list without close tag",
         project(target("T", kMinimalSettings, "<FILELIST>" + linkOrder)), true, ""},
        {"empty segment list",
         project(target("T", kMinimalSettings, "<SEGMENTLIST></SEGMENTLIST>")), false,
         "SEGMENTLIST"},
        {"empty package action list",
         project(target("T", kMinimalSettings, "<PACKAGEACTIONLIST></PACKAGEACTIONLIST>")), false,
         "PACKAGEACTIONLIST"},
        {"overlay group without base address",
         project(
             target("T", kMinimalSettings,
                    element("OVERLAYGROUPLIST", element("OVERLAYGROUP", element("NAME", "g"))))),
         false, "OVERLAYGROUP"},
        {"file without path",
         project(target("T", kMinimalSettings,
                        element("FILELIST", element("FILE", element("PATHTYPE", "x"))))),
         false, "FILE"},
        {"unknown element inside a section",
         project(target("T", kMinimalSettings, element("LINKORDER", "<BOGUS/>"))), false, "BOGUS/"},
    };
    expectParses(cases);
}

TEST(ProjectGrammarTest, TargetOrder) {
    const std::string ordered = element("ORDEREDTARGET", element("NAME", "T"));
    const std::string design = element("ORDEREDDESIGN", element("NAME", "D") + ordered);
    EXPECT_TRUE(
        parse(project(target("T"), "<GROUPLIST></GROUPLIST>", element("TARGETORDER", design)))
            ->complete);
    EXPECT_TRUE(parse(project(target("T"), "<GROUPLIST></GROUPLIST>",
                              element("TARGETORDER", ordered + design + ordered)))
                    ->complete);
    auto empty =
        parse(project(target("T"), "<GROUPLIST></GROUPLIST>",
                      element("TARGETORDER", element("ORDEREDDESIGN", element("NAME", "D")))));
    EXPECT_FALSE(empty->complete);
    EXPECT_EQ(empty->pendingToken, "ORDEREDDESIGN");
}

TEST(ProjectGrammarTest, TargetsJoinTheTreeInOrderOnlyWhenComplete) {
    auto result =
        parse(project(target("A") + target("A") + target("") +
                      element("TARGET", element("NAME", "Broken") + kMinimalSettings + "<X>")));
    EXPECT_FALSE(result->complete);
    EXPECT_EQ(result->pendingToken, "X");
    const auto& children = result->converter->rootGroup->children;
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children[0]->name, "A");
    EXPECT_EQ(children[1]->name, "A");
    EXPECT_EQ(children[2]->name, "");
}

TEST(ProjectGrammarTest, SectionFileReferencesNeverTouchTheDiskOrTheTree) {
    auto result = parse(project(target("T", kMinimalSettings, element("LINKORDER", kFileRef))));
    EXPECT_TRUE(result->complete);
    EXPECT_TRUE(result->platform.probes.empty());
    EXPECT_TRUE(result->console.lines.empty());
}

TEST(ProjectGrammarTest, EndOfInputAtEveryPlaceIsCodeOne) {
    const std::string full =
        project(target("T", kMinimalSettings, element("LINKORDER", kFileRef)),
                element("GROUPLIST", element("GROUP", element("NAME", "g") + kFileRef)));
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        auto result = parse(full.substr(0, cut));
        const bool ended = result->errorCode == ErrorCode::UnexpectedEnd;
        EXPECT_TRUE(ended || !result->complete) << cut;
    }
}

}  // namespace
}  // namespace tessaly
