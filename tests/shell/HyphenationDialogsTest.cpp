// The hyphenation options dialog, the user word list dialog and the manual
// hyphenation dialog, driven by keys and clicks over the program's own
// hyphenation data file; the options applied to a document and undone.
#include "shell/proofing/HyphenationForms.h"
#include "shell/proofing/ManualHyphForm.h"

#include "document/FormattingFixtures.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/KerningPairsManager.h"
#include "foundation/managers/MeasurementsManager.h"
#include "layout/LineLayoutService.h"
#include "layout/RunFont.h"
#include "foundation/settings/RegistryEx.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/StringList.h"
#include "platform/testing/Testing.h"
#include "platform/win/RegistryStore.h"
#include "proofing/HyphManager.h"
#include "shell/ShellTesting.h"
#include "shell/startup/ProgramHosts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

namespace {

constexpr int32_t kFrench = 0x040C;

class HyphDialogTest : public EditingTest {
protected:
    void SetUp() override
    {
        InitApplication();
        FPrevious = SetHyphManager(std::make_unique<THyphManager>());
        ASSERT_TRUE(GetHyphManager().FileValid());
        ResetManualHyphPosition();
    }
    void TearDown() override
    {
        Application->OnIdle = nullptr;
        RunPending();
        SetHyphManager(std::move(FPrevious));
    }
    // Types text on the French keyboard into the focused control: letters,
    // blanks, "-" and digits (on the numeric pad).
    void Type(const std::string& text)
    {
        for (char c : text) {
            if (c >= 'a' && c <= 'z')
                Keys.Tap(std::string(1, static_cast<char>(c - 'a' + 'A')));
            else if (c >= 'A' && c <= 'Z')
                Keys.Chord({"Shift"}, std::string(1, c));
            else if (c >= '0' && c <= '9')
                Keys.Tap("Num" + std::string(1, c));
            else if (c == ' ')
                Keys.Tap("Space");
            else if (c == '-')
                Keys.Tap("6");
        }
    }
    // Replaces an edit's text by typing.
    void Retype(TCustomEdit& edit, const std::string& text)
    {
        edit.SetFocus();
        ASSERT_TRUE(RunUntil([&] { return edit.Focused(); }));
        edit.SelectAll();
        Keys.Tap("Del");
        Type(text);
    }
    void Click(TControl& control)
    {
        Mouse.Click(static_cast<TWinControl&>(control).Handle(), {control.Width() / 2, control.Height() / 2});
    }
    void Snapshot(TForm& form, const std::string& name)
    {
        RunPending();
        TBitmap grab;
        ASSERT_TRUE(RunUntil([&] { return GrabWindow(form.Handle(), grab) && grab.Width() > 0; }));
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/" + name));
    }
    TLanguageHyphData& French() { return GetHyphManager().GetLanguageData(kFrench); }

    TTestMouse Mouse;
    TTestKeyboard Keys;
    TScriptedAnswers Answers;

private:
    std::unique_ptr<THyphManager> FPrevious;
};

}  // namespace

// OK applies the options as the document's operation, which is undone and
// redone; a limit of 0 reads "Pas de limite".
TEST_F(HyphDialogTest, OptionsAreAppliedToTheDocumentAndUndone)
{
    Build({"Une combinaison" + std::string(kMark)});
    Doc->AutoHyphenation = 1;
    Doc->HyphenateCapitals = 1;
    Doc->HyphenationZone = 360;
    Doc->HyphenationLimit = 0;
    const std::string before = DumpAll(*Doc);
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<THyphOptForm&>(form);
        EXPECT_EQ(f.Caption(), "Coupe de mots : " + HyphLanguageName(kFrench));
        EXPECT_EQ(f.HelpTopic(), 37510);
        EXPECT_TRUE(f.AutoChkBx->Checked());
        EXPECT_TRUE(f.CapsChkBx->Checked());
        EXPECT_EQ(f.HyphZoneUpDnEdt->Text(), "0,64 cm");
        EXPECT_EQ(f.ConsecHyphLimitUpDnEdt->Text(), "Pas de limite");
        Click(*f.CapsChkBx);
        EXPECT_FALSE(f.CapsChkBx->Checked());
        Retype(*f.HyphZoneUpDnEdt, "1");
        Retype(*f.ConsecHyphLimitUpDnEdt, "3");
        Snapshot(f, "hyphenation-options.png");
        Keys.Tap("Enter");
    });
    EXPECT_EQ(ShowDocumentHyphenationOptions(*Doc, kFrench), hoResultOK);
    EXPECT_EQ(Doc->AutoHyphenation, 1);
    EXPECT_EQ(Doc->HyphenateCapitals, 0);
    EXPECT_EQ(Doc->HyphenationZone, 567);
    EXPECT_EQ(Doc->HyphenationLimit, 3);
    Undo().Undo();
    EXPECT_EQ(DumpAll(*Doc), before);
    EXPECT_EQ(Doc->HyphenateCapitals, 1);
    EXPECT_EQ(Doc->HyphenationZone, 360);
    Undo().Redo();
    EXPECT_EQ(Doc->HyphenationLimit, 3);

    // Cancel changes nothing and records nothing.
    const std::string after = DumpAll(*Doc);
    const int32_t recorded = Undo().CurrentIndex();
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<THyphOptForm&>(form);
        Click(*f.AutoChkBx);
        Retype(*f.ConsecHyphLimitUpDnEdt, "7");
        Keys.Tap("Esc");
    });
    EXPECT_EQ(ShowDocumentHyphenationOptions(*Doc, kFrench), hoResultCancelled);
    EXPECT_EQ(DumpAll(*Doc), after);
    EXPECT_EQ(Undo().CurrentIndex(), recorded);
}

// "Pas de limite" typed in any case is 0, "0" shows as "Pas de limite"; an
// invalid number keeps the dialog open with its message.
TEST_F(HyphDialogTest, LimitTextAndInvalidNumbers)
{
    THyphenationOptions options{hofAutomatic, 360, 2};
    bool stayedOpen = false;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<THyphOptForm&>(form);
        EXPECT_EQ(f.ConsecHyphLimitUpDnEdt->Text(), "2");
        Retype(*f.ConsecHyphLimitUpDnEdt, "0");
        EXPECT_EQ(f.ConsecHyphLimitUpDnEdt->Text(), "Pas de limite");
        Retype(*f.ConsecHyphLimitUpDnEdt, "pAs De LIMite");
        EXPECT_TRUE(f.ConsecHyphLimitUpDnEdt->IsValueValid());
        EXPECT_EQ(f.ConsecHyphLimitUpDnEdt->Value(), 0);
        // A zone below its minimum: the number's message, and the dialog stays.
        Retype(*f.HyphZoneUpDnEdt, "0");
        Keys.Tap("Enter");
        RunPending();
        stayedOpen = f.ModalResult() == mrNone;
        EXPECT_TRUE(f.HyphZoneUpDnEdt->Focused());
        Retype(*f.HyphZoneUpDnEdt, "2");
        Keys.Tap("Enter");
    });
    EXPECT_EQ(ShowHyphenationOptions(options, kFrench), hoResultOK);
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(Answers.Texts.size(), 1u);
    EXPECT_EQ(Answers.Texts[0].rfind("Le nombre doit être compris entre", 0), 0u) << Answers.Texts[0];
    EXPECT_EQ(options.ConsecutiveLimit, 0);
    EXPECT_EQ(options.Zone, 1134);
}

// "Manuelle..." asks first when automatic hyphenation is on: "Non" stays,
// "Oui" ends with the manual result and automatic hyphenation off; unticked,
// it ends at once.
TEST_F(HyphDialogTest, ManualAsksOnlyWhileAutomaticHyphenationIsOn)
{
    THyphenationOptions options{hofAutomatic | hofCapitals, 360, 0};
    Answers.Script = {mrNo, mrYes};
    bool stayed = false;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<THyphOptForm&>(form);
        Click(*f.ManualBtn);
        RunPending();
        stayed = f.ModalResult() == mrNone && f.AutoChkBx->Checked();
        Click(*f.ManualBtn);
    });
    EXPECT_EQ(ShowHyphenationOptions(options, kFrench), hoResultManual);
    EXPECT_TRUE(stayed);
    ASSERT_EQ(Answers.Texts.size(), 2u);
    EXPECT_EQ(Answers.Texts[0].rfind("La coupe de mots manuelle ne peut pas être lancée", 0), 0u);
    EXPECT_EQ(options.Flags, hofCapitals);

    DuringNextModal([&](TForm& form) { Click(*dynamic_cast<THyphOptForm&>(form).ManualBtn); });
    EXPECT_EQ(ShowHyphenationOptions(options, kFrench), hoResultManual);
    EXPECT_EQ(Answers.Texts.size(), 2u);
}

// The word list dialog: typed words are normalised, a listed word is
// replaced rather than listed twice, deleting selects the neighbour, files
// are read and written; OK hands the lists over, Annuler keeps them.
TEST_F(HyphDialogTest, WordListEditing)
{
    std::vector<std::string> plain{"parapluie"};
    std::vector<std::string> hyphenated{"pa-ra-pluie"};
    const std::string dir = MakeTestDir("hyph-words");
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TCustomizeAutoHyphForm&>(form);
        EXPECT_EQ(f.Caption(), "Coupe de mots personnalisée : " + HyphLanguageName(kFrench));
        EXPECT_FALSE(f.AddBtn->Enabled());
        EXPECT_FALSE(f.DelBtn->Enabled());
        Retype(*f.PatternEdt, "com--bi-nai-son ");
        EXPECT_EQ(f.TypedWord(), "com-bi-nai-son");
        EXPECT_EQ(TCustomizeAutoHyphForm::PlainForm(f.TypedWord()), "combinaison");
        EXPECT_TRUE(f.AddBtn->Enabled());
        EXPECT_EQ(f.AddBtn->Caption(), "&Ajouter");
        Click(*f.AddBtn);
        EXPECT_EQ(f.HyphenatedWords(), (std::vector<std::string>{"com-bi-nai-son", "pa-ra-pluie"}));
        EXPECT_EQ(f.PlainWords(), (std::vector<std::string>{"combinaison", "parapluie"}));
        // A listed word is selected and replaced.
        Retype(*f.PatternEdt, "PARA-pluie");
        EXPECT_EQ(f.PatternLstBx->ItemIndex(), 1);
        EXPECT_EQ(f.AddBtn->Caption(), "&Remplacer");
        Click(*f.AddBtn);
        EXPECT_EQ(f.HyphenatedWords(), (std::vector<std::string>{"com-bi-nai-son", "PARA-pluie"}));
        // The replaced entry was made the list's top row; scrolled back, a
        // click in the list copies the item; deleting selects the next one.
        EXPECT_EQ(f.PatternLstBx->TopIndex(), 1);
        f.PatternLstBx->SetTopIndex(0);
        const TRect first = f.PatternLstBx->ItemRect(0);
        Mouse.Click(f.PatternLstBx->Handle(), {first.Left + 20, (first.Top + first.Bottom) / 2});
        EXPECT_EQ(f.PatternEdt->Text(), "com-bi-nai-son");
        EXPECT_EQ(f.AddBtn->Caption(), "&Remplacer");
        Snapshot(f, "hyphenation-user-words.png");
        Click(*f.DelBtn);
        EXPECT_EQ(f.HyphenatedWords(), (std::vector<std::string>{"PARA-pluie"}));
        EXPECT_EQ(f.PatternLstBx->ItemIndex(), 0);
        EXPECT_EQ(f.PatternEdt->Text(), "PARA-pluie");
        // Written and read back; a word given twice keeps its first hyphenation.
        EXPECT_TRUE(f.SaveWords(dir + "/mots.txt"));
        TStringList lines;
        lines.LoadFromFile(dir + "/mots.txt");
        EXPECT_EQ(lines.Count(), 1);
        WriteTestFile(dir + "/liste.txt", "tri-co-ter\r\nan-ti-cons-ti-tu-tion-nel\r\ntrico-ter\r\n");
        EXPECT_TRUE(f.LoadWords(dir + "/liste.txt"));
        EXPECT_EQ(f.HyphenatedWords(), (std::vector<std::string>{"an-ti-cons-ti-tu-tion-nel", "tri-co-ter"}));
        EXPECT_EQ(f.PatternEdt->Text(), "");
        // A file that cannot be read: its message, the lists unchanged.
        EXPECT_FALSE(f.LoadWords(dir + "/absent.txt"));
        EXPECT_EQ(f.HyphenatedWords().size(), 2u);
        // OK adds the word in the edit field first.
        Retype(*f.PatternEdt, "pa-ra-pluie");
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteCustomizeAutoHyph(plain, hyphenated, kFrench, ""));
    EXPECT_EQ(plain, (std::vector<std::string>{"anticonstitutionnel", "parapluie", "tricoter"}));
    EXPECT_EQ(hyphenated, (std::vector<std::string>{"an-ti-cons-ti-tu-tion-nel", "pa-ra-pluie", "tri-co-ter"}));
    EXPECT_EQ(Answers.Texts.size(), 1u);

    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TCustomizeAutoHyphForm&>(form);
        EXPECT_EQ(f.PatternEdt->Text(), "mot-clé");
        Click(*f.AddBtn);
        Click(*f.CancelBtn);
    });
    EXPECT_FALSE(ExecuteCustomizeAutoHyph(plain, hyphenated, kFrench, "mot-clé"));
    EXPECT_EQ(plain.size(), 3u);
}

// "Personnaliser..." from the options dialog: the user's words change, the
// cancel button becomes "Fermer" and keeps the options like OK; the words
// are saved and read back by a new manager.
TEST_F(HyphDialogTest, CustomizedWordsTurnCancelIntoCloseAndAreSaved)
{
    THyphenationOptions options{hofAutomatic, 360, 0};
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<THyphOptForm&>(form);
        Click(*f.CapsChkBx);
        DuringNextModal([&](TForm& inner) {
            auto& w = dynamic_cast<TCustomizeAutoHyphForm&>(inner);
            Retype(*w.PatternEdt, "ba-na-ne");
            Keys.Tap("Enter");
        });
        Click(*f.CustomizeBtn);
        EXPECT_EQ(f.DlgButtons().Button(DlgButtonCancel)->Caption(), "Fermer");
        Keys.Tap("Esc");
    });
    EXPECT_EQ(ShowHyphenationOptions(options, kFrench), hoResultOK);
    EXPECT_EQ(options.Flags, hofAutomatic | hofCapitals);
    EXPECT_TRUE(French().Modified);
    std::vector<int32_t> points;
    French().GetHyphenationPoints("banane", points);
    EXPECT_EQ(points, (std::vector<int32_t>{2, 4}));

    const std::string dir = MakeTestDir("hyph-saved");
    TRegistryStore registry(dir + "/registry");
    {
        TRegistryEx store(registry);
        GetHyphManager().SaveToStorage(store);
    }
    THyphManager again;
    again.SetStoreSource([&registry] { return std::make_unique<TRegistryEx>(registry); });
    EXPECT_EQ(again.GetLanguageData(kFrench).UserHyphenatedWords, (std::vector<std::string>{"ba-na-ne"}));
}

// The manual dialog: the last allowed suggestion selected at the start,
// clicks bring the gap into the allowed range, a chosen gap that is no
// suggestion is drawn blue, "&Couper" gives the point.
TEST_F(HyphDialogTest, ManualDialogSelectsAndClicksGaps)
{
    int32_t chosen = 0;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TManualHyphForm&>(form);
        THyphenationBox& box = *f.Box;
        EXPECT_EQ(f.Caption(), "Coupe de mots manuelle : " + HyphLanguageName(kFrench));
        EXPECT_EQ(box.Selection(), 7);
        EXPECT_TRUE(f.Lbl2->Visible());
        EXPECT_TRUE(f.YesBtn->Enabled());
        EXPECT_TRUE(f.YesBtn->Default());
        ASSERT_EQ(box.CharPositions.size(), 12u);
        EXPECT_EQ(box.Width(), box.CharPositions.back() + 8);
        const int32_t middle = box.Height() / 2;
        // Left of the first character: nothing.
        Mouse.Click(box.Handle(), {1, middle});
        EXPECT_EQ(box.Selection(), 7);
        // Right of the last one: the gap before it, brought into range (length − MinAfter = 9).
        Mouse.Click(box.Handle(), {box.Width() - 2, middle});
        EXPECT_EQ(box.Selection(), 9);
        // The gap after the first character is not allowed (MinBefore 1): the next one.
        Mouse.Click(box.Handle(), {box.CharPositions[1] + 4, middle});
        EXPECT_EQ(box.Selection(), 2);
        // The nearer gap wins: just right of gap 5.
        Mouse.Click(box.Handle(), {box.CharPositions[5] + 5, middle});
        EXPECT_EQ(box.Selection(), 5);
        RunPending();
        TBitmap grab;
        ASSERT_TRUE(RunUntil([&] { return GrabWindow(box.Handle(), grab) && grab.Width() > 0; }));
        EXPECT_EQ(grab.Canvas().Pixels(box.GapX(5), middle) & 0xFFFFFF, 0xFF0000u) << "blue line";
        EXPECT_EQ(grab.Canvas().Pixels(box.GapX(3), middle) & 0xFFFFFF, 0x0000FFu) << "red suggestion";
        EXPECT_EQ(grab.Canvas().Pixels(box.GapX(5), 0) & 0xFFFFFF, 0xFF0000u) << "arrowhead";
        Snapshot(f, "hyphenation-manual.png");
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteManualHyphenation("combinaison", kFrench, {3, 7}, 1, 2, chosen));
    EXPECT_EQ(chosen, 5);
}

// Without suggestions nothing is red, Lbl2 is hidden, "&Couper" disabled and
// "&Pas de coupe" the default; Annuler stops the run; the next word opens
// where the last was left.
TEST_F(HyphDialogTest, ManualDialogWithoutSuggestionsCancelAndPosition)
{
    int32_t chosen = 0;
    int32_t left = 0, bottom = 0;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TManualHyphForm&>(form);
        EXPECT_EQ(f.Box->Selection(), -1);
        EXPECT_FALSE(f.Lbl2->Visible());
        EXPECT_FALSE(f.YesBtn->Enabled());
        EXPECT_TRUE(f.NoBtn->Default());
        f.SetLeft(f.Left() + 37);
        left = f.Left();
        bottom = f.Top() + f.Height();
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteManualHyphenation("xyzzy", kFrench, {}, 1, 1, chosen));
    EXPECT_EQ(chosen, -1);

    DuringNextModal([&](TForm& form) {
        EXPECT_EQ(form.Left(), left);
        EXPECT_EQ(form.Top() + form.Height(), bottom);
        Keys.Tap("Esc");
    });
    chosen = 42;
    EXPECT_FALSE(ExecuteManualHyphenation("tricoter", kFrench, {3}, 1, 1, chosen));
    EXPECT_EQ(chosen, 42);
}

// The words of a real paragraph stepped through with the program's French
// data: each long word is offered with its break points, the user takes the
// suggestion, refuses one, or corrects the word list ("P&ersonnaliser..."),
// after which the suggestions are computed again.
TEST_F(HyphDialogTest, ManualRunOverTheWordsOfAParagraph)
{
    const std::string text = "Les personnalisations du correcteur restent disponibles";
    std::string hyphenated;
    int word = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        std::string current = text.substr(start, end - start);
        if (current.size() >= 8) {
            std::vector<int32_t> points;
            French().GetHyphenationPoints(current, points);
            EXPECT_FALSE(points.empty()) << current;
            DuringNextModal([&, w = word](TForm& form) {
                auto& f = dynamic_cast<TManualHyphForm&>(form);
                if (w == 0) {
                    Keys.Tap("Enter");  // the last suggestion that fits
                } else if (w == 1) {
                    Click(*f.NoBtn);
                } else {
                    // The user's own hyphenation: "dis-po-nibles" only.
                    DuringNextModal([&](TForm& inner) {
                        auto& list = dynamic_cast<TCustomizeAutoHyphForm&>(inner);
                        EXPECT_NE(list.PatternEdt->Text().find('-'), std::string::npos);
                        Retype(*list.PatternEdt, "dis-po-nibles");
                        Keys.Tap("Enter");
                    });
                    Click(*f.CustomizeBtn);
                    EXPECT_EQ(f.Box->Points, (std::vector<int32_t>{3, 5}));
                    EXPECT_EQ(f.Box->Selection(), 5);
                    // The focus is back on the customise button, which
                    // would take Enter: the choice is confirmed by its button.
                    Click(*f.YesBtn);
                }
            });
            int32_t chosen = 0;
            ASSERT_TRUE(ExecuteManualHyphenation(current, kFrench, points, 1, 2, chosen)) << current;
            if (word == 0) {
                EXPECT_NE(std::find(points.begin(), points.end(), chosen), points.end()) << chosen;
            } else if (word == 1) {
                EXPECT_EQ(chosen, -1);
            }
            if (chosen > 0)
                current.insert(static_cast<size_t>(chosen), "-");
            ++word;
        }
        hyphenated += (hyphenated.empty() ? "" : " ") + current;
        start = end + 1;
    }
    EXPECT_EQ(word, 3);
    EXPECT_NE(hyphenated.find("correcteur"), std::string::npos);
    EXPECT_NE(hyphenated.find("dispo-nibles"), std::string::npos);
    EXPECT_TRUE(French().Modified);
}

// The manual run started from the options dialog, through the program's
// document host: the word the line would be cut in (laid out by the real
// line layout) comes up in the manual dialog with the breaks that fit the
// line, the last of them selected; Enter writes it into the text as a
// conditional hyphen, and the run ends with its message. One undo takes the
// word back, the next one the options.
TEST_F(HyphDialogTest, ManualRunFromTheOptionsDialog)
{
    CreateFontManager();
    CreateKerningPairsManager();
    CreateLineLayout();
    Build({"{21:1036}Une combinaison" + std::string(kMark)});
    // The text width holds "Une combinai" in 12 pt Times: "Une combi-" fits,
    // "Une combinai-" does not.
    TCharFormat format = DefaultCharFormat();
    format[cfFont] = GetFontManager()->IndexOfFont("Times New Roman");
    format[cfSize] = 24 * 8;
    SelectRunFont(*Doc, format, rfLineBuilding);
    int32_t width = 0;
    for (char c : std::string("Une combinai"))
        width += LayoutWorkingState().Font->Widths[static_cast<uint8_t>(c)];
    TPageParams& page = Doc->GetPageSection(0).PageParams;
    page[ppTextWidth] = width * 1440 / 768 + 2;
    page[ppPaperWidth] = page[ppTextWidth] + page[ppLeftMargin] + page[ppRightMargin];
    Doc->AutoHyphenation = 1;
    const std::string before = DumpAll(*Doc);

    InstallShellDocumentHost();
    int words = 0;
    DuringNextModal([&](TForm& form) {
        auto& options = dynamic_cast<THyphOptForm&>(form);
        // Automatic hyphenation is on: the user confirms it goes off.
        Answers.Script = {mrYes, mrOk};
        Click(*options.ManualBtn);
        // The options dialog closes; the run opens the manual dialog.
        DuringNextModal([&](TForm& inner) {
            auto* manual = dynamic_cast<TManualHyphForm*>(&inner);
            if (!manual) {
                ADD_FAILURE() << "not the manual hyphenation dialog";
                inner.SetModalResult(mrCancel);
                return;
            }
            TManualHyphForm& f = *manual;
            ++words;
            EXPECT_EQ(f.Box->Word, "combinaison");
            EXPECT_EQ(f.Box->Points, (std::vector<int32_t>{3, 5}));
            EXPECT_EQ(f.Box->Selection(), 5);
            // The word asked about is selected in the document.
            EXPECT_EQ(Doc->Selection().Start.Offset, 4);
            EXPECT_EQ(Doc->Selection().End.Offset, 15);
            Snapshot(f, "hyphenation-run-word.png");
            Keys.Tap("Enter");
        });
    });
    EXPECT_EQ(ShowDocumentHyphenationOptions(*Doc, kFrench), hoResultManual);
    RemoveShellDocumentHost();

    EXPECT_EQ(words, 1);
    ASSERT_EQ(Answers.Texts.size(), 2u);
    EXPECT_EQ(Answers.Texts[1], "La coupe de mots est terminée.");
    EXPECT_EQ(Doc->AutoHyphenation, 0);
    EXPECT_EQ(DumpParagraphText(Doc->Paragraphs(0)), "{21:1036}Une combi{22:14}naison{22:2}");
    const std::string after = DumpAll(*Doc);
    Undo().Undo();
    EXPECT_EQ(DumpParagraphText(Doc->Paragraphs(0)), "{21:1036}Une combinaison{22:2}");
    EXPECT_EQ(Doc->AutoHyphenation, 0);
    Undo().Undo();
    EXPECT_EQ(DumpAll(*Doc), before);
    EXPECT_EQ(Doc->AutoHyphenation, 1);
    Undo().RedoAll();
    EXPECT_EQ(DumpAll(*Doc), after);

    Doc.reset();
    FreeLineLayout();
    FreeKerningPairsManager();
    FreeFontManager();
}
