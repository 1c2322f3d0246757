#pragma once
// The format palette: the user's named character formats, applied with one
// click. The items are the styles 1 .. n of a hidden document (style 0 is its
// default style), kept in a ".fpl" file (a document in the native format).
// The palette window edits them; the floating palette applies them.
#include "foundation/CharFormat.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/Lists.h"
#include "platform/framework/dialogs/CommonDialogs.h"
#include "shell/BaseForms.h"

#include <functional>
#include <memory>
#include <string>

class TCanvas;
class TDocument;
class TFormatPalette;
class TStyle;

constexpr int32_t PaletteItemHeight = 23;
// The commands the palette runs or offers.
constexpr int32_t cmdShowFormatPalette = 7040;
constexpr int32_t cmdToggleFloatingPalette = 7060;
constexpr int32_t cmdToggleFloatingPaletteShown = 7065;
constexpr int32_t cmdNormalMouseTool = 700;
constexpr int32_t cmdFormatBrush = 702;
constexpr int32_t cmdFormatCopier = 706;

// The default file name of the palette.
extern const char* const DefaultPaletteFileName;

class TFormatPaletteForm : public TEldravinForm {
public:
    TFormatPaletteForm(TComponent* owner, TFormatPalette& palette);

    TListBox* ItemListBox;
    TButton* MoveUpBtn;
    TButton* MoveDownBtn;
    TEdit* NameEdit;
    TMemo* ParamsMemo;
    TButton* EditParamsBtn;
    TButton* AddItemBtn;
    TButton* FormatCopierBtn;
    TButton* DeleteItemBtn;
    TButton* LoadPaletteBtn;
    TButton* BuiltInPaletteBtn;
    TButton* SavePaletteBtn;
    TCheckBox* FloatingChkBx;
    TButton* CloseBtn;

    int32_t SelectedIndex() const { return FSelected; }
    void SelectItem(int32_t index);
    void RefreshSelection(bool repaint);

    void MoveItem(int32_t delta);
    void AddItemBtnClick();
    void DeleteItemBtnClick();
    void NameEditChange();
    void EditParamsBtnClick();
    void FormatCopierBtnClick();
    void LoadPaletteBtnClick();
    void BuiltInPaletteBtnClick();
    void SavePaletteBtnClick();
    void FloatingChkBxClick();

private:
    TFormatPalette& FPalette;
    int32_t FSelected = -1;
    bool FUpdating = false;
};

class TFloatingFormatPaletteForm : public TForm {
public:
    TFloatingFormatPaletteForm(TComponent* owner, TFormatPalette& palette);
    TListBox* ItemListBox = nullptr;
    // Gives the list one row per item, then the selection that matches.
    void Refill();
    // The height that whole rows of items take, from a height being sized to.
    static int32_t SnapHeight(int32_t height, int32_t nonClientHeight);
    void ItemClick();

protected:
    void Resize() override;

private:
    TFormatPalette& FPalette;
    bool FUpdating = false;
};

class TFormatPalette {
public:
    // Loads the palette file, or builds the palette from the resource when
    // there is none or it cannot be read.
    TFormatPalette();
    // Saves the palette when it was shown during the run (unless settings are
    // not to be saved), then frees the windows.
    ~TFormatPalette();
    TFormatPalette(const TFormatPalette&) = delete;
    TFormatPalette& operator=(const TFormatPalette&) = delete;

    bool Modified = false;
    TDocument& PaletteDocument() { return *FDocument; }
    TFormatPaletteForm* PaletteForm() const { return FPaletteForm; }
    TFloatingFormatPaletteForm* FloatingForm() const { return FFloatingForm; }

    // The file the palette is read from: the user's copy, else the one beside
    // the program. A name with a folder is taken as it stands.
    static std::string PaletteFileToRead();
    // The file the palette is saved to: in the user's data folder, never the
    // program folder.
    static std::string PaletteFileToWrite();

    void LoadBuiltInPalette();
    // Replaces the items by those of a document file; a file that cannot be
    // read leaves the styles of a new document. True when it was read.
    bool LoadPaletteFile(const std::string& fileName);
    // Writes the items as a document in the native format.
    bool SavePaletteFile(const std::string& fileName);

    int32_t ItemCount() const;
    // Items by style index (1 .. ItemCount).
    TStyle& Item(int32_t styleIndex);
    // A new item with no slot set, named "Modèle de format %d" with the
    // smallest free number; returns its style index.
    int32_t AddItem();
    void DeleteItem(int32_t styleIndex);
    void SwapItems(int32_t a, int32_t b);

    void ShowPalette();
    void UpdateFloatingPalette();
    void SyncFloatingSelection();
    bool ItemMatchesCurrentFormat(int32_t styleIndex) const;
    int32_t FindMatchingItem() const;
    std::string GetMatchingItemName() const;
    // A format picked in a document becomes a new item (the highlight left out).
    void SetSelectedItemFormat(const TCharFormat& format);
    // Draws the item on the canvas (none: only measures); width receives the
    // measured width.
    void DrawItem(int32_t styleIndex, TCanvas* canvas, const TRect& rect, bool selected, bool marked,
                  int32_t& width);
    // The format an item is drawn with: the default format with the item's
    // set slots over it, a symbol font replaced by the default font, the size
    // kept between 4 and 14 points.
    TCharFormat DrawingFormat(int32_t styleIndex) const;

    // What the palette asks of the shell: the active document, a command
    // run, whether the mouse tool is the format brush and the brush command
    // is enabled; and the floating palette's options.
    std::function<TDocument*()> ActiveDocument;
    std::function<void(int32_t command)> RunCommand;
    std::function<bool()> FormatBrushActive;
    std::function<bool()> FormatBrushEnabled;
    bool FloatingEnabled = false;
    bool FloatingShown = true;
    TRect FloatingRect{0, 0, 0, 0};

private:
    std::unique_ptr<TDocument> NewPaletteDocument();

    std::unique_ptr<TDocument> FDocument;
    TFormatPaletteForm* FPaletteForm = nullptr;
    TFloatingFormatPaletteForm* FFloatingForm = nullptr;
};

// The program-wide palette, made on first use and freed at shutdown.
TFormatPalette& GetFormatPalette();
bool FormatPaletteExists();
void FreeFormatPalette();
