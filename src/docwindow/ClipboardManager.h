#pragma once
// The clipboard manager: the one place where the word processor talks to the
// clipboard. It registers the program's formats, opens the clipboard with a
// bounded retry and keeps a snapshot of the formats present in their order,
// classifies the content, writes a copied range of a document in several
// formats, reads the clipboard back for a document as a fragment or a
// picture, and keeps the clip history and the note spike (ClipHistory.h,
// PiggyBank.h). The start-up creates the one instance (CreateClipboardManager)
// and the shutdown frees it. User-interface thread only.
#include "document/model/DocClipboard.h"
#include "document/model/TextPosition.h"
#include "platform/win/WinTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TBitmap;
class TClipHistoryItem;
class TDataObject;
class TDocument;
class TPiggyBank;

enum TClipboardContentKind : uint8_t {
    ckNone = 0,
    ckPlainText = 1,
    ckRichText = 2,
    ckPicture = 3,
};

// Flags of CopyToClipboard.
constexpr uint8_t cfRectangular = 1;    // add the "Rectangular Selection" marker
constexpr uint8_t cfNotWholeWords = 2;  // add the "Not Whole Words Selection" marker

// A row of the paste-special table.
struct TPasteSpecialFormat {
    uint32_t Format;
    const char* Name;
};
constexpr int32_t PasteSpecialFormatCount = 5;

class TClipboardManager : public TDocClipboard {
public:
    // Registers the program's formats; owner is the window that opens the
    // clipboard (the application's hidden window).
    explicit TClipboardManager(HWND owner);
    ~TClipboardManager() override;
    TClipboardManager(const TClipboardManager&) = delete;
    TClipboardManager& operator=(const TClipboardManager&) = delete;

    // The registered formats.
    uint32_t RtfFormat() const { return FRtfFormat; }
    uint32_t RectangularFormat() const { return FRectangularFormat; }
    uint32_t NotWholeWordsFormat() const { return FNotWholeWordsFormat; }
    const TPasteSpecialFormat (&PasteSpecialFormats() const)[PasteSpecialFormatCount] { return FPasteSpecial; }

    // The coding of the document that made the last copy.
    int32_t CopiedDocumentCoding = 0;

    // --- Opening and the snapshot ---------------------------------------------
    // Data dragged over a document window: while set (for the length of one
    // drop-target call), opening reads it instead of the clipboard, exactly
    // as if it were the clipboard's content. nullptr returns to the clipboard.
    void SetDragSource(const TDataObject* data) { FDragSource = data; }
    const TDataObject* DragSource() const { return FDragSource; }
    bool Open(int32_t timeoutMs) override;
    void Close() override;
    bool IsOpen() const { return FIsOpen; }
    // The formats found at the last open, in their order.
    const std::vector<uint32_t>& Formats() const { return FFormats; }
    bool HasFormat(uint32_t format) const;
    // The bytes of a format's block; empty when it is absent.
    std::string GetData(uint32_t format) const;
    TClipboardContentKind GetContentKind() const;
    bool HasTextData() override { return FPastingHistoryItem || GetContentKind() != ckNone; }
    bool HasPlainTextOnly() override { return GetContentKind() == ckPlainText; }
    bool HasTextFormat() override;
    bool HasRectangularSelection() override { return HasFormat(FRectangularFormat); }
    bool HasNotWholeWords() override { return HasFormat(FNotWholeWordsFormat); }
    bool PastingHistoryItem(uint32_t& format) override;
    // The text format to paste plain text from (-1: none); the format a
    // default paste takes.
    int32_t GetBestTextFormat() const;
    int32_t GetPreferredFormat() const;
    static bool IsPictureFormat(uint32_t format);
    // The language of the clipboard's text from CF_LOCALE; 0 without one.
    int32_t GetClipboardLanguage() const;

    // --- Writing ------------------------------------------------------------------
    // Puts the range of the document on the (open) clipboard: rich text, then
    // plain text or, for a single picture, the picture; then the markers the
    // flags ask for. False when a writer failed; the document's copy flag is
    // cleared whatever happens.
    bool CopyToClipboard(TDocument& document, const TTextRange& range, uint8_t flags);
    // The copy command: opens the clipboard, copies the selection (marked
    // when it does not take whole words), closes it; a failure is told to the
    // user ("Erreur lors de la copie dans le Presse-papiers..."). False when
    // nothing was copied.
    bool CopySelection(TDocument& document);
    // A string alone on the (open) clipboard as 8-bit text; nothing for an
    // empty string.
    bool SetText(const std::string& text);

    // --- Reading ---------------------------------------------------------------------
    bool ReadClipboard(TDocument& target, TMemory& buffer, bool plainText, uint32_t format,
                       TClipboardReadResult& result, TUpdateRange& update, TOperation* op) override;
    bool ReadNoteSpike(TDocument& target, TMemory& buffer, int32_t& paragraphs, TUpdateRange& update,
                       TOperation* op) override;

    // --- Clip history ------------------------------------------------------------------
    // The number of items kept (0: no history).
    int32_t HistoryLimit = 10;
    // The note spike collects every new content instead of the history.
    bool AutoCollect = false;
    int32_t HistoryCounter = 0;
    const std::vector<std::unique_ptr<TClipHistoryItem>>& History() const { return FHistory; }
    // Captures the open clipboard's content as the newest item.
    void AddHistoryItem();
    // Pastes item index into the document (operation 15) and makes it the
    // newest.
    void PasteHistoryItem(int32_t index, TDocument& target);
    TClipHistoryItem* PastingItem() const { return FPastingHistoryItem; }

    // --- Note spike ------------------------------------------------------------------------
    TPiggyBank& GetPiggyBank();
    bool PiggyBankExists() const { return FPiggyBank != nullptr; }
    // Shows the note spike's document and saves it under a name the user
    // chooses (the document dispatcher's Save As); true when it was saved.
    // Without it the note spike cannot be saved at exit.
    std::function<bool(TDocument& document)> SaveNoteSpike;

    // --- Exit ---------------------------------------------------------------------------------
    // The questions before the program ends: a note spike that holds
    // something is offered for saving; what the program leaves on the
    // clipboard (fragments of an encrypted document, more than 128 KB) may
    // be taken off it. False refuses the exit.
    bool CloseQuery();

private:
    bool Available(uint32_t format) const;
    bool ReadFragment(TDocument& target, TMemory& buffer, uint32_t format, TClipboardReadResult& result,
                      TUpdateRange& update, TOperation* op);
    bool ReadPicture(TDocument& target, TMemory& buffer, uint32_t format);
    std::string PictureOfObject(TDocument& document, const TTextPosition& position);

    HWND FOwner;
    uint32_t FRtfFormat = 0;
    uint32_t FFileGroupDescriptorFormat = 0;
    uint32_t FFileContentsFormat = 0;
    uint32_t FRectangularFormat = 0;
    uint32_t FNotWholeWordsFormat = 0;
    TPasteSpecialFormat FPasteSpecial[PasteSpecialFormatCount];
    std::vector<uint32_t> FFormats;
    bool FIsOpen = false;
    bool FOpenOnDragSource = false;
    const TDataObject* FDragSource = nullptr;
    std::vector<std::unique_ptr<TClipHistoryItem>> FHistory;
    TClipHistoryItem* FPastingHistoryItem = nullptr;
    std::unique_ptr<TPiggyBank> FPiggyBank;
};

// A packed DIB (a CF_DIB block) checked against its block: the header's size,
// the colour table and the pixel rows must lie within it. False for a block
// that is not a whole DIB; the bitmap then stays as it was.
bool BitmapFromPackedDib(const std::string& block, TBitmap& bitmap);
// The picture as a packed DIB.
std::string PackedDibOfBitmap(TBitmap& bitmap);

// The program's one clipboard manager, made by the start-up and freed by the
// shutdown; it serves the document model's paste while it exists.
void CreateClipboardManager(HWND owner);
void FreeClipboardManager();
TClipboardManager* GetClipboardManager();
