#pragma once
// The document window: an MDI child of the main frame that shows one
// document. It is the document's view (the document asks it to repaint,
// scroll and keep the caret), paints the document's pages through the page
// painter on WM_PAINT, lays the page grid out again when its size changes,
// and asks about unsaved changes before it closes.
//
// This is the window as far as showing and closing a document go; the
// keyboard, the mouse, the rulers and the scroll bars join it with the
// editing tools.
#include "document/model/DocumentView.h"
#include "platform/framework/Forms.h"

#include <functional>

class TDocument;

class TDocumentForm : public TForm, public TDocumentView {
public:
    TDocumentForm(TComponent* owner, TDocument& document);
    ~TDocumentForm() override;

    TDocument* Document() const { return FDocument; }

    // TDocumentView.
    int32_t ClientWidth() const override;
    int32_t ClientHeight() const override;
    void SetScrollPositions(int32_t x, int32_t y) override;
    void ScrollContent(int32_t dx, int32_t dy) override;
    void Repaint() override;
    void InvalidateArea(const TRect& rect) override;
    void HideCaret() override;
    void ShowCaret() override;
    void RestoreAndActivate() override;
    void DocumentDestroyed(bool now) override;

    // The caption: the document's file name, or "Nouveau document".
    void UpdateCaption();

protected:
    void WndProc(TMessage& message) override;
    void Resize() override;

private:
    void PaintDocumentWindow();
    void FormCloseQuery(bool& canClose);
    void FormClose(TCloseAction& action);

    TDocument* FDocument;
};

// The document view factory: every document that is not hidden gets a
// document window in the main frame (an MDI frame must be the main form).
TDocumentView* CreateDocumentForm(TDocument& document);
// Installs CreateDocumentForm as the documents' view factory; returns the previous one.
TDocumentViewFactory InstallDocumentForms();

// --- Edit messages ---------------------------------------------------------------
// The application's translation of WM_CUT, WM_COPY, WM_PASTE and WM_CLEAR into
// document commands, which the document window offers every message first;
// true when it took the message. Dialogs' edit fields never see it.
using TEditMessageTranslator = std::function<bool(TMessage& message)>;
void SetDocumentEditMessageTranslator(TEditMessageTranslator translator);
