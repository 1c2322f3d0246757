// The manual hyphenation run: line by line, the word that the line breaker
// would cut is offered to the user (through the document host's dialog), and
// the chosen break becomes the word's only conditional hyphen. The line
// breaker finds the word while the document's probe is on (see
// TDocument::HyphProbing); every change goes through the operation dispatcher,
// the changes of one word joined into one undoable action.
#include "document/model/Document.h"
#include "document/model/DocumentLayout.h"
#include "document/model/ParLine.h"
#include "document/model/ParReformatingManager.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/steps/ChangeHyphenationOptionsOperation.h"
#include "foundation/InlineControl.h"
#include "foundation/Memory.h"
#include "foundation/MessageDlg.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <vector>

namespace {

// The action name "la coupe de mots".
constexpr uint8_t kHyphenationKind = 60;
// The typed form of the conditional hyphen.
constexpr char kTypedConditionalHyphen = 31;

bool NoHyphenation(const TParagraph& paragraph)
{
    const int32_t value = paragraph.Format[pfNoHyphenation];
    return value != NotSet && value != 0;
}

// One change of a word through the dispatcher, recorded under the pass's
// name; every change of a word after its first joins the one before it, so
// that one undo takes back the word and no more.
void RunWordChange(TDocument& document, TDocOperationCode code, std::initializer_list<void*> params, bool join)
{
    document.KindOverride = kHyphenationKind;
    try {
        document.ExecuteOperation(code, params);
    } catch (...) {
        document.KindOverride = 255;
        throw;
    }
    document.KindOverride = 255;
    TOperationManager& undo = document.UndoManager();
    if (join && document.OperationRecorded && undo.CurrentIndex() >= 0)
        undo.Operations(undo.CurrentIndex()).Joined = 1;
}

// Lays the paragraph out again with the probe on, for the line that holds
// the character at. The paragraph goes through the re-layout queue; one that
// the queue leaves to pagination and that no pagination laid out (a document
// without pages) is laid out here at its page's text width.
void Probe(TDocument& document, int32_t index, int32_t at)
{
    document.HyphProbeOffset = at;
    document.HyphFound = 0;
    document.HyphProbing = 1;
    try {
        TParReformatingManager& manager = document.ReformatingManager();
        manager.AddParagraph(index);
        manager.ReformatPending();
        TParagraph& paragraph = document.Paragraphs(index);
        if (paragraph.GetLineCount() == 0 || manager.HasPending()) {
            manager.RemoveParagraph(index);
            document.HyphFound = 0;
            paragraph.Invalidate(true, document.GetPageSection(index).PageParams[ppTextWidth]);
        }
    } catch (...) {
        document.HyphProbing = 0;
        throw;
    }
    document.HyphProbing = 0;
}

}  // namespace

bool TDocument::HyphenateParagraphRange(int32_t index, int32_t from, int32_t to)
{
    HyphParagraph = index;
    if (NoHyphenation(Paragraphs(index))) {
        ++HyphSkipped;
        return true;
    }
    while (from < to) {
        Probe(*this, index, from);
        TParagraph& paragraph = Paragraphs(index);
        // The line that holds the character: the last one starting at or
        // before it, as the line breaker chose it for the probe.
        int32_t lineIndex = -1;
        for (int32_t i = 0; i < paragraph.GetLineCount() && paragraph.GetLine(i).FirstChar <= from; ++i)
            lineIndex = i;
        if (lineIndex < 0)
            break;
        const int32_t lineStart = paragraph.GetLine(lineIndex).FirstChar;
        int32_t lineEnd = lineStart + paragraph.GetLine(lineIndex).CharCount;
        if (HyphFound) {
            const THyphProbeCandidate candidate = HyphCandidate;
            const int32_t wordStart = candidate.WordStart;
            const int32_t wordEnd = wordStart + candidate.WordLength;
            const uint8_t* plain = paragraph.GetPlainChars().Data();

            // The word selected when it has no break to offer or lies wholly
            // behind the line; else the line's last character.
            if (candidate.Points.empty() || lineEnd <= wordStart)
                SetSelection(index, wordStart, index, wordEnd);
            else
                SetSelection(index, lineEnd - 1, index, lineEnd);
            // The part of the word on earlier lines is not to be broken again.
            int32_t before = 0;
            for (int32_t i = wordStart; i < lineStart && i < wordEnd; ++i)
                if (plain[i] != scOptionalHyphen)
                    ++before;
            std::vector<int32_t> hyphens;
            for (int32_t i = std::max(wordStart, lineStart); i < wordEnd; ++i)
                if (plain[i] == scOptionalHyphen)
                    hyphens.push_back(i);
            if (TDocumentLayout* layout = GetDocumentLayout()) {
                layout->UpdateCaret(*this);
                layout->ScrollToCaret(*this, 0);
            }

            int32_t chosen = -1;
            if (!DocumentHost().ExecuteManualHyphenation(candidate.Text, candidate.Language, candidate.Points, before,
                                                         candidate.Excluded, chosen))
                return false;

            // The word's conditional hyphens go, from the last to the first.
            bool first = true;
            for (auto it = hyphens.rbegin(); it != hyphens.rend(); ++it) {
                TTextPosition start;
                TTextPosition end;
                MakeTextPos(index, *it, start);
                MakeTextPos(index, *it + 1, end);
                TEditFlags flags = 0;
                RunWordChange(*this, docDeleteRange, {&start, &end, &flags}, !first);
                first = false;
                --to;
                if (*it < lineEnd)
                    --lineEnd;
            }
            const int32_t length = static_cast<int32_t>(candidate.Text.size());
            if (chosen > 0 && chosen < length) {
                // The break counts the word's characters without the
                // conditional hyphens that remain before it.
                const TParagraph& now = Paragraphs(index);
                const uint8_t* chars = now.GetPlainChars().Data();
                const int32_t count = now.GetCharCount();
                int32_t offset = wordStart;
                for (int32_t letters = 0; letters < chosen && offset < count; ++offset)
                    if (chars[offset] != scOptionalHyphen)
                        ++letters;
                GoToPosition(index, offset);
                TMemory text;
                text.Append(&kTypedConditionalHyphen, 1);
                TEditFlags flags = 0;
                RunWordChange(*this, docInsertText, {&text, &flags}, !first);
                ++to;
                // On from the line that the hyphen now ends (or, when the
                // part before it does not fit, the line the word went to).
                from = std::max(offset + 1, from + 1);
                continue;
            }
        }
        from = std::max(lineEnd + 1, from + 1);
    }
    return true;
}

void TDocument::HyphenateDocument(const THyphenationOptions& options)
{
    THyphenationOptions settings = options;
    ExecuteOperation(docChangeHyphenationOptions, {&settings});

    TTextRange range;
    if (HasSelection()) {
        range.Start = FSelection.Start;
        range.End = FSelection.End;
    } else {
        GetEditRange(range);
    }
    HyphSkipped = 0;
    bool stopped = false;
    try {
        const int32_t first = range.Start.Paragraph;
        const int32_t last = range.End.Paragraph;
        if (first == last) {
            stopped = !HyphenateParagraphRange(first, range.Start.Offset, range.End.Offset);
        } else {
            stopped = !HyphenateParagraphRange(first, range.Start.Offset, Paragraphs(first).GetCharCount());
            for (int32_t index = first + 1; !stopped && index < last; ++index)
                stopped = !HyphenateParagraphRange(index, 0, Paragraphs(index).GetCharCount());
            if (!stopped)
                stopped = !HyphenateParagraphRange(last, 0, range.End.Offset);
        }
    } catch (...) {
        HyphParagraph = -1;
        HyphProbing = 0;
        throw;
    }
    HyphParagraph = -1;

    // The whole document laid out again, and the caret shown.
    for (int32_t index = 0; index < ParagraphCount(); ++index)
        ReformatingManager().AddParagraph(index);
    TUpdateRange update;
    update.FullUpdate = 1;
    update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
    UndoManager().UpdateViews(update);
    // Without pagination nothing took the queue: the paragraphs are laid out
    // here.
    if (ReformatingManager().HasPending())
        ReformatingManager().ReformatPending();
    if (TDocumentLayout* layout = GetDocumentLayout()) {
        layout->UpdateCaret(*this);
        layout->ScrollToCaret(*this, 0);
    }

    if (stopped)
        return;
    if (HyphSkipped == 0)
        ShowInformation("La coupe de mots est terminée.");
    else
        ShowInformation(::Format("La coupe de mots est terminée.||||Eldravin a sauté les %d paragraphes qui avaient "
                               "l'attribut \"Pas de coupe de mots\". Si vous voulez maintenant y opérer une coupe "
                               "de mots automatique ou manuelle, vous devez tout d'abord désactiver l'attribut "
                               "\"Pas de coupe de mots\" pour ces paragraphes (commande \"Format | Paragraphe...\", "
                               "onglet \"Enchaînements\").",
                               {HyphSkipped}));
}
