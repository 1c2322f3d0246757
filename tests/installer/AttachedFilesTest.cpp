// The payload reader: a payload made by the build's generator read back,
// every damaged field refused with the corrupt-file message and nothing
// listed, the overwrite rules, names and folder prefixes, and single files
// extracted with their date, or asked about when they cannot be written.
#include "installer/AttachedFiles.h"

#include "InstallerTesting.h"
#include "foundation/MessageAnswers.h"
#include "foundation/Paths.h"
#include "installer/InstallUtils.h"
#include "platform/runtime/DateTime.h"
#include "platform/runtime/Files.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

TPayloadWriter ThreeFiles()
{
    TPayloadWriter w;
    w.Files = {{"Licence.txt", "Accord de licence\r\n"},
               {"Exemples\\Lettre.rtf", std::string(5000, 'a') + "{\\rtf1}"},
               {"Exemples\\Divers\\Conte.rtf", "Il était une fois"}};
    return w;
}

TEST(AttachedFilesTest, GeneratedPayloadReadsBack)
{
    const std::string dir = MakeTestDir("generated");
    WriteTestFile(dir + "/one.txt", "un");
    fs::create_directories(dir + "/tree/Sous");
    WriteTestFile(dir + "/tree/Sous/deux.txt", std::string(70000, 'x'));
    ASSERT_TRUE(RunPayloadGenerator({"--stub", "--output", dir + "/setup", "Licence.txt=" + dir + "/one.txt",
                                     "--tree", "Exemples\\=" + dir + "/tree"}));
    TMessageAnswers answers;
    TAttachedFiles files(dir + "/setup");
    ASSERT_FALSE(files.Corrupt());
    ASSERT_EQ(files.Files().size(), 2u);
    const TAttachedFile& first = *files.Files()[0];
    const TAttachedFile& second = *files.Files()[1];
    EXPECT_EQ(first.Name, "Licence.txt");
    EXPECT_EQ(first.Size, 2);
    EXPECT_EQ(second.Name, "Exemples\\Sous\\deux.txt");
    EXPECT_EQ(second.Size, 70000);
    // A record's compressed size is the next record's offset minus its own.
    EXPECT_EQ(first.CompressedSize, second.Offset - first.Offset);
    const int64_t setupSize = fs::file_size(dir + "/setup");
    EXPECT_GT(second.CompressedSize, 0);
    EXPECT_LT(second.Offset + second.CompressedSize, setupSize - 8);

    const std::string target = dir + "/out/Sous/deux.txt";
    ASSERT_TRUE(files.ExtractFile(nullptr, "exemples\\sous\\DEUX.TXT", target));
    EXPECT_EQ(ReadTestFile(target), std::string(70000, 'x'));
    // The file's date is the record's, to the two seconds of a DOS time.
    EXPECT_EQ(DateTimeToFileDate(GetFileModificationTime(target)), DateTimeToFileDate(second.Date));
}

TEST(AttachedFilesTest, OneFilePayloadHasTwoRecords)
{
    TPayloadWriter w;
    w.Files = {{"seul.txt", "contenu"}};
    const std::string path = w.WriteTo(MakeTestDir("one"));
    TMessageAnswers answers;
    TAttachedFiles files(path);
    ASSERT_EQ(files.Files().size(), 1u);
    const int32_t dirOffset = static_cast<int32_t>(w.Image.size() + TPayloadWriter::Deflate("contenu").size());
    EXPECT_EQ(files.Files()[0]->CompressedSize, dirOffset - static_cast<int32_t>(w.Image.size()));
}

TEST(AttachedFilesTest, DamagedPayloadsAreRefusedWithTheCorruptMessage)
{
    const std::string dir = MakeTestDir("damaged");
    const size_t fullSize = ThreeFiles().Build().size();
    struct TCase {
        const char* What;
        std::function<void(TPayloadWriter&)> Damage;
    };
    const TCase cases[] = {
        {"trailer values differ", [](TPayloadWriter& w) { w.SecondTrailer = 12; }},
        {"file shorter than a trailer", [](TPayloadWriter& w) { w.FileCut = 5; }},
        {"file cut inside the directory", [fullSize](TPayloadWriter& w) { w.FileCut = fullSize - 12; }},
        {"directory offset beyond the file", [](TPayloadWriter& w) { w.SecondTrailer = w.TerminatorOffset = 0x7FFFFF00; }},
        {"directory record cut", [](TPayloadWriter& w) { w.DirectoryCut = 20; }},
        {"no terminator", [](TPayloadWriter& w) { w.Files.clear(); w.DirectoryCut = 0; }},
        {"offset beyond the directory", [](TPayloadWriter& w) { w.Files[1].OffsetOverride = 0x7FFF0000; }},
        {"offsets not increasing", [](TPayloadWriter& w) { w.Files[2].OffsetOverride = 3; }},
        {"negative size", [](TPayloadWriter& w) { w.Files[0].SizeOverride = -5; }},
        {"name climbing out", [](TPayloadWriter& w) { w.Files[1].Name = "Exemples\\..\\..\\evil.txt"; }},
        {"absolute name", [](TPayloadWriter& w) { w.Files[1].Name = "\\etc\\evil"; }},
        {"name with a slash", [](TPayloadWriter& w) { w.Files[1].Name = "../evil"; }},
        {"empty name", [](TPayloadWriter& w) { w.Files[0].Name.clear(); }},
        {"name with a drive", [](TPayloadWriter& w) { w.Files[0].Name = "C:evil"; }},
        {"not a payload", [](TPayloadWriter& w) { w.Files.clear(); w.Image = std::string(64, 'z'); w.SecondTrailer = 7; }},
    };
    for (const TCase& c : cases) {
        TPayloadWriter w = ThreeFiles();
        c.Damage(w);
        const std::string path = w.WriteTo(dir);
        TMessageAnswers answers;
        answers.Expect("Ce fichier d'installation est corrompu. S'il a été téléchargé à partir d'Internet", mrOk);
        TAttachedFiles files(path);
        EXPECT_TRUE(files.Corrupt()) << c.What;
        EXPECT_TRUE(files.Files().empty()) << c.What;
        EXPECT_FALSE(files.AddToInstallList("Licence.txt", dir + "/target", orAlways, 0)) << c.What;
        EXPECT_FALSE(files.ExtractFile(nullptr, "Licence.txt", dir + "/target/Licence.txt")) << c.What;
    }
    EXPECT_FALSE(fs::exists(dir + "/target"));
    // A missing setup file is as corrupt as a damaged one.
    TMessageAnswers answers;
    answers.Expect("Ce fichier d'installation est corrompu", mrOk);
    EXPECT_TRUE(TAttachedFiles(dir + "/absent").Corrupt());
}

TEST(AttachedFilesTest, OverwriteRulesAgainstAnExistingFile)
{
    const std::string dir = MakeTestDir("rules");
    TPayloadWriter w;
    w.Files = {{"f.txt", "payload"}};
    const double payloadDate = w.Files[0].Date;
    TMessageAnswers answers;
    TAttachedFiles files(w.WriteTo(dir));
    ASSERT_FALSE(files.Corrupt());
    const std::string target = dir + "/t/f.txt";
    fs::create_directories(dir + "/t");
    auto setExistingDate = [&](double date) {
        WriteTestFile(target, "existing");
        const TFileTime utc = LocalFileTimeToFileTime(
            static_cast<TFileTime>(DateTimeToFileTime(FileDateToDateTime(DateTimeToFileDate(date)))));
        ASSERT_TRUE(SetFileTimes(target, nullptr, &utc));
    };
    const struct {
        uint8_t Rule;
        double ExistingDate;
        bool Queued;
    } cases[] = {
        {orIfNewer, payloadDate, false},      {orIfNewer, payloadDate - 1, true},
        {orIfNewer, payloadDate + 1, false},  {orIfDifferent, payloadDate, false},
        {orIfDifferent, payloadDate + 1, true}, {orIfAbsent, payloadDate - 1, false},
        {orAlways, payloadDate, true},        {orNever, payloadDate - 1, false},
        {7, payloadDate - 1, false},
    };
    for (const auto& c : cases) {
        setExistingDate(c.ExistingDate);
        files.ClearInstallList(0);
        EXPECT_EQ(files.AddToInstallList("F.TXT", dir + "/t", c.Rule, 0), c.Queued)
            << int(c.Rule) << " " << c.ExistingDate;
    }
    // An absent target is always installed, whatever the rule.
    fs::remove(target);
    for (uint8_t rule : {orNever, orIfNewer, orIfDifferent, orIfAbsent, orAlways}) {
        files.ClearInstallList(0);
        EXPECT_TRUE(files.AddToInstallList("f.txt", dir + "/t", rule, 0)) << int(rule);
    }
}

TEST(AttachedFilesTest, FolderPrefixesPlainNamesAndTheFirstFolderStripped)
{
    const std::string dir = MakeTestDir("names");
    TPayloadWriter w = ThreeFiles();
    w.Files.push_back({"Licence.txt", "second of that name"});
    w.Files.push_back({"Exemplesx.txt", "not below the prefix"});
    TMessageAnswers answers;
    TAttachedFiles files(w.WriteTo(dir));
    ASSERT_FALSE(files.Corrupt());

    EXPECT_TRUE(files.AddToInstallList("exemples\\", dir + "/t", orAlways, 6));
    ASSERT_EQ(files.Group(6).size(), 2u);
    EXPECT_EQ(files.Group(6)[0]->TargetPath, dir + "/t/Exemples/Lettre.rtf");
    EXPECT_EQ(files.Group(6)[1]->TargetPath, dir + "/t/Exemples/Divers/Conte.rtf");

    // A plain name queues the first record of that name; a lookup finds the last.
    EXPECT_TRUE(files.AddToInstallList("licence.txt", dir + "/t", orAlways, 0));
    ASSERT_EQ(files.Group(0).size(), 1u);
    EXPECT_EQ(files.Group(0)[0]->Source, files.Files()[0].get());
    EXPECT_EQ(files.FindFile("LICENCE.TXT"), files.Files()[3].get());
    EXPECT_FALSE(files.AddToInstallList("absent.txt", dir + "/t", orAlways, 0));

    files.StripFirstFolder = true;
    SuspendInstallLog();
    EXPECT_TRUE(files.AddToInstallList("Exemples\\", dir + "/clips", orAlways, 7));
    ResumeInstallLog();
    files.StripFirstFolder = false;
    ASSERT_EQ(files.Group(7).size(), 2u);
    EXPECT_EQ(files.Group(7)[1]->TargetPath, dir + "/clips/Divers/Conte.rtf");
    EXPECT_FALSE(files.Group(7)[1]->Logged);
    EXPECT_TRUE(files.Group(6)[1]->Logged);

    // Lettre.rtf 5007 and Conte.rtf 17 bytes twice, Licence.txt 19 once.
    EXPECT_EQ(files.GetTotalInstallSize(), 2 * (5007 + 17) + 19);
    files.ClearInstallList(7);
    EXPECT_EQ(files.GetTotalInstallSize(), 5007 + 17 + 19);
}

TEST(AttachedFilesTest, UnwritableTargetAsksAbortRetryIgnore)
{
    const std::string dir = MakeTestDir("unwritable");
    TPayloadWriter w = ThreeFiles();
    TMessageAnswers answers;
    TAttachedFiles payload(w.WriteTo(dir));
    TAttachedFiles* files = &payload;
    // A folder where the file should go: it cannot be created.
    const std::string target = dir + "/t/Licence.txt";
    fs::create_directories(target);
    answers.Expect("Impossible de créer le fichier \"" + target + "\"", mrAbort);
    EXPECT_FALSE(files->ExtractFile(nullptr, "Licence.txt", target));
    answers.Expect("Impossible de créer le fichier", mrIgnore);
    EXPECT_TRUE(files->ExtractFile(nullptr, "Licence.txt", target));
    EXPECT_TRUE(fs::is_directory(target));
    // Retry tries again: the blocking folder is gone by the second try.
    answers.Expect("Impossible de créer le fichier", mrRetry);
    bool removed = false;
    struct TRemover : TMessageAnswerer {
        TMessageAnswers* Inner;
        std::string Path;
        bool* Removed;
        int32_t Answer(const TMessageRequest& r) override
        {
            fs::remove(Path);
            *Removed = true;
            return Inner->Answer(r);
        }
    } remover;
    remover.Inner = &answers;
    remover.Path = target;
    remover.Removed = &removed;
    TMessageAnswerer* previous = SetMessageAnswerer(&remover);
    EXPECT_TRUE(files->ExtractFile(nullptr, "Licence.txt", target));
    SetMessageAnswerer(previous);
    EXPECT_TRUE(removed);
    EXPECT_EQ(ReadTestFile(target), "Accord de licence\r\n");
}

TEST(AttachedFilesTest, DamagedFileStreamLeavesNoHalfFile)
{
    const std::string dir = MakeTestDir("halffile");
    TPayloadWriter w;
    w.Files = {{"gros.bin", std::string(200000, 'q')}, {"petit.txt", "ok"}};
    std::string bytes = w.Build();
    // Damage the middle of the first file's stream.
    for (size_t i = w.Image.size() + 40; i < w.Image.size() + 60; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
    WriteTestFile(dir + "/setup.bin", bytes);
    TMessageAnswers answers;
    TAttachedFiles files(dir + "/setup.bin");
    ASSERT_FALSE(files.Corrupt());  // the directory is sound
    answers.Expect("Impossible de créer le fichier", mrAbort);
    EXPECT_FALSE(files.ExtractFile(nullptr, "gros.bin", dir + "/t/gros.bin"));
    EXPECT_FALSE(fs::exists(dir + "/t/gros.bin"));
    // A record claiming more bytes than its stream holds is no success either.
    TPayloadWriter liar;
    liar.Files = {{"a.txt", "abc"}};
    liar.Files[0].SizeOverride = 10;
    TAttachedFiles lying(liar.WriteTo(dir, "liar.bin"));
    answers.Expect("Impossible de créer le fichier", mrAbort);
    EXPECT_FALSE(lying.ExtractFile(nullptr, "a.txt", dir + "/t/a.txt"));
    EXPECT_FALSE(fs::exists(dir + "/t/a.txt"));
}

TEST(AttachedFilesTest, SafeNames)
{
    for (const char* good : {"a", "Exemples\\Lettre.rtf", "Modèles de document\\Mémos\\Mémo 1.rtf", "..a", "a.."})
        EXPECT_TRUE(IsSafePayloadName(good)) << good;
    for (const char* bad : {"", "\\a", "a\\", "a\\\\b", "..", "a\\..\\b", ".\\a", "a/b", "C:a", "a\tb"})
        EXPECT_FALSE(IsSafePayloadName(bad)) << bad;
}

} // namespace
