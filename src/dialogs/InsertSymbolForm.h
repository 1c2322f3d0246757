#pragma once
// The symbol window: the character map of a chosen font and language, with
// the special typographic characters on a second page. Modeless and on top,
// it inserts the picked character into the active document; used modally it
// picks a character for another dialog.
#include <cstdint>
#include <functional>
#include <string>

#include "dialogs/CharMap.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Lists.h"
#include "platform/framework/controls/Tabs.h"
#include "shell/BaseForms.h"

class TDocument;

// One special character: its code (code page 1252), its name and the
// command that inserts it.
struct TSpecialCharEntry {
    uint8_t Character;
    const char* Name;
    int32_t Command;
};
constexpr int32_t SpecialCharCount = 17;
extern const TSpecialCharEntry SpecialChars[SpecialCharCount];

class TInsertSymbolForm : public TEldravinForm {
public:
    explicit TInsertSymbolForm(TComponent* owner);
    ~TInsertSymbolForm() override;

    TPageControl* PageControl;
    TTabSheet* CharMapPage;
    TTabSheet* SpecialPage;
    TLabel* FontLbl;
    TComboBox* FontCmbBx;
    TLabel* LangLbl;
    TComboBox* LangCmbBx;
    TCharMapControl* CharMap;
    TLabel* CharHeadLbl;
    TLabel* KeysHeadLbl;
    TListBox* SpecialLstBx;
    TButton* SaveAsInsertBtn;
    TButton* InsertBtn;
    TButton* CloseBtn;

    // The window serves a picking dialog (modal, no special page).
    bool PickMode() const { return FPickMode; }

    // Shows the font, the language and the character on the first page.
    void SelectSymbol(const std::string& fontName, int32_t language, uint8_t character);
    // Refills the font and language lists and brings them in line with the map.
    void RefreshFontLists();
    // The lists follow the map: its font (or "Symbol"), its language; the
    // language controls are hidden for a symbol font, the font controls in
    // pick mode.
    void SyncLists();
    // "Insérer" is enabled when the filter admits the selected character; the
    // frame's status bar shows its code while the first page is active.
    void UpdateStatus();
    // The character set operation 48 gives the character.
    uint8_t InsertCharset() const;
    // What "Insérer" and a double click do.
    void InsertClick();

    // The document the window inserts into (default: the command manager's
    // target document).
    std::function<TDocument*()> TargetDocument;
    // Runs the command of a special character (default: the command manager).
    std::function<void(int32_t command)> RunCommand;

    // "&Enregistrer comme insert": the symbol, or the special character, in a
    // new RTF document in the folder "Symboles" of the clip library; the
    // file's name, empty when it could not be written.
    std::string SaveAsInsert();

    // Used by PickSymbolChar.
    uint8_t Pick(const std::string& fontName, int32_t language, const TGlyphFilter* filter);

protected:
    void Activate() override;
    void Deactivate() override;

private:
    void FontChange();
    void LangChange();
    void SpecialDrawItem(TCanvas& canvas, int32_t index, const TRect& rect, TOwnerDrawState state);
    void StoreInOptions();
    bool FPickMode = false;
    bool FFilling = false;
};

// The one symbol window of the run, made on first use and shown (brought to
// the front when visible).
TInsertSymbolForm* ShowInsertSymbolForm();
// The window when it was made, else null.
TInsertSymbolForm* InsertSymbolFormInstance();
// Frees the window (at shutdown).
void FreeInsertSymbolForm();
// Picks a character of the font and language in the symbol window shown
// modally, offering only what the filter admits (null: everything); 0 when
// cancelled.
uint8_t PickSymbolChar(const std::string& fontName, int32_t language, const TGlyphFilter* filter);

// The languages the language list offers, one for each character set.
const std::vector<int32_t>& SymbolLanguages();
