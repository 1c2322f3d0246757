// Destinations: groups whose first control word says what their content is
// (tables, properties, ranges, separate stories, pictures). Each reader
// consumes its group up to and including the closing brace.
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/model/DocObject.h"
#include "document/model/ObjectManager.h"
#include "document/model/Section.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/InlineControl.h"
#include "foundation/NotSet.h"
#include "foundation/managers/StyleManager.h"
#include "formats/LoadRoutines.h"
#include "formats/rtf/RtfReaderState.h"
#include "platform/runtime/DateTime.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <array>

namespace {

constexpr int32_t kDestinations[] = {
    kwAftncn,    kwAftnsep,   kwAftnsepc,   kwAnnotation, kwAtnauthor, kwAtnicn,    kwAtnid,
    kwAtnref,    kwAtntime,   kwAtrfend,    kwAtrfstart,  kwAuthor,    kwAutosavedorigfmt,
    kwAutosavedorigname,      kwBkmkend,    kwBkmkstart,  kwBuptim,    kwColortbl,  kwComment,
    kwCompany,   kwCreatim,   kwDatafield,  kwDo,         kwDoccomm,   kwDptxbxtext, kwFalt,
    kwField,     kwFile,      kwFiletbl,    kwFldinst,    kwFldrslt,   kwFnetwork,  kwFontemb,
    kwFontfile,  kwFonttbl,   kwFooter,     kwFooterf,    kwFooterl,   kwFooterr,   kwFootnote,
    kwFtncn,     kwFtnsep,    kwFtnsepc,    kwHeader,     kwHeaderf,   kwHeaderl,   kwHeaderr,
    kwInfo,      kwKeywords,  kwListtext,   kwNextfile,   kwNonshppict, kwObjalias, kwObjclass,
    kwObjdata,   kwObject,    kwObjname,    kwObjsect,    kwObjtime,   kwOperator,  kwPicprop,
    kwPict,      kwPn,        kwPnseclvl,   kwPntext,     kwPntxta,    kwPntxtb,    kwPrintim,
    kwPrivate1,  kwResult,    kwRevtbl,     kwRevtim,     kwRxe,       kwShppict,   kwStylesheet,
    kwSubject,   kwTc,        kwTemplate,   kwTitle,      kwTxe,       kwUd,        kwUpr,
    kwXe,
};
static_assert(std::size(kDestinations) == 83);

const std::array<bool, ControlWordCount>& DestinationTable()
{
    static const std::array<bool, ControlWordCount> table = [] {
        std::array<bool, ControlWordCount> t{};
        for (int32_t index : kDestinations)
            t[static_cast<size_t>(index)] = true;
        return t;
    }();
    return table;
}

// The names the source-format destination compares with, by format code.
constexpr const char* kFormatNames[] = {"RTF",       "MS Word 6.0", "MS Word 97", "Windows Write",
                                        "Encrypted", "ANSI text",   "DOS text"};

std::string TrimName(std::string name)
{
    while (!name.empty() && (static_cast<uint8_t>(name.back()) <= ' ' || name.back() == ';'))
        name.pop_back();
    size_t start = 0;
    while (start < name.size() && name[start] == ' ')
        ++start;
    return name.substr(start);
}

}  // namespace

bool TRtfReader::IsDestination(int32_t index)
{
    return index >= 0 && index < ControlWordCount && DestinationTable()[static_cast<size_t>(index)];
}

int32_t TRtfReader::PeekDestination(TControlToken& token) const
{
    // At the opening brace.
    int32_t at = 1;
    bool starred = false;
    if (Peek(1) == '\\' && Peek(2) == '*') {
        starred = true;
        at = 3;
        while (at < Available() && (Peek(at) == ' ' || Peek(at) == 13 || Peek(at) == 10))
            ++at;
    }
    if (at + 1 < Available() && AtControlWord(at)) {
        ScanControlWord(Here() + at + 1, BufferEnd(), token);
        const int32_t index = FindControlWord(token);
        if (IsDestination(index))
            return index;
    }
    return starred ? -2 : -1;
}

void TRtfReader::ReadDestination(int32_t index, const TControlToken& token)
{
    // Past {\kw or {\*\kw.
    const uint8_t* word = token.Text;
    Skip(static_cast<int32_t>(word - Here()) + token.Length);
    TDocProperties& properties = FDocument.Properties;
    EnterGroup();
    struct TLeave {
        TRtfReader& Reader;
        ~TLeave() { Reader.LeaveGroup(); }
    } leave{*this};
    switch (index) {
    case kwTitle: properties.Title = ReadTextDestination(); return;
    case kwSubject: properties.Subject = ReadTextDestination(); return;
    case kwAuthor: properties.Author = ReadTextDestination(); return;
    case kwOperator: properties.LastAuthor = ReadTextDestination(); return;
    case kwKeywords: properties.Keywords = ReadTextDestination(); return;
    case kwDoccomm: properties.Comments = ReadTextDestination(); return;
    case kwObjclass:
    case kwObjname: {
        const std::string text = ReadTextDestination();
        if (FObject)
            (index == kwObjclass ? FObject->ClassName : FObject->ObjectName) = text;
        return;
    }
    case kwCreatim: properties.Created = ReadDate(); return;
    case kwRevtim: properties.LastSaved = ReadDate(); return;
    case kwPrintim: properties.LastPrinted = ReadDate(); return;
    case kwInfo: ReadInfo(); return;
    case kwAutosavedorigfmt: {
        const std::string text = ReadTextDestination();
        for (int32_t format = 0; format < static_cast<int32_t>(std::size(kFormatNames)); ++format)
            if (text == kFormatNames[format]) {
                FDocument.Format = format;
                break;
            }
        return;
    }
    case kwAutosavedorigname: FDocument.FileName = ReadTextDestination(); return;
    case kwFonttbl: ReadFontTable(); return;
    case kwColortbl: ReadColorTable(); return;
    case kwStylesheet: ReadStyleSheet(); return;
    case kwField: ReadField(); return;
    case kwFldinst: ReadFieldInstruction(); return;
    case kwFldrslt:
    case kwPn:
    case kwListtext: ReadGroupContent(true); return;
    case kwPntext: ReadPnText(); return;
    case kwShppict: ReadGroupContent(false); return;
    case kwBkmkstart: ReadBookmarkStart(); return;
    case kwBkmkend: ReadBookmarkEnd(); return;
    case kwHeader:
    case kwHeaderr: ReadHeaderFooter(1); return;
    case kwHeaderl: ReadHeaderFooter(0); return;
    case kwHeaderf: ReadHeaderFooter(4); return;
    case kwFooter:
    case kwFooterr: ReadHeaderFooter(3); return;
    case kwFooterl: ReadHeaderFooter(2); return;
    case kwFooterf: ReadHeaderFooter(5); return;
    case kwFootnote: ReadFootnote(); return;
    case kwObject: ReadObject(); return;
    case kwObjdata:
        if (FObject)
            ReadHexData(FObject->Data);
        else
            SkipRest();
        return;
    case kwResult: ReadResult(); return;
    case kwPict: ReadPicture(); return;
    case kwUpr: ReadUpr(); return;
    case kwUd: ReadGroupContent(true); return;
    default: SkipRest(); return;
    }
}

// ---------------------------------------------------------------------------
// Text of a group

void TRtfReader::ReadGroupText(std::string& text, char stop)
{
    int32_t depth = 0;
    for (;;) {
        Refill();
        if (AtEnd())
            return;
        const uint8_t b = Peek();
        if (b == '}') {
            if (depth == 0)
                return;
            Skip(1);
            PopState();
            --depth;
            continue;
        }
        if (b == '{') {
            if (AtIgnorableGroup()) {
                SkipGroup();
                continue;
            }
            if (depth >= RtfMaxGroupDepth)
                throw Exception("Groupes RTF imbriqués trop profondément");
            Skip(1);
            PushState();
            ++depth;
            continue;
        }
        if (b < 32) {
            Skip(1);
            continue;
        }
        if (b == '\\') {
            if (AtControlWord()) {
                TControlToken token;
                const int32_t index = TakeControlWord(token);
                if (index == kwU) {
                    text += static_cast<char>(TakeUnicodeChar(ControlWordParam(token), false));
                } else if (index == -1 && IsBinWord(token)) {
                    SkipBinary(ControlWordParam(token));
                } else if (index == kwTab) {
                    text += '\t';
                } else if (index == kwLquote || index == kwRquote || index == kwLdblquote || index == kwRdblquote) {
                    text += static_cast<char>(index == kwLquote ? 145 : index == kwRquote ? 146 : index == kwLdblquote ? 147 : 148);
                } else if (index != kwPar && index != kwSect && index != kwRow && index != kwCell &&
                           index != kwPage && index != kwColumn && index != kwLine && index != kwChftn &&
                           index != kwPnlvlblt) {
                    // Formatting words change the formats; what would
                    // write into the paragraph does not apply here.
                    const bool sheet = FStyleSheet;
                    FStyleSheet = true;
                    TParFormat scratch = FParagraph->Format;
                    ApplyControlWord(token, index, FCharFormat, scratch);
                    FStyleSheet = sheet;
                }
                continue;
            }
            const uint8_t next = Peek(1);
            if (next == '\'') {
                const int32_t count = TakeHexRun();
                if (count == 0) {
                    Skip(std::min(2, Available()));
                    continue;
                }
                text.append(reinterpret_cast<const char*>(FHexRun.data()), static_cast<size_t>(count));
                continue;
            }
            if (next == '\\' || next == '{' || next == '}')
                text += static_cast<char>(next);
            Skip(std::min(2, Available()));
            continue;
        }
        int32_t run = 0;
        while (run < Available()) {
            const uint8_t c = Here()[run];
            if (c < 32 || c == '\\' || c == '{' || c == '}')
                break;
            ++run;
            if (stop && c == static_cast<uint8_t>(stop))
                break;
        }
        text.append(reinterpret_cast<const char*>(Here()), static_cast<size_t>(run));
        Skip(run);
        if (stop && !text.empty() && text.back() == stop)
            return;
        // Bound what a text destination may collect.
        if (text.size() > 1 << 20)
            text.resize(1 << 20);
    }
}

std::string TRtfReader::ReadTextDestination()
{
    std::string text;
    const size_t stack = FStack.size();
    const TCharFormat format = FCharFormat;
    ReadGroupText(text);
    // A group left open at the end of the text.
    while (FStack.size() > stack)
        PopState();
    FCharFormat = format;
    if (Peek() == '}')
        Skip(1);
    return text;
}

TDateTime TRtfReader::ReadDate()
{
    int32_t parts[6] = {0, 0, 0, 0, 0, 0};
    WalkGroup([this] { SkipGroup(); },
              [&parts](int32_t index, const TControlToken& token) {
                  const int32_t n = ControlWordParam(token);
                  switch (index) {
                  case kwYr: parts[0] = n; break;
                  case kwMo: parts[1] = n; break;
                  case kwDy: parts[2] = n; break;
                  case kwHr: parts[3] = n; break;
                  case kwMin: parts[4] = n; break;
                  case kwSec: parts[5] = n; break;
                  default: break;
                  }
              });
    TDateTime date = 0;
    TDateTime time = 0;
    auto fits = [](int32_t v, int32_t high) { return v >= 0 && v <= high; };
    if (fits(parts[0], 9999) && fits(parts[1], 12) && fits(parts[2], 31) && fits(parts[3], 23) &&
        fits(parts[4], 59) && fits(parts[5], 59) &&
        TryEncodeDate(static_cast<uint16_t>(parts[0]), static_cast<uint16_t>(parts[1]),
                      static_cast<uint16_t>(parts[2]), date) &&
        TryEncodeTime(static_cast<uint16_t>(parts[3]), static_cast<uint16_t>(parts[4]),
                      static_cast<uint16_t>(parts[5]), 0, time))
        return date + time;
    return Now();
}

void TRtfReader::ReadInfo()
{
    WalkGroup([this] { ReadDestinationOrSkip(); },
              [this](int32_t index, const TControlToken& token) {
                  if (index == kwDskcharnr)
                      FContext.CaretOffset = ControlWordParam(token);
                  else if (index == kwDskparnr)
                      FContext.CaretParagraph = ControlWordParam(token);
              });
}

// ---------------------------------------------------------------------------
// Font and colour tables

void TRtfReader::ReadFontEntry(TRtfFont& font, bool braced)
{
    std::string name;
    int32_t depth = 0;
    for (;;) {
        Refill();
        if (AtEnd())
            break;
        const uint8_t b = Peek();
        if (b == '}') {
            if (!braced)
                break;  // the table's end, left for the table
            Skip(1);
            if (depth-- == 0)
                break;
            continue;
        }
        if (b == '{') {
            if (!braced)
                break;
            TControlToken token;
            if (AtIgnorableGroup() || PeekDestination(token) >= 0) {
                SkipGroup();
                continue;
            }
            Skip(1);
            ++depth;
            continue;
        }
        if (b == 13 || b == 10) {
            Skip(1);
            continue;
        }
        if (b == ';') {
            Skip(1);
            if (!braced)
                break;
            name += ';';
            continue;
        }
        if (AtControlWord()) {
            TControlToken token;
            const int32_t index = TakeControlWord(token);
            const int32_t n = ControlWordParam(token);
            switch (index) {
            case kwF: font.Number = n; break;
            case kwFcharset: font.Charset = n == 77 ? 0 : std::clamp(n, 0, 255); break;
            case kwFnil: font.Family = 0; break;
            case kwFroman: font.Family = 16; break;
            case kwFswiss: font.Family = 32; break;
            case kwFmodern: font.Family = 48; break;
            case kwFscript: font.Family = 64; break;
            case kwFdecor: font.Family = 80; break;
            case kwFprq: font.Pitch = n == 2 ? 2 : 0; break;
            case kwU: name += static_cast<char>(TakeUnicodeChar(n, false)); break;
            default:
                if (index == -1 && IsBinWord(token))
                    SkipBinary(n);
                break;
            }
            continue;
        }
        if (b == '\\') {
            if (Peek(1) == '\'') {
                if (Available() >= 4 && HexDigitValue(Peek(2)) != 255 && HexDigitValue(Peek(3)) != 255) {
                    name += static_cast<char>(HexDigitValue(Peek(2)) << 4 | HexDigitValue(Peek(3)));
                    Skip(4);
                    continue;
                }
            } else if (Peek(1) == '\\' || Peek(1) == '{' || Peek(1) == '}') {
                name += static_cast<char>(Peek(1));
            }
            Skip(std::min(2, Available()));
            continue;
        }
        name += static_cast<char>(b);
        Skip(1);
        if (name.size() > 255)
            name.resize(255);
    }
    // The name ends at its first ';'.
    const size_t semicolon = name.find(';');
    if (semicolon != std::string::npos)
        name.resize(semicolon);
    font.Name = TrimName(name);
}

void TRtfReader::ReadFontTable()
{
    std::vector<TRtfFont> read;
    for (;;) {
        Refill();
        if (AtEnd())
            break;
        const uint8_t b = Peek();
        if (b == '}') {
            Skip(1);
            break;
        }
        if (b == 13 || b == 10 || b == ' ') {
            Skip(1);
            continue;
        }
        TRtfFont font;
        if (b == '{') {
            if (AtIgnorableGroup()) {
                SkipGroup();
                continue;
            }
            Skip(1);
            ReadFontEntry(font, true);
        } else {
            ReadFontEntry(font, false);
        }
        if (!font.Name.empty() && read.size() < 32768)
            read.push_back(font);
    }
    if (read.empty())
        return;
    std::vector<TDocFontEntry> entries;
    entries.reserve(read.size());
    for (const TRtfFont& font : read) {
        TDocFontEntry entry;
        entry.Name = font.Name;
        entry.Charset = static_cast<uint8_t>(font.Charset == NotSet ? DefaultCharset() : font.Charset);
        entry.Pitch = font.Pitch;
        entry.Family = font.Family;
        entries.push_back(entry);
    }
    if (TFontManager* fonts = GetFontManager())
        fonts->RegisterFontTable(entries);
    for (size_t i = 0; i < read.size(); ++i)
        read[i].Index = entries[i].Index >= 0 ? entries[i].Index : DefaultCharFormat()[cfFont];
    const int32_t firstIndex = read.front().Index;
    FFonts.insert(FFonts.end(), read.begin(), read.end());
    std::stable_sort(FFonts.begin(), FFonts.end(),
                     [](const TRtfFont& a, const TRtfFont& b) { return a.Number < b.Number; });
    if (firstIndex != DefaultCharFormat()[cfFont])
        SetChar(FCharFormat, cfFont, firstIndex);
}

void TRtfReader::ReadColorTable()
{
    TDocColorEntry entry;
    bool seen = false;
    int32_t rgb[3] = {0, 0, 0};
    WalkGroup([this] { SkipGroup(); },
              [&](int32_t index, const TControlToken& token) {
                  const int32_t n = ControlWordParam(token) & 0xFF;
                  seen = true;
                  if (index == kwRed)
                      rgb[0] = n;
                  else if (index == kwGreen)
                      rgb[1] = n;
                  else if (index == kwBlue)
                      rgb[2] = n;
              },
              [&](uint8_t b) {
                  if (b != ';')
                      return false;
                  Skip(1);
                  entry.Automatic = !seen;
                  entry.Color = seen ? (rgb[0] | rgb[1] << 8 | rgb[2] << 16) : 0;
                  if (FColors.size() < 65536)
                      FColors.push_back(entry);
                  seen = false;
                  rgb[0] = rgb[1] = rgb[2] = 0;
                  return true;
              });
    if (TColorManager* colors = GetColorManager()) {
        colors->MapDocumentColors(FColors);
    } else {
        for (TDocColorEntry& color : FColors)
            color.Index = color.Automatic ? 0 : FindNearestBasicColor(color.Color);
    }
}

// ---------------------------------------------------------------------------
// Style sheet

void TRtfReader::ReadKeycode(TStyle& style)
{
    int32_t modifiers = 0;
    int32_t key = 0;
    WalkGroup([this] { SkipGroup(); },
              [&](int32_t index, const TControlToken& token) {
                  if (index == kwShift)
                      modifiers |= 1;
                  else if (index == kwAlt)
                      modifiers |= 2;
                  else if (index == kwCtrl)
                      modifiers |= 4;
                  else if (index == kwFn)
                      key = 0x6F + ControlWordParam(token);
              },
              [&key](uint8_t b) {
                  if (b > ' ')
                      key = b;
                  return false;
              });
    style.HotKey = key ? (key & 0xFFFF) | modifiers << 16 : 0;
}

void TRtfReader::ReadStyleEntry(TStyle& style, bool& charStyle, bool& sectionStyle, std::string& name, int depth)
{
    if (depth > 8) {
        SkipRest();
        return;
    }
    for (;;) {
        Refill();
        if (AtEnd())
            return;
        const uint8_t b = Peek();
        if (b == '}') {
            Skip(1);
            return;
        }
        if (b == '{') {
            if (AtIgnorableGroup()) {
                TControlToken token;
                int32_t at = 3;
                while (at < Available() && Peek(at) == ' ')
                    ++at;
                int32_t index = -1;
                if (AtControlWord(at)) {
                    ScanControlWord(Here() + at + 1, BufferEnd(), token);
                    index = FindControlWord(token);
                }
                if (index == kwKeycode) {
                    Skip(at + 1 + token.Length);
                    ReadKeycode(style);
                } else if (index == kwStloverrides) {
                    Skip(at + 1 + token.Length);
                    const int32_t number = style.ParFormat[pfStyle];
                    ClearCharFormat(style.CharFormat);
                    ClearParFormat(style.ParFormat);
                    style.ParFormat[pfStyle] = number;
                    std::string ignored;
                    ReadStyleEntry(style, charStyle, sectionStyle, ignored, depth + 1);
                } else {
                    SkipGroup();
                }
                continue;
            }
            Skip(1);
            ReadStyleEntry(style, charStyle, sectionStyle, name, depth + 1);
            continue;
        }
        if (AtControlWord()) {
            TControlToken token;
            const int32_t index = TakeControlWord(token);
            const int32_t n = ControlWordParam(token);
            switch (index) {
            case kwCs:
                charStyle = true;
                style.ParFormat[pfStyle] = n;
                break;
            case kwDs: sectionStyle = true; break;
            case kwSbasedon: style.BasedOn = n; break;
            case kwSnext: style.NextStyle = n; break;
            case kwU: name += static_cast<char>(TakeUnicodeChar(n, false)); break;
            default:
                if (index == -1 && IsBinWord(token))
                    SkipBinary(n);
                else
                    ApplyControlWord(token, index, style.CharFormat, style.ParFormat);
                break;
            }
            continue;
        }
        if (b == '\\') {
            if (Peek(1) == '\'' && Available() >= 4 && HexDigitValue(Peek(2)) != 255 &&
                HexDigitValue(Peek(3)) != 255) {
                name += static_cast<char>(HexDigitValue(Peek(2)) << 4 | HexDigitValue(Peek(3)));
                Skip(4);
                continue;
            }
            if (Peek(1) == '\\' || Peek(1) == '{' || Peek(1) == '}')
                name += static_cast<char>(Peek(1));
            Skip(std::min(2, Available()));
            continue;
        }
        if (b >= 32 && name.size() < 1024)
            name += static_cast<char>(b);
        Skip(1);
    }
}

void TRtfReader::ReadStyleSheet()
{
    const int32_t textSize = FText.Size();
    const int32_t chars = FChars;
    FStyleSheet = true;
    auto list = std::make_unique<TStyleList>(&FDocument, &FDocument.TabManager());
    {
        std::unique_ptr<TStyle> first;
        if (TStyleManager* manager = GetStyleManager(); manager && manager->DefaultStyles().Count() > 0) {
            first = TStyle::CreateCopy(list.get(), manager->DefaultStyles()[0]);
        } else {
            first = std::make_unique<TStyle>(list.get());
            first->Name = "Normal";
            first->DisplayName = "Normal";
            first->ParFormat = BaseStyleParFormat();
        }
        first->FileStyleNumber = 0;
        first->BasedOn = -1;
        list->Add(std::move(first));
    }
    WalkGroup(
        [&] {
            if (AtIgnorableGroup()) {
                SkipGroup();
                return;
            }
            Skip(1);
            auto style = std::make_unique<TStyle>(list.get());
            style->ParFormat[pfStyle] = 0;
            bool charStyle = false;
            bool sectionStyle = false;
            std::string name;
            FPendingTabs.Clear();
            ReadStyleEntry(*style, charStyle, sectionStyle, name, 0);
            name = TrimName(name);
            if (name.size() > 255)
                name.resize(255);
            if (charStyle) {
                if (FCharStyles.size() < 4096)
                    FCharStyles.push_back({style->ParFormat[pfStyle], name, style->CharFormat});
            } else if (!sectionStyle && list->Count() < 4096) {
                const int32_t number = style->ParFormat[pfStyle] == NotSet ? 0 : style->ParFormat[pfStyle];
                TParFormat tabs{};
                tabs[pfTabTable] = NotSet;
                FlushTabs(tabs);
                if (name == "Normal") {
                    TStyle& first = (*list)[0];
                    first.CharFormat = style->CharFormat;
                    const TParFormat own = style->ParFormat;
                    first.ParFormat = own;
                    first.FileStyleNumber = number;
                    first.BasedOn = -1;
                    first.NextStyle = style->NextStyle;
                    first.HotKey = style->HotKey;
                    first.ParFormat[pfTabTable] = tabs[pfTabTable];
                } else {
                    style->Name = name;
                    style->DisplayName = name;
                    style->FileStyleNumber = number;
                    style->ParFormat[pfTabTable] = tabs[pfTabTable];
                    list->Add(std::move(style));
                }
            }
            FPendingTabs.Clear();
        },
        [](int32_t, const TControlToken&) {});
    ResolveStyleList(*list, 222);
    FDocument.ExchangeStyles(std::move(list));
    FText.SetSize(std::min(FText.Size(), textSize));
    FChars = chars;
    FStyleSheet = false;
}

// ---------------------------------------------------------------------------
// Fields and bookmarks

void TRtfReader::ReadField()
{
    if (FDiscard) {
        SkipRest();
        return;
    }
    TField* savedField = FCurrentField;
    const bool savedToc = FToc;
    FCurrentField = nullptr;
    TParagraph* paragraph = FParagraph;
    const int32_t chars = FChars;
    ReadGroupContent(true);
    TField* field = FCurrentField;
    if (field) {
        if (paragraph == FParagraph && chars == FChars) {
            if (field->Type == fkSymbol) {
                std::string fontName;
                const int32_t code = std::max(ParseSymbolField(field->Instruction, fontName), 32) & 0xFF;
                const int32_t previous = FCharFormat[cfFont];
                if (!fontName.empty())
                    if (TFontManager* fonts = GetFontManager())
                        SetChar(FCharFormat, cfFont, fonts->GetFontIndex(fontName, DefaultCharset(), true, 0));
                AppendDecodedByte(static_cast<uint8_t>(code));
                SetChar(FCharFormat, cfFont, previous);
            } else {
                AppendByte('?');
            }
        }
        const auto it = std::find_if(FOpenRanges.begin(), FOpenRanges.end(),
                                     [field](const TRtfOpenRange& range) { return range.Field == field; });
        if (it != FOpenRanges.end()) {
            FOpenRanges.erase(it);
            if (FChars == 0 && FPrevious)
                FPrevious->AppendControl(icRangeEnd, field->Handle());
            else
                AppendRecord(icRangeEnd, field->Handle());
        }
    }
    FCurrentField = savedField;
    FToc = savedToc;
}

void TRtfReader::ReadFieldInstruction()
{
    std::string instruction;
    const size_t stack = FStack.size();
    ReadGroupText(instruction);
    while (FStack.size() > stack)
        PopState();
    if (Peek() == '}')
        Skip(1);
    if (FDiscard)
        return;
    const uint8_t type = FieldTypeOfInstruction(instruction);
    TField& field = FDocument.AddRangeObject(rkField);
    field.Type = type;
    field.Instruction = NormalizeFieldInstruction(type, TrimName(instruction));
    FOpenRanges.push_back({&field, FParagraph});
    AppendRecord(icRangeStart, field.Handle());
    FCurrentField = &field;
    if (type == fkTOC)
        FToc = true;
}

void TRtfReader::ReadBookmarkStart()
{
    const std::string name = ReadTextDestination();
    if (name.empty() || FIgnoreBookmarks > 0 || FDiscard)
        return;
    const std::string key = AnsiUpperCase(name);
    if (!FBookmarkNames.insert(key).second)
        return;
    TField& bookmark = FDocument.AddRangeObject(rkBookmark);
    bookmark.Instruction = name;
    FOpenRanges.push_back({&bookmark, FParagraph});
    AppendRecord(icRangeStart, bookmark.Handle());
}

void TRtfReader::ReadBookmarkEnd()
{
    const std::string name = ReadTextDestination();
    if (FDiscard || FIgnoreBookmarks > 0)
        return;
    for (auto it = FOpenRanges.rbegin(); it != FOpenRanges.rend(); ++it) {
        TField* field = it->Field;
        if (field->Kind != rkBookmark || !AnsiSameText(field->Instruction, name))
            continue;
        if (FChars == 0 && it->Paragraph != FParagraph && FPrevious)
            FPrevious->AppendControl(icRangeEnd, field->Handle());
        else
            AppendRecord(icRangeEnd, field->Handle());
        FOpenRanges.erase(std::next(it).base());
        return;
    }
}

// ---------------------------------------------------------------------------
// Stories: headers, footers and notes

TRtfReader::TSavedStory TRtfReader::BeginStory(std::vector<std::unique_ptr<TParagraph>>& story)
{
    TSavedStory saved{FParagraph, FPrevious, std::move(FText), FChars, FStory, FPnTextParagraph};
    FText = TMemory();
    FStory = &story;
    TParFormat format = DefaultParFormat();
    format[pfWidowControl] = FWidowDefault;
    FParagraph = nullptr;
    NewParagraph(format);
    FPrevious = nullptr;
    return saved;
}

void TRtfReader::EndStory(TSavedStory& saved)
{
    FParagraph = saved.Paragraph;
    FPrevious = saved.Previous;
    FText = std::move(saved.Text);
    FChars = saved.Chars;
    FStory = saved.Story;
    FPnTextParagraph = saved.PnTextParagraph;
}

bool TRtfReader::DropEmptyLastParagraph(std::vector<std::unique_ptr<TParagraph>>& story)
{
    if (FChars != 0 || story.size() <= 1)
        return false;
    story.pop_back();
    FParagraph = story.back().get();
    FText.SetData(FParagraph->GetText().Data(), FParagraph->GetText().Size());
    FChars = FParagraph->GetCharCount();
    return true;
}

void TRtfReader::ReadHeaderFooter(int32_t kind)
{
    PushState();
    ++FIgnoreBookmarks;
    std::vector<std::unique_ptr<TParagraph>> story;
    TSavedStory saved = BeginStory(story);
    TField& range = FDocument.AddRangeObject(rkHeaderFooter);
    AppendRecord(icRangeStart, range.Handle());
    auto restore = [&] {
        EndStory(saved);
        --FIgnoreBookmarks;
        PopState();
    };
    try {
        ReadGroupContent(false);
    } catch (...) {
        FlushText();
        restore();
        throw;
    }
    // The empty paragraph that the last paragraph end opened goes.
    DropEmptyLastParagraph(story);
    const bool empty = FChars == 0 && story.size() == 1;
    if (!empty) {
        const int32_t last = LastCharByte();
        const bool endsWithMark = last >= 0 && FText.Data()[last] == InlineControlStartByte &&
                                  InlineControlCodeAt(FText.Data(), last) == icSpecialChar &&
                                  SpecialCharKind(ReadInlineControl(FText.Data() + last).Argument) == scParagraphMark;
        if (!endsWithMark)
            AppendRecord(icSpecialChar, scParagraphMark);
        AppendRecord(icRangeEnd, range.Handle());
        FlushText();
        LastSection().HeadersFooters[kind] = &range;
        for (auto& paragraph : story)
            FHeaderFooters.push_back(std::move(paragraph));
    }
    restore();
    if (empty)
        FDocument.RemoveRangeObject(&range);
}

void TRtfReader::ReadFootnote()
{
    PushState();
    TField& reference = FDocument.AddRangeObject(rkNoteReference);
    if (FChars == 0) {
        AppendFormatCode(FText, icSpecialChar, scReaderSpecial);
        ++FChars;
    }
    int32_t last = LastCharByte();
    if (last < 0)
        last = FText.Size();
    const bool autoNumber = FText.Data()[last] == InlineControlStartByte &&
                            InlineControlCodeAt(FText.Data(), last) == icSpecialChar &&
                            SpecialCharKind(ReadInlineControl(FText.Data() + last).Argument) == scReaderSpecial;
    reference.Numbered = autoNumber ? 1 : 0;
    InsertFormatCode(FText, last, icRangeStart, reference.Handle());
    AppendRecord(icRangeEnd, reference.Handle());

    std::vector<std::unique_ptr<TParagraph>> story;
    TSavedStory saved = BeginStory(story);
    TField& note = FDocument.AddRangeObject(rkReserved2);
    note.NoteRecord = &reference;
    reference.NoteRecord = &note;
    AppendRecord(icRangeStart, note.Handle());
    const bool savedEndnote = FEndnote;
    FEndnote = false;
    auto restore = [&] { EndStory(saved); };
    try {
        ReadGroupContent(false);
    } catch (...) {
        FlushText();
        restore();
        FEndnote = savedEndnote;
        PopState();
        throw;
    }
    // The note ends in its last paragraph that holds text.
    if (!DropEmptyLastParagraph(story))
        AppendRecord(icSpecialChar, scParagraphMark);
    AppendRecord(icRangeEnd, note.Handle());
    FlushText();
    const bool endnote = FEndnote;
    if (endnote) {
        reference.Endnote = 1;
        note.Endnote = 1;
    }
    auto& target = endnote ? FEndnotes : FFootnotes;
    for (auto& paragraph : story)
        target.push_back(std::move(paragraph));
    restore();
    FEndnote = savedEndnote;
    PopState();
}

void TRtfReader::ReadPnText()
{
    if (FParagraph->Format[pfInternal] == 1) {
        SkipRest();
        return;
    }
    TParagraph* paragraph = FParagraph;
    const int32_t start = FText.Size();
    ReadGroupContent(true);
    if (FParagraph == paragraph) {
        FPnTextParagraph = paragraph;
        FPnTextStart = start;
        FPnTextEnd = FText.Size();
    }
}

void TRtfReader::ReadUpr()
{
    // The first group is the 8-bit alternative; the next (normally \ud)
    // holds the Unicode text.
    bool first = true;
    WalkGroup(
        [&] {
            if (first) {
                first = false;
                SkipGroup();
            } else {
                ReadDestinationOrSkip();
            }
        },
        [](int32_t, const TControlToken&) {});
}

// ---------------------------------------------------------------------------
// Embedded objects

void TRtfReader::ReadObject()
{
    auto object = std::make_unique<TDocOLEObject>(&FDocument);
    TDocOLEObject* saved = FObject;
    FObject = object.get();
    struct TRestore {
        TRtfReader& Reader;
        TDocOLEObject* Saved;
        ~TRestore() { Reader.FObject = Saved; }
    } restore{*this, saved};
    WalkGroup([this] { ReadDestinationOrSkip(); },
              [&](int32_t index, const TControlToken& token) {
                  const int32_t n = ControlWordParam(token);
                  static constexpr int32_t kTypes[] = {kwObjemb,  kwObjlink,  kwObjautlink, kwObjsub,
                                                       kwObjpub,  kwObjicemb, kwObjhtml,    kwObjocx};
                  for (size_t k = 0; k < std::size(kTypes); ++k)
                      if (kTypes[k] == index)
                          object->ObjectType = static_cast<uint8_t>(k + 1);
                  if (index == kwObjw)
                      object->Width = n;
                  else if (index == kwObjh)
                      object->Height = n;
                  else if (index == -1 && IsBinWord(token))
                      SkipBinary(n);
              });
    if (object->ObjectType == 0)
        object->ObjectType = 1;
    const TDocPicture* result = object->ResultPicture.get();
    if (result && !result->Data.empty() && !FDiscard) {
        if (result->Width > 0 && result->Height > 0) {
            object->Width = result->Width;
            object->Height = result->Height;
            object->ScaleX = result->ScaleX;
            object->ScaleY = result->ScaleY;
        }
        TDocObject& added = FDocument.ObjectManager().AddObject(std::move(object));
        AppendRecord(icOleObject, added.Handle());
    }
}

void TRtfReader::ReadResult()
{
    // Only the destinations inside count (the picture shown for the object).
    WalkGroup(
        [this] {
            TControlToken token;
            const int32_t destination = PeekDestination(token);
            if (destination >= 0) {
                ReadDestination(destination, token);
            } else if (destination == -1 && FObject) {
                // A plain group around the picture.
                Skip(1);
                EnterGroup();
                ReadResult();
                LeaveGroup();
            } else {
                SkipGroup();
            }
        },
        [this](int32_t index, const TControlToken& token) {
            if (index == -1 && IsBinWord(token))
                SkipBinary(ControlWordParam(token));
        });
}

void TRtfReader::ReadHexData(std::vector<uint8_t>& data)
{
    // Pairs of digits, high nibble first; line breaks and any other stray
    // byte between digits are passed over without costing a digit.
    data.clear();
    int high = -1;
    WalkGroup([this] { SkipGroup(); },
              [&](int32_t index, const TControlToken& token) {
                  // Raw bytes in place of the digits.
                  if (index == -1 && IsBinWord(token))
                      TakeBinary(std::max(ControlWordParam(token), 0), data);
              },
              [&](uint8_t) {
                  const int32_t available = Available();
                  const uint8_t* p = Here();
                  int32_t i = 0;
                  for (; i < available; ++i) {
                      const uint8_t c = p[i];
                      if (c == '}' || c == '{' || c == '\\')
                          break;
                      const uint8_t value = HexDigitValue(c);
                      if (value == 255)
                          continue;
                      if (high < 0) {
                          high = value;
                      } else {
                          data.push_back(static_cast<uint8_t>(high << 4 | value));
                          high = -1;
                      }
                  }
                  Skip(i);
                  FContext.ReadProgressStep();
                  return true;
              });
}
