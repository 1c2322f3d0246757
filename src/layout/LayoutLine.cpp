#include "layout/LayoutLine.h"

#include "document/model/DocObject.h"
#include "document/model/Document.h"
#include "document/fields/Field.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "foundation/managers/FontManager.h"
#include "foundation/InlineControl.h"
#include "foundation/managers/KerningPairsManager.h"
#include "foundation/managers/TabManager.h"
#include "foundation/TextTables.h"
#include "layout/LineHyphenation.h"
#include "layout/RunFont.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

constexpr uint32_t kMagnitudeMask = 0x3FFFFFFF;
constexpr uint32_t kNegativeBit = 0x40000000;
constexpr uint32_t kFontFlagBit = 0x80000000;

// A value beyond the 30 bits of magnitude is stored as the largest one of its
// sign: extreme indents and positions stop at the edge instead of wrapping.
uint32_t EncodePosition(int64_t v, bool flag)
{
    const uint32_t magnitude = static_cast<uint32_t>(std::min<int64_t>(v < 0 ? -v : v, kMagnitudeMask));
    return magnitude | (v < 0 ? kNegativeBit : 0) | (flag ? kFontFlagBit : 0);
}

int32_t DecodePosition(uint32_t entry)
{
    const auto magnitude = static_cast<int32_t>(entry & kMagnitudeMask);
    return (entry & kNegativeBit) ? -magnitude : magnitude;
}

// The characters "¶", "—" and "–" of code page 1252.
constexpr uint8_t kPilcrow = 182;
constexpr uint8_t kEmDashChar = 151;
constexpr uint8_t kEnDashChar = 150;
constexpr uint8_t kBulletChar = 183;
// The advance of a section, column or page break that has no rest of line
// to take.
constexpr int32_t kBreakMarkWidth = 150;
// The size of the paragraph-mark font in half-points.
constexpr int32_t kMarkFontSize = 16;
constexpr int32_t kBulletIndentTwips = 270;

// The working format has one of the attributes that draw outside the
// character's band (underline kind and colour, shadow, outline, emboss,
// engrave) switched on.
bool HasOverlapAttribute(const TCharFormat& format)
{
    static constexpr int kSlots[] = {cfUnderline, cfUnderlineColor, cfShadow, cfOutline, cfEmboss, cfEngrave};
    for (int slot : kSlots)
        if (SlotOn(format[slot]))
            return true;
    return false;
}

bool IsOverlapSlot(uint16_t code)
{
    return code == cfUnderline || code == cfUnderlineColor || (code >= cfShadow && code <= cfEngrave);
}

bool ExactSpacing(const TParFormat& format)
{
    return SlotValue(format[pfLineRule]) == 0 && SlotValue(format[pfLineSpacing]) < 0;
}

// Round to nearest, ties to even, of numerator / denominator (denominator > 0).
int64_t DivRoundEven(int64_t numerator, int64_t denominator)
{
    int64_t q = numerator / denominator;
    int64_t r = numerator % denominator;
    if (r < 0) {
        r += denominator;
        --q;
    }
    if (2 * r > denominator || (2 * r == denominator && (q & 1)))
        ++q;
    return q;
}

// Upper case, case tests of the 256 bytes for the language of the run,
// cached for the last language asked for.
struct TCaseTables {
    int32_t Language = NotSet;
    std::array<uint8_t, 256> Upper{};
    std::array<bool, 256> HasCase{};
    std::array<bool, 256> IsUpper{};

    void Prepare(int32_t language)
    {
        if (language == Language)
            return;
        const LCID locale = static_cast<LCID>(language == NotSet ? LOCALE_USER_DEFAULT : language & 0xFFFF);
        for (int c = 0; c < 256; ++c) {
            const auto ch = static_cast<uint8_t>(c);
            Upper[c] = c < 32 ? ch : UpperCaseCharLocale(ch, locale, true);
            HasCase[c] = c >= 32 && CharHasCase(ch, locale);
            IsUpper[c] = HasCase[c] && Upper[c] == ch;
        }
        Language = language;
    }
};

TCaseTables& CaseTables()
{
    static TCaseTables tables;
    return tables;
}

}  // namespace

// ===========================================================================
// TLineBuilder: BuildLine's local state and steps.

class TLineBuilder {
public:
    TLineBuilder(TLayoutLine& line, const TLayoutUnits& units);
    void Run(TLineBuildState& state);
    // The bytes given end at a hyphenation point (a line built again over
    // the bytes it had): when the line takes them all, it ends hyphenated.
    bool EndsAtHyphenPoint = false;

private:
    enum TAddResult { arAdded, arEnded, arRestart };
    enum TOverflow { ofFits = 0, ofBreak = 1, ofForced = 2 };

    bool PlainChar(uint8_t ch);
    bool Record(const TInlineControl& control);
    bool SpecialChar(uint8_t kind);
    bool BreakChar(uint8_t kind);
    bool Tab();
    bool Object(TObjectHandle handle);
    bool NoteMark();
    TAddResult AddChar(uint8_t code, int32_t advance, int32_t ascent, int32_t descent, int32_t textAscent,
                       int32_t kern);
    bool Measured(uint8_t code, int32_t advance);
    TOverflow Overflow(uint8_t code, int32_t kern, int32_t advance);
    void AppendUnmeasured(uint8_t code, int32_t advance);
    void CutBack();
    void TakeBackup();
    void EnsureRunFont();
    void SelectWorkingFont();
    void FinishPendingTab();
    void BulletCheck();
    void TrailingHyphen();
    bool TryHyphenate(int32_t atChar);
    // The manual hyphenation run probes this line: the document's probe is
    // on for its paragraph, and the line starts at or before the probed
    // character (the last such line holds it).
    bool Probed() const;
    // Records the word the line would be cut in, for the probe.
    void ProbeCandidate(int32_t atChar);
    void EndLine(TLineBuildState& state);
    int32_t X() const { return FLine.GetCharPosition(FLine.CharCount); }
    int32_t Width(uint8_t ch) const;

    TLayoutLine& FLine;
    const TLayoutUnits& FUnits;
    TLayoutWorkingState& FState;
    TParagraph& FParagraph;
    TDocument& FDocument;
    const TParFormat& FFormat;
    const uint8_t* FText = nullptr;
    int32_t FRemaining = 0;
    int32_t FPos = 0;          // byte position in the line's text
    int32_t FCharEnd = 0;      // byte position after the character being added

    bool FReselect = false;
    bool FFullSizeSelected = false;  // small capitals: the full-size font is selected
    bool FBackupTaken = false;
    int32_t FHangingSpaces = 0;
    bool FHung = false;        // a space or tab hangs past the right limit
    bool FOverflowAccepted = false;
    bool FPointsKnown = false;
    bool FProbed = false;
    bool FZoneAllows = true;
    bool FBulletChecked = false;
    bool FExact = false;
    int32_t FLastBreak = 0;
    // The position after the last break point's character as it stood then
    // (the kerning of a later pair may move it).
    int32_t FLastBreakX = 0;
    // The line's ascent, descent and text ascent at the last break point.
    int32_t FSavedAscent = 0;
    int32_t FSavedDescent = 0;
    int32_t FSavedTextAscent = 0;
    int32_t FByteLength = 0;
    uint8_t FSavedOverlap = 0;
    TField* FSavedFootnote = nullptr;
    TField* FSavedEndnote = nullptr;
    bool FSavedHyphenBreak = false;
    bool FLastBreakIsHyphen = false;

    struct TBackup {
        TCharFormat Format{};
        int32_t Ascent = 0;
        int32_t Descent = 0;
        int32_t TextAscent = 0;
        uint16_t Raise = 0;
        uint16_t Lower = 0;
    } FBackup;

    // A centred, right or decimal tab waiting for the text after it.
    int32_t FTabIndex = -1;
    int32_t FTabX = 0;
    int32_t FTabDistance = 0;
    uint8_t FTabKind = 0;
    TField* FNote = nullptr;

    // The word being hyphenated: its first character in the paragraph and
    // the positions in it of its conditional hyphens.
    int32_t FWordStart = 0;
    int32_t FWordLength = 0;
    std::vector<int32_t> FWordHyphens;
};

TLineBuilder::TLineBuilder(TLayoutLine& line, const TLayoutUnits& units)
    : FLine(line),
      FUnits(units),
      FState(LayoutWorkingState()),
      FParagraph(line.Paragraph()),
      FDocument(*units.Document),
      FFormat(line.Paragraph().Format)
{
}

int32_t TLineBuilder::Width(uint8_t ch) const
{
    return FState.Font ? FState.Font->Widths[ch] : 0;
}

void TLineBuilder::SelectWorkingFont()
{
    SelectRunFont(FUnits, FState.Format, rfLineBuilding);
    FReselect = false;
    FFullSizeSelected = false;
}

void TLineBuilder::EnsureRunFont()
{
    if (FReselect || FFullSizeSelected)
        SelectWorkingFont();
}

void TLineBuilder::TakeBackup()
{
    FBackup.Format = FState.Format;
    FBackup.Ascent = FLine.Ascent;
    FBackup.Descent = FLine.Descent;
    FBackup.TextAscent = FLine.TextAscent;
    FBackup.Raise = FLine.Raise;
    FBackup.Lower = FLine.Lower;
    FBackupTaken = true;
}

void TLineBuilder::Run(TLineBuildState& state)
{
    TLayoutLine& line = FLine;
    FText = state.Text;
    FRemaining = state.Remaining;
    FState.Format = state.Format;
    FExact = ExactSpacing(FFormat);

    // Set-up. A line probed for the manual hyphenation run starts with no
    // word found.
    if (Probed())
        FDocument.HyphFound = 0;
    line.HyphenEnd = 0;
    line.CharCount = 0;
    line.ByteLength = 0;
    line.FTabs.clear();
    line.FootnoteMark = nullptr;
    line.EndnoteMark = nullptr;
    line.ResizePositions(1);
    int32_t startX;
    {
        const int32_t left = SlotValue(FFormat[pfLeftIndent]);
        const int32_t first = SlotValue(FFormat[pfFirstIndent]);
        const TLayoutLine* before = line.LineBefore();
        const bool firstLine = line.Index == 0 || (line.Index == 1 && before && before->IsBreakOnlyLine());
        // Formed in 64 bits: indents from files may lie anywhere in 32 bits.
        const int64_t indent = firstLine ? int64_t{left} + first : left;
        startX = FDocument.TwipsToLayout(FUnits.ToViewY(static_cast<int32_t>(
            std::clamp<int64_t>(indent, -std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()))));
    }
    line.FPositions[0] = EncodePosition(startX, FState.FontFlag);
    line.Ascent = FState.FontAscent;
    line.Descent = FState.FontDescent;
    line.TextAscent = FState.FontAscent;
    line.Raise = 0;
    line.Lower = 0;
    if (!FExact) {
        const int32_t raise = SlotValue(FState.Format[cfRaise]);
        if (raise > 0)
            line.Raise = static_cast<uint16_t>(std::min(raise, 0xFFFF));
        else if (raise < 0)
            line.Lower = static_cast<uint16_t>(std::min(-static_cast<int64_t>(raise), int64_t(0xFFFF)));
    }
    line.Overlap = HasOverlapAttribute(FState.Format) ? 1 : 0;
    FSavedOverlap = line.Overlap;
    FSavedAscent = line.Ascent;
    FSavedDescent = line.Descent;
    FSavedTextAscent = line.TextAscent;
    line.DisplayZoom = NotSet;

    while (FPos < FRemaining) {
        const uint8_t b = FText[FPos];
        bool goOn;
        if (b != InlineControlStartByte) {
            FCharEnd = FPos + 1;
            goOn = PlainChar(b);
        } else {
            if (FRemaining - FPos < InlineControlSize)
                throw EInternalError("Enregistrement tronqué dans le texte du paragraphe");
            FCharEnd = FPos + InlineControlSize;
            goOn = Record(ReadInlineControl(FText + FPos));
        }
        if (!goOn) {
            EndLine(state);
            return;
        }
    }
    FinishPendingTab();
    if (EndsAtHyphenPoint && line.CharCount > 0)
        line.HyphenEnd = 1;
    TrailingHyphen();
    FByteLength = FRemaining;
    EndLine(state);
}

void TLineBuilder::EndLine(TLineBuildState& state)
{
    FinishPendingTab();
    // The run font stands as the working format says.
    if (FReselect || FFullSizeSelected)
        SelectWorkingFont();
    FLine.ByteLength = FByteLength;
    state.Text += FByteLength;
    state.Remaining -= FByteLength;
    state.Format = FState.Format;
}

bool TLineBuilder::PlainChar(uint8_t ch)
{
    BulletCheck();
    if (FReselect)
        SelectWorkingFont();
    const TCharFormat& format = FState.Format;
    const bool smallCaps = SlotOn(format[cfSmallCaps]);
    const bool caps = smallCaps || SlotOn(format[cfAllCaps]);
    uint8_t measured = ch;
    TCaseTables* cases = nullptr;
    if (caps) {
        cases = &CaseTables();
        cases->Prepare(format[cfLanguage]);
        measured = cases->Upper[ch];
    }
    // Small capitals: capitals and characters without case in the full-size
    // font, lower-case letters in the 80 % font.
    if (smallCaps) {
        const bool fullSize = cases->IsUpper[ch] || !cases->HasCase[ch];
        if (fullSize && !FFullSizeSelected) {
            TCharFormat full = format;
            full[cfSmallCaps] = 0;
            SelectRunFont(FUnits, full, rfLineBuilding);
            FFullSizeSelected = true;
        } else if (!fullSize && FFullSizeSelected) {
            SelectWorkingFont();
        }
    }
    int32_t kern = 0;
    if (FLine.CharCount > 0 && FState.Kerning) {
        uint8_t previous = FLine.CharAt(FLine.CharCount - 1);
        if (cases)
            previous = cases->Upper[previous];
        kern = FState.Kerning->GetKernAmount(previous, measured);
    }
    const int32_t spacing = format[cfLetterSpacing];
    const int32_t letterSpacing = SlotOn(spacing) ? FUnits.TwipsToEighths(spacing) : 0;
    const int32_t advance = Width(measured) + letterSpacing;
    const TAddResult result =
        AddChar(ch, advance, FState.FontAscent, FState.FontDescent, FState.FontAscent, kern);
    FPos = result == arAdded ? FCharEnd : FPos;
    return result != arEnded;
}

bool TLineBuilder::Record(const TInlineControl& control)
{
    const uint16_t code = control.Code;
    if (code <= cfKerning) {
        if (!FBackupTaken)
            TakeBackup();
        TCharFormat& format = FState.Format;
        if (code == cfSize) {
            format[cfSize] = FUnits.ToViewX(control.Argument);
            FReselect = true;
        } else {
            format[code] = control.Argument;
            if (code != cfColor && code != cfRaise)
                FReselect = true;
        }
        if (IsOverlapSlot(code) && SlotOn(control.Argument))
            FLine.Overlap = 1;
        if (code == cfRaise && !FExact) {
            const int64_t value = control.Argument == NotSet ? 0 : control.Argument;
            if (value > 0)
                FLine.Raise = static_cast<uint16_t>(std::max<int64_t>(FLine.Raise, std::min<int64_t>(value, 0xFFFF)));
            else if (value < 0)
                FLine.Lower =
                    static_cast<uint16_t>(std::max<int64_t>(FLine.Lower, std::min<int64_t>(-value, 0xFFFF)));
        }
        FPos = FCharEnd;
        return true;
    }
    switch (code) {
    case icSpecialChar:
        return SpecialChar(static_cast<uint8_t>(control.Argument & 0xFF));
    case icSectionBreak:
        return SpecialChar(scSectionBreak);
    case icPicture:
    case icOleObject:
        return Object(control.Argument);
    case icRangeStart:
        if (TField* field = FDocument.Objects().GetField(control.Argument); field && field->Kind == rkNoteReference)
            FNote = field;
        FPos = FCharEnd;
        return true;
    default:  // the language (ignored), range ends
        FPos = FCharEnd;
        return true;
    }
}

bool TLineBuilder::Measured(uint8_t code, int32_t advance)
{
    const TAddResult result =
        AddChar(code, advance, FState.FontAscent, FState.FontDescent, FState.FontAscent, 0);
    if (result == arAdded)
        FPos = FCharEnd;
    return result != arEnded;
}

bool TLineBuilder::SpecialChar(uint8_t kind)
{
    switch (kind) {
    case scParagraphMark: {
        FinishPendingTab();
        EnsureRunFont();
        const bool empty = FLine.CharCount == 0;
        AppendUnmeasured(kind, Width(kPilcrow));
        if (empty) {
            FLine.Ascent = FState.FontAscent;
            FLine.Descent = FState.FontDescent;
            FLine.TextAscent = FState.FontAscent;
        }
        FPos = FCharEnd;
        return true;
    }
    case scSectionBreak:
    case scColumnBreak:
    case scLineBreak:
    case scPageBreak:
        return BreakChar(kind);
    case scTab:
        return Tab();
    default:
        break;
    }
    BulletCheck();
    EnsureRunFont();
    switch (kind) {
    case scNonBreakingSpace:
        return Measured(kind, Width(' '));
    case scNonBreakingHyphen:
    case scOptionalHyphen:
        return Measured(kind, Width('-'));
    case scEmDash:
        return Measured(kind, Width(kEmDashChar));
    case scEnDash:
        return Measured(kind, Width(kEnDashChar));
    case scReaderSpecial:
        return NoteMark();
    default:
        // Records that stand for no known character take no room.
        return Measured(kind, 0);
    }
}

bool TLineBuilder::BreakChar(uint8_t kind)
{
    FinishPendingTab();
    TrailingHyphen();
    int32_t advance;
    if (kind == scLineBreak) {
        EnsureRunFont();
        advance = FUnits.ToViewY(11);
    } else {
        // Measured in the paragraph-mark font; the run font is selected again
        // for whatever follows.
        TCharFormat mark = DefaultCharFormat();
        mark[cfSize] = FUnits.ToViewX(kMarkFontSize);
        SelectRunFont(FUnits, mark, rfLineBuilding);
        FReselect = true;
        const int32_t alignment = SlotValue(FFormat[pfAlignment]);
        advance = kBreakMarkWidth;
        if (alignment == 0 || alignment == 3) {
            const int32_t limit = FUnits.Scale.Scaled ? FLine.RightLimit / 8 : FLine.RightLimit;
            advance = std::max(limit - X(), kBreakMarkWidth);
        }
    }
    const bool empty = FLine.CharCount == 0;
    AppendUnmeasured(kind, advance);
    if (empty) {
        FLine.Ascent = FState.FontAscent;
        FLine.Descent = FState.FontDescent;
        FLine.TextAscent = FState.FontAscent;
    }
    FPos = FCharEnd;
    // Range ends right behind the break stay on its line.
    while (FRemaining - FPos >= InlineControlSize && FText[FPos] == InlineControlStartByte &&
           ReadInlineControl(FText + FPos).Code == icRangeEnd)
        FPos += InlineControlSize;
    FByteLength = FPos;
    return false;
}

void TLineBuilder::AppendUnmeasured(uint8_t /*code*/, int32_t advance)
{
    FLine.AppendPosition(int64_t{X()} + advance, FState.FontFlag);
    ++FLine.CharCount;
}

bool TLineBuilder::Tab()
{
    FinishPendingTab();
    BulletCheck();
    EnsureRunFont();
    const int32_t x = X();
    TTabManager& tabs = FDocument.TabManager();
    const int32_t twips = FUnits.FromViewY(FDocument.LayoutToTwips(x + 1));
    const bool inclusive = FLine.CharCount > 0 && FLine.CharAt(FLine.CharCount - 1) != scTab;
    const TTabStop stop = tabs.WorkingTable().GetNextTab(twips, inclusive);
    int32_t position;
    uint8_t kind = tkLeft;
    uint8_t leader = 0;
    if (stop == NoNextTab) {
        // No stop follows (beyond the page width limit): the tab takes no room.
        position = twips;
    } else {
        UnpackTabStop(stop, position, kind, leader);
    }
    // A hanging first line: its first tab goes to the left indent, unless
    // the paragraph's own stop stands at or before it.
    const int32_t leftIndent = SlotValue(FFormat[pfLeftIndent]);
    if (FLine.Index == 0 && SlotValue(FFormat[pfFirstIndent]) < 0 && twips < leftIndent) {
        const TTabTable* own = tabs.Tables(FFormat[pfTabTable]);
        const bool ownStop = stop != NoNextTab && position <= leftIndent && own && own->HasTabAt(position);
        if (!ownStop) {
            position = leftIndent;
            kind = tkLeft;
            leader = 0;
        }
    }
    const int32_t distance = FUnits.TwipsToEighths(position) - x;
    const int32_t index = FLine.CharCount;
    TAddResult result;
    if (kind == tkLeft) {
        result = AddChar(scTab, distance, FState.FontAscent, FState.FontDescent, FState.FontAscent, 0);
    } else {
        result = AddChar(scTab, 0, FState.FontAscent, FState.FontDescent, FState.FontAscent, 0);
        if (result == arAdded) {
            FTabIndex = index;
            FTabX = X();
            FTabDistance = distance;
            FTabKind = kind;
        }
    }
    if (result == arAdded) {
        FLine.FTabs.push_back(TLineTab{index, kind, leader});
        FPos = FCharEnd;
    }
    return result != arEnded;
}

void TLineBuilder::FinishPendingTab()
{
    if (FTabIndex < 0)
        return;
    const int32_t tab = FTabIndex;
    FTabIndex = -1;
    const int32_t count = FLine.CharCount;
    if (tab >= count)
        return;
    const int32_t w = X() - FTabX;
    int32_t shift = 0;
    bool rightAligned = FTabKind == tkRight;
    if (FTabKind == tkCenter) {
        if (w < 2 * FTabDistance)
            shift = (2 * FTabDistance - w) / 2;
    } else if (FTabKind == tkDecimal) {
        const uint8_t separator = static_cast<uint8_t>(FormatSettings().DecimalSeparator);
        rightAligned = true;
        for (int32_t i = tab + 1; i < count; ++i) {
            if (FLine.CharAt(i) == separator) {
                shift = FTabDistance - (FLine.GetCharPosition(i) - FTabX);
                rightAligned = false;
                break;
            }
        }
    }
    if (rightAligned && w < FTabDistance)
        shift = FTabDistance - w;
    if (shift > 0)
        for (int32_t i = tab + 1; i <= count; ++i)
            FLine.AddToPosition(i, shift);
}

void TLineBuilder::BulletCheck()
{
    if (FBulletChecked)
        return;
    FBulletChecked = true;
    if (FLine.CharCount > 0 || !SlotOn(FFormat[pfInternal]))
        return;
    const TLayoutLine* before = FLine.LineBefore();
    if (!(FLine.Index == 0 || (FLine.Index == 1 && before && before->IsBreakOnlyLine())))
        return;
    TFontManager* fonts = GetFontManager();
    int32_t bulletWidth = 0;
    if (fonts && fonts->SymbolIndex() >= 0) {
        const int32_t font = FState.Format[cfFont];
        FState.Format[cfFont] = fonts->SymbolIndex();
        SelectRunFont(FUnits, FState.Format, rfLineBuilding);
        bulletWidth = Width(kBulletChar);
        FState.Format[cfFont] = font;
        SelectWorkingFont();
    }
    int32_t grow = std::max(FUnits.TwipsToEighths(kBulletIndentTwips), bulletWidth);
    const int32_t first = SlotValue(FFormat[pfFirstIndent]);
    if (first < 0)
        grow = std::max(grow, FUnits.TwipsToEighths(-first));
    FLine.SetPosition(0, int64_t{FLine.GetCharPosition(0)} + grow);
}

bool TLineBuilder::Object(TObjectHandle handle)
{
    EnsureRunFont();
    if (!FBackupTaken)
        TakeBackup();
    BulletCheck();
    int32_t advance = 0;
    int32_t height = 0;
    if (const TDocObject* object = FDocument.Objects().GetDocObject(handle)) {
        advance = FDocument.TwipsToLayoutScaled(FUnits.ToViewY(object->Width), object->ScaleX);
        height = FDocument.TwipsToLayoutScaled(FUnits.ToViewX(object->Height), object->ScaleY);
    }
    const TAddResult result =
        AddChar(scOleObject, advance, height, FState.FontDescent, FState.FontAscent, 0);
    if (result == arAdded)
        FPos = FCharEnd;
    return result != arEnded;
}

bool TLineBuilder::NoteMark()
{
    std::string text = "?";
    if (FNote) {
        if (!FNote->Result.empty())
            text = FNote->Result;
        else if (FNote->Number > 0)
            text = std::to_string(FNote->Number);
    }
    const int32_t advance = FState.Font ? FState.Font->GetTextWidth(text) : 0;
    FLine.Overlap = 1;
    const TAddResult result =
        AddChar(scReaderSpecial, advance, FState.FontAscent, FState.FontDescent, FState.FontAscent, 0);
    if (result == arAdded) {
        FPos = FCharEnd;
        if (FNote) {
            if (IsEndnoteReference(*FNote))
                FLine.EndnoteMark = FNote;
            else
                FLine.FootnoteMark = FNote;
        }
    }
    return result != arEnded;
}

TLineBuilder::TOverflow TLineBuilder::Overflow(uint8_t code, int32_t kern, int32_t advance)
{
    if (!FUnits.Wrap)
        return ofFits;
    if (static_cast<int64_t>(X()) + kern + advance <= FLine.RightLimit)
        return ofFits;
    if (code == ' ') {
        if (FHangingSpaces < 2) {
            ++FHangingSpaces;
            FHung = true;
            return ofFits;
        }
        return ofBreak;
    }
    if (code == scTab) {
        if (!FHung) {
            FHung = true;
            return ofFits;
        }
        return ofBreak;
    }
    if (FHung || FOverflowAccepted || (FLine.CharCount > 0 && FLastBreak == 0))
        return ofBreak;
    if (FLastBreak > 0)
        return ofForced;
    FOverflowAccepted = true;
    return ofFits;
}

TLineBuilder::TAddResult TLineBuilder::AddChar(uint8_t code, int32_t advance, int32_t ascent, int32_t descent,
                                               int32_t textAscent, int32_t kern)
{
    TLayoutLine& line = FLine;
    const int32_t count = line.CharCount;
    // 1. A hyphenation point of the word being hyphenated.
    bool hyphenBreak = false;
    if (FPointsKnown && code != scOptionalHyphen) {
        const int32_t inWord = line.FirstChar + count - FWordStart;
        if (inWord >= 0 && inWord < FWordLength) {
            int32_t position = inWord + 1;
            for (int32_t hyphen : FWordHyphens)
                if (hyphen < inWord)
                    --position;
            const auto& points = FState.HyphenationPoints;
            hyphenBreak = FZoneAllows && std::find(points.begin(), points.end(), position) != points.end();
        }
    }
    // 2. Overflow test.
    const int32_t tested = hyphenBreak ? advance + Width('-') : advance;
    const TOverflow overflow = Overflow(code, kern, tested);
    if (overflow == ofFits) {
        // 3. The character is added.
        if (kern != 0 && count > 0)
            line.AddToPosition(count, kern);
        const int32_t width = (advance < 0 || code == scOptionalHyphen) ? 0 : advance;
        line.AppendPosition(int64_t{line.GetCharPosition(count)} + width, FState.FontFlag);
        if (count == 0) {
            line.Ascent = ascent;
            line.Descent = descent;
            line.TextAscent = textAscent;
        } else {
            line.Ascent = std::max(line.Ascent, ascent);
            line.Descent = std::max(line.Descent, descent);
            line.TextAscent = std::max(line.TextAscent, textAscent);
        }
        ++line.CharCount;
        if (hyphenBreak || BreakAfterCharTable[code]) {
            FLastBreak = line.CharCount;
            FLastBreakX = line.GetCharPosition(line.CharCount);
            FSavedAscent = line.Ascent;
            FSavedDescent = line.Descent;
            FSavedTextAscent = line.TextAscent;
            FSavedOverlap = line.Overlap;
            FSavedFootnote = line.FootnoteMark;
            FSavedEndnote = line.EndnoteMark;
            FLastBreakIsHyphen = hyphenBreak;
            FBackupTaken = false;
            FByteLength = FCharEnd;
        }
        return arAdded;
    }
    if (overflow == ofBreak) {
        // 4. The line ends before this character, unless hyphenation finds
        // points in a word that has no break point yet.
        if (FLastBreak == 0 && TryHyphenate(line.FirstChar + count)) {
            CutBack();
            return arRestart;
        }
        FByteLength = FPos;
        // A line ending at a conditional hyphen shows it, as it does when it
        // is cut back to one or rebuilt alone; a pending tab aligns the text
        // without it, as at the end of the text.
        FinishPendingTab();
        TrailingHyphen();
        return arEnded;
    }
    // 5. Back to the last break point.
    const bool points = TryHyphenate(line.FirstChar + count);
    CutBack();
    if (points)
        return arRestart;
    FinishPendingTab();
    TrailingHyphen();
    return arEnded;
}

void TLineBuilder::CutBack()
{
    TLayoutLine& line = FLine;
    line.ResizePositions(FLastBreak + 1);
    line.CharCount = FLastBreak;
    // The kerning of the pair across the cut goes with the character cut off.
    if (FLastBreak > 0)
        line.SetPosition(FLastBreak, FLastBreakX);
    line.Overlap = FSavedOverlap;
    line.FootnoteMark = FSavedFootnote;
    line.EndnoteMark = FSavedEndnote;
    line.HyphenEnd = FLastBreakIsHyphen ? 1 : 0;
    FPos = FByteLength;
    // Back to an empty line: its first character is taken again even when it
    // overflows (else the line would end without a byte).
    if (FLastBreak == 0)
        FOverflowAccepted = false;
    while (!line.FTabs.empty() && line.FTabs.back().Char >= line.CharCount)
        line.FTabs.pop_back();
    if (FTabIndex >= line.CharCount)
        FTabIndex = -1;
    if (FBackupTaken) {
        FState.Format = FBackup.Format;
        line.Ascent = FBackup.Ascent;
        line.Descent = FBackup.Descent;
        line.TextAscent = FBackup.TextAscent;
        line.Raise = FBackup.Raise;
        line.Lower = FBackup.Lower;
        FBackupTaken = false;
        SelectWorkingFont();
    }
    // The characters cut off take their heights with them (a capital of
    // small capitals, or an object, may be taller than the rest).
    line.Ascent = FSavedAscent;
    line.Descent = FSavedDescent;
    line.TextAscent = FSavedTextAscent;
}

void TLineBuilder::TrailingHyphen()
{
    TLayoutLine& line = FLine;
    const int32_t count = line.CharCount;
    if (count == 0)
        return;
    if (line.HyphenEnd || line.CharAt(count - 1) == scOptionalHyphen) {
        EnsureRunFont();
        line.AddToPosition(count, Width('-'));
    }
}

bool TLineBuilder::Probed() const
{
    return FDocument.HyphProbing == 1 && FParagraph.Index == FDocument.HyphParagraph &&
           FLine.FirstChar <= FDocument.HyphProbeOffset;
}

void TLineBuilder::ProbeCandidate(int32_t atChar)
{
    THyphProbeCandidate candidate;
    if (!FindProbeCandidate(FParagraph, FLine, atChar, FLastBreak, candidate))
        return;
    // Within the hyphenation zone the line is not cut in a word.
    const int32_t zone = FDocument.HyphenationZone;
    if (zone != 0 && FLastBreak > 0) {
        const int32_t room = FLine.RightLimit - FLine.GetCharPosition(FLastBreak);
        if (FUnits.FromViewY(FDocument.LayoutToTwips(room)) <= zone)
            return;
    }
    // The breaks that fit the line with their hyphen.
    const uint8_t* plain = FParagraph.GetPlainChars().Data();
    const int32_t hyphen = Width('-');
    std::vector<int32_t> fitting;
    for (int32_t point : candidate.Points) {
        int32_t offset = candidate.WordStart;
        for (int32_t letters = 0; letters < point; ++offset)
            if (plain[offset] != scOptionalHyphen)
                ++letters;
        const int32_t inLine = offset - FLine.FirstChar;
        if (inLine > 0 && inLine <= FLine.CharCount &&
            int64_t{FLine.GetCharPosition(inLine)} + hyphen <= FLine.RightLimit)
            fitting.push_back(point);
    }
    candidate.Points = std::move(fitting);
    FDocument.HyphCandidate = std::move(candidate);
    FDocument.HyphFound = 1;
}

bool TLineBuilder::TryHyphenate(int32_t atChar)
{
    if (FPointsKnown || !FUnits.Wrap)
        return false;
    if (Probed() && !FProbed) {
        FProbed = true;
        ProbeCandidate(atChar);
    }
    THyphenationCandidate candidate;
    if (!FindHyphenationPoints(FParagraph, FLine, atChar, FLastBreak, candidate, FState.HyphenationPoints))
        return false;
    FPointsKnown = true;
    // The hyphenation zone: no point is used when a break before the word
    // leaves no more room than the zone. The room is that of the break point
    // before the word, not of a hyphenation point taken since, which would
    // make the first point of the word the only one ever used.
    const int32_t zone = FDocument.HyphenationZone;
    if (zone != 0) {
        const int32_t room = FLine.RightLimit - FLine.GetCharPosition(FLastBreak);
        FZoneAllows = FUnits.FromViewY(FDocument.LayoutToTwips(room)) > zone;
    }
    FWordStart = candidate.WordStart;
    FWordLength = candidate.WordLength;
    FWordHyphens = std::move(candidate.ConditionalHyphens);
    return true;
}

// ===========================================================================
// TLayoutLine

TLayoutLine::TLayoutLine(TParagraph& paragraph) : FParagraph(&paragraph)
{
    ResizePositions(1);
    FPositions[0] = 0;
}

TLayoutLine::~TLayoutLine()
{
    std::free(FPositions);
}

TLayoutLine* AsLayoutLine(TParLine* line)
{
    return dynamic_cast<TLayoutLine*>(line);
}

void TLayoutLine::ResizePositions(int32_t entries)
{
    void* data = FPositions;
    TMemory::ResizeExternal(data, FCapacity, entries * static_cast<int32_t>(sizeof(uint32_t)));
    FPositions = static_cast<uint32_t*>(data);
}

uint8_t TLayoutLine::CharAt(int32_t i) const
{
    const int32_t index = FirstChar + i;
    const TMemory& plain = FParagraph->GetPlainChars();
    if (index < 0 || index >= plain.Size())
        return 0;
    return plain.Data()[index];
}

bool TLayoutLine::IsLastLine() const
{
    return Index == FParagraph->GetLineCount() - 1;
}

TLayoutLine* TLayoutLine::LineBefore() const
{
    if (Index < 1 || Index > FParagraph->GetLineCount())
        return nullptr;
    return AsLayoutLine(&FParagraph->GetLine(Index - 1));
}

int32_t TLayoutLine::GetCharPosition(int32_t i) const
{
    return DecodePosition(FPositions[i]);
}

bool TLayoutLine::GetPosFlag(int32_t i) const
{
    return (FPositions[i] & kFontFlagBit) != 0;
}

void TLayoutLine::SetPosFlag(int32_t i, bool flag)
{
    FPositions[i] = (FPositions[i] & ~kFontFlagBit) | (flag ? kFontFlagBit : 0);
}

void TLayoutLine::SetPosition(int32_t i, int64_t value)
{
    FPositions[i] = EncodePosition(value, GetPosFlag(i));
}

void TLayoutLine::AddToPosition(int32_t i, int64_t delta)
{
    SetPosition(i, int64_t{GetCharPosition(i)} + delta);
}

void TLayoutLine::AppendPosition(int64_t value, bool flag)
{
    ResizePositions(CharCount + 2);
    FPositions[CharCount + 1] = EncodePosition(value, flag);
}

void TLayoutLine::Build(const TLayoutUnits& units, TLineBuildState& state, bool endsAtHyphenPoint)
{
    TLineBuilder builder(*this, units);
    builder.EndsAtHyphenPoint = endsAtHyphenPoint;
    builder.Run(state);
}

void TLayoutLine::BuildLine(TLineBuildState& state)
{
    Build(NormalLayoutUnits(DocumentOfParagraph(*FParagraph)), state);
}

bool TLayoutLine::EndsWithBreak() const
{
    if (CharCount == 0)
        return false;
    const uint8_t last = CharAt(CharCount - 1);
    return last == scColumnBreak || last == scLineBreak || last == scPageBreak;
}

bool TLayoutLine::EndsWithPageBreak() const
{
    if (CharCount == 0)
        return false;
    const uint8_t last = CharAt(CharCount - 1);
    if (last == scColumnBreak || last == scPageBreak)
        return true;
    if (last != scSectionBreak)
        return false;
    // The section break record: the last character record of the line.
    const uint8_t* text = FParagraph->GetText().Data();
    for (int32_t end = StartByte + ByteLength; end - InlineControlSize >= StartByte; end -= InlineControlSize) {
        if (text[end - 1] != InlineControlEndByte)
            break;
        const TInlineControl control = ReadInlineControl(text + end - InlineControlSize);
        if (control.Code == icRangeEnd)
            continue;
        if (control.Code != icSectionBreak)
            break;
        const TDocument* document = FParagraph->GetDocument();
        const TSection* section = document ? document->Objects().GetSection(control.Argument) : nullptr;
        if (!section)
            return false;
        const uint8_t kind = section->BreakKind();
        return kind >= 1 && kind <= 3;
    }
    return false;
}

bool TLayoutLine::IsBreakOnlyLine() const
{
    return CharCount == 1 && EndsWithPageBreak();
}

bool TLayoutLine::HoldsSelectedObject() const
{
    const TDocument* document = FParagraph->GetDocument();
    if (!document || !document->IsObjectSelected())
        return false;
    const TTextSelection& selection = document->Selection();
    return selection.Start.Paragraph == FParagraph->Index && selection.Start.Offset >= FirstChar &&
           static_cast<int64_t>(FirstChar) + CharCount >= selection.End.Offset;
}

// --- Alignment and completion ----------------------------------------------

void TLayoutLine::AlignLine(const TLayoutUnits& units)
{
    const int32_t count = CharCount;
    if (count == 0)
        return;
    const TParFormat& format = FParagraph->Format;
    const int32_t alignment = SlotValue(format[pfAlignment]);
    const bool justified = alignment == 3;
    int32_t n = count;
    const uint8_t last = CharAt(count - 1);
    if (last >= scParagraphMark && last <= scPageBreak)
        --n;
    for (int32_t dropped = 0; n > 0 && CharAt(n - 1) == ' ' && (justified || dropped < 2); ++dropped)
        --n;
    const int32_t width = GetCharPosition(std::max(n, count - 2));
    const int32_t limit = units.Scale.Scaled ? RightLimit / 8 : RightLimit;
    const int32_t free = std::max(limit - width, 0);
    if (free == 0)
        return;
    if (alignment == 1 || alignment == 2) {
        const int32_t shift = alignment == 1 ? free / 2 : free;
        for (int32_t i = 0; i <= count; ++i)
            AddToPosition(i, shift);
        return;
    }
    if (!justified || IsLastLine() || EndsWithBreak())
        return;
    int32_t start = 0;
    while (start < n && CharAt(start) == ' ')
        ++start;
    for (int32_t i = 0; i < count; ++i)
        if (CharAt(i) == scTab)
            start = std::max(start, i + 1);
    int32_t spaces = 0;
    for (int32_t i = start; i < n; ++i)
        if (CharAt(i) == ' ')
            ++spaces;
    if (spaces == 0)
        return;
    const int32_t lastWidth = GetCharPosition(count) - GetCharPosition(count - 1);
    // Entry i + 1, the boundary after character i, moves by the share of the
    // spaces among the characters from the start up to i.
    int32_t seen = 0;
    for (int32_t i = start; i < count; ++i) {
        if (i < n && CharAt(i) == ' ')
            ++seen;
        const auto shift = static_cast<int32_t>(DivRoundEven(static_cast<int64_t>(seen) * free, spaces));
        AddToPosition(i + 1, shift);
    }
    SetPosition(count, int64_t{GetCharPosition(count - 1)} + lastWidth);
}

void TLayoutLine::FinishLine()
{
    TDocument& document = DocumentOfParagraph(*FParagraph);
    const TLayoutUnits units = NormalLayoutUnits(document);
    if (CharCount >= 1)
        SetPosFlag(0, GetPosFlag(1));
    AlignLine(units);

    Ascent = units.FromViewX(Ascent);
    Descent = units.FromViewX(Descent);
    TextAscent = units.FromViewX(TextAscent);

    const TParFormat& format = FParagraph->Format;
    const int32_t content = Ascent + Descent;
    Height = ApplyLineSpacing(document, content, TextAscent + Descent, format);
    const bool exact = ExactSpacing(format);
    const bool lastLine = IsLastLine();
    const int32_t paragraphIndex = FParagraph->Index;
    const int32_t story = document.GetStoryOfParagraph(paragraphIndex);
    // A neighbouring paragraph of the same story that is laid out.
    auto neighbour = [&](int32_t index) -> TParagraph* {
        if (index < 0 || index >= document.ParagraphCount() || document.GetStoryOfParagraph(index) != story)
            return nullptr;
        TParagraph& other = document.Paragraphs(index);
        return other.GetLaidOutFlag() && other.GetLineCount() > 0 ? &other : nullptr;
    };
    if (content > Height) {
        Overlap = 1;
        if (exact) {
            TLayoutLine* above = nullptr;
            if (Index > 0)
                above = LineBefore();
            else if (TParagraph* previous = neighbour(paragraphIndex - 1))
                above = AsLayoutLine(&previous->GetLine(previous->GetLineCount() - 1));
            if (above)
                above->Overlap = 1;
        }
    } else if (lastLine) {
        if (TParagraph* next = neighbour(paragraphIndex + 1); next && ExactSpacing(next->Format))
            Overlap = 1;
    }
    if (SlotValue(format[pfLineRule]) == 1 || SlotValue(format[pfLineSpacing]) >= 1)
        Height += document.TwipsToLayout((static_cast<int32_t>(Raise) + Lower) * 20);
    Height += GetSpaceBefore();
    if (lastLine)
        Height += document.TwipsToLayout(SlotValue(format[pfSpaceAfter]));
}

int32_t TLayoutLine::GetSpaceBefore() const
{
    if (CharCount > 0) {
        const uint8_t first = CharAt(0);
        if (first == scSectionBreak || first == scColumnBreak || first == scPageBreak)
            return 0;
    }
    bool first = Index == 0;
    if (Index == 1) {
        const TLayoutLine* before = LineBefore();
        first = before && before->IsBreakOnlyLine();
    }
    if (!first)
        return 0;
    const TDocument* document = FParagraph->GetDocument();
    const int32_t space = SlotValue(FParagraph->Format[pfSpaceBefore]);
    return document ? document->TwipsToLayout(space) : 0;
}

bool TLayoutLine::TryRebuild()
{
    TDocument& document = DocumentOfParagraph(*FParagraph);
    const TLayoutUnits units = NormalLayoutUnits(document);
    const int32_t oldCount = CharCount;
    const int32_t oldLength = ByteLength;
    const uint8_t oldOverlap = Overlap;
    const bool oldHyphenEnd = HyphenEnd != 0;
    // The rest of the line as it stands, given back with the count when the
    // rebuilt line ends elsewhere: painting and hit-testing read the line
    // until the paragraph is laid out again, and its positions must still
    // hold an entry for every character it counts.
    const std::vector<uint32_t> oldPositions(FPositions, FPositions + oldCount + 1);
    const std::vector<TLineTab> oldTabs = FTabs;
    const int32_t oldAscent = Ascent, oldDescent = Descent, oldTextAscent = TextAscent, oldHeight = Height;
    const uint16_t oldRaise = Raise, oldLower = Lower;
    TField* const oldFootnote = FootnoteMark;
    TField* const oldEndnote = EndnoteMark;

    TLineBuildState state;
    FParagraph->ExpandFormatDiff(state.Format, StartFormat);
    if (state.Format[cfSize] != NotSet)
        state.Format[cfSize] = units.ToViewX(state.Format[cfSize]);
    LayoutWorkingState().Format = state.Format;
    SelectRunFont(units, state.Format, rfLineBuilding);
    document.TabManager().PrepareParagraphTabs(FParagraph->Format);
    if (StartByte < 0 || static_cast<int64_t>(StartByte) + oldLength > FParagraph->GetText().Size())
        return false;
    // The line is built over the rest of the text, as the paragraph's layout
    // builds it: where it ends, whether it ends hyphenated, and what a cut
    // back from the next character leaves are then those of a full layout.
    // Built over its old bytes only, it would keep a hyphen after an edit
    // ended the line outside a word, miss one after an edit made its end a
    // hyphenation point, and take no word back from the next line.
    state.Text = FParagraph->GetText().Data() + StartByte;
    state.Remaining = FParagraph->GetText().Size() - StartByte;
    Build(units, state);
    if (CharCount > 0) {
        FinishLine();
        // Exact spacing smaller than the text of the line below makes that
        // line reach into this one; the paragraph's layout marked this line
        // for it when it finished the line below, and rebuilding this line
        // alone must not lose the mark (its painting would clip the glyphs
        // reaching up from below).
        if (ExactSpacing(FParagraph->Format) && !IsLastLine()) {
            const TLayoutLine* below = AsLayoutLine(&FParagraph->GetLine(Index + 1));
            if (below && below->CharCount > 0) {
                const int32_t content = below->Ascent + below->Descent;
                if (content > ApplyLineSpacing(document, content, below->TextAscent + below->Descent,
                                               FParagraph->Format))
                    Overlap = 1;
            }
        }
    }
    if (CharCount > 0 && ByteLength == oldLength)
        return true;
    CharCount = oldCount;
    ByteLength = oldLength;
    Overlap = oldOverlap;
    ResizePositions(oldCount + 1);
    std::copy(oldPositions.begin(), oldPositions.end(), FPositions);
    FTabs = oldTabs;
    Ascent = oldAscent;
    Descent = oldDescent;
    TextAscent = oldTextAscent;
    Height = oldHeight;
    Raise = oldRaise;
    Lower = oldLower;
    HyphenEnd = oldHyphenEnd ? 1 : 0;
    FootnoteMark = oldFootnote;
    EndnoteMark = oldEndnote;
    return false;
}
