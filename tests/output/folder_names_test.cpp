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
        EXPECT_EQ(taken, c.taken) << c.names.front();
        for (const std::string& name : taken) {
            EXPECT_TRUE(names.isTaken(name)) << name;
        }
    }
}

}  // namespace
}  // namespace tessaly
