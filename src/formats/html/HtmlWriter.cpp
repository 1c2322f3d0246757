// The web page itself: head, paragraphs with their runs, links, bookmarks,
// notes and pictures; and the road from the document write to the page file.
#include "formats/html/HtmlExport.h"

#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/model/DocObject.h"
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/FrequencyMemList.h"
#include "foundation/InlineControl.h"
#include "foundation/MessageDlg.h"
#include "foundation/drawing/DrawingHelpers.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "formats/DocFileHost.h"
#include "formats/DocumentFile.h"
#include "formats/OutputFile.h"
#include "platform/framework/Picture.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <map>

namespace {

// Blue: the colour of a link whose text has the automatic colour.
constexpr int32_t kLinkColorIndex = 2;

constexpr const char* kVendorAddress = "http://www.corvel-softworks.com/";
constexpr const char* kProgramVersion = "1.x";

uint32_t TableColor(int32_t index)
{
    // The fixed colour table of the documents: 1 to 16 (0 is automatic: black).
    return index >= 1 && index <= BasicColorCount ? static_cast<uint32_t>(BasicColor(index)) & 0xFFFFFF : 0;
}

bool IsSet(int32_t value)
{
    return value != NotSet;
}

// Twips as hundredths of an inch or of a point, rounded half away from zero.
int64_t TwipsToHundredthsOfInch(int32_t twips)
{
    const int64_t scaled = static_cast<int64_t>(twips) * 100;
    return scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440);
}
int64_t TwipsToHundredthsOfPoint(int32_t twips)
{
    return static_cast<int64_t>(twips) * 5;
}

const TRegisteredFont* FontOf(int32_t index)
{
    TFontManager* fonts = GetFontManager();
    return fonts && IsSet(index) ? fonts->FindFont(index) : nullptr;
}

std::string FontName(int32_t index)
{
    TFontManager* fonts = GetFontManager();
    const TRegisteredFont* font = FontOf(index);
    return font && fonts ? font->GetFaceName(*fonts) : std::string();
}

uint32_t FontCodePage(int32_t index)
{
    const TRegisteredFont* font = FontOf(index);
    return CharsetToCodePage(font ? font->RequestedCharset : 0);
}

// A font name as a CSS value: quoted unless it is plain words.
std::string CssFontFamily(const std::string& name)
{
    const bool plain = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ' ' || c == '-';
    });
    std::string quoted;
    for (char c : name)
        if (c != '\'' && c != '"' && c != ';' && c != '<' && c != '>' && c != '&')
            quoted += c;
    return plain ? name : "'" + quoted + "'";
}

// The paragraph CSS of the slots that are set and differ from the base.
std::string ParagraphCss(const TParFormat& format, const TParFormat& base)
{
    std::string css;
    auto differs = [&](int slot) { return IsSet(format[slot]) && format[slot] != base[slot]; };
    if (differs(pfFirstIndent))
        css += "text-indent:" + HundredthsText(TwipsToHundredthsOfInch(format[pfFirstIndent])) + "in;";
    if (differs(pfLeftIndent))
        css += "margin-left:" + HundredthsText(TwipsToHundredthsOfInch(format[pfLeftIndent])) + "in;";
    if (differs(pfLineSpacing) || (differs(pfLineRule) && IsSet(format[pfLineSpacing]))) {
        const int32_t spacing = format[pfLineSpacing];
        if (format[pfLineRule] == 1)
            css += "line-height:" + std::to_string(static_cast<int64_t>(spacing) * 100 / 240) + "%;";
        else
            css += "line-height:" + HundredthsText(TwipsToHundredthsOfPoint(spacing < 0 ? -spacing : spacing)) +
                   "pt;";
    }
    if (differs(pfRightIndent))
        css += "margin-right:" + HundredthsText(TwipsToHundredthsOfInch(format[pfRightIndent])) + "in;";
    if (differs(pfAlignment)) {
        static constexpr const char* kAlign[] = {"left", "center", "right", "justify"};
        css += std::string("text-align:") + kAlign[std::clamp(format[pfAlignment], 0, 3)] + ";";
    }
    if (differs(pfPageBreakBefore))
        css += format[pfPageBreakBefore] ? "page-break-before: always;" : "page-break-before: auto;";
    if (differs(pfSpaceBefore))
        css += "margin-top:" + HundredthsText(TwipsToHundredthsOfPoint(format[pfSpaceBefore])) + "pt;";
    if (differs(pfSpaceAfter))
        css += "margin-bottom:" + HundredthsText(TwipsToHundredthsOfPoint(format[pfSpaceAfter])) + "pt;";
    return css;
}

// The first character's format of a field's result: the run, with the
// format records that stand between the start record and that character.
TCharFormat FormatAfter(TCharFormat run, const uint8_t* text, int32_t size, int32_t pos)
{
    while (pos + InlineControlSize <= size && text[pos] == InlineControlStartByte) {
        const TInlineControl record = ReadInlineControl(text + pos);
        if (IsCharacterCode(record.Code))
            break;
        if (IsFormatCode(record.Code))
            run[record.Code] = record.Argument;
        pos += InlineControlSize;
    }
    return run;
}

bool IsUrl(const std::string& target)
{
    const auto colon = target.find(':');
    if (colon == std::string::npos || colon < 2)
        return false;  // "C:\..." is a path
    for (size_t i = 0; i < colon; ++i) {
        const char c = target[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
              c == '.'))
            return false;
    }
    return true;
}

struct TNoteEntry {
    const TField* Reference;
    bool Endnote;
    int32_t Number;  // position among the notes of its kind, from 1
    std::string Mark;
};

class THtmlWriter {
public:
    THtmlWriter(TOutputFile& output, const THtmlExportParams& params)
        : FOut(output), FDocument(output.Document()), FParams(params), FSettings(WebExportSettings())
    {
        if (params.Images)
            for (const auto& info : *params.Images)
                if (info && info->Picture)
                    FImages[info->Picture] = info.get();
    }

    void Write();

private:
    void Raw(std::string_view text) { FOut.OutputWriteString(text); }
    void FindDefaultFormats();
    std::string HeadCharCss() const;
    void CharCss(const TCharFormat& format, std::string& css, std::vector<const char*>& tags) const;
    std::string ColorCss(int32_t index, bool highlight) const;
    uint32_t AdjustColor(uint32_t color) const;

    void WriteParagraph(int32_t index, const TNoteEntry* note);
    void OpenRun();
    void CloseRun();
    void OpenLink();
    void CloseLinkTag();
    void WriteText(const uint8_t* text, int32_t count);
    void WriteSpecial(uint8_t kind);
    void WritePicture(const TDocPicture& picture);
    void RangeStart(const TField& field, const uint8_t* text, int32_t size, int32_t after);
    void RangeEnd(const TField& field);
    void WriteNotes();

    TOutputFile& FOut;
    TDocument& FDocument;
    const THtmlExportParams& FParams;
    TWebExportSettings& FSettings;
    std::map<const TDocPicture*, const TImageInfo*> FImages;

    TCharFormat FDefaultChar;
    TParFormat FDefaultPar;
    uint32_t FPageCodePage = 1252;

    // The paragraph being written.
    TCharFormat FRun;
    bool FRunOpen = false;
    std::string FRunClose;
    bool FPreviousSpace = false;
    // The hyperlink the text stands in (its element is closed at each
    // paragraph end and opened again in the next paragraph).
    const TField* FLink = nullptr;
    std::string FLinkTag;
    bool FLinkTagOpen = false;
    // A note reference whose characters the anchor replaces.
    const TField* FSkipping = nullptr;
    std::vector<TNoteEntry> FNotes;
    bool FInNotes = false;
    int32_t FNoteCount[2] = {0, 0};
};

void THtmlWriter::FindDefaultFormats()
{
    TFrequencyMemList pars(sizeof(TParFormat));
    TFrequencyMemList chars(sizeof(TCharFormat));
    const int32_t last = FDocument.StoryLast(stBody);
    for (int32_t p = 0; p <= last; ++p) {
        const TParagraph& paragraph = FDocument.Paragraphs(p);
        pars.Add(&paragraph.Format, std::max(1, paragraph.GetCharCount()));
        TCharFormat run = DefaultCharFormat();
        int32_t count = 0;
        const uint8_t* text = paragraph.GetText().Data();
        const int32_t size = paragraph.GetText().Size();
        for (int32_t pos = 0; pos < size;) {
            if (text[pos] != InlineControlStartByte) {
                ++count;
                ++pos;
                continue;
            }
            const TInlineControl record = ReadInlineControl(text + pos);
            pos += InlineControlSize;
            if (IsFormatCode(record.Code)) {
                if (count > 0)
                    chars.Add(&run, count);
                count = 0;
                run[record.Code] = record.Argument;
            } else if (IsCharacterCode(record.Code) && SpecialCharKind(record.Argument) != scParagraphMark) {
                ++count;
            }
        }
        if (count > 0)
            chars.Add(&run, count);
    }
    FDefaultPar = pars.BestItem() ? *static_cast<const TParFormat*>(pars.BestItem()) : DefaultParFormat();
    FDefaultChar = chars.BestItem() ? *static_cast<const TCharFormat*>(chars.BestItem()) : DefaultCharFormat();
    for (int slot = 0; slot < TCharFormat::Count; ++slot)
        if (!IsSet(FDefaultChar[slot]))
            FDefaultChar[slot] = DefaultCharFormat()[slot];
    FPageCodePage = FontCodePage(FDefaultChar[cfFont]);
}

uint32_t THtmlWriter::AdjustColor(uint32_t color) const
{
    if (!FSettings.AdjustColors || !IsSet(FSettings.BackgroundColor))
        return color;
    // Shifted against the page's background so that it stays readable.
    return GetContrastShade(color, static_cast<uint32_t>(FSettings.BackgroundColor));
}

std::string THtmlWriter::ColorCss(int32_t index, bool highlight) const
{
    if (highlight) {
        if (index == 0)
            return "background:" +
                   (IsSet(FSettings.BackgroundColor) ? HtmlColorText(static_cast<uint32_t>(FSettings.BackgroundColor))
                                                     : std::string("white")) +
                   ";";
        return "background:" + HtmlColorText(AdjustColor(TableColor(index))) + ";";
    }
    return "color:" + HtmlColorText(AdjustColor(TableColor(index))) + ";";
}

void THtmlWriter::CharCss(const TCharFormat& format, std::string& css, std::vector<const char*>& tags) const
{
    auto differs = [&](int slot) { return IsSet(format[slot]) && format[slot] != FDefaultChar[slot]; };
    if (differs(cfFont)) {
        const std::string name = FontName(format[cfFont]);
        if (!name.empty())
            css += "font-family:" + CssFontFamily(name) + ";";
    }
    if (differs(cfSize))
        css += "font-size:" + HundredthsText(static_cast<int64_t>(format[cfSize]) * 50) + "pt;";
    if (differs(cfBold)) {
        if (format[cfBold])
            tags.push_back("b");
        else
            css += "font-weight:normal;";
    }
    if (differs(cfItalic)) {
        if (format[cfItalic])
            tags.push_back("i");
        else
            css += "font-style:normal;";
    }
    if ((differs(cfStrikeOut) && format[cfStrikeOut]) || (differs(cfDoubleStrikeOut) && format[cfDoubleStrikeOut]))
        tags.push_back("s");
    if (differs(cfUnderline) && format[cfUnderline])
        tags.push_back("u");
    if (differs(cfSmallCaps))
        css += format[cfSmallCaps] ? "font-variant:small-caps;" : "font-variant:normal;";
    if (differs(cfAllCaps))
        css += format[cfAllCaps] ? "text-transform:uppercase;" : "text-transform:none;";
    if (differs(cfColor))
        css += ColorCss(format[cfColor], false);
    if (differs(cfHighlight))
        css += ColorCss(format[cfHighlight], true);
    if (differs(cfVerticalPosition)) {
        if (format[cfVerticalPosition] == 1)
            tags.push_back("sup");
        else if (format[cfVerticalPosition] == 2)
            tags.push_back("sub");
        else
            css += "vertical-align:baseline;";
    }
    if (differs(cfLetterSpacing))
        css += "letter-spacing:" + HundredthsText(TwipsToHundredthsOfPoint(format[cfLetterSpacing])) + "pt;";
    if (differs(cfRaise)) {
        if (format[cfRaise] > 0)
            tags.push_back("sup");
        else if (format[cfRaise] < 0)
            tags.push_back("sub");
        else
            css += "vertical-align:baseline;";
    }
}

std::string THtmlWriter::HeadCharCss() const
{
    // The page's usual character format, written in full where CSS has a
    // property for it.
    const TCharFormat& f = FDefaultChar;
    std::string css;
    const std::string name = FontName(f[cfFont]);
    if (!name.empty())
        css += "font-family:" + CssFontFamily(name) + ";";
    if (IsSet(f[cfSize]))
        css += "font-size:" + HundredthsText(static_cast<int64_t>(f[cfSize]) * 50) + "pt;";
    if (f[cfBold] == 1)
        css += "font-weight:bold;";
    if (f[cfItalic] == 1)
        css += "font-style:italic;";
    const bool underline = IsSet(f[cfUnderline]) && f[cfUnderline] != 0;
    const bool strike = (IsSet(f[cfStrikeOut]) && f[cfStrikeOut]) || (IsSet(f[cfDoubleStrikeOut]) && f[cfDoubleStrikeOut]);
    if (underline || strike)
        css += std::string("text-decoration:") +
               (underline && strike ? "underline line-through" : underline ? "underline" : "line-through") + ";";
    if (f[cfSmallCaps] == 1)
        css += "font-variant:small-caps;";
    if (f[cfAllCaps] == 1)
        css += "text-transform:uppercase;";
    if (IsSet(f[cfColor]) && f[cfColor] > 0)
        css += ColorCss(f[cfColor], false);
    if (IsSet(f[cfHighlight]) && f[cfHighlight] > 0)
        css += ColorCss(f[cfHighlight], true);
    if (IsSet(f[cfLetterSpacing]) && f[cfLetterSpacing] != 0)
        css += "letter-spacing:" + HundredthsText(TwipsToHundredthsOfPoint(f[cfLetterSpacing])) + "pt;";
    return css;
}

void THtmlWriter::OpenRun()
{
    if (FRunOpen)
        return;
    FRunOpen = true;
    FRunClose.clear();
    std::string css;
    std::vector<const char*> tags;
    CharCss(FRun, css, tags);
    if (!css.empty()) {
        Raw("<font style=\"" + HtmlAttribute(css) + "\">");
        FRunClose = "</font>";
    }
    for (const char* tag : tags) {
        Raw(std::string("<") + tag + ">");
        FRunClose.insert(0, std::string("</") + tag + ">");
    }
}

void THtmlWriter::CloseRun()
{
    if (!FRunOpen)
        return;
    Raw(FRunClose);
    FRunOpen = false;
    FRunClose.clear();
}

void THtmlWriter::OpenLink()
{
    if (FLink && !FLinkTagOpen) {
        Raw(FLinkTag);
        FLinkTagOpen = true;
    }
}

void THtmlWriter::CloseLinkTag()
{
    CloseRun();
    if (FLinkTagOpen) {
        Raw("</a>");
        FLinkTagOpen = false;
    }
}

void THtmlWriter::WriteText(const uint8_t* text, int32_t count)
{
    OpenLink();
    OpenRun();
    const uint32_t codePage = FontCodePage(FRun[cfFont]);
    std::string out;
    if (codePage == FPageCodePage) {
        for (int32_t i = 0; i < count; ++i) {
            const char c = static_cast<char>(text[i]);
            if (c == ' ') {
                out += FPreviousSpace ? "&nbsp;" : " ";
                FPreviousSpace = !FPreviousSpace;
                continue;
            }
            FPreviousSpace = false;
            out += HtmlEscape(std::string_view(&c, 1));
        }
    } else {
        // Another code page than the page's: through wide characters, and
        // every character from 128 up as a character reference.
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t byte = text[i];
            if (byte == ' ') {
                out += FPreviousSpace ? "&nbsp;" : " ";
                FPreviousSpace = !FPreviousSpace;
                continue;
            }
            FPreviousSpace = false;
            const std::string entity = HtmlEscape(std::string_view(reinterpret_cast<const char*>(&byte), 1));
            if (entity.size() > 1) {
                out += entity;
                continue;
            }
            const char16_t wide = ByteToWide(byte, codePage);
            if (wide < 128)
                out += static_cast<char>(wide);
            else
                out += "&#" + std::to_string(static_cast<uint32_t>(wide)) + ";";
        }
    }
    Raw(out);
}

void THtmlWriter::WriteSpecial(uint8_t kind)
{
    const char* text = nullptr;
    switch (kind) {
    case scColumnBreak:
    case scLineBreak:
    case scPageBreak: text = "<br>"; break;
    case scTab: text = "&nbsp;&nbsp;&nbsp;&nbsp;"; break;
    case scNonBreakingSpace: text = "&nbsp;"; break;
    case scNonBreakingHyphen: text = "-"; break;
    case scEmDash: text = "&mdash;"; break;
    case scEnDash: text = "&ndash;"; break;
    case scOptionalHyphen: text = "&shy;"; break;
    default: return;
    }
    OpenLink();
    OpenRun();
    FPreviousSpace = false;
    Raw(text);
}

void THtmlWriter::WritePicture(const TDocPicture& picture)
{
    const auto found = FImages.find(&picture);
    if (found == FImages.end() || found->second->FileName.empty())
        return;
    OpenLink();
    OpenRun();
    const std::string path = FParams.PictureFolder.empty() ? found->second->FileName
                                                           : FParams.PictureFolder + "/" + found->second->FileName;
    auto pixels = [](int32_t twips, int32_t scale) {
        const int64_t value = static_cast<int64_t>(twips) * scale * 96;
        return std::max<int64_t>(1, (value + 72000) / 144000);
    };
    Raw("<img border=0 src=\"" + HtmlAttribute(HtmlUrlPath(path)) + "\" width=" +
        std::to_string(pixels(picture.Width, picture.ScaleX)) +
        " height=" + std::to_string(pixels(picture.Height, picture.ScaleY)) + ">");
    FPreviousSpace = false;
}

void THtmlWriter::RangeStart(const TField& field, const uint8_t* text, int32_t size, int32_t after)
{
    switch (field.Kind) {
    case rkField: {
        if (field.Type != fkHyperlink || FLink)
            return;
        std::string target;
        std::string tip;
        ParseHyperlinkField(field.Instruction, target, tip);
        if (!target.empty() && target[0] != '#' && !IsUrl(target)) {
            // A file: resolved against the document's folder, then made
            // relative to the page's folder where it lies below it.
            std::string file = target;
            for (char& c : file)
                if (c == '\\')
                    c = '/';
            if (file[0] != '/' && !FDocument.FileName.empty())
                file = ExtractFilePath(ExpandFileName(FDocument.FileName)) + file;
            const std::string pageFolder = ExtractFilePath(ExpandFileName(FParams.PageFileName));
            if (file.compare(0, pageFolder.size(), pageFolder) == 0)
                file = file.substr(pageFolder.size());
            target = file;
        }
        const TCharFormat result = FormatAfter(FRun, text, size, after);
        const int32_t colorIndex = IsSet(result[cfColor]) && result[cfColor] > 0 ? result[cfColor] : kLinkColorIndex;
        const bool underline = IsSet(result[cfUnderline]) && result[cfUnderline] != 0;
        const bool strike = (IsSet(result[cfStrikeOut]) && result[cfStrikeOut]) ||
                            (IsSet(result[cfDoubleStrikeOut]) && result[cfDoubleStrikeOut]);
        const char* decoration =
            underline && strike ? "underline line-through" : underline ? "underline" : strike ? "line-through" : "none";
        FLinkTag = "<a href=\"" + HtmlAttribute(HtmlUrlPath(target)) + "\"";
        if (!tip.empty())
            FLinkTag += " title=\"" + HtmlEscape(tip) + "\"";
        FLinkTag += " style=\"color:" + HtmlColorText(AdjustColor(TableColor(colorIndex))) +
                    ";text-decoration:" + decoration + "\">";
        CloseRun();
        FLink = &field;
        return;
    }
    case rkBookmark: {
        // A place to go to: an empty named anchor, outside any link.
        const bool inLink = FLinkTagOpen;
        CloseLinkTag();
        Raw("<a name=\"" + HtmlAttribute(field.Instruction) + "\"></a>");
        if (inLink)
            OpenLink();
        return;
    }
    case rkNoteReference: {
        // In the notes the anchor of the note stands for its own mark.
        if (FInNotes && !FSkipping)
            FSkipping = &field;
        if (FSkipping)
            return;
        const bool endnote = IsEndnoteReference(field);
        TNoteEntry entry{&field, endnote, ++FNoteCount[endnote ? 1 : 0], field.Result};
        // Numbers that restart by section or page run through the page.
        const TNoteNumbering& numbering = endnote ? FDocument.EndnoteNumbering : FDocument.FootnoteNumbering;
        if (entry.Mark.empty() || numbering.Restart != nrNever)
            entry.Mark = std::to_string(entry.Number);
        const std::string kind = endnote ? "end" : "foot";
        const bool inLink = FLinkTagOpen;
        CloseLinkTag();
        Raw("<a name=\"_" + kind + "noteref" + std::to_string(entry.Number) + "\" href=\"#_" + kind + "note" +
            std::to_string(entry.Number) + "\">[" + HtmlEscape(entry.Mark) + "]</a>");
        if (inLink)
            OpenLink();
        if (field.NoteRecord)
            FNotes.push_back(entry);
        FSkipping = &field;
        return;
    }
    default: return;
    }
}

void THtmlWriter::RangeEnd(const TField& field)
{
    if (&field == FSkipping) {
        FSkipping = nullptr;
        return;
    }
    if (&field == FLink) {
        CloseLinkTag();
        FLink = nullptr;
    }
}

void THtmlWriter::WriteParagraph(int32_t index, const TNoteEntry* note)
{
    const TParagraph& paragraph = FDocument.Paragraphs(index);
    const std::string css = ParagraphCss(paragraph.Format, FDefaultPar);
    Raw(css.empty() ? std::string("<p>") : "<p style=\"" + HtmlAttribute(css) + "\">");
    FRun = DefaultCharFormat();
    FRunOpen = false;
    FPreviousSpace = false;
    if (note) {
        const std::string kind = note->Endnote ? "end" : "foot";
        Raw("<a name=\"_" + kind + "note" + std::to_string(note->Number) + "\" href=\"#_" + kind + "noteref" +
            std::to_string(note->Number) + "\">[" + HtmlEscape(note->Mark) + "]</a>");
    }
    const int32_t bullet = paragraph.Format[pfInternal];
    if (IsSet(bullet) && bullet != 0) {
        TFontManager* fonts = GetFontManager();
        const TCharFormat saved = FRun;
        if (fonts && fonts->SymbolIndex() >= 0)
            FRun[cfFont] = fonts->SymbolIndex();
        const uint8_t dot = 0xB7;
        WriteText(&dot, 1);
        CloseRun();
        FRun = saved;
        // Non-breaking spaces over 270 twips, or the hanging indent when larger.
        const int32_t first = paragraph.Format[pfFirstIndent];
        const int32_t width = std::max(270, IsSet(first) && first < 0 ? -first : 0);
        std::string spaces;
        for (int32_t i = 0; i < std::max(1, width / 60); ++i)
            spaces += "&nbsp;";
        OpenLink();
        Raw(spaces);
    }

    const uint8_t* text = paragraph.GetText().Data();
    const int32_t size = paragraph.GetText().Size();
    bool any = false;
    for (int32_t pos = 0; pos < size;) {
        if (text[pos] != InlineControlStartByte) {
            int32_t run = pos;
            while (run < size && text[run] != InlineControlStartByte)
                ++run;
            if (!FSkipping) {
                WriteText(text + pos, run - pos);
                any = true;
            }
            pos = run;
            continue;
        }
        const TInlineControl record = ReadInlineControl(text + pos);
        pos += InlineControlSize;
        if (IsFormatCode(record.Code)) {
            if (FRun[record.Code] != record.Argument) {
                CloseRun();
                FRun[record.Code] = record.Argument;
            }
            continue;
        }
        switch (record.Code) {
        case icSpecialChar: {
            const uint8_t kind = SpecialCharKind(record.Argument);
            if (kind == scParagraphMark || kind == scSectionBreak || FSkipping)
                break;
            if (note && kind == scReaderSpecial && !any)
                break;  // the note's own mark: the anchor above stands for it
            WriteSpecial(kind);
            any = true;
            break;
        }
        case icPicture:
            if (FSkipping)
                break;
            if (const auto* picture =
                    dynamic_cast<const TDocPicture*>(FDocument.Objects().GetDocObject(record.Argument))) {
                WritePicture(*picture);
                any = true;
            }
            break;
        case icRangeStart:
            if (const TField* field = FDocument.Objects().GetField(record.Argument)) {
                RangeStart(*field, text, size, pos);
                any = any || field->Kind == rkNoteReference;
            }
            break;
        case icRangeEnd:
            if (const TField* field = FDocument.Objects().GetField(record.Argument))
                RangeEnd(*field);
            break;
        default: break;
        }
    }
    CloseLinkTag();
    if (!any && !note)
        Raw("&nbsp;");
    Raw("</p>\r\n");
}

void THtmlWriter::WriteNotes()
{
    if (FNotes.empty())
        return;
    Raw("<p>&nbsp;</p>\r\n<hr align=left size=1 width=\"33%\">\r\n");
    // Footnotes first, then endnotes, each in the order of their numbers.
    std::stable_sort(FNotes.begin(), FNotes.end(),
                     [](const TNoteEntry& a, const TNoteEntry& b) { return !a.Endnote && b.Endnote; });
    const int32_t count = FDocument.ParagraphCount();
    FInNotes = true;
    for (const TNoteEntry& note : FNotes) {
        const TField* record = note.Reference->NoteRecord;
        const int32_t first = std::clamp(record->Range.Start.Paragraph, 0, count - 1);
        const int32_t last = std::clamp(record->Range.End.Paragraph, first, count - 1);
        for (int32_t p = first; p <= last; ++p)
            WriteParagraph(p, p == first ? &note : nullptr);
        FLink = nullptr;
        FSkipping = nullptr;
    }
}

void THtmlWriter::Write()
{
    FindDefaultFormats();
    Raw("<html>\r\n\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-" +
        std::to_string(FPageCodePage) + "\">\r\n");
    Raw(std::string("<meta name=Generator content=\"Eldravin Brightfold ") + kProgramVersion + ", " + kVendorAddress +
        "\">\r\n");
    Raw("<title>" + HtmlEscape(FParams.Title) + "</title>\r\n");
    if (!FSettings.Author.empty())
        Raw("<meta name=\"Author\" content=\"" + HtmlAttribute(FSettings.Author) + "\">\r\n");
    if (!FSettings.Keywords.empty())
        Raw("<meta name=\"keywords\" content=\"" + HtmlAttribute(FSettings.Keywords) + "\">\r\n");
    Raw("<style>p{" + ParagraphCss(FDefaultPar, DefaultParFormat()) + HeadCharCss() + "}</style>\r\n");
    Raw("</head>\r\n\r\n<body");
    if (IsSet(FSettings.BackgroundColor))
        Raw(" bgcolor=" + HtmlColorText(static_cast<uint32_t>(FSettings.BackgroundColor)));
    if (!FParams.BackgroundFile.empty())
        Raw(" background=\"" + HtmlAttribute(HtmlUrlPath(FParams.BackgroundFile)) + "\"");
    Raw(">\r\n");

    const int32_t last = FDocument.StoryLast(stBody);
    FOut.StartSaveProgress(0, last, false);
    for (int32_t p = 0; p <= last; ++p) {
        WriteParagraph(p, nullptr);
        if (p < last) {
            ++FOut.ParagraphCounter;
            FOut.SaveProgressStep();
        }
    }
    FLink = nullptr;
    FSkipping = nullptr;
    WriteNotes();
    Raw("</body>\r\n\r\n</html>");
    FOut.OutputFlush();
}

// Writes bytes as a whole new file; false when it could not be written.
bool WriteWholeFile(const std::string& fileName, const std::string& bytes)
{
    const THandle handle = CreateFile(fileName, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool written = FileWrite(handle, bytes.data(), static_cast<int32_t>(bytes.size())) ==
                         static_cast<int32_t>(bytes.size());
    FileClose(handle);
    if (!written)
        DeleteFile(fileName);
    return written;
}

}  // namespace

int32_t WriteHtml(TOutputFile& output, const THtmlExportParams& params)
{
    TFormatSettings& format = FormatSettings();
    const char separator = format.DecimalSeparator;
    format.DecimalSeparator = '.';
    int32_t result = 0;
    try {
        THtmlWriter writer(output, params);
        writer.Write();
    } catch (const EAbort&) {
        result = 2;
    } catch (const Exception& e) {
        ShowError(e.Message());
        result = 2;
    }
    format.DecimalSeparator = separator;
    return result;
}

int32_t WriteHtmlPage(TDocument& document, const TDocWriteParams& params)
{
    if (!params.Html || params.Html->PageFileName.empty())
        throw EInternalError("Page Web sans nom de fichier");
    const TWebExportSettings& settings = WebExportSettings();
    THtmlExportParams page = *params.Html;
    const std::string pageName = ExpandFileName(page.PageFileName);
    const std::string pageFolder = ExtractFilePath(pageName);

    TImageInfoList own;
    if (!page.Images) {
        own = MakeImageList(document, pageName);
        page.Images = &own;
    }
    // The pictures' folder, when one is asked for and there is something to
    // put into it; a folder that cannot be made leaves them beside the page.
    std::string pictureFolder = pageFolder;
    page.PictureFolder.clear();
    if (settings.SeparateFolder && (!page.Images->empty() || !settings.BackgroundImage.empty())) {
        const std::string folder = PictureFolderName(pageName);
        if (DirectoryExists(folder) || CreateDir(folder)) {
            pictureFolder = IncludeTrailingPathDelimiter(folder);
            page.PictureFolder = ExtractFileName(folder);
        }
    }
    auto relative = [&page](const std::string& name) {
        return page.PictureFolder.empty() ? name : page.PictureFolder + "/" + name;
    };

    bool written = true;
    page.BackgroundFile.clear();
    if (!settings.BackgroundImage.empty()) {
        try {
            TPicture background;
            background.LoadFromFile(settings.BackgroundImage);
            if (background.Graphic()) {
                uint8_t format = settings.DefaultFormat;
                int32_t colors = NotSet;
                const std::string bytes = ProduceGraphic(*background.Graphic(), format, colors);
                const std::string name = ExtractFileName(ChangeFileExt(pageName, "")) + "_arrière-plan" +
                                         ImageFormatExtension(format);
                if (WriteWholeFile(pictureFolder + name, bytes))
                    page.BackgroundFile = relative(name);
            }
        } catch (const Exception&) {
            // The page goes out without its background.
        }
    }
    for (const auto& info : *page.Images) {
        if (!info || info->FileName.empty() || !info->IsProduced(info->Format))
            continue;
        while (!WriteWholeFile(pictureFolder + info->FileName, info->Produced[info->Format])) {
            if (ShowMessageDlg("Erreur lors de l'écriture du fichier \"" + pictureFolder + info->FileName + "\".",
                               mtError, mbRetry | mbCancel) != mrRetry) {
                written = false;
                break;
            }
        }
        if (!written)
            break;
    }
    if (!written) {
        DocFileHost().ProgressEnd(false);
        return wrFailed;
    }

    // The page: complete in a new file beside it before it takes its place.
    const std::string tempName = GetTempFileName(pageFolder, "~Eldrav", ".tmp");
    const THandle handle = tempName.empty() ? INVALID_HANDLE_VALUE
                                            : CreateFile(tempName, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE) {
        if (!tempName.empty())
            DeleteFile(tempName);
        ShowError("Erreur lors de l'écriture du fichier \"" + page.PageFileName + "\".");
        return wrFailed;
    }
    int32_t result = 2;
    {
        TOutputFile output(document, ciRtf, handle, page.PageFileName);
        result = WriteHtml(output, page);
    }
    bool done = result == 0 && SetEndOfFile(handle) && FlushFileBuffers(handle);
    FileClose(handle);
    done = done && ReplaceFile(pageName, tempName);
    if (!done) {
        DeleteFile(tempName);
        if (result == 0)
            ShowError("Erreur lors de l'écriture du fichier \"" + page.PageFileName + "\".");
    }
    DocFileHost().ProgressEnd(done);
    return done ? wrWritten : wrFailed;
}
