// Any bytes opened as a sound pack: the directory indexed, every sample's
// event looked up and its wave inflated. Messages about an invalid file are
// answered with Cancel; nothing may raise out of the reader.
#include "FuzzSupport.h"

#include "foundation/MessageDlg.h"
#include "shell/commands/ProgramEvents.h"
#include "shell/sound/SoundPack.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class TCancelAnswers : public TMessageAnswerer {
public:
    int32_t Answer(const TMessageRequest&) override { return mrCancel; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TCancelAnswers answers;
    static bool installed = (SetMessageAnswerer(&answers), true);
    (void)installed;
    static const std::string path = std::string(getenv("TMPDIR")) + "/input.esn";
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    fwrite(data, 1, size, f);
    fclose(f);
    TSoundScheme scheme(path);
    if (scheme.Plugin())
        scheme.Plugin()->GetAuthorInfo();
    for (const TEventName& event : EventNames)
        scheme.GetSoundData(event.Id);
    return 0;
}
