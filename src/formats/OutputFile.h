#pragma once
// The buffered output of every document writer but the Word writer. A write
// to a file gathers its bytes in one program-wide buffer of at least 64 KB and
// hands them to the file when the buffer is full and when the writer flushes
// at its end; DOS text is converted to the DOS code page on that way. A write
// to memory appends straight to the target buffer. The stage also carries what
// all writers share: the save progress, the marks of the fonts a write needs
// and the empty header test.
#include "foundation/Memory.h"
#include "platform/runtime/FileHandles.h"

#include <cstdint>
#include <string>
#include <string_view>

class TDocument;
class TEncryptionManager;
class TField;

// The function file writes go through (FileWrite unless replaced): a test
// replaces it to make writes fail as a full disk does. Returns the previous one.
using TOutputWriteFunction = int32_t (*)(THandle handle, const void* buffer, int32_t count);
TOutputWriteFunction SetOutputWriteFunction(TOutputWriteFunction function);

// The smallest size of the output buffer of a file write.
constexpr int32_t OutputBufferSize = 65536;

// One document write's output.
class TOutputFile {
public:
    // To a file: handle is where the bytes go, fileName the document file's
    // name that messages show.
    TOutputFile(TDocument& document, int32_t coding, THandle handle, std::string fileName);
    // To memory: appended to target.
    TOutputFile(TDocument& document, int32_t coding, TMemory& target);
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    TDocument& Document() const { return FDocument; }
    int32_t Coding() const { return FCoding; }
    bool IsFile() const { return FTarget == nullptr; }
    // Paragraphs written, for the progress display.
    int32_t ParagraphCounter = 0;

    void OutputWriteChar(uint8_t value);
    // Low byte first.
    void OutputWriteWord(uint16_t value);
    void OutputWriteBytes(const void* data, int32_t count);
    void OutputWriteString(std::string_view text)
    {
        OutputWriteBytes(text.data(), static_cast<int32_t>(text.size()));
    }
    // Makes room for count bytes: flushes when they do not fit behind the
    // waiting ones, and enlarges the buffer when count alone exceeds it.
    void OutputReserve(int32_t count);
    // Writes the waiting bytes to the file. A failed write asks Retry or
    // Cancel: Retry writes the rest of the same bytes again, Cancel raises the
    // silent abort. Writers call it once more after their last byte.
    void OutputFlush();
    // Bytes written to the file so far.
    int64_t WrittenCount() const { return FWritten; }
    // The bytes written from now on are enciphered by the manager as they
    // go to the file (the encrypted container's body and trailer).
    void StartEnciphering(TEncryptionManager& cipher);
    // No text, highlight or underline colour is used (MarkUsedFonts).
    bool NoColors = false;

    // The status bar's save progress over the paragraphs first..last.
    void StartSaveProgress(int32_t first, int32_t last, bool recoveryCopy);
    // File writes only: the progress moves to the paragraph counter.
    void SaveProgressStep();

private:
    TDocument& FDocument;
    int32_t FCoding;
    THandle FHandle = 0;
    std::string FFileName;
    TMemory* FTarget = nullptr;
    TMemory* FBuffer = nullptr;  // the program-wide buffer, or FOwnBuffer in a nested write
    TMemory FOwnBuffer;
    bool FUsesSharedBuffer = false;
    int32_t FFill = 0;
    // The waiting bytes are converted already (a retry must not convert again).
    bool FConverted = false;
    // Of the waiting bytes, those a failed flush wrote before it stopped.
    int32_t FFlushed = 0;
    int64_t FWritten = 0;
    TEncryptionManager* FCipher = nullptr;
    // Where in the waiting bytes the enciphered ones begin.
    int32_t FCipherFrom = 0;
};

// Marks the fonts of the program-wide font list that a write in the coding
// needs (all of them for text) and tells whether the document uses no colour.
void MarkUsedFonts(TDocument& document, int32_t coding, bool& noColor);
// Resets every font's used mark and file number to NotSet after a write.
void ClearUsedFontMarks();
// The header or footer is one paragraph holding nothing but its mark.
bool IsEmptyHeaderFooter(const TDocument& document, const TField& headerFooter);
