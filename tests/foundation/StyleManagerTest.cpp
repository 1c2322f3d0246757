#include "foundation/managers/StyleManager.h"

#include "foundation/managers/FontManager.h"
#include "foundation/MessageAnswers.h"
#include "foundation/managers/SharedManagersHost.h"
#include "foundation/managers/TabManager.h"
#include "platform/runtime/Exception.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kArial = 7;

TStyle& AddStyle(TStyleList& list, const std::string& name)
{
    auto style = std::make_unique<TStyle>(&list);
    style->Name = name;
    return list[list.Add(std::move(style))];
}

class TStyleAddedHost : public TSharedManagersHost {
public:
    TStyleAddedHost() : FPrevious(SetSharedManagersHost(this)) {}
    ~TStyleAddedHost() override { SetSharedManagersHost(FPrevious); }
    void StyleAdded() override { ++Added; }
    int Added = 0;

private:
    TSharedManagersHost* FPrevious;
};

}  // namespace

TEST(StyleManagerTest, StandardNameTable)
{
    struct TCase {
        int32_t Number;
        const char* Internal;
        const char* Display;
    };
    const TCase cases[] = {
        {0, "Normal", "Normal"},
        {9, "Heading 9", "Titre 9"},
        {18, "Index 9", "Index 9"},
        {19, "TOC 1", "TM 1"},
        {31, "Header", "En-tête"},
        {47, "List", "Liste"},
        {51, "List 5", "Liste 5"},
        {56, "List Bullet 5", "Liste à puces 5"},
        {61, "List Number 5", "Liste à numéros 5"},
        {72, "List Continue 5", "Liste continue 5"},
        {73, "Message Header", "En-tête de message"},
        {79, "Note Heading", "En-tête de message"},
        {91, "TOC Title", "Titre TM"},
        {92, "", ""},
        {-1, "", ""},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(StandardStyleName(c.Number), c.Internal) << c.Number;
        EXPECT_EQ(StandardStyleDisplayName(c.Number), c.Display) << c.Number;
    }
}

TEST(StyleManagerTest, IdentificationComparesDisplayNamesFirst)
{
    struct TCase {
        const char* Name;
        int32_t Number;
        const char* NameAfter;
        const char* DisplayAfter;
    };
    const TCase cases[] = {
        {"En-tête de message", 73, "Message Header", "En-tête de message"},  // the first display match
        {"Note Heading", 79, "Note Heading", "En-tête de message"},
        {"titre 1", 1, "Heading 1", "Titre 1"},
        {"HEADING 2", 2, "Heading 2", "Titre 2"},
        {"Titre", 62, "Title", "Titre"},
        {"Italique", 88, "Emphasis", "Italique"},
        // Only the letters a to z are compared without regard to case.
        {"EN-TêTE", 31, "Header", "En-tête"},
        {"EN-TÊTE", -1, "EN-TÊTE", "EN-TÊTE"},
        {"Ma citation", -1, "Ma citation", "Ma citation"},
    };
    TTabManager tabs(nullptr);
    TStyleList list(nullptr, &tabs);
    for (const TCase& c : cases)
        AddStyle(list, c.Name);
    IdentifyStandardStyles(list);
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TCase& c = cases[i];
        EXPECT_EQ(list[i].StandardNumber, c.Number) << c.Name;
        EXPECT_EQ(list[i].Standard, c.Number == -1 ? 0 : 1) << c.Name;
        EXPECT_EQ(list[i].Name, c.NameAfter) << c.Name;
        EXPECT_EQ(list[i].DisplayName, c.DisplayAfter) << c.Name;
    }
}

TEST(StyleManagerTest, DefaultStyleSheet)
{
    TStyleManager manager(kArial);
    const TStyleList& sheet = manager.DefaultStyles();
    ASSERT_EQ(sheet.Count(), 22);
    EXPECT_EQ(sheet.TabManager(), &manager.DefaultTabs());
    EXPECT_EQ(sheet.Document(), nullptr);

    const TStyle& normal = sheet[0];
    EXPECT_EQ(normal.DisplayName, "Normal");
    EXPECT_EQ(normal.NextStyle, 0);
    EXPECT_EQ(normal.CharFormat[cfFont], kArial);
    EXPECT_EQ(normal.CharFormat[cfSize], 20);
    EXPECT_EQ(sheet[9].Name, "Heading 9");
    EXPECT_EQ(sheet[9].DisplayName, "Titre 9");
    EXPECT_EQ(sheet[9].BasedOn, -1);
    EXPECT_EQ(sheet[10].DisplayName, "En-tête");
    EXPECT_EQ(sheet[10].BasedOn, 0);
    EXPECT_EQ(sheet[11].NextStyle, 11);
    EXPECT_EQ(sheet[12].StandardNumber, 91);
    EXPECT_EQ(sheet[12].ParFormat[pfSpaceBefore], 120);
    EXPECT_EQ(sheet[13].DisplayName, "TM 1");
    EXPECT_EQ(sheet[13].ParFormat[pfLeftIndent], 0);
    EXPECT_EQ(sheet[21].ParFormat[pfLeftIndent], 8 * 240);
    EXPECT_EQ(sheet[21].ParFormat[pfFirstIndent], NotSet);

    // A TOC level resolves over the program defaults.
    TCharFormat cf;
    TParFormat pf;
    sheet[15].GetFullFormat(cf, pf, 0);
    EXPECT_EQ(pf[pfLeftIndent], 480);
    EXPECT_EQ(pf[pfFirstIndent], 0);
}

TEST(StyleManagerTest, ImportDefaultStyleAddsNormalOnce)
{
    TStyleManager manager(kArial);
    TTabManager tabs(nullptr);
    TStyleList list(nullptr, &tabs);
    AddStyle(list, "Ma citation");
    manager.ImportDefaultStyle(list);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[1].Name, "Normal");
    EXPECT_EQ(list[1].NextStyle, 1);
    EXPECT_EQ(list[1].CharFormat[cfFont], kArial);

    list[1].CharFormat[cfSize] = 30;
    manager.ImportDefaultStyle(list);  // present: nothing asked, nothing changed
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list[1].CharFormat[cfSize], 30);
}

TEST(StyleManagerTest, IdentificationCanBeSwitchedOff)
{
    TStyleManager manager(kArial);
    TTabManager tabs(nullptr);
    TStyleList list(nullptr, &tabs);
    AddStyle(list, "heading 1");
    manager.IdentificationOff = 1;
    manager.IdentifyStandardStyles(list);
    EXPECT_EQ(list[0].StandardNumber, -1);
    EXPECT_EQ(list[0].DisplayName, "");
    manager.IdentificationOff = 0;
    manager.IdentifyStandardStyles(list);
    EXPECT_EQ(list[0].DisplayName, "Titre 1");
}

TEST(StyleManagerTest, FindOrAddStyle)
{
    TStyleManager manager(kArial);
    TStyleAddedHost host;
    TTabManager tabs(nullptr);
    TStyleList list(nullptr, &tabs);
    list.Assign(manager.DefaultStyles());
    TCharFormat selectionChar;
    ClearCharFormat(selectionChar);
    selectionChar[cfBold] = 1;
    TParFormat selectionPar;
    ClearParFormat(selectionPar);
    selectionPar[pfStyle] = 10;  // in a header: its next style is itself

    // Existing styles, by display name first, then by name.
    TFindOrAddStyleResult result;
    EXPECT_TRUE(manager.FindOrAddStyle(list, "titre 2", result, selectionPar, selectionChar));
    EXPECT_EQ(result.StyleIndex, 2);
    EXPECT_TRUE(manager.FindOrAddStyle(list, "Footer", result, selectionPar, selectionChar));
    EXPECT_EQ(result.StyleIndex, 11);
    EXPECT_EQ(result.NewList, nullptr);
    {
        TMessageAnswers answers;
        answers.Expect("La zone de nom de style ne peut pas être laissée en blanc", mrOk);
        EXPECT_FALSE(manager.FindOrAddStyle(list, "", result, selectionPar, selectionChar));
        result.StyleIndex = -1;  // nothing chosen before: no warning either
        EXPECT_FALSE(manager.FindOrAddStyle(list, "", result, selectionPar, selectionChar));
    }
    {
        TMessageAnswers answers;
        answers.Expect("Le style \"Lettre\" ne se trouve pas dans la liste", mrNo);
        EXPECT_FALSE(manager.FindOrAddStyle(list, "Lettre", result, selectionPar, selectionChar));
        EXPECT_EQ(result.NewList, nullptr);
        EXPECT_EQ(result.StyleIndex, -1);
        EXPECT_EQ(host.Added, 0);
    }
    {
        TMessageAnswers answers;
        answers.Expect("Le style \"Lettre\" ne se trouve pas dans la liste", mrYes);
        ASSERT_TRUE(manager.FindOrAddStyle(list, "Lettre", result, selectionPar, selectionChar));
    }
    ASSERT_NE(result.NewList, nullptr);
    EXPECT_EQ(list.Count(), 22);  // the document's list itself is left to the caller
    const TStyleList& added = *result.NewList;
    ASSERT_EQ(added.Count(), 23);
    EXPECT_EQ(added.TabManager(), &tabs);
    EXPECT_EQ(result.StyleIndex, 22);
    EXPECT_EQ(result.Changed, 1);
    EXPECT_EQ(host.Added, 1);
    const TStyle& style = added[22];
    EXPECT_EQ(style.DisplayName, "Lettre");
    EXPECT_EQ(style.BasedOn, 10);
    EXPECT_EQ(style.NextStyle, 22);  // the header follows itself, so the new style does too
    EXPECT_EQ(style.CharFormat[cfBold], 1);
    EXPECT_EQ(style.ParFormat[pfStyle], 22);

    // Based on a style that names another next style: the new one takes it over.
    list[1].NextStyle = 0;  // Heading 1, followed by Normal
    selectionPar[pfStyle] = 1;
    struct TCase {
        int32_t SelectionStyle;
        int32_t BasedOn;
        int32_t Next;
    };
    const TCase cases[] = {
        {1, 1, 0},
        {NotSet, 0, 22},  // a mixed selection counts as in the first style, which follows itself
        {40, -1, -1},     // a style index the list does not have: based on nothing
    };
    for (const TCase& c : cases) {
        selectionPar[pfStyle] = c.SelectionStyle;
        TFindOrAddStyleResult other;
        TMessageAnswers answers;
        answers.Expect("\"Annexe\"", mrYes);
        ASSERT_TRUE(manager.FindOrAddStyle(list, "Annexe", other, selectionPar, selectionChar));
        EXPECT_EQ((*other.NewList)[22].BasedOn, c.BasedOn) << c.SelectionStyle;
        EXPECT_EQ((*other.NewList)[22].NextStyle, c.Next) << c.SelectionStyle;
    }
}

TEST(StyleManagerTest, ProgramWideManagerNeedsTheFontManager)
{
    const int32_t saved[3] = {DefaultCharFormat()[cfFont], PresetCharFormat()[cfFont], PresetBoldCharFormat()[cfFont]};
    EXPECT_THROW(CreateStyleManager(), EInternalError);
    EXPECT_EQ(GetStyleManager(), nullptr);

    CreateFontManager();
    CreateStyleManager();
    ASSERT_NE(GetStyleManager(), nullptr);
    TFontManager& fonts = *GetFontManager();
    TStyleList& sheet = GetStyleManager()->DefaultStyles();
    EXPECT_EQ(sheet[0].CharFormat[cfFont], fonts.ArialIndex());
    // Descriptions name the fonts: an installed one by its family's name.
    EXPECT_EQ(sheet[0].GetDescription(false), "police : Arial; taille de la police : 10,00 pt");
    sheet[1].CharFormat[cfFont] = fonts.GetFontIndex("LIBERATION SANS", 238, false, 0);
    EXPECT_EQ(sheet[1].GetDescription(false), "police : Liberation Sans");
    // A root style without a font of its own shows the program's default font in full.
    EXPECT_EQ(sheet[12].GetDescription(true).rfind("police : Times New Roman; taille de la police : 12,00 pt; gras", 0),
              0u);
    FreeStyleManager();
    FreeFontManager();
    EXPECT_EQ(GetStyleManager(), nullptr);
    DefaultCharFormat()[cfFont] = saved[0];
    PresetCharFormat()[cfFont] = saved[1];
    PresetBoldCharFormat()[cfFont] = saved[2];
}
