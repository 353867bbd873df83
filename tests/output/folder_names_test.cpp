#include "output/folder_names.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/fake_platform.h"

namespace tessaly {
namespace {

using Strings = std::vector<std::string>;

TEST(FolderNamesTest, EachNameTakenOnce) {
    struct Case {
        PathStyle style;
        Strings names;  // safe names, in the order of the children
        Strings taken;
    };
    const Case cases[] = {
        {PathStyle::Posix, {"a", "b", "a", "a", "a_2"}, {"a", "b", "a_2", "a_3", "a_2_2"}},
        {PathStyle::Posix,
         {"output", "Output", "person", ""},
         {"output_2", "Output", "person_2", ""}},
        {PathStyle::Windows, {"Debug", "debug", "DEBUG_2"}, {"Debug", "debug_2", "DEBUG_2_2"}},
        {PathStyle::Windows, {"OUTPUT", "Person", "", ""}, {"OUTPUT_2", "Person_2", "", "_2"}},
        // A numbered form taken by a child of that name: the next sibling
        // of the plain name goes past it, later ones fill no gap.
        {PathStyle::Posix, {"T", "T", "T_2", "T"}, {"T", "T_2", "T_2_2", "T_3"}},
        {PathStyle::Posix, {"a_3", "a", "a", "a", "a"}, {"a_3", "a", "a_2", "a_4", "a_5"}},
        {PathStyle::Posix, {"a", "a", "a", "a_3", "a_3"}, {"a", "a_2", "a_3", "a_3_2", "a_3_3"}},
        {PathStyle::Posix, {"a", "a_2", "a_2", "a"}, {"a", "a_2", "a_2_2", "a_3"}},
        {PathStyle::Posix, {"a_", "a_", "a", "a", "a_02"}, {"a_", "a__2", "a", "a_2", "a_02"}},
        {PathStyle::Posix, {"1", "1", "1_2", "1"}, {"1", "1_2", "1_2_2", "1_3"}},
        {PathStyle::Posix, {"", "", "_2", ""}, {"", "_2", "_2_2", "_3"}},
        {PathStyle::Posix, {"output_2", "output", "output"}, {"output_2", "output_3", "output_4"}},
        // Names of one key (letter case on Windows) share their numbers.
        {PathStyle::Windows,
         {"Debug", "debug", "DEBUG", "Debug_2", "debug"},
         {"Debug", "debug_2", "DEBUG_3", "Debug_2_2", "debug_4"}},
        {PathStyle::Windows, {"a", "A_2", "a", "A"}, {"a", "A_2", "a_3", "A_4"}},
        {PathStyle::Windows,
         {"Output", "OUTPUT_2", "output"},
         {"Output_2", "OUTPUT_2_2", "output_3"}},
        {PathStyle::Windows, {"x_", "X_", "x", "X__2"}, {"x_", "X__2", "x", "X__2_2"}},
        {PathStyle::Posix,
         {"Debug", "debug", "DEBUG_2", "Debug"},
         {"Debug", "debug", "DEBUG_2", "Debug_2"}},
    };
    for (const auto& c : cases) {
        testing::FakePlatform platform(c.style);
        FolderNames names(platform);
        names.reserve("output");
        names.reserve("person");
        Strings taken;
        for (const std::string& name : c.names) {
            taken.push_back(names.takeDistinct(name));
        }
        EXPECT_EQ(taken, c.taken) << ::testing::PrintToString(c.names);
        for (const std::string& name : taken) {
            EXPECT_TRUE(names.isTaken(name)) << name;
        }
    }
}

}  // namespace
}  // namespace tessaly
