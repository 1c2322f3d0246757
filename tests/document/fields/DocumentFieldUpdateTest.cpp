// Field update: results computed and put between the fields' anchors
// undoably, keeping the fields and the format of their first result
// character; the result of every kind of field; page numbers and page
// references over a fixture paginated two paragraphs to the page.
#include "document/FormattingFixtures.h"
#include "document/fields/FieldInstructions.h"
#include "document/model/Page.h"
#include "foundation/managers/Style.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class FieldUpdateTest : public EditingTest {
protected:
    TCharLayout Lines;

    TField& Add(uint8_t type, const std::string& instruction, uint8_t kind = rkField)
    {
        TField& object = Doc->AddRangeObject(kind);
        object.Type = type;
        object.Instruction = instruction;
        return object;
    }
    // The text of a field between anchors.
    std::string Wrap(const TField& field, const std::string& result)
    {
        return Rec(icRangeStart, field.Handle()) + result + Rec(icRangeEnd, field.Handle());
    }
    std::string Result(const TField& field) { return Doc->GetRangeText(field.Range); }

    void BuildDocument(const std::vector<std::string>& paragraphs)
    {
        Build(paragraphs);
        Doc->RefreshRangeObjectPositions();
        Doc->BookmarkListDirty = 1;
    }

    // Operation 44 over the whole body for the types; true when an operation
    // was recorded.
    bool Update(std::initializer_list<int> types)
    {
        TTextRange range;
        Doc->GetBodyRange(range);
        TFieldTypeSet set;
        for (int type : types)
            set.set(static_cast<size_t>(type));
        const int32_t count = Undo().Count();
        Doc->ExecuteOperation(docUpdateFields, {&range, &set});
        return Undo().Count() > count;
    }
};

}  // namespace

TEST_F(FieldUpdateTest, ResultsReplacedKeepingTheirFormat)
{
    TField& title = Add(fkTitle, "TITLE");
    BuildDocument({"Titre : " + Wrap(title, "{2:1}ancien{2:0}") + " fin" + kMark});
    Doc->Properties.Title = "Nouveau rapport";
    const std::string before = DumpAll(*Doc);
    ASSERT_TRUE(Update({fkTitle}));
    EXPECT_EQ(Plain(0), "Titre : Nouveau rapport fin\x02");
    EXPECT_EQ(Result(title), "Nouveau rapport");
    EXPECT_EQ(title.Range.Start.Offset, 8);
    EXPECT_EQ(title.Range.End.Offset, 23);
    // The whole result is bold, as its first character was; the text after it is not.
    const auto formats = CharFormatsOf(*Doc);
    for (int32_t i = 8; i < 23; ++i)
        EXPECT_EQ(formats[0][static_cast<size_t>(i)][cfBold], 1) << i;
    EXPECT_EQ(formats[0][24][cfBold], 0);
    const std::string after = DumpAll(*Doc);
    Undo().Undo();
    EXPECT_EQ(DumpAll(*Doc), before);
    Undo().Redo();
    EXPECT_EQ(DumpAll(*Doc), after);

    // The same result again: nothing to do, nothing recorded.
    EXPECT_FALSE(Update({fkTitle}));
    // A type the caller did not name is left alone.
    Doc->Properties.Title = "Autre";
    EXPECT_FALSE(Update({fkAuthor}));
    EXPECT_EQ(Result(title), "Nouveau rapport");
}

TEST_F(FieldUpdateTest, TwoFieldsInOneParagraph)
{
    TField& author = Add(fkAuthor, "AUTHOR");
    TField& title = Add(fkTitle, "TITLE \\* Upper");
    BuildDocument({"De " + Wrap(author, "x") + " : " + Wrap(title, "un titre bien trop long") + "." + kMark});
    Doc->Properties.Author = "Camille Dupont";
    Doc->Properties.Title = "Bref";
    ASSERT_TRUE(Update({fkAuthor, fkTitle}));
    EXPECT_EQ(Plain(0), "De Camille Dupont : BREF.\x02");
    EXPECT_EQ(Result(author), "Camille Dupont");
    EXPECT_EQ(Result(title), "BREF");
    // Both are still fields, and update again.
    Doc->Properties.Author = "Lou";
    Doc->Properties.Title = "Un titre bien plus long que le premier";
    ASSERT_TRUE(Update({fkAuthor, fkTitle}));
    EXPECT_EQ(Plain(0), "De Lou : UN TITRE BIEN PLUS LONG QUE LE PREMIER.\x02");
    EXPECT_EQ(Result(author), "Lou");
    EXPECT_EQ(Doc->RangeObjects().size(), 2u);
    EXPECT_FALSE(Update({fkAuthor, fkTitle}));
}

TEST_F(FieldUpdateTest, ResultsOfEachKind)
{
    auto styleNamed = [&](const std::string& name) {
        auto style = std::make_unique<TStyle>(&Doc->Styles());
        style->Name = style->DisplayName = name;
        ClearCharFormat(style->CharFormat);
        ClearParFormat(style->ParFormat);
        return Doc->Styles().Add(std::move(style));
    };
    styleNamed("Normal");
    const int32_t heading = styleNamed("Titre");
    styleNamed("Citation");

    struct TCase {
        uint8_t Type;
        const char* Instruction;
        const char* Result;
    };
    const TCase cases[] = {
        {fkPageRef, "PAGEREF perdu", "?"},
        {fkFileSize, "FILESIZE \\k", "0"},
        {fkFileSize, "FILESIZE", "1023"},
        {fkFileName, "FILENAME", "lettre.rtf"},
        {fkFileName, "FILENAME \\p", "/docs/lettre.rtf"},
        {24, "REVNUM", "Aucun(e)"},
        {fkTitle, "TITLE", "Ligne 1"},
        {fkSubject, "SUBJECT", "Aucun(e)"},
        {fkKeywords, "KEYWORDS \\* Upper", "CLEF"},
        {fkComments, "COMMENTS \\* FirstCap", "Note"},
        {fkLastSavedBy, "LASTSAVEDBY", "Jeanne"},
        {fkCreateDate, "CREATEDATE \\@ \"dd/MM/yyyy\"", "05/03/2024"},
        // The text is in the user's language, English under the tests.
        {fkSaveDate, "SAVEDATE \\@ \"d MMMM yyyy\"", "6 March 2024"},
        {fkPrintDate, "PRINTDATE", "Aucun(e)"},
        {fkSection, "SECTION \\* ROMAN", "I"},
        {fkStyleRef, "STYLEREF Titre", "Chapitre premier"},
        {fkStyleRef, "STYLEREF Inconnu", "Aucun paragraphe de style \"Inconnu\" n'a pu \xEAtre trouv\xE9 !"},
        {fkStyleRef, "STYLEREF citation", "Aucun paragraphe de style \"Citation\" n'a pu \xEAtre trouv\xE9 !"},
    };
    std::vector<std::string> paragraphs{"Chapitre premier" + std::string(kMark)};
    std::vector<TField*> fields;
    for (const TCase& c : cases) {
        TField& field = Add(c.Type, c.Instruction);
        fields.push_back(&field);
        paragraphs.push_back(Wrap(field, "ancien") + kMark);
    }
    BuildDocument(paragraphs);
    Doc->Paragraphs(0).Format[pfStyle] = heading;
    Doc->FileName = "/docs/lettre.rtf";
    Doc->FileState.SizeAtLoad = 1023;
    Doc->Properties.Title = "Ligne 1\rLigne 2";
    Doc->Properties.Keywords = "clef";
    Doc->Properties.Comments = "note";
    Doc->Properties.Author = "Jeanne";
    Doc->Properties.Created = EncodeDate(2024, 3, 5);
    Doc->Properties.LastSaved = EncodeDate(2024, 3, 6);
    TFieldTypeSet all;
    for (const TCase& c : cases)
        all.set(c.Type);
    TTextRange range;
    Doc->GetBodyRange(range);
    Doc->ExecuteOperation(docUpdateFields, {&range, &all});
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].Instruction);
        EXPECT_EQ(Result(*fields[i]), cases[i].Result);
        EXPECT_EQ(fields[i]->Range.Start.Paragraph, static_cast<int32_t>(i + 1));
    }

    // The program's user, when the document asks for it.
    Doc->UseProgramUser = 1;
    Update({fkLastSavedBy});
    EXPECT_EQ(Result(*fields[10]), "Camille");
    // A file of 3 MB in megabytes.
    Doc->FileState.SizeAtLoad = 3 * 1048576 + 5;
    fields[2]->Instruction = "FILESIZE \\m";
    Update({fkFileSize});
    EXPECT_EQ(Result(*fields[2]), "3");
}

// A date is written in the language of the field's first result character:
// its names and, without a picture in the instruction, its long date picture.
TEST_F(FieldUpdateTest, DatesInTheLanguageOfTheirText)
{
    struct TCase {
        const char* Language;  // the language record at the start of the result
        const char* Instruction;
        const char* Result;
    };
    const TCase cases[] = {
        {"{21:1033}", "CREATEDATE \\@ \"d MMMM yyyy\"", "6 March 2024"},
        {"{21:1033}", "CREATEDATE \\@ \"dddd d MMM\"", "Wednesday 6 Mar"},
        {"{21:1031}", "CREATEDATE \\@ \"dddd d MMMM yyyy\"", "Mittwoch 6 M\xE4rz 2024"},
        {"{21:3082}", "SAVEDATE \\@ \"d MMMM\"", "6 marzo"},
        {"{21:1036}", "CREATEDATE \\@ \"dddd d MMMM yyyy\"", "mercredi 6 mars 2024"},
        // "No language": the program's own conventions.
        {"{21:1024}", "CREATEDATE \\@ \"d MMMM yyyy\"", "6 mars 2024"},
    };
    std::vector<std::string> paragraphs;
    std::vector<TField*> fields;
    for (const TCase& c : cases) {
        TField& field = Add(fkCreateDate, c.Instruction);
        field.Type = c.Instruction[0] == 'S' ? fkSaveDate : fkCreateDate;
        fields.push_back(&field);
        paragraphs.push_back(Wrap(field, std::string(c.Language) + "ancien") + kMark);
    }
    BuildDocument(paragraphs);
    Doc->Properties.Created = Doc->Properties.LastSaved = EncodeDate(2024, 3, 6);
    ASSERT_TRUE(Update({fkCreateDate, fkSaveDate}));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].Instruction);
        EXPECT_EQ(Result(*fields[i]), cases[i].Result);
    }
    // The result keeps its language: a second update finds nothing to change.
    EXPECT_FALSE(Update({fkCreateDate, fkSaveDate}));
}

TEST_F(FieldUpdateTest, StatisticsFields)
{
    TField& words = Add(fkNumWords, "NUMWORDS");
    TField& chars = Add(fkNumChars, "NUMCHARS");
    TField& pages = Add(fkNumPages, "NUMPAGES");
    BuildDocument({"un deux trois" + std::string(kMark), Wrap(words, "0") + kMark, Wrap(chars, "0") + kMark,
                   Wrap(pages, "0") + kMark});
    // Counted over the body, the fields' old results included.
    Update({fkNumWords, fkNumChars, fkNumPages});
    EXPECT_EQ(Result(words), "6");
    EXPECT_EQ(Result(chars), "14");
    EXPECT_EQ(Result(pages), "1");
    EXPECT_EQ(Doc->CountingFieldStatistics, 0);
    // While the properties refresh runs, the stored counts.
    Doc->StatisticsFrozen = 1;
    Doc->FieldStatistics[0] = 12;
    Doc->FieldStatistics[1] = 345;
    Doc->FieldStatistics[2] = 6789;
    Update({fkNumWords, fkNumChars, fkNumPages});
    EXPECT_EQ(Result(words), "345");
    EXPECT_EQ(Result(chars), "6789");
    EXPECT_EQ(Result(pages), "12");
}

TEST_F(FieldUpdateTest, PageNumbersAndPageReferences)
{
    TPagedLayout layout;
    TField& mark = Add(0, "Cible", rkBookmark);
    TField& page = Add(fkPage, "PAGE");
    TField& count = Add(fkNumPages, "NUMPAGES");
    TField& plain = Add(fkPageRef, "PAGEREF Cible \\h");
    TField& before = Add(fkPageRef, "PAGEREF Cible \\p");
    TField& sameLineBefore = Add(fkPageRef, "PAGEREF Cible \\p");
    TField& after = Add(fkPageRef, "PAGEREF Cible \\p");
    TField& sectionPages = Add(fkSectionPages, "SECTIONPAGES");
    // Pages: 0-1 on page 1, 2-3 on page 2, 4-5 on page 3.
    BuildDocument({"Voir " + Wrap(before, "?") + kMark,
                   "Pages : " + Wrap(count, "?") + " / " + Wrap(sectionPages, "?") + kMark,
                   std::string("Suite") + kMark,
                   "Page " + Wrap(page, "?") + " et " + Wrap(plain, "?") + kMark,
                   Wrap(sameLineBefore, "?") + " puis " + Wrap(mark, "cible") + kMark,
                   "Retour " + Wrap(after, "?") + kMark});
    const std::initializer_list<int> types{fkPage, fkNumPages, fkPageRef, fkSectionPages};
    ASSERT_TRUE(Update(types));
    EXPECT_GE(layout.Paginations, 1);
    EXPECT_EQ(Result(page), "2");
    EXPECT_EQ(Result(count), "3");
    EXPECT_EQ(Result(sectionPages), "3");
    EXPECT_EQ(Result(plain), "3");
    EXPECT_EQ(Result(before), "en page 3");
    EXPECT_EQ(Result(sameLineBefore), "ci-dessous");
    EXPECT_EQ(Result(after), "ci-dessus");

    // The section restarts its numbering at 5, in lower-case roman numerals.
    Doc->Sections(0).Trailing[0] = 3;
    Doc->Sections(0).Trailing[1] = 5;
    ASSERT_TRUE(Update(types));
    EXPECT_EQ(Result(page), "vi");
    EXPECT_EQ(Result(plain), "iii");
    EXPECT_EQ(Result(before), "en page iii");

    // A header being stamped shows the stamped page's number.
    Doc->Sections(0).Trailing[0] = 0;
    Doc->Sections(0).Trailing[1] = -1;
    TField& header = Add(rkHeaderFooter, "", rkHeaderFooter);
    TField& stamped = Add(fkPage, "PAGE");
    AddToStory(stHeadersFooters, Rec(icRangeStart, header.Handle()) + "En-t\xEAte " + Wrap(stamped, "?") +
                                     Rec(icRangeEnd, header.Handle()) + kMark);
    Doc->RefreshRangeObjectPositions();
    Doc->StampingPage = 1;
    Doc->StampedPageNumber = 7;
    TTextRange range;
    MakeTextPos(6, 0, range.Start);
    MakeTextPos(6, Doc->Paragraphs(6).GetCharCount(), range.End);
    TFieldTypeSet set;
    set.set(fkPage);
    TUpdateRange update;
    Doc->UpdateFields(range, set, update, nullptr);
    Doc->StampingPage = 0;
    EXPECT_EQ(Result(stamped), "7");
}

TEST_F(FieldUpdateTest, ComplexResultsInHeadersAndRestoredResults)
{
    TField& header = Add(rkHeaderFooter, "", rkHeaderFooter);
    TField& page = Add(fkPage, "PAGE");
    TField& complex = Add(fkPage, "PAGE");
    BuildDocument({std::string("Corps") + kMark});
    AddToStory(stHeadersFooters, Rec(icRangeStart, header.Handle()) + Wrap(page, "?") + " " +
                                     Wrap(complex, "a{22:5}b") + Rec(icRangeEnd, header.Handle()) + kMark);
    Doc->RefreshRangeObjectPositions();
    TTextRange range;
    MakeTextPos(1, 0, range.Start);
    MakeTextPos(1, Doc->Paragraphs(1).GetCharCount(), range.End);
    TFieldTypeSet set;
    set.set(fkPage);
    Doc->StampingPage = 1;
    Doc->StampedPageNumber = 4;
    TUpdateRange update;
    Doc->UpdateFields(range, set, update, nullptr);
    EXPECT_EQ(Result(page), "4");
    // A result holding a line break is left alone in a header.
    EXPECT_EQ(Plain(1), "4 a\x05" "b\x02");
    // Undo restoring a header's results puts the kept texts back.
    Doc->StampingPage = 0;
    page.KeptResult = "12";
    Doc->RestoringFieldResults = 1;
    Doc->UpdateFields(range, set, update, nullptr);
    Doc->RestoringFieldResults = 0;
    EXPECT_EQ(Result(page), "12");
}
