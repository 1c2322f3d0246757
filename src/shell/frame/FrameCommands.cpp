// The main frame as the command manager's context: what the enabling,
// checked-state and menu rules read of the active document window, the frame,
// the options and the clipboard; the lists of the generated menus; and the
// binding of the frame's menus to the command manager.
#include "shell/frame/MainForm.h"
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"

#include "docwindow/ClipboardManager.h"
#include "docwindow/DocumentForm.h"
#include "docwindow/PiggyBank.h"
#include "formats/DocDispatcher.h"
#include "foundation/Paths.h"
#include "foundation/settings/FileList.h"
#include "platform/framework/bars/StatusBar.h"
#include "platform/framework/menus/Menus.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/StringList.h"
#include "shell/ThemeServices.h"
#include "shell/options/OptionsHolder.h"

#include <algorithm>

namespace {

constexpr int32_t kMenuFileNameWidth = 300;
// The spelling option "check as you type" among the spelling flags.
constexpr int32_t kSpellAsYouType = 1024;
constexpr int32_t kSpellUnderlineErrors = 2048;

TDocumentForm* FormOfDocument(TMainForm& frame, const TDocument* document)
{
    for (int i = 0; i < frame.MDIChildCount(); ++i)
        if (auto* form = dynamic_cast<TDocumentForm*>(frame.MDIChildren(i)))
            if (form->Document() == document)
                return form;
    return nullptr;
}

}  // namespace

bool TMainForm::IsMainMenu(const TMenu* menu)
{
    return menu && menu == FMainMenu;
}

void TMainForm::ReadDocumentState(TDocument& document, TCommandDocState& state)
{
    state.Modified = document.IsModified();
    state.NeverSaved = document.FileName.empty() || document.FileState.Untitled != 0;
    state.InTemplatesFolder = !document.FileName.empty() && document.IsTemplate();
    state.OnRemovableDrive = !document.FileName.empty() && IsRemovableDrive(document.FileName);
    state.ReadOnly = document.FileState.ReadOnly != 0;
    state.SelectionEmpty = !document.HasSelection();
    state.EditingHeaderFooter = document.EditedHeaderFooter != nullptr;
    state.IsNoteSpikeDocument = document.IsNoteSpike != 0;
    TOperationManager& undo = document.UndoManager();
    state.CanUndo = undo.CanUndo();
    state.CanRedo = undo.CanRedo();
    state.UndoName = state.CanUndo ? OperationName(undo.Operations(undo.CurrentIndex()).Kind) : std::string();
    state.RedoName = state.CanRedo ? OperationName(undo.Operations(undo.CurrentIndex() + 1).Kind) : std::string();
    state.BookmarkCount = document.GetBookmarkList().Count();
    state.PrintPreview = document.IsPreview != 0;
    state.ViewMode = document.ZoomKind;
    state.ZoomPercent = document.Zoom();
    state.AutoHyphenation = document.AutoHyphenation != 0;
    const TTextRange selection{document.Selection().Start, document.Selection().End};
    if (document.ParagraphCount() > 0) {
        document.GetCommonCharFormat(selection, state.CharFormat, false);
        document.GetCommonParFormat(selection, state.ParFormat, false);
        const int32_t paragraph = std::clamp(document.Caret.Paragraph, 0, document.ParagraphCount() - 1);
        TSection& section = document.GetSectionOfParagraph(paragraph);
        state.CaretSectionFirstParagraph = section.FirstParagraph;
        // The character at the caret, or the paragraph's last one at its end.
        const TMemory& text = document.Paragraphs(paragraph).GetText();
        if (text.Size() > 0) {
            const int32_t offset = std::clamp(document.Caret.Offset, 0, text.Size() - 1);
            state.CaretOnSectionBreak = text.Data()[offset] == 3;
        }
        if (state.CaretOnSectionBreak)
            state.CaretSectionBreakKind = section.BreakKind();
    }
    if (TDocumentForm* form = FormOfDocument(*this, &document))
        state.WindowState = form->WindowState() == TWindowState::wsMinimized   ? 1
                            : form->WindowState() == TWindowState::wsMaximized ? 2
                                                                               : 0;
}

void TMainForm::ReadFrameState(TCommandFrameState& state)
{
    state.FrameEnabled = Enabled();
    state.FullScreen = FullScreen;
    state.MouseMode = MouseMode;
    state.InsertMode = InsertMode == 0;
    state.VisualStylesOff = !(ThemeServices && ThemeServices->GetThemesEnabled());
    if (TClipboardManager* clipboard = GetClipboardManager()) {
        state.NoteSpikeExists = clipboard->PiggyBankExists();
        state.NoteSpikeEmpty = !state.NoteSpikeExists || clipboard->GetPiggyBank().IsEmpty();
        state.NoteSpikeStoresAll = clipboard->AutoCollect;
    }
    if (const TOptionsHolder* o = OptionsHolder) {
        const TViewProfile& view = o->CurrentView;
        state.AutoSpellCheck = (o->Spell_Flags & kSpellAsYouType) != 0;
        state.UnderlineSpellingErrors = (o->Spell_Flags & kSpellUnderlineErrors) != 0;
        state.ViewMarginBorders = view.MarginBorders;
        state.ViewRuler = view.Ruler;
        state.ViewVertRuler = view.VerRuler;
        state.ViewBookmarks = view.Bookmarks;
        state.ViewDocBar = view.DocBtnBar;
        state.ViewStatusBar = view.StatusBar;
        state.ScrollBars = view.ScrollBars;
        state.DocBarPosition = o->DocBtnBarAlign;
        state.DocBarFlat = o->FlatDocBtnBar;
        state.FloatFmtPlt = o->FloatFmtPlt;
        state.FloatFmtPltVisible = o->FloatFmtPltVsbl;
        state.ClipSelected = !o->RecentClip.empty();
        state.DefaultDocFormat = o->DefDocFmt;
        state.PictureHistory = o->InsertPicture_Files && o->InsertPicture_Files->Paths().Count() > 0;
    }
    if (DocDispatcher)
        state.OpenDocuments = DocDispatcher->Count();
    for (int i = 0; i < MDIChildCount(); ++i)
        if (auto* form = dynamic_cast<TDocumentForm*>(MDIChildren(i)))
            if (form->WindowState() != TWindowState::wsMinimized)
                ++state.UnminimisedWindows;
}

bool TMainForm::ReadClipboard(bool& pasteable)
{
    pasteable = false;
    TClipboardManager* clipboard = GetClipboardManager();
    if (!clipboard || !clipboard->Open(100))
        return false;
    pasteable = clipboard->HasTextData();
    clipboard->Close();
    return true;
}

bool TMainForm::HasInternalClip()
{
    TClipboardManager* clipboard = GetClipboardManager();
    return clipboard && clipboard->PastingItem() != nullptr;
}

bool TMainForm::HasDocDispatcher()
{
    return DocDispatcher != nullptr;
}

std::vector<std::string> TMainForm::RecentFiles()
{
    std::vector<std::string> files;
    if (OptionsHolder && OptionsHolder->RecentDocs) {
        const TStringList& paths = OptionsHolder->RecentDocs->Paths();
        for (int32_t i = 0; i < paths.Count(); ++i)
            files.push_back(paths.Strings(i));
    }
    return files;
}

std::vector<std::string> TMainForm::WindowCaptions()
{
    std::vector<std::string> captions;
    if (!DocDispatcher)
        return captions;
    for (int32_t i = 0; i < DocDispatcher->Count(); ++i) {
        TDocumentForm* form = FormOfDocument(*this, DocDispatcher->Documents(i));
        captions.push_back(form ? form->Caption() : ExtractFileName(DocDispatcher->Documents(i)->FileName));
    }
    return captions;
}

int32_t TMainForm::ActiveWindowIndex()
{
    return DocDispatcher ? DocDispatcher->IndexOf(GetActiveDocument()) : -1;
}

std::string TMainForm::FavouritesFolder()
{
    return OptionsHolder ? OptionsHolder->FavFolder : std::string();
}

std::string TMainForm::ShortenMenuFileName(const std::string& fileName)
{
    // Leading folders give way to "..." until the name fits the item's width.
    TCanvas& canvas = FStatusBar->Canvas();
    if (canvas.TextWidth(fileName) <= kMenuFileNameWidth)
        return fileName;
    const std::string name = ExtractFileName(fileName);
    std::string folder = ExtractFilePath(fileName);
    while (!folder.empty()) {
        const size_t cut = folder.find('/', 1);
        folder = cut == std::string::npos ? std::string() : folder.substr(cut);
        const std::string shortened = "..." + folder + name;
        if (canvas.TextWidth(shortened) <= kMenuFileNameWidth)
            return shortened;
    }
    return name;
}

bool TMainForm::OpenDocumentFile(const std::string& fileName, int32_t)
{
    return DocDispatcher && DocDispatcher->OpenDocument(fileName) != nullptr;
}

void TMainForm::PrepareMenus()
{
    if (!CommandManager)
        return;
    CommandManager->ShowHotKeys = [] { return !OptionsHolder || OptionsHolder->ShowHotKeys; };
    for (TMenu* menu : {static_cast<TMenu*>(FMainMenu), static_cast<TMenu*>(FDocBarPopup),
                        static_cast<TMenu*>(FStatusBarPopup)}) {
        if (!menu)
            continue;
        CommandManager->PrepareMenu(menu);
        menu->OnSubmenuOpen = [](TMenuItem* item) {
            if (CommandManager && item)
                CommandManager->UpdateMenu(*item);
        };
    }
    for (TPopupMenu* popup : {FDocBarPopup, FStatusBarPopup})
        if (popup)
            popup->OnPopup = [popup](TMenuItem*) {
                if (CommandManager)
                    CommandManager->UpdateMenu(popup);
            };
    // The generated lists are built at the next layout pass.
    CommandManager->DirtyFlags |= TCommandManager::dfFavourites | TCommandManager::dfRecentFiles |
                                  TCommandManager::dfWindows;
    RequestLayout();
}
