#include "foundation/settings/FileList.h"

#include "foundation/Paths.h"
#include "foundation/settings/SettingsStorage.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/StringList.h"

namespace {

TFileListLimitQuery g_LimitQuery = nullptr;

int32_t LengthLimit()
{
    return g_LimitQuery ? g_LimitQuery() : DefaultFileListLimit;
}

}  // namespace

TFileListLimitQuery SetFileListLimitQuery(TFileListLimitQuery query)
{
    TFileListLimitQuery previous = g_LimitQuery;
    g_LimitQuery = query;
    return previous;
}

TFileList::TFileList(uint8_t kind) : FKind(kind), FPaths(std::make_unique<TStringList>()) {}

TFileList::~TFileList() = default;

std::string TFileList::EntryName(int32_t index)
{
    // Single letters up to "Z"; beyond, two letters. The characters that follow
    // "Z" ("[" first) would make an INI line that reads as a section header.
    if (index < 26)
        return std::string(1, static_cast<char>('A' + index));
    return std::string("A") + static_cast<char>('A' + (index - 26));
}

void TFileList::Load(TSettingsStorage& store)
{
    const int32_t count = store.ReadInteger("Count", 0, 0, MaxStoredEntries);
    for (int32_t i = count - 1; i >= 0; --i) {
        std::string path = store.ReadString(EntryName(i), std::string());
        // Lists saved before entries beyond "Z" had two letters used the
        // characters after "Z"; a registry kept them.
        if (path.empty() && i >= 26)
            path = store.ReadString(std::string(1, static_cast<char>('A' + i)), std::string());
        if (!path.empty())
            FPaths->Insert(0, path);
    }
    if (FKind == 1)
        Locked = store.ReadBool("Locked", false);
}

void TFileList::Save(TSettingsStorage& store) const
{
    store.WriteInteger("Count", FPaths->Count());
    for (int32_t i = 0; i < FPaths->Count(); ++i)
        store.WriteString(EntryName(i), FPaths->Strings(i));
    if (FKind == 1)
        store.WriteBool("Locked", Locked);
}

void TFileList::AddFile(const std::string& path)
{
    if (Locked)
        return;
    const int32_t limit = LengthLimit();
    // Names on this system differ by case: an entry is the same file only as
    // SameFileName tells.
    int32_t index = -1;
    for (int32_t i = 0; i < FPaths->Count() && index < 0; ++i)
        if (SameFileName(FPaths->Strings(i), path))
            index = i;
    if (index >= 0)
        FPaths->Delete(index);
    else
        Truncate(limit - 1);
    if (limit > 0)
        FPaths->Insert(0, path);
}

void TFileList::Truncate(int32_t maximum)
{
    if (Locked)
        return;
    while (FPaths->Count() > 0 && FPaths->Count() > maximum)
        FPaths->Delete(FPaths->Count() - 1);
}

void TFileList::RemoveMissingFiles()
{
    if (FKind != 0) {
        PushCurrentFolder();
        for (int32_t i = FPaths->Count() - 1; i >= 0; --i) {
            const std::string folder = FPaths->Strings(i);
            if (!FolderExists(folder) && !IsRemovableDrive(folder))
                FPaths->Delete(i);
        }
        PopCurrentFolder();
    } else {
        for (int32_t i = FPaths->Count() - 1; i >= 0; --i)
            if (!FileExists(FPaths->Strings(i)))
                FPaths->Delete(i);
    }
}
