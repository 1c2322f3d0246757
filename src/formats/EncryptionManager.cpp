#include "formats/EncryptionManager.h"

#include "foundation/MessageDlg.h"
#include "formats/DocFileHost.h"
#include "formats/DocumentFile.h"
#include "platform/runtime/DateTime.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Processes.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

// The key CondenseBuffer runs under. Containers are readable only by a build
// with the same 16 bytes.
constexpr uint8_t kCondensingKey[16] = {'E', 'l', 'd', 'r', 'a', 'v', 'i', 'n',
                                        '-', 'C', 'O', 'D', '-', 'K', '1', '6'};
constexpr int32_t kKeyRounds = 2048;
constexpr int32_t kCheckChunk = 16384;

void SystemRandom(uint8_t* buffer, size_t count)
{
    std::random_device device;
    for (size_t i = 0; i < count; ++i)
        buffer[i] = static_cast<uint8_t>(device());
}

TRandomSource g_RandomSource = SystemRandom;

// The PC1 key assembly: the eight 16-bit words of the key, each chained
// through the cipher's "code" step with the state's two registers; the
// result is the 16-bit value the byte is enciphered with.
uint16_t Assemble(TPc1State& s)
{
    uint16_t words[8];
    uint16_t inter = 0;
    for (int k = 0; k < 8; ++k) {
        const uint16_t word = static_cast<uint16_t>(s.Key[2 * k] << 8 | s.Key[2 * k + 1]);
        words[k] = k == 0 ? word : static_cast<uint16_t>(words[k - 1] ^ word);
        // The code step.
        uint16_t dx = static_cast<uint16_t>(s.X1a2 + k);
        uint16_t ax = words[k];
        uint16_t cx = 0x015A;  // 346
        const uint16_t bx = 0x4E35;  // 20021
        std::swap(ax, s.Si);
        std::swap(ax, dx);
        if (ax != 0)
            ax = static_cast<uint16_t>(ax * bx);
        std::swap(ax, cx);
        if (ax != 0) {
            ax = static_cast<uint16_t>(ax * s.Si);
            cx = static_cast<uint16_t>(ax + cx);
        }
        std::swap(ax, s.Si);
        ax = static_cast<uint16_t>(ax * bx);
        dx = static_cast<uint16_t>(cx + dx);
        ax = static_cast<uint16_t>(ax + 1);
        s.X1a2 = dx;
        words[k] = ax;
        const uint16_t res = static_cast<uint16_t>(ax ^ dx);
        inter = k == 0 ? res : static_cast<uint16_t>(inter ^ res);
    }
    return inter;
}

uint8_t Pc1Output(TPc1State& s, uint8_t c)
{
    const uint16_t inter = Assemble(s);
    return static_cast<uint8_t>(c ^ (inter >> 8) ^ (inter & 0xFF));
}

void FeedKey(TPc1State& s, uint8_t b)
{
    for (uint8_t& k : s.Key)
        k ^= b;
}

void KeyState(TPc1State& s, const uint8_t* key)
{
    std::memcpy(s.Key, key, 16);
    s.X1a2 = 0;
    s.Si = 0;
}

bool ReadAt(THandle handle, int64_t at, uint8_t* buffer, int32_t count)
{
    return FileSeek(handle, at, 0) == at && FileRead(handle, buffer, count) == count;
}

// Reads, asking Retry or Cancel on failure; Cancel raises the silent abort.
void ReadOrAsk(THandle handle, const std::string& fileName, int64_t at, uint8_t* buffer, int32_t count)
{
    while (!ReadAt(handle, at, buffer, count))
        if (ShowMessageDlg("Erreur lors de la lecture du fichier \"" + fileName + "\".", mtError,
                           mbRetry | mbCancel) != mrRetry)
            Abort();
}

}  // namespace

TRandomSource SetRandomSource(TRandomSource source)
{
    const TRandomSource previous = g_RandomSource;
    g_RandomSource = source ? source : SystemRandom;
    return previous;
}

TEncryptionManager::TEncryptionManager()
{
    // The session seed: the time of creation and random bytes of the
    // system; passwords in memory are enciphered under a key made from it.
    const double now = Now();
    std::memcpy(SessionSeed, &now, sizeof now);
    g_RandomSource(SessionSeed + 8, 8);
}

void TEncryptionManager::AddEntropy(int32_t value)
{
    Pool[PoolIndex] ^= static_cast<uint8_t>(GetTickCount() ^ static_cast<uint32_t>(value));
    PoolIndex = (PoolIndex + 1) % 32;
}

void TEncryptionManager::CondenseBuffer(const uint8_t* data, int32_t length, uint8_t* out)
{
    const TPc1State saved = StateA;
    KeyState(StateA, kCondensingKey);
    uint8_t result[16] = {};
    int32_t j = 0;
    for (int32_t i = 0; i < length; ++i) {
        result[j] ^= Pc1Output(StateA, result[j]);
        j = (j + 1) % 16;
        FeedKey(StateA, data[i]);
    }
    for (int32_t round = 0; round < 160; ++round) {
        const uint8_t b = result[j];
        result[j] ^= Pc1Output(StateA, result[j]);
        j = (j + 1) % 16;
        FeedKey(StateA, b);
    }
    StateA = saved;
    std::memcpy(out, result, 16);
}

void TEncryptionManager::DeriveKey(const std::string& password, uint8_t* key, bool showProgress)
{
    CondenseBuffer(reinterpret_cast<const uint8_t*>(password.data()), static_cast<int32_t>(password.size()), key);
    TDocFileHost& host = DocFileHost();
    if (showProgress)
        host.ProgressStart(kKeyRounds, "Cryptage en cours ...");
    for (int32_t round = 0; round < kKeyRounds; ++round) {
        uint8_t next[16];
        CondenseBuffer(key, 16, next);
        std::memcpy(key, next, 16);
        if (showProgress && (round & 63) == 63)
            host.ProgressStep(round + 1);
    }
    if (showProgress)
        host.ProgressEnd(true);
}

void TEncryptionManager::KeyStates(const uint8_t* keyA, const uint8_t* keyB)
{
    KeyState(StateA, keyA);
    KeyState(StateB, keyB);
}

void TEncryptionManager::StartEncryption(uint8_t* header, const std::string& password, bool showProgress)
{
    std::memcpy(header, EncryptedSignature, EncryptedSignatureSize);
    // Random bytes of the system go into the pool first: the key blocks
    // never rest on the input events alone.
    uint8_t fresh[32];
    g_RandomSource(fresh, sizeof fresh);
    for (int i = 0; i < 32; ++i)
        Pool[i] ^= fresh[i];
    CondenseBuffer(Pool, 16, header + 10);
    if (DocFileHost().CipherStrength())
        CondenseBuffer(Pool + 16, 16, header + 26);
    else
        std::memcpy(header + 26, header + 10, 16);
    uint8_t key[16];
    DeriveKey(password, key, showProgress);
    KeyStates(key, key);
    uint8_t block1[16];
    uint8_t block2[16];
    std::memcpy(block1, header + 10, 16);
    std::memcpy(block2, header + 26, 16);
    EncryptBuffer(header + 10, 16);
    EncryptBuffer(header + 26, 16);
    KeyStates(block1, block2);
    std::memset(Checksum, 0, sizeof Checksum);
    ChecksumIndex = 0;
}

void TEncryptionManager::StartDecryption(uint8_t* header, const std::string& password)
{
    uint8_t key[16];
    DeriveKey(password, key, false);
    KeyStates(key, key);
    DecryptBuffer(header + 10, 16);
    DecryptBuffer(header + 26, 16);
    KeyStates(header + 10, header + 26);
    std::memset(Checksum, 0, sizeof Checksum);
    ChecksumIndex = 0;
}

void TEncryptionManager::EncryptBuffer(uint8_t* data, int32_t length)
{
    for (int32_t i = 0; i < length; ++i) {
        const uint8_t p = data[i];
        Checksum[ChecksumIndex] ^= p;
        ChecksumIndex = (ChecksumIndex + 1) % 16;
        data[i] = Pc1Output(StateA, p);
        FeedKey(StateA, p);
    }
    for (int32_t i = 0; i < length; ++i) {
        const uint8_t q = data[i];
        data[i] = Pc1Output(StateB, q);
        FeedKey(StateB, q);
    }
}

void TEncryptionManager::DecryptBuffer(uint8_t* data, int32_t length)
{
    for (int32_t i = 0; i < length; ++i) {
        const uint8_t q = Pc1Output(StateB, data[i]);
        data[i] = q;
        FeedKey(StateB, q);
    }
    for (int32_t i = 0; i < length; ++i) {
        const uint8_t p = Pc1Output(StateA, data[i]);
        data[i] = p;
        Checksum[ChecksumIndex] ^= p;
        ChecksumIndex = (ChecksumIndex + 1) % 16;
        FeedKey(StateA, p);
    }
}

void TEncryptionManager::FinishChecksum(uint8_t* trailer)
{
    CondenseBuffer(Checksum, 16, trailer);
    std::memcpy(Checksum, trailer, 16);
}

std::string TEncryptionManager::EncryptWithSessionKey(const std::string& text)
{
    uint8_t key[16];
    CondenseBuffer(SessionSeed, 16, key);
    KeyStates(key, key);
    std::string copy = text;
    EncryptBuffer(reinterpret_cast<uint8_t*>(copy.data()), static_cast<int32_t>(copy.size()));
    return copy;
}

std::string TEncryptionManager::DecryptWithSessionKey(const std::string& text)
{
    uint8_t key[16];
    CondenseBuffer(SessionSeed, 16, key);
    KeyStates(key, key);
    std::string copy = text;
    DecryptBuffer(reinterpret_cast<uint8_t*>(copy.data()), static_cast<int32_t>(copy.size()));
    return copy;
}

TEncryptionManager& GetEncryptionManager()
{
    static std::unique_ptr<TEncryptionManager> manager = std::make_unique<TEncryptionManager>();
    return *manager;
}

std::string EncryptPassword(const std::string& password)
{
    return GetEncryptionManager().EncryptWithSessionKey(password);
}

std::string DecryptPassword(const std::string& sessionForm)
{
    return GetEncryptionManager().DecryptWithSessionKey(sessionForm);
}

namespace {

// Deciphers a container read piece by piece and compares its trailer.
class TContainerCheck {
public:
    explicit TContainerCheck(const std::string& password) : FPassword(password) {}

    // The data before the trailer, in order; the first piece holds at least
    // the header.
    void Feed(uint8_t* data, int32_t count)
    {
        TEncryptionManager& cipher = GetEncryptionManager();
        if (!FStarted) {
            uint8_t header[EncryptedHeaderSize];
            std::memcpy(header, data, EncryptedHeaderSize);
            cipher.StartDecryption(header, FPassword);
            FStarted = true;
            data += EncryptedHeaderSize;
            count -= EncryptedHeaderSize;
        }
        cipher.DecryptBuffer(data, count);
    }
    bool Matches(uint8_t* trailer)
    {
        TEncryptionManager& cipher = GetEncryptionManager();
        uint8_t expected[16];
        cipher.CondenseBuffer(cipher.Checksum, 16, expected);
        cipher.DecryptBuffer(trailer, EncryptedTrailerSize);
        std::memcpy(cipher.Checksum, expected, 16);
        return std::memcmp(expected, trailer, 16) == 0;
    }

private:
    std::string FPassword;
    bool FStarted = false;
};

}  // namespace

bool CheckDocumentFileCrc(THandle handle, const std::string& fileName, const std::string& sessionPassword)
{
    TDocFileHost& host = DocFileHost();
    THandle own = 0;
    if (handle == 0) {
        own = FileOpen(fileName, fmOpenRead | fmShareDenyNone);
        if (own == INVALID_HANDLE_VALUE)
            return false;
        handle = own;
    }
    struct TCloser {
        THandle Handle;
        ~TCloser()
        {
            if (Handle > 0)
                FileClose(Handle);
        }
    } closer{own};
    const int64_t size = FileGetSize(handle);
    if (size <= EncryptedHeaderSize + EncryptedTrailerSize)
        return false;
    host.ProgressStart(size, "Contrôle du CRC ...");
    bool ok = false;
    try {
        uint8_t trailer[EncryptedTrailerSize];
        const int64_t dataSize = size - EncryptedTrailerSize;
        ReadOrAsk(handle, fileName, dataSize, trailer, EncryptedTrailerSize);
        TContainerCheck check(DecryptPassword(sessionPassword));
        std::vector<uint8_t> chunk(kCheckChunk);
        for (int64_t at = 0; at < dataSize;) {
            const int32_t count = static_cast<int32_t>(std::min<int64_t>(kCheckChunk, dataSize - at));
            ReadOrAsk(handle, fileName, at, chunk.data(), count);
            check.Feed(chunk.data(), count);
            at += count;
            host.ProgressStep(at);
        }
        ok = check.Matches(trailer);
    } catch (const EAbort&) {
        host.ProgressEnd(false);
        throw;
    } catch (const std::exception&) {
        ok = false;
    }
    host.ProgressEnd(ok);
    return ok;
}

bool DecryptContainer(const uint8_t* data, size_t size, const std::string& password, std::string& body)
{
    body.clear();
    if (size <= static_cast<size_t>(EncryptedHeaderSize + EncryptedTrailerSize) ||
        std::memcmp(data, EncryptedSignature, EncryptedSignatureSize) != 0)
        return false;
    std::string copy(reinterpret_cast<const char*>(data), size);
    uint8_t* bytes = reinterpret_cast<uint8_t*>(copy.data());
    const size_t dataSize = size - EncryptedTrailerSize;
    TContainerCheck check(password);
    check.Feed(bytes, static_cast<int32_t>(dataSize));
    if (!check.Matches(bytes + dataSize))
        return false;
    body.assign(copy, EncryptedHeaderSize, dataSize - EncryptedHeaderSize);
    return true;
}
