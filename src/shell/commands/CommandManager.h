#pragma once
// TCommandManager: the one place through which menus, toolbar buttons,
// shortcut keys, popup menus and other parts of the program run a command by
// its id. It holds the command texts (captions and hints from the resources
// MENUCOMMANDS and COMMANDHINTS), decides whether a command is enabled and its
// checked state, runs it through the handler of its id block, translates the
// standard edit messages into commands and stamps the time of the last user
// action for the idle work.
//
// The manager reads the frame and the target document through TCommandContext,
// which the main frame provides; the handlers of the id blocks are installed
// by the parts that build them. A command whose block has no handler yet is
// disabled: it is never run by a handler that does nothing.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CharFormat.h"
#include "foundation/Memory.h"
#include "platform/runtime/StringList.h"
#include "platform/win/Messages.h"
#include "shell/commands/CommandIds.h"

class TDocument;
class TCommandManager;
class TMenu;
class TMenuItem;

// What the enabling and checked-state rules read of the target document.
struct TCommandDocState {
    bool Modified = false;
    // A new document not yet written to a file.
    bool NeverSaved = false;
    // Its file lies in the document-templates folder, or on a removable or
    // CD-ROM drive.
    bool InTemplatesFolder = false;
    bool OnRemovableDrive = false;
    // Opened read-only. No enabling rule reads it: the handlers of the edits
    // refuse to change such a document.
    bool ReadOnly = false;
    bool SelectionEmpty = true;
    // A header or footer is being edited (not the body).
    bool EditingHeaderFooter = false;
    // The header or footer edited is taken over from an earlier section.
    bool HeaderFooterInherited = false;
    // The document is the note spike's own document.
    bool IsNoteSpikeDocument = false;
    bool CanUndo = false;
    bool CanRedo = false;
    // Bookmarks, counted after the sorted bookmark list is rebuilt.
    int32_t BookmarkCount = 0;
    bool PrintPreview = false;
    int32_t ViewMode = 0;  // 0 zoom percentage, 1 page width, 2 text width, 3 whole pages, 4 two pages
    int32_t ZoomPercent = 100;
    // The first paragraph index of the section of the caret's page.
    int32_t CaretSectionFirstParagraph = 0;
    // The character at the caret (the paragraph's last one at its end) is a section-break mark.
    bool CaretOnSectionBreak = false;
    bool TextHidden = false;
    bool ShowsFormatMarks = false;
    bool AutoHyphenation = false;
    // The common formats of the selection (NotSet where they differ).
    TCharFormat CharFormat;
    TParFormat ParFormat;
    // The document window: vertical scroll position and its maximum (range
    // less page size), and its state (0 normal, 1 minimised, 2 maximised).
    int32_t VertScrollPos = 0;
    int32_t VertScrollMax = 0;
    int32_t WindowState = 0;
    // The names of the kinds of the operations undo and redo would take
    // (empty when there is none).
    std::string UndoName;
    std::string RedoName;
    // The kind of the section break at the caret's paragraph (-1: none), and
    // whether the field at the caret is of a kind that can be edited.
    int32_t CaretSectionBreakKind = -1;
    bool CaretFieldEditable = false;
};

// What the rules read of the main frame, the options and the program's tools.
struct TCommandFrameState {
    // The frame's window is enabled (no modal dialog is open).
    bool FrameEnabled = true;
    bool FullScreen = false;
    int32_t MouseMode = 0;  // 0 normal, 1 hand, 2 format painter, 3 magnifier, 4 highlight, 5 font colour
    // The format painter's copied formats (read while the mouse mode is 2).
    TCharFormat PainterCharFormat;
    TParFormat PainterParFormat;
    // A paragraph or character format was copied (the format clipboard).
    bool CopiedParFormat = false;
    bool CopiedCharFormat = false;
    bool NoteSpikeExists = false;
    bool NoteSpikeEmpty = true;
    bool NoteSpikeVisible = false;
    bool NoteSpikeStoresAll = false;
    // The clip library: shown with its panel, its current item list not
    // empty, a clip selected (its path in the options), that clip a picture
    // file, and whether this desktop can preview picture clips.
    bool ClipLibraryShown = false;
    bool ClipLibraryHasItems = false;
    bool ClipSelected = false;
    bool SelectedClipIsPicture = false;
    bool PictureClipsSupported = true;
    // Options.
    bool AutoSpellCheck = false;
    bool UnderlineSpellingErrors = false;
    bool ShowFormatMarks = false;
    bool ViewMarginBorders = false;
    bool ViewRuler = false;
    bool ViewVertRuler = false;
    bool ViewBookmarks = false;
    bool ViewDocBar = false;
    bool ViewStatusBar = false;
    int32_t ScrollBars = 3;  // 0 none, 1 horizontal, 2 vertical, 3 both
    int32_t DocBarPosition = 1;
    bool DocBarFlat = false;
    bool FloatFmtPlt = false;
    bool FloatFmtPltVisible = false;
    // Toolbars: bit N set when toolbar N (0 standard, 1 formatting,
    // 2 complementary, 3 print preview) is visible in the current command set.
    uint8_t VisibleToolbars = 0;
    bool ToolbarFlat = false;
    bool ToolbarLarge = false;
    bool ToolbarDropDownMenus = false;
    bool ToolbarPreviewLists = false;
    int32_t ToolbarCommandSet = 0;  // 0 main, 1 complementary
    // Document windows.
    int32_t OpenDocuments = 0;
    int32_t UnminimisedWindows = 0;
    int32_t WindowsMinimisedByCommand = 0;
    // The internet library was loaded at start-up.
    bool InternetAvailable = false;
    // What the menus show beyond enabling: the frame's insert mode (not
    // overtype), visual styles off, the history of inserted pictures not
    // empty, the spelling manager's ignore list set, the default format of
    // new documents.
    bool InsertMode = true;
    bool VisualStylesOff = true;
    bool PictureHistory = false;
    bool SpellIgnoreList = false;
    int32_t DefaultDocFormat = 0;
};

// The frame's side of the command manager.
class TCommandContext {
public:
    virtual ~TCommandContext() = default;
    // The main frame's active document (nil when no document is open).
    virtual TDocument* ActiveDocument() = 0;
    virtual void ReadDocumentState(TDocument& document, TCommandDocState& state) = 0;
    virtual void ReadFrameState(TCommandFrameState& state) = 0;
    // Has the clipboard manager read the clipboard: true when it could, with
    // pasteable set when it holds pasteable text or data. The clipboard is
    // closed again before it returns.
    virtual bool ReadClipboard(bool& pasteable) = 0;
    // The clipboard manager holds an internal fragment or picture of its own.
    virtual bool HasInternalClip() = 0;
    // The clipboard could not be read: the frame lays itself out again later.
    virtual void RequestFrameLayout() = 0;
    // Steps around running a command: a held status-bar message is released,
    // the floating clip-name chooser hidden (unless pinned), the document's
    // one-shot "next click undoes" flag cleared, the toolbars repainted
    // (unless the toolbar manager is in its update state).
    virtual void ReleaseHeldStatusMessage() {}
    virtual void HideClipNameChooser() {}
    virtual void ClearUndoOnNextClick(TDocument& /*document*/) {}
    virtual void RepaintToolbars() {}
    // An insert of that name (compared without regard to case) is in the
    // collection the clip library shows. Without a clip library no collection
    // holds inserts.
    virtual bool InsertNameExists(const std::string& /*name*/) { return false; }

    // --- What the generated menu lists read ---
    // The document dispatcher exists (the recent-file list is its).
    virtual bool HasDocDispatcher() { return false; }
    // The recent documents, in menu order.
    virtual std::vector<std::string> RecentFiles() { return {}; }
    // The captions of the open documents' windows in the dispatcher's order,
    // and the index of the active one (-1: none).
    virtual std::vector<std::string> WindowCaptions() { return {}; }
    virtual int32_t ActiveWindowIndex() { return -1; }
    // The favourites folder (option); empty: no favourites.
    virtual std::string FavouritesFolder() { return {}; }
    // A file name shortened to the width of a menu item (300 pixels of the
    // frame's canvas).
    virtual std::string ShortenMenuFileName(const std::string& fileName) { return fileName; }
    // Opens a document for the user through the dispatcher (mode 7: a recent
    // file); true when it was opened.
    virtual bool OpenDocumentFile(const std::string& /*fileName*/, int32_t /*mode*/) { return false; }
    // The menu is the frame's main menu, or its system-tray popup.
    virtual bool IsMainMenu(const TMenu* /*menu*/) { return false; }
    virtual bool IsTrayMenu(const TMenu* /*menu*/) { return false; }
};

// The handlers of one id block.
class TCommandHandler {
public:
    virtual ~TCommandHandler() = default;
    virtual void HandleCommand(TCommandManager& manager, TCommandId id) = 0;
};

class TCommandManager {
public:
    explicit TCommandManager(TCommandContext& context);
    ~TCommandManager();
    TCommandManager(const TCommandManager&) = delete;
    TCommandManager& operator=(const TCommandManager&) = delete;

    // --- Texts ---
    void LoadCommandTexts();
    // The hint; with a shortcut "%s (%s)", with a category "%s (Catégorie : %s)".
    // An id without a hint gives "" when silent, else "Commande inconnue".
    std::string GetCommandText(TCommandId id, bool withShortcut, bool withCategory, bool silent);
    // The caption, with or without its accelerator marks; the hint when the
    // command has no caption.
    std::string GetCommandCaption(TCommandId id, bool keepAccelerators);
    // Appends the silent hint of every id of the categories in the set (bit N
    // for category N), each id once, with the id as the line's object.
    void FillCommandList(TStrings& list, uint8_t categories);
    // Collects into NewCommands, newest first, the commands newer than the
    // version of the last run; true when there are any.
    bool CollectNewCommands(int32_t currentVersion, int32_t lastRunVersion);
    // Gives the display text of a command's shortcut (empty: none).
    std::function<std::string(TCommandId)> ShortcutText;

    // --- Running ---
    void ExecuteCommand(TCommandId id);
    bool IsCommandEnabled(TCommandId id);
    // 0 on, 1 off, 2 mixed.
    int32_t GetCommandState(TCommandId id);
    bool IsCommandChecked(TCommandId id) { return GetCommandState(id) == 0; }
    // WM_CUT, WM_COPY, WM_PASTE and WM_CLEAR run 3420, 3340, 3360, 3200 and
    // are marked handled (result 1); true for those. Others pass untouched.
    bool TranslateEditMessage(TMessage& message);
    void SetLastActionTime();
    // The tick count minus LastActionTime, as a signed 32-bit difference, is
    // at least the given number of milliseconds.
    bool IdleFor(int32_t milliseconds) const;
    TDocument* GetTargetDocument();
    // The frame's side, for the runners of commands that carry a value.
    TCommandContext& Context() { return FContext; }

    // --- Routines the handlers share ---
    // Deletes the target document's selection as one undoable operation
    // (forward deletion; with the whole-word option, a selection of whole
    // words takes its neighbouring space along), then fires event 2300.
    void DeleteSelection(bool wholeWordOption);
    // Checks the name of a clip insert; shows what is wrong and returns false.
    bool ValidateInsertName(const std::string& name);

    // --- Menus ---
    // Prepares every item of the menu (click handler, caption with its
    // shortcut text); nothing for a nil menu.
    void PrepareMenu(TMenu* menu);
    void PrepareMenuItem(TMenuItem& item);
    // Refreshes the items under the root (enabled, checked, visible, caption)
    // before it opens. The menu decides what "main menu" rules apply.
    void UpdateMenu(TMenuItem& root);
    void UpdateMenu(TMenu* menu);
    // Runs the command of the clicked item's Tag.
    void MenuItemClick(TMenuItem* item);
    // Frees leading, trailing and doubled separators among the children.
    void TidyMenuSeparators(TMenuItem& item);
    // Rebuild the generated lists of the menu when their dirty flag is set.
    void UpdateFavouritesMenu(TMenu* menu);
    void UpdateRecentFilesMenu(TMenu* menu);
    void UpdateWindowsMenu(TMenu* menu);
    // Insert a list into a submenu at a position.
    void BuildFavouritesList(TMenuItem& parent, int index);
    void BuildRecentFilesList(TMenuItem& parent, int index);
    void BuildWindowsList(TMenuItem& parent, int index);
    // Handlers of the list items.
    void OpenFavourite(TMenuItem* item);
    void OpenRecentFile(TMenuItem* item);
    // Whether ShowHotKeys is on (the option; true without options).
    std::function<bool()> ShowHotKeys;
    // Fired when a favourite or recent file was opened from its menu.
    static constexpr int32_t evDocumentOpenedFromList = 2020;

    // The handler of a block (nullptr removes it); the previous one is returned.
    // Paragraph, Character, Document, Window and Help have one handler each;
    // ToolControl is the control-command runner's.
    TCommandHandler* SetBlockHandler(TCommandBlock block, TCommandHandler* handler);
    // The clock (milliseconds since system start); tests put their own.
    std::function<uint32_t()> TickSource;

    // Fields.
    std::unique_ptr<TMemory> Hints;
    std::unique_ptr<TMemory> Captions;
    uint32_t LastActionTime = 0;
    bool CanPaste = false;
    TDocument* TargetDocument = nullptr;
    TCommandId LastCommand = 0;
    uint8_t DirtyFlags = 0x39;
    TStringList Favourites;
    std::vector<TCommandId> NewCommands;

    static constexpr uint8_t dfClipboard = 0x01;
    static constexpr uint8_t dfFavourites = 0x08;
    static constexpr uint8_t dfRecentFiles = 0x10;
    static constexpr uint8_t dfWindows = 0x20;

private:
    bool BlockRule(TCommandId id, TDocument* doc, const TCommandDocState& ds, const TCommandFrameState& fs);
    bool ToolControlRule(TCommandId id, TDocument* doc);
    bool PastePossible();
    bool HandlerMissing(TCommandId id) const;
    void RefreshItem(TMenuItem& item, bool mainMenu, bool trayMenu, TDocument* doc, const TCommandDocState& ds,
                     const TCommandFrameState& fs);
    void RebuildList(TMenuItem& level, TCommandId placeholder, TCommandId endMark,
                     const std::function<void(TMenuItem&, int)>& build);
    TCommandHandler* FHandlers[10] = {};
    TCommandContext& FContext;
};

// The program's command manager: made by CreateCommandManager at start-up and
// freed by FreeCommandManager at shutdown; null outside that span.
extern TCommandManager* CommandManager;
void CreateCommandManager(TCommandContext& context);
void FreeCommandManager();
