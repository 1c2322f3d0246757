// Any bytes opened as an encrypted container under a fixed password; then the
// bytes enciphered as a container body, which must decipher to the same bytes
// and be read as RTF.
#include "FuzzSupport.h"

#include "document/model/Document.h"
#include "formats/DocumentFile.h"
#include "formats/EncryptionManager.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string password = "motdepasse";
    std::string body;
    if (DecryptContainer(data, size, password, body)) {
        TDocument document(true);
        FuzzLoad(document, reinterpret_cast<const uint8_t*>(body.data()), body.size(), ciRtf);
    }

    // A container holds at least one byte of body: files no longer than
    // their header and trailer are no containers.
    if (size == 0)
        return 0;
    TEncryptionManager& cipher = GetEncryptionManager();
    std::vector<uint8_t> file(EncryptedHeaderSize + size + EncryptedTrailerSize);
    cipher.StartEncryption(file.data(), password, false);
    std::memcpy(file.data() + EncryptedHeaderSize, data, size);
    cipher.EncryptBuffer(file.data() + EncryptedHeaderSize, static_cast<int32_t>(size));
    uint8_t* trailer = file.data() + EncryptedHeaderSize + size;
    cipher.FinishChecksum(trailer);
    cipher.EncryptBuffer(trailer, EncryptedTrailerSize);
    if (!DecryptContainer(file.data(), file.size(), password, body) || body.size() != size ||
        std::memcmp(body.data(), data, size) != 0)
        std::abort();
    TDocument document(true);
    FuzzLoad(document, reinterpret_cast<const uint8_t*>(body.data()), body.size(), ciRtf);
    return 0;
}
