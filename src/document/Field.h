#pragma once
// Range objects: fields (hyperlinks among them), bookmarks, note references
// and header and footer anchors. In the text a range object is bracketed by a
// start record (code 26) and an end record (code 27) whose arguments are the
// object's handle in its document's object table. The document's range-object
// list owns them.
#include "document/ObjectTable.h"
#include "document/TextPosition.h"

#include <bitset>
#include <cstdint>
#include <string>

class TDocument;

// Range-object kinds.
enum TFieldKindByte : uint8_t {
    rkField = 0,          // a field; a hyperlink is a field of type 88
    rkBookmark = 1,       // its name is the instruction text
    rkReserved2 = 2,      // handled by the bookmark and field operations
    rkNoteReference = 3,
    rkHeaderFooter = 5,
};

// A set of field types (the type numbers of the Word binary format, below 96).
using TFieldTypeSet = std::bitset<96>;
// The field types whose result depends on the page on which the field is shown:
// NUMPAGES (26), PAGE (33), SECTION (65) and SECTIONPAGES (66).
const TFieldTypeSet& PageDependentFieldTypes();

// Range objects whose formatting ends with them: the format in force after
// their end record does not reach back to the character before it.
bool ClosesFormattedRun(uint8_t kind);

class TField {
public:
    TField(TDocument* document, uint8_t kind);
    ~TField();
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TDocument* GetDocument() const { return FDocument; }
    TObjectHandle Handle() const { return FHandle; }

    uint8_t Kind;
    // Where the object stands; kept up to date by the editing code.
    TTextRange Range;
    uint8_t StartsInside = 0;
    uint8_t EndsInside = 0;
    // The field type (the type numbers of the Word binary format).
    uint8_t Type = 0;
    std::string Instruction;
    // For a note: 1 endnote, 0 footnote.
    uint8_t Endnote = 0;
    int32_t Number = 0;
    // For a note reference: the note its number belongs to.
    TField* NoteRecord = nullptr;
    int32_t Numbered = 0;
    std::string Result;
    std::string KeptResult;

private:
    TDocument* FDocument;
    TObjectHandle FHandle = NoObjectHandle;
};
