// The paragraph dialog over selections with mixed formats, driven by keys and
// clicks; its result applied to the document, undone and redone. Lengths
// typed with units, values the user did not touch coming back exactly, and
// numbers out of range refused with the dialog kept open.
#include "DialogTesting.h"

#include "dialogs/ParFormatForm.h"
#include "dialogs/UnitEdits.h"
#include "platform/framework/ModalTesting.h"

namespace {

class ParFormatDialogTest : public DialogTest {
protected:
    void SetFormat(int32_t paragraph, std::initializer_list<std::pair<int, int32_t>> fields)
    {
        for (const auto& [field, value] : fields)
            Doc->Paragraphs(paragraph).Format[field] = value;
    }
    TParFormat FormatOf(int32_t paragraph) const { return Doc->Paragraphs(paragraph).Format; }
    TPageParams Page()
    {
        TPageParams page;
        Doc->GetCaretPageParams(page);
        return page;
    }
};

}  // namespace

// Two paragraphs that differ in alignment: the box shows no item and keeps
// each paragraph's own alignment; the hanging indent both share shows where
// the first line starts. Line spacing, space after and a switch are changed,
// applied as one operation, undone and redone.
TEST_F(ParFormatDialogTest, MixedSelectionEditedAppliedUndoneAndRedone)
{
    Build({"Premier paragraphe" + std::string(kMark), "Second" + std::string(kMark)});
    for (int32_t p = 0; p < 2; ++p)
        SetFormat(p, {{pfLeftIndent, 1440}, {pfFirstIndent, -360}, {pfSpaceBefore, 25}, {pfAlignment, p * 2}});
    Select(0, 2, 1, 3);
    const std::string before = State();
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TParFormatForm&>(form);
        EXPECT_EQ(f.Caption(), "Paragraphe");
        EXPECT_EQ(f.HelpTopic(), 10000);
        EXPECT_EQ(f.AlignmentComboBox->ItemIndex(), -1);
        EXPECT_EQ(f.ParLeftIndentUpDownEdit->Text(), "1,91 cm");
        EXPECT_EQ(f.FirstLineIndentKindComboBox->ItemIndex(), 2);
        EXPECT_EQ(f.FirstLineIndentValueUpDownEdit->Text(), "0,64 cm");
        EXPECT_EQ(f.SpaceBeforeUpDownEdit->Text(), "1,25 pt");
        EXPECT_EQ(f.LineSpacingComboBox->ItemIndex(), 0);
        EXPECT_EQ(f.LineSpacingValueUpDownEdit->Text(), "");
        ChooseItem(*f.LineSpacingComboBox, 4);  // "Exactement": 12 pt
        EXPECT_EQ(f.LineSpacingValueUpDownEdit->Text(), "12 pt");
        Retype(*f.LineSpacingValueUpDownEdit, "14,5");
        Retype(*f.SpaceAfterUpDownEdit, "6");
        // Text still being typed survives a change elsewhere.
        Retype(*f.ParRightIndentUpDownEdit, "1,");
        ChooseItem(*f.LineSpacingComboBox, 3);
        EXPECT_EQ(f.ParRightIndentUpDownEdit->Text(), "1,");
        EXPECT_EQ(f.LineSpacingValueUpDownEdit->Text(), "12 pt");
        ChooseItem(*f.LineSpacingComboBox, 4);
        Retype(*f.LineSpacingValueUpDownEdit, "14,5");
        Retype(*f.ParRightIndentUpDownEdit, "0");
        ShowPage(*f.PageControl, 1);
        Press(*f.KeepWithNextCheckBox);
        EXPECT_TRUE(f.KeepWithNextCheckBox->Checked());
        Snapshot(f, "paragraph-dialog.png");
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(FormatParagraphsWithDialog(*Doc));
    for (int32_t p = 0; p < 2; ++p) {
        const TParFormat f = FormatOf(p);
        EXPECT_EQ(f[pfAlignment], p * 2) << p;
        EXPECT_EQ(f[pfLeftIndent], 1440) << p;
        EXPECT_EQ(f[pfFirstIndent], -360) << p;
        EXPECT_EQ(f[pfSpaceBefore], 25) << p;
        EXPECT_EQ(f[pfSpaceAfter], 120) << p;
        EXPECT_EQ(f[pfLineSpacing], -290) << p;
        EXPECT_EQ(f[pfLineRule], 0) << p;
        EXPECT_EQ(f[pfKeepWithNext], 1) << p;
    }
    const std::string after = State();
    Undo().Undo();
    EXPECT_EQ(State(), before);
    Undo().Redo();
    EXPECT_EQ(State(), after);
}

// Values the user leaves alone return exactly as they came, though the
// edits show them rounded to their unit; a first-line kind chosen keeps the
// shown left indent; Cancel returns nothing.
TEST_F(ParFormatDialogTest, UntouchedValuesComeBackExactly)
{
    Build({"Texte" + std::string(kMark)});
    TParFormat format = DefaultParFormat();
    format[pfLeftIndent] = 1418;  // shows 2,5 cm, which is 1417 twips
    format[pfSpaceBefore] = 7;    // 0,35 pt
    format[pfSpaceAfter] = 25;
    format[pfLineSpacing] = 300;  // 1,25 lines
    format[pfLineRule] = 1;
    const TParFormat original = format;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TParFormatForm&>(form);
        EXPECT_EQ(f.ParLeftIndentUpDownEdit->Text(), "2,5 cm");
        EXPECT_EQ(f.SpaceBeforeUpDownEdit->Text(), "0,35 pt");
        EXPECT_EQ(f.LineSpacingComboBox->ItemIndex(), 5);
        EXPECT_EQ(f.LineSpacingValueUpDownEdit->Text(), "1,25");
        Retype(*f.ParRightIndentUpDownEdit, "1");
        ChooseItem(*f.FirstLineIndentKindComboBox, 2);  // "Négatif": 720 twips hanging
        EXPECT_EQ(f.ParLeftIndentUpDownEdit->Text(), "2,5 cm");
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteParFormatDialog(format, Page(), 0, 10000));
    EXPECT_EQ(format[pfLeftIndent], 1418 + 720);
    EXPECT_EQ(format[pfFirstIndent], -720);
    EXPECT_EQ(format[pfRightIndent], 567);
    EXPECT_EQ(format[pfSpaceBefore], 7);
    EXPECT_EQ(format[pfSpaceAfter], 25);
    EXPECT_EQ(format[pfLineSpacing], 300);
    EXPECT_EQ(format[pfLineRule], 1);

    format = original;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TParFormatForm&>(form);
        Retype(*f.SpaceAfterUpDownEdit, "30");
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(ExecuteParFormatDialog(format, Page(), 0, 10000));
    EXPECT_EQ(format, original);
}

// Lengths typed with units, in either decimal form, and the twips stored.
TEST_F(ParFormatDialogTest, TypedLengthsWithUnits)
{
    Build({"Texte" + std::string(kMark)});
    struct TCase {
        const char* Typed;
        int32_t Twips;
    };
    const TCase cases[] = {
        {"2,5", 1417},     {"2,5 cm", 1417}, {"0.5 cm", 283},   {"15 mm", 850},  {"12 pt", 240},
        {"1 pouce", 1440}, {"1,5\"", 2160},  {"2 pi", 480},     {"-1,25", -709}, {"7,25 pt", 145},
    };
    for (const TCase& c : cases) {
        TParFormat format = DefaultParFormat();
        format[pfLeftIndent] = 0;
        format[pfSpaceBefore] = 0;
        DuringNextModal([&](TForm& form) {
            auto& f = dynamic_cast<TParFormatForm&>(form);
            Retype(*f.ParLeftIndentUpDownEdit, c.Typed);
            Retype(*f.SpaceBeforeUpDownEdit, c.Typed[0] == '-' ? "0" : c.Typed);
            Keys.Tap("Enter");
        });
        ASSERT_TRUE(ExecuteParFormatDialog(format, Page(), 0, 10000)) << c.Typed;
        EXPECT_EQ(format[pfLeftIndent], c.Twips) << c.Typed;
        // Without a unit the spacing edit reads points.
        int32_t expected = c.Twips;
        if (c.Typed[0] == '-')
            expected = 0;
        else if (std::string(c.Typed) == "2,5")
            expected = 50;
        EXPECT_EQ(format[pfSpaceBefore], expected) << c.Typed;
    }
}

// A number out of range or unreadable is refused on OK with its message;
// the dialog stays open on the first invalid edit in registration order,
// switching to its page.
TEST_F(ParFormatDialogTest, InvalidNumbersKeepTheDialogOpen)
{
    Build({"Texte" + std::string(kMark)});
    TParFormat format = DefaultParFormat();
    const TParFormat original = format;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TParFormatForm&>(form);
        Retype(*f.SpaceAfterUpDownEdit, "abc");
        Retype(*f.ParRightIndentUpDownEdit, "40");
        ShowPage(*f.PageControl, 1);
        Keys.Tap("Enter");
        ASSERT_TRUE(RunUntil([&] { return Answers.Texts.size() == 1; }));
        EXPECT_EQ(Answers.Texts[0], "Le nombre doit être compris entre -16 cm et 16 cm.");
        EXPECT_EQ(f.PageControl->ActivePageIndex(), 0);
        EXPECT_TRUE(f.ParRightIndentUpDownEdit->Focused());
        EXPECT_EQ(f.ModalResult(), mrNone);
        Retype(*f.ParRightIndentUpDownEdit, "1");
        Keys.Tap("Enter");
        ASSERT_TRUE(RunUntil([&] { return Answers.Texts.size() == 2; }));
        EXPECT_EQ(Answers.Texts[1], "Le nombre spécifié n'est pas valide.");
        EXPECT_TRUE(f.SpaceAfterUpDownEdit->Focused());
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(ExecuteParFormatDialog(format, Page(), 0, 10000));
    EXPECT_EQ(format, original);
}

// With undefined values allowed, an emptied edit makes its field not set,
// and "Valeur non définie" on the first line of a hanging indent leaves a
// not-set left indent not set.
TEST_F(ParFormatDialogTest, UndefinedValuesForStyles)
{
    Build({"Texte" + std::string(kMark)});
    TParFormat format;
    ClearParFormat(format);
    format[pfFirstIndent] = -360;
    format[pfSpaceBefore] = 120;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TParFormatForm&>(form);
        EXPECT_EQ(f.ParLeftIndentUpDownEdit->Text(), "");
        EXPECT_EQ(f.FirstLineIndentKindComboBox->ItemIndex(), 2);
        EXPECT_EQ(f.KeepIntactCheckBox->State(), TCheckBoxState::cbGrayed);
        Retype(*f.SpaceBeforeUpDownEdit, "");
        f.SetUndefinedValue(pfFirstIndent);
        EXPECT_EQ(f.FirstLineIndentKindComboBox->ItemIndex(), -1);
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteParFormatDialog(format, Page(), pffAllowUndefined, 15000));
    EXPECT_EQ(format[pfSpaceBefore], NotSet);
    EXPECT_EQ(format[pfFirstIndent], NotSet);
    EXPECT_EQ(format[pfLeftIndent], NotSet);
}
