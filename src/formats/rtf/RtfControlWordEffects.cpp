// What each formatting and structure control word does to the current
// character format, the current paragraph's format (or, in the style sheet,
// the style's), the last section, the document settings and the text.
#include "document/fields/Field.h"
#include "document/model/Section.h"
#include "foundation/InlineControl.h"
#include "foundation/NotSet.h"
#include "formats/rtf/RtfReaderState.h"

#include <algorithm>

namespace {

// Underline kinds of \ulnone, \ulw, \uldb ... in the order of the table.
struct TUnderlineWord {
    int32_t Index;
    int32_t Kind;
};
constexpr TUnderlineWord kUnderlines[] = {
    {kwUlnone, 0},      {kwUlw, 2},         {kwUldb, 3},        {kwUld, 4},         {kwUlth, 6},
    {kwUldash, 7},      {kwUldashd, 9},     {kwUldashdd, 10},   {kwUlwave, 11},     {kwUlthd, 20},
    {kwUlthdash, 23},   {kwUlthdashd, 25},  {kwUlthdashdd, 26}, {kwUlhwave, 27},    {kwUlldash, 39},
    {kwUluldbwave, 43}, {kwUlthldash, 55},
};

}  // namespace

bool TRtfReader::SuppressedByHyperlinkStyle(int slot, int32_t value) const
{
    if (!FToc || FCharStyle == -1 || FStyleSheet || slot == cfHighlight || slot == cfLanguage)
        return false;
    for (const TRtfCharStyle& style : FCharStyles)
        if (style.Number == FCharStyle)
            return style.Name == "Hyperlink" && style.Format[slot] == value;
    return false;
}

void TRtfReader::SetChar(TCharFormat& format, int slot, int32_t value)
{
    if (format[slot] == value || SuppressedByHyperlinkStyle(slot, value))
        return;
    format[slot] = value;
    if (!FStyleSheet && &format == &FCharFormat)
        AppendRecord(static_cast<uint16_t>(slot), value);
}

void TRtfReader::SetToggle(TCharFormat& format, int slot, int32_t value)
{
    SetChar(format, slot, value);
}

int32_t TRtfReader::ColorIndex(int32_t entry) const
{
    if (entry < 0 || entry >= static_cast<int32_t>(FColors.size()))
        return 0;
    return FColors[static_cast<size_t>(entry)].Index;
}

int32_t TRtfReader::FontOfNumber(int32_t number) const
{
    // The table is sorted by number.
    const auto it = std::lower_bound(FFonts.begin(), FFonts.end(), number,
                                     [](const TRtfFont& font, int32_t n) { return font.Number < n; });
    if (it != FFonts.end() && it->Number == number)
        return it->Index;
    return FFonts.front().Index;
}

void TRtfReader::ApplyControlWord(const TControlToken& token, int32_t index, TCharFormat& cf, TParFormat& pf)
{
    if (index < 0 || index > kwWidowctrl)
        return;
    const int32_t n = ControlWordParam(token);
    const int32_t n1 = ControlWordParamOrOne(token);
    TDocument& document = FDocument;

    for (const TUnderlineWord& word : kUnderlines)
        if (word.Index == index) {
            SetChar(cf, cfUnderline, word.Kind);
            return;
        }

    switch (index) {
    // Character words.
    case kwF: SetChar(cf, cfFont, FontOfNumber(n)); break;
    case kwFs:
        if (n >= 2 && n <= 2000)
            SetChar(cf, cfSize, n);
        break;
    case kwB: SetToggle(cf, cfBold, n1); break;
    case kwI: SetToggle(cf, cfItalic, n1); break;
    case kwStrike: SetToggle(cf, cfStrikeOut, n1); break;
    case kwScaps: SetToggle(cf, cfSmallCaps, n1); break;
    case kwCaps: SetToggle(cf, cfAllCaps, n1); break;
    case kwShad: SetToggle(cf, cfShadow, n1); break;
    case kwOutl: SetToggle(cf, cfOutline, n1); break;
    case kwEmbo: SetToggle(cf, cfEmboss, n1); break;
    case kwImpr: SetToggle(cf, cfEngrave, n1); break;
    case kwStriked: SetChar(cf, cfDoubleStrikeOut, n != 0 ? 1 : 0); break;
    case kwUl: SetChar(cf, cfUnderline, n1 != 0 ? 1 : 0); break;
    case kwCf: SetChar(cf, cfColor, ColorIndex(n)); break;
    case kwUlc: SetChar(cf, cfUnderlineColor, ColorIndex(n)); break;
    case kwHighlight: SetChar(cf, cfHighlight, ColorIndex(n)); break;
    case kwSuper: SetChar(cf, cfVerticalPosition, 1); break;
    case kwSub: SetChar(cf, cfVerticalPosition, 2); break;
    case kwNosupersub: SetChar(cf, cfVerticalPosition, 0); break;
    case kwCharscalex:
        if (n >= 1 && n <= 600)
            SetChar(cf, cfHorizontalScale, n);
        break;
    case kwExpnd: SetChar(cf, cfLetterSpacing, static_cast<int32_t>(static_cast<uint32_t>(n) * 5u)); break;
    case kwExpndtw: SetChar(cf, cfLetterSpacing, n); break;
    case kwUp: SetChar(cf, cfRaise, n / 2); break;
    case kwDn: SetChar(cf, cfRaise, -(n / 2)); break;
    case kwKerning: SetChar(cf, cfKerning, n); break;
    case kwLang: SetChar(cf, cfLanguage, n); break;
    case kwDeflang:
        document.DocumentLanguage = n;
        SetChar(cf, cfLanguage, n);
        break;
    case kwPlain: {
        const TCharFormat& defaults = DefaultCharFormat();
        for (int slot = 0; slot < cfLanguage; ++slot)
            SetChar(cf, slot, defaults[slot]);
        const int32_t language = document.DocumentLanguage != 0 ? document.DocumentLanguage : defaults[cfLanguage];
        cf[cfLanguage] = language;
        if (!FStyleSheet && &cf == &FCharFormat)
            AppendRecord(cfLanguage, language);
        break;
    }
    case kwCs: FCharStyle = n; break;

    // Paragraph words.
    case kwFi: pf[pfFirstIndent] = n; break;
    case kwLi: pf[pfLeftIndent] = n; break;
    case kwRi: pf[pfRightIndent] = n; break;
    case kwSb: pf[pfSpaceBefore] = n; break;
    case kwSa: pf[pfSpaceAfter] = n; break;
    case kwSl: pf[pfLineSpacing] = (n == 0 || n == 1000) ? 240 : n; break;
    case kwSlmult:
        pf[pfLineRule] = n;
        if (n != 0 && pf[pfLineSpacing] != NotSet && pf[pfLineSpacing] < 0)
            pf[pfLineRule] = 0;
        break;
    case kwQl: pf[pfAlignment] = 0; break;
    case kwQc: pf[pfAlignment] = 1; break;
    case kwQr: pf[pfAlignment] = 2; break;
    case kwQj: pf[pfAlignment] = 3; break;
    case kwKeepn: pf[pfKeepWithNext] = 1; break;
    case kwKeepnoff: pf[pfKeepWithNext] = 0; break;
    case kwKeep: pf[pfKeepTogether] = 1; break;
    case kwKeepoff: pf[pfKeepTogether] = 0; break;
    case kwPagebb: pf[pfPageBreakBefore] = 1; break;
    case kwPagebboff: pf[pfPageBreakBefore] = 0; break;
    case kwWidctlpar: pf[pfWidowControl] = 1; break;
    case kwNowidctlpar: pf[pfWidowControl] = 0; break;
    case kwHyphpar: pf[pfNoHyphenation] = (n1 ^ 1) & 0x7F; break;
    case kwS:
        if (FStyleSheet)
            pf[pfStyle] = n;
        else
            pf[pfStyle] = FindStyleIndexOfNumber(n);
        break;
    case kwPard:
        pf = DefaultParFormat();
        pf[pfWidowControl] = FWidowDefault;
        break;
    case kwPnlvlblt:
        pf[pfInternal] = 1;
        // The bullet text that the \pntext group before put into this
        // paragraph goes again, exactly as much as it added.
        if (!FStyleSheet && &pf == &FParagraph->Format && FPnTextParagraph == FParagraph && FPnTextStart >= 0 &&
            FPnTextEnd <= FText.Size() && FPnTextStart <= FPnTextEnd) {
            const uint8_t* p = FText.Data();
            int32_t removed = 0;
            for (int32_t pos = FPnTextStart; pos < FPnTextEnd;) {
                if (p[pos] != InlineControlStartByte) {
                    ++removed;
                    ++pos;
                    continue;
                }
                if (IsCharacterCode(InlineControlCodeAt(p, pos)))
                    ++removed;
                pos += InlineControlSize;
            }
            FText.Delete(FPnTextStart, FPnTextEnd - FPnTextStart);
            FChars -= removed;
            FPnTextParagraph = nullptr;
        }
        break;

    // Tab stops.
    case kwTqc: FTabKind = tkCenter; break;
    case kwTqr: FTabKind = tkRight; break;
    case kwTqdec: FTabKind = tkDecimal; break;
    case kwTldot: FTabLeader = 1; break;
    case kwTlhyph: FTabLeader = 2; break;
    case kwTlul: FTabLeader = 3; break;
    case kwTx:
        FPendingTabs.AddTab(PackTabStop(std::clamp(n, 0, MaxTabLimit), FTabKind, FTabLeader));
        FTabKind = 0;
        FTabLeader = 0;
        break;
    case kwTb: FPendingTabs.AddTab(PackTabStop(std::clamp(n, 0, MaxTabLimit), tkBar, 0)); break;

    // Text and special characters.
    case kwTab: AppendSpecial(scTab); break;
    case kwLine: AppendSpecial(scLineBreak); break;
    case kwEmdash: AppendSpecial(scEmDash); break;
    case kwEndash: AppendSpecial(scEnDash); break;
    case kwPage: AppendSpecial(scPageBreak); break;
    case kwColumn: AppendSpecial(scColumnBreak); break;
    case kwLquote: AppendByte(145); break;
    case kwRquote: AppendByte(146); break;
    case kwLdblquote: AppendByte(147); break;
    case kwRdblquote: AppendByte(148); break;
    case kwChftn: {
        if (FStyleSheet)
            break;
        TField& mark = document.AddRangeObject(4);
        AppendRecord(icRangeStart, mark.Handle());
        AppendFormatCode(FText, icSpecialChar, scReaderSpecial);
        ++FChars;
        AppendRecord(icRangeEnd, mark.Handle());
        break;
    }
    case kwU:
        if (!FDiscard)
            ReadUnicodeChar(n);
        else
            TakeUnicodeChar(n, false);
        break;
    case kwUc: FUnicodeSkip = std::clamp(n, 0, 16); break;
    case kwDeleted: FDiscard = true; break;
    case kwMac: FMac = true; break;

    // Tables become tab-separated paragraphs.
    case kwTrowd: FCellDefs = 0; break;
    case kwCellx: ++FCellDefs; break;
    case kwCell:
        ++FCells;
        if (FCells < FCellDefs)
            AppendSpecial(scTab);
        FPendingTabs.Clear();
        break;
    case kwRow:
        if (!FStyleSheet)
            EndParagraph(false);
        FCells = 0;
        break;

    // Paragraph and section ends.
    case kwPar:
        if (!FStyleSheet)
            EndParagraph(false);
        break;
    case kwSect:
        if (!FStyleSheet)
            EndParagraph(!FDiscard);
        break;

    default: ApplySectionOrDocumentWord(index, n, n1); break;
    }
}

int32_t TRtfReader::FindStyleIndexOfNumber(int32_t number) const
{
    const TStyleList& styles = FDocument.Styles();
    for (int32_t i = styles.Count() - 1; i >= 0; --i)
        if (styles[i].FileStyleNumber == number)
            return i;
    return 0;
}

void TRtfReader::ApplySectionOrDocumentWord(int32_t index, int32_t n, int32_t n1)
{
    TDocument& document = FDocument;
    TSection& section = LastSection();
    TPageParams& page = section.PageParams;
    TSectionSettings& settings = section.Settings;
    auto setFlagByte = [](int32_t& value, int shift) { value = (value & ~(0xFF << shift)) | (1 << shift); };
    switch (index) {
    case kwSectd:
        if (document.SectionCount() > 1) {
            const int32_t mirror = page[ppReserved8];
            const int32_t flags = page[ppFlags] & 0xFF;
            section.SetDefaults();
            const TPageParams& first = document.Sections(0).PageParams;
            for (int value : {ppPaperWidth, ppPaperHeight, ppLeftMargin, ppRightMargin, ppTopMargin, ppBottomMargin})
                page[value] = first[value];
            page[ppReserved8] = mirror;
            page[ppFlags] = (page[ppFlags] & ~0xFF) | flags;
        }
        break;
    case kwSbknone:
    case kwSbkpage:
    case kwSbkeven:
    case kwSbkodd:
        if (document.SectionCount() > 1) {
            const int32_t kind = index == kwSbknone ? sbContinuous
                                 : index == kwSbkpage ? sbNewPage
                                 : index == kwSbkeven ? sbEvenPage
                                                      : sbOddPage;
            document.Sections(document.SectionCount() - 2).Settings[ssBreakKind] = kind;
        }
        break;
    case kwPaperw:
    case kwPgwsxn: page[ppPaperWidth] = n; break;
    case kwPaperh:
    case kwPghsxn: page[ppPaperHeight] = n; break;
    case kwMargl:
    case kwMarglsxn: page[ppLeftMargin] = n; break;
    case kwMargr:
    case kwMargrsxn: page[ppRightMargin] = n; break;
    case kwMargt:
    case kwMargtsxn: page[ppTopMargin] = n; break;
    case kwMargb:
    case kwMargbsxn: page[ppBottomMargin] = n; break;
    case kwLandscape:
    case kwLndscpsxn: page[ppOrientation] = 1; break;
    case kwHeadery: page[ppHeaderDistance] = n; break;
    case kwFootery: page[ppFooterDistance] = n; break;
    case kwTitlepg: setFlagByte(page[ppFlags], 8); break;
    case kwMargmirror: setFlagByte(document.Sections(0).PageParams[ppReserved8], 0); break;
    case kwFacingp: setFlagByte(document.Sections(0).PageParams[ppFlags], 0); break;
    case kwCols: settings[ssColumnCount] = std::clamp(n, 1, MaxColumns); break;
    case kwColno: FColumn = std::clamp(n, 1, std::clamp(settings[ssColumnCount], 1, MaxColumns)); break;
    case kwColw:
        settings[TSectionSettings::ColumnValue(FColumn - 1, crWidth)] = n;
        settings[ssEqualColumns] = 0;
        break;
    case kwColsr:
        settings[TSectionSettings::ColumnValue(FColumn - 1, crSpacing)] = n;
        settings[ssEqualColumns] = 0;
        break;
    case kwColsx: settings[ssColumnSpacing] = n; break;
    case kwLinebetcol: section.LineBetweenColumns = 1; break;
    case kwPgnstarts: section.Trailing[1] = n; break;
    case kwPgnrestart: section.Trailing[1] = 1; break;
    case kwPgncont: section.Trailing[1] = -1; break;
    case kwPgndec: section.Trailing[0] = 0; break;
    case kwPgnlcltr: section.Trailing[0] = 1; break;
    case kwPgnucltr: section.Trailing[0] = 2; break;
    case kwPgnlcrm: section.Trailing[0] = 3; break;
    case kwPgnucrm: section.Trailing[0] = 4; break;

    // Document words.
    case kwDeftab: document.TabManager().SetDefaultInterval(n <= 0 ? DefaultTabInterval : n); break;
    case kwWidowctrl:
        FWidowDefault = 1;
        document.Paragraphs(0).Format[pfWidowControl] = 1;
        break;
    case kwHyphauto: document.AutoHyphenation = static_cast<uint8_t>(n1 != 0); break;
    case kwHyphcaps: document.HyphenateCapitals = static_cast<uint8_t>(n1 != 0); break;
    case kwHyphhotz: document.HyphenationZone = n; break;
    case kwHyphconsec: document.HyphenationLimit = n; break;
    case kwViewscale: FZoom = n; break;
    case kwViewzk:
        switch (n) {
        case 0: document.ZoomKind = zkFixed; break;
        case 1: document.ZoomKind = zkWholePage; break;
        case 2: document.ZoomKind = zkPageWidth; break;
        case 3: document.ZoomKind = zkTextWidth; break;
        default: break;
        }
        break;
    case kwFtnbj: document.FootnoteNumbering.Placement = 1; break;
    case kwFtntj: document.FootnoteNumbering.Placement = 2; break;
    case kwAendnotes: document.EndnoteNumbering.Placement = 0; break;
    case kwAenddoc: document.EndnoteNumbering.Placement = 3; break;
    case kwFtnnar: document.FootnoteNumbering.Style = 0; break;
    case kwFtnnruc: document.FootnoteNumbering.Style = 1; break;
    case kwFtnnrlc: document.FootnoteNumbering.Style = 2; break;
    case kwFtnnauc: document.FootnoteNumbering.Style = 3; break;
    case kwFtnnalc: document.FootnoteNumbering.Style = 4; break;
    case kwFtnnchi: document.FootnoteNumbering.Style = 9; break;
    case kwAftnnar: document.EndnoteNumbering.Style = 0; break;
    case kwAftnnruc: document.EndnoteNumbering.Style = 1; break;
    case kwAftnnrlc: document.EndnoteNumbering.Style = 2; break;
    case kwAftnnauc: document.EndnoteNumbering.Style = 3; break;
    case kwAftnnalc: document.EndnoteNumbering.Style = 4; break;
    case kwAftnnchi: document.EndnoteNumbering.Style = 9; break;
    case kwFtnstart: document.FootnoteNumbering.Start = n; break;
    case kwAftnstart: document.EndnoteNumbering.Start = n; break;
    case kwFtnrstcont: document.FootnoteNumbering.Restart = nrNever; break;
    case kwFtnrestart: document.FootnoteNumbering.Restart = nrEachSection; break;
    case kwFtnrstpg: document.FootnoteNumbering.Restart = nrEachPage; break;
    case kwAftnrstcont: document.EndnoteNumbering.Restart = nrNever; break;
    case kwAftnrestart: document.EndnoteNumbering.Restart = nrEachSection; break;
    case kwFtnalt: FEndnote = true; break;
    default: break;
    }
}
