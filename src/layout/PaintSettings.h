#pragma once
// What the painters read besides the document: the view options of the
// program (formatting marks and which of them, margin guides, field shading,
// colour contrast), set by the options of the application shell, and the
// output mode of the paint under way (screen, printing or plain output),
// set by whoever paints: the window, the print routine, the previews and the
// format palette's samples.
#include <cstdint>

struct TPaintSettings {
    // Formatting marks shown, and which of them.
    bool ShowMarks = false;
    bool MarkTabs = true;           // "Ta&bulations"
    bool MarkSpaces = true;         // "Es&paces"
    bool MarkParagraphEnds = true;  // "Fins de p&aragraphes"
    bool MarkOptionalHyphens = true;  // "Traits d'union conditionne&ls"
    bool MarkBookmarks = true;      // "Sign&ets"
    // The user's scheme gives the marks colour explicitly (the paragraph
    // ends, spaces and non-breaking characters take it).
    bool MarksColorExplicit = false;
    // "&Limites de marges".
    bool MarginGuides = false;
    // "Champs gr&isés :" 0 never, 1 while marks are shown, 2 always.
    int32_t FieldShading = 1;
    // Keep a third of the window around the caret when scrolling to it.
    bool CaretThird = false;
    // Block selection snaps to whole characters.
    bool BlockSnapsToChars = false;
    // Spelling: checking as the user types, and its errors shown.
    bool CheckAsYouType = false;
    bool ShowSpellingErrors = false;
};

// The program-wide settings (factory values until the shell sets them).
TPaintSettings& PaintSettings();

// Output modes of a paint.
enum class TPaintMode : uint8_t {
    Screen = 0,    // composed in the scratch bitmap, marks and selection drawn
    Printing = 1,  // drawn directly, no marks, selection or guides
    Plain = 2,     // drawn directly, as printing (style samples)
};

struct TPaintFlags {
    TPaintMode Mode = TPaintMode::Screen;
    // Field shading is printed too.
    bool PrintFieldShading = false;
    // The line being drawn is the last line of its page and overlaps: its
    // band is 15 % taller.
    bool OverlapExtended = false;
    // A neighbour of an overlapping line is drawn (text only).
    bool NeighbourPass = false;
    // The printable area is previewed: what lies outside the printer's
    // minimum margins (twips: left, top, right, bottom) is not shown.
    bool PrintableAreaPreview = false;
    int32_t PrinterMargins[4] = {0, 0, 0, 0};
};

// The flags of the paint under way.
TPaintFlags& PaintFlags();

// Sets the mode for its lifetime and restores the previous flags after.
class TPaintModeScope {
public:
    explicit TPaintModeScope(TPaintMode mode) : FSaved(PaintFlags()) { PaintFlags().Mode = mode; }
    ~TPaintModeScope() { PaintFlags() = FSaved; }
    TPaintModeScope(const TPaintModeScope&) = delete;
    TPaintModeScope& operator=(const TPaintModeScope&) = delete;

private:
    TPaintFlags FSaved;
};
