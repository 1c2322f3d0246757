// Inserting files and documents into a document, duplicating text and
// inserting symbols, each undone and redone.
#include "docwindow/ClipboardFixtures.h"

#include "document/fields/Field.h"
#include "document/model/DocObject.h"
#include "document/model/ObjectManager.h"
#include "formats/CorpusText.h"
#include "document/DocumentDump.h"
#include "layout/DocumentLayoutService.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/StringList.h"
#include "platform/testing/Testing.h"

#include <fstream>
#include <sstream>

using namespace corpus_text;

namespace {

std::string ReadReference(const std::string& name)
{
    std::ifstream in(std::string(ELDRAVIN_FORMATS_REFERENCE_DIR) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

class InsertionTest : public ClipboardFixture {};

TEST_F(InsertionTest, CorpusFilesOfEachFormatAreInsertedAtTheCaretWithTheWordsOfTheirReference)
{
    const std::string corpus = SharedDir() + "/corpus";
    ELDRAVIN_NEED_SHARED(corpus + "/files.tsv");
    struct TCase {
        const char* File;
        const char* Reference;  // words made by an independent converter
    };
    const TCase cases[] = {
        {"rtf/pandoc/bookmark.rtf", "rtf/pandoc/bookmark.txt"},
        {"rtf/pandoc/accent.rtf", "rtf/pandoc/accent.txt"},
        {"doc/poi/47304.doc", "word/poi/47304.txt"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.File);
        auto target = FromRtf("{\\rtf1\\ansi Debut \\par Fin\\par}");
        target->SetSelection(0, 6, 0, 6);
        ASSERT_TRUE(target->InsertFile(corpus + "/" + c.File, -1));
        std::vector<std::u16string> words = Words(BodyWideText(*target));
        ASSERT_GE(words.size(), 2u);
        EXPECT_EQ(u"Debut", words.front());
        EXPECT_EQ(u"Fin", words.back());
        words.erase(words.begin());
        words.pop_back();
        EXPECT_EQ(Words(WideFromUtf8(ReadReference(c.Reference))), words);
        EXPECT_EQ(corpus + "/" + c.File, Host.RecentInserted.back());

        target->UndoManager().Undo();
        EXPECT_EQ("Debut |Fin|", BodyText(*target));
        target->UndoManager().Redo();
        EXPECT_EQ(Words(BodyWideText(*target)).size(), Words(WideFromUtf8(ReadReference(c.Reference))).size() + 2);
    }
}

TEST_F(InsertionTest, TheBookmarksAndFieldsOfAnInsertedFileComeWithItAndGoWithItsUndo)
{
    const std::string corpus = SharedDir() + "/corpus";
    ELDRAVIN_NEED_SHARED(corpus + "/files.tsv");
    auto target = FromRtf("{\\rtf1\\ansi X\\par}");
    target->SetSelection(0, 1, 0, 1);
    ASSERT_TRUE(target->InsertFile(corpus + "/rtf/pandoc/bookmark.rtf", -1));
    ASSERT_EQ(1, target->GetBookmarkList().Count());
    EXPECT_EQ("bookmark_1", target->GetBookmarkList().Strings(0));
    EXPECT_EQ(1, CountFields(*target, rkField, 88));
    target->UndoManager().Undo();
    EXPECT_EQ(0, target->GetBookmarkList().Count());
    EXPECT_EQ(0, CountFields(*target, rkField));
    target->UndoManager().Redo();
    EXPECT_EQ(1, target->GetBookmarkList().Count());
}

TEST_F(InsertionTest, APlainTextFileKeepsItsSpecialCharacters)
{
    const std::string path = MakeTestDir("insertion") + "/texte.txt";
    // Tab, page break, non-breaking space, en and em dash in code page 1252.
    WriteTestFile(path, "un\tdeux\x0C" "trois\xA0quatre\x96" "cinq\x97six\r\nfin");
    auto target = FromRtf("{\\rtf1\\ansi AB\\par}");
    target->SetSelection(0, 1, 0, 1);
    ASSERT_TRUE(target->InsertFile(path, ciAnsiText));
    EXPECT_EQ("Aun<7>deux<6>trois<10>quatre<13>cinq<12>six|finB|", BodyText(*target));
    target->UndoManager().Undo();
    EXPECT_EQ("AB|", BodyText(*target));
}

TEST_F(InsertionTest, AnUnreadableFileInsertsNothing)
{
    auto target = FromRtf("{\\rtf1\\ansi AB\\par}");
    TMessageAnswers answers;
    answers.AnswerOthers(mrOk);
    EXPECT_FALSE(target->InsertFile(MakeTestDir("insertion") + "/absent.rtf", -1));
    EXPECT_EQ("AB|", BodyText(*target));
    EXPECT_FALSE(target->UndoManager().CanUndo());
}

TEST_F(InsertionTest, InsertingAnOpenDocumentCopiesItAndLeavesItWhole)
{
    // A document with a picture, a section break and a bookmark, open under
    // its name, inserted into another document and into itself.
    auto open = FromRtf("{\\rtf1\\ansi {\\*\\bkmkstart b}Un{\\*\\bkmkend b}\\sect Deux\\par}");
    open->FileName = "/docs/ouvert.rtf";
    Host.Open.push_back({open->FileName, open.get()});
    const std::string before = BodyText(*open);
    const int32_t sections = open->SectionCount();

    auto target = FromRtf("{\\rtf1\\ansi X\\par}");
    target->SetSelection(0, 1, 0, 1);
    ASSERT_TRUE(target->InsertFile(open->FileName, -1));
    EXPECT_EQ(before, BodyText(*open));
    EXPECT_EQ(sections, open->SectionCount());
    EXPECT_EQ(1, open->GetBookmarkList().Count());
    EXPECT_EQ(1, target->GetBookmarkList().Count());
    EXPECT_EQ(2, target->SectionCount()) << "the section break came with the text";

    // Into itself: the text twice.
    CaretAtEnd(*open);
    ASSERT_TRUE(open->InsertFile(open->FileName, -1));
    EXPECT_EQ(sections + 1, open->SectionCount());
    EXPECT_EQ(2, open->GetBookmarkList().Count()) << "the copy's bookmark comes too";
    open->UndoManager().Undo();
    EXPECT_EQ(before, BodyText(*open));
    EXPECT_EQ(sections, open->SectionCount());
    EXPECT_EQ(1, open->GetBookmarkList().Count());
}

TEST_F(InsertionTest, AStyleOfTheSourceJoinsTheTargetOnceAndAKnownOneMapsToTheTargets)
{
    const std::string source =
        "{\\rtf1\\ansi{\\stylesheet{\\s0 Normal;}{\\s1\\b Titre maison;}}"
        "\\pard\\s1 Titre\\par\\pard\\s0 Corps\\par}";
    const std::string path = MakeTestDir("insertion") + "/styles.rtf";
    WriteTestFile(path, source);
    auto target = FromRtf("{\\rtf1\\ansi{\\stylesheet{\\s0 Normal;}}Z\\par}");
    const int32_t styles = target->Styles().Count();
    target->SetSelection(0, 0, 0, 0);
    ASSERT_TRUE(target->InsertFile(path, -1));
    ASSERT_EQ(styles + 1, target->Styles().Count());
    const int32_t added = target->Styles().IndexOfName("Titre maison");
    ASSERT_GE(added, 0);
    EXPECT_EQ(added, target->Paragraphs(0).Format[pfStyle]);
    EXPECT_EQ(target->Styles().IndexOfName("Normal"), target->Paragraphs(1).Format[pfStyle]);
    ASSERT_TRUE(target->InsertFile(path, -1));
    EXPECT_EQ(styles + 1, target->Styles().Count()) << "a style the target has is not added again";
    target->UndoManager().Undo();
    target->UndoManager().Undo();
    EXPECT_EQ(styles, target->Styles().Count());
    EXPECT_EQ("Z|", BodyText(*target));
}

TEST_F(InsertionTest, DuplicatingTextCopiesItWithItsFormatAtTheTarget)
{
    auto document = FromRtf("{\\rtf1\\ansi a{\\b bc}d\\par}");
    TTextPosition start, end, target;
    MakeTextPos(0, 1, start);
    MakeTextPos(0, 3, end);
    MakeTextPos(0, 4, target);
    uint8_t flags = 0;
    document->ExecuteOperation(docDuplicateText, {&start, &end, &target, &flags});
    EXPECT_EQ("abcdbc|", BodyText(*document));
    const std::vector<TCharFormat> formats = CharFormatsOfParagraph(document->Paragraphs(0));
    EXPECT_NE(0, formats[4][cfBold]);
    EXPECT_NE(0, formats[5][cfBold]);
    document->UndoManager().Undo();
    EXPECT_EQ("abcd|", BodyText(*document));
}

TEST_F(InsertionTest, ASymbolOfASymbolFontBecomesASymbolFieldAndAnyOtherOnlyTakesTheFont)
{
    auto document = FromRtf("{\\rtf1\\ansi AB\\par}");
    document->SetSelection(0, 1, 0, 1);
    uint8_t character = 0xB7;
    std::string font = "Symbol";
    int32_t charset = 2;
    document->ExecuteOperation(docInsertSymbol, {&character, &font, &charset});
    EXPECT_EQ("A\xB7" "B|", BodyText(*document));
    ASSERT_EQ(1, CountFields(*document, rkField, 57));
    const TField& field = **std::find_if(document->RangeObjects().begin(), document->RangeObjects().end(),
                                         [](const auto& f) { return f->Type == 57; });
    EXPECT_NE(std::string::npos, field.Instruction.find("183"));
    EXPECT_NE(std::string::npos, field.Instruction.find("Symbol"));
    EXPECT_EQ(1, field.Range.Start.Offset);
    EXPECT_EQ(2, field.Range.End.Offset);
    std::vector<TCharFormat> formats = CharFormatsOfParagraph(document->Paragraphs(0));
    EXPECT_EQ(GetFontManager()->GetFontIndex("Symbol", 2, true, 0), formats[1][cfFont]);
    document->UndoManager().Undo();
    EXPECT_EQ("AB|", BodyText(*document));
    EXPECT_EQ(0, CountFields(*document, rkField));

    // A Greek letter of an ordinary font: the font and a Greek language.
    character = 0xE1;
    font = "Arial";
    charset = 161;
    document->SetSelection(0, 1, 0, 1);
    document->ExecuteOperation(docInsertSymbol, {&character, &font, &charset});
    EXPECT_EQ("A\xE1" "B|", BodyText(*document));
    EXPECT_EQ(0, CountFields(*document, rkField));
    formats = CharFormatsOfParagraph(document->Paragraphs(0));
    ASSERT_NE(nullptr, GetFontManager()->FindFont(formats[1][cfFont]));
    EXPECT_EQ(161, GetFontManager()->FindFont(formats[1][cfFont])->RequestedCharset);
    EXPECT_NE(161, GetFontManager()->FindFont(formats[0][cfFont])->RequestedCharset);
    document->UndoManager().Undo();
    EXPECT_EQ("AB|", BodyText(*document));
}

// "Same as previous" on a header the second section takes from the first
// gives the section its own copy with the same text; run again, the copy
// goes and the first section's header is edited once more. Both steps undo
// and redo to the byte.
TEST_F(InsertionTest, AHeaderIsCopiedForItsSectionAndLinkedBackToThePreviousOne)
{
    CreateDocumentLayout();
    struct TLayout {
        ~TLayout() { FreeDocumentLayout(); }
    } layout;
    auto document = FromRtf("{\\rtf1\\ansi {\\header T\\'eate\\par}Un\\par\\sect\\sbkpage Deux\\par}");
    ASSERT_EQ(2, document->SectionCount());
    // "\\header" is the header of odd pages, slot 1.
    TSection& first = document->Sections(0);
    TSection& second = document->Sections(1);
    ASSERT_NE(nullptr, first.HeadersFooters[1]);
    ASSERT_EQ(nullptr, second.HeadersFooters[1]);
    document->SectionsDirty = 1;
    document->PaginateAll();
    ASSERT_EQ(2, document->PageCount());
    const std::string before = DumpDocument(*document);
    const auto headerText = [&document](const TField* header) {
        const int32_t paragraph = header->Range.Start.Paragraph;
        return document->GetTextRun(paragraph, 0, 20);
    };

    // On the second page the first section's header is edited.
    document->EnterHeaderFooterEditing(nullptr, 1);
    ASSERT_EQ(first.HeadersFooters[1], document->EditedHeaderFooter);
    document->ExecuteOperation(docLinkHeaderToPrevious, {});
    TField* copy = second.HeadersFooters[1];
    ASSERT_NE(nullptr, copy);
    EXPECT_NE(first.HeadersFooters[1], copy);
    EXPECT_EQ(copy, document->EditedHeaderFooter);
    EXPECT_EQ("T\xEA" "te", headerText(copy).substr(0, 4));
    EXPECT_EQ("T\xEA" "te", headerText(first.HeadersFooters[1]).substr(0, 4));
    EXPECT_EQ(stHeadersFooters, document->GetStoryOfParagraph(document->Caret.Paragraph));
    const std::string copied = DumpDocument(*document);
    ExpectDocumentConsistent(*document);

    // Again: the section's own header goes and the first one is edited.
    document->ExecuteOperation(docLinkHeaderToPrevious, {});
    EXPECT_EQ(nullptr, second.HeadersFooters[1]);
    EXPECT_EQ(first.HeadersFooters[1], document->EditedHeaderFooter);
    const std::string linked = DumpDocument(*document);
    ExpectDocumentConsistent(*document);
    // The copy's text went; its empty paragraph stays in the story, named by
    // no section.
    EXPECT_EQ(2, document->StoryCount(stHeadersFooters));

    document->UndoManager().Undo();
    EXPECT_EQ(copied, DumpDocument(*document));
    document->UndoManager().Undo();
    EXPECT_EQ(before, DumpDocument(*document));
    document->UndoManager().Redo();
    EXPECT_EQ(copied, DumpDocument(*document));
    document->UndoManager().Redo();
    EXPECT_EQ(linked, DumpDocument(*document));

    // The first section's header has no previous one to take: nothing is
    // done and nothing recorded.
    document->EnterHeaderFooterEditing(nullptr, 0);
    ASSERT_EQ(first.HeadersFooters[1], document->EditedHeaderFooter);
    const int32_t steps = document->UndoManager().Count();
    document->ExecuteOperation(docLinkHeaderToPrevious, {});
    EXPECT_EQ(linked, DumpDocument(*document));
    EXPECT_EQ(steps, document->UndoManager().Count());
}
