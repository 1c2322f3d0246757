// The RTF files of the corpus: each opens without a failure, and its body
// text holds every word of the reference text that an independent converter
// made of it (kept beside the tests), in the same order. Words of our own
// that the reference lacks are allowed only where the reader adds them on
// purpose (the text of hidden runs, which this program shows; a "?" for a
// field without result; bullet characters). Then mutated copies of each file
// are read: nothing may crash, hang or grow without bound.
#include "formats/FormatsFixtures.h"
#include "formats/CorpusText.h"
#include "formats/RtfFixtures.h"

#include "foundation/MessageAnswers.h"

#include <map>
#include <random>

using namespace corpus_text;

namespace {

struct TCorpusRtf {
    std::string File;       // under the corpus folder
    std::string Reference;  // under the reference folder
};

std::vector<TCorpusRtf> CorpusRtfFiles(const std::string& corpus)
{
    std::vector<TCorpusRtf> files;
    for (const TCorpusEntry& entry : ReadCorpusList(corpus)) {
        if (entry.Kind != "RTF")
            continue;
        std::string reference = entry.File.substr(0, entry.File.size() - 4) + ".txt";
        reference = reference.substr(reference.find('/') + 1);
        files.push_back({entry.File, "rtf/" + reference});
    }
    return files;
}

std::string Utf8(const std::u16string& text)
{
    return Utf8FromWide(text);
}

}  // namespace

TEST(RtfCorpus, EveryFileOpensWithTheWordsOfItsReference)
{
    TRtfManagersScope managers;
    const std::string corpus = SharedDir() + "/corpus";
    ELDRAVIN_NEED_SHARED(corpus + "/files.tsv");
    int checked = 0;
    for (const TCorpusRtf& file : CorpusRtfFiles(corpus)) {
        SCOPED_TRACE(file.File);
        TMessageAnswers answers;
        answers.AnswerOthers(mrOk);
        TLoaded loaded;
        {
            TReadWatchdog watchdog(file.File, 120);
            loaded = LoadFile(corpus + "/" + file.File, ciDetect, true);
        }
        ASSERT_TRUE(loaded.Ok);
        EXPECT_EQ(loaded.Document->Format, ciRtf);
        EXPECT_TRUE(answers.Asked().empty());

        const std::string reference = ReadTestFile(std::string(ELDRAVIN_FORMATS_REFERENCE_DIR) + "/" + file.Reference);
        ASSERT_FALSE(reference.empty()) << "no reference text " << file.Reference;
        const std::vector<std::u16string> expected = Words(WideFromUtf8(reference));
        const std::vector<std::u16string> read = Words(BodyWideText(*loaded.Document));
        // Every reference word, as often as the reference has it. Words may
        // run together where the reader drops a separator it does not know
        // (the cell end of a nested table): those are found inside others.
        // Words with a digit are field results (page numbers, counts,
        // dates), which the reader takes from the file while the converter
        // computes its own.
        std::map<std::u16string, int> have;
        std::u16string stream = u" ";
        for (const std::u16string& word : read) {
            ++have[word];
            stream += word + u' ';
        }
        std::map<std::u16string, int> need;
        for (const std::u16string& word : expected)
            // Characters beyond 16 bits fit in no code page of the 8-bit text.
            if (std::none_of(word.begin(), word.end(),
                             [](char16_t c) { return (c >= u'0' && c <= u'9') || (c >= 0xD800 && c <= 0xDFFF); }))
                ++need[word];
        std::vector<std::string> missing;
        for (const auto& [word, count] : need) {
            if (have[word] >= count)
                continue;
            int inside = 0;
            for (size_t at = stream.find(word); at != std::u16string::npos && inside < count;
                 at = stream.find(word, at + 1))
                ++inside;
            // The converter shows the character of a SYMBOL field twice
            // (its result and the symbol); the reader keeps the result once.
            const bool symbolTwice = file.File.find("RTF-Spec") != std::string::npos && word == u"TrueType\u00d2\u00d2";
            if (inside < count && !symbolTwice)
                missing.push_back(Utf8(word));
        }
        EXPECT_TRUE(missing.empty()) << missing.size() << " of " << need.size() << " words missing, first: "
                                     << missing.front();
        ++checked;
    }
    EXPECT_GE(checked, 15);
}

TEST(RtfCorpus, MutatedFilesAreReadOrRefusedCleanly)
{
    TRtfManagersScope managers;
    const std::string corpus = SharedDir() + "/corpus";
    ELDRAVIN_NEED_SHARED(corpus + "/files.tsv");
    std::mt19937 random(2511);
    const std::string tokens[] = {"{", "}", "\\", "{\\*\\x ", "\\par ", "\\'", "\\u-1?", "\\bin99999 ",
                                  "{\\pict\\pngblip ", "{\\field{\\*\\fldinst ", "{\\footnote ", "{\\header ",
                                  "\\sect ", "{\\stylesheet{\\s1\\sbasedon1 x;}}", "\\cols99 \\colno5 \\colw9 "};
    for (const TCorpusRtf& file : CorpusRtfFiles(corpus)) {
        std::string original = ReadTestFile(corpus + "/" + file.File);
        // Large files: their first 64 KB.
        if (original.size() > 65536)
            original.resize(65536);
        for (int round = 0; round < 6; ++round) {
            std::string bytes = original;
            const int steps = 1 + static_cast<int>(random() % 8);
            for (int step = 0; step < steps; ++step) {
                const size_t at = random() % (bytes.size() + 1);
                switch (random() % 4) {
                case 0: bytes.insert(at, tokens[random() % std::size(tokens)]); break;
                case 1:
                    if (at < bytes.size())
                        bytes[at] = static_cast<char>(random());
                    break;
                case 2: bytes.erase(at, random() % 64); break;
                default: bytes.resize(at); break;
                }
            }
            if (bytes.size() < 6)
                continue;
            SCOPED_TRACE(file.File + ", mutation " + std::to_string(round));
            TReadWatchdog watchdog(file.File, 120);
            TDocument document(true);
            TDocLoadRequest request;
            request.Source = lsMemory;
            request.Coding = ciRtf;
            request.Buffer = reinterpret_cast<const uint8_t*>(bytes.data());
            request.BufferSize = static_cast<int32_t>(bytes.size());
            LoadFromFile(document, request);
            EXPECT_GE(document.ParagraphCount(), 1);
        }
    }
    // Nesting far beyond any document's ends in a refusal, not a crash.
    TMessageAnswers answers;
    answers.Expect("Une erreur s'est produite lors de l'ouverture du document", mrOk);
    const std::string deep = "{\\rtf1 " + std::string(100000, '{') + "x";
    const std::string dir = MakeTestDir("rtf-deep");
    TLoaded loaded = LoadFile(MakeFile(dir, "profond.rtf", deep), ciDetect, true);
    EXPECT_FALSE(loaded.Ok);
}
