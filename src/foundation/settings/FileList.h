#pragma once
// A short, persistent list of file or folder paths, most recent first: the
// recent-documents list and the lists of recently used files and folders of the
// dialogs. It is kept in the settings store under the key the caller has opened:
// "Count" and the entries under "A", "B", ... "Z", then "AA" to "AD".
#include <cstdint>
#include <memory>
#include <string>

class TSettingsStorage;
class TStringList;

class TFileList {
public:
    // Kind 0 lists files; any other kind lists folders, and kind 1 also keeps
    // its locked flag in the store.
    explicit TFileList(uint8_t kind);
    ~TFileList();
    TFileList(const TFileList&) = delete;
    TFileList& operator=(const TFileList&) = delete;

    // At most this many entries are loaded.
    static constexpr int32_t MaxStoredEntries = 30;

    uint8_t Kind() const { return FKind; }
    TStringList& Paths() { return *FPaths; }
    const TStringList& Paths() const { return *FPaths; }
    // While locked the list does not change (except by RemoveMissingFiles).
    bool Locked = false;

    // Adds the stored entries to what the list holds, in stored order.
    void Load(TSettingsStorage& store);
    void Save(TSettingsStorage& store) const;
    // Puts the path at the top (moving it when the list holds the same file,
    // else cutting the list to the length limit minus one first); nothing
    // while locked.
    void AddFile(const std::string& path);
    // Removes entries from the end while there are more than maximum; nothing
    // while locked.
    void Truncate(int32_t maximum);
    // Removes the files (or folders) that do not exist; folders on removable
    // and CD-ROM drives stay.
    void RemoveMissingFiles();

    // The value name of entry index: "A" to "Z", then "AA", "AB"...
    static std::string EntryName(int32_t index);

private:
    uint8_t FKind;
    std::unique_ptr<TStringList> FPaths;
};

// The number of entries that file lists keep: the options holder installs its
// reader at start-up; it is read at each addition. Returns the previous one.
// Without a reader the limit is DefaultFileListLimit.
using TFileListLimitQuery = int32_t (*)();
TFileListLimitQuery SetFileListLimitQuery(TFileListLimitQuery query);
constexpr int32_t DefaultFileListLimit = 10;
