#pragma once
// A hidden document laid out by the real line layout with the real fonts
// (Liberation, through their metric twins' names) at 96 dpi, and paragraph
// text in a small notation: characters stand for themselves and
// "{code:argument}" for an inline record ("{2:1}Oui{22:2}" is a bold record,
// three characters and a paragraph mark).
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "document/TextNotation.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/KerningPairsManager.h"
#include "layout/LayoutLine.h"
#include "layout/LineLayoutService.h"
#include "layout/RunFont.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>


inline std::string Rec(int code, int32_t argument)
{
    return "{" + std::to_string(code) + ":" + std::to_string(argument) + "}";
}

// The paragraph mark and other special characters.
inline const std::string kMark = "{22:2}";
inline const std::string kTab = "{22:7}";
inline const std::string kLineBreak = "{22:5}";
inline const std::string kPageBreak = "{22:6}";
inline const std::string kColumnBreak = "{22:4}";
inline const std::string kNbSpace = "{22:10}";
inline const std::string kNbHyphen = "{22:11}";
inline const std::string kEmDash = "{22:12}";
inline const std::string kEnDash = "{22:13}";
inline const std::string kSoftHyphen = "{22:14}";

class LayoutTest : public testing::Test {
protected:
    LayoutTest()
        : FSaved{DefaultCharFormat()[cfFont], PresetCharFormat()[cfFont], PresetBoldCharFormat()[cfFont]}
    {
        CreateFontManager();
        CreateKerningPairsManager();
        CreateLineLayout();
        Doc = std::make_unique<TDocument>(true);
    }
    ~LayoutTest() override
    {
        Doc.reset();
        FreeLineLayout();
        FreeKerningPairsManager();
        FreeFontManager();
        DefaultCharFormat()[cfFont] = FSaved[0];
        PresetCharFormat()[cfFont] = FSaved[1];
        PresetBoldCharFormat()[cfFont] = FSaved[2];
    }

    // The body's paragraph index (appended when missing) with the text and
    // the format, laid out at the width (twips).
    TParagraph& Lay(int32_t index, const std::string& notation, const TParFormat& format,
                    int32_t widthTwips = 9000)
    {
        while (Doc->StoryCount(stBody) <= index)
            Doc->AppendParagraph(stBody);
        TParagraph& paragraph = Doc->Paragraphs(index);
        const std::string text = EncodeText(notation);
        paragraph.SetText(text.data(), static_cast<int32_t>(text.size()));
        paragraph.Format = format;
        paragraph.Invalidate(true, widthTwips);
        return paragraph;
    }
    // The same in a new paragraph at the end of the body (the first call:
    // the document's first paragraph).
    TParagraph& Lay(const std::string& notation, const TParFormat& format = DefaultParFormat(),
                    int32_t widthTwips = 9000)
    {
        return Lay(FNext++, notation, format, widthTwips);
    }

    static TLayoutLine& Line(TParagraph& paragraph, int32_t index)
    {
        TLayoutLine* line = AsLayoutLine(&paragraph.GetLine(index));
        EXPECT_NE(line, nullptr);
        return *line;
    }

    // The plain characters of a line, special characters as "<n>".
    static std::string LineText(TParagraph& paragraph, int32_t index)
    {
        const TLayoutLine& line = Line(paragraph, index);
        std::string out;
        for (int32_t i = 0; i < line.CharCount; ++i) {
            const auto c = static_cast<uint8_t>(paragraph.GetPlainChars().Data()[line.FirstChar + i]);
            if (c < 32)
                out += "<" + std::to_string(c) + ">";
            else
                out.push_back(static_cast<char>(c));
        }
        return out;
    }

    int32_t FontIndex(const char* face) { return GetFontManager()->IndexOfFont(face); }

    // The width in eighth units of a character in a font at a size in
    // half-points, as line layout measures it.
    int32_t CharWidth(const char* face, int32_t halfPoints, uint8_t ch)
    {
        return ViewCharWidth(face, halfPoints * 8, ch);
    }
    // The same for a size in view units (eighths of a half-point).
    int32_t ViewCharWidth(const char* face, int32_t viewSize, uint8_t ch)
    {
        TCharFormat format = DefaultCharFormat();
        format[cfFont] = FontIndex(face);
        format[cfSize] = viewSize;
        SelectRunFont(*Doc, format, rfLineBuilding);
        return LayoutWorkingState().Font->Widths[ch];
    }
    int32_t TextWidth(const char* face, int32_t halfPoints, const std::string& text)
    {
        int32_t width = 0;
        for (char c : text)
            width += CharWidth(face, halfPoints, static_cast<uint8_t>(c));
        return width;
    }

    std::unique_ptr<TDocument> Doc;

private:
    int32_t FSaved[3];
    int32_t FNext = 0;
};
