// Operations on a rectangular (block) selection: each laid-out line between
// the block's first and last line gives one piece, the characters within the
// block's horizontal extent; the pieces are deleted (operation 18), formatted
// (operation 3) or added up, the sum going to the clipboard (operation 28).
#include "document/calc/Evaluator.h"
#include "document/editing/EditingRecords.h"
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "foundation/ShellHelpers.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace {

// The program event fired after a block was formatted.
constexpr int32_t BlockFormattedEvent = 10080;

// The pieces of lines fromLine to toLine of the paragraph, as character
// offsets in the paragraph; a piece never takes the paragraph's mark.
std::vector<std::pair<int32_t, int32_t>> BlockPieces(TDocument& document, int32_t index, int32_t fromLine,
                                                     int32_t toLine, const TBlockSelection& block)
{
    TParagraph& paragraph = document.Paragraphs(index);
    if (paragraph.GetLineCount() == 0 && GetParagraphLayout()) {
        const TSection& section = document.GetStoryOfParagraph(index) == stBody ? document.GetPageSection(index)
                                                                                 : document.Sections(0);
        paragraph.Invalidate(true, section.PageParams[ppTextWidth]);
    }
    std::vector<std::pair<int32_t, int32_t>> pieces;
    const int32_t lines = paragraph.GetLineCount();
    const int32_t markOffset = std::max(paragraph.GetCharCount() - 1, 0);
    for (int32_t line = std::max(fromLine, 0); line <= std::min(toLine, lines - 1); ++line) {
        TParLine& parLine = paragraph.GetLine(line);
        int32_t first = 0;
        int32_t last = 0;
        parLine.GetBlockRange(block.LeftX, block.RightX, first, last);
        const int32_t from = std::clamp(parLine.FirstChar + std::min(first, last), 0, markOffset);
        const int32_t to = std::clamp(parLine.FirstChar + std::max(first, last), from, markOffset);
        pieces.emplace_back(from, to);
    }
    return pieces;
}

}  // namespace

void TDocument::BlockOperation(uint8_t mode, const TBlockSelection& block, void* extra, TUpdateRange& update,
                               TOperation* op)
{
    update.Reset();
    TDocumentHost& host = DocumentHost();
    // 1.
    TCharFormat format;
    if (mode == bmFormat) {
        if (!extra)
            throw EInternalError("Format absent de la mise en forme du bloc");
        format = *static_cast<const TCharFormat*>(extra);
    } else if (mode == bmCopy) {
        // The note spike that collects the pieces belongs to the document
        // window's tools.
        throw EInternalError("La copie d'un bloc dans le collecteur de notes n'est pas disponible ici");
    } else if (mode > bmSum) {
        return;
    }
    const int32_t count = ParagraphCount();
    if (block.StartParagraph < 0 || block.EndParagraph >= count || block.EndParagraph < block.StartParagraph)
        return;
    TExtended sum = 0;
    bool valid = true;

    // 2. The caret to the block's first position; the selection goes.
    BeginChange(chfNoReplayScroll);
    GoToPosition(block.First.Paragraph, block.First.Offset);
    EndChanges(1);

    // 4. One paragraph's lines.
    auto process = [&](int32_t index, int32_t fromLine, int32_t toLine) {
        const auto pieces = BlockPieces(*this, index, fromLine, toLine, block);
        // From the last piece back, so that the earlier pieces' offsets hold.
        for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) {
            if (it->first >= it->second)
                continue;
            const TTextRange piece{{index, it->first}, {index, it->second}};
            TUpdateRange local;
            switch (mode) {
            case bmDelete:
                DeleteRange(piece.Start, piece.End, local, op, 0);
                break;
            case bmFormat:
                FormatText(piece, format, ftfNoSelectionHint, local, op);
                break;
            case bmSum: {
                TCalculationOutput output;
                CalculateExpression(piece, true, local, op, &output);
                if (!output.Success) {
                    valid = false;
                    return false;
                }
                sum += output.Value;
                break;
            }
            default:
                break;
            }
            FUndoManager->MergeUpdateRange(update, local);
        }
        return true;
    };

    // 3. The walk; a piece that is no expression ends it quietly.
    if (block.StartParagraph == block.EndParagraph) {
        process(block.StartParagraph, block.StartLine, block.EndLine);
    } else if (process(block.StartParagraph, block.StartLine, std::numeric_limits<int32_t>::max())) {
        bool going = true;
        for (int32_t index = block.StartParagraph + 1; going && index < block.EndParagraph; ++index)
            going = process(index, 0, std::numeric_limits<int32_t>::max());
        if (going)
            process(block.EndParagraph, 0, block.EndLine);
    }

    // 5.
    if (mode == bmSum && valid) {
        const TEvaluatorDisplay display{host.CalcDigitsBeforePoint(), host.CalcDigitsAfterPoint()};
        host.PutCalculationOnClipboard(FormatEvaluationResult(sum, display));
        host.RequestLayout();
        if (host.BlockSumBeep())
            PlaySystemBeep(0);
    }
    if (mode == bmFormat)
        host.FireProgramEvent(BlockFormattedEvent);
}
