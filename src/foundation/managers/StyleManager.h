#pragma once
// The program-wide style manager: the default style sheet that new documents
// and the import of the Normal style draw on, and the 92 standard style names
// in their internal (English) and displayed (French) forms.
#include "foundation/managers/Style.h"

#include <cstdint>
#include <memory>
#include <string>

class TTabManager;

constexpr int32_t StandardStyleCount = 92;
// "Normal", "Heading 1" ... "TOC Title" by standard number; empty beyond.
const std::string& StandardStyleName(int32_t number);
// "Normal", "Titre 1" ... "Titre TM".
const std::string& StandardStyleDisplayName(int32_t number);

// Gives each style of the list its standard number by its name (compared
// without regard to the case of the letters a to z), display names first,
// then internal names, the first match in table order: a match makes the
// style standard with the table's two names; no match makes it a style of the
// user's whose display name is its name.
void IdentifyStandardStyles(TStyleList& list);

// What FindOrAddStyle leaves for its caller.
struct TFindOrAddStyleResult {
    // The copy of the list with the style added (null when nothing was added).
    std::unique_ptr<TStyleList> NewList;
    int32_t StyleIndex = -1;
    uint8_t Changed = 0;
};

class TStyleManager {
public:
    // Builds the default style sheet; its Normal style uses the font of the
    // registered-font index given (the font manager's Arial).
    explicit TStyleManager(int32_t arialFontIndex);
    ~TStyleManager();
    TStyleManager(const TStyleManager&) = delete;
    TStyleManager& operator=(const TStyleManager&) = delete;

    TStyleList& DefaultStyles() { return *FDefaultStyles; }
    TTabManager& DefaultTabs() { return *FDefaultTabs; }
    // While set, IdentifyStandardStyles does nothing.
    uint8_t IdentificationOff = 0;

    void IdentifyStandardStyles(TStyleList& list);
    // Adds the default sheet's "Normal" to the list when it has no style of
    // that name.
    void ImportDefaultStyle(TStyleList& target);
    // The style the user typed in the style box. An existing style (by display
    // name, then name) is chosen; for an unknown name the user is asked whether
    // to add it with the selection's formats, based on the selection's style,
    // into a copy of the list left in the result. False when nothing is chosen.
    bool FindOrAddStyle(const TStyleList& list, const std::string& text, TFindOrAddStyleResult& result,
                        const TParFormat& parFormat, const TCharFormat& charFormat);

private:
    std::unique_ptr<TTabManager> FDefaultTabs;
    std::unique_ptr<TStyleList> FDefaultStyles;
};

// The program-wide instance; null outside CreateStyleManager and
// FreeStyleManager. Creating it needs the font manager (for Arial).
TStyleManager* GetStyleManager();
void CreateStyleManager();
void FreeStyleManager();
