// Pages of documents laid out with the real fonts on small pages (see
// PaginationFixtures.h for the notation of the expected pages).
#include "PaginationFixtures.h"

#include <functional>

class PaginationCases : public PaginationTest {
public:
    // The fixture's builders for the tables below.
    using PaginationTest::HeaderFooter;
    using PaginationTest::Lines;
    using PaginationTest::NewSection;
    using PaginationTest::OneLiners;
    using PaginationTest::Para;
    using PaginationTest::SectionBreak;
    using PaginationTest::SmallPage;
    using PaginationTest::With;
    TDocument& Document() { return *Doc; }

    struct TCase {
        const char* Name;
        std::function<void(PaginationCases&)> Build;
        std::string Pages;
    };
    // Each case in a new document of five-line pages, paginated whole.
    void Run(const std::vector<TCase>& cases)
    {
        for (const TCase& c : cases) {
            SCOPED_TRACE(c.Name);
            Doc = std::make_unique<TDocument>(true);
            FParagraphs = 0;
            SmallPage(Doc->Sections(0), 5);
            c.Build(*this);
            Doc->PaginateAll();
            EXPECT_EQ(Summary(), c.Pages);
            EXPECT_TRUE(Doc->PaginationComplete);
            CheckPages();
        }
    }
};

// Five lines to a page unless a case says otherwise.
TEST_F(PaginationCases, BreakRules)
{
    const TParFormat widow = With({{pfWidowControl, 1}});
    const TParFormat together = With({{pfKeepTogether, 1}});
    const TParFormat withNext = With({{pfKeepWithNext, 1}});
    const TParFormat breakBefore = With({{pfPageBreakBefore, 1}});
    const std::vector<TCase> cases = {
        {"lines flow over the pages", [](PaginationCases& t) { t.OneLiners(12); },
         "0.0 1.0 2.0 3.0 4.0 | 5.0 6.0 7.0 8.0 9.0 | 10.0 11.0"},
        {"a paragraph continues on the next page",
         [](PaginationCases& t) {
             t.Lines(3);
             t.Lines(4);
         },
         "0.0 0.1 0.2 1.0 1.1 | 1.2 1.3"},
        {"orphan: a first line alone goes to the next page",
         [widow](PaginationCases& t) {
             t.Lines(4);
             t.Lines(2, widow);
         },
         "0.0 0.1 0.2 0.3 | 1.0 1.1"},
        {"without widow control the first line stays",
         [](PaginationCases& t) {
             t.Lines(4);
             t.Lines(2);
         },
         "0.0 0.1 0.2 0.3 1.0 | 1.1"},
        {"two lines of a three-line paragraph go with the third",
         [widow](PaginationCases& t) {
             t.Lines(3);
             t.Lines(3, widow);
         },
         "0.0 0.1 0.2 | 1.0 1.1 1.2"},
        {"widow: the last line takes one more with it",
         [widow](PaginationCases& t) {
             t.Lines(1);
             t.Lines(5, widow);
         },
         "0.0 1.0 1.1 1.2 | 1.3 1.4"},
        {"a widow takes a line with it also from a paragraph that starts the page",
         [widow](PaginationCases& t) { t.Lines(6, widow); }, "0.0 0.1 0.2 0.3 | 0.4 0.5"},
        {"widow control leaves a split with two lines or more on either side",
         [widow](PaginationCases& t) {
             t.Para("a" + kPageBreak + kMark);
             t.Lines(7, widow);
         },
         "0.0 | 0.1 1.0 1.1 1.2 1.3 | 1.4 1.5 1.6"},
        {"keep lines together moves the paragraph whole",
         [together](PaginationCases& t) {
             t.Lines(3);
             t.Lines(3, together);
         },
         "0.0 0.1 0.2 | 1.0 1.1 1.2"},
        {"keep lines together cannot help a paragraph longer than a page",
         [together](PaginationCases& t) {
             t.Lines(2);
             t.Lines(7, together);
         },
         "0.0 0.1 | 1.0 1.1 1.2 1.3 1.4 | 1.5 1.6"},
        {"headings kept with the next paragraph go to the next page with it",
         [withNext](PaginationCases& t) {
             t.OneLiners(3);
             t.OneLiners(2, withNext);
             t.Lines(2);
         },
         "0.0 1.0 2.0 | 3.0 4.0 5.0 5.1"},
        {"a chain that began at the top of its page stays",
         [withNext](PaginationCases& t) {
             t.OneLiners(5, withNext);
             t.Lines(2);
         },
         "0.0 1.0 2.0 3.0 4.0 | 5.0 5.1"},
        {"a chain left at the top of its page ends with what follows it; a later one goes on its own",
         [withNext, together](PaginationCases& t) {
             t.OneLiners(5, withNext);
             t.OneLiners(3);
             t.Lines(1, withNext);
             t.Lines(2, together);
         },
         "0.0 1.0 2.0 3.0 4.0 | 5.0 6.0 7.0 | 8.0 9.0 9.1"},
        {"a chain followed on the same page is satisfied",
         [withNext](PaginationCases& t) {
             t.OneLiners(1);
             t.OneLiners(2, withNext);
             t.Lines(3);
         },
         "0.0 1.0 2.0 3.0 3.1 | 3.2"},
        {"page break before starts a new page",
         [breakBefore](PaginationCases& t) {
             t.OneLiners(2);
             t.Lines(1, breakBefore);
         },
         "0.0 1.0 | 2.0"},
        {"page break before on an empty page makes no empty page",
         [breakBefore](PaginationCases& t) { t.Lines(2, breakBefore); }, "0.0 0.1"},
        {"a page break ends the page",
         [](PaginationCases& t) {
             t.Para("avant" + kPageBreak + "après" + kMark);
             t.OneLiners(1);
         },
         "0.0 | 0.1 1.0"},
        {"a column break in a single column ends the page",
         [](PaginationCases& t) {
             t.Para("avant" + kColumnBreak + "après" + kMark);
         },
         "0.0 | 0.1"},
        {"a page break that does not fit is placed and closes the page",
         [](PaginationCases& t) {
             t.OneLiners(5);
             t.Para(kPageBreak + "suite" + kMark);
         },
         "0.0 1.0 2.0 3.0 4.0 5.0 | 5.1"},
        {"an empty document has one page", [](PaginationCases& t) { t.Para(kMark); }, "0.0"},
    };
    Run(cases);
}

TEST_F(PaginationCases, SectionsAndColumns)
{
    const std::vector<TCase> cases = {
        {"a section break to a new page",
         [](PaginationCases& t) {
             TSection& first = t.NewSection(5, sbNewPage);
             t.Lines(1);
             t.Para("fin" + t.SectionBreak(first));
             t.OneLiners(2);
         },
         "0.0 1.0 | 2.0 3.0"},
        {"an odd-page section after an odd page leaves a blank page",
         [](PaginationCases& t) {
             TSection& first = t.NewSection(5, sbOddPage);
             t.Para("fin" + t.SectionBreak(first));
             t.OneLiners(1);
         },
         "0.0 | (blanche) | 1.0"},
        {"an even-page section after an odd page follows at once",
         [](PaginationCases& t) {
             TSection& first = t.NewSection(5, sbEvenPage);
             t.Para("fin" + t.SectionBreak(first));
             t.OneLiners(1);
         },
         "0.0 | 1.0"},
        {"an even-page section after an even page leaves a blank page",
         [](PaginationCases& t) {
             TSection& first = t.NewSection(5, sbEvenPage);
             t.OneLiners(5);
             t.Para("fin" + t.SectionBreak(first));
             t.OneLiners(1);
         },
         "0.0 1.0 2.0 3.0 4.0 | 5.0 | (blanche) | 6.0"},
        {"three lines to the page in a second section",
         [](PaginationCases& t) {
             TSection& first = t.NewSection(2, sbNewPage);
             t.OneLiners(2);
             t.Para("fin" + t.SectionBreak(first));
             t.SmallPage(t.Document().Sections(1), 3);
             t.OneLiners(4);
         },
         "0.0 1.0 | 2.0 | 3.0 4.0 5.0 | 6.0"},
        {"two columns",
         [](PaginationCases& t) {
             TSection& section = t.Document().Sections(0);
             section.Settings[ssColumnCount] = 2;
             t.SmallPage(section, 2);
             t.OneLiners(5);
         },
         "0.0 1.0 / 2.0 3.0 | 4.0"},
        {"three columns, a paragraph running from one to the next",
         [](PaginationCases& t) {
             TSection& section = t.Document().Sections(0);
             section.Settings[ssColumnCount] = 3;
             t.SmallPage(section, 2, 9000);
             t.OneLiners(1);
             t.Lines(4);
             t.OneLiners(3);
         },
         "0.0 1.0 / 1.1 1.2 / 1.3 2.0 | 3.0 4.0"},
        {"a column break goes on in the next column",
         [](PaginationCases& t) {
             TSection& section = t.Document().Sections(0);
             section.Settings[ssColumnCount] = 2;
             t.SmallPage(section, 3);
             t.Para("un" + kColumnBreak + "deux" + kMark);
             t.OneLiners(1);
         },
         "0.0 / 0.1 1.0"},
        {"balanced columns before a continuous break, the next section below them",
         [](PaginationCases& t) {
             TSection& intro = t.NewSection(9, sbContinuous);
             TSection& columns = t.NewSection(9, sbContinuous);
             columns.Settings[ssColumnCount] = 2;
             t.Para("intro" + t.SectionBreak(intro));
             t.OneLiners(3);
             t.Para("fin" + t.SectionBreak(columns));
             t.OneLiners(2);
         },
         "0.0 / 1.0 2.0 / 3.0 4.0 / 5.0 6.0"},
    };
    Run(cases);
}

// The section after a continuous break goes on below the taller column.
TEST_F(PaginationTest, ContinuousSectionBelowColumns)
{
    TSection& intro = NewSection(9, sbContinuous);
    TSection& columns = NewSection(9, sbContinuous);
    columns.Settings[ssColumnCount] = 2;
    Para("intro" + SectionBreak(intro));
    OneLiners(3);
    Para("fin" + SectionBreak(columns));
    OneLiners(2);
    Doc->PaginateAll();
    const int32_t top = Doc->TwipsToLayout(kPageMargin);
    auto lineTop = [&](int32_t paragraph) { return Doc->Paragraphs(paragraph).GetLine(0).Top; };
    EXPECT_EQ(lineTop(0), top);
    EXPECT_EQ(lineTop(1), top + kLineHeight);
    EXPECT_EQ(lineTop(3), top + kLineHeight);  // the second column starts level with the first
    EXPECT_EQ(lineTop(5), top + 3 * kLineHeight);
    EXPECT_EQ(Doc->Paragraphs(1).GetLine(0).Column, 0);
    EXPECT_EQ(Doc->Paragraphs(3).GetLine(0).Column, 1);
    EXPECT_EQ(Doc->Paragraphs(5).GetLine(0).Column, -1);
    EXPECT_EQ(Doc->Pages()[0]->UsedHeight, 5 * kLineHeight);
}

// Pages of another size and orientation in a second section; page
// rectangles take each page's own size.
TEST_F(PaginationTest, PageSizesAndOrientation)
{
    TSection& portrait = NewSection(3, sbNewPage, 5000);
    OneLiners(4);
    Para("fin" + SectionBreak(portrait));
    TSection& landscape = Doc->Sections(1);
    SmallPage(landscape, 2, 9000);
    landscape.PageParams[ppOrientation] = 1;
    OneLiners(3);
    Doc->PaginateAll();
    EXPECT_EQ(Summary(), "0.0 1.0 2.0 | 3.0 4.0 | 5.0 6.0 | 7.0");
    CheckPages();
    const auto& pages = Doc->Pages();
    EXPECT_EQ(&pages[1]->GetSection(), &portrait);
    EXPECT_EQ(&pages[2]->GetSection(), &landscape);
    EXPECT_EQ(pages[0]->Rect.Width(), Doc->TwipsToDeviceX(5000));
    EXPECT_EQ(pages[2]->Rect.Width(), Doc->TwipsToDeviceX(9000));
    EXPECT_EQ(pages[2]->Rect.Height(), Doc->TwipsToDeviceY(2 * kPageMargin + 2 * kLineTwips));
    // Lines of the landscape pages are laid out at its wider text width.
    EXPECT_EQ(Line(Doc->Paragraphs(5), 0).RightLimit, Doc->TwipsToLayout(8 * (9000 - 2 * kPageMargin)));
    EXPECT_EQ(Line(Doc->Paragraphs(0), 0).RightLimit, Doc->TwipsToLayout(8 * (5000 - 2 * kPageMargin)));
}

// Headers and footers of different heights take their excess over the
// margins from the body; first-page and odd/even headers choose per page.
TEST_F(PaginationTest, HeadersAndFooters)
{
    struct TCase {
        const char* Name;
        std::function<void(TSection&)> Setup;
        std::string Pages;
        std::vector<int32_t> HeaderSpace;
    };
    const std::vector<TCase> cases = {
        {"headers within the margin take nothing",
         [this](TSection& s) {
             HeaderFooter(s, 1, 1);
             HeaderFooter(s, 3, 1);
         },
         "0.0 1.0 2.0 3.0 4.0 | 5.0 6.0 7.0 8.0 9.0", {0, 0}},
        {"a two-line header and a footer beyond the margins",
         [this](TSection& s) {
             s.PageParams[ppHeaderDistance] = kPageMargin;
             HeaderFooter(s, 1, 2);
             s.PageParams[ppFooterDistance] = kPageMargin;
             HeaderFooter(s, 3, 1);
         },
         "0.0 1.0 | 2.0 3.0 | 4.0 5.0 | 6.0 7.0 | 8.0 9.0", {36, 36, 36, 36, 36}},
        {"a first page of its own",
         [this](TSection& s) {
             s.PageParams[ppHeaderDistance] = kPageMargin;
             s.PageParams[ppFlags] = 0x0100;
             HeaderFooter(s, 4, 2);
         },
         "0.0 1.0 2.0 | 3.0 4.0 5.0 6.0 7.0 | 8.0 9.0", {36, 0, 0}},
        {"odd and even pages",
         [this](TSection& s) {
             s.PageParams[ppHeaderDistance] = kPageMargin;
             s.PageParams[ppFlags] = 0x0001;
             HeaderFooter(s, 1, 1);
             HeaderFooter(s, 0, 2);
         },
         "0.0 1.0 2.0 3.0 | 4.0 5.0 6.0 | 7.0 8.0 9.0", {18, 36, 18}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Doc = std::make_unique<TDocument>(true);
        FParagraphs = 0;
        OneLiners(10);
        SmallPage(Doc->Sections(0), 5);
        c.Setup(Doc->Sections(0));
        Doc->PaginateAll();
        EXPECT_EQ(Summary(), c.Pages);
        CheckPages();
        std::vector<int32_t> spaces;
        for (const auto& page : Doc->Pages())
            spaces.push_back(page->HeaderSpace);
        EXPECT_EQ(spaces, c.HeaderSpace);
    }

    // A header taller than 80 % of the page: the lines that would pass that
    // height take none, in pagination as on the page's own header layout.
    {
        Doc = std::make_unique<TDocument>(true);
        FParagraphs = 0;
        OneLiners(3);
        TSection& tall = Doc->Sections(0);
        SmallPage(tall, 5);
        tall.PageParams[ppHeaderDistance] = kPageMargin;
        TField& header = HeaderFooter(tall, 1, 12);
        Doc->PaginateAll();
        const TParagraph& lines = Doc->Paragraphs(header.Range.Start.Paragraph);
        const int64_t limit = static_cast<int64_t>(tall.PageParams[ppPaperHeightLayout]) * 80 / 100;
        std::vector<int32_t> heights;
        int64_t sum = 0;
        for (int32_t i = 0; i < lines.GetLineCount(); ++i) {
            heights.push_back(lines.GetLine(i).Height);
            sum += lines.GetLine(i).Height;
        }
        EXPECT_LE(sum, limit);
        EXPECT_EQ(heights.front(), kLineHeight);
        EXPECT_EQ(heights.back(), 0);
        ASSERT_FALSE(Doc->Pages().empty());
        TPage& page = *Doc->Pages()[0];
        EXPECT_EQ(page.HeaderSpace,
                  std::max<int64_t>(0, Doc->TwipsToLayout(kPageMargin) + sum - tall.PageParams[ppTopMarginLayout]));
        page.LayoutHeaderFooter(page.Header);
        std::vector<int32_t> onPage;
        for (int32_t i = 0; i < lines.GetLineCount(); ++i)
            onPage.push_back(lines.GetLine(i).Height);
        EXPECT_EQ(onPage, heights);
        // Paginated again after the page's layout squeezed them, the same room.
        const int32_t space = page.HeaderSpace;
        Doc->ClearPageList();
        Doc->PaginationComplete = 0;
        Doc->PaginateAll();
        EXPECT_EQ(Doc->Pages()[0]->HeaderSpace, space);
    }

    // The header shown on each page, and the body pushed down by a header
    // taller than the top margin.
    Doc = std::make_unique<TDocument>(true);
    FParagraphs = 0;
    OneLiners(6);
    TSection& section = Doc->Sections(0);
    SmallPage(section, 3);
    section.PageParams[ppHeaderDistance] = kPageMargin;
    section.PageParams[ppFlags] = 0x0101;
    TField& first = HeaderFooter(section, 4, 1);
    TField& odd = HeaderFooter(section, 1, 1);
    TField& even = HeaderFooter(section, 0, 1);
    TField& footer = HeaderFooter(section, 3, 1);
    Doc->PaginateAll();
    const auto& pages = Doc->Pages();
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0]->Header, &first);
    EXPECT_EQ(pages[1]->Header, &even);
    EXPECT_EQ(pages[2]->Header, &odd);
    EXPECT_EQ(pages[0]->Footer, nullptr);  // no first-page footer: none
    EXPECT_EQ(pages[1]->Footer, nullptr);  // no even footer: none
    EXPECT_EQ(pages[2]->Footer, &footer);
    EXPECT_EQ(Doc->Paragraphs(0).GetLine(0).Top, Doc->TwipsToLayout(kPageMargin) + kLineHeight);

    // A header or footer suppressed by the document takes no room.
    Doc->SuppressHeaders = 1;
    Doc->ClearPageList();
    Doc->PaginationComplete = 0;
    Doc->PaginateAll();
    EXPECT_EQ(Doc->Pages()[0]->Header, nullptr);
    EXPECT_EQ(Doc->Paragraphs(0).GetLine(0).Top, Doc->TwipsToLayout(kPageMargin));
}

// A header laid out on its page for editing: its lines stand in the header
// area and the footer's above the bottom, and go again when it is removed.
TEST_F(PaginationTest, HeaderFooterOnItsPage)
{
    OneLiners(3);
    TSection& section = Doc->Sections(0);
    TField& header = HeaderFooter(section, 1, 2);
    TField& footer = HeaderFooter(section, 3, 1);
    SmallPage(section, 5);
    Doc->PaginateAll();
    TPage& page = *Doc->Pages()[0];
    const int32_t used = page.UsedHeight;
    const int32_t bodyLines = static_cast<int32_t>(page.Lines.size());
    page.LayoutHeaderFooter(&header);
    page.LayoutHeaderFooter(&footer);  // in place of the header
    ASSERT_EQ(static_cast<int32_t>(page.Lines.size()), bodyLines + 1);
    const TParLine& footerLine = Doc->Paragraphs(footer.Range.Start.Paragraph).GetLine(0);
    const int32_t pageHeight = Doc->TwipsToLayout(section.PageParams[ppPaperHeight]);
    EXPECT_EQ(footerLine.Top + footerLine.Height, pageHeight - Doc->TwipsToLayout(360));
    EXPECT_EQ(footerLine.Page, &page);
    page.LayoutHeaderFooter(&header);
    const TParagraph& headerParagraph = Doc->Paragraphs(header.Range.Start.Paragraph);
    EXPECT_EQ(headerParagraph.GetLine(0).Top, Doc->TwipsToLayout(360));
    EXPECT_EQ(headerParagraph.GetLine(1).Top, Doc->TwipsToLayout(360) + kLineHeight);
    EXPECT_EQ(footerLine.Page, nullptr);
    page.RemoveHeaderFooter();
    EXPECT_EQ(static_cast<int32_t>(page.Lines.size()), bodyLines);
    EXPECT_EQ(page.UsedHeight, used);
    EXPECT_EQ(headerParagraph.GetLine(0).Page, nullptr);
    CheckPages();
}

// Pages are made up to a limit and continued in slices; the complete flag
// is set only when the page list reaches the end of the body, and slices
// give the same pages as one run.
TEST_F(PaginationTest, OnDemandInSlices)
{
    OneLiners(3);
    Lines(9, With({{pfWidowControl, 1}}));
    OneLiners(40);
    Doc->PaginateAll();
    const std::string whole = Summary();
    const size_t total = Doc->Pages().size();
    ASSERT_GT(total, 8u);

    Doc->FreePages();
    Doc->Paginate(0, 2, 0);
    EXPECT_EQ(Doc->Pages().size(), 3u);
    EXPECT_FALSE(Doc->PaginationComplete);
    // Later paragraphs are not laid out before pagination reaches them.
    EXPECT_FALSE(Doc->Paragraphs(Doc->StoryLast(stBody)).GetLaidOutFlag());
    while (!Doc->PaginationComplete) {
        const int32_t count = Doc->PageCount();
        Doc->Paginate(count, count + 1, count);
        ASSERT_LE(Doc->Pages().size(), total);
        CheckPages();
    }
    EXPECT_EQ(Summary(), whole);
    EXPECT_EQ(Doc->PaginatedPageCount, static_cast<int32_t>(total));

    // Once complete, PaginateAll leaves the pages alone; a run from a page
    // rebuilds only the pages from there. A page kept keeps a mark put on it;
    // a page built again is a new page without it (addresses tell nothing:
    // a new page may well take the place a freed one had).
    constexpr int32_t kMark = 0x4D41;
    auto marked = [&](size_t page) { return Doc->Pages()[page]->Column == kMark; };
    const int32_t unmarked = Doc->Pages()[0]->Column;
    Doc->Pages()[0]->Column = kMark;
    Doc->Pages().back()->Column = kMark;
    Doc->PaginateAll();
    EXPECT_TRUE(marked(0));
    EXPECT_TRUE(marked(total - 1));
    Doc->Paginate(3, 0x7FFFFFFF, 3);
    ASSERT_EQ(Doc->Pages().size(), total);
    EXPECT_TRUE(marked(0));
    EXPECT_FALSE(marked(total - 1));
    Doc->Pages()[0]->Column = unmarked;
    EXPECT_EQ(Summary(), whole);
    EXPECT_TRUE(Doc->PaginationComplete);

    // A run that stops inside a keep-with-next chain goes on until the
    // chain is settled: a kept paragraph split by the page end goes whole to
    // the next page once the paragraph after it is placed there.
    Doc = std::make_unique<TDocument>(true);
    FParagraphs = 0;
    SmallPage(Doc->Sections(0), 5);
    OneLiners(3);
    Lines(3, With({{pfKeepWithNext, 1}}));
    OneLiners(6);
    Doc->Paginate(0, 0, 0);
    EXPECT_EQ(Summary(), "0.0 1.0 2.0 | 3.0 3.1 3.2 4.0 5.0");
    EXPECT_FALSE(Doc->PaginationComplete);
    CheckPages();
}

// Progress shows in the status bar only in runs of ten pages or more, from
// the eleventh page on.
TEST_F(PaginationTest, ProgressText)
{
    TStatusHost host;
    TDocumentHost* previous = SetDocumentHost(&host);
    OneLiners(60);
    Doc->Paginate(0, 5, 0);
    EXPECT_TRUE(host.Texts.empty());
    EXPECT_EQ(host.Mode, 0);
    Doc->FreePages();
    Doc->PaginateAll();
    EXPECT_EQ(host.Pushes, 1);
    EXPECT_EQ(host.Pops, 1);
    EXPECT_EQ(host.Mode, 2);
    EXPECT_EQ(host.Texts, (std::vector<std::string>{"Création des pages : 11", "Création des pages : 12"}));
    host.Texts.clear();
    Doc->SuppressPaginationProgress = 1;
    Doc->FreePages();
    Doc->PaginateAll();
    EXPECT_TRUE(host.Texts.empty());
    SetDocumentHost(previous);
}

// Lines and pages that part company: a freed line leaves an empty slot, a
// page freed takes its lines off, and a run from a page whose ranges no
// longer show their paragraphs starts a page earlier.
TEST_F(PaginationTest, StalePages)
{
    OneLiners(3);
    Lines(4);
    OneLiners(4);
    Doc->PaginateAll();
    const std::string whole = Summary();
    TParagraph& split = Doc->Paragraphs(3);  // on pages 0 and 1
    TPage* page1 = Doc->Pages()[1].get();
    split.Invalidate(false, 0);
    EXPECT_FALSE(page1->IsRangeIntact(0));
    EXPECT_EQ(page1->FirstParagraph(), 4);
    EXPECT_EQ(page1->Lines[0], nullptr);
    // Page 1 continues paragraph 3, whose lines on page 0 are gone too:
    // the run starts on page 0.
    Doc->Paginate(2, 0x7FFFFFFF, 2);
    EXPECT_EQ(Summary(), whole);
    CheckPages();

    Doc->ClearPageList();
    for (int32_t i = 0; i < Doc->StoryCount(stBody); ++i)
        for (int32_t l = 0; l < Doc->Paragraphs(i).GetLineCount(); ++l)
            EXPECT_EQ(Doc->Paragraphs(i).GetLine(l).Page, nullptr);
}
