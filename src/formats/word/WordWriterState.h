#pragma once
// The working state of one Word write, shared by the text and file-level
// parts (WordWriter.cpp), the property encoding and style sheet
// (WordPropertyEncoding.cpp) and the stories, fields, bookmarks and pictures
// (WordWriterStories.cpp). Only those files include it.
#include "document/model/Document.h"
#include "foundation/CharFormat.h"
#include "platform/ole/CompoundFileWriter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TDocPicture;
class TField;
class TParagraph;
class TSection;
class TStyle;

using TWordBytes = std::vector<uint8_t>;

// FIB fields: offsets in Word 97 and in Word 6.0/95 files (-1: none).
struct TFibPair {
    int32_t Word97;
    int32_t Word6;
};

// One property page (FKP) under construction.
struct TWordFkp {
    std::vector<uint32_t> Fcs;            // run starts, then the end of the last run
    std::vector<uint8_t> Offsets;         // per run: the stored list's offset / 2 (0: none)
    std::vector<std::pair<int32_t, TWordBytes>> Stored;  // offset in the page and the stored bytes
    int32_t Top = 511;                    // lowest byte used by stored lists
};

// A finished page: its bytes and the file position of its first run.
struct TWordPage {
    uint8_t Bytes[512] = {};
    uint32_t FirstFc = 0;
};

// One field character pair entry of a story's field table.
struct TWordFieldEntry {
    int32_t Cp;
    uint8_t Code;
    uint8_t Data;
};

class TWordWriter {
public:
    TWordWriter(TDocument& document, bool word97);
    ~TWordWriter();
    TWordWriter(const TWordWriter&) = delete;
    TWordWriter& operator=(const TWordWriter&) = delete;

    std::vector<uint8_t> Write();

    // --- FIB and streams (WordWriter.cpp)
    void SetFib32(TFibPair field, uint32_t value);
    void SetFib16(int32_t offset, uint16_t value);
    // A table into the table stream at its current end, with its fc/lcb pair.
    void WriteTable(TFibPair fc, const TWordBytes& bytes);
    TStorageWriteStream& Table() { return FWord97 ? *FTable : *FMain; }

    // --- Text (WordWriter.cpp)
    void DecideUnicode();
    void WriteText();
    void WriteStoryParagraphs(int32_t first, int32_t last, int32_t story);
    void WriteParagraph(int32_t index, int32_t story);
    // One character of the text, in the run's properties.
    void PutUnit(uint16_t unit);
    void PutPlain(const uint8_t* chars, int32_t count, int32_t font);
    void FlushTextBuffer();
    uint32_t Fc() const { return FFcMin + FCp * (FUnicode ? 2u : 1u); }
    // The character run in force from here on: its format, reduced against
    // the paragraph style's, and the special-character mark and the
    // picture's location (-1: none; in Word 6.0/95 the object's handle until
    // the pictures are placed).
    void SetRun(const TCharFormat& format, bool special, int64_t picture);
    void CloseCharRun();
    // The paragraph that ends at the current position (after its mark).
    void EndParagraphRun(const TWordBytes& papx);
    // A closing paragraph mark the writer adds: the last paragraph's style,
    // no character properties.
    void PutClosingMark();
    void AddRun(std::vector<TWordPage>& pages, TWordFkp& page, bool paragraph, uint32_t start, uint32_t end,
                const TWordBytes& props);
    void FinishPage(std::vector<TWordPage>& pages, TWordFkp& page, bool paragraph);
    void WritePages();

    // --- Property encoding and style sheet (WordPropertyEncoding.cpp)
    void BuildCharProps(const TCharFormat& format, TWordBytes& out) const;
    void BuildParProps(const TParFormat& format, int32_t istd, TWordBytes& out, bool forStyle,
                       int32_t styleIndex) const;
    void BuildTabChanges(const TParFormat& format, TWordBytes& out, bool forStyle, int32_t styleIndex) const;
    void BuildSectionProps(const TSection& section, int32_t index, TWordBytes& out) const;
    void WriteStyleSheet();
    void WriteListTables();
    // The style's full formats (cached for the write).
    const TCharFormat& StyleChar(int32_t styleIndex) const;
    const TParFormat& StyleParFormat(int32_t styleIndex) const;
    int32_t IstdOf(int32_t styleIndex) const;
    uint16_t FontNumber(int32_t font) const;

    // --- Stories, fields, bookmarks, pictures (WordWriterStories.cpp)
    void RangeStart(TField& field, const TCharFormat& format);
    void RangeEnd(TField& field, const TCharFormat& format);
    void WriteNoteStory(int32_t kind);
    void WriteHeaderStory();
    void WriteHeaderTable();
    void WriteNoteTables();
    void WriteBookmarks();
    void WriteFieldTables();
    // The picture's location for its character (in the data stream for
    // Word 97, its handle for Word 6.0/95); -1 when it cannot be written.
    int64_t PlacePicture(TObjectHandle handle);
    TDocPicture* ShownPicture(TObjectHandle handle) const;
    void PlaceWord6Pictures();
    TWordBytes PictureBytes(TDocPicture& picture);

    // --- File-level tables (WordWriter.cpp)
    void NumberFonts();
    void NumberStyles();
    void WriteFontTable();
    void WriteDop();
    void WriteAssociatedStrings();
    void WritePieceTable();
    void WriteSections();

    TDocument& FDocument;
    bool FWord97;
    bool FUnicode = false;
    TCompoundFileWriter FFile;
    TStorageWriteStream* FMain = nullptr;
    TStorageWriteStream* FTable = nullptr;
    TStorageWriteStream* FData = nullptr;
    uint8_t FFib[1024] = {};
    uint32_t FFcMin = 1024;
    bool FHasPictures = false;

    // Text.
    TWordBytes FTextBuffer;
    uint32_t FCp = 0;
    int32_t FStory = 0;     // 0 main, 1 footnotes, 2 headers, 3 endnotes
    uint32_t FStoryStart = 0;
    int32_t FCcp[4] = {};   // main, footnotes, headers, endnotes

    // Runs.
    TCharFormat FRunFormat{};
    bool FRunSpecial = false;
    int64_t FRunPicture = -1;
    int32_t FRunStyle = -1;
    bool FRunOpen = false;
    // The format of the last plain characters written in the paragraph.
    TCharFormat FTextFormat{};
    bool FHasTextFormat = false;
    uint32_t FRunStart = 0;
    TWordBytes FRunProps;
    uint32_t FParStart = 0;
    int32_t FParStyle = 0;  // the style of the paragraph being written (list index)
    TWordFkp FChpPage;
    TWordFkp FPapPage;
    std::vector<TWordPage> FChpPages;
    std::vector<TWordPage> FPapPages;

    // Styles and fonts.
    std::vector<int32_t> FIstd;  // per style list index
    std::vector<TCharFormat> FStyleChar;
    std::vector<TParFormat> FStyleParFormat;
    std::vector<int32_t> FSavedLanguages;
    struct TFontEntry {
        std::string Name97;
        std::string Name6;
        uint8_t Charset = 0;
    };
    std::vector<TFontEntry> FFonts;
    int32_t FLastStyle = 0;

    // Positions collected while the text is written.
    std::vector<uint32_t> FSectionEnds;
    std::vector<TField*> FNoteRefs[2];
    std::vector<uint32_t> FNoteRefCps[2];
    std::vector<uint32_t> FNoteTextCps[2];
    std::vector<uint32_t> FHeaderCps;
    std::vector<uint8_t> FHeaderPresent;  // per section: the header and footer stories written
    std::vector<TWordFieldEntry> FFields[4];
    struct TBookmark {
        TField* Field;
        uint32_t Start;
        uint32_t End;
        bool Ended;
    };
    std::vector<TBookmark> FBookmarks;
    // Fields open at this point of the text: their result is being written.
    std::vector<TField*> FOpenFields;
    bool FBullets = false;
};
