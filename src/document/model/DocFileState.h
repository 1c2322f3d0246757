#pragma once
// What a document knows of its file: the file kept open while the document
// lives (so that no other program writes it meanwhile), how it was opened, its
// recovery copy, and, for plain text, the line end the file used. The file
// layer fills it in when it loads and saves; the document closes the files
// when it goes.
#include "platform/runtime/FileHandles.h"

#include <cstdint>
#include <string>

struct TDocFileState {
    TDocFileState() = default;
    ~TDocFileState();
    TDocFileState(const TDocFileState&) = delete;
    TDocFileState& operator=(const TDocFileState&) = delete;

    // The document's file, open for reading and writing while others may only
    // read it; 0 = none (untitled, read-only, a copy, a removable drive, a
    // load from memory).
    THandle Handle = 0;
    // Size of the file when it was loaded (0 for a copy).
    int64_t SizeAtLoad = 0;
    uint8_t ReadOnly = 0;
    uint8_t OpenedAsCopy = 0;
    // Never saved to a file of its own.
    uint8_t Untitled = 0;
    // Loaded from a recovery copy; the copy is its recovery file.
    uint8_t Recovered = 0;
    std::string RecoveryFileName;
    THandle RecoveryHandle = 0;
    uint8_t HasRecoveryFile = 0;
    uint8_t RecoveryEncrypted = 0;
    // The user was told once which formatting the file's format loses.
    uint8_t LostFormattingWarned = 0;
    // Make a copy of a file in use without asking; refuse a file whose content
    // is not of the format asked for, without asking.
    uint8_t SuppressCopyQuestion = 0;
    uint8_t SuppressFormatQuestion = 0;
    // Plain text: the line end of the file read (written for every line end
    // when the document is saved as text), and whether its last line had one.
    std::string TextLineEnd = "\r\n";
    uint8_t TextFinalLineEnd = 0;
    // The password of an encrypted document, only ever in its session form
    // (enciphered under the key made at start); empty: none.
    std::string Password;

    // Closes the kept file, if any; the handle becomes 0.
    void CloseFile();
    // Closes the recovery file's handle, if any.
    void CloseRecoveryFile();
};
