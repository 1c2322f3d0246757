#include "formats/rtf/ControlWords.h"

#include <array>
#include <cstring>

namespace {

// Sorted in byte order, without duplicates: the position is the keyword index.
constexpr const char* kWords[ControlWordCount] = {
    "aenddoc", "aendnotes", "aftncn", "aftnnalc", "aftnnar", "aftnnauc", "aftnnchi", "aftnnrlc", "aftnnruc",
    "aftnrestart", "aftnrstcont", "aftnsep", "aftnsepc", "aftnstart", "alt", "annotation", "atnauthor", "atnicn",
    "atnid", "atnref", "atntime", "atrfend", "atrfstart", "author", "autosavedorigfmt", "autosavedorigname", "b",
    "bkmkend", "bkmkstart", "blue", "buptim", "caps", "cell", "cellx", "cf", "charscalex", "chftn", "colno",
    "colortbl", "cols", "colsr", "colsx", "column", "colw", "comment", "company", "cpg", "creatim", "cs", "ctrl",
    "datafield", "deflang", "deflangcoding", "deftab", "deleted", "dn", "do", "doccomm", "dptxbxtext", "ds",
    "dskcharnr", "dskparnr", "dy", "embo", "emdash", "emfblip", "endash", "expnd", "expndtw", "f", "facingp", "falt",
    "fcharset", "fdecor", "fet", "fi", "field", "file", "filetbl", "fldinst", "fldrslt", "fmodern", "fn", "fnetwork",
    "fnil", "fontemb", "fontfile", "fonttbl", "footer", "footerf", "footerl", "footerr", "footery", "footnote",
    "fprq", "froman", "fs", "fscript", "fswiss", "ftnalt", "ftnbj", "ftncn", "ftnnalc", "ftnnar", "ftnnauc",
    "ftnnchi", "ftnnrlc", "ftnnruc", "ftnrestart", "ftnrstcont", "ftnrstpg", "ftnsep", "ftnsepc", "ftnstart",
    "ftntj", "green", "header", "headerf", "headerl", "headerr", "headery", "highlight", "hr", "htmautsp",
    "hyphauto", "hyphcaps", "hyphconsec", "hyphhotz", "hyphpar", "i", "impr", "info", "intbl", "jpegblip", "keep",
    "keepn", "keepnoff", "keepoff", "kerning", "keycode", "keywords", "landscape", "lang", "ldblquote", "li", "line",
    "linebetcol", "listtext", "lndscpsxn", "lquote", "mac", "margb", "margbsxn", "margl", "marglsxn", "margmirror",
    "margr", "margrsxn", "margt", "margtsxn", "min", "mo", "nextfile", "nofpages", "nonshppict", "nosupersub",
    "nowidctlpar", "objalias", "objautlink", "objclass", "objdata", "object", "objemb", "objh", "objhtml",
    "objicemb", "objlink", "objname", "objocx", "objpub", "objsect", "objsub", "objtime", "objw", "operator", "outl",
    "page", "pagebb", "pagebboff", "paperh", "paperw", "par", "pard", "pghsxn", "pgncont", "pgndec", "pgnlcltr",
    "pgnlcrm", "pgnrestart", "pgnstarts", "pgnucltr", "pgnucrm", "pgwsxn", "pich", "pichgoal", "picprop",
    "picscalex", "picscaley", "pict", "picw", "picwgoal", "plain", "pn", "pnf", "pngblip", "pnlvlblt", "pnseclvl",
    "pntext", "pntxta", "pntxtb", "printim", "private1", "qc", "qj", "ql", "qr", "rdblquote", "red", "result",
    "revtbl", "revtim", "ri", "row", "rquote", "rxe", "s", "sa", "sb", "sbasedon", "sbkcol", "sbkeven", "sbknone",
    "sbkodd", "sbkpage", "scaps", "sec", "sect", "sectd", "sectfullsaved", "shad", "shift", "shppict", "sl",
    "slmult", "sn", "snext", "sp", "stloverrides", "strike", "striked", "stylesheet", "sub", "subject", "super",
    "sv", "tab", "tb", "tc", "template", "title", "titlepg", "tldot", "tlhyph", "tlul", "tqc", "tqdec", "tqr",
    "trowd", "tx", "txe", "u", "uc", "ud", "ul", "ulc", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave",
    "ulldash", "ulnone", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",
    "ulwave", "up", "upr", "useltbaln", "version", "viewscale", "viewzk", "widctlpar", "widowctrl", "wmetafile",
    "xe", "yr",
};

// The lookup structure: the index of each one-letter word; for each pair of
// first letters the index of the two-letter word and the first and last
// index of the longer words that start with them.
struct TPrefixEntry {
    int32_t Exact = -1;
    int32_t First = -1;
    int32_t Last = -1;
};

struct TLookup {
    std::array<int32_t, 26> OneLetter{};
    std::array<TPrefixEntry, 26 * 26> TwoLetters{};
    std::array<uint8_t, ControlWordCount> Lengths{};

    TLookup()
    {
        OneLetter.fill(-1);
        for (int32_t i = 0; i < ControlWordCount; ++i) {
            const char* word = kWords[i];
            const auto length = static_cast<int32_t>(std::strlen(word));
            Lengths[static_cast<size_t>(i)] = static_cast<uint8_t>(length);
            if (length == 1) {
                OneLetter[static_cast<size_t>(word[0] - 'a')] = i;
                continue;
            }
            TPrefixEntry& entry = TwoLetters[static_cast<size_t>((word[0] - 'a') * 26 + (word[1] - 'a'))];
            if (length == 2) {
                entry.Exact = i;
            } else {
                entry.Last = i;
                if (entry.First == -1)
                    entry.First = i;
            }
        }
    }
};

const TLookup& Lookup()
{
    static const TLookup lookup;
    return lookup;
}

uint8_t LowerLetter(uint8_t b)
{
    if (b >= 'A' && b <= 'Z')
        return static_cast<uint8_t>(b + 32);
    if (b >= 'a' && b <= 'z')
        return b;
    return 0;
}

bool IsParamByte(uint8_t b)
{
    return b == '-' || (b >= '0' && b <= '9');
}

}  // namespace

std::string_view ControlWordText(int32_t index)
{
    if (index < 0 || index >= ControlWordCount)
        return {};
    return kWords[index];
}

int32_t FindControlWord(const TControlToken& token)
{
    const int32_t n = token.Letters;
    if (n <= 0 || !token.Text)
        return -1;
    const TLookup& lookup = Lookup();
    const uint8_t a = LowerLetter(token.Text[0]);
    if (!a)
        return -1;
    if (n == 1)
        return lookup.OneLetter[static_cast<size_t>(a - 'a')];
    const uint8_t b = LowerLetter(token.Text[1]);
    if (!b)
        return -1;
    const TPrefixEntry& entry = lookup.TwoLetters[static_cast<size_t>((a - 'a') * 26 + (b - 'a'))];
    if (n == 2)
        return entry.Exact;
    if (entry.First == -1 || n > 32)
        return -1;
    // The rest of the token's letters, lower-cased.
    uint8_t rest[32];
    for (int32_t i = 2; i < n; ++i) {
        rest[i - 2] = LowerLetter(token.Text[i]);
        if (!rest[i - 2])
            return -1;
    }
    int32_t low = entry.First;
    int32_t high = entry.Last;
    while (low <= high) {
        const int32_t middle = (low + high) / 2;
        const auto* stored = reinterpret_cast<const uint8_t*>(kWords[middle]) + 2;
        int compare = 0;
        for (int32_t i = 0; i < n - 2 && compare == 0; ++i) {
            // The stored word's terminator compares below every letter.
            if (stored[i] != rest[i])
                compare = stored[i] < rest[i] ? -1 : 1;
        }
        // Equal over the token's letters: the stored word must end there.
        if (compare == 0 && lookup.Lengths[static_cast<size_t>(middle)] != n)
            compare = 1;
        if (compare == 0)
            return middle;
        if (compare < 0)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return -1;
}

void ScanControlWord(const uint8_t* text, const uint8_t* end, TControlToken& token)
{
    token.Text = text;
    const uint8_t* p = text;
    while (p < end && LowerLetter(*p))
        ++p;
    token.Letters = static_cast<int32_t>(p - text);
    if (p < end && *p == ' ') {
        token.Length = token.Letters + 1;
        return;
    }
    while (p < end && IsParamByte(*p))
        ++p;
    if (p < end && *p == ' ')
        ++p;
    token.Length = static_cast<int32_t>(p - text);
}

int32_t ControlWordParamLength(const TControlToken& token)
{
    int32_t length = token.Length - token.Letters;
    if (length > 0 && token.Text[token.Length - 1] == ' ')
        --length;
    return length;
}

int32_t ControlWordParam(const TControlToken& token)
{
    // Read from the end backwards: digits with rising powers of ten, a '-'
    // negates and stops, the last letter stops.
    int32_t end = token.Length;
    if (end > token.Letters && token.Text[end - 1] == ' ')
        --end;
    uint32_t value = 0;
    uint32_t power = 1;
    for (int32_t i = end - 1; i >= token.Letters; --i) {
        const uint8_t b = token.Text[i];
        if (b == '-')
            return static_cast<int32_t>(0u - value);
        if (b < '0' || b > '9')
            break;
        value += static_cast<uint32_t>(b - '0') * power;
        power *= 10u;
    }
    return static_cast<int32_t>(value);
}

int32_t ControlWordParamOrOne(const TControlToken& token)
{
    return ControlWordParamLength(token) > 0 ? ControlWordParam(token) : 1;
}

bool IsControlWordStart(const uint8_t* text)
{
    return text[0] == '\\' && LowerLetter(text[1]) != 0;
}

bool IsIgnorableDestination(const uint8_t* text)
{
    return text[1] == '\\' && text[2] == '*';
}

bool IsPlainRtfByte(uint8_t b)
{
    return b >= 32 && b != '\\' && b != '{' && b != '}' && b != 150 && b != 151 && b != 160;
}

int32_t PlainRunLength(const uint8_t* text, int32_t max)
{
    int32_t n = 0;
    while (n < max && IsPlainRtfByte(text[n]))
        ++n;
    return n;
}

uint8_t HexDigitValue(uint8_t b)
{
    if (b >= '0' && b <= '9')
        return static_cast<uint8_t>(b - '0');
    if (b >= 'a' && b <= 'f')
        return static_cast<uint8_t>(b - 'a' + 10);
    if (b >= 'A' && b <= 'F')
        return static_cast<uint8_t>(b - 'A' + 10);
    return 255;
}

int32_t DecodeHexEscapes(const uint8_t* text, int32_t length, uint8_t* dest, int32_t& consumed)
{
    int32_t count = 0;
    int32_t pos = 0;
    while (pos + 4 <= length && text[pos] == '\\' && text[pos + 1] == '\'') {
        const uint8_t high = HexDigitValue(text[pos + 2]);
        const uint8_t low = HexDigitValue(text[pos + 3]);
        // A group with a character that is no digit is no byte at all.
        if (high == 255 || low == 255)
            break;
        dest[count++] = static_cast<uint8_t>(high << 4 | low);
        pos += 4;
    }
    consumed = pos;
    return count;
}

int32_t HexTextToBytes(const uint8_t*& text, uint8_t* dest, int32_t pairs)
{
    int32_t count = 0;
    while (count < pairs) {
        const uint8_t high = HexDigitValue(text[0]);
        if (high == 255)
            break;
        const uint8_t low = HexDigitValue(text[1]);
        if (low == 255)
            break;
        dest[count++] = static_cast<uint8_t>(high << 4 | low);
        text += 2;
    }
    return count;
}

void BytesToHexText(const uint8_t* source, char* dest, int32_t count)
{
    static constexpr char digits[] = "0123456789abcdef";
    for (int32_t i = 0; i < count; ++i) {
        *dest++ = digits[source[i] >> 4];
        *dest++ = digits[source[i] & 15];
    }
}

void EncodeHexEscapes(const uint8_t* source, char* dest, int32_t count)
{
    static constexpr char digits[] = "0123456789abcdef";
    for (int32_t i = 0; i < count; ++i) {
        *dest++ = '\\';
        *dest++ = '\'';
        *dest++ = digits[source[i] >> 4];
        *dest++ = digits[source[i] & 15];
    }
}

uint8_t WriterCharClass(uint8_t b)
{
    if (b < 32)
        return 0;
    if (b == '\\' || b == '{' || b == '}')
        return 2;
    return b < 128 ? 1 : 3;
}

int32_t WritableRunLength(const uint8_t* text, int32_t max)
{
    int32_t n = 0;
    while (n < max && WriterCharClass(text[n]) == 1)
        ++n;
    return n;
}

int32_t HighCharRunLength(const uint8_t* text, int32_t max)
{
    int32_t n = 0;
    while (n < max && WriterCharClass(text[n]) == 3)
        ++n;
    return n;
}
