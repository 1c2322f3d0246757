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

class TDocument;

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

    // Opens a file: a document already open under that name is brought to the
    // front; otherwise a new document is read through the file road and laid
    // out. Null when the file could not be read (the road has told the user).
    TDocument* OpenDocument(const std::string& fileName);
    // A new empty RTF document.
    TDocument* NewDocument();
    // Frees a document and its window.
    void CloseDocument(TDocument* document);
    // Frees every document, from the last to the first.
    void CloseAll();

    // The start-up documents: the command line's are opened (in print mode as
    // well: printing from the command line comes with the print service); with
    // none named and createNew set, a new document is made.
    void HandleStartupDocuments(const std::vector<std::string>& fileNames, bool createNew);

private:
    std::vector<std::unique_ptr<TDocument>> FDocuments;
};

// The program-wide dispatcher; null outside start-up and shutdown.
extern TDocDispatcher* DocDispatcher;

// The program-wide format registry, made right after the dispatcher and freed
// right before it (for callers that cannot include the document model).
void CreateFormatRegistry();
void FreeFormatRegistry();
