// The Word reader on small documents built here: the piece table (8-bit and
// 16-bit pieces, a Word 6.0/95 file without one), the mapping of the special
// characters, fields, character properties from a property page, and the
// refusals (encrypted, a table beyond its stream). Also the packed date-time.
#include "formats/CompoundFileBuilder.h"
#include "formats/FormatsFixtures.h"
#include "formats/RtfFixtures.h"

#include "document/fields/Field.h"
#include "foundation/MessageAnswers.h"
#include "formats/word/PackedDateTime.h"

namespace {

struct TWordFixture {
    std::string Text;           // one byte per character
    bool Wide = false;          // the piece in UTF-16
    bool Encrypted = false;
    bool Word6 = false;         // a Word 6.0/95 file without piece table
    uint32_t ClxLengthExtra = 0;  // added to the table's length in the FIB
    std::string Fields;         // the main text's field table (PLC), as stored
    // A property page for the characters [BoldFrom, BoldTo) of the text: bold.
    int32_t BoldFrom = -1;
    int32_t BoldTo = -1;
};

constexpr uint32_t kTextAt = 0x400;

std::string BuildWordFile(const TWordFixture& f)
{
    std::string main(0x1000, '\0');
    PutWord(main, 0, f.Word6 ? 0xA5DC : 0xA5EC);
    PutWord(main, 2, f.Word6 ? 0x65 : 0xC1);
    main[11] = static_cast<char>((f.Encrypted ? 0x01 : 0) | (f.Word6 ? 0 : 0x02));
    PutDWord(main, 0x18, kTextAt);
    const uint32_t count = static_cast<uint32_t>(f.Text.size());
    PutDWord(main, f.Word6 ? 0x34 : 0x4C, count);
    for (uint32_t i = 0; i < count; ++i) {
        if (f.Wide)
            PutWord(main, kTextAt + 2 * i, static_cast<uint8_t>(f.Text[i]) == 0x96 ? 0x2013 : static_cast<uint8_t>(f.Text[i]));
        else
            main[kTextAt + i] = f.Text[i];
    }
    std::string table;
    if (!f.Word6) {
        // The piece table: one piece over the whole text.
        std::string clx(1 + 4 + 8 + 8, '\0');
        clx[0] = 2;
        PutDWord(clx, 1, 16);
        PutDWord(clx, 5, 0);
        PutDWord(clx, 9, count);
        PutDWord(clx, 15, f.Wide ? kTextAt : (kTextAt * 2) | 0x40000000u);
        PutDWord(main, 0x1A2, 0);
        PutDWord(main, 0x1A6, static_cast<uint32_t>(clx.size()) + f.ClxLengthExtra);
        table = clx;
        if (!f.Fields.empty()) {
            PutDWord(main, 0x11A, static_cast<uint32_t>(table.size()));
            PutDWord(main, 0x11E, static_cast<uint32_t>(f.Fields.size()));
            table += f.Fields;
        }
    }
    if (f.BoldFrom >= 0) {
        // A character page at page 6 with three runs, the middle one bold,
        // and its bin table.
        const uint32_t width = f.Wide ? 2 : 1;
        const uint32_t fcs[4] = {kTextAt, kTextAt + f.BoldFrom * width, kTextAt + f.BoldTo * width,
                                 kTextAt + count * width};
        std::string page(512, '\0');
        for (int i = 0; i < 4; ++i)
            PutDWord(page, static_cast<size_t>(i) * 4, fcs[i]);
        page[16 + 1] = static_cast<char>(200 / 2);
        page[200] = f.Word6 ? 2 : 3;
        if (f.Word6) {
            page[201] = 85;
            page[202] = 1;
        } else {
            page[201] = 0x35;
            page[202] = 0x08;
            page[203] = 1;
        }
        page[511] = 3;
        main.replace(6 * 512, 512, page);
        std::string bin(f.Word6 ? 10 : 12, '\0');
        PutDWord(bin, 0, kTextAt);
        PutDWord(bin, 4, kTextAt + count * width);
        if (f.Word6)
            PutWord(bin, 8, 6);
        else
            PutDWord(bin, 8, 6);
        if (f.Word6) {
            PutDWord(main, 0xB8, 0x800);
            PutDWord(main, 0xBC, static_cast<uint32_t>(bin.size()));
            main.replace(0x800, bin.size(), bin);
        } else {
            PutDWord(main, 0xFA, static_cast<uint32_t>(table.size()));
            PutDWord(main, 0xFE, static_cast<uint32_t>(bin.size()));
            table += bin;
        }
    }
    std::vector<TStreamSpec> streams = {{u"WordDocument", main}};
    if (!f.Word6)
        streams.push_back({u"1Table", table});
    return BuildCompoundFile(streams);
}

// A field table: positions (the last one the text's end) and descriptors.
std::string FieldTable(const std::vector<std::pair<uint32_t, std::pair<uint8_t, uint8_t>>>& marks, uint32_t end)
{
    std::string plc;
    for (const auto& mark : marks) {
        plc += std::string(4, '\0');
        PutDWord(plc, plc.size() - 4, mark.first);
    }
    plc += std::string(4, '\0');
    PutDWord(plc, plc.size() - 4, end);
    for (const auto& mark : marks) {
        plc += static_cast<char>(mark.second.first);
        plc += static_cast<char>(mark.second.second);
    }
    return plc;
}

struct TRead {
    TLoaded Loaded;
    std::vector<std::string> Asked;
};

TRead ReadWord(const TWordFixture& fixture)
{
    static int counter = 0;
    const std::string dir = MakeTestDir("word-fixtures");
    const std::string path = MakeFile(dir, "doc" + std::to_string(++counter) + ".doc", BuildWordFile(fixture));
    TMessageAnswers answers;
    answers.AnswerOthers(mrOk);
    TRead read;
    read.Loaded = LoadFile(path, ciDetect, true);
    for (const TMessageRequest& request : answers.Asked())
        read.Asked.push_back(request.Text);
    return read;
}

// The body without the formatting records the reader puts at paragraph
// starts (font, size, language of the default style).
std::vector<std::string> PlainBody(const TDocument& document)
{
    std::vector<std::string> texts;
    for (std::string text : BodyTexts(document)) {
        std::string out;
        for (size_t i = 0; i < text.size();) {
            if (text[i] == '{' && text.find(':', i) != std::string::npos) {
                const size_t colon = text.find(':', i);
                const int code = std::atoi(text.c_str() + i + 1);
                const size_t close = text.find('}', i);
                if (code <= 21 && code != 2 && close != std::string::npos && colon < close) {
                    i = close + 1;
                    continue;
                }
            }
            out += text[i++];
        }
        texts.push_back(out);
    }
    return texts;
}

}  // namespace

TEST(WordReader, PiecesOfEitherWidthAndAWord6FileWithoutPiecesGiveTheSameParagraphs)
{
    TRtfManagersScope managers;
    const std::string text = "Bonjour\rle monde\r";
    const std::vector<std::string> expected = {"Bonjour<2>", "le monde<2>"};
    struct TCase {
        const char* Name;
        bool Wide;
        bool Word6;
        int32_t Format;
    } const cases[] = {
        {"Word 97, 8-bit piece", false, false, ciWord97},
        {"Word 97, 16-bit piece", true, false, ciWord97},
        {"Word 6.0/95 without piece table", false, true, ciWord6},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TWordFixture fixture;
        fixture.Text = text;
        fixture.Wide = c.Wide;
        fixture.Word6 = c.Word6;
        TRead read = ReadWord(fixture);
        ASSERT_TRUE(read.Loaded.Ok);
        EXPECT_TRUE(read.Asked.empty());
        EXPECT_EQ(read.Loaded.Document->Format, c.Format);
        EXPECT_EQ(PlainBody(*read.Loaded.Document), expected);
    }
}

TEST(WordReader, SpecialCharactersMapToTheProgramsOwn)
{
    TRtfManagersScope managers;
    struct TCase {
        std::string Text;
        std::string Expected;
    } const cases[] = {
        {"a\tb\r", "a<7>b<2>"},
        {"a\vb\r", "a<5>b<2>"},
        {"a\x0C" "b\r", "a<6>b<2>"},
        {"a\x0E" "b\r", "a<4>b<2>"},
        {"a\x1E" "b\x1F" "c\r", "a<11>b<14>c<2>"},
        {"a\x96" "b\x97" "c\xA0" "d\r", "a<13>b<12>c<10>d<2>"},
        {"a\x01\x03\x07" "b\r", "ab<2>"},  // other control characters, a cell end outside a table
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Expected);
        TWordFixture fixture;
        fixture.Text = c.Text;
        TRead read = ReadWord(fixture);
        ASSERT_TRUE(read.Loaded.Ok);
        EXPECT_EQ(PlainBody(*read.Loaded.Document), std::vector<std::string>{c.Expected});
    }
}

TEST(WordReader, FieldsKeepTheirResultInAFieldMadeFromTheInstruction)
{
    TRtfManagersScope managers;
    // Instruction, separator and result; a field without separator; an end
    // without a begin.
    const std::string text = "Voir \x13 HYPERLINK \"http://x\" \x14ici\x15 ; \x13 PAGE \x15; a\x15" "b\r";
    TWordFixture fixture;
    fixture.Text = text;
    fixture.Fields = FieldTable({{5, {0x13, 88}}, {31, {0x14, 0}}, {35, {0x15, 0x80}}, {39, {0x13, 33}},
                                 {46, {0x15, 0x80}}},
                                static_cast<uint32_t>(text.size()));
    TRead read = ReadWord(fixture);
    ASSERT_TRUE(read.Loaded.Ok);
    const TDocument& document = *read.Loaded.Document;
    ASSERT_EQ(document.RangeObjects().size(), 1u);
    const TField& field = *document.RangeObjects()[0];
    EXPECT_EQ(field.Kind, rkField);
    EXPECT_EQ(field.Type, 88);
    EXPECT_EQ(field.Instruction, "HYPERLINK \"http://x\"");
    const std::string handle = std::to_string(field.Handle());
    EXPECT_EQ(PlainBody(document),
              std::vector<std::string>{"Voir {26:" + handle + "}ici{27:" + handle + "} ; ; ab<2>"});
}

TEST(WordReader, CharacterPropertiesComeFromTheirPage)
{
    TRtfManagersScope managers;
    for (bool word6 : {false, true}) {
        SCOPED_TRACE(word6 ? "Word 6.0/95" : "Word 97");
        TWordFixture fixture;
        fixture.Text = "un deux trois\r";
        fixture.Word6 = word6;
        fixture.BoldFrom = 3;
        fixture.BoldTo = 7;
        TRead read = ReadWord(fixture);
        ASSERT_TRUE(read.Loaded.Ok);
        const std::string text = BodyTexts(*read.Loaded.Document)[0];
        EXPECT_NE(text.find("un {2:1}deux{2:0} trois"), std::string::npos) << "[" << text << "]";
    }
}

TEST(WordReader, RefusalsShowTheirMessage)
{
    TRtfManagersScope managers;
    struct TCase {
        const char* Name;
        TWordFixture Fixture;
        const char* Message;
    } const cases[] = {
        {"encrypted flag on a sound file", {"Bonjour\r", false, true, false, 0, "", -1, -1},
         "est un document MS Word crypt"},
        {"piece table beyond its stream", {"Bonjour\r", false, false, false, 4096, "", -1, -1},
         "Une erreur s'est produite lors de l'ouverture du document"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRead read = ReadWord(c.Fixture);
        EXPECT_FALSE(read.Loaded.Ok);
        ASSERT_EQ(read.Asked.size(), 1u);
        EXPECT_NE(read.Asked[0].find(c.Message), std::string::npos) << read.Asked[0];
    }
}

TEST(PackedDateTime, PacksAndUnpacksTheWordLayout)
{
    // 1 January 1900 00:00, and 11 December 2026 23:59:59 (seconds dropped).
    const TDateTime first = EncodeDate(1900, 1, 1);
    EXPECT_EQ(DateTimeToPackedDateTime(first), 0x00010800u);
    EXPECT_EQ(PackedDateTimeToDateTime(0x00010800u), first);
    const TDateTime late = EncodeDate(2026, 12, 11) + EncodeTime(23, 59, 59, 0);
    const TPackedDateTime packed = DateTimeToPackedDateTime(late);
    EXPECT_EQ(packed, (126u << 20) | (12u << 16) | (11u << 11) | (23u << 6) | 59u);
    EXPECT_EQ(PackedDateTimeToDateTime(packed), EncodeDate(2026, 12, 11) + EncodeTime(23, 59, 0, 0));
    EXPECT_EQ(PackedDateTimeToDateTime(0), 0.0);
    EXPECT_EQ(DateTimeToPackedDateTime(0.0), 0u);
    // Month 13 is no date: the current date and time instead.
    const TDateTime before = Now();
    const TDateTime invalid = PackedDateTimeToDateTime((100u << 20) | (13u << 16) | (1u << 11));
    EXPECT_GE(invalid, before - 1.0);
    for (uint8_t style = 0; style <= 4; ++style)
        EXPECT_EQ(NfcToPageNumberStyle(PageNumberStyleToNfc(style)), style);
    EXPECT_EQ(NfcToPageNumberStyle(9), 1);
}
