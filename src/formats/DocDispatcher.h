#pragma once
// The list of the documents the user edits, and the one place that opens,
// creates and closes them. Each document gets its window from the window
// service the document window installs (the document's view factory);
// opening reads the file through the document file road.
//
// This is the part of the dispatcher that program start-up and shutdown use:
// opening the command-line documents, a new empty document, and closing every
// document at the end. Templates, backup copies, recent lists and printing
// join it with the commands that use them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDocObject;
class TDocument;

constexpr int32_t MaxOpenDocuments = 50;
// OpenDocument flags.
constexpr uint32_t odRecovery = 0x2;
constexpr uint32_t odNoRecentList = 0x4;

class TDocDispatcher {
public:
    TDocDispatcher();
    // Frees the documents still open, the last first.
    ~TDocDispatcher();
    TDocDispatcher(const TDocDispatcher&) = delete;
    TDocDispatcher& operator=(const TDocDispatcher&) = delete;

    int32_t Count() const { return static_cast<int32_t>(FDocuments.size()); }
    TDocument* Documents(int32_t index) const { return FDocuments.at(static_cast<size_t>(index)).get(); }
    // The list entry of a document, or -1.
    int32_t IndexOf(const TDocument* document) const;

    // Opens a file for the command line, drops and recent lists: nothing at
    // the document limit; a picture becomes a new document holding it.
    TDocument* OpenFile(const std::string& fileName);
    // Opens a document: one already open under that name is brought to the
    // front and, unless the request says not to ask, the user may go back to
    // the file's version (revert); otherwise a new document is read through
    // the file road and laid out. Null when nothing was opened (the road has
    // told the user why). Flags: odRecovery, odNoRecentList.
    TDocument* OpenDocument(const std::string& fileName, int32_t coding = 7, uint32_t flags = 0);
    // A new empty RTF document.
    TDocument* NewDocument();
    // Frees a document and its window (its recovery copy goes with it).
    void CloseDocument(TDocument* document);
    // Frees every document, from the last to the first.
    void CloseAll();
    // Saves every modified document in list order; false when one was not
    // saved (the rest are left alone).
    bool SaveAll();

    // Files dropped on the frame or a document window, in order, by mode: 0
    // opens each (until the document limit); 1 inserts each into the target
    // document (a picture as a picture, any other file as a document of the
    // format its content shows); 2 inserts a hyperlink to each, blank-separated.
    void HandleDroppedFiles(const std::vector<std::string>& files, int32_t mode, TDocument* target);

    // The most recently opened document of that file name (ignoring case),
    // expanded to a full path first when asked; null when none.
    TDocument* FindOpenDocument(const std::string& fileName, bool expand) const;
    bool IsDocumentOpen(const std::string& fileName) const { return FindOpenDocument(fileName, true) != nullptr; }
    // True while fewer than MaxOpenDocuments are open; else the user is told.
    bool CheckDocumentLimit() const;

    // The open flags of the request in progress (DocFileHost.h), read by the
    // file road during a load.
    uint32_t OpenFlags = 0;

    // Decoded pictures of all documents: the bound is reached, and making
    // room before a picture is decoded (see TPictureMemory).
    bool IsPictureMemoryFull() const;
    bool ReleaseOldestPicture(TDocObject* picture);

    // The recovery copies an earlier run left in the temporary folder (the
    // program's own when folder is empty): held files are skipped, empty ones
    // deleted.
    void CollectRecoveryCopies(const std::string& folder = {});
    const std::vector<std::string>& RecoveryCopies() const { return FRecoveryCopies; }
    // Offers the collected recovery copies: accepted ones are opened as
    // recovered documents (their files are now those documents' recovery
    // files). Declined ones are deleted only when the user confirms it;
    // otherwise they are kept for the next start.
    void OfferRecoveryCopies();
    // Writes the recovery copy of every open document that needs one.
    void SaveRecoveryCopies();

    // The start-up documents: the collected recovery copies are offered, the
    // command line's are opened (in print mode as well: printing from the
    // command line comes with the print service); when no document is open
    // then and createNew is set, a new document is made.
    void HandleStartupDocuments(const std::vector<std::string>& fileNames, bool createNew);

private:
    // The start-up's untitled document, replaced by the first document opened
    // while it is untouched.
    TDocument* FStartupDocument = nullptr;
    int32_t FOpenedSinceStart = 0;
    std::vector<std::string> FRecoveryCopies;
    std::vector<std::unique_ptr<TDocument>> FDocuments;
};

// The program-wide dispatcher; null outside start-up and shutdown.
extern TDocDispatcher* DocDispatcher;

// The program-wide format registry, made right after the dispatcher and freed
// right before it (for callers that cannot include the document model).
void CreateFormatRegistry();
void FreeFormatRegistry();
