#pragma once
// Pagination: the laid-out lines of the body paragraphs distributed over
// pages. The page list is rebuilt from a given page on, page by page and,
// within a page, section by section and column by column, under the
// page-break rules (page break before, keep with next, keep lines together,
// widow and orphan control, column, page and section breaks, sections that
// start on odd or even pages), with room reserved for headers and footers and
// the columns of a multi-column section that ends on the page balanced.
// Pages are built on demand: a run stops once the page of the limit index
// exists, and the document's pagination-complete flag tells whether the page
// list reaches the end of the body.
#include <cstdint>

class TDocument;
struct TPageParams;

// A run of at least this many pages (limit - run start) shows its progress
// in the status bar, from its eleventh page on.
constexpr int32_t ProgressPageCount = 10;

// Rebuilds the pages from firstPage on until the page of index limit exists
// (or longer, while a keep-with-next chain is open or the last page is
// blank) or the body ends. runStart: the first page of the whole run (for
// the progress display).
void Paginate(TDocument& document, int32_t firstPage, int32_t limit, int32_t runStart);
// The text height of a page setup in layout units: the paper height less the
// top and bottom margins.
int32_t TextHeightLayout(const TDocument& document, const TPageParams& params);
