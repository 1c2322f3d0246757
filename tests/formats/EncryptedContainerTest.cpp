// The encrypted container: saved under a password and opened again, a wrong
// password refused, every damaged part of a file reported, and a save whose
// read-back check fails leaves the document unsaved.
#include "formats/DocumentDump.h"
#include "formats/FormatsFixtures.h"
#include "formats/RtfFixtures.h"

#include "formats/EncryptionManager.h"
#include "formats/OutputFile.h"
#include "foundation/MessageAnswers.h"
#include "platform/runtime/DateTime.h"
#include "platform/runtime/Exception.h"

#include <cstring>
#include <deque>

namespace {

const char kText[] = "{\\rtf1{\\info{\\title Secret}} Un texte {\\b confidentiel} \\'e9crit.\\par"
                     "{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} second{\\footnote note}\\par}";

// Answers the password questions in turn; no answer left means Cancel.
class TPasswordHost : public TRecordingFileHost {
public:
    std::deque<std::string> Answers;
    int Asked = 0;
    bool Strong = true;
    bool AskPasswordForOpening(const std::string&, std::string& password) override
    {
        ++Asked;
        if (Answers.empty())
            return false;
        password = Answers.front();
        Answers.pop_front();
        return true;
    }
    bool CipherStrength() override { return Strong; }
};

void ZeroRandom(uint8_t* buffer, size_t count)
{
    std::memset(buffer, 0, count);
}

// Fixed random bytes and pool for the life of the object.
class TFixedKeyMaterial {
public:
    TFixedKeyMaterial() : FPrevious(SetRandomSource(ZeroRandom))
    {
        std::memcpy(FPool, GetEncryptionManager().Pool, sizeof FPool);
        SetPool(0x5A);
    }
    ~TFixedKeyMaterial()
    {
        SetRandomSource(FPrevious);
        std::memcpy(GetEncryptionManager().Pool, FPool, sizeof FPool);
    }
    TFixedKeyMaterial(const TFixedKeyMaterial&) = delete;
    TFixedKeyMaterial& operator=(const TFixedKeyMaterial&) = delete;
    static void SetPool(uint8_t seed)
    {
        for (int i = 0; i < 32; ++i)
            GetEncryptionManager().Pool[i] = static_cast<uint8_t>(seed + i * 7);
    }

private:
    TRandomSource FPrevious;
    uint8_t FPool[32];
};

std::unique_ptr<TDocument> ReadText(const std::string& text)
{
    auto document = std::make_unique<TDocument>(true);
    TDocLoadRequest request;
    request.Source = lsMemory;
    request.Coding = ciRtf;
    request.Buffer = reinterpret_cast<const uint8_t*>(text.data());
    request.BufferSize = static_cast<int32_t>(text.size());
    EXPECT_TRUE(LoadFromFile(*document, request));
    return document;
}

// Saves the text as an encrypted file under the password; the file's bytes.
std::string SaveEncrypted(TDocument& document, const std::string& path, const std::string& password)
{
    document.FileName = path;
    document.FileState.Password = EncryptPassword(password);
    EXPECT_EQ(SaveAs(document, ciEncrypted), wrWritten);
    document.CloseFile();
    return ReadTestFile(path);
}

}  // namespace

TEST(EncryptedContainer, SavedAndOpenedWithItsPassword)
{
    TRtfManagersScope managers;
    TPasswordHost host;
    const std::string dir = MakeTestDir("encrypted-round-trip");
    std::unique_ptr<TDocument> document = ReadText(kText);
    document->Properties.Created = EncodeDate(2020, 5, 17);
    document->SetModified(true);
    const std::string file = SaveEncrypted(*document, dir + "/secret.cod", "motdepasse");
    EXPECT_FALSE(document->IsModified());
    EXPECT_EQ(document->Format, ciEncrypted);
    ASSERT_GT(file.size(), 58u);
    EXPECT_EQ(file.substr(0, 10), "987D Ttcad");
    // Nothing of the text shows in the file, and the password is nowhere.
    EXPECT_EQ(file.find("confidentiel"), std::string::npos);
    EXPECT_EQ(file.find("rtf1"), std::string::npos);
    EXPECT_EQ(file.find("motdepasse"), std::string::npos);
    EXPECT_NE(document->FileState.Password, "motdepasse");
    EXPECT_EQ(DecryptPassword(document->FileState.Password), "motdepasse");

    std::string body;
    ASSERT_TRUE(DecryptContainer(reinterpret_cast<const uint8_t*>(file.data()), file.size(), "motdepasse", body));
    EXPECT_EQ(body.rfind("{\\rtf1\\ansi", 0), 0u);

    host.Answers = {"motdepasse"};
    TLoaded loaded = LoadFile(dir + "/secret.cod", ciDetect, true);
    ASSERT_TRUE(loaded.Ok);
    EXPECT_EQ(loaded.Request.Coding, ciEncrypted);
    EXPECT_EQ(host.Asked, 1);
    EXPECT_EQ(DumpDocument(*loaded.Document), DumpDocument(*document));
    // The document keeps the password (in session form) for its next save.
    EXPECT_EQ(DecryptPassword(loaded.Document->FileState.Password), "motdepasse");
}

TEST(EncryptedContainer, AWrongPasswordIsRefused)
{
    TRtfManagersScope managers;
    TPasswordHost host;
    const std::string dir = MakeTestDir("encrypted-wrong-password");
    std::unique_ptr<TDocument> document = ReadText(kText);
    SaveEncrypted(*document, dir + "/secret.cod", "motdepasse");
    {
        // Refused, and the user gives up: the silent abort.
        TMessageAnswers answers;
        answers.Expect("Mot de passe incorrect", mrNo);
        host.Answers = {"Motdepasse"};
        EXPECT_THROW(LoadFile(dir + "/secret.cod", ciDetect, true), EAbort);
    }
    {
        // Refused, then the right one.
        TMessageAnswers answers;
        answers.Expect("Mot de passe incorrect", mrYes);
        host.Answers = {"mot", "motdepasse"};
        TLoaded loaded = LoadFile(dir + "/secret.cod", ciDetect, true);
        EXPECT_TRUE(loaded.Ok);
    }
    // Cancel in the password dialog.
    host.Answers.clear();
    EXPECT_THROW(LoadFile(dir + "/secret.cod", ciDetect, true), EAbort);
}

TEST(EncryptedContainer, EveryDamagedPartIsReported)
{
    TRtfManagersScope managers;
    TPasswordHost host;
    const std::string dir = MakeTestDir("encrypted-damaged");
    std::unique_ptr<TDocument> document = ReadText(kText);
    const std::string file = SaveEncrypted(*document, dir + "/secret.cod", "motdepasse");
    const size_t size = file.size();
    struct TRegion {
        const char* Name;
        size_t At;
    };
    const TRegion regions[] = {
        {"key block 1", 10},        {"key block 1 end", 25},   {"key block 2", 26},
        {"key block 2 end", 41},    {"body start", 42},        {"body middle", size / 2},
        {"body end", size - 17},    {"trailer", size - 16},    {"last byte", size - 1},
    };
    for (const TRegion& region : regions) {
        SCOPED_TRACE(region.Name);
        std::string damaged = file;
        damaged[region.At] = static_cast<char>(damaged[region.At] ^ 0x01);
        std::string body;
        EXPECT_FALSE(DecryptContainer(reinterpret_cast<const uint8_t*>(damaged.data()), size, "motdepasse", body));
        const std::string path = MakeFile(dir, "damaged.cod", damaged);
        EXPECT_FALSE(CheckDocumentFileCrc(0, path, EncryptPassword("motdepasse")));
        // Opening it: the right password is refused, and nothing is read.
        TMessageAnswers answers;
        answers.Expect("Mot de passe incorrect", mrNo);
        host.Answers = {"motdepasse"};
        EXPECT_THROW(LoadFile(path, ciDetect, true), EAbort);
    }
    // A damaged signature: no container any more.
    std::string unsigned_ = file;
    unsigned_[3] = 'x';
    std::string body;
    EXPECT_FALSE(DecryptContainer(reinterpret_cast<const uint8_t*>(unsigned_.data()), size, "motdepasse", body));
    TLoaded text = LoadFile(MakeFile(dir, "unsigned.cod", unsigned_), ciDetect, true);
    EXPECT_NE(text.Request.Coding, ciEncrypted);
    // Cut short: 58 bytes with the signature is no container, 59 is one that fails.
    for (size_t length : {size_t(58), size_t(59), size - 1}) {
        SCOPED_TRACE(length);
        const std::string cut = file.substr(0, length);
        EXPECT_FALSE(DecryptContainer(reinterpret_cast<const uint8_t*>(cut.data()), length, "motdepasse", body));
        EXPECT_FALSE(CheckDocumentFileCrc(0, MakeFile(dir, "cut.cod", cut), EncryptPassword("motdepasse")));
    }
}

TEST(EncryptedContainer, KeyBlocksComeFromThePool)
{
    TRtfManagersScope managers;
    TPasswordHost host;
    TFixedKeyMaterial fixed;
    const std::string dir = MakeTestDir("encrypted-pool");
    std::unique_ptr<TDocument> document = ReadText(kText);
    const std::string first = SaveEncrypted(*document, dir + "/a.cod", "motdepasse");
    TFixedKeyMaterial::SetPool(0x5A);
    // The key blocks, not the body: the body holds the time of the save.
    EXPECT_EQ(SaveEncrypted(*document, dir + "/b.cod", "motdepasse").substr(0, 74), first.substr(0, 74))
        << "same pool and password";
    TFixedKeyMaterial::SetPool(0x11);
    const std::string other = SaveEncrypted(*document, dir + "/c.cod", "motdepasse");
    EXPECT_NE(other.substr(10, 32), first.substr(10, 32));
    EXPECT_NE(other.substr(42, 32), first.substr(42, 32));
    // The system's random bytes go into the pool too.
    SetRandomSource(nullptr);
    TFixedKeyMaterial::SetPool(0x5A);
    EXPECT_NE(SaveEncrypted(*document, dir + "/d.cod", "motdepasse").substr(10, 32), first.substr(10, 32));
    SetRandomSource(ZeroRandom);
    // Without the stronger cipher both blocks hold the same key, enciphered
    // differently as the cipher runs on.
    host.Strong = false;
    TFixedKeyMaterial::SetPool(0x5A);
    const std::string weak = SaveEncrypted(*document, dir + "/e.cod", "motdepasse");
    EXPECT_NE(weak.substr(10, 16), weak.substr(26, 16));
    std::string body;
    EXPECT_TRUE(DecryptContainer(reinterpret_cast<const uint8_t*>(weak.data()), weak.size(), "motdepasse", body));
}

namespace {

// Writes as the file system does, but changes one byte of the body on its way.
int32_t g_Writes = 0;
int32_t CorruptingWrite(THandle handle, const void* buffer, int32_t count)
{
    std::string copy(static_cast<const char*>(buffer), static_cast<size_t>(count));
    if (g_Writes++ == 0 && count > 60)
        copy[50] = static_cast<char>(copy[50] ^ 0x20);
    return FileWrite(handle, copy.data(), count);
}

}  // namespace

TEST(EncryptedContainer, AFailedReadBackLeavesTheDocumentModified)
{
    TRtfManagersScope managers;
    TPasswordHost host;
    const std::string dir = MakeTestDir("encrypted-crc");
    std::unique_ptr<TDocument> document = ReadText(kText);
    document->FileName = dir + "/secret.cod";
    document->FileState.Password = EncryptPassword("motdepasse");
    document->SetModified(true);
    g_Writes = 0;
    const TOutputWriteFunction previous = SetOutputWriteFunction(CorruptingWrite);
    {
        TMessageAnswers answers;
        answers.Expect("Contrôle du CRC négatif", mrOk);
        EXPECT_EQ(SaveAs(*document, ciEncrypted), wrChecksumFailed);
    }
    SetOutputWriteFunction(previous);
    EXPECT_TRUE(document->IsModified());
    EXPECT_FALSE(host.EndedFull);
    // Saved again without the fault: saved.
    EXPECT_EQ(SaveAs(*document, ciEncrypted), wrWritten);
    EXPECT_FALSE(document->IsModified());
}
