#pragma once
// TFormatTabsOperation: a change of tab settings. The document's interval of
// default tab stops is exchanged with the one the step stores (the whole
// document is laid out again); the paragraphs of the range take the tab table
// the step names through a paragraph-format change kept in a nested
// operation, made on the first application and replayed afterwards.
#include "document/model/Document.h"
#include "document/operations/SubOperation.h"

#include <memory>

class TOperation;

class TFormatTabsOperation : public TSubOperation {
public:
    TFormatTabsOperation(TDocument* document, const TTabChange& change);
    ~TFormatTabsOperation() override;

    int64_t MemorySize() const override;
    void Undo(TUpdateRange& update) override;

private:
    TTabChange FChange;
    std::unique_ptr<TOperation> FNested;
    uint8_t FApplied = 0;
    // The paragraphs hold the new table now.
    bool FInForce = false;
};
