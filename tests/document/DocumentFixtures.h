#pragma once
// Helpers of the document tests: paragraph text in a small notation, and a
// window, a layout service and a host that record what the document asks of
// them.
//
// Notation: characters stand for themselves and "{code:argument}" for an
// inline record, so "{2:1}Oui{22:2}" is a bold record, three characters and a
// paragraph mark.
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/DocumentLayout.h"
#include "document/model/DocumentView.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/TextNotation.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>


inline void SetParagraphText(TParagraph& paragraph, const std::string& notation)
{
    const std::string text = EncodeText(notation);
    paragraph.SetText(text.data(), static_cast<int32_t>(text.size()));
}

inline std::string Rec(int code, int32_t argument)
{
    return "{" + std::to_string(code) + ":" + std::to_string(argument) + "}";
}

// The paragraph mark and the section break of a section.
constexpr const char* kMark = "{22:2}";
inline std::string SectionBreak(const TSection& section)
{
    return Rec(icSectionBreak, section.Handle());
}

// A window of a fixed client size that records the document's requests.
struct TViewLog {
    int32_t ClientWidth = 800;
    int32_t ClientHeight = 600;
    int Repaints = 0;
    int Scrolls = 0;
    int CaretHidden = 0;
    int CaretShown = 0;
    int Destroyed = 0;
    bool DestroyedNow = false;
    TPoint ScrollBars{-1, -1};
};

class TTestView : public TDocumentView {
public:
    static inline TViewLog* Log = nullptr;

    int32_t ClientWidth() const override { return Log->ClientWidth; }
    int32_t ClientHeight() const override { return Log->ClientHeight; }
    void SetScrollPositions(int32_t x, int32_t y) override { Log->ScrollBars = {x, y}; }
    void ScrollContent(int32_t, int32_t) override { ++Log->Scrolls; }
    void Repaint() override { ++Log->Repaints; }
    void HideCaret() override { ++Log->CaretHidden; }
    void ShowCaret() override { ++Log->CaretShown; }
    void RestoreAndActivate() override {}
    void DocumentDestroyed(bool now) override
    {
        ++Log->Destroyed;
        Log->DestroyedNow = now;
        delete this;
    }

    static TDocumentView* Create(TDocument&) { return new TTestView; }
};

// Installs the test window for the lifetime of the object.
class TTestViews {
public:
    TTestViews() : FPrevious(SetDocumentViewFactory(&TTestView::Create)) { TTestView::Log = &Log; }
    ~TTestViews()
    {
        SetDocumentViewFactory(FPrevious);
        TTestView::Log = nullptr;
    }
    TViewLog Log;

private:
    TDocumentViewFactory FPrevious;
};

// The format of each character of a paragraph; atEnd, when given, receives
// the running format behind the last record (what the paragraph's end carries).
inline std::vector<TCharFormat> CharFormatsOfParagraph(const TParagraph& paragraph, TCharFormat* atEnd = nullptr)
{
    std::vector<TCharFormat> formats;
    TCharFormat current = DefaultCharFormat();
    const uint8_t* p = paragraph.GetText().Data();
    for (int32_t i = 0; i < paragraph.GetText().Size();) {
        if (p[i] != InlineControlStartByte) {
            formats.push_back(current);
            ++i;
            continue;
        }
        const TInlineControl c = ReadInlineControl(p + i);
        if (IsFormatCode(c.Code))
            current[c.Code] = c.Argument;
        else if (IsCharacterCode(c.Code))
            formats.push_back(current);
        i += InlineControlSize;
    }
    if (atEnd)
        *atEnd = current;
    return formats;
}

// Pages stacked from the top with a gap of 10 units, each as large as its
// page-setup section's paper in device units; records repainted ranges.
class TTestDocumentLayout : public TDocumentLayout {
public:
    TTestDocumentLayout() : FPrevious(SetDocumentLayout(this)) {}
    ~TTestDocumentLayout() override { SetDocumentLayout(FPrevious); }

    int32_t PageCount = 1;
    std::vector<TTextRange> Repainted;
    int Released = 0;

    void ReleaseDocument(TDocument&) override { ++Released; }
    void UpdatePageLayout(TDocument& document) override
    {
        TRect last;
        GetPageRect(document, PageCount - 1, last);
        document.ViewExtent = {last.Right + 10, last.Bottom + 10};
    }
    int32_t GetCurrentPage(TDocument& document) override
    {
        for (int32_t page = 0; page < PageCount; ++page) {
            TRect rect;
            GetPageRect(document, page, rect);
            if (document.ViewOrigin.Y < rect.Bottom)
                return page;
        }
        return PageCount - 1;
    }
    bool GetPageRect(TDocument& document, int32_t page, TRect& rect) override
    {
        if (page < 0 || page >= PageCount)
            return false;
        const TPageParams& p = document.Sections(0).PageParams;
        const int32_t height = p[ppPaperHeightDevice];
        rect = Bounds(10, 10 + page * (height + 10), p[ppPaperWidthDevice], height);
        return true;
    }
    void RepaintRange(TDocument&, const TTextRange& range) override { Repainted.push_back(range); }

private:
    TDocumentLayout* FPrevious;
};

// Lays every paragraph out 40 characters to the line and puts `PerPage`
// body paragraphs on each page, lines 10 units apart.
class TPagedLayout : public TTestDocumentLayout {
public:
    int32_t PerPage = 2;
    int Paginations = 0;

    void PaginateFrom(TDocument& document, int32_t, int32_t, int32_t) override { PaginateAll(document); }
    void PaginateAll(TDocument& document) override
    {
        ++Paginations;
        document.ClearPageList();
        int32_t top = 0;
        for (int32_t index = 0; index < document.StoryCount(stBody); ++index) {
            TParagraph& paragraph = document.Paragraphs(index);
            if (paragraph.GetLineCount() == 0)
                paragraph.Invalidate(true, 40);
            if (index % PerPage == 0) {
                document.Pages().push_back(std::make_unique<TPage>(&document, index / PerPage));
                top = 0;
            }
            for (int32_t line = 0; line < paragraph.GetLineCount(); ++line) {
                paragraph.GetLine(line).Top = top;
                top += 10;
            }
            document.Pages().back()->AddParagraphRange(paragraph, 0, paragraph.GetLineCount() - 1);
        }
    }
};

// A host of the tests: open documents by name, answers of the dialogs.
class TTestHost : public TDocumentHost {
public:
    TTestHost() : FPrevious(SetDocumentHost(this)) {}
    ~TTestHost() override { SetDocumentHost(FPrevious); }

    std::set<std::string> OpenNames;
    bool OpenAll = false;
    int LayoutRequests = 0;
    bool AcceptProperties = false;
    std::string NewTitle;
    std::string Folder = "/docs/";
    TEditTool Tool = etNone;
    TCharFormat Painter{};

    void RequestLayout() override { ++LayoutRequests; }
    bool IsDocumentOpen(const std::string& name) override { return OpenAll || OpenNames.count(name) > 0; }
    std::string DefaultDocumentFolder() override { return Folder; }
    std::string AuthorName() override { return "Camille"; }
    bool ExecuteDocPropertiesDialog(TDocProperties& properties) override
    {
        properties.Title = NewTitle;
        return AcceptProperties;
    }
    TEditTool EditTool() override { return Tool; }
    TCharFormat PainterFormat() override { return Painter; }
    int32_t HighlightColor() override { return 7; }
    int32_t FontColor() override { return 5; }

private:
    TDocumentHost* FPrevious;
};
