#include "docwindow/FindReplaceForm.h"

#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/text/TextAccess.h"
#include "foundation/Memory.h"
#include "foundation/MessageDlg.h"
#include "layout/CaretDisplay.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/framework/controls/Lists.h"
#include "platform/framework/controls/Tabs.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>

namespace {

constexpr int32_t chfNoReplayScrollFlag = 32;
constexpr int32_t chfSelectionQuiet = 14;
// The undo names of a replacement and of a replace all.
constexpr uint8_t okReplaceText = 22;

const char* const NotFoundText = "Aucune (autre) occurrence de||\"%s\"||n'a pu être trouvée.";

int32_t LengthOf(TDocument& document, int32_t paragraph)
{
    return document.Paragraphs(paragraph).GetCharCount();
}

TTextRange EditRange(TDocument& document)
{
    TTextRange range;
    document.GetEditRange(range);
    return range;
}

// The match starts at the story's final paragraph mark: nothing there may be replaced.
bool AtFinalMark(TDocument& document, const TSearchResult& match)
{
    const int32_t last = EditRange(document).End.Paragraph;
    return match.StartParagraph == last && match.StartOffset >= LengthOf(document, last) - 1;
}

TLabel* MakeLabel(TForm* form, TWinControl* parent, const std::string& caption, int32_t left, int32_t top)
{
    auto* label = new TLabel(form);
    label->SetParent(parent);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(caption);
    return label;
}

TButton* MakeButton(TForm* form, TWinControl* parent, const std::string& name, const std::string& caption,
                    int32_t top)
{
    auto* button = new TButton(form);
    button->SetName(name);
    button->SetParent(parent);
    button->SetBounds(340, top, 90, 22);
    button->SetCaption(caption);
    return button;
}

TComboBox* MakeHistoryBox(TForm* form, TWinControl* parent, const std::string& name, int32_t top)
{
    auto* box = new TComboBox(form);
    box->SetName(name);
    box->SetParent(parent);
    box->SetBounds(7, top, 165, 21);
    return box;
}

TSpeedButton* MakeSpecialButton(TForm* form, TWinControl* parent, const std::string& name, int32_t top)
{
    auto* button = new TSpeedButton(form);
    button->SetName(name);
    button->SetParent(parent);
    button->SetBounds(176, top, 21, 21);
    button->SetHint("Caractères spéciaux");
    button->ShowHint = true;
    return button;
}

TCheckBox* MakeCheck(TForm* form, TWinControl* parent, const std::string& name, const std::string& caption,
                     int32_t top)
{
    auto* box = new TCheckBox(form);
    box->SetName(name);
    box->SetParent(parent);
    box->SetBounds(207, top, 150, 17);
    box->SetCaption(caption);
    return box;
}

}  // namespace

TFindReplaceForm::TFindReplaceForm(TComponent* owner) : TForm(owner)
{
    SetCaption("Rechercher / Remplacer");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetClientSize(456, 145);
    CreateControls();
    LastCommandKind = skNone;
}

TFindReplaceForm::~TFindReplaceForm() = default;

void TFindReplaceForm::CreateControls()
{
    PageControl = new TPageControl(this);
    PageControl->SetParent(this);
    PageControl->SetBounds(8, 8, 441, 130);
    FindTabSheet = new TTabSheet(this);
    FindTabSheet->SetPageControl(PageControl);
    FindTabSheet->SetCaption("Rechercher");
    ReplaceTabSheet = new TTabSheet(this);
    ReplaceTabSheet->SetPageControl(PageControl);
    ReplaceTabSheet->SetCaption("Remplacer");
    PageControl->OnChange = [this](TControl*) { PageControlChange(); };

    // One panel over both pages holds every control; the replace page only
    // shows more of them.
    Panel = new TPanel(this);
    Panel->SetParent(this);
    Panel->BevelOuter = TBevelCut::bvNone;
    Panel->ShowCaption = false;
    Panel->SetBounds(10, 34, 435, 100);

    TextToFindLabel = MakeLabel(this, Panel, "Rec&hercher :", 7, 5);
    TextToFindComboBox = MakeHistoryBox(this, Panel, "TextToFindComboBox", 22);
    TextToFindLabel->SetFocusControl(TextToFindComboBox);
    TextToReplaceByLabel = MakeLabel(this, Panel, "Rempl&acer par :", 7, 54);
    TextToReplaceByComboBox = MakeHistoryBox(this, Panel, "TextToReplaceByComboBox", 71);
    TextToReplaceByLabel->SetFocusControl(TextToReplaceByComboBox);
    AddSpecSymbToFindEditSpeedBtn = MakeSpecialButton(this, Panel, "AddSpecSymbToFindEditSpeedBtn", 22);
    AddSpecSymbToReplaceEditSpeedBtn = MakeSpecialButton(this, Panel, "AddSpecSymbToReplaceEditSpeedBtn", 71);
    AddSpecSymbToFindEditSpeedBtn->OnClick = [this](TControl*) { PopupSpecialCharMenu(true); };
    AddSpecSymbToReplaceEditSpeedBtn->OnClick = [this](TControl*) { PopupSpecialCharMenu(false); };

    MakeLabel(this, Panel, "Options", 207, 5);
    auto* rule = new TBevel(this);
    rule->SetParent(Panel);
    rule->Shape = TBevelShape::bsTopLine;
    rule->SetBounds(250, 11, 80, 2);
    CaseSensitiveCheckBox = MakeCheck(this, Panel, "CaseSensitiveCheckBox", "Respecter la &casse", 19);
    WholeWordsOnlyCheckBox = MakeCheck(this, Panel, "WholeWordsOnlyCheckBox", "M&ot entier", 35);
    auto* directionLabel = MakeLabel(this, Panel, "&Sens :", 207, 54);
    DirectionComboBox = new TComboBox(this);
    DirectionComboBox->SetName("DirectionComboBox");
    DirectionComboBox->Style = TComboBoxStyle::csDropDownList;
    DirectionComboBox->SetParent(Panel);
    DirectionComboBox->SetBounds(207, 71, 110, 21);
    DirectionComboBox->Items().Add("Vers le haut");
    DirectionComboBox->Items().Add("Vers le bas");
    directionLabel->SetFocusControl(DirectionComboBox);
    CaseSensitiveCheckBox->OnClick = [this](TControl*) { OptionControlChange(); };
    WholeWordsOnlyCheckBox->OnClick = [this](TControl*) { OptionControlChange(); };
    DirectionComboBox->OnChange = [this](TControl*) { OptionControlChange(); };

    FindNextBtn = MakeButton(this, Panel, "FindNextBtn", "S&uivant", 2);
    FindNextBtn->SetDefault(true);
    ReplaceBtn = MakeButton(this, Panel, "ReplaceBtn", "R&emplacer", 26);
    ReplaceAllBtn = MakeButton(this, Panel, "ReplaceAllBtn", "Remplacer &tout", 50);
    CloseBtn = MakeButton(this, Panel, "CloseBtn", "Fermer", 74);
    CloseBtn->Cancel = true;
    FindNextBtn->OnClick = [this](TControl*) { FindNext(); };
    ReplaceBtn->OnClick = [this](TControl*) { ReplaceNext(); };
    ReplaceAllBtn->OnClick = [this](TControl*) { ReplaceAll(); };
    CloseBtn->OnClick = [this](TControl*) { Hide(); };
    Panel->BringToFront();
    SetActiveControl(TextToFindComboBox);
}

void TFindReplaceForm::OptionControlChange()
{
    if (FUpdating == 0)
        return;
    uint8_t flags = 0;
    if (CaseSensitiveCheckBox->Checked())
        flags |= ftMatchCase;
    if (WholeWordsOnlyCheckBox->Checked())
        flags |= ftWholeWords;
    if (DirectionComboBox->ItemIndex() == 0)
        flags |= ftUpward;
    FindTextFlags = flags;
}

void TFindReplaceForm::PageControlChange()
{
    Page = static_cast<uint8_t>(std::max(PageControl->ActivePageIndex(), 0));
    UpdateControls();
}

void TFindReplaceForm::UpdateControls()
{
    FUpdating = 0;
    PageControl->SetActivePageIndex(Page);
    const bool replace = Page == 1;
    TextToReplaceByLabel->SetVisible(replace);
    TextToReplaceByComboBox->SetVisible(replace);
    AddSpecSymbToReplaceEditSpeedBtn->SetVisible(replace);
    ReplaceBtn->SetVisible(replace);
    ReplaceAllBtn->SetVisible(replace);
    CaseSensitiveCheckBox->SetChecked(FindTextFlags & ftMatchCase);
    WholeWordsOnlyCheckBox->SetChecked(FindTextFlags & ftWholeWords);
    DirectionComboBox->SetItemIndex(Forward() ? 1 : 0);
    FUpdating = 1;
}

void TFindReplaceForm::ShowAtBottom()
{
    if (!Visible()) {
        // Centred at the bottom of the frame.
        if (TForm* frame = Application ? Application->MainForm() : nullptr) {
            const TPoint origin = frame->ClientToScreen({0, 0});
            SetLeft(origin.X + (frame->ClientWidth() - Width()) / 2);
            SetTop(origin.Y + frame->ClientHeight() - Height());
        }
    }
    Show();
}

void TFindReplaceForm::ShowFindReplaceForm(int32_t page)
{
    Page = static_cast<uint8_t>(page == 1 ? 1 : 0);
    TDocument* document = ActiveDocument ? ActiveDocument() : nullptr;
    if (FindWordAtCursor && document) {
        std::string text;
        if (document->HasSelection()) {
            text = document->GetRangeText({document->Selection().Start, document->Selection().End});
        } else {
            TFoundWord word;
            document->GetWordAt({document->Caret.Paragraph, document->Caret.Offset}, word);
            if (word.Length > 0)
                text = document->GetTextRun(word.Position.Paragraph, word.Position.Offset, word.Length);
        }
        TextToFindComboBox->SetText(text);
    }
    UpdateControls();
    PageControlChange();
    ShowAtBottom();
    SetActiveControl(TextToFindComboBox);
}

void TFindReplaceForm::RunSearchCommand(int32_t kind)
{
    if (kind == skRepeat)
        kind = LastCommandKind == skNone ? skFindNext : LastCommandKind;
    switch (kind) {
    case skFindNext:
        if (!FindDone)
            ShowFindReplaceForm(0);
        else
            FindNext();
        break;
    case skReplace:
        if (!ReplaceDone)
            ShowFindReplaceForm(1);
        else
            ReplaceNext();
        break;
    case skReplaceAll:
        if (!ReplaceDone)
            ShowFindReplaceForm(1);
        else
            ReplaceAll();
        break;
    default: break;
    }
}

void TFindReplaceForm::AddToHistory(TComboBox& box, const std::string& text)
{
    if (text.empty())
        return;
    const bool matchCase = FindTextFlags & ftMatchCase;
    const LCID locale = GetUserDefaultLCID();
    const std::string key = matchCase ? text : LocaleUpperCase(locale, text);
    int32_t found = -1;
    for (int32_t i = 0; i < box.Items().Count(); ++i) {
        const std::string entry = box.Items().Strings(i);
        if ((matchCase ? entry : LocaleUpperCase(locale, entry)) == key) {
            found = i;
            break;
        }
    }
    if (found == 0)
        return;
    if (found > 0) {
        box.Items().Delete(found);
    } else if (box.Items().Count() >= MaxSearchHistory) {
        box.Items().Delete(box.Items().Count() - 1);
    }
    box.Items().Insert(0, text);
    box.SetItemIndex(0);
}

bool TFindReplaceForm::CheckSearchText()
{
    if (!TextToFindComboBox->Text().empty())
        return true;
    UpdateControls();
    if (!Visible())
        ShowAtBottom();
    SetActiveControl(TextToFindComboBox);
    ShowInformation("Veuillez préciser le texte à rechercher, s'il vous plaît.");
    return false;
}

void TFindReplaceForm::ShowNotFound()
{
    ShowInformation(Format(NotFoundText, {TextToFindComboBox->Text()}));
}

void TFindReplaceForm::MoveCaret(TDocument& document, int32_t paragraph, int32_t offset)
{
    ShowPosition(document, paragraph, offset, spfAfterBreaks | spfClearSelection);
}

bool TFindReplaceForm::AskWrapAround(TDocument& document)
{
    if (WrapPromptCount >= MaxWrapPrompts)
        return false;
    const TTextRange range = EditRange(document);
    const int32_t first = range.Start.Paragraph;
    const int32_t last = range.End.Paragraph;
    if (Forward())
        MoveCaret(document, last, LengthOf(document, last) - 1);
    else
        MoveCaret(document, first, 0);
    if (last - first <= 1 && LengthOf(document, first) <= 1)
        return false;
    const std::string text =
        document.EditedHeaderFooter
            ? "Eldravin a atteint la fin de l'en-tête/pied de page.||Voulez-vous reprendre la recherche à partir "
              "du début de l'en-tête/pied de page ?"
            : "Eldravin a atteint la fin du document.||Voulez-vous reprendre la recherche à partir du début du "
              "document ?";
    if (ShowMessageDlg(text, mtConfirmation, mbYesNo) != mrYes)
        return false;
    if (Forward())
        MoveCaret(document, first, 0);
    else
        MoveCaret(document, last, LengthOf(document, last) - 1);
    ++WrapPromptCount;
    return true;
}

void TFindReplaceForm::SelectMatch(TDocument& document, const TSearchResult& match)
{
    document.ClearSelection();
    document.BeginChange(chfNoReplayScrollFlag);
    document.BeginChange(chfSelectionQuiet);
    ShowPosition(document, match.StartParagraph, match.StartOffset, spfAfterBreaks);
    document.SetSelection(match.StartParagraph, match.StartOffset, match.EndParagraph, match.EndOffset,
                          ssfNoNotify);
    document.EndChanges(2);
    ScrollToCaret(document, Visible() ? 1 : 0);
    document.SetSelection(match.StartParagraph, match.StartOffset, match.EndParagraph, match.EndOffset,
                          ssfOldIsEmpty);
    document.BeginChange(chfNoReplayScrollFlag);
    ShowPosition(document, match.EndParagraph, match.EndOffset, spfAfterBreaks);
    document.EndChanges(1);
    DocumentHost().FireProgramEvent(evTextFound);
}

void TFindReplaceForm::FindNext()
{
    if (!CheckSearchText())
        return;
    WrapPromptCount = 0;
    const std::string typed = TextToFindComboBox->Text();
    AddToHistory(*TextToFindComboBox, typed);
    std::string pattern = CompileSearchPattern(typed, FParts);
    TDocument* document = ActiveDocument ? ActiveDocument() : nullptr;
    if (document) {
        TDocument& doc = *document;
        const TTextRange range = EditRange(doc);
        const bool forward = Forward();
        const TTextSelection& selection = doc.Selection();
        int32_t paragraph;
        int32_t offset;
        if (doc.HasSelection()) {
            paragraph = forward ? selection.End.Paragraph : selection.Start.Paragraph;
            offset = forward ? selection.End.Offset : selection.Start.Offset;
        } else {
            paragraph = doc.Caret.Paragraph;
            offset = doc.Caret.Offset;
        }
        if (!forward)
            --offset;
        bool boundary = forward ? paragraph == range.Start.Paragraph && offset == 0
                                : paragraph == range.End.Paragraph &&
                                      offset >= LengthOf(doc, range.End.Paragraph) - 1;
        const TTextSearcher searcher(doc, std::move(pattern), FParts, FindTextFlags);
        for (;;) {
            const TSearchResult match = searcher.Search(paragraph, offset, false);
            if (match.Found) {
                SelectMatch(doc, match);
                break;
            }
            if (boundary || !AskWrapAround(doc)) {
                ShowNotFound();
                break;
            }
            const TTextRange now = EditRange(doc);
            paragraph = forward ? now.Start.Paragraph : now.End.Paragraph;
            offset = forward ? 0 : LengthOf(doc, now.End.Paragraph) - 1;
            boundary = true;
        }
    }
    LastCommandKind = skFindNext;
    FindDone = 1;
}

void TFindReplaceForm::ReplaceNext()
{
    if (!CheckSearchText())
        return;
    WrapPromptCount = 0;
    const std::string typed = TextToFindComboBox->Text();
    AddToHistory(*TextToFindComboBox, typed);
    AddToHistory(*TextToReplaceByComboBox, TextToReplaceByComboBox->Text());
    std::string pattern = CompileSearchPattern(typed, FParts);
    TDocument* document = ActiveDocument ? ActiveDocument() : nullptr;
    if (document && document->HasSelection()) {
        TDocument& doc = *document;
        const TTextRange range = EditRange(doc);
        const TTextPosition selStart = doc.Selection().Start;
        const TTextPosition selEnd = doc.Selection().End;
        int32_t paragraph = selStart.Paragraph;
        int32_t offset = selStart.Offset;
        if (!Forward()) {
            // Backward, the search starts where the selected occurrence
            // itself is found again.
            const bool endsAtMark = selEnd.Offset >= LengthOf(doc, selEnd.Paragraph);
            if (!endsAtMark) {
                if (offset + 1 < LengthOf(doc, paragraph)) {
                    ++offset;
                } else if (paragraph < range.End.Paragraph) {
                    ++paragraph;
                    offset = 0;
                }
            } else if (selEnd.Paragraph < range.End.Paragraph) {
                ++paragraph;
                offset = 0;
            }
        }
        const TTextSearcher searcher(doc, std::move(pattern), FParts, FindTextFlags);
        const TSearchResult match = searcher.Search(paragraph, offset, false);
        if (match.Found && match.StartParagraph == selStart.Paragraph && match.StartOffset == selStart.Offset &&
            match.EndParagraph == selEnd.Paragraph && match.EndOffset == selEnd.Offset &&
            !AtFinalMark(doc, match)) {
            const std::string replacement = SearchPatternToText(TextToReplaceByComboBox->Text());
            TMemory text;
            text.Append(replacement.data(), static_cast<int32_t>(replacement.size()));
            doc.PrepareTypingFormat({doc.Caret.Paragraph, doc.Caret.Offset}, 1);
            doc.KindOverride = okReplaceText;
            TTextPosition start{match.StartParagraph, match.StartOffset};
            TTextPosition end{match.EndParagraph, match.EndOffset};
            uint8_t flags = 0;
            try {
                doc.ExecuteOperation(docReplaceText, {&start, &end, &text, &flags});
            } catch (...) {
                doc.KindOverride = 255;
                throw;
            }
            if (!Forward())
                MoveCaret(doc, start.Paragraph, start.Offset);
        }
    }
    FindNext();
    LastCommandKind = skReplace;
    ReplaceDone = 1;
}

void TFindReplaceForm::ReplaceAll()
{
    if (!CheckSearchText())
        return;
    WrapPromptCount = 0;
    const bool wasVisible = Visible();
    Hide();
    const std::string typed = TextToFindComboBox->Text();
    AddToHistory(*TextToFindComboBox, typed);
    AddToHistory(*TextToReplaceByComboBox, TextToReplaceByComboBox->Text());
    TDocument* document = ActiveDocument ? ActiveDocument() : nullptr;
    int32_t total = 0;
    if (document) {
        TDocument& doc = *document;
        const bool forward = Forward();
        if (doc.HasSelection()) {
            const TTextPosition at = forward ? doc.Selection().Start : doc.Selection().End;
            MoveCaret(doc, at.Paragraph, at.Offset);
        }
        TTextRange range = EditRange(doc);
        const bool startedAtBoundary =
            forward ? doc.Caret.Paragraph == range.Start.Paragraph && doc.Caret.Offset == 0
                    : doc.Caret.Paragraph == range.End.Paragraph &&
                          doc.Caret.Offset >= LengthOf(doc, range.End.Paragraph) - 1;
        const std::string replacement = SearchPatternToText(TextToReplaceByComboBox->Text());
        TMemory text;
        text.Append(replacement.data(), static_cast<int32_t>(replacement.size()));
        std::string pattern = CompileSearchPattern(typed, FParts);
        const TTextSearcher searcher(doc, std::move(pattern), FParts, FindTextFlags);

        // Forward: where the next search begins; backward: the start of the
        // last replacement (the next search begins one character before it).
        TTextPosition next{doc.Caret.Paragraph, doc.Caret.Offset};
        // Where the replace all began, kept in step with the replacements
        // before it: after going on from the other end, the search stops
        // there, so that no text is replaced twice.
        TTextPosition origin = next;
        bool wrapped = false;
        for (;;) {
            range = EditRange(doc);
            const bool progress = forward ? range.End.Paragraph + 1 - next.Paragraph > 1
                                          : next.Paragraph > range.Start.Paragraph + 1;
            if (progress)
                DocumentHost().ProgressStart(range.End.Paragraph - range.Start.Paragraph + 1,
                                             "Remplacement de toutes les occurrences...");
            // A second pass goes back together with a first one that replaced something.
            const bool join = total > 0;
            total += ReplaceAllPass(doc, searcher, text, forward, progress, wrapped, join, next, origin);
            if (progress)
                DocumentHost().ProgressEnd();
            // From the start of the text everything has been seen; after going
            // on from the other end, the pass has come back to where it began.
            if (startedAtBoundary || wrapped)
                break;
            if (!AskWrapAround(doc))
                break;
            wrapped = true;
            range = EditRange(doc);
            next = forward ? TTextPosition{range.Start.Paragraph, 0}
                           : TTextPosition{range.End.Paragraph, LengthOf(doc, range.End.Paragraph) - 1};
        }
        if (total > 0) {
            if (!forward)
                MoveCaret(doc, next.Paragraph, next.Offset);
            else
                ShowPosition(doc, doc.Caret.Paragraph, doc.Caret.Offset, spfAfterBreaks | spfClearSelection);
            ShowInformation(Format("Recherche terminée. %d remplacement(s) effectué(s).", {total}));
        } else {
            doc.ClearSelection();
            ShowNotFound();
        }
    }
    LastCommandKind = skReplaceAll;
    ReplaceDone = 1;
    if (wasVisible)
        Show();
}

void TFindReplaceForm::SpecSymbItemClick(bool forSearchBox, int32_t row)
{
    if (row < 0 || row >= SpecialSearchCharCount)
        return;
    TComboBox& box = forSearchBox ? *TextToFindComboBox : *TextToReplaceByComboBox;
    // The box keeps no selection of its own: the code goes at the end of its text.
    box.SetText(box.Text() + "^" + SpecialSearchChars[static_cast<size_t>(row)].Letter);
}
