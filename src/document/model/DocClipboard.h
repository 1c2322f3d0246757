#pragma once
// What the paste operation asks of the clipboard manager, which lies above
// the document model: opening and closing the clipboard, what it holds, and
// reading it into an insertion buffer for a document. The clipboard manager
// installs itself when the program creates it. Without one the clipboard
// cannot be opened and a paste does nothing.
#include <cstdint>

class TDocument;
class TMemory;
class TOperation;
struct TUpdateRange;

// What a read of the clipboard reports.
struct TClipboardReadResult {
    // The format read.
    uint32_t Format = 0;
    // The paragraph breaks of the buffer (the loader's result).
    int32_t ParagraphCount = 0;
    // The character set of a Unicode text that was converted (0x80000000: none).
    int32_t Charset = static_cast<int32_t>(0x80000000u);
    // The format read is a picture, a plain text, or a dragged link.
    bool Picture = false;
    bool PlainText = false;
    bool Link = false;
};

class TDocClipboard {
public:
    virtual ~TDocClipboard() = default;
    // Opens the clipboard, trying for up to timeout milliseconds; true when
    // it is open (also when it already was).
    virtual bool Open(int32_t timeoutMs) = 0;
    virtual void Close() = 0;
    // An item of the clip history is being pasted; format receives its format.
    virtual bool PastingHistoryItem(uint32_t& format) = 0;
    // The clipboard holds CF_TEXT or CF_UNICODETEXT.
    virtual bool HasTextFormat() = 0;
    // It holds something pasteable, and only plain text.
    virtual bool HasTextData() = 0;
    virtual bool HasPlainTextOnly() = 0;
    // The markers of a column selection and of a copy that did not take
    // whole words.
    virtual bool HasRectangularSelection() = 0;
    virtual bool HasNotWholeWords() = 0;
    // Reads the clipboard for the target: formatted or plain text becomes an
    // insertion buffer made by the target's InsertDocument (its style and
    // object changes recorded in op, its range merged into update); a picture
    // joins the target's objects and the buffer receives its record. False
    // when the content could not be read; the document is then unchanged
    // unless op received steps.
    virtual bool ReadClipboard(TDocument& target, TMemory& buffer, bool plainText, uint32_t format,
                               TClipboardReadResult& result, TUpdateRange& update, TOperation* op) = 0;
    // The note spike's content as an insertion buffer for the target, made
    // as ReadClipboard makes one; false when there is none or it could not
    // be read.
    virtual bool ReadNoteSpike(TDocument& /*target*/, TMemory& /*buffer*/, int32_t& /*paragraphs*/,
                               TUpdateRange& /*update*/, TOperation* /*op*/)
    {
        return false;
    }
};

// The installed clipboard (null when none is).
TDocClipboard* GetDocClipboard();
// Installs it (nullptr removes it); returns the previous one.
TDocClipboard* SetDocClipboard(TDocClipboard* clipboard);
