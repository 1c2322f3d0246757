#include "proofing/SpellCheckSystem.h"

#include "foundation/MessageDlg.h"
#include "foundation/Paths.h"
#include "foundation/TextTables.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "foundation/settings/IniFile.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SysUtils.h"
#include "proofing/AutocorrectLangOptions.h"
#include "proofing/SpellCheckDrvAPI.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

namespace {

std::unique_ptr<TSC_Settings> Settings;
TSpellChecksInvalidator Invalidator = nullptr;

void InvalidateChecks()
{
    if (Invalidator)
        Invalidator();
}

constexpr uint8_t CompressedLexiconSignature[4] = {0x01, 0x4C, 0xE5, 0xBF};

std::string ReadFileBytes(const std::string& fileName)
{
    std::string bytes;
    THandle h = FileOpen(fileName, fmOpenRead | fmShareDenyWrite);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    const int64_t size = FileGetSize(h);
    if (size > 0 && size < (int64_t(1) << 30)) {
        bytes.resize(static_cast<size_t>(size));
        if (FileRead(h, bytes.data(), static_cast<int32_t>(size)) != static_cast<int32_t>(size))
            bytes.clear();
    }
    FileClose(h);
    return bytes;
}

bool WriteFileBytes(const std::string& fileName, const std::string& bytes)
{
    THandle h = FileCreate(fileName);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = FileWrite(h, bytes.data(), static_cast<int32_t>(bytes.size())) ==
                    static_cast<int32_t>(bytes.size());
    FileClose(h);
    return ok;
}

bool StartsWithSignature(const std::string& fileName)
{
    THandle h = FileOpen(fileName, fmOpenRead | fmShareDenyWrite);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    uint8_t head[4] = {};
    const bool ok = FileRead(h, head, 4) == 4 && std::equal(head, head + 4, CompressedLexiconSignature);
    FileClose(h);
    return ok;
}

// Inflates the zlib stream after the signature into the target, in pieces of
// 16,384 bytes. False when the stream is damaged or the target cannot be written.
bool InflateLexicon(const std::string& source, const std::string& target)
{
    const std::string bytes = ReadFileBytes(source);
    if (bytes.size() < 4)
        return false;
    THandle out = FileCreate(target);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    z_stream z{};
    bool ok = inflateInit(&z) == Z_OK;
    if (ok) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + 4));
        z.avail_in = static_cast<uInt>(bytes.size() - 4);
        unsigned char piece[16384];
        int rc = Z_OK;
        while (ok && rc != Z_STREAM_END) {
            z.next_out = piece;
            z.avail_out = sizeof piece;
            rc = inflate(&z, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END) {
                ok = false;
                break;
            }
            const int32_t n = static_cast<int32_t>(sizeof piece - z.avail_out);
            if (n > 0 && FileWrite(out, piece, n) != n)
                ok = false;
            if (rc == Z_OK && n == 0 && z.avail_in == 0)
                ok = false;  // the stream ends before its end mark
        }
        inflateEnd(&z);
    }
    FileClose(out);
    return ok;
}

bool InFolder(const std::string& path, const std::string& folder)
{
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0;
}

std::string Slashed(std::string s)
{
    for (char& c : s)
        if (c == '\\')
            c = '/';
    return s;
}

}  // namespace

TSC_SpellCheckSystemSettings& ProgramSpellSettings()
{
    static TSC_SpellCheckSystemSettings settings;
    return settings;
}

void TSC_Settings::SetSystemsText(const std::string& text)
{
    Systems.Clear();
    size_t pos = 0;
    while (true) {
        const size_t end = text.find(';', pos);
        Systems.Add(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        if (end == std::string::npos)
            break;
        pos = end + 1;
    }
    for (int32_t i = Systems.Count() - 1; i >= 0; --i) {
        bool drop = Systems.Strings(i).empty();
        for (int32_t j = 0; j < i && !drop; ++j)
            drop = SameText(Systems.Strings(j), Systems.Strings(i));
        if (drop)
            Systems.Delete(i);
    }
}

std::string TSC_Settings::SystemsText() const
{
    std::string text;
    for (int32_t i = 0; i < Systems.Count(); ++i)
        text += (i ? ";" : "") + Systems.Strings(i);
    return text;
}

void CreateSpellSettings()
{
    if (!Settings)
        Settings = std::make_unique<TSC_Settings>();
}

void FreeSpellGlobals()
{
    Settings.reset();
    FreeSpellEngine();
}

TSC_Settings* GetSpellSettings()
{
    return Settings.get();
}

TSpellChecksInvalidator SetSpellChecksInvalidator(TSpellChecksInvalidator invalidator)
{
    std::swap(Invalidator, invalidator);
    return invalidator;
}

// ---------------------------------------------------------------------------

TSpellCheckSystem::TSpellCheckSystem(const std::string& name) : DescriptionPath(name) {}

TSpellCheckSystem::~TSpellCheckSystem()
{
    try {
        Stop();
        if (Modified && Loaded && !HasSwitch(clsDontSaveSettings))
            SaveDescription();
    } catch (const Exception& e) {
        // A description that cannot be written is reported; the program ends anyway.
        try {
            ShowError(e.Message());
        } catch (...) {
        }
    }
    if (!IgnoreFileName.empty())
        DeleteFile(IgnoreFileName);
}

bool TSpellCheckSystem::LoadSettings(bool report, TSettingsStorage* store)
{
    // A description the user changed is read from the user's folder first.
    const std::string name = Slashed(DescriptionPath);
    std::string path;
    if (name.find('/') != std::string::npos && FileExists(name))
        path = name;
    else if (FileExists(SpellUserFolder() + ExtractFileName(name)))
        path = SpellUserFolder() + ExtractFileName(name);
    else
        path = ResolveSpellFile(SpellProgramFolder(), name, "");
    DescriptionPath = path;
    if (!FileExists(path)) {
        if (report)
            ShowError("Impossible d'ouvrir le fichier \"" + path + "\".");
        return false;
    }
    try {
        TIniFile ini(path, false);
        ini.OpenKey("General");
        const int32_t language = ini.ReadInteger("Language", INT32_MIN, 0, INT32_MAX);
        const std::string description = ini.ReadString("Description", "");
        TStringList fixed, editable;
        const std::pair<const char*, TStringList*> sections[] = {{"Fixed Lexicons", &fixed},
                                                                 {"Editable Lexicons", &editable}};
        for (const auto& [section, list] : sections) {
            ini.OpenKey(section);
            const int32_t count = ini.ReadInteger("Count", 0, 0, 1000);
            for (int32_t i = 1; i <= count; ++i)
                list->AddObject(ini.ReadString("Lexicon" + std::to_string(i), ""), ObjectFromInt(-1));
        }
        Language = language;
        Description = description;
        FixedLexicons.Assign(fixed);
        EditableLexicons.Assign(editable);
        if (store) {
            store->OpenKey("SpellCheck\\" + std::to_string(PrimaryLanguage()));
            Flags = store->ReadInteger("Flags", 0, 0x7FFFFFFF, 0x7FFFFFFF);
        }
    } catch (const Exception&) {
        return false;
    }
    Loaded = true;
    Modified = false;
    return true;
}

void TSpellCheckSystem::SaveDescription()
{
    const std::string userFolder = SpellUserFolder();
    const std::string target = InFolder(DescriptionPath, userFolder)
                                   ? DescriptionPath
                                   : userFolder + ExtractFileName(Slashed(DescriptionPath));
    if (!ForceDirectories(ExcludeTrailingPathDelimiter(userFolder)))
        throw EInOutError("Impossible de créer le dossier \"" + userFolder + "\".", 0);
    {
        TIniFile ini(target, true);
        ini.OpenKey("General");
        ini.WriteInteger("Language", Language);
        ini.WriteString("Description", Description);
        const std::pair<const char*, TStringList*> sections[] = {{"Fixed Lexicons", &FixedLexicons},
                                                                 {"Editable Lexicons", &EditableLexicons}};
        for (const auto& [section, list] : sections) {
            ini.OpenKey(section);
            ini.WriteInteger("Count", list->Count());
            for (int32_t i = 0; i < list->Count(); ++i)
                ini.WriteString("Lexicon" + std::to_string(i + 1), list->Strings(i));
        }
        ini.Flush();
    }
    DescriptionPath = target;
    Modified = false;
}

void TSpellCheckSystem::SaveFlags(TSettingsStorage& store)
{
    if (!Loaded)
        return;
    store.OpenKey("SpellCheck\\" + std::to_string(PrimaryLanguage()));
    store.WriteInteger("Flags", Flags);
}

// ---------------------------------------------------------------------------
// Session

void TSpellCheckSystem::StartSession()
{
    Stop();
    if (!Loaded)
        LoadSettings(true);
    if (!Loaded || !LoadSpellEngine(DescriptionPath))
        return;
    bool ok = false;
    Running = true;
    // An engine without all its entry points cannot hold a session.
    if (SpellEngine().Complete() && OpenSession() >= 0) {
        TSC_SpellCheckSystemSettings settings = ProgramSpellSettings();
        settings.Flags &= static_cast<uint16_t>(~scIgnoreMixedCase);
        ApplyOptions(settings);
        for (int32_t i = 0; i < FixedLexicons.Count();)
            i += OpenListedLexicon(FixedLexicons, i, false) ? 1 : 0;
        for (int32_t i = 0; i < EditableLexicons.Count();)
            i += OpenListedLexicon(EditableLexicons, i, true) ? 1 : 0;
        LoadExceptionWords();
        ok = true;
    }
    if (!ok) {
        Stop();
        ShowError(std::string("Impossible de charger le moteur de vérification orthographique \"") +
                  SpellEngineLibraryName + "\".");
    }
}

void TSpellCheckSystem::Stop()
{
    if (!Running)
        return;
    if (SessionId >= 0)
        CloseSession();
    SessionId = -1;
    for (int32_t i = 0; i < TempFiles.Count(); ++i)
        DeleteFile(TempFiles.Strings(i));
    for (TStringList* list : {&FixedLexicons, &EditableLexicons})
        for (int32_t i = 0; i < list->Count(); ++i)
            list->SetObjects(i, ObjectFromInt(-1));
    ReplaceAllLexId = -1;
    IgnoreLexId = -1;
    ExceptionLexId = -1;
    AcceptedCache.clear();
    MisspelledCache.clear();
    Running = false;
}

void TSpellCheckSystem::Restart()
{
    if (!Running)
        return;
    const bool hadIgnored = IgnoreLexId >= 0 && !IgnoreFileName.empty();
    StartSession();
    if (hadIgnored && Running)
        IgnoreLexId = OpenLexicon(IgnoreFileName);
    AcceptedCache.clear();
    MisspelledCache.clear();
}

// ---------------------------------------------------------------------------
// Engine wrappers

SSCE_S16 TSpellCheckSystem::OpenSession()
{
    SessionId = SpellEngine().OpenSession();
    return SessionId;
}

SSCE_S16 TSpellCheckSystem::CloseSession()
{
    const SSCE_S16 result = SpellEngine().CloseSession(SessionId);
    // Lexicon files were converted in memory only: closing leaves them as they are.
    const int32_t session = SessionId;
    std::erase_if(OpenLexRecords, [session](const TOpenLexRecord& r) { return (r.Key >> 16) == session; });
    return result;
}

void TSpellCheckSystem::ApplyOptions(const TSC_SpellCheckSystemSettings& settings)
{
    EngineSettings = settings;
    const uint16_t f = settings.Flags;
    const std::pair<SSCE_U32, uint32_t> options[] = {
        {0x1, f & scIgnoreCapitalized},   {0x8, f & scIgnoreAllCaps},       {0x4, f & scIgnoreDigits},
        {0x2, 0},                         {0x200, f & scRespectCase},       {0x400, 0},
        {0x800, 0},                       {0x1000, 0},                      {0x2000, f & scSuggestSplitWords},
        {0x20, f & scIgnoreMixedCase},    {0x40, f & scIgnoreDigits},
    };
    for (const auto& [id, value] : options)
        SpellEngine().SetOption(SessionId, id, value ? 1 : 0);
}

SSCE_S16 TSpellCheckSystem::OpenLexicon(const std::string& fileName)
{
    const SSCE_S16 result = SpellEngine().OpenLex(SessionId, fileName.c_str(), 0);
    if (result < 0)
        return result;
    OpenLexRecords.push_back({fileName, (int32_t(SessionId) << 16) + result});
    // A Czech text lexicon is read through the engine's code page in memory; its
    // file keeps the bytes it has, and only entries added later are converted
    // for it. Binary lexicons are never converted.
    if (IsCzech() && SpellEngine().SetLexFileCodeMap && !IsBinaryLexiconData(ReadFileBytes(fileName)))
        SpellEngine().SetLexFileCodeMap(SessionId, result, CzechToEngineTable().data(),
                                        CzechFromEngineTable().data());
    return result;
}

SSCE_S16 TSpellCheckSystem::CreateLexicon(const std::string& fileName)
{
    return SpellEngine().CreateLex(SessionId, fileName.c_str(), ProgramLexiconLanguage);
}

SSCE_S16 TSpellCheckSystem::CreateMemoryLexicon()
{
    return SpellEngine().CreateLex(SessionId, nullptr, ProgramLexiconLanguage);
}

SSCE_S16 TSpellCheckSystem::CloseLexicon(SSCE_S16 lexId)
{
    const SSCE_S16 result = SpellEngine().CloseLex(SessionId, lexId);
    const int32_t key = (int32_t(SessionId) << 16) + lexId;
    std::erase_if(OpenLexRecords, [key](const TOpenLexRecord& r) { return r.Key == key; });
    return result;
}

SSCE_S32 TSpellCheckSystem::GetLexiconWords(SSCE_S16 lexId, TStrings& lines)
{
    std::vector<char> buffer(65536, '\0');
    const SSCE_S32 result = SpellEngine().GetLex(SessionId, lexId, buffer.data(), static_cast<SSCE_S32>(buffer.size()));
    if (result < 0) {
        lines.Clear();
        return result;
    }
    if (IsCzech())
        ConvertFromEngine(buffer.data(), buffer.size());
    lines.SetText(LexiconBufferToText(buffer.data(), buffer.size()));
    return result;
}

SSCE_S16 TSpellCheckSystem::AddToLexicon(SSCE_S16 lexId, SSCE_S16 action, const std::string* otherWord,
                                         const std::string& word)
{
    std::string w = word;
    std::string other = otherWord ? *otherWord : "";
    if (IsCzech()) {
        ConvertToEngine(w);
        ConvertToEngine(other);
    }
    return SpellEngine().AddToLex(SessionId, lexId, w.c_str(), action, otherWord ? other.c_str() : nullptr);
}

SSCE_S16 TSpellCheckSystem::DeleteFromLexicon(SSCE_S16 lexId, const std::string& word)
{
    std::string w = word;
    if (IsCzech())
        ConvertToEngine(w);
    return SpellEngine().DelFromLex(SessionId, lexId, w.c_str());
}

bool ParseLexiconLine(const std::string& line, std::string& word, char& action, std::string& other)
{
    const auto trim = [](std::string t) {
        const size_t a = t.find_first_not_of(" \t");
        if (a == std::string::npos)
            return std::string();
        return t.substr(a, t.find_last_not_of(" \t") - a + 1);
    };
    const size_t arrow = line.find("--->");
    if (arrow == std::string::npos) {
        word = trim(line);
        action = SSCE_IGNORE_ACTION;
        other.clear();
    } else {
        word = trim(line.substr(0, arrow));
        other = trim(line.substr(arrow + 4));
        action = other.empty() ? SSCE_IGNORE_ACTION : SSCE_AUTO_CHANGE_ACTION;
    }
    return !word.empty();
}

int32_t TSpellCheckSystem::SetLexiconWords(SSCE_S16 lexId, const TStrings& lines)
{
    struct TEntry {
        std::string Word;
        char Action;
        std::string Other;
    };
    // The entries as the engine holds them.
    std::vector<char> buffer(65536, '\0');
    const SSCE_S32 got = SpellEngine().GetLex(SessionId, lexId, buffer.data(), static_cast<SSCE_S32>(buffer.size()));
    if (got < 0)
        return got;
    if (IsCzech())
        ConvertFromEngine(buffer.data(), buffer.size());
    std::vector<TEntry> current;
    for (size_t i = 0; i < buffer.size() && buffer[i] != '\0';) {
        const std::string item(buffer.data() + i);
        i += item.size() + 1;
        const size_t tab = item.find('\t');
        TEntry e{item.substr(0, tab), SSCE_IGNORE_ACTION, ""};
        if (tab != std::string::npos && tab + 1 < item.size()) {
            e.Action = item[tab + 1];
            e.Other = item.substr(tab + 2);
        }
        current.push_back(e);
    }
    std::vector<TEntry> wanted;
    for (int32_t i = 0; i < lines.Count(); ++i) {
        TEntry e;
        if (ParseLexiconLine(lines.Strings(i), e.Word, e.Action, e.Other))
            wanted.push_back(e);
    }
    int32_t result = 0;
    const auto keep = [&](int32_t r) {
        if (r < 0 && result == 0)
            result = r;
    };
    for (const TEntry& e : current)
        if (std::none_of(wanted.begin(), wanted.end(), [&](const TEntry& w) { return w.Word == e.Word; }))
            keep(DeleteFromLexicon(lexId, e.Word));
    for (const TEntry& w : wanted) {
        const auto it = std::find_if(current.begin(), current.end(), [&](const TEntry& e) { return e.Word == w.Word; });
        if (it != current.end() && it->Action == w.Action && it->Other == w.Other)
            continue;
        keep(AddToLexicon(lexId, w.Action, w.Action == SSCE_AUTO_CHANGE_ACTION ? &w.Other : nullptr, w.Word));
    }
    AcceptedCache.clear();
    MisspelledCache.clear();
    return result;
}

bool TSpellCheckSystem::CheckEngineResult(int32_t result)
{
    if (result >= 0)
        return false;
    ShowError("Erreur interne au vérificateur orthographique (" + std::to_string(result) + ").");
    return true;
}

// ---------------------------------------------------------------------------
// Lexicon lists

std::string TSpellCheckSystem::ResolveLexiconPath(const std::string& name, bool editable) const
{
    const std::string n = Slashed(name);
    if (n.find('/') != std::string::npos && FileExists(n))
        return n;
    const std::string userLex = SpellUserFolder() + "Lex/";
    const std::string bare = ExtractFileName(n);
    if (FileExists(userLex + bare))
        return userLex + bare;
    std::string shipped = ResolveSpellFile(DescriptionPath, n, "Lex/");
    if (!FileExists(shipped) && FileExists(SpellProgramFolder() + "Lex/" + bare))
        shipped = SpellProgramFolder() + "Lex/" + bare;
    if (!editable)
        return shipped;
    // The user's dictionaries are kept in the user's folder: one shipped beside
    // the description is copied there before it is first opened.
    if (FileExists(shipped) && !InFolder(shipped, SpellUserFolder())) {
        if (ForceDirectories(ExcludeTrailingPathDelimiter(userLex)) && CopyFile(shipped, userLex + bare, true))
            return userLex + bare;
        return shipped;
    }
    return FileExists(shipped) ? shipped : userLex + bare;
}

bool TSpellCheckSystem::AskKeepLexicon(const std::string& name) const
{
    return ShowMessageDlg("Impossible de charger le dictionnaire \"" + name +
                              "\".||Souhaitez-vous conserver ce dictionnaire et renouveler votre tentative plus tard ?",
                          mtWarning, mbYesNo) == mrYes;
}

bool TSpellCheckSystem::OpenListedLexicon(TStringList& list, int32_t index, bool editable)
{
    const std::string name = list.Strings(index);
    const std::string path = ResolveLexiconPath(name, editable);
    std::string file = path;
    if (StartsWithSignature(path)) {
        const std::string temp = GetTempFileNameForKind(0);
        if (!temp.empty() && InflateLexicon(path, temp)) {
            TempFiles.Add(temp);
            file = temp;
        } else if (!temp.empty()) {
            DeleteFile(temp);
        }
    }
    SSCE_S16 result = OpenLexicon(file);
    if (result < 0 && editable && !FileExists(path)) {
        ForceDirectories(ExcludeTrailingPathDelimiter(ExtractFilePath(path)));
        if (WriteFileBytes(path, "")) {
            result = OpenLexicon(path);
            if (result >= 0)
                ShowMessageDlg("Your personal dictionary \"" + name +
                                   "\" could not be found.||Eldravin has recreated a new empty one so that you can "
                                   "still add custom entries.",
                               mtWarning, mbOK);
        }
    }
    if (result < 0) {
        if (!AskKeepLexicon(name)) {
            list.Delete(index);
            Modified = true;
            return false;
        }
    }
    list.SetObjects(index, ObjectFromInt(result));
    return true;
}

int32_t TSpellCheckSystem::AddLexicon(const std::string& fileName, int32_t kind)
{
    const std::string bare = ExtractFileName(Slashed(fileName));
    for (TStringList* list : {&FixedLexicons, &EditableLexicons})
        for (int32_t i = 0; i < list->Count(); ++i)
            if (SameText(ExtractFileName(Slashed(list->Strings(i))), bare))
                return -1;
    const std::string path = Slashed(fileName);
    SSCE_S16 result;
    if (kind == lkNewEditable && !FileExists(path)) {
        ForceDirectories(ExcludeTrailingPathDelimiter(ExtractFilePath(path)));
        result = CreateLexicon(path);
    } else {
        result = OpenLexicon(path);
    }
    Modified = true;
    if (result < 0 && !AskKeepLexicon(fileName))
        return result;
    // A dictionary in the user's folder is listed by its bare name.
    const std::string listed = InFolder(path, SpellUserFolder() + "Lex/") ? bare : fileName;
    TStringList& list = kind == lkFixed ? FixedLexicons : EditableLexicons;
    list.AddObject(listed, ObjectFromInt(result));
    return result;
}

void TSpellCheckSystem::RemoveLexicon(int32_t index, bool editable)
{
    TStringList& list = editable ? EditableLexicons : FixedLexicons;
    if (index < 0 || index >= list.Count())
        return;
    const intptr_t id = IntFromObject(list.Objects(index));
    if (Running && id >= 0)
        CloseLexicon(static_cast<SSCE_S16>(id));
    list.Delete(index);
    Modified = true;
}

std::string TSpellCheckSystem::MakeDictionaryFileName() const
{
    const std::string folder = SpellUserFolder() + "Lex/";
    for (int32_t n = 1;; ++n) {
        const std::string name = folder + "Mon dictionnaire " + std::to_string(n) + ".tlx";
        if (!FileExists(name))
            return name;
    }
}

std::string NormalizeApostrophesAndHyphens(const std::string& word)
{
    std::string w = word;
    for (char& c : w) {
        if (c == '\x91' || c == '\x92' || c == '`')
            c = '\'';
        else if (c == '\x0B')
            c = '-';
    }
    return w;
}

std::string TSpellCheckSystem::NormalizeLexiconWord(const std::string& word) const
{
    std::string w = word;
    if (PrimaryLanguage() == 12)
        w = GetAutocorrectLangOptionsManager().GetLangOptions(static_cast<LANGID>(Language)).ExpandLigatures(w);
    return NormalizeApostrophesAndHyphens(w);
}

void TSpellCheckSystem::AddWordToDictionary(const std::string& word, int32_t dictionaryIndex)
{
    SSCE_S16 lexId;
    if (dictionaryIndex < 0) {
        lexId = static_cast<SSCE_S16>(AddLexicon(MakeDictionaryFileName(), lkNewEditable));
        CurrentDictionary = 0;
    } else {
        lexId = static_cast<SSCE_S16>(IntFromObject(EditableLexicons.Objects(dictionaryIndex)));
    }
    CheckEngineResult(AddToLexicon(lexId, SSCE_IGNORE_ACTION, nullptr, NormalizeLexiconWord(word)));
    ForgetMisspelling(word);
    InvalidateChecks();
}

void TSpellCheckSystem::IgnoreWordAlways(const std::string& word)
{
    if (IgnoreLexId < 0) {
        const std::string name = GetTempFileNameForKind(0);
        WriteFileBytes(name, "");
        IgnoreFileName = name;
        IgnoreLexId = OpenLexicon(name);
        CheckEngineResult(IgnoreLexId);
    }
    CheckEngineResult(AddToLexicon(IgnoreLexId, SSCE_IGNORE_ACTION, nullptr, NormalizeLexiconWord(word)));
    ForgetMisspelling(word);
    InvalidateChecks();
}

void TSpellCheckSystem::LoadExceptionWords()
{
    if (ExceptionLexId >= 0)
        CloseLexicon(ExceptionLexId);
    ExceptionLexId = CreateMemoryLexicon();
    if (CheckEngineResult(ExceptionLexId))
        return;
    TAutocorrectLangOptions& options = GetAutocorrectLangOptionsManager().GetLangOptions(static_cast<LANGID>(Language));
    for (TStringList* list : {&options.CapSentEx, &options.OtherEx}) {
        for (int32_t i = 0; i < list->Count(); ++i) {
            std::string entry = list->Strings(i);
            // Trailing separators go ("etc." is accepted as "etc"); "-" counts
            // as a word character here.
            while (!entry.empty() && entry.back() != '-' && DelimiterCharTable[static_cast<uint8_t>(entry.back())])
                entry.pop_back();
            if (entry.empty())
                continue;
            CheckEngineResult(AddToLexicon(ExceptionLexId, SSCE_IGNORE_ACTION, nullptr, entry));
        }
    }
}
