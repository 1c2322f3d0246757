// The style dialogs driven by keys and clicks over a small style sheet:
// styles created and changed through the character and paragraph dialogs,
// applied and undone; deleted with and without their descendants; re-based
// by dragging; imported from another document; the checks of a style's name
// and of the whole list.
#include "DialogTesting.h"

#include "dialogs/FontFormatForm.h"
#include "dialogs/ParFormatForm.h"
#include "dialogs/StyleForms.h"
#include "foundation/managers/StyleManager.h"
#include "platform/framework/ModalTesting.h"

namespace {

class StyleDialogsTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        EnableLayout();
        Build({"Premier paragraphe" + std::string(kMark), "Second paragraphe" + std::string(kMark)});
        Doc->Styles().Clear();
        // 0 Normal; 1 Heading 1 (Titre 1) on Normal; 2 Style 1 on Normal;
        // 3 Style 2 on Style 1; 4 Citation on Normal.
        AddStyle("Normal", -1);
        AddStyle("Heading 1", 0);
        AddStyle("Style 1", 0);
        AddStyle("Style 2", 2);
        AddStyle("Citation", 0);
        IdentifyStandardStyles(Doc->Styles());
        Doc->Paragraphs(0).Format[pfStyle] = 3;
        StyleListViewAsList() = false;
        Undo().ClearUndo();
    }
    int32_t AddStyle(const std::string& name, int32_t basedOn, TStyleList* list = nullptr)
    {
        TStyleList& target = list ? *list : Doc->Styles();
        auto style = std::make_unique<TStyle>(&target);
        style->Name = style->DisplayName = name;
        ClearCharFormat(style->CharFormat);
        ClearParFormat(style->ParFormat);
        style->BasedOn = basedOn;
        const int32_t index = target.Add(std::move(style));
        target[index].NextStyle = index;
        return index;
    }
    // "name<base" for each style, in list order.
    static std::string Sheet(const TStyleList& list)
    {
        std::string out;
        for (int32_t i = 0; i < list.Count(); ++i) {
            if (!out.empty())
                out += " ";
            out += list[i].DisplayName;
            if (list[i].BasedOn >= 0)
                out += "<" + list[list[i].BasedOn].DisplayName;
        }
        return out;
    }
    // The tree's rows: display text indented by two blanks a level.
    static std::string Tree(TEditStyleListForm& f)
    {
        std::string out;
        for (int32_t row = 0; row < f.StyleTreeView->Items().Count(); ++row)
            out += std::string(2 * f.RowLevel(row), ' ') + f.StyleTreeView->Items().Strings(row) + "\n";
        return out;
    }
    void SelectStyle(TEditStyleListForm& f, int32_t style)
    {
        ChooseListItem(*f.StyleTreeView, f.RowOf(style));
        ASSERT_EQ(f.SelectedStyle(), style);
    }
    // Runs the script inside the editor that the click opens.
    void InEditor(TControl& button, std::function<void(TEditStyleForm&)> script)
    {
        bool done = false;
        DuringNextModal([&](TForm& form) {
            script(dynamic_cast<TEditStyleForm&>(form));
            done = true;
        });
        Click(button);
        ASSERT_TRUE(RunUntil([&] { return done; }));
    }
    void ClickRowButton(TEditStyleListForm& f, uint8_t kind) { Click(*f.DlgButtons().Button(kind)); }
};

}  // namespace

// "Nouveau..." names the style "Style 3" (1 and 2 are taken) and bases it
// on the selected style; its name is typed, its character format made bold
// and its paragraphs centred through the nested dialogs; "Appliquer" gives
// it to the selected paragraph. One undo takes the whole change back.
TEST_F(StyleDialogsTest, NewStyleEditedAppliedAndUndone)
{
    Doc->Paragraphs(1).Format[pfStyle] = 4;
    Caret(1, 3);
    const std::string before = State();
    const std::string sheetBefore = Sheet(Doc->Styles());
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TEditStyleListForm&>(form);
        EXPECT_EQ(f.Caption(), "Styles du document");
        EXPECT_EQ(f.HelpTopic(), 12000);
        EXPECT_EQ(Tree(f), "Normal\n  >>> Citation <<<\n  Style 1\n    Style 2\n  Titre 1\n");
        // The selection's style is marked and selected.
        EXPECT_EQ(f.SelectedStyle(), 4);
        InEditor(*f.NewStyleBtn, [&](TEditStyleForm& e) {
            EXPECT_EQ(e.Caption(), "Caractéristiques du style");
            EXPECT_EQ(e.StyleNameEdit->Text(), "Style 3");
            EXPECT_EQ(e.BasedOnComboBox->Items().Strings(e.BasedOnComboBox->ItemIndex()), "Citation");
            Retype(*e.StyleNameEdit, "Remarque");
            // The style's own item in the next-style box follows its name.
            EXPECT_EQ(e.NextStyleComboBox->Items().Strings(e.NextStyleComboBox->ItemIndex()), "Remarque");
            bool font = false;
            DuringNextModal([&](TForm& nested) {
                auto& d = dynamic_cast<TFontFormatForm&>(nested);
                EXPECT_EQ(d.HelpTopic(), 14000);
                // Grey (not set) first goes to clear, then to checked.
                Press(*d.BoldChkBx);
                Press(*d.BoldChkBx);
                EXPECT_EQ(d.BoldChkBx->State(), TCheckBoxState::cbChecked);
                Keys.Tap("Enter");
                font = true;
            });
            Click(*e.FontFormatBtn);
            ASSERT_TRUE(RunUntil([&] { return font; }));
            bool paragraph = false;
            DuringNextModal([&](TForm& nested) {
                auto& d = dynamic_cast<TParFormatForm&>(nested);
                EXPECT_EQ(d.HelpTopic(), 15000);
                ChooseItem(*d.AlignmentComboBox, 1);
                Keys.Tap("Enter");
                paragraph = true;
            });
            Click(*e.ParagraphFormatBtn);
            ASSERT_TRUE(RunUntil([&] { return paragraph; }));
            EXPECT_NE(e.DescriptionStrLabel->Caption().find("gras"), std::string::npos)
                << e.DescriptionStrLabel->Caption();
            Snapshot(e, "style-editor.png");
            Click(*e.DlgButtons().Button(DlgButtonOK));
        });
        EXPECT_EQ(f.SelectedStyle(), 5);
        Snapshot(f, "style-list-dialog.png");
        ClickRowButton(f, DlgButtonApply);
    });
    ASSERT_TRUE(FormatStylesWithDialog(*Doc));
    TStyleList& styles = Doc->Styles();
    ASSERT_EQ(styles.Count(), 6);
    EXPECT_EQ(Sheet(styles), sheetBefore + " Remarque<Citation");
    EXPECT_EQ(styles[5].CharFormat[cfBold], 1);
    EXPECT_EQ(styles[5].ParFormat[pfAlignment], 1);
    EXPECT_EQ(Doc->Paragraphs(1).Format[pfStyle], 5);
    EXPECT_EQ(Doc->Paragraphs(1).Format[pfAlignment], 1);
    const std::string after = State();
    Undo().Undo();
    EXPECT_EQ(State(), before);
    EXPECT_EQ(Sheet(Doc->Styles()), sheetBefore);
    Undo().Redo();
    EXPECT_EQ(State(), after);
}

// Deleting "Style 1", whose child is "Style 2": "Oui" takes both, "Non"
// the style alone (its child moves onto its base and counts as changed),
// "Annuler" nothing. The default style cannot go. Deleted and changed
// styles are named by their places when the dialog opened.
TEST_F(StyleDialogsTest, DeletedWithOrWithoutDescendants)
{
    struct Case {
        int32_t Answer;
        std::string Sheet;
        std::vector<int32_t> Deleted;
        std::vector<int32_t> Changed;
    };
    const std::vector<Case> cases = {
        {mrYes, "Normal Titre 1<Normal Citation<Normal", {2, 3}, {}},
        {mrNo, "Normal Titre 1<Normal Style 2<Normal Citation<Normal", {2}, {3}},
        {mrCancel, "", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Answer);
        Answers.Texts.clear();
        TFormatStyleListInfo info;
        info.StyleIndex = 3;
        DuringNextModal([&](TForm& form) {
            auto& f = dynamic_cast<TEditStyleListForm&>(form);
            SelectStyle(f, 0);
            Click(*f.DeleteStyleBtn);
            ASSERT_EQ(Answers.Texts.size(), 1u);
            EXPECT_EQ(Answers.Texts[0], "Le style \"Normal\" est le style par défaut et ne peut pas être supprimé.");
            Answers.Script = {c.Answer};
            SelectStyle(f, 2);
            Click(*f.DeleteStyleBtn);
            ASSERT_EQ(Answers.Texts.size(), 2u);
            EXPECT_EQ(Answers.Texts[1], "Supprimer le style \"Style 1\" ainsi que tous ses dérivés ?");
            if (c.Answer != mrCancel) {
                EXPECT_EQ(f.SelectedStyle(), 0);  // the deleted style's base
            }
            // (Enter would press the focused "Supprimer" again.)
            ClickRowButton(f, DlgButtonOK);
        });
        ASSERT_TRUE(ExecuteEditStyleListDialog(info, Doc->Styles()));
        if (c.Answer == mrCancel) {
            EXPECT_EQ(info.Styles, nullptr);
            continue;
        }
        ASSERT_NE(info.Styles, nullptr);
        EXPECT_EQ(Sheet(*info.Styles), c.Sheet);
        EXPECT_EQ(info.Deleted, c.Deleted);
        EXPECT_EQ(info.Changed, c.Changed);
        EXPECT_EQ(info.StyleIndex, -1);
    }
}

// A style dragged with the mouse onto its own descendant is refused; onto
// another style it takes it as its base, and it and its descendants count
// as changed. OK without any change hands back no list.
TEST_F(StyleDialogsTest, RebasedByDragging)
{
    TFormatStyleListInfo info;
    DuringNextModal([&](TForm& form) {
        EXPECT_NE(dynamic_cast<TEditStyleListForm*>(&form), nullptr);
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteEditStyleListDialog(info, Doc->Styles()));
    EXPECT_EQ(info.Styles, nullptr);

    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TEditStyleListForm&>(form);
        HWND list = f.StyleTreeView->Handle();
        auto centre = [&](int32_t style) {
            const TRect r = f.StyleTreeView->ItemRect(f.RowOf(style));
            return TPoint{r.Left + 30, (r.Top + r.Bottom) / 2};
        };
        EXPECT_FALSE(f.CanDrop(2, 3));  // onto its child
        EXPECT_FALSE(f.CanDrop(2, 0));  // onto its present base
        EXPECT_FALSE(f.CanDrop(0, 4));  // the default style stays a root
        // Dropped on its child: nothing changes.
        Mouse.Press(list, centre(2));
        Mouse.Move(list, {centre(2).X, centre(2).Y + 8});
        Mouse.Move(list, centre(3));
        Mouse.Release(list, centre(3));
        RunPending();
        EXPECT_EQ(Tree(f), "Normal\n  Citation\n  Style 1\n    Style 2\n  Titre 1\n");
        // Dropped on "Citation".
        Mouse.Press(list, centre(2));
        Mouse.Move(list, {centre(2).X, centre(2).Y - 8});
        Mouse.Move(list, centre(4));
        Mouse.Release(list, centre(4));
        ASSERT_TRUE(RunUntil([&] { return f.StyleTreeView->Items().Count() == 5 && f.RowLevel(f.RowOf(3)) == 3; }));
        EXPECT_EQ(Tree(f), "Normal\n  Citation\n    Style 1\n      Style 2\n  Titre 1\n");
        EXPECT_EQ(f.SelectedStyle(), 2);
        // The flat list shows every style at the top level.
        Press(*f.ViewAsListRadioBtn);
        EXPECT_EQ(Tree(f), "Citation\nNormal\nStyle 1\nStyle 2\nTitre 1\n");
        EXPECT_TRUE(StyleListViewAsList());
        Press(*f.ViewAsTreeRadioBtn);
        ClickRowButton(f, DlgButtonOK);
    });
    ASSERT_TRUE(ExecuteEditStyleListDialog(info, Doc->Styles()));
    ASSERT_NE(info.Styles, nullptr);
    EXPECT_EQ(Sheet(*info.Styles), "Normal Titre 1<Normal Style 1<Citation Style 2<Style 1 Citation<Normal");
    EXPECT_EQ(info.Changed, (std::vector<int32_t>{2, 3}));
    EXPECT_TRUE(info.Deleted.empty());
}

// The checks of "Caractéristiques du style" on OK: each name typed, what
// the user is told, and whether the editor closes.
TEST_F(StyleDialogsTest, StyleNameChecks)
{
    struct Case {
        std::string Name;
        std::string Message;  // empty: accepted
    };
    const std::vector<Case> cases = {
        {"Encadre", ""},
        {std::string(255, 'n'), ""},
        {"", "La zone de nom de style ne peut pas être laissée en blanc. Précisez un style, s'il vous plaît."},
        {std::string(256, 'n'), "Un nom de style ne peut excéder 255 caractères."},
        {"CITATION", "Le style \"CITATION\" est déjà présent dans la liste de styles en cours d'édition."},
        {"titre 1", "Le style \"titre 1\" est déjà présent dans la liste de styles en cours d'édition."},
        {"heading 1",
         "Le style \"heading 1(Titre 1)\" est déjà présent dans la liste de styles en cours d'édition."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name.substr(0, 20));
        Answers.Texts.clear();
        std::unique_ptr<TStyle> copy = TStyle::CreateCopy(&Doc->Styles(), Doc->Styles()[2]);
        DuringNextModal([&](TForm& form) {
            auto& e = dynamic_cast<TEditStyleForm&>(form);
            // Long names are set in one go; short ones typed.
            if (c.Name.size() > 20)
                e.StyleNameEdit->SetText(c.Name);
            else
                Retype(*e.StyleNameEdit, c.Name);
            Keys.Tap("Enter");
            if (!c.Message.empty()) {
                ASSERT_EQ(Answers.Texts.size(), 1u);
                EXPECT_EQ(Answers.Texts[0], c.Message);
                EXPECT_TRUE(e.Visible());
                EXPECT_TRUE(RunUntil([&] { return e.StyleNameEdit->Focused(); }));
                Keys.Tap("Esc");
            }
        });
        const bool ok = ExecuteEditStyleDialog(*copy, 2, false);
        EXPECT_EQ(ok, c.Message.empty());
        if (ok) {
            EXPECT_TRUE(Answers.Texts.empty());
            EXPECT_EQ(copy->DisplayName, c.Name);
        }
    }
}

// A list holding two styles of one name (and a shortcut shared by two
// styles) is refused on its names first: the later style's editor opens
// with its name editable; once renamed, the shared shortcut is only a
// warning and the list is accepted.
TEST_F(StyleDialogsTest, ListWithDuplicateNamesRefusedBeforeShortcuts)
{
    Doc->Styles()[4].Name = Doc->Styles()[4].DisplayName = "style 1";
    Doc->Styles()[2].HotKey = 0x4000 | 'K';
    Doc->Styles()[3].HotKey = 0x4000 | 'K';
    TFormatStyleListInfo info;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TEditStyleListForm&>(form);
        bool edited = false;
        DuringNextModal([&](TForm& nested) {
            auto& e = dynamic_cast<TEditStyleForm&>(nested);
            EXPECT_EQ(e.StyleNameEdit->Text(), "style 1");
            EXPECT_TRUE(e.StyleNameEdit->Enabled());
            Retype(*e.StyleNameEdit, "Exergue");
            Keys.Tap("Enter");
            edited = true;
        });
        ClickRowButton(f, DlgButtonOK);
        ASSERT_TRUE(RunUntil([&] { return edited; }));
        ASSERT_EQ(Answers.Texts.size(), 1u);
        EXPECT_EQ(Answers.Texts[0],
                  "La liste de styles en cours d'édition contient plusieurs styles du même nom \"style 1\". Ceci "
                  "n'est pas possible. Renommez le(s) style(s) en double.");
        EXPECT_EQ(f.SelectedStyle(), 4);
        EXPECT_TRUE(f.Visible());
        ClickRowButton(f, DlgButtonOK);
    });
    ASSERT_TRUE(ExecuteEditStyleListDialog(info, Doc->Styles()));
    ASSERT_EQ(Answers.Texts.size(), 2u);
    EXPECT_EQ(Answers.Texts[1].rfind("Les styles \"Style 1\" et \"Style 2\" ont le même raccourci clavier (", 0), 0u)
        << Answers.Texts[1];
    ASSERT_NE(info.Styles, nullptr);
    EXPECT_EQ((*info.Styles)[4].DisplayName, "Exergue");
    EXPECT_EQ(info.Changed, (std::vector<int32_t>{4}));
}

// "Importer..." lists the other documents, loads the chosen one's styles,
// and brings the picked styles in: a new one added, an existing one
// replaced after the question; the new style is selected.
TEST_F(StyleDialogsTest, StylesImportedFromAnotherDocument)
{
    auto other = std::make_unique<TDocument>(false);
    other->Styles().Clear();
    AddStyle("Normal", -1, &other->Styles());
    const int32_t framed = AddStyle("Encadré", 0, &other->Styles());
    const int32_t quote = AddStyle("Citation", 0, &other->Styles());
    other->Styles()[framed].CharFormat[cfItalic] = 1;
    other->Styles()[quote].CharFormat[cfBold] = 1;
    bool loaded = false;
    StyleDialogServices().ListStyleSources = [&](TDocument& destination) {
        EXPECT_EQ(&destination, Doc.get());
        std::vector<TStyleSource> sources(2);
        sources[0].Caption = "Document \"autre.rtf\"";
        sources[0].Open = other.get();
        sources[1].Caption = "Modèle \"Lettre.eld\"";
        sources[1].Load = [&] {
            loaded = true;
            return std::unique_ptr<TDocument>();
        };
        return sources;
    };
    TFormatStyleListInfo info;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TEditStyleListForm&>(form);
        bool imported = false;
        DuringNextModal([&](TForm& nested) {
            auto& d = dynamic_cast<TImportStylesForm&>(nested);
            EXPECT_EQ(d.Caption(), "Importer des styles");
            ASSERT_EQ(d.SourceStyleListListBox->Items().Count(), 2);
            Click(*d.ImportStylesBtn);
            ASSERT_EQ(Answers.Texts.size(), 1u);
            EXPECT_EQ(Answers.Texts[0], "S'il vous plaît, veuillez préciser les styles devant être importés.");
            Answers.Texts.clear();
            Answers.Script = {mrYes};
            ChooseListItem(*d.SourceStyleListListBox, 0);
            ASSERT_EQ(d.StylesToImportListBox->Items().Count(), 3);
            EXPECT_EQ(d.StylesToImportListBox->Items().Strings(0), "Citation");
            EXPECT_EQ(d.StylesToImportListBox->Items().Strings(1), "Encadré");
            d.StylesToImportListBox->SetSelected(0, true);
            d.StylesToImportListBox->SetSelected(1, true);
            Snapshot(d, "import-styles-dialog.png");
            Click(*d.ImportStylesBtn);
            imported = true;
        });
        Click(*f.ImportStylesBtn);
        ASSERT_TRUE(RunUntil([&] { return imported; }));
        EXPECT_EQ(f.StyleTreeView->Items().Strings(f.StyleTreeView->ItemIndex()), "Encadré");
        ClickRowButton(f, DlgButtonOK);
    });
    ASSERT_TRUE(ExecuteEditStyleListDialog(info, Doc->Styles()));
    StyleDialogServices().ListStyleSources = nullptr;
    EXPECT_FALSE(loaded);
    ASSERT_NE(info.Styles, nullptr);
    ASSERT_EQ(Answers.Texts.size(), 1u);
    EXPECT_NE(Answers.Texts[0].find("Voulez-vous remplacer le style \"Citation\""), std::string::npos);
    TStyleList& result = *info.Styles;
    ASSERT_EQ(result.Count(), 6);
    EXPECT_EQ(result[5].DisplayName, "Encadré");
    EXPECT_EQ(result[5].CharFormat[cfItalic], 1);
    EXPECT_EQ(result[4].CharFormat[cfBold], 1);
    EXPECT_EQ(info.Changed, (std::vector<int32_t>{4}));

    // Applied to the document and undone.
    const std::string before = State();
    auto change = std::make_unique<TFormatStyleListInfo>();
    change->Styles = std::move(info.Styles);
    change->Changed = info.Changed;
    TTextRange range{Doc->Selection().Start, Doc->Selection().End};
    Doc->ExecuteOperation(docChangeStyleList, {&range, &change});
    EXPECT_EQ(Doc->Styles().Count(), 6);
    Undo().Undo();
    EXPECT_EQ(State(), before);
}
