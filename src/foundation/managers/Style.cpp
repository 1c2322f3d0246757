#include "foundation/managers/Style.h"
#include "foundation/InterfaceTexts.h"

#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/MeasurementsManager.h"
#include "foundation/MessageDlg.h"
#include "foundation/managers/SharedManagersHost.h"
#include "foundation/StringRoutines.h"
#include "foundation/managers/StyleManager.h"
#include "foundation/managers/TabManager.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

bool IsSet(int32_t value)
{
    return value != NotSet;
}

// A length in the user's unit.
std::string Length(int32_t twips)
{
    return FormatTwipsIn(SharedManagersHost().MeasurementUnit(), twips);
}

// Twips as points to the tenth: halved to the nearest whole number (tenths of
// a point), written in the shortest decimal form.
std::string PointsToTenth(int32_t twips)
{
    const int64_t magnitude = std::llabs(int64_t{twips});
    const int64_t tenths = (magnitude + 1) / 2;
    std::string text = twips < 0 && tenths != 0 ? "-" : "";
    text += std::to_string(tenths / 10);
    if (tenths % 10 != 0) {
        text += FormatSettings().DecimalSeparator;
        text += static_cast<char>('0' + tenths % 10);
    }
    return text;
}

// The underline codes in the order of the underline-kind names.
constexpr int32_t UnderlineKindCodes[UnderlineKindNames.Count] = {0,  1,  2,  3,  4,  6,  7,  9,  10,
                                                                  11, 20, 23, 25, 26, 27, 39, 43, 55};

const char* UnderlineName(int32_t code)
{
    for (int32_t i = 0; i < UnderlineKindNames.Count; ++i)
        if (UnderlineKindCodes[i] == code)
            return UnderlineKindNames[i];
    return nullptr;
}

const char* TabKindPattern(uint8_t kind)
{
    return kind < TabAlignNames.Count ? TabAlignNames[kind] : TabAlignNames[tkLeft];
}

class TPhrases {
public:
    void Add(const std::string& phrase)
    {
        if (!FText.empty())
            FText += "; ";
        FText += phrase;
    }
    // "no" when the value is 0, else "yes".
    void AddSwitch(int32_t value, const char* no, const char* yes)
    {
        if (IsSet(value))
            Add(value == 0 ? no : yes);
    }
    const std::string& Text() const { return FText; }

private:
    std::string FText;
};

void DescribeCharFormat(const TCharFormat& f, TPhrases& out)
{
    if (IsSet(f[cfFont])) {
        const TFontManager* fonts = GetFontManager();
        if (const TRegisteredFont* font = fonts ? fonts->FindFont(f[cfFont]) : nullptr)
            out.Add(Format("police : %s", {font->GetFaceName(*fonts)}));
    }
    if (IsSet(f[cfSize]))
        out.Add(Format("taille de la police : %f%s", {f[cfSize] / 2.0, " pt"}));
    out.AddSwitch(f[cfBold], "non gras", "gras");
    out.AddSwitch(f[cfItalic], "non italique", "italique");
    if (IsSet(f[cfStrikeOut])) {
        if (f[cfStrikeOut] == 1)
            out.Add("barré");
        else if (f[cfDoubleStrikeOut] == 0)
            out.Add("non barré");
    }
    if (f[cfDoubleStrikeOut] == 1)
        out.Add("barré double");
    if (IsSet(f[cfUnderline]))
        if (const char* name = UnderlineName(f[cfUnderline]))
            out.Add(name);
    if (IsSet(f[cfUnderlineColor]) && f[cfUnderlineColor] >= 0 && f[cfUnderlineColor] <= BasicColorCount)
        out.Add(AnsiLowerCase(Format("couleur du soulignage : %s", {BasicColorName(f[cfUnderlineColor])})));
    if (IsSet(f[cfSmallCaps]) && f[cfSmallCaps] != 0)
        out.Add("petites majuscules");
    if (IsSet(f[cfAllCaps])) {
        if (f[cfAllCaps] != 0)
            out.Add("majuscules");
        else if (f[cfSmallCaps] == 0)
            out.Add("pas de majuscules");
    }
    out.AddSwitch(f[cfShadow], "pas d'ombre", "ombré");
    out.AddSwitch(f[cfOutline], "pas de contour", "contour");
    out.AddSwitch(f[cfEmboss], "pas de relief", "relief");
    out.AddSwitch(f[cfEngrave], "pas d'empreinte", "empreinte");
    if (IsSet(f[cfColor]) && f[cfColor] >= 0 && f[cfColor] <= BasicColorCount)
        out.Add(AnsiLowerCase(Format("couleur du texte : %s", {BasicColorName(f[cfColor])})));
    switch (f[cfVerticalPosition]) {
    case 0: out.Add("ni indice, ni exposant"); break;
    case 1: out.Add("exposant"); break;
    case 2: out.Add("indice"); break;
    default: break;
    }
    if (IsSet(f[cfHorizontalScale])) {
        if (f[cfHorizontalScale] == 100)
            out.Add("pas d'étirement des caractères");
        else
            out.Add(Format("étirement des caractères : %d%%", {f[cfHorizontalScale]}));
    }
    if (IsSet(f[cfLetterSpacing])) {
        if (f[cfLetterSpacing] == 0)
            out.Add("police sans espacement");
        else
            out.Add(Format("police à espacement : %s%s", {PointsToTenth(f[cfLetterSpacing]), " pt"}));
    }
    if (IsSet(f[cfRaise])) {
        if (f[cfRaise] == 0)
            out.Add("aucun décalage vertical");
        else if (f[cfRaise] < 0)
            out.Add(Format("décalage vers le bas : %d%s", {std::llabs(int64_t{f[cfRaise]}), " pt"}));
        else
            out.Add(Format("décalage vers le haut : %d%s", {f[cfRaise], " pt"}));
    }
    if (IsSet(f[cfKerning])) {
        if (f[cfKerning] == 0)
            out.Add("pas de crénage");
        else
            out.Add(Format("crénage : %d%s et plus", {f[cfKerning] / 2, " pt"}));
    }
}

void DescribeParFormat(const TParFormat& f, const TTabManager* tabs, TPhrases& out)
{
    const int32_t first = f[pfFirstIndent];
    if (IsSet(first)) {
        if (first >= 0)
            out.Add(Format("retrait de 1ère ligne positif : %s", {Length(first)}));
        else
            out.Add(Format("retrait de 1ère ligne négatif : %s", {Length(-first)}));
    }
    if (IsSet(f[pfLeftIndent])) {
        const int32_t left = IsSet(first) && first < 0 ? f[pfLeftIndent] + first : f[pfLeftIndent];
        out.Add(Format("retrait gauche : %s", {Length(left)}));
    }
    if (IsSet(f[pfLineSpacing]) && IsSet(f[pfLineRule])) {
        const int32_t spacing = f[pfLineSpacing];
        if (f[pfLineRule] == 0) {
            const std::string points = PointsToTenth(std::abs(spacing));
            out.Add(Format(spacing > 0 ? "interligne d'au moins : %s%s" : "interligne défini : %s%s",
                           {points, " pt"}));
        } else if (spacing == 240) {
            out.Add("interligne simple");
        } else if (spacing == 360) {
            out.Add("interligne 1,5 ligne");
        } else if (spacing == 480) {
            out.Add("interligne double");
        } else {
            out.Add(Format("interligne multiple : %s", {FloatToStr(spacing / 240.0)}));
        }
    }
    if (IsSet(f[pfRightIndent]))
        out.Add(Format("retrait droit : %s", {Length(f[pfRightIndent])}));
    switch (f[pfAlignment]) {
    case 0: out.Add("alignement à gauche"); break;
    case 1: out.Add("alignement centré"); break;
    case 2: out.Add("alignement à droite"); break;
    case 3: out.Add("alignement justifié"); break;
    default: break;
    }
    out.AddSwitch(f[pfKeepWithNext], "paragraphes non solidaires", "paragraphes solidaires");
    out.AddSwitch(f[pfKeepTogether], "lignes non solidaires", "lignes solidaires");
    out.AddSwitch(f[pfPageBreakBefore], "sans saut de page avant", "saut de page avant");
    out.AddSwitch(f[pfWidowControl], "ignorer veuves et orphelines", "éviter veuves et orphelines");
    if (f[pfNoHyphenation] == 1)
        out.Add("pas de coupe de mots");
    if (IsSet(f[pfSpaceBefore]))
        out.Add(Format("espacement avant paragraphe : %s%s", {PointsToTenth(f[pfSpaceBefore]), " pt"}));
    if (IsSet(f[pfSpaceAfter]))
        out.Add(Format("espacement après paragraphe : %s%s", {PointsToTenth(f[pfSpaceAfter]), " pt"}));
    if (const TTabTable* table = tabs && IsSet(f[pfTabTable]) ? tabs->Tables(f[pfTabTable]) : nullptr) {
        std::string stops;
        for (TTabStop stop : table->StopList()) {
            if (!stops.empty())
                stops += ", ";
            stops += Format(TabKindPattern(TabStopKind(stop)), {Length(TabStopPosition(stop))});
        }
        out.Add(Format("taquets de tabulation : %s", {stops}));
    }
}

}  // namespace

// --- TStyle ---

TStyle::TStyle(TStyleList* list) : Owner(list)
{
    ClearCharFormat(CharFormat);
    ClearParFormat(ParFormat);
}

std::unique_ptr<TStyle> TStyle::CreateCopy(TStyleList* list, const TStyle& source)
{
    auto style = std::make_unique<TStyle>(list);
    style->Assign(source);
    return style;
}

void TStyle::Assign(const TStyle& source)
{
    Standard = source.Standard;
    StandardNumber = source.StandardNumber;
    Name = source.Name;
    DisplayName = source.DisplayName;
    BasedOn = source.BasedOn;
    NextStyle = source.NextStyle;
    HotKey = source.HotKey;
    CharFormat = source.CharFormat;
    ParFormat = source.ParFormat;
}

namespace {

// An indent moved by a first-line indent, formed in 64 bits: values that files
// supply may lie anywhere in 32 bits, and the sum saturates short of the
// not-set value instead of wrapping round.
int32_t ShiftIndent(int32_t indent, int64_t by)
{
    const int64_t sum = int64_t{indent} + by;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, int64_t{NotSet} + 1, std::numeric_limits<int32_t>::max()));
}

}  // namespace

void OverlayParFormat(TParFormat& dest, const TParFormat& source)
{
    const bool sourceFirst = IsSet(source[pfFirstIndent]);
    const bool sourceLeft = IsSet(source[pfLeftIndent]);
    // A first-line indent that is not set is no hanging indent (NotSet is the
    // most negative number and must not be added to the left indent).
    auto hanging = [&dest] { return IsSet(dest[pfFirstIndent]) && dest[pfFirstIndent] < 0; };
    if ((sourceFirst && sourceLeft) || (!IsSet(dest[pfFirstIndent]) && !IsSet(dest[pfLeftIndent]))) {
        dest[pfFirstIndent] = source[pfFirstIndent];
        dest[pfLeftIndent] = source[pfLeftIndent];
    } else if (sourceFirst) {
        if (IsSet(dest[pfLeftIndent]) && hanging())
            dest[pfLeftIndent] = ShiftIndent(dest[pfLeftIndent], dest[pfFirstIndent]);
        dest[pfFirstIndent] = source[pfFirstIndent];
        if (IsSet(dest[pfLeftIndent]) && hanging())
            dest[pfLeftIndent] = ShiftIndent(dest[pfLeftIndent], -int64_t{dest[pfFirstIndent]});
    } else if (sourceLeft) {
        dest[pfLeftIndent] = source[pfLeftIndent];
        if (hanging())
            dest[pfLeftIndent] = ShiftIndent(dest[pfLeftIndent], -int64_t{dest[pfFirstIndent]});
    }
    for (int i = pfLineSpacing; i < TParFormat::Count; ++i)
        if (IsSet(source[i]))
            dest[i] = source[i];
}

void TStyle::GetFullFormat(TCharFormat& charFormat, TParFormat& parFormat, uint32_t flags) const
{
    // The chain, this style first; a style met twice ends it.
    std::vector<const TStyle*> chain{this};
    if (Owner) {
        for (int32_t parent = BasedOn; parent != -1;) {
            const TStyle* style = Owner->Find(parent);
            if (!style || std::find(chain.begin(), chain.end(), style) != chain.end())
                break;
            chain.push_back(style);
            parent = style->BasedOn;
        }
    }

    if (flags & gffStyleOnly) {
        ClearCharFormat(charFormat);
        ClearParFormat(parFormat);
    } else {
        charFormat = DefaultCharFormat();
        parFormat = DefaultParFormat();
        parFormat[pfWidowControl] = 0;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const TStyle& style = **it;
        for (int i = 0; i < TCharFormat::Count; ++i)
            if (IsSet(style.CharFormat[i]))
                charFormat[i] = style.CharFormat[i];
        OverlayParFormat(parFormat, style.ParFormat);
    }
    if (!(flags & gffKeepLanguage))
        charFormat[cfLanguage] = NotSet;
    if (flags & gffStyleOnly) {
        charFormat[cfHighlight] = NotSet;
        parFormat[pfInternal] = NotSet;
    }
}

std::string TStyle::GetDescription(bool full) const
{
    TCharFormat own = CharFormat;
    if (full && BasedOn == -1) {
        if (!IsSet(own[cfFont]))
            own[cfFont] = DefaultCharFormat()[cfFont];
        if (!IsSet(own[cfSize]))
            own[cfSize] = DefaultCharFormat()[cfSize];
    }
    TPhrases phrases;
    DescribeCharFormat(own, phrases);
    DescribeParFormat(ParFormat, Owner ? Owner->TabManager() : nullptr, phrases);
    std::string text = phrases.Text();

    if (full) {
        if (BasedOn != -1 && Owner) {
            if (const TStyle* parent = Owner->Find(BasedOn))
                text = text.empty() ? parent->DisplayName : parent->DisplayName + " + " + text;
        }
        if (HotKey != 0) {
            const std::string key = SharedManagersHost().HotKeyToText(HotKey);
            if (!key.empty()) {
                if (!text.empty())
                    text += '\r';
                text += Format("Raccourci clavier : %s", {key});
            }
        }
    }
    return text;
}

bool TStyle::HasStandardId() const
{
    return StandardNumber != -1 && StandardNumber != 0 && StandardNumber != 28 && StandardNumber != 45 &&
           StandardNumber < 47;
}

// --- TStyleList ---

TStyleList::TStyleList(TDocument* document, TTabManager* tabManager)
    : FDocument(document), FTabManager(tabManager)
{
}

TStyleList::~TStyleList() = default;

TStyle* TStyleList::Find(int32_t index)
{
    return index >= 0 && index < Count() ? FStyles[static_cast<size_t>(index)].get() : nullptr;
}

const TStyle* TStyleList::Find(int32_t index) const
{
    return index >= 0 && index < Count() ? FStyles[static_cast<size_t>(index)].get() : nullptr;
}

int32_t TStyleList::Add(std::unique_ptr<TStyle> style)
{
    style->Owner = this;
    style->ParFormat[pfStyle] = Count();
    FStyles.push_back(std::move(style));
    return Count() - 1;
}

void TStyleList::Delete(int32_t index)
{
    if (index < 0 || index >= Count())
        throw EListError(Format("Indice de liste hors limites (%d)", {index}));
    // The parent the children of the deleted style move to (none when the
    // style named itself or a style that does not exist).
    int32_t parent = (*this)[index].BasedOn;
    if (parent == index || !Find(parent))
        parent = -1;
    for (int32_t i = 0; i < Count(); ++i) {
        if (i == index)
            continue;
        TStyle& style = (*this)[i];
        if (style.BasedOn == index)
            style.BasedOn = parent;
        // Every index behind the deleted one moves down, the new parent too.
        if (style.BasedOn > index)
            --style.BasedOn;
        if (style.NextStyle > index) {
            --style.NextStyle;
        } else if (style.NextStyle == index) {
            // Onto the first style; when the first one goes, onto the style
            // itself at the index it is about to take.
            style.NextStyle = index == 0 ? i - 1 : 0;
        }
    }
    FStyles.erase(FStyles.begin() + index);
    for (int32_t i = 0; i < Count(); ++i)
        (*this)[i].ParFormat[pfStyle] = i;
}

void TStyleList::Clear()
{
    FStyles.clear();
}

void TStyleList::Assign(const TStyleList& source)
{
    if (&source == this)
        return;
    FStyles.clear();
    for (const auto& style : source.FStyles)
        Add(TStyle::CreateCopy(this, *style));
}

int32_t TStyleList::IndexOfName(const std::string& name) const
{
    for (int32_t i = Count() - 1; i >= 0; --i)
        if (CompareTextLocale((*this)[i].Name, name) == 0)
            return i;
    return -1;
}

int32_t TStyleList::IndexOfDisplayName(const std::string& name) const
{
    for (int32_t i = Count() - 1; i >= 0; --i)
        if (CompareTextLocale((*this)[i].DisplayName, name) == 0)
            return i;
    return -1;
}

int32_t TStyleList::IndexOfHotKey(int32_t code) const
{
    for (int32_t i = Count() - 1; i >= 0; --i)
        if ((*this)[i].HotKey == code)
            return i;
    return -1;
}

int32_t TStyleList::IndexOfStandardId(int32_t number) const
{
    for (int32_t i = Count() - 1; i >= 0; --i)
        if ((*this)[i].StandardNumber == number)
            return i;
    return -1;
}

bool TStyleList::HotKeyInUse(int32_t code) const
{
    return code != 0 && IndexOfHotKey(code) != -1;
}

TStyle* TStyleList::GetAncestors(int32_t index, std::vector<int32_t>& chain)
{
    TStyle* style = Find(index);
    if (!style)
        return nullptr;
    std::vector<int32_t> seen{index};
    for (int32_t parent = style->BasedOn; TStyle* next = Find(parent); parent = next->BasedOn) {
        if (std::find(seen.begin(), seen.end(), parent) != seen.end())
            break;
        seen.push_back(parent);
        chain.push_back(parent);
        style = next;
    }
    return style;
}

void TStyleList::GetDerivedStyles(int32_t index, std::vector<int32_t>& derived, bool recursive) const
{
    std::vector<bool> visited(static_cast<size_t>(Count()), false);
    if (index >= 0 && index < Count())
        visited[static_cast<size_t>(index)] = true;
    AddDerived(index, derived, recursive, visited);
}

void TStyleList::AddDerived(int32_t index, std::vector<int32_t>& derived, bool recursive,
                            std::vector<bool>& visited) const
{
    for (int32_t i = 0; i < Count(); ++i) {
        if ((*this)[i].BasedOn != index || visited[static_cast<size_t>(i)])
            continue;
        visited[static_cast<size_t>(i)] = true;  // a loop of based-on styles is walked once
        derived.push_back(i);
        if (recursive)
            AddDerived(i, derived, recursive, visited);
    }
}

void TStyleList::GetDisplayNames(TStrings& names) const
{
    names.Clear();
    for (int32_t i = 0; i < Count(); ++i)
        names.AddObject((*this)[i].DisplayName, ObjectFromInt(i));
}

int32_t TStyleList::GetMemorySize() const
{
    return static_cast<int32_t>(sizeof(TStyle)) * Count() + static_cast<int32_t>(sizeof(TStyleList));
}

// --- Import ---

namespace {

bool Contains(const std::vector<int32_t>& list, int32_t value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

class TStyleImporter {
public:
    TStyleImporter(TImportStylesInfo& request, TStyleList& work, bool confirm)
        : FRequest(request), FSource(*request.Source), FWork(work), FAsking(confirm)
    {
        // Chosen indexes that name no source style are left out.
        for (int32_t s : request.Chosen)
            if (FSource.Find(s))
                FPending.push_back(s);
    }

    void Run()
    {
        while (!FPending.empty())
            Import(FPending.front());
    }

private:
    // Imports source style s and returns its index in the working list.
    int32_t Import(int32_t s)
    {
        std::erase(FPending, s);
        const TStyle& source = FSource[s];
        const int32_t existing = FWork.IndexOfName(source.Name);
        if (existing == -1) {
            const int32_t added = FWork.Add(TStyle::CreateCopy(&FWork, source));
            MapTabTable(FWork[added]);
            FDone.push_back(added);
            FRequest.Added.push_back(added);
            ImportRelatives(FWork[added], source);
            return added;
        }
        if (Contains(FDone, existing) || FRequest.Mode != 1 || FNoToAll)
            return existing;
        if (FRequest.ChosenOnly && !Contains(FRequest.Chosen, s))
            return existing;
        FDone.push_back(existing);
        if (FAsking) {
            const int32_t answer = ShowMessageDlg(
                Format("Voulez-vous remplacer le style \"%s\" présent dans la liste par le style correspondant de "
                       "la liste source ?",
                       {source.DisplayName}),
                mtConfirmation, mbYes | mbNo | mbCancel | mbNoToAll | mbYesToAll);
            switch (answer) {
            case mrYes:
                break;
            case mrYesToAll:
                FAsking = false;
                break;
            case mrNoToAll:
                FNoToAll = true;
                return existing;
            case mrNo:
                return existing;
            default:
                Abort();  // Cancel, or the dialog closed: the whole import ends
            }
        }
        TStyle& target = FWork[existing];
        target.Assign(source);
        target.ParFormat[pfStyle] = existing;
        MapTabTable(target);
        FRequest.Replaced.push_back(existing);
        ImportRelatives(target, source);
        return existing;
    }

    // The based-on and next styles come along; the copy names them by their
    // target indexes. An index that names no source style is dropped.
    void ImportRelatives(TStyle& target, const TStyle& source)
    {
        const int32_t index = target.ParFormat[pfStyle];
        const int32_t basedOn = source.BasedOn;
        const int32_t next = source.NextStyle;
        if (basedOn != -1) {
            const int32_t mapped = FSource.Find(basedOn) ? Import(basedOn) : -1;
            FWork[index].BasedOn = mapped;
        }
        if (next != -1) {
            const int32_t mapped = FSource.Find(next) ? Import(next) : -1;
            FWork[index].NextStyle = mapped;
        }
    }

    // The copied style's tab table, from the source's tab manager into the
    // target's.
    void MapTabTable(TStyle& style)
    {
        int32_t& slot = style.ParFormat[pfTabTable];
        if (slot == NotSet || slot == -1)
            return;
        const TTabManager* from = FSource.TabManager();
        const TTabTable* table = from ? from->Tables(slot) : nullptr;
        TTabManager* to = FWork.TabManager();
        slot = table && to ? to->AddTable(*table) : -1;
    }

    TImportStylesInfo& FRequest;
    const TStyleList& FSource;
    TStyleList& FWork;
    bool FAsking;
    bool FNoToAll = false;
    std::vector<int32_t> FPending;
    std::vector<int32_t> FDone;
};

}  // namespace

bool TStyleList::ImportStyles(TImportStylesInfo& request, bool confirm)
{
    request.Added.clear();
    request.Replaced.clear();
    // The import works on a copy, so that Cancel leaves this list untouched.
    TStyleList work(FDocument, FTabManager);
    work.Assign(*this);
    // The working copy shares the tab manager: the tables the import mapped
    // into it go again when the import is cancelled.
    const int32_t tables = FTabManager ? FTabManager->Count() : 0;
    try {
        TStyleImporter(request, work, confirm).Run();
    } catch (...) {
        if (FTabManager)
            FTabManager->DropTablesFrom(tables);
        throw;
    }

    for (int32_t i = 0; i < work.Count(); ++i) {
        if (i < Count())
            (*this)[i].Assign(work[i]);
        else
            Add(TStyle::CreateCopy(this, work[i]));
    }
    if (TStyleManager* manager = GetStyleManager())
        manager->IdentifyStandardStyles(*this);
    else
        ::IdentifyStandardStyles(*this);
    return true;
}
