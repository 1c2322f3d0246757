// Any bytes opened as a compound file: every storage walked, every stream read
// whole. A refusal is the reader's own exception.
#include "FuzzSupport.h"

#include "platform/ole/CompoundFile.h"
#include "platform/runtime/Stream.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = std::string(getenv("TMPDIR")) + "/input.cfb";
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    fwrite(data, 1, size, f);
    fclose(f);
    try {
        TCompoundFile file(path, 0);
        std::set<int32_t> walked;
        std::vector<std::pair<int32_t, int>> storages = {{TCompoundFile::RootStorage, 0}};
        while (!storages.empty()) {
            auto [storage, depth] = storages.back();
            storages.pop_back();
            if (!walked.insert(storage).second)
                continue;
            for (const TStorageEntry& child : file.Children(storage)) {
                if (child.Type == stgStorage) {
                    if (depth < 8)
                        storages.push_back({child.Index, depth + 1});
                    continue;
                }
                try {
                    std::unique_ptr<TStream> stream = file.OpenStream(child.Index);
                    TMemoryStream copy;
                    copy.LoadFromStream(*stream);
                } catch (const EStorageError&) {
                }
            }
        }
    } catch (const EStorageError&) {
    }
    return 0;
}
