#pragma once
// A document's re-layout queue. Edits do not lay paragraphs out at once: they
// queue the index of each paragraph they touch here, and layout drains the
// queue when the view is not busy. The document creates its queue and frees it
// with itself; layout, which lies above the document model, drains it.
#include <cstdint>
#include <vector>

class TDocument;

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

private:
    std::vector<int32_t> FQueue;
    TDocument* FDocument;
};
