#include "foundation/managers/FontManager.h"

#include "foundation/managers/KerningPairsManager.h"
#include "foundation/MessageAnswers.h"
#include "foundation/settings/RegistryEx.h"
#include "foundation/managers/SharedManagersHost.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"
#include "platform/testing/Testing.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The shell's side as a test sets it: the favourites-only option and what the
// manager tells.
class TFontHost : public TSharedManagersHost {
public:
    TFontHost() : FPrevious(SetSharedManagersHost(this)) {}
    ~TFontHost() override { SetSharedManagersHost(FPrevious); }
    bool FavouriteFontsOnly() override { return FavouritesOnly; }
    void FontsChanged() override { ++Changes; }
    void AddEntropy(uint16_t) override { ++EntropyFed; }
    bool FavouritesOnly = false;
    int Changes = 0;
    int EntropyFed = 0;

private:
    TSharedManagersHost* FPrevious;
};

// A font manager over the test fonts (Liberation, DejaVu and the stand-in
// for Symbol), and a memory device context to realise fonts on. The program's
// default records get their fonts back afterwards.
class FontManagerTest : public testing::Test {
protected:
    FontManagerTest()
        : FSaved{DefaultCharFormat()[cfFont], PresetCharFormat()[cfFont], PresetBoldCharFormat()[cfFont]},
          Fonts(std::make_unique<TFontManager>()), DC(CreateCompatibleDC(nullptr))
    {
    }
    ~FontManagerTest() override
    {
        Fonts.reset();
        DeleteDC(DC);
        DefaultCharFormat()[cfFont] = FSaved[0];
        PresetCharFormat()[cfFont] = FSaved[1];
        PresetBoldCharFormat()[cfFont] = FSaved[2];
    }

    int32_t Font(const char* face) { return Fonts->IndexOfFont(face); }
    TCharFormat Description(int32_t font)
    {
        TCharFormat format = DefaultCharFormat();
        format[cfFont] = font;
        return format;
    }

private:
    int32_t FSaved[3];

protected:
    TFontHost Host;
    std::unique_ptr<TFontManager> Fonts;
    HDC DC;
};

}  // namespace

TEST_F(FontManagerTest, FamiliesAndRegisteredFonts)
{
    ASSERT_GE(Fonts->IndexOfFamily("Liberation Sans"), 0);
    EXPECT_EQ(Fonts->IndexOfFamily("LIBERATION SANS"), Fonts->IndexOfFamily("Liberation Sans"));
    // Every installed family, however many the machine has and whatever their
    // names, is found by its name: by the search over the sorted list and by
    // the plain one, both giving that family.
    ASSERT_GT(Fonts->FamilyCount(), 3);
    for (int32_t i = 0; i < Fonts->FamilyCount(); ++i) {
        const std::string& name = Fonts->Families(i).Name;
        EXPECT_EQ(Fonts->IndexOfFamily(name), i) << name;
        const int32_t font = Fonts->GetFontIndex(name, NotSet, false, 0);
        EXPECT_EQ(Fonts->RegisteredFonts(font).FamilyIndex, i) << name;
        EXPECT_EQ(Fonts->RegisteredFonts(font).Installed, 1) << name;
    }

    // Every family has an installed entry in its own set, and variants in its other sets
    // that share its font number.
    const int32_t sans = Font("Liberation Sans");
    const TRegisteredFont& entry = Fonts->RegisteredFonts(sans);
    EXPECT_EQ(entry.Installed, 1);
    EXPECT_EQ(entry.FamilyIndex, Fonts->IndexOfFamily("Liberation Sans"));
    EXPECT_EQ(entry.RequestedCharset, ANSI_CHARSET);
    const int32_t cyrillic = Fonts->GetFontIndex("Liberation Sans", RUSSIAN_CHARSET, false, 0);
    EXPECT_NE(cyrillic, sans);
    EXPECT_EQ(Fonts->RegisteredFonts(cyrillic).FontNumber, entry.FontNumber);
    EXPECT_EQ(Fonts->RegisteredFonts(cyrillic).CreateCharset, RUSSIAN_CHARSET);

    // Arial and Times New Roman are registered whether installed or not (where they are not,
    // as faces the system will substitute); the program's default records use them.
    EXPECT_EQ(Fonts->RegisteredFonts(Fonts->ArialIndex()).FaceName, "Arial");
    EXPECT_EQ(Fonts->RegisteredFonts(Fonts->ArialIndex()).Installed, Fonts->IndexOfFamily("Arial") >= 0 ? 1 : 0);
    EXPECT_EQ(Fonts->RegisteredFonts(Fonts->TimesIndex()).FaceName, "Times New Roman");
    EXPECT_EQ(Fonts->RegisteredFonts(Fonts->SymbolIndex()).RequestedCharset, SYMBOL_CHARSET);
    EXPECT_EQ(DefaultCharFormat()[cfFont], Fonts->TimesIndex());
    EXPECT_EQ(PresetBoldCharFormat()[cfFont], Fonts->ArialIndex());
}

TEST_F(FontManagerTest, FontIndexByFaceAndCharacterSet)
{
    const int32_t sans = Font("Liberation Sans");
    const int32_t serif = Font("Liberation Serif");
    const int32_t symbol = Fonts->SymbolIndex();
    const int32_t before = Fonts->RegisteredFontCount();
    struct TCase {
        const char* What;
        const char* Face;
        int32_t Charset;
        bool Retry;
        int32_t Expected;
    };
    const TCase cases[] = {
        {"a face with an extra last word, with retry", "Liberation Sans Bold", ANSI_CHARSET, true, sans},
        {"the same ignoring the case of the letters", "liberation sans", ANSI_CHARSET, false, sans},
        {"any character set: the family's first entry", "Liberation Serif", NotSet, false, serif},
        {"a symbol family asked in an ordinary set", "Symbol", ANSI_CHARSET, false, symbol},
        {"the symbol set asked of a text family", "Liberation Serif", SYMBOL_CHARSET, false, serif},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Fonts->GetFontIndex(c.Face, c.Charset, c.Retry, 0), c.Expected) << c.What;
    EXPECT_EQ(Fonts->RegisteredFontCount(), before);  // nothing new was registered

    // Without retry the extra word makes a face of its own, not installed.
    const int32_t bold = Fonts->GetFontIndex("Liberation Sans Bold", ANSI_CHARSET, false, 0x20);
    EXPECT_EQ(bold, before);
    EXPECT_EQ(Fonts->RegisteredFonts(bold).Installed, 0);
    EXPECT_EQ(Fonts->RegisteredFonts(bold).FamilyIndex, -1);

    // A face that is not installed: found again in its set; another set is a variant with
    // the same number; any set means the user's.
    const int32_t missing = Fonts->GetFontIndex("Police Inconnue", ANSI_CHARSET, true, 0x12);
    EXPECT_EQ(Fonts->RegisteredFonts(missing).FaceName, "Police Inconnue");
    EXPECT_EQ(Fonts->GetFontIndex("POLICE INCONNUE", ANSI_CHARSET, true, 0), missing);
    const int32_t greek = Fonts->GetFontIndex("Police Inconnue", GREEK_CHARSET, true, 0);
    EXPECT_NE(greek, missing);
    EXPECT_EQ(Fonts->RegisteredFonts(greek).FontNumber, Fonts->RegisteredFonts(missing).FontNumber);
    // The variant in a later set is found again too (a document read twice
    // does not add a font each time).
    const int32_t count = Fonts->RegisteredFontCount();
    EXPECT_EQ(Fonts->GetFontIndex("Police Inconnue", GREEK_CHARSET, true, 0), greek);
    EXPECT_EQ(Fonts->RegisteredFontCount(), count);
    EXPECT_EQ(Fonts->GetFontIndex("Police Inconnue", NotSet, false, 0), missing);
    EXPECT_EQ(Fonts->IndexOfFont("police inconnue"), missing);
    EXPECT_EQ(Fonts->IndexOfFont("Nulle part"), -1);

    // A document's font table gets its registered fonts.
    std::vector<TDocFontEntry> table = {{"Liberation Serif", GREEK_CHARSET, 2, 0x10, -1},
                                        {"Symbol", ANSI_CHARSET, 2, 0x50, -1}};
    Fonts->RegisterFontTable(table);
    EXPECT_EQ(Fonts->RegisteredFonts(table[0].Index).RequestedCharset, GREEK_CHARSET);
    EXPECT_EQ(Fonts->RegisteredFonts(table[0].Index).FamilyIndex, Fonts->IndexOfFamily("Liberation Serif"));
    EXPECT_EQ(table[1].Index, symbol);
}

TEST_F(FontManagerTest, CharsetVariants)
{
    const int32_t sans = Font("Liberation Sans");
    const int32_t number = Fonts->RegisteredFonts(sans).FontNumber;
    const int32_t symbolNumber = Fonts->RegisteredFonts(Fonts->SymbolIndex()).FontNumber;
    EXPECT_EQ(Fonts->GetCharsetVariant(number, ANSI_CHARSET), sans);
    EXPECT_EQ(Fonts->GetCharsetVariant(number, EASTEUROPE_CHARSET),
              Fonts->GetFontIndex("Liberation Sans", EASTEUROPE_CHARSET, false, 0));
    // A symbol face keeps the symbol set, a text face takes its own for it.
    EXPECT_EQ(Fonts->GetCharsetVariant(symbolNumber, ANSI_CHARSET), Fonts->SymbolIndex());
    EXPECT_EQ(Fonts->GetCharsetVariant(number, SYMBOL_CHARSET), sans);

    // A set the face has no entry for: a copy of its first entry, created in that entry's set.
    const int32_t missing = Fonts->GetFontIndex("Police Inconnue", ANSI_CHARSET, false, 0);
    const int32_t count = Fonts->RegisteredFontCount();
    const int32_t thai = Fonts->GetCharsetVariant(Fonts->RegisteredFonts(missing).FontNumber, THAI_CHARSET);
    EXPECT_EQ(thai, count);
    EXPECT_EQ(Fonts->RegisteredFonts(thai).RequestedCharset, THAI_CHARSET);
    EXPECT_EQ(Fonts->RegisteredFonts(thai).CreateCharset, ANSI_CHARSET);
    EXPECT_EQ(Fonts->GetCharsetVariant(Fonts->RegisteredFonts(missing).FontNumber, THAI_CHARSET), thai);
    EXPECT_EQ(Fonts->GetCharsetVariant(9999, ANSI_CHARSET), -1);
}

TEST_F(FontManagerTest, SharedFontMetricsAndWidths)
{
    TCharFormat serif = Description(Font("Liberation Serif"));
    TSharedFont* font = Fonts->SelectSharedFont(serif, -96, false, true, DC);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(GetTextFace(DC), "Liberation Serif");
    // Liberation Serif at an em of 96 pixels: win ascent 0.891 em, win descent 0.216 em,
    // line gap 0.042 em; "A" advances 0.722 em.
    EXPECT_EQ(font->Ascent, 86);
    EXPECT_EQ(font->Descent, 25);
    EXPECT_EQ(font->Widths['A'], 69);
    EXPECT_EQ(font->GetTextWidth("AV"), font->Widths['A'] + font->Widths['V']);
    EXPECT_EQ(font->GetTextWidth(""), 0);
    EXPECT_EQ(font->Description[cfSize], -96);
    EXPECT_GT(Host.EntropyFed, 0);

    // Half the horizontal scale, about half the widths.
    serif[cfHorizontalScale] = 50;
    TSharedFont* narrow = Fonts->SelectSharedFont(serif, -96, false, true, DC);
    EXPECT_NE(narrow, font);
    EXPECT_NEAR(narrow->Widths['A'], font->Widths['A'] / 2, 2);
    EXPECT_EQ(narrow->Ascent, font->Ascent);
}

TEST_F(FontManagerTest, SubstitutionsAreRecordedOnceAndKept)
{
    // Times New Roman is realised with its metric twin; a face nobody has with the system's
    // choice. Each is recorded once, and later realisations use the same face.
    for (const char* face : {"Times New Roman", "Police Inexistante"}) {
        const int32_t index = Fonts->GetFontIndex(face, ANSI_CHARSET, false, 0);
        TCharFormat format = Description(index);
        Fonts->SelectSharedFont(format, -20, false, true, DC);
        const std::string first = GetTextFace(DC);
        EXPECT_NE(first, face);
        EXPECT_EQ(Fonts->SubstituteOf(face), first);
        const int32_t count = Fonts->SubstitutionCount();
        format[cfBold] = 1;
        Fonts->SelectSharedFont(format, -30, false, true, DC);
        EXPECT_EQ(GetTextFace(DC), first) << face;
        EXPECT_EQ(Fonts->SubstitutionCount(), count) << face;
        LOGFONT lf;
        Fonts->CharFormatToLogFont(format, lf);
        EXPECT_EQ(lf.lfFaceName, first);
        EXPECT_EQ(lf.lfWeight, 700);
    }
    EXPECT_EQ(Fonts->SubstituteOf("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(Fonts->SubstitutionCount(), 2);
}

TEST_F(FontManagerTest, LogicalFontOfADescription)
{
    TCharFormat format = Description(Fonts->GetFontIndex("Liberation Sans", GREEK_CHARSET, false, 0));
    format[cfSize] = -40;
    format[cfItalic] = 1;
    format[cfUnderline] = 1;
    format[cfStrikeOut] = 1;
    LOGFONT lf;
    Fonts->CharFormatToLogFont(format, lf);
    EXPECT_EQ(lf.lfHeight, -40);
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_EQ(lf.lfUnderline, 1);
    EXPECT_EQ(lf.lfStrikeOut, 1);
    EXPECT_EQ(lf.lfCharSet, GREEK_CHARSET);
    EXPECT_EQ(lf.lfFaceName, "Liberation Sans");
    // A face name longer than a logical font holds is cut to 31 characters.
    format[cfFont] = Fonts->GetFontIndex(std::string(40, 'x'), ANSI_CHARSET, false, 0);
    Fonts->CharFormatToLogFont(format, lf);
    EXPECT_EQ(lf.lfFaceName, std::string(31, 'x'));
    // An index that names no registered font falls back on the default font.
    format[cfFont] = 100000;
    Fonts->CharFormatToLogFont(format, lf);
    EXPECT_EQ(lf.lfFaceName, "Times New Roman");
}

TEST_F(FontManagerTest, CacheKeepsFortyFontsAndEvictsTheTenBeforeTheLast)
{
    const TCharFormat sans = Description(Font("Liberation Sans"));
    for (int32_t height = 1; height <= 40; ++height)
        Fonts->SelectSharedFont(sans, -height, false, false, DC);
    ASSERT_EQ(Fonts->SharedFontCount(), 40);
    EXPECT_EQ(Fonts->SharedFonts(0).Description[cfSize], -40);  // the newest first
    EXPECT_EQ(Fonts->SharedFonts(39).Description[cfSize], -1);

    // Asking again for a cached font neither realises nor evicts anything; the colour does
    // not make another font.
    TCharFormat coloured = sans;
    coloured[cfColor] = 6;
    TSharedFont* again = Fonts->SelectSharedFont(coloured, -5, false, true, DC);
    EXPECT_EQ(again->Description[cfSize], -5);
    EXPECT_EQ(again->UseCount, 2);
    EXPECT_EQ(Fonts->CurrentSharedFont(), again);
    EXPECT_EQ(Fonts->Selected, 1);
    EXPECT_EQ(Fonts->SelectSharedFont(sans, -5, false, false, DC), again);
    EXPECT_EQ(again->UseCount, 2);  // the current one counts once
    EXPECT_EQ(Fonts->SharedFontCount(), 40);

    // The 41st distinct font: the 30th to the 39th go, the last stays.
    TSharedFont* bold = Fonts->SelectSharedFont(Description(Font("Liberation Serif")), -12, false, false, DC);
    ASSERT_EQ(Fonts->SharedFontCount(), 31);
    EXPECT_EQ(&Fonts->SharedFonts(0), bold);
    EXPECT_EQ(Fonts->SharedFonts(29).Description[cfSize], -12);  // was 29th (height 12)
    EXPECT_EQ(Fonts->SharedFonts(30).Description[cfSize], -1);   // was the last
    EXPECT_EQ(Fonts->Selected, 1);  // a new font is always selected

    // Sorting puts the most used first.
    Fonts->SelectSharedFont(sans, -30, false, false, DC);
    Fonts->SelectSharedFont(sans, -31, false, false, DC);
    Fonts->SelectSharedFont(sans, -30, false, false, DC);
    Fonts->SortSharedFonts();
    EXPECT_EQ(Fonts->SharedFonts(0).Description[cfSize], -30);
    EXPECT_EQ(Fonts->SharedFonts(0).UseCount, 3);
    EXPECT_EQ(Fonts->SharedFonts(1).UseCount, 2);
}

TEST_F(FontManagerTest, CurrentFontIsSelectedIntoEachContextAskedFor)
{
    const TCharFormat sans = Description(Font("Liberation Sans"));
    Fonts->SelectSharedFont(sans, -20, false, true, DC);
    HDC other = CreateCompatibleDC(nullptr);
    SelectObject(other, GetStockFont(SYSTEM_FONT));
    Fonts->SelectSharedFont(sans, -20, false, true, other);
    EXPECT_EQ(GetTextFace(other), "Liberation Sans");
    DeleteDC(other);
}

TEST_F(FontManagerTest, FavouritesAndFontLists)
{
    TStringList names;
    TSettingsStorage nullStore;
    Fonts->LoadFontHistory(nullStore);
    EXPECT_EQ(Fonts->Favourites().CommaText(), "Arial,\"Times New Roman\",Verdana");
    // No favourite installed: the favourites-only list is empty.
    Fonts->Favourites().Clear();
    Fonts->Favourites().Add("Police absente");
    Host.FavouritesOnly = true;
    Fonts->GetFontNames(names);
    EXPECT_EQ(names.Count(), 0);
    Host.FavouritesOnly = false;
    Fonts->GetFontNames(names);
    ASSERT_EQ(names.Count(), Fonts->FamilyCount());
    for (int32_t i = 0; i < names.Count(); ++i)
        EXPECT_EQ(IntFromObject(names.Objects(i)), i);

    // Installed favourites come first, sorted, then every other family in order.
    const std::string dir = MakeTestDir("fonthistory");
    TRegistryStore store(dir + "/registry");
    {
        TRegistryEx settings(store);
        settings.OpenKey("Preview");
        settings.WriteLongString("FontHistory", "Liberation Serif||Police absente||||DejaVu Sans");
    }
    TRegistryEx settings(store);
    settings.OpenKey("Preview");
    Fonts->LoadFontHistory(settings);
    EXPECT_EQ(Fonts->Favourites().Count(), 3);
    Fonts->GetFontNames(names);
    ASSERT_EQ(names.Count(), Fonts->FamilyCount());
    EXPECT_EQ(names.Strings(0), "DejaVu Sans");
    EXPECT_EQ(names.Strings(1), "Liberation Serif");
    EXPECT_EQ(IntFromObject(names.Objects(1)), Fonts->IndexOfFamily("Liberation Serif"));
    EXPECT_EQ(names.IndexOf("Police absente"), -1);
    int32_t firstOther = 0;
    while (Fonts->Families(firstOther).Name == "DejaVu Sans" || Fonts->Families(firstOther).Name == "Liberation Serif")
        ++firstOther;
    EXPECT_EQ(names.Strings(2), Fonts->Families(firstOther).Name);
    EXPECT_EQ(IntFromObject(names.Objects(2)), firstOther);
    Host.FavouritesOnly = true;
    Fonts->GetFontNames(names);
    EXPECT_EQ(names.CommaText(), "\"DejaVu Sans\",\"Liberation Serif\"");

    Fonts->Favourites().Add("Liberation Mono");
    Fonts->SaveFontHistory(settings);
    EXPECT_EQ(settings.ReadLongString("FontHistory", ""), "DejaVu Sans||Liberation Mono||Liberation Serif||Police absente");
}

TEST_F(FontManagerTest, ValidatingATypedFontName)
{
    TYesNoPresetHost presets;
    const int32_t sans = Font("Liberation Sans");
    const int32_t greekSans = Fonts->GetFontIndex("Liberation Sans", GREEK_CHARSET, false, 0);
    struct TCase {
        const char* What;
        int32_t Slot;
        const char* Typed;
        int32_t Answer;  // to the question, mrNone when none is expected
        bool Result;
        int32_t SlotAfter;  // NotSet - 1: a new registered font
    };
    const int32_t added = NotSet + 1;
    const TCase cases[] = {
        {"an empty name for a set slot", sans, "", mrOk, false, sans},
        {"an empty name for a slot not set", NotSet, "", mrNone, true, NotSet},
        {"an installed face", NotSet, "liberation serif", mrNone, true, Font("Liberation Serif")},
        {"the slot's character set is kept", greekSans, "Liberation Serif", mrNone, true,
         Fonts->GetFontIndex("Liberation Serif", GREEK_CHARSET, false, 0)},
        {"a face with an extra word", NotSet, "Liberation Sans Bold", mrYes, true, sans},
        {"an unknown face, declined", sans, "Police Fantaisie", mrNo, false, sans},
        {"an unknown face, accepted", sans, "Police Fantaisie", mrYes, true, added},
    };
    for (const TCase& c : cases) {
        TMessageAnswers answers;
        if (c.Answer != mrNone)
            answers.Expect(c.Typed[0] ? std::string("La police \"") + c.Typed + "\" est absente"
                                      : std::string("ne peut pas être laissée en blanc"),
                           c.Answer);
        int32_t slot = c.Slot;
        const int32_t count = Fonts->RegisteredFontCount();
        EXPECT_EQ(Fonts->ValidateFontName(slot, c.Typed), c.Result) << c.What;
        if (c.SlotAfter == added) {
            EXPECT_EQ(slot, count) << c.What;
            EXPECT_EQ(Fonts->RegisteredFonts(slot).FaceName, c.Typed);
        } else {
            EXPECT_EQ(slot, c.SlotAfter) << c.What;
        }
    }
}

TEST_F(FontManagerTest, RefreshEmptiesTheCachesAndKeepsTheIndexes)
{
    CreateKerningPairsManager();
    const TCharFormat serif = Description(Fonts->TimesIndex());
    Fonts->SelectSharedFont(serif, -20, false, true, DC);
    GetKerningPairsManager()->SelectKerningPairs(serif, -20, DC);
    const int32_t missing = Fonts->GetFontIndex("Police Inconnue", ANSI_CHARSET, false, 0);
    const int32_t sans = Font("Liberation Sans");
    const int32_t count = Fonts->RegisteredFontCount();
    ASSERT_EQ(Fonts->SubstitutionCount(), 1);

    Fonts->RefreshFonts();
    EXPECT_EQ(Fonts->SharedFontCount(), 0);
    EXPECT_EQ(Fonts->CurrentSharedFont(), nullptr);
    EXPECT_EQ(Fonts->SubstitutionCount(), 0);
    EXPECT_EQ(GetKerningPairsManager()->Count(), 0);
    EXPECT_EQ(CurrentKerningPairs(), nullptr);
    EXPECT_EQ(Host.Changes, 1);
    // Documents keep their font indexes: entries stay where they were.
    EXPECT_EQ(Fonts->RegisteredFontCount(), count);
    EXPECT_EQ(Font("Liberation Sans"), sans);
    EXPECT_EQ(Fonts->RegisteredFonts(missing).FaceName, "Police Inconnue");
    EXPECT_EQ(Fonts->RegisteredFonts(sans).FamilyIndex, Fonts->IndexOfFamily("Liberation Sans"));
    FreeKerningPairsManager();
}

TEST_F(FontManagerTest, ProgramWideManagerTellsFontFamilies)
{
    Fonts.reset();
    CreateFontManager();
    TFontManager& fonts = *GetFontManager();
    const int32_t sans = fonts.IndexOfFont("Liberation Sans");
    const int32_t greekSans = fonts.GetFontIndex("Liberation Sans", GREEK_CHARSET, false, 0);
    EXPECT_TRUE(SameFontFamily(sans, greekSans));
    EXPECT_FALSE(SameFontFamily(sans, fonts.IndexOfFont("Liberation Serif")));
    TCharFormat format = DefaultCharFormat();
    format[cfFont] = fonts.TimesIndex();
    HDC dc = CreateCompatibleDC(nullptr);
    fonts.SelectSharedFont(format, -20, false, true, dc);
    EXPECT_EQ(CurrentSharedFont(), fonts.CurrentSharedFont());
    FreeFontManager();
    EXPECT_EQ(GetFontManager(), nullptr);
    EXPECT_EQ(CurrentSharedFont(), nullptr);
    EXPECT_FALSE(SameFontFamily(sans, greekSans));
    FreeFontManager();  // nothing to free
    DeleteDC(dc);
}
