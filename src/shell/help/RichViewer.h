#pragma once
// TRichViewer: a read-only control that word-wraps a text carrying a small
// inline markup: "^" and a code letter, both not shown. "d" the default
// style, "b" "i" "u" "s" toggle bold, italic, underline and strike-out, "r"
// reverse video (the run's rectangle inverted), "A" the automatic colour, "R"
// "B" "G" "F" red, blue, green and fuchsia, "p" ends the line. Any other letter
// after "^" is skipped with it. The style runs on across lines. Above the text
// lies a header area its owner paints.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/Controls.h"

struct TRichStyle {
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false, Reverse = false;
    TColor Color = clDefault;  // clDefault: the window-text colour
    bool operator==(const TRichStyle&) const = default;
};

class TMessageLine {
public:
    int32_t Start = 0;  // first character in the text
    int32_t Count = 0;  // characters, markup included
    int32_t Height = 0;
    TRichStyle Style;   // in force at the line's start
};

// A run of one style as a line shows it.
struct TRichRun {
    std::string Text;
    TRichStyle Style;
};

class TRichViewer : public TCustomControl {
public:
    explicit TRichViewer(TComponent* owner);
    ~TRichViewer() override;

    void SetText(const std::string& text);
    const std::string& Text() const { return FText; }
    // Builds the lines when needed.
    const std::vector<std::unique_ptr<TMessageLine>>& Lines();
    // The visible runs of a built line, markup taken out.
    std::vector<TRichRun> LineRuns(int32_t index);

    std::string FontName = "Arial";
    int32_t FontSize = 10;
    int32_t Margin = 10;   // left margin of the text and header
    int32_t Header = 0;    // height of the header area
    std::function<void(TRichViewer& sender, TCanvas& canvas)> OnDrawRichViewerHeader;

protected:
    void Paint() override;
    void Resize() override;

private:
    void BuildLines(TCanvas& canvas);
    void SelectFont(TCanvas& canvas, const TRichStyle& style) const;

    std::string FText;
    std::vector<std::unique_ptr<TMessageLine>> FLines;
    int32_t FLineHeight = 0;
    bool FLinesBuilt = false;
};

// Applies a markup code to the style; false when the letter is no code.
bool ApplyRichCode(char code, TRichStyle& style);
