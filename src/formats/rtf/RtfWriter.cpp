// The RTF writer's file level: the emitters every part writes through, the
// header, font and colour tables, style sheet, information group and
// document settings, and the frame around the body. The dialect is the
// program's own: control words come from the shared keyword table, formatting
// is written as differences from what is in force, and the program's own
// words (\stloverrides, \dskparnr, \keepnoff, ...) carry what the published
// vocabulary has no word for.
#include "formats/rtf/RtfWriter.h"

#include "document/model/Section.h"
#include "foundation/NotSet.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/TabManager.h"
#include "formats/DocFileHost.h"
#include "formats/EncryptionManager.h"
#include "formats/rtf/RtfWriterState.h"
#include "platform/runtime/DateTime.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <iterator>

namespace {

// The fixed colour table: entries 1 to 16 (0 is automatic).
constexpr uint8_t kColors[16][3] = {
    {0, 0, 0},     {0, 0, 255},   {0, 255, 255}, {0, 255, 0},   {255, 0, 255},   {255, 0, 0},
    {255, 255, 0}, {255, 255, 255}, {0, 0, 128}, {0, 128, 128}, {0, 128, 0},     {128, 0, 128},
    {128, 0, 0},   {128, 128, 0}, {128, 128, 128}, {192, 192, 192},
};

// The coding names of a recovery copy's origin.
constexpr const char* kCodingNames[] = {"RTF",       "MS Word 6.0", "MS Word 97", "Windows Write",
                                        "Encrypted", "ANSI text",   "DOS text"};

int32_t UnderlineKeyword(int32_t kind)
{
    switch (kind) {
    case 0: return kwUlnone;
    case 1: return kwUl;
    case 2: return kwUlw;
    case 3: return kwUldb;
    case 4: return kwUld;
    case 6: return kwUlth;
    case 7: return kwUldash;
    case 9: return kwUldashd;
    case 10: return kwUldashdd;
    case 11: return kwUlwave;
    case 20: return kwUlthd;
    case 23: return kwUlthdash;
    case 25: return kwUlthdashd;
    case 26: return kwUlthdashdd;
    case 27: return kwUlhwave;
    case 39: return kwUlldash;
    case 43: return kwUluldbwave;
    default: return kwUlthldash;
    }
}

// The keyword of a footnote or endnote numbering style; -1: none.
int32_t NumberingKeyword(int32_t style, bool endnote)
{
    switch (style) {
    case 0: return endnote ? kwAftnnar : kwFtnnar;
    case 1: return endnote ? kwAftnnruc : kwFtnnruc;
    case 2: return endnote ? kwAftnnrlc : kwFtnnrlc;
    case 3: return endnote ? kwAftnnauc : kwFtnnauc;
    case 4: return endnote ? kwAftnnalc : kwFtnnalc;
    case 9: return endnote ? kwAftnnchi : kwFtnnchi;
    default: return -1;
    }
}

}  // namespace

TRtfWriter::TRtfWriter(TOutputFile& output, const TDocWriteParams& params, const TTextWriteRange& range)
    : FOutput(output), FDocument(output.Document()), FParams(params), FRange(range)
{
    FCompact = output.IsFile() && (params.Coding == ciEncrypted || params.RecoveryCopy != 0 ||
                                   DocFileHost().SuperCompactSave());
}

// ---------------------------------------------------------------------------
// Emitters

void TRtfWriter::OpenBrace()
{
    FOutput.OutputWriteChar('{');
    FKeywordPending = false;
}

void TRtfWriter::CloseBrace()
{
    FOutput.OutputWriteChar('}');
    FKeywordPending = false;
}

void TRtfWriter::Keyword(int32_t index)
{
    FOutput.OutputWriteChar('\\');
    Raw(ControlWordText(index));
    FKeywordPending = true;
}

void TRtfWriter::KeywordFlag(int32_t index, bool on)
{
    Keyword(index);
    if (!on)
        FOutput.OutputWriteChar('0');
}

void TRtfWriter::KeywordNum(int32_t index, int32_t n)
{
    Keyword(index);
    Raw(std::to_string(n));
}

void TRtfWriter::Group(int32_t index, const std::string& text)
{
    if (text.empty())
        return;
    OpenBrace();
    Keyword(index);
    FOutput.OutputWriteChar(' ');
    FKeywordPending = false;
    Text(text);
    CloseBrace();
}

void TRtfWriter::StarGroup(int32_t index, const std::string& text)
{
    if (text.empty())
        return;
    Raw("{\\*");
    Keyword(index);
    FOutput.OutputWriteChar(' ');
    FKeywordPending = false;
    Text(text);
    CloseBrace();
}

void TRtfWriter::Text(const uint8_t* text, int32_t count)
{
    int32_t i = 0;
    while (i < count) {
        const uint8_t b = text[i];
        const uint8_t kind = WriterCharClass(b);
        if (kind == 1) {
            const int32_t run = WritableRunLength(text + i, count - i);
            if (FKeywordPending)
                FOutput.OutputWriteChar(' ');
            FOutput.OutputWriteBytes(text + i, run);
            i += run;
        } else if (kind == 2) {
            const char escaped[2] = {'\\', static_cast<char>(b)};
            FOutput.OutputWriteBytes(escaped, 2);
            ++i;
        } else {
            // 8-bit bytes (a run) or a lone control byte.
            int32_t run = kind == 3 ? HighCharRunLength(text + i, count - i) : 1;
            if (FCompact && kind == 3) {
                if (FKeywordPending)
                    FOutput.OutputWriteChar(' ');
                FOutput.OutputWriteBytes(text + i, run);
                i += run;
                FKeywordPending = false;
                continue;
            }
            char escaped[4 * 64];
            while (run > 0) {
                const int32_t piece = std::min(run, 64);
                EncodeHexEscapes(text + i, escaped, piece);
                FOutput.OutputWriteBytes(escaped, piece * 4);
                i += piece;
                run -= piece;
            }
        }
        FKeywordPending = false;
    }
}

void TRtfWriter::Hex(const uint8_t* data, size_t count)
{
    if (FKeywordPending) {
        FOutput.OutputWriteChar(' ');
        FKeywordPending = false;
    }
    char pairs[2 * 4096];
    while (count > 0) {
        const int32_t piece = static_cast<int32_t>(std::min<size_t>(count, 4096));
        BytesToHexText(data, pairs, piece);
        FOutput.OutputWriteBytes(pairs, piece * 2);
        data += piece;
        count -= static_cast<size_t>(piece);
    }
}

void TRtfWriter::CharAttribute(int slot, int32_t value)
{
    if (value == NotSet)
        return;
    const bool on = (value & 0xFF) != 0;
    switch (slot) {
    case cfFont: KeywordNum(kwF, value); break;
    case cfSize: KeywordNum(kwFs, value); break;
    case cfBold: KeywordFlag(kwB, on); break;
    case cfItalic: KeywordFlag(kwI, on); break;
    case cfStrikeOut: KeywordFlag(kwStrike, on); break;
    case cfDoubleStrikeOut: KeywordNum(kwStriked, value); break;
    case cfUnderline: Keyword(UnderlineKeyword(value)); break;
    case cfUnderlineColor: KeywordNum(kwUlc, value); break;
    case cfSmallCaps: KeywordFlag(kwScaps, on); break;
    case cfAllCaps: KeywordFlag(kwCaps, on); break;
    case cfShadow: KeywordFlag(kwShad, on); break;
    case cfOutline: KeywordFlag(kwOutl, on); break;
    case cfEmboss: KeywordFlag(kwEmbo, on); break;
    case cfEngrave: KeywordFlag(kwImpr, on); break;
    case cfColor: KeywordNum(kwCf, value); break;
    case cfHighlight: KeywordNum(kwHighlight, value); break;
    case cfVerticalPosition:
        if (value == 0)
            Keyword(kwNosupersub);
        else if (value == 1)
            Keyword(kwSuper);
        else if (value == 2)
            Keyword(kwSub);
        break;
    case cfHorizontalScale: KeywordNum(kwCharscalex, value); break;
    case cfLetterSpacing:
        KeywordNum(kwExpnd, value * 4 / 20);
        KeywordNum(kwExpndtw, value);
        break;
    case cfRaise:
        if (value >= 0)
            KeywordNum(kwUp, 2 * value);
        else
            KeywordNum(kwDn, -2 * value);
        break;
    case cfKerning: KeywordNum(kwKerning, value); break;
    case cfLanguage: KeywordNum(kwLang, value); break;
    default: break;
    }
}

void TRtfWriter::ParFormatDiff(const TParFormat& now, const TParFormat& old)
{
    auto differs = [&](int slot) { return now[slot] != old[slot] && now[slot] != NotSet; };
    if (differs(pfFirstIndent))
        KeywordNum(kwFi, now[pfFirstIndent]);
    if (differs(pfLeftIndent))
        KeywordNum(kwLi, now[pfLeftIndent]);
    if (differs(pfLineSpacing) || differs(pfLineRule)) {
        if (now[pfLineSpacing] != NotSet)
            KeywordNum(kwSl, now[pfLineSpacing]);
        if (now[pfLineRule] != NotSet)
            KeywordNum(kwSlmult, now[pfLineRule]);
    }
    if (differs(pfRightIndent))
        KeywordNum(kwRi, now[pfRightIndent]);
    if (differs(pfAlignment)) {
        static constexpr int32_t kAlign[] = {kwQl, kwQc, kwQr, kwQj};
        if (now[pfAlignment] >= 0 && now[pfAlignment] <= 3)
            Keyword(kAlign[now[pfAlignment]]);
    }
    if (differs(pfKeepWithNext))
        Keyword(now[pfKeepWithNext] ? kwKeepn : kwKeepnoff);
    if (differs(pfKeepTogether))
        Keyword(now[pfKeepTogether] ? kwKeep : kwKeepoff);
    if (differs(pfPageBreakBefore))
        Keyword(now[pfPageBreakBefore] ? kwPagebb : kwPagebboff);
    if (differs(pfWidowControl)) {
        if (FInStyleSheet) {
            Keyword(now[pfWidowControl] ? kwWidctlpar : kwNowidctlpar);
        } else {
            Keyword(kwNowidctlpar);
            if (now[pfWidowControl])
                Keyword(kwWidctlpar);
        }
    }
    if (differs(pfNoHyphenation))
        KeywordFlag(kwHyphpar, now[pfNoHyphenation] == 0);
    if (differs(pfSpaceBefore))
        KeywordNum(kwSb, now[pfSpaceBefore]);
    if (differs(pfSpaceAfter))
        KeywordNum(kwSa, now[pfSpaceAfter]);
    if (differs(pfStyle) && !FInStyleSheet)
        KeywordNum(kwS, now[pfStyle]);
    if (differs(pfTabTable) && now[pfTabTable] != -1) {
        if (const TTabTable* table = FDocument.TabManager().Tables(now[pfTabTable])) {
            for (TTabStop stop : table->StopList()) {
                int32_t position = 0;
                uint8_t kind = 0;
                uint8_t leader = 0;
                UnpackTabStop(stop, position, kind, leader);
                if (kind == tkBar) {
                    KeywordNum(kwTb, position);
                    continue;
                }
                if (kind == tkCenter)
                    Keyword(kwTqc);
                else if (kind == tkRight)
                    Keyword(kwTqr);
                else if (kind == tkDecimal)
                    Keyword(kwTqdec);
                if (leader == 1)
                    Keyword(kwTldot);
                else if (leader == 2)
                    Keyword(kwTlhyph);
                else if (leader == 3)
                    Keyword(kwTlul);
                KeywordNum(kwTx, position);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// File parts

void TRtfWriter::WriteFontTable()
{
    // Font names always escaped: the compact dialect is off here.
    const bool compact = FCompact;
    FCompact = false;
    OpenBrace();
    Keyword(kwFonttbl);
    if (TFontManager* fonts = GetFontManager()) {
        for (int32_t i = 0; i < fonts->RegisteredFontCount(); ++i) {
            const TRegisteredFont& font = fonts->RegisteredFonts(i);
            if (font.WriterUsed != 1)
                continue;
            OpenBrace();
            KeywordNum(kwF, i);
            switch (font.PitchAndFamily & 0xF8) {
            case 0x10: Keyword(kwFroman); break;
            case 0x20: Keyword(kwFswiss); break;
            case 0x30: Keyword(kwFmodern); break;
            case 0x40: Keyword(kwFscript); break;
            case 0x50: Keyword(kwFdecor); break;
            default: Keyword(kwFnil); break;
            }
            KeywordNum(kwFcharset, font.RequestedCharset);
            KeywordNum(kwFprq, font.PitchAndFamily & 3);
            FOutput.OutputWriteChar(' ');
            FKeywordPending = false;
            Text(font.FaceName);
            Raw(";");
            CloseBrace();
        }
    }
    CloseBrace();
    FCompact = compact;
}

void TRtfWriter::WriteColorTable()
{
    OpenBrace();
    Keyword(kwColortbl);
    Raw(";");
    FKeywordPending = false;
    for (const auto& color : kColors) {
        KeywordNum(kwRed, color[0]);
        KeywordNum(kwGreen, color[1]);
        KeywordNum(kwBlue, color[2]);
        Raw(";");
        FKeywordPending = false;
    }
    CloseBrace();
}

void TRtfWriter::WriteStyle(int32_t index)
{
    const TStyle& style = FDocument.Styles()[index];
    OpenBrace();
    if (index > 0)
        KeywordNum(kwS, index);
    if (style.HotKey != 0) {
        Raw("{\\*");
        Keyword(kwKeycode);
        FOutput.OutputWriteChar(' ');
        FKeywordPending = false;
        const int32_t modifiers = style.HotKey >> 16;
        const int32_t key = style.HotKey & 0xFFFF;
        if (modifiers & 1)
            Keyword(kwShift);
        if (modifiers & 4)
            Keyword(kwCtrl);
        if (modifiers & 2)
            Keyword(kwAlt);
        if (key >= 112 && key <= 135) {
            KeywordNum(kwFn, key - 111);
        } else if (key > ' ' && key < 256) {
            const uint8_t b = static_cast<uint8_t>(key);
            FOutput.OutputWriteChar(' ');
            FKeywordPending = false;
            Text(&b, 1);
        }
        CloseBrace();
    }
    if (style.BasedOn != -1)
        KeywordNum(kwSbasedon, style.BasedOn);
    KeywordNum(kwSnext, style.NextStyle);

    // The resolved format, as differences from the program's defaults.
    TCharFormat fullChar{};
    TParFormat fullPar{};
    style.GetFullFormat(fullChar, fullPar, gffKeepLanguage);
    const TCharFormat& defaults = DefaultCharFormat();
    for (int slot = 0; slot < TCharFormat::Count; ++slot)
        if (fullChar[slot] != defaults[slot] && fullChar[slot] != NotSet)
            CharAttribute(slot, fullChar[slot]);
    TParFormat unset{};
    ClearParFormat(unset);
    TParFormat resolved = fullPar;
    const TParFormat& parDefaults = DefaultParFormat();
    const bool spacing = resolved[pfLineSpacing] != parDefaults[pfLineSpacing] ||
                         resolved[pfLineRule] != parDefaults[pfLineRule];
    for (int slot = 0; slot < TParFormat::Count; ++slot)
        if (resolved[slot] == parDefaults[slot] &&
            !(spacing && (slot == pfLineSpacing || slot == pfLineRule)))
            resolved[slot] = NotSet;
    // The tab stops go with the style's own slots below, and \s is not
    // written twice.
    resolved[pfTabTable] = NotSet;
    resolved[pfStyle] = NotSet;
    ParFormatDiff(resolved, unset);

    // What the style sets itself.
    Raw("{\\*");
    Keyword(kwStloverrides);
    for (int slot = 0; slot < TCharFormat::Count; ++slot)
        if (style.CharFormat[slot] != NotSet)
            CharAttribute(slot, style.CharFormat[slot]);
    TParFormat own = style.ParFormat;
    own[pfStyle] = NotSet;
    ParFormatDiff(own, unset);
    Raw("} ");
    FKeywordPending = false;

    std::string name = style.Name;
    if (style.HasStandardId())
        for (char& c : name)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
    Text(name);
    Raw(";");
    CloseBrace();
}

void TRtfWriter::WriteStyleSheet()
{
    FInStyleSheet = true;
    OpenBrace();
    Keyword(kwStylesheet);
    for (int32_t i = 0; i < FDocument.Styles().Count(); ++i)
        WriteStyle(i);
    CloseBrace();
    FInStyleSheet = false;
}

void TRtfWriter::WriteDate(int32_t index, double value)
{
    if (value == 0)
        return;
    uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, msec);
    OpenBrace();
    Keyword(index);
    KeywordNum(kwYr, year);
    KeywordNum(kwMo, month);
    KeywordNum(kwDy, day);
    KeywordNum(kwHr, hour);
    KeywordNum(kwMin, minute);
    KeywordNum(kwSec, second);
    CloseBrace();
}

void TRtfWriter::WriteInfo()
{
    const TDocProperties& properties = FDocument.Properties;
    OpenBrace();
    Keyword(kwInfo);
    if (FParams.RecoveryCopy) {
        StarGroup(kwAutosavedorigname, FDocument.FileName);
        const int32_t format = FDocument.Format;
        if (format >= 0 && format < static_cast<int32_t>(std::size(kCodingNames)))
            StarGroup(kwAutosavedorigfmt, kCodingNames[format]);
    }
    if (properties.LastAuthor != properties.Author)
        Group(kwOperator, properties.LastAuthor);
    WriteDate(kwCreatim, properties.Created);
    if (properties.LastSaved != properties.Created)
        WriteDate(kwRevtim, properties.LastSaved);
    WriteDate(kwPrintim, properties.LastPrinted);
    Group(kwTitle, properties.Title);
    Group(kwSubject, properties.Subject);
    Group(kwAuthor, properties.Author);
    Group(kwKeywords, properties.Keywords);
    Group(kwDoccomm, properties.Comments);
    // The caret's body place; while a header or footer is edited the caret
    // is outside the body, and the document keeps no body place then.
    if ((FParams.RecoveryCopy || (DocFileHost().SaveCaretPos() && !(FParams.Flags & wfCopy))) &&
        !FDocument.EditedHeaderFooter) {
        if (FDocument.Caret.Paragraph > 0)
            KeywordNum(kwDskparnr, FDocument.Caret.Paragraph);
        if (FDocument.Caret.Offset > 0)
            KeywordNum(kwDskcharnr, FDocument.Caret.Offset);
    }
    CloseBrace();
}

void TRtfWriter::WriteDocumentSettings()
{
    TDocument& d = FDocument;
    if (d.Zoom() != 100)
        KeywordNum(kwViewscale, d.Zoom());
    switch (d.ZoomKind) {
    case zkPageWidth: KeywordNum(kwViewzk, 2); break;
    case zkTextWidth: KeywordNum(kwViewzk, 3); break;
    case zkWholePage:
    case zkTwoPages: KeywordNum(kwViewzk, 1); break;
    default: break;
    }
    if (d.TabManager().DefaultInterval() != DefaultTabInterval)
        KeywordNum(kwDeftab, d.TabManager().DefaultInterval());
    Keyword(kwHtmautsp);
    Keyword(kwUseltbaln);
    const TNoteNumbering& foot = d.FootnoteNumbering;
    if (foot.Placement == 1)
        Keyword(kwFtnbj);
    else if (foot.Placement == 2)
        Keyword(kwFtntj);
    if (const int32_t word = NumberingKeyword(foot.Style, false); word >= 0)
        Keyword(word);
    if (foot.Start != 1)
        KeywordNum(kwFtnstart, foot.Start);
    if (foot.Restart == nrEachSection)
        Keyword(kwFtnrestart);
    else if (foot.Restart == nrEachPage)
        Keyword(kwFtnrstpg);
    // Both states: a document that reads no word hyphenates automatically.
    KeywordNum(kwHyphauto, d.AutoHyphenation ? 1 : 0);
    if (!d.HyphenateCapitals)
        KeywordNum(kwHyphcaps, 0);
    if (d.HyphenationZone != 360)
        KeywordNum(kwHyphhotz, d.HyphenationZone);
    if (d.HyphenationLimit != 0)
        KeywordNum(kwHyphconsec, d.HyphenationLimit);
    const TNoteNumbering& end = d.EndnoteNumbering;
    if (end.Placement == 0)
        Keyword(kwAendnotes);
    else if (end.Placement == 3)
        Keyword(kwAenddoc);
    if (const int32_t word = NumberingKeyword(end.Style, true); word >= 0)
        Keyword(word);
    if (end.Start != 1)
        KeywordNum(kwAftnstart, end.Start);
    if (end.Restart == nrEachSection)
        Keyword(kwAftnrestart);
}

void TRtfWriter::Write()
{
    TEncryptionManager* cipher = nullptr;
    if (FParams.Coding == ciEncrypted && FOutput.IsFile()) {
        cipher = &GetEncryptionManager();
        uint8_t header[EncryptedHeaderSize];
        cipher->StartEncryption(header, DecryptPassword(FDocument.FileState.Password), true);
        FOutput.OutputWriteBytes(header, EncryptedHeaderSize);
        FOutput.StartEnciphering(*cipher);
    }
    FNoColors = FOutput.NoColors;
    OpenBrace();
    // The two words of the header are no keywords of the shared table.
    Raw("\\rtf1\\ansi");
    FKeywordPending = true;
    KeywordNum(kwDeflang, FDocument.DocumentLanguage);
    WriteFontTable();
    if (!FNoColors)
        WriteColorTable();
    WriteStyleSheet();
    WriteInfo();
    WriteDocumentSettings();
    WriteBody();
    CloseBrace();
    if (cipher) {
        FOutput.OutputFlush();
        uint8_t trailer[EncryptedTrailerSize];
        cipher->FinishChecksum(trailer);
        FOutput.OutputWriteBytes(trailer, EncryptedTrailerSize);
        FOutput.OutputFlush();
    }
}

int32_t WriteRtf(TOutputFile& output, const TDocWriteParams& params, const TTextWriteRange& range)
{
    try {
        TRtfWriter writer(output, params, range);
        writer.Write();
        output.OutputFlush();
        return 0;
    } catch (const std::exception&) {
        return 2;
    }
}
