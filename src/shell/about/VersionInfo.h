#pragma once
// The program's own version: the "FileVersion" value of its version resource
// and the version text made from it (the major version, ".x" and the edition
// name), which names the window property of a running main window and is
// compared by the update check.
#include <cstdint>
#include <string>

// Reads the version resource; the texts are empty until it has run.
void ReadVersionInfo();
// "1.5.1.0".
const std::string& FileVersionText();
// "1.x Brightfold".
const std::string& VersionText();
// The version text of a file version: the part before its first "." followed
// by ".x Brightfold".
std::string MakeVersionText(const std::string& fileVersion);
// The numeric value of a dotted version text (a × 10000000 + b × 100000 +
// c × 1000 + d).
int32_t GetVersionNumber(const std::string& text);
// The number of this version (FileVersionText as a number).
int32_t CurrentVersionNumber();
// The application title: "Eldravin 1.5".
extern const char* const ProgramTitle;
