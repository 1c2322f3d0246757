// Damaged files on the way in: heads of real documents and pictures and
// built compound files with bytes flipped, cut off or added are given to the
// compound-file reader and to the load (detection, and the text reader where
// detection finds text). Nothing may crash, hang or grow without bound; a
// refusal comes as the program's own exception or message; text saves back
// byte for byte. The mutations come from a fixed seed, so a failure repeats.
#include "formats/CompoundFileBuilder.h"
#include "formats/FormatsFixtures.h"

#include "foundation/MessageAnswers.h"
#include "platform/runtime/Stream.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>

namespace {

constexpr uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF;

// A compound-file stream may never claim more than the file could hold.
int64_t StreamSizeBound(size_t fileSize)
{
    return static_cast<int64_t>(fileSize) + 4096;
}

// Opens the compound file and reads every stream of every storage whole.
// Returns "refused" when the reader refused the file, else a summary of what
// it read.
std::string ProbeCompoundFile(const std::string& path, size_t fileSize)
{
    std::unique_ptr<TCompoundFile> file;
    try {
        file = std::make_unique<TCompoundFile>(path, 0);
    } catch (const EStorageError&) {
        return "refused";
    }
    std::string summary;
    std::set<int32_t> walked;
    std::vector<std::pair<int32_t, int>> storages = {{TCompoundFile::RootStorage, 0}};
    while (!storages.empty()) {
        const auto [storage, depth] = storages.back();
        storages.pop_back();
        if (!walked.insert(storage).second)
            continue;
        for (const TStorageEntry& child : file->Children(storage)) {
            if (child.Type == stgStorage) {
                if (depth < 8)
                    storages.push_back({child.Index, depth + 1});
                continue;
            }
            std::unique_ptr<TStream> stream;
            try {
                stream = file->OpenStream(child.Index);
            } catch (const EStorageError&) {
                summary += "[refused stream]";
                continue;
            }
            const int64_t size = stream->Size();
            EXPECT_GE(size, 0);
            EXPECT_LE(size, StreamSizeBound(fileSize)) << "a stream larger than its file";
            // Every byte the stream claims can be read, and no more.
            TMemoryStream copy;
            copy.LoadFromStream(*stream);
            EXPECT_EQ(copy.Size(), size);
            char extra;
            EXPECT_EQ(stream->Read(&extra, 1), 0);
            summary += "[" + std::to_string(size) + "]";
        }
    }
    return summary;
}

// Loads the file as a hidden or shown document with the format detected. A
// text saves back as it was; any other format is refused with one message.
void CheckLoad(const std::string& path, const std::string& bytes, bool hidden)
{
    TMessageAnswers answers;
    answers.AnswerOthers(mrOk);
    TLoaded loaded = LoadFile(path, ciDetect, hidden);
    const int32_t coding = loaded.Document->Format;
    if (coding == ciAnsiText) {
        ASSERT_TRUE(loaded.Ok);
        EXPECT_TRUE(answers.Asked().empty());
        EXPECT_EQ(SaveAs(*loaded.Document, ciAnsiText), wrWritten);
        loaded.Document.reset();
        EXPECT_TRUE(ReadTestFile(path) == bytes) << "the text did not save back byte for byte";
        return;
    }
    // RTF and Word are read as far as they go; a failure says so once (a
    // Word document whose encrypted flag is set, with its own message).
    if ((coding == ciRtf || coding == ciWord6 || coding == ciWord97) && loaded.Ok) {
        EXPECT_TRUE(answers.Asked().empty());
        return;
    }
    EXPECT_FALSE(loaded.Ok);
    ASSERT_EQ(answers.Asked().size(), 1u);
    const std::string& message = answers.Asked()[0].Text;
    EXPECT_TRUE(message.find("Une erreur s'est produite lors de l'ouverture du document") != std::string::npos ||
                ((coding == ciWord6 || coding == ciWord97) &&
                 message.find("est un document MS Word crypt") != std::string::npos))
        << message;
}

void CheckFile(const std::string& dir, const std::string& bytes, bool hidden)
{
    const std::string path = MakeFile(dir, "m.bin", bytes);
    if (bytes.size() >= 8 && bytes.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) == 0)
        ProbeCompoundFile(path, bytes.size());
    CheckLoad(path, bytes, hidden);
    // The same bytes as a memory block: detected and read without a word.
    TDocument document(true);
    TDocLoadRequest request;
    request.Source = lsMemory;
    request.Buffer = reinterpret_cast<const uint8_t*>(bytes.data());
    request.BufferSize = static_cast<int32_t>(bytes.size());
    const bool ok = LoadFromFile(document, request);
    if (document.Format != ciRtf) {
        EXPECT_EQ(ok, document.Format == ciAnsiText);
    }
}

// The values that break compound files most: chain ends and marks, zero,
// small sector numbers, sizes near the limits.
uint32_t InterestingValue(std::mt19937& random)
{
    static const uint32_t values[] = {0,          1,          2,          3,          7,          kEnd,
                                      kFree,      0xFFFFFFFD, 0xFFFFFFFC, 0xFFFFFFFA, 0x7FFFFFFF, 0x80000000,
                                      0x00001000, 0x00000FFF, 0x00010000, 0x0000FFFF, 0x01000000, 0xFFFFFFF0};
    return values[random() % std::size(values)];
}

std::string Mutate(const std::string& original, std::mt19937& random)
{
    std::string bytes = original;
    const int steps = 1 + static_cast<int>(random() % 4);
    for (int step = 0; step < steps; ++step) {
        // Structures sit at the front: half of the changes go to the first 2 KB.
        auto position = [&](size_t width) -> size_t {
            if (bytes.size() < width)
                return std::string::npos;
            const size_t room = bytes.size() - width + 1;
            const size_t limit = random() % 2 ? std::min<size_t>(room, 2048) : room;
            return random() % limit;
        };
        switch (random() % 7) {
        case 0:
        case 1: {  // a bit flipped
            const size_t at = position(1);
            if (at != std::string::npos)
                bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8)));
            break;
        }
        case 2: {  // a dword (aligned, as the structures are) set to a telling value
            size_t at = position(4);
            if (at != std::string::npos) {
                at &= ~size_t(3);
                PutDWord(bytes, at, InterestingValue(random));
            }
            break;
        }
        case 3:  // cut off
            bytes.resize(random() % (bytes.size() + 1));
            break;
        case 4: {  // extended by noise or zeros
            const size_t count = 1 + random() % 1500;
            const bool zeros = random() % 2;
            for (size_t i = 0; i < count; ++i)
                bytes += zeros ? '\0' : static_cast<char>(random());
            break;
        }
        case 5: {  // line ends, NUL and end-of-file marks slipped in
            static const char specials[] = {'\r', '\n', '\0', '\x1A', '\r', '\n'};
            const size_t at = bytes.empty() ? 0 : random() % (bytes.size() + 1);
            bytes.insert(at, 1, specials[random() % std::size(specials)]);
            break;
        }
        default: {  // a run of bytes set to one value
            const size_t at = position(1);
            if (at != std::string::npos) {
                const size_t count = std::min<size_t>(1 + random() % 64, bytes.size() - at);
                std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), count,
                            static_cast<char>(random() % 2 ? 0xFF : 0));
            }
            break;
        }
        }
    }
    return bytes;
}

std::string ReadHead(const std::string& path, size_t limit)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(limit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

// Compound files to start from: streams in the regular sectors and in the
// mini stream, a Word stream among them.
std::vector<std::string> BuiltCompoundFiles()
{
    return {
        BuildCompoundFile({{u"WordDocument", WordStream(0xA5EC, 0xC1, 5000)}, {u"Petit", std::string(100, 'p')}}),
        BuildCompoundFile({{u"1Table", std::string(300, 't')}, {u"WordDocument", WordStream(0xA5DC, 0x65, 700)}}),
        BuildCompoundFile({{u"Contents", std::string(9000, 'c')}, {u"A", "a"}, {u"B", std::string(64, 'b')}}),
        BuildCompoundFile({}),
    };
}

}  // namespace

TEST(MalformedInput, DamagedCorpusFilesAreReadOrRefusedCleanly)
{
    // The smallest file of every kind of the corpus, its first 32 KB.
    const std::string corpus = SharedDir() + "/corpus";
    ELDRAVIN_NEED_SHARED(corpus + "/files.tsv");
    std::map<std::string, std::pair<int64_t, std::string>> smallest;  // kind -> size, file
    for (const TCorpusEntry& entry : ReadCorpusList(corpus)) {
        auto it = smallest.find(entry.Kind);
        if (it == smallest.end() || entry.Size < it->second.first)
            smallest[entry.Kind] = {entry.Size, entry.File};
    }
    ASSERT_GT(smallest.size(), 15u);
    const std::string dir = MakeTestDir("malformed-corpus");
    std::mt19937 random(20240611);
    int index = 0;
    for (const auto& [kind, file] : smallest) {
        const std::string head = ReadHead(corpus + "/" + file.second, 32768);
        for (int i = 0; i < 14; ++i) {
            const std::string bytes = i == 0 ? head : Mutate(head, random);
            SCOPED_TRACE(file.second + ", mutation " + std::to_string(i));
            CheckFile(dir, bytes, ++index % 2 == 0);
            if (HasFatalFailure())
                return;
        }
    }
}

TEST(MalformedInput, DamagedCompoundFilesAreReadOrRefusedCleanly)
{
    const std::string dir = MakeTestDir("malformed-compound");
    std::mt19937 random(7031);
    int index = 0;
    for (const std::string& original : BuiltCompoundFiles()) {
        for (int i = 0; i < 100; ++i) {
            const std::string bytes = i == 0 ? original : Mutate(original, random);
            SCOPED_TRACE("file " + std::to_string(index / 100) + ", mutation " + std::to_string(i));
            CheckFile(dir, bytes, ++index % 2 == 0);
            if (HasFatalFailure())
                return;
        }
    }
}

TEST(MalformedInput, CompoundFileStructuresThatLie)
{
    // The base: the table in sector 0 (bytes 512..), the directory in sector 1
    // (entry k at 1024 + 128 k: the root, "WordDocument" in sectors 3 to 18,
    // "Petit" in the mini stream), the mini-stream table in sector 2, the mini
    // stream in sector 19; 10,752 bytes.
    const std::string base =
        BuildCompoundFile({{u"WordDocument", WordStream(0xA5EC, 0xC1, 8192)}, {u"Petit", std::string(100, 'p')}});
    ASSERT_EQ(base.size(), 10752u);
    auto fat = [](uint32_t sector) { return 512 + 4 * static_cast<size_t>(sector); };
    auto entry = [](int index, size_t field) { return 1024 + 128 * static_cast<size_t>(index) + field; };
    constexpr size_t kRight = 0x48, kChild = 0x4C, kSize = 0x78;
    struct TCase {
        const char* Name;
        std::function<void(std::string&)> Damage;
        std::string Streams;  // what the reader gives of each stream, "refused" for the file
        int32_t Coding;
    } const cases[] = {
        {"intact", [](std::string&) {}, "[8192][100]", ciWord6},
        {"stream chain turns back", [&](std::string& s) { PutDWord(s, fat(4), 3); }, "[refused stream][100]",
         ciAnsiText},
        {"stream chain leaves the table", [&](std::string& s) { PutDWord(s, fat(5), 5000); },
         "[refused stream][100]", ciAnsiText},
        {"stream chain leaves the file", [&](std::string& s) { PutDWord(s, fat(5), 100); }, "[1536][100]", ciWord6},
        {"stream size beyond the file", [&](std::string& s) { PutDWord(s, entry(1, kSize), 0xFFFFFFF0); },
         "[8192][100]", ciWord6},
        {"stream chain ends early", [&](std::string& s) { PutDWord(s, fat(6), kEnd); }, "[2048][100]", ciWord6},
        {"directory chain turns back", [&](std::string& s) { PutDWord(s, fat(1), 1); }, "refused", ciAnsiText},
        {"table sector count beyond the file", [](std::string& s) { PutDWord(s, 0x2C, 0xFFFFFFFF); }, "refused",
         ciAnsiText},
        {"no table sector", [](std::string& s) { PutDWord(s, 0x2C, 0); }, "refused", ciAnsiText},
        {"table sector beyond the file", [](std::string& s) { PutDWord(s, 0x4C, 1000); }, "[512][100]", ciWord6},
        {"directory tree turns back", [&](std::string& s) { PutDWord(s, entry(2, kRight), 1); }, "[8192][100]",
         ciWord6},
        {"root is its own child", [&](std::string& s) { PutDWord(s, entry(0, kChild), 0); }, "", ciAnsiText},
        {"storage holds itself",
         [&](std::string& s) {
             s[entry(2, 0x42)] = static_cast<char>(stgStorage);
             PutDWord(s, entry(2, kChild), 2);
         },
         "[8192]", ciWord6},
        {"mini-stream table count beyond the file", [](std::string& s) { PutDWord(s, 0x40, 0xFFFFFFFF); },
         "[8192][100]", ciWord6},
        {"mini stream larger than the file", [&](std::string& s) { PutDWord(s, entry(0, kSize), 0x7FFFFFFF); },
         "[8192][refused stream]", ciWord6},
        {"mini stream chain leaves the file",
         [&](std::string& s) {
             PutDWord(s, entry(0, kSize), 1024);
             PutDWord(s, fat(19), 60);
         },
         "[8192][100]", ciWord6},
        {"cut-off size above every stream", [](std::string& s) { PutDWord(s, 0x38, 0xFFFFFFFF); }, "[0][100]",
         ciAnsiText},
        {"cut after the table", [](std::string& s) { s.resize(1000); }, "refused", ciAnsiText},
        {"cut inside the stream", [](std::string& s) { s.resize(3000); }, "[952][0]", ciWord6},
        {"extension sectors that turn back",
         [](std::string& s) {
             // 240 sectors more, the last one an extension sector of the table
             // naming itself as the next: 250 table sectors are announced.
             s.append(240 * 512, '\0');
             std::string extension(512, '\xFF');
             PutDWord(extension, 508, 260);
             s += extension;
             PutDWord(s, 0x2C, 250);
             PutDWord(s, 0x44, 260);
             PutDWord(s, 0x48, 0xFFFFFFFF);
         },
         "[8192][100]", ciWord6},
    };
    const std::string dir = MakeTestDir("compound-lies");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string bytes = base;
        c.Damage(bytes);
        const std::string path = MakeFile(dir, "c.doc", bytes);
        EXPECT_EQ(ProbeCompoundFile(path, bytes.size()), c.Streams);
        TMessageAnswers answers;
        answers.AnswerOthers(mrOk);
        TLoaded loaded = LoadFile(path, ciDetect, true);
        EXPECT_EQ(loaded.Document->Format, c.Coding);
    }
}
