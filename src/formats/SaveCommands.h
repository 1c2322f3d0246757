#pragma once
// The save commands: where and in which coding a document is written and
// which questions come first; the writing itself goes through WriteToFile.
// Around each save the document's file is copied to the backups, and between
// saves the recovery copy keeps unsaved work in the temporary folder.
#include <cstdint>
#include <string>

class TDocument;

// Results of Save, SaveAs and SaveCopyToFile.
constexpr int32_t srSaved = 0;
constexpr int32_t srNotSaved = 1;  // cancelled or refused
constexpr int32_t srFailed = 2;

// Saves the document to its own file, or asks for a file (Save As) when it
// has none that it may write.
int32_t Save(TDocument& document);
// Saves under name (the document's own when empty); with showDialog the user
// chooses the name and the format first.
int32_t SaveAs(TDocument& document, const std::string& name, bool showDialog);
// Writes the document into another file, leaving its own name, file and
// saved state as they are; srSaved when written.
int32_t SaveCopyToFile(TDocument& document, const std::string& name);

// Writes the recovery copy when there is unsaved work since the last one.
void SaveRecoveryCopy(TDocument& document);
// Closes and deletes the document's recovery file, if it has one.
void DeleteRecoveryFile(TDocument& document);
