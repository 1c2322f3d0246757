#include "foundation/managers/StyleManager.h"

#include "foundation/managers/FontManager.h"
#include "foundation/MessageDlg.h"
#include "foundation/managers/SharedManagersHost.h"
#include "foundation/managers/TabManager.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/SysUtils.h"

#include <array>

namespace {

std::unique_ptr<TStyleManager> g_Manager;

struct TStandardNames {
    std::array<std::string, StandardStyleCount> Internal;
    std::array<std::string, StandardStyleCount> Display;
};

// The names of the standard styles by number; runs such as "Heading 1" to
// "Heading 9" are made by appending their digits.
const TStandardNames& StandardNames()
{
    static const TStandardNames names = [] {
        TStandardNames n;
        int32_t i = 0;
        const auto add = [&](const std::string& internal, const std::string& display) {
            n.Internal[static_cast<size_t>(i)] = internal;
            n.Display[static_cast<size_t>(i)] = display;
            ++i;
        };
        const auto addRun = [&](const std::string& internal, const std::string& display, int first, int last) {
            for (int digit = first; digit <= last; ++digit)
                add(internal + " " + std::to_string(digit), display + " " + std::to_string(digit));
        };
        add("Normal", "Normal");                                    // 0
        addRun("Heading", "Titre", 1, 9);                           // 1-9
        addRun("Index", "Index", 1, 9);                             // 10-18
        addRun("TOC", "TM", 1, 9);                                  // 19-27
        add("Normal Indent", "Retrait normal");                     // 28
        add("Footnote Text", "Note de bas de page");
        add("Annotation Text", "Annotation");
        add("Header", "En-tête");
        add("Footer", "Pied de page");
        add("Index Heading", "Titre d'index");
        add("Caption", "Légende");
        add("Table of Figures", "Table de nombres");
        add("Envelope Address", "Adresse destinataire");
        add("Envelope Return", "Adresse expéditeur");
        add("Footnote Reference", "Appel de note de bas de page");  // 38
        add("Annotation Reference", "Appel d'annotation");
        add("Line Number", "Numéro de ligne");
        add("Page Number", "Numéro de page");
        add("Endnote Reference", "Appel de note de fin");
        add("Endnote Text", "Note de fin");
        add("Table of Authorities", "Table de références juridiques");
        add("Macro Text", "Texte de macro");                        // 45
        add("TOA Heading", "Titre de table de références");
        add("List", "Liste");                                       // 47
        addRun("List", "Liste", 2, 5);
        add("List Bullet", "Liste à puces");                        // 52
        addRun("List Bullet", "Liste à puces", 2, 5);
        add("List Number", "Liste à numéros");                      // 57
        addRun("List Number", "Liste à numéros", 2, 5);
        add("Title", "Titre");                                      // 62
        add("Closing", "Salutations");
        add("Signature", "Signature");
        add("Default Paragraph Font", "Police par défaut");
        add("Body Text", "Corps de texte");
        add("Body Text Indent", "Retrait corps de texte");
        add("List Continue", "Liste continue");                     // 68
        addRun("List Continue", "Liste continue", 2, 5);
        add("Message Header", "En-tête de message");                // 73
        add("Subtitle", "Sous-titre");
        add("Salutation", "Salutation");
        add("Date", "Date");
        add("Body Text First Indent", "Retrait corps et 1re ligne");
        add("Body Text First Indent 2", "Retrait corps et 1re ligne 2");
        add("Note Heading", "En-tête de message");                  // 79: the display name of 73
        add("Body Text 2", "Corps de texte 2");
        add("Body Text 3", "Corps de texte 3");
        add("Body Text Indent 2", "Retrait corps de texte 2");
        add("Body Text Indent 3", "Retrait corps de texte 3");
        add("Block Text", "Texte en majuscules");
        add("Hyperlink", "Lien hypertexte");
        add("Followed Hyperlink", "Lien hypertexte suivi");
        add("Strong", "Gras");
        add("Emphasis", "Italique");
        add("Document Map", "Plan de document");
        add("Plain Text", "Texte ordinaire");
        add("TOC Title", "Titre TM");                               // 91
        return n;
    }();
    return names;
}

const std::string& Empty()
{
    static const std::string empty;
    return empty;
}

}  // namespace

const std::string& StandardStyleName(int32_t number)
{
    if (number < 0 || number >= StandardStyleCount)
        return Empty();
    return StandardNames().Internal[static_cast<size_t>(number)];
}

const std::string& StandardStyleDisplayName(int32_t number)
{
    if (number < 0 || number >= StandardStyleCount)
        return Empty();
    return StandardNames().Display[static_cast<size_t>(number)];
}

void IdentifyStandardStyles(TStyleList& list)
{
    const TStandardNames& names = StandardNames();
    for (int32_t s = 0; s < list.Count(); ++s) {
        TStyle& style = list[s];
        int32_t number = -1;
        for (int32_t i = 0; i < StandardStyleCount && number == -1; ++i)
            if (SameText(style.Name, names.Display[static_cast<size_t>(i)]))
                number = i;
        for (int32_t i = 0; i < StandardStyleCount && number == -1; ++i)
            if (SameText(style.Name, names.Internal[static_cast<size_t>(i)]))
                number = i;
        style.StandardNumber = number;
        if (number != -1) {
            style.Standard = 1;
            style.Name = names.Internal[static_cast<size_t>(number)];
            style.DisplayName = names.Display[static_cast<size_t>(number)];
        } else {
            style.Standard = 0;
            style.DisplayName = style.Name;
        }
    }
}

// --- TStyleManager ---

TStyleManager::TStyleManager(int32_t arialFontIndex)
    : FDefaultTabs(std::make_unique<TTabManager>(nullptr)),
      FDefaultStyles(std::make_unique<TStyleList>(nullptr, FDefaultTabs.get()))
{
    TStyleList& list = *FDefaultStyles;
    const auto add = [&list](const std::string& name) -> TStyle& {
        auto style = std::make_unique<TStyle>(&list);
        style->Name = name;
        return list[list.Add(std::move(style))];
    };

    TStyle& normal = add("Normal");
    normal.NextStyle = 0;
    normal.CharFormat[cfFont] = arialFontIndex;
    normal.CharFormat[cfSize] = 20;
    for (int n = 1; n <= 9; ++n)
        add("Heading " + std::to_string(n));
    for (const char* name : {"Header", "Footer"}) {
        TStyle& style = add(name);
        style.BasedOn = 0;
        style.NextStyle = style.ParFormat[pfStyle];
    }
    TStyle& tocTitle = add("TOC Title");
    tocTitle.CharFormat[cfSize] = 24;
    tocTitle.CharFormat[cfBold] = 1;
    tocTitle.ParFormat[pfAlignment] = 1;
    tocTitle.ParFormat[pfKeepWithNext] = 1;
    tocTitle.ParFormat[pfSpaceBefore] = 120;
    for (int n = 1; n <= 9; ++n)
        add("TOC " + std::to_string(n)).ParFormat[pfLeftIndent] = (n - 1) * 240;

    IdentifyStandardStyles(list);
}

TStyleManager::~TStyleManager() = default;

void TStyleManager::IdentifyStandardStyles(TStyleList& list)
{
    if (!IdentificationOff)
        ::IdentifyStandardStyles(list);
}

void TStyleManager::ImportDefaultStyle(TStyleList& target)
{
    TImportStylesInfo request(FDefaultStyles.get());
    request.Mode = 0;
    request.Chosen.push_back(0);
    target.ImportStyles(request, true);
}

bool TStyleManager::FindOrAddStyle(const TStyleList& list, const std::string& text, TFindOrAddStyleResult& result,
                                   const TParFormat& parFormat, const TCharFormat& charFormat)
{
    int32_t found = list.IndexOfDisplayName(text);
    if (found == -1)
        found = list.IndexOfName(text);
    if (found != -1) {
        result.StyleIndex = found;
        return true;
    }
    if (text.empty()) {
        if (result.StyleIndex != -1)
            ShowWarning("La zone de nom de style ne peut pas être laissée en blanc. Précisez un style, s'il vous "
                        "plaît.");
        return false;
    }
    if (ShowMessageDlg(Format("Le style \"%s\" ne se trouve pas dans la liste des styles du document. Voulez-vous "
                              "l'y ajouter en utilisant les caractéristiques de mise en forme du texte sélectionné ?",
                              {text}),
                       mtConfirmation, mbYesNo) != mrYes)
        return false;

    auto copy = std::make_unique<TStyleList>(list.Document(), list.TabManager());
    copy->Assign(list);
    auto style = std::make_unique<TStyle>(copy.get());
    style->Name = text;
    style->CharFormat = charFormat;
    style->ParFormat = parFormat;
    // Based on the selection's style (the first one when the selection mixes
    // styles), when the list has it.
    const int32_t selectionStyle = parFormat[pfStyle] == NotSet ? 0 : parFormat[pfStyle];
    const TStyle* base = copy->Find(selectionStyle);
    style->BasedOn = base ? selectionStyle : -1;
    const int32_t baseNext = base ? base->NextStyle : -1;
    const int32_t index = copy->Add(std::move(style));
    (*copy)[index].NextStyle = baseNext != selectionStyle ? baseNext : index;

    result.StyleIndex = index;
    result.Changed = 1;
    IdentifyStandardStyles(*copy);
    result.NewList = std::move(copy);
    SharedManagersHost().StyleAdded();
    return true;
}

TStyleManager* GetStyleManager()
{
    return g_Manager.get();
}

void CreateStyleManager()
{
    // The default sheet's Normal style uses the font manager's Arial.
    const TFontManager* fonts = GetFontManager();
    if (!fonts)
        throw EInternalError("Le gestionnaire de styles est créé avant le gestionnaire de polices");
    g_Manager = std::make_unique<TStyleManager>(fonts->ArialIndex());
}

void FreeStyleManager()
{
    g_Manager.reset();
}
