#include "docwindow/DocumentForm.h"
#include "document/model/Document.h"

#include "docwindow/DocumentFormSupport.h"
#include "docwindow/DocumentWindowHost.h"
#include "docwindow/StraightEdge.h"
#include "document/model/DocumentHost.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "formats/DocDispatcher.h"
#include "formats/SaveCommands.h"
#include "foundation/MessageDlg.h"
#include "foundation/Paths.h"
#include "foundation/managers/Style.h"
#include "document/styles/StyleOperations.h"
#include "layout/CaretDisplay.h"
#include "layout/PageGrid.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/framework/controls/Ranges.h"
#include "platform/framework/controls/Tabs.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/StringList.h"
#include "platform/win/DragDrop.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int32_t PageHintWidth = 200;
constexpr size_t PageHintMaxLength = 200;
constexpr char Ellipsis = static_cast<char>(133);

// The text of a heading paragraph without its mark and control characters.
std::string ParagraphLine(TDocument& document, int32_t index)
{
    const TParagraph& paragraph = document.Paragraphs(index);
    return document.GetTextRun(index, 0, std::max(paragraph.GetCharCount() - 1, 0));
}

bool IsHeadingParagraph(TDocument& document, int32_t index)
{
    const TStyle* style = document.Styles().Find(document.Paragraphs(index).Format[pfStyle]);
    return style && style->IsHeading();
}

}  // namespace

std::string PageHintText(TDocument& document, int32_t pageIndex)
{
    std::string text = "Page " + std::to_string(pageIndex + 1);
    if (pageIndex < 0 || pageIndex >= document.PageCount())
        return text;
    const TPage& page = *document.Pages()[static_cast<size_t>(pageIndex)];
    const int32_t bodyLast = document.StoryLast(stBody);
    int32_t heading = -1;
    int32_t firstOnPage = -1;
    for (size_t r = 0; r < page.Ranges.size(); ++r) {
        if (page.Ranges[r].HeaderFooter)
            continue;
        const int32_t index = page.RangeParagraphIndex(static_cast<int32_t>(r));
        if (index < 0 || index > bodyLast)
            continue;
        if (firstOnPage < 0)
            firstOnPage = index;
        if (IsHeadingParagraph(document, index)) {
            heading = index;
            break;
        }
    }
    if (heading < 0 && firstOnPage > 0) {
        for (int32_t index = firstOnPage - 1; index >= 0; --index)
            if (IsHeadingParagraph(document, index)) {
                heading = index;
                break;
            }
    }
    if (heading >= 0)
        text += "\r\n" + ParagraphLine(document, heading);
    if (text.size() > PageHintMaxLength) {
        text.resize(PageHintMaxLength);
        text += Ellipsis;
    }
    return text;
}

TDocumentForm::TDocumentForm(TComponent* owner, TDocument& document) : TForm(owner), FDocument(&document)
{
    SetFormStyle(TFormStyle::fsMDIChild);
    SetColor(clAppWorkSpace);
    SetBounds(0, 0, 560, 380);
    OnCloseQuery = [this](TForm*, bool& canClose) { FormCloseQuery(canClose); };
    OnClose = [this](TForm*, TCloseAction& action) { FormClose(action); };
    CreateControls();
    ArrangeControls(TForm::ClientRect());
    GetDocumentRect(TForm::ClientRect());
    CaretGoalX = -1;
    UpdatePageButtons();
    UpdateCaption();
    SetWindowState(TWindowState::wsMaximized);
    Show();
    if (HandleAllocated())
        MdiActivate(FHandle);
    RegisterDropTarget();
}

TDocumentForm::~TDocumentForm()
{
    BeginDestroy();
    RevokeDropTarget();
    // A window freed with its owner (the main frame) before its document:
    // the document loses its view.
    FDocument = nullptr;
}

void TDocumentForm::CreateControls()
{
    FVerScrollBar = new TScrollBar(this);
    FVerScrollBar->SetKind(TScrollBarKind::sbVertical);
    FVerScrollBar->SetPageSize(1);
    FVerScrollBar->SmallChange = 16;
    FVerScrollBar->TabStop = false;
    FVerScrollBar->SetParent(this);
    FVerScrollBar->OnChange = [this](TControl*) { VerScrollBar95Change(); };
    // The page hint follows the dragged thumb and goes when the drag ends.
    FVerScrollBar->OnScroll = [this](TControl*, TScrollCode code, int32_t& pos) {
        if (code == TScrollCode::scTrack)
            ShowPageHint(pos);
        else if (code == TScrollCode::scEndScroll)
            HidePageHint();
    };

    FPageScrollPanel = new TPanel(this);
    FPageScrollPanel->BevelOuter = TBevelCut::bvNone;
    FPageScrollPanel->ShowCaption = false;
    FPageScrollPanel->SetParent(this);
    FPageUp = new TSpeedButton(this);
    FPageUp->SetParent(FPageScrollPanel);
    FPageDown = new TSpeedButton(this);
    FPageDown->SetParent(FPageScrollPanel);

    FBookmarkTabs = new TTabSet(this);
    FBookmarkTabs->SetHeight(BookmarkTabHeight);
    FBookmarkTabs->SetParent(this);
    FBookmarkTabs->OnClick = [this](TControl*) { GoToBookmarkTab(); };
    FBookmarkTabs->OnDblClick = [](TControl*) { DocumentWindowHost().RunCommand(cmdBookmarkDialog); };
    StraightEdge = new TStraightEdge(this, 0);
    VerStraightEdge = new TStraightEdge(this, 1);

    FHorScrollBar = new TScrollBar(this);
    FHorScrollBar->SetKind(TScrollBarKind::sbHorizontal);
    FHorScrollBar->SetPageSize(1);
    FHorScrollBar->SmallChange = 16;
    FHorScrollBar->TabStop = false;
    FHorScrollBar->SetParent(this);
    FHorScrollBar->OnChange = [this](TControl*) { HorScrollBar95Change(); };
}

void TDocumentForm::UpdateCaption()
{
    if (!FDocument)
        return;
    const std::string name = FDocument->FileName;
    SetCaption(name.empty() ? std::string("Nouveau document") : ExtractFileName(name));
}

bool TDocumentForm::CanHandleInput() const
{
    return FDocument && !Destroying() && FDocument->View() == this;
}

// --- Layout of the controls --------------------------------------------------

void TDocumentForm::ArrangeControls(const TRect& r)
{
    if (!FVerScrollBar)
        return;
    FArranging = true;
    TDocumentWindowHost& host = DocumentWindowHost();
    const bool fullScreen = host.FullScreen() || (FDocument && FDocument->IsFullScreen());
    bool showVertical = false, showHorizontal = false, showTabs = false;
    if (!fullScreen && FDocument) {
        const TDocumentViewOptions options = host.ViewOptions(*FDocument);
        const int32_t mode = options.ScrollBarMode;
        showVertical = mode == 2 || mode == 3;
        showHorizontal =
            (mode == 1 || mode == 3) && FDocument->ZoomKind != zkPageWidth && FDocument->ZoomKind != zkTextWidth;
        showTabs = options.BookmarkTabs && !FDocument->EditedHeaderFooter && FDocument->GetBookmarkList().Count() > 0;
    }
    FVerScrollBar->SetVisible(showVertical);
    FPageScrollPanel->SetVisible(showVertical);
    FHorScrollBar->SetVisible(showHorizontal);
    FBookmarkTabs->SetVisible(showTabs);
    if (showTabs)
        UpdateBookmarkTabs();

    const int32_t V = GetSystemMetrics(SM_CXVSCROLL);
    const int32_t H = GetSystemMetrics(SM_CYHSCROLL);
    const int32_t tabHeight = FBookmarkTabs->Height();
    const int32_t tabs = showTabs ? 1 : 0;
    const int32_t horizontal = showHorizontal ? 1 : 0;
    if (showTabs)
        FBookmarkTabs->SetBounds(-1, r.Bottom - tabHeight, r.Right + 2, tabHeight);
    if (showHorizontal)
        FHorScrollBar->SetBounds(0, showTabs ? r.Bottom - (tabHeight - 1) - H : r.Bottom - H,
                                 showVertical ? r.Right - V : r.Right, H);
    if (showVertical) {
        const int32_t panelTop = r.Bottom - tabs * (tabHeight - horizontal) - H * horizontal - 2 * V;
        FPageScrollPanel->SetBounds(r.Right - V, panelTop, V, 2 * V + H * horizontal);
        FPageUp->SetBounds(0, 0, V, V);
        FPageDown->SetBounds(0, V, V, V);
        FVerScrollBar->SetBounds(r.Right - V, 0, V, std::max(panelTop, 0));
    }
    const bool rulers = !fullScreen && FDocument;
    const TDocumentViewOptions rulerOptions = rulers ? host.ViewOptions(*FDocument) : TDocumentViewOptions{};
    StraightEdge->SetVisible(rulerOptions.HorizontalRuler);
    VerStraightEdge->SetVisible(rulerOptions.VerticalRuler);
    // A hidden ruler also takes no room (24 pixels is a ruler's thickness).
    StraightEdge->SetBounds(0, 0, rulerOptions.HorizontalRuler ? (showVertical ? r.Right - V : r.Right) : 0,
                            rulerOptions.HorizontalRuler ? 24 : 0);
    VerStraightEdge->SetBounds(0, rulerOptions.HorizontalRuler ? 24 : 0, rulerOptions.VerticalRuler ? 24 : 0,
                               rulerOptions.VerticalRuler
                                   ? std::max(r.Bottom - H * horizontal - tabs * tabHeight - StraightEdge->Height(), 0)
                                   : 0);
    UpdateScrollPageSizes();
    FArranging = false;
}

void TDocumentForm::GetDocumentRect(const TRect& clientRect)
{
    DocRect = clientRect;
    if (!(WindowFlags & dwfControlsSuppressed) && FVerScrollBar) {
        if (FVerScrollBar->Visible())
            DocRect.Right -= GetSystemMetrics(SM_CXVSCROLL);
        if (FHorScrollBar->Visible())
            DocRect.Bottom -= GetSystemMetrics(SM_CYHSCROLL);
        if (FBookmarkTabs->Visible())
            DocRect.Bottom -= FHorScrollBar->Visible() ? FBookmarkTabs->Height() - 1 : FBookmarkTabs->Height();
        if (StraightEdge->Visible())
            DocRect.Top += StraightEdge->Height();
        if (VerStraightEdge->Visible())
            DocRect.Left += VerStraightEdge->Width();
    }
    DocRect.Right = std::max(DocRect.Right, DocRect.Left);
    DocRect.Bottom = std::max(DocRect.Bottom, DocRect.Top);
    DocWidth = DocRect.Right - DocRect.Left;
    DocHeight = DocRect.Bottom - DocRect.Top;
    UpdateScrollPageSizes();
}

void TDocumentForm::UpdateScrollPageSizes()
{
    if (!FVerScrollBar)
        return;
    FHorScrollBar->SetPageSize(std::max(DocWidth, 1));
    FVerScrollBar->SetPageSize(std::max(DocHeight, 1));
}

void TDocumentForm::RealignView()
{
    ArrangeControls(TForm::ClientRect());
    GetDocumentRect(TForm::ClientRect());
    if (FDocument && FDocument->View() == this) {
        FDocument->BeginSuppressChange(chfPageLayout);
        try {
            FDocument->SetZoom(FDocument->ZoomKind == zkFixed ? FDocument->Zoom() : FDocument->CalcZoom());
        } catch (...) {
            FDocument->EndChanges(1);
            throw;
        }
        FDocument->EndChanges(1);
        UpdatePageLayout(*FDocument);
        Repaint();
    }
}

bool TDocumentForm::ClipToDocumentRect(TRect& rect) const
{
    TRect clipped{};
    const bool left = IntersectRect(clipped, rect, DocRect);
    rect = clipped;
    return left;
}

TPoint TDocumentForm::ClientToDocument(TPoint point) const
{
    const TPoint origin = FDocument ? FDocument->ViewOrigin : TPoint{};
    return {point.X + origin.X - DocRect.Left, point.Y + origin.Y - DocRect.Top};
}

TPoint TDocumentForm::DocumentToClient(TPoint point) const
{
    const TPoint origin = FDocument ? FDocument->ViewOrigin : TPoint{};
    return {point.X - origin.X + DocRect.Left, point.Y - origin.Y + DocRect.Top};
}

void TDocumentForm::UpdatePageButtons()
{
    TDocumentWindowHost& host = DocumentWindowHost();
    TSpeedButton* buttons[2] = {FPageUp, FPageDown};
    const int32_t commands[2] = {cmdPageUp, cmdPageDown};
    for (int i = 0; i < 2; ++i) {
        TSpeedButton* button = buttons[i];
        button->Tag = commands[i];
        button->SetHint(host.CommandHint(commands[i]));
        button->ShowHint = true;
        // The tool-bar image cut down to its centre 10 x 10 pixels.
        TBitmap image;
        if (host.CommandGlyph(commands[i], image) && image.Width() >= 13 && image.Height() >= 13) {
            TBitmap& glyph = button->Glyph();
            glyph.SetSize(10, 10);
            glyph.Canvas().CopyRect({0, 0, 10, 10}, image.Canvas(), {3, 3, 13, 13});
        }
        button->OnClick = [button](TControl*) { DocumentWindowHost().RunCommand(static_cast<int32_t>(button->Tag)); };
    }
}

void TDocumentForm::UpdateBookmarkTabs()
{
    if (!FDocument)
        return;
    FRebuildingTabs = true;
    TStringList& list = FDocument->GetBookmarkList();
    FBookmarkTabs->Tabs().Clear();
    for (int32_t i = 0; i < list.Count(); ++i)
        FBookmarkTabs->Tabs().Add(list.Strings(i));
    FRebuildingTabs = false;
    FBookmarkTabs->Invalidate();
}

void TDocumentForm::SelectBookmarkTab(const std::string& name)
{
    if (!FBookmarkTabs || !FBookmarkTabs->Visible())
        return;
    FRebuildingTabs = true;
    FBookmarkTabs->SetTabIndex(FBookmarkTabs->Tabs().IndexOf(name));
    FRebuildingTabs = false;
}

void TDocumentForm::GoToBookmarkTab()
{
    if (FRebuildingTabs || !FDocument)
        return;
    const int32_t index = FBookmarkTabs->TabIndex();
    if (index >= 0 && index < FBookmarkTabs->Tabs().Count())
        FDocument->GoToBookmark(FBookmarkTabs->Tabs().Strings(index), false);
}

// --- The document's view --------------------------------------------------------

void TDocumentForm::SetScrollRanges(int32_t maxX, int32_t largeX, int32_t maxY, int32_t largeY)
{
    if (!FVerScrollBar)
        return;
    WindowFlags |= dwfProgramScroll;
    FHorScrollBar->SetParams(FHorScrollBar->Position(), 0, std::max(maxX - 1, 0));
    FHorScrollBar->LargeChange = std::max(largeX, 1);
    FVerScrollBar->SetParams(FVerScrollBar->Position(), 0, std::max(maxY - 1, 0));
    FVerScrollBar->LargeChange = std::max(largeY, 1);
    UpdateScrollPageSizes();
    WindowFlags &= ~dwfProgramScroll;
}

void TDocumentForm::SetScrollPositions(int32_t x, int32_t y)
{
    if (!FVerScrollBar)
        return;
    WindowFlags |= dwfProgramScroll;
    FHorScrollBar->SetPosition(x);
    FVerScrollBar->SetPosition(y);
    WindowFlags &= ~dwfProgramScroll;
}

void TDocumentForm::ScrollContent(int32_t, int32_t)
{
    Repaint();
}

void TDocumentForm::Repaint()
{
    if (HandleAllocated())
        InvalidateRect(FHandle, &DocRect, false);
}

void TDocumentForm::InvalidateArea(const TRect& rect)
{
    if (!HandleAllocated())
        return;
    TRect moved{rect.Left + DocRect.Left, rect.Top + DocRect.Top, rect.Right + DocRect.Left, rect.Bottom + DocRect.Top};
    if (ClipToDocumentRect(moved))
        InvalidateRect(FHandle, &moved, false);
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

bool TDocumentForm::UpdateCaretAllowed() const
{
    return CanHandleInput() && HandleAllocated() && GetFocus() == FHandle && !FDocument->HasSelection();
}

void TDocumentForm::RecreateCaret()
{
    if (!CanHandleInput() || FDocument->InOperation)
        return;
    const bool focused = HandleAllocated() && GetFocus() == FHandle;
    if (focused && (WindowFlags & dwfCaretShown)) {
        ::HideCaret(FHandle);
        WindowFlags &= ~dwfCaretShown;
    }
    if (focused)
        DestroyCaret();
    UpdateCaretShape(*FDocument);
    if (!focused)
        return;
    CreateDocumentCaret(*FDocument, FHandle);
    // The caret's place in the document view, which starts beside the rulers.
    SetCaretPos(FDocument->Caret.X - FDocument->ViewOrigin.X + DocRect.Left,
                FDocument->Caret.Y - FDocument->ViewOrigin.Y + DocRect.Top);
    if (UpdateCaretAllowed()) {
        ::ShowCaret(FHandle);
        WindowFlags |= dwfCaretShown;
    }
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
    HidePageHint();
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
    if (HandleKeyMessage(message))
        return;
    if (message.Msg == WM_PAINT && HandleAllocated()) {
        if (CanHandleInput()) {
            PaintDocumentWindow();
            message.Result = 0;
            return;
        }
    }
    if (message.Msg == WM_ERASEBKGND && FDocument) {
        message.Result = 1;  // the painter covers the document rectangle
        return;
    }
    if (DispatchMouseMessage(message))
        return;
    TForm::WndProc(message);
}

void TDocumentForm::PaintDocumentWindow()
{
    PaintDocumentInWindow(*FDocument, FHandle, DocWidth, DocHeight, {DocRect.Left, DocRect.Top});
    StraightEdge->UpdateFromDocument();
    VerStraightEdge->UpdateFromDocument();
}

void TDocumentForm::ClearRulerCaches()
{
    for (TStraightEdge* ruler : {StraightEdge, VerStraightEdge}) {
        ruler->ClearState();
        ruler->Invalidate();
    }
}

void TDocumentForm::Resize()
{
    TForm::Resize();
    ArrangeControls(TForm::ClientRect());
    GetDocumentRect(TForm::ClientRect());
    if (FDocument && FDocument->View() == this)
        RelayoutDocumentWindow(*FDocument);
}

// --- Scroll bars and the page hint ----------------------------------------------

void TDocumentForm::HorScrollBar95Change()
{
    if ((WindowFlags & dwfProgramScroll) || FArranging || !CanHandleInput())
        return;
    FDocument->ScrollTo({FHorScrollBar->Position(), FDocument->ViewOrigin.Y});
    DocumentWindowHost().StampUserAction();
}

void TDocumentForm::VerScrollBar95Change()
{
    if ((WindowFlags & dwfProgramScroll) || FArranging || !CanHandleInput())
        return;
    const int32_t position = FVerScrollBar->Position();
    // Near the end of what is paginated so far: a quarter more pages.
    if (static_cast<int64_t>(FVerScrollBar->Max()) * 9 / 10 < position && !FDocument->PaginationComplete) {
        const int32_t count = FDocument->PageCount();
        TDocumentHost& host = DocumentHost();
        host.PushStatus();
        try {
            FDocument->Paginate(count, count + count / 4, count);
        } catch (...) {
            host.PopStatus();
            throw;
        }
        host.PopStatus();
        UpdatePageLayout(*FDocument);
    }
    FDocument->ScrollTo({FDocument->ViewOrigin.X, position});
    DocumentWindowHost().StampUserAction();
}

void TDocumentForm::ShowPageHint(int32_t trackBarPos)
{
    if (!CanHandleInput() || FDocument->PageCount() < 2)
        return;
    if (!FPageHintWindow) {
        FPageHintWindow = new THintWindow(this);
        FPageHintWindow->SetColor(clInfoBk);
        FPageHintWindow->Font().SetColor(clInfoText);
        FPageHintWindow->Font().SetStyle(fsBold);
        WindowFlags |= dwfPageHintShown;
    }
    // The page whose middle is nearest to the middle of the view, walking a
    // row of pages at a time.
    const int64_t target = static_cast<int64_t>(trackBarPos) + DocHeight / 2;
    const int32_t step = std::max(FDocument->PagesAcross, 1);
    const int32_t count = FDocument->PageCount();
    int32_t best = -1;
    int64_t bestDistance = 0;
    bool stopped = false;
    for (int32_t page = 0; page < count; page += step) {
        const TRect& rect = FDocument->Pages()[static_cast<size_t>(page)]->Rect;
        const int64_t distance = std::llabs((static_cast<int64_t>(rect.Top) + rect.Bottom) / 2 - target);
        if (best >= 0 && distance >= bestDistance) {
            stopped = true;
            break;
        }
        best = page;
        bestDistance = distance;
    }
    if (!stopped)
        best = count - 1;
    if (best == FPageHintPage)
        return;
    FPageHintPage = best;
    const std::string text = PageHintText(*FDocument, best);
    if (text == FPageHintText && FPageHintWindow->Visible())
        return;
    FPageHintText = text;
    const TRect needed = FPageHintWindow->CalcHintRect(PageHintWidth, text);
    TPoint topLeft = ClientToScreen({DocRect.Right - PageHintWidth, DocRect.Top});
    if (DocRect.Right - PageHintWidth < 0)
        topLeft = ClientToScreen({0, DocRect.Top});
    FPageHintWindow->ActivateHint({topLeft.X, topLeft.Y, topLeft.X + PageHintWidth, topLeft.Y + needed.Height() + 4},
                                  text);
}

void TDocumentForm::HidePageHint()
{
    if (!(WindowFlags & dwfPageHintShown))
        return;
    delete FPageHintWindow;
    FPageHintWindow = nullptr;
    FPageHintPage = -1;
    FPageHintText.clear();
    WindowFlags &= ~dwfPageHintShown;
}

// --- Hit testing, zoom and hand scrolling -------------------------------------------

THitTestResult TDocumentForm::HitTest(int32_t clientX, int32_t clientY)
{
    if (!FDocument)
        return {};
    return HitTestDocument(*FDocument, ClientToDocument({clientX, clientY}));
}

void TDocumentForm::ZoomAtPoint(int32_t x, int32_t y, bool zoomOut, uint32_t keyFlags)
{
    if (!CanHandleInput())
        return;
    if (x == ZoomAtCentre) {
        x = DocWidth / 2;
        y = DocHeight / 2;
    }
    TZoomPointerContext context;
    context.ViewPoint = {x - DocRect.Left, y - DocRect.Top};
    const THitTestResult hit = HitTest(x, y);
    context.Hit = &hit;
    context.DocumentPoint = ClientToDocument({x, y});
    for (const auto& page : FDocument->Pages())
        if (PtInRect(page->Rect, context.DocumentPoint)) {
            context.Page = page->Index;
            context.PagePoint = {context.DocumentPoint.X - page->Rect.Left, context.DocumentPoint.Y - page->Rect.Top};
            break;
        }
    context.Step = (keyFlags & MK_CONTROL) ? 10 : (keyFlags & MK_SHIFT) ? 100 : 25;
    context.ZoomOut = zoomOut;
    DocumentWindowHost().RunZoomCommand(context);
    DocumentHost().FireProgramEvent(zoomOut ? evZoomOut : evZoomIn);
}

void TDocumentForm::BeginPanning(int32_t x, int32_t y)
{
    if (!CanHandleInput())
        return;
    WindowFlags |= dwfPanning;
    FPanOrigin = FDocument->ViewOrigin;
    FPanPoint = {x, y};
    if (HandleAllocated())
        SetCapture(FHandle);
    DocumentHost().FireProgramEvent(evPanningStarted);
}

void TDocumentForm::PanTo(int32_t x, int32_t y)
{
    // The pointer is not confined to the window here (the desktop may not
    // allow it); the view origin is kept within the document by ScrollTo.
    if (!(WindowFlags & dwfPanning) || !CanHandleInput())
        return;
    if (x == FPanPoint.X && y == FPanPoint.Y)
        return;
    FDocument->ScrollTo({FPanOrigin.X + FPanPoint.X - x, FPanOrigin.Y + FPanPoint.Y - y});
    DocumentWindowHost().StampUserAction();
}

void TDocumentForm::EndPanning()
{
    if (!(WindowFlags & dwfPanning))
        return;
    WindowFlags &= ~dwfPanning;
    if (HandleAllocated() && GetCapture() == FHandle)
        ReleaseCapture();
}

// --- Closing ------------------------------------------------------------------------

void TDocumentForm::FormCloseQuery(bool& canClose)
{
    canClose = true;
    if (!FDocument || !FDocument->IsModified())
        return;
    // A document whose only change is entering header and footer editing
    // closes without a question.
    if (DocumentChangedOnlyByHeaderFooterCommand(*FDocument))
        return;
    // Every changed document is asked about, one never saved too: its Yes
    // goes to Save As.
    RestoreAndActivate();
    const std::string name = FDocument->FileName.empty() ? Caption() : FDocument->FileName;
    const int32_t answer =
        ShowMessageDlg("Le document \"" + GetDisplayFileName(name, Canvas(), 350) + "\" a changé. Voulez-vous enregistrer les modifications ?",
                       mtConfirmation, mbYesNoCancel);
    if (answer == mrCancel) {
        canClose = false;
        return;
    }
    if (answer != mrYes)
        return;
    canClose = ::Save(*FDocument) == srSaved;
}

void TDocumentForm::FormClose(TCloseAction& action)
{
    // The document goes through the dispatcher, which frees it; its window
    // follows once this message is handled.
    action = TCloseAction::caNone;
    if (FDocument && DocDispatcher)
        DocDispatcher->CloseDocument(FDocument);
    DocumentHost().FireProgramEvent(evDocumentClosed);
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
