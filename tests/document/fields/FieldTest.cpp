// The range-object record: type names, numbers, dates and case switches of
// field results, and note numbers.
#include "document/model/Document.h"
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "platform/runtime/Locale.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

// A field of no document.
struct TLooseField : TField {
    TLooseField(uint8_t type, const std::string& instruction) : TField(nullptr, rkField)
    {
        Type = type;
        Instruction = instruction;
    }
};
using MakeField = TLooseField;

}  // namespace

TEST(FieldTest, TypeNames)
{
    TField field(nullptr, rkField);
    field.Type = fkHyperlink;
    EXPECT_EQ(field.GetTypeName(), "Lien hypertexte");
    field.Type = fkPageRef;
    EXPECT_EQ(field.GetTypeName(), "Renvoi de page");
    // Without a name: the instruction's keyword, and nothing without a blank.
    field.Type = 64;
    field.Instruction = "DOCVARIABLE Client";
    EXPECT_EQ(field.GetTypeName(), "DOCVARIABLE");
    field.Instruction = "DOCVARIABLE";
    EXPECT_EQ(field.GetTypeName(), "");
    field.Type = 200;
    field.Instruction = "X y";
    EXPECT_EQ(field.GetTypeName(), "X");
}

TEST(FieldTest, NumbersAndCaseSwitches)
{
    struct TCase {
        const char* Instruction;
        int32_t Number;
        int32_t DefaultFormat;
        const char* Result;
    };
    const TCase cases[] = {
        {"PAGE", 14, 255, "14"},
        {"PAGE", 14, 3, "xiv"},
        {R"(PAGE \* ROMAN \* MERGEFORMAT)", 14, 0, "XIV"},
        {R"(PAGE \* roman \* alphabetic)", 3, 0, "c"},
        {R"(PAGE \* alphabetic \* Upper)", 3, 0, "C"},
        {R"(PAGE \* ROMAN \* Lower)", 9, 0, "ix"},
        {R"(SECTION \* Arabic)", 2, 4, "II"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Instruction);
        EXPECT_EQ(MakeField(fkPage, c.Instruction).FormatNumber(c.Number, c.DefaultFormat), c.Result);
    }

    SetUserDefaultLCID(0x040C);
    EXPECT_EQ(MakeField(fkTitle, R"(TITLE \* Upper)").ApplyCaseSwitch("été à Noël"), "ÉTÉ À NOËL");
    EXPECT_EQ(MakeField(fkTitle, R"(TITLE \* Lower)").ApplyCaseSwitch("ÉTÉ"), "été");
    EXPECT_EQ(MakeField(fkTitle, R"(TITLE \* FirstCap)").ApplyCaseSwitch("état des LIEUX"), "État des LIEUX");
    EXPECT_EQ(MakeField(fkTitle, R"(TITLE \* FirstCap)").ApplyCaseSwitch(""), "");
    EXPECT_EQ(MakeField(fkTitle, R"(TITLE \* Caps)").ApplyCaseSwitch("le PETIT-chat (d'or)"), "Le Petit-Chat (D'or)");
    // The order of precedence, and words that only look like a switch.
    EXPECT_EQ(MakeField(fkTitle, R"(TITLE \* Caps \* Upper)").ApplyCaseSwitch("ab cd"), "AB CD");
    EXPECT_EQ(MakeField(fkStyleRef, R"(STYLEREF "Capsules")").ApplyCaseSwitch("ab cd"), "ab cd");
    EXPECT_EQ(MakeField(fkTitle, R"(TITLE \* upper)").ApplyCaseSwitch("ab"), "ab");
}

TEST(FieldTest, DatePictures)
{
    TFormatSettings french;  // the French defaults
    TFormatSettings english;
    english.LongMonthNames = {"January", "February", "March", "April", "May", "June",
                              "July", "August", "September", "October", "November", "December"};
    english.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    english.TimeAMString = "AM";
    english.TimePMString = "PM";
    const TDateTime moment = EncodeDate(2023, 7, 14) + EncodeTime(14, 5, 9, 0);

    struct TCase {
        const char* Picture;
        const char* French;
        const char* English;
    };
    const TCase cases[] = {
        {"dddd d MMMM yyyy", "vendredi 14 juillet 2023", "Friday 14 July 2023"},
        {"dd/MM/yy", "14/07/23", "14/07/23"},
        {"'le' dd/MM/yyyy", "le 14/07/2023", "le 14/07/2023"},
        {"dd-MMM-yy", "14-juil.-23", "14-juil.-23"},
        {"HH:mm:ss", "14:05:09", "14:05:09"},
        {"h:mm am/pm", "2:05 pm", "2:05 pm"},
        {"hh 'h' mm", "02 h 05", "02 h 05"},
        {"h:mm tt", "2:05 ", "2:05 PM"},
        {"ddddd", "14/07/2023", "14/07/2023"},
        {"M/d/yyyy H:m", "7/14/2023 14:5", "7/14/2023 14:5"},
        {"dd \"MMMM\" yyyy", "14 MMMM 2023", "14 MMMM 2023"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Picture);
        EXPECT_EQ(FormatFieldDateTime(c.Picture, moment, french), c.French);
        EXPECT_EQ(FormatFieldDateTime(c.Picture, moment, english), c.English);
    }

    // The field's picture, the default picture of dates and times, the case
    // switch, and no date at all.
    SetUserDefaultLCID(0x040C);
    EXPECT_EQ(MakeField(fkDate, R"(DATE \@ "d MMMM yyyy" \* Upper)").FormatDate(french, moment), "14 JUILLET 2023");
    EXPECT_EQ(MakeField(fkDate, "DATE").FormatDate(french, moment), "14/07/2023");
    EXPECT_EQ(MakeField(fkTime, "TIME").FormatDate(french, moment), "14:05");
    EXPECT_EQ(MakeField(fkCreateDate, "CREATEDATE").FormatDate(french, 0), "");
}

TEST(FieldTest, NoteNumbers)
{
    TDocument document(true);
    TField& note = document.AddRangeObject(rkNoteReference);
    document.FootnoteNumbering.Start = 0;
    struct TCase {
        int32_t Style;
        int32_t Number;
        const char* Result;
    };
    const TCase cases[] = {
        {0, 12, "12"}, {1, 12, "XII"}, {2, 12, "xii"}, {3, 28, "BB"}, {4, 28, "bb"},
        {5, 1, "*"},   {5, 2, "\x86"}, {5, 4, "\xA7"}, {5, 5, "**"},  {7, 8, "\xA7\xA7"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Number);
        document.FootnoteNumbering.Style = c.Style;
        note.Result = "old";
        EXPECT_TRUE(note.SetNoteNumber(document, c.Number));
        EXPECT_EQ(note.Number, c.Number);
        EXPECT_EQ(note.Result, c.Result);
        EXPECT_FALSE(note.SetNoteNumber(document, c.Number));
    }
    // Endnotes take their own numbering, with its start offset.
    note.Endnote = 1;
    document.EndnoteNumbering.Style = 2;
    document.EndnoteNumbering.Start = 1;
    note.SetNoteNumber(document, 3);
    EXPECT_EQ(note.Result, "iv");
    // A huge start from a damaged file stays a bounded text.
    document.EndnoteNumbering.Style = 5;
    document.EndnoteNumbering.Start = INT32_MAX;
    note.SetNoteNumber(document, 5);
    EXPECT_EQ(note.Result.size(), static_cast<size_t>(MaxFieldResultLength));
}
