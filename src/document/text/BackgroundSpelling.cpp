#include "document/text/BackgroundSpelling.h"

#include "document/model/Document.h"
#include "platform/runtime/Processes.h"

namespace {
TDocumentSpeller* gSpeller = nullptr;
}  // namespace

TDocumentSpeller* DocumentSpeller()
{
    return gSpeller;
}

TDocumentSpeller* SetDocumentSpeller(TDocumentSpeller* speller)
{
    TDocumentSpeller* previous = gSpeller;
    gSpeller = speller;
    return previous;
}

void TDocument::RestartSpellCheck()
{
    if (ExcludedFromSpelling)
        return;
    TTextRange part;
    GetEditRange(part);
    // The frame shows the state: it is laid out again when the state changes.
    const bool changed = SpellState.Phase != bsChecking;
    SpellState.HasMisspellings = 0;
    SpellState.HasTextWithoutSystem = 0;
    SpellState.Phase = bsChecking;
    SpellState.NextParagraph = part.Start.Paragraph;
    SpellState.NextOffset = 0;
    SpellState.WordPending = 0;
    if (changed)
        DocumentHost().RequestLayout();
}

void TDocument::NoteWordAtCaret()
{
    TDocumentSpeller* speller = DocumentSpeller();
    if (!speller || !speller->CheckAsYouType())
        return;
    TFoundWord word;
    speller->FindWordAt(*this, FSelection.End, word);
    SpellState.PendingWord = word;
    if (word.Length > 0)
        SpellState.WordPending = 1;
    SpellState.PendingSince = GetTickCount();
}

void TDocument::CheckPendingWord()
{
    if (!SpellState.WordPending)
        return;
    const TFoundWord word = SpellState.PendingWord;
    TDocumentSpeller* speller = DocumentSpeller();
    if (speller && word.Position.Paragraph < ParagraphCount() && !IsOutsideEditedStory(word.Position.Paragraph)) {
        TTextRange range{word.Position, word.Position};
        range.End.Offset += word.Length;
        speller->CheckRange(*this, range);
    }
    RestartSpellCheck();
}
