#pragma once
// Range objects: fields (hyperlinks among them), bookmarks, note references
// and header and footer anchors. In the text a range object is bracketed by a
// start record (code 26) and an end record (code 27) whose arguments are the
// object's handle in its document's object table. The document's range-object
// list owns them.
#include "document/model/ObjectTable.h"
#include "document/model/TextPosition.h"

#include "platform/runtime/DateTime.h"

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
// The type is below 96 and in the set.
bool FieldTypeInSet(const TFieldTypeSet& set, uint8_t type);
// The field types whose result depends on pagination: STYLEREF (10), NUMPAGES
// (26), PAGE (33), PAGEREF (37), SECTION (65) and SECTIONPAGES (66). Field
// update lays out and paginates again before it evaluates one of them, and
// undo keeps their results in a header or footer.
const TFieldTypeSet& PageDependentFieldTypes();
// The field types whose result layout refreshes: those field update gives a
// result (STYLEREF, the document properties and dates, the counts, FILENAME,
// DATE, TIME, PAGE, PAGEREF, SECTION, SECTIONPAGES and FILESIZE). Updating
// "all fields" and stamping a header or footer for a page take these; a
// field of any other type (a table of contents, a hyperlink, a symbol) keeps
// its text.
const TFieldTypeSet& LayoutDependentFieldTypes();

// A field result is never longer than this.
constexpr int32_t MaxFieldResultLength = 256;

// The display name of a field type ("Lien hypertexte"); empty for a type
// without one.
const std::string& FieldTypeDisplayName(uint8_t type);

// The symbols of notes numbered in the symbol styles: "*", "†", "‡", "§".
extern const char NoteSymbols[4];

// A date and time written with a date picture in the form field instructions
// use: d dd ddd dddd (day, short and long day name), ddddd dddddd (the
// settings' short and long date), M MM MMM MMMM (month), yy yyyy (year),
// h hh (12-hour), H HH (24-hour), m mm (minutes), s ss (seconds), t tt (the
// settings' AM and PM texts), am/pm AM/PM a/p A/P, and text between single
// or double quotes as it stands. Any other character is copied.
std::string FormatFieldDateTime(const std::string& picture, TDateTime dateTime, const TFormatSettings& settings);

// Range objects whose formatting ends with them: the format in force after
// their end record does not reach back to the character before it.
bool ClosesFormattedRun(uint8_t kind);

class TField;
// For a note reference, whether its note is an endnote: the flag of the note
// record it belongs to, or its own when it has none; for any other object
// its own flag.
bool IsEndnoteReference(const TField& field);

class TField {
public:
    TField(TDocument* document, uint8_t kind);
    ~TField();
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TDocument* GetDocument() const { return FDocument; }
    TObjectHandle Handle() const { return FHandle; }
    // Moves the object to another document: it leaves the old document's
    // object table and takes a handle in the new one (records that name it
    // are translated by whoever moves it).
    void SetDocument(TDocument* document);

    // The type's display name; for a type without one, the instruction up to
    // its first blank (empty when it has no blank).
    std::string GetTypeName() const;
    // The number in the style the instruction's "\*" switch names
    // ("alphabetic", "ALPHABETIC", "roman", "ROMAN"), else in the default
    // format (decimal for one above 254), then with the case switch applied.
    std::string FormatNumber(int32_t number, int32_t defaultFormat) const;
    // The date and time in the instruction's "\@" picture, else in the
    // default picture (the program's time picture for TIME fields, its date
    // picture for the others), then with the case switch applied. A date-time
    // of 0 gives an empty text.
    std::string FormatDate(const TFormatSettings& settings, TDateTime dateTime) const;
    // The text with the instruction's case switch applied: "Upper", "Lower",
    // "FirstCap" (the first character in upper case) or "Caps" (every word
    // starting with a capital, the rest in lower case), searched in that order.
    std::string ApplyCaseSwitch(const std::string& text) const;
    // A PAGEREF field with the hyperlink switch \h.
    bool IsHyperlinkPageRef() const;
    // For a note reference: its number becomes the counter value and its
    // result the value shown in the style of the document's footnote or
    // endnote numbering (IsEndnoteReference chooses). True when the result
    // text changed.
    bool SetNoteNumber(TDocument& document, int32_t number);

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
