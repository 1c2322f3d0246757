#include "platform/runtime/Resources.h"
#include "platform/testing/Testing.h"

TEST(Resources, FoundRegardlessOfCase)
{
    for (auto [type, name] : {std::pair{"DOCTEMPLATE", "NORMAL"}, {"doctemplate", "normal"}, {"DocTemplate", "Normal"}}) {
        TResourceData r = FindResourceData(type, name);
        ASSERT_TRUE(r) << type << "/" << name;
        EXPECT_EQ(r.View(), "{\\rtf1 }");
        EXPECT_EQ(r.Data[r.Size], 0) << "text resources end with a zero byte";
    }
    EXPECT_EQ(FindResourceData("tips", "DAY1").View(), "Premier conseil\n");
}

TEST(Resources, MissingOnesAreNotFound)
{
    EXPECT_FALSE(FindResourceData("DOCTEMPLATE", "NORMA"));
    EXPECT_FALSE(FindResourceData("TIPS", "NORMAL"));
    EXPECT_FALSE(ResourceExists("", ""));
    EXPECT_EQ(ResourceNames("tips"), std::vector<std::string>{"Day1"});
}
