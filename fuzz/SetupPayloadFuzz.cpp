// Bytes of any kind as a setup file: the payload reader must list them or
// refuse them as corrupt, and extracting what it listed must succeed or fail
// without writing outside its target.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "installer/AttachedFiles.h"
#include "platform/framework/ModalResults.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"

namespace {
int32_t Refuse(const std::string&, TMsgDlgType, TMsgDlgButtons, bool) { return mrAbort; }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetQuestionShower(Refuse);
    const std::string path = GetTempPath() + "setup-fuzz.bin";
    const std::string target = GetTempPath() + "setup-fuzz.out";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    TAttachedFiles files(path);
    size_t extracted = 0;
    for (const auto& file : files.Files()) {
        if (++extracted > 4)
            break;
        files.ExtractFile(file.get(), {}, target);
        DeleteFile(target);
    }
    return 0;
}
