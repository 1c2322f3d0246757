#pragma once
// Applying page set-up or column settings "to" a part of the document: the
// scopes the page-setup and column dialogs offer, and the operation that
// inserts the section breaks a scope needs and changes the sections inside it.
#include "document/model/TextPosition.h"

#include <cstdint>
#include <string>

class TDocument;
class TOperation;
class TStrings;
struct TUpdateRange;

enum TApplyToScope : uint8_t {
    atWholeDocument = 0,
    atFromHere = 1,
    atSelection = 2,
    atThisSection = 3,
    atSelectedSections = 4,
};
constexpr uint8_t ApplyToScopeCount = 5;
constexpr uint8_t NoApplyToScope = 255;

// Display name of a scope ("à tout le document", ...); empty outside the codes.
std::string ApplyToScopeName(uint8_t scope);

// The scopes offered in the document's present state, in list order, each
// item carrying its code as its object; defaultScope (255: none yet) becomes
// the first item's code unless it is kept.
void FillApplyToScopes(TDocument& document, TStrings& list, uint8_t& defaultScope);

// Modes of ApplySectionFormatToScope.
constexpr uint8_t sfPageSetup = 0;
constexpr uint8_t sfColumns = 1;

// Applies page parameters (mode sfPageSetup, settings a TPageParams) or
// column settings (any other mode, settings a TSectionSettings) to the scope
// as one undoable operation, inserting the section breaks the scope needs.
// On failure the document is left as it was and the exception goes on.
void ApplySectionFormatToScope(TDocument& document, uint8_t scope, uint8_t mode, const void* settings);

// Inserts a section break at the position within the running operation and
// removes the empty paragraph that would be left; returns the position of
// the text that followed the break.
TTextPosition InsertSectionBreakAt(TDocument& document, TTextPosition position, TUpdateRange& update,
                                   TOperation* op);

// The range widened to whole page groups: from the first paragraph of the
// start's page-setup section to the last paragraph of the end's section and of
// the sections that follow it on the same page (continuous breaks). Offsets
// are kept.
void ExtendRangeToSections(TDocument& document, const TTextRange& range, TTextRange& out);
