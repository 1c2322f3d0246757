#pragma once
// TFormatStyleListOperation: the document's style list replaced by another
// one. The paragraphs follow: those whose style was deleted take the style of
// the same name in the new list, or else that of their nearest remaining
// ancestor; styles after a deleted one move down; paragraphs of deleted and
// changed styles take their new style's formats again. Those paragraph and
// text changes are kept in a nested operation.
#include "document/operations/SubOperation.h"

#include <cstdint>
#include <memory>
#include <vector>

class TOperation;
class TStyleList;
struct TTextRange;

// What a style-list change carries.
class TFormatStyleListInfo {
public:
    TFormatStyleListInfo();
    ~TFormatStyleListInfo();
    TFormatStyleListInfo(const TFormatStyleListInfo&) = delete;
    TFormatStyleListInfo& operator=(const TFormatStyleListInfo&) = delete;

    // The other style list: the new one before the change is applied, the
    // old one afterwards.
    std::unique_ptr<TStyleList> Styles;
    // Indices into the old list of the styles the change deletes and of
    // those it changes.
    std::vector<int32_t> Deleted;
    std::vector<int32_t> Changed;
    // With Apply set: the style the selected paragraphs take afterwards.
    int32_t StyleIndex = -1;
    uint8_t Apply = 0;

    int64_t MemorySize() const;
};

class TFormatStyleListOperation : public TSubOperation {
public:
    TFormatStyleListOperation(TDocument* document, std::unique_ptr<TFormatStyleListInfo> info);
    ~TFormatStyleListOperation() override;

    int64_t MemorySize() const override;
    void Undo(TUpdateRange& update) override;
    void Redo(TUpdateRange& update) override;

    const TFormatStyleListInfo& Info() const { return *FInfo; }

private:
    void Remap(TUpdateRange& update);
    void ReplayNested(bool undo, TUpdateRange& update);

    std::unique_ptr<TOperation> FNested;
    uint8_t FApplied = 0;
    std::unique_ptr<TFormatStyleListInfo> FInfo;
};

// A style's formats applied to a range of paragraphs: the paragraphs take the
// style and its paragraph format, their text its character format (the
// highlight colour and the language kept).
void ApplyStyleFormats(TDocument& document, const TTextRange& range, int32_t styleIndex, TUpdateRange& update,
                       TOperation* op);
