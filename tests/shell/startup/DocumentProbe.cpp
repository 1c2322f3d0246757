#include "DocumentProbe.h"

#include "document/model/Document.h"
#include "document/model/Paragraph.h"

std::string ParagraphText(TDocument& document, int32_t index)
{
    const TParagraph& p = document.Paragraphs(index);
    return std::string(reinterpret_cast<const char*>(p.GetPlainChars().Data()), static_cast<size_t>(p.GetCharCount()));
}

void MarkModified(TDocument& document)
{
    document.SetModified(true);
}
