#include "docwindow/DocumentForm.h"
#include "document/model/Document.h"

#include "docwindow/DocumentFormSupport.h"
#include "formats/DocDispatcher.h"
#include "foundation/MessageDlg.h"
#include "platform/framework/dialogs/CommonDialogs.h"
#include "platform/runtime/FileNames.h"

TDocumentForm::TDocumentForm(TComponent* owner, TDocument& document) : TForm(owner), FDocument(&document)
{
    SetFormStyle(TFormStyle::fsMDIChild);
    SetColor(clAppWorkSpace);
    SetBounds(0, 0, 560, 380);
    OnCloseQuery = [this](TForm*, bool& canClose) { FormCloseQuery(canClose); };
    OnClose = [this](TForm*, TCloseAction& action) { FormClose(action); };
    UpdateCaption();
    SetWindowState(TWindowState::wsMaximized);
    Show();
    if (HandleAllocated())
        MdiActivate(FHandle);
}

TDocumentForm::~TDocumentForm()
{
    BeginDestroy();
    // A window freed with its owner (the main frame) before its document:
    // the document loses its view.
    FDocument = nullptr;
}

void TDocumentForm::UpdateCaption()
{
    if (!FDocument)
        return;
    const std::string name = FDocument->FileName;
    SetCaption(name.empty() ? std::string("Nouveau document") : ExtractFileName(name));
}

int32_t TDocumentForm::ClientWidth() const
{
    return TForm::ClientRect().Width();
}

int32_t TDocumentForm::ClientHeight() const
{
    return TForm::ClientRect().Height();
}

void TDocumentForm::SetScrollPositions(int32_t, int32_t)
{
    // The scroll bars come with the window's input; the origin is the document's.
}

void TDocumentForm::ScrollContent(int32_t, int32_t)
{
    Repaint();
}

void TDocumentForm::Repaint()
{
    if (HandleAllocated())
        InvalidateRect(FHandle, nullptr, false);
}

void TDocumentForm::InvalidateArea(const TRect& rect)
{
    if (HandleAllocated())
        InvalidateRect(FHandle, &rect, false);
}

void TDocumentForm::HideCaret()
{
    if (HandleAllocated())
        ::HideCaret(FHandle);
}

void TDocumentForm::ShowCaret()
{
    if (HandleAllocated())
        ::ShowCaret(FHandle);
}

void TDocumentForm::RestoreAndActivate()
{
    if (WindowState() == TWindowState::wsMinimized)
        SetWindowState(TWindowState::wsNormal);
    if (HandleAllocated())
        MdiActivate(FHandle);
}

void TDocumentForm::DocumentDestroyed(bool now)
{
    FDocument = nullptr;
    if (now)
        delete this;
    else
        Release();
}

namespace {
TEditMessageTranslator g_EditMessageTranslator;
}  // namespace

void SetDocumentEditMessageTranslator(TEditMessageTranslator translator)
{
    g_EditMessageTranslator = std::move(translator);
}

void TDocumentForm::WndProc(TMessage& message)
{
    if (g_EditMessageTranslator && g_EditMessageTranslator(message))
        return;
    if (message.Msg == WM_PAINT && FDocument && HandleAllocated()) {
        PaintDocumentWindow();
        message.Result = 0;
        return;
    }
    if (message.Msg == WM_ERASEBKGND && FDocument) {
        message.Result = 1;  // the painter covers the whole window
        return;
    }
    TForm::WndProc(message);
}

void TDocumentForm::PaintDocumentWindow()
{
    PaintDocumentInWindow(*FDocument, FHandle, ClientWidth(), ClientHeight());
}

void TDocumentForm::Resize()
{
    TForm::Resize();
    if (FDocument)
        RelayoutDocumentWindow(*FDocument);
}

void TDocumentForm::FormCloseQuery(bool& canClose)
{
    canClose = true;
    if (!FDocument || !DocumentModified(*FDocument))
        return;
    RestoreAndActivate();
    const std::string fileName = FDocument->FileName;
    const std::string name = fileName.empty() ? Caption() : fileName;
    const int32_t answer = ShowMessageDlg("Le document \"" + name + "\" a changé. Voulez-vous enregistrer les modifications ?",
                                          mtConfirmation, mbYesNoCancel);
    if (answer == mrCancel) {
        canClose = false;
        return;
    }
    if (answer != mrYes)
        return;
    std::string newName;
    if (fileName.empty()) {
        // A document that never had a file is saved under a name the user gives.
        TSaveDialog dialog(this);
        dialog.Title = "Enregistrer sous";
        dialog.Filter = "Documents RTF (*.rtf)|*.rtf";
        dialog.DefaultExt = "rtf";
        dialog.Options |= ofOverwritePrompt;
        if (!dialog.Execute()) {
            canClose = false;
            return;
        }
        newName = dialog.FileName;
    }
    canClose = SaveDocument(*FDocument, newName);
}

void TDocumentForm::FormClose(TCloseAction& action)
{
    // The document goes through the dispatcher, which frees it; its window
    // follows once this message is handled.
    action = TCloseAction::caNone;
    if (FDocument && DocDispatcher)
        DocDispatcher->CloseDocument(FDocument);
}

TDocumentView* CreateDocumentForm(TDocument& document)
{
    TForm* frame = Application ? Application->MainForm() : nullptr;
    return new TDocumentForm(frame, document);
}

TDocumentViewFactory InstallDocumentForms()
{
    return SetDocumentViewFactory(&CreateDocumentForm);
}
