// Detection of a file's format by its content and by its extension, the
// format question, and the format registry's names and dialog filters.
#include "formats/CompoundFileBuilder.h"
#include "formats/FormatsFixtures.h"

#include "foundation/MessageAnswers.h"
#include "platform/runtime/Exception.h"
#include "formats/CodingManager.h"


namespace {

std::string WriteHead(uint16_t ident, uint16_t word96, size_t size)
{
    std::string data(size, 'x');
    PutWord(data, 0, ident);
    PutWord(data, 2, 0);
    PutWord(data, 4, 0xAB00);
    PutWord(data, 96, word96);
    return data;
}

// The coding a load settles on for the bytes (refusals of codings the program
// cannot read yet answered).
int32_t DetectedCoding(const std::string& bytes, const std::string& name = "f.bin")
{
    const std::string dir = MakeTestDir("detect");
    TMessageAnswers answers;
    answers.AnswerOthers(mrOk);
    TLoaded loaded;
    try {
        loaded = LoadFile(MakeFile(dir, name, bytes), ciDetect, true);
    } catch (const EAbort&) {
        // An encrypted file asks for its password first; with none given the
        // load ends silently.
        EXPECT_TRUE(answers.Asked().empty());
        return ciEncrypted;
    }
    // Detection settles on Word 6.0/95 for every Word document; the Word
    // reader tells Word 97 when it reads one.
    const int32_t coding = loaded.Document->Format == ciWord97 ? ciWord6 : loaded.Document->Format;
    if (coding == ciWord6) {
        // These Word streams are no documents (their encrypted flag happens
        // to be set): refused with one message.
        EXPECT_FALSE(loaded.Ok);
        EXPECT_EQ(answers.Asked().size(), 1u);
    } else if (coding != ciAnsiText && coding != ciRtf) {
        // A format without its reader yet leaves the message of a refused content.
        EXPECT_FALSE(loaded.Ok);
        EXPECT_EQ(answers.Asked().size(), 1u);
        if (!answers.Asked().empty()) {
            EXPECT_NE(answers.Asked()[0].Text.find("Une erreur s'est produite lors de l'ouverture du document"),
                      std::string::npos);
        }
    } else {
        EXPECT_TRUE(loaded.Ok);
        EXPECT_TRUE(answers.Asked().empty());
    }
    return coding;
}

std::string Encrypted(size_t size)
{
    std::string data(size, '\x5A');
    data.replace(0, 10, EncryptedSignature, 10);
    return data;
}

}  // namespace

TEST(CodingDetection, ByContentInTheOrderRtfEncryptedWriteWord)
{
    struct TCase {
        const char* Name;
        std::string Bytes;
        int32_t Coding;
    } const cases[] = {
        {"RTF", "{\\rtf1\\ansi Bonjour}", ciRtf},
        {"RTF in capitals, 6 bytes", "{\\RTF1", ciRtf},
        {"5 bytes of RTF", "{\\rtf", ciAnsiText},
        {"RTF after a blank", " {\\rtf1}", ciAnsiText},
        {"encrypted, 59 bytes", Encrypted(59), ciEncrypted},
        {"encrypted signature in 58 bytes", Encrypted(58), ciAnsiText},
        {"Write", WriteHead(0xBE31, 3, 256), ciWrite},
        {"Write, second identifier", WriteHead(0xBE32, 1, 128), ciWrite},
        {"Write of 129 bytes", WriteHead(0xBE31, 3, 129), ciAnsiText},
        {"Write without pages", WriteHead(0xBE31, 0, 256), ciAnsiText},
        {"Word 97", BuildCompoundFile({{u"WordDocument", WordStream(0xA5EC, 0xC1)}}), ciWord6},
        {"Word 6.0", BuildCompoundFile({{u"1Table", std::string(4096, 't')}, {u"WordDocument", WordStream(0xA5DC, 0x65)}}),
         ciWord6},
        {"Word stream name in other case", BuildCompoundFile({{u"WORDDOCUMENT", WordStream(0xA5EC, 0xC1)}}), ciWord6},
        {"Word stream in the mini stream", BuildCompoundFile({{u"WordDocument", WordStream(0xA5EC, 0xC1, 600)}}),
         ciWord6},
        {"Word version below 101", BuildCompoundFile({{u"WordDocument", WordStream(0xA5EC, 0x64)}}), ciAnsiText},
        {"other identifier", BuildCompoundFile({{u"WordDocument", WordStream(0x6100, 0xC1)}}), ciAnsiText},
        {"compound file without Word stream", BuildCompoundFile({{u"Contents", WordStream(0xA5EC, 0xC1)}}),
         ciAnsiText},
        {"looping sector chain", BuildCompoundFile({{u"WordDocument", WordStream(0xA5EC, 0xC1, 8192)}}, true),
         ciAnsiText},
        {"compound-file header alone", BuildCompoundFile({}).substr(0, 512), ciAnsiText},
        {"text", "Bonjour\r\n", ciAnsiText},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(DetectedCoding(c.Bytes), c.Coding);
    }
}

TEST(CodingDetection, ACompoundFileThatIsNoWordDocumentReadsAsTextAndSavesBack)
{
    // The Word test gives the kept file up and takes it again; the text is
    // then read whole from where detection left it.
    const std::string dir = MakeTestDir("detect-compound-text");
    const std::string bytes = BuildCompoundFile({{u"Contents", std::string(5000, 'c')}});
    const std::string path = MakeFile(dir, "c.txt", bytes);
    {
        TLoaded loaded = LoadFile(path);
        ASSERT_TRUE(loaded.Ok);
        EXPECT_EQ(loaded.Request.Coding, ciAnsiText);
        EXPECT_NE(loaded.Document->FileState.Handle, 0) << "the file is kept open again";
        EXPECT_EQ(SaveAs(*loaded.Document, ciAnsiText), wrWritten);
    }
    EXPECT_TRUE(ReadTestFile(path) == bytes);
}

TEST(CodingDetection, AFormatThatDoesNotMatchIsQuestioned)
{
    const std::string dir = MakeTestDir("detect-question");
    const std::string text = MakeFile(dir, "lettre.rtf", "Pas du RTF\r\n");
    {
        // No: the load is refused and the file let go.
        TMessageAnswers answers;
        answers.Expect("n'est pas un fichier valide de format \"Document RTF\"", mrNo);
        TLoaded loaded = LoadFile(text, ciRtf);
        EXPECT_FALSE(loaded.Ok);
        EXPECT_EQ(loaded.Request.Coding, ciRefused);
        EXPECT_EQ(loaded.Document->FileState.Handle, 0);
        const THandle write = FileOpen(text, fmOpenReadWrite | fmShareExclusive);
        EXPECT_NE(write, INVALID_HANDLE_VALUE);
        FileClose(write);
    }
    {
        // Yes: detection finds the text.
        TMessageAnswers answers;
        answers.Expect("Voulez-vous qu'Eldravin essaie de détecter le format réel", mrYes);
        TLoaded loaded = LoadFile(text, ciRtf);
        EXPECT_TRUE(loaded.Ok);
        EXPECT_EQ(loaded.Request.Coding, ciAnsiText);
    }
    {
        // An RTF file named like a Word document, asked for as Word: the
        // question comes first, then detection finds RTF, which is read.
        const std::string rtf = MakeFile(dir, "lettre.doc", "{\\rtf1 Bonjour}");
        TMessageAnswers answers;
        answers.Expect("de format \"Document MS Word 6.0/95\"", mrYes);
        TLoaded loaded = LoadFile(rtf, ciWord6);
        EXPECT_TRUE(loaded.Ok);
        EXPECT_EQ(loaded.Document->Format, ciRtf);
    }
    {
        // A document that suppresses the question refuses at once.
        TDocument document(true);
        document.FileState.SuppressFormatQuestion = 1;
        TDocLoadRequest request;
        request.FileName = text;
        request.Coding = ciRtf;
        EXPECT_FALSE(LoadFromFile(document, request));
        EXPECT_EQ(request.Coding, ciRefused);
    }
}

TEST(CodingDetection, CorpusFilesAreDetectedAsTheirKind)
{
    const std::string corpus = SharedDir() + "/corpus";
    ELDRAVIN_NEED_SHARED(corpus + "/files.tsv");
    int checked = 0;
    for (const TCorpusEntry& entry : ReadCorpusList(corpus)) {
        const std::string& file = entry.File;
        const std::string& kind = entry.Kind;
        int32_t expected;
        if (kind == "RTF")
            expected = ciRtf;
        else if (file == "wri/poi/MSWriteOld.wri")
            expected = ciAnsiText;  // no page count at offset 96 (a style sheet name instead): no Write document
        else if (kind.rfind("Windows Write", 0) == 0)
            expected = ciWrite;
        else if (kind.find("odd wIdent") != std::string::npos)
            expected = ciAnsiText;  // a stream that does not start as a Word document's
        else if (kind.rfind("Word", 0) == 0)
            expected = ciWord6;
        else
            continue;
        SCOPED_TRACE(file + " (" + kind + ")");
        TMessageAnswers answers;
        answers.AnswerOthers(mrOk);
        TLoaded loaded = LoadFile(corpus + "/" + file, ciDetect, true);
        if (expected == ciWord6) {
            // The Word reader tells Word 97 from Word 6.0/95 when it reads.
            const bool word97 = kind.find("Word 97") != std::string::npos && loaded.Ok;
            EXPECT_EQ(loaded.Document->Format, word97 ? ciWord97 : ciWord6);
            ++checked;
            continue;
        }
        EXPECT_EQ(loaded.Document->Format, expected);
        EXPECT_EQ(loaded.Ok, expected == ciAnsiText || expected == ciRtf);
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

TEST(CodingDetection, ByExtension)
{
    EXPECT_TRUE(IsDocumentFileName("Lettre.DOC"));
    EXPECT_TRUE(IsDocumentFileName("/dossier/notes.txt"));
    EXPECT_TRUE(IsDocumentFileName("secret.Cod"));
    EXPECT_FALSE(IsDocumentFileName("Normal.dot")) << "listed by the open filter, yet no document name";
    EXPECT_FALSE(IsDocumentFileName("rtf"));
    EXPECT_FALSE(IsDocumentFileName("dossier.rtf/lettre"));
    EXPECT_TRUE(IsCodingExtension("WRI"));
    EXPECT_FALSE(IsCodingExtension(".wri"));

    struct TPicture {
        const char* Name;
        TPictureFormat Format;
    } const pictures[] = {{"photo.JPEG", 3}, {"photo.jpg", 3}, {"dessin.bmp", 0}, {"a.Png", 5}, {"x.ani", 12},
                          {"sans extension", NoPictureFormat}, {"lettre.rtf", NoPictureFormat}, {"a.", NoPictureFormat}};
    for (const TPicture& p : pictures)
        EXPECT_EQ(GetPictureFormat(p.Name), p.Format) << p.Name;

    EXPECT_TRUE(IsWebFileName("page.HTML"));
    EXPECT_TRUE(IsWebFileName("son.mp3"));
    EXPECT_FALSE(IsWebFileName("film.mp4"));
    EXPECT_FALSE(IsWebFileName("html"));
}

TEST(CodingManager, NamesFiltersAndSavePositions)
{
    EXPECT_EQ(CodingLongName(ciDosText), "Texte pur DOS");
    EXPECT_EQ(CodingShortName(ciWord97), "MS Word 97");
    EXPECT_EQ(CodingExtension(ciEncrypted), "cod");
    EXPECT_FALSE(CanSaveCoding(ciWrite));
    EXPECT_TRUE(CanSaveCoding(ciDosText));

    // Write has no save position: every coding after it sits one lower.
    EXPECT_EQ(TCodingManager::SaveFilterIndexToCoding(4), ciEncrypted);
    EXPECT_EQ(TCodingManager::SaveFilterIndexToCoding(5), ciAnsiText);
    EXPECT_EQ(TCodingManager::CodingToSaveFilterIndex(ciEncrypted), 4);
    EXPECT_EQ(TCodingManager::CodingToSaveFilterIndex(ciWord97), 3);
    for (int32_t coding = 0; coding < CodingCount; ++coding) {
        if (CanSaveCoding(coding)) {
            EXPECT_EQ(TCodingManager::SaveFilterIndexToCoding(TCodingManager::CodingToSaveFilterIndex(coding)), coding);
        }
    }

    EXPECT_EQ(TCodingManager::AddDefaultExtension("lettre", 1), "lettre.rtf");
    EXPECT_EQ(TCodingManager::AddDefaultExtension("lettre", 6), "lettre.txt");
    EXPECT_EQ(TCodingManager::AddDefaultExtension("lettre.", 1), "lettre");
    EXPECT_EQ(TCodingManager::AddDefaultExtension("lettre.doc", 1), "lettre.doc");

    CreateCodingManager();
    const TCodingManager& manager = *GetCodingManager();
    EXPECT_EQ(manager.SaveFilter(),
              "Document RTF (*.rtf)|*.rtf|Document MS Word 6.0/95 (*.doc)|*.doc|Document MS Word 97/2000/XP (*.doc)|*.doc|"
              "Document COD crypté (*.cod)|*.cod|Texte pur ANSI (*.txt)|*.txt|Texte pur DOS (*.txt)|*.txt");
    EXPECT_EQ(manager.OpenFilter().substr(0, 27), "Document RTF (*.rtf)|*.rtf|");
    EXPECT_NE(manager.OpenFilter().find("|Document MS Write (*.wri)|*.wri|"), std::string::npos);
    const std::string all =
        "|Texte pur DOS (*.txt)|*.txt|Tous les types de document |*.rtf;*.doc;*.dot;*.wri;*.cod;*.txt|"
        "Tous les fichiers (*.*)|*.*";
    EXPECT_EQ(manager.OpenFilter().substr(manager.OpenFilter().size() - all.size()), all);
    FreeCodingManager();

    // DOS text takes the template of ANSI text.
    struct TTemplates : TRecordingFileHost {
        std::string DocTemplate(int32_t slot) override { return "modele" + std::to_string(slot) + ".rtf"; }
    } host;
    EXPECT_EQ(TCodingManager::GetTemplateFileName(ciRtf), "modele0.rtf");
    EXPECT_EQ(TCodingManager::GetTemplateFileName(ciWrite), "modele0.rtf");
    EXPECT_EQ(TCodingManager::GetTemplateFileName(ciEncrypted), "modele3.rtf");
    EXPECT_EQ(TCodingManager::GetTemplateFileName(ciDosText), "modele4.rtf");
}
