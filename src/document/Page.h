#pragma once
// A page of a document's page list, as the document model reads it: its index
// and the paragraphs placed on it, in order, each with the first character the
// placement shows (a page without text has none), and the header and footer
// it shows. Pagination builds the list; the document owns it.
#include <cstdint>
#include <vector>

class TField;

struct TPagePlacement {
    int32_t Paragraph = 0;
    int32_t FirstChar = 0;
};

class TPage {
public:
    TPage() = default;
    virtual ~TPage() = default;
    TPage(const TPage&) = delete;
    TPage& operator=(const TPage&) = delete;

    // 0-based position in the page list.
    int32_t Index = 0;
    std::vector<TPagePlacement> Placements;
    TField* Header = nullptr;
    TField* Footer = nullptr;

    bool HasParagraphs() const { return !Placements.empty(); }
    // The paragraph of the first placement; -1 for a page without text.
    int32_t FirstParagraph() const { return Placements.empty() ? -1 : Placements.front().Paragraph; }
    bool HoldsParagraph(int32_t paragraph) const;
};
