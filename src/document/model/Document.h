#pragma once
// TDocument: one open or hidden document. It owns its paragraphs in four
// consecutive stories (body, footnotes, endnotes, headers and footers), its
// sections, styles and tab tables, range objects, pictures and embedded
// objects, the object table through which inline records name those objects,
// the page list that pagination builds, the re-layout queue and the undo
// manager. It keeps the selection and the formats at the caret, the view state
// of its window (zoom, view origin) and the change flags that tell the rest of
// the program what to refresh.
//
// Lengths in the model are twips (1/1440 inch). Every conversion to layout and
// device units goes through the conversion routines below, which all round the
// same way.
#include "document/model/DocFileState.h"
#include "document/text/DocStatistics.h"
#include "document/fields/Field.h"
#include "document/model/DocumentHost.h"
#include "document/model/ObjectTable.h"
#include "document/operations/OperationDispatcher.h"
#include "document/model/Section.h"
#include "document/text/BackgroundSpelling.h"
#include "document/text/SpacingContext.h"
#include "document/text/TextAccess.h"
#include "document/model/TextPosition.h"
#include "foundation/CharFormat.h"
#include "foundation/DisplayScale.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/runtime/FileHandles.h"
#include "platform/win/Geometry.h"

#include <functional>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <vector>

class TAutocorrectLangOptions;
struct TBlockSelection;
struct TDispatchEntry;
class TInsertDeleteOperation;
struct TClickAndTypePlan;
class TFormatStyleListInfo;
struct TFormatPainterRecord;
struct TTOCOptions;
struct THyphenationOptions;
struct TObjectFormat;
struct TCalculationOutput;
class TDocObject;
class TDocumentView;
class TField;
class TMemory;
class TObjectManager;
class TOperation;
class TOperationManager;
class TPage;
class TParagraph;
class TParReformatingManager;
class TStringList;
class TStyleList;
class TTabManager;

// A change of tab settings (dispatcher code 7): the interval of the default
// stops (twips; NotSet: unchanged), the tab table to give the paragraphs
// (an index of the document's tab manager; NotSet: no paragraph change) and
// the range whose paragraphs take it.
struct TTabChange {
    int32_t DefaultInterval = NotSet;
    int32_t TableIndex = NotSet;
    TTextRange Range;
};

// Flags of TDocument::FormatText.
constexpr uint8_t ftfNoSelectionHint = 1;  // the update record names no selection

// Which anchor of a range object (TDocument::ToggleSingleAnchor).
constexpr uint8_t anchorStart = 0;
constexpr uint8_t anchorEnd = 1;
// Skip counts of anchor insertion: before or after every anchor already
// standing at the place.
constexpr int32_t SkipNoAnchor = 0;
constexpr int32_t SkipAllAnchors = 0x7FFFFFFF;

// The stories, in the order they follow one another in the paragraph list.
enum TStory : int32_t {
    stBody = 0,
    stFootnotes = 1,
    stEndnotes = 2,
    stHeadersFooters = 3,
};
constexpr int32_t StoriesPerDocument = 4;
// What GetStoryOfParagraph gives for an index beyond every story.
constexpr int32_t NoStory = 4;

enum TZoomKind : uint8_t {
    zkFixed = 0,
    zkPageWidth = 1,
    zkTextWidth = 2,
    zkWholePage = 3,
    zkTwoPages = 4,
};
constexpr int32_t MinZoom = 10;
constexpr int32_t MaxZoom = 500;

// Change flags: one byte each, raised during an edit on a stack and read by
// the operation dispatcher and the document dispatcher. The numbers the
// document model itself uses:
constexpr int32_t ChangeFlagCount = 128;
constexpr int32_t chfConstruction = 0;    // the document is being constructed
constexpr int32_t chfLayoutChange = 9;    // held back while the views are brought up to date
constexpr int32_t chfPageLayout = 11;     // the page layout is recomputed for a new zoom
constexpr int32_t chfToolsRefresh = 12;   // the selection changed: refresh the tools
constexpr int32_t chfUpdatingViews = 31;  // the views are being brought up to date after an edit
constexpr int32_t chfNoReplayScroll = 32; // an operation replayed later does not scroll to it
constexpr int32_t chfTextMoved = 37;      // a block of text has just moved
constexpr int32_t chfPlainTextPaste = 38; // plain text from the clipboard is being inserted
constexpr int32_t chfFileInsertion = 39;  // a file's content is being inserted
constexpr int32_t chfCharsetVariant = 43; // pasted text takes its font's variant for a character set
constexpr int32_t chfReplacing = 67;      // replaced or moved text is being inserted
constexpr int32_t chfMoveDeletion = 68;   // moved text is being taken out of its old place
constexpr int32_t chfReadingFormats = 76; // character formats are being read for insertion
constexpr int32_t chfLocatingHeader = 84; // the page of a header or footer is being looked for
constexpr int32_t chfStampingFields = 85; // a header's or footer's fields are computed for one page
constexpr int32_t chfPasting = 95;        // a paste is under way

// The coding of a document's file (the format registry's numbering).
enum TCodingIndex : int32_t {
    ciRtf = 0,
    ciWord6 = 1,
    ciWord97 = 2,
    ciWrite = 3,
    ciEncrypted = 4,
    ciAnsiText = 5,
    ciDosText = 6,
};
// The file name extension of a coding, without the dot ("rtf" for codings
// outside the list).
std::string DefaultDocumentExtension(int32_t coding);

// Every character below 32 and, unless keep is set, every character that may
// not stand in a file name is replaced by a blank; the result is trimmed.
std::string CleanTitleText(const std::string& text, bool keep);

// The largest page over all sections.
struct TLargestPage {
    int32_t WidthTwips = 0;
    int32_t HeightTwips = 0;
    int32_t WidthLayout = 0;
    int32_t HeightLayout = 0;
    int32_t WidthDevice = 0;   // horizontal device units
    int32_t HeightDevice = 0;  // vertical device units
    int32_t TextWidthTwips = 0;
};

// Note-number restart kinds: never, at every section, at every page.
constexpr int32_t nrNever = 0;
constexpr int32_t nrEachSection = 1;
constexpr int32_t nrEachPage = 2;

// Numbering of footnotes or endnotes.
struct TNoteNumbering {
    int32_t Placement = 0;
    int32_t Style = 0;
    int32_t Start = 1;
    // nrNever, nrEachSection; any other value restarts at every page.
    int32_t Restart = nrNever;
};

struct TCaret {
    int32_t Paragraph = 0;
    int32_t Offset = 0;
    int32_t Line = 0;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    // The column the caret keeps when it moves up and down (0x7FFFFFFF: go
    // to the caret's place again).
    int32_t Column = 0;
};

// The selection: start does not come after end; empty when they are equal,
// with the caret at the start. The anchor is where the selection began.
struct TTextSelection {
    TTextPosition Start{0, 0, SelectionStartHint};
    TTextPosition End{0, 0, SelectionEndHint};
    int32_t AnchorParagraph = 0;
    int32_t AnchorOffset = 0;
};

// Flags of TDocument::SetSelection.
constexpr uint32_t ssfNoNotify = 1;     // do not ask the main window to refresh its frame
constexpr uint32_t ssfOldIsEmpty = 2;   // take the old selection as empty: repaint and recompute all

// Line spacing: the height of a line of height `height` whose single-line
// height is `single`, under the paragraph's rule.
int32_t ApplyLineSpacing(const TDocument& document, int32_t height, int32_t single, const TParFormat& format);
// A plain character below 32 lies in from .. to - 1 of the paragraph.
bool RunHasSpecialChars(const TParagraph& paragraph, int32_t from, int32_t to);
// The range is exactly one object character (a picture or an embedded object)
// of one paragraph.
bool IsSingleObjectRange(const TDocument& document, const TTextRange& range);

// value × multiplier / divisor formed in 64 bits: the quotient truncates towards
// zero and rises by 1 when the remainder is at least half the divisor, so that
// halves round up and negative values truncate towards zero. Saturates at the
// 32-bit limits; 0 for a divisor below 1.
int32_t ScaleRoundHalfUp(int64_t value, int64_t multiplier, int64_t divisor);

// One step of a character attribute from the value v by the delta d, clamped.
// Size (half-points): d = -2000 the next smaller standard size, d = 2000 the
// next larger (v stays when there is none), -1999..1999 v + d, any other d v
// scaled by d - 2000 percent. Letter spacing: v rounded to a multiple of 20
// twips, plus d. Any other slot: v + d.
int32_t StepCharAttributeValue(int32_t slot, int32_t value, int32_t delta);

// The word of a line that the line breaker would cut, as it records it
// while the hyphenation pass probes a line (see TDocument::HyphProbing).
struct THyphProbeCandidate {
    // The word's first character in the paragraph and its length in
    // characters (its conditional hyphens included).
    int32_t WordStart = 0;
    int32_t WordLength = 0;
    // The word without its conditional hyphens, and how many characters at
    // its end are no part of it for hyphenation (an English "'s").
    std::string Text;
    int32_t Excluded = 0;
    int32_t Language = 0;
    // The break positions (characters of Text before the break) that the
    // hyphenation data gives and that fit the line.
    std::vector<int32_t> Points;
};

class TDocument {
public:
    explicit TDocument(bool hidden);
    ~TDocument();
    TDocument(const TDocument&) = delete;
    TDocument& operator=(const TDocument&) = delete;

    // --- Paragraphs and stories -------------------------------------------
    int32_t ParagraphCount() const { return static_cast<int32_t>(FParagraphs.size()); }
    // Raises EListError for an index outside the list.
    TParagraph& Paragraphs(int32_t index) const;
    int32_t StoryCount(int32_t story) const;
    // First index of a story: the sum of the counts of the stories before it.
    int32_t StoryFirst(int32_t story) const;
    // Its first index plus its count minus 1.
    int32_t StoryLast(int32_t story) const;
    // 0 to 3; NoStory for an index beyond all stories.
    int32_t GetStoryOfParagraph(int32_t index) const;
    // A new paragraph with the default paragraph format at index, which must
    // lie in the story or just behind its end; the paragraphs behind it move
    // up. Returns it.
    TParagraph& InsertParagraph(int32_t index, int32_t story);
    // The same at the end of the story.
    TParagraph& AppendParagraph(int32_t story);
    // Removes and frees a paragraph; the body keeps at least one.
    void DeleteParagraph(int32_t index);
    // False in full-screen mode or in a preview; otherwise whether the
    // paragraph lies outside the story being edited (the body, or the header
    // and footer story while a header or footer is edited).
    bool IsOutsideEditedStory(int32_t index) const;

    // --- Owned parts --------------------------------------------------------
    TObjectTable& Objects() { return FObjects; }
    const TObjectTable& Objects() const { return FObjects; }
    TObjectManager& ObjectManager() const { return *FObjectManager; }
    TTabManager& TabManager() const { return *FTabManager; }
    TStyleList& Styles() const { return *FStyles; }
    TParReformatingManager& ReformatingManager() const { return *FReformatingManager; }
    TOperationManager& UndoManager() const { return *FUndoManager; }
    // The window; null for a hidden document or without a window service.
    TDocumentView* View() const { return FView; }
    bool IsHidden() const { return FHidden; }
    // Built by pagination.
    std::vector<std::unique_ptr<TPage>>& Pages() { return FPages; }
    const std::vector<std::unique_ptr<TPage>>& Pages() const { return FPages; }
    int32_t PageCount() const { return static_cast<int32_t>(FPages.size()); }

    // --- Pages (built by layout; these raise EInternalError when no layout
    // service is installed) ----------------------------------------------------
    // Rebuilds the pages from firstPage on until the page of index limit
    // exists (or a keep-with-next chain is settled) or the body ends; runStart
    // is the first page of the whole run, for its progress display.
    void Paginate(int32_t firstPage, int32_t limit, int32_t runStart);
    // Unless pagination is complete, paginates from the last page to the end
    // of the body.
    void PaginateAll();
    // Frees every page and empties the page list (the lines stay).
    void ClearPageList();
    // Drops the lines of every paragraph and frees every page.
    void FreePages();
    // Drops the lines of every paragraph; they are laid out again on demand.
    void InvalidateAllParagraphs();
    // Each section's text height and width and the largest page recomputed;
    // every page dropped.
    void RecalcPageExtents();
    // Stores the view mode; recomputes and applies the zoom when it or the
    // mode changed.
    void SetViewMode(uint8_t mode);
    // The range of page indices the window shows (0 without a layout).
    int32_t GetFirstVisiblePage();
    int32_t GetLastVisiblePage();
    // The window is in a mouse operation or a ruler drag.
    bool IsViewBusy() const;
    // The page list reaches the end of the body text.
    uint8_t PaginationComplete = 0;
    // Pagination shows no progress in the status bar.
    uint8_t SuppressPaginationProgress = 0;
    // Lines were rebuilt since the information fields were last refreshed.
    uint8_t LinesRebuilt = 0;
    // Pagination asks the main window to lay its frame out again.
    uint8_t RequestFrameLayout = 0;
    // Pages are made without headers and footers.
    uint8_t SuppressHeaders = 0;
    // 1: the space between paragraphs is their space after plus space before
    // (otherwise the larger of the two).
    uint8_t ParagraphSpacingMode = 0;
    // The page count of the last complete pagination.
    int32_t PaginatedPageCount = 0;
    // The page grid of the view: pages across and rows.
    int32_t PagesAcross = 1;
    int32_t PageRows = 1;
    // Fields, bookmarks, notes, header and footer anchors.
    const std::vector<std::unique_ptr<TField>>& RangeObjects() const { return FRangeObjects; }
    // Appends a new range object of the kind; returns it.
    TField& AddRangeObject(uint8_t kind);
    // Removes and frees it; nothing for one that is not in the list.
    void RemoveRangeObject(TField* field);
    TStringList& BookmarkNames() const { return *FBookmarkNames; }
    HRGN UpdateRegion() const { return FUpdateRegion; }

    // --- Change flags -------------------------------------------------------
    uint8_t GetChangeFlag(int32_t flag) const;
    void SetChangeFlag(int32_t flag, uint8_t value);
    // Pushes the flag's number and old value and sets the flag to 1.
    void BeginChange(int32_t flag);
    // Pushes the flag's number and old value and sets the flag to 0.
    void BeginSuppressChange(int32_t flag);
    // Pops that many entries (at most as many as there are), the most recent
    // first, restoring each flag's old value.
    void EndChanges(int32_t count);
    int32_t ChangeStackDepth() const { return static_cast<int32_t>(FChangeStack.size()); }
    // Tell the document dispatcher that this document is being changed, and
    // that the change is over.
    void LockDispatcher();
    void UnlockDispatcher();

    bool IsModified() const { return FModified; }
    // Stores the flag; when it changed, asks the main window to refresh its frame.
    void SetModified(bool modified);

    // --- Units --------------------------------------------------------------
    int32_t LayoutResolution() const { return FLayoutResolution; }
    int32_t DeviceResolutionX() const { return FDeviceResolutionX; }
    int32_t DeviceResolutionY() const { return FDeviceResolutionY; }
    // Twips to units: value × resolution / 1440, halves up, negatives towards 0.
    int32_t TwipsToDeviceX(int32_t twips) const;
    int32_t TwipsToDeviceY(int32_t twips) const;
    int32_t TwipsToLayout(int32_t twips) const;
    // The same scaled by a percentage: value × resolution × percent / 144000.
    int32_t TwipsToDeviceXScaled(int32_t twips, int32_t percent) const;
    int32_t TwipsToDeviceYScaled(int32_t twips, int32_t percent) const;
    int32_t TwipsToLayoutScaled(int32_t twips, int32_t percent) const;
    // Back to twips with the platform's MulDiv.
    int32_t LayoutToTwips(int32_t value) const;
    int32_t DeviceYToTwips(int32_t value) const;
    // value × zoom / 100; unchanged at 100.
    int32_t ApplyZoom(int32_t value) const;
    // value × second scale percent / 100; unchanged at 100.
    int32_t ApplyScaleX(int32_t value) const;
    // A size in half-points as a negative (em) font height in layout units.
    int32_t FontSizeToHeight(int32_t halfPoints) const;
    // The same in vertical device units, never smaller in magnitude than 3.
    int32_t FontSizeToDeviceHeight(int32_t halfPoints) const;
    // What the display-scale conversions need to know of the view.
    const TViewScale& ViewScale() const { return FViewScale; }
    // The document has a scaled view (the display-scale conversions scale by
    // its percentages instead of the fixed ratio).
    void SetScaledView(bool scaled) { FViewScale.Scaled = scaled; }

    // --- Zoom and view ------------------------------------------------------
    int32_t Zoom() const { return FZoom; }
    int32_t SecondScale() const { return FSecondScale; }
    uint8_t ZoomKind = zkFixed;
    uint8_t ViewMode = 0;
    // The last zoom computed in whole-page or two-page mode.
    uint8_t WholePageFitted = 0;
    // A preview shows a fixed percentage whatever the zoom kind.
    uint8_t IsPreview = 0;
    // No painting is asked of the view.
    uint8_t SuppressRepaint = 0;
    // The scroll position, and the size of what can be scrolled (set by layout).
    TPoint ViewOrigin;
    TSize ViewExtent;
    void SetZoom(int32_t percent) { SetZoomAt(percent, nullptr); }
    // Sets the zoom, recomputes resolutions and page sizes, and keeps the given
    // point (view coordinates), or else the visible part of the current page,
    // where it shows.
    void SetZoomAt(int32_t percent, const TPoint* keep);
    // Lays the pages out for a printer: the zoom (horizontal percentage, not
    // limited to the screen's range) and the vertical percentage give the
    // device resolutions from the layout resolution; the sections' device
    // sizes are recomputed. Setting the zoom again returns to the screen.
    void SetPrintScale(int32_t zoomX, int32_t zoomY);
    // The zoom the zoom kind asks for in the view's client area, 10 to 500.
    int32_t CalcZoom();
    // Brings a view origin within what can be scrolled.
    void ClampViewOrigin(TPoint& origin);
    // Clamps the point and scrolls the view there.
    void ScrollTo(TPoint point);
    // Scrolls a new or just opened document to the first page's top margin.
    void SetInitialScrollPos();
    // Stores the page-grid count; when it changed, the page grid is recomputed
    // and the view painted again when the current page moved or the sections'
    // pages differ in size.
    void SetPageCount(int32_t count);
    bool IsFullScreen() const { return FFullScreen; }
    // Enters or leaves full-screen mode: the view mode, zoom and zoom kind are
    // saved and the options' full-screen ones applied, or restored.
    void SetFullScreen(bool fullScreen);
    // Paints with the colour manager's full-screen palette while the document
    // is in full-screen mode, with the screen palette otherwise.
    void ApplyColorScheme();

    // --- Sizes of the pages ---------------------------------------------------
    // Recomputes the layout and device values of every section's page
    // parameters and the largest page.
    void UpdateSectionDeviceSizes();
    // Recomputes the largest page over all sections.
    void CalcMaxPageSize();
    const TLargestPage& LargestPage() const { return FLargestPage; }
    // The largest page after refreshing the section ranges.
    void GetMaxPageSizes(TLargestPage& sizes);

    // --- Sections -------------------------------------------------------------
    int32_t SectionCount() const { return static_cast<int32_t>(FSections.size()); }
    TSection& Sections(int32_t index) const;
    int32_t IndexOfSection(const TSection* section) const;
    // A new section with the defaults at index 0 .. SectionCount(); returns it.
    TSection& InsertSection(int32_t index);
    uint8_t SectionsDirty = 1;
    uint8_t ColumnsDirty = 1;
    // Recomputes the section ranges when the sections-dirty flag is set.
    void RebuildSectionRanges();
    TSection& GetSectionOfParagraph(int32_t index);
    // The section whose page setup governs the paragraph: its own, or the first
    // of the run of continuous breaks that leads to it.
    TSection& GetPageSection(int32_t index);
    const TSection& GetPageSectionOf(const TSection& section) const;
    TSection& GetPageSectionOfPage(int32_t page);
    void GetCaretPageParams(TPageParams& params);
    void GetSectionsOfRange(const TTextRange& range, std::vector<TSection*>& list);
    // The settings common to the selected sections; column values, the equal
    // flag and the last value NotSet where they differ.
    void GetSelectionSectionSettings(TSectionSettings& settings);
    bool HasMultiColumnSections() const;
    bool HasDifferentPageSizes() const;

    // --- Positions and ranges ------------------------------------------------
    void GetAllRange(TTextRange& range) const;
    void GetBodyRange(TTextRange& range) const;
    // The range of the header or footer being edited (the body range when none is).
    void GetHeaderFooterRange(TTextRange& range) const;
    void GetEditRange(TTextRange& range) const;
    void GetSelectedParagraphs(int32_t& first, int32_t& last) const;
    // The header or footer being edited; null while the body is edited.
    TField* EditedHeaderFooter = nullptr;
    // The page on which it is edited.
    int32_t EditedHeaderFooterPage = -1;
    // The body caret while a header or footer is edited.
    TCaret SavedBodyCaret;
    // Leaves header/footer editing when a header or footer is edited (the
    // caret given, if any, becomes the body caret); else, with enter,
    // creates the first section's missing headers and footers as one
    // undoable action and edits the header of the page (-1: the caret's).
    void ToggleHeaderFooterEditing(bool enter, int32_t page, const TCaret* caret);
    // Edits that header or footer (null: the page's header) on the page.
    void EnterHeaderFooterEditing(TField* object, int32_t page);
    // After pagination: editing ends when the page went or no longer shows
    // the edited header or footer; else its page fields are stamped for the
    // page again and it is laid out on it.
    void RefreshHeaderFooterEditing();
    // The page that shows the body position (0 when none does, -1 without
    // pages).
    int32_t PageOfPosition(const TTextPosition& position) const;

    // --- Selection and formats ------------------------------------------------
    const TTextSelection& Selection() const { return FSelection; }
    TCaret Caret;
    TParFormat SelParFormat{};
    TCharFormat SelCharFormat{};
    TCharFormat PrecedingFormat{};
    TCharFormat FollowingFormat{};
    TCharFormat InsertFormat{};
    TCharFormat PositionFormat{};
    TCharFormat DeletedStartFormat{};
    // The formats one character after a range's start and end.
    TCharFormat RangeStartFormat{};
    TCharFormat RangeEndFormat{};
    // While set, an empty selection keeps the stored character format.
    uint8_t KeepFormat = 0;
    // While set, the insertion formats do not change.
    uint8_t InsertionFreeze = 0;
    // The caret takes the format before it for both sides of an insertion.
    uint8_t CaretFormatFlag = 0;
    // The format at an offset is that of the character before it only; the
    // format records that follow that character are not applied.
    uint8_t PrecedingFormatOnly = 0;

    void SetSelection(int32_t startParagraph, int32_t startOffset, int32_t endParagraph, int32_t endOffset,
                      uint32_t flags = 0);
    bool HasSelection() const;
    bool IsInSelection(const TTextPosition& position) const;
    void SelectAll();
    void ClearSelection(uint32_t flags = 0);
    bool IsObjectSelected() const;
    // The picture or embedded object of the character at the position; null
    // when it is none.
    TDocObject* GetObjectAt(const TTextPosition& position) const;
    bool RangeMeetsMultiParagraphObject(const TTextRange& range) const;
    bool IsWordRange(const TTextRange& range) const;
    bool HasControlCodes(const TTextRange& range) const;
    void RepaintRange(const TTextRange& range);
    void RepaintSelectionChange(const TTextSelection& old);
    void GetCommonParFormat(const TTextRange& range, TParFormat& format, bool incremental);
    void GetCommonCharFormat(const TTextRange& range, TCharFormat& format, bool incremental);
    bool RangeFormatDiffers(const TTextRange& range, const TCharFormat& format);
    void GetCharFormatAt(const TTextPosition& position, TCharFormat& format);
    void GetParagraphCharFormat(int32_t paragraph, int32_t offset, TCharFormat& format);
    int32_t GetLanguageAt(int32_t paragraph, int32_t offset);
    // mode 1: for typing at the caret or over the selection; any other: at a
    // position.
    void PrepareTypingFormat(const TTextPosition& position, int32_t mode);
    void CaptureRangeEndFormats(const TTextRange& range);

    // --- Document data --------------------------------------------------------
    std::string FileName;
    int32_t Format = ciRtf;
    // The file kept open, how it was opened, the recovery copy.
    TDocFileState FileState;
    // Closes the kept file, if any.
    void CloseFile() { FileState.CloseFile(); }
    TDocProperties Properties;
    uint8_t PropertiesChanged = 0;
    TNoteNumbering FootnoteNumbering{1, 0, 1};
    TNoteNumbering EndnoteNumbering{3, 2, 1};
    TCharFormat DocCharFormat{};
    uint8_t AutoHyphenation = 1;
    // Words in capitals are hyphenated too.
    uint8_t HyphenateCapitals = 1;
    int32_t HyphenationZone = 360;
    // The most consecutive lines that may end at a hyphenation point; 0: no limit.
    int32_t HyphenationLimit = 0;
    // Page count, word count and character count that information fields show.
    int32_t FieldStatistics[3] = {1, 1, 1};
    // The operation kind the next dispatched operation is recorded under; 255: none.
    uint8_t KindOverride = 255;
    // Spelling as the user types (document/text/BackgroundSpelling.cpp).
    TBackgroundSpellState SpellState;
    // The document is never checked for spelling (restarts leave its state).
    uint8_t ExcludedFromSpelling = 0;
    uint8_t BookmarkListDirty = 1;
    // Pages the view's grid and scroll range assume (SetPageCount).
    int32_t PageGridCount = 0;
    uint8_t NewView = 0;
    uint8_t NewDocument = 0;
    uint8_t FirstPaint = 0;
    uint8_t LaidOut = 0;
    uint8_t Initializing = 0;
    // Paragraph-index markers of pagination, the bookmark list and editing.
    int32_t ParagraphMarkers[2] = {NotSet, NotSet};
    // The temporary file the file layer keeps for the document, closed and
    // deleted with it (overwritten first for an encrypted container).
    std::string WorkingFileName;
    THandle WorkingFileHandle = 0;
    uint8_t KeepsWorkingFile = 0;
    uint8_t WorkingFileWiped = 0;

    // --- New documents and names ------------------------------------------------
    // "Doc" + the next two-digit counter value of the options + "." + the
    // format's extension, in the default document folder; the next value while
    // an open document has that name.
    std::string MakeUntitledName();
    // A title made of the first sentence of the first body paragraph that
    // holds more than its mark, without trailing word separators and
    // cleaned (CleanTitleText); the default when nothing is left. Unless
    // keep is set (a title, not a file name) it is cut to 100 characters and
    // takes the default's extension.
    std::string SuggestTitle(const std::string& defaultTitle, bool keep);
    // Properties, the first paragraph's mark, the default style, the caret.
    void InitNewDocument();
    // The document's file lies in the templates folder.
    bool IsTemplate() const;
    void RestoreWindow();
    // Shows the properties dialog; on OK marks the properties changed and the
    // document modified, and no position of the undo list matches the file.
    void EditProperties();

    // --- Pictures -------------------------------------------------------------
    // Puts a picture file into the text at the selection as one undoable
    // step. format is a picture format index (0 bmp .. 12 ani); 13 and 14 take
    // it from the file name's extension; any other value tries every format.
    // Failures are reported to the user, and the document is then unchanged.
    void InsertPictureFromFile(const std::string& fileName, uint8_t format);
    // --- Inserting documents, files and the clipboard ---------------------------
    // Turns a source document already in memory into an insertion buffer for
    // this one: styles and tab tables the text uses join this document's
    // (the style change recorded in op), its objects, sections and range
    // objects are taken over (the source is consumed), its notes, headers and
    // footers go into this document's stories, and buffer receives its first
    // `count` body paragraphs whole and the text of the next one. A plain-text
    // source (codings 5 and 6) gives plain characters instead. The sections
    // and range objects the buffer's records name wait in this document until
    // the insertion of the buffer takes them (DropCarriedObjects frees those
    // an insertion did not take).
    void InsertDocument(TDocument& source, int32_t count, TUpdateRange& update, TOperation* op, TMemory& buffer);
    void DropCarriedObjects();
    // Inserts a file's content at the selection as one undoable step
    // ("l'insertion de fichier"). An open document of that name is copied, so
    // that it stays as it is; any other file is read in the coding (-1:
    // detect it). False when the file could not be read (the reader told the
    // user) or held nothing.
    bool InsertFile(const std::string& fileName, int32_t coding);
    // Operation 15: the clipboard's content at the selection (plain text when
    // plainText is set and the clipboard holds text; format: a format to
    // prefer, 0 the clipboard manager's choice).
    void PasteFromClipboard(bool plainText, uint32_t format, TUpdateRange& update, TOperation* op);
    // Operation 16: the note spike's content at the selection.
    void PasteNoteSpike(TUpdateRange& update, TOperation* op);
    // The document is the note spike ("Pique-notes").
    uint8_t IsNoteSpike = 0;
    // Operation 21: a copy of the text from start to end inserted at target.
    void DuplicateText(const TTextPosition& start, const TTextPosition& end, TUpdateRange& update, TOperation* op,
                       TEditFlags flags, const TTextPosition& target);
    // Operation 47, while a header or footer is edited: a section's own one
    // goes (its text deleted) and the section takes the previous section's
    // again, which becomes the edited one; one the section takes from a
    // previous section is copied into a header or footer of its own, which
    // becomes the edited one.
    void LinkHeaderToPrevious(TOperation* op, TUpdateRange& update);
    // Operation 48: one character in a font at the caret; a character of a
    // symbol font becomes a "Symbole" field.
    void InsertSymbol(uint8_t character, const std::string& fontName, TUpdateRange& update, TOperation* op,
                      int32_t charset);
    // Operation 50: an envelope as a section of its own at the caret (a new
    // section unless the caret stands in the empty first paragraph of its
    // section and either keepSection is set or the document has more than one
    // section), sized and laid out from the envelope settings; an empty
    // returnAddress leaves the sender out.
    void InsertEnvelope(const std::string& address, const std::string& returnAddress, TUpdateRange& update,
                        TOperation* op, bool keepSection);
    // The pages at the end of the document, from the last down to the second,
    // that hold a paragraph in one of the two envelope styles.
    int32_t CountEnvelopePages();
    // One address block of an envelope at the caret, in the style of that
    // standard number with the template's full character format; height
    // receives its height in twips (space before included).
    void AddEnvelopeBlock(const std::string& text, int32_t standardId, int32_t leftIndent, int32_t& height,
                          bool isAddress, int32_t spaceBefore, TDocument& fonts, TUpdateRange& update,
                          TOperation* op);
    // Sets both scale percentages of the object so that it fits the column
    // and the page (never above 100).
    void FitPictureSize(TDocObject& object);
    // A bitmap picture made of a copy of the bitmap (its colours reduced to a
    // palette when it has few), fitted to the column and added to the
    // document's objects; the caller puts its record into the text.
    TDocObject& AddBitmapPicture(const class TBitmap& bitmap);
    // Set while the clipboard manager writes a copy of the document's text.
    uint8_t CopyInProgress = 0;

    // --- Editing ------------------------------------------------------------
    // Every change of the content goes through here: the code's routine runs
    // inside one TOperation that the undo manager records. When the routine
    // or the recording fails, the steps already applied are taken back, the
    // dispatcher is unlocked and painting is no longer deferred, and the
    // exception goes on to the caller (which reports it, once).
    void ExecuteOperation(TDocOperationCode code, std::initializer_list<void*> params = {});
    void ExecuteOperation(TDocOperationCode code, TOperationParams params);
    // The same for an edit made of several routines that has no code of its
    // own (inserting a file): the routine runs inside one operation of the
    // kind, recorded, undone on failure and reported like any other.
    void ExecuteEdit(uint8_t kind, const std::function<void(TOperation* op, TUpdateRange& update)>& routine);
    // 1 while a dispatch runs; painting asked for meanwhile only sets
    // PaintRequested.
    uint8_t InOperation = 0;
    uint8_t DeferPaint = 0;
    uint8_t PaintRequested = 0;
    // 1 once the operation of the last dispatch was recorded.
    uint8_t OperationRecorded = 0;
    // A message was shown while InOperation was 1.
    uint8_t MessageShownInOperation = 0;
    // A document without a view: operations are applied, never recorded.
    uint8_t NoUndo = 0;
    // The format at the caret may have changed: the next caret update reads it.
    uint8_t CaretMetricsChanged = 0;
    uint8_t ClickAndTypePending = 0;
    // The input language changed since the last recorded operation.
    uint8_t KeyboardLayoutChanged = 0;
    // 0 after the next-style step of Enter, 1 after an empty list paragraph ended.
    uint8_t TypedStyleApplied = 0;
    // 1 while a replacement deletes and inserts.
    uint8_t ReplacingText = 0;
    // While 1, replacements leave the fields and bookmarks around the text alone.
    uint8_t KeepRanges = 0;
    // While 1, ReplaceText does not look for a hyperlink at the start.
    uint8_t NoHyperlinkCheck = 0;
    // The language rules of inserted text (ChooseInsertLanguage).
    uint8_t NoInsertLanguage = 0;
    uint8_t PastingFromClipboard = 0;
    uint8_t UseDefaultLanguage = 0;
    uint8_t UseDocumentLanguage = 0;
    int32_t DocumentLanguage = 0;
    int32_t FixedLanguage = 0;
    // Undo and redo under way (undoing: undo only).
    uint8_t Undoing = 0;
    uint8_t Replaying = 0;
    // Exactly one typing operation is being undone: the caret is scrolled into
    // view with a margin.
    uint8_t SingleTypingUndo = 0;
    // Changed since the last recovery copy was written.
    uint8_t ChangedSinceRecovery = 0;
    // Background pagination has work to do.
    uint8_t PaginationPending = 0;
    // Paragraphs wait in the re-layout queue.
    uint8_t RelayoutPending = 0;
    // Field update takes the kept result texts (undo restoring a header's fields).
    uint8_t RestoringFieldResults = 0;
    // A formatting command changed the typing format at the caret while the
    // caret-format flag was set: the next format change over a range takes
    // the typing format's values for the attributes it leaves unset.
    uint8_t TypingFormatChanged = 0;
    // Set by the command layer around a language change through operation 2:
    // a language set at either end of a word takes the whole word.
    uint8_t LanguageCommand = 0;
    // Edit options around the detach phase of an edit (DetachAnchors):
    // objects wholly inside a moved range stay with the text; an object whose
    // anchors are exactly the range's ends keeps spanning the new text;
    // bookmark anchors are collected by a filtered detach too.
    uint8_t MoveMode = 0;
    uint8_t KeepSpanningObject = 0;
    uint8_t IncludeBookmarks = 0;
    // The document is being freed: steps freed with its undo list leave its
    // lists alone.
    bool IsDestroying() const { return FDestroying; }

    // Text insertion. Fragments are paragraph text (characters and inline
    // records) with the byte 29 after each paragraph end, optionally followed
    // by the byte 30 and a 64-byte paragraph format. Op may be null: the
    // change is then applied without undo. Every routine fills update.
    void InsertFragmentAt(const TMemory& fragment, const TTextPosition& position, TUpdateRange& update,
                          TOperation* op, TEditFlags flags, int32_t story, int32_t paragraphBreaks);
    void InsertPlainTextAt(const TMemory& text, const TTextPosition& position, TUpdateRange& update,
                           TOperation* op, TEditFlags flags);
    void ReplaceRange(const TTextPosition& start, const TTextPosition& last, TUpdateRange& update, TOperation* op,
                      TEditFlags flags, const std::function<void(TUpdateRange& local)>& insertNew);
    void ReplaceWithFragment(const TTextPosition& start, const TTextPosition& end, TUpdateRange& update,
                             TOperation* op, TEditFlags flags, int32_t paragraphBreaks, const TMemory& fragment);
    void ReplaceText(const TTextPosition& start, const TTextPosition& end, TUpdateRange& update, TOperation* op,
                     TEditFlags flags, const TMemory& text);
    // Operations 13 and 14: at the selection.
    void InsertFragment(const TMemory& fragment, int32_t paragraphBreaks, TUpdateRange& update, TOperation* op,
                        TEditFlags flags);
    void InsertText(const TMemory& text, TEditFlags flags, TUpdateRange& update, TOperation* op);
    // The language and font variant that inserted text takes.
    void ChooseInsertLanguage(int32_t fontIndex, int32_t& language, int32_t& font);
    // The language at the caret.
    int32_t GetCurrentLanguage();
    // Removes the text between two positions (start <= end) as one step of
    // the operation; the caret goes to the place of the text. An empty range
    // only reads the format there into PositionFormat and DeletedStartFormat.
    void DeleteRange(const TTextPosition& start, const TTextPosition& end, TUpdateRange& update, TOperation* op,
                     TEditFlags flags);
    // The spacing context's adjustment of the spaces at an edge of inserted,
    // moved or deleted text: characters removed before and after the
    // position, and a space inserted (0 or 1).
    struct TSpaceAdjustment {
        int32_t RemovedBefore = 0;
        int32_t RemovedAfter = 0;
        int32_t Inserted = 0;
    };
    TSpaceAdjustment AdjustSpaces(const TTextPosition& position, TUpdateRange& update, TOperation* op);
    // Writes a section's six header and footer references through an undoable step.
    void ChangeSectionHeaders(TSection& section, TField* const (&references)[6], TUpdateRange& update,
                              TOperation* op);
    // Moves the caret there (clamped), collapsing the selection.
    void GoToPosition(int32_t paragraph, int32_t offset);

    // --- Moving and restructuring text ---------------------------------------------
    // Operation 20: the text from start to end goes to target (a position in
    // the document as it is before the move). Flags efReportRange (view hints
    // on the moved text), efAdjustSpaces (spaces at the three edges) and
    // efStoryEnd (whole paragraphs at the end of the part stay whole).
    void MoveText(const TTextPosition& start, const TTextPosition& end, const TTextPosition& target,
                  TEditFlags flags, TUpdateRange& update, TOperation* op);
    // Operation 22: single line ends of the selected paragraphs removed, then
    // each run of non-empty paragraphs from first to last made one paragraph
    // (empty paragraphs separate the runs).
    void JoinParagraphs(int32_t first, int32_t last, TUpdateRange& update, TOperation* op);
    // Operation 23: each laid-out line of the paragraphs becomes a paragraph.
    void SplitParagraphs(int32_t first, int32_t last, TUpdateRange& update, TOperation* op);
    // Operation 26: the characters of the range rewritten by mode (TTransformMode),
    // keeping formats, fields and bookmarks. Choice: for mode 6 the language
    // (int32_t; 0 asks), for mode 0 the layout choice record; may be null.
    void TransformText(uint8_t mode, const TTextRange& range, TEditFlags flags, const void* choice,
                       TUpdateRange& update, TOperation* op);
    // Operations 18, 3 and 28 (and the copy of a block): one action over the
    // pieces of a rectangular selection, one piece per laid-out line. Extra:
    // the TCharFormat to apply (mode 1), the note spike (mode 2), else null.
    void BlockOperation(uint8_t mode, const TBlockSelection& block, void* extra, TUpdateRange& update,
                        TOperation* op);
    // Operation 30: the steps of a click-and-type plan.
    void ClickAndType(const TClickAndTypePlan& plan, TUpdateRange& update, TOperation* op);
    // The caret to where the last recorded edit left it, when that lies in the
    // part being edited.
    void GoToLastEdit();

    // --- Calculation ------------------------------------------------------------
    // Operation 27: evaluates the expression of the range (limited to its first
    // paragraph) and delivers the result as the calculator options say: on the
    // clipboard, inserted after the expression as "=" and the result, or in
    // place of the expression. An empty range looks for an expression around
    // the caret and selects it instead. A quiet call (the block-selection sum)
    // shows nothing and delivers nothing; output, when given, receives the
    // value. A failing evaluation selects the span the error names.
    void CalculateExpression(const TTextRange& range, bool quiet, TUpdateRange& update, TOperation* op,
                             TCalculationOutput* output);
    // Selects the longest piece of text around the caret (at most 64
    // characters) that evaluates; false when there is none.
    bool AutodetectExpression();
    // Writes the evaluator function's name with its parentheses as one
    // undoable operation: "name(" before and ")" after the selection (the
    // paragraph mark stays outside), or "name()" at the caret with the caret
    // left between the parentheses. A failure takes back what was inserted.
    void InsertFunctionCall(int32_t function);

    // --- Format operations ------------------------------------------------
    // Each builds one undoable step, applies it, and appends it to op (null:
    // the change is applied and cannot be undone); update is filled.
    //
    // Page set-up over the sections the scope touches (operation 0). Slots of
    // the record that are NotSet keep the sections' values. All four margins
    // set: a whole page set-up; else the first set one of the margins and
    // the header and footer distances; a record that sets nothing but the
    // orientation turns the pages; any other record (a new paper size) is a
    // whole page set-up of the values it sets.
    void ChangePageParams(const TPageParams& params, const TTextRange& scope, TUpdateRange& update, TOperation* op);
    // Paragraph attributes over the paragraphs of the range (operation 1);
    // records nothing when no paragraph changes.
    void FormatParagraphs(const TTextRange& range, const TParFormat& format, TUpdateRange& update, TOperation* op);
    // Character attributes over the range (operation 2). An empty range
    // changes the typing format only, unless the whole-word rule takes the
    // word at the caret. Flags ftf*.
    void FormatText(const TTextRange& range, const TCharFormat& format, uint8_t flags, TUpdateRange& update,
                    TOperation* op);
    // Tab settings (operation 7): the default interval and, for the selected
    // paragraphs (the caret's without a selection), a tab table.
    void FormatTabs(const TTabChange& change, TUpdateRange& update, TOperation* op);
    // The style's character format (what 1) or paragraph format (what 0)
    // applied again over each run of paragraphs of one style (operation 8).
    void ResetFormatToStyle(const TTextRange& range, uint8_t what, TUpdateRange& update, TOperation* op);
    // Section settings over the sections of the range (operation 33);
    // NotSet values keep each section's own.
    void FormatSections(const TTextRange& range, const TSectionSettings& settings, TUpdateRange& update,
                        TOperation* op);
    // The break kind of the section that ends at the paragraph (operation
    // 46); records nothing when it already has that kind.
    void ChangeSectionBreak(int32_t paragraph, uint8_t kind, TUpdateRange& update, TOperation* op);
    // Document settings (operations 29, 51 and 49): the default language;
    // the hyphenation settings; the page numbering of the sections of the
    // edited header's page, of the selection or of the caret.
    void ChangeDefaultLanguage(int32_t language, TUpdateRange& update, TOperation* op);
    void ChangeHyphenationOptions(const THyphenationOptions& options, TUpdateRange& update, TOperation* op);
    void FormatPageNumbers(const int32_t (&settings)[2], TUpdateRange& update, TOperation* op);
    // The manual hyphenation run over the selection, or over the part being
    // edited: the settings recorded first (operation 51), then, line by line,
    // the word the line breaker would cut offered to the user, whose choice
    // becomes the word's only conditional hyphen (each word one undoable
    // action). Paragraphs that are not to be hyphenated are skipped and
    // counted in the closing message.
    void HyphenateDocument(const THyphenationOptions& options);
    // One paragraph from the character from to the character to; false when
    // the user stopped the run.
    bool HyphenateParagraphRange(int32_t paragraph, int32_t from, int32_t to);
    // The pass's state, read and filled by the line breaker: the paragraph
    // being hyphenated; while HyphProbing is 1, the line of that paragraph
    // that holds the character HyphProbeOffset records the word it would cut
    // in HyphCandidate and sets HyphFound.
    int32_t HyphParagraph = -1;
    int32_t HyphProbeOffset = 0;
    uint8_t HyphProbing = 0;
    uint8_t HyphFound = 0;
    THyphProbeCandidate HyphCandidate;
    // Paragraphs of the run skipped for their no-hyphenation attribute.
    int32_t HyphSkipped = 0;
    // The paragraphs whose sections a page-numbering change concerns, from
    // offset 0 of the first to the end of the last.
    TTextRange PageNumberingScope();
    // A style-list change (operation 11): the record's new list installed,
    // then the style it names applied to the range. Takes the record.
    void ChangeStyleList(const TTextRange& range, std::unique_ptr<TFormatStyleListInfo> info, TUpdateRange& update,
                         TOperation* op);
    // Paragraphs first to last sorted (operation 24; mode 1 descending);
    // refused with a message for one paragraph, bookmarks or fields that
    // reach beyond them, or a section break.
    void SortParagraphs(int32_t first, int32_t last, uint8_t mode, TUpdateRange& update, TOperation* op);
    // The format of the picture or object at the position (operation 25).
    void FormatObject(const TTextPosition& position, const TObjectFormat& format, TUpdateRange& update,
                      TOperation* op);
    // Operation 41: a table of contents of the headings from the caret on
    // (one of them limited by the TOC fields further down), replacing the
    // table at the caret. entryCount receives the paragraphs made, the
    // title included; 0 when no heading qualified.
    void BuildTableOfContents(TTOCOptions& options, int32_t& entryCount, TUpdateRange& update, TOperation* op);
    // One entry: heading paragraph, entry paragraph, heading level.
    void AddTOCEntry(const TTOCOptions& options, int32_t heading, int32_t entry, int32_t level,
                     TUpdateRange& update, TOperation* op);
    // The entries the last table-of-contents build made (operation 41),
    // the title paragraph included; its follow-up steps read it.
    int32_t TocEntryCount = 0;

    // Steps one character attribute over a range, run by run of equal value
    // (the stepping rules of StepCharAttributeValue), through FormatText.
    void StepCharAttribute(const TTextRange& range, int32_t slot, int32_t delta, TUpdateRange& update,
                           TOperation* op);

    // --- Styles and format stepping (operations 4, 5, 6, 9, 10 and 12) ---------
    // One character attribute stepped over a range (operation 4): the typing
    // format for an empty range, the common value for a uniform range, run
    // by run for mixed values.
    void ScaleCharAttribute(const TTextRange& range, int32_t slot, int32_t step, TUpdateRange& update,
                            TOperation* op);
    // The picked-up formats applied to the selection (operation 5), or, with
    // useStyleName, the style of the record's display name to the selected
    // paragraphs. The highlight colour is never painted.
    void ApplyFormatPainter(const TFormatPainterRecord& record, bool useStyleName, TUpdateRange& update,
                            TOperation* op);
    // Lowers every font size of the body half a point at a time until the
    // document has one page less (operation 6).
    void ReducePageCount(TUpdateRange& update, TOperation* op);
    // Steps an indent or a paragraph spacing of each selected paragraph
    // (operation 9, modes psm*).
    void StepParagraphFormat(const TTextRange& range, uint8_t mode, int32_t amount, TUpdateRange& update,
                             TOperation* op);
    // Sets a style on whole paragraphs (operation 10). Without reset the
    // paragraphs only take the style's index; with it their characters are
    // brought to the new style while direct formatting survives. The
    // overrides, when given, replace the style's formats.
    void ApplyStyleToParagraphs(const TTextRange& range, int32_t styleIndex, TUpdateRange& update, TOperation* op,
                                const TParFormat* parOverride, const TCharFormat* charOverride, bool reset);
    // Redefines the style of the selected paragraphs from the formats at the
    // selection (operation 12).
    void UpdateStyleFromSelection(TUpdateRange& update, TOperation* op);
    // The table-of-contents styles ("TOC Title" and the first levels of
    // "TOC 1" to "TOC 9") added when missing, from the sources in turn, then
    // made from the default style sheet.
    void EnsureTocStyles(TDocument* const (&sources)[3], int32_t levels, bool replace, TUpdateRange& update,
                         TOperation* op);
    // The styles of the source the target lacks (all of them with replace),
    // among those the choice accepts, imported as one style-list change.
    void ImportStandardStyles(TDocument& source, const std::vector<int32_t>& standardNumbers, bool replace,
                              TUpdateRange& update, TOperation* op);
    // "Header" and "Footer" added when missing.
    void EnsureHeaderFooterStyles(TUpdateRange& update, TOperation* op);
    // Set around a style application that keeps the style's highlight colour
    // and internal paragraph slot (tables of contents, new headers).
    uint8_t StyleApplicationFlag = 0;

    // --- Range objects in edits -----------------------------------------------
    // Puts a new range object into the text and the range-object list: its
    // start anchor before the anchors at its start, its end anchor after those
    // at its end. The document takes the object.
    void InsertRangeObject(std::unique_ptr<TField> object, const TTextPosition& start, const TTextPosition& end,
                           TUpdateRange& update, TOperation* op);
    // Takes a range object and its two anchors out of the document, keeping
    // the text between them.
    void RemoveRangeObject(TField* object, TUpdateRange& update, TOperation* op);
    // Removes one anchor of an object, or inserts it at the place after
    // skipping that many anchors already there (SkipNoAnchor, SkipAllAnchors).
    void ToggleSingleAnchor(int32_t paragraph, int32_t offset, TField* object, uint8_t anchor, bool remove,
                            int32_t skip, TUpdateRange& update, TOperation* op);
    // Gives a field a new instruction (operation 36).
    void ChangeFieldInstruction(TField* object, const std::string& instruction, TUpdateRange& update,
                                TOperation* op);
    // The two phases of every deletion or replacement of a range: objects
    // wholly inside the range are removed (undoably), the anchors of objects
    // that cross its edges are taken out and kept; after the text step they
    // are put back at the start (those that stood there) or at the place where
    // the range's end now stands. With filter, only the anchors of the kinds
    // that edits of the text look after are taken.
    void DetachAnchors(const TTextPosition& start, const TTextPosition& end, bool filter, TUpdateRange& update,
                       TOperation* op);
    void ReattachAnchors(const TTextPosition& start, const TTextPosition& collapsed, TUpdateRange& update,
                         TOperation* op);
    // The style list exchanged with another one (the style-list change);
    // returns the list the document had.
    std::unique_ptr<TStyleList> ExchangeStyles(std::unique_ptr<TStyleList> styles);
    // The background spelling check starts over at the start of the part
    // being edited (unless the document is excluded from checking); the
    // main window lays its frame out again.
    void RestartSpellCheck();
    // Remembers the word at the caret for a delayed check, while checking as
    // the user types is on.
    void NoteWordAtCaret();
    // Checks the remembered word (unless it lies outside the part being
    // edited), then restarts the background check.
    void CheckPendingWord();

    // What the steps of an edit use to restructure the document. They leave
    // everything as it was when they raise.
    //
    // Replaces the `count` paragraph objects from `index` (all in one story,
    // index up to the story's end) by those of `paragraphs`, handing the old
    // objects back in it; story count, indices, section ranges and the
    // re-layout queue follow. The body keeps at least one paragraph.
    void ReplaceParagraphObjects(int32_t index, int32_t count, int32_t story,
                                 std::vector<std::unique_ptr<TParagraph>>& paragraphs);
    void ExchangeParagraphs(int32_t a, int32_t b);
    // Room in the paragraph list for that many more paragraphs.
    void ReserveParagraphs(int32_t extra);
    // Takes a section out of the list (it keeps its handle); null when it is
    // not there or is the only one.
    std::unique_ptr<TSection> TakeSection(TSection* section);
    // Puts a section back; SyncSectionOrder then orders the list.
    void PutSection(std::unique_ptr<TSection> section);
    void ReserveSections(int32_t extra);
    // Orders the section list as the section breaks follow one another in the
    // body (sections whose break no paragraph carries stay last).
    void SyncSectionOrder();
    // The same for range objects (no reference to them is touched): taken
    // out, it tells its place in the list; put back, it goes to the place
    // given (the end for -1).
    std::unique_ptr<TField> TakeRangeObject(TField* field, int32_t* index = nullptr);
    void PutRangeObject(std::unique_ptr<TField> field, int32_t index = -1);
    void ReserveRangeObjects(int32_t extra);
    // Clears every reference to a range object that is about to be freed.
    void ForgetRangeObject(TField* field);
    // The range objects' stored positions, read again from their anchors in
    // the paragraphs first to last (all by default; an edit that keeps the
    // paragraphs where they are reads only those it changed).
    void RefreshRangeObjectPositions(int32_t first = 0, int32_t last = std::numeric_limits<int32_t>::max());

    // --- Text access, words and links -----------------------------------------
    // The plain characters of a run of one paragraph as text: en and em dash
    // as 0x96 and 0x97, non-breaking space and hyphen as blank and "-", other
    // codes below 32 left out; at most MaxTextRunLength characters.
    std::string GetTextRun(int32_t paragraph, int32_t offset, int32_t length) const;
    // The text of a range within its first paragraph (up to the paragraph
    // mark when it goes on beyond it).
    std::string GetRangeText(const TTextRange& range) const;
    // The word at the position (a web address there when the URL option is
    // on); length 0 when the word would start after the position.
    void GetWordAt(const TTextPosition& position, TFoundWord& word);
    void GetPrevWord(const TTextPosition& position, TFoundWord& word);
    // The start of the next word; the position itself at the end of the part
    // being edited.
    void GetNextWord(const TTextPosition& position, TTextPosition& next);
    // A web address or "file://" link around the position, while the URL
    // option is on.
    void GetUrlAt(const TTextPosition& position, TFoundWord& word);
    // A file link around the position.
    void GetPrefixedLinkAt(const TTextPosition& position, TFoundWord& word);
    void GetLinkAt(const TTextPosition& position, TFoundWord& word);
    void GetWordOrLinkAt(const TTextPosition& position, TFoundWord& word);
    // The word stands alone (a separator before it, a delimiter after it) and
    // is a single letter or a number.
    bool IsWordDelimitedAt(const TFoundWord& word, const std::string& text) const;
    // The word as spelling sees it ("-" and "." inside it); true when it is an
    // abbreviation in capitals ("U.S.", "J.-P.").
    bool GetSpellWordAt(const TTextPosition& position, TFoundWord& word);
    bool IsSentenceStart(const TTextPosition& position);
    void GetSentenceAt(const TTextPosition& position, TTextRange& range);

    // --- Autocorrection (document/editing/Autocorrect.cpp) ------------------------
    // Runs the correction kinds of the mask (one bit a kind) at the position,
    // under the options of the language; mode 2 while typing, 1 for a pass on
    // request. The position moves with the changes before it. Every change is
    // a step of op; update receives their ranges.
    void ApplyAutocorrectRules(TTextPosition& position, uint16_t kinds, TUpdateRange& update, TOperation* op,
                               uint16_t language, uint8_t mode);
    // Operation 31: the corrections after a character typed before the caret,
    // joined to the typing operation so that one undo takes both back.
    void AutocorrectTypedChar(const TTextPosition& caret, uint8_t typed, TOperation* op, TUpdateRange& update);
    // Operation 32: the corrections of the kinds at the range's start, under
    // the language of the text there.
    void ApplyAutocorrectToRange(const TTextRange& range, uint16_t kinds, TOperation* op, TUpdateRange& update);
    // An autocorrection changed the document.
    uint8_t Autocorrected = 0;

    // --- Spacing context ---------------------------------------------------------
    // The spacing context at a position, under the autocorrection options
    // given (null: those of the language of the character at the position).
    void GetAutocorrectContext(int32_t paragraph, int32_t offset, TSpacingContext& context,
                               const TAutocorrectLangOptions* options = nullptr);
    // After an edit: one space where two pieces of text meet without one,
    // none before a closing sign or after an opening sign, one where several
    // stand; nothing at a field or bookmark anchor. The edits go into the
    // operation; the update's caret is the position.
    void FixSpacingAt(const TTextPosition& position, TSpaceAdjustment& result, TUpdateRange& update,
                      TOperation* op);

    // --- Statistics ------------------------------------------------------------
    // Counts the selection, else the header or footer being edited, else the
    // body, after paginating the whole document.
    void ComputeStatistics(TDocStatistics& statistics);
    // Counts and shows the counts with the file's information.
    void ShowStatistics();
    // While set (the field update's own count), paragraphs, lines and
    // sentences are not counted.
    uint8_t CountingFieldStatistics = 0;
    // The window is in a mouse operation that follows the pointer (a
    // narrower test than IsViewBusy).
    bool IsViewTracking() const;

    // --- Bookmarks, fields and hyperlinks ---------------------------------------
    // The bookmark names of the body, each with its object, rebuilt first when
    // marked dirty (every anchor insertion or removal marks it); afterwards
    // every object's range and nesting bytes are up to date too. Sorted by
    // name without regard to case, unless the program keeps bookmarks in text
    // order.
    TStringList& GetBookmarkList();
    void GetBookmarkRange(TField* object, TTextRange& range);
    // The list rebuilt once in text order (navigation); the next rebuild sorts
    // it by name again.
    void RebuildBookmarkListInTextOrder();
    // The innermost object whose range holds the position (its start included,
    // its end not), of the type and kind given (255: any) and of no excluded
    // type; bookmarks, headers and footers only while FindHiddenKinds is set.
    // Null when there is none; range receives its range.
    TField* FindRangeAt(const TTextPosition& position, uint8_t type = 255, uint8_t kind = 255,
                        const TFieldTypeSet* excluded = nullptr, TTextRange* range = nullptr);
    // The field of that type at the caret (at the selection's start when the
    // caret lies outside the selection).
    TField* FindFieldAtCaret(uint8_t type);
    // A note reference of that kind (0 footnote, 1 endnote, 255 any) holds the
    // position.
    bool FindNoteAt(const TTextPosition& position, uint8_t noteKind);
    // A field of one of the types lies wholly in the header and footer story.
    bool HasHeaderFooterFieldsOfTypes(const TFieldTypeSet& types) const;
    // A bookmark of that name (without regard to case) is in the document or
    // among the extra objects.
    bool BookmarkNameExists(const std::string& name, const std::vector<TField*>* extra = nullptr);
    // A bookmark name made of the range's text (the sentence from the caret
    // on for an empty range) that no bookmark of the document uses.
    std::string MakeBookmarkName(const TTextRange& range);
    // Caret to the bookmark (its range selected with select); an unknown name
    // does nothing.
    void GoToBookmark(const std::string& name, bool select);
    // To the bookmark before the caret, or after it, in text order, round the
    // end of the document.
    void GoToPrevBookmark();
    void GoToNextBookmark();
    // Follows a HYPERLINK field's target: a bookmark of the document, or a
    // file or address opened by the shell's helper (a local file only after
    // the safety question), with the document's folder as current folder.
    void FollowHyperlink(const std::string& instruction);
    // Operations 34 to 40, 42, 43 and 45.
    void InsertBookmark(const std::string& name, TUpdateRange& update, TOperation* op);
    // Removes the bookmark of that name (its text stays); nothing for a name
    // that is not in the bookmark list.
    void DeleteBookmark(const std::string& name, TUpdateRange& update, TOperation* op);
    // Removes the hyperlink (its text stays) and gives the text the underline
    // and colour of its paragraph's style.
    void RemoveHyperlink(TField* field, TUpdateRange& update, TOperation* op);
    void RemoveHyperlinksInSelection(TUpdateRange& update, TOperation* op);
    void RemoveBrokenBookmarkLinks(TUpdateRange& update, TOperation* op);
    // A hyperlink around the selection, or around the display text inserted
    // at the selection.
    void InsertHyperlink(const std::string& instruction, const std::string& displayText, TUpdateRange& update,
                         TOperation* op);
    // Removes the field (its text stays) and the page references and
    // hyperlinks that start inside it.
    void DeleteField(TField* field, TUpdateRange& update, TOperation* op);
    // A field of the type around a "?" inserted at the selection; its
    // instruction is the type's keyword and the one given.
    TField* InsertField(uint8_t type, const std::string& instruction, TUpdateRange& update, TOperation* op);
    // The range-object list is to be sorted by start before the next search.
    uint8_t RangeObjectsUnsorted = 0;
    // The next bookmark-list rebuild leaves the list in text order.
    uint8_t BookmarkListTextOrder = 0;
    // Paragraphs the next bookmark-list rebuild rescans instead of all
    // (first NotSet: none).
    int32_t BookmarkRescanFirst = NotSet;
    int32_t BookmarkRescanLast = NotSet;
    // Position searches find bookmarks, headers and footers too.
    uint8_t FindHiddenKinds = 0;
    // The field the last InsertField made.
    TObjectHandle LastInsertedField = NoObjectHandle;
    // Bookmarks of a table of contents being deleted (operation 42), offered
    // for deletion when the operation is over.
    std::vector<std::string> PendingTocBookmarks;

    // --- Field update -------------------------------------------------------------
    // Recomputes the results of the fields of the types whose end anchor lies
    // in the range (operation 44); each result that differs from the text
    // between the field's anchors replaces it, undoably, keeping the field and
    // the format of its first result character.
    void UpdateFields(const TTextRange& range, const TFieldTypeSet& types, TUpdateRange& update, TOperation* op);
    // Stamps the fields of the types in the range (a header or footer) for
    // one page: they show that page's number and the given section's values.
    // Nothing is recorded for undo; the caret, the selection, the typing
    // formats and the re-layout queue stay as they were. A paragraph whose
    // text changed is laid out again at once when it was laid out, else left
    // without lines for the caller to lay out.
    void StampFields(const TTextRange& range, const TFieldTypeSet& types, int32_t pageNumber, TSection* section);
    // Field update with the pages current before and after: pending re-layout
    // is done and the rest of the document paginated, the fields of the
    // layout-dependent types in the range are updated as one operation (44),
    // and the rest is paginated again.
    void UpdateAllFields(const TTextRange& range);
    // After lines were rebuilt, when the document holds fields of the
    // layout-dependent types: the page, word and character counts that
    // information fields of headers and footers show are stored again, each
    // section records its page count, and the whole document is paginated
    // again, which stamps the headers and footers of every page. The caret
    // and the selection stay.
    void UpdateInfoFields();
    // Set while UpdateInfoFields paginates the document again.
    uint8_t RefreshingInfoFields = 0;
    // A field (kind 0) of one of the types is in the document.
    bool HasFieldsOfKinds(const TFieldTypeSet& types) const;
    // Layout stamps a header or footer for one page: field update shows that
    // page's number.
    uint8_t StampingPage = 0;
    int32_t StampedPageNumber = 0;
    // The document-properties refresh runs: NUMPAGES, NUMWORDS, NUMCHARS and
    // SECTIONPAGES show the stored counts.
    uint8_t StatisticsFrozen = 0;
    // AUTHOR and LASTSAVEDBY show the program's user; the document keeps its
    // last author (when off, an empty last author shows the author).
    uint8_t UseProgramUser = 0;
    uint8_t KeepsLastAuthor = 0;
    // The section whose page numbering evaluation uses (null: that of each
    // paragraph).
    TSection* EvaluationSection = nullptr;

private:
    // An anchor taken out of the text by DetachAnchors, until ReattachAnchors.
    struct TDetachedAnchor {
        TField* Object;
        uint8_t Anchor;  // anchorStart, anchorEnd
        int32_t Paragraph;
        int32_t Offset;
    };
    void CollectDetachedAnchors(const TTextPosition& start, const TTextPosition& end, bool filter,
                                TUpdateRange& update, TOperation* op);
    void ExecuteEntry(TDocOperationCode code, const TDispatchEntry* entry, TOperationParams params);
    void InsertFragmentCore(const TMemory& fragment, const TTextPosition& position, TUpdateRange& update,
                            TOperation* op, TEditFlags flags, int32_t story,
                            std::vector<std::unique_ptr<TSection>>* newSections);
    void InsertFragmentStep(const TMemory& fragment, const TTextPosition& position, TUpdateRange& update,
                            TOperation* op, TEditFlags flags, int32_t story,
                            std::vector<std::unique_ptr<TSection>>* newSections);
    void Reindex(int32_t from);
    int32_t PageSectionIndex(int32_t index) const;
    void ComputeSectionRanges();
    void RefitColumns();
    TCharFormat FormatBeforeChar(TParagraph& paragraph, int32_t charIndex);
    void MergeRecords(TParagraph& paragraph, int32_t fromByte, int32_t toByte, TCharFormat& format) const;
    void PrepareParagraph(TParagraph& paragraph) const;
    void CloseWorkingFile();

    // Destroyed last: every object with a handle leaves it as it goes.
    TObjectTable FObjects;
    bool FModified = false;
    bool FHidden = false;
    bool FViewConstructing = false;
    bool FDestroying = false;
    bool FFullScreen = false;
    uint8_t FChangeFlags[ChangeFlagCount] = {};
    std::vector<uint32_t> FChangeStack;
    std::vector<std::unique_ptr<TParagraph>> FParagraphs;
    int32_t FStoryCounts[StoriesPerDocument] = {};
    std::vector<std::unique_ptr<TPage>> FPages;
    int32_t FZoom = 100;
    int32_t FSecondScale = 100;
    int32_t FDeviceResolutionY = 96;
    int32_t FDeviceResolutionX = 96;
    int32_t FLayoutResolution = 96;
    TViewScale FViewScale;
    TLargestPage FLargestPage;
    TFullScreenSettings FSavedView;
    TTextSelection FSelection;
    HRGN FUpdateRegion = nullptr;
    TDocumentView* FView = nullptr;
    std::unique_ptr<TObjectManager> FObjectManager;
    std::unique_ptr<TTabManager> FTabManager;
    std::unique_ptr<TStyleList> FStyles;
    std::unique_ptr<TParReformatingManager> FReformatingManager;
    std::unique_ptr<TOperationManager> FUndoManager;
    std::vector<std::unique_ptr<TSection>> FSections;
    std::vector<std::unique_ptr<TField>> FRangeObjects;
    std::unique_ptr<TStringList> FBookmarkNames;
    // Sections and range objects that an insertion buffer made by
    // InsertDocument names, until the insertion takes them.
    std::vector<std::unique_ptr<TSection>> FCarriedSections;
    std::vector<std::unique_ptr<TField>> FCarriedFields;
    void AdoptCarriedObjects(TInsertDeleteOperation& step, const TMemory& text);
    // One list per detach phase under way (replacements nest an insertion's
    // detach phase in their own).
    std::vector<std::vector<TDetachedAnchor>> FDetachedAnchors;
};
