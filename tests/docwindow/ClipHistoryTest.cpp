// The clip history and the note spike.
#include "docwindow/ClipboardFixtures.h"

#include "docwindow/ClipHistory.h"
#include "docwindow/PiggyBank.h"
#include "document/model/ObjectManager.h"
#include "platform/ole/DataObject.h"
#include "platform/runtime/Files.h"
#include "platform/win/Clipboard.h"
#include "platform/win/GlobalMemory.h"

#include <tuple>

namespace {

// A 3 x 2 picture as PNG bytes (see ClipboardManagerTest.cpp).
const std::string PicturePng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x03\x00\x00\x00\x02\x08\x02\x00"
    "\x00\x00\x12\x16\xF1\x4D\x00\x00\x00\x15\x49\x44\x41\x54\x78\x9C\x63\xF8\xCF\xC0\xC0\x00\xC1\xFF\xFF\x83\x68"
    "\x21\x93\x30\x00\x45\xC3\x06\x97\xE1\x56\xA5\xBC\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    78);

}  // namespace

class ClipHistoryTest : public ClipboardFixture {
protected:
    // Another program copies; the main frame's watch captures it.
    void Capture(const TMimeParts& parts)
    {
        PutOnDesktopClipboard(parts);
        ASSERT_TRUE(Manager().Open(0));
        Manager().AddHistoryItem();
        Manager().Close();
    }
    std::vector<std::string> Captions()
    {
        std::vector<std::string> captions;
        for (const auto& item : Manager().History())
            captions.push_back(item->Caption);
        return captions;
    }
};

TEST_F(ClipHistoryTest, CaptionsShowTheFirstLineOrACounter)
{
    struct TCase {
        std::string Block;
        bool Picture;
        const char* Expected;
    };
    const std::string eighty(80, 'a');
    const TCase cases[] = {
        {"  bonjour\r\nsuite", false, "\"bonjour\""},
        {"un\ndeux", false, "\"un\""},
        {eighty + '\0', false, nullptr},
        {"   \r\ntexte", false, "Insert 1"},
        {"", true, "Insert 2 (image)"},
        {"", false, "Insert 3"},
    };
    int32_t counter = 0;
    for (const TCase& c : cases) {
        const std::string caption = ClipCaption(c.Block, c.Picture, counter);
        if (c.Expected)
            EXPECT_EQ(c.Expected, caption);
        else
            EXPECT_EQ("\"" + std::string(75, 'a') + "...\"", caption);
    }
}

TEST_F(ClipHistoryTest, TheHistoryKeepsTheNewestItemsAndWipesTheFilesOfTheOthers)
{
    Manager().HistoryLimit = 5;
    std::vector<std::string> files;
    for (int i = 1; i <= 6; ++i) {
        Capture({{"text/plain;charset=utf-8", "texte " + std::to_string(i)}});
        files.push_back(Manager().History().front()->FileName);
        EXPECT_TRUE(FileExists(files.back()));
    }
    EXPECT_EQ((std::vector<std::string>{"\"texte 6\"", "\"texte 5\"", "\"texte 4\"", "\"texte 3\"", "\"texte 2\""}),
              Captions());
    EXPECT_FALSE(FileExists(files[0]));

    // Pasting item 3 inserts its text and makes it the newest.
    auto document = FromRtf("{\\rtf1\\ansi A\\par}");
    document->SetSelection(0, 1, 0, 1);
    Manager().PasteHistoryItem(3, *document);
    EXPECT_EQ("Atexte 3|", BodyText(*document));
    EXPECT_EQ((std::vector<std::string>{"\"texte 3\"", "\"texte 6\"", "\"texte 5\"", "\"texte 4\"", "\"texte 2\""}),
              Captions());
    EXPECT_EQ(nullptr, Manager().PastingItem());
    document->UndoManager().Undo();
    EXPECT_EQ("A|", BodyText(*document));

    // No history at all with a length of 0.
    Manager().HistoryLimit = 0;
    Capture({{"text/plain;charset=utf-8", "encore"}});
    EXPECT_EQ(5u, Manager().History().size());
}

TEST_F(ClipHistoryTest, AUnicodeItemIsPastedAsTextInItsCodePage)
{
    // "Ελλάδα": kept as UTF-16 units, pasted as the letters of code page 1253.
    Capture({{"text/plain;charset=utf-8", "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1"}});
    ASSERT_EQ(1u, Manager().History().size());
    EXPECT_EQ(static_cast<int32_t>(CF_UNICODETEXT), Manager().History().front()->Format);
    PutOnDesktopClipboard({{"text/plain;charset=utf-8", "autre chose"}});
    auto document = FromRtf("{\\rtf1\\ansi X\\par}");
    document->SetSelection(0, 1, 0, 1);
    Manager().PasteHistoryItem(0, *document);
    EXPECT_EQ("X\xC5\xEB\xEB\xDC\xE4\xE1|", BodyText(*document));
}

TEST_F(ClipHistoryTest, APictureItemIsKeptAsABitmapFileAndPastedAsAPicture)
{
    Capture({{"image/png", PicturePng}});
    ASSERT_EQ(1u, Manager().History().size());
    const TClipHistoryItem& item = *Manager().History().front();
    EXPECT_EQ("Insert 1 (image)", item.Caption);
    std::string bytes;
    ASSERT_TRUE(FileExists(item.FileName));
    auto document = FromRtf("{\\rtf1\\ansi X\\par}");
    document->SetSelection(0, 1, 0, 1);
    Manager().PasteHistoryItem(0, *document);
    EXPECT_EQ("X<8>|", BodyText(*document));
    ASSERT_EQ(1, document->ObjectManager().Count());
    EXPECT_EQ(document->LayoutToTwips(3), document->ObjectManager().Objects(0).Width);
}

TEST_F(ClipHistoryTest, TheNoteSpikeCollectsFragmentsOneAfterTheOtherAndIsPastedWhole)
{
    auto source = FromRtf("{\\rtf1\\ansi un {\\b deux} trois\\par}");
    TPiggyBank& spike = Manager().GetPiggyBank();
    EXPECT_TRUE(spike.IsEmpty());
    EXPECT_EQ("Pique-notes", spike.Document().Properties.Title);
    EXPECT_EQ(1, spike.Document().IsNoteSpike);

    // An empty note spike takes the first fragment without a mark before it;
    // the next one comes after a mark.
    auto range = [](int32_t from, int32_t to) {
        TTextRange r;
        MakeTextPos(0, from, r.Start);
        MakeTextPos(0, to, r.End);
        return r;
    };
    ASSERT_TRUE(spike.AddSelection(*source, range(0, 2)));
    EXPECT_EQ("un|", BodyText(spike.Document()));
    ASSERT_TRUE(spike.AddSelection(*source, range(3, 7)));
    EXPECT_EQ("un|deux|", BodyText(spike.Document()));
    EXPECT_FALSE(spike.IsEmpty());

    // Pasted whole (operation 16), with its formats, as one undoable step.
    auto target = FromRtf("{\\rtf1\\ansi AB\\par}");
    target->SetSelection(0, 1, 0, 1);
    target->ExecuteOperation(docPasteNoteSpike);
    EXPECT_EQ("Aun|deuxB|", BodyText(*target));
    EXPECT_NE(0, CharFormatsOfParagraph(target->Paragraphs(1))[0][cfBold]);
    target->UndoManager().Undo();
    EXPECT_EQ("AB|", BodyText(*target));

    // Emptied; emptying it again records nothing.
    spike.Clear();
    EXPECT_TRUE(spike.IsEmpty());
    const int32_t operations = spike.Document().UndoManager().Count();
    spike.Clear();
    EXPECT_EQ(operations, spike.Document().UndoManager().Count());

    // An empty note spike pastes nothing.
    target->ExecuteOperation(docPasteNoteSpike);
    EXPECT_EQ("AB|", BodyText(*target));
}

TEST_F(ClipHistoryTest, AFailedAddToTheNoteSpikeKeepsWhatWasCollected)
{
    auto source = FromRtf("{\\rtf1\\ansi un deux\\par}");
    TPiggyBank& spike = Manager().GetPiggyBank();
    TTextRange first, second;
    MakeTextPos(0, 0, first.Start);
    MakeTextPos(0, 2, first.End);
    MakeTextPos(0, 3, second.Start);
    MakeTextPos(0, 7, second.End);
    ASSERT_TRUE(spike.AddSelection(*source, first));

    // The step fails after its paragraph mark went in: the mark goes again
    // and the fragment collected before stays.
    Host.FailInEdit = true;
    EXPECT_THROW(spike.AddSelection(*source, second), Exception);
    Host.FailInEdit = false;
    EXPECT_EQ("un|", BodyText(spike.Document()));
    ASSERT_TRUE(spike.AddSelection(*source, second));
    EXPECT_EQ("un|deux|", BodyText(spike.Document()));
}

TEST_F(ClipHistoryTest, AtExitALargeOwnContentAndAFullNoteSpikeAreAskedAbout)
{
    auto own = [](size_t bytes) {
        ASSERT_TRUE(OpenClipboard(1));
        EmptyClipboard();
        const std::string block = TextBlock(std::string(bytes - 1, 'a'));
        SetClipboardData(CF_TEXT, GlobalAllocBytes(block.data(), block.size()));
        CloseClipboard();
    };
    const char* const Large = "un élément de grande taille";
    {
        own(131072);
        TMessageAnswers answers;
        EXPECT_TRUE(Manager().CloseQuery());
    }
    {
        own(131073);
        TMessageAnswers answers;
        answers.Expect(Large, mrCancel);
        EXPECT_FALSE(Manager().CloseQuery());
    }
    {
        TMessageAnswers answers;
        answers.Expect(Large, mrNo);
        EXPECT_TRUE(Manager().CloseQuery());
        EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    }
    {
        // Fragments of an encrypted document are asked about first.
        own(10);
        Manager().CopiedDocumentCoding = 4;
        TMessageAnswers answers;
        answers.Expect("fragments de document crypt", mrNo);
        EXPECT_TRUE(Manager().CloseQuery());
        EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
        Manager().CopiedDocumentCoding = 0;
    }
    {
        // Another program's content is not the program's to ask about.
        PutOnDesktopClipboard({{"text/plain;charset=utf-8", std::string(200000, 'b')}});
        TMessageAnswers answers;
        EXPECT_TRUE(Manager().CloseQuery());
    }

    // A note spike that holds something is offered for saving.
    auto source = FromRtf("{\\rtf1\\ansi note\\par}");
    TTextRange range;
    MakeTextPos(0, 0, range.Start);
    MakeTextPos(0, 4, range.End);
    ASSERT_TRUE(Manager().GetPiggyBank().AddSelection(*source, range));
    const char* const Spike = "Le Pique-notes contient des";
    int saves = 0;
    bool saved = false;
    Manager().SaveNoteSpike = [&](TDocument& document) {
        ++saves;
        EXPECT_EQ(1, document.IsNoteSpike);
        return saved;
    };
    for (const auto& [answer, save, result] :
         std::vector<std::tuple<int32_t, bool, bool>>{{mrCancel, false, false}, {mrNo, false, true},
                                                       {mrYes, false, false}, {mrYes, true, true}}) {
        TMessageAnswers answers;
        answers.Expect(Spike, answer);
        saved = save;
        EXPECT_EQ(result, Manager().CloseQuery());
    }
    EXPECT_EQ(2, saves);
}
