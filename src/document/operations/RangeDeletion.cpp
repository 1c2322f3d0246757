// TDocument::DeleteRange: the text between two positions taken out as one
// insert/delete step of the caller's operation, with the document's structure
// kept sound around it: the range normalised at paragraph ends, the paragraph
// that survives a join taking the format of the first one, the headers and
// footers of a removed section break kept by the surviving section, fields and
// bookmarks inside the range removed and those that cross its edges put back,
// the text of notes whose references went and the headers and footers of the
// sections that went deleted with it, and the section settings of the text
// that now ends the document kept.
#include "document/model/Document.h"

#include "document/fields/Field.h"
#include "document/steps/InsertDeleteOperation.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/model/Paragraph.h"

#include <algorithm>

void TDocument::DeleteRange(const TTextPosition& startPosition, const TTextPosition& endPosition,
                            TUpdateRange& update, TOperation* op, TEditFlags flags)
{
    // 1. The story of the start.
    TTextPosition start = startPosition;
    start.Paragraph = std::clamp(start.Paragraph, 0, ParagraphCount() - 1);
    start.Offset = std::clamp(start.Offset, 0, Paragraphs(start.Paragraph).GetCharCount());
    const int32_t story = GetStoryOfParagraph(start.Paragraph);
    const int32_t storyLast = StoryLast(story);
    // Whether the end given reaches the last position of the story.
    const bool reachesEnd =
        endPosition.Paragraph > storyLast ||
        (endPosition.Paragraph == storyLast && endPosition.Offset >= Paragraphs(storyLast).GetCharCount() - 1);

    // 2. The end, normalised at paragraph ends and kept within the story.
    TTextPosition end = endPosition;
    if (end.Paragraph >= ParagraphCount() || end.Paragraph > storyLast) {
        end.Paragraph = storyLast;
        end.Offset = Paragraphs(storyLast).GetCharCount();
    }
    end.Paragraph = std::max(end.Paragraph, start.Paragraph);
    end.Offset = std::clamp(end.Offset, 0, Paragraphs(end.Paragraph).GetCharCount());
    if (end.Paragraph == start.Paragraph)
        end.Offset = std::max(end.Offset, start.Offset);
    if (end.Offset == Paragraphs(end.Paragraph).GetCharCount()) {
        TTextRange part;
        GetEditRange(part);
        const bool lastOfPart = end.Paragraph == part.End.Paragraph || end.Paragraph == storyLast;
        if (!lastOfPart) {
            MakeTextPos(end.Paragraph + 1, 0, end);
        } else {
            const bool wholeParagraphs =
                (flags & efStoryEnd) && story == stBody && start.Paragraph != part.Start.Paragraph &&
                start.Offset == 0 &&
                !(SectionCount() > 1 && GetSectionOfParagraph(start.Paragraph).FirstParagraph == start.Paragraph);
            if (wholeParagraphs)
                MakeTextPos(end.Paragraph + 1, 0, end);
            else
                end.Offset = std::max(end.Offset - 1, 0);
        }
    }
    if (CompareTextPos(end, start) < 0)
        end = start;

    // 4.
    update.Reset();

    // 5. An empty range only reads the format there.
    if (CompareTextPos(start, end) == 0) {
        GetCharFormatAt(start, PositionFormat);
        DeletedStartFormat = PositionFormat;
        update.SetCaret(start.Paragraph, start.Offset, NotSet);
        update.SetViewHints(0, 0, 0, 0);
        return;
    }

    // 3. A join: the paragraph that survives takes the first one's format.
    if (!(flags & efKeepEndFormat) && start.Paragraph != end.Paragraph && start.Offset > 0 &&
        end.Paragraph <= storyLast) {
        TTextRange last;
        MakeTextPos(end.Paragraph, 0, last.Start);
        last.End = last.Start;
        TUpdateRange local;
        FormatParagraphs(last, Paragraphs(start.Paragraph).Format, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }

    // 6.1 The state before.
    std::vector<TField*> objectsBefore;
    objectsBefore.reserve(RangeObjects().size());
    for (const auto& object : RangeObjects())
        objectsBefore.push_back(object.get());
    std::vector<TSection*> sectionsBefore;
    sectionsBefore.reserve(static_cast<size_t>(SectionCount()));
    for (int32_t i = 0; i < SectionCount(); ++i)
        sectionsBefore.push_back(&Sections(i));

    // 6.2 A section break inside the range: the section that survives takes
    // the headers and footers the removed one had and it lacks.
    if (story == stBody && start.Paragraph != end.Paragraph) {
        TSection& startSection = GetPageSection(start.Paragraph);
        TSection& endSection = GetPageSection(std::min(end.Paragraph, storyLast));
        if (&startSection != &endSection) {
            TField* startRefs[6];
            TField* endRefs[6];
            std::copy(std::begin(startSection.HeadersFooters), std::end(startSection.HeadersFooters), startRefs);
            std::copy(std::begin(endSection.HeadersFooters), std::end(endSection.HeadersFooters), endRefs);
            bool moved = false;
            for (int i = 0; i < 6; ++i)
                if (startRefs[i] && !endRefs[i]) {
                    endRefs[i] = startRefs[i];
                    startRefs[i] = nullptr;
                    moved = true;
                }
            if (moved) {
                TUpdateRange local;
                ChangeSectionHeaders(startSection, startRefs, local, op);
                FUndoManager->MergeUpdateRange(update, local);
                ChangeSectionHeaders(endSection, endRefs, local, op);
                FUndoManager->MergeUpdateRange(update, local);
            }
        }
    }

    // 6.3 Fields and bookmarks: those inside go, the anchors of those that
    // cross the edges are kept aside.
    const bool bookkeeping = !ReplacingText;
    bool detached = false;
    if (bookkeeping) {
        TUpdateRange local;
        DetachAnchors(start, end, false, local, op);
        FUndoManager->MergeUpdateRange(update, local);
        detached = true;
    }

    try {
        // 6.4 The section of the start and what it looked like.
        TSection& startSection = GetSectionOfParagraph(start.Paragraph);
        const TSectionSettings startSettings = startSection.Settings;
        const TPageParams startPage = GetPageSection(start.Paragraph).PageParams;
        const int32_t sectionCount = SectionCount();

        // 6.5 The step.
        auto step = TInsertDeleteOperation::CreateDeletion(this, start, end, story);
        step->OwnsRecords = (flags & efKeepRecordObjects) ? 0 : 1;
        if (op)
            op->ReserveSteps(1);
        TUpdateRange local;
        step->Redo(local);
        FUndoManager->MergeUpdateRange(update, local);

        // 6.6 The caret: at the start, or at the end of the paragraph before
        // when the start paragraph went with the range.
        const int32_t lastNow = StoryLast(story);
        const bool startSurvived = lastNow >= start.Paragraph;
        if (!startSurvived) {
            const int32_t previous = std::max(start.Paragraph - 1, 0);
            Caret.Paragraph = previous;
            Caret.Offset = std::max(Paragraphs(previous).GetCharCount() - 1, 0);
        } else {
            Caret.Paragraph = start.Paragraph;
            Caret.Offset = start.Offset;
        }
        if (op)
            op->AddStep(std::move(step));

        // 6.7 The anchors kept aside go back where the text was.
        if (bookkeeping) {
            const TTextPosition at = startSurvived ? start : TTextPosition{Caret.Paragraph, Caret.Offset};
            detached = false;
            ReattachAnchors(at, at, local, op);
            FUndoManager->MergeUpdateRange(update, local);
        }

        // What the text after the deletion point keeps: the format there now,
        // so that a replacement never restores a format left by an earlier
        // deletion.
        GetCharFormatAt({Caret.Paragraph, Caret.Offset}, DeletedStartFormat);

        // 6.8 The text that now ends the document keeps the settings of the
        // section in which the deletion began. Only the sections from the
        // deletion point on take them: those before it were not touched.
        if (reachesEnd && story == stBody && sectionCount > 1 && startSurvived) {
            TSection& holder = GetSectionOfParagraph(start.Paragraph);
            TTextRange rest;
            GetBodyRange(rest);
            MakeTextPos(start.Paragraph, 0, rest.Start);
            if (!(holder.Settings == startSettings)) {
                FormatSections(rest, startSettings, local, op);
                FUndoManager->MergeUpdateRange(update, local);
            }
            if (!(GetPageSection(start.Paragraph).PageParams == startPage)) {
                ChangePageParams(startPage, rest, local, op);
                FUndoManager->MergeUpdateRange(update, local);
            }
        }

        // 6.9 to 6.11
        update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
        if ((flags & efAdjustSpaces) && startSurvived) {
            TUpdateRange spaces;
            AdjustSpaces({Caret.Paragraph, Caret.Offset}, spaces, op);
            FUndoManager->MergeUpdateRange(update, spaces);
        }
        update.SetViewHints(0, 0, 0, 0);

        // 6.12 The text of notes whose references went, and the headers and
        // footers of sections that went.
        if (!(flags & efKeepNotes) && story == stBody) {
            const bool objectsChanged = RangeObjects().size() != objectsBefore.size();
            const bool sectionsChanged = SectionCount() != sectionCount;
            if (objectsChanged || sectionsChanged) {
                BeginSuppressChange(chfMoveDeletion);
                try {
                    const TCaret caret = Caret;
                    auto present = [this](const TField* field) {
                        return std::any_of(RangeObjects().begin(), RangeObjects().end(),
                                           [field](const auto& object) { return object.get() == field; });
                    };
                    auto deleteText = [&](const TField* field) {
                        if (!field || !present(field))
                            return;
                        const TTextRange range = field->Range;
                        TUpdateRange nested;
                        DeleteRange(range.Start, range.End, nested, op, efKeepNotes);
                        FUndoManager->MergeUpdateRange(update, nested);
                    };
                    if (objectsChanged) {
                        for (auto it = objectsBefore.rbegin(); it != objectsBefore.rend(); ++it) {
                            TField* object = *it;
                            if (present(object) || object->Kind != rkNoteReference)
                                continue;
                            // The note's own record holds its text.
                            TField* note = object->NoteRecord;
                            if (note && note != object && GetStoryOfParagraph(note->Range.Start.Paragraph) != stBody)
                                deleteText(note);
                        }
                        Caret = caret;
                        update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
                    }
                    if (SectionCount() != sectionCount) {
                        for (auto it = sectionsBefore.rbegin(); it != sectionsBefore.rend(); ++it) {
                            const TSection* section = *it;
                            if (IndexOfSection(section) >= 0)
                                continue;
                            for (TField* header : section->HeadersFooters) {
                                // A header or footer that a remaining section
                                // shares stays.
                                bool shared = false;
                                for (int32_t i = 0; i < SectionCount() && !shared; ++i)
                                    shared = std::find(std::begin(Sections(i).HeadersFooters),
                                                       std::end(Sections(i).HeadersFooters),
                                                       header) != std::end(Sections(i).HeadersFooters);
                                if (!shared)
                                    deleteText(header);
                            }
                        }
                        Caret = caret;
                        update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
                    }
                } catch (...) {
                    EndChanges(1);
                    throw;
                }
                EndChanges(1);
            }
        }
    } catch (...) {
        // The anchors kept aside are back with the rolled-back steps.
        if (detached && !FDetachedAnchors.empty())
            FDetachedAnchors.pop_back();
        throw;
    }
}
