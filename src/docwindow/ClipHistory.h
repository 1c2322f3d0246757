#pragma once
// An item of the clip history: one clipboard content kept in a temporary
// file (pictures as BMP files, every other format as its block's bytes) with
// the caption the history list shows. The file is overwritten with zeros
// before it is deleted, when the item is freed.
#include <cstdint>
#include <string>

class TBitmap;
class TClipboardManager;
class TMemory;

class TClipHistoryItem {
public:
    // Captures the format from the manager's open clipboard (CF_TEXT when the
    // format has no data); Format is 0x80000000 when nothing could be had.
    TClipHistoryItem(TClipboardManager& manager, int32_t format);
    ~TClipHistoryItem();
    TClipHistoryItem(const TClipHistoryItem&) = delete;
    TClipHistoryItem& operator=(const TClipHistoryItem&) = delete;

    std::string FileName;
    int32_t Format;
    std::string Caption;

    // The stored text: the whole file cut to its text (the wide-string
    // length for Unicode text, up to the first zero byte otherwise).
    bool LoadText(TMemory& text) const;
    // The stored picture.
    bool LoadBitmap(TBitmap& bitmap) const;
};

// The caption of a content: its first line of text (75 characters at most,
// "..." after a longer text, in double quotes), else "Insert %d" with the
// counter increased ("Insert %d (image)" for a picture).
std::string ClipCaption(const std::string& textBlock, bool picture, int32_t& counter);
