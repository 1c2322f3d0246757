#include "document/fields/Field.h"

#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/fields/FieldInstructions.h"
#include "foundation/TextTables.h"
#include "platform/runtime/Locale.h"

#include <algorithm>
#include <array>

namespace {

const std::array<std::string, FieldKindCount>& FieldTypeNames()
{
    static const std::array<std::string, FieldKindCount> names = [] {
        std::array<std::string, FieldKindCount> table;
        table[10] = "Reprise de style";
        table[13] = "Table des matières";
        table[15] = "Titre du document";
        table[16] = "Sujet du document";
        table[17] = "Auteur du document";
        table[18] = "Mots clés";
        table[19] = "Commentaires du document";
        table[20] = "Auteur du dernier enreg.";
        table[21] = "Créé le";
        table[22] = "Date du dernier enreg.";
        table[23] = "Dernière impression";
        table[26] = "Nombre de pages";
        table[27] = "Nombre de mots";
        table[28] = "Nombre de caractères";
        table[29] = "Nom du fichier";
        table[31] = "Date courante";
        table[32] = "Heure actuelle";
        table[33] = "Numéro de page courante";
        table[37] = "Renvoi de page";
        table[57] = "Symbole";
        table[65] = "Numéro de la section courante";
        table[66] = "Nombre de pages de la section";
        table[69] = "Taille du fichier";
        table[88] = "Lien hypertexte";
        table[90] = "Élément de liste";
        return table;
    }();
    return names;
}

// The length of a run of the same character from i.
size_t RunLength(const std::string& text, size_t i)
{
    size_t n = 1;
    while (i + n < text.size() && text[i + n] == text[i])
        ++n;
    return n;
}

std::string TwoDigits(int value)
{
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

bool StartsWith(const std::string& text, size_t i, const char* prefix)
{
    return text.compare(i, std::char_traits<char>::length(prefix), prefix) == 0;
}

LCID CaseLocale()
{
    return GetUserDefaultLCID();
}

}  // namespace

bool FieldTypeInSet(const TFieldTypeSet& set, uint8_t type)
{
    return type < set.size() && set.test(type);
}

const TFieldTypeSet& PageDependentFieldTypes()
{
    static const TFieldTypeSet types = [] {
        TFieldTypeSet set;
        for (int type : {fkStyleRef, fkNumPages, fkPage, fkPageRef, fkSection, fkSectionPages})
            set.set(static_cast<size_t>(type));
        return set;
    }();
    return types;
}

const TFieldTypeSet& LayoutDependentFieldTypes()
{
    static const TFieldTypeSet types = [] {
        TFieldTypeSet set;
        for (int type : {fkStyleRef, fkTitle, fkSubject, fkAuthor, fkKeywords, fkComments, fkLastSavedBy,
                         fkCreateDate, fkSaveDate, fkPrintDate, fkNumPages, fkNumWords, fkNumChars, fkFileName,
                         fkDate, fkTime, fkPage, fkPageRef, fkSection, fkSectionPages, fkFileSize})
            set.set(static_cast<size_t>(type));
        return set;
    }();
    return types;
}

bool IsEndnoteReference(const TField& field)
{
    if (field.Kind == rkNoteReference && field.NoteRecord)
        return field.NoteRecord->Endnote != 0;
    return field.Endnote != 0;
}

const std::string& FieldTypeDisplayName(uint8_t type)
{
    static const std::string none;
    return type < FieldKindCount ? FieldTypeNames()[type] : none;
}

const char NoteSymbols[4] = {'*', '\x86', '\x87', '\xA7'};

bool ClosesFormattedRun(uint8_t kind)
{
    return kind == rkField || kind == rkNoteReference;
}

std::string FormatFieldDateTime(const std::string& picture, TDateTime dateTime, const TFormatSettings& settings)
{
    uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    DecodeDate(dateTime, year, month, day);
    DecodeTime(dateTime, hour, minute, second, msec);
    const int weekDay = DayOfWeek(dateTime) - 1;
    std::string out;
    for (size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == '\'' || c == '"') {
            const size_t end = picture.find(c, i + 1);
            const size_t stop = end == std::string::npos ? picture.size() : end;
            out.append(picture, i + 1, stop - i - 1);
            i = end == std::string::npos ? picture.size() : end + 1;
            continue;
        }
        if (StartsWith(picture, i, "am/pm") || StartsWith(picture, i, "AM/PM")) {
            const bool upper = c == 'A';
            out += hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
            i += 5;
            continue;
        }
        if (StartsWith(picture, i, "a/p") || StartsWith(picture, i, "A/P")) {
            const bool upper = c == 'A';
            out += hour < 12 ? (upper ? 'A' : 'a') : (upper ? 'P' : 'p');
            i += 3;
            continue;
        }
        const size_t n = RunLength(picture, i);
        switch (c) {
        case 'd':
            if (n >= 6)
                out += FormatFieldDateTime(settings.LongDateFormat, dateTime, settings);
            else if (n == 5)
                out += FormatFieldDateTime(settings.ShortDateFormat, dateTime, settings);
            else if (n == 4)
                out += settings.LongDayNames[static_cast<size_t>(std::clamp(weekDay, 0, 6))];
            else if (n == 3)
                out += settings.ShortDayNames[static_cast<size_t>(std::clamp(weekDay, 0, 6))];
            else
                out += n == 2 ? TwoDigits(day) : std::to_string(day);
            break;
        case 'M':
            if (month < 1 || month > 12)
                break;
            if (n >= 4)
                out += settings.LongMonthNames[month - 1u];
            else if (n == 3)
                out += settings.ShortMonthNames[month - 1u];
            else
                out += n == 2 ? TwoDigits(month) : std::to_string(month);
            break;
        case 'y':
            out += n >= 3 ? std::to_string(year) : TwoDigits(year % 100);
            break;
        case 'h': {
            const int twelve = hour % 12 == 0 ? 12 : hour % 12;
            out += n >= 2 ? TwoDigits(twelve) : std::to_string(twelve);
            break;
        }
        case 'H':
            out += n >= 2 ? TwoDigits(hour) : std::to_string(hour);
            break;
        case 'm':
            out += n >= 2 ? TwoDigits(minute) : std::to_string(minute);
            break;
        case 's':
            out += n >= 2 ? TwoDigits(second) : std::to_string(second);
            break;
        case 't': {
            const std::string& text = hour < 12 ? settings.TimeAMString : settings.TimePMString;
            out += n >= 2 ? text : text.substr(0, 1);
            break;
        }
        default:
            out.append(n, c);
            break;
        }
        i += n;
    }
    return out;
}

TField::TField(TDocument* document, uint8_t kind) : Kind(kind), FDocument(document)
{
    if (FDocument)
        FHandle = FDocument->Objects().Add(this);
}

TField::~TField()
{
    if (FDocument)
        FDocument->Objects().Remove(FHandle);
}

void TField::SetDocument(TDocument* document)
{
    if (document == FDocument)
        return;
    TObjectHandle handle = NoObjectHandle;
    if (document)
        handle = document->Objects().Add(this);
    if (FDocument)
        FDocument->Objects().Remove(FHandle);
    FDocument = document;
    FHandle = handle;
}

std::string TField::GetTypeName() const
{
    const std::string& name = FieldTypeDisplayName(Type);
    if (!name.empty())
        return name;
    const size_t blank = Instruction.find(' ');
    return blank == std::string::npos ? std::string() : Instruction.substr(0, blank);
}

std::string TField::FormatNumber(int32_t number, int32_t defaultFormat) const
{
    int32_t style = FieldNumberStyle(Instruction);
    if (style < 0)
        style = defaultFormat > 254 || defaultFormat < 0 ? 0 : defaultFormat;
    return ApplyCaseSwitch(FormatNumberStyled(number, static_cast<uint8_t>(style)));
}

std::string TField::FormatDate(const TFormatSettings& settings, TDateTime dateTime) const
{
    if (dateTime == 0)
        return {};
    std::string picture = ParseDatePicture(Instruction);
    if (picture.empty())
        picture = DocumentHost().DefaultDatePicture(Type == fkTime);
    return ApplyCaseSwitch(FormatFieldDateTime(picture, dateTime, settings));
}

std::string TField::ApplyCaseSwitch(const std::string& text) const
{
    const std::vector<std::string> switches = FieldFormatSwitches(Instruction);
    auto has = [&](const char* name) { return std::find(switches.begin(), switches.end(), name) != switches.end(); };
    if (has("Upper"))
        return LocaleUpperCase(CaseLocale(), text);
    if (has("Lower"))
        return LocaleLowerCase(CaseLocale(), text);
    if (has("FirstCap")) {
        if (text.empty())
            return text;
        return LocaleUpperCase(CaseLocale(), text.substr(0, 1)) + text.substr(1);
    }
    if (has("Caps")) {
        std::string lower = LocaleLowerCase(CaseLocale(), text);
        std::string out;
        out.reserve(lower.size());
        bool wordStart = true;
        for (const char c : lower) {
            const bool separator = DelimiterCharTable[static_cast<uint8_t>(c)];
            out += wordStart && !separator ? static_cast<char>(UpperCaseCharLocale(static_cast<uint8_t>(c),
                                                                                  CaseLocale(), true))
                                           : c;
            wordStart = separator;
        }
        return out;
    }
    return text;
}

bool TField::IsHyperlinkPageRef() const
{
    if (Type != fkPageRef)
        return false;
    bool hasH = false, hasP = false;
    std::string bookmark;
    ParsePageRefField(Instruction, hasH, hasP, bookmark);
    return hasH;
}

bool TField::SetNoteNumber(TDocument& document, int32_t number)
{
    const TNoteNumbering& numbering =
        IsEndnoteReference(*this) ? document.EndnoteNumbering : document.FootnoteNumbering;
    Number = number;
    const int64_t value = static_cast<int64_t>(number) + numbering.Start;
    const int32_t shown = static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
    std::string text;
    switch (numbering.Style) {
    case 0:
        text = FormatNumberStyled(shown, 0);
        break;
    case 1:
        text = FormatNumberStyled(shown, 4);
        break;
    case 2:
        text = FormatNumberStyled(shown, 3);
        break;
    case 3:
        text = FormatNumberStyled(shown, 2);
        break;
    case 4:
        text = FormatNumberStyled(shown, 1);
        break;
    default:
        if (shown > 0) {
            // The symbol at (value - 1) mod 4, repeated ceil(value / 4) times;
            // a note never shows more than a field result holds.
            const int64_t count = std::min<int64_t>((static_cast<int64_t>(shown) + 3) / 4, MaxFieldResultLength);
            text.assign(static_cast<size_t>(count), NoteSymbols[(shown - 1) % 4]);
        }
        break;
    }
    if (text == Result)
        return false;
    Result = text;
    return true;
}
