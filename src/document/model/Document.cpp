#include "document/model/Document.h"

#include "document/model/DocumentLayout.h"
#include "document/model/DocumentView.h"
#include "document/fields/Field.h"
#include "document/model/ObjectManager.h"
#include "document/operations/OperationManager.h"
#include "document/model/Page.h"
#include "document/model/ParReformatingManager.h"
#include "document/model/Paragraph.h"
#include "document/text/TextAccess.h"
#include "document/model/VectorGrowth.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/Paths.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/StyleManager.h"
#include "foundation/managers/TabManager.h"
#include "foundation/TextTables.h"
#include "platform/framework/GraphicsObjects.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Regions.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

// Encrypted working files are overwritten in blocks of this size before they
// are deleted.
constexpr int32_t kWipeBlockSize = 16384;
// Two-digit untitled names run from Doc01 to Doc99.
constexpr int32_t kLastUntitledCounter = 99;
// A title suggested as a file name is cut to this many characters.
constexpr size_t kMaxTitleLength = 100;
// Names with more digits tried after every two-digit one is taken.
constexpr int32_t kMoreUntitledNames = 65536;

int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

[[noreturn]] void RaiseIndex(int32_t index)
{
    throw EListError("Indice de liste hors limites (" + std::to_string(index) + ")");
}

}  // namespace

int32_t ScaleRoundHalfUp(int64_t value, int64_t multiplier, int64_t divisor)
{
    if (divisor < 1)
        return 0;
    const int64_t product = value * multiplier;
    const int64_t quotient = product / divisor;
    const int64_t remainder = product % divisor;
    return Saturate(remainder > 0 && remainder >= divisor / 2 ? quotient + 1 : quotient);
}

std::string DefaultDocumentExtension(int32_t coding)
{
    switch (coding) {
    case ciWord6:
    case ciWord97:
        return "doc";
    case ciWrite:
        return "wri";
    case ciEncrypted:
        return "cod";
    case ciAnsiText:
    case ciDosText:
        return "txt";
    default:
        return "rtf";
    }
}

std::string CleanTitleText(const std::string& text, bool keep)
{
    std::string result = text;
    for (char& c : result) {
        const uint8_t b = static_cast<uint8_t>(c);
        if (b < 32 || (!keep && InvalidFileNameCharTable[b]))
            c = ' ';
    }
    return Trim(result);
}

// ---------------------------------------------------------------------------
// Construction and destruction

TDocument::TDocument(bool hidden)
{
    SetChangeFlag(chfConstruction, 1);
    try {
        FObjectManager = std::make_unique<TObjectManager>(this);
        FTabManager = std::make_unique<TTabManager>(this);
        FStyles = std::make_unique<TStyleList>(this, FTabManager.get());
        DocCharFormat = DefaultCharFormat();

        auto paragraph = std::make_unique<TParagraph>(this);
        paragraph->Format = DefaultParFormat();
        paragraph->Index = 0;
        FParagraphs.push_back(std::move(paragraph));
        FStoryCounts[stBody] = 1;

        auto section = std::make_unique<TSection>(this);
        section->SetDefaults();
        FSections.push_back(std::move(section));

        FUpdateRegion = CreateRectRgn(0, 0, 0, 0);
        FViewConstructing = true;
        SetZoom(100);

        if (!hidden) {
            if (TDocumentViewFactory factory = GetDocumentViewFactory())
                FView = factory(*this);
            FViewConstructing = false;
            PageGridCount = 100;
            NewView = 1;
        } else {
            FHidden = true;
        }
        // Without a window nobody can undo: operations are applied and freed.
        NoUndo = FView ? 0 : 1;

        FReformatingManager = std::make_unique<TParReformatingManager>(this);
        FUndoManager = std::make_unique<TOperationManager>(this);
        FBookmarkNames = std::make_unique<TStringList>();
        FBookmarkNames->SetSorted(true);
    } catch (...) {
        if (FView)
            FView->DocumentDestroyed(true);
        if (FUpdateRegion)
            DeleteObject(FUpdateRegion);
        throw;
    }
    SetChangeFlag(chfConstruction, 0);
}

TDocument::~TDocument()
{
    FDestroying = true;
    if (TDocumentLayout* layout = GetDocumentLayout())
        layout->ReleaseDocument(*this);
    CloseWorkingFile();
    FParagraphs.clear();
    FReformatingManager.reset();
    if (FView) {
        FView->DocumentDestroyed(false);
        FView = nullptr;
    }
    FUndoManager.reset();
    if (FUpdateRegion) {
        DeleteObject(FUpdateRegion);
        FUpdateRegion = nullptr;
    }
    FStyles.reset();
    FPages.clear();
    FTabManager.reset();
    FObjectManager.reset();
    FBookmarkNames.reset();
    EditedHeaderFooter = nullptr;
    FRangeObjects.clear();
    FSections.clear();
    FChangeStack.clear();
}

void TDocument::CloseWorkingFile()
{
    if (!KeepsWorkingFile)
        return;
    KeepsWorkingFile = 0;
    if (WorkingFileHandle != 0 && WorkingFileHandle != INVALID_HANDLE_VALUE) {
        if (Format == ciEncrypted && !WorkingFileWiped) {
            // The clear text of an encrypted document must not stay on the disk.
            const int64_t size = FileGetSize(WorkingFileHandle);
            if (size > 0 && FileSeek(WorkingFileHandle, 0, 0) == 0) {
                const std::vector<uint8_t> block(kWipeBlockSize, 0);
                for (int64_t done = 0; done < size;) {
                    const int32_t count = static_cast<int32_t>(std::min<int64_t>(kWipeBlockSize, size - done));
                    if (FileWrite(WorkingFileHandle, block.data(), count) != count)
                        break;
                    done += count;
                }
                FlushFileBuffers(WorkingFileHandle);
            }
            WorkingFileWiped = 1;
        }
        FileClose(WorkingFileHandle);
    }
    WorkingFileHandle = 0;
    if (!WorkingFileName.empty())
        DeleteFile(WorkingFileName);
}

// ---------------------------------------------------------------------------
// Paragraphs and stories

TParagraph& TDocument::Paragraphs(int32_t index) const
{
    if (index < 0 || index >= ParagraphCount())
        RaiseIndex(index);
    return *FParagraphs[static_cast<size_t>(index)];
}

int32_t TDocument::StoryCount(int32_t story) const
{
    if (story < 0 || story >= StoriesPerDocument)
        return 0;
    return FStoryCounts[story];
}

int32_t TDocument::StoryFirst(int32_t story) const
{
    int32_t first = 0;
    for (int32_t s = 0; s < std::min(story, StoriesPerDocument); ++s)
        first += FStoryCounts[s];
    return first;
}

int32_t TDocument::StoryLast(int32_t story) const
{
    return StoryFirst(story) + StoryCount(story) - 1;
}

int32_t TDocument::GetStoryOfParagraph(int32_t index) const
{
    if (index < 0)
        return NoStory;
    int32_t end = 0;
    for (int32_t s = 0; s < StoriesPerDocument; ++s) {
        end += FStoryCounts[s];
        if (index < end)
            return s;
    }
    return NoStory;
}

void TDocument::Reindex(int32_t from)
{
    for (size_t i = static_cast<size_t>(std::max(from, 0)); i < FParagraphs.size(); ++i)
        FParagraphs[i]->Index = static_cast<int32_t>(i);
}

TParagraph& TDocument::InsertParagraph(int32_t index, int32_t story)
{
    if (story < 0 || story >= StoriesPerDocument)
        throw EInternalError("Partie de document inconnue (" + std::to_string(story) + ")");
    const int32_t first = StoryFirst(story);
    if (index < first || index > first + FStoryCounts[story])
        RaiseIndex(index);
    auto paragraph = std::make_unique<TParagraph>(this);
    paragraph->Format = DefaultParFormat();
    TParagraph& result = *paragraph;
    FParagraphs.insert(FParagraphs.begin() + index, std::move(paragraph));
    ++FStoryCounts[story];
    Reindex(index);
    if (story == stBody)
        SectionsDirty = 1;
    return result;
}

TParagraph& TDocument::AppendParagraph(int32_t story)
{
    if (story < 0 || story >= StoriesPerDocument)
        throw EInternalError("Partie de document inconnue (" + std::to_string(story) + ")");
    return InsertParagraph(StoryFirst(story) + FStoryCounts[story], story);
}

void TDocument::DeleteParagraph(int32_t index)
{
    const int32_t story = GetStoryOfParagraph(index);
    if (story == NoStory)
        RaiseIndex(index);
    if (story == stBody && FStoryCounts[stBody] == 1)
        throw EInternalError("Le corps du document garde au moins un paragraphe");
    FParagraphs.erase(FParagraphs.begin() + index);
    --FStoryCounts[story];
    Reindex(index);
    if (story == stBody)
        SectionsDirty = 1;
}

bool TDocument::IsOutsideEditedStory(int32_t index) const
{
    if (FFullScreen || IsPreview)
        return false;
    const bool inHeadersFooters = GetStoryOfParagraph(index) == stHeadersFooters;
    return EditedHeaderFooter ? !inHeadersFooters : inHeadersFooters;
}

TField& TDocument::AddRangeObject(uint8_t kind)
{
    ReserveMore(FRangeObjects, 1);
    FRangeObjects.push_back(std::make_unique<TField>(this, kind));
    if (kind == rkBookmark)
        BookmarkListDirty = 1;
    return *FRangeObjects.back();
}

void TDocument::RemoveRangeObject(TField* field)
{
    const auto it = std::find_if(FRangeObjects.begin(), FRangeObjects.end(),
                                 [field](const std::unique_ptr<TField>& item) { return item.get() == field; });
    if (it == FRangeObjects.end())
        return;
    ForgetRangeObject(field);
    FRangeObjects.erase(it);
}

void TDocument::ForgetRangeObject(TField* field)
{
    if (EditedHeaderFooter == field)
        EditedHeaderFooter = nullptr;
    for (const auto& section : FSections)
        for (TField*& slot : section->HeadersFooters)
            if (slot == field)
                slot = nullptr;
    for (const auto& other : FRangeObjects)
        if (other->NoteRecord == field)
            other->NoteRecord = nullptr;
    for (const auto& page : FPages) {
        if (page->Header == field)
            page->Header = nullptr;
        if (page->Footer == field)
            page->Footer = nullptr;
    }
    // Lines that measured the note's reference mark keep no pointer to it.
    if (field->Kind == rkNoteReference)
        for (const auto& paragraph : FParagraphs)
            for (int32_t i = 0; i < paragraph->GetLineCount(); ++i) {
                TParLine& line = paragraph->GetLine(i);
                if (line.FootnoteMark == field)
                    line.FootnoteMark = nullptr;
                if (line.EndnoteMark == field)
                    line.EndnoteMark = nullptr;
            }
    if (field->Kind == rkBookmark)
        BookmarkListDirty = 1;
}

// ---------------------------------------------------------------------------
// Change flags and notification

uint8_t TDocument::GetChangeFlag(int32_t flag) const
{
    if (flag < 0 || flag >= ChangeFlagCount)
        RaiseIndex(flag);
    return FChangeFlags[flag];
}

void TDocument::SetChangeFlag(int32_t flag, uint8_t value)
{
    if (flag < 0 || flag >= ChangeFlagCount)
        RaiseIndex(flag);
    FChangeFlags[flag] = value;
}

void TDocument::BeginChange(int32_t flag)
{
    const uint8_t old = GetChangeFlag(flag);
    FChangeStack.push_back(static_cast<uint32_t>(flag) | (old ? 0x10000u : 0u));
    FChangeFlags[flag] = 1;
}

void TDocument::BeginSuppressChange(int32_t flag)
{
    const uint8_t old = GetChangeFlag(flag);
    FChangeStack.push_back(static_cast<uint32_t>(flag) | (old ? 0x10000u : 0u));
    FChangeFlags[flag] = 0;
}

void TDocument::EndChanges(int32_t count)
{
    for (int32_t i = 0; i < count && !FChangeStack.empty(); ++i) {
        const uint32_t entry = FChangeStack.back();
        FChangeStack.pop_back();
        FChangeFlags[entry & 0xFFFF] = (entry >> 16) & 1;
    }
}

void TDocument::LockDispatcher()
{
    DocumentHost().BeginDocumentUpdate(*this);
}

void TDocument::UnlockDispatcher()
{
    DocumentHost().EndDocumentUpdate();
}

void TDocument::SetModified(bool modified)
{
    if (FModified == modified)
        return;
    FModified = modified;
    DocumentHost().RequestLayout();
}

// ---------------------------------------------------------------------------
// Units

int32_t TDocument::TwipsToDeviceX(int32_t twips) const
{
    return ScaleRoundHalfUp(twips, FDeviceResolutionX, 1440);
}

int32_t TDocument::TwipsToDeviceY(int32_t twips) const
{
    return ScaleRoundHalfUp(twips, FDeviceResolutionY, 1440);
}

int32_t TDocument::TwipsToLayout(int32_t twips) const
{
    return ScaleRoundHalfUp(twips, FLayoutResolution, 1440);
}

int32_t TDocument::TwipsToDeviceXScaled(int32_t twips, int32_t percent) const
{
    return ScaleRoundHalfUp(twips, static_cast<int64_t>(FDeviceResolutionX) * percent, 144000);
}

int32_t TDocument::TwipsToDeviceYScaled(int32_t twips, int32_t percent) const
{
    return ScaleRoundHalfUp(twips, static_cast<int64_t>(FDeviceResolutionY) * percent, 144000);
}

int32_t TDocument::TwipsToLayoutScaled(int32_t twips, int32_t percent) const
{
    return ScaleRoundHalfUp(twips, static_cast<int64_t>(FLayoutResolution) * percent, 144000);
}

int32_t TDocument::LayoutToTwips(int32_t value) const
{
    return MulDiv(value, 1440, FLayoutResolution);
}

int32_t TDocument::DeviceYToTwips(int32_t value) const
{
    return MulDiv(value, 1440, FDeviceResolutionY);
}

int32_t TDocument::ApplyZoom(int32_t value) const
{
    return FZoom == 100 ? value : ScaleRoundHalfUp(value, FZoom, 100);
}

int32_t TDocument::ApplyScaleX(int32_t value) const
{
    return FSecondScale == 100 ? value : ScaleRoundHalfUp(value, FSecondScale, 100);
}

int32_t TDocument::FontSizeToHeight(int32_t halfPoints) const
{
    return -ScaleRoundHalfUp(halfPoints, FLayoutResolution, 144);
}

int32_t TDocument::FontSizeToDeviceHeight(int32_t halfPoints) const
{
    const int32_t height = -ScaleRoundHalfUp(halfPoints, FDeviceResolutionY, 144);
    return height > -3 ? -3 : height;
}

// ---------------------------------------------------------------------------
// Page sizes

void TDocument::UpdateSectionDeviceSizes()
{
    for (const auto& section : FSections) {
        TPageParams& p = section->PageParams;
        p[ppPaperWidthLayout] = TwipsToLayout(p[ppPaperWidth]);
        p[ppPaperHeightLayout] = TwipsToLayout(p[ppPaperHeight]);
        p[ppLeftMarginLayout] = TwipsToLayout(p[ppLeftMargin]);
        p[ppRightMarginLayout] = TwipsToLayout(p[ppRightMargin]);
        p[ppTopMarginLayout] = TwipsToLayout(p[ppTopMargin]);
        p[ppBottomMarginLayout] = TwipsToLayout(p[ppBottomMargin]);
        p[ppPaperWidthDevice] = TwipsToDeviceX(p[ppPaperWidth]);
        p[ppPaperHeightDevice] = TwipsToDeviceY(p[ppPaperHeight]);
        p[ppPaperHeightDevice15] = Saturate(static_cast<int64_t>(p[ppPaperHeightDevice]) + 15);
        p[ppLeftMarginScaled] = TwipsToLayoutScaled(p[ppLeftMargin], FSecondScale);
        p[ppRightMarginScaled] = TwipsToLayoutScaled(p[ppRightMargin], FSecondScale);
        p[ppTopMarginScaled] = TwipsToLayoutScaled(p[ppTopMargin], FZoom);
        p[ppBottomMarginScaled] = TwipsToLayoutScaled(p[ppBottomMargin], FZoom);
        p[ppTextWidth] =
            Saturate(static_cast<int64_t>(p[ppPaperWidth]) - p[ppLeftMargin] - static_cast<int64_t>(p[ppRightMargin]));
    }
    CalcMaxPageSize();
}

void TDocument::CalcMaxPageSize()
{
    TLargestPage largest;
    for (const auto& section : FSections) {
        const TPageParams& p = section->PageParams;
        largest.WidthTwips = std::max(largest.WidthTwips, p[ppPaperWidth]);
        largest.HeightTwips = std::max(largest.HeightTwips, p[ppPaperHeight]);
        largest.WidthLayout = std::max(largest.WidthLayout, p[ppPaperWidthLayout]);
        largest.HeightLayout = std::max(largest.HeightLayout, p[ppPaperHeightLayout]);
        largest.WidthDevice = std::max(largest.WidthDevice, p[ppPaperWidthDevice]);
        largest.HeightDevice = std::max(largest.HeightDevice, p[ppPaperHeightDevice]);
        largest.TextWidthTwips = std::max(largest.TextWidthTwips, p[ppTextWidth]);
    }
    FLargestPage = largest;
}

void TDocument::GetMaxPageSizes(TLargestPage& sizes)
{
    RebuildSectionRanges();
    sizes = FLargestPage;
}

// ---------------------------------------------------------------------------
// Zoom and view

int32_t TDocument::CalcZoom()
{
    int64_t zoom = FZoom;
    if (FView) {
        const int64_t width = FView->ClientWidth();
        const int64_t height = FView->ClientHeight();
        const int64_t pageWidth = FLargestPage.WidthLayout;
        const int64_t pageHeight = FLargestPage.HeightLayout;
        // The height limit of the whole-page kinds.
        auto limitByHeight = [&]() {
            if (pageHeight > 0 && pageHeight * zoom / 100 > height - 20)
                zoom = (height - 20) * 100 / pageHeight;
            WholePageFitted = 1;
        };
        switch (ZoomKind) {
        case zkPageWidth:
            if (pageWidth > 0)
                zoom = (width - 20) * 100 / pageWidth;
            break;
        case zkTextWidth: {
            const int32_t textWidth = TwipsToLayout(FLargestPage.TextWidthTwips);
            if (textWidth > 0)
                zoom = MulDiv(Saturate(width - 40), 100, textWidth);
            break;
        }
        case zkWholePage:
            if (pageWidth > 0)
                zoom = (width - 20) * 100 / pageWidth;
            limitByHeight();
            break;
        case zkTwoPages:
            if (pageWidth > 0)
                zoom = (width - 30) * 100 / (2 * pageWidth);
            limitByHeight();
            break;
        default:
            break;
        }
    }
    return static_cast<int32_t>(std::clamp<int64_t>(zoom, MinZoom, MaxZoom));
}

void TDocument::SetZoomAt(int32_t percent, const TPoint* keep)
{
    TDocumentLayout* layout = GetDocumentLayout();
    TDocumentHost& host = DocumentHost();
    const int32_t oldZoom = FZoom;

    // 1. The place to keep, in zoom-independent units relative to its page.
    bool keeping = false;
    int32_t page = -1;
    TPoint kept;
    TPoint inView;
    if (!FViewConstructing && layout) {
        page = layout->GetCurrentPage(*this);
        TRect pageRect;
        if (page >= 0 && layout->GetPageRect(*this, page, pageRect)) {
            TPoint place;
            if (keep) {
                place = *keep;
            } else {
                const int32_t clientWidth = FView ? FView->ClientWidth() : 0;
                const int32_t clientHeight = FView ? FView->ClientHeight() : 0;
                const TRect visible = Bounds(ViewOrigin.X, ViewOrigin.Y, clientWidth, clientHeight);
                TRect area = pageRect;
                if (ZoomKind == zkFixed) {
                    const TPageParams& p = GetPageSectionOfPage(page).PageParams;
                    area.Left += p[ppLeftMarginScaled];
                    area.Right -= p[ppRightMarginScaled];
                    area.Top += p[ppTopMarginScaled];
                    area.Bottom -= p[ppBottomMarginScaled];
                }
                TRect part;
                if (!IntersectRect(part, visible, area))
                    part = area;
                place = part.TopLeft();
            }
            inView = {place.X - ViewOrigin.X, place.Y - ViewOrigin.Y};
            kept.X = ScaleRoundHalfUp(static_cast<int64_t>(place.X) - pageRect.Left, 100, oldZoom);
            kept.Y = ScaleRoundHalfUp(static_cast<int64_t>(place.Y) - pageRect.Top, 100, oldZoom);
            keeping = true;
        }
    }

    // 2. and 3. The zoom, the resolutions and the page sizes.
    FZoom = std::clamp(percent, MinZoom, MaxZoom);
    if (!IsPreview && !FHidden)
        FZoom = CalcZoom();
    FSecondScale = FZoom;
    FViewScale.Zoom = FZoom;
    FViewScale.SecondZoom = FSecondScale;
    const int32_t screen = ScreenPixelsPerInch();
    FLayoutResolution = screen;
    FDeviceResolutionY = MulDiv(screen, FZoom, 100);
    FDeviceResolutionX = FDeviceResolutionY;
    UpdateSectionDeviceSizes();

    // 4. The page layout, and the kept place shown again.
    BeginChange(chfPageLayout);
    try {
        // A document under construction has no page grid yet.
        if (layout && !FChangeFlags[chfConstruction])
            layout->UpdatePageLayout(*this);
        TRect pageRect;
        if (keeping && layout->GetPageRect(*this, page, pageRect)) {
            const TPoint place{Saturate(pageRect.Left + static_cast<int64_t>(ScaleRoundHalfUp(kept.X, FZoom, 100))),
                               Saturate(pageRect.Top + static_cast<int64_t>(ScaleRoundHalfUp(kept.Y, FZoom, 100)))};
            const bool urls = host.UrlDetection();
            host.SetUrlDetection(false);
            try {
                ScrollTo({place.X - inView.X, place.Y - inView.Y});
            } catch (...) {
                host.SetUrlDetection(urls);
                throw;
            }
            host.SetUrlDetection(urls);
        }
    } catch (...) {
        EndChanges(1);
        throw;
    }
    EndChanges(1);

    // 5. Full-screen settings follow, and the view shows the new zoom.
    if (FFullScreen && host.IsOpenDocument(*this))
        host.SetFullScreenZoom(FZoom, ZoomKind);
    if (FView && !FViewConstructing && !SuppressRepaint)
        FView->Repaint();
}

void TDocument::SetPrintScale(int32_t zoomX, int32_t zoomY)
{
    FZoom = std::clamp(zoomX, 1, 100000);
    FSecondScale = FZoom;
    FViewScale.Zoom = FZoom;
    FViewScale.SecondZoom = FSecondScale;
    const int32_t screen = ScreenPixelsPerInch();
    FLayoutResolution = screen;
    FDeviceResolutionX = MulDiv(screen, FZoom, 100);
    FDeviceResolutionY = MulDiv(screen, std::clamp(zoomY, 1, 100000), 100);
    UpdateSectionDeviceSizes();
}

void TDocument::ClampViewOrigin(TPoint& origin)
{
    const int32_t clientWidth = FView ? FView->ClientWidth() : 0;
    const int32_t clientHeight = FView ? FView->ClientHeight() : 0;
    bool placed = false;
    if (ZoomKind == zkTextWidth) {
        if (TDocumentLayout* layout = GetDocumentLayout()) {
            const int32_t page = layout->GetCurrentPage(*this);
            TRect pageRect;
            if (page >= 0 && layout->GetPageRect(*this, page, pageRect)) {
                // The page's text area centred, 20 units of margin each side.
                const TPageParams& p = GetPageSectionOfPage(page).PageParams;
                origin.X = Saturate(static_cast<int64_t>(pageRect.Left) + p[ppLeftMarginScaled] - 20);
                placed = true;
            }
        }
    }
    if (!placed)
        origin.X = std::clamp(origin.X, 0, std::max(ViewExtent.cx - clientWidth, 0));
    origin.Y = std::clamp(origin.Y, 0, std::max(ViewExtent.cy - clientHeight, 0));
}

void TDocument::ScrollTo(TPoint point)
{
    ClampViewOrigin(point);
    const int32_t dx = point.X - ViewOrigin.X;
    const int32_t dy = point.Y - ViewOrigin.Y;
    ViewOrigin = point;
    if (!FView)
        return;
    if ((dx == 0) != (dy == 0))
        FView->ScrollContent(dx, dy);
    else if (dx != 0 && !SuppressRepaint)
        FView->Repaint();
    FView->SetScrollPositions(ViewOrigin.X, ViewOrigin.Y);
}

void TDocument::SetInitialScrollPos()
{
    if (ZoomKind != zkFixed || DocumentHost().NoInitialScroll() || ViewOrigin != TPoint{})
        return;
    TDocumentLayout* layout = GetDocumentLayout();
    TRect pageRect;
    if (!layout || !layout->GetPageRect(*this, 0, pageRect))
        return;
    // Four fifths of the left margin and the top margin with a fifth more
    // above it stay in sight.
    const TPageParams& p = FSections.front()->PageParams;
    const int32_t left = p[ppLeftMarginScaled];
    const int32_t top = p[ppTopMarginScaled];
    ScrollTo({Saturate(static_cast<int64_t>(pageRect.Left) + left - static_cast<int64_t>(left) * 4 / 5),
              Saturate(static_cast<int64_t>(pageRect.Top) + top - static_cast<int64_t>(top) * 6 / 5)});
}

void TDocument::SetPageCount(int32_t count)
{
    if (count == PageGridCount)
        return;
    PageGridCount = count;
    TDocumentLayout* layout = GetDocumentLayout();
    if (!layout)
        return;
    const int32_t page = layout->GetCurrentPage(*this);
    TRect before;
    const bool hadPage = page >= 0 && layout->GetPageRect(*this, page, before);
    layout->UpdatePageLayout(*this);
    TRect after;
    const bool hasPage = page >= 0 && layout->GetPageRect(*this, page, after);
    if (FView && !SuppressRepaint && (hadPage != hasPage || before != after || HasDifferentPageSizes()))
        FView->Repaint();
}

void TDocument::SetFullScreen(bool fullScreen)
{
    if (fullScreen == FFullScreen)
        return;
    if (fullScreen) {
        FSavedView = {ViewMode, FZoom, ZoomKind};
        const TFullScreenSettings settings = DocumentHost().FullScreenSettings();
        FFullScreen = true;
        ViewMode = settings.ViewMode;
        ZoomKind = settings.ZoomKind;
        SetZoom(settings.Zoom);
    } else {
        FFullScreen = false;
        ViewMode = FSavedView.ViewMode;
        ZoomKind = FSavedView.ZoomKind;
        SetZoom(FSavedView.Zoom);
    }
    ApplyColorScheme();
}

void TDocument::ApplyColorScheme()
{
    TColorManager* colors = GetColorManager();
    if (!colors)
        return;
    if (FFullScreen)
        colors->UseFullScreenPalette();
    else
        colors->UseScreenPalette();
}

// ---------------------------------------------------------------------------
// Names, new documents, properties

std::string TDocument::MakeUntitledName()
{
    TDocumentHost& host = DocumentHost();
    std::string folder = host.DefaultDocumentFolder();
    if (folder.empty())
        folder = GetSpecialFolder(5);
    if (!folder.empty())
        folder = IncludeTrailingPathDelimiter(folder);
    const std::string extension = "." + DefaultDocumentExtension(Format);

    int32_t counter = host.UntitledCounter();
    std::string name;
    // Every two-digit name once; the counter of the options follows.
    for (int32_t tried = 0; tried < kLastUntitledCounter; ++tried) {
        counter = counter >= 1 && counter < kLastUntitledCounter ? counter + 1 : 1;
        char digits[8];
        std::snprintf(digits, sizeof digits, "%02d", static_cast<int>(counter));
        name = folder + "Doc" + digits + extension;
        host.SetUntitledCounter(counter);
        if (!host.IsDocumentOpen(name))
            return name;
    }
    // Every two-digit name is taken by an open document: longer numbers follow.
    for (int32_t number = kLastUntitledCounter + 1; number <= kLastUntitledCounter + kMoreUntitledNames; ++number) {
        name = folder + "Doc" + std::to_string(number) + extension;
        if (!host.IsDocumentOpen(name))
            break;
    }
    return name;
}

std::string TDocument::SuggestTitle(const std::string& defaultTitle, bool keep)
{
    std::string text;
    for (int32_t index = StoryFirst(stBody); index <= StoryLast(stBody); ++index) {
        if (Paragraphs(index).GetCharCount() <= 1)
            continue;
        TTextRange sentence;
        GetSentenceAt({index, 0}, sentence);
        // The sentence's text as a run gives it, except that tabs, breaks
        // and objects stand as the blanks they make in a title.
        const TParagraph& paragraph = Paragraphs(index);
        const uint8_t* chars = paragraph.GetPlainChars().Data();
        const int32_t end = sentence.End.Paragraph == index ? sentence.End.Offset : paragraph.GetCharCount() - 1;
        const int32_t to = std::clamp(end, 0, paragraph.GetCharCount());
        for (int32_t i = std::clamp(sentence.Start.Offset, 0, to); i < to; ++i) {
            const int c = TextCharOfPlain(chars[i]);
            if (c >= 0)
                text += static_cast<char>(c);
            else if (chars[i] != scOptionalHyphen)
                text += ' ';
        }
        break;
    }
    while (!text.empty() && DelimiterCharTable[static_cast<uint8_t>(text.back())])
        text.pop_back();
    text = CleanTitleText(text, keep);
    if (text.empty())
        return defaultTitle;
    if (!keep) {
        if (text.size() > kMaxTitleLength)
            text.resize(kMaxTitleLength);
        text = CleanTitleText(text, keep) + ExtractFileExt(defaultTitle);
    }
    return text;
}

void TDocument::InitNewDocument()
{
    TDocumentHost& host = DocumentHost();
    Properties.Author = host.AuthorName();
    Properties.LastAuthor = Properties.Author;
    Properties.Created = Now();
    Properties.LastSaved = Properties.Created;
    Initializing = 1;
    TParagraph& first = Paragraphs(0);
    if (first.GetCharCount() == 0 && first.GetText().Size() == 0) {
        // 10 pt, and the paragraph mark.
        first.AppendControl(cfSize, 20);
        first.AppendControl(icSpecialChar, scParagraphMark);
    }
    if (TStyleManager* styles = GetStyleManager())
        styles->ImportDefaultStyle(*FStyles);
    // The paragraphs take their style's formats, without undo.
    if (FStyles->Count() > 0) {
        TTextRange body;
        GetBodyRange(body);
        TUpdateRange update;
        for (int32_t index = body.Start.Paragraph; index <= body.End.Paragraph; ++index) {
            const int32_t style = std::max(Paragraphs(index).Format[pfStyle], 0);
            TTextRange one;
            MakeTextPos(index, 0, one.Start);
            MakeTextPos(index, Paragraphs(index).GetCharCount(), one.End);
            ApplyStyleToParagraphs(one, FStyles->Find(style) ? style : 0, update, nullptr, nullptr, nullptr, true);
        }
    }
    SetSelection(0, 0, 0, 0, ssfOldIsEmpty);
    LaidOut = 1;
    FirstPaint = 1;
    NewDocument = 1;
    Initializing = 0;
}

bool TDocument::IsTemplate() const
{
    return !FileName.empty() && DocumentHost().IsTemplateFile(FileName);
}

void TDocument::RestoreWindow()
{
    if (FView)
        FView->RestoreAndActivate();
}

void TDocument::EditProperties()
{
    TDocProperties edited = Properties;
    if (!DocumentHost().ExecuteDocPropertiesDialog(edited))
        return;
    Properties = edited;
    PropertiesChanged = 1;
    FUndoManager->SavedIndex = NotSet;
    SetModified(true);
}
