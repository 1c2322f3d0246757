#include "foundation/settings/CmdLineSwitches.h"

#include "foundation/Paths.h"
#include "foundation/TextTables.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"

const char* const CmdLineSwitchShortNames[CmdLineSwitchCount] = {
    "p",   "pt", "npd", "st", "n",  "r",     "m",   "dls",  "lsi",  "lsr",   "dss",
    "ssi", "ssr", "fs", "assoc", "sfn", "tsfn", "ssfn", "fplfn", "iscs", "sn", "ui",
};

const char* const CmdLineSwitchLongNames[CmdLineSwitchCount] = {
    "Print",
    "PrintTo",
    "NoPrintDialog",
    "SystemTray",
    "DontCreateNewDoc",
    "Restored",
    "Maximized",
    "DontLoadSettings",
    "LoadSettingsFromIni",
    "LoadSettingsFromReg",
    "DontSaveSettings",
    "SaveSettingsToIni",
    "SaveSettingsToReg",
    "FullScreen",
    "Associate",
    "SettingsFileName",
    "ToolbarSettingsFileName",
    "SoundSettingsFileName",
    "FormatPaletteFileName",
    "InstallSpellChecker",
    "SessionName",
    "Uninstall",
};

namespace {

// Process-wide state of the command line, made by start-up, read everywhere.
std::vector<std::string>& Arguments()
{
    static std::vector<std::string>* arguments = new std::vector<std::string>;
    return *arguments;
}

std::unique_ptr<TStringList>& DocumentList()
{
    static auto* list = new std::unique_ptr<TStringList>;
    return *list;
}

TStartMode g_StartMode = smNoDocuments;

uint8_t LookUp(const std::string& name)
{
    for (int i = 0; i < CmdLineSwitchCount; ++i)
        if (SameText(name, CmdLineSwitchShortNames[i]) || SameText(name, CmdLineSwitchLongNames[i]))
            return static_cast<uint8_t>(i);
    return NoCmdLineSwitch;
}

}  // namespace

void SetProgramArguments(int argc, const char* const* argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(ProgramFileName(argv[i] ? argv[i] : ""));
    SetProgramArguments(std::move(arguments));
}

void SetProgramArguments(std::vector<std::string> arguments)
{
    Arguments() = std::move(arguments);
}

int32_t ParamCount()
{
    const auto n = static_cast<int32_t>(Arguments().size());
    return n > 0 ? n - 1 : 0;
}

std::string ParamStr(int32_t index)
{
    if (index < 0 || index >= static_cast<int32_t>(Arguments().size()))
        return {};
    return Arguments()[static_cast<size_t>(index)];
}

bool IsSwitchArgument(const std::string& argument)
{
    if (argument.empty())
        return false;
    if (argument[0] == '-')
        return true;
    if (argument[0] != '/')
        return false;
    // "/p" is the print switch unless a file or folder "/p" exists; any other
    // "/..." is an absolute path.
    return LookUp(argument.substr(1)) != NoCmdLineSwitch && !FileExists(argument) && !DirectoryExists(argument);
}

uint8_t GetSwitchIndex(const std::string& word)
{
    std::string name = word;
    if (!name.empty() && (name[0] == '-' || name[0] == '/'))
        name.erase(0, 1);
    return LookUp(name);
}

int32_t FindSwitchArgument(const std::string& name)
{
    const int32_t count = ParamCount();
    for (int32_t i = 1; i <= count; ++i) {
        const std::string argument = ParamStr(i);
        if (IsSwitchArgument(argument) && SameText(argument.substr(1), name))
            return i;
    }
    return 0;
}

bool HasSwitch(TCmdLineSwitch sw)
{
    return FindSwitchArgument(CmdLineSwitchShortNames[sw]) != 0 || FindSwitchArgument(CmdLineSwitchLongNames[sw]) != 0;
}

std::string GetSwitchValue(TCmdLineSwitch sw, const std::string& def)
{
    int32_t position = FindSwitchArgument(CmdLineSwitchShortNames[sw]);
    if (position == 0)
        position = FindSwitchArgument(CmdLineSwitchLongNames[sw]);
    if (position == 0 || position >= ParamCount())
        return def;
    return ExpandLongPathName(ParamStr(position + 1));
}

std::string GetSessionName()
{
    return GetSwitchValue(clsSessionName, std::string());
}

TStringList* DocumentArgs()
{
    return DocumentList().get();
}

TStartMode StartMode()
{
    return g_StartMode;
}

void CollectDocumentArgs()
{
    if (!DocumentList())
        DocumentList() = std::make_unique<TStringList>();
    TStringList& list = *DocumentList();
    if (HasSwitch(clsPrintTo)) {
        // "pt" document printer...: the arguments after the document name the
        // printer and are read by the printing code.
        if (!ParamStr(2).empty())
            list.Add(ParamStr(2));
        return;
    }
    const int32_t count = ParamCount();
    int32_t i = 1;
    while (i <= count) {
        const std::string argument = ParamStr(i);
        if (!IsSwitchArgument(argument)) {
            list.Add(ExpandLongPathName(argument));
            ++i;
            continue;
        }
        const uint8_t index = GetSwitchIndex(argument);
        i += (index != NoCmdLineSwitch && index >= FirstValueSwitch) ? 2 : 1;
    }
}

void FreeDocumentArgs()
{
    DocumentList().reset();
}

void InitializeTextTables()
{
    DocumentList() = std::make_unique<TStringList>();
    CollectDocumentArgs();
    if (DocumentList()->Count() == 0)
        g_StartMode = smNoDocuments;
    else if (HasSwitch(clsPrint) || HasSwitch(clsPrintTo))
        g_StartMode = smPrintDocuments;
    else
        g_StartMode = smOpenDocuments;
    BuildTextTables();
}
