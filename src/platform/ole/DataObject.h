#pragma once
// Data in several formats at once, as the clipboard and drag and drop carry it:
// a list of (format, bytes) pairs. Formats are the standard clipboard numbers
// or numbers registered by name (0xC000 and up), the same numbers for the
// clipboard and for dropped data. Every format's data is a byte block: text
// formats hold their characters and a terminating zero (8-bit text in code page
// 1252, Unicode text as UTF-16 little-endian units), pictures a DIB or a
// metafile, CF_HDROP a list of file names.
#include "platform/win/WinTypes.h"

#include <string>
#include <utility>
#include <vector>

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_METAFILEPICT = 3;
constexpr UINT CF_OEMTEXT = 7;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_UNICODETEXT = 13;
constexpr UINT CF_ENHMETAFILE = 14;
constexpr UINT CF_HDROP = 15;
constexpr UINT CF_LOCALE = 16;
constexpr UINT CF_DIBV5 = 17;

// Registers a format by name (names compare without regard to case) and
// returns its number, the same number for the same name during the whole run;
// 0 for an empty name.
UINT RegisterClipboardFormat(const std::string& name);
// The name of a registered format; empty for standard and unknown numbers.
std::string GetClipboardFormatName(UINT format);

class TDataObject {
public:
    // Replaces the data of a format that is already there (formats keep the
    // order in which they were first set: the first is the richest).
    void SetData(UINT format, std::string bytes);
    bool HasFormat(UINT format) const;
    // False, with bytes left empty, when the format is not there.
    bool GetData(UINT format, std::string& bytes) const;
    const std::vector<std::pair<UINT, std::string>>& Items() const { return FItems; }
    bool Empty() const { return FItems.empty(); }
    void Clear() { FItems.clear(); }

private:
    std::vector<std::pair<UINT, std::string>> FItems;
};

// File names of a CF_HDROP block, and the block of a list of names.
std::vector<std::string> DropFileNames(const std::string& hdrop);
std::string MakeDropFiles(const std::vector<std::string>& names);
