// What the command manager does with menus: preparing their items once after
// building (click handler, shortcut text), refreshing their enabled, checked,
// visible and caption state each time a menu opens, tidying separators, and
// the generated lists (favourites, recent documents, open windows) with the
// handlers of their items.
#include "shell/commands/CommandManager.h"

#include "foundation/Paths.h"
#include "foundation/ShellHelpers.h"
#include "foundation/StringRoutines.h"
#include "platform/framework/menus/Menus.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SysUtils.h"
#include "platform/runtime/StringList.h"
#include "shell/commands/ProgramEvents.h"

#include <algorithm>

namespace {

TCommandId TagOf(const TMenuItem& item)
{
    return static_cast<TCommandId>(item.Tag);
}

bool In(TCommandId id, std::initializer_list<TCommandId> ids)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

bool IsListMark(TCommandId id)
{
    return In(id, {cmFavouritesList, cmFavouritesListEnd, cmRecentFilesList, cmRecentFilesListEnd, cmWindowList,
                   cmWindowListEnd});
}

// The caption before its first tab (the shortcut text added earlier goes).
std::string CutAtTab(const std::string& caption)
{
    const size_t tab = caption.find('\t');
    return tab == std::string::npos ? caption : caption.substr(0, tab);
}

// Commands whose item shows its checked state in every menu.
bool CheckedEverywhere(TCommandId id)
{
    return In(id, {290, 825, 828, 875, 3485, 6130, 6250, 6270, 6280, 6400, 6450, 7000, 7060, 7200, 7300, 7340,
                   9320}) ||
           (id >= 700 && id <= 706) || (id >= 6040 && id <= 6043) || (id >= 6120 && id <= 6125) ||
           (id >= 6170 && id <= 6190);
}

TMenuItem* NewItem(TMenuItem& parent, const std::string& caption, TCommandId tag)
{
    auto* item = new TMenuItem(parent.GetParentMenu());
    item->SetCaption(caption);
    item->Tag = tag;
    return item;
}

}  // namespace

// --- Preparing ---------------------------------------------------------------------------

void TCommandManager::PrepareMenu(TMenu* menu)
{
    if (!menu)
        return;
    TMenuItem& root = menu->Items();
    for (int i = root.Count() - 1; i >= 0; --i)
        PrepareMenuItem(*root.Items(i));
}

void TCommandManager::PrepareMenuItem(TMenuItem& item)
{
    for (int i = item.Count() - 1; i >= 0; --i)
        PrepareMenuItem(*item.Items(i));
    const TCommandId id = TagOf(item);
    if (id == 0)
        return;
    if (!item.OnClick)
        item.OnClick = [this](TMenuItem* sender) { MenuItemClick(sender); };
    std::string caption = CutAtTab(item.Caption());
    if (!ShowHotKeys || ShowHotKeys()) {
        const std::string shortcut = ShortcutText ? ShortcutText(id) : std::string();
        if (!shortcut.empty())
            caption += "\t" + shortcut;
    }
    item.SetCaption(caption);
}

void TCommandManager::MenuItemClick(TMenuItem* item)
{
    if (item)
        ExecuteCommand(TagOf(*item));
}

// --- Refreshing --------------------------------------------------------------------------

void TCommandManager::UpdateMenu(TMenu* menu)
{
    if (menu)
        UpdateMenu(menu->Items());
}

void TCommandManager::UpdateMenu(TMenuItem& root)
{
    TMenu* menu = root.GetParentMenu();
    const bool mainMenu = FContext.IsMainMenu(menu);
    const bool trayMenu = FContext.IsTrayMenu(menu);
    // The states the rules read beyond enabling, read once for the tree.
    TDocument* doc = GetTargetDocument();
    TCommandDocState ds;
    if (doc)
        FContext.ReadDocumentState(*doc, ds);
    TCommandFrameState fs;
    FContext.ReadFrameState(fs);
    // Children before their parent, the first child first.
    std::function<void(TMenuItem&)> walk = [&](TMenuItem& item) {
        for (int i = 0; i < item.Count(); ++i)
            walk(*item.Items(i));
        if (&item != &root || root.Parent())
            RefreshItem(item, mainMenu, trayMenu, doc, ds, fs);
    };
    walk(root);
}

void TCommandManager::RefreshItem(TMenuItem& item, bool mainMenu, bool trayMenu, TDocument* doc,
                                  const TCommandDocState& ds, const TCommandFrameState& fs)
{
    const TCommandId id = TagOf(item);
    if (id == 0)
        return;
    item.Enabled = IsCommandEnabled(id);
    const auto bookmarksVisible = [&] { return doc && ds.BookmarkCount > 0; };

    if (CheckedEverywhere(id)) {
        item.Checked = IsCommandChecked(id);
        return;
    }
    if (In(id, {6000, 6020, 6060, 6065, 6080, 6081, 6100, 6140})) {
        item.Checked = mainMenu && IsCommandChecked(id);
        return;
    }
    if (id >= 1000 && id <= 1099) {
        item.Default = !mainMenu && id - 1000 == fs.DefaultDocFormat;
        return;
    }
    if (id >= 15650 && id <= 15653) {
        item.Checked = item.Enabled && ds.CaretSectionBreakKind == id - 15650;
        return;
    }
    if (IsListMark(id) || In(id, {101123, 101124, 101125, 101127})) {
        item.Visible = false;
        return;
    }
    switch (id) {
    case 6240:
        item.Checked = IsCommandChecked(id);
        item.Visible = fs.VisualStylesOff;
        break;
    case 6260:
    case 6261:
        item.RadioItem = true;
        item.Checked = IsCommandChecked(id);
        break;
    case 6350:
        item.Visible = doc && !ds.EditingHeaderFooter && ds.BookmarkCount > 0;
        item.Checked = item.Visible && mainMenu && IsCommandChecked(id);
        break;
    case 7065:
        item.Visible = fs.FloatFmtPlt;
        item.Checked = IsCommandChecked(id);
        break;
    case 814:
        item.Visible = fs.SpellIgnoreList;
        break;
    case 349:
    case 350:
    case 150315:
    case 150320:
        item.Visible = fs.PictureHistory;
        break;
    case 3720:
        item.Checked = fs.InsertMode;
        break;
    case 3840:
    case 3860: {
        const bool undo = id == 3840;
        std::string caption;
        if (item.Enabled)
            caption = (undo ? "&Annuler " : "&Rétablir ") + EscapeMenuCaption(undo ? ds.UndoName : ds.RedoName);
        else
            caption = undo ? "Pas d'action à annuler" : "Pas d'action à rétablir";
        if (!ShowHotKeys || ShowHotKeys()) {
            const std::string shortcut = ShortcutText ? ShortcutText(id) : std::string();
            if (!shortcut.empty())
                caption += "\t" + shortcut;
        }
        item.SetCaption(caption);
        break;
    }
    case 4510:
    case 4511:
    case 150196:
        if (doc)
            item.Visible = bookmarksVisible();
        break;
    case 4900:
        item.Visible = doc && ds.CaretFieldEditable;
        break;
    case 5200:
        item.Default = true;
        break;
    case 15000:
        item.Default = !mainMenu;
        break;
    case 90140:
        item.Default = trayMenu;
        break;
    case 150310:
        item.Visible = IsCommandEnabled(15650);
        break;
    default:
        break;
    }
}

// --- Separators ---------------------------------------------------------------------------

void TCommandManager::TidyMenuSeparators(TMenuItem& item)
{
    const auto placeholder = [](const TMenuItem* child) { return IsListMark(TagOf(*child)); };
    const auto hiddenPlaceholder = [&](const TMenuItem* child) { return placeholder(child) && !child->Visible; };
    for (int i = item.Count() - 1; i >= 0; --i) {
        if (i >= item.Count())
            continue;
        TMenuItem* child = item.Items(i);
        if (child->Caption() != "-")
            continue;
        bool onlyHiddenBefore = true;
        for (int k = 0; k < i && onlyHiddenBefore; ++k)
            onlyHiddenBefore = hiddenPlaceholder(item.Items(k));
        bool onlyHiddenAfter = true;
        for (int k = i + 1; k < item.Count() && onlyHiddenAfter; ++k)
            onlyHiddenAfter = hiddenPlaceholder(item.Items(k));
        bool doubled = false;
        for (int k = i - 1; k >= 0; --k) {
            const TMenuItem* before = item.Items(k);
            if (placeholder(before))
                continue;
            doubled = before->Caption() == "-";
            break;
        }
        if (onlyHiddenBefore || onlyHiddenAfter || doubled)
            delete child;
    }
}

// --- Generated lists ----------------------------------------------------------------------

void TCommandManager::RebuildList(TMenuItem& level, TCommandId placeholder, TCommandId endMark,
                                  const std::function<void(TMenuItem&, int)>& build)
{
    for (int i = level.Count() - 1; i >= 0; --i)
        if (i < level.Count())
            RebuildList(*level.Items(i), placeholder, endMark, build);
    int end = -1;
    bool rebuilt = false;
    for (int i = level.Count() - 1; i >= 0; --i) {
        const TCommandId id = TagOf(*level.Items(i));
        if (id == endMark) {
            end = i;
        } else if (id == placeholder) {
            // The old list, up to the end mark it closes with.
            if (end > i)
                for (int k = end; k > i; --k)
                    level.Delete(k);
            build(level, i + 1);
            rebuilt = true;
            end = -1;
        }
    }
    if (rebuilt)
        TidyMenuSeparators(level);
}

void TCommandManager::UpdateFavouritesMenu(TMenu* menu)
{
    if (!menu || !(DirtyFlags & dfFavourites))
        return;
    DirtyFlags &= ~dfFavourites;
    RebuildList(menu->Items(), cmFavouritesList, cmFavouritesListEnd,
                [this](TMenuItem& parent, int index) { BuildFavouritesList(parent, index); });
}

void TCommandManager::UpdateRecentFilesMenu(TMenu* menu)
{
    if (!menu || !(DirtyFlags & dfRecentFiles) || !FContext.HasDocDispatcher())
        return;
    DirtyFlags &= ~dfRecentFiles;
    RebuildList(menu->Items(), cmRecentFilesList, cmRecentFilesListEnd,
                [this](TMenuItem& parent, int index) { BuildRecentFilesList(parent, index); });
}

void TCommandManager::UpdateWindowsMenu(TMenu* menu)
{
    if (!menu || !(DirtyFlags & dfWindows))
        return;
    DirtyFlags &= ~dfWindows;
    RebuildList(menu->Items(), cmWindowList, cmWindowListEnd,
                [this](TMenuItem& parent, int index) { BuildWindowsList(parent, index); });
}

void TCommandManager::BuildRecentFilesList(TMenuItem& parent, int index)
{
    const std::vector<std::string> files = FContext.RecentFiles();
    if (files.empty())
        return;
    std::vector<TMenuItem*> items;
    items.push_back(NewItem(parent, "-", 0));
    for (size_t i = 0; i < files.size(); ++i) {
        TMenuItem* item =
            NewItem(parent, EscapeMenuCaption(FContext.ShortenMenuFileName(files[i])), -static_cast<TCommandId>(i));
        item->Hint = files[i];
        item->OnClick = [this](TMenuItem* sender) { OpenRecentFile(sender); };
        items.push_back(item);
    }
    items.push_back(NewItem(parent, "-", 0));
    for (const auto& [caption, tag] : {std::pair<const char*, TCommandId>{"Supprimer les entrées caduques", 340},
                                       std::pair<const char*, TCommandId>{"Supprimer toutes les entrées", 343}}) {
        TMenuItem* item = NewItem(parent, caption, tag);
        item->OnClick = [this](TMenuItem* sender) { MenuItemClick(sender); };
        items.push_back(item);
    }
    items.push_back(NewItem(parent, "-", 0));
    TMenuItem* end = NewItem(parent, "", cmRecentFilesListEnd);
    end->Visible = false;
    items.push_back(end);
    for (TMenuItem* item : items)
        parent.Insert(index++, item);
}

void TCommandManager::BuildWindowsList(TMenuItem& parent, int index)
{
    const std::vector<std::string> captions = FContext.WindowCaptions();
    if (captions.empty())
        return;
    const int32_t active = FContext.ActiveWindowIndex();
    std::vector<TMenuItem*> items;
    items.push_back(NewItem(parent, "-", 0));
    for (size_t i = 0; i < captions.size() && i < 9; ++i) {
        TMenuItem* item = NewItem(parent, "&" + std::to_string(i + 1) + " " + EscapeMenuCaption(captions[i]),
                                  90105 + static_cast<TCommandId>(i));
        item->Checked = static_cast<int32_t>(i) == active;
        item->OnClick = [this](TMenuItem* sender) { MenuItemClick(sender); };
        items.push_back(item);
    }
    if (captions.size() > 9) {
        TMenuItem* more = NewItem(parent, "Autres fenêtres...", 90100);
        more->Checked = active >= 9;
        more->OnClick = [this](TMenuItem* sender) { MenuItemClick(sender); };
        items.push_back(more);
    }
    items.push_back(NewItem(parent, "-", 0));
    TMenuItem* end = NewItem(parent, "", cmWindowListEnd);
    end->Visible = false;
    items.push_back(end);
    for (TMenuItem* item : items)
        parent.Insert(index++, item);
}

void TCommandManager::BuildFavouritesList(TMenuItem& parent, int index)
{
    Favourites.Clear();
    std::string folder = FContext.FavouritesFolder();
    if (folder.empty() || !DirectoryExists(folder))
        return;
    folder = IncludeTrailingPathDelimiter(folder);
    TStringList found;
    FindFilesRecursive(folder, "*", found);
    for (int32_t i = 0; i < found.Count(); ++i)
        if (IsShortcutFile(found.Strings(i)))
            Favourites.Add(found.Strings(i));
    if (Favourites.Count() == 0)
        return;
    TMenuItem collected(nullptr);
    for (int32_t i = 0; i < Favourites.Count(); ++i) {
        const std::string& link = Favourites.Strings(i);
        std::string relative = ExtractFilePath(link).substr(folder.size());
        std::replace(relative.begin(), relative.end(), '\\', '/');
        TMenuItem* level = &collected;
        size_t start = 0;
        while (start < relative.size()) {
            size_t slash = relative.find('/', start);
            if (slash == std::string::npos)
                slash = relative.size();
            const std::string name = relative.substr(start, slash - start);
            start = slash + 1;
            if (name.empty())
                continue;
            TMenuItem* sub = nullptr;
            for (int k = 0; k < level->Count() && !sub; ++k)
                if (TagOf(*level->Items(k)) == cmFavouriteFolder && level->Items(k)->Caption() == name)
                    sub = level->Items(k);
            if (!sub) {
                sub = NewItem(parent, name, cmFavouriteFolder);
                level->Add(sub);
            }
            level = sub;
        }
        TMenuItem* leaf = NewItem(parent, EscapeMenuCaption(ExtractFileName(ResolveShortcut(link))), -i);
        leaf->OnClick = [this](TMenuItem* sender) { OpenFavourite(sender); };
        level->Add(leaf);
    }
    // Every level sorted: folders first, then by caption without regard to case.
    std::function<void(TMenuItem&)> sortLevel = [&](TMenuItem& level) {
        std::vector<TMenuItem*> children;
        for (int k = 0; k < level.Count(); ++k)
            children.push_back(level.Items(k));
        std::stable_sort(children.begin(), children.end(), [](const TMenuItem* a, const TMenuItem* b) {
            const bool fa = TagOf(*a) == cmFavouriteFolder, fb = TagOf(*b) == cmFavouriteFolder;
            if (fa != fb)
                return fa;
            return AnsiCompareText(a->Caption(), b->Caption()) < 0;
        });
        for (size_t k = 0; k < children.size(); ++k) {
            level.Insert(static_cast<int>(k), children[k]);
            sortLevel(*children[k]);
        }
    };
    sortLevel(collected);
    std::vector<TMenuItem*> items;
    items.push_back(NewItem(parent, "-", 0));
    while (collected.Count() > 0) {
        TMenuItem* child = collected.Items(0);
        collected.Remove(child);
        items.push_back(child);
    }
    items.push_back(NewItem(parent, "-", 0));
    TMenuItem* end = NewItem(parent, "", cmFavouritesListEnd);
    end->Visible = false;
    items.push_back(end);
    for (TMenuItem* item : items)
        parent.Insert(index++, item);
}

void TCommandManager::OpenRecentFile(TMenuItem* item)
{
    if (!item)
        return;
    const std::vector<std::string> files = FContext.RecentFiles();
    const int64_t index = -static_cast<int64_t>(item->Tag);
    if (index < 0 || index >= static_cast<int64_t>(files.size()))
        return;
    if (FContext.OpenDocumentFile(files[static_cast<size_t>(index)], 7))
        FireEvent(evDocumentOpenedFromList);
}

void TCommandManager::OpenFavourite(TMenuItem* item)
{
    if (!item)
        return;
    const int64_t index = -static_cast<int64_t>(item->Tag);
    if (index < 0 || index >= Favourites.Count())
        return;
    if (FContext.OpenDocumentFile(ResolveShortcut(Favourites.Strings(static_cast<int32_t>(index))), 0))
        FireEvent(evDocumentOpenedFromList);
}
