#pragma once
// The file behind the registry stand-in: a tree of keys, each with typed values
// (string, expandable string, 32-bit integer, binary), kept in one text file in
// the user's configuration folder.
//
// Several program instances may use the same file at once. Each process keeps
// the tree in memory together with the list of changes it has made since it last
// wrote the file. Writing takes a lock file, reads the file afresh, replays the
// process's own changes on what it found and replaces the file atomically
// (temporary file, fsync, rename), so another instance's values are never lost
// and a crash leaves either the old or the new file, never a broken one. Readers
// need no lock: the file they open is always complete. A process notices that
// another instance replaced the file and reloads it, keeping its own pending
// changes on top.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/runtime/Exception.h"

// Kinds of registry values.
enum TRegDataType : uint8_t { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// A failed registry operation: a missing value read as an integer, a value of
// another type, a write without an open key, a store that cannot be written.
class ERegistryException : public Exception {
    using Exception::Exception;
};

struct TRegValue {
    TRegDataType Type = rdUnknown;
    std::string Data;  // string bytes (code page 1252), 4 little-endian bytes, or raw bytes
};

class TRegistryStore {
public:
    // A key path: the root's name ("HKEY_CURRENT_USER"...) then the key names.
    using TPath = std::vector<std::string>;

    explicit TRegistryStore(std::string fileName);
    ~TRegistryStore();
    TRegistryStore(const TRegistryStore&) = delete;
    TRegistryStore& operator=(const TRegistryStore&) = delete;

    // The store of the current configuration folder: $ELDRAVIN_CONFIG_DIR/registry,
    // else $XDG_CONFIG_HOME/eldravin/registry, else ~/.config/eldravin/registry.
    // One object per file name for the life of the process.
    static TRegistryStore& Default();
    static std::string DefaultFileName();

    const std::string& FileName() const { return FFileName; }

    bool KeyExists(const TPath& path);
    // Creates the key and its missing parents. Always succeeds for a path below a root.
    void CreateKey(const TPath& path);
    // Removes the key with its whole subtree; false when it does not exist.
    bool DeleteKey(const TPath& path);
    // Sub-key names sorted ignoring case; value names in the order they were made.
    std::vector<std::string> KeyNames(const TPath& path);
    std::vector<std::string> ValueNames(const TPath& path);

    bool GetValue(const TPath& path, const std::string& name, TRegValue& value);
    // Sets a value, creating the key when needed.
    void SetValue(const TPath& path, const std::string& name, const TRegValue& value);
    bool DeleteValue(const TPath& path, const std::string& name);

    // Writes the pending changes to the file (see above). Raises ERegistryException
    // when the file cannot be written; the changes then stay pending.
    void Flush();
    bool HasPendingChanges();

    // Called by Flush once the new file is written and synced, just before it
    // replaces the old one (tests stop a writer there).
    std::function<void()> BeforeReplace;

    // Names are compared as the registry does: ignoring case (code page 1252).
    static std::string FoldName(const std::string& name);

    // The in-memory tree (opaque outside the store).
    struct TNode;

private:
    enum class TChangeKind : uint8_t { CreateKey, DeleteKey, SetValue, DeleteValue };
    struct TChange {
        TChangeKind Kind;
        TPath Path;
        std::string Name;
        TRegValue Value;
    };
    struct TFileStamp {
        bool Exists = false;
        uint64_t Device = 0, Inode = 0, Size = 0;
        int64_t MTimeSec = 0, MTimeNsec = 0;
        bool operator==(const TFileStamp&) const = default;
    };

    void RefreshLocked();
    // Reads and parses the file into a fresh tree; false when it exists but cannot be read.
    bool LoadFile(std::unique_ptr<TNode>& tree, TFileStamp& stamp) const;
    static void Apply(TNode& tree, const TChange& change);
    TFileStamp Stamp() const;

    std::string FFileName;
    std::mutex FMutex;
    std::unique_ptr<TNode> FTree;
    TFileStamp FLoaded;
    bool FEverLoaded = false;
    std::vector<TChange> FPending;
};
