#pragma once
// The program's command line: document names and 22 switches, each with a short
// and a long name, written "-name" or "/name" and compared without regard to
// case. Switches from index 14 on take the next argument as their value.
//
// On this system an absolute path begins with "/": an argument "/..." is a
// switch only when it names one of the 22 switches and no file or folder of that
// path exists; "/home/jeanne/lettre.rtf" is always a document.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TStringList;

enum TCmdLineSwitch : uint8_t {
    clsPrint = 0,
    clsPrintTo = 1,
    clsNoPrintDialog = 2,
    clsSystemTray = 3,
    clsDontCreateNewDoc = 4,
    clsRestored = 5,
    clsMaximized = 6,
    clsDontLoadSettings = 7,
    clsLoadSettingsFromIni = 8,
    clsLoadSettingsFromReg = 9,
    clsDontSaveSettings = 10,
    clsSaveSettingsToIni = 11,
    clsSaveSettingsToReg = 12,
    clsFullScreen = 13,
    clsAssociate = 14,
    clsSettingsFileName = 15,
    clsToolbarSettingsFileName = 16,
    clsSoundSettingsFileName = 17,
    clsFormatPaletteFileName = 18,
    clsInstallSpellChecker = 19,
    clsSessionName = 20,
    clsUninstall = 21,
};
constexpr int CmdLineSwitchCount = 22;
// The first switch that takes a value.
constexpr uint8_t FirstValueSwitch = 14;
// GetSwitchIndex of a word that names no switch.
constexpr uint8_t NoCmdLineSwitch = 255;

extern const char* const CmdLineSwitchShortNames[CmdLineSwitchCount];
extern const char* const CmdLineSwitchLongNames[CmdLineSwitchCount];

// What the program does with the documents of its command line.
enum TStartMode : uint8_t { smNoDocuments = 0, smOpenDocuments = 1, smPrintDocuments = 2 };

// The arguments of the run; argument 0 is the program. The entry routine hands
// in argv (file-system text); tests hand in program strings.
void SetProgramArguments(int argc, const char* const* argv);
void SetProgramArguments(std::vector<std::string> arguments);
int32_t ParamCount();
// The empty string beyond the last argument.
std::string ParamStr(int32_t index);

// True when the argument is written as a switch: "-" and any text, or "/" and a
// switch name when no file or folder of that path exists.
bool IsSwitchArgument(const std::string& argument);

// Removes one leading "-" or "/" and looks the word up among the short, then the
// long names, index by index; NoCmdLineSwitch when it names none.
uint8_t GetSwitchIndex(const std::string& word);
// The position of the first argument written as the switch of that name
// (ignoring case); 0 when there is none.
int32_t FindSwitchArgument(const std::string& name);
bool HasSwitch(TCmdLineSwitch sw);
// The argument after the switch, in its long path form; def when the switch is
// absent or is the last argument.
std::string GetSwitchValue(TCmdLineSwitch sw, const std::string& def);
// The value of "sn", empty by default.
std::string GetSessionName();

// The documents named on the command line (null before InitializeTextTables and
// after FreeDocumentArgs), and the start mode derived from them.
TStringList* DocumentArgs();
TStartMode StartMode();
// Fills DocumentArgs from the arguments.
void CollectDocumentArgs();
void FreeDocumentArgs();
// The first routine of program start-up: creates and fills DocumentArgs, sets
// the start mode, then builds the character and keyword tables.
void InitializeTextTables();
