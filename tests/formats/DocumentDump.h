#pragma once
// A readable dump of what a document holds, for comparing two documents that
// must be the same (a document read, written and read again): paragraphs with
// their formats and the character format in force at each character, styles,
// sections with their headers and footers, notes where their references
// stand, fields, bookmarks, pictures and objects, and the document settings.
// Where records stand among characters is compared by their effect: the
// format in force at each character, and the order of ranges and characters.
#include "document/fields/Field.h"
#include "document/model/DocObject.h"
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "foundation/InlineControl.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/TabManager.h"
#include "formats/OutputFile.h"

#include <zlib.h>

#include <cmath>
#include <string>

namespace dump_detail {

inline std::string Tabs(const TDocument& document, int32_t table)
{
    if (table == NotSet || table < 0)
        return "-";
    const TTabTable* tabs = document.TabManager().Tables(table);
    if (!tabs)
        return "?";
    std::string out;
    for (TTabStop stop : tabs->StopList())
        out += std::to_string(stop) + ",";
    return out;
}

inline std::string ParFormat(const TDocument& document, const TParFormat& format)
{
    std::string out = "(";
    for (int slot = 0; slot < TParFormat::Count; ++slot) {
        if (slot == pfTabTable)
            out += "tabs=" + Tabs(document, format[slot]);
        else
            out += std::to_string(format[slot]);
        out += slot + 1 < TParFormat::Count ? " " : ")";
    }
    return out;
}

inline std::string CharFormat(const TCharFormat& format)
{
    std::string out = "(";
    for (int slot = 0; slot < TCharFormat::Count; ++slot)
        out += std::to_string(format[slot]) + (slot + 1 < TCharFormat::Count ? " " : ")");
    return out;
}

inline std::string Picture(const TDocPicture& picture)
{
    const uint32_t crc = static_cast<uint32_t>(crc32(0, picture.Data.data(), static_cast<uInt>(picture.Data.size())));
    return "[picture kind=" + std::to_string(picture.DataKind) + " bytes=" + std::to_string(picture.Data.size()) +
           " crc=" + std::to_string(crc) + " size=" + std::to_string(picture.Width) + "x" +
           std::to_string(picture.Height) + " scale=" + std::to_string(picture.ScaleX) + "/" +
           std::to_string(picture.ScaleY) + " lock=" + std::to_string(picture.KeepAspectRatio) +
           " mode=" + std::to_string(picture.MappingMode) + "]";
}

inline std::string Paragraphs(TDocument& document, int32_t first, int32_t last, int depth, bool note = false);

// One paragraph: its format, then characters with the format changes in
// force before them and the ranges where they open and close. The last mark
// of a note is not written to RTF (the reader adds it), so its format is not
// shown.
inline std::string Paragraph(TDocument& document, int32_t index, int depth, bool noteEnd = false)
{
    const TParagraph& paragraph = document.Paragraphs(index);
    std::string out = ParFormat(document, paragraph.Format) + " ";
    TCharFormat current = DefaultCharFormat();
    TCharFormat shown = current;
    const uint8_t* p = paragraph.GetText().Data();
    const int32_t size = paragraph.GetText().Size();
    auto before = [&] {
        if (!(current == shown)) {
            out += CharFormat(current);
            shown = current;
        }
    };
    for (int32_t i = 0; i < size;) {
        if (p[i] != InlineControlStartByte) {
            before();
            out += static_cast<char>(p[i++]);
            continue;
        }
        const TInlineControl c = ReadInlineControl(p + i);
        i += InlineControlSize;
        if (IsFormatCode(c.Code)) {
            current[c.Code] = c.Argument;
            continue;
        }
        switch (c.Code) {
        case icSpecialChar:
            if (!(noteEnd && SpecialCharKind(c.Argument) == scParagraphMark))
                before();
            out += "<" + std::to_string(SpecialCharKind(c.Argument)) + ">";
            break;
        case icSectionBreak:
            before();
            out += "<sect>";
            break;
        case icPicture: {
            before();
            const auto* picture = dynamic_cast<const TDocPicture*>(document.Objects().GetDocObject(c.Argument));
            out += picture ? Picture(*picture) : "[picture?]";
            break;
        }
        case icOleObject: {
            before();
            const auto* object = dynamic_cast<const TDocOLEObject*>(document.Objects().GetDocObject(c.Argument));
            if (!object) {
                out += "[object?]";
                break;
            }
            out += "[object type=" + std::to_string(object->ObjectType) + " class=" + object->ClassName +
                   " name=" + object->ObjectName + " data=" + std::to_string(object->Data.size()) + " " +
                   (object->ResultPicture ? Picture(*object->ResultPicture) : "-") + "]";
            break;
        }
        case icRangeStart:
        case icRangeEnd: {
            const TField* field = document.Objects().GetField(c.Argument);
            if (!field) {
                out += "{range?}";
                break;
            }
            const bool start = c.Code == icRangeStart;
            if (field->Kind == rkField)
                out += start ? "{field " + std::to_string(field->Type) + " " + field->Instruction + "|" : "}";
            else if (field->Kind == rkBookmark)
                out += std::string(start ? "{bm " : "{/bm ") + field->Instruction + "}";
            else if (field->Kind == rkNoteReference && !start && field->NoteRecord && depth < 3) {
                out += "{note endnote=" + std::to_string(IsEndnoteReference(*field)) +
                       " numbered=" + std::to_string(field->Numbered) + ": " +
                       Paragraphs(document, field->NoteRecord->Range.Start.Paragraph,
                                  field->NoteRecord->Range.End.Paragraph, depth + 1, true) +
                       "}";
            }
            break;
        }
        default: break;
        }
    }
    return out;
}

inline std::string Paragraphs(TDocument& document, int32_t first, int32_t last, int depth, bool note)
{
    std::string out;
    for (int32_t i = std::max(first, 0); i <= last && i < document.ParagraphCount(); ++i)
        out += Paragraph(document, i, depth, note && i == last) + "\n";
    return out;
}

}  // namespace dump_detail

inline std::string DumpDocument(TDocument& document)
{
    using namespace dump_detail;
    std::string out;
    out += "language=" + std::to_string(document.DocumentLanguage) +
           " deftab=" + std::to_string(document.TabManager().DefaultInterval()) +
           " zoomkind=" + std::to_string(document.ZoomKind) + " zoom=" + std::to_string(document.Zoom()) +
           " hyph=" + std::to_string(document.AutoHyphenation) + std::to_string(document.HyphenateCapitals) + "/" +
           std::to_string(document.HyphenationZone) + "/" + std::to_string(document.HyphenationLimit) + "\n";
    for (const TNoteNumbering* n : {&document.FootnoteNumbering, &document.EndnoteNumbering})
        out += "notes " + std::to_string(n->Placement) + " " + std::to_string(n->Style) + " " +
               std::to_string(n->Start) + " " + std::to_string(n->Restart) + "\n";
    const TDocProperties& p = document.Properties;
    // Files keep whole seconds.
    auto seconds = [](double value) {
        return std::to_string(static_cast<long long>(std::floor(value * 86400.0 + 1e-4)));
    };
    out += "info " + p.Title + "|" + p.Subject + "|" + p.Author + "|" + p.Keywords + "|" + p.Comments + "|" +
           p.LastAuthor + "|" + seconds(p.Created) + "|" +
           // A revision time equal to the creation time is not written.
           seconds(p.LastSaved == p.Created ? 0 : p.LastSaved) + "|" + seconds(p.LastPrinted) +
           "\n";
    const TStyleList& styles = document.Styles();
    for (int32_t i = 0; i < styles.Count(); ++i) {
        const TStyle& s = styles[i];
        TParFormat own = s.ParFormat;
        out += "style " + s.Name + " based=" + std::to_string(s.BasedOn) + " next=" + std::to_string(s.NextStyle) +
               " key=" + std::to_string(s.HotKey) + " " + CharFormat(s.CharFormat) + ParFormat(document, own) + "\n";
    }
    for (int32_t i = 0; i < document.SectionCount(); ++i) {
        TSection& section = document.Sections(i);
        const bool last = i + 1 == document.SectionCount();
        const TSectionSettings& settings = section.Settings;
        const int32_t columns = settings[ssColumnCount];
        out += "section break=" + (last ? std::string("-") : std::to_string(section.BreakKind())) +
               " columns=" + std::to_string(columns) + " spacing=" + std::to_string(settings[ssColumnSpacing]);
        if (columns > 1) {
            out += " equal=" + std::to_string(settings[ssEqualColumns]);
            if (settings[ssEqualColumns] == 0)
                for (int32_t c = 0; c < columns && c < MaxColumns; ++c)
                    out += " " + std::to_string(settings[TSectionSettings::ColumnValue(c, crWidth)]) + "/" +
                           std::to_string(settings[TSectionSettings::ColumnValue(c, crSpacing)]);
        }
        out += " page=";
        for (int value : {0, 1, 2, 4, 5, 6, 7, 8, 23, 24, 25})
            out += std::to_string(section.PageParams[value]) + ",";
        out += " numbers=" + std::to_string(section.Trailing[0]) + "/" + std::to_string(section.Trailing[1]) + "\n";
        for (int kind = 0; kind < 6; ++kind) {
            const TField* range = section.HeadersFooters[kind];
            // An empty one in the first section shows nothing: the same as none.
            if (!range || (i == 0 && IsEmptyHeaderFooter(document, *range)))
                continue;
            out += "  hf" + std::to_string(kind) + ": " +
                   Paragraphs(document, range->Range.Start.Paragraph, range->Range.End.Paragraph, 1);
        }
    }
    out += Paragraphs(document, 0, document.StoryLast(stBody), 0);
    return out;
}
