#include "proofing/SpellCheckDrvAPI.h"

#include "foundation/MessageDlg.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/StringList.h"

namespace {

HSPELLMODULE Module = 0;
TSpellEngineEntries Entries;
std::string ProgramFolderOverride;

template <typename T>
void Bind(T& slot, const char* name)
{
    slot = reinterpret_cast<T>(GetSpellEngineProcAddress(Module, name));
}

std::array<uint8_t, 256> MakeCzechTable(bool toEngine)
{
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    const uint8_t text[5] = {0x9E, 0x8E, 0x9D, 0x8A, 0x9A};
    const uint8_t engine[5] = {0xEE, 0xCE, 0xE7, 0xC6, 0xE6};
    for (int i = 0; i < 5; ++i) {
        if (toEngine)
            t[text[i]] = engine[i];
        else
            t[engine[i]] = text[i];
    }
    return t;
}

}  // namespace

bool TSpellEngineEntries::Complete() const
{
    return OpenSession && CloseSession && SetOption && OpenLex && CreateLex && CloseLex && GetLex && AddToLex &&
           DelFromLex && CheckWord && Suggest && Version;
}

HSPELLMODULE SpellEngineModule()
{
    return Module;
}

const TSpellEngineEntries& SpellEngine()
{
    return Entries;
}

bool LoadSpellEngine(const std::string& descriptionFile)
{
    if (Module != 0)
        return true;
    const std::string library =
        ResolveSpellFile(descriptionFile, SpellEngineLibraryName, "Bin/");
    Module = LoadSpellEngineLibrary(library);
    if (Module == 0) {
        ShowError(std::string("Impossible de charger le moteur de vérification orthographique \"") +
                  SpellEngineLibraryName + "\".");
        return false;
    }
    Bind(Entries.OpenSession, "SSCE_OpenSession");
    Bind(Entries.CloseSession, "SSCE_CloseSession");
    Bind(Entries.SetOption, "SSCE_SetOption");
    Bind(Entries.OpenLex, "SSCE_OpenLex");
    Bind(Entries.CreateLex, "SSCE_CreateLex");
    Bind(Entries.CloseLex, "SSCE_CloseLex");
    Bind(Entries.GetLex, "SSCE_GetLex");
    Bind(Entries.AddToLex, "SSCE_AddToLex");
    Bind(Entries.DelFromLex, "SSCE_DelFromLex");
    Bind(Entries.CheckWord, "SSCE_CheckWord");
    Bind(Entries.Suggest, "SSCE_Suggest");
    Bind(Entries.Version, "SSCE_Version");
    Bind(Entries.SetLexFileCodeMap, "SSCE_SetLexFileCodeMap");
    return true;
}

void FreeSpellEngine()
{
    if (Module != 0)
        FreeSpellEngineLibrary(Module);
    Module = 0;
    Entries = TSpellEngineEntries();
}

std::string ResolveSpellFile(const std::string& reference, const std::string& name, const std::string& subfolder)
{
    std::string n = name;
    for (char& c : n)
        if (c == '\\')
            c = '/';
    if (n.find('/') != std::string::npos && FileExists(n))
        return n;
    std::string sub = subfolder;
    for (char& c : sub)
        if (c == '\\')
            c = '/';
    std::string ref = reference;
    for (char& c : ref)
        if (c == '\\')
            c = '/';
    return ExtractFilePath(ref) + sub + ExtractFileName(n);
}

std::string SpellProgramFolder()
{
    const std::string base = ProgramFolderOverride.empty() ? GetProgramFolder() : ProgramFolderOverride;
    return IncludeTrailingPathDelimiter(base) + "Orthographe/";
}

std::string SpellUserFolder()
{
    return IncludeTrailingPathDelimiter(GetUserFolder(TUserFolder::ufData)) + "eldravin/Orthographe/";
}

void SetSpellProgramFolder(const std::string& folder)
{
    ProgramFolderOverride = folder;
}

const std::array<uint8_t, 256>& CzechToEngineTable()
{
    static const std::array<uint8_t, 256> table = MakeCzechTable(true);
    return table;
}

const std::array<uint8_t, 256>& CzechFromEngineTable()
{
    static const std::array<uint8_t, 256> table = MakeCzechTable(false);
    return table;
}

void ConvertToEngine(std::string& text)
{
    for (char& c : text)
        c = static_cast<char>(CzechToEngineTable()[static_cast<uint8_t>(c)]);
}

void ConvertFromEngine(std::string& text)
{
    ConvertFromEngine(text.data(), text.size());
}

void ConvertFromEngine(char* buffer, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        buffer[i] = static_cast<char>(CzechFromEngineTable()[static_cast<uint8_t>(buffer[i])]);
}

bool IsBinaryLexiconData(const std::string& bytes)
{
    const size_t n = std::min<size_t>(bytes.size(), 128);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t c = static_cast<uint8_t>(bytes[i]);
        if (c < 32 && c != 9 && c != 10 && c != 13)
            return true;
    }
    return false;
}

std::string LexiconBufferToText(const char* buffer, size_t size)
{
    // The listing ends at its first pair of zero bytes.
    size_t end = 0;
    while (end < size && !(buffer[end] == '\0' && (end + 1 >= size || buffer[end + 1] == '\0')))
        ++end;
    if (end == 0)
        return "";
    std::string out;
    for (size_t i = 0; i < end; ++i) {
        const char c = buffer[i];
        if (c == '\t') {
            ++i;  // the action
            if (i + 1 < end && buffer[i + 1] != '\0')
                out += "   --->   ";
        } else if (c == '\0') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

void FillListFromBuffer(const char* buffer, size_t size, TStrings& lines)
{
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        if (buffer[i] == '\0') {
            if (i + 1 >= size || buffer[i + 1] == '\0')
                break;
            text += "\r\n";
        } else {
            text += buffer[i];
        }
    }
    if (text.empty() && size > 0 && buffer[0] == '\0')
        lines.Clear();
    else
        lines.SetText(text);
}

std::string GetSpellEngineVersionText()
{
    char version[1024] = {};
    if (Entries.Version)
        Entries.Version(version, sizeof version);
    return std::string("Sentry Spelling-Checker Engine (SSCE)\r\nVersion ") + version +
           "\r\nWintertree Software Inc., 2000";
}
