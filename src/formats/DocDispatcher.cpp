#include "formats/DocDispatcher.h"

#include "document/model/Document.h"
#include "document/model/DocumentView.h"
#include "formats/CodingManager.h"
#include "formats/DocFileHost.h"
#include "formats/DocumentFile.h"
#include "foundation/Paths.h"
#include "layout/PageGrid.h"
#include "platform/runtime/FileNames.h"
#include "foundation/MessageDlg.h"
#include "platform/framework/dialogs/CommonDialogs.h"

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

TDocument* TDocDispatcher::OpenDocument(const std::string& fileName)
{
    const std::string full = ExpandFileName(fileName);
    for (const auto& open : FDocuments) {
        if (!open->FileName.empty() && SameFileName(open->FileName, full)) {
            if (open->View())
                open->View()->RestoreAndActivate();
            return open.get();
        }
    }
    auto document = std::make_unique<TDocument>(false);
    TDocLoadRequest request;
    request.FileName = full;
    if (!LoadFromFile(*document, request))
        return nullptr;  // the document (and its window) go with it
    TDocument* result = document.get();
    FDocuments.push_back(std::move(document));
    LayOutForWindow(*result);
    // The File menu's recent documents start with it.
    DocFileHost().AddRecentDocument(full);
    return result;
}

TDocument* TDocDispatcher::NewDocument()
{
    auto document = std::make_unique<TDocument>(false);
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

void TDocDispatcher::HandleStartupDocuments(const std::vector<std::string>& fileNames, bool createNew)
{
    for (const std::string& name : fileNames)
        OpenDocument(name);
    if (fileNames.empty() && createNew)
        NewDocument();
}

void CreateFormatRegistry()
{
    CreateCodingManager();
}

void FreeFormatRegistry()
{
    FreeCodingManager();
}

// --- Saving ---------------------------------------------------------------------------
// What closing a changed document needs of the save commands: the document's
// own file, or a name asked for with the save dialog.

int32_t TDocument::Save()
{
    if (FileState.ReadOnly) {
        ShowMessageDlg("Le document \"" + ExtractFileName(FileName) + "\" a été ouvert en lecture seule.", mtInformation,
                       mbOK);
        return SaveAs(FileName, true);
    }
    if (FileName.empty())
        return SaveAs(std::string(), true);
    TDocWriteParams params;
    params.Coding = Format;
    return WriteToFile(*this, params) == wrWritten ? srSaved : srFailed;
}

int32_t TDocument::SaveAs(const std::string& name, bool showDialog)
{
    std::string target = name.empty() ? MakeUntitledName() : name;
    int32_t coding = Format;
    if (showDialog) {
        TSaveDialog dialog(nullptr);
        dialog.Title = "Enregistrer sous";
        dialog.Filter = "Documents RTF (*.rtf)|*.rtf|Tous les fichiers (*.*)|*.*";
        dialog.DefaultExt = "rtf";
        dialog.FileName = target;
        dialog.Options |= ofOverwritePrompt;
        if (!dialog.Execute())
            return srNotSaved;
        target = dialog.FileName;
        // A new name without a known extension is written as RTF.
        if (FileName.empty() || ExtractFileExt(target).empty())
            coding = ciRtf;
    }
    const std::string oldName = FileName;
    const int32_t oldFormat = Format;
    const uint8_t oldReadOnly = FileState.ReadOnly;
    FileName = target;
    Format = coding;
    FileState.ReadOnly = 0;
    TDocWriteParams params;
    params.Coding = coding;
    if (WriteToFile(*this, params) == wrWritten)
        return srSaved;
    FileName = oldName;
    Format = oldFormat;
    FileState.ReadOnly = oldReadOnly;
    return srFailed;
}
