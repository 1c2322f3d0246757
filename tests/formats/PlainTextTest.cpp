// The plain-text reader's paragraphs and special characters, and the
// plain-text writer's bytes.
#include "formats/FormatsFixtures.h"

#include "document/model/DocumentHost.h"
#include "document/model/EngineWorkBuffer.h"
#include "document/text/DocStatistics.h"
#include "document/text/TextAccess.h"
#include "foundation/MessageAnswers.h"
#include "formats/OutputFile.h"
#include "formats/text/TextWriter.h"

namespace {

// A paragraph mark of the file's usual line end.
const std::string M = "<2>";

std::vector<std::string> ReadLines(const std::string& bytes, bool hidden = false)
{
    const std::string dir = MakeTestDir("text-reader");
    TLoaded loaded = LoadFile(MakeFile(dir, "t.txt", bytes), ciAnsiText, hidden);
    EXPECT_TRUE(loaded.Ok);
    return loaded.Ok ? BodyTexts(*loaded.Document) : std::vector<std::string>{};
}

// A document built in memory, as another reader would leave it.
std::unique_ptr<TDocument> MakeDocument(const std::vector<std::string>& paragraphs, bool hidden = true)
{
    auto document = std::make_unique<TDocument>(hidden);
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        TParagraph& p = i == 0 ? document->Paragraphs(0) : document->AppendParagraph(stBody);
        p.SetText(paragraphs[i].data(), static_cast<int32_t>(paragraphs[i].size()));
    }
    return document;
}

std::string Special(uint8_t kind)
{
    uint8_t record[InlineControlSize];
    WriteInlineControl(record, icSpecialChar, kind);
    return std::string(reinterpret_cast<const char*>(record), InlineControlSize);
}

std::string WriteToMemory(TDocument& document, int32_t coding, uint32_t flags, int32_t lastOffset = -1)
{
    TMemory memory;
    TDocWriteParams params;
    params.Target = wtMemory;
    params.Coding = coding;
    params.Flags = flags;
    params.Memory = &memory;
    if (lastOffset >= 0) {
        params.FirstParagraph = 0;
        params.LastParagraph = document.StoryLast(stBody);
        params.LastOffset = lastOffset;
    }
    EXPECT_EQ(WriteToFile(document, params), wrWritten);
    return std::string(reinterpret_cast<const char*>(memory.Data()), static_cast<size_t>(memory.Size()));
}

}  // namespace

TEST(PlainText, EveryLineBecomesAParagraph)
{
    struct TCase {
        const char* Name;
        std::string Bytes;
        std::vector<std::string> Paragraphs;
    } const cases[] = {
        {"CR LF", "un\r\ndeux\r\n\r\ntrois", {"un" + M, "deux" + M, M, "trois" + M}},
        {"LF CR is one line end", "un\n\rdeux", {"un" + M, "deux" + M}},
        // Two equal line-end bytes are two line ends: the blank line stays.
        {"LF LF", "un\n\ndeux", {"un" + M, M, "deux" + M}},
        {"CR CR", "un\r\rdeux", {"un" + M, M, "deux" + M}},
        {"CR CR LF", "un\r\r\ndeux", {"un" + M, "<2/13+>", "deux" + M}},
        // A final line end leaves no empty paragraph behind.
        {"final line end", "un\r\n", {"un" + M}},
        {"empty file", "", {M}},
        {"mixed line ends keep their own", "a\r\nb\nc\rd\n\re",
         {"a" + M, "b<2/10>", "c<2/13>", "d<2/10+>", "e" + M}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ReadLines(c.Bytes), c.Paragraphs);
    }
}

TEST(PlainText, ControlBytesBecomeSpecialCharactersOrStayAsTheyCame)
{
    // Tab, form feed and the dashes map to what writes them back; the others
    // keep the byte they came from; a control byte without meaning takes no
    // room and is kept.
    const std::vector<std::string> lines =
        ReadLines(std::string("a\tb\x0C" "c\x96" "d\x97" "e\xA0" "f\x0B" "g\x0F" "h\x10" "i\x1F" "j") +
                  std::string(1, '\0') + "k\x1B");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "a<7>b<6>c<13>d<12>e<10/160>f<5/11>g<4/15>h<11/16>i<14/31>j<16/0>k<16/27>" + M);

    const std::string dir = MakeTestDir("text-chars");
    TLoaded loaded = LoadFile(MakeFile(dir, "c.txt", "a\x1B\tb"), ciAnsiText);
    ASSERT_TRUE(loaded.Ok);
    EXPECT_EQ(loaded.Document->Paragraphs(0).GetCharCount(), 5) << "a, the control byte, tab, b, the mark";
}

TEST(PlainText, TheLoadCompletesTheLastParagraph)
{
    // A document with a window gets the final paragraph mark; a hidden one
    // keeps its last line open and reports it as a line less.
    const std::string dir = MakeTestDir("text-complete");
    const std::string path = MakeFile(dir, "c.txt", "un\r\ndeux");
    TLoaded shown = LoadFile(path, ciAnsiText, false);
    ASSERT_TRUE(shown.Ok);
    EXPECT_EQ(BodyTexts(*shown.Document), (std::vector<std::string>{"un" + M, "deux" + M}));
    EXPECT_EQ(shown.Request.ParagraphCount, 2);
    EXPECT_EQ(shown.Request.AddedLength, 1);
    shown.Document.reset();

    TLoaded hidden = LoadFile(path, ciAnsiText, true);
    ASSERT_TRUE(hidden.Ok);
    EXPECT_EQ(BodyTexts(*hidden.Document), (std::vector<std::string>{"un" + M, "deux"}));
    EXPECT_EQ(hidden.Request.ParagraphCount, 1);
    EXPECT_EQ(hidden.Request.AddedLength, 0);
}

TEST(PlainText, ParagraphsTakeTheTextTemplatesFormatting)
{
    const std::string dir = MakeTestDir("text-template");
    const std::string path = MakeFile(dir, "t.txt", "un\r\ndeux");
    {
        // Without a template: the default formats, no records.
        TLoaded loaded = LoadFile(path, ciAnsiText);
        ASSERT_TRUE(loaded.Ok);
        EXPECT_EQ(loaded.Document->Paragraphs(1).Format, DefaultParFormat());
    }
    TRecordingFileHost host;
    TDocument model(true);
    {
        std::string text;
        uint8_t record[InlineControlSize];
        WriteInlineControl(record, cfSize, 20);
        text.append(reinterpret_cast<const char*>(record), InlineControlSize);
        WriteInlineControl(record, cfBold, 1);
        text.append(reinterpret_cast<const char*>(record), InlineControlSize);
        text += "x" + Special(scParagraphMark);
        model.Paragraphs(0).SetText(text.data(), static_cast<int32_t>(text.size()));
        model.Paragraphs(0).Format[pfAlignment] = 3;
    }
    host.Template = &model;
    TLoaded loaded = LoadFile(path, ciDosText);
    ASSERT_TRUE(loaded.Ok);
    EXPECT_EQ(host.TemplatesAsked, std::vector<std::string>{"Plain.rtf"}) << "the DOS text template is that of ANSI text";
    for (int32_t p = 0; p < 2; ++p) {
        EXPECT_EQ(loaded.Document->Paragraphs(p).Format[pfAlignment], 3);
        EXPECT_EQ(ShowText(loaded.Document->Paragraphs(p)).substr(0, 12), "{1:20}{2:1}" + std::string(p ? "d" : "u"));
    }
}

TEST(PlainText, WriterMapsSpecialCharacters)
{
    // A document that another reader built: its special characters carry no
    // byte of a text file.
    const std::string chars = "a" + Special(scTab) + "b" + Special(scLineBreak) + "c" + Special(scPageBreak) +
                              "d" + Special(scNonBreakingSpace) + "e" + Special(scNonBreakingHyphen) + "f" +
                              Special(scEmDash) + "g" + Special(scEnDash) + "h" + Special(scOptionalHyphen) + "i" +
                              Special(scColumnBreak) + "j" + Special(scReaderSpecial) + "k" +
                              Special(scParagraphMark);
    auto document = MakeDocument({chars, "fin" + Special(scParagraphMark)});
    EXPECT_EQ(WriteToMemory(*document, ciAnsiText, 0),
              "a\tb\r\nc\x0C" "d e-f\x97g\x96hi\r\njk\r\nfin\r\n");
    EXPECT_EQ(WriteToMemory(*document, ciAnsiText, wfSingleLine), "a b c d e-f-g-h-i jk fin ");
}

TEST(PlainText, AFileEndsWithoutItsLastParagraphMark)
{
    const std::string dir = MakeTestDir("text-writer");
    const std::string path = MakeFile(dir, "abc.txt", "old");
    {
        // A one-paragraph document "abc" saved as text is exactly "abc"...
        auto document = MakeDocument({"abc" + Special(scParagraphMark)}, false);
        document->FileName = path;
        EXPECT_EQ(SaveAs(*document, ciAnsiText), wrWritten);
        EXPECT_EQ(ReadTestFile(path), "abc");
        // ... while a copy of the paragraph with its mark has the line end.
        EXPECT_EQ(WriteToMemory(*document, ciAnsiText, 0), "abc\r\n");
    }
    {
        // A last paragraph without a mark loses no character.
        auto document = MakeDocument({"un" + Special(scParagraphMark), "deux"});
        document->FileName = path;
        EXPECT_EQ(SaveAs(*document, ciAnsiText), wrWritten);
        EXPECT_EQ(ReadTestFile(path), "un\r\ndeux");
    }
}

TEST(PlainText, DashesAreDosBytesInDosText)
{
    TOemCodePage oem(437);
    const std::string dir = MakeTestDir("text-dos-dash");
    {
        auto document = MakeDocument({"a" + Special(scEmDash) + "\xE9" + Special(scParagraphMark)});
        document->FileName = dir + "/dos.txt";
        ASSERT_EQ(SaveAs(*document, ciDosText), wrWritten);
    }
    char expected[3] = {'a', '\x97', '\xE9'};
    CharToOemBuff(expected, expected, 3);
    EXPECT_EQ(ReadTestFile(dir + "/dos.txt"), std::string(expected, 3));
    EXPECT_EQ(expected[2], '\x82') << "é is 130 in code page 437";
    TLoaded loaded = LoadFile(dir + "/dos.txt", ciDosText);
    ASSERT_TRUE(loaded.Ok);
    EXPECT_EQ(ShowText(loaded.Document->Paragraphs(0)), "a<12>\xE9" + M);
}

TEST(PlainText, TheReadBufferNeverReachesPastItsEnd)
{
    // A reader that leaves up to 31 bytes unread before each refill, over a
    // file whose rest after the first block is 65,568 bytes: every byte comes
    // once, in order, and the buffer is never filled beyond its size (the
    // sanitizer watches the block).
    const std::string dir = MakeTestDir("refill");
    std::string bytes(65536 + 65568, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    const std::string path = MakeFile(dir, "r.bin", bytes);
    for (int32_t keep : {0, 1, 5, 31}) {
        SCOPED_TRACE(keep);
        TDocument document(true);
        TDocLoadRequest request;
        request.FileName = path;
        TDocLoadContext context(request, document);
        document.FileState.Handle = FileOpen(path, fmOpenRead | fmShareDenyWrite);
        context.FileSize = static_cast<int64_t>(bytes.size());
        context.Coding = ciAnsiText;
        context.WorkBuffer = AllocEngineWorkBuffer();
        context.ReadBuffer = context.WorkBuffer;
        std::string seen;
        for (;;) {
            context.RefillReadBuffer();
            ASSERT_LE(context.BufferFill, EngineWorkBufferSize);
            if (context.BufferPos >= context.BufferFill)
                break;
            const int32_t leave = std::min(keep, context.BufferFill - context.BufferPos - 1);
            const int32_t take = context.BufferFill - context.BufferPos - leave;
            seen.append(reinterpret_cast<const char*>(context.ReadBuffer + context.BufferPos),
                        static_cast<size_t>(take));
            context.BufferPos += take;
        }
        EXPECT_TRUE(seen == bytes) << "the bytes delivered differ from the file";
        document.CloseFile();
    }
}

TEST(PlainText, FormattingThatTextLosesIsConfirmedOnce)
{
    const std::string bold = [] {
        uint8_t record[InlineControlSize];
        WriteInlineControl(record, cfBold, 1);
        return std::string(reinterpret_cast<const char*>(record), InlineControlSize);
    }();
    auto plain = MakeDocument({"simple" + Special(scParagraphMark)}, false);
    EXPECT_FALSE(ConfirmSaveInCoding(*plain, false, ciAnsiText)) << "one format throughout: nothing to say";

    auto formatted = MakeDocument({"un " + bold + "gras" + Special(scParagraphMark)}, false);
    formatted->FileName = "/documents/lettre.rtf";
    {
        TMessageAnswers answers;
        answers.Expect("Le document \"/documents/lettre.rtf\" contient des éléments de mise en forme qui seront "
                       "perdus si le fichier est enregistré sous le format \"Texte pur DOS\".\r\n\r\nAppuyez sur",
                       mrNo);
        EXPECT_TRUE(ConfirmSaveInCoding(*formatted, false, ciDosText)) << "No: choose another format";
        EXPECT_EQ(answers.Asked().at(0).Buttons, mbYesNo);
    }
    EXPECT_FALSE(ConfirmSaveInCoding(*formatted, false, ciDosText)) << "asked once per document";
    {
        TMessageAnswers answers;
        answers.Expect("Eldravin ne peut pas pour le moment enregistrer de document au format \"Document MS Write\"",
                       mrOk);
        EXPECT_TRUE(ConfirmSaveInCoding(*plain, false, ciWrite));
    }

    // Word 6.0/95 names what it loses.
    const std::string highlight = [] {
        uint8_t record[InlineControlSize];
        WriteInlineControl(record, cfHighlight, 7);
        return std::string(reinterpret_cast<const char*>(record), InlineControlSize);
    }();
    auto marked = MakeDocument({"un " + highlight + "surligné" + Special(scParagraphMark)}, false);
    TMessageAnswers answers;
    answers.Expect("\".\r\nLes éléments de mise en forme suivants seront perdus :\r\n* Les caractères surlignés "
                   "perdront leur surlignage.\r\n\r\n\r\nAppuyez sur \"Oui\" pour enregistrer ce document au format "
                   "\"Document MS Word 6.0/95\".",
                   mrYes);
    EXPECT_FALSE(ConfirmSaveInCoding(*marked, true, ciWord6));
    EXPECT_FALSE(marked->FileState.LostFormattingWarned) << "asked every time when told so";
}

TEST(PlainText, LoadsFromMemoryTouchNoFileAndShowNothing)
{
    TRecordingFileHost host;
    const std::string text = "un\r\ndeux";
    TDocument document(true);
    TDocLoadRequest request;
    request.Source = lsMemory;
    request.Coding = ciAnsiText;
    request.Buffer = reinterpret_cast<const uint8_t*>(text.data());
    request.BufferSize = static_cast<int32_t>(text.size());
    ASSERT_TRUE(LoadFromFile(document, request));
    EXPECT_EQ(BodyTexts(document), (std::vector<std::string>{"un" + M, "deux"}));
    EXPECT_TRUE(document.FileName.empty());
    EXPECT_EQ(document.FileState.Handle, 0);
    EXPECT_TRUE(host.Started.empty());

    // A refused content says nothing either (no message box is installed).
    TDocument word(true);
    request.Coding = ciWord97;
    EXPECT_FALSE(LoadFromFile(word, request));
}

namespace {

class TLinkHost : public TDocumentHost {
public:
    bool UrlDetection() override { return true; }
};

}  // namespace

// The control bytes a text file keeps are no part of its text: words,
// sentences, links and statistics read the text as if they were not there,
// and the file still saves back as it came.
TEST(PlainText, KeptControlBytesAreNoPartOfTheText)
{
    const std::string nul(1, '\0');
    const std::string bytes = "Bon" + nul + "jour " + nul + " le" + nul + nul + " monde." + nul + " Voir www.ex" + nul +
                              "ample.fr" + nul + " ou C:\\Do" + nul + "cs\\plan.rtf" + nul + " fin" + "\x1B.";
    const std::string dir = MakeTestDir("text-kept-controls");
    const std::string path = MakeFile(dir, "nul.txt", bytes);
    TLoaded loaded = LoadFile(path, ciAnsiText);
    ASSERT_TRUE(loaded.Ok);
    TDocument& document = *loaded.Document;
    TLinkHost links;
    TDocumentHost* previous = SetDocumentHost(&links);

    const TParagraph& paragraph = document.Paragraphs(0);
    const std::string plain(reinterpret_cast<const char*>(paragraph.GetPlainChars().Data()),
                            static_cast<size_t>(paragraph.GetCharCount()));
    auto at = [&](const std::string& piece, size_t from = 0) {
        const size_t found = plain.find(piece, from);
        EXPECT_NE(found, std::string::npos) << piece;
        return TTextPosition{0, static_cast<int32_t>(found)};
    };
    auto text = [&](const TFoundWord& word) {
        return document.GetTextRun(word.Position.Paragraph, word.Position.Offset, word.Length);
    };
    const std::string kept = "\x10";

    // One word, whichever of its parts the position is in; a kept byte alone
    // between blanks is no word, and the words around it are found whole.
    TFoundWord word;
    for (const TTextPosition& p : {at("Bon"), at("jour"), at(kept + "jour")}) {
        document.GetWordAt(p, word);
        EXPECT_EQ(text(word), "Bonjour");
        EXPECT_EQ(word.Position.Offset, 0);
        EXPECT_EQ(word.Length, 8);
    }
    document.GetWordAt(at(kept, at(" ").Offset), word);
    EXPECT_EQ(word.Length, 0);
    // Moving by words passes over the whole word.
    TTextPosition next;
    document.GetNextWord(at("Bon"), next);
    EXPECT_EQ(next.Offset, at("le").Offset);
    document.GetPrevWord(at(" " + kept + " le"), word);
    EXPECT_EQ(text(word), "Bonjour");

    // Links read whole, without the kept bytes.
    document.GetLinkAt(at("ample"), word);
    EXPECT_EQ(text(word), "www.example.fr");
    document.GetLinkAt(at("plan"), word);
    EXPECT_EQ(text(word), "C:\\Docs\\plan.rtf");

    // A kept byte between a full stop and the blank ends no sentence less.
    TTextRange sentence;
    document.GetSentenceAt(at("Voir"), sentence);
    EXPECT_EQ(sentence.Start.Offset, at("Voir").Offset);

    // Counted at every separator: Bonjour, le, monde, Voir, www, example, fr,
    // ou, C, Docs, plan, rtf, fin.
    document.SetSelection(0, 0, 0, paragraph.GetCharCount() - 1);
    TDocStatistics statistics;
    document.ComputeStatistics(statistics);
    EXPECT_EQ(statistics.Words, 13);
    EXPECT_EQ(statistics.Sentences, 2);
    const std::string visible = "Bonjour  le monde. Voir www.example.fr ou C:\\Docs\\plan.rtf fin.";
    EXPECT_EQ(statistics.CharsWithSpaces, static_cast<int32_t>(visible.size()));

    SetDocumentHost(previous);
    // Every byte is still there to be saved back.
    EXPECT_EQ(SaveAs(document, ciAnsiText), wrWritten);
    EXPECT_EQ(ReadTestFile(path), bytes);
}
