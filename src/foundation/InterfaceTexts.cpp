#include "foundation/InterfaceTexts.h"

const TStringTable<6> SaveFormatNames = {{"Document RTF", "Document MS Word 6.0/95", "Document MS Word 97/2000/XP",
                                          "Document COD crypté", "Document texte pur", "Document texte pur DOS"}};

const TStringTable<18> UnderlineKindNames = {{
    "pas de soulignage",
    "soulignage simple",
    "soulignage des mots",
    "soulignage double",
    "soulignage en pointillé",
    "soulignage épais",
    "tirets de soulignage",
    "soulignage trait-point",
    "soulignage trait-point-point",
    "soulignage onduleux",
    "soulignage en pointillé épais",
    "tirets de soulignage épais",
    "soulignage trait-point épais",
    "soulignage trait-point-point épais",
    "soulignage onduleux épais",
    "longs tirets de soulignage",
    "soulignage onduleux double",
    "longs tirets de soulignage épais",
}};

const TStringTable<8> FileTypeDescriptions = {{
    "Document Eldravin",
    "Document Eldravin crypté",
    "Jeu de boutons pour barre d'outils Eldravin",
    "Configuration de barre d'outils Eldravin",
    "Vérificateur orthographique Eldravin",
    "Module sonore Eldravin",
    "Configuration sonore Eldravin",
    "Palette de formats Eldravin",
}};

const TStringTable<5> PasteFormatNames = {{"Texte sans mise en forme", "Texte UNICODE sans mise en forme",
                                           "Texte avec mise en forme (RTF)", "Métafichier", "Image Bitmap"}};

const TStringTable<2> DefaultTemplateFiles = {{"Normal.rtf", "Brouillon.rtf"}};

const TStringTable<6> DocKindCaptions = {{"Nouveau document", "Modèle de document", "Copie de secours disponible",
                                          "Document restauré (copie de secours)", "Aperçu avant impression",
                                          "Document COD crypté"}};

const TStringTable<2> EditModeNames = {{"Insertion", "Refrappe"}};

const TStringTable<4> ZoomModeNames = {{"Largeur de page", "Largeur du texte", "Pages entières", "Deux pages"}};

const TStringTable<6> BreakKindNames = {{"Saut de page", "Saut de colonne", "Saut de section (Continu)",
                                         "Saut de section (Page suivante)", "Saut de section (Page paire)",
                                         "Saut de section (Page impaire)"}};

const TStringTable<6> HeaderFooterKindNames = {{"En-tête de page paire", "En-tête de page impaire",
                                                "Pied de page paire", "Pied de page impaire",
                                                "En-tête de première page", "Pied de première page"}};

const TStringTable<8> ColumnPresetNames = {
    {"1 colonne", "3 colonnes", "5 colonnes", "Gauche", "2 colonnes", "4 colonnes", "6 colonnes", "Droite"}};

const TStringTable<5> ApplyToNames = {{"à tout le document", "à partir de ce point", "à la sélection",
                                       "à cette section", "aux sections sélectionnées"}};

const TStringTable<3> PageRangeKindNames = {{"Pages paires et impaires", "Pages impaires", "Pages paires"}};

const TStringTable<2> PagesPerSheetCaptions = {{"Pages par &feuille :", "Pages sur une fa&ce :"}};

const TStringTable<6> PagesPerSheetNames = {{"1 page", "2 pages", "4 pages", "6 pages", "8 pages", "16 pages"}};

const TStringTable<13> ColorElementNames = {{
    "Texte Auto",
    "Marques de mise en forme",
    "Arrière-plan de page",
    "Limite de marge de page",
    "Espace intercalaire entre 2 pages",
    "Contour et ombrage des pages",
    "Arrière-plan de la règle",
    "Marges de la règle",
    "Centre de la règle",
    "Texte de la règle",
    "Taquets de tabulation",
    "Taquets de tabulation grisés",
    "Nouveaux taquets de tabulation",
}};

const TStringTable<4> ToolbarNames = {{"Standard", "Mise en forme", "Complémentaire", "Aperçu avant impression"}};

const TStringTable<9> MenuNames = {{"Fichier", "Edition", "Affichage", "Insertion", "Format", "Outils",
                                    "Fenêtre et Aide", "Commandes de menu spéciales", "Toutes les commandes"}};

const TStringTable<17> SpecialCharNames = {{
    "Tiret cadratin (long)",
    "Tiret demi-cadratin (court)",
    "Trait d'union insécable",
    "Trait d'union conditionnel",
    "Espace insécable",
    "Copyright",
    "Marque déposée",
    "Marque",
    "Points de suspension",
    "Guillemet français ouvrant",
    "Guillemet français fermant",
    "Guillemet anglais ouvrant",
    "Guillemet anglais fermant",
    "Guillemet américain ouvrant",
    "Guillemet américain fermant",
    "Guillemet allemand ouvrant",
    "Guillemet allemand fermant",
}};

const TStringTable<18> FindSpecialNames = {{
    "Marque de &paragraphe",
    "Saut de lig&ne",
    "Saut de c&olonne",
    "Saut de pa&ge",
    "Saut de sec&tion",
    "Ta&bulation",
    "&Image",
    "Ob&jet",
    "Appel &de note",
    "&Espace insécable",
    "Trait d'&union insécable",
    "Trait d'union &conditionnel",
    "Tiret c&adratin (long)",
    "Tiret de&mi-cadratin (court)",
    "&Signe ^",
    "Tout ca&ractère",
    "Tout c&hiffre",
    "Toute &lettre",
}};

const TStringTable<5> TabAlignNames = {
    {"%s", "%s centré", "%s aligné à droite", "%s alignement décimal", "%s barre d'alignement"}};

const TStringTable<4> QuoteStyles = {{"“ ”", "« »", "„ “", "» «"}};

const TStringTable<11> AutocorrectRuleNames = {{
    "Remplacer\r\n\"%s\" par\r\n\"%s\"",
    "Deux majuscules initiales - Corriger",
    "Utilisation erronée de la touche vERR.mAJ. - Corriger",
    "Caractère en début de phrase - Mettre en majuscule",
    "Remplacer les guillemets \" \"\r\npar des guillemets %s",
    "Espace(s) ou tabulation(s) superflue(s) - Supprimer",
    "Espace manquante - Insérer une espace",
    "Remplacer l'espace ordinaire\r\npar une espace insécable",
    "Ordinal - Mettre l'abréviation en exposant",
    "Fraction - Mettre en indice et exposant (½)",
    "Adresse Internet - la convertir en lien hypertexte",
}};

const TStringTable<6> SpellStatusTexts = {{
    "Orthographe : l'option de vérification automatique n'est pas active.\r\n"
    "Utilisez le clic droit pour accéder aux options.",
    "La vérification automatique de l'orthographe ne commencera que quand des changements seront apportés au "
    "présent document.\r\n"
    "Donnez un double clic sur l'icône du vérificateur orthographique (livre ouvert dans la barre d'état "
    "ci-dessous)\r\n"
    "pour démarrer la vérification automatique de l'orthographe.",
    "Orthographe : vérification automatique terminée. Aucune erreur à signaler.",
    "Orthographe : vérification automatique terminée. Certains mots n'ont \r\n"
    "<aucune> indication de langue ou bien n'ont pas de vérificateur adéquat disponible.\r\n"
    "Donnez un clic droit sur les mots soulignés d'un trait ondulé pour accéder aux suggestions "
    "orthographiques.\r\n"
    "Donnez un double clic sur l'icône du vérificateur orthographique (livre ouvert dans la barre d'état "
    "ci-dessous) pour accéder à la correction suivante.",
    "Orthographe : vérification automatique terminée. Possibles erreurs d'orthographe.\r\n"
    "Donnez un clic droit sur les mots soulignés d'un trait ondulé pour accéder aux suggestions "
    "orthographiques.\r\n"
    "Donnez un double clic sur l'icône du vérificateur orthographique (livre ouvert dans la barre d'état "
    "ci-dessous) pour accéder à la correction suivante.",
    "Orthographe : vérification en cours.\r\n"
    "Utilisez le clic droit pour accéder aux options.",
}};

const TStringTable<10> GoToTargetNames = {{"Page", "&Numéro de la page :", "Section", "&Numéro de la section :",
                                           "Paragraphe", "&Numéro du paragraphe :", "Ligne",
                                           "&Numéro de la ligne :", "Signet", "&Choisir le signet :"}};

const TStringTable<4> UpdateKindNames = {
    {"mise à jour majeure", "mise à jour mineure", "version de maintenance", "numéro"}};

const TStringTable<4> NumberBaseNames = {{"binaire", "octale", "hexadécimale", "romaine"}};

const TStringTable<2> DateFormatSources = {{"\"Format de date court\" des options régionales de Windows",
                                            "\"Format de date long\" des options régionales de Windows"}};

const TStringTable<3> AddressBookCaptions = {
    {"Modifier le carnet d'adresses \"%s\"", "Choisir une adresse", "Choisir des adresses"}};

const TStringTable<2> AddressEditCaptions = {{"Nouvelle adresse", "Modifier l'adresse"}};

const TStringTable<3> DragHints = {{
    "Déplacez votre sélection vers sa destination. Maintenez la touche Ctrl enfoncée si vous ne voulez que l'y "
    "copier.",
    "Choisissez un emplacement vers où copier ou déplacer votre sélection...",
    "Choisissez le point d'insertion de la copie...",
}};

const TTextTable<TColorSchemePreset, 17> ColorSchemePresets = {{
    {"Standard", ""},
    {"Le Grand Bleu",
     "00FFFF0000FFFFFF0080000000E0C1B800F1A99400FFFFFF00CA0E0400B8941600C4B65500FD1C540000FFFF00808080FFFFFFFF"},
    {"Humeur Moutarde",
     "00FF000000FFFF000099C6C8006262620000800000C0C0C000ABB72000BBE16A00D9D373000000FFFFFFFFFF0000FFFFFFFFFFFF"},
    {"Salade de Tomates",
     "00D6D66D00FFFFFF000404DB00FFFFFF000000800000FFFF0031B5CC003AB14D0097CC80000112E2000000000000FFFF00FFFF00"},
    {"Couleur Concombre",
     "00800000008000000094B8270000FFFF00EEC41C00808000007ABB4F006488700086DF6C008000000000000000808080000000FF"},
    {"Le Silence du Titanic",
     "008000000080000000C0C0C00040404000DDDFDB008080000097919100B3ACAC00CBC9C90068686800FF000000FFFFFF000000FF"},
    {"Brumes et Lilas",
     "FFFFFFFFFFFFFFFF00F1C5C60049370C00EB7A9E00CD3A6A00E3C99DFFFFFFFF00C5B127FFFFFFFFFFFFFFFF00FFFF00"},
    {"Vent de l'Eldravique",
     "FFFFFFFFFFFFFFFF00E4DF0EFFFFFFFF0096833400FF000000DAC52C00B8AB34FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"},
    {"Fantaisie Somnambulesque",
     "00FFFFFF0000FFFF0000000000E3FFE30080800000C9C9C900B0AE4600000000008080800000FF0000FFFFFF0017D8E80000FF80"},
    {"Amours Polaires",
     "0000000000FF000000FCF3E40026151100F1C29400CD917E00FD8E8800E7BE3400FFFFFF00FD1C540000000000C0C0C0FFFFFFFF"},
    {"Âme du Désert", "00455EA5001313D700D1F8FC006800D000A4AA55FFFFFFFF00B7C0E100788CC700C9F3F5"},
    {"Dans la Gueule du Requin",
     "00B12E79000000FF00D0CCB0000606FF00BFCCFDFFFFFFFF00D5ACB500FFFFFF007791F7FFFFFFFFFFFFFFFFFFFFFFFF00FFFF00"},
    {"Rêve Vert",
     "000000000000000000E4FFD90080800000D2D1BDFFFFFFFF000BE005003AA63500FFFFFFFFFFFFFFFFFFFFFFFFFFFFFF000000FF"},
    {"Noix de Coco", "00FFFF0000FFFFFF0040008000DCABDE007B8E8100FFFFFF00007DC80000B1EC"},
    {"Les Derniers Jours de Pompéi",
     "FFFFFFFF000000CA00ADB0CD002D2D5E00B0D8FFFFFFFFFF000E25F300DBFFFF00B1B7FE00C5254500000000"},
    {"La Vie en Rose", "003F459400FF000000EBD7FF003D67E700B4B4CD001C768C0033BBFD00007AF400FFFFFF0000000000000000"},
    {"Arôme Prune", "00D9D9FF0000FF00009E6F0C0011F10500C5B57E007B063500FF9C3900D96C0000EAD2C80000000000000000"},
}};

const TTextTable<TFieldInsertChoice, 23> FieldInsertChoices = {{
    {15, nullptr, 0, nullptr,
     "Le titre du document tel qu'on le trouve dans les Propriétés du document (\"Fichier | Propriétés...\")"},
    {16, nullptr, 0, nullptr,
     "Le sujet du document tel qu'on le trouve dans les Propriétés du document (\"Fichier | Propriétés...\")"},
    {19, nullptr, 0, nullptr,
     "Les commentaires du document tels qu'on les trouve dans les Propriétés du document (\"Fichier | "
     "Propriétés...\")"},
    {18, nullptr, 0, nullptr,
     "Les mots clés du document tels qu'on les trouve dans les Propriétés du document (\"Fichier | "
     "Propriétés...\")"},
    {17, nullptr, 0, nullptr,
     "Le nom de l'auteur du document tel qu'on le trouve dans les Propriétés du document (\"Fichier | "
     "Propriétés...\")"},
    {20, nullptr, 0, nullptr, "L'auteur du dernier enregistrement du document"},
    {29, nullptr, 0, nullptr, "Nom du fichier sans son chemin"},
    {29, "\\p", 0, "Nom du fichier avec son chemin", "Le nom du fichier avec son chemin"},
    {69, nullptr, 2, "Taille du fichier en octets", "La taille du fichier en octets"},
    {69, "\\k", 2, "Taille du fichier en kilo-octets", "La taille du fichier en kilo-octets"},
    {21, nullptr, 4, nullptr, "La date du premier enregistrement (\"Outils | Statistiques...\" | \"Créé le :\")"},
    {22, nullptr, 4, nullptr,
     "La date du dernier enregistrement (\"Outils | Statistiques...\" | \"Dernier enreg. :\")"},
    {23, nullptr, 4, nullptr,
     "La date de la dernière impression (\"Outils | Statistiques...\" | \"Dernière impression :\")"},
    {31, nullptr, 4, nullptr, "La date en cours sur votre système"},
    {32, nullptr, 8, nullptr, "L'heure actuelle sur votre système"},
    {26, nullptr, 2, nullptr, "Le nombre total de pages du document (\"Outils | Statistiques...\" | \"Pages :\")"},
    {27, nullptr, 2, nullptr, "Le nombre total de mots du document (\"Outils | Statistiques...\" | \"Mots :\")"},
    {28, nullptr, 2, nullptr,
     "Le nombre total de caractères du document (\"Outils | Statistiques...\" | \"Car. (espaces non "
     "comprises) :\")"},
    {33, nullptr, 2, nullptr, "Le numéro de la page correspondante"},
    {65, nullptr, 2, nullptr, "Le numéro de la section correspondante"},
    {66, nullptr, 2, nullptr, "Le nombre total de pages de la section courante"},
    {37, nullptr, 67, nullptr, "Le numéro de la page où se trouve le signet sélectionné ci-dessous"},
    {10, nullptr, 48, nullptr, "Contenu du paragraphe le plus proche ayant le style requis"},
}};

const TTextTable<TLanguageExtraOptions, 1> SpellingLanguageOptions = {{
    {12, 1, {"Accepter les MAJUSCULES SANS ACCENT (EDITION)", nullptr, nullptr}},
}};

const TTextTable<TLanguageExtraOptions, 2> AutocorrectLanguageOptions = {{
    {12, 3,
     {"Remplacer \"ae\" par \"æ\", \"oe\" par \"œ\"", "Utiliser l'espace comme séparateur dans les nombres",
      "Accepter les MAJUSCULES sans accent (EDITION)"}},
    {10, 1, {"Ordinaux - Mettre les abréviations \"a\" and \"o\" en exposant", nullptr, nullptr}},
}};

const TStringTable<1> VendorWebPages = {{"https://www.eldravin.fr/"}};
