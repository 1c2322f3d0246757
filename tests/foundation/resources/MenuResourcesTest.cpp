// Menu templates: every "_MENU" resource of the program builds a menu; the
// special items take their submenus from "TLBAR" and "DOCBAR2"; placeholders
// are dropped (or shown during customisation); damaged templates from the
// user's store are refused and give the built-in menu.
#include "foundation/resources/MenuResources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "foundation/resources/ResourceStrings.h"
#include "platform/framework/menus/Menus.h"
#include "platform/runtime/Exception.h"

namespace {

// A template written item by item.
class TTemplate {
public:
    TTemplate& Item(const std::string& caption, uint32_t id)
    {
        FBytes += static_cast<char>(caption.size());
        FBytes += caption;
        for (int i = 0; i < 4; ++i)
            FBytes += static_cast<char>((id >> (8 * i)) & 0xFF);
        return *this;
    }
    TTemplate& Open() { FBytes += '\xFE'; return *this; }
    TTemplate& Close() { FBytes += '\xFF'; return *this; }
    const std::string& Bytes() const { return FBytes; }

private:
    std::string FBytes;
};

bool Build(TMenu& menu, const std::string& bytes)
{
    return BuildMenuFromTemplate(menu, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// The tree as text: "caption=id" with submenus in brackets.
std::string Dump(const TMenuItem& parent)
{
    std::string s;
    for (int i = 0; i < parent.Count(); ++i) {
        const TMenuItem* item = parent.Items(i);
        if (i)
            s += ", ";
        s += item->Caption() + "=" + std::to_string(item->Tag);
        if (item->Count())
            s += " [" + Dump(*item) + "]";
    }
    return s;
}

int CountItems(const TMenuItem& parent)
{
    int n = parent.Count();
    for (int i = 0; i < parent.Count(); ++i)
        n += CountItems(*parent.Items(i));
    return n;
}

TEST(MenuResourcesTest, EveryTemplateOfTheProgramBuilds)
{
    const std::vector<std::string> expected{
        "BKMRKTABS", "CASE", "CLIPBRD", "CLIPLIB", "DBLDWRD", "DOC", "DOCBAR", "DOCBAR2", "EMAIL", "FAVORITES",
        "FIELD", "FIND", "FMTPAL", "HLINK", "HSCRLBAR", "INSFILE", "INSPIC", "LNGHIST", "MAIN", "MSPLTWRD",
        "MSPLTWRD_NOSUGG", "NEW", "NOSPELLCHECKER", "OBJ", "OPEN", "REPLACE", "RULER", "SAVEDOCAS", "STATBAR",
        "STATBAR_SPLCHCK", "SYMBOL", "SYSTRAY", "TLBAR", "TOC", "TXTFMT", "VERRULER", "VSCRLBAR"};
    std::vector<std::string> names = ResourceNames("_MENU");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
    for (const std::string& name : names) {
        const TResourceData data = LoadResourceData(name, "_MENU");
        EXPECT_TRUE(IsValidMenuTemplate(data.Data, data.Size)) << name;
        TPopupMenu menu(nullptr);
        ASSERT_TRUE(LoadMenuResource(menu, name, true)) << name;
        EXPECT_TRUE(menu.OwnerDraw);
        EXPECT_GT(menu.Items().Count(), 0) << name;
        // No item of a shipped menu is empty or a placeholder.
        std::function<void(const TMenuItem&)> check = [&](const TMenuItem& p) {
            for (int i = 0; i < p.Count(); ++i) {
                EXPECT_FALSE(p.Items(i)->Caption().empty()) << name;
                EXPECT_NE(p.Items(i)->Tag, cmdEmptyListPlaceholder) << name;
                check(*p.Items(i));
            }
        };
        check(menu.Items());
    }
    TPopupMenu none(nullptr);
    EXPECT_FALSE(LoadMenuResource(none, "NOSUCHMENU", false));
}

TEST(MenuResourcesTest, TemplatesGiveTheirItems)
{
    TPopupMenu find(nullptr);
    LoadMenuResource(find, "find", false);
    ASSERT_EQ(find.Items().Count(), 4);
    EXPECT_TRUE(find.Items().Items(2)->IsLine());
    EXPECT_EQ(find.Items().Items(3)->Caption(), "Supprimer &toutes les entrées");
    EXPECT_EQ(find.Items().Items(3)->Tag, 3660);

    TPopupMenu docbar2(nullptr);
    LoadMenuResource(docbar2, "DOCBAR2", false);
    EXPECT_EQ(Dump(docbar2.Items()),
              "&Visible=6100, P&osition=0 [&Haut=6121, &Bas=6122, &Gauche=6123, &Droite=6124], "
              "&Boutons sans relief=6130");

    TPopupMenu tlbar(nullptr);
    LoadMenuResource(tlbar, "TLBAR", false);
    TMenuItem* set = tlbar.Items().Find("Jeu de commandes");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->Count(), 2);
}

TEST(MenuResourcesTest, SpecialItemsTakeTheirSubmenusAndTemplateChildrenAreTrimmed)
{
    TPopupMenu reference(nullptr);
    LoadMenuResource(reference, "TLBAR", false);
    const std::string tlbar = Dump(reference.Items());

    // The toolbars item given a child of its own by the template, and the
    // document-bar item, then an ordinary item after them.
    const TTemplate t = TTemplate()
                            .Item("x", cmdToolbarsMenu)
                            .Open()
                            .Item("Intrus", 1)
                            .Close()
                            .Item("y", cmdDocumentBarMenu)
                            .Item("&Fin", 2);
    TPopupMenu menu(nullptr);
    EXPECT_TRUE(Build(menu, t.Bytes())) << "a child was trimmed";
    ASSERT_EQ(menu.Items().Count(), 3);
    TMenuItem* toolbars = menu.Items().Items(0);
    EXPECT_EQ(toolbars->Caption(), "Barres d'outils");
    EXPECT_EQ(Dump(*toolbars), tlbar);
    EXPECT_EQ(menu.Items().Items(1)->Caption(), "Barre des documents");
    EXPECT_EQ(menu.Items().Items(1)->Count(), 3);
    // Nothing to trim: false.
    TPopupMenu plain(nullptr);
    EXPECT_FALSE(Build(plain, TTemplate().Item("a", 1).Bytes()));

    // The main menu: its view menu holds both special items, built from their templates.
    TMainMenu main(nullptr);
    LoadMenuResource(main, "MAIN", true);
    TMenuItem* item = FindMenuItemByTag(main, cmdToolbarsMenu);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(Dump(*item), tlbar);
}

TEST(MenuResourcesTest, PlaceholdersOutsideAndDuringCustomisation)
{
    const TTemplate t = TTemplate().Item("Favori", 1250).Item("( Vide )", cmdEmptyListPlaceholder).Item("Fin", 1251);
    TPopupMenu normal(nullptr);
    Build(normal, t.Bytes());
    EXPECT_EQ(Dump(normal.Items()), "Favori=1250, Fin=1251");

    MenuCustomizationActive = true;
    DynamicCommandCaption = [](int32_t id) { return id == 1250 ? std::string("(liste des documents favoris)") : ""; };
    TPopupMenu customising(nullptr);
    Build(customising, t.Bytes());
    const TTemplate special = TTemplate().Item("Barres", cmdToolbarsMenu);
    Build(customising, special.Bytes());
    MenuCustomizationActive = false;
    DynamicCommandCaption = nullptr;
    ASSERT_EQ(customising.Items().Count(), 4);
    EXPECT_EQ(customising.Items().Items(0)->Caption(), "(liste des documents favoris)");
    EXPECT_EQ(customising.Items().Items(1)->Caption(), "( Vide )");
    EXPECT_FALSE(customising.Items().Items(1)->Enabled);
    // During customisation the special items stay as the template gives them.
    EXPECT_EQ(customising.Items().Items(3)->Caption(), "Barres");
    EXPECT_EQ(customising.Items().Items(3)->Count(), 0);
}

TEST(MenuResourcesTest, EndsAndEmptyTemplates)
{
    // No closing bytes: every open level ends with the data.
    const TTemplate open = TTemplate().Item("A", 1).Open().Item("B", 2).Open().Item("C", 3);
    TPopupMenu menu(nullptr);
    Build(menu, open.Bytes());
    EXPECT_EQ(Dump(menu.Items()), "A=1 [B=2 [C=3]]");
    // 0xFF at the top level ends the template; what follows is not read.
    TPopupMenu ended(nullptr);
    Build(ended, TTemplate().Item("A", 1).Close().Item("B", 2).Bytes());
    EXPECT_EQ(Dump(ended.Items()), "A=1");
    TPopupMenu empty(nullptr);
    EXPECT_FALSE(Build(empty, ""));
    EXPECT_EQ(empty.Items().Count(), 0);
}

TEST(MenuResourcesTest, FindMenuItemByTagSearchesDepthFirstFromTheLast)
{
    TMainMenu main(nullptr);
    LoadMenuResource(main, "MAIN", false);
    // "Nouveau RTF" lies in Fichier > Nouveau: three levels deep.
    TMenuItem* rtf = FindMenuItemByTag(main, 1000);
    ASSERT_NE(rtf, nullptr);
    EXPECT_EQ(rtf->Caption(), "Nouveau &RTF");
    EXPECT_EQ(rtf->Parent()->Parent()->Parent(), &main.Items());
    EXPECT_EQ(FindMenuItemByTag(main, 123456789), nullptr);
    // Two items with one id: the later one, and inside a submenu before its item.
    const TTemplate t = TTemplate().Item("first", 7).Item("second", 5).Open().Item("inner", 7).Close().Item("x", 7);
    TPopupMenu menu(nullptr);
    Build(menu, t.Bytes());
    EXPECT_EQ(FindMenuItemByTag(menu, 7)->Caption(), "x");
    TPopupMenu menu2(nullptr);
    Build(menu2, TTemplate().Item("first", 7).Item("second", 7).Open().Item("inner", 7).Bytes());
    EXPECT_EQ(FindMenuItemByTag(menu2, 7)->Caption(), "inner");
}

TEST(MenuResourcesTest, DamagedTemplatesAreRefusedAndTheBuiltInMenuServes)
{
    const std::string good = TTemplate().Item("&Fichier", 0).Open().Item("&Ouvrir", 120).Close().Bytes();
    struct TCase { std::string Bytes; const char* What; };
    std::string deep;
    for (int i = 0; i < 40; ++i)
        deep += TTemplate().Item("n", 1).Open().Bytes();
    const std::vector<TCase> damaged{
        {good.substr(0, 5), "caption cut short"},
        {good.substr(0, 11), "id cut short"},
        {std::string("\xFE") + good, "submenu without an item"},
        {std::string("\x40") + "abc", "caption length beyond the end"},
        {TTemplate().Item("A", 1).Open().Open().Item("B", 2).Bytes(), "submenu opened before any item of its level"},
        {deep, "nesting deeper than a menu can be"},
    };
    TPopupMenu builtIn(nullptr);
    LoadMenuResource(builtIn, "MAIN", false);
    const std::string mainDump = Dump(builtIn.Items());
    for (const TCase& c : damaged) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(c.Bytes.data());
        EXPECT_FALSE(IsValidMenuTemplate(bytes, c.Bytes.size())) << c.What;
        TPopupMenu menu(nullptr);
        Build(menu, TTemplate().Item("kept", 9).Bytes());
        EXPECT_THROW(Build(menu, c.Bytes), Exception) << c.What;
        EXPECT_EQ(Dump(menu.Items()), "kept=9") << "the menu is left as it was: " << c.What;
        // From the user's store: the built-in menu.
        TMainMenu stored(nullptr);
        EXPECT_FALSE(LoadStoredMenu(stored, c.Bytes, "MAIN", false)) << c.What;
        EXPECT_EQ(Dump(stored.Items()), mainDump) << c.What;
    }
    TMainMenu fine(nullptr);
    EXPECT_TRUE(LoadStoredMenu(fine, good, "MAIN", false));
    EXPECT_EQ(Dump(fine.Items()), "&Fichier=0 [&Ouvrir=120]");
    TMainMenu missing(nullptr);
    EXPECT_FALSE(LoadStoredMenu(missing, "", "MAIN", false));
    EXPECT_EQ(Dump(missing.Items()), mainDump);
}

TEST(MenuResourcesTest, MutatedTemplatesNeverBreakTheLoader)
{
    const TResourceData main = LoadResourceData("MAIN", "_MENU");
    const std::string original(main.View());
    TMainMenu builtIn(nullptr);
    LoadMenuResource(builtIn, "MAIN", false);
    const int builtInItems = CountItems(builtIn.Items());
    std::mt19937 rng(20261211);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = original;
        const int edits = 1 + static_cast<int>(rng() % 6);
        for (int e = 0; e < edits; ++e) {
            const size_t at = rng() % bytes.size();
            switch (rng() % 3) {
            case 0: bytes[at] = static_cast<char>(rng()); break;
            case 1: bytes.erase(at, 1 + rng() % 8); break;
            default: bytes.insert(at, 1, static_cast<char>(0xFE + rng() % 2)); break;
            }
            if (bytes.empty())
                bytes = "\x01";
        }
        TMainMenu menu(nullptr);
        const bool stored = LoadStoredMenu(menu, bytes, "MAIN", false);
        if (!stored) {
            EXPECT_EQ(CountItems(menu.Items()), builtInItems) << "the built-in menu serves";
        }
    }
}

} // namespace
