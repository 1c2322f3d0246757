#include "foundation/TextTables.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace {

struct TRange {
    int From;
    int To;
};

constexpr TCharClassTable MakeTable(std::initializer_list<TRange> ranges)
{
    TCharClassTable t{};
    for (const TRange& r : ranges)
        for (int c = r.From; c <= r.To; ++c)
            t[c] = true;
    return t;
}

constexpr TCharClassTable Without(TCharClassTable t, std::initializer_list<int> codes)
{
    for (int c : codes)
        t[c] = false;
    return t;
}

constexpr TCharSet MakeSet(std::initializer_list<int> codes)
{
    TCharSet s;
    for (int c : codes)
        s.Include(static_cast<uint8_t>(c));
    return s;
}

// The classes as a non-Spanish locale has them.
constexpr TCharClassTable kDelimiter =
    MakeTable({{2, 13}, {15, 15}, {32, 38}, {40, 47}, {58, 64}, {91, 95}, {123, 126}, {128, 128},
               {132, 133}, {147, 148}, {171, 171}, {187, 187}});
constexpr TCharClassTable kControlCode = MakeTable({{2, 6}});
constexpr TCharClassTable kBreakAfter = MakeTable({{7, 7}, {12, 14}, {32, 32}, {45, 45}});
constexpr TCharClassTable kSentenceEnd = MakeTable({{33, 33}, {46, 46}, {63, 63}});
constexpr TCharClassTable kBlank = MakeTable({{2, 7}, {10, 10}, {32, 32}});
constexpr TCharClassTable kLeadingPunct =
    MakeTable({{2, 7}, {10, 11}, {32, 32}, {35, 36}, {40, 40}, {42, 43}, {45, 45}, {47, 47}, {61, 61},
               {64, 64}, {91, 91}, {94, 95}, {123, 123}, {126, 126}, {128, 128}, {132, 132}, {147, 147},
               {171, 171}});
constexpr TCharClassTable kTrailingPunct =
    MakeTable({{2, 7}, {10, 11}, {15, 15}, {32, 33}, {37, 37}, {41, 47}, {58, 59}, {63, 64}, {93, 95},
               {125, 126}, {148, 148}, {187, 187}});
constexpr TCharClassTable kLeadingPunct2 = Without(kLeadingPunct, {36, 128, 171});
constexpr TCharClassTable kTrailingPunct2 =
    MakeTable({{2, 7}, {10, 11}, {15, 15}, {32, 32}, {41, 47}, {59, 59}, {61, 61}, {64, 64}, {93, 95},
               {125, 126}, {148, 148}});
constexpr TCharClassTable kDigit = MakeTable({{45, 45}, {48, 57}});
constexpr TCharClassTable kDigitBlank = MakeTable({{32, 32}, {45, 45}, {48, 57}});
constexpr TCharClassTable kPlainRtf = Without(MakeTable({{32, 255}}), {92, 123, 125, 150, 151, 160});
constexpr TCharClassTable kInvalidFileName =
    MakeTable({{34, 34}, {42, 42}, {47, 47}, {58, 58}, {60, 60}, {62, 63}, {92, 92}, {124, 124},
               {132, 132}, {147, 148}, {171, 171}, {187, 187}});

constexpr TCharMap MakeLowerCaseMap(bool lettersOnly)
{
    TCharMap m{};
    for (int c = 0; c < 256; ++c) {
        if (c >= 'A' && c <= 'Z')
            m[c] = static_cast<uint8_t>(c + 32);
        else if (c >= 'a' && c <= 'z')
            m[c] = static_cast<uint8_t>(c);
        else
            m[c] = lettersOnly ? 0 : static_cast<uint8_t>(c);
    }
    return m;
}

constexpr TCharMap MakeHexDigitTable()
{
    TCharMap m{};
    for (int c = 0; c < 256; ++c) {
        if (c >= '0' && c <= '9')
            m[c] = static_cast<uint8_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            m[c] = static_cast<uint8_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            m[c] = static_cast<uint8_t>(c - 'A' + 10);
        else
            m[c] = 255;
    }
    return m;
}

constexpr TCharMap MakeMap(std::initializer_list<std::pair<int, int>> entries)
{
    TCharMap m{};
    for (const auto& [from, to] : entries)
        m[from] = static_cast<uint8_t>(to);
    return m;
}

TCapitalsWithoutAccentsQuery g_CapitalsWithoutAccents = nullptr;

}  // namespace

TCharClassTable DelimiterCharTable = kDelimiter;
TCharClassTable DelimiterNoBlankCharTable = Without(kDelimiter, {32});
TCharClassTable ControlCodeCharTable = kControlCode;
TCharClassTable BreakAfterCharTable = kBreakAfter;
TCharClassTable SentenceEndCharTable = kSentenceEnd;
TCharClassTable BlankCharTable = kBlank;
TCharClassTable LeadingPunctCharTable = kLeadingPunct;
TCharClassTable TrailingPunctCharTable = kTrailingPunct;
TCharClassTable LeadingPunctCharTable2 = kLeadingPunct2;
TCharClassTable TrailingPunctCharTable2 = kTrailingPunct2;
TCharClassTable DigitCharTable = kDigit;
TCharClassTable DigitBlankCharTable = kDigitBlank;
TCharClassTable PlainRtfCharTable = kPlainRtf;
TCharClassTable InvalidFileNameCharTable = kInvalidFileName;

const TCharSet InvertedPunctuationSet = MakeSet({161, 191});
const TCharSet QuoteCharSet = MakeSet({34, 39, 96, 132, 145, 146, 147, 148, 171, 187});

const TCharMap LowerCaseMap = MakeLowerCaseMap(false);
const TCharMap LetterLowerCaseMap = MakeLowerCaseMap(true);
const TCharMap HexDigitValueTable = MakeHexDigitTable();
const TCharMap SpecialCharGlyphTable = MakeMap({{2, 182}, {10, 176}, {11, 150}, {12, 151}, {13, 150}, {14, '-'}});
const TCharMap CharToSpecialCodeTable =
    MakeMap({{9, 7}, {11, 5}, {12, 6}, {15, 4}, {16, 11}, {31, 14}, {150, 13}, {151, 12}, {160, 10}});

void BuildTextTables()
{
    BuildTextTables(GetUserDefaultLangID());
}

void BuildTextTables(LANGID userLanguage)
{
    TCharClassTable delimiter = kDelimiter;
    TCharClassTable leading = kLeadingPunct;
    if (PRIMARYLANGID(userLanguage) == LANG_SPANISH) {
        for (int c : {161, 191}) {
            delimiter[c] = true;
            leading[c] = true;
        }
    }
    DelimiterCharTable = delimiter;
    ControlCodeCharTable = kControlCode;
    BreakAfterCharTable = kBreakAfter;
    SentenceEndCharTable = kSentenceEnd;
    BlankCharTable = kBlank;
    LeadingPunctCharTable = leading;
    TrailingPunctCharTable = kTrailingPunct;
    LeadingPunctCharTable2 = kLeadingPunct2;
    TrailingPunctCharTable2 = kTrailingPunct2;
    DigitCharTable = kDigit;
    DigitBlankCharTable = kDigitBlank;
    PlainRtfCharTable = kPlainRtf;
    InvalidFileNameCharTable = kInvalidFileName;
    DelimiterNoBlankCharTable = delimiter;
    DelimiterNoBlankCharTable[32] = false;
}

int GetLanguageKind(LANGID language)
{
    if (PRIMARYLANGID(language) == LANG_FRENCH)
        return 2;
    if (language == 1033)
        return 1;
    return 0;
}

bool IsAlphaNumericChar(LCID locale, uint8_t ch)
{
    return (GetCharTypeFlags(locale, ch) & (C1_ALPHA | C1_DIGIT)) != 0;
}

void MapUpperCase(LCID locale, const char* source, char* destination, int32_t length)
{
    if (length <= 0)
        return;
    const std::string upper = LocaleUpperCase(locale, std::string_view(source, static_cast<size_t>(length)));
    std::memcpy(destination, upper.data(), upper.size());
}

std::string UpperCaseLocale(LCID locale, const std::string& text)
{
    return LocaleUpperCase(locale, text);
}

const char AccentedCapitals[] = "ÀÁÂÈÉÊÌÍÎÒÓÔÙÚÛ";
const char UnaccentedCapitals[] = "AAAEEEIIIOOOUUU";

void RemoveCapitalAccents(const char* source, char* destination, int32_t length)
{
    const auto* first = reinterpret_cast<const uint8_t*>(AccentedCapitals);
    const auto* last = first + (sizeof AccentedCapitals - 1);
    for (int32_t i = 0; i < length; ++i) {
        const auto ch = static_cast<uint8_t>(source[i]);
        const auto* found = std::lower_bound(first, last, ch);
        destination[i] = (found != last && *found == ch) ? UnaccentedCapitals[found - first] : source[i];
    }
}

TCapitalsWithoutAccentsQuery SetCapitalsWithoutAccentsQuery(TCapitalsWithoutAccentsQuery query)
{
    const TCapitalsWithoutAccentsQuery previous = g_CapitalsWithoutAccents;
    g_CapitalsWithoutAccents = query;
    return previous;
}

void UpperCaseForLanguage(const char* source, char* destination, int32_t length, LANGID language)
{
    MapUpperCase(language, source, destination, length);
    if (PRIMARYLANGID(language) == LANG_FRENCH && g_CapitalsWithoutAccents && g_CapitalsWithoutAccents(language))
        RemoveCapitalAccents(destination, destination, length);
}

bool SameTextForLanguage(const char* a, int32_t lengthA, const char* b, int32_t lengthB, LANGID language)
{
    if (lengthA != lengthB)
        return false;
    if (lengthA <= 0)
        return true;
    std::string upperA(static_cast<size_t>(lengthA), '\0');
    std::string upperB(static_cast<size_t>(lengthB), '\0');
    UpperCaseForLanguage(a, upperA.data(), lengthA, language);
    UpperCaseForLanguage(b, upperB.data(), lengthB, language);
    return upperA == upperB;
}

uint8_t UpperCaseCharLocale(uint8_t ch, LCID locale, bool upperCase)
{
    if (!upperCase)
        return ch;
    const char c = static_cast<char>(ch);
    return static_cast<uint8_t>(LocaleUpperCase(locale, std::string_view(&c, 1))[0]);
}

bool CharHasCase(uint8_t ch, LCID locale)
{
    const char c = static_cast<char>(ch);
    return LocaleUpperCase(locale, std::string_view(&c, 1)) != LocaleLowerCase(locale, std::string_view(&c, 1));
}

bool IsUpperCaseChar(uint8_t ch, LCID locale)
{
    return CharHasCase(ch, locale) && UpperCaseCharLocale(ch, locale, true) == ch;
}

const char* const NumberFormatKeywords[NumberFormatCount][NumberFormatLanguageCount] = {
    {"ALPHABETIC", "ALPHABETIQUE", "ALPHABETISCH", "ALFABÉTICO"},
    {"ARABIC", "ARABE", "ARABISCH", "ARÁBIGO"},
    {"CAPS", "INITIALESMAJ", "INITIAL", "MAYÚSCULAS"},
    {"CARDTEXT", "TEXTECARD", "GRUNDTEXT", "CARDTEXTO"},
    {"CHARFORMAT", "FORMATCAR", "ZEICHENFORMAT", "FORMATOCARÁC"},
    {"DOLLARTEXT", "TEXTEMONNAIE", "WÄHRUNGSTEXT", "TEXTOMONEDA"},
    {"FIRSTCAP", "PREMIEREMAJ", "SATZANFANGGROSS", "PRIMERAMAYÚS"},
    {"HEXLOWER", "HEXMINUSCULE", "HEXKLEINBUCHSTABEN", "HEXMINÚS"},
    {"MERGEFORMAT", "FUSIONFORMAT", "FORMATVERBINDEN", "COMFORMATO"},
    {"ORDINAL", "ORDINAL", "ORDNUNGSZAHL", "ORDINAL"},
    {"ORDTEXT", "TEXTEORD", "ORDTEXT", "ORDTEXTO"},
    {"ROMANUPPER", "ROMAINMAJUSCULE", "RÖMISCHGROSSBUCHSTABEN", "ROMANOMAYÚS"},
};

const char* const FieldKeywords[FieldKeywordCount] = {
    "?", "?", "BOOKMARK", "REF", "XE", "FTNREF",
    "SET", "IF", "INDEX", "TC", "STYLEREF", "RD",
    "SEQ", "TOC", "INFO", "TITLE", "SUBJECT", "AUTHOR",
    "KEYWORDS", "COMMENTS", "LASTSAVEDBY", "CREATEDATE", "SAVEDATE", "PRINTDATE",
    "REVNUM", "EDITTIME", "NUMPAGES", "NUMWORDS", "NUMCHARS", "FILENAME",
    "TEMPLATE", "DATE", "TIME", "PAGE", "=", "QUOTE",
    "?", "PAGEREF", "ASK", "FILLIN", "?", "NEXT",
    "NEXTIF", "SKIPIF", "MERGEREC", "DDE", "DDEAUTO", "?",
    "PRINT", "EQ", "?", "MACROBUTTON", "AUTONUMOUT", "AUTONUMLGL",
    "AUTONUM", "?", "LINK", "SYMBOL", "EMBED", "MERGEFIELD",
    "USERNAME", "USERINITIALS", "USERADDRESS", "BARCODE", "DOCVARIABLE", "SECTION",
    "SECTIONPAGES", "INCLUDEPICTURE", "INCLUDETEXT", "FILESIZE", "FORMTEXT", "FORMCHECKBOX",
    "NOTEREF", "TOA", "TA", "MERGESEQ", "?", "PRIVATE",
    "DATABASE", "AUTOTEXT", "COMPARE", "?", "?", "FORMDROPDOWN",
    "ADVANCE", "DOCPROPERTY", "?", "?", "HYPERLINK", "AUTOTEXTLIST",
    "LISTNUM", "?",
};

const char* const DateTimeFormats[DateTimeFormatGroupCount][DateTimeFormatSlotCount] = {
    {"ddddd", "dddddd", "dd MMMM yyyy", "dd/MM/yy", "yyyy-MM-dd", "dd-MMM-yy", "dd.MM.yyyy", "dd MMM. yy",
     "MMMM yy", "MMM-yy", "dd/MM/yyyy HH:mm", "dd/MM/yyyy HH:mm:ss", "dd/MM/yyyy HH:mm tt",
     "dd/MM/yyyy HH:mm:ss tt", "dddd, dd MMMM yyyy, HH:mm", "dddd, dd MMMM yyyy, hh:mm tt",
     "dddd, dd MMMM yyyy, HH:mm:ss", "dddd, dd MMMM yyyy, hh:mm:ss tt", "HH:mm", "HH:mm:ss", "h:mm tt",
     "h:mm:ss tt", "", "", "", "", "", "", "", "", ""},
    {"ddddd", "dddddd", "MMMM dd, yyyy", "dd MMMM yyyy", "M/dd/yy", "yyyy-MM-dd", "dd-MMM-yy", "M.dd.yyyy",
     "MMM. dd, yy", "MMMM yy", "M/dd/yyyy HH:mm", "M/dd/yyyy HH:mm:ss", "M/dd/yyyy HH:mm tt",
     "M/dd/yyyy HH:mm:ss tt", "dddd, MMMM dd, yyyy, HH:mm", "dddd, MMMM dd, yyyy, hh:mm tt",
     "dddd, MMMM dd, yyyy, HH:mm:ss", "dddd, MMMM dd, yyyy, hh:mm:ss tt", "HH:mm", "HH:mm:ss", "h:mm tt",
     "h:mm:ss tt", "", "", "", "", "", "", "", "", ""},
    {"ddddd", "dddddd", "dd/MM/yy", "'le' dd/MM/yy", "dd/MM/yyyy", "'le' dd/MM/yyyy", "dd.MM.yyyy", "dd.MM.yy",
     "yy-MM-dd", "dddd d MMMM yyyy", "dddd, d MMMM yyyy", "dddd, 'le' d MMMM yyyy", "'le' dddd d MMMM yyyy",
     "d MMMM, yyyy", "dd-MMM-yyyy", "dd-MMM-yy", "MMMM yyyy", "dd/MM/yyyy HH:mm:ss",
     "dddd, d MMMM yyyy HH:mm:ss", "dddd, d MMMM yyyy HH:mm", "dddd, hh:mm", "d MMMM yyyy, hh:mm",
     "dd-MMM-yy, hh:mm", "dddd, dd-MMM-yy hh:mm", "dd-MMM-yy, HH:mm", "dd-MMM-yy, HH:mm:ss",
     "dddd d MMMM yyyy, hh:mm", "dddd d MMMM yyyy, hh:mm:ss", "HH:mm", "HH:mm:ss", "hh 'h' mm"},
};

const char* const BuiltInStyleNames[BuiltInStyleCount] = {
    "Normal", "Heading 1", "Heading 2", "Heading 3",
    "Heading 4", "Heading 5", "Heading 6", "Heading 7",
    "Heading 8", "Heading 9", "Index 1", "Index 2",
    "Index 3", "Index 4", "Index 5", "Index 6",
    "Index 7", "Index 8", "Index 9", "TOC 1",
    "TOC 2", "TOC 3", "TOC 4", "TOC 5",
    "TOC 6", "TOC 7", "TOC 8", "TOC 9",
    "Normal Indent", "Footnote Text", "Annotation Text", "Header",
    "Footer", "Index Heading", "Caption", "Table of Figures",
    "Envelope Address", "Envelope Return", "Footnote Reference", "Annotation Reference",
    "Line Number", "Page Number", "Endnote Reference", "Endnote Text",
    "Table of Authorities", "Macro Text", "TOA Heading", "List",
    "List 2", "List 3", "List 4", "List 5",
    "List Bullet", "List Bullet 2", "List Bullet 3", "List Bullet 4",
    "List Bullet 5", "List Number", "List Number 2", "List Number 3",
    "List Number 4", "List Number 5", "Title", "Closing",
    "Signature", "Default Paragraph Font", "Body Text", "Body Text Indent",
    "List Continue", "List Continue 2", "List Continue 3", "List Continue 4",
    "List Continue 5", "Message Header", "Subtitle", "Salutation",
    "Date", "Body Text First Indent", "Body Text First Indent 2", "Note Heading",
    "Body Text 2", "Body Text 3", "Body Text Indent 2", "Body Text Indent 3",
    "Block Text", "Hyperlink", "Followed Hyperlink", "Strong",
    "Emphasis", "Document Map", "Plain Text", "TOC Title",
};

const char* const PictureExtensions[PictureExtensionCount] = {
    "bmp", "emf", "wmf", "jpg", "gif", "png", "tif", "pcd", "pcx", "tga", "ico", "cur", "ani",
};
