#include "document/steps/FormatParagraphsOperation.h"

#include "document/model/Document.h"
#include "document/operations/OperationManager.h"
#include "document/model/ParReformatingManager.h"
#include "document/model/ParLine.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "platform/runtime/Exception.h"

#include <algorithm>

TFormatParagraphsOperation::TFormatParagraphsOperation(TDocument* document) : TSubOperation(document) {}

void TFormatParagraphsOperation::AddBlock(int32_t paragraph, std::vector<std::pair<int32_t, int32_t>> values)
{
    for (const auto& [slot, value] : values)
        if (slot < 0 || slot >= TParFormat::Count)
            throw EInternalError("Attribut de paragraphe inconnu (" + std::to_string(slot) + ")");
    FBlocks.push_back({paragraph, std::move(values)});
}

int64_t TFormatParagraphsOperation::MemorySize() const
{
    int64_t size = static_cast<int64_t>(sizeof(TFormatParagraphsOperation) + FBlocks.capacity() * sizeof(TBlock));
    for (const TBlock& block : FBlocks)
        size += static_cast<int64_t>(block.Values.capacity() * sizeof(block.Values[0]));
    return size;
}

void TFormatParagraphsOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    TDocument& document = *FDocument;
    for (const TBlock& block : FBlocks)
        if (block.Paragraph < 0 || block.Paragraph >= document.ParagraphCount())
            throw EInternalError("Paragraphe à mettre en forme hors du document");
    if (FBlocks.empty())
        return;

    // Where re-layout starts is read before the lines go.
    const int32_t first =
        std::min_element(FBlocks.begin(), FBlocks.end(), [](const TBlock& a, const TBlock& b) {
            return a.Paragraph < b.Paragraph;
        })->Paragraph;
    document.UndoManager().GetRelayoutStart(update, first);
    bool pagination = FBlocks.size() > 1;
    for (TBlock& block : FBlocks) {
        TParagraph& paragraph = document.Paragraphs(block.Paragraph);
        for (auto& [slot, value] : block.Values) {
            std::swap(paragraph.Format[slot], value);
            // Keeping with the next paragraph, keeping lines together, a page
            // break before and widow control move text between pages.
            if (slot >= pfKeepWithNext && slot <= pfWidowControl)
                pagination = true;
        }
    }

    // One paragraph whose lines alone change is laid out again at once;
    // otherwise the paragraphs wait for layout, which paginates from the
    // first of them.
    if (!pagination && GetParagraphLayout()) {
        TParagraph& paragraph = document.Paragraphs(FBlocks.front().Paragraph);
        if (paragraph.GetLaidOutFlag() && paragraph.GetLineCount() > 0) {
            const int32_t width = document.GetSectionOfParagraph(paragraph.Index).GetColumnGeometry(0).Width;
            try {
                paragraph.Invalidate(true, width);
                for (int32_t line = 0; line < paragraph.GetLineCount(); ++line)
                    document.UndoManager().AddChangedLine(paragraph.Index, line);
                return;
            } catch (...) {
                // The re-layout queue tries again later; the change stands.
            }
        }
    }
    for (const TBlock& block : FBlocks) {
        document.Paragraphs(block.Paragraph).Invalidate(false, 0);
        document.ReformatingManager().AddParagraph(block.Paragraph);
    }
    document.RelayoutPending = 1;
}
