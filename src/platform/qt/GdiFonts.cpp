// Fonts: the installed families (through fontconfig, as Qt sees them), the
// font mapper, realisation with metrics from the faces' own tables,
// enumeration, widths, kerning pairs and text output with explicit advances.
#include <QFontDatabase>
#include <QFontInfo>
#include <QGlyphRun>
#include <QGuiApplication>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <unordered_map>

#include "platform/qt/GdiBackend.h"
#include "platform/runtime/CodePages.h"

namespace {

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Face names compare ignoring the case of the letters a to z.
bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

bool NameLess(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = static_cast<unsigned char>(AsciiLower(a[i]));
        const unsigned char cb = static_cast<unsigned char>(AsciiLower(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

std::string Trimmed(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ')
        ++b;
    while (e > b && s[e - 1] == ' ')
        --e;
    return std::string(s.substr(b, e - b));
}

// How far a face is from an upright face of normal weight.
int RegularDistance(const TFontFace& face)
{
    return (face.Italic ? 1000 : 0) + std::abs(face.Weight - 400);
}

// Faces with the same metrics standing in for the usual Windows faces.
struct TMetricSubstitute {
    const char* Requested;
    const char* Installed;
};
const TMetricSubstitute kMetricSubstitutes[] = {
    {"Times New Roman", "Liberation Serif"},
    {"Arial", "Liberation Sans"},
    {"Courier New", "Liberation Mono"},
};

// Qt names a family that several foundries make once per foundry, as
// "Family [Foundry]". The family is one for the program, whichever foundry
// made its faces: the name without the foundry.
QString FamilyOfQtName(const QString& qtName)
{
    if (qtName.endsWith(QLatin1Char(']'))) {
        const qsizetype open = qtName.lastIndexOf(QLatin1String(" ["));
        if (open > 0)
            return qtName.left(open);
    }
    return qtName;
}

struct TFamily {
    std::string Name;  // code page 1252
    // The Qt name whose upright face is the family's regular face, and the Qt
    // names of all the foundries that make faces of the family.
    QString QtName;
    QStringList QtNames;
    std::shared_ptr<TFontFace> Regular;
    std::vector<uint8_t> Charsets;
    uint8_t PitchAndFamily = 0;
    QStringList Styles;
    bool SymbolStandIn = false;  // "Symbol" drawn with a text face (see SymbolEncodingChar)
};

// Text faces that hold the Symbol font's characters, in order of preference.
const char* const kSymbolStandIns[] = {"DejaVu Sans", "DejaVu Serif", "Liberation Serif", "Liberation Sans"};

class TFontDatabase {
public:
    std::recursive_mutex Lock;
    bool Loaded = false;
    std::vector<TFamily> Families;
    std::map<QString, std::shared_ptr<TFontFace>> Faces;
    std::unordered_map<std::string, std::shared_ptr<TRealisedFont>> Realised;
    std::map<uintptr_t, int> ApplicationFonts;

    static TFontDatabase& Instance()
    {
        static TFontDatabase db;
        return db;
    }

    std::shared_ptr<TFontFace> LoadFace(const QString& family, int weight, bool italic)
    {
        const QString key = family + QLatin1Char('|') + QString::number(weight) + (italic ? QStringLiteral("|i") : QString());
        auto it = Faces.find(key);
        if (it != Faces.end())
            return it->second;
        QFont f(family);
        f.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferOutline));
        f.setHintingPreference(QFont::PreferNoHinting);
        f.setKerning(false);
        f.setPixelSize(64);
        f.setWeight(static_cast<QFont::Weight>(weight));
        f.setItalic(italic);
        QRawFont raw = QRawFont::fromFont(f);
        std::shared_ptr<TFontFace> face;
        if (raw.isValid() && raw.familyName().compare(family, Qt::CaseInsensitive) == 0) {
            face = std::make_shared<TFontFace>();
            face->Raw = raw;
            face->Tables = ParseFontTables([&raw](uint32_t tag) {
                const char name[5] = {static_cast<char>(tag >> 24), static_cast<char>(tag >> 16),
                                      static_cast<char>(tag >> 8), static_cast<char>(tag), 0};
                const QByteArray t = raw.fontTable(name);
                return std::string(t.constData(), static_cast<size_t>(t.size()));
            });
            if (!face->Tables.Valid)
                face.reset();
            else {
                face->Weight = raw.weight();
                face->Italic = raw.style() != QFont::StyleNormal;
            }
        }
        Faces[key] = face;
        return face;
    }

    void Load()
    {
        if (Loaded)
            return;
        Loaded = true;
        Families.clear();
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            return;
        for (const QString& qtName : QFontDatabase::families()) {
            if (!QFontDatabase::isScalable(qtName) || QFontDatabase::isPrivateFamily(qtName))
                continue;
            bool lossy = false;
            const QString name16 = FamilyOfQtName(qtName);
            std::string name = FromWide(std::u16string(reinterpret_cast<const char16_t*>(name16.utf16()),
                                                       static_cast<size_t>(name16.size())),
                                        1252, &lossy, '?', false);
            if (lossy || name.empty())
                continue;
            auto face = LoadFace(qtName, 400, false);
            if (!face)
                continue;  // an alias of another family, or an unreadable font
            face->Family = name;
            auto known = std::find_if(Families.begin(), Families.end(),
                                      [&name](const TFamily& f) { return SameName(f.Name, name); });
            if (known != Families.end()) {
                // Another foundry's faces of a family already listed: one
                // family with all their styles, whose regular face is the
                // one nearest an upright normal weight.
                known->QtNames << qtName;
                for (const QString& style : QFontDatabase::styles(qtName))
                    if (!known->Styles.contains(style))
                        known->Styles << style;
                if (RegularDistance(*face) < RegularDistance(*known->Regular)) {
                    known->QtName = qtName;
                    known->Regular = face;
                    known->Charsets = FaceCharsets(face->Tables);
                    known->PitchAndFamily = FacePitchAndFamily(face->Tables);
                }
                continue;
            }
            TFamily fam;
            fam.Name = name;
            fam.QtName = qtName;
            fam.QtNames << qtName;
            fam.Regular = face;
            fam.Charsets = FaceCharsets(face->Tables);
            fam.PitchAndFamily = FacePitchAndFamily(face->Tables);
            fam.Styles = QFontDatabase::styles(qtName);
            Families.push_back(std::move(fam));
        }
        // Documents and bulleted paragraphs name "Symbol"; where it is not
        // installed a text face with its characters stands in, under its name.
        if (!FindFamily("Symbol")) {
            for (const char* name : kSymbolStandIns) {
                const TFamily* base = FindFamily(name);
                if (!base)
                    continue;
                TFamily symbol;
                symbol.Name = "Symbol";
                symbol.QtName = base->QtName;
                symbol.QtNames = base->QtNames;
                symbol.Regular = base->Regular;
                symbol.Charsets = {SYMBOL_CHARSET};
                symbol.PitchAndFamily = VARIABLE_PITCH | FF_DECORATIVE;
                symbol.Styles = base->Styles;
                symbol.SymbolStandIn = true;
                Families.push_back(std::move(symbol));
                break;
            }
        }
        std::stable_sort(Families.begin(), Families.end(),
                         [](const TFamily& a, const TFamily& b) { return NameLess(a.Name, b.Name); });
    }

    const TFamily* FindFamily(std::string_view name)
    {
        for (const TFamily& f : Families) {
            if (SameName(f.Name, name))
                return &f;
            // Names are cut to 31 characters in logical fonts.
            if (name.size() == LF_FACESIZE - 1 && f.Name.size() > name.size() &&
                SameName(std::string_view(f.Name).substr(0, name.size()), name))
                return &f;
        }
        return nullptr;
    }

    // The family of a name Qt gives, with or without its foundry (which may
    // be one whose faces are not listed, such as Type 1 faces).
    const TFamily* FindQtFamily(const QString& qtName)
    {
        const QString family = FamilyOfQtName(qtName);
        for (const TFamily& f : Families)
            if (!f.SymbolStandIn && FamilyOfQtName(f.QtName).compare(family, Qt::CaseInsensitive) == 0)
                return &f;
        return nullptr;
    }

    // The face of the family nearest the weight and slant, among the faces
    // of all its foundries (the first foundry's on a tie).
    std::shared_ptr<TFontFace> LoadFamilyFace(const TFamily& family, int weight, bool italic)
    {
        std::shared_ptr<TFontFace> best;
        int bestDistance = INT_MAX;
        for (const QString& qtName : family.QtNames) {
            std::shared_ptr<TFontFace> face = LoadFace(qtName, weight, italic);
            if (!face)
                continue;
            const int distance = (face->Italic == italic ? 0 : 1000) + std::abs(face->Weight - weight);
            if (distance < bestDistance) {
                best = face;
                bestDistance = distance;
            }
        }
        return best;
    }

    const TFamily* ChooseFamily(const LOGFONT& lf)
    {
        Load();
        if (Families.empty())
            return nullptr;
        const std::string name = Trimmed(lf.lfFaceName);
        const TFamily* fam = name.empty() ? nullptr : FindFamily(name);
        if (!fam && !name.empty()) {
            for (const auto& sub : kMetricSubstitutes)
                if (SameName(name, sub.Requested) && (fam = FindFamily(sub.Installed)))
                    break;
        }
        const uint8_t family = lf.lfPitchAndFamily & 0xF0;
        const bool fixed = (lf.lfPitchAndFamily & 0x03) == FIXED_PITCH || family == FF_MODERN;
        QString generic = QStringLiteral("sans-serif");
        QFont::StyleHint hint = QFont::SansSerif;
        if (fixed) {
            generic = QStringLiteral("monospace");
            hint = QFont::Monospace;
        } else if (family == FF_ROMAN) {
            generic = QStringLiteral("serif");
            hint = QFont::Serif;
        } else if (family == FF_SCRIPT) {
            generic = QStringLiteral("cursive");
            hint = QFont::Cursive;
        } else if (family == FF_DECORATIVE) {
            generic = QStringLiteral("fantasy");
            hint = QFont::Fantasy;
        }
        if (!fam) {
            // fontconfig's choice for the name (its aliases), or its default for the family.
            QFont q(name.empty() ? generic : QString::fromStdString(Utf8FromAnsi(name)));
            q.setStyleHint(hint);
            q.setStyleStrategy(QFont::PreferOutline);
            fam = FindQtFamily(QFontInfo(q).family());
        }
        if (!fam) {
            static const char* const serif[] = {"Liberation Serif", "DejaVu Serif"};
            static const char* const mono[] = {"Liberation Mono", "DejaVu Sans Mono"};
            static const char* const sans[] = {"Liberation Sans", "DejaVu Sans"};
            const char* const* list = fixed ? mono : family == FF_ROMAN ? serif : sans;
            for (int i = 0; i < 2 && !fam; ++i)
                fam = FindFamily(list[i]);
            if (!fam)
                fam = &Families.front();
        }
        // The character set outweighs the name: a face without it gives way to one
        // that has it, of the same family kind when there is one.
        const uint8_t charset = lf.lfCharSet;
        if (charset != DEFAULT_CHARSET && charset != OEM_CHARSET && !fam->Regular->Tables.IsSymbolFont() &&
            !fam->SymbolStandIn &&
            std::find(fam->Charsets.begin(), fam->Charsets.end(), charset) == fam->Charsets.end()) {
            const TFamily* alternative = nullptr;
            for (const TFamily& f : Families) {
                if (std::find(f.Charsets.begin(), f.Charsets.end(), charset) == f.Charsets.end())
                    continue;
                if ((f.PitchAndFamily & 0xF0) == (fam->PitchAndFamily & 0xF0)) {
                    alternative = &f;
                    break;
                }
                if (!alternative)
                    alternative = &f;
            }
            if (alternative)
                fam = alternative;
        }
        return fam;
    }

    void Clear()
    {
        Loaded = false;
        Families.clear();
        Faces.clear();
        Realised.clear();
    }
};

std::string RealisationKey(const LOGFONT& lf, int32_t defaultEm, int dpiX, int dpiY)
{
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, "%d|%d|%d|%d|%d|%d|%d|%d|%d|%d|",
                  lf.lfHeight, lf.lfWidth, lf.lfWeight, lf.lfItalic ? 1 : 0, lf.lfUnderline ? 1 : 0,
                  lf.lfStrikeOut ? 1 : 0, lf.lfCharSet, lf.lfPitchAndFamily, lf.lfHeight == 0 ? defaultEm : 0,
                  dpiX * 10000 + dpiY);
    std::string key(numbers);
    for (char c : Trimmed(lf.lfFaceName))
        key += AsciiLower(c);
    return key;
}

const QRawFont& DrawFont(TRealisedFont& f)
{
    std::lock_guard<std::mutex> lock(f.Lock);
    if (!f.Raw.isValid()) {
        f.Raw = f.Face->Raw;
        f.Raw.setPixelSize(f.Measures.Scale.EmHeight);
    }
    return f.Raw;
}

}  // namespace

std::shared_ptr<TRealisedFont> RealiseFont(const LOGFONT& lf, int32_t defaultEmHeight, int dpiX, int dpiY)
{
    TFontDatabase& db = TFontDatabase::Instance();
    std::lock_guard<std::recursive_mutex> lock(db.Lock);
    const std::string key = RealisationKey(lf, defaultEmHeight, dpiX, dpiY);
    auto it = db.Realised.find(key);
    if (it != db.Realised.end())
        return it->second;

    const TFamily* fam = db.ChooseFamily(lf);
    if (!fam)
        return nullptr;
    const int weight = lf.lfWeight <= 0 ? FW_NORMAL : std::clamp(lf.lfWeight, 1, 1000);
    const bool italic = lf.lfItalic != 0;
    std::shared_ptr<TFontFace> face = db.LoadFamilyFace(*fam, weight, italic);
    if (!face)
        face = fam->Regular;

    auto r = std::make_shared<TRealisedFont>();
    r->Face = face;
    r->FaceName = fam->Name.substr(0, LF_FACESIZE - 1);
    r->SimulatedBold = weight >= FW_SEMIBOLD && face->Weight < FW_SEMIBOLD;
    r->SimulatedItalic = italic && !face->Italic;
    r->Charset = fam->SymbolStandIn ? SYMBOL_CHARSET : ResolveFaceCharset(face->Tables, lf.lfCharSet);

    TFontRealisation req;
    req.Face = &face->Tables;
    req.Height = lf.lfHeight;
    req.Width = lf.lfWidth;
    req.DefaultEmHeight = defaultEmHeight;
    req.Charset = r->Charset;
    req.Weight = r->SimulatedBold ? FW_BOLD : (face->Tables.HasOs2 ? face->Tables.WeightClass : face->Weight);
    req.Italic = italic;
    req.Underline = lf.lfUnderline != 0;
    req.StrikeOut = lf.lfStrikeOut != 0;
    req.DpiX = dpiX;
    req.DpiY = dpiY;
    req.SymbolStandIn = fam->SymbolStandIn;
    r->Measures = MeasureFont(req);

    if (db.Realised.size() >= 512) {
        // Forget realisations nobody holds any more.
        for (auto i = db.Realised.begin(); i != db.Realised.end();)
            i = i->second.use_count() == 1 ? db.Realised.erase(i) : std::next(i);
    }
    db.Realised[key] = r;
    return r;
}

void ClearFontCaches()
{
    TFontDatabase& db = TFontDatabase::Instance();
    std::lock_guard<std::recursive_mutex> lock(db.Lock);
    db.Clear();
}

void RefreshFontDatabase()
{
    ClearFontCaches();
}

uintptr_t AddFontMemResourceEx(const void* data, size_t size, uint32_t* numFonts)
{
    if (numFonts)
        *numFonts = 0;
    if (!data || size == 0 || size > 0x7FFFFFFF || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return 0;
    const int id = QFontDatabase::addApplicationFontFromData(
        QByteArray(static_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (id < 0)
        return 0;
    if (numFonts)
        *numFonts = static_cast<uint32_t>(QFontDatabase::applicationFontFamilies(id).size());
    TFontDatabase& db = TFontDatabase::Instance();
    std::lock_guard<std::recursive_mutex> lock(db.Lock);
    db.Clear();
    const uintptr_t handle = static_cast<uintptr_t>(id) + 1;
    db.ApplicationFonts[handle] = id;
    return handle;
}

bool RemoveFontMemResourceEx(uintptr_t handle)
{
    TFontDatabase& db = TFontDatabase::Instance();
    std::lock_guard<std::recursive_mutex> lock(db.Lock);
    auto it = db.ApplicationFonts.find(handle);
    if (it == db.ApplicationFonts.end())
        return false;
    QFontDatabase::removeApplicationFont(it->second);
    db.ApplicationFonts.erase(it);
    db.Clear();
    return true;
}

HFONT CreateFontIndirect(const LOGFONT& font)
{
    auto f = std::make_shared<TFontObject>();
    f->Log = font;
    if (f->Log.lfFaceName.size() > LF_FACESIZE - 1)
        f->Log.lfFaceName.resize(LF_FACESIZE - 1);
    EnsureGdiCleanup();
    return TGdiRegistry::Instance().Add(std::move(f));
}

HFONT CreateFont(int32_t height, int32_t width, int32_t escapement, int32_t orientation, int32_t weight,
                 uint8_t italic, uint8_t underline, uint8_t strikeOut, uint8_t charset, uint8_t outPrecision,
                 uint8_t clipPrecision, uint8_t quality, uint8_t pitchAndFamily, std::string_view face)
{
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strikeOut;
    lf.lfCharSet = charset;
    lf.lfOutPrecision = outPrecision;
    lf.lfClipPrecision = clipPrecision;
    lf.lfQuality = quality;
    lf.lfPitchAndFamily = pitchAndFamily;
    lf.lfFaceName = std::string(face);
    return CreateFontIndirect(lf);
}

int EnumFontFamiliesEx(HDC dc, const LOGFONT& filter, const TFontEnumProc& proc)
{
    TDc* d = FindDC(dc);
    if (!d || !proc)
        return 0;
    // Snapshot under the lock; the callback may realise fonts itself.
    struct TEntry {
        ENUMLOGFONTEX Font;
        TEXTMETRIC Metrics;
    };
    std::vector<TEntry> entries;
    {
        TFontDatabase& db = TFontDatabase::Instance();
        std::lock_guard<std::recursive_mutex> lock(db.Lock);
        db.Load();
        const std::string wanted = Trimmed(filter.lfFaceName);
        for (const TFamily& fam : db.Families) {
            if (!wanted.empty() && !SameName(fam.Name, wanted))
                continue;
            QStringList styles;
            if (wanted.empty() || fam.Styles.isEmpty())
                styles << QString();
            else
                styles = fam.Styles;
            for (uint8_t charset : fam.Charsets) {
                if (filter.lfCharSet != DEFAULT_CHARSET && filter.lfCharSet != charset)
                    continue;
                for (const QString& style : styles) {
                    TFontRealisation req;
                    req.Face = &fam.Regular->Tables;
                    req.Height = -fam.Regular->Tables.UnitsPerEm;
                    req.Charset = charset;
                    req.Weight = fam.Regular->Tables.HasOs2 ? fam.Regular->Tables.WeightClass : FW_NORMAL;
                    req.DpiX = d->DpiX;
                    req.DpiY = d->DpiY;
                    req.SymbolStandIn = fam.SymbolStandIn;
                    TEntry e;
                    e.Metrics = MeasureFont(req).Metrics;
                    LOGFONT& lf = e.Font.elfLogFont;
                    lf.lfHeight = e.Metrics.tmHeight;
                    lf.lfWidth = e.Metrics.tmAveCharWidth;
                    lf.lfWeight = e.Metrics.tmWeight;
                    lf.lfCharSet = charset;
                    lf.lfOutPrecision = OUT_TT_PRECIS;
                    lf.lfPitchAndFamily = fam.PitchAndFamily;
                    lf.lfFaceName = fam.Name.substr(0, LF_FACESIZE - 1);
                    const std::string styleName = style.isEmpty() ? std::string("Regular") : AnsiFromUtf8(style.toStdString());
                    if (!style.isEmpty()) {
                        const QString lower = style.toLower();
                        if (lower.contains(QLatin1String("bold")))
                            lf.lfWeight = FW_BOLD;
                        lf.lfItalic = lower.contains(QLatin1String("italic")) || lower.contains(QLatin1String("oblique"));
                    }
                    e.Font.elfStyle = styleName;
                    e.Font.elfFullName =
                        style.isEmpty() || styleName == "Regular" || styleName == "Book" ? fam.Name : fam.Name + " " + styleName;
                    e.Font.elfScript = CharsetScriptName(charset);
                    entries.push_back(std::move(e));
                }
            }
        }
    }
    int result = 0;
    for (const TEntry& e : entries) {
        result = proc(e.Font, e.Metrics, TRUETYPE_FONTTYPE);
        if (result == 0)
            break;
    }
    return result;
}

bool GetTextMetrics(HDC dc, TEXTMETRIC* metrics)
{
    TDc* d = FindDC(dc);
    if (!d || !metrics)
        return false;
    auto f = d->Font();
    if (!f)
        return false;
    *metrics = f->Measures.Metrics;
    metrics->tmDigitizedAspectX = d->DpiX;
    metrics->tmDigitizedAspectY = d->DpiY;
    return true;
}

std::string GetTextFace(HDC dc)
{
    TDc* d = FindDC(dc);
    if (!d)
        return {};
    auto f = d->Font();
    return f ? f->FaceName : std::string();
}

int GetTextCharset(HDC dc)
{
    TDc* d = FindDC(dc);
    if (!d)
        return DEFAULT_CHARSET;
    auto f = d->Font();
    return f ? f->Charset : DEFAULT_CHARSET;
}

bool GetCharWidth32(HDC dc, uint32_t first, uint32_t last, int32_t* widths)
{
    TDc* d = FindDC(dc);
    if (!d || !widths || first > last || last > 255)
        return false;
    auto f = d->Font();
    if (!f)
        return false;
    for (uint32_t c = first; c <= last; ++c)
        widths[c - first] = f->Measures.Widths[c];
    return true;
}

uint32_t GetKerningPairs(HDC dc, uint32_t count, KERNINGPAIR* pairs)
{
    TDc* d = FindDC(dc);
    if (!d)
        return 0;
    auto f = d->Font();
    if (!f)
        return 0;
    std::shared_ptr<const std::vector<KERNINGPAIR>> scaled;
    {
        std::lock_guard<std::mutex> lock(f->Lock);
        scaled = f->Kerning;
    }
    if (!scaled) {
        std::shared_ptr<const std::vector<KERNINGPAIR>> design;
        {
            std::lock_guard<std::mutex> lock(f->Face->Lock);
            // By character set: a text face in SYMBOL_CHARSET is the stand-in for "Symbol".
            auto& slot = f->Face->DesignKerning[f->Charset];
            if (!slot)
                slot = std::make_shared<const std::vector<KERNINGPAIR>>(
                    DesignKerningPairs(f->Face->Tables, f->Measures.Glyphs));
            design = slot;
        }
        auto list = std::make_shared<std::vector<KERNINGPAIR>>(*design);
        for (KERNINGPAIR& p : *list)
            p.iKernAmount = f->Measures.Scale.X(p.iKernAmount);
        std::lock_guard<std::mutex> lock(f->Lock);
        f->Kerning = list;
        scaled = list;
    }
    if (!pairs || count == 0)
        return static_cast<uint32_t>(scaled->size());
    const uint32_t n = std::min<uint32_t>(count, static_cast<uint32_t>(scaled->size()));
    std::copy_n(scaled->begin(), n, pairs);
    return n;
}

bool GetTextExtentExPoint(HDC dc, std::string_view text, int32_t maxExtent, int32_t* fit, int32_t* dx, TSize* size)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    auto f = d->Font();
    if (!f)
        return false;
    int64_t x = 0;
    int32_t fitted = 0;
    bool fitting = true;
    for (size_t i = 0; i < text.size(); ++i) {
        x += f->Measures.Widths[static_cast<uint8_t>(text[i])];
        if (dx)
            dx[i] = static_cast<int32_t>(x);
        if (fitting && x <= maxExtent)
            ++fitted;
        else
            fitting = false;
    }
    if (fit)
        *fit = fitted;
    if (size)
        *size = {static_cast<int32_t>(x), f->Measures.Metrics.tmHeight};
    return true;
}

bool GetTextExtentPoint32(HDC dc, std::string_view text, TSize* size)
{
    return GetTextExtentExPoint(dc, text, 0, nullptr, nullptr, size);
}

bool ExtTextOut(HDC dc, int32_t x, int32_t y, uint32_t options, const TRect* rect, std::string_view text,
                const int32_t* dx)
{
    TDc* d = FindDC(dc);
    if (!d)
        return false;
    auto font = d->Font();
    if (!font)
        return false;
    const TFontMeasures& m = font->Measures;
    const size_t n = text.size();
    // Positions are kept within the device coordinate range, however large
    // the advances given.
    std::vector<int32_t> pos(n + 1, 0);
    for (size_t i = 0; i < n; ++i)
        pos[i + 1] = ClampDeviceCoord(int64_t{pos[i]} + (dx ? dx[i] : m.Widths[static_cast<uint8_t>(text[i])]));
    const int32_t total = pos[n];

    TDcState& s = d->State;
    if (s.TextAlign & TA_UPDATECP) {
        x = s.Position.X;
        y = s.Position.Y;
    }
    auto logical = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    int32_t left = x;
    if ((s.TextAlign & TA_CENTER) == TA_CENTER)
        left = logical(int64_t{x} - total / 2);
    else if (s.TextAlign & TA_RIGHT)
        left = logical(int64_t{x} - total);
    int32_t baseline;
    if ((s.TextAlign & TA_BASELINE) == TA_BASELINE)
        baseline = y;
    else if (s.TextAlign & TA_BOTTOM)
        baseline = logical(int64_t{y} - m.Metrics.tmDescent);
    else
        baseline = logical(int64_t{y} + m.Metrics.tmAscent);
    // The current position moves past the text (a centred text leaves it).
    if ((s.TextAlign & TA_UPDATECP) && (s.TextAlign & TA_CENTER) != TA_CENTER)
        s.Position.X = logical((s.TextAlign & TA_RIGHT) ? int64_t{x} - total : int64_t{x} + total);

    QPainter* p = d->Painter();
    if (!p)
        return true;  // nothing to draw on (the screen, an empty bitmap, no page)
    p->save();
    const QPoint origin = d->ToDevice(left, baseline);
    QRect dirty;
    if (rect && (options & (ETO_OPAQUE | ETO_CLIPPED))) {
        const QRect r = d->ToDevice(NormalizedRect(*rect));
        if (options & ETO_OPAQUE) {
            p->fillRect(r, ToQColor(s.BkColor));
            dirty = r;
        }
        if (options & ETO_CLIPPED)
            p->setClipRect(r, p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    const QRect cell =
        DeviceRect(QPoint(origin.x(), ClampDeviceCoord(int64_t{origin.y()} - m.Metrics.tmAscent)), total,
                   m.Metrics.tmHeight)
            .normalized();
    if (s.BkMode == OPAQUE && total != 0)
        p->fillRect(cell, ToQColor(s.BkColor));
    dirty = dirty.united(cell.adjusted(-m.Metrics.tmHeight / 2, 0, m.Metrics.tmHeight / 2, 0));

    if (n > 0) {
        const double stretch = m.Scale.Stretch();
        QVector<quint32> glyphs(static_cast<qsizetype>(n));
        QVector<QPointF> positions(static_cast<qsizetype>(n));
        for (size_t i = 0; i < n; ++i) {
            glyphs[static_cast<qsizetype>(i)] = m.Glyphs[static_cast<uint8_t>(text[i])];
            positions[static_cast<qsizetype>(i)] = QPointF(pos[i] / stretch, 0);
        }
        QGlyphRun run;
        run.setRawFont(DrawFont(*font));
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        p->setPen(ToQColor(s.TextColor));
        p->setRenderHint(QPainter::TextAntialiasing, true);
        p->translate(origin);
        if (stretch != 1.0)
            p->scale(stretch, 1.0);
        if (font->SimulatedItalic)
            p->shear(-0.2, 0);
        p->drawGlyphRun(QPointF(0, 0), run);
        if (font->SimulatedBold)
            p->drawGlyphRun(QPointF(1.0 / stretch, 0), run);
        p->resetTransform();
    }
    const QColor ink = ToQColor(s.TextColor);
    if (m.Metrics.tmUnderlined)
        p->fillRect(DeviceRect(QPoint(origin.x(), ClampDeviceCoord(int64_t{origin.y()} + m.UnderlinePosition)), total,
                               m.UnderlineThickness)
                        .normalized(),
                    ink);
    if (m.Metrics.tmStruckOut)
        p->fillRect(DeviceRect(QPoint(origin.x(), ClampDeviceCoord(int64_t{origin.y()} - m.StrikeoutPosition)), total,
                               m.StrikeoutThickness)
                        .normalized(),
                    ink);
    p->restore();
    d->MarkDirty(dirty);
    return true;
}

bool TextOut(HDC dc, int32_t x, int32_t y, std::string_view text)
{
    return ExtTextOut(dc, x, y, 0, nullptr, text, nullptr);
}
