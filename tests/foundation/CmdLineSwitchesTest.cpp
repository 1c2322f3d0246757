#include "foundation/settings/CmdLineSwitches.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/StringList.h"
#include "platform/testing/Testing.h"

#include <string>
#include <vector>

namespace {

// Sets the arguments of a run (the program name first) and collects its documents.
void StartWith(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "eldravin");
    SetProgramArguments(std::move(arguments));
    FreeDocumentArgs();
    InitializeTextTables();
}

std::vector<std::string> Documents()
{
    std::vector<std::string> out;
    for (int32_t i = 0; i < DocumentArgs()->Count(); ++i)
        out.push_back(DocumentArgs()->Strings(i));
    return out;
}

}  // namespace

TEST(CmdLineSwitches, EverySwitchAnswersToBothNamesBothPrefixesAnyCase)
{
    const char* shortNames[] = {"p",   "pt",  "npd", "st", "n",     "r",   "m",    "dls",  "lsi",   "lsr",  "dss",
                                "ssi", "ssr", "fs",  "assoc", "sfn", "tsfn", "ssfn", "fplfn", "iscs", "sn", "ui"};
    const char* longNames[] = {"Print",
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
                               "Uninstall"};
    for (int i = 0; i < CmdLineSwitchCount; ++i) {
        const auto sw = static_cast<TCmdLineSwitch>(i);
        const std::string forms[] = {std::string("-") + shortNames[i], std::string("/") + shortNames[i],
                                     std::string("-") + longNames[i], std::string("/") + longNames[i]};
        for (std::string form : forms) {
            for (int upper = 0; upper < 2; ++upper) {
                if (upper) {
                    for (char& c : form)
                        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
                }
                EXPECT_EQ(GetSwitchIndex(form), i) << form;
                StartWith({"a.rtf", form, "valeur"});
                EXPECT_TRUE(HasSwitch(sw)) << form;
                for (int other = 0; other < CmdLineSwitchCount; ++other) {
                    if (other != i) {
                        EXPECT_FALSE(HasSwitch(static_cast<TCmdLineSwitch>(other))) << form << " " << other;
                    }
                }
                if (i >= FirstValueSwitch) {
                    EXPECT_EQ(GetSwitchValue(sw, "d"), "valeur") << form;
                    EXPECT_EQ(Documents(), std::vector<std::string>{"a.rtf"}) << form;
                } else {
                    EXPECT_EQ(GetSwitchValue(sw, "d"), "valeur");
                    if (i != clsPrintTo) {
                        EXPECT_EQ(Documents(), (std::vector<std::string>{"a.rtf", "valeur"})) << form;
                    }
                }
            }
        }
    }
    EXPECT_EQ(GetSwitchIndex("print"), 0);
    EXPECT_EQ(GetSwitchIndex("x"), NoCmdLineSwitch);
    EXPECT_EQ(GetSwitchIndex("--p"), NoCmdLineSwitch);
    EXPECT_EQ(GetSwitchIndex(""), NoCmdLineSwitch);
}

TEST(CmdLineSwitches, CommandLinesOfSwitchesAndDocuments)
{
    const std::string dir = AnsiFromUtf8(MakeTestDir("cmdline"));
    WriteTestFile(Utf8FromAnsi(dir + "/lettre d'été.rtf"), "{\\rtf1}");
    const std::string letter = dir + "/lettre d'été.rtf";
    struct TCase {
        std::vector<std::string> Arguments;
        std::vector<std::string> Documents;
        TStartMode Mode;
    };
    const TCase cases[] = {
        {{}, {}, smNoDocuments},
        {{"a.rtf"}, {"a.rtf"}, smOpenDocuments},
        {{"/p", "a.rtf"}, {"a.rtf"}, smPrintDocuments},
        {{"a.rtf", "-Print"}, {"a.rtf"}, smPrintDocuments},
        {{"/p"}, {}, smNoDocuments},
        // Absolute paths are documents, existing or not, with or without blanks.
        {{letter}, {letter}, smOpenDocuments},
        {{"/home/a.rtf"}, {"/home/a.rtf"}, smOpenDocuments},
        {{"-p", "/home/a.rtf", letter}, {"/home/a.rtf", letter}, smPrintDocuments},
        {{"/xyz"}, {"/xyz"}, smOpenDocuments},
        {{"/tmp"}, {"/tmp"}, smOpenDocuments},
        // A switch with a value takes the next argument, even one that looks like a switch.
        {{"-sfn", dir + "/mes réglages.ini", "doc.rtf"}, {"doc.rtf"}, smOpenDocuments},
        {{"/SettingsFileName", "-réglages.ini", "doc.rtf"}, {"doc.rtf"}, smOpenDocuments},
        {{"doc.rtf", "-sn"}, {"doc.rtf"}, smOpenDocuments},
        // Unknown switches are skipped alone.
        {{"-inconnu", "doc.rtf"}, {"doc.rtf"}, smOpenDocuments},
        {{"--p", "doc.rtf"}, {"doc.rtf"}, smOpenDocuments},
        {{"-lsi", "-dss", "-m", "un.rtf", "deux.rtf"}, {"un.rtf", "deux.rtf"}, smOpenDocuments},
        // Print to: the document only; the printer's words follow it.
        {{"/pt", "doc.rtf", "HP LaserJet", "winspool", "LPT1:"}, {"doc.rtf"}, smPrintDocuments},
        {{"/pt", "", "imprimante"}, {}, smNoDocuments},
    };
    for (const TCase& c : cases) {
        StartWith(c.Arguments);
        std::string line;
        for (const std::string& a : c.Arguments)
            line += "[" + a + "]";
        EXPECT_EQ(Documents(), c.Documents) << line;
        EXPECT_EQ(StartMode(), c.Mode) << line;
    }

    StartWith({"-sfn", dir + "/mes réglages.ini", "-SN", "session 2"});
    EXPECT_EQ(GetSwitchValue(clsSettingsFileName, "Eldravin.ini"), dir + "/mes réglages.ini");
    EXPECT_EQ(GetSessionName(), "session 2");
    EXPECT_EQ(GetSwitchValue(clsToolbarSettingsFileName, "Eldravin.ets"), "Eldravin.ets");
    StartWith({"doc.rtf", "-sn"});
    EXPECT_EQ(GetSessionName(), "");
    EXPECT_FALSE(HasSwitch(clsPrint));
    // "/pt" is not "/p", and "-" before "-p" names no switch.
    StartWith({"/pt", "doc.rtf"});
    EXPECT_FALSE(HasSwitch(clsPrint));
    StartWith({"-", "-p"});
    EXPECT_EQ(FindSwitchArgument("p"), 2);
    StartWith({"--p"});
    EXPECT_FALSE(HasSwitch(clsPrint));
    EXPECT_EQ(ParamCount(), 1);
    EXPECT_EQ(ParamStr(1), "--p");
    EXPECT_EQ(ParamStr(2), "");

    FreeDocumentArgs();
    EXPECT_EQ(DocumentArgs(), nullptr);
}

TEST(CmdLineSwitches, WhatIsWrittenAsASwitch)
{
    const std::pair<const char*, bool> cases[] = {
        {"-p", true},     {"/p", true},       {"/PRINT", true}, {"-inconnu", true}, {"--p", true},
        {"-", true},      {"/inconnu", false}, {"/", false},     {"/home/a.rtf", false}, {"/p/", false},
        {"/tmp", false},  {"p", false},       {"", false},      {"a-p", false},
    };
    for (const auto& [argument, isSwitch] : cases)
        EXPECT_EQ(IsSwitchArgument(argument), isSwitch) << argument;
}

TEST(CmdLineSwitches, ArgumentsFromTheSystemAreConvertedToProgramText)
{
    const char* argv[] = {"eldravin", "\xC3\xA9t\xC3\xA9.rtf", "-p"};
    SetProgramArguments(3, argv);
    EXPECT_EQ(ParamCount(), 2);
    EXPECT_EQ(ParamStr(1), "été.rtf");
    EXPECT_TRUE(HasSwitch(clsPrint));
}
