// TDocument: what the steps of an edit use to restructure the document
// (paragraph objects, the section and range-object lists) and the caret.
#include "document/model/Document.h"

#include "document/steps/ChangeSectionHeadersOperation.h"
#include "document/model/DocumentLayout.h"
#include "document/fields/Field.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/model/ParReformatingManager.h"
#include "document/model/Paragraph.h"
#include "document/model/VectorGrowth.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <string>
#include <unordered_map>

// ---------------------------------------------------------------------------
// Paragraph objects

void TDocument::ReplaceParagraphObjects(int32_t index, int32_t count, int32_t story,
                                        std::vector<std::unique_ptr<TParagraph>>& paragraphs)
{
    if (story < 0 || story >= StoriesPerDocument)
        throw EInternalError("Partie de document inconnue (" + std::to_string(story) + ")");
    const int32_t first = StoryFirst(story);
    const int32_t added = static_cast<int32_t>(paragraphs.size());
    if (count < 0 || index < first || index > first + FStoryCounts[story] ||
        count > first + FStoryCounts[story] - index)
        throw EInternalError("Paragraphes à remplacer hors de leur partie du document");
    if (story == stBody && FStoryCounts[stBody] - count + added < 1)
        throw EInternalError("Le corps du document garde au moins un paragraphe");
    for (const auto& paragraph : paragraphs)
        if (!paragraph || paragraph->GetDocument() != this)
            throw EInternalError("Paragraphe étranger au document");

    // Everything that can fail comes first.
    if (added > count)
        ReserveMore(FParagraphs, static_cast<size_t>(added - count));
    paragraphs.reserve(static_cast<size_t>(std::max(count, added)));

    const int32_t kept = std::min(count, added);
    for (int32_t i = 0; i < kept; ++i)
        std::swap(FParagraphs[static_cast<size_t>(index + i)], paragraphs[static_cast<size_t>(i)]);
    if (added > count) {
        FParagraphs.insert(FParagraphs.begin() + index + count, std::make_move_iterator(paragraphs.begin() + count),
                           std::make_move_iterator(paragraphs.end()));
        paragraphs.resize(static_cast<size_t>(count));
    } else if (count > added) {
        const auto from = FParagraphs.begin() + index + added;
        const auto to = FParagraphs.begin() + index + count;
        paragraphs.insert(paragraphs.end(), std::make_move_iterator(from), std::make_move_iterator(to));
        FParagraphs.erase(from, to);
    }
    FStoryCounts[story] += added - count;
    Reindex(index);
    if (story == stBody)
        SectionsDirty = 1;
    if (FReformatingManager)
        FReformatingManager->ParagraphsReplaced(index, count, added);
}

void TDocument::ReserveParagraphs(int32_t extra)
{
    ReserveMore(FParagraphs, static_cast<size_t>(std::max(extra, 0)));
}

void TDocument::ExchangeParagraphs(int32_t a, int32_t b)
{
    if (a < 0 || a >= ParagraphCount() || b < 0 || b >= ParagraphCount())
        throw EListError("Indice de liste hors limites (" + std::to_string(a < 0 || a >= ParagraphCount() ? a : b) +
                         ")");
    std::swap(FParagraphs[static_cast<size_t>(a)], FParagraphs[static_cast<size_t>(b)]);
    FParagraphs[static_cast<size_t>(a)]->Index = a;
    FParagraphs[static_cast<size_t>(b)]->Index = b;
    if (GetStoryOfParagraph(a) == stBody || GetStoryOfParagraph(b) == stBody)
        SectionsDirty = 1;
}

// ---------------------------------------------------------------------------
// Sections and range objects

std::unique_ptr<TSection> TDocument::TakeSection(TSection* section)
{
    if (FSections.size() <= 1)
        return nullptr;
    const auto it = std::find_if(FSections.begin(), FSections.end(),
                                 [section](const std::unique_ptr<TSection>& item) { return item.get() == section; });
    if (it == FSections.end())
        return nullptr;
    std::unique_ptr<TSection> taken = std::move(*it);
    FSections.erase(it);
    SectionsDirty = 1;
    ColumnsDirty = 1;
    return taken;
}

void TDocument::PutSection(std::unique_ptr<TSection> section)
{
    if (!section || section->GetDocument() != this)
        throw EInternalError("Section étrangère au document");
    FSections.push_back(std::move(section));
    SectionsDirty = 1;
    ColumnsDirty = 1;
}

void TDocument::ReserveSections(int32_t extra)
{
    ReserveMore(FSections, static_cast<size_t>(std::max(extra, 0)));
}

void TDocument::SyncSectionOrder()
{
    // Each section goes where its break stands in the body; the sections
    // whose break no paragraph carries (the last one) follow, as they were.
    std::unordered_map<const TSection*, size_t> rank;
    rank.reserve(FSections.size());
    size_t next = 0;
    const int32_t bodyLast = StoryLast(stBody);
    for (int32_t index = 0; index <= bodyLast; ++index) {
        const TParagraph& paragraph = *FParagraphs[static_cast<size_t>(index)];
        const int32_t count = paragraph.GetCharCount();
        if (count == 0 || paragraph.GetPlainChars().Data()[count - 1] != scSectionBreak)
            continue;
        const TSection* section = FObjects.GetSection(paragraph.GetSectionBreak());
        if (section && IndexOfSection(section) >= 0 && !rank.count(section))
            rank.emplace(section, next++);
    }
    std::vector<std::unique_ptr<TSection>> ordered;
    ordered.reserve(FSections.size());
    std::vector<std::unique_ptr<TSection>> rest;
    rest.reserve(FSections.size());
    std::vector<size_t> slots(FSections.size(), SIZE_MAX);
    for (size_t i = 0; i < FSections.size(); ++i) {
        const auto found = rank.find(FSections[i].get());
        if (found != rank.end())
            slots[i] = found->second;
    }
    // From here on nothing allocates.
    ordered.resize(next);
    for (size_t i = 0; i < FSections.size(); ++i) {
        if (slots[i] != SIZE_MAX)
            ordered[slots[i]] = std::move(FSections[i]);
        else
            rest.push_back(std::move(FSections[i]));
    }
    for (auto& section : rest)
        ordered.push_back(std::move(section));
    FSections.swap(ordered);
    SectionsDirty = 1;
    ColumnsDirty = 1;
}

std::unique_ptr<TField> TDocument::TakeRangeObject(TField* field, int32_t* index)
{
    const auto it = std::find_if(FRangeObjects.begin(), FRangeObjects.end(),
                                 [field](const std::unique_ptr<TField>& item) { return item.get() == field; });
    if (it == FRangeObjects.end())
        return nullptr;
    if (index)
        *index = static_cast<int32_t>(it - FRangeObjects.begin());
    std::unique_ptr<TField> taken = std::move(*it);
    FRangeObjects.erase(it);
    if (taken->Kind == rkBookmark)
        BookmarkListDirty = 1;
    return taken;
}

void TDocument::PutRangeObject(std::unique_ptr<TField> field, int32_t index)
{
    if (!field || field->GetDocument() != this)
        throw EInternalError("Objet de plage étranger au document");
    const bool bookmark = field->Kind == rkBookmark;
    const int32_t count = static_cast<int32_t>(FRangeObjects.size());
    FRangeObjects.insert(FRangeObjects.begin() + (index < 0 || index > count ? count : index), std::move(field));
    if (bookmark)
        BookmarkListDirty = 1;
}

void TDocument::ReserveRangeObjects(int32_t extra)
{
    ReserveMore(FRangeObjects, static_cast<size_t>(std::max(extra, 0)));
}

void TDocument::RefreshRangeObjectPositions(int32_t first, int32_t last)
{
    if (FRangeObjects.empty() || FParagraphs.empty())
        return;
    const int32_t from = std::clamp(first, 0, ParagraphCount() - 1);
    const int32_t to = std::clamp(last, from, ParagraphCount() - 1);
    for (int32_t index = from; index <= to; ++index) {
        const TParagraph* paragraph = FParagraphs[static_cast<size_t>(index)].get();
        for (TRecordCursor cursor(*paragraph); cursor.Next();) {
            const TInlineControl& record = cursor.Record();
            if (!IsAnchorCode(record.Code))
                continue;
            if (TField* field = FObjects.GetField(record.Argument)) {
                TTextPosition& end = record.Code == icRangeStart ? field->Range.Start : field->Range.End;
                MakeTextPos(paragraph->Index, cursor.Chars(), end);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Section headers and the caret

void TDocument::ChangeSectionHeaders(TSection& section, TField* const (&references)[6], TUpdateRange& update,
                                     TOperation* op)
{
    auto step = std::make_unique<TChangeSectionHeadersOperation>(this, &section, references);
    TUpdateRange local;
    step->Undo(local);
    FUndoManager->MergeUpdateRange(update, local);
    if (op)
        op->AddStep(std::move(step));
}

void TDocument::GoToPosition(int32_t paragraph, int32_t offset)
{
    SetSelection(paragraph, offset, paragraph, offset);
    if (TDocumentLayout* layout = GetDocumentLayout())
        layout->UpdateCaret(*this);
}
