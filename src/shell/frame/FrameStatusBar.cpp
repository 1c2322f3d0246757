// The status bar's panels: their texts from the active document (page and
// section, the caret's line and column, the modified mark, the insert mode,
// the document-state icons, the language, the spelling state), the drawing of
// the two picture panels, and the double clicks on the panels.
#include "shell/frame/MainForm.h"
#include "document/model/Document.h"
#include "document/model/Page.h"
#include "document/model/ParLine.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"

#include "foundation/CodePageRoutines.h"
#include "foundation/drawing/StatusBarIcons.h"
#include "foundation/managers/MeasurementsManager.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/bars/StatusBar.h"
#include "shell/commands/CommandManager.h"
#include "shell/options/OptionsHolder.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* const kInsertModeTexts[3] = {"Insertion", "Refrappe", "Nouveau document"};
constexpr int32_t kSpellAsYouType = 1024;
constexpr int32_t kIconWidth = 15;
constexpr int32_t kSpellFrameWidth = 21;
// Spelling state "checking" cycles through the animation frames.
constexpr uint8_t kSpellChecking = 5;

// Where the caret stands on its page: the page, the line counted from the
// page's first body line, that line's top in twips from the page's top, and
// the column. False when the document has no pages or the caret's line is on none.
struct TCaretPlace {
    int32_t Page = 0;
    int32_t Line = 0;
    int32_t TopTwips = 0;
    int32_t Column = 0;
};

bool LocateCaret(TDocument& document, TCaretPlace& place)
{
    const TTextPosition caret = document.Selection().Start;
    const int32_t pageIndex = document.PageOfPosition(caret);
    if (pageIndex < 0 || pageIndex >= document.PageCount())
        return false;
    place.Page = pageIndex;
    const TPage& page = *document.Pages()[static_cast<size_t>(pageIndex)];
    int32_t counted = 0;
    for (const TParagraphOnPageInfo& range : page.Ranges) {
        if (!range.Paragraph || range.HeaderFooter)
            continue;
        for (int32_t line = range.FirstLine; line <= range.LastLine; ++line) {
            ++counted;
            if (range.Paragraph->Index != caret.Paragraph)
                continue;
            const TParLine& shown = range.Paragraph->GetLine(line);
            if (caret.Offset < shown.FirstChar + std::max(shown.CharCount, 1) ||
                line == range.Paragraph->GetLineCount() - 1) {
                place.Line = counted;
                place.TopTwips = document.LayoutToTwips(shown.Top);
                place.Column = caret.Offset - shown.FirstChar + 1;
                return true;
            }
        }
    }
    return false;
}

}  // namespace

void TMainForm::UpdateStatusPanels()
{
    const bool shown = (!OptionsHolder || OptionsHolder->CurrentView.StatusBar) && !FullScreen;
    FStatusBar->SetVisible(shown);
    if (!shown)
        return;
    std::string texts[7];
    if (TDocument* document = GetActiveDocument()) {
        char buffer[96];
        TCaretPlace place;
        const bool located = LocateCaret(*document, place);
        const int32_t paragraph = std::clamp(document->Selection().Start.Paragraph, 0,
                                             std::max(document->ParagraphCount() - 1, 0));
        const int32_t section =
            document->ParagraphCount() > 0 ? document->IndexOfSection(&document->GetSectionOfParagraph(paragraph)) : 0;
        std::snprintf(buffer, sizeof buffer, " Page %d/%d   Sec %d/%d", located ? place.Page + 1 : 1,
                      std::max(document->PageCount(), 1), section + 1, std::max(document->SectionCount(), 1));
        texts[0] = buffer;
        if (!document->HasSelection() && located) {
            const std::string position = GetMeasurementsManager()
                                             ? GetMeasurementsManager()->FormatTwips(place.TopTwips)
                                             : FormatTwipsIn(0, place.TopTwips);
            std::snprintf(buffer, sizeof buffer, "   Li. %d  Col. %d", place.Line, place.Column);
            texts[1] = "à " + position + buffer;
        }
        if (document->IsModified())
            texts[2] = "Modifié";
        texts[3] = kInsertModeTexts[InsertMode < 3 ? InsertMode : 0];
        // The six state icons: new document, template, backup copy available,
        // recovered document, print preview, encrypted document.
        const bool icons[StatusBarIconCount] = {document->FileName.empty(),
                                                !document->FileName.empty() && document->IsTemplate(),
                                                false,
                                                document->FileState.Recovered != 0,
                                                document->IsPreview != 0,
                                                document->Format == ciEncrypted};
        for (bool on : icons)
            texts[4] += on ? '1' : '0';
        TCharFormat format;
        if (document->ParagraphCount() > 0)
            document->GetCommonCharFormat(TTextRange{document->Selection().Start, document->Selection().End}, format,
                                          false);
        if (format[cfLanguage] != NotSet && format[cfLanguage] != 0) {
            const std::string language = GetLocaleLanguageName(static_cast<LCID>(format[cfLanguage]));
            if (!language.empty())
                texts[5] = " " + language;
        }
        // The spelling-state picture: the frame of the strip to draw.
        const int32_t asYouType = OptionsHolder && (OptionsHolder->Spell_Flags & kSpellAsYouType) ? 1 : 0;
        const int32_t state = document->SpellState.Phase + (document->SpellState.Phase == kSpellChecking ? SpellCycle : 0);
        texts[6] = std::to_string(asYouType + 4 * state);
    } else {
        texts[4] = "000000";
    }
    for (int i = 0; i < 7; ++i)
        if (FStatusBar->Panels(i).Text() != texts[i])
            FStatusBar->Panels(i).SetText(texts[i]);
}

void TMainForm::StatusBarDrawPanel(TStatusBar* bar, int index, const TRect& rect)
{
    TCanvas& canvas = bar->Canvas();
    canvas.FillRect(rect);
    const std::string text = bar->Panels(index).Text();
    if (index == 4) {
        for (int32_t i = 0; i < StatusBarIconCount && i < static_cast<int32_t>(text.size()); ++i) {
            if (text[static_cast<size_t>(i)] != '1')
                continue;
            TBitmap& icon = StatusBarIcons().GetIcon(i).Bitmap();
            icon.SetTransparent(true);
            canvas.Draw(rect.Left + kIconWidth * i, rect.Top + (rect.Height() - icon.Height()) / 2, icon);
        }
    } else if (index == 6 && !text.empty()) {
        TBitmap& strip = StatusBarIcons().GetSpellCheckBitmap();
        const int32_t frame = std::atoi(text.c_str());
        if ((frame + 1) * kSpellFrameWidth > strip.Width())
            return;
        const int32_t x = rect.Left + (rect.Width() - kSpellFrameWidth) / 2;
        const int32_t y = rect.Top + (rect.Height() - strip.Height()) / 2;
        canvas.CopyRect(TRect{x, y, x + kSpellFrameWidth, y + strip.Height()}, strip.Canvas(),
                        TRect{frame * kSpellFrameWidth, 0, (frame + 1) * kSpellFrameWidth, strip.Height()});
    }
}

void TMainForm::StatusBarDblClick(int32_t x)
{
    if (!CommandManager || FStatusBar->SimplePanel())
        return;
    const int panel = FStatusBar->PanelAt(TPoint{x, FStatusBar->Height() / 2});
    // Panels 0 and 1 open the go-to window through its toolbar control, and
    // panel 6 steps through the spelling errors: both come with the
    // control-command runner and the spelling manager.
    switch (panel) {
    case 3:
        CommandManager->ExecuteCommand(3720);
        break;
    case 5:
        CommandManager->ExecuteCommand(12440);
        break;
    default:
        break;
    }
}
