#pragma once
// The only road by which documents enter and leave the program: LoadFromFile
// fills an empty TDocument from a file or a memory block, WriteToFile writes a
// whole document or a range in a chosen coding to the document's own file or
// into memory. Loading opens the file for reading and writing while letting
// others only read it, and keeps it open while the document lives; saving
// writes the new content completely into a new file beside it before that file
// takes the document file's place, so that a failed or cancelled save never
// costs the user the file they had.
#include "document/model/Document.h"
#include "formats/CodingManager.h"

#include <cstdint>
#include <memory>
#include <string>

class TCompoundFile;
struct THtmlExportParams;
class TMemory;
class TStream;

// Where a load reads.
constexpr uint8_t lsFile = 0;
constexpr uint8_t lsMemory = 1;

// The argument record of a load, filled by the caller.
struct TDocLoadRequest {
    uint8_t Source = lsFile;
    // The coding asked for (ciDetect: detect it); on return the coding used,
    // or ciRefused.
    int32_t Coding = ciDetect;
    std::string FileName;
    const uint8_t* Buffer = nullptr;
    int32_t BufferSize = 0;
    // Out: the paragraphs delivered.
    int32_t ParagraphCount = 0;
    // In and out: grows by the length of a paragraph end the load appends.
    int32_t AddedLength = 0;
};

// The state a load shares with the reader of its coding. The readers consume
// ReadBuffer through BufferPos and call RefillReadBuffer whenever they need
// more; they never open files themselves.
class TDocLoadContext {
public:
    TDocLoadContext(TDocLoadRequest& request, TDocument& document);
    ~TDocLoadContext();
    TDocLoadContext(const TDocLoadContext&) = delete;
    TDocLoadContext& operator=(const TDocLoadContext&) = delete;

    TDocLoadRequest& Request;
    TDocument& Document;
    // The coding being read (the request's until it is settled).
    int32_t Coding = ciDetect;

    const uint8_t* ReadBuffer = nullptr;
    int32_t BufferPos = 0;
    int32_t BufferFill = 0;
    int64_t BufferFileOffset = 0;
    int64_t FileSize = 0;
    bool DetectionPhase = false;

    std::string OpenedName;
    std::string CopyName;
    bool CopyMade = false;

    // The Word test: 0 not made, 1 a Word document, 2 not one. A positive
    // test leaves the compound file and its "WordDocument" stream open for
    // the reader, with the stream's first bytes in WordHeader.
    uint8_t WordTest = 0;
    std::unique_ptr<TCompoundFile> Storage;
    std::unique_ptr<TStream> Stream;
    uint8_t WordHeader[1024] = {};
    int32_t WordHeaderSize = 0;

    // The template document of the coding (plain text, Write), when one was loaded.
    TDocument* TemplateDocument = nullptr;
    // The caret place a reader found in the file.
    int32_t CaretParagraph = 0;
    int32_t CaretOffset = 0;
    // Characters read, for the dispatcher's report.
    int64_t CharacterCount = 0;
    // No progress display and no messages (memory sources).
    bool Silent() const { return Request.Source != lsFile; }

    // Moves the unread bytes to the buffer's start and reads the next block
    // behind them: nothing for a memory source, while 32 or more bytes are
    // unread, or at the file's end. DOS text is converted to ANSI as it is
    // read. A failed read asks Retry or Cancel; Cancel raises the silent abort.
    void RefillReadBuffer();
    // Moves the progress display to the bytes read.
    void ReadProgressStep();
    // The end of a read that failed: the message that the document could not
    // be opened, unless the load is silent; always false.
    bool ReadFailed();

    // The buffer the file is read into (the engine's work buffer).
    uint8_t* WorkBuffer = nullptr;
};

// Fills the freshly created document; true when the reader accepted the
// content. On false the document holds what was read so far and the caller
// discards it; Request.Coding is ciRefused when the format was refused.
bool LoadFromFile(TDocument& document, TDocLoadRequest& request);

// Write targets.
constexpr uint8_t wtDocumentFile = 0;
constexpr uint8_t wtMemory = 1;
// Write flags.
constexpr uint32_t wfCopy = 0x1;        // the document's saved state, coding and recent lists stay as they are
constexpr uint32_t wfSingleLine = 0x2;  // text on one line: line ends, tabs and breaks as blanks
constexpr uint32_t wfHtml = 0x4;        // the web-page export instead of the coding's writer

// The argument record of a write.
struct TDocWriteParams {
    uint8_t Target = wtDocumentFile;
    int32_t Coding = ciRtf;
    uint32_t Flags = 0;
    // The range written; FirstParagraph NotSet: the whole body.
    int32_t FirstParagraph = NotSet;
    int32_t FirstOffset = 0;
    int32_t LastParagraph = NotSet;
    int32_t LastOffset = 0;
    // The target of a memory write (appended to).
    TMemory* Memory = nullptr;
    // The write is the document's recovery copy.
    uint8_t RecoveryCopy = 0;
    // A file write to this file instead of the document's own (a copy, the
    // recovery copy): the document's kept file is left alone, and the new
    // file is closed after the write, or handed to the caller when NewHandle
    // is given.
    std::string OtherFile;
    THandle* NewHandle = nullptr;

    // The web page of an export (flag wfHtml): its file, title and pictures.
    const THtmlExportParams* Html = nullptr;
};

// Results of WriteToFile.
constexpr int32_t wrWritten = 0;
constexpr int32_t wrFailed = 1;
constexpr int32_t wrChecksumFailed = 2;

// Writes the document (or the range) in the coding. To its own file: the new
// content goes completely into a new file in the same folder, flushed to the
// disk, which then replaces the document's file; the document keeps the new
// file open with the same sharing. A failure at any step (the silent abort of
// a cancelled write included) leaves the document's file as it was and the
// document modified. An encrypted file is read back after the save; when its
// checksum fails the result is wrChecksumFailed, the user is told, and the
// document stays modified. Saving in coding 4 asks for a password when the
// document has none.
int32_t WriteToFile(TDocument& document, TDocWriteParams params);

// True when the user must choose another format for saving the document in
// the coding: Write cannot be written, and formatting the coding loses is
// confirmed once (every time with askAlways).
bool ConfirmSaveInCoding(TDocument& document, bool askAlways, int32_t coding);

// Detection by content (on the first buffer of a load).
bool TestCoding(TDocLoadContext& context, int32_t coding);
// RTF, encrypted container, Write, Word in this order; otherwise ANSI text.
int32_t DetectCoding(TDocLoadContext& context);
// A compound file with a Word document stream (result kept in WordTest).
bool IsWordFile(TDocLoadContext& context);

// The 10 bytes an encrypted container begins with.
extern const char EncryptedSignature[10];
