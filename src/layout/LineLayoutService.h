#pragma once
// The layout's service to the document model: it creates the layout's lines,
// converts a paragraph's width and font size into its document's layout and
// view units, prepares tabs and selects the run font at the start of a
// paragraph's re-layout. Created and installed at start-up, removed and freed
// at shutdown together with the working state of line building.
#include "document/model/ParLine.h"

class TLineLayoutService : public TParagraphLayout {
public:
    int32_t WidthToLayout(TParagraph& paragraph, int32_t twips) override;
    int32_t ScaleToViewX(TParagraph& paragraph, int32_t value) override;
    int32_t ScaleFromViewX(TParagraph& paragraph, int32_t value) override;
    void PrepareParagraphTabs(TParagraph& paragraph) override;
    void SelectRunFont(TParagraph& paragraph, const TCharFormat& format) override;
    std::unique_ptr<TParLine> CreateLine(TParagraph& paragraph) override;
};

// Installs the program-wide service (once); FreeLineLayout removes it.
void CreateLineLayout();
void FreeLineLayout();
