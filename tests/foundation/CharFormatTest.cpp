#include "foundation/CharFormat.h"
#include "foundation/InlineControl.h"
#include "foundation/Memory.h"

#include "platform/runtime/Exception.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TCharFormat Plain()
{
    TCharFormat f;
    f[cfSize] = 24;
    f[cfHorizontalScale] = 100;
    return f;
}

// Font indices 1 and 2 are entries of family 7; 3 and 4 name no family.
class TFamilies : public TFontFamilyResolver {
public:
    int32_t FontFamilyOf(int32_t fontIndex) const override
    {
        static const std::map<int32_t, int32_t> families = {{1, 7}, {2, 7}, {3, -1}, {4, -1}, {5, 9}};
        auto it = families.find(fontIndex);
        return it == families.end() ? -1 : it->second;
    }
};

class CharFormatTest : public testing::Test {
protected:
    void SetUp() override { FPrevious = SetFontFamilyResolver(&FFamilies); }
    void TearDown() override { SetFontFamilyResolver(FPrevious); }

private:
    TFamilies FFamilies;
    const TFontFamilyResolver* FPrevious = nullptr;
};

}  // namespace

TEST_F(CharFormatTest, FontsOfOneFamilyAreTheSameFont)
{
    struct TCase {
        int32_t A, B;
        bool Equal;
    };
    const TCase cases[] = {
        {1, 2, true}, {1, 1, true}, {1, 5, false}, {3, 4, false}, {3, 3, true},
        {1, NotSet, false}, {NotSet, NotSet, true},
    };
    for (const TCase& c : cases) {
        TCharFormat a = Plain(), b = Plain();
        a[cfFont] = c.A;
        b[cfFont] = c.B;
        EXPECT_EQ(CharFormatsEqual(a, b), c.Equal) << c.A << " " << c.B;

        TCharFormat merged = a;
        MergeCharFormat(merged, b);
        EXPECT_EQ(merged[cfFont], c.Equal ? c.A : NotSet) << c.A << " " << c.B;

        TCharFormat diff = a;
        DiffCharFormat(diff, b);
        EXPECT_EQ(diff[cfFont], c.Equal ? NotSet : c.A) << c.A << " " << c.B;
    }
    SetFontFamilyResolver(nullptr);
    TCharFormat a = Plain(), b = Plain();
    a[cfFont] = 1;
    b[cfFont] = 2;
    EXPECT_FALSE(CharFormatsEqual(a, b)) << "without a font table only equal indices match";
}

TEST_F(CharFormatTest, MergeLeavesNotSetExactlyWhereValuesDiffer)
{
    TCharFormat a = Plain(), b = Plain(), c = Plain();
    b[cfBold] = 1;
    c[cfItalic] = 1;
    c[cfLanguage] = NotSet;
    TCharFormat common = a;
    MergeCharFormat(common, b);
    MergeCharFormat(common, c);
    for (int i = 0; i < TCharFormat::Count; ++i) {
        const bool differs = i == cfBold || i == cfItalic || i == cfLanguage;
        EXPECT_EQ(common[i], differs ? NotSet : a[i]) << "slot " << i;
    }
    EXPECT_TRUE(CharFormatHasUnset(common));
    // Merging a not set slot with anything keeps it not set.
    MergeCharFormat(common, a);
    EXPECT_EQ(common[cfLanguage], NotSet);
}

TEST_F(CharFormatTest, FillAndDiffKeepNotSet)
{
    TCharFormat target;
    ClearCharFormat(target);
    target[cfBold] = 1;
    TCharFormat source = Plain();
    source[cfBold] = 0;
    source[cfItalic] = NotSet;
    FillUnsetCharFormat(target, source);
    EXPECT_EQ(target[cfBold], 1) << "a set slot is never overwritten";
    EXPECT_EQ(target[cfSize], 24);
    EXPECT_EQ(target[cfItalic], NotSet) << "a not set source leaves the target not set";

    TCharFormat diff = Plain();
    diff[cfColor] = NotSet;
    diff[cfBold] = 1;
    DiffCharFormat(diff, Plain());
    for (int i = 0; i < TCharFormat::Count; ++i)
        EXPECT_EQ(diff[i], i == cfBold ? 1 : NotSet) << "slot " << i;
    EXPECT_FALSE(IsCharFormatEmpty(diff));
}

TEST(CharFormat, EmptyAndUnsetTests)
{
    TCharFormat f;
    ClearCharFormat(f);
    EXPECT_TRUE(IsCharFormatEmpty(f));
    EXPECT_TRUE(CharFormatHasUnset(f));
    f[cfLanguage] = 0x040C;
    EXPECT_FALSE(IsCharFormatEmpty(f));
    EXPECT_TRUE(CharFormatHasUnset(f));
    EXPECT_FALSE(CharFormatHasUnset(Plain()));

    TParFormat p;
    ClearParFormat(p);
    EXPECT_TRUE(IsParFormatEmpty(p));
    p[pfInternal] = 0;
    EXPECT_FALSE(IsParFormatEmpty(p));
    TParFormat q = p;
    EXPECT_TRUE(SameParFormat(p, q));
    q[pfStyle] = 3;
    EXPECT_FALSE(SameParFormat(p, q));
}

TEST(CharFormat, DiffParFormatRules)
{
    const TParFormat ref = DefaultParFormat();
    struct TCase {
        const char* Name;
        std::map<int, int32_t> Target;  // slots changed from the reference
        std::map<int, int32_t> Expected;  // slots that stay set (all others not set)
    };
    const TCase cases[] = {
        {"identical", {}, {}},
        {"zero first indent, other left indent", {{pfLeftIndent, 720}}, {{pfLeftIndent, 720}}},
        {"hanging indent pair kept whole", {{pfFirstIndent, -360}, {pfLeftIndent, 720}},
         {{pfFirstIndent, -360}, {pfLeftIndent, 720}}},
        {"first indent differs alone", {{pfFirstIndent, 360}}, {{pfFirstIndent, 360}, {pfLeftIndent, 0}}},
        {"240 absolute is not 240 multiple", {{pfLineRule, 0}}, {{pfLineSpacing, 240}, {pfLineRule, 0}}},
        {"spacing value differs", {{pfLineSpacing, 360}}, {{pfLineSpacing, 360}, {pfLineRule, 1}}},
        {"single slots", {{pfAlignment, 3}, {pfTabTable, 2}, {pfInternal, NotSet}},
         {{pfAlignment, 3}, {pfTabTable, 2}}},
    };
    for (const TCase& c : cases) {
        TParFormat t = ref;
        for (auto [slot, value] : c.Target)
            t[slot] = value;
        DiffParFormat(t, ref);
        for (int i = 0; i < TParFormat::Count; ++i) {
            auto it = c.Expected.find(i);
            EXPECT_EQ(t[i], it == c.Expected.end() ? NotSet : it->second) << c.Name << ", slot " << i;
        }
    }
}

TEST(CharFormat, DefaultRecords)
{
    const TCharFormat& def = DefaultCharFormat();
    EXPECT_EQ(def[cfSize], 24);
    EXPECT_EQ(def[cfHorizontalScale], 100);
    EXPECT_NE(def[cfLanguage], 0);
    EXPECT_EQ(def[cfBold], 0);
    EXPECT_EQ(PresetBoldCharFormat()[cfBold], 1);
    EXPECT_TRUE(CharFormatsEqual(PresetCharFormat(), def));
    EXPECT_EQ(UnsetFontCharFormat()[cfFont], NotSet);
    EXPECT_EQ(UnsetFontCharFormat()[cfSize], NotSet);
    EXPECT_EQ(UnsetFontCharFormat()[cfLanguage], 0);
    EXPECT_EQ(DefaultParFormat()[pfLineSpacing], 240);
    EXPECT_EQ(DefaultParFormat()[pfTabTable], -1);
    EXPECT_EQ(DefaultParFormat()[pfWidowControl], 0);
    const TParFormat& base = BaseStyleParFormat();
    for (int slot : {pfFirstIndent, pfLeftIndent, pfRightIndent, pfAlignment})
        EXPECT_EQ(base[slot], NotSet);
    EXPECT_EQ(base[pfWidowControl], 1);
    EXPECT_EQ(base[pfStyle], 0);
}

TEST(FormatCodes, AppendAndInsertRecords)
{
    TMemory m;
    AppendFormatCode(m, cfBold, 1);
    ASSERT_EQ(m.Size(), 8);
    EXPECT_EQ(m.Data()[0], 0);
    EXPECT_EQ(m.Data()[7], 1);

    TMemory text;
    text.SetData("abcde", 5);
    InsertFormatCode(text, 0, cfSize, NotSet);
    ASSERT_EQ(text.Size(), 13);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(text.Data()) + 8, 5), "abcde");
    const TInlineControl c = ReadInlineControl(text.Data());
    EXPECT_EQ(c.Code, cfSize);
    EXPECT_EQ(c.Argument, NotSet) << "the not-set value survives the record";

    InsertFormatCode(text, 13, icRangeEnd, -2);
    EXPECT_EQ(ReadInlineControl(text.Data() + 13).Argument, -2);
    EXPECT_THROW(AppendFormatCode(text, icCodeCount, 0), EInternalError);
    EXPECT_THROW(InsertFormatCode(text, 99, cfBold, 0), EInternalError);
    EXPECT_EQ(text.Size(), 21);
}
