// TDocument: the spacing context at a position and the space correction after
// an edit.
#include "document/text/SpacingContext.h"

#include "document/model/Document.h"
#include "document/operations/OperationManager.h"
#include "document/model/Paragraph.h"
#include "foundation/Memory.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/SysUtils.h"
#include "proofing/AutocorrectLangOptions.h"

#include <algorithm>
#include <array>

namespace {

constexpr uint8_t OpeningDoubleQuote = 0x93;
constexpr uint8_t ClosingDoubleQuote = 0x94;

bool IsBlank(uint8_t c)
{
    return c == ' ' || c == scNonBreakingSpace;
}

bool IsDigitChar(uint8_t c)
{
    return c >= '0' && c <= '9';
}

// The sign tables of one call: the options' tables adjusted by the quote style.
struct TSignTables {
    std::array<bool, 256> Opening;
    std::array<bool, 256> Closing;

    explicit TSignTables(const TAutocorrectLangOptions& options)
        : Opening(options.LeftAdjSep), Closing(options.RightAdjSep)
    {
        if (options.Quotes == 2) {
            // „ opens and “ closes.
            Opening[OpeningDoubleQuote] = Opening[ClosingDoubleQuote];
            Closing[OpeningDoubleQuote] = Closing[ClosingDoubleQuote];
        } else if (options.Quotes == 3) {
            std::swap(Opening[0xAB], Opening[0xBB]);
            std::swap(Closing[0xAB], Closing[0xBB]);
        }
    }
};

// The records between the character before the offset and the character at
// it hold the anchor of a range object.
bool AnchorAtBoundary(const TParagraph& paragraph, int32_t offset)
{
    for (TRecordCursor cursor(paragraph); cursor.Next() && cursor.Chars() <= offset;) {
        if (cursor.Chars() == offset && IsAnchorCode(cursor.Record().Code))
            return true;
    }
    return false;
}

}  // namespace

void TDocument::GetAutocorrectContext(int32_t paragraphIndex, int32_t offset, TSpacingContext& context,
                                      const TAutocorrectLangOptions* options)
{
    context = TSpacingContext();
    if (paragraphIndex < 0 || paragraphIndex >= ParagraphCount())
        return;
    const TParagraph& paragraph = Paragraphs(paragraphIndex);
    const uint8_t* chars = paragraph.GetPlainChars().Data();
    const int32_t count = paragraph.GetCharCount();
    offset = std::clamp(offset, 0, count);
    if (!options) {
        const int32_t language = GetLanguageAt(paragraphIndex, std::min(offset + 1, count));
        const LANGID id = language == NotSet || language <= 0 ? GetUserDefaultLangID()
                                                              : static_cast<LANGID>(language & 0xFFFF);
        options = &GetAutocorrectLangOptionsManager().GetLangOptions(id);
    }
    const TSignTables signs(*options);
    const char decimal = FormatSettings().DecimalSeparator;

    // Straight quotes count as the opening quote at the paragraph's start and
    // after a blank or an opening sign (other than a quote), else as the
    // closing quote.
    auto classed = [&](int32_t at) -> uint8_t {
        const uint8_t c = chars[at];
        if (c != '"' && c != '\'')
            return c;
        if (at == 0)
            return OpeningDoubleQuote;
        const uint8_t before = chars[at - 1];
        const bool quote = before == '"' || before == '\'' || before == 0x91;
        return !quote && (IsBlank(before) || signs.Opening[before]) ? OpeningDoubleQuote : ClosingDoubleQuote;
    };

    // The character before.
    if (offset == 0) {
        context.BeforeClass = scsOpening;
    } else if (IsBlank(chars[offset - 1])) {
        context.BeforeClass = scsBlank;
    } else if (offset >= 2 && offset < count - 1 && static_cast<char>(chars[offset - 1]) == decimal &&
               IsDigitChar(chars[offset - 2]) && IsDigitChar(chars[offset])) {
        context.BeforeClass = scsOpening;
    } else {
        const uint8_t c = classed(offset - 1);
        context.BeforeClass = signs.Opening[c] ? scsOpening : signs.Closing[c] ? scsClosing : scsOther;
        // Inside a link the signs are part of it.
        if (context.BeforeClass == scsOpening) {
            TFoundWord link;
            GetLinkAt({paragraphIndex, offset}, link);
            if (link.Length > 0 && offset > link.Position.Offset && offset <= link.Position.Offset + link.Length)
                context.BeforeClass = scsOther;
        }
    }

    // The character at the position.
    if (offset >= count) {
        context.AfterClass = scsClosing;
        context.AfterOpening = 0;
        context.AfterClosing = 1;
    } else {
        const uint8_t c = classed(offset);
        if (offset >= 1 && offset <= count - 3 && static_cast<char>(chars[offset]) == decimal &&
            IsDigitChar(chars[offset - 1]) && IsDigitChar(chars[offset + 1]))
            context.AfterClass = scsClosing;
        else if (IsBlank(c))
            context.AfterClass = scsBlank;
        else if (signs.Closing[c])
            context.AfterClass = scsClosing;
        else if (signs.Opening[c])
            context.AfterClass = scsOpening;
        else
            context.AfterClass = scsOther;
        context.AfterOpening = signs.Opening[c] ? 1 : 0;
        context.AfterClosing = signs.Closing[c] ? 1 : 0;
    }
    context.AfterPlain = context.AfterOpening == 0 && context.AfterClosing == 0 ? 1 : 0;
}

void TDocument::FixSpacingAt(const TTextPosition& position, TSpaceAdjustment& result, TUpdateRange& update,
                             TOperation* op)
{
    result = TSpaceAdjustment();
    update.Reset();
    update.SetCaret(position.Paragraph, position.Offset, NotSet);
    if (position.Paragraph < 0 || position.Paragraph >= ParagraphCount())
        return;
    TParagraph& paragraph = Paragraphs(position.Paragraph);
    const int32_t count = paragraph.GetCharCount();
    const int32_t offset = std::clamp(position.Offset, 0, count);
    TSpacingContext context;
    GetAutocorrectContext(position.Paragraph, offset, context);

    // Two pieces of text meet without a blank: one space between them.
    const bool textBefore = context.BeforeClass == scsClosing || context.BeforeClass == scsOther;
    const bool textAfter = context.AfterClass == scsOpening || context.AfterClass == scsOther;
    if (textBefore && textAfter) {
        if (AnchorAtBoundary(paragraph, offset))
            return;
        TTextPosition at = position;
        at.Offset = offset;
        PrepareTypingFormat(at, 0);
        TMemory space;
        space.AppendByte(' ');
        TUpdateRange local;
        InsertPlainTextAt(space, at, local, op, 0);
        UndoManager().MergeUpdateRange(update, local);
        result.Inserted = 1;
        update.SetCaret(position.Paragraph, offset, NotSet);
        return;
    }

    // The blanks around the position: one stays between two pieces of text.
    const uint8_t* chars = paragraph.GetPlainChars().Data();
    int32_t before = 0;
    while (offset - before > 0 && IsBlank(chars[offset - before - 1]))
        ++before;
    int32_t after = 0;
    while (offset + after < count && IsBlank(chars[offset + after]))
        ++after;
    if (before + after == 0)
        return;
    TSpacingContext left;
    TSpacingContext right;
    GetAutocorrectContext(position.Paragraph, offset - before, left);
    GetAutocorrectContext(position.Paragraph, offset + after, right);
    if ((left.BeforeClass == scsClosing || left.BeforeClass == scsOther) &&
        (right.AfterClass == scsOpening || right.AfterClass == scsOther)) {
        if (before > 0)
            --before;
        else
            --after;
    }
    if (before + after == 0)
        return;
    const int32_t from = offset - before;
    const int32_t to = offset + after;
    if (AnchorAtBoundary(paragraph, from) || AnchorAtBoundary(paragraph, to))
        return;
    TUpdateRange local;
    DeleteRange({position.Paragraph, from}, {position.Paragraph, to}, local, op, 0);
    UndoManager().MergeUpdateRange(update, local);
    result.RemovedBefore = before;
    result.RemovedAfter = after;
    update.SetCaret(position.Paragraph, from, NotSet);
}

TDocument::TSpaceAdjustment TDocument::AdjustSpaces(const TTextPosition& position, TUpdateRange& update,
                                                    TOperation* op)
{
    TSpaceAdjustment result;
    FixSpacingAt(position, result, update, op);
    return result;
}
