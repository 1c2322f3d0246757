#pragma once
// The window of a document as the document model sees it. The document window
// lies above the document model, so the model declares here what it asks of
// its window; the window subsystem installs a factory that creates one for
// every document that is not hidden. Without a factory a document has no view,
// as a hidden one.
//
// The window belongs to the window system, not to the document: when the
// document goes away it tells the window, which drops its link and frees
// itself (after the current message, or at once when asked).
//
// Coordinates are the document's view units (those of its view origin).
#include "platform/win/Geometry.h"

#include <cstdint>
#include <string>

class TDocument;

class TDocumentView {
public:
    virtual ~TDocumentView() = default;

    virtual int32_t ClientWidth() const = 0;
    virtual int32_t ClientHeight() const = 0;
    // The window is in a mouse operation or a ruler is being dragged: the
    // re-layout queue waits until it is over.
    virtual bool IsBusy() const { return false; }
    // The window follows the pointer (a selection or an object being dragged
    // or sized): fewer states than IsBusy, ruler drags included.
    virtual bool IsTracking() const { return false; }
    // The scroll bars' maximum positions and large steps (the page grid).
    virtual void SetScrollRanges(int32_t /*maxX*/, int32_t /*largeX*/, int32_t /*maxY*/, int32_t /*largeY*/) {}
    // Sets both scroll bars to the document's view origin without treating it
    // as a scroll request of the user.
    virtual void SetScrollPositions(int32_t x, int32_t y) = 0;
    // Moves what the window shows by the distances given (one of them 0) and
    // paints what is uncovered.
    virtual void ScrollContent(int32_t dx, int32_t dy) = 0;
    // Paints the whole window again.
    virtual void Repaint() = 0;
    // Paints a rectangle of the window (window coordinates) again when the
    // window next paints; a window that cannot paint a part paints all.
    virtual void InvalidateArea(const TRect& /*rect*/) { Repaint(); }
    // Hides the caret when the window shows it; shows it again afterwards.
    virtual void HideCaret() = 0;
    virtual void ShowCaret() = 0;
    // Restores the window when it is minimised and activates it.
    virtual void RestoreAndActivate() = 0;
    // The document is being freed: drop the link to it and free the window,
    // at once when `now` is set, else after the current message.
    virtual void DocumentDestroyed(bool now) = 0;

    // After an edit: destroys and recreates the caret for its current shape
    // and place.
    virtual void RecreateCaret() {}
    // The window is focused, nothing is selected, the caret is not hidden and
    // no mouse operation is under way.
    virtual bool UpdateCaretAllowed() const { return false; }
    // The window's bookmark tab bar is shown: its tab of that name becomes
    // the selected one (without the selection travelling back).
    virtual void SelectBookmarkTab(const std::string& /*name*/) {}
    // The rulers forget their cached drawing state (a paint was asked for
    // while an edit ran).
    virtual void ClearRulerCaches() {}
};

using TDocumentViewFactory = TDocumentView* (*)(TDocument& document);
// Installs the factory (nullptr: none); returns the previous one.
TDocumentViewFactory SetDocumentViewFactory(TDocumentViewFactory factory);
TDocumentViewFactory GetDocumentViewFactory();
