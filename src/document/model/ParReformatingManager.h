#pragma once
// A document's re-layout queue. Edits do not lay paragraphs out at once: they
// queue the index of each paragraph they touch here, and the queue is drained
// when the view is not busy (no mouse operation or ruler drag): each queued
// paragraph is laid out again, its lines keep their places on their pages
// when nothing that matters to pagination changed, and one merged update
// record goes to the undo manager's view update, which re-paginates from the
// first changed page and repaints. The document creates its queue and frees
// it with itself.
#include "document/operations/SubOperation.h"

#include <cstdint>
#include <vector>

class TDocument;
class TPage;
class TParLine;

// A line's place on its page, kept while its paragraph is laid out again.
struct TParLineOnPageInfo {
    explicit TParLineOnPageInfo(const TParLine& line);
    // Writes page, slot, top and column into a line (a new line standing in
    // for the one the snapshot was made of).
    void Apply(TParLine& line) const;

    TPage* Page;
    int32_t PageIndex;
    int32_t Top;
    uint8_t Overlap;
    int32_t Column;
    int32_t Height;
};

class TParReformatingManager {
public:
    explicit TParReformatingManager(TDocument* document);
    TParReformatingManager(const TParReformatingManager&) = delete;
    TParReformatingManager& operator=(const TParReformatingManager&) = delete;

    TDocument* GetDocument() const { return FDocument; }
    // Appends the index unless it is already queued.
    void AddParagraph(int32_t index);
    bool HasPending() const { return !FQueue.empty(); }
    // The queued indices, oldest first.
    const std::vector<int32_t>& Queue() const { return FQueue; }
    // Takes an index out of the queue once it has been laid out again.
    void RemoveParagraph(int32_t index);
    // The paragraphs from index were replaced, oldCount by newCount: queued
    // indices behind them move, those of paragraphs that went are dropped.
    void ParagraphsReplaced(int32_t index, int32_t oldCount, int32_t newCount) noexcept;

    // Lays one paragraph out again (the edit changed it from the line
    // firstChangedLine on) and fills the record: its first paragraph and
    // page are where pagination must start again, or none when the lines
    // kept their places (those from the line before the changed one are
    // then recorded for repainting). A paragraph that pagination must look
    // at anyway (not paginated yet, holding a break after the change, lines
    // of different widths, a note mark, a header or footer paragraph) only
    // loses its lines; pagination lays it out.
    void ReformatParagraph(int32_t index, int32_t firstChangedLine, TUpdateRange& update);
    // Drains the queue from its end, merging the paragraphs' records into
    // `merged` (the earlier start wins); nothing while the view is busy.
    // True when paragraphs were laid out again.
    bool ReformatQueued(TUpdateRange& merged);
    // Drains the queue from its end and hands the merged record to the
    // view update. False when nothing was queued; true otherwise, also when
    // the view is busy, in which case nothing is done and the queue waits
    // for a later call.
    bool ReformatPending();

private:
    std::vector<int32_t> FQueue;
    TDocument* FDocument;
};
