#pragma once
// The working state of one RTF write, shared by the file-level writer
// (RtfWriter.cpp: emitters, tables, style sheet, information, settings) and
// the body writer (RtfBodyWriter.cpp: paragraphs, ranges, sections, headers,
// notes, pictures and objects). Only those files include it.
#include "document/model/Document.h"
#include "foundation/CharFormat.h"
#include "formats/DocumentFile.h"
#include "formats/OutputFile.h"
#include "formats/rtf/ControlWords.h"
#include "formats/text/TextWriter.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TDocOLEObject;
class TDocPicture;
class TField;
class TParagraph;
class TSection;

class TRtfWriter {
public:
    TRtfWriter(TOutputFile& output, const TDocWriteParams& params, const TTextWriteRange& range);
    TRtfWriter(const TRtfWriter&) = delete;
    TRtfWriter& operator=(const TRtfWriter&) = delete;

    void Write();

    // --- Emitters (RtfWriter.cpp)
    void Raw(std::string_view text) { FOutput.OutputWriteString(text); }
    void OpenBrace();
    void CloseBrace();
    void Keyword(int32_t index);
    void KeywordFlag(int32_t index, bool on);
    void KeywordNum(int32_t index, int32_t n);
    void Group(int32_t index, const std::string& text);
    void StarGroup(int32_t index, const std::string& text);
    // Escaped text; Compact decides how 8-bit bytes go.
    void Text(const uint8_t* text, int32_t count);
    void Text(const std::string& text)
    {
        Text(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()));
    }
    void Hex(const uint8_t* data, size_t count);
    void CharAttribute(int slot, int32_t value);
    void ParFormatDiff(const TParFormat& now, const TParFormat& old);

    // --- File parts (RtfWriter.cpp)
    void WriteFontTable();
    void WriteColorTable();
    void WriteStyleSheet();
    void WriteStyle(int32_t index);
    void WriteInfo();
    void WriteDate(int32_t index, double value);
    void WriteDocumentSettings();
    void WriteBody();

    // --- Body (RtfBodyWriter.cpp)
    void ResetFormat();
    // The character slots where the text's format differs from the one in
    // force in the RTF, written and made current.
    void SyncCharFormat();
    void WriteParFormat(const TParFormat& format);
    void WriteParagraph(int32_t index, int32_t from, int32_t to, bool lastOfRange);
    void WriteRangeStart(TField& field, const TParagraph& paragraph, int32_t afterByte);
    void WriteRangeEnd(TField& field);
    void WriteSpecialChar(uint8_t kind);
    void WriteSectionProperties(const TSection& section, bool first);
    void WriteHeadersFooters(const TSection& section, bool first);
    void WriteStory(int32_t keyword, int32_t firstParagraph, int32_t lastParagraph, bool dropFinalMark,
                    bool endnote);
    void WritePicture(const TDocPicture& picture);
    void WriteObject(const TDocOLEObject& object);
    // The section of a body paragraph (the first for any other).
    TSection& SectionOfParagraph(int32_t index);
    // The range reaches the end of the section.
    bool ReachesSectionEnd(const TSection& section) const;

    TOutputFile& FOutput;
    TDocument& FDocument;
    const TDocWriteParams& FParams;
    TTextWriteRange FRange;

    // The formats in force in the RTF written so far, and the character
    // format the text being written has (its records applied).
    TCharFormat FCurrentChar{};
    TParFormat FCurrentPar{};
    TCharFormat FRun{};
    bool FKeywordPending = false;
    bool FInStyleSheet = false;
    bool FCompact = false;
    bool FNoColors = false;
    std::vector<TField*> FOpenRanges;
    // The formats saved at each field start, restored at its end.
    struct TSavedFormats {
        TField* Field;
        TCharFormat Char;
        TParFormat Par;
    };
    std::vector<TSavedFormats> FFieldStack;
    // A temporary run written as a group: the format in force before it.
    bool FTemporaryOpen = false;
    TCharFormat FBeforeTemporary{};
    // The paragraph being written (for a paragraph format restored after a
    // field that spans paragraphs).
    const TParagraph* FParagraph = nullptr;
};
