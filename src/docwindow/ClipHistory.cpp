#include "docwindow/ClipHistory.h"

#include "docwindow/ClipboardManager.h"
#include "foundation/BitmapHelpers.h"
#include "foundation/Memory.h"
#include "foundation/Paths.h"
#include "platform/framework/Bitmap.h"
#include "platform/ole/DataObject.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/Files.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t NotCaptured = static_cast<int32_t>(0x80000000u);
constexpr size_t CaptionLength = 75;
constexpr int32_t WipeBlockSize = 16384;

void WriteWholeFile(const std::string& fileName, const std::string& bytes)
{
    TFileStream stream(fileName, fmCreate);
    if (!bytes.empty())
        stream.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
}

bool ReadWholeFile(const std::string& fileName, std::string& bytes)
{
    try {
        TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
        const int64_t size = stream.Size();
        bytes.assign(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
        return stream.Read(bytes.data(), static_cast<int32_t>(bytes.size())) == static_cast<int32_t>(bytes.size());
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace

std::string ClipCaption(const std::string& textBlock, bool picture, int32_t& counter)
{
    std::string caption = textBlock.substr(0, CaptionLength);
    caption = caption.substr(0, caption.find('\0'));
    const size_t cr = caption.find('\r');
    caption = caption.substr(0, cr != std::string::npos ? cr : caption.find('\n'));
    caption.erase(0, caption.find_first_not_of(' ') == std::string::npos ? caption.size()
                                                                           : caption.find_first_not_of(' '));
    if (!caption.empty()) {
        if (textBlock.size() > CaptionLength)
            caption += "...";
        return "\"" + caption + "\"";
    }
    ++counter;
    return "Insert " + std::to_string(counter) + (picture ? " (image)" : "");
}

TClipHistoryItem::TClipHistoryItem(TClipboardManager& manager, int32_t format) : Format(format)
{
    // 1. The data of the format, else the text.
    const bool picture = format == CF_BITMAP || format == CF_DIB;
    std::string bytes = manager.GetData(static_cast<uint32_t>(picture ? CF_DIB : format));
    if (bytes.empty() && manager.HasFormat(CF_TEXT)) {
        Format = CF_TEXT;
        bytes = manager.GetData(CF_TEXT);
    }
    if (bytes.empty()) {
        Format = NotCaptured;
        return;
    }
    const bool isPicture = Format == CF_BITMAP || Format == CF_DIB;

    // 2. The content in its file: a picture as a BMP file, with its colours
    // reduced when it has few.
    FileName = GetTempFileNameForKind(isPicture ? 3 : 0);
    try {
        if (isPicture) {
            TBitmap bitmap;
            if (!BitmapFromPackedDib(bytes, bitmap)) {
                Format = NotCaptured;
                return;
            }
            ReduceBitmapColors(bitmap);
            bitmap.SaveToFile(FileName);
        } else {
            WriteWholeFile(FileName, bytes);
        }
    } catch (const Exception&) {
        DeleteFile(FileName);
        FileName.clear();
        Format = NotCaptured;
        return;
    }

    // 3. The caption.
    const std::string text = manager.HasFormat(CF_TEXT) ? manager.GetData(CF_TEXT) : std::string();
    Caption = ClipCaption(text, isPicture || Format == CF_ENHMETAFILE, manager.HistoryCounter);
}

TClipHistoryItem::~TClipHistoryItem()
{
    if (FileName.empty())
        return;
    // The content does not stay on the disk: zeros over it first.
    try {
        TFileStream stream(FileName, fmOpenReadWrite | fmShareDenyWrite);
        int64_t left = stream.Size();
        const std::vector<char> zeros(WipeBlockSize, '\0');
        while (left > 0) {
            const int32_t n = static_cast<int32_t>(std::min<int64_t>(left, WipeBlockSize));
            if (stream.Write(zeros.data(), n) != n)
                break;
            left -= n;
        }
    } catch (const Exception&) {
        // The file is deleted all the same.
    }
    DeleteFile(FileName);
}

bool TClipHistoryItem::LoadText(TMemory& text) const
{
    std::string bytes;
    if (FileName.empty() || !ReadWholeFile(FileName, bytes))
        return false;
    if (Format == CF_UNICODETEXT)
        bytes.resize(WideTextOfBlock(bytes).size() * 2);
    else
        bytes = TextOfBlock(bytes);
    text.Clear();
    text.Append(bytes.data(), static_cast<int32_t>(bytes.size()));
    return true;
}

bool TClipHistoryItem::LoadBitmap(TBitmap& bitmap) const
{
    if (FileName.empty())
        return false;
    try {
        bitmap.LoadFromFile(FileName);
    } catch (const Exception&) {
        return false;
    }
    if (bitmap.Empty())
        return false;
    ReduceBitmapColors(bitmap);
    return true;
}
