// Document statistics of a fixture document, against counts made by hand, and
// the statistics message.
#include "document/EditingFixtures.h"
#include "document/text/DocStatistics.h"
#include "document/model/Page.h"
#include "foundation/MessageAnswers.h"
#include "platform/runtime/DateTime.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Lays every paragraph out 20 characters to the line and puts two
// paragraphs on each page.
class TTwoParagraphPages : public TTestDocumentLayout {
public:
    int Paginations = 0;
    void PaginateAll(TDocument& document) override
    {
        ++Paginations;
        document.ClearPageList();
        for (int32_t index = 0; index < document.StoryCount(stBody); ++index) {
            TParagraph& paragraph = document.Paragraphs(index);
            paragraph.Invalidate(true, 20);
            if (index % 2 == 0)
                document.Pages().push_back(std::make_unique<TPage>(&document, index / 2));
            document.Pages().back()->AddParagraphRange(paragraph, 0, paragraph.GetLineCount() - 1);
        }
    }
};

class DocStatisticsTest : public EditingTest {
protected:
    TCharLayout Lines;

    // Counted by hand:
    //   0  "Bonjour, le monde. Ça va ?" with a non-breaking space before "?":
    //      5 words, 26 characters with spaces, 21 without, 2 sentences,
    //      27 characters with the mark: 2 lines of 20
    //   1  "Voir", a tab, "l'image", a picture, " ici — fin.":
    //      4 words, 22 characters with spaces, 19 without, 1 picture,
    //      1 sentence, 25 with the mark: 2 lines
    //   2  the mark alone: no paragraph, 1 line
    //   3  "un deux trois": 3 words, 13 and 11 characters, 1 sentence, 1 line
    void BuildFixture()
    {
        Build({"Bonjour, le monde. \xC7" "a va{22:10}?" + std::string(kMark),
               "Voir{22:7}l'image{24:0} ici {22:12} fin." + std::string(kMark), kMark,
               "un deux trois" + std::string(kMark)});
        Doc->Sections(0).PageParams[ppTextWidth] = 20;
    }

    TDocStatistics Count()
    {
        TDocStatistics statistics;
        Doc->ComputeStatistics(statistics);
        return statistics;
    }
};

}  // namespace

TEST_F(DocStatisticsTest, WholeDocumentCountedByHand)
{
    BuildFixture();
    Doc->FileState.SizeAtLoad = 123456;
    Doc->Format = ciWord97;
    const TDocStatistics s = Count();
    EXPECT_EQ(s.Pages, 1);
    EXPECT_EQ(s.Words, 12);
    EXPECT_EQ(s.Sentences, 4);
    EXPECT_EQ(s.CharsWithSpaces, 61);
    EXPECT_EQ(s.CharsWithoutSpaces, 51);
    EXPECT_EQ(s.Paragraphs, 3);
    EXPECT_EQ(s.Lines, 6);
    EXPECT_EQ(s.Pictures, 1);
    EXPECT_EQ(s.FileSize, 123456);
    EXPECT_EQ(s.Coding, ciWord97);
    // The progress display ran over the four paragraphs.
    EXPECT_EQ(Host.ProgressTexts, std::vector<std::string>{"Création des statistiques..."});
    EXPECT_EQ(Host.ProgressSteps, (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(Host.ProgressEnds, 1);

    // The field update's quick count leaves paragraphs, lines and sentences out.
    Doc->CountingFieldStatistics = 1;
    const TDocStatistics quick = Count();
    Doc->CountingFieldStatistics = 0;
    EXPECT_EQ(quick.Words, 12);
    EXPECT_EQ(quick.CharsWithSpaces, 61);
    EXPECT_EQ(quick.Paragraphs, 0);
    EXPECT_EQ(quick.Lines, 0);
    EXPECT_EQ(quick.Sentences, 0);
}

TEST_F(DocStatisticsTest, PagesOfTheLayout)
{
    TTwoParagraphPages pages;
    BuildFixture();
    EXPECT_EQ(Count().Pages, 2);
    EXPECT_EQ(pages.Paginations, 1);
    // A selection from the first paragraph to the last spans both pages; one
    // within the last paragraph one page.
    Select(0, 3, 3, 2);
    EXPECT_EQ(Count().Pages, 2);
    Select(3, 3, 3, 7);
    const TDocStatistics part = Count();
    EXPECT_EQ(part.Pages, 1);
    EXPECT_EQ(part.Words, 1);
    EXPECT_EQ(part.CharsWithSpaces, 4);
}

TEST_F(DocStatisticsTest, SelectionsAndSmallDocuments)
{
    BuildFixture();
    // The three words un deux trois inside a paragraph.
    Select(3, 0, 3, 13);
    TDocStatistics s = Count();
    EXPECT_EQ(s.Words, 3);
    EXPECT_EQ(s.CharsWithSpaces, 13);
    EXPECT_EQ(s.CharsWithoutSpaces, 11);
    EXPECT_EQ(s.Paragraphs, 1);
    EXPECT_EQ(s.Sentences, 1);
    // From the middle of the first paragraph into the second: "monde. Ça va ?"
    // and "Voir".
    Select(0, 12, 1, 4);
    s = Count();
    EXPECT_EQ(s.Words, 4);
    EXPECT_EQ(s.CharsWithSpaces, 14 + 4);
    EXPECT_EQ(s.Pictures, 0);

    // An empty document.
    Doc = std::make_unique<TDocument>(false);
    Build({kMark});
    s = Count();
    EXPECT_EQ(s.Pages, 1);
    EXPECT_EQ(s.Words, 0);
    EXPECT_EQ(s.CharsWithSpaces, 0);
    EXPECT_EQ(s.Paragraphs, 0);
    EXPECT_EQ(s.Lines, 1);
    EXPECT_EQ(s.Sentences, 0);

    // Blanks, tabs and non-breaking spaces between words.
    Build({"a  b{22:7}c{22:10}d{24:0}{24:0}e" + std::string(kMark)});
    s = Count();
    EXPECT_EQ(s.Words, 5);
    EXPECT_EQ(s.CharsWithSpaces, 5 + 2 + 1);
    EXPECT_EQ(s.CharsWithoutSpaces, 5);
    EXPECT_EQ(s.Pictures, 2);
}

TEST_F(DocStatisticsTest, TheStatisticsMessage)
{
    BuildFixture();
    Doc->FileState.SizeAtLoad = 1234567;
    Doc->Format = ciRtf;
    {
        TMessageAnswers answers;
        answers.AnswerOthers(mrOk);
        Doc->ShowStatistics();
        ASSERT_EQ(answers.Asked().size(), 1u);
        const TMessageRequest& shown = answers.Asked()[0];
        EXPECT_EQ(shown.Type, mtCustom);
        EXPECT_EQ(shown.Buttons, mbOK);
        EXPECT_EQ(shown.Caption, "Statistiques sur le document");
        EXPECT_EQ(shown.Text, "Pages : 1\r\nMots : 12\r\nPhrases : 4\r\nCar. (espaces non comprises) : 51\r\n"
                              "Car. (espaces comprises) : 61\r\nParagraphes : 3\r\nLignes : 6\r\nImages : 1\r\n\r\n"
                              "Informations globales :                     \r\n\r\n"
                              "Taille du fichier : 1 234 567 octets\r\nFormat du fichier : Document RTF");
    }
    // Saved once: the creation date, no last-save line; then saved again by
    // someone and printed.
    const TDateTime created = EncodeDate(2024, 3, 5) + EncodeTime(9, 30, 0, 0);
    Doc->Properties.Created = created;
    Doc->Properties.LastSaved = created;
    Doc->Properties.LastAuthor = "Jeanne";
    Select(3, 0, 3, 2);
    {
        TMessageAnswers answers;
        answers.AnswerOthers(mrOk);
        Doc->ShowStatistics();
        const TMessageRequest& shown = answers.Asked().at(0);
        EXPECT_EQ(shown.Caption, "Statistiques sur la s\xE9lection");
        EXPECT_NE(shown.Text.find("Document RTF\r\rCréé le : 05/03/2024 09:30"), std::string::npos);
        EXPECT_EQ(shown.Text.find("Dernier enreg."), std::string::npos);
    }
    Doc->Properties.LastSaved = created + 1;
    Doc->Properties.LastPrinted = created + 2;
    {
        TMessageAnswers answers;
        answers.AnswerOthers(mrOk);
        Doc->ShowStatistics();
        EXPECT_NE(answers.Asked().at(0).Text.find("Créé le : 05/03/2024 09:30\rDernier enreg. : 06/03/2024 "
                                                  "09:30\rAuteur du dernier enreg. : Jeanne\rDernière "
                                                  "impression : 07/03/2024 09:30"),
                  std::string::npos);
    }
}
