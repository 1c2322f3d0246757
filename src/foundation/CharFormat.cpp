#include "foundation/CharFormat.h"

#include "platform/runtime/Locale.h"

namespace {

const TFontFamilyResolver* g_FontFamilies = nullptr;

}  // namespace

const TFontFamilyResolver* SetFontFamilyResolver(const TFontFamilyResolver* resolver)
{
    const TFontFamilyResolver* previous = g_FontFamilies;
    g_FontFamilies = resolver;
    return previous;
}

bool SameFontFamily(int32_t fontA, int32_t fontB)
{
    if (fontA == NotSet || fontB == NotSet)
        return false;
    if (fontA == fontB)
        return true;
    if (!g_FontFamilies)
        return false;
    const int32_t familyA = g_FontFamilies->FontFamilyOf(fontA);
    return familyA >= 0 && familyA == g_FontFamilies->FontFamilyOf(fontB);
}

void ClearCharFormat(TCharFormat& format)
{
    for (int32_t& slot : format.Slots)
        slot = NotSet;
}

void ClearParFormat(TParFormat& format)
{
    for (int32_t& slot : format.Slots)
        slot = NotSet;
}

bool CharFormatsEqual(const TCharFormat& a, const TCharFormat& b)
{
    if (a[cfFont] != b[cfFont] && !SameFontFamily(a[cfFont], b[cfFont]))
        return false;
    for (int i = 1; i < TCharFormat::Count; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

void MergeCharFormat(TCharFormat& target, const TCharFormat& other)
{
    if (target[cfFont] != other[cfFont] && !SameFontFamily(target[cfFont], other[cfFont]))
        target[cfFont] = NotSet;
    for (int i = 1; i < TCharFormat::Count; ++i)
        if (target[i] != other[i])
            target[i] = NotSet;
}

void FillUnsetCharFormat(TCharFormat& target, const TCharFormat& source)
{
    for (int i = 0; i < TCharFormat::Count; ++i)
        if (target[i] == NotSet)
            target[i] = source[i];
}

void DiffCharFormat(TCharFormat& target, const TCharFormat& reference)
{
    if (target[cfFont] == reference[cfFont] || SameFontFamily(target[cfFont], reference[cfFont]))
        target[cfFont] = NotSet;
    for (int i = 1; i < TCharFormat::Count; ++i)
        if (target[i] == reference[i])
            target[i] = NotSet;
}

void DiffParFormat(TParFormat& target, const TParFormat& reference)
{
    if (target[pfFirstIndent] == reference[pfFirstIndent] && target[pfLeftIndent] == reference[pfLeftIndent]) {
        target[pfFirstIndent] = NotSet;
        target[pfLeftIndent] = NotSet;
    } else if (target[pfFirstIndent] == 0 && reference[pfFirstIndent] == 0) {
        target[pfFirstIndent] = NotSet;
    }
    if (target[pfLineSpacing] == reference[pfLineSpacing] && target[pfLineRule] == reference[pfLineRule]) {
        target[pfLineSpacing] = NotSet;
        target[pfLineRule] = NotSet;
    }
    for (int i = pfRightIndent; i < TParFormat::Count; ++i)
        if (target[i] == reference[i])
            target[i] = NotSet;
}

bool IsCharFormatEmpty(const TCharFormat& format)
{
    for (int32_t slot : format.Slots)
        if (slot != NotSet)
            return false;
    return true;
}

bool CharFormatHasUnset(const TCharFormat& format)
{
    for (int32_t slot : format.Slots)
        if (slot == NotSet)
            return true;
    return false;
}

bool IsParFormatEmpty(const TParFormat& format)
{
    for (int32_t slot : format.Slots)
        if (slot != NotSet)
            return false;
    return true;
}

bool SameParFormat(const TParFormat& a, const TParFormat& b)
{
    return a == b;
}

TCharFormat& DefaultCharFormat()
{
    static TCharFormat format = [] {
        TCharFormat f;
        f[cfSize] = 24;
        f[cfHorizontalScale] = 100;
        f[cfLanguage] = GetUserDefaultLangID();
        return f;
    }();
    return format;
}

TCharFormat& PresetCharFormat()
{
    static TCharFormat format = DefaultCharFormat();
    return format;
}

TCharFormat& PresetBoldCharFormat()
{
    static TCharFormat format = [] {
        TCharFormat f = DefaultCharFormat();
        f[cfBold] = 1;
        return f;
    }();
    return format;
}

const TCharFormat& UnsetFontCharFormat()
{
    static const TCharFormat format = [] {
        TCharFormat f;
        f[cfFont] = NotSet;
        f[cfSize] = NotSet;
        f[cfHorizontalScale] = 100;
        return f;
    }();
    return format;
}

const TParFormat& DefaultParFormat()
{
    static const TParFormat format = [] {
        TParFormat f;
        f[pfLineSpacing] = 240;
        f[pfLineRule] = 1;
        f[pfTabTable] = -1;
        return f;
    }();
    return format;
}

const TParFormat& BaseStyleParFormat()
{
    static const TParFormat format = [] {
        TParFormat f;
        f[pfFirstIndent] = NotSet;
        f[pfLeftIndent] = NotSet;
        f[pfRightIndent] = NotSet;
        f[pfAlignment] = NotSet;
        f[pfLineSpacing] = 240;
        f[pfLineRule] = 1;
        f[pfWidowControl] = 1;
        f[pfTabTable] = -1;
        return f;
    }();
    return format;
}
