#include "docwindow/ClipboardManager.h"

#include "docwindow/ClipHistory.h"
#include "docwindow/PiggyBank.h"
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/model/DocObject.h"
#include "document/model/DocObjectImage.h"
#include "document/model/Document.h"
#include "document/model/DocumentFiler.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/InlineControl.h"
#include "foundation/Memory.h"
#include "foundation/MessageDlg.h"
#include "imaging/PngImage.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/Metafile.h"
#include "platform/framework/ModalResults.h"
#include "platform/ole/DataObject.h"
#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/Dib.h"
#include "platform/ole/DataObject.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"
#include "platform/win/Clipboard.h"
#include "platform/win/GlobalMemory.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

const char* const CopyErrorText =
    "Erreur lors de la copie dans le Presse-papiers. La cause peut en être une insuffisance de ressources système.";

uint32_t ReadU32(const std::string& block, size_t at)
{
    uint32_t v = 0;
    std::memcpy(&v, block.data() + at, 4);
    return v;
}

int32_t ReadI32(const std::string& block, size_t at)
{
    return static_cast<int32_t>(ReadU32(block, at));
}

uint16_t ReadU16(const std::string& block, size_t at)
{
    uint16_t v = 0;
    std::memcpy(&v, block.data() + at, 2);
    return v;
}

// Puts a block on the open clipboard; false when it did not take it.
bool PutBlock(uint32_t format, const std::string& bytes)
{
    HGLOBAL block = GlobalAllocBytes(bytes.data(), bytes.size());
    if (!block)
        return false;
    if (!SetClipboardData(format, block)) {
        GlobalFree(block);
        return false;
    }
    return true;
}

std::string BytesOf(const TMemory& memory)
{
    return std::string(reinterpret_cast<const char*>(memory.Data()), static_cast<size_t>(memory.Size()));
}

// Unicode text as 8-bit text in the code page guessed for it; charset
// receives that code page's character set.
std::string AnsiOfWide(const std::u16string& wide, int32_t& charset)
{
    const uint32_t codePage =
        GuessWideTextCodePage(wide.data(), static_cast<int32_t>(wide.size()), DefaultAnsiCodePage());
    charset = CodePageToCharset(codePage);
    return FromWide(wide, codePage);
}

std::unique_ptr<TClipboardManager> g_Manager;
TDocClipboard* g_PreviousClipboard = nullptr;

}  // namespace

// ---------------------------------------------------------------------------
// Pictures

bool BitmapFromPackedDib(const std::string& block, TBitmap& bitmap)
{
    // The header: its size, then width, height, planes, bits per pixel,
    // compression, image size and the colours used.
    if (block.size() < 12)
        return false;
    const uint32_t headerSize = ReadU32(block, 0);
    if (headerSize < 12 || headerSize > block.size())
        return false;
    int64_t width = 0, height = 0;
    uint32_t bitCount = 0, compression = 0, colorsUsed = 0;
    if (headerSize == 12) {
        width = ReadU16(block, 4);
        height = ReadU16(block, 6);
        bitCount = ReadU16(block, 10);
    } else {
        if (headerSize < 40)
            return false;
        width = ReadI32(block, 4);
        height = ReadI32(block, 8);
        bitCount = ReadU16(block, 14);
        compression = ReadU32(block, 16);
        colorsUsed = ReadU32(block, 32);
    }
    if (width <= 0 || height == 0 || width > 32768 || std::abs(height) > 32768)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    // The colour table: the colours used, else every colour of a palette
    // picture; entries of three bytes in the old header, four otherwise.
    uint64_t colors = colorsUsed;
    if (colors == 0 && bitCount <= 8)
        colors = uint64_t{1} << bitCount;
    if (bitCount <= 8 && colors > (uint64_t{1} << bitCount))
        return false;
    uint64_t tableSize = colors * (headerSize == 12 ? 3 : 4);
    constexpr uint32_t BiRgb = 0, BiBitfields = 3;
    if (compression == BiBitfields && headerSize == 40)
        tableSize += 12;
    else if (compression != BiRgb && compression != BiBitfields)
        return false;
    const uint64_t rowSize = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
    const uint64_t pixels = rowSize * static_cast<uint64_t>(std::abs(height));
    if (headerSize + tableSize > block.size() || pixels > block.size() - headerSize - tableSize)
        return false;

    TDibImage dib;
    std::string error;
    if (!ReadPackedDib(block, dib, error) || dib.Empty())
        return false;
    HBITMAP handle = CreateBitmapFromDib(std::move(dib));
    if (!handle)
        return false;
    bitmap.SetHandle(handle);
    return true;
}

std::string PackedDibOfBitmap(TBitmap& bitmap)
{
    TDibImage dib;
    if (bitmap.Empty() || !GetBitmapDib(bitmap.Handle(), &dib))
        return {};
    return WritePackedDib(dib);
}

// ---------------------------------------------------------------------------
// Construction

TClipboardManager::TClipboardManager(HWND owner) : FOwner(owner)
{
    FRtfFormat = RegisterClipboardFormat("Rich Text Format");
    FFileGroupDescriptorFormat = RegisterClipboardFormat("FileGroupDescriptor");
    FFileContentsFormat = RegisterClipboardFormat("FileContents");
    FRectangularFormat = RegisterClipboardFormat("Rectangular Selection");
    FNotWholeWordsFormat = RegisterClipboardFormat("Not Whole Words Selection");
    FPasteSpecial[0] = {CF_TEXT, "Texte sans mise en forme"};
    FPasteSpecial[1] = {CF_UNICODETEXT, "Texte UNICODE sans mise en forme"};
    FPasteSpecial[2] = {FRtfFormat, "Texte avec mise en forme (RTF)"};
    FPasteSpecial[3] = {CF_ENHMETAFILE, "Métafichier"};
    FPasteSpecial[4] = {CF_BITMAP, "Image Bitmap"};
}

TClipboardManager::~TClipboardManager()
{
    Close();
    FHistory.clear();
    FPiggyBank.reset();
}

// ---------------------------------------------------------------------------
// Opening

bool TClipboardManager::Open(int32_t timeoutMs)
{
    if (FIsOpen)
        return true;
    if (FDragSource) {
        FFormats.clear();
        for (const auto& item : FDragSource->Items())
            FFormats.push_back(item.first);
        FIsOpen = true;
        FOpenOnDragSource = true;
        return true;
    }
    if (!OpenClipboardWithin(FOwner, static_cast<uint32_t>(std::max(timeoutMs, 0))))
        return false;
    FFormats.clear();
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format))
        FFormats.push_back(format);
    FIsOpen = true;
    return true;
}

void TClipboardManager::Close()
{
    if (!FIsOpen)
        return;
    if (!FOpenOnDragSource)
        CloseClipboard();
    FOpenOnDragSource = false;
    FIsOpen = false;
}

bool TClipboardManager::HasFormat(uint32_t format) const
{
    return std::find(FFormats.begin(), FFormats.end(), format) != FFormats.end();
}

bool TClipboardManager::Available(uint32_t format) const
{
    // Dragged links only come with a dropped data object.
    return (FOpenOnDragSource || format != FFileGroupDescriptorFormat) && HasFormat(format);
}

std::string TClipboardManager::GetData(uint32_t format) const
{
    if (!FIsOpen || format == CF_BITMAP || format == CF_PALETTE)
        return {};
    if (FOpenOnDragSource) {
        std::string bytes;
        if (FDragSource)
            FDragSource->GetData(format, bytes);
        return bytes;
    }
    HANDLE handle = GetClipboardData(format);
    if (!handle)
        return {};
    const size_t size = GlobalSize(handle);
    const void* bytes = GlobalLock(handle);
    if (!bytes)
        return {};
    std::string data(static_cast<const char*>(bytes), size);
    GlobalUnlock(handle);
    return data;
}

TClipboardContentKind TClipboardManager::GetContentKind() const
{
    if (Available(FRtfFormat))
        return ckRichText;
    for (uint32_t format : FFormats) {
        if (format == CF_TEXT || format == CF_UNICODETEXT)
            return ckPlainText;
        if (format == CF_BITMAP || format == CF_METAFILEPICT || format == CF_DIB || format == CF_ENHMETAFILE)
            return ckPicture;
    }
    return ckNone;
}

bool TClipboardManager::HasTextFormat()
{
    return HasFormat(CF_TEXT) || HasFormat(CF_UNICODETEXT);
}

bool TClipboardManager::PastingHistoryItem(uint32_t& format)
{
    if (!FPastingHistoryItem)
        return false;
    format = static_cast<uint32_t>(FPastingHistoryItem->Format);
    return true;
}

int32_t TClipboardManager::GetBestTextFormat() const
{
    int32_t best = -1;
    for (uint32_t format : FFormats) {
        if (format != CF_TEXT && format != CF_UNICODETEXT)
            continue;
        if (FIsOpen && (FOpenOnDragSource ? GetData(format).empty() : !GetClipboardData(format)))
            continue;
        best = static_cast<int32_t>(format);
        break;
    }
    if (best == static_cast<int32_t>(CF_TEXT) && HasFormat(CF_UNICODETEXT))
        best = CF_UNICODETEXT;
    return best;
}

int32_t TClipboardManager::GetPreferredFormat() const
{
    switch (GetContentKind()) {
    case ckPlainText:
        return GetBestTextFormat();
    case ckRichText:
        return static_cast<int32_t>(FRtfFormat);
    default:
        if (HasFormat(CF_BITMAP))
            return CF_BITMAP;
        if (HasFormat(CF_DIB))
            return CF_DIB;
        return CF_ENHMETAFILE;
    }
}

bool TClipboardManager::IsPictureFormat(uint32_t format)
{
    return format == CF_ENHMETAFILE || format == CF_BITMAP || format == CF_DIB;
}

int32_t TClipboardManager::GetClipboardLanguage() const
{
    if (!HasFormat(CF_LOCALE))
        return 0;
    const std::string block = GetData(CF_LOCALE);
    if (block.size() < 4)
        return 0;
    const uint32_t value = ReadU32(block, 0);
    return static_cast<int32_t>(value > 1023 ? value : (value | 0x400));
}

// ---------------------------------------------------------------------------
// Writing

std::string TClipboardManager::PictureOfObject(TDocument& document, const TTextPosition& position)
{
    TDocObject* object = document.GetObjectAt(position);
    if (!object)
        return {};
    TDocObjectImage& image = object->ObjectImage();
    const uint8_t packed = image.Packed;
    if (packed)
        image.SetCompressed(false);
    std::string dib;
    try {
        TBitmap bitmap;
        if (image.Kind == 1 && image.Bitmap) {
            bitmap.Assign(*image.Bitmap);
        } else if (image.Kind == 0 && image.Metafile) {
            // A metafile is drawn at its own size on white paper.
            TMetafile metafile;
            metafile.SetHandle(image.Metafile);
            try {
                TSize size;
                object->GetScreenSize(size);
                bitmap.SetPixelFormat(TPixelFormat::pf24bit);
                bitmap.SetSize(std::max(size.cx, 1), std::max(size.cy, 1));
                bitmap.Canvas().StretchDraw({0, 0, bitmap.Width(), bitmap.Height()}, metafile);
            } catch (...) {
                image.Metafile = metafile.ReleaseHandle();
                throw;
            }
            image.Metafile = metafile.ReleaseHandle();
        }
        dib = PackedDibOfBitmap(bitmap);
    } catch (...) {
        if (packed)
            image.SetCompressed(true);
        throw;
    }
    if (packed)
        image.SetCompressed(true);
    return dib;
}

bool TClipboardManager::CopyToClipboard(TDocument& document, const TTextRange& range, uint8_t flags)
{
    // 1. A hyperlink copy: the range is exactly the link at the caret.
    std::string linkTarget;
    if (TField* link = document.FindFieldAtCaret(fkHyperlink)) {
        TTextRange linkRange;
        document.GetBookmarkRange(link, linkRange);
        if (TextRangesEqual(linkRange, range)) {
            std::string toolTip;
            ParseHyperlinkField(link->Instruction, linkTarget, toolTip);
        }
    }

    // 2. The document is copying; the flag goes down whatever happens, so
    // that a failed copy does not leave it set.
    document.CopyInProgress = 1;
    struct TFlagGuard {
        TDocument& Document;
        ~TFlagGuard() { Document.CopyInProgress = 0; }
    } guard{document};
    EmptyClipboard();

    try {
        // 3. and 4. Rich text, then plain text or the picture, then the markers.
        TMemory rtf;
        if (!DocumentFiler().WriteRange(document, range, 0, rtf))
            return false;
        rtf.AppendByte(0);
        PutBlock(FRtfFormat, BytesOf(rtf));

        const bool singleObject = IsSingleObjectRange(document, range);
        if (singleObject) {
            const std::string dib = PictureOfObject(document, range.Start);
            if (!dib.empty())
                PutBlock(CF_DIB, dib);
            if (!linkTarget.empty())
                PutBlock(CF_TEXT, TextBlock(linkTarget));
        } else if (!linkTarget.empty()) {
            PutBlock(CF_TEXT, TextBlock(linkTarget));
        } else {
            TMemory text;
            if (!DocumentFiler().WriteRange(document, range, 5, text))
                return false;
            if (text.Size() > 0)
                PutBlock(CF_TEXT, TextBlock(BytesOf(text)));
        }
        if (flags & cfRectangular)
            PutBlock(FRectangularFormat, std::string(1, '\0'));
        if (flags & cfNotWholeWords)
            PutBlock(FNotWholeWordsFormat, std::string(1, '\0'));
    } catch (const EAbort&) {
        return false;
    }

    // 6.
    CopiedDocumentCoding = document.Format;
    return true;
}

bool TClipboardManager::CopySelection(TDocument& document)
{
    const TTextSelection& selection = document.Selection();
    const TTextRange range{selection.Start, selection.End};
    if (!Open(10000))
        return false;
    bool copied = false;
    try {
        copied = CopyToClipboard(document, range, document.IsWordRange(range) ? 0 : cfNotWholeWords);
    } catch (...) {
        Close();
        ShowError(CopyErrorText);
        return false;
    }
    Close();
    if (!copied)
        ShowError(CopyErrorText);
    return copied;
}

bool TClipboardManager::SetText(const std::string& text)
{
    if (text.empty())
        return false;
    EmptyClipboard();
    return PutBlock(CF_TEXT, TextBlock(text));
}

// ---------------------------------------------------------------------------
// Reading

bool TClipboardManager::ReadClipboard(TDocument& target, TMemory& buffer, bool plainText, uint32_t format,
                                      TClipboardReadResult& result, TUpdateRange& update, TOperation* op)
{
    // 1. and 2. The format.
    result = TClipboardReadResult();
    uint32_t chosen;
    if (FPastingHistoryItem)
        chosen = static_cast<uint32_t>(FPastingHistoryItem->Format);
    else if (plainText)
        chosen = static_cast<uint32_t>(GetBestTextFormat());
    else if (format != 0 && HasFormat(format))
        chosen = format;
    else
        chosen = static_cast<uint32_t>(GetPreferredFormat());
    result.Format = chosen;

    // 3.
    if (chosen == CF_TEXT || chosen == CF_UNICODETEXT || chosen == FRtfFormat)
        return ReadFragment(target, buffer, chosen, result, update, op);
    result.Picture = true;
    return ReadPicture(target, buffer, chosen);
}

bool TClipboardManager::ReadFragment(TDocument& target, TMemory& buffer, uint32_t format, TClipboardReadResult& result,
                                     TUpdateRange& update, TOperation* op)
{
    // 1. The bytes.
    std::string bytes;
    if (FPastingHistoryItem) {
        TMemory stored;
        if (!FPastingHistoryItem->LoadText(stored))
            return false;
        bytes = BytesOf(stored);
        if (format == CF_UNICODETEXT) {
            // The item keeps the UTF-16 units: they become 8-bit text in their
            // code page, as a paste straight from the clipboard does.
            std::u16string wide(bytes.size() / 2, u'\0');
            std::memcpy(wide.data(), bytes.data(), wide.size() * 2);
            bytes = AnsiOfWide(wide, result.Charset);
        }
    } else if (format == FRtfFormat) {
        bytes = GetData(FRtfFormat);
        if (bytes.empty()) {
            format = CF_TEXT;
            result.Format = CF_TEXT;
            bytes = TextOfBlock(GetData(CF_TEXT));
        }
    } else if (format == CF_UNICODETEXT) {
        bytes = AnsiOfWide(WideTextOfBlock(GetData(CF_UNICODETEXT)), result.Charset);
    } else {
        bytes = TextOfBlock(GetData(CF_TEXT));
    }
    if (format == FRtfFormat) {
        // The block's zero padding is no part of the RTF text.
        while (!bytes.empty() && bytes.back() == '\0')
            bytes.pop_back();
    }

    // 2. and 3. A temporary document, inserted for the target.
    auto temporary = std::make_unique<TDocument>(true);
    int32_t coding = format == FRtfFormat ? 0 : 5;
    int32_t count = 0;
    if (!DocumentFiler().Load(*temporary, bytes, true, coding, count))
        throw EAbort();
    temporary->Format = coding;
    result.PlainText = coding == 5 || coding == 6;
    TUpdateRange local;
    target.InsertDocument(*temporary, count, local, op, buffer);
    target.UndoManager().MergeUpdateRange(update, local);
    result.ParagraphCount = count;
    return true;
}

bool TClipboardManager::ReadPicture(TDocument& target, TMemory& buffer, uint32_t format)
{
    TBitmap bitmap;
    if (FPastingHistoryItem) {
        if (!FPastingHistoryItem->LoadBitmap(bitmap))
            throw EAbort();
    } else if (format == CF_BITMAP || format == CF_DIB) {
        // The system makes CF_DIB of any bitmap on the clipboard.
        if (!BitmapFromPackedDib(GetData(CF_DIB), bitmap))
            throw EAbort();
    } else {
        // Metafiles are not carried by the desktop's clipboard.
        throw EAbort();
    }
    TDocObject& object = target.AddBitmapPicture(bitmap);
    AppendFormatCode(buffer, icPicture, static_cast<int32_t>(object.Handle()));
    return true;
}

// ---------------------------------------------------------------------------
// Clip history

void TClipboardManager::AddHistoryItem()
{
    if (HistoryLimit <= 0 || AutoCollect)
        return;
    auto item = std::make_unique<TClipHistoryItem>(*this, GetPreferredFormat());
    if (item->Format == static_cast<int32_t>(0x80000000u))
        return;
    FHistory.insert(FHistory.begin(), std::move(item));
    while (static_cast<int32_t>(FHistory.size()) > HistoryLimit)
        FHistory.pop_back();
}

void TClipboardManager::PasteHistoryItem(int32_t index, TDocument& target)
{
    if (index < 0 || index >= static_cast<int32_t>(FHistory.size()))
        return;
    FPastingHistoryItem = FHistory[static_cast<size_t>(index)].get();
    try {
        uint8_t plain = 0;
        int32_t none = 0;
        target.ExecuteOperation(docPaste, {&plain, &none});
    } catch (...) {
        FPastingHistoryItem = nullptr;
        throw;
    }
    FPastingHistoryItem = nullptr;
    auto item = std::move(FHistory[static_cast<size_t>(index)]);
    FHistory.erase(FHistory.begin() + index);
    FHistory.insert(FHistory.begin(), std::move(item));
}

bool TClipboardManager::ReadNoteSpike(TDocument& target, TMemory& buffer, int32_t& paragraphs, TUpdateRange& update,
                                      TOperation* op)
{
    return FPiggyBank && FPiggyBank->MakeInsertion(target, buffer, paragraphs, update, op);
}

TPiggyBank& TClipboardManager::GetPiggyBank()
{
    if (!FPiggyBank)
        FPiggyBank = std::make_unique<TPiggyBank>();
    return *FPiggyBank;
}

// ---------------------------------------------------------------------------
// Exit

bool TClipboardManager::CloseQuery()
{
    // 1. The note spike.
    if (FPiggyBank && !FPiggyBank->IsEmpty()) {
        const int32_t answer = ShowMessageDlg("Le Pique-notes contient des éléments. Désirez-vous enregistrer son "
                                              "contenu dans un fichier ?",
                                              mtConfirmation, mbYesNoCancel);
        if (answer == mrCancel)
            return false;
        if (answer == mrYes && !(SaveNoteSpike && SaveNoteSpike(FPiggyBank->Document())))
            return false;
    }

    // 2. What the program leaves on the clipboard.
    if (GetClipboardOwner() != FOwner || FOwner == HWND_NONE)
        return true;
    auto empty = [this] {
        if (Open(10000)) {
            EmptyClipboard();
            Close();
        }
    };
    if (CopiedDocumentCoding == 4) {
        const int32_t answer = ShowMessageDlg("Le Presse-papiers contient des fragments de document crypté. Voulez-vous "
                                              "laisser ces éléments à la disposition d'autres applications ?",
                                              mtWarning, mbYesNoCancel);
        if (answer == mrCancel)
            return false;
        if (answer == mrNo) {
            empty();
            return true;
        }
    }
    if (!Open(10000))
        return true;
    size_t total = 0;
    for (uint32_t format : {static_cast<uint32_t>(CF_TEXT), FRtfFormat})
        if (HasFormat(format))
            if (HANDLE handle = GetClipboardData(format))
                total += GlobalSize(handle);
    Close();
    constexpr size_t LargeContent = 0x20000;
    if (total <= LargeContent)
        return true;
    const int32_t answer = ShowMessageDlg("Eldravin a placé un élément de grande taille dans le Presse-papiers. "
                                          "Voulez-vous laisser cet élément à la disposition d'autres applications ?",
                                          mtConfirmation, mbYesNoCancel);
    if (answer == mrCancel)
        return false;
    if (answer == mrNo)
        empty();
    return true;
}

// ---------------------------------------------------------------------------

void CreateClipboardManager(HWND owner)
{
    if (g_Manager)
        return;
    g_Manager = std::make_unique<TClipboardManager>(owner);
    g_PreviousClipboard = SetDocClipboard(g_Manager.get());
}

void FreeClipboardManager()
{
    if (!g_Manager)
        return;
    SetDocClipboard(g_PreviousClipboard);
    g_PreviousClipboard = nullptr;
    g_Manager.reset();
}

TClipboardManager* GetClipboardManager()
{
    return g_Manager.get();
}
