// Operations that rearrange text rather than type it: sorting paragraphs
// (operation 24) and the format of an inline picture or object (25).
#include "document/model/DocObject.h"
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/steps/FormatObjectOperation.h"
#include "document/steps/SortParsOperation.h"
#include "foundation/MessageDlg.h"

#include <memory>
#include <string>

namespace {

// A refusal: the message with the operation's name for "%s"; the operation
// stays empty.
void Refuse(TDocument& document, const TOperation* op, std::string text)
{
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, OperationName(op ? op->Kind : 27));
    document.MessageShownInOperation = 1;
    ShowInformation(text);
}

}  // namespace

void TDocument::SortParagraphs(int32_t first, int32_t last, uint8_t mode, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    if (first == last) {
        Refuse(*this, op,
               "Cette action (\"%s\") ne s'applique qu'à une sélection de plusieurs paragraphes.||"
               "Sélectionnez les paragraphes visés et recommencez.");
        return;
    }
    if (first < 0 || last < first || last > StoryLast(GetStoryOfParagraph(first)))
        return;
    TTextRange range;
    MakeTextPos(first, 0, range.Start);
    MakeTextPos(last, Paragraphs(last).GetCharCount(), range.End);
    if (RangeMeetsMultiParagraphObject(range)) {
        Refuse(*this, op,
               "Cette action (\"%s\") ne peut pas s'appliquer à une sélection qui comprend des signets ou "
               "des champs de structure complexe.");
        return;
    }
    const TSection& section = GetSectionOfParagraph(last);
    if (&GetSectionOfParagraph(first) != &section ||
        (last == section.LastParagraph && last != StoryLast(stBody) && GetStoryOfParagraph(last) == stBody)) {
        Refuse(*this, op,
               "Cette action (\"%s\") ne s'applique qu'à une sélection dépourvue de saut de section.");
        return;
    }
    ApplyStep(*this, std::make_unique<TSortParsOperation>(this, first, last, mode != 0), update, op);
    update.SetCaret(Caret.Paragraph, 0, NotSet);
    update.SetViewHints(first, 0, last, Paragraphs(last).GetCharCount());
}

void TDocument::FormatObject(const TTextPosition& position, const TObjectFormat& format, TUpdateRange& update,
                             TOperation* op)
{
    update.Reset();
    TDocObject* object = GetObjectAt(position);
    if (!object)
        return;
    if (object->Width == format.Width && object->Height == format.Height && object->ScaleX == format.ScaleX &&
        object->ScaleY == format.ScaleY && object->PlainPicture == format.PlainPicture)
        return;
    auto step = std::make_unique<TFormatObjectOperation>(this, object, position.Paragraph);
    step->Values = format;
    ApplyStep(*this, std::move(step), update, op);
    update.SetCaret(position.Paragraph, position.Offset, NotSet);
}
