// The Word files of the corpus: each opens without a failure (the encrypted
// ones are refused with their message, the malformed ones are read or
// refused with the open-failure message), and the text of a sound one holds
// every word of the reference text an independent converter made of it (kept
// beside the tests). The comparison leaves out what the reader does on
// purpose: words with digits (field results and note numbers, which the
// converter computes itself), and it takes the words from every story, as the
// converter puts the text of notes where they are referenced. Then mutated
// copies of each file are read: nothing may crash, hang or grow without bound.
#include "formats/CorpusText.h"
#include "formats/FormatsFixtures.h"
#include "formats/RtfFixtures.h"

#include "document/fields/Field.h"
#include "foundation/MessageAnswers.h"

#include <map>
#include <random>

using namespace corpus_text;

namespace {

struct TCorpusWord {
    std::string File;
    std::string Reference;  // empty: no text to compare
    bool Encrypted = false;
    bool Malformed = false;
};

// Words of a reference that the reader leaves out on purpose: the number text
// of list paragraphs, which the converter writes and the reader does not make,
// and words whose dropped capital stands in a framed paragraph of its own
// (the converter joins it to the word, the reader keeps the paragraphs).
struct TAllowedMissing {
    const char* File;
    const char16_t* Word;
};
const TAllowedMissing AllowedMissing[] = {
    {"doc/abiword-testsuite/wv-supported-headers-features.doc", u"Chapter"},
    {"doc/abiword-testsuite/wv-supported-paragraph-features.doc", u"This"},
    {"doc/poi/test.doc", u"adsadasdasdasd"},
};

bool Allowed(const std::string& file, const std::u16string& word)
{
    for (const TAllowedMissing& allowed : AllowedMissing)
        if (file == allowed.File && word == allowed.Word)
            return true;
    return false;
}

// The converter writes a note's number (letters or Roman numerals where the
// document numbers notes so) right after the word that carries its
// reference; the reader keeps the reference as a mark.
bool IsWordWithNoteNumber(const std::u16string& word, const std::map<std::u16string, int>& have)
{
    for (size_t cut = 1; cut <= 4 && cut < word.size(); ++cut) {
        const std::u16string tail = word.substr(word.size() - cut);
        if (tail.find_first_not_of(u"abcdefghijklmnopqrstuvwxyz") != std::u16string::npos)
            return false;
        if (have.count(word.substr(0, word.size() - cut)))
            return true;
    }
    return false;
}

// Characters no 8-bit code page of the program holds (surrogates, the
// ideographs and syllables of East Asian scripts) cannot be in its text.
bool InEightBitCodePages(char16_t c)
{
    return !(c >= 0xD800 && c <= 0xDFFF) && !(c >= 0x2E80 && c < 0xA000) && !(c >= 0xAC00 && c <= 0xD7AF) &&
           !(c >= 0xF900 && c <= 0xFAFF) && !(c >= 0xFF00 && c <= 0xFFEF);
}

bool IsMalformedName(const std::string& name)
{
    for (const char* mark : {"clusterfuzz", "crash", "Fuzzed", "oom", "timeout", "ossfuzz", "broken", "truncated",
                             "invalid", "decompression_bomb"})
        if (name.find(mark) != std::string::npos)
            return true;
    return false;
}

std::vector<TCorpusWord> CorpusWordFiles(const std::string& corpus)
{
    std::vector<TCorpusWord> files;
    for (const TCorpusEntry& entry : ReadCorpusList(corpus)) {
        // Files whose identifier is not Word's are not Word files to the
        // format test; the mutation test still reads them.
        if (entry.Kind.rfind("Word", 0) != 0 || entry.Kind.find("odd wIdent") != std::string::npos)
            continue;
        TCorpusWord file;
        file.File = entry.File;
        file.Encrypted = entry.Kind.find("encrypted") != std::string::npos;
        file.Malformed = IsMalformedName(entry.File);
        std::string reference = entry.File.substr(0, entry.File.rfind('.')) + ".txt";
        file.Reference = "word/" + reference.substr(reference.find('/') + 1);
        files.push_back(file);
    }
    return files;
}

}  // namespace

TEST(WordCorpus, EveryFileOpensWithTheWordsOfItsReference)
{
    TRtfManagersScope managers;
    const std::string corpus = SharedDir() + "/corpus";
    ELDRAVIN_NEED_SHARED(corpus + "/files.tsv");
    int checked = 0;
    for (const TCorpusWord& file : CorpusWordFiles(corpus)) {
        SCOPED_TRACE(file.File);
        TMessageAnswers answers;
        answers.AnswerOthers(mrOk);
        TLoaded loaded;
        {
            TReadWatchdog watchdog(file.File, 120);
            loaded = LoadFile(corpus + "/" + file.File, ciDetect, true);
        }
        if (file.Encrypted) {
            EXPECT_FALSE(loaded.Ok);
            ASSERT_EQ(answers.Asked().size(), 1u);
            EXPECT_NE(answers.Asked()[0].Text.find("est un document MS Word crypt"), std::string::npos);
            continue;
        }
        if (file.Malformed) {
            if (!loaded.Ok) {
                for (const TMessageRequest& asked : answers.Asked())
                    EXPECT_NE(asked.Text.find("Une erreur s'est produite lors de l'ouverture"), std::string::npos);
            }
            continue;
        }
        ASSERT_TRUE(loaded.Ok);
        EXPECT_TRUE(loaded.Document->Format == ciWord6 || loaded.Document->Format == ciWord97);
        EXPECT_TRUE(answers.Asked().empty());

        const std::string referencePath = std::string(ELDRAVIN_FORMATS_REFERENCE_DIR) + "/" + file.Reference;
        EXPECT_TRUE(std::ifstream(referencePath).good()) << "no reference text " << file.Reference;
        const std::string reference = ReadTestFile(referencePath);
        const TDocument& document = *loaded.Document;
        std::map<std::u16string, int> have;
        std::u16string stream = u" ";
        for (const std::u16string& word : Words(StoryWideText(document, 0, document.ParagraphCount()))) {
            ++have[word];
            stream += word + u' ';
        }
        std::map<std::u16string, int> need;
        for (const std::u16string& word : Words(WideFromUtf8(reference)))
            if (std::none_of(word.begin(), word.end(),
                             [](char16_t c) { return (c >= u'0' && c <= u'9') || !InEightBitCodePages(c); }))
                ++need[word];
        // Field results come from the file; the converter computes some of
        // them again (cross-references): where the document has fields, a
        // word need only be there, not as often.
        bool hasFields = false;
        bool hasNotes = false;
        for (const auto& range : document.RangeObjects()) {
            hasFields = hasFields || range->Kind == rkField;
            hasNotes = hasNotes || range->Kind == rkNoteReference;
        }
        std::vector<std::string> missing;
        for (const auto& [word, count] : need) {
            if (have[word] >= count || (hasFields && have[word] > 0) || Allowed(file.File, word) ||
                (hasNotes && IsWordWithNoteNumber(word, have)))
                continue;
            // Words may run together where the reader puts no separator
            // (a cell end inside a nested table).
            int inside = 0;
            for (size_t at = stream.find(word); at != std::u16string::npos && inside < count;
                 at = stream.find(word, at + 1))
                ++inside;
            if (inside < count)
                missing.push_back(Utf8FromWide(word));
        }
        EXPECT_TRUE(missing.empty()) << missing.size() << " of " << need.size() << " words missing, first: "
                                     << (missing.empty() ? std::string() : missing.front());
        ++checked;
    }
    EXPECT_GE(checked, 60);
}

TEST(WordCorpus, MutatedFilesAreReadOrRefusedCleanly)
{
    TRtfManagersScope managers;
    const std::string corpus = SharedDir() + "/corpus";
    ELDRAVIN_NEED_SHARED(corpus + "/files.tsv");
    std::mt19937 random(2711);
    const std::string dir = MakeTestDir("word-mutations");
    int round = 0;
    for (const TCorpusEntry& entry : ReadCorpusList(corpus)) {
        if (entry.File.rfind("doc/", 0) != 0 || entry.Kind.find("oracle") != std::string::npos ||
            entry.Size > 300000)
            continue;
        const std::string original = ReadTestFile(corpus + "/" + entry.File);
        for (int copy = 0; copy < 3; ++copy, ++round) {
            std::string bytes = original;
            // Bytes changed in the first sectors (the FIB and the tables it
            // points to are there in most files) and anywhere else.
            const int steps = 1 + static_cast<int>(random() % 24);
            for (int step = 0; step < steps; ++step) {
                const size_t span = random() % 2 == 0 ? std::min<size_t>(bytes.size(), 8192) : bytes.size();
                const size_t at = random() % std::max<size_t>(span, 1);
                switch (random() % 4) {
                case 0: bytes[at] = static_cast<char>(random()); break;
                case 1: bytes[at] = static_cast<char>(0xFF); break;
                case 2:
                    if (at + 4 <= bytes.size())
                        for (int k = 0; k < 4; ++k)
                            bytes[at + static_cast<size_t>(k)] = static_cast<char>(random() % 3 == 0 ? 0x7F : random());
                    break;
                default: bytes[at] = 0; break;
                }
            }
            SCOPED_TRACE(entry.File + ", mutation " + std::to_string(copy));
            const std::string path = MakeFile(dir, "m" + std::to_string(round % 8) + ".doc", bytes);
            TMessageAnswers answers;
            answers.AnswerOthers(mrOk);
            TReadWatchdog watchdog(entry.File, 120);
            TLoaded loaded = LoadFile(path, ciDetect, true);
            EXPECT_GE(loaded.Document->ParagraphCount(), 1);
        }
    }
    EXPECT_GT(round, 100);
}
