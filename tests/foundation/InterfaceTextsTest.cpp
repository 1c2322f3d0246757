// The interface text lists: each has the number of entries its users index it
// with, in the order they store, with its first and last texts as the
// program's own.
#include "foundation/InterfaceTexts.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/PaperSizes.h"
#include "foundation/managers/StyleManager.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TTableCase {
    const char* Name;
    int32_t Count;
    int32_t ExpectedCount;
    const char* First;
    const char* Last;
    const char* ExpectedFirst;
    const char* ExpectedLast;
};

template <int32_t N>
TTableCase Case(const char* name, const TStringTable<N>& table, int32_t count, const char* first, const char* last)
{
    return {name, N, count, table[0], table[N - 1], first, last};
}

TEST(InterfaceTextsTest, EveryListHasItsEntriesInOrder)
{
    const TTableCase cases[] = {
        Case("SaveFormatNames", SaveFormatNames, 6, "Document RTF", "Document texte pur DOS"),
        Case("UnderlineKindNames", UnderlineKindNames, 18, "pas de soulignage", "longs tirets de soulignage épais"),
        Case("FileTypeDescriptions", FileTypeDescriptions, 8, "Document Eldravin", "Palette de formats Eldravin"),
        Case("PasteFormatNames", PasteFormatNames, 5, "Texte sans mise en forme", "Image Bitmap"),
        Case("DefaultTemplateFiles", DefaultTemplateFiles, 2, "Normal.rtf", "Brouillon.rtf"),
        Case("DocKindCaptions", DocKindCaptions, 6, "Nouveau document", "Document COD crypté"),
        Case("EditModeNames", EditModeNames, 2, "Insertion", "Refrappe"),
        Case("ZoomModeNames", ZoomModeNames, 4, "Largeur de page", "Deux pages"),
        Case("BreakKindNames", BreakKindNames, 6, "Saut de page", "Saut de section (Page impaire)"),
        Case("HeaderFooterKindNames", HeaderFooterKindNames, 6, "En-tête de page paire", "Pied de première page"),
        Case("ColumnPresetNames", ColumnPresetNames, 8, "1 colonne", "Droite"),
        Case("ApplyToNames", ApplyToNames, 5, "à tout le document", "aux sections sélectionnées"),
        Case("PageRangeKindNames", PageRangeKindNames, 3, "Pages paires et impaires", "Pages paires"),
        Case("PagesPerSheetCaptions", PagesPerSheetCaptions, 2, "Pages par &feuille :", "Pages sur une fa&ce :"),
        Case("PagesPerSheetNames", PagesPerSheetNames, 6, "1 page", "16 pages"),
        Case("ColorElementNames", ColorElementNames, 13, "Texte Auto", "Nouveaux taquets de tabulation"),
        Case("ToolbarNames", ToolbarNames, 4, "Standard", "Aperçu avant impression"),
        Case("MenuNames", MenuNames, 9, "Fichier", "Toutes les commandes"),
        Case("SpecialCharNames", SpecialCharNames, 17, "Tiret cadratin (long)", "Guillemet allemand fermant"),
        Case("FindSpecialNames", FindSpecialNames, 18, "Marque de &paragraphe", "Toute &lettre"),
        Case("TabAlignNames", TabAlignNames, 5, "%s", "%s barre d'alignement"),
        Case("QuoteStyles", QuoteStyles, 4, "\x93 \x94", "\xBB \xAB"),
        Case("AutocorrectRuleNames", AutocorrectRuleNames, 11, "Remplacer\r\n\"%s\" par\r\n\"%s\"",
             "Adresse Internet - la convertir en lien hypertexte"),
        Case("SpellStatusTexts", SpellStatusTexts, 6,
             "Orthographe : l'option de vérification automatique n'est pas active.\r\nUtilisez le clic droit pour "
             "accéder aux options.",
             "Orthographe : vérification en cours.\r\nUtilisez le clic droit pour accéder aux options."),
        Case("GoToTargetNames", GoToTargetNames, 10, "Page", "&Choisir le signet :"),
        Case("UpdateKindNames", UpdateKindNames, 4, "mise à jour majeure", "numéro"),
        Case("NumberBaseNames", NumberBaseNames, 4, "binaire", "romaine"),
        Case("DateFormatSources", DateFormatSources, 2,
             "\"Format de date court\" des options régionales de Windows",
             "\"Format de date long\" des options régionales de Windows"),
        Case("AddressBookCaptions", AddressBookCaptions, 3, "Modifier le carnet d'adresses \"%s\"",
             "Choisir des adresses"),
        Case("AddressEditCaptions", AddressEditCaptions, 2, "Nouvelle adresse", "Modifier l'adresse"),
        Case("DragHints", DragHints, 3,
             "Déplacez votre sélection vers sa destination. Maintenez la touche Ctrl enfoncée si vous ne voulez "
             "que l'y copier.",
             "Choisissez le point d'insertion de la copie..."),
    };
    for (const TTableCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(c.Count, c.ExpectedCount);
        EXPECT_STREQ(c.First, c.ExpectedFirst);
        EXPECT_STREQ(c.Last, c.ExpectedLast);
    }
}

TEST(InterfaceTextsTest, RecordListsAndTheListsKeptBesideTheirValues)
{
    ASSERT_EQ(ColorSchemePresets.Count, 17);
    EXPECT_STREQ(ColorSchemePresets[0].Name, "Standard");
    EXPECT_STREQ(ColorSchemePresets[0].Data, "");
    EXPECT_STREQ(ColorSchemePresets[16].Name, "Arôme Prune");
    // Every scheme's data is whole colours of eight hexadecimal digits.
    for (int32_t i = 0; i < ColorSchemePresets.Count; ++i) {
        const std::string data = ColorSchemePresets[i].Data;
        EXPECT_EQ(data.size() % 8, 0u) << ColorSchemePresets[i].Name;
        EXPECT_EQ(data.find_first_not_of("0123456789ABCDEF"), std::string::npos) << ColorSchemePresets[i].Name;
    }

    ASSERT_EQ(FieldInsertChoices.Count, 23);
    EXPECT_EQ(FieldInsertChoices[7].FieldType, 29);
    EXPECT_STREQ(FieldInsertChoices[7].Switch, "\\p");
    EXPECT_EQ(FieldInsertChoices[21].FormatKind, 67);
    EXPECT_EQ(FieldInsertChoices[22].FormatKind, 48);
    EXPECT_EQ(FieldInsertChoices[22].FieldType, 10);

    ASSERT_EQ(SpellingLanguageOptions.Count, 1);
    ASSERT_EQ(AutocorrectLanguageOptions.Count, 2);
    EXPECT_EQ(AutocorrectLanguageOptions[0].Count, 3);
    EXPECT_EQ(AutocorrectLanguageOptions[1].PrimaryLanguage, 10);

    // The colour names follow the colour table, 0 being the automatic colour.
    EXPECT_EQ(BasicColorName(0), "Automatique");
    EXPECT_EQ(BasicColorName(16), "Gris clair");
    // The built-in styles' French names, 92 of them.
    EXPECT_EQ(StandardStyleDisplayName(0), "Normal");
    EXPECT_EQ(StandardStyleDisplayName(91), "Titre TM");
    // The custom paper size is the last and matches no other.
    EXPECT_STREQ(PaperSizes(CustomPaperSize).Name, "Taille personnalisée");
    EXPECT_EQ(CustomPaperSize, PaperSizeCount - 1);
    for (int32_t i = 0; i < CustomPaperSize; ++i)
        EXPECT_GT(PaperSizes(i).Width, 0);
}

}  // namespace
