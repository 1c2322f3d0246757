// The Word writer's property lists: character, paragraph and section
// properties as single property modifiers (sprms) in the Word 97 form
// (two-byte codes) or the Word 6.0/95 form (one-byte codes), tab changes,
// bullets, the style sheet and the list tables.
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/TabManager.h"
#include "formats/word/PackedDateTime.h"
#include "formats/word/WordWriterState.h"
#include "platform/runtime/CodePages.h"

#include <algorithm>
#include <set>

namespace {

constexpr TFibPair kFibStshf{0xA2, 0x60};
constexpr TFibPair kFibPlfLst{0x2E2, -1};
constexpr TFibPair kFibPlfLfo{0x2EA, -1};
constexpr TFibPair kFibSttbListNames{0x372, -1};

void Put16(TWordBytes& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(TWordBytes& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The 24-bit colour of a colour index (red in the low byte); index 0 is
// the automatic colour.
uint32_t ColorOfIndex(int32_t index)
{
    static const uint32_t colors[17] = {0xFF000000u, 0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF,
                                        0x0000FF,    0x00FFFF, 0xFFFFFF, 0x800000, 0x808000, 0x008000,
                                        0x800080,    0x000080, 0x008080, 0x808080, 0xC0C0C0};
    return index >= 0 && index <= 16 ? colors[index] : colors[0];
}

// The sprm writer of one form: a two-byte code for Word 97, one byte for
// Word 6.0/95.
class TSprms {
public:
    TSprms(TWordBytes& out, bool word97) : FOut(out), FWord97(word97) {}
    void Code(uint16_t word97, uint8_t word6)
    {
        if (FWord97)
            Put16(FOut, word97);
        else
            FOut.push_back(word6);
    }
    void Byte(uint16_t word97, uint8_t word6, int32_t value)
    {
        Code(word97, word6);
        FOut.push_back(static_cast<uint8_t>(value));
    }
    void Word(uint16_t word97, uint8_t word6, int32_t value)
    {
        Code(word97, word6);
        Put16(FOut, static_cast<uint32_t>(value));
    }
    TWordBytes& Out() { return FOut; }
    bool Is97() const { return FWord97; }

private:
    TWordBytes& FOut;
    bool FWord97;
};

bool IsSet(int32_t value)
{
    return value != NotSet;
}

}  // namespace

// ---------------------------------------------------------------------------
// Character properties

void TWordWriter::BuildCharProps(const TCharFormat& f, TWordBytes& out) const
{
    out.clear();
    TSprms s(out, FWord97);
    const bool w97 = FWord97;
    if (IsSet(f[cfFont])) {
        const uint16_t number = FontNumber(f[cfFont]);
        if (w97) {
            s.Word(0x4A4F, 0, number);
            s.Word(0x4A51, 0, number);
        } else {
            s.Word(0, 93, number);
        }
    }
    if (IsSet(f[cfSize]))
        s.Word(0x4A43, 99, f[cfSize]);
    if (IsSet(f[cfBold]))
        s.Byte(0x0835, 85, f[cfBold]);
    if (IsSet(f[cfItalic]))
        s.Byte(0x0836, 86, f[cfItalic]);
    if (IsSet(f[cfStrikeOut]))
        s.Byte(0x0837, 87, f[cfStrikeOut]);
    if (IsSet(f[cfDoubleStrikeOut]))
        s.Byte(0x2A53, 87, f[cfDoubleStrikeOut]);
    if (IsSet(f[cfUnderline]))
        s.Byte(0x2A3E, 94, w97 || f[cfUnderline] <= 4 ? f[cfUnderline] : 1);
    if (w97 && IsSet(f[cfUnderlineColor])) {
        s.Code(0x6877, 0);
        Put32(out, ColorOfIndex(f[cfUnderlineColor]));
    }
    if (IsSet(f[cfSmallCaps]))
        s.Byte(0x083A, 90, f[cfSmallCaps]);
    if (IsSet(f[cfAllCaps]))
        s.Byte(0x083B, 91, f[cfAllCaps]);
    if (IsSet(f[cfShadow]))
        s.Byte(0x0839, 89, f[cfShadow]);
    if (IsSet(f[cfOutline]))
        s.Byte(0x0838, 88, f[cfOutline]);
    // Word 6.0/95 has no relief: such text is dark grey.
    const bool relief = f[cfEmboss] == 1 || f[cfEngrave] == 1;
    if (IsSet(f[cfEmboss])) {
        if (w97)
            s.Byte(0x0858, 0, f[cfEmboss]);
        else if (f[cfEmboss] == 1)
            s.Byte(0, 98, 15);
    }
    if (IsSet(f[cfEngrave])) {
        if (w97)
            s.Byte(0x0854, 0, f[cfEngrave]);
        else if (f[cfEngrave] == 1 && f[cfEmboss] != 1)
            s.Byte(0, 98, 15);
    }
    if (IsSet(f[cfColor]) && (w97 || !relief))
        s.Byte(0x2A42, 98, f[cfColor]);
    if (w97 && IsSet(f[cfHighlight]))
        s.Byte(0x2A0C, 0, f[cfHighlight]);
    if (IsSet(f[cfVerticalPosition]))
        s.Byte(0x2A48, 104, f[cfVerticalPosition]);
    if (w97 && IsSet(f[cfHorizontalScale]))
        s.Word(0x4852, 0, f[cfHorizontalScale]);
    if (IsSet(f[cfLetterSpacing]))
        s.Word(0x8840, 96, f[cfLetterSpacing]);
    if (IsSet(f[cfRaise]))
        s.Word(0x4845, 101, f[cfRaise] * 2);
    if (IsSet(f[cfKerning]))
        s.Word(0x484B, 107, f[cfKerning]);
    if (IsSet(f[cfLanguage])) {
        if (w97) {
            s.Word(0x486D, 0, f[cfLanguage]);
            s.Word(0x4873, 0, f[cfLanguage]);
        } else {
            s.Word(0, 97, f[cfLanguage]);
        }
    }
}

// ---------------------------------------------------------------------------
// Paragraph properties and tabs

void TWordWriter::BuildTabChanges(const TParFormat& format, TWordBytes& out, bool forStyle, int32_t styleIndex) const
{
    out.clear();
    out.push_back(0);  // length, filled in below
    TTabManager& tabs = FDocument.TabManager();
    auto tableOf = [&tabs](int32_t index) -> const TTabTable* {
        return index == NotSet || index < 0 ? nullptr : tabs.Tables(index);
    };
    std::vector<int32_t> deleted;
    std::vector<TTabStop> added;
    const TTabTable* own = tableOf(format[pfTabTable]);
    if (forStyle) {
        std::set<int32_t> positions;
        std::vector<int32_t> chain;
        TStyleList& styles = FDocument.Styles();
        const TStyle* style = styles.Find(styleIndex);
        if (style && style->BasedOn >= 0) {
            styles.GetAncestors(style->BasedOn, chain);
            chain.push_back(style->BasedOn);
        }
        for (int32_t ancestor : chain)
            if (const TStyle* a = styles.Find(ancestor))
                if (const TTabTable* table = tableOf(a->ParFormat[pfTabTable]))
                    for (TTabStop stop : table->StopList())
                        if (positions.insert(TabStopPosition(stop)).second)
                            deleted.push_back(TabStopPosition(stop));
        if (own)
            added = own->StopList();
    } else {
        const TTabTable* styleTabs = tableOf(StyleParFormat(styleIndex)[pfTabTable]);
        if (styleTabs) {
            std::set<int32_t> positions;
            for (TTabStop stop : styleTabs->StopList()) {
                const int32_t position = TabStopPosition(stop);
                if ((!own || !own->HasTabAt(position)) && positions.insert(position).second)
                    deleted.push_back(position);
            }
        }
        if (own)
            for (TTabStop stop : own->StopList())
                if (!styleTabs || !std::count(styleTabs->StopList().begin(), styleTabs->StopList().end(), stop))
                    added.push_back(stop);
    }
    deleted.resize(std::min<size_t>(deleted.size(), 64));
    added.resize(std::min<size_t>(added.size(), 64));
    out.push_back(static_cast<uint8_t>(deleted.size()));
    for (int32_t position : deleted)
        Put16(out, static_cast<uint32_t>(position));
    out.push_back(static_cast<uint8_t>(added.size()));
    for (TTabStop stop : added)
        Put16(out, static_cast<uint32_t>(TabStopPosition(stop)));
    for (TTabStop stop : added) {
        const uint8_t kind = TabStopKind(stop);
        const uint8_t leader = TabStopLeader(stop);
        const uint8_t alignment = kind >= 1 && kind <= 4 ? kind : 0;
        const uint8_t fill = leader >= 1 && leader <= 3 ? leader : 0;
        out.push_back(static_cast<uint8_t>(alignment | fill << 3));
    }
    out[0] = static_cast<uint8_t>(out.size() - 1);
}

void TWordWriter::BuildParProps(const TParFormat& f, int32_t istd, TWordBytes& out, bool forStyle,
                                int32_t styleIndex) const
{
    out.clear();
    Put16(out, static_cast<uint32_t>(istd));
    TSprms s(out, FWord97);
    const bool w97 = FWord97;
    const bool bullet = IsSet(f[pfInternal]) && f[pfInternal] != 0;
    if (bullet && w97) {
        s.Byte(0x260A, 0, 0);
        s.Word(0x460B, 0, 1);
    }
    if (IsSet(f[pfFirstIndent])) {
        s.Word(0x8411, 19, f[pfFirstIndent]);
        if (w97)
            s.Word(0x8460, 0, f[pfFirstIndent]);
    }
    if (IsSet(f[pfLeftIndent])) {
        s.Word(0x840F, 17, f[pfLeftIndent]);
        if (w97)
            s.Word(0x845E, 0, f[pfLeftIndent]);
    }
    if (IsSet(f[pfLineSpacing]) || IsSet(f[pfLineRule])) {
        s.Code(0x6412, 20);
        Put16(out, static_cast<uint32_t>(IsSet(f[pfLineSpacing]) ? f[pfLineSpacing] : 240));
        Put16(out, static_cast<uint32_t>(IsSet(f[pfLineRule]) ? f[pfLineRule] : 1));
    }
    if (IsSet(f[pfRightIndent])) {
        s.Word(0x840E, 16, f[pfRightIndent]);
        if (w97)
            s.Word(0x845D, 0, f[pfRightIndent]);
    }
    if (IsSet(f[pfAlignment])) {
        s.Byte(0x2403, 5, f[pfAlignment]);
        if (w97)
            s.Byte(0x2461, 0, f[pfAlignment]);
    }
    if (IsSet(f[pfKeepWithNext]))
        s.Byte(0x2406, 8, f[pfKeepWithNext]);
    if (IsSet(f[pfKeepTogether]))
        s.Byte(0x2405, 7, f[pfKeepTogether]);
    if (IsSet(f[pfPageBreakBefore]))
        s.Byte(0x2407, 9, f[pfPageBreakBefore]);
    if (IsSet(f[pfWidowControl]))
        s.Byte(0x2431, 51, f[pfWidowControl]);
    if (IsSet(f[pfNoHyphenation]))
        s.Byte(0x242A, 44, f[pfNoHyphenation]);
    if (IsSet(f[pfSpaceBefore]))
        s.Word(0xA413, 21, f[pfSpaceBefore]);
    if (IsSet(f[pfSpaceAfter]))
        s.Word(0xA414, 22, f[pfSpaceAfter]);
    if (IsSet(f[pfTabTable])) {
        TWordBytes changes;
        BuildTabChanges(f, changes, forStyle, styleIndex);
        if (changes.size() > 3 || f[pfTabTable] >= 0) {
            s.Code(0xC60D, 15);
            out.insert(out.end(), changes.begin(), changes.end());
        }
    }
    if (bullet && !w97) {
        // An automatic-numbering descriptor: a bullet of the Symbol font.
        s.Byte(0, 13, 11);
        s.Word(0, 17, IsSet(f[pfLeftIndent]) ? f[pfLeftIndent] : 0);
        s.Word(0, 19, IsSet(f[pfFirstIndent]) ? f[pfFirstIndent] : 0);
        s.Byte(0, 51, 0);
        out.push_back(12);
        out.push_back(52);
        TWordBytes anld(52, 0);
        anld[0] = 255;   // number format
        anld[1] = 1;     // one character before the number
        anld[6] = 1;     // font 1, Symbol
        anld[20] = 0xB7; // that character
        out.insert(out.end(), anld.begin(), anld.end());
    }
}

// ---------------------------------------------------------------------------
// Section properties

void TWordWriter::BuildSectionProps(const TSection& section, int32_t index, TWordBytes& out) const
{
    out.clear();
    TSprms s(out, FWord97);
    const bool w97 = FWord97;
    const TPageParams& page = section.PageParams;
    const TSectionSettings& settings = section.Settings;
    // What a file leaves out is the format's default.
    const auto& defaults = DefaultWordSection();
    if (page[ppOrientation] == 1)
        s.Byte(0x301D, 162, 2);
    s.Word(0xB01F, 164, page[ppPaperWidth]);
    s.Word(0xB020, 165, page[ppPaperHeight]);
    s.Word(0xB021, 166, page[ppLeftMargin]);
    s.Word(0xB022, 167, page[ppRightMargin]);
    s.Word(0x9023, 168, page[ppTopMargin]);
    s.Word(0x9024, 169, page[ppBottomMargin]);
    if (page[ppHeaderDistance] != defaults[wsHeaderDistance])
        s.Word(0xB017, 156, page[ppHeaderDistance]);
    if (page[ppFooterDistance] != defaults[wsFooterDistance])
        s.Word(0xB018, 157, page[ppFooterDistance]);
    if (HasTitlePage(page))
        s.Byte(0x300A, 143, 1);
    if (!w97) {
        // Which header and footer stories the section has.
        uint8_t present = 0;
        if (static_cast<size_t>(index) < FHeaderPresent.size())
            present = FHeaderPresent[static_cast<size_t>(index)];
        if (present != 0)
            s.Byte(0, 153, present);
    }
    const int32_t columns = std::clamp(settings[ssColumnCount], 1, MaxColumns);
    if (columns != defaults[wsColumnCount])
        s.Word(0x500B, 144, columns - 1);
    // The break that starts this section is the one that ends the one before.
    const TSectionBreakKind kind =
        index > 0 ? FDocument.Sections(index - 1).BreakKind() : section.BreakKind();
    int32_t breakCode = 4;
    switch (kind) {
    case sbContinuous: breakCode = 0; break;
    case sbNewPage: breakCode = 2; break;
    case sbEvenPage: breakCode = 3; break;
    default: breakCode = 4; break;
    }
    if (breakCode != defaults[wsBreakCode])
        s.Byte(0x3009, 142, breakCode);
    if (columns > 1) {
        const int32_t even = settings[ssEqualColumns] != 0 ? 1 : 0;
        if (even != defaults[wsEvenlySpaced])
            s.Byte(0x3005, 138, even);
        if (settings[ssColumnSpacing] != defaults[wsColumnSpacing])
            s.Word(0x900C, 145, settings[ssColumnSpacing]);
        for (int32_t c = 0; c < columns; ++c) {
            s.Code(0xF203, 136);
            out.push_back(static_cast<uint8_t>(c));
            Put16(out, static_cast<uint32_t>(settings[TSectionSettings::ColumnValue(c, crWidth)]));
            s.Code(0xF204, 137);
            out.push_back(static_cast<uint8_t>(c));
            Put16(out, static_cast<uint32_t>(settings[TSectionSettings::ColumnValue(c, crSpacing)]));
        }
    }
    s.Byte(0x300E, 147, PageNumberStyleToNfc(static_cast<uint8_t>(section.Trailing[0])));
    if (section.Trailing[1] != -1) {
        s.Byte(0x3011, 150, 1);
        s.Word(0x501C, 161, section.Trailing[1]);
    }
}

// ---------------------------------------------------------------------------
// Style sheet

void TWordWriter::WriteStyleSheet()
{
    TStorageWriteStream& table = Table();
    int64_t start = table.Size();
    if (start % 512 != 0)
        start = (start + 511) / 512 * 512;
    TStyleList& styles = FDocument.Styles();
    int32_t cstd = 15;
    std::vector<int32_t> styleOfIstd;
    for (int32_t i = 0; i < styles.Count(); ++i)
        cstd = std::max(cstd, IstdOf(i) + 1);
    styleOfIstd.assign(static_cast<size_t>(cstd), -1);
    for (int32_t i = 0; i < styles.Count(); ++i)
        styleOfIstd[static_cast<size_t>(IstdOf(i))] = i;

    TWordBytes sheet;
    Put16(sheet, 20);
    Put16(sheet, static_cast<uint32_t>(cstd));
    Put16(sheet, FWord97 ? 10 : 8);
    Put16(sheet, 1);
    Put16(sheet, 105);
    Put16(sheet, 15);
    Put16(sheet, 3);
    sheet.resize(22, 0);

    // The base of a style without a parent: the format's own defaults, on
    // which a reader builds such a style; its font and size always go out.
    TCharFormat rootChar = DefaultCharFormat();
    rootChar[cfFont] = NotSet;
    rootChar[cfSize] = NotSet;
    TParFormat rootPar = DefaultParFormat();
    rootPar[pfWidowControl] = 1;
    rootPar[pfTabTable] = -1;

    for (int32_t istd = 0; istd < cstd; ++istd) {
        const int32_t index = styleOfIstd[static_cast<size_t>(istd)];
        if (index < 0) {
            if (sheet.size() & 1)
                sheet.push_back(0);
            Put16(sheet, 0);
            continue;
        }
        const TStyle& style = styles[index];
        const size_t entry = sheet.size();
        Put16(sheet, 0);  // the entry's length, filled in below
        const uint32_t sti = style.StandardNumber >= 0 && style.StandardNumber <= 90
                                 ? static_cast<uint32_t>(style.StandardNumber)
                                 : 0x0FFEu;
        Put16(sheet, sti | 0x4000u);
        const TStyle* base = styles.Find(style.BasedOn);
        const bool hasBase = base && style.BasedOn != index;
        Put16(sheet, hasBase ? static_cast<uint32_t>(IstdOf(style.BasedOn)) << 4 | 1 : 0xFFF1u);
        const int32_t next = styles.Find(style.NextStyle) ? IstdOf(style.NextStyle) : istd;
        Put16(sheet, static_cast<uint32_t>(next) << 4 | 2);
        const size_t bchUpe = sheet.size();
        Put16(sheet, 0);
        if (FWord97)
            Put16(sheet, 0);
        if (FWord97) {
            const std::u16string name = ToWide(style.Name, CP_ACP);
            Put16(sheet, static_cast<uint32_t>(name.size()));
            for (char16_t c : name)
                Put16(sheet, c);
            Put16(sheet, 0);
        } else {
            const std::string name = style.Name.substr(0, 255);
            sheet.push_back(static_cast<uint8_t>(name.size()));
            sheet.insert(sheet.end(), name.begin(), name.end());
            sheet.push_back(0);
        }
        if ((sheet.size() - entry) & 1)
            sheet.push_back(0);

        TCharFormat charFormat = StyleChar(index);
        TParFormat parFormat = StyleParFormat(index);
        if (hasBase) {
            DiffCharFormat(charFormat, StyleChar(style.BasedOn));
            DiffParFormat(parFormat, StyleParFormat(style.BasedOn));
        } else {
            DiffCharFormat(charFormat, rootChar);
            DiffParFormat(parFormat, rootPar);
        }
        // A style without tabs under a parent with tabs deletes them.
        if (hasBase && StyleParFormat(index)[pfTabTable] < 0 && StyleParFormat(style.BasedOn)[pfTabTable] >= 0)
            parFormat[pfTabTable] = -1;
        TWordBytes props;
        BuildParProps(parFormat, istd, props, true, index);
        Put16(sheet, static_cast<uint32_t>(props.size()));
        sheet.insert(sheet.end(), props.begin(), props.end());
        if ((sheet.size() - entry) & 1)
            sheet.push_back(0);
        BuildCharProps(charFormat, props);
        Put16(sheet, static_cast<uint32_t>(props.size()));
        sheet.insert(sheet.end(), props.begin(), props.end());
        if ((sheet.size() - entry) & 1)
            sheet.push_back(0);
        const size_t length = sheet.size() - entry - 2;
        sheet[entry] = static_cast<uint8_t>(length);
        sheet[entry + 1] = static_cast<uint8_t>(length >> 8);
        sheet[bchUpe] = static_cast<uint8_t>(length);
        sheet[bchUpe + 1] = static_cast<uint8_t>(length >> 8);
    }
    table.Seek(start);
    SetFib32(kFibStshf, static_cast<uint32_t>(start));
    SetFib32({kFibStshf.Word97 + 4, kFibStshf.Word6 + 4}, static_cast<uint32_t>(sheet.size()));
    table.Write(sheet.data(), sheet.size());
}

// ---------------------------------------------------------------------------
// List tables (Word 97): one simple list of one bullet level

void TWordWriter::WriteListTables()
{
    if (!FBullets)
        return;
    TWordBytes lists;
    Put16(lists, 1);
    TWordBytes header(28, 0);
    for (int i = 0; i < 9; ++i) {
        header[static_cast<size_t>(8 + i * 2)] = 0xFF;
        header[static_cast<size_t>(9 + i * 2)] = 0x0F;
    }
    header[26] = 1;
    lists.insert(lists.end(), header.begin(), header.end());
    const size_t headerEnd = lists.size();
    TWordBytes level(28, 0);
    level[24] = 8;
    level[25] = 8;
    lists.insert(lists.end(), level.begin(), level.end());
    Put16(lists, 0x840F);
    Put16(lists, 270);
    Put16(lists, 0x8411);
    Put16(lists, static_cast<uint16_t>(-270));
    Put16(lists, 0x4A4F);
    Put16(lists, 1);
    Put16(lists, 0x4A51);
    Put16(lists, 1);
    Put16(lists, 1);
    Put16(lists, 0xF0B7);
    // The count and the header are the table; the level follows it.
    TStorageWriteStream& table = Table();
    table.Seek(table.Size());
    SetFib32(kFibPlfLst, static_cast<uint32_t>(table.Position()));
    SetFib32({kFibPlfLst.Word97 + 4, -1}, static_cast<uint32_t>(headerEnd));
    table.Write(lists.data(), lists.size());

    TWordBytes overrides;
    Put32(overrides, 1);
    overrides.resize(overrides.size() + 16, 0);
    Put32(overrides, 0xFFFFFFFFu);
    WriteTable(kFibPlfLfo, overrides);

    TWordBytes names;
    Put16(names, 0xFFFF);
    Put16(names, 1);
    Put16(names, 0);
    Put16(names, 0);
    WriteTable(kFibSttbListNames, names);
}
