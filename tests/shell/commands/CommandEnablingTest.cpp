// Enabling and checked state of the commands in each document state, running
// commands through their block's handler, the paste rule, the idle clock and
// the edit messages.
#include "shell/commands/CommandManager.h"

#include "CommandTesting.h"

#include <gtest/gtest.h>

namespace {

enum TDocCase { NoDoc, NoSelection, Selection, ReadOnly, InHeader, InNote, CaseCount };
const char* const CaseNames[CaseCount] = {"no document", "no selection", "selection", "read-only", "in a header",
                                          "in the note spike"};

class CommandEnabling : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallHandlers(Manager, Handler);
        Manager.TickSource = [this] { return Clock; };
        // A frame with the note spike holding something, a pasteable
        // clipboard, copied formats, one open window, the option to show
        // formatting marks on.
        Context.Frame.NoteSpikeExists = true;
        Context.Frame.NoteSpikeEmpty = false;
        Context.Frame.CopiedParFormat = true;
        Context.Frame.CopiedCharFormat = true;
        Context.Frame.OpenDocuments = 1;
        Context.Frame.UnminimisedWindows = 1;
        Context.Frame.ShowFormatMarks = true;
        Context.ClipboardPasteable = true;
    }

    // A modified document that can undo, with two bookmarks; its selection
    // is bold with a double underline, right aligned, single spaced.
    void Enter(TDocCase c)
    {
        Context.Active = c == NoDoc ? nullptr : &Document;
        TCommandDocState& d = Context.Doc;
        d = TCommandDocState();
        d.Modified = true;
        d.CanUndo = true;
        d.BookmarkCount = 2;
        d.CharFormat[cfBold] = 1;
        d.CharFormat[cfUnderline] = 3;
        d.ParFormat[pfAlignment] = 2;
        d.ParFormat[pfLineRule] = 1;
        d.ParFormat[pfLineSpacing] = 240;
        d.SelectionEmpty = c == NoSelection;
        d.ReadOnly = c == ReadOnly;
        d.EditingHeaderFooter = c == InHeader;
        d.CaretSectionFirstParagraph = c == InHeader ? 4 : 0;
        d.IsNoteSpikeDocument = c == InNote;
    }

    uint32_t Clock = 1000;
    TTestCommandContext Context;
    TCommandManager Manager{Context};
    TRecordingHandler Handler;
    TDocument Document{true};
};

TEST_F(CommandEnabling, CommandsByDocumentState)
{
    // Per command: enabled and checked in each state, in the order of
    // CaseNames ('1' enabled or checked).
    struct TRow {
        TCommandId Id;
        const char* Enabled;
        const char* Checked;
    };
    const TRow rows[] = {
        {100, "111111", "000000"},     // new document: always
        {180, "011111", "000000"},     // save: the document is modified
        {3340, "001111", "000000"},    // copy: a selection
        {3420, "001111", "000000"},    // cut
        {3360, "011111", "000000"},    // paste: a document and a pasteable clipboard
        {3440, "001110", "000000"},    // copy to the note spike: not from its own document
        {3480, "011110", "000000"},    // paste from the note spike
        {3460, "011111", "000000"},    // empty the note spike
        {3485, "111111", "000000"},    // the note spike keeps everything: always
        {3002, "011101", "000000"},    // page break: the body only
        {4510, "011101", "000000"},    // previous bookmark: the body, with bookmarks
        {3840, "011111", "000000"},    // undo
        {3860, "000000", "000000"},    // redo: nothing to redo
        {3511, "011111", "000000"},    // paste all formats: both formats copied
        {5105, "111111", "000000"},    // address books: always
        {6060, "011111", "000000"},    // ruler: a document
        {6400, "111111", "000000"},    // note spike window: always
        {7200, "011111", "000010"},    // header/footer view: checked while editing one
        {7300, "000010", "000000"},    // header/footer commands: while editing one
        {7340, "000010", "000000"},    // same as previous: not in the first section
        {9082, "011111", "011111"},    // right aligned
        {9080, "011111", "000000"},
        {9180, "011111", "011111"},    // single line spacing
        {12120, "011111", "011111"},   // bold
        {12160, "011111", "000000"},   // single underline: off under a double one
        {12162, "011111", "011111"},   // double underline
        {12310, "011101", "000000"},   // fewer pages: the body only
        {12600, "111111", "000000"},
        {15600, "011101", "000000"},   // columns: the body only
        {6000, "011111", "100000"},    // formatting marks: the document's, else the option
        {90000, "011111", "000000"},   // cascade
        {90120, "111111", "000000"},   // to the tray: always
        {90105, "111111", "000000"},   // activate document 1: one is open
        {90106, "000000", "000000"},
        {100000, "111111", "000000"},  // help: always
        {101210, "000000", "000000"},  // update: no internet library
        {50, "111111", "000000"},      // no block: always
        {150196, "111111", "000000"},
        {200000, "111111", "000000"},  // toolbar controls
        {203500, "011111", "000000"},  // as paste
        {206100, "011111", "000000"},  // zoom list: a document
        {220000, "111111", "000000"},
    };
    for (int c = 0; c < CaseCount; ++c) {
        Enter(static_cast<TDocCase>(c));
        SCOPED_TRACE(CaseNames[c]);
        for (const TRow& row : rows) {
            SCOPED_TRACE(row.Id);
            EXPECT_EQ(Manager.IsCommandEnabled(row.Id), row.Enabled[c] == '1');
            EXPECT_EQ(Manager.IsCommandChecked(row.Id), row.Checked[c] == '1');
        }
    }
}

TEST_F(CommandEnabling, WithoutADocumentOnlyTheDocumentFreeEditAndFormatCommandsAreEnabled)
{
    Enter(NoDoc);
    auto enabledIds = [&] {
        std::vector<TCommandId> ids;
        for (TCommandId id = 3000; id < 18000; ++id)
            if ((id < 6000 || id >= 9000) && Manager.IsCommandEnabled(id))
                ids.push_back(id);
        return ids;
    };
    EXPECT_EQ(enabledIds(), (std::vector<TCommandId>{3485, 5105, 5215, 12600}));
    // The clip library's commands follow their own rules.
    Context.Frame.ClipLibraryShown = true;
    Context.Frame.ClipLibraryHasItems = true;
    EXPECT_EQ(enabledIds(), (std::vector<TCommandId>{3485, 5105, 5205, 5210, 5212, 5215, 12600}));
    // A picture clip on a desktop that cannot preview it.
    Context.Frame.SelectedClipIsPicture = true;
    Context.Frame.PictureClipsSupported = false;
    EXPECT_EQ(enabledIds(), (std::vector<TCommandId>{3485, 5105, 5205, 5212, 5215, 12600}));
}

TEST_F(CommandEnabling, ACommandWhoseBlockHasNoHandlerIsDisabled)
{
    Enter(Selection);
    Manager.SetBlockHandler(TCommandBlock::Edit, nullptr);
    EXPECT_FALSE(Manager.IsCommandEnabled(3340));
    EXPECT_FALSE(Manager.IsCommandEnabled(3485));
    EXPECT_FALSE(Manager.IsCommandEnabled(3511));  // reads 9040 and 12040, whose blocks have handlers
    EXPECT_TRUE(Manager.IsCommandEnabled(9040));
    EXPECT_EQ(Manager.GetCommandText(3340, false, false, false), "Copier");  // the hint still shows
    Manager.ExecuteCommand(3340);
    EXPECT_TRUE(Handler.Ran.empty());
    EXPECT_EQ(Manager.LastCommand, 0);
    // Without the control runner, the toolbar controls that exist are off;
    // ids past them belong to no control.
    Manager.SetBlockHandler(TCommandBlock::ToolControl, nullptr);
    EXPECT_FALSE(Manager.IsCommandEnabled(200000));
    EXPECT_TRUE(Manager.IsCommandEnabled(218000));
    EXPECT_TRUE(Manager.IsCommandEnabled(50));
}

TEST_F(CommandEnabling, RunningCommands)
{
    Enter(Selection);
    Manager.ExecuteCommand(3340);
    Manager.ExecuteCommand(6060);
    Manager.ExecuteCommand(12120);
    EXPECT_EQ(Handler.Ran, (std::vector<TCommandId>{3340, 6060, 12120}));
    EXPECT_EQ(Manager.LastCommand, 12120);
    // The one-shot "next click undoes" flag is cleared for edit and format commands only.
    EXPECT_EQ(Context.UndoFlagsCleared, (std::vector<TDocument*>{&Document, &Document}));
    EXPECT_EQ(Context.StatusReleases, 3);
    EXPECT_EQ(Context.ToolbarRepaints, 3);

    // A disabled command changes nothing but the time stamp and repaints the toolbars.
    Clock = 5000;
    Manager.ExecuteCommand(3860);
    EXPECT_EQ(Handler.Ran.size(), 3u);
    EXPECT_EQ(Manager.LastCommand, 12120);
    EXPECT_EQ(Manager.LastActionTime, 5000u);
    EXPECT_EQ(Context.ToolbarRepaints, 4);

    // Outside every block: no handler, but it is the last command.
    Manager.ExecuteCommand(50);
    EXPECT_EQ(Manager.LastCommand, 50);
    // Toolbar controls run through the control runner, not here.
    Manager.ExecuteCommand(206100);
    EXPECT_EQ(Manager.LastCommand, 206100);
    EXPECT_EQ(Handler.Ran.size(), 3u);

    // The target document, when set, is the one commands act on.
    TDocument other(true);
    Manager.TargetDocument = &other;
    Manager.ExecuteCommand(3340);
    EXPECT_EQ(Context.UndoFlagsCleared.back(), &other);
    Manager.TargetDocument = nullptr;
    EXPECT_EQ(Manager.GetTargetDocument(), &Document);
}

TEST_F(CommandEnabling, IdleClock)
{
    Manager.ExecuteCommand(50);
    EXPECT_FALSE(Manager.IdleFor(300));
    Clock += 299;
    EXPECT_FALSE(Manager.IdleFor(300));
    Clock += 1;
    EXPECT_TRUE(Manager.IdleFor(300));
    EXPECT_FALSE(Manager.IdleFor(3000));
    // Across the wrap of the tick count.
    Clock = 0xFFFFFF00u;
    Manager.SetLastActionTime();
    Clock = 0x00000100u;
    EXPECT_TRUE(Manager.IdleFor(300));
    EXPECT_FALSE(Manager.IdleFor(1000));
}

TEST_F(CommandEnabling, EditMessages)
{
    Enter(NoDoc);
    TMessage paste{WM_PASTE, 0, 0, 0};
    EXPECT_TRUE(Manager.TranslateEditMessage(paste));
    EXPECT_EQ(paste.Result, 1);  // handled, though nothing could run
    EXPECT_TRUE(Handler.Ran.empty());
    Enter(Selection);
    for (UINT msg : {WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR}) {
        TMessage m{msg, 0, 0, 0};
        EXPECT_TRUE(Manager.TranslateEditMessage(m));
    }
    EXPECT_EQ(Handler.Ran, (std::vector<TCommandId>{3420, 3340, 3360, 3200}));
    TMessage other{WM_CHAR, 'a', 0, 0};
    EXPECT_FALSE(Manager.TranslateEditMessage(other));
    EXPECT_EQ(other.Result, 0);
}

TEST_F(CommandEnabling, PasteReadsTheClipboardOncePerChange)
{
    Enter(NoSelection);
    EXPECT_EQ(Manager.DirtyFlags, 0x39);
    EXPECT_TRUE(Manager.IsCommandEnabled(3360));
    EXPECT_TRUE(Manager.IsCommandEnabled(3380));
    EXPECT_EQ(Context.ClipboardReads, 1);
    EXPECT_EQ(Manager.DirtyFlags, 0x38);
    // The clipboard changes: the frame sets the bit again.
    Context.ClipboardPasteable = false;
    Manager.DirtyFlags |= TCommandManager::dfClipboard;
    EXPECT_FALSE(Manager.IsCommandEnabled(3400));
    // A fragment of the clipboard manager's own can still be pasted.
    Context.InternalClip = true;
    EXPECT_TRUE(Manager.IsCommandEnabled(3360));
    Context.InternalClip = false;
    // A clipboard that cannot be read: read again next time, and the frame re-laid out.
    Manager.DirtyFlags |= TCommandManager::dfClipboard;
    Context.ClipboardReadable = false;
    EXPECT_FALSE(Manager.IsCommandEnabled(3360));
    EXPECT_FALSE(Manager.IsCommandEnabled(3360));
    EXPECT_EQ(Context.LayoutRequests, 2);
    EXPECT_EQ(Manager.DirtyFlags & TCommandManager::dfClipboard, 1);
    EXPECT_EQ(Context.ClipboardReads, 4);
}

TEST_F(CommandEnabling, FormatStates)
{
    Enter(Selection);
    // Mixed alignment and underline, and an exact line spacing.
    Context.Doc.ParFormat[pfAlignment] = NotSet;
    Context.Doc.CharFormat[cfUnderline] = NotSet;
    Context.Doc.ParFormat[pfLineSpacing] = 480;
    for (TCommandId id = 9080; id <= 9083; ++id)
        EXPECT_EQ(Manager.GetCommandState(id), 2) << id;
    EXPECT_EQ(Manager.GetCommandState(12160), 2);
    EXPECT_EQ(Manager.GetCommandState(9220), 0);
    EXPECT_EQ(Manager.GetCommandState(9210), 0);  // ids between compare with 480
    EXPECT_EQ(Manager.GetCommandState(9200), 1);
    Context.Doc.ParFormat[pfLineRule] = NotSet;
    EXPECT_EQ(Manager.GetCommandState(9220), 2);
    // Bold mixed, italic off, superscript.
    Context.Doc.CharFormat[cfBold] = NotSet;
    Context.Doc.CharFormat[cfVerticalPosition] = 1;
    EXPECT_EQ(Manager.GetCommandState(12120), 2);
    EXPECT_EQ(Manager.GetCommandState(12140), 1);
    EXPECT_EQ(Manager.GetCommandState(12180), 0);
    EXPECT_EQ(Manager.GetCommandState(12200), 1);
    // The underline kinds of the range; 12168 and 12169 both stand for 43.
    const std::pair<TCommandId, int32_t> kinds[] = {{12163, 4}, {12164, 7}, {12165, 9}, {12166, 11},
                                                     {12167, 39}, {12168, 43}, {12169, 43}};
    for (const auto& [id, kind] : kinds) {
        Context.Doc.CharFormat[cfUnderline] = kind;
        EXPECT_EQ(Manager.GetCommandState(id), 0) << id;
        EXPECT_EQ(Manager.GetCommandState(12160), 1);
    }
    // The format painter's copied formats rule while it is the mouse mode,
    // and the commands that change sizes and indents are off.
    Context.Frame.MouseMode = 2;
    Context.Frame.PainterParFormat[pfAlignment] = 0;
    EXPECT_EQ(Manager.GetCommandState(9080), 0);
    EXPECT_EQ(Manager.GetCommandState(702), 0);
    EXPECT_FALSE(Manager.IsCommandEnabled(9100));
    EXPECT_FALSE(Manager.IsCommandEnabled(12240));
    EXPECT_TRUE(Manager.IsCommandEnabled(9080));
}

TEST_F(CommandEnabling, ViewStates)
{
    Enter(NoSelection);
    // Zoom entries: the view mode, and the percentage for the 100 % entry.
    Context.Doc.ViewMode = 0;
    Context.Doc.ZoomPercent = 100;
    EXPECT_TRUE(Manager.IsCommandChecked(6174));
    Context.Doc.ZoomPercent = 90;
    EXPECT_FALSE(Manager.IsCommandChecked(6174));
    Context.Doc.ViewMode = 3;
    EXPECT_TRUE(Manager.IsCommandChecked(6172));
    EXPECT_FALSE(Manager.IsCommandChecked(6180));
    // Scroll bars and their menu.
    Context.Frame.ScrollBars = 2;
    Context.Doc.VertScrollPos = 0;
    Context.Doc.VertScrollMax = 100;
    EXPECT_FALSE(Manager.IsCommandChecked(6080));
    EXPECT_TRUE(Manager.IsCommandChecked(6081));
    EXPECT_FALSE(Manager.IsCommandEnabled(6086));  // already at the top
    EXPECT_TRUE(Manager.IsCommandEnabled(6087));
    Context.Doc.VertScrollPos = 100;
    EXPECT_TRUE(Manager.IsCommandEnabled(6088));
    EXPECT_FALSE(Manager.IsCommandEnabled(6091));
    Context.Doc.ViewMode = 1;
    EXPECT_FALSE(Manager.IsCommandEnabled(6080));  // no horizontal bar in page-width mode
    // Toolbars.
    Context.Frame.VisibleToolbars = 0x0B;
    EXPECT_TRUE(Manager.IsCommandChecked(6041));
    EXPECT_FALSE(Manager.IsCommandChecked(6042));
    EXPECT_TRUE(Manager.IsCommandEnabled(6265));
    EXPECT_TRUE(Manager.IsCommandEnabled(6266));
    Context.Frame.VisibleToolbars = 0x0F;
    EXPECT_FALSE(Manager.IsCommandEnabled(6266));
    // Full screen takes the view commands away, but not leaving it.
    Context.Frame.FullScreen = true;
    EXPECT_FALSE(Manager.IsCommandEnabled(6060));
    EXPECT_FALSE(Manager.IsCommandEnabled(6263));
    EXPECT_TRUE(Manager.IsCommandEnabled(7000));
    EXPECT_TRUE(Manager.IsCommandChecked(7000));
    // Window states: restore, minimise, maximise are off for the state the window is in.
    Context.Doc.WindowState = 2;
    EXPECT_TRUE(Manager.IsCommandEnabled(90160));
    EXPECT_TRUE(Manager.IsCommandEnabled(90161));
    EXPECT_FALSE(Manager.IsCommandEnabled(90162));
    // Saving an unmodified document: only when never saved or from a template or removable drive.
    Context.Doc.Modified = false;
    EXPECT_FALSE(Manager.IsCommandEnabled(180));
    Context.Doc.OnRemovableDrive = true;
    EXPECT_TRUE(Manager.IsCommandEnabled(180));
    // Quitting needs the frame enabled; 810 and 811 never are.
    Context.Frame.FrameEnabled = false;
    EXPECT_FALSE(Manager.IsCommandEnabled(360));
    EXPECT_FALSE(Manager.IsCommandEnabled(810));
}

}  // namespace
