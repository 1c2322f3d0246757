#include "dialogs/HyperlinkForm.h"

#include "dialogs/BookmarkForm.h"
#include "dialogs/DialogControls.h"
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/model/Document.h"
#include "document/operations/OperationDispatcher.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/text/TextAccess.h"
#include "foundation/CharFormat.h"
#include "foundation/Memory.h"
#include "foundation/MessageDlg.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/SysUtils.h"

#include <memory>
#include <vector>

const char* const SelectedPortionText = "<<< Portion du document actuellement sélectionnée >>>";

namespace {

std::vector<std::string> SplitPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '/' || c == '\\') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

}  // namespace

std::string RelativeFileName(const std::string& folder, const std::string& fileName)
{
    if (folder.empty())
        return fileName;
    std::vector<std::string> base = SplitPath(ExcludeTrailingPathDelimiter(folder));
    std::vector<std::string> target = SplitPath(fileName);
    size_t common = 0;
    while (common < base.size() && common + 1 < target.size() && base[common] == target[common])
        ++common;
    // Nothing shared but the root: the name stays absolute.
    if (common == 0 || (common == 1 && base[0].empty()))
        return fileName;
    std::string result;
    for (size_t i = common; i < base.size(); ++i)
        result += "../";
    for (size_t i = common; i < target.size(); ++i) {
        result += target[i];
        if (i + 1 < target.size())
            result += '/';
    }
    return result;
}

THyperlinkForm::THyperlinkForm(TComponent* owner, TDocument& document)
    : TStandardDialogForm(owner), FDocument(document)
{
    SetName("HyperlinkForm");
    SetHelpTopic(8150);
    Position = TPosition::poScreenCenter;
    SetClientSize(460, 250);

    TextEdit = new TEdit(this);
    TextEdit->SetName("TextEdit");
    TextEdit->SetParent(this);
    TextEdit->SetBounds(130, 10, 320, 21);
    MakeDlgLabel(this, this, "&Texte à afficher :", 10, 14, TextEdit);
    TipEdit = new TEdit(this);
    TipEdit->SetName("TipEdit");
    TipEdit->SetParent(this);
    TipEdit->SetBounds(130, 38, 320, 21);
    MakeDlgLabel(this, this, "Info-&bulle :", 10, 42, TipEdit);
    URLEdit = new TEdit(this);
    URLEdit->SetName("URLEdit");
    URLEdit->SetParent(this);
    URLEdit->SetBounds(10, 106, 440, 21);
    // The long texts go on two lines each.
    MakeDlgLabel(this, this, "Saisir le &nom du fichier, du signet, ou de l'adresse électronique qui sera", 10, 70,
                 URLEdit);
    MakeDlgLabel(this, this, "associé(e) au lien hypertexte :", 10, 86);
    MakeDlgLabel(this, this, "Vous pouvez utiliser les boutons ci-contre pour sélectionner", 10, 140);
    MakeDlgLabel(this, this, "le fichier ou le signet qui sera associé au lien hypertexte.", 10, 156);
    ChooseFileBtn = MakeDlgButton(this, this, "ChooseFileBtn", "&Fichier...", 350, 136, 100);
    BookmarkBtn = MakeDlgButton(this, this, "BookmarkBtn", "&Signet...", 350, 164, 100);
    RemoveBtn = MakeDlgButton(this, this, "RemoveBtn", "S&upprimer le lien", 10, 218, 130);
    OpenDlg = new TOpenDialog(this);
    OpenDlg->Title = "Associer au fichier";
    OpenDlg->Filter = "Tous fichiers (*.*)|*.*";
    OpenDlg->Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist;

    DlgButtons().SetButtonIndexes("01");
    DlgButtons().OnClick = [this](TControl* sender) { DialogButtonClick(sender); };
    if (TDlgButton* ok = DlgButtons().Button(DlgButtonOK))
        ok->ModalResult = mrNone;
    if (TDlgButton* cancel = DlgButtons().Button(DlgButtonCancel))
        cancel->ModalResult = mrNone;
    DlgButtons().PlaceButtons();
    ChooseFileBtn->OnClick = [this](TControl*) { ChooseFileBtnClick(); };
    BookmarkBtn->OnClick = [this](TControl*) { BookmarkBtnClick(); };
    RemoveBtn->OnClick = [this](TControl*) { RemoveBtnClick(); };

    FOldStart = FDocument.Selection().Start;
    FOldEnd = FDocument.Selection().End;
    FLink = FDocument.FindFieldAtCaret(fkHyperlink);
    if (FLink) {
        const TTextRange range = FLink->Range;
        FDocument.SetSelection(range.Start.Paragraph, range.Start.Offset, range.End.Paragraph, range.End.Offset);
        FWidened = true;
        SetCaption("Modifier le lien hypertexte");
        std::string target;
        std::string tip;
        ParseHyperlinkField(FLink->Instruction, target, tip);
        URLEdit->SetText(target);
        TipEdit->SetText(tip);
        RemoveBtn->SetVisible(true);
    } else {
        SetCaption("Insérer un lien hypertexte");
        RemoveBtn->SetVisible(false);
        // An address written in the text around the caret.
        TTextPosition caret;
        MakeTextPos(FDocument.Caret.Paragraph, FDocument.Caret.Offset, caret);
        TFoundWord found;
        FDocument.GetUrlAt(caret, found);
        if (found.Length <= 0)
            FDocument.GetPrefixedLinkAt(caret, found);
        if (found.Length > 0) {
            const TTextSelection& selection = FDocument.Selection();
            if (!FDocument.HasSelection()) {
                FDocument.SetSelection(found.Position.Paragraph, found.Position.Offset, found.Position.Paragraph,
                                       found.Position.Offset + found.Length);
                URLEdit->SetText(FDocument.GetRangeText({FDocument.Selection().Start, FDocument.Selection().End}));
            } else if (selection.Start.Paragraph == found.Position.Paragraph &&
                       selection.Start.Offset == found.Position.Offset) {
                URLEdit->SetText(FDocument.GetRangeText({selection.Start, selection.End}));
            }
        }
    }
    // The link text: the selection's own when it cannot be typed.
    if (FDocument.HasSelection()) {
        const TTextRange range{FDocument.Selection().Start, FDocument.Selection().End};
        TCharFormat common;
        FDocument.GetCommonCharFormat(range, common, false);
        common[cfLanguage] = 0;
        if (FDocument.HasControlCodes(range) || CharFormatHasUnset(common)) {
            FTextFromSelection = true;
            TextEdit->SetText(SelectedPortionText);
            TextEdit->SetColor(clBtnFace);
            TextEdit->SetEnabled(false);
        } else {
            TextEdit->SetText(FDocument.GetRangeText(range));
        }
    }
    SetActiveControl(URLEdit);
}

void THyperlinkForm::ChooseFileBtnClick()
{
    if (!OpenDlg->Execute())
        return;
    URLEdit->SetText(RelativeFileName(ExtractFilePath(FDocument.FileName), OpenDlg->FileName));
}

void THyperlinkForm::BookmarkBtnClick()
{
    std::string name;
    if (ExecuteBookmarkDialog(FDocument, true, name))
        URLEdit->SetText("#" + name);
}

void THyperlinkForm::RemoveBtnClick()
{
    FDocument.ExecuteOperation(docRemoveHyperlink);
    SetModalResult(mrOk);
}

void THyperlinkForm::RestoreSelection()
{
    if (FWidened)
        FDocument.SetSelection(FOldStart.Paragraph, FOldStart.Offset, FOldEnd.Paragraph, FOldEnd.Offset);
    FWidened = false;
}

void THyperlinkForm::DialogButtonClick(TControl* sender)
{
    auto* row = dynamic_cast<TDlgButton*>(sender);
    if (row && row->Kind() == DlgButtonCancel) {
        RestoreSelection();
        SetModalResult(mrCancel);
        return;
    }
    if (Accept())
        SetModalResult(mrOk);
}

bool THyperlinkForm::Accept()
{
    const std::string address = URLEdit->Text();
    if (address.empty()) {
        ShowMessageDlg("Veuillez préciser quel fichier ou page Web vous voulez associer à ce lien hypertexte.",
                       mtWarning, mbOK);
        URLEdit->SetFocus();
        return false;
    }
    if (address[0] == '#' && !FDocument.BookmarkNameExists(address.substr(1))) {
        ShowMessageDlg("Le signet \"" + address.substr(1) +
                           "\" n'existe pas. Choisissez un signet existant, s'il vous plaît.",
                       mtWarning, mbOK);
        URLEdit->SetFocus();
        BookmarkBtnClick();
        return false;
    }
    std::string text = FTextFromSelection ? std::string() : TextEdit->Text();
    if (!FTextFromSelection && text.empty())
        text = address[0] == '#' ? address.substr(1) : address;
    std::string instruction = BuildHyperlinkField(address, TipEdit->Text());
    if (FLink) {
        int32_t handle = static_cast<int32_t>(FLink->Handle());
        FDocument.KindOverride = 47;
        try {
            FDocument.ExecuteOperation(docChangeFieldInstruction, {&instruction, &handle});
        } catch (...) {
            FDocument.KindOverride = 255;
            throw;
        }
        FDocument.KindOverride = 255;
        if (!FTextFromSelection && text != FDocument.GetRangeText(FLink->Range)) {
            const bool recorded = FDocument.OperationRecorded != 0;
            // Typed over all of the link's text, the link would go with it:
            // the new text replaces all but the first character, which then
            // goes on its own, so that the text stays between the link's ends.
            const TTextRange range = FLink->Range;
            FDocument.SetSelection(range.Start.Paragraph, range.Start.Offset + 1, range.End.Paragraph,
                                   range.End.Offset);
            TMemory buffer;
            buffer.Append(text.data(), static_cast<int32_t>(text.size()));
            uint8_t flags = 0;
            FDocument.ExecuteOperation(docInsertText, {&buffer, &flags});
            TOperationManager& manager = FDocument.UndoManager();
            if (recorded && FDocument.OperationRecorded && manager.CurrentIndex() >= 0)
                manager.Operations(manager.CurrentIndex()).Joined = 1;
            TTextPosition first = range.Start;
            TTextPosition second = range.Start;
            second.Offset += 1;
            TMemory empty;
            uint8_t replaceFlags = 0;
            FDocument.ExecuteOperation(docReplaceText, {&first, &second, &empty, &replaceFlags});
            TOperationManager& undo = FDocument.UndoManager();
            if (recorded && FDocument.OperationRecorded && undo.CurrentIndex() >= 0)
                undo.Operations(undo.CurrentIndex()).Joined = 1;
        }
    } else {
        FDocument.ExecuteOperation(docInsertHyperlink, {&instruction, &text});
    }
    return true;
}

bool ExecuteHyperlinkDialog(TDocument& document)
{
    auto form = std::make_unique<THyperlinkForm>(nullptr, document);
    const bool ok = form->ShowModal() == mrOk;
    if (!ok)
        form->RestoreSelection();
    return ok;
}
