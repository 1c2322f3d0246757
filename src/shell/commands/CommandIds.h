#pragma once
// The command id space: every user action is one TCommandId, shared by menus,
// toolbar buttons, shortcut keys and popup menus. The id's block selects the
// group of handlers that runs it. This module also holds the fixed tables of
// the commands: the eight categories of the customisation dialogs, the keyword
// table and the table of the commands that are new in a program version.
#include <cstdint>
#include <string>

using TCommandId = int32_t;

// The id blocks, found by range tests in this order.
enum class TCommandBlock : uint8_t {
    None,        // below 100, 18000-89999, 93000-99999, 103000-199999, 224000 and up
    File,        // 100 to 2999
    Edit,        // 3000 to 5999
    View,        // 6000 to 8999
    Paragraph,   // 9000 to 11999
    Character,   // 12000 to 14999
    Document,    // 15000 to 17999
    Window,      // 90000 to 92999
    Help,        // 100000 to 102999
    ToolControl  // 200000 to 223999
};
TCommandBlock CommandBlockOf(TCommandId id);

// Ids with a role of their own.
constexpr TCommandId cmFavouritesList = 1250;
constexpr TCommandId cmFavouritesListEnd = 1251;
constexpr TCommandId cmRecentFilesList = 1300;
constexpr TCommandId cmRecentFilesListEnd = 1301;
constexpr TCommandId cmToolbarOptions = 6030;
constexpr TCommandId cmDocBarOptions = 6095;
constexpr TCommandId cmSwitchToolbarCommandSet = 6263;
constexpr TCommandId cmWindowList = 90300;
constexpr TCommandId cmWindowListEnd = 90301;
constexpr TCommandId cmFirstToolControl = 200000;
// Toolbar controls that exist have ids below this one.
constexpr TCommandId cmToolControlLimit = 215000;
constexpr TCommandId cmFavouriteFolder = 1000001000;
constexpr TCommandId cmEmptyPlaceholder = 1000002000;
constexpr TCommandId cmMoreButtons = 2000000000;

// The customisation dialogs' categories: eight rows of at most 83 ids, ended by
// a 0 when shorter; the ninth name stands for all categories.
constexpr int CommandCategoryCount = 8;
constexpr int CommandCategorySlots = 83;
extern const TCommandId CommandCategories[CommandCategoryCount][CommandCategorySlots];
extern const char* const CommandCategoryNames[CommandCategoryCount + 1];

// The keyword of a command (upper case), sorted by keyword.
struct TCommandName {
    TCommandId Id;
    const char* Name;
};
constexpr int CommandNameCount = 112;
extern const TCommandName CommandNames[CommandNameCount];

// A command that is new from a program version on; After names the command it
// follows in the menus (0 for none).
struct TNewCommand {
    TCommandId Id;
    int32_t Version;
    TCommandId After;
};
constexpr int NewCommandCount = 42;
extern const TNewCommand NewCommandTable[NewCommandCount];
