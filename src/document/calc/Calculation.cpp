// The Calculate command: evaluates the expression the user selected, or finds
// one around the caret, and delivers the result as the calculator options say.
#include "document/calc/Evaluator.h"
#include "document/model/Document.h"
#include "document/model/DocumentLayout.h"
#include "document/model/Paragraph.h"
#include "document/operations/OperationDispatcher.h"
#include "document/text/TextAccess.h"
#include "foundation/Memory.h"
#include "foundation/MessageDlg.h"
#include "foundation/ShellHelpers.h"
#include "platform/runtime/Exception.h"

#include <algorithm>

namespace {

constexpr int32_t CalculateEvent = 2660;
// Characters looked at on each side of the caret, and in all.
constexpr int32_t AutodetectSide = 32;
constexpr int32_t AutodetectWindow = 64;

// The text of [from, to) of a paragraph, one byte a character so that offsets
// into it are character offsets: marks, tabs, breaks and objects become a
// byte no expression holds.
std::string CalculationText(const TDocument& document, int32_t paragraph, int32_t from, int32_t to)
{
    const TParagraph& p = document.Paragraphs(paragraph);
    const uint8_t* chars = p.GetPlainChars().Data();
    from = std::clamp(from, 0, p.GetCharCount());
    to = std::clamp(to, from, p.GetCharCount());
    std::string text;
    text.reserve(static_cast<size_t>(to - from));
    for (int32_t i = from; i < to; ++i) {
        const int c = TextCharOfPlain(chars[i]);
        text += c >= 0 ? static_cast<char>(c) : '\x01';
    }
    return text;
}

TEvaluatorDisplay DisplaySettings()
{
    TDocumentHost& host = DocumentHost();
    return {host.CalcDigitsBeforePoint(), host.CalcDigitsAfterPoint()};
}

}  // namespace

void TDocument::CalculateExpression(const TTextRange& range, bool quiet, TUpdateRange& update, TOperation* op,
                                    TCalculationOutput* output)
{
    TDocumentHost& host = DocumentHost();
    if (output)
        output->Success = 0;
    if (IsRangeEmpty(range)) {
        if (quiet)
            return;
        if (host.CalcAutodetect()) {
            if (!AutodetectExpression())
                ShowWarning("Impossible de détecter une expression à calculer.||S'il vous plaît, veuillez "
                            "sélectionner l'expression voulue manuellement, et relancer le calcul.");
        } else {
            ShowInformation("Cette action (\"le calcul du résultat\") ne s'applique qu'à une sélection. "
                            "Sélectionnez le fragment de texte visé et recommencez.");
        }
        return;
    }

    const int32_t paragraph = range.Start.Paragraph;
    if (paragraph < 0 || paragraph >= ParagraphCount())
        throw EInternalError("Calcul hors du document");
    const int32_t markOffset = Paragraphs(paragraph).GetCharCount() - 1;
    const int32_t start = std::clamp(range.Start.Offset, 0, markOffset);
    int32_t end = range.End.Paragraph > paragraph ? markOffset : std::min(range.End.Offset, markOffset);
    end = std::max(end, start);
    const std::string text = CalculationText(*this, paragraph, start, end);

    TExpressionEvaluationResult result;
    EvaluateExpression(text.data(), static_cast<int32_t>(text.size()), quiet, result);
    if (!result.Success) {
        const int32_t from = start + std::clamp(result.ErrorPos, 0, end - start);
        const int32_t to = std::clamp(from + std::max(result.ErrorLength, 0), from, end);
        SetSelection(paragraph, from, paragraph, to);
        if (TDocumentLayout* layout = GetDocumentLayout()) {
            layout->UpdateCaret(*this);
            layout->ScrollToCaret(*this, 0);
        }
        return;
    }

    const std::string shown =
        result.IsText && !quiet ? result.Text : FormatEvaluationResult(result.Value, DisplaySettings());
    if (!quiet) {
        switch (host.CalcResultHandling()) {
        case 0:
            if (!host.PutCalculationOnClipboard(shown))
                ShowError("Impossible de mettre le résultat du calcul dans le presse-papiers.");
            host.RequestLayout();
            break;
        case 1: {
            ClearSelection();
            TMemory inserted;
            const std::string withSign = "=" + shown;
            inserted.Append(withSign.data(), static_cast<int32_t>(withSign.size()));
            InsertPlainTextAt(inserted, TTextPosition{paragraph, end}, update, op, 0);
            break;
        }
        case 2: {
            SetSelection(paragraph, start, paragraph, end);
            TMemory replacement;
            replacement.Append(shown.data(), static_cast<int32_t>(shown.size()));
            InsertText(replacement, 0, update, op);
            break;
        }
        default:
            break;
        }
        if (host.CalcBeep() && !host.EventSoundReplacesBeep(CalculateEvent))
            PlaySystemBeep(0);
    }
    if (output) {
        output->Value = result.Value;
        output->Success = 1;
    }
}

bool TDocument::AutodetectExpression()
{
    const int32_t paragraph = Caret.Paragraph;
    if (paragraph < 0 || paragraph >= ParagraphCount())
        return false;
    const int32_t length = Paragraphs(paragraph).GetCharCount();
    const int32_t caret = std::clamp(Caret.Offset, 0, std::max(length - 1, 0));
    int32_t before = std::min(caret, AutodetectSide);
    int32_t after = std::max(std::min(length - caret - 1, AutodetectSide), 0);
    if (before == AutodetectSide && after < AutodetectSide)
        before = std::min(caret, AutodetectWindow - after);
    else if (after == AutodetectSide && before < AutodetectSide)
        after = std::min(length - caret - 1, AutodetectWindow - before);
    if (before + after < 1)
        return false;

    const int32_t windowStart = caret - before;
    const std::string text = CalculationText(*this, paragraph, windowStart, caret + after);
    int32_t bestStart = 0, bestEnd = 0;
    for (int32_t b = before; b >= 0; --b) {
        for (int32_t a = 0; a <= after; ++a) {
            if (b + a == 0)
                continue;
            const int32_t from = before - b;
            const int32_t to = before + a;
            // A longer piece than the best one found so far is all that can win.
            int32_t s = from, e = to;
            while (s < e && text[s] == ' ')
                ++s;
            while (e > s && text[e - 1] == ' ')
                --e;
            if (e - s <= bestEnd - bestStart)
                continue;
            // A piece that starts with a multiplication or division sign takes
            // in the colon of a label ("Total : 12,5*4"), never an expression
            // of its own.
            if (text[s] == ':' || text[s] == '/' || text[s] == '*' || text[s] == '\xB7')
                continue;
            TExpressionEvaluationResult result;
            EvaluateExpression(text.data() + from, to - from, true, result);
            if (result.Success) {
                bestStart = s;
                bestEnd = e;
            }
        }
    }
    if (bestEnd <= bestStart)
        return false;
    SetSelection(paragraph, windowStart + bestStart, paragraph, windowStart + bestEnd);
    if (TDocumentLayout* layout = GetDocumentLayout()) {
        layout->UpdateCaret(*this);
        layout->ScrollToCaret(*this, 0);
    }
    return true;
}
