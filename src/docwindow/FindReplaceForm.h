#pragma once
// The find-and-replace window: a modeless dialog that stays on top of the
// frame and works on the active document. It searches the story being
// edited (the body, or the header or footer being edited) forward or
// backward from the selection, across paragraph ends when the search text
// holds paragraph marks, replaces one occurrence or all of them as undoable
// operations, and offers to go on from the other end of the text.
#include "document/text/TextSearch.h"
#include "platform/framework/Forms.h"

#include <functional>
#include <string>
#include <vector>

class TButton;
class TCheckBox;
class TComboBox;
class TDocument;
class TLabel;
class TMenuItem;
class TPageControl;
class TPanel;
class TPopupMenu;
class TSpeedButton;
class TTabSheet;

// Kinds of RunSearchCommand (the command ids 3645 to 3648 less 3645).
constexpr int32_t skFindNext = 0;
constexpr int32_t skReplace = 1;
constexpr int32_t skRepeat = 2;
constexpr int32_t skReplaceAll = 3;
constexpr int32_t skNone = 4;

// The program event of a successful find.
constexpr int32_t evTextFound = 2500;
// The wrap prompt is answered No without asking after this many Yes in one command.
constexpr int32_t MaxWrapPrompts = 32;
// The most entries a history box keeps.
constexpr int32_t MaxSearchHistory = 20;

class TFindReplaceForm : public TForm {
public:
    explicit TFindReplaceForm(TComponent* owner);
    ~TFindReplaceForm() override;

    // The document the window works on (the shell gives the active one).
    std::function<TDocument*()> ActiveDocument;
    // The option that fills the search box from the document on opening.
    bool FindWordAtCursor = true;

    // Opens the window on the page (0 find, 1 replace).
    void ShowFindReplaceForm(int32_t page);
    // The search commands; see the sk constants.
    void RunSearchCommand(int32_t kind);

    void FindNext();
    void ReplaceNext();
    void ReplaceAll();

    // The newest entry first; at most MaxSearchHistory entries.
    void AddToHistory(TComboBox& box, const std::string& text);
    void UpdateControls();
    void ShowAtBottom();
    // The caret goes to the end of the text searched; true when the user
    // wants to go on from the other end.
    bool AskWrapAround(TDocument& document);

    // The special-character menu of a box (its items, one per caret code the
    // box accepts, with the row index as tag), and the choice of one of them.
    void BuildSpecialCharMenu(bool forSearchBox);
    void PopupSpecialCharMenu(bool forSearchBox);
    void SpecSymbItemClick(bool forSearchBox, int32_t row);
    // The captions of the menu as last built, and a click on one of its items.
    std::vector<std::string> SpecialCharMenuCaptions() const;
    void ClickSpecialCharMenuItem(int32_t index);

    uint8_t FindTextFlags = 0;
    int32_t LastCommandKind = skNone;
    uint8_t FindDone = 0;
    uint8_t ReplaceDone = 0;
    uint8_t Page = 0;
    // Yes answers to the wrap prompt during the current command.
    int32_t WrapPromptCount = 0;

    TPageControl* PageControl = nullptr;
    TTabSheet* FindTabSheet = nullptr;
    TTabSheet* ReplaceTabSheet = nullptr;
    TPanel* Panel = nullptr;
    TLabel* TextToFindLabel = nullptr;
    TComboBox* TextToFindComboBox = nullptr;
    TLabel* TextToReplaceByLabel = nullptr;
    TComboBox* TextToReplaceByComboBox = nullptr;
    TSpeedButton* AddSpecSymbToFindEditSpeedBtn = nullptr;
    TSpeedButton* AddSpecSymbToReplaceEditSpeedBtn = nullptr;
    TCheckBox* CaseSensitiveCheckBox = nullptr;
    TCheckBox* WholeWordsOnlyCheckBox = nullptr;
    TComboBox* DirectionComboBox = nullptr;
    TButton* FindNextBtn = nullptr;
    TButton* ReplaceBtn = nullptr;
    TButton* ReplaceAllBtn = nullptr;
    TButton* CloseBtn = nullptr;

private:
    void CreateControls();
    void OptionControlChange();
    void PageControlChange();
    bool CheckSearchText();
    bool Forward() const { return !(FindTextFlags & ftUpward); }
    // Makes the match the selection with the caret at its end and scrolls to it.
    void SelectMatch(TDocument& document, const TSearchResult& match);
    void ShowNotFound();
    void MoveCaret(TDocument& document, int32_t paragraph, int32_t offset);

    std::vector<TSearchPart> FParts;
    uint8_t FUpdating = 1;
    TPopupMenu* FSpecialMenu = nullptr;
};
