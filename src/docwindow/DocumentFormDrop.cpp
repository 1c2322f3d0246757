// Text, rich text and files dragged into a document window from other
// programs (and from the program's own windows). The dragged data is read
// through the clipboard manager exactly as the clipboard is; while the drag
// is over the window the mouse-move handling moves a drop caret, and the drop
// pastes at it or hands the files to the document dispatcher.
#include "docwindow/DocumentForm.h"

#include "docwindow/ClipboardManager.h"
#include "docwindow/DocumentWindowHost.h"
#include "document/model/Document.h"
#include "formats/DocDispatcher.h"
#include "layout/CaretDisplay.h"
#include "platform/ole/DataObject.h"
#include "platform/win/DragDrop.h"

namespace {

constexpr int32_t cmdPaste = 3360;

// The clipboard manager reads the dragged data for the length of one call.
class TDragSourceScope {
public:
    TDragSourceScope(TClipboardManager* clipboard, const TDataObject& data) : FClipboard(clipboard)
    {
        if (FClipboard)
            FClipboard->SetDragSource(&data);
    }
    ~TDragSourceScope()
    {
        if (FClipboard) {
            FClipboard->Close();
            FClipboard->SetDragSource(nullptr);
        }
    }
    TDragSourceScope(const TDragSourceScope&) = delete;
    TDragSourceScope& operator=(const TDragSourceScope&) = delete;

private:
    TClipboardManager* FClipboard;
};

class TDocumentDropTarget : public TDropTarget {
public:
    explicit TDocumentDropTarget(TDocumentForm& form) : FForm(form) {}

    void DragEnter(const TDataObject& data, uint32_t /*keyState*/, TPoint /*screenPoint*/, uint32_t& effect) override
    {
        TClipboardManager* clipboard = GetClipboardManager();
        {
            TDragSourceScope scope(clipboard, data);
            FAccepting = clipboard && clipboard->Open(0) && (clipboard->HasTextData() || clipboard->HasFormat(CF_HDROP));
        }
        TDocument* document = FForm.Document();
        if (!FAccepting || !document || !FForm.CanHandleInput()) {
            FAccepting = false;
            effect = DROPEFFECT_NONE;
            return;
        }
        FForm.RestoreAndActivate();
        // The drop caret starts at the caret, the selection gone.
        document->BeginSuppressChange(0x20);
        try {
            ShowPosition(*document, document->Caret.Paragraph, document->Caret.Offset, spfClearSelection);
        } catch (...) {
            document->EndChanges(1);
            throw;
        }
        document->EndChanges(1);
        FForm.HideDocumentCaret();
        FForm.WindowFlags |= dwfTextDragArmed | dwfClipInsertDrag;
        FForm.WindowFlags &= ~dwfTextDragStarted;
        if (!(FForm.WindowFlags & dwfDropCaretShown)) {
            FForm.InvertDropCaret();
            FForm.WindowFlags |= dwfDropCaretShown;
        }
        effect = DROPEFFECT_COPY;
    }

    void DragOver(uint32_t keyState, TPoint screenPoint, uint32_t& effect) override
    {
        if (FForm.HandleAllocated()) {
            const TPoint client = FForm.ScreenToClient(screenPoint);
            SendMessage(FForm.Handle(), WM_MOUSEMOVE, keyState, MakeLParam(client.X, client.Y));
        }
        if (!FAccepting)
            effect = DROPEFFECT_NONE;
    }

    void DragLeave() override
    {
        if (FForm.HandleAllocated())
            SendMessage(FForm.Handle(), WM_CANCELMODE, 0, 0);
    }

    void Drop(const TDataObject& data, uint32_t keyState, TPoint /*screenPoint*/, uint32_t& effect) override
    {
        if (FForm.HandleAllocated())
            SendMessage(FForm.Handle(), WM_CANCELMODE, 0, 0);
        TClipboardManager* clipboard = GetClipboardManager();
        TDocument* document = FForm.Document();
        if (!clipboard || !document || !FForm.CanHandleInput()) {
            effect = DROPEFFECT_NONE;
            return;
        }
        TDragSourceScope scope(clipboard, data);
        const bool text = clipboard->Open(0) && clipboard->HasTextData();
        clipboard->Close();
        if (text) {
            // The paste reads the dragged data, which the clipboard manager
            // still holds, at the place the drop caret was left.
            DocumentWindowHost().RunCommand(cmdPaste);
            return;
        }
        if (!clipboard->Open(0))
            return;
        const std::vector<std::string> files = DropFileNames(clipboard->GetData(CF_HDROP));
        clipboard->Close();
        if (files.empty() || !DocDispatcher) {
            effect = DROPEFFECT_NONE;
            return;
        }
        DocDispatcher->HandleDroppedFiles(files, (keyState & MK_CONTROL) ? 2 : 1, document);
    }

private:
    TDocumentForm& FForm;
    bool FAccepting = false;
};

}  // namespace

void TDocumentForm::RegisterDropTarget()
{
    if (DocumentDropTarget || !HandleAllocated())
        return;
    DocumentDropTarget = std::make_unique<TDocumentDropTarget>(*this);
    if (!RegisterDragDrop(FHandle, DocumentDropTarget.get()))
        DocumentDropTarget.reset();
}

void TDocumentForm::RevokeDropTarget()
{
    if (!DocumentDropTarget)
        return;
    if (HandleAllocated())
        RevokeDragDrop(FHandle);
    DocumentDropTarget.reset();
}
