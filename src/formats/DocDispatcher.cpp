#include "formats/DocDispatcher.h"

#include "document/fields/FieldInstructions.h"
#include "document/model/Document.h"
#include "document/operations/OperationDispatcher.h"
#include "foundation/Memory.h"
#include "document/model/DocumentView.h"
#include "document/model/DocObjectImage.h"
#include "document/operations/OperationManager.h"
#include "formats/CodingManager.h"
#include "formats/DocFileHost.h"
#include "formats/DocumentFile.h"
#include "formats/SaveCommands.h"
#include "foundation/MessageDlg.h"
#include "foundation/Paths.h"
#include "layout/PageGrid.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/FileNames.h"
#include "platform/framework/dialogs/CommonDialogs.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/SysUtils.h"

TDocDispatcher* DocDispatcher = nullptr;

namespace {

// Lays a document out for its window: every page built, the page grid made,
// and the view at the beginning of the document (placing the caret while the
// window was still being sized may have scrolled it).
void LayOutForWindow(TDocument& document)
{
    if (!document.View())
        return;
    document.PaginateAll();
    UpdatePageLayout(document);
    ScrollHorz(document, 0);
    ScrollVert(document, 0);
    document.View()->Repaint();
}

}  // namespace

TDocDispatcher::TDocDispatcher() = default;

TDocDispatcher::~TDocDispatcher()
{
    CloseAll();
}

int32_t TDocDispatcher::IndexOf(const TDocument* document) const
{
    for (size_t i = 0; i < FDocuments.size(); ++i)
        if (FDocuments[i].get() == document)
            return static_cast<int32_t>(i);
    return -1;
}

TDocument* TDocDispatcher::FindOpenDocument(const std::string& fileName, bool expand) const
{
    const std::string name = expand ? ExpandFileName(fileName) : fileName;
    for (auto it = FDocuments.rbegin(); it != FDocuments.rend(); ++it)
        if (!(*it)->FileName.empty() && AnsiSameText((*it)->FileName, name))
            return it->get();
    return nullptr;
}

bool TDocDispatcher::CheckDocumentLimit() const
{
    if (Count() < MaxOpenDocuments)
        return true;
    ShowWarning("Trop de documents sont déjà ouverts. Impossible d'en ouvrir un de plus.");
    return false;
}

TDocument* TDocDispatcher::OpenFile(const std::string& fileName)
{
    if (Count() >= MaxOpenDocuments)
        return nullptr;
    const uint8_t picture = GetPictureFormat(fileName);
    if (picture == NoPictureFormat)
        return OpenDocument(fileName, ciDetect, 0);
    // A picture becomes a new document holding it, named like the picture.
    TDocument* document = NewDocument();
    if (!document)
        return nullptr;
    try {
        document->InsertPictureFromFile(ExpandFileName(fileName), picture);
    } catch (...) {
        CloseDocument(document);
        throw;
    }
    document->FileName = ChangeFileExt(ExpandFileName(fileName), "." + CodingExtension(ciRtf));
    document->UndoManager().ClearRedo();
    document->UndoManager().ClearUndo();
    document->SetModified(false);
    LayOutForWindow(*document);
    return document;
}

TDocument* TDocDispatcher::OpenDocument(const std::string& fileName, int32_t coding, uint32_t flags)
{
    const std::string full = ExpandFileName(fileName);
    if (TDocument* open = FindOpenDocument(full, false)) {
        if (open->View())
            open->View()->RestoreAndActivate();
        const bool revert = !(OpenFlags & ofNoRevertQuestion) &&
                            ShowMessageDlg("Voulez-vous revenir à la copie originale de \"" + open->FileName + "\" ?",
                                           mtConfirmation, mbYesNo) == mrYes;
        if (!revert) {
            if (!(flags & odNoRecentList))
                DocFileHost().AddRecentDocument(open->FileName);
            return open;
        }
        CloseDocument(open);
    }
    if (!CheckDocumentLimit())
        return nullptr;
    auto document = std::make_unique<TDocument>(false);
    if (flags & odRecovery)
        document->FileState.Recovered = 1;
    TDocLoadRequest request;
    request.FileName = full;
    request.Coding = coding;
    const uint32_t formerFlags = OpenFlags;
    OpenFlags |= ofOpening;
    bool loaded = false;
    try {
        loaded = LoadFromFile(*document, request);
    } catch (...) {
        OpenFlags = formerFlags;
        throw;
    }
    OpenFlags = formerFlags;
    if (!loaded)
        return nullptr;  // the document (and its window) go with it
    TDocument* result = document.get();
    FDocuments.push_back(std::move(document));
    if (!(flags & odNoRecentList) && !result->FileState.Recovered)
        DocFileHost().AddRecentDocument(result->FileName);
    // The untouched start-up document gives way to the first one opened.
    if (++FOpenedSinceStart == 1 && FStartupDocument && FDocuments.front().get() == FStartupDocument &&
        !FStartupDocument->IsModified() && !FStartupDocument->UndoManager().CanUndo())
        CloseDocument(FStartupDocument);
    LayOutForWindow(*result);
    // The File menu's recent documents start with it.
    DocFileHost().AddRecentDocument(full);
    return result;
}

TDocument* TDocDispatcher::NewDocument()
{
    if (!CheckDocumentLimit())
        return nullptr;
    auto document = std::make_unique<TDocument>(false);
    document->FileState.Untitled = 1;
    TDocument* result = document.get();
    FDocuments.push_back(std::move(document));
    LayOutForWindow(*result);
    return result;
}

void TDocDispatcher::CloseDocument(TDocument* document)
{
    const int32_t index = IndexOf(document);
    if (index < 0)
        return;
    if (document == FStartupDocument)
        FStartupDocument = nullptr;
    // The document's recovery copy protected its unsaved work; closing ends that.
    DeleteRecoveryFile(*document);
    // Taken out of the list first: while it is freed the list no longer holds it.
    std::unique_ptr<TDocument> owned = std::move(FDocuments[static_cast<size_t>(index)]);
    FDocuments.erase(FDocuments.begin() + index);
    owned.reset();
}

void TDocDispatcher::CloseAll()
{
    while (!FDocuments.empty())
        CloseDocument(FDocuments.back().get());
}

bool TDocDispatcher::SaveAll()
{
    for (size_t i = 0; i < FDocuments.size(); ++i) {
        TDocument& document = *FDocuments[i];
        if (document.IsModified() && Save(document) != srSaved)
            return false;
    }
    return true;
}

bool TDocDispatcher::IsPictureMemoryFull() const
{
    return PictureMemory().IsFull();
}

bool TDocDispatcher::ReleaseOldestPicture(TDocObject* picture)
{
    return PictureMemory().ReleaseOldestPicture(picture);
}

void TDocDispatcher::CollectRecoveryCopies(const std::string& folder)
{
    FRecoveryCopies.clear();
    const std::string root = IncludeTrailingPathDelimiter(folder.empty() ? GetTempFolder() : folder);
    TSearchRec rec;
    std::vector<std::string> names;
    if (FindFirst(root + "*.ead", faAnyFile, rec) == 0) {
        do {
            if (!(rec.Attr & faDirectory))
                names.push_back(root + rec.Name);
        } while (FindNext(rec) == 0);
    }
    FindClose(rec);
    for (const std::string& name : names) {
        // A copy that a running program holds is still that program's.
        const THandle probe = CreateFile(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
        if (probe == INVALID_HANDLE_VALUE)
            continue;
        FileClose(probe);
        if (GetFileSizeByName(name) == 0)
            DeleteFile(name);
        else
            FRecoveryCopies.push_back(name);
    }
}

void TDocDispatcher::OfferRecoveryCopies()
{
    if (FRecoveryCopies.empty())
        return;
    const std::vector<std::string> copies = std::move(FRecoveryCopies);
    FRecoveryCopies.clear();
    const int32_t answer =
        ShowMessageDlg("Eldravin a trouvé des copies de secours de documents (" + IntToStr(static_cast<int32_t>(copies.size())) +
                           "). Voulez-vous récupérer ces documents ?",
                       mtConfirmation, mbYesNo);
    if (answer == mrYes) {
        for (const std::string& copy : copies)
            OpenDocument(copy, ciDetect, odRecovery | odNoRecentList);
        // An opened copy is its document's recovery file now and goes with
        // the document; one that could not be opened stays for the next start.
        return;
    }
    // Unsaved work is lost for good once the copies go: the user confirms it.
    if (ShowMessageDlg("Les copies de secours non récupérées seront définitivement supprimées.||Voulez-vous "
                       "continuer ?",
                       mtConfirmation, mbYesNo) == mrYes) {
        for (const std::string& copy : copies)
            DeleteFile(copy);
        return;
    }
    // Kept under the name the end-of-run clean-up leaves alone, to be offered again.
    for (const std::string& copy : copies) {
        if (ExtractFileName(copy).rfind("~", 0) != 0)
            continue;
        const std::string kept = GetTempFileName(ExtractFilePath(copy), "Eldrav", ".ead");
        if (!kept.empty() && !MoveFile(copy, kept, true))
            DeleteFile(kept);
    }
}

void TDocDispatcher::SaveRecoveryCopies()
{
    for (size_t i = 0; i < FDocuments.size(); ++i)
        SaveRecoveryCopy(*FDocuments[i]);
}

void TDocDispatcher::HandleStartupDocuments(const std::vector<std::string>& fileNames, bool createNew)
{
    OfferRecoveryCopies();
    for (const std::string& name : fileNames)
        OpenFile(name);
    if (Count() == 0 && createNew)
        FStartupDocument = NewDocument();
}

void CreateFormatRegistry()
{
    CreateCodingManager();
}

void FreeFormatRegistry()
{
    FreeCodingManager();
}

// --- Dropped files ------------------------------------------------------------------------

void TDocDispatcher::HandleDroppedFiles(const std::vector<std::string>& files, int32_t mode, TDocument* target)
{
    bool first = true;
    for (const std::string& name : files) {
        if (name.empty())
            continue;
        switch (mode) {
        case 0:
            if (!CheckDocumentLimit())
                return;
            OpenFile(name);
            break;
        case 1:
            if (!target)
                return;
            if (GetPictureFormat(name) != NoPictureFormat)
                target->InsertPictureFromFile(name, 13);
            else
                target->InsertFile(name, 7);
            break;
        case 2: {
            if (!target)
                return;
            if (!first) {
                TMemory blank;
                blank.AppendByte(' ');
                uint8_t flags = 0;
                target->ExecuteOperation(docInsertText, {&blank, &flags});
            }
            uint8_t kind = fkHyperlink;
            std::string instruction = BuildHyperlinkField(name, std::string());
            target->ExecuteOperation(docInsertField, {&kind, &instruction});
            break;
        }
        default:
            return;
        }
        first = false;
    }
}
