#include "platform/win/RegistryStore.h"

#include "platform/runtime/CodePages.h"
#include "platform/runtime/SysUtils.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// The file is UTF-8 text, one line per key header or value:
//
//   ; comment
//   [HKEY_CURRENT_USER\Software\Corvel Softworks, Inc.\Eldravin.1_x\General]
//   "ShowSplash"=dword:00000001
//   "UserName"="Jeanne \"JD\" Dupont"
//   @="the default value"
//   "Block"=hex:0a,ff
//   "Path"=expand:"%HOME%\x09tab"
//
// Inside quotes a backslash escapes a quote, a backslash or, as \xHH, a control
// character. In key headers control characters and "%" are written %HH. Lines
// that cannot be read are skipped, so a damaged or hand-edited file still loads.

struct TRegistryStore::TNode {
    struct TEntry {
        std::string Name;
        std::string Folded;
        TRegValue Value;
    };
    std::string Name;
    std::vector<TEntry> Values;
    std::map<std::string, std::unique_ptr<TNode>> Keys;  // by folded name, so sorted ignoring case

    TEntry* FindValue(const std::string& folded)
    {
        for (TEntry& e : Values)
            if (e.Folded == folded)
                return &e;
        return nullptr;
    }
};

namespace {

using TNode = TRegistryStore::TNode;

const char kHex[] = "0123456789abcdef";

TNode* FindNode(TNode& tree, const TRegistryStore::TPath& path)
{
    TNode* node = &tree;
    for (const std::string& name : path) {
        auto it = node->Keys.find(TRegistryStore::FoldName(name));
        if (it == node->Keys.end())
            return nullptr;
        node = it->second.get();
    }
    return node;
}

TNode& EnsureNode(TNode& tree, const TRegistryStore::TPath& path)
{
    TNode* node = &tree;
    for (const std::string& name : path) {
        std::unique_ptr<TNode>& child = node->Keys[TRegistryStore::FoldName(name)];
        if (!child) {
            child = std::make_unique<TNode>();
            child->Name = name;
        }
        node = child.get();
    }
    return *node;
}

void SetNodeValue(TNode& node, const std::string& name, const TRegValue& value)
{
    std::string folded = TRegistryStore::FoldName(name);
    if (TNode::TEntry* e = node.FindValue(folded)) {
        e->Value = value;
        return;
    }
    node.Values.push_back({name, std::move(folded), value});
}

// ---- writing the text ----

void AppendQuoted(std::string& out, const std::string& s)
{
    out += '"';
    for (char ch : s) {
        const auto c = static_cast<uint8_t>(ch);
        if (ch == '\\' || ch == '"') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    out += '"';
}

void AppendKeyName(std::string& out, const std::string& s)
{
    for (char ch : s) {
        const auto c = static_cast<uint8_t>(ch);
        if (c < 0x20 || c == 0x7F || ch == '%') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
}

void AppendValue(std::string& out, const TNode::TEntry& e)
{
    if (e.Name.empty())
        out += '@';
    else
        AppendQuoted(out, e.Name);
    out += '=';
    const std::string& d = e.Value.Data;
    switch (e.Value.Type) {
    case rdString:
        AppendQuoted(out, d);
        break;
    case rdExpandString:
        out += "expand:";
        AppendQuoted(out, d);
        break;
    case rdInteger: {
        uint32_t v = 0;
        for (size_t i = 0; i < 4 && i < d.size(); ++i)
            v |= static_cast<uint32_t>(static_cast<uint8_t>(d[i])) << (8 * i);
        out += "dword:";
        for (int shift = 28; shift >= 0; shift -= 4)
            out += kHex[(v >> shift) & 15];
        break;
    }
    case rdBinary:
    case rdUnknown:
        out += e.Value.Type == rdBinary ? "hex:" : "none:";
        for (size_t i = 0; i < d.size(); ++i) {
            if (i)
                out += ',';
            const auto c = static_cast<uint8_t>(d[i]);
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
        break;
    }
    out += '\n';
}

void AppendNode(std::string& out, const TNode& node, std::string& path)
{
    const size_t mark = path.size();
    if (!path.empty())
        path += '\\';
    AppendKeyName(path, node.Name);
    if (!node.Values.empty() || node.Keys.empty()) {
        out += "\n[";
        out += path;
        out += "]\n";
        for (const TNode::TEntry& e : node.Values)
            AppendValue(out, e);
    }
    for (const auto& [folded, child] : node.Keys)
        AppendNode(out, *child, path);
    path.resize(mark);
}

std::string StoreText(const TNode& tree)
{
    std::string out = "; Eldravin settings: keys and their typed values\n";
    std::string path;
    for (const auto& [folded, root] : tree.Keys)
        AppendNode(out, *root, path);
    return Utf8FromAnsi(out);
}

// ---- reading the text ----

// Reads a quoted text at s[pos] (the opening quote); pos ends after the closing one.
bool ParseQuoted(const std::string& s, size_t& pos, std::string& out)
{
    if (pos >= s.size() || s[pos] != '"')
        return false;
    ++pos;
    out.clear();
    while (pos < s.size()) {
        char ch = s[pos++];
        if (ch == '"')
            return true;
        if (ch != '\\') {
            out += ch;
            continue;
        }
        if (pos >= s.size())
            return false;
        char esc = s[pos++];
        if (esc == 'x') {
            if (pos + 2 > s.size())
                return false;
            int hi = HexDigitValue(s[pos]), lo = HexDigitValue(s[pos + 1]);
            if (hi < 0 || lo < 0)
                return false;
            out += static_cast<char>(hi * 16 + lo);
            pos += 2;
        } else {
            out += esc;
        }
    }
    return false;
}

bool ParseHexBytes(const std::string& s, size_t pos, std::string& out)
{
    out.clear();
    while (pos < s.size()) {
        if (s[pos] == ',' || s[pos] == ' ') {
            ++pos;
            continue;
        }
        if (pos + 2 > s.size())
            return false;
        int hi = HexDigitValue(s[pos]), lo = HexDigitValue(s[pos + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
        pos += 2;
    }
    return true;
}

bool ParseValueLine(const std::string& line, std::string& name, TRegValue& value)
{
    size_t pos = 0;
    if (line[0] == '@') {
        name.clear();
        pos = 1;
    } else if (!ParseQuoted(line, pos, name)) {
        return false;
    }
    if (pos >= line.size() || line[pos] != '=')
        return false;
    ++pos;
    auto startsWith = [&](const char* word) {
        size_t n = std::strlen(word);
        if (line.compare(pos, n, word) != 0)
            return false;
        pos += n;
        return true;
    };
    if (pos < line.size() && line[pos] == '"') {
        value.Type = rdString;
        return ParseQuoted(line, pos, value.Data);
    }
    if (startsWith("expand:")) {
        value.Type = rdExpandString;
        return ParseQuoted(line, pos, value.Data);
    }
    if (startsWith("dword:")) {
        size_t end = line.find_last_not_of(' ');
        if (end == std::string::npos || end < pos || end - pos + 1 > 8)
            return false;
        uint32_t v = 0;
        for (size_t i = pos; i <= end; ++i) {
            int d = HexDigitValue(line[i]);
            if (d < 0)
                return false;
            v = v * 16 + static_cast<uint32_t>(d);
        }
        value.Type = rdInteger;
        value.Data.assign(4, '\0');
        for (int i = 0; i < 4; ++i)
            value.Data[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return true;
    }
    if (startsWith("hex:")) {
        value.Type = rdBinary;
        return ParseHexBytes(line, pos, value.Data);
    }
    if (startsWith("none:")) {
        value.Type = rdUnknown;
        return ParseHexBytes(line, pos, value.Data);
    }
    return false;
}

TRegistryStore::TPath ParseKeyPath(const std::string& text)
{
    TRegistryStore::TPath path;
    std::string name;
    auto finish = [&] {
        if (!name.empty())
            path.push_back(name);
        name.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '\\') {
            finish();
        } else if (ch == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 && HexDigitValue(text[i + 2]) >= 0) {
            name += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
            i += 2;
        } else {
            name += ch;
        }
    }
    finish();
    return path;
}

std::unique_ptr<TNode> ParseStoreText(const std::string& utf8)
{
    auto tree = std::make_unique<TNode>();
    TNode* current = nullptr;
    size_t start = 0;
    while (start < utf8.size()) {
        size_t end = utf8.find('\n', start);
        if (end == std::string::npos)
            end = utf8.size();
        std::string raw = utf8.substr(start, end - start);
        start = end + 1;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        if (raw.empty() || raw[0] == ';' || raw[0] == '#')
            continue;
        const std::string line = AnsiFromUtf8(raw);
        if (line[0] == '[') {
            current = nullptr;
            if (line.size() >= 2 && line.back() == ']') {
                TRegistryStore::TPath path = ParseKeyPath(line.substr(1, line.size() - 2));
                if (!path.empty())
                    current = &EnsureNode(*tree, path);
            }
            continue;
        }
        if (!current)
            continue;
        std::string name;
        TRegValue value;
        if (ParseValueLine(line, name, value))
            SetNodeValue(*current, name, value);
    }
    return tree;
}

// ---- file system ----

std::string ParentFolder(const std::string& fileName)
{
    size_t slash = fileName.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : fileName.substr(0, slash);
}

bool MakeFolders(const std::string& folder)
{
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    std::string parent = ParentFolder(folder);
    if (parent != folder && parent != "." && !MakeFolders(parent))
        return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string BaseName(const std::string& fileName)
{
    size_t slash = fileName.rfind('/');
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

// Holds the lock file of a store for the life of the object.
class TStoreLock {
public:
    explicit TStoreLock(const std::string& fileName)
    {
        FFd = open((fileName + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (FFd < 0)
            return;
        while (flock(FFd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                close(FFd);
                FFd = -1;
                return;
            }
        }
    }
    ~TStoreLock()
    {
        if (FFd >= 0) {
            flock(FFd, LOCK_UN);
            close(FFd);
        }
    }
    bool Locked() const { return FFd >= 0; }

private:
    int FFd = -1;
};

[[noreturn]] void RaiseWriteError(const std::string& fileName, int err)
{
    throw ERegistryException("Impossible d'enregistrer les paramètres dans \"" + AnsiFromUtf8(fileName) +
                             "\" : " + AnsiFromUtf8(std::strerror(err)) + ".");
}

std::string EnvValue(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

}  // namespace

std::string TRegistryStore::FoldName(const std::string& name)
{
    std::string out = name;
    for (char& ch : out) {
        const auto c = static_cast<uint8_t>(ch);
        if (c >= 'a' && c <= 'z')
            ch = static_cast<char>(c - 32);
        else if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
            ch = static_cast<char>(c - 32);
        else if (c == 0x9A || c == 0x9C || c == 0x9E)
            ch = static_cast<char>(c - 16);
        else if (c == 0xFF)
            ch = static_cast<char>(0x9F);
    }
    return out;
}

TRegistryStore::TRegistryStore(std::string fileName)
    : FFileName(std::move(fileName)), FTree(std::make_unique<TNode>())
{
}

TRegistryStore::~TRegistryStore() = default;

std::string TRegistryStore::DefaultFileName()
{
    std::string dir = EnvValue("ELDRAVIN_CONFIG_DIR");
    if (dir.empty()) {
        std::string base = EnvValue("XDG_CONFIG_HOME");
        if (base.empty() || base[0] != '/') {
            std::string home = EnvValue("HOME");
            if (home.empty())
                if (const passwd* pw = getpwuid(getuid()))
                    home = pw->pw_dir ? pw->pw_dir : "";
            base = home + "/.config";
        }
        dir = base + "/eldravin";
    }
    return dir + "/registry";
}

TRegistryStore& TRegistryStore::Default()
{
    // Kept for the life of the process: a registry object may flush while
    // static objects are being destroyed.
    static std::mutex* mutex = new std::mutex;
    static auto* stores = new std::map<std::string, std::unique_ptr<TRegistryStore>>;
    std::lock_guard<std::mutex> guard(*mutex);
    std::string name = DefaultFileName();
    std::unique_ptr<TRegistryStore>& store = (*stores)[name];
    if (!store)
        store = std::make_unique<TRegistryStore>(name);
    return *store;
}

TRegistryStore::TFileStamp TRegistryStore::Stamp() const
{
    TFileStamp s;
    struct stat st {};
    if (stat(FFileName.c_str(), &st) != 0)
        return s;
    s.Exists = true;
    s.Device = st.st_dev;
    s.Inode = st.st_ino;
    s.Size = static_cast<uint64_t>(st.st_size);
    s.MTimeSec = st.st_mtim.tv_sec;
    s.MTimeNsec = st.st_mtim.tv_nsec;
    return s;
}

bool TRegistryStore::LoadFile(std::unique_ptr<TNode>& tree, TFileStamp& stamp) const
{
    stamp = TFileStamp();
    int fd = open(FFileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)
            return false;
        tree = std::make_unique<TNode>();
        return true;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        close(fd);
        return false;
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            close(fd);
            return false;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    stamp.Exists = true;
    stamp.Device = st.st_dev;
    stamp.Inode = st.st_ino;
    stamp.Size = static_cast<uint64_t>(st.st_size);
    stamp.MTimeSec = st.st_mtim.tv_sec;
    stamp.MTimeNsec = st.st_mtim.tv_nsec;
    tree = ParseStoreText(bytes);
    return true;
}

void TRegistryStore::Apply(TNode& tree, const TChange& change)
{
    switch (change.Kind) {
    case TChangeKind::CreateKey:
        EnsureNode(tree, change.Path);
        break;
    case TChangeKind::DeleteKey: {
        if (change.Path.empty())
            break;
        TPath parentPath(change.Path.begin(), change.Path.end() - 1);
        if (TNode* parent = FindNode(tree, parentPath))
            parent->Keys.erase(FoldName(change.Path.back()));
        break;
    }
    case TChangeKind::SetValue:
        SetNodeValue(EnsureNode(tree, change.Path), change.Name, change.Value);
        break;
    case TChangeKind::DeleteValue:
        if (TNode* node = FindNode(tree, change.Path)) {
            std::string folded = FoldName(change.Name);
            std::erase_if(node->Values, [&](const TNode::TEntry& e) { return e.Folded == folded; });
        }
        break;
    }
}

void TRegistryStore::RefreshLocked()
{
    TFileStamp now = Stamp();
    if (FEverLoaded && now == FLoaded)
        return;
    std::unique_ptr<TNode> tree;
    TFileStamp stamp;
    if (!LoadFile(tree, stamp))
        return;  // unreadable for now: keep what we have and try again next time
    for (const TChange& c : FPending)
        Apply(*tree, c);
    FTree = std::move(tree);
    FLoaded = stamp;
    FEverLoaded = true;
}

bool TRegistryStore::KeyExists(const TPath& path)
{
    std::lock_guard<std::mutex> guard(FMutex);
    RefreshLocked();
    return !path.empty() && FindNode(*FTree, path) != nullptr;
}

void TRegistryStore::CreateKey(const TPath& path)
{
    std::lock_guard<std::mutex> guard(FMutex);
    RefreshLocked();
    if (path.empty() || FindNode(*FTree, path))
        return;
    TChange c{TChangeKind::CreateKey, path, {}, {}};
    Apply(*FTree, c);
    FPending.push_back(std::move(c));
}

bool TRegistryStore::DeleteKey(const TPath& path)
{
    std::lock_guard<std::mutex> guard(FMutex);
    RefreshLocked();
    if (path.size() < 2 || !FindNode(*FTree, path))
        return false;
    TChange c{TChangeKind::DeleteKey, path, {}, {}};
    Apply(*FTree, c);
    FPending.push_back(std::move(c));
    return true;
}

std::vector<std::string> TRegistryStore::KeyNames(const TPath& path)
{
    std::lock_guard<std::mutex> guard(FMutex);
    RefreshLocked();
    std::vector<std::string> names;
    if (TNode* node = FindNode(*FTree, path))
        for (const auto& [folded, child] : node->Keys)
            names.push_back(child->Name);
    return names;
}

std::vector<std::string> TRegistryStore::ValueNames(const TPath& path)
{
    std::lock_guard<std::mutex> guard(FMutex);
    RefreshLocked();
    std::vector<std::string> names;
    if (TNode* node = FindNode(*FTree, path))
        for (const TNode::TEntry& e : node->Values)
            names.push_back(e.Name);
    return names;
}

bool TRegistryStore::GetValue(const TPath& path, const std::string& name, TRegValue& value)
{
    std::lock_guard<std::mutex> guard(FMutex);
    RefreshLocked();
    TNode* node = FindNode(*FTree, path);
    if (!node)
        return false;
    TNode::TEntry* e = node->FindValue(FoldName(name));
    if (!e)
        return false;
    value = e->Value;
    return true;
}

void TRegistryStore::SetValue(const TPath& path, const std::string& name, const TRegValue& value)
{
    std::lock_guard<std::mutex> guard(FMutex);
    RefreshLocked();
    TChange c{TChangeKind::SetValue, path, name, value};
    Apply(*FTree, c);
    FPending.push_back(std::move(c));
}

bool TRegistryStore::DeleteValue(const TPath& path, const std::string& name)
{
    std::lock_guard<std::mutex> guard(FMutex);
    RefreshLocked();
    TNode* node = FindNode(*FTree, path);
    if (!node || !node->FindValue(FoldName(name)))
        return false;
    TChange c{TChangeKind::DeleteValue, path, name, {}};
    Apply(*FTree, c);
    FPending.push_back(std::move(c));
    return true;
}

bool TRegistryStore::HasPendingChanges()
{
    std::lock_guard<std::mutex> guard(FMutex);
    return !FPending.empty();
}

void TRegistryStore::Flush()
{
    std::lock_guard<std::mutex> guard(FMutex);
    if (FPending.empty())
        return;
    const std::string folder = ParentFolder(FFileName);
    if (!MakeFolders(folder))
        RaiseWriteError(FFileName, errno ? errno : ENOTDIR);
    TStoreLock lock(FFileName);
    if (!lock.Locked())
        RaiseWriteError(FFileName, errno);

    // Under the lock no other writer is busy: temporary files left here are
    // those of a writer that died before its rename.
    const std::string tempPrefix = BaseName(FFileName) + ".tmp-";
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* entry = readdir(d))
            if (std::strncmp(entry->d_name, tempPrefix.c_str(), tempPrefix.size()) == 0)
                unlink((folder + "/" + entry->d_name).c_str());
        closedir(d);
    }

    // Start again from the file as it is now, so that values another instance
    // wrote since we read it survive, and replay our own changes on it.
    std::unique_ptr<TNode> tree;
    TFileStamp stamp;
    if (!LoadFile(tree, stamp))
        RaiseWriteError(FFileName, errno);
    for (const TChange& c : FPending)
        Apply(*tree, c);
    const std::string text = StoreText(*tree);

    std::string temp = FFileName + ".tmp-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0)
        RaiseWriteError(FFileName, errno);
    bool ok = WriteAll(fd, text) && fsync(fd) == 0;
    int err = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && BeforeReplace)
        BeforeReplace();
    if (ok && rename(temp.c_str(), FFileName.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        RaiseWriteError(FFileName, err);
    }
    // Make the rename itself durable.
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }

    FTree = std::move(tree);
    FLoaded = Stamp();
    FEverLoaded = true;
    FPending.clear();
}
