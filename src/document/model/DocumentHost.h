#pragma once
// The services of the higher subsystems that the document model calls: the
// main window, the document dispatcher, the program options and the dialogs.
// The shell installs its host at start-up. Without one, the options keep their
// factory values (kept here, so untitled names still advance), no other
// document is open, and notifications reach nobody, which is right while no
// main window exists.
#include "document/model/TextPosition.h"
#include "foundation/CharFormat.h"
#include "platform/runtime/DateTime.h"

#include <cstdint>
#include <string>
#include <vector>

class TDocument;

// The properties that the properties dialog edits and information fields show.
struct TDocProperties {
    std::string Title;
    std::string Subject;
    std::string Author;
    std::string Keywords;
    std::string Comments;
    std::string LastAuthor;
    TDateTime Created = 0;
    TDateTime LastSaved = 0;
    TDateTime LastPrinted = 0;
};

// The view settings the options keep for full-screen mode.
struct TFullScreenSettings {
    uint8_t ViewMode = 0;
    int32_t Zoom = 100;
    uint8_t ZoomKind = 0;
};

// The main window's editing tool, which shapes the typing format.
enum TEditTool : uint8_t {
    etNone = 0,
    etFormatPainter = 1,
    etHighlighter = 2,
    etFontColorPen = 3,
};

class TDocumentHost {
public:
    virtual ~TDocumentHost() = default;

    // Main window: recompute the frame layout (toolbars, document bar, status
    // bar) in the next idle handling.
    virtual void RequestLayout() {}
    // Main window: the status bar's mode (0 panels, 1 text with progress bar,
    // 2 text only), its text shown at once, and its mode and text saved and
    // restored around long work (nested, with the wait cursor).
    virtual int32_t StatusBarMode() { return 0; }
    virtual void SetStatusBarMode(int32_t /*mode*/) {}
    virtual void SetStatusText(const std::string& /*text*/) {}
    virtual void PushStatus() {}
    virtual void PopStatus() {}
    // The main window's current editing tool, with the format painter's
    // format, the highlighter's colour and the font-colour pen's colour.
    virtual TEditTool EditTool() { return etNone; }
    virtual TCharFormat PainterFormat() { return TCharFormat{}; }
    virtual int32_t HighlightColor() { return 0; }
    virtual int32_t FontColor() { return 0; }

    // Document dispatcher: a document is being changed, and the change is over
    // (nested).
    virtual void BeginDocumentUpdate(TDocument& /*document*/) {}
    virtual void EndDocumentUpdate() {}
    // An open document has this file name.
    virtual bool IsDocumentOpen(const std::string& /*fileName*/) { return false; }
    // The document is one of the dispatcher's open documents.
    virtual bool IsOpenDocument(const TDocument& /*document*/) { return false; }
    // The open document of that file name; null when none is open.
    virtual TDocument* FindOpenDocument(const std::string& /*fileName*/) { return nullptr; }
    // Puts a file at the top of the recent-inserted-files list.
    virtual void AddRecentInsertedFile(const std::string& /*fileName*/) {}
    // The file lies in the templates folder.
    virtual bool IsTemplateFile(const std::string& /*fileName*/) { return false; }
    // The template document of a file format (or the named template when a
    // name is given), opened hidden when it is not open; freeAfter tells
    // the caller to hand it back through ReleaseTemplateDocument. Null: no
    // template.
    virtual TDocument* GetTemplateDocument(int32_t /*coding*/, const std::string& /*templateName*/,
                                           bool& freeAfter)
    {
        freeAfter = false;
        return nullptr;
    }
    virtual void ReleaseTemplateDocument(TDocument* /*document*/) {}

    // Options: the untitled-document counter, 1 to 99 (0: none used yet).
    virtual int32_t UntitledCounter() { return FUntitledCounter; }
    virtual void SetUntitledCounter(int32_t counter) { FUntitledCounter = counter; }
    // The default document folder when the options say to use one; empty
    // otherwise (the user's documents folder is taken).
    virtual std::string DefaultDocumentFolder() { return {}; }
    // The author name of the options.
    virtual std::string AuthorName() { return {}; }
    // The user name of the options (AUTHOR and LASTSAVEDBY fields of documents
    // that show the program's user).
    virtual std::string UserName() { return AuthorName(); }
    // The option that leaves the bookmark list in text order instead of
    // sorting it by name.
    virtual bool BookmarksInTextOrder() { return false; }
    // The character format the options give inserted hyperlinks (unset slots
    // keep the text's own): single underline in blue by default.
    virtual TCharFormat HyperlinkCharFormat();
    // Runs a command of the command layer by its id (7200: leave header and
    // footer editing); without one nothing happens.
    virtual void ExecuteCommand(int32_t /*commandId*/) {}
    // The first picture of the options' date list, or of their time list: what
    // a date or time field without a picture of its own shows.
    virtual std::string DefaultDatePicture(bool time) { return time ? "HH:mm" : "ddddd"; }
    // The file-name extension (without the dot, any case) is one of the
    // program's document formats (the format registry's).
    virtual bool IsDocumentExtension(const std::string& extension);
    // The option that detects web addresses under the mouse and the caret.
    virtual bool UrlDetection() { return false; }
    // The view option that shows pictures as framed placeholders.
    virtual bool PicturePlaceholders() { return false; }
    // The document is one of the small previews of the file dialogs.
    virtual bool IsFileDialogPreview(const TDocument& /*document*/) { return false; }
    // Puts a file at the top of the recent-pictures list.
    virtual void AddRecentPicture(const std::string& /*fileName*/) {}
    virtual void SetUrlDetection(bool /*on*/) {}
    // The options forbid scrolling a new document to its first page's margin.
    virtual bool NoInitialScroll() { return false; }
    virtual TFullScreenSettings FullScreenSettings() { return {}; }
    virtual void SetFullScreenZoom(int32_t /*zoom*/, uint8_t /*zoomKind*/) {}

    // Dialogs: the document properties dialog; true when the user confirmed
    // with OK, the edited properties written back.
    virtual bool ExecuteDocPropertiesDialog(TDocProperties& /*properties*/) { return false; }
    // The manual hyphenation dialog for one word of the hyphenation run: the
    // word, its language, the suggested break positions, and the breaks
    // allowed (after more than minBefore characters, leaving at least
    // minAfter). False when the user stopped the run (and without the
    // dialog); otherwise true with the chosen break, -1 for none.
    virtual bool ExecuteManualHyphenation(const std::string& /*word*/, int32_t /*language*/,
                                          const std::vector<int32_t>& /*points*/, int32_t /*minBefore*/,
                                          int32_t /*minAfter*/, int32_t& /*chosen*/)
    {
        return false;
    }

    // Editing options: undo takes runs of typing back together; typing over a
    // selection replaces it; the main window is in overtype mode.
    virtual bool GroupTypingUndo() { return true; }
    virtual bool TypingReplacesSelection() { return true; }
    virtual bool OvertypeMode() { return false; }
    // The switch of the text-insertion path that pasting and dropping text
    // read to ask for the space adjustment at the edges of what they insert
    // (the "WiseCut&Paste" option). Inserting text the program makes itself
    // (a hyperlink's display text) turns it off for the insertion.
    virtual bool SpaceAdjustment() { return false; }
    virtual void SetSpaceAdjustment(bool /*on*/) {}
    // The active keyboard layout's language and ANSI code page (the desktop's
    // input language: the user's locale where the desktop tells no other).
    virtual int32_t KeyboardLanguage();
    virtual uint32_t KeyboardCodePage();
    // The clipboard's language while a paste reads it; 0: none.
    virtual int32_t ClipboardLanguage() { return 0; }
    // Formatting options: a character format given with an empty selection
    // takes the whole word at the caret; actions on an empty selection take
    // the word at the caret.
    virtual bool FormatWholeWord() { return false; }
    virtual bool EmptySelectionTakesWord() { return false; }
    // The spelling manager checks a range of the document at once (after its
    // language changed); without one the background check, restarted by the
    // caller, gets there.
    virtual void CheckSpelling(TDocument& /*document*/, const TTextRange& /*range*/) {}
    // The main window's style box shows the document's styles again.
    virtual void RefreshStyleBox() {}

    // Main window: the status-bar progress display (undo and redo of large
    // operations), its state, and the refreshes after an edit.
    virtual bool ProgressRunning() { return false; }
    virtual void ProgressStart(int32_t /*total*/, const std::string& /*text*/) {}
    virtual void ProgressStep(int32_t /*done*/) {}
    virtual void ProgressEnd() {}
    // The next idle handling sends the mouse position to the active document
    // window again.
    virtual void RequestMouseMoveRefresh() {}
    // The toolbars refresh their buttons (the end of every dispatch).
    virtual void RefreshToolbars() {}
    // Fires a program event (the sound manager plays its sound).
    virtual void FireProgramEvent(int32_t /*eventId*/) {}

    // Calculator options: look for an expression around the caret when
    // nothing is selected; beep after a result; where a result goes (0 the
    // clipboard, 1 inserted after the expression, 2 in place of it); the
    // digits a result shows before and after the decimal point.
    virtual bool CalcAutodetect() { return true; }
    virtual bool CalcBeep() { return true; }
    virtual int32_t CalcResultHandling() { return 2; }
    virtual int32_t CalcDigitsBeforePoint() { return 10; }
    virtual int32_t CalcDigitsAfterPoint() { return 6; }
    // Puts a calculation result alone on the clipboard as text, marked as not
    // a whole-words selection; false when the clipboard cannot be had (there
    // is none without the clipboard manager).
    virtual bool PutCalculationOnClipboard(const std::string& /*text*/) { return false; }
    // The option that beeps after a block's sum was put on the clipboard.
    virtual bool BlockSumBeep() { return false; }
    // The text-language dialog: true with the language the user picked;
    // false when cancelled (and without the dialog).
    virtual bool AskTextLanguage(int32_t& /*language*/) { return false; }
    // The program event has a sound of its own that stands for the system
    // beep.
    virtual bool EventSoundReplacesBeep(int32_t /*eventId*/) { return false; }

private:
    int32_t FUntitledCounter = 0;
};

// The installed host, or one with the factory values when none is.
TDocumentHost& DocumentHost();
// Installs the host (nullptr removes it); returns the previous one.
TDocumentHost* SetDocumentHost(TDocumentHost* host);
