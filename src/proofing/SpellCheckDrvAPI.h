#pragma once
// The binding to the spelling engine: the module, loaded once per process, the
// table of its entry points looked up by name, the spelling folders, the Czech
// code-page tables and the conversions of the engine's buffers into lines.
#include "platform/spelling/SpellEngine.h"

#include <array>
#include <cstdint>
#include <string>

class TStrings;

// The engine's library name, as messages show it.
constexpr const char* SpellEngineLibraryName = "ssce5332.dll";
// Language of the lexicons the program creates.
constexpr SSCE_S16 ProgramLexiconLanguage = 0x7878;

struct TSpellEngineEntries {
    SSCE_S16 (*OpenSession)() = nullptr;
    SSCE_S16 (*CloseSession)(SSCE_S16) = nullptr;
    SSCE_S16 (*SetOption)(SSCE_S16, SSCE_U32, SSCE_U32) = nullptr;
    SSCE_S16 (*OpenLex)(SSCE_S16, const SSCE_CHAR*, SSCE_S32) = nullptr;
    SSCE_S16 (*CreateLex)(SSCE_S16, const SSCE_CHAR*, SSCE_S16) = nullptr;
    SSCE_S16 (*CloseLex)(SSCE_S16, SSCE_S16) = nullptr;
    SSCE_S32 (*GetLex)(SSCE_S16, SSCE_S16, SSCE_CHAR*, SSCE_S32) = nullptr;
    SSCE_S16 (*AddToLex)(SSCE_S16, SSCE_S16, const SSCE_CHAR*, SSCE_S16, const SSCE_CHAR*) = nullptr;
    SSCE_S16 (*DelFromLex)(SSCE_S16, SSCE_S16, const SSCE_CHAR*) = nullptr;
    SSCE_S16 (*CheckWord)(SSCE_S16, const SSCE_CHAR*, SSCE_CHAR*, SSCE_S16) = nullptr;
    SSCE_S16 (*Suggest)(SSCE_S16, const SSCE_CHAR*, SSCE_S16, SSCE_CHAR*, SSCE_S32, SSCE_S16*, SSCE_S16) = nullptr;
    SSCE_S16 (*Version)(SSCE_CHAR*, SSCE_U16) = nullptr;
    // Not among the twelve: in-memory code-page conversion of a lexicon file.
    SSCE_S16 (*SetLexFileCodeMap)(SSCE_S16, SSCE_S16, const uint8_t*, const uint8_t*) = nullptr;

    // Every one of the twelve entry points is there: a session may start.
    bool Complete() const;
};

// The module handle (0 = not loaded) and its table.
HSPELLMODULE SpellEngineModule();
const TSpellEngineEntries& SpellEngine();

// Loads the engine module when it is not loaded yet, from the folder of the
// description file, "Bin/", then the library name. Reports a failure with
// "Impossible de charger le moteur de vérification orthographique "%s"." and
// returns false. True when the module is loaded.
bool LoadSpellEngine(const std::string& descriptionFile);
// Frees the module (program end).
void FreeSpellEngine();

// The name as it stands when it carries a folder and that file exists; else the
// folder part of the reference path, then the subfolder, then the file-name part
// of the name. "\" in names written on Windows counts as a separator.
std::string ResolveSpellFile(const std::string& reference, const std::string& name, const std::string& subfolder);

// The spelling folders. The program's ("Orthographe/" in the program folder)
// holds the shipped descriptions and lexicons and is never written; the user's
// ("eldravin/Orthographe/" in the user's data folder) holds personal
// dictionaries and changed descriptions. Both end with "/".
std::string SpellProgramFolder();
std::string SpellUserFolder();
// The program folder the spelling folder is found in (tests point it at a
// folder of their own; empty restores the executable's folder).
void SetSpellProgramFolder(const std::string& folder);

// Czech code page (primary language 5): the five text bytes 0x9E, 0x8E, 0x9D,
// 0x8A, 0x9A and the engine bytes 0xEE, 0xCE, 0xE7, 0xC6, 0xE6.
const std::array<uint8_t, 256>& CzechToEngineTable();
const std::array<uint8_t, 256>& CzechFromEngineTable();
void ConvertToEngine(std::string& text);
void ConvertFromEngine(std::string& text);
void ConvertFromEngine(char* buffer, size_t size);
// A lexicon file is binary (never converted) when one of its first 128 bytes is
// a control byte other than TAB, LF and CR.
bool IsBinaryLexiconData(const std::string& bytes);

// The engine's lexicon listing as lines: each entry's TAB and action removed,
// "   --->   " before a second word, one line per entry.
std::string LexiconBufferToText(const char* buffer, size_t size);
// A suggestion buffer (zero-terminated strings ended by an empty one, at most
// size bytes) into lines.
void FillListFromBuffer(const char* buffer, size_t size, TStrings& lines);

// Three lines for the spelling-systems dialog: the engine's name, its version,
// its vendor.
std::string GetSpellEngineVersionText();
