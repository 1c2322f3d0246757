#pragma once
// The encrypted document container (coding 4): an RTF document enciphered
// under a password with the PC1 stream cipher in its 128-bit form, behind a
// 42-byte header (a plain signature and two enciphered key blocks) and
// followed by a 16-byte enciphered checksum. One process-wide manager holds
// the cipher state of the one file being read or written, derives keys from
// passwords, keeps the entropy pool that the key blocks come from and keeps
// passwords in memory only enciphered under a key made once per session.
#include "platform/runtime/FileHandles.h"

#include <cstddef>
#include <cstdint>
#include <string>

constexpr int32_t EncryptedSignatureSize = 10;
constexpr int32_t EncryptedHeaderSize = 42;
constexpr int32_t EncryptedTrailerSize = 16;

// One PC1 cipher state: the 16-byte key and the two 16-bit registers the
// cipher carries from byte to byte.
struct TPc1State {
    uint8_t Key[16] = {};
    uint16_t X1a2 = 0;
    uint16_t Si = 0;
};

// Where the random bytes mixed into the key material come from (the
// operating system's generator unless a test replaces it). Returns the
// previous source.
using TRandomSource = void (*)(uint8_t* buffer, size_t count);
TRandomSource SetRandomSource(TRandomSource source);

class TEncryptionManager {
public:
    TEncryptionManager();

    TPc1State StateA;
    TPc1State StateB;
    int32_t ChecksumIndex = 0;
    uint8_t Pool[32] = {};
    int32_t PoolIndex = 0;
    uint8_t SessionSeed[16] = {};
    uint8_t Checksum[16] = {};

    // Feeds the pool: the next byte takes the low byte of the tick count
    // mixed with the value.
    void AddEntropy(int32_t value);
    // Fills the 42-byte header for a write under the password (plain
    // code page 1252 bytes) and keys both states for the body.
    void StartEncryption(uint8_t* header, const std::string& password, bool showProgress);
    // Keys both states for reading from the header of a file (the key
    // blocks are deciphered in place).
    void StartDecryption(uint8_t* header, const std::string& password);
    void EncryptBuffer(uint8_t* data, int32_t length);
    void DecryptBuffer(uint8_t* data, int32_t length);
    // A 16-byte one-way value of the bytes; state A is left as it was.
    void CondenseBuffer(const uint8_t* data, int32_t length, uint8_t* out);
    // The checksum trailer of a write: the running checksum condensed (it
    // becomes the running checksum), to be enciphered like the body.
    void FinishChecksum(uint8_t* trailer);
    // A copy of the text enciphered or deciphered under the session key.
    std::string EncryptWithSessionKey(const std::string& text);
    std::string DecryptWithSessionKey(const std::string& text);

private:
    void DeriveKey(const std::string& password, uint8_t* key, bool showProgress);
    void KeyStates(const uint8_t* keyA, const uint8_t* keyB);
};

// The process-wide manager, made on first use.
TEncryptionManager& GetEncryptionManager();

// A password into its session form and back.
std::string EncryptPassword(const std::string& password);
std::string DecryptPassword(const std::string& sessionForm);

// Reads a whole container file through the handle (or, for 0, the file by
// name) and checks its trailer under the password (session form). Read
// errors ask Retry or Cancel; Cancel raises the silent abort. False for a
// wrong password, a damaged file or one too short to be a container.
bool CheckDocumentFileCrc(THandle handle, const std::string& fileName, const std::string& sessionPassword);

// The RTF body of a container held in memory, deciphered under the password
// (plain); false, with nothing in body, when the file is no container, the
// password is wrong or the content is damaged.
bool DecryptContainer(const uint8_t* data, size_t size, const std::string& password, std::string& body);
