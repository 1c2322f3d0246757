#pragma once
// The note spike ("Pique-notes"): a hidden document to which copied fragments
// are appended one after the other, and which can be pasted as a whole,
// emptied, shown and saved. Held by the clipboard manager, made on first use.
#include "document/model/TextPosition.h"

#include <memory>

class TDocument;
class TMemory;
struct TUpdateRange;
class TOperation;

class TPiggyBank {
public:
    TPiggyBank();
    ~TPiggyBank();
    TPiggyBank(const TPiggyBank&) = delete;
    TPiggyBank& operator=(const TPiggyBank&) = delete;

    TDocument& Document() const { return *FDocument; }
    // A new empty note spike document in place of the old one.
    void CreateDocument();
    // One paragraph holding only its mark.
    bool IsEmpty() const;
    // Empties it as one undoable step; nothing for an empty note spike.
    void Clear();
    // Appends a copy of the source's range, after a paragraph mark unless
    // the note spike is empty, as one undoable step. False when the range
    // could not be written or read again (nothing changes). A failure of the
    // step itself leaves the collected content as it was and goes on.
    bool AddSelection(TDocument& source, const TTextRange& range);
    // The whole content without its last paragraph mark as an insertion
    // buffer for the target (its InsertDocument); false when it cannot be
    // had.
    bool MakeInsertion(TDocument& target, TMemory& buffer, int32_t& paragraphs, TUpdateRange& update,
                       TOperation* op);

private:
    std::unique_ptr<TDocument> FDocument;
};
