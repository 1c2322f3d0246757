#include "foundation/managers/Style.h"

#include "foundation/MessageAnswers.h"
#include "foundation/managers/SharedManagersHost.h"
#include "foundation/managers/StyleManager.h"
#include "foundation/managers/TabManager.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/StringList.h"

#include <gtest/gtest.h>

#include <memory>
#include <limits>
#include <string>
#include <vector>

namespace {

struct TStyleDef {
    std::string Name;
    int32_t BasedOn = -1;
    int32_t NextStyle = -1;
};

// A document's style sheet with its own tab manager.
struct TSheet {
    TTabManager Tabs{nullptr};
    TStyleList Styles{nullptr, &Tabs};

    explicit TSheet(const std::vector<TStyleDef>& defs = {})
    {
        for (const TStyleDef& def : defs)
            Add(def.Name, def.BasedOn, def.NextStyle);
        IdentifyStandardStyles(Styles);
    }
    TStyle& Add(const std::string& name, int32_t basedOn = -1, int32_t next = -1)
    {
        auto style = std::make_unique<TStyle>(&Styles);
        style->Name = name;
        style->DisplayName = name;
        style->BasedOn = basedOn;
        style->NextStyle = next;
        return Styles[Styles.Add(std::move(style))];
    }
};

std::vector<std::string> Names(const TStyleList& list)
{
    std::vector<std::string> names;
    for (int32_t i = 0; i < list.Count(); ++i)
        names.push_back(list[i].Name);
    return names;
}

// Based-on and next style of every style, and whether pfStyle is its index.
struct TLinks {
    std::vector<int32_t> BasedOn;
    std::vector<int32_t> Next;
    bool operator==(const TLinks&) const = default;
};
TLinks Links(const TStyleList& list)
{
    TLinks links;
    for (int32_t i = 0; i < list.Count(); ++i) {
        links.BasedOn.push_back(list[i].BasedOn);
        links.Next.push_back(list[i].NextStyle);
        EXPECT_EQ(list[i].ParFormat[pfStyle], i) << list[i].Name;
    }
    return links;
}
std::ostream& operator<<(std::ostream& out, const TLinks& links)
{
    out << "based-on";
    for (int32_t v : links.BasedOn)
        out << ' ' << v;
    out << ", next";
    for (int32_t v : links.Next)
        out << ' ' << v;
    return out;
}

class THotKeyHost : public TSharedManagersHost {
public:
    THotKeyHost() : FPrevious(SetSharedManagersHost(this)) {}
    ~THotKeyHost() override { SetSharedManagersHost(FPrevious); }
    std::string HotKeyToText(int32_t code) override { return code == 0x4031 ? "Ctrl+Alt+1" : ""; }

private:
    TSharedManagersHost* FPrevious;
};

}  // namespace

// Three levels of based-on under a root: each level sets something, and the
// indents combine as hanging indents must.
TEST(StyleTest, FullFormatResolvesThroughTheBasedOnChain)
{
    TSheet sheet({{"Racine"}, {"Niveau 1", 0}, {"Niveau 2", 1}, {"Niveau 3", 2}});
    TStyle& root = sheet.Styles[0];
    root.CharFormat[cfFont] = 3;
    root.CharFormat[cfSize] = 20;
    root.CharFormat[cfLanguage] = 0x040C;
    root.ParFormat[pfFirstIndent] = 0;
    root.ParFormat[pfLeftIndent] = 720;
    sheet.Styles[1].CharFormat[cfBold] = 1;
    sheet.Styles[1].ParFormat[pfFirstIndent] = -360;
    sheet.Styles[2].CharFormat[cfSize] = 28;
    sheet.Styles[2].ParFormat[pfLeftIndent] = 1440;
    sheet.Styles[2].ParFormat[pfSpaceAfter] = 120;
    sheet.Styles[3].CharFormat[cfItalic] = 1;
    sheet.Styles[3].CharFormat[cfHighlight] = 4;
    sheet.Styles[3].ParFormat[pfAlignment] = 1;
    sheet.Styles[3].ParFormat[pfInternal] = 9;

    struct TCase {
        int32_t Style;
        uint32_t Flags;
        // Font, size, bold, italic, highlight, language; first, left, alignment, space after, widow, internal.
        std::vector<int32_t> Char;
        std::vector<int32_t> Par;
    };
    const TCase cases[] = {
        {0, 0, {3, 20, 0, 0, 0, NotSet}, {0, 720, 0, 0, 0, 0}},
        // A first-line indent of -360 over (0, 720) hangs: the left indent becomes 1080.
        {1, 0, {3, 20, 1, 0, 0, NotSet}, {-360, 1080, 0, 0, 0, 0}},
        // A left indent alone keeps the inherited hanging line inside it.
        {2, 0, {3, 28, 1, 0, 0, NotSet}, {-360, 1800, 0, 120, 0, 0}},
        {3, 0, {3, 28, 1, 1, 4, NotSet}, {-360, 1800, 1, 120, 0, 9}},
        {3, gffKeepLanguage, {3, 28, 1, 1, 4, 0x040C}, {-360, 1800, 1, 120, 0, 9}},
        // The style's own chain only: unset where no style sets, no highlight, no internal slot.
        {3, gffStyleOnly, {3, 28, 1, 1, NotSet, NotSet}, {-360, 1800, 1, 120, NotSet, NotSet}},
    };
    for (const TCase& c : cases) {
        TCharFormat cf;
        TParFormat pf;
        sheet.Styles[c.Style].GetFullFormat(cf, pf, c.Flags);
        EXPECT_EQ((std::vector<int32_t>{cf[cfFont], cf[cfSize], cf[cfBold], cf[cfItalic], cf[cfHighlight],
                                        cf[cfLanguage]}),
                  c.Char)
            << "style " << c.Style << ", flags " << c.Flags;
        EXPECT_EQ((std::vector<int32_t>{pf[pfFirstIndent], pf[pfLeftIndent], pf[pfAlignment], pf[pfSpaceAfter],
                                        pf[pfWidowControl], pf[pfInternal]}),
                  c.Par)
            << "style " << c.Style << ", flags " << c.Flags;
        EXPECT_EQ(pf[pfStyle], c.Style);
    }
}

TEST(StyleTest, EmptyStyleResolvesToTheProgramDefaults)
{
    TStyle loose(nullptr);  // in no list: even its style slot is unset
    TCharFormat cf;
    TParFormat pf;
    loose.GetFullFormat(cf, pf, 0);
    TCharFormat expectedChar = DefaultCharFormat();
    expectedChar[cfLanguage] = NotSet;
    EXPECT_EQ(cf, expectedChar);
    TParFormat expectedPar = DefaultParFormat();
    expectedPar[pfWidowControl] = 0;
    EXPECT_EQ(pf, expectedPar);

    loose.GetFullFormat(cf, pf, gffStyleOnly);
    EXPECT_TRUE(IsCharFormatEmpty(cf));
    EXPECT_TRUE(IsParFormatEmpty(pf));
}

TEST(StyleTest, UnsetFirstIndentIsNoHangingIndent)
{
    // Style attributes only: the parent sets the left indent alone, so the first-line slot is
    // still unset when the child sets it; it must not be taken for a (huge) hanging indent.
    TSheet sheet({{"Parent"}, {"Enfant", 0}});
    sheet.Styles[0].ParFormat[pfLeftIndent] = 720;
    sheet.Styles[1].ParFormat[pfFirstIndent] = -360;
    TCharFormat cf;
    TParFormat pf;
    sheet.Styles[1].GetFullFormat(cf, pf, gffStyleOnly);
    EXPECT_EQ(pf[pfFirstIndent], -360);
    EXPECT_EQ(pf[pfLeftIndent], 1080);
}

TEST(StyleTest, ExtremeIndentsSaturateInTheOverlay)
{
    // Indents as files may give them: the combined left indent stops at the
    // 32-bit limits (short of the not-set value) instead of wrapping round.
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    struct TCase {
        int32_t DestFirst, DestLeft, SourceFirst, SourceLeft;
        int32_t First, Left;
    };
    const TCase cases[] = {
        // A new hanging first line on a far-right left indent.
        {-1, 2000000000, -2000000000, NotSet, -2000000000, kMax},
        // A new left indent under a deep hanging first line.
        {-2000000000, NotSet + 1, NotSet, 2000000000, -2000000000, kMax},
        // The old hanging first line taken back from a far-left indent.
        {-2000000000, NotSet + 1, 100, NotSet, 100, NotSet + 1},
        // Ordinary values are untouched.
        {-360, 720, -720, NotSet, -720, 1080},
    };
    for (const TCase& c : cases) {
        TParFormat dest, source;
        ClearParFormat(dest);
        ClearParFormat(source);
        dest[pfFirstIndent] = c.DestFirst;
        dest[pfLeftIndent] = c.DestLeft;
        source[pfFirstIndent] = c.SourceFirst;
        source[pfLeftIndent] = c.SourceLeft;
        OverlayParFormat(dest, source);
        EXPECT_EQ(dest[pfFirstIndent], c.First) << c.DestLeft << " " << c.SourceFirst;
        EXPECT_EQ(dest[pfLeftIndent], c.Left) << c.DestLeft << " " << c.SourceFirst;
    }
}

TEST(StyleTest, BasedOnLoopsEndTheWalk)
{
    // 0 -> 1 -> 2 -> 0, and 3 based on itself, as damaged files have them.
    TSheet sheet({{"A", 1}, {"B", 2}, {"C", 0}, {"D", 3}});
    sheet.Styles[0].CharFormat[cfBold] = 1;
    sheet.Styles[1].CharFormat[cfBold] = 0;
    sheet.Styles[1].CharFormat[cfItalic] = 1;
    TCharFormat cf;
    TParFormat pf;
    sheet.Styles[0].GetFullFormat(cf, pf, gffStyleOnly);
    EXPECT_EQ(cf[cfBold], 1);  // the style itself still comes last
    EXPECT_EQ(cf[cfItalic], 1);

    std::vector<int32_t> chain;
    EXPECT_EQ(sheet.Styles.GetAncestors(0, chain), &sheet.Styles[2]);
    EXPECT_EQ(chain, (std::vector<int32_t>{1, 2}));
    chain.clear();
    EXPECT_EQ(sheet.Styles.GetAncestors(3, chain), &sheet.Styles[3]);
    EXPECT_TRUE(chain.empty());

    std::vector<int32_t> derived;
    sheet.Styles.GetDerivedStyles(0, derived, true);
    EXPECT_EQ(derived, (std::vector<int32_t>{2, 1}));
    sheet.Styles[3].GetFullFormat(cf, pf, 0);  // ends
}

TEST(StyleTest, AncestorsAndDescendants)
{
    // 1 and 3 based on 0; 2 and 5 based on 1; 4 based on 3.
    TSheet sheet({{"N"}, {"A", 0}, {"A1", 1}, {"B", 0}, {"B1", 3}, {"A2", 1}});
    std::vector<int32_t> chain;
    EXPECT_EQ(sheet.Styles.GetAncestors(2, chain), &sheet.Styles[0]);
    EXPECT_EQ(chain, (std::vector<int32_t>{1, 0}));
    chain.clear();
    EXPECT_EQ(sheet.Styles.GetAncestors(0, chain), &sheet.Styles[0]);
    EXPECT_TRUE(chain.empty());
    EXPECT_EQ(sheet.Styles.GetAncestors(9, chain), nullptr);

    std::vector<int32_t> derived;
    sheet.Styles.GetDerivedStyles(0, derived, false);
    EXPECT_EQ(derived, (std::vector<int32_t>{1, 3}));
    derived.clear();
    sheet.Styles.GetDerivedStyles(0, derived, true);
    EXPECT_EQ(derived, (std::vector<int32_t>{1, 2, 5, 3, 4}));
}

TEST(StyleTest, DeletionKeepsEveryIndexInRange)
{
    // 0 Normal (next 0), 1 Titre (next 0), 2 Sous-titre based on 1 (next 3), 3 Corps based on 0
    // (next 3), 4 Note based on 5 (next 2), 5 Avant based on 6, the style behind it (next 0),
    // 6 Après (next 5).
    const std::vector<TStyleDef> defs = {
        {"Normal", -1, 0}, {"Titre", -1, 0}, {"Sous-titre", 1, 3}, {"Corps", 0, 3},
        {"Note", 5, 2},    {"Avant", 6, 0},  {"Après", -1, 5},
    };
    struct TCase {
        int32_t Deleted;
        TLinks Expected;
    };
    const TCase cases[] = {
        // A middle style: a next style that named it becomes the first style; indexes behind
        // it move down.
        {2, {{-1, -1, 0, 4, 5, -1}, {0, 0, 2, 0, 0, 4}}},
        // The first style: next styles that named it name the style itself, at its new index.
        {0, {{-1, 0, -1, 4, 5, -1}, {0, 2, 2, 1, 4, 4}}},
        // A style whose parent lies behind it: its child (Note) moves to that parent, which
        // moves down with the others.
        {5, {{-1, -1, 1, 0, 5, -1}, {0, 0, 3, 3, 2, 0}}},
        // The last style.
        {6, {{-1, -1, 1, 0, 5, -1}, {0, 0, 3, 3, 2, 0}}},
    };
    for (const TCase& c : cases) {
        TSheet sheet(defs);
        sheet.Styles.Delete(c.Deleted);
        ASSERT_EQ(sheet.Styles.Count(), 6);
        EXPECT_EQ(Links(sheet.Styles), c.Expected) << "deleting " << c.Deleted;
    }

    // Deleting every style from the front leaves every next style in range on the way.
    TSheet sheet(defs);
    while (sheet.Styles.Count() > 0) {
        sheet.Styles.Delete(0);
        for (int32_t i = 0; i < sheet.Styles.Count(); ++i) {
            EXPECT_LT(sheet.Styles[i].NextStyle, sheet.Styles.Count());
            EXPECT_LT(sheet.Styles[i].BasedOn, sheet.Styles.Count());
        }
    }
    EXPECT_THROW(sheet.Styles.Delete(0), EListError);
}

TEST(StyleTest, LookupsSearchFromTheLastStyle)
{
    TSheet sheet({{"Normal"}, {"Heading 1"}, {"Mon style"}, {"mon STYLE"}, {"Header"}});
    sheet.Styles[2].HotKey = 0x4031;
    sheet.Styles[3].HotKey = 0x4031;
    struct TCase {
        const char* What;
        int32_t Found;
        int32_t Expected;
    };
    const TCase cases[] = {
        {"standard number 0", sheet.Styles.IndexOfStandardId(0), 0},
        {"standard number 1", sheet.Styles.IndexOfStandardId(1), 1},
        {"standard number 31", sheet.Styles.IndexOfStandardId(31), 4},
        {"standard number -1: the last user style", sheet.Styles.IndexOfStandardId(-1), 3},
        {"standard number 2", sheet.Styles.IndexOfStandardId(2), -1},
        {"name, other case: the last one", sheet.Styles.IndexOfName("MON STYLE"), 3},
        {"internal name", sheet.Styles.IndexOfName("heading 1"), 1},
        {"display name", sheet.Styles.IndexOfDisplayName("titre 1"), 1},
        {"display name with accents, other case", sheet.Styles.IndexOfDisplayName("EN-T\xCATE"), 4},
        {"display name is not the name", sheet.Styles.IndexOfDisplayName("Header"), -1},
        {"hot key", sheet.Styles.IndexOfHotKey(0x4031), 3},
        {"hot key 0 is no key", sheet.Styles.HotKeyInUse(0) ? 1 : 0, 0},
        {"hot key in use", sheet.Styles.HotKeyInUse(0x4031) ? 1 : 0, 1},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(c.Found, c.Expected) << c.What;
}

TEST(StyleTest, AssignCopiesTheStyleButNotTheWorkingFields)
{
    TSheet sheet({{"Source"}, {"Cible"}});
    TStyle& source = sheet.Styles[0];
    source.HotKey = 77;
    source.BasedOn = 1;
    source.CharFormat[cfBold] = 1;
    source.PreviousIndex = 5;
    source.EditMark = 1;
    source.FileStyleNumber = 12;
    source.ReservedIndex = 3;
    TStyle& target = sheet.Styles[1];
    target.Assign(source);
    EXPECT_EQ(target.Name, "Source");
    EXPECT_EQ(target.HotKey, 77);
    EXPECT_EQ(target.BasedOn, 1);
    EXPECT_EQ(target.CharFormat[cfBold], 1);
    EXPECT_EQ(target.PreviousIndex, 0);
    EXPECT_EQ(target.EditMark, 0);
    EXPECT_EQ(target.FileStyleNumber, -1);
    EXPECT_EQ(target.ReservedIndex, -1);

    TStyleList copy(nullptr, &sheet.Tabs);
    copy.Assign(sheet.Styles);
    EXPECT_EQ(Names(copy), (std::vector<std::string>{"Source", "Source"}));
    EXPECT_EQ(copy[0].Owner, &copy);

    TStringList names;
    names.Add("ancien");
    sheet.Styles.GetDisplayNames(names);
    ASSERT_EQ(names.Count(), 2);
    EXPECT_EQ(IntFromObject(names.Objects(1)), 1);
    EXPECT_GT(sheet.Styles.GetMemorySize(), static_cast<int32_t>(2 * sizeof(TStyle)));
}

TEST(StyleTest, StandardIdsThatTheStyleSheetWriterUses)
{
    struct TCase {
        int32_t Number;
        bool Expected;
    };
    const TCase cases[] = {{-1, false}, {0, false}, {1, true},   {27, true},  {28, false},
                           {31, true},  {45, false}, {46, true}, {47, false}, {91, false}};
    for (const TCase& c : cases) {
        TStyle style(nullptr);
        style.StandardNumber = c.Number;
        EXPECT_EQ(style.HasStandardId(), c.Expected) << c.Number;
    }
}

// --- Import between two lists ---

namespace {

// The source: 0 Normal (bold), 1 "Citation" based on 2, next 3, with a tab table; 2 "Base
// perso" based on Normal; 3 "Suite" whose next style is itself.
struct TImportFixture {
    TSheet Source{{{"Normal", -1, 0}, {"Citation", 2, 3}, {"Base perso", 0, -1}, {"Suite", -1, 3}}};
    TSheet Target{{{"Normal", -1, 0}, {"Mon style", 0, 0}}};

    TImportFixture()
    {
        Source.Styles[0].CharFormat[cfBold] = 1;
        TTabTable tabs;
        tabs.AddTab(PackTabStop(2000, tkRight, 1));
        // The target already holds another table, so the source's table gets a new index.
        TTabTable other;
        other.AddTab(PackTabStop(500, tkLeft, 0));
        Target.Tabs.AddTable(other);
        Source.Styles[1].ParFormat[pfTabTable] = Source.Tabs.AddTable(tabs);
    }
};

}  // namespace

TEST(StyleImportTest, CopiesChosenStylesWithTheirRelatives)
{
    TImportFixture f;
    TImportStylesInfo request(&f.Source.Styles);
    request.Mode = 0;
    request.Chosen = {1};
    EXPECT_TRUE(f.Target.Styles.ImportStyles(request, true));  // nothing to ask in mode 0

    EXPECT_EQ(Names(f.Target.Styles),
              (std::vector<std::string>{"Normal", "Mon style", "Citation", "Base perso", "Suite"}));
    EXPECT_EQ(request.Added, (std::vector<int32_t>{2, 3, 4}));
    EXPECT_TRUE(request.Replaced.empty());
    // Based-on and next styles name the target's styles; Normal stays the target's own.
    EXPECT_EQ(Links(f.Target.Styles), (TLinks{{-1, 0, 3, 0, -1}, {0, 0, 4, -1, 4}}));
    EXPECT_EQ(f.Target.Styles[0].CharFormat[cfBold], NotSet);
    // The tab table went into the target's tab manager.
    const int32_t table = f.Target.Styles[2].ParFormat[pfTabTable];
    ASSERT_EQ(table, 1);
    EXPECT_EQ(f.Target.Tabs.Tables(table)->Stops(0), PackTabStop(2000, tkRight, 1));
    // Identification ran: the user's styles show their names.
    EXPECT_EQ(f.Target.Styles[2].DisplayName, "Citation");
    EXPECT_EQ(f.Target.Styles[2].StandardNumber, -1);
}

TEST(StyleImportTest, ReplacingAsksTheUser)
{
    struct TCase {
        const char* What;
        uint8_t ChosenOnly;
        std::vector<int32_t> Answers;  // to the questions asked, in order
        std::vector<int32_t> Replaced;
    };
    const TCase cases[] = {
        {"yes", 0, {mrYes}, {0}},
        {"no", 0, {mrNo}, {}},
        {"chosen only: Normal came along and stays", 1, {}, {}},
    };
    for (const TCase& c : cases) {
        TImportFixture f;
        TMessageAnswers answers;
        for (int32_t answer : c.Answers)
            answers.Expect("Voulez-vous remplacer le style \"Normal\"", answer);
        TImportStylesInfo request(&f.Source.Styles);
        request.Mode = 1;
        request.ChosenOnly = c.ChosenOnly;
        request.Chosen = {1};
        f.Target.Styles.ImportStyles(request, true);
        EXPECT_EQ(request.Replaced, c.Replaced) << c.What;
        EXPECT_EQ(f.Target.Styles[0].CharFormat[cfBold], c.Replaced.empty() ? NotSet : 1) << c.What;
        EXPECT_EQ(f.Target.Styles[0].ParFormat[pfStyle], 0) << c.What;
        EXPECT_EQ(f.Target.Styles.Count(), 5) << c.What;
    }
}

TEST(StyleImportTest, AnswersForAllStylesAndCancel)
{
    // Both lists hold "Normal", "Citation" and "Suite": replacing asks once per style.
    const auto run = [](std::vector<int32_t> answers, bool confirm, std::vector<int32_t>& replaced,
                        int32_t& asked) {
        TImportFixture f;
        f.Target.Add("Citation");
        f.Target.Add("Suite");
        TMessageAnswers box;
        for (int32_t a : answers)
            box.Expect("Voulez-vous remplacer le style", a);
        TImportStylesInfo request(&f.Source.Styles);
        request.Mode = 1;
        request.Chosen = {0, 1, 3};
        const std::vector<std::string> before = Names(f.Target.Styles);
        try {
            f.Target.Styles.ImportStyles(request, confirm);
        } catch (const EAbort&) {
            EXPECT_EQ(Names(f.Target.Styles), before);  // untouched
            EXPECT_EQ(f.Target.Styles[0].CharFormat[cfBold], NotSet);
            replaced = {-1};
        }
        if (replaced.empty())
            replaced = request.Replaced;
        asked = static_cast<int32_t>(box.Asked().size());
    };
    std::vector<int32_t> replaced;
    int32_t asked = 0;
    run({mrYesToAll}, true, replaced, asked);
    EXPECT_EQ(replaced, (std::vector<int32_t>{0, 2, 3}));  // Normal, Citation, Suite (Base perso is new)
    EXPECT_EQ(asked, 1);

    replaced.clear();
    run({mrYes, mrNoToAll}, true, replaced, asked);
    EXPECT_EQ(replaced, (std::vector<int32_t>{0}));
    EXPECT_EQ(asked, 2);

    replaced.clear();
    run({}, false, replaced, asked);  // no confirmation: everything is replaced
    EXPECT_EQ(replaced, (std::vector<int32_t>{0, 2, 3}));
    EXPECT_EQ(asked, 0);

    replaced.clear();
    run({mrYes, mrCancel}, true, replaced, asked);
    EXPECT_EQ(replaced, (std::vector<int32_t>{-1}));
}

TEST(StyleImportTest, CancelLeavesNoTabTableBehind)
{
    // "Citation" comes in first with its tab table, then the question about
    // "Normal" is cancelled: the tab manager is as it was.
    TImportFixture f;
    const int32_t tables = f.Target.Tabs.Count();
    TMessageAnswers box;
    box.Expect("Voulez-vous remplacer le style \"Normal\"", mrCancel);
    TImportStylesInfo request(&f.Source.Styles);
    request.Mode = 1;
    request.Chosen = {1, 0};
    EXPECT_THROW(f.Target.Styles.ImportStyles(request, true), EAbort);
    EXPECT_EQ(box.Asked().size(), 1u);
    EXPECT_EQ(f.Target.Tabs.Count(), tables);
    EXPECT_EQ(Names(f.Target.Styles), (std::vector<std::string>{"Normal", "Mon style"}));
    // The import done again gives the table the index it had the first time.
    request.Mode = 0;
    f.Target.Styles.ImportStyles(request, true);
    EXPECT_EQ(f.Target.Styles[2].ParFormat[pfTabTable], tables);
    EXPECT_EQ(f.Target.Tabs.Count(), tables + 1);
}

TEST(StyleImportTest, StyleFollowedByItselfIsAddedOnce)
{
    TImportFixture f;
    TImportStylesInfo request(&f.Source.Styles);
    request.Chosen = {3, 3};
    f.Target.Styles.ImportStyles(request, false);
    EXPECT_EQ(Names(f.Target.Styles), (std::vector<std::string>{"Normal", "Mon style", "Suite"}));
    EXPECT_EQ(f.Target.Styles[2].NextStyle, 2);
    EXPECT_EQ(request.Added, (std::vector<int32_t>{2}));
}

// --- Descriptions ---

TEST(StyleDescriptionTest, PhrasesInFrench)
{
    TSheet sheet({{"Normal"}, {"Mon style", 0}});
    TStyle& style = sheet.Styles[1];
    style.CharFormat[cfSize] = 25;
    style.CharFormat[cfBold] = 1;
    style.CharFormat[cfItalic] = 0;
    style.CharFormat[cfStrikeOut] = 0;
    style.CharFormat[cfDoubleStrikeOut] = 0;
    style.CharFormat[cfUnderline] = 3;
    style.CharFormat[cfUnderlineColor] = 9;
    style.CharFormat[cfAllCaps] = 0;
    style.CharFormat[cfSmallCaps] = 0;
    style.CharFormat[cfColor] = 6;
    style.CharFormat[cfVerticalPosition] = 1;
    style.CharFormat[cfHorizontalScale] = 90;
    style.CharFormat[cfLetterSpacing] = -30;
    style.CharFormat[cfRaise] = -6;
    style.CharFormat[cfKerning] = 21;
    EXPECT_EQ(style.GetDescription(false),
              "taille de la police : 12,50 pt; gras; non italique; non barré; soulignage double; "
              "couleur du soulignage : bleu marine; pas de majuscules; couleur du texte : rouge; exposant; "
              "étirement des caractères : 90%; police à espacement : -1,5 pt; décalage vers le bas : 6 pt; "
              "crénage : 10 pt et plus");

    TStyle& par = sheet.Add("Paragraphe", 0);
    par.ParFormat[pfFirstIndent] = -567;
    par.ParFormat[pfLeftIndent] = 1701;
    par.ParFormat[pfLineSpacing] = 300;
    par.ParFormat[pfLineRule] = 1;
    par.ParFormat[pfAlignment] = 3;
    par.ParFormat[pfKeepWithNext] = 1;
    par.ParFormat[pfWidowControl] = 0;
    par.ParFormat[pfNoHyphenation] = 1;
    par.ParFormat[pfSpaceBefore] = 240;
    par.ParFormat[pfSpaceAfter] = 0;
    TTabTable tabs;
    tabs.AddTab(PackTabStop(1134, tkLeft, 0));
    tabs.AddTab(PackTabStop(2268, tkDecimal, 0));
    par.ParFormat[pfTabTable] = sheet.Tabs.AddTable(tabs);
    EXPECT_EQ(par.GetDescription(true),
              "Normal + retrait de 1ère ligne négatif : 1 cm; retrait gauche : 2 cm; interligne multiple : 1,25; "
              "alignement justifié; paragraphes solidaires; ignorer veuves et orphelines; pas de coupe de mots; "
              "espacement avant paragraphe : 12 pt; espacement après paragraphe : 0 pt; "
              "taquets de tabulation : 2 cm, 4 cm alignement décimal");
}

TEST(StyleDescriptionTest, FullDescriptionOfARootStyleAndHotKey)
{
    THotKeyHost host;
    TSheet sheet({{"Normal"}, {"Vide", 0}});
    sheet.Styles[0].HotKey = 0x4031;
    sheet.Styles[0].ParFormat[pfLineSpacing] = 240;
    sheet.Styles[0].ParFormat[pfLineRule] = 0;
    // A root style that leaves the size unset shows the program's default size.
    EXPECT_EQ(sheet.Styles[0].GetDescription(true),
              "taille de la police : 12,00 pt; interligne d'au moins : 12 pt\rRaccourci clavier : Ctrl+Alt+1");
    EXPECT_EQ(sheet.Styles[0].GetDescription(false), "interligne d'au moins : 12 pt");
    // A style without phrases shows its parent's name alone.
    EXPECT_EQ(sheet.Styles[1].GetDescription(true), "Normal");
    EXPECT_EQ(sheet.Styles[1].GetDescription(false), "");
}
