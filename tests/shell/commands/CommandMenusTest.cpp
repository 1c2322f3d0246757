// Menus through the command manager: preparing, refreshing for each document
// state, separator tidying and the generated lists.
#include "CommandTesting.h"

#include "platform/framework/menus/Menus.h"
#include "platform/runtime/Files.h"
#include "platform/testing/Testing.h"
#include "shell/commands/ProgramEvents.h"

#include <gtest/gtest.h>

#include <map>

namespace {

class TMenuContext : public TTestCommandContext {
public:
    TMenu* Main = nullptr;
    bool Dispatcher = true;
    std::vector<std::string> Recent;
    std::vector<std::string> Windows;
    int32_t ActiveWindow = -1;
    std::string Favourites;
    std::vector<std::pair<std::string, int32_t>> Opened;

    bool IsMainMenu(const TMenu* menu) override { return menu == Main; }
    bool HasDocDispatcher() override { return Dispatcher; }
    std::vector<std::string> RecentFiles() override { return Recent; }
    std::vector<std::string> WindowCaptions() override { return Windows; }
    int32_t ActiveWindowIndex() override { return ActiveWindow; }
    std::string FavouritesFolder() override { return Favourites; }
    bool OpenDocumentFile(const std::string& fileName, int32_t mode) override
    {
        Opened.emplace_back(fileName, mode);
        return true;
    }
};

class TEventLog : public TEventHandler {
public:
    std::vector<TEventId> Events;
    void HandleEvent(TEventId eventId) override { Events.push_back(eventId); }
};

TMenuItem* AddItem(TMenuItem& parent, const std::string& caption, TCommandId tag)
{
    auto* item = new TMenuItem(parent.GetParentMenu());
    item->SetCaption(caption);
    item->Tag = tag;
    parent.Add(item);
    return item;
}

// The captions of the children, visible ones only, "|" between them.
std::string Captions(const TMenuItem& parent)
{
    std::string text;
    for (int i = 0; i < parent.Count(); ++i)
        if (parent.Items(i)->Visible)
            text += (text.empty() ? "" : "|") + parent.Items(i)->Caption();
    return text;
}

class CommandMenusTest : public testing::Test {
protected:
    CommandMenusTest() : Manager(Context)
    {
        InstallHandlers(Manager, Handler);
        Manager.ShortcutText = [](TCommandId id) -> std::string {
            static const std::map<TCommandId, std::string> keys = {{3840, "Ctrl+Z"}, {3860, "Ctrl+Y"}, {3340, "Ctrl+C"}};
            const auto it = keys.find(id);
            return it == keys.end() ? std::string() : it->second;
        };
        Context.Main = &Bar;
        Edit = AddItem(Bar.Items(), "&Edition", 0);
        for (TCommandId id : {3840, 3860, 3340, 3360, 3440, 3720, 3805, 4510, 6000, 7200, 7300, 15650, 150310})
            AddItem(*Edit, "Commande " + std::to_string(id), id);
        Popup.Items();
        for (TCommandId id : {6000, 15000, 3840})
            AddItem(Popup.Items(), "Commande " + std::to_string(id), id);
    }
    TMenuItem* Item(TMenuItem& parent, TCommandId id)
    {
        for (int i = 0; i < parent.Count(); ++i)
            if (parent.Items(i)->Tag == id)
                return parent.Items(i);
        return nullptr;
    }

    TMenuContext Context;
    TCommandManager Manager;
    TRecordingHandler Handler;
    TMainMenu Bar{nullptr};
    TPopupMenu Popup{nullptr};
    TMenuItem* Edit = nullptr;
    TDocument Document{true};
};

TEST_F(CommandMenusTest, RefreshingFollowsTheDocumentState)
{
    struct TRow {
        const char* State;
        bool Doc;
        bool Selection;
        bool ReadOnly;
        bool Header;
        bool NoteSpike;
        bool CanUndo;
        // Expected.
        const char* Undo;
        bool UndoEnabled;
        bool CopyEnabled;
        bool SpikeEnabled;
        bool BodyOnlyEnabled;
        bool HeaderChecked;
    };
    const TRow rows[] = {
        {"aucun document", false, false, false, false, false, false, "Pas d'action \xE0 annuler\tCtrl+Z", false, false, false,
         false, false},
        {"lecture seule", true, false, true, false, false, false, "Pas d'action \xE0 annuler\tCtrl+Z", false, false, false, true,
         false},
        {"s\xE9lection", true, true, false, false, false, true, "&Annuler la saisie de texte\tCtrl+Z", true, true, true,
         true, false},
        {"sans s\xE9lection", true, false, false, false, false, true, "&Annuler la saisie de texte\tCtrl+Z", true, false,
         false, true, false},
        {"en-t\xEAte", true, true, false, true, false, false, "Pas d'action \xE0 annuler\tCtrl+Z", false, true, true, false, true},
        {"pique-notes", true, true, false, false, true, false, "Pas d'action \xE0 annuler\tCtrl+Z", false, true, false, true,
         false},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.State);
        Context.Active = row.Doc ? &Document : nullptr;
        Context.Doc = TCommandDocState{};
        Context.Doc.SelectionEmpty = !row.Selection;
        Context.Doc.ReadOnly = row.ReadOnly;
        Context.Doc.EditingHeaderFooter = row.Header;
        Context.Doc.IsNoteSpikeDocument = row.NoteSpike;
        Context.Doc.CanUndo = row.CanUndo;
        Context.Doc.UndoName = "la saisie de texte";
        Context.Doc.BookmarkCount = 2;
        Context.Frame.ShowFormatMarks = true;
        Context.Doc.ShowsFormatMarks = true;
        Manager.UpdateMenu(*Edit);
        EXPECT_EQ(Item(*Edit, 3840)->Caption(), row.Undo);
        EXPECT_EQ(Item(*Edit, 3840)->Enabled, row.UndoEnabled);
        EXPECT_EQ(Item(*Edit, 3860)->Caption(), "Pas d'action \xE0 r\xE9tablir\tCtrl+Y");
        EXPECT_FALSE(Item(*Edit, 3860)->Enabled);
        EXPECT_EQ(Item(*Edit, 3340)->Enabled, row.CopyEnabled);
        EXPECT_EQ(Item(*Edit, 3440)->Enabled, row.SpikeEnabled);
        EXPECT_EQ(Item(*Edit, 3805)->Enabled, row.BodyOnlyEnabled);
        // Bookmarks: the go-to items show with a document that has some.
        if (row.Doc) {
            EXPECT_TRUE(Item(*Edit, 4510)->Visible);
        }
        EXPECT_EQ(Item(*Edit, 7200)->Checked, row.HeaderChecked);
        EXPECT_EQ(Item(*Edit, 7300)->Enabled, row.Header);
        // Marks shown: checked in the main menu, never in a popup.
        EXPECT_TRUE(Item(*Edit, 6000)->Checked);
        Manager.UpdateMenu(&Popup);
        EXPECT_FALSE(Item(Popup.Items(), 6000)->Checked);
        EXPECT_EQ(Item(Popup.Items(), 15000)->Default, true);
        EXPECT_EQ(Item(Popup.Items(), 3840)->Caption(), row.Undo);
        // The insert mode is the frame's, whatever the document.
        EXPECT_TRUE(Item(*Edit, 3720)->Checked);
    }
    // A document without bookmarks hides the go-to items.
    Context.Active = &Document;
    Context.Doc.BookmarkCount = 0;
    Manager.UpdateMenu(*Edit);
    EXPECT_FALSE(Item(*Edit, 4510)->Visible);
    // A section break at the caret: its kind's item is checked and the
    // section-break submenu shows.
    Context.Active = &Document;
    Context.Doc = TCommandDocState{};
    EXPECT_FALSE((Manager.UpdateMenu(*Edit), Item(*Edit, 150310)->Visible));
    Context.Doc.CaretOnSectionBreak = true;
    Context.Doc.CaretSectionBreakKind = 0;
    Manager.UpdateMenu(*Edit);
    EXPECT_TRUE(Item(*Edit, 15650)->Checked);
    EXPECT_TRUE(Item(*Edit, 150310)->Visible);
    // Refreshing runs nothing.
    EXPECT_TRUE(Handler.Ran.empty());
}

TEST_F(CommandMenusTest, PreparingBindsTheClickOnceAndTheShortcutTextOnce)
{
    Manager.PrepareMenu(&Bar);
    Manager.PrepareMenu(&Bar);
    TMenuItem* copy = Item(*Edit, 3340);
    EXPECT_EQ(copy->Caption(), "Commande 3340\tCtrl+C");
    EXPECT_EQ(Item(*Edit, 3360)->Caption(), "Commande 3360");
    EXPECT_FALSE(Edit->OnClick);  // Tag 0 is left alone

    // The click runs the item's command through the manager.
    Context.Active = &Document;
    Context.Doc.SelectionEmpty = false;
    copy->Click();
    EXPECT_EQ(Handler.Ran, (std::vector<TCommandId>{3340}));
    EXPECT_EQ(Manager.LastCommand, 3340);

    // Shortcut texts switched off: preparing takes them away again.
    Manager.ShowHotKeys = [] { return false; };
    Manager.PrepareMenu(&Bar);
    EXPECT_EQ(copy->Caption(), "Commande 3340");
}

TEST_F(CommandMenusTest, SeparatorsAroundHiddenPlaceholdersAreTidied)
{
    struct TRow {
        std::vector<std::pair<const char*, TCommandId>> Items;
        const char* After;  // all children, visible or not
    };
    const TRow rows[] = {
        {{{"-", 0}, {"A", 1}, {"-", 0}, {"B", 2}, {"-", 0}}, "A|-|B"},
        {{{"A", 1}, {"-", 0}, {"", 1300}, {"", 1301}, {"-", 0}, {"B", 2}}, "A|-|||B"},
        {{{"A", 1}, {"-", 0}, {"-", 0}, {"B", 2}}, "A|-|B"},
        {{{"A", 1}, {"- ", 0}, {"B", 2}}, "A|- |B"},
        {{{"", 90300}, {"", 90301}, {"-", 0}, {"A", 1}}, "||A"},
    };
    for (const TRow& row : rows) {
        TMenuItem parent(nullptr);
        for (const auto& [caption, tag] : row.Items) {
            TMenuItem* item = AddItem(parent, caption, tag);
            if (tag >= 1300)
                item->Visible = false;
        }
        Manager.TidyMenuSeparators(parent);
        std::string all;
        for (int i = 0; i < parent.Count(); ++i)
            all += (i ? "|" : "") + parent.Items(i)->Caption();
        EXPECT_EQ(all, row.After);
    }
}

TEST_F(CommandMenusTest, TheRecentFilesListIsRebuiltFromTheDispatchersList)
{
    TMenuItem* file = AddItem(Bar.Items(), "&Fichier", 0);
    AddItem(*file, "&Ouvrir...", 120);
    AddItem(*file, "", cmRecentFilesList)->Visible = false;
    AddItem(*file, "", cmRecentFilesListEnd)->Visible = false;
    AddItem(*file, "-", 0);
    AddItem(*file, "&Quitter", 360);
    // 28 files (more than the 26 letters of the stored names), two differing
    // only in case, one with an ampersand.
    for (int i = 0; i < 26; ++i)
        Context.Recent.push_back("/docs/lettre" + std::to_string(i) + ".rtf");
    Context.Recent.push_back("/docs/Memo.rtf");
    Context.Recent.push_back("/docs/memo.rtf");
    Context.Recent[3] = "/docs/Dupont & Fils.rtf";

    for (int pass = 0; pass < 2; ++pass) {
        Manager.DirtyFlags |= TCommandManager::dfRecentFiles;
        Manager.UpdateRecentFilesMenu(&Bar);
        EXPECT_FALSE(Manager.DirtyFlags & TCommandManager::dfRecentFiles);
        // Open, placeholder, "-", 28 files, "-", two clean-up items, "-",
        // end mark, then Quit (the menu's own "-" after the end mark doubled
        // the list's last one).
        ASSERT_EQ(file->Count(), 2 + 1 + 28 + 1 + 2 + 1 + 1 + 1);
        EXPECT_EQ(file->Items(2)->Caption(), "-");
        EXPECT_EQ(file->Items(3)->Caption(), "/docs/lettre0.rtf");
        EXPECT_EQ(file->Items(3)->Tag, 0);
        EXPECT_EQ(file->Items(6)->Caption(), "/docs/Dupont && Fils.rtf");
        EXPECT_EQ(file->Items(29)->Caption(), "/docs/Memo.rtf");
        EXPECT_EQ(file->Items(30)->Caption(), "/docs/memo.rtf");
        EXPECT_EQ(file->Items(30)->Tag, -27);
        EXPECT_EQ(file->Items(32)->Caption(), "Supprimer les entr\xE9""es caduques");
        EXPECT_EQ(file->Items(32)->Tag, 340);
        EXPECT_EQ(file->Items(33)->Tag, 343);
        EXPECT_EQ(file->Items(35)->Tag, cmRecentFilesListEnd);
        EXPECT_FALSE(file->Items(35)->Visible);
        EXPECT_EQ(file->Items(36)->Caption(), "&Quitter");
    }
    // An item opens its file, in recent-file mode, and the open fires its event.
    TEventLog events;
    file->Items(30)->Click();
    ASSERT_EQ(Context.Opened.size(), 1u);
    EXPECT_EQ(Context.Opened[0], (std::pair<std::string, int32_t>{"/docs/memo.rtf", 7}));
    EXPECT_EQ(events.Events, (std::vector<TEventId>{TCommandManager::evDocumentOpenedFromList}));

    // An emptied list leaves its placeholder and no separator of its own;
    // filled again, it comes back in the same place.
    Context.Recent.clear();
    Manager.DirtyFlags |= TCommandManager::dfRecentFiles;
    Manager.UpdateRecentFilesMenu(&Bar);
    EXPECT_EQ(Captions(*file), "&Ouvrir...|&Quitter");
    Context.Recent = {"/docs/seul.rtf"};
    Manager.DirtyFlags |= TCommandManager::dfRecentFiles;
    Manager.UpdateRecentFilesMenu(&Bar);
    EXPECT_EQ(Captions(*file), "&Ouvrir...|-|/docs/seul.rtf|-|Supprimer les entr\xE9""es caduques|"
                               "Supprimer toutes les entr\xE9""es|-|&Quitter");
    // Without the dispatcher the list waits.
    Context.Dispatcher = false;
    Manager.DirtyFlags |= TCommandManager::dfRecentFiles;
    Manager.UpdateRecentFilesMenu(&Bar);
    EXPECT_TRUE(Manager.DirtyFlags & TCommandManager::dfRecentFiles);
}

TEST_F(CommandMenusTest, TenWindowsGiveNineNumberedItemsAndMore)
{
    TMenuItem* window = AddItem(Bar.Items(), "Fe&n\xEAtre", 0);
    AddItem(*window, "&Cascade", 90000);
    AddItem(*window, "", cmWindowList)->Visible = false;
    AddItem(*window, "", cmWindowListEnd)->Visible = false;
    for (int i = 1; i <= 10; ++i)
        Context.Windows.push_back("doc" + std::to_string(i) + ".rtf");
    Context.Windows[1] = "R&D.rtf";
    Context.ActiveWindow = 1;
    Manager.DirtyFlags |= TCommandManager::dfWindows;
    Manager.UpdateWindowsMenu(&Bar);
    EXPECT_EQ(Captions(*window),
              "&Cascade|-|&1 doc1.rtf|&2 R&&D.rtf|&3 doc3.rtf|&4 doc4.rtf|&5 doc5.rtf|&6 doc6.rtf|&7 doc7.rtf|"
              "&8 doc8.rtf|&9 doc9.rtf|Autres fen\xEAtres...");
    EXPECT_TRUE(window->Items(4)->Checked);
    EXPECT_EQ(window->Items(4)->Tag, 90106);
    EXPECT_FALSE(window->Items(12)->Checked);

    Context.ActiveWindow = 9;
    Manager.DirtyFlags |= TCommandManager::dfWindows;
    Manager.UpdateWindowsMenu(&Bar);
    EXPECT_EQ(window->Items(12)->Caption(), "Autres fen\xEAtres...");
    EXPECT_TRUE(window->Items(12)->Checked);
    EXPECT_FALSE(window->Items(4)->Checked);
}

TEST_F(CommandMenusTest, FavouritesAreSortedFoldersFirstAndAnEmptyFolderLeavesNoSeparators)
{
    TMenuItem* favourites = AddItem(Bar.Items(), "Fa&voris", 0);
    AddItem(*favourites, "Ajouter aux &favoris", 1260);
    AddItem(*favourites, "", cmFavouritesList)->Visible = false;
    AddItem(*favourites, "", cmFavouritesListEnd)->Visible = false;
    Context.Favourites = MakeTestDir("favoris");
    Manager.DirtyFlags |= TCommandManager::dfFavourites;
    Manager.UpdateFavouritesMenu(&Bar);
    EXPECT_EQ(Captions(*favourites), "Ajouter aux &favoris");

    // Two shortcuts at the top, one in a folder.
    const auto link = [&](const std::string& path, const std::string& target) {
        WriteTestFile(target, "x");
        WriteTestFile(path, "[Desktop Entry]\nType=Link\nName=x\nURL=file://" + target + "\n");
    };
    const std::string targets = MakeTestDir("cibles");
    link(Context.Favourites + "/zeta.desktop", targets + "/zeta.rtf");
    link(Context.Favourites + "/alpha.desktop", targets + "/Alpha.rtf");
    ForceDirectories(Context.Favourites + "/Projets");
    link(Context.Favourites + "/Projets/plan.desktop", targets + "/plan.rtf");
    Manager.DirtyFlags |= TCommandManager::dfFavourites;
    Manager.UpdateFavouritesMenu(&Bar);
    EXPECT_EQ(Captions(*favourites), "Ajouter aux &favoris|-|Projets|Alpha.rtf|zeta.rtf");
    TMenuItem* folder = favourites->Items(3);
    EXPECT_EQ(folder->Tag, cmFavouriteFolder);
    ASSERT_EQ(folder->Count(), 1);
    EXPECT_EQ(folder->Items(0)->Caption(), "plan.rtf");
    folder->Items(0)->Click();
    ASSERT_EQ(Context.Opened.size(), 1u);
    EXPECT_EQ(Context.Opened[0].first, targets + "/plan.rtf");
}

}  // namespace
