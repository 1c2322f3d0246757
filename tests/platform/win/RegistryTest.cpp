#include "platform/win/Registry.h"
#include "platform/runtime/StringList.h"
#include "platform/testing/Testing.h"

#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string StoreFile(const std::string& name)
{
    return MakeTestDir(name) + "/registry";
}

std::string AllBytes()
{
    std::string s;
    for (int b = 0; b < 256; ++b)
        s += static_cast<char>(b);
    return s;
}

}  // namespace

TEST(Registry, TypedValuesReadBackAfterRestart)
{
    const std::string file = StoreFile("typed");
    const std::string tricky = std::string("guillemets \"x\", barre \\, ligne\r\nsuivante, tab\t, é€œ\x81 nul:") +
                               std::string(1, '\0') + "fin";
    const std::string binary = AllBytes();
    {
        TRegistryStore store(file);
        TRegistry reg(store);
        ASSERT_TRUE(reg.OpenKey("\\Software\\Corvel Softworks, Inc.\\Eldravin.1_x\\Général", true));
        reg.WriteString("Texte", tricky);
        reg.WriteString("Vide", "");
        reg.WriteString("", "valeur par défaut");
        reg.WriteExpandString("Chemin", "%HOME%\\docs");
        reg.WriteInteger("Négatif", INT_MIN);
        reg.WriteInteger("Max", INT_MAX);
        reg.WriteBool("Oui", true);
        reg.WriteBinaryData("Bloc", binary.data(), static_cast<int32_t>(binary.size()));
        reg.WriteBinaryData("BlocVide", nullptr, 0);
        reg.Flush();
        EXPECT_FALSE(store.HasPendingChanges());
    }
    // A new store object on the same file is the program started again.
    TRegistryStore store(file);
    TRegistry reg(store);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Corvel Softworks, Inc.\\Eldravin.1_x\\GÉNÉRAL", false));
    EXPECT_EQ(reg.ReadString("texte"), tricky);
    EXPECT_EQ(reg.ReadString("Vide"), "");
    EXPECT_TRUE(reg.ValueExists("Vide"));
    EXPECT_EQ(reg.ReadString(""), "valeur par défaut");
    EXPECT_EQ(reg.ReadString("Chemin"), "%HOME%\\docs");
    EXPECT_EQ(reg.GetDataType("Chemin"), rdExpandString);
    EXPECT_EQ(reg.ReadInteger("NÉGATIF"), INT_MIN);
    EXPECT_EQ(reg.ReadInteger("Max"), INT_MAX);
    EXPECT_TRUE(reg.ReadBool("Oui"));
    std::string back(300, 'x');
    EXPECT_EQ(reg.ReadBinaryData("Bloc", back.data(), 300), 256);
    EXPECT_EQ(back.substr(0, 256), binary);
    EXPECT_EQ(back.substr(256), std::string(44, '\0'));  // the rest of the buffer is cleared
    EXPECT_EQ(reg.GetDataSize("BlocVide"), 0);
    EXPECT_EQ(reg.GetDataType("BlocVide"), rdBinary);

    EXPECT_EQ(reg.GetDataSize("Texte"), static_cast<int32_t>(tricky.size() + 1));
    EXPECT_EQ(reg.GetDataSize("Max"), 4);
    EXPECT_EQ(reg.GetDataSize("Absent"), -1);
    EXPECT_EQ(reg.GetDataType("Absent"), rdUnknown);
    const std::vector<std::string> names = reg.GetValueNames();
    const std::vector<std::string> expected = {"Texte", "Vide", "", "Chemin", "Négatif",
                                               "Max",   "Oui",  "Bloc", "BlocVide"};
    EXPECT_EQ(names, expected);
}

TEST(Registry, KeysOpenRelativeOrFromTheRootAndDeleteWithTheirSubtree)
{
    TRegistryStore store(StoreFile("keys"));
    TRegistry reg(store);
    EXPECT_FALSE(reg.OpenKey("Software\\Absent", false));
    EXPECT_FALSE(reg.HasCurrentKey());
    ASSERT_TRUE(reg.OpenKey("Software\\App", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\App");
    // Relative to the current key.
    ASSERT_TRUE(reg.OpenKey("Zeta", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\App\\Zeta");
    reg.WriteInteger("v", 1);
    ASSERT_TRUE(reg.OpenKey("\\Software\\App\\alpha\\deep", true));
    reg.WriteInteger("v", 2);
    ASSERT_TRUE(reg.OpenKey("\\Software\\App\\Mid", true));
    ASSERT_TRUE(reg.OpenKey("\\Software\\App", false));
    EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string>{"alpha", "Mid", "Zeta"}));  // sorted ignoring case
    EXPECT_TRUE(reg.HasSubKeys());
    TStringList list;
    list.Add("ancien");
    reg.GetKeyNames(list);
    EXPECT_EQ(list.CommaText(), "alpha,Mid,Zeta");
    EXPECT_TRUE(reg.KeyExists("ALPHA\\Deep"));
    EXPECT_TRUE(reg.KeyExists("\\software\\app\\zeta"));
    EXPECT_FALSE(reg.KeyExists("Deep"));

    // The other roots are separate trees.
    {
        TRegistry machine(store);
        machine.SetRootKey(HKEY_LOCAL_MACHINE);
        EXPECT_FALSE(machine.KeyExists("\\Software\\App"));
        ASSERT_TRUE(machine.OpenKey("\\Software\\App", true));
        machine.WriteString("Install", "oui");
    }
    EXPECT_FALSE(reg.ValueExists("Install"));

    EXPECT_TRUE(reg.DeleteKey("alpha"));
    EXPECT_FALSE(reg.KeyExists("alpha\\deep"));
    EXPECT_FALSE(reg.DeleteKey("alpha"));
    EXPECT_FALSE(reg.DeleteKey("\\Software\\App\\Nothing"));
    ASSERT_TRUE(reg.OpenKey("Zeta", false));
    EXPECT_TRUE(reg.DeleteValue("V"));
    EXPECT_FALSE(reg.DeleteValue("v"));
    EXPECT_FALSE(reg.HasSubKeys());
    reg.Flush();

    TRegistryStore again(store.FileName());
    TRegistry check(again);
    EXPECT_TRUE(check.KeyExists("\\Software\\App\\Mid"));  // an empty key is kept
    EXPECT_FALSE(check.KeyExists("\\Software\\App\\alpha"));
    ASSERT_TRUE(check.OpenKey("\\Software\\App\\Zeta", false));
    EXPECT_TRUE(check.GetValueNames().empty());
    check.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(check.OpenKeyReadOnly("\\Software\\App"));
    EXPECT_EQ(check.ReadString("Install"), "oui");
    EXPECT_THROW(check.WriteString("Install", "non"), ERegistryException);
}

TEST(Registry, TypeMismatchesAndMissingValuesFollowTheRegistryRules)
{
    TRegistryStore store(StoreFile("types"));
    TRegistry reg(store);
    EXPECT_THROW(reg.WriteInteger("x", 1), ERegistryException);  // no current key
    EXPECT_EQ(reg.ReadString("x"), "");
    ASSERT_TRUE(reg.OpenKey("\\K", true));
    reg.WriteString("Texte", "12");
    reg.WriteInteger("Nombre", 12);
    const char bytes[3] = {1, 2, 3};
    reg.WriteBinaryData("Bloc", bytes, 3);

    EXPECT_EQ(reg.ReadString("Absent"), "");
    EXPECT_THROW(reg.ReadInteger("Absent"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("Texte"), ERegistryException);
    EXPECT_THROW(reg.ReadString("Nombre"), ERegistryException);
    EXPECT_THROW(reg.ReadBool("Bloc"), ERegistryException);
    char small[2];
    EXPECT_THROW(reg.ReadBinaryData("Bloc", small, 2), ERegistryException);
    EXPECT_THROW(reg.ReadBinaryData("Texte", small, 2), ERegistryException);
    EXPECT_EQ(reg.ReadBinaryData("Absent", small, 2), 0);

    // A value rewritten with another type takes the new type.
    reg.WriteInteger("Texte", 5);
    EXPECT_EQ(reg.GetDataType("Texte"), rdInteger);
    EXPECT_EQ(reg.ReadInteger("Texte"), 5);
}

TEST(Registry, TheFileIsReadableTextAndDamagedLinesAreSkipped)
{
    const std::string file = StoreFile("text");
    WriteTestFile(file,
                  "; written by hand\n"
                  "[HKEY_CURRENT_USER\\Software\\App]\r\n"
                  "\"Nom\"=\"Fran\xC3\xA7ois \\\"le grand\\\"\"\n"
                  "\"Nombre\"=dword:0000002a\n"
                  "\"Cassé\"=dword:xyz\n"
                  "n'importe quoi\n"
                  "\"Bloc\"=hex:0a,FF\n"
                  "\"Fin\"=\"non fermé\n"
                  "[HKEY_CURRENT_USER\\Software\\App\\Sous%0Acl\xC3\xA9]\n"
                  "@=\"d\\x09\xC3\xA9" "faut\"\n"
                  "[non fermé\n"
                  "\"Perdu\"=\"hors de toute clé\"\n");
    TRegistryStore store(file);
    TRegistry reg(store);
    ASSERT_TRUE(reg.OpenKey("\\Software\\App", false));
    EXPECT_EQ(reg.ReadString("Nom"), "François \"le grand\"");
    EXPECT_EQ(reg.ReadInteger("Nombre"), 42);
    EXPECT_FALSE(reg.ValueExists("Cassé"));
    EXPECT_FALSE(reg.ValueExists("Fin"));
    char b[2];
    EXPECT_EQ(reg.ReadBinaryData("Bloc", b, 2), 2);
    EXPECT_EQ(static_cast<uint8_t>(b[1]), 0xFF);
    EXPECT_EQ(reg.GetValueNames(), (std::vector<std::string>{"Nom", "Nombre", "Bloc"}));
    ASSERT_TRUE(reg.OpenKey("Sous\nclé", false));
    EXPECT_EQ(reg.ReadString(""), "d\téfaut");
    EXPECT_FALSE(reg.KeyExists("\\Perdu"));

    // Written back, the text keeps one line per value and survives another round.
    reg.WriteString("Ajout", "é");
    reg.Flush();
    const std::string text = ReadTestFile(file);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\App\\Sous%0acl\xC3\xA9]\n@=\"d\\x09\xC3\xA9" "faut\"\n"
                        "\"Ajout\"=\"\xC3\xA9\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\"Nombre\"=dword:0000002a\n"), std::string::npos);
}

TEST(Registry, TwoInstancesWritingAtOnceLoseNothing)
{
    const std::string file = StoreFile("two");
    TRegistryStore first(file), second(file);
    TRegistry a(first), b(second);
    ASSERT_TRUE(a.OpenKey("\\App\\General", true));
    ASSERT_TRUE(b.OpenKey("\\App\\General", true));
    a.WriteString("FromA", "a");
    b.WriteString("FromB", "b");
    b.WriteInteger("Shared", 2);
    a.WriteInteger("Shared", 1);
    a.Flush();
    // The second instance sees the first one's values as soon as they are written,
    // with its own unwritten changes still on top.
    EXPECT_EQ(b.ReadString("FromA"), "a");
    EXPECT_EQ(b.ReadInteger("Shared"), 2);
    b.Flush();
    EXPECT_EQ(a.ReadString("FromB"), "b");
    EXPECT_EQ(a.ReadInteger("Shared"), 2);  // the last writer wins for the same value

    // A deletion by one instance and a write by the other, in other keys.
    ASSERT_TRUE(a.OpenKey("\\App\\Old", true));
    a.WriteInteger("x", 1);
    a.Flush();
    EXPECT_TRUE(b.DeleteKey("\\App\\Old"));
    a.OpenKey("\\App\\New", true);
    a.WriteInteger("y", 1);
    b.Flush();
    a.Flush();

    TRegistryStore fresh(file);
    TRegistry check(fresh);
    ASSERT_TRUE(check.OpenKey("\\App\\General", false));
    EXPECT_EQ(check.ReadString("FromA"), "a");
    EXPECT_EQ(check.ReadString("FromB"), "b");
    EXPECT_FALSE(check.KeyExists("\\App\\Old"));
    EXPECT_TRUE(check.KeyExists("\\App\\New"));
}

TEST(Registry, ConcurrentProcessesKeepEveryValue)
{
    const std::string file = StoreFile("processes");
    constexpr int kWriters = 3, kValues = 40;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int rc = 0;
            try {
                TRegistryStore store(file);
                TRegistry reg(store);
                reg.OpenKey("\\App\\Writer" + std::to_string(w), true);
                for (int i = 0; i < kValues; ++i) {
                    reg.WriteInteger("v" + std::to_string(i), w * 1000 + i);
                    reg.Flush();
                }
            } catch (...) {
                rc = 1;
            }
            _exit(rc);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    TRegistryStore store(file);
    TRegistry reg(store);
    for (int w = 0; w < kWriters; ++w) {
        ASSERT_TRUE(reg.OpenKey("\\App\\Writer" + std::to_string(w), false));
        for (int i = 0; i < kValues; ++i)
            EXPECT_EQ(reg.ReadInteger("v" + std::to_string(i)), w * 1000 + i);
    }
}

namespace {

constexpr int kBlobSize = 200000;
const char* const kCounterKeys[3] = {"\\App\\A", "\\App\\B", "\\App\\C"};

// The child of the kill test: writes the three counters and a large block in
// one flush per round, reports each finished write on the pipe and, when
// stopInside is set, stops inside its fifth write, just before the new file
// replaces the old one. Never returns.
[[noreturn]] void RunWriter(const std::string& file, int base, int reportFd, bool stopInside)
{
    TRegistryStore store(file);
    TRegistry reg(store);
    for (int i = 1;; ++i) {
        if (stopInside && i == 5) {
            store.BeforeReplace = [reportFd] {
                const char inside = 2;
                if (write(reportFd, &inside, 1) != 1)
                    _exit(1);
                for (;;)
                    pause();
            };
        }
        const std::string blob(kBlobSize, static_cast<char>(i & 0xFF));
        for (const char* key : kCounterKeys) {
            reg.OpenKey(key, true);
            reg.WriteInteger("Counter", base + i);
        }
        reg.WriteBinaryData("Blob", blob.data(), kBlobSize);
        reg.Flush();
        const char done = 1;
        if (write(reportFd, &done, 1) != 1)
            _exit(1);
    }
}

// Reads the store as the next start of the program would: the three counters
// must come from one complete write, and the block from that same write.
// Returns the write's number. The file is copied first, so that one version
// of it is read even while a writer keeps replacing it.
int CheckConsistent(const std::string& file, int base)
{
    const std::string snapshot = MakeTestDir("snapshot") + "/registry";
    fs::copy_file(file, snapshot);
    TRegistryStore store(snapshot);
    TRegistry reg(store);
    int32_t counters[3];
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(reg.OpenKey(kCounterKeys[k], false));
        counters[k] = reg.ReadInteger("Counter");
    }
    EXPECT_EQ(counters[0], counters[1]);
    EXPECT_EQ(counters[1], counters[2]);
    const int i = counters[0] - base;
    std::string blob(kBlobSize, '\0');
    EXPECT_EQ(reg.ReadBinaryData("Blob", blob.data(), kBlobSize), kBlobSize);
    EXPECT_TRUE(blob == std::string(kBlobSize, static_cast<char>(i & 0xFF))) << "block of write " << i;
    return i;
}

}  // namespace

TEST(Registry, AWriterKilledMidWriteLeavesTheOldOrTheNewStore)
{
    const std::string file = StoreFile("kill");
    const std::string folder = fs::path(file).parent_path().string();
    // Rounds 0 and 1 kill the writer inside a write, after its new file is
    // complete but before it replaces the old one; round 2 kills it wherever it
    // happens to be while this process keeps reading the store.
    for (int round = 0; round < 3; ++round) {
        const int base = round * 100000;
        const bool stopInside = round < 2;
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(pipeFds[0]);
            RunWriter(file, base, pipeFds[1], stopInside);
        }
        close(pipeFds[1]);
        int finished = 0;
        for (;;) {
            char c = 0;
            ASSERT_EQ(read(pipeFds[0], &c, 1), 1);
            if (c == 2)
                break;  // stopped inside its fifth write
            if (++finished == 4 && !stopInside) {
                // Readers never see a broken store while the writer goes on.
                for (int j = 0; j < 5; ++j)
                    EXPECT_GE(CheckConsistent(file, base), 4);
                break;
            }
        }
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        close(pipeFds[0]);

        if (stopInside) {
            bool tempLeft = false;
            for (const auto& entry : fs::directory_iterator(folder))
                tempLeft |= entry.path().filename().string().rfind("registry.tmp-", 0) == 0;
            EXPECT_TRUE(tempLeft) << "the writer was stopped inside its write";
            EXPECT_EQ(CheckConsistent(file, base), 4) << "round " << round;  // the old store, whole
        } else {
            EXPECT_GE(CheckConsistent(file, base), 4) << "round " << round;
        }

        // The lock died with the writer: this process can write, and the dead
        // writer's temporary file is cleared away.
        TRegistryStore store(file);
        TRegistry reg(store);
        ASSERT_TRUE(reg.OpenKey("\\App\\After", true));
        reg.WriteInteger("Round", round);
        reg.Flush();
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_NE(entry.path().filename().string().rfind("registry.tmp-", 0), 0u) << entry.path();
        CheckConsistent(file, base);
    }
}

TEST(Registry, TheDefaultStoreLivesInTheConfigurationFolder)
{
    const char* saved = std::getenv("ELDRAVIN_CONFIG_DIR");
    const std::string config = saved ? saved : "";
    EXPECT_EQ(TRegistryStore::DefaultFileName(), config + "/registry");
    const std::string xdg = MakeTestDir("xdg");
    setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
    unsetenv("ELDRAVIN_CONFIG_DIR");
    EXPECT_EQ(TRegistryStore::DefaultFileName(), xdg + "/eldravin/registry");
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\Software\\Test", true));
        reg.WriteString("Dossier", "xdg");
    }
    EXPECT_TRUE(fs::exists(xdg + "/eldravin/registry"));
    setenv("ELDRAVIN_CONFIG_DIR", config.c_str(), 1);
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\Software\\Test"));
}
