#pragma once
// A real window standing for the document window: it is the document's view,
// paints the document on WM_PAINT through its update region, and keeps the
// caret as the document shapes and places it. What it was asked to paint is
// recorded.
#include "PaintFixtures.h"

#include "layout/CaretDisplay.h"
#include "layout/PagePainter.h"
#include "platform/win/Windows.h"

#include <vector>

class TTestDocumentWindow : public TWindowTarget, public TDocumentView {
public:
    static inline TTestDocumentWindow* Next = nullptr;
    static TDocumentView* Create(TDocument& document)
    {
        TTestDocumentWindow* window = Next;
        Next = nullptr;
        if (window)
            window->Doc = &document;
        return window;
    }

    TTestDocumentWindow(int32_t width, int32_t height)
    {
        TWindowParams p;
        p.Kind = TWindowKind::TopLevel;
        p.Bounds = {0, 0, width, height};
        p.Style = WS_VISIBLE;
        Handle = CreateWindowHandle(this, p);
    }
    ~TTestDocumentWindow() override
    {
        if (IsWindow(Handle))
            DestroyWindow(Handle);
    }

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_PAINT || !Doc)
            return DefWindowProc(window, message, wParam, lParam);
        HRGN update = CreateRectRgn(0, 0, 0, 0);
        GetUpdateRgn(window, update, false);
        Painted.push_back(GetRegionRects(update));
        CombineRgn(Doc->UpdateRegion(), update, nullptr, RGN_COPY);
        DeleteObject(update);
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        PaintDocument(*Doc, dc, ClientWidth(), ClientHeight());
        EndPaint(window, &ps);
        return 0;
    }

    int32_t ClientWidth() const override
    {
        TRect r;
        GetClientRect(Handle, &r);
        return r.Width();
    }
    int32_t ClientHeight() const override
    {
        TRect r;
        GetClientRect(Handle, &r);
        return r.Height();
    }
    void SetScrollPositions(int32_t, int32_t) override {}
    void ScrollContent(int32_t, int32_t) override { Repaint(); }
    void Repaint() override
    {
        ++Repaints;
        InvalidateRect(Handle, nullptr, false);
    }
    void InvalidateArea(const TRect& rect) override
    {
        Invalidated.push_back(rect);
        InvalidateRect(Handle, &rect, false);
    }
    void HideCaret() override { ::HideCaret(Handle); }
    void ShowCaret() override { ::ShowCaret(Handle); }
    void RestoreAndActivate() override {}
    void DocumentDestroyed(bool) override { Doc = nullptr; }
    void RecreateCaret() override
    {
        ::DestroyCaret();
        CreateDocumentCaret(*Doc, Handle);
        PlaceDocumentCaret(*Doc);
        ::ShowCaret(Handle);
    }

    HWND Handle = HWND_NONE;
    TDocument* Doc = nullptr;
    int32_t Repaints = 0;
    std::vector<TRect> Invalidated;
    std::vector<std::vector<TRect>> Painted;
};

// While it lives, the next document made gets the window as its view.
class TDocumentWindowScope {
public:
    explicit TDocumentWindowScope(TTestDocumentWindow& window)
        : FPrevious(SetDocumentViewFactory(&TTestDocumentWindow::Create))
    {
        TTestDocumentWindow::Next = &window;
    }
    ~TDocumentWindowScope()
    {
        SetDocumentViewFactory(FPrevious);
        TTestDocumentWindow::Next = nullptr;
    }

private:
    TDocumentViewFactory FPrevious;
};

// Painting tests with a document shown in a real window.
class WindowPaintTest : public PaintTest {
protected:
    ~WindowPaintTest() override
    {
        // The document goes before its window.
        Doc.reset();
    }

    // The fixture's document replaced by one shown in a new window of the
    // size, on small pages.
    TTestDocumentWindow& ShowInWindow(int32_t width, int32_t height)
    {
        Doc.reset();
        Window = std::make_unique<TTestDocumentWindow>(width, height);
        {
            TDocumentWindowScope scope(*Window);
            Doc = std::make_unique<TDocument>(false);
        }
        FParagraphs = 0;
        SmallPage(Doc->Sections(0), 5);
        return *Window;
    }

    std::unique_ptr<TTestDocumentWindow> Window;
};
