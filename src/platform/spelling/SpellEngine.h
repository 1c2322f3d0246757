#pragma once
// The spelling engine: sessions, lexicons, word checks and suggestions through
// the SSCE_ functions the proofing tools bind by name. The words are 8-bit
// text in the caller's code page (1252 for every language but Czech, whose
// callers convert their words to the engine's bytes first).
//
// A session holds an ordered list of lexicons and a set of options. Three kinds
// of lexicon exist:
//  - text lexicons: a file of lines "word", or "word" TAB action [other word],
//    optionally headed by "#LID <language>"; the user's dictionaries. Edits are
//    written back at once, atomically, and lines the caller did not change keep
//    their bytes;
//  - memory lexicons: the same without a file (made with a null file name);
//  - dictionary lexicons: a small text file "#HUNSPELL" followed by
//    "Dictionary=<name>" (and optionally "Ligatures=1"), which opens the Hunspell
//    dictionary <name>.aff/.dic found beside the file, in the folders of
//    $DICPATH, or in the system's dictionary folders. They are only read.
// Lexicon actions: 'i' (0x69) accept the word, 'A' (0x41) replace it
// automatically by the entry's other word.
#include <cstdint>
#include <string>

using SSCE_S16 = int16_t;
using SSCE_U16 = uint16_t;
using SSCE_S32 = int32_t;
using SSCE_U32 = uint32_t;
using SSCE_CHAR = char;

// Results of SSCE_CheckWord (a mask; negative values are errors).
constexpr SSCE_S16 SSCE_OK_RSLT = 0;
constexpr SSCE_S16 SSCE_MISSPELLED_WORD_RSLT = 0x01;
constexpr SSCE_S16 SSCE_AUTO_CHANGE_WORD_RSLT = 0x02;

// Errors.
constexpr SSCE_S16 SSCE_TOO_MANY_SESSIONS_ERR = -1;
constexpr SSCE_S16 SSCE_BAD_SESSION_ID_ERR = -2;
constexpr SSCE_S16 SSCE_FILE_NOT_FOUND_ERR = -3;
constexpr SSCE_S16 SSCE_FILE_READ_ERR = -4;
constexpr SSCE_S16 SSCE_UNKNOWN_LEX_FORMAT_ERR = -5;
constexpr SSCE_S16 SSCE_BAD_LEX_ID_ERR = -6;
constexpr SSCE_S16 SSCE_TOO_MANY_LEXICONS_ERR = -7;
constexpr SSCE_S16 SSCE_READ_ONLY_LEX_ERR = -8;
constexpr SSCE_S16 SSCE_WORD_NOT_FOUND_ERR = -9;
constexpr SSCE_S16 SSCE_INVALID_WORD_ERR = -10;
constexpr SSCE_S16 SSCE_FILE_WRITE_ERR = -11;
constexpr SSCE_S16 SSCE_FILE_EXISTS_ERR = -12;
constexpr SSCE_S16 SSCE_BUFFER_TOO_SMALL_ERR = -13;

// Options (SSCE_SetOption); value 0 or 1.
constexpr SSCE_U32 SSCE_IGNORE_CAPPED_WORD_OPT = 0x1;
constexpr SSCE_U32 SSCE_IGNORE_MIXED_CASE_OPT = 0x20;  // words in mixed case are accepted
constexpr SSCE_U32 SSCE_IGNORE_MIXED_DIGITS_OPT = 0x4; // words holding a digit are accepted
constexpr SSCE_U32 SSCE_IGNORE_ALL_CAPS_WORD_OPT = 0x8;
constexpr SSCE_U32 SSCE_IGNORE_NON_ALPHA_WORD_OPT = 0x40; // words without a letter are accepted
constexpr SSCE_U32 SSCE_CASE_SENSITIVE_OPT = 0x200;
constexpr SSCE_U32 SSCE_SPLIT_WORDS_OPT = 0x2000;       // suggestions may split the word in two

// Lexicon actions.
constexpr SSCE_S16 SSCE_IGNORE_ACTION = 'i';
constexpr SSCE_S16 SSCE_AUTO_CHANGE_ACTION = 'A';

// Longest word the engine takes, in bytes.
constexpr int SSCE_MAX_WORD_SZ = 64;
// Open sessions and lexicons per session at most.
constexpr int SSCE_MAX_SESSIONS = 16;
constexpr int SSCE_MAX_LEXICONS = 32;

SSCE_S16 SSCE_OpenSession();
SSCE_S16 SSCE_CloseSession(SSCE_S16 sid);
SSCE_S16 SSCE_SetOption(SSCE_S16 sid, SSCE_U32 option, SSCE_U32 value);
// memoryBudget is accepted and ignored.
SSCE_S16 SSCE_OpenLex(SSCE_S16 sid, const SSCE_CHAR* fileName, SSCE_S32 memoryBudget);
// A null file name makes a memory lexicon. An existing file is never replaced.
SSCE_S16 SSCE_CreateLex(SSCE_S16 sid, const SSCE_CHAR* fileName, SSCE_S16 language);
SSCE_S16 SSCE_CloseLex(SSCE_S16 sid, SSCE_S16 lexId);
// The entries, each "word" TAB action [other word] and a zero byte, then one
// more zero byte; entries that do not fit are left out. Dictionary lexicons
// list nothing. The result is the number of bytes used.
SSCE_S32 SSCE_GetLex(SSCE_S16 sid, SSCE_S16 lexId, SSCE_CHAR* buffer, SSCE_S32 size);
SSCE_S16 SSCE_AddToLex(SSCE_S16 sid, SSCE_S16 lexId, const SSCE_CHAR* word, SSCE_S16 action,
                       const SSCE_CHAR* otherWord);
SSCE_S16 SSCE_DelFromLex(SSCE_S16 sid, SSCE_S16 lexId, const SSCE_CHAR* word);
SSCE_S16 SSCE_CheckWord(SSCE_S16 sid, const SSCE_CHAR* word, SSCE_CHAR* replacement, SSCE_S16 replacementSize);
// The suggestions as zero-terminated strings ended by an empty string, best
// first; at most scoreSize of them, each with a score 0 to 100 in scores. A
// greater depth searches further. Returns the number of suggestions.
SSCE_S16 SSCE_Suggest(SSCE_S16 sid, const SSCE_CHAR* word, SSCE_S16 depth, SSCE_CHAR* buffer, SSCE_S32 size,
                      SSCE_S16 scores[], SSCE_S16 scoreSize);
SSCE_S16 SSCE_Version(SSCE_CHAR* buffer, SSCE_U16 size);

// Beyond the bound entry points: the bytes of a text lexicon's file stand in
// another code page than its words. The lexicon's entries are made again from
// the lines as read, through toEngine; entries added later are written to the
// file through fromEngine, while lines that were read are written back with
// their own bytes. Both tables have 256 entries.
SSCE_S16 SSCE_SetLexFileCodeMap(SSCE_S16 sid, SSCE_S16 lexId, const uint8_t* toEngine, const uint8_t* fromEngine);

// The engine as a loadable module. The engine is part of the program, so
// loading cannot fail for want of a library file; the path names where the
// library would stand and is kept for messages. Each successful load counts.
using HSPELLMODULE = uintptr_t;
HSPELLMODULE LoadSpellEngineLibrary(const std::string& path);
// The entry point of that name, nullptr for an unknown name.
void* GetSpellEngineProcAddress(HSPELLMODULE module, const char* name);
void FreeSpellEngineLibrary(HSPELLMODULE module);
int32_t SpellEngineLibraryLoadCount();
