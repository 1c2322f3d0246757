// ZIP archives written by TZipFile, checked by Python's zipfile module (an
// independent reader: names, sizes, CRCs and contents) and by a walk over the
// local headers, which must agree with the central directory.
#include "formats/FormatsFixtures.h"
#include "formats/zip/ZipFile.h"
#include "foundation/MessageAnswers.h"

#include "platform/runtime/Files.h"

#include <cstdio>

namespace {

uint32_t Le32(const std::string& b, size_t at)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

uint16_t Le16(const std::string& b, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

// The output of a command, empty when it could not run.
std::string RunCommand(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, count);
    pclose(pipe);
    return out;
}

// Python's listing of the archive: "OK" when every CRC checks, then per
// entry its name (as UTF-8 of the code page 437 reading, the ZIP default),
// its size and the SHA-1 of its content.
std::string PythonListing(const std::string& folder, const std::string& archive)
{
    const std::string script = MakeFile(folder, "check.py",
                                        "import sys, zipfile, hashlib\n"
                                        "z = zipfile.ZipFile(sys.argv[1])\n"
                                        "print('OK' if z.testzip() is None else 'BAD')\n"
                                        "for i in z.infolist():\n"
                                        "    d = z.read(i)\n"
                                        "    print(i.filename, i.file_size, i.compress_type,"
                                        " hashlib.sha1(d).hexdigest())\n");
    return RunCommand("python3 '" + Utf8FromAnsi(script) + "' '" + Utf8FromAnsi(archive) + "' 2>&1");
}

std::string Sha1Of(const std::string& folder, const std::string& path)
{
    const std::string script = MakeFile(folder, "sha.py",
                                        "import sys, hashlib\n"
                                        "print(hashlib.sha1(open(sys.argv[1], 'rb').read()).hexdigest())\n");
    std::string out = RunCommand("python3 '" + Utf8FromAnsi(script) + "' '" + Utf8FromAnsi(path) + "'");
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

// A file made through the program's own file layer, which gives a name in
// the ANSI code page its file-system form.
std::string MakeProgramFile(const std::string& folder, const std::string& name, const std::string& bytes)
{
    const std::string path = folder + "/" + name;
    const THandle handle = FileCreate(path);
    EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileWrite(handle, bytes.data(), static_cast<int32_t>(bytes.size())), static_cast<int32_t>(bytes.size()));
    FileClose(handle);
    return path;
}

bool HavePython()
{
    return RunCommand("python3 -c 'print(1)' 2>/dev/null") == "1\n";
}

// Every local header's CRC and sizes equal those of its central record.
void CheckLocalHeaders(const std::string& zip)
{
    ASSERT_GE(zip.size(), 22u);
    const size_t end = zip.size() - 22;
    ASSERT_EQ(Le32(zip, end), 0x06054B50u);
    const uint16_t count = Le16(zip, end + 10);
    size_t central = Le32(zip, end + 16);
    for (uint16_t i = 0; i < count; ++i) {
        ASSERT_EQ(Le32(zip, central), 0x02014B50u);
        const size_t local = Le32(zip, central + 42);
        ASSERT_EQ(Le32(zip, local), 0x04034B50u);
        for (size_t k = 0; k < 12; k += 4)
            EXPECT_EQ(Le32(zip, local + 14 + k), Le32(zip, central + 16 + k)) << "entry " << i;
        EXPECT_EQ(Le16(zip, local + 6), 2);  // level 9
        const uint16_t nameLength = Le16(zip, central + 28);
        EXPECT_EQ(zip.substr(local + 30, nameLength), zip.substr(central + 46, nameLength));
        central += 46 + nameLength;
    }
}

}  // namespace

TEST(ZipFile, SeveralFilesReadByPython)
{
    if (!HavePython())
        GTEST_SKIP() << "python3 is not installed";
    TOemCodePage oem(850);
    const std::string folder = MakeTestDir("zip-several");
    std::string big;
    for (int i = 0; i < 20000; ++i)
        big += "Ligne " + std::to_string(i) + " du document\r\n";
    const std::string text = MakeFile(folder, "Lettre.rtf", "{\\rtf1 Lettre}");
    const std::string empty = MakeFile(folder, "vide.txt", "");
    const std::string large = MakeFile(folder, "grand.txt", big);
    const std::string accented = MakeProgramFile(folder, "\xE9t\xE9.doc", "\x01\x02\x03");
    // A name longer than any fixed room for it.
    const std::string longName = std::string(600, 'n') + ".txt";
    const std::string archive = folder + "/documents.zip";

    TZipFile zip;
    ASSERT_TRUE(zip.Open(archive));
    EXPECT_TRUE(zip.ZipAddFile(text, "Lettre.rtf"));
    EXPECT_TRUE(zip.ZipAddFile(text, "Lettre.rtf"));
    EXPECT_TRUE(zip.ZipAddFile(text, "LETTRE.RTF"));
    EXPECT_TRUE(zip.ZipAddFile(empty, "Nom"));
    EXPECT_TRUE(zip.ZipAddFile(empty, "nom"));
    EXPECT_TRUE(zip.ZipAddFile(large, "grand.txt"));
    EXPECT_TRUE(zip.ZipAddFile(accented, "\xE9t\xE9.doc"));
    EXPECT_TRUE(zip.ZipAddFile(text, longName));
    ASSERT_TRUE(zip.Close());

    const std::string bytes = ReadTestFile(archive);
    CheckLocalHeaders(bytes);
    const std::string textSha = Sha1Of(folder, text);
    const std::string emptySha = Sha1Of(folder, empty);
    const std::string expected = "OK\n"
                                 "Lettre.rtf 14 8 " + textSha + "\n"
                                 "Lettre (2).rtf 14 8 " + textSha + "\n"
                                 "LETTRE (3).RTF 14 8 " + textSha + "\n"
                                 "Nom 0 8 " + emptySha + "\n"
                                 "nom (2) 0 8 " + emptySha + "\n"
                                 "grand.txt " + std::to_string(big.size()) + " 8 " + Sha1Of(folder, large) + "\n"
                                 // 0x82 in the OEM code page, read by Python as code page 437.
                                 "\xC3\xA9t\xC3\xA9.doc 3 8 " + Sha1Of(folder, accented) + "\n" +
                                 longName + " 14 8 " + textSha + "\n";
    EXPECT_EQ(PythonListing(folder, archive), expected);
}

TEST(ZipFile, EmptyArchiveIsABareEndRecord)
{
    const std::string folder = MakeTestDir("zip-empty");
    const std::string archive = folder + "/rien.zip";
    TZipFile zip;
    ASSERT_TRUE(zip.Open(archive));
    ASSERT_TRUE(zip.Close());
    const std::string bytes = ReadTestFile(archive);
    ASSERT_EQ(bytes.size(), 22u);
    EXPECT_EQ(Le32(bytes, 0), 0x06054B50u);
    EXPECT_EQ(bytes.substr(4), std::string(18, '\0'));
}

TEST(ZipFile, EmptyFileHasTheEmptyDeflateStream)
{
    const std::string folder = MakeTestDir("zip-empty-file");
    const std::string archive = folder + "/a.zip";
    TZipFile zip;
    ASSERT_TRUE(zip.Open(archive));
    ASSERT_TRUE(zip.ZipAddFile(MakeFile(folder, "vide", ""), "vide"));
    ASSERT_TRUE(zip.Close());
    const std::string bytes = ReadTestFile(archive);
    EXPECT_EQ(Le32(bytes, 14), 0u);  // CRC
    EXPECT_EQ(Le32(bytes, 18), 2u);  // the two bytes zlib ends an empty raw stream with
    EXPECT_EQ(Le32(bytes, 22), 0u);
    EXPECT_EQ(bytes.substr(30 + 4, 2), std::string("\x03\x00", 2));
}

// A source that cannot be opened is reported as such (not as a file that
// cannot be created), later files still go in, and the archive is removed.
TEST(ZipFile, MissingSourceIsReportedAndRemovesTheArchive)
{
    const std::string folder = MakeTestDir("zip-missing");
    const std::string archive = folder + "/a.zip";
    TMessageAnswers answers;
    answers.Expect("Impossible d'ouvrir le fichier \"" + folder + "/absent.rtf\"", mrOk);
    TZipFile zip;
    ASSERT_TRUE(zip.Open(archive));
    EXPECT_FALSE(zip.ZipAddFile(folder + "/absent.rtf", "absent.rtf"));
    EXPECT_TRUE(zip.ZipAddFile(MakeFile(folder, "b.txt", "b"), "b.txt"));
    EXPECT_TRUE(zip.Close());
    EXPECT_FALSE(FileExists(archive));
}

TEST(ZipFile, OpenFailsSilentlyInAMissingFolder)
{
    const std::string folder = MakeTestDir("zip-no-folder");
    TZipFile zip;
    EXPECT_FALSE(zip.Open(folder + "/absent/a.zip"));
}

TEST(ZipFile, NumberedNamesAndLevelFlags)
{
    EXPECT_EQ(ZipNumberedName("Lettre.rtf", 2), "Lettre (2).rtf");
    EXPECT_EQ(ZipNumberedName("Nom", 3), "Nom (3)");
    EXPECT_EQ(ZipNumberedName("a.b.c", 2), "a.b (2).c");
    const std::pair<int32_t, uint16_t> levels[] = {{1, 6}, {2, 4}, {3, 0}, {6, 0}, {8, 2}, {9, 2}};
    for (const auto& [level, flags] : levels)
        EXPECT_EQ(ZipFlagsOfLevel(level), flags) << level;
}
