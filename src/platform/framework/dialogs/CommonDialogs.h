#pragma once
// The system's common dialogs: open and save (filters, filter index, default
// extension, initial folder, type-change and selection events, and room for
// the program's own preview panel beside the file list), colour, folder
// browser and the system message box. The desktop's dialogs are shown
// through the Qt backend, modal over the active form; text is 1252 and file
// names are the program's names (see FileNames.h).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/Component.h"
#include "platform/framework/GraphicsObjects.h"
#include "platform/runtime/StringList.h"
#include "platform/win/Colors.h"
#include "platform/win/WinTypes.h"

class TWinControl;

using TDialogNotifyEvent = std::function<void(TComponent* sender)>;

// Options of the file dialogs.
using TOpenOptions = uint32_t;
constexpr TOpenOptions ofOverwritePrompt = 0x0002;
constexpr TOpenOptions ofHideReadOnly = 0x0004;
constexpr TOpenOptions ofNoChangeDir = 0x0008;
constexpr TOpenOptions ofAllowMultiSelect = 0x0200;
constexpr TOpenOptions ofPathMustExist = 0x0800;
constexpr TOpenOptions ofFileMustExist = 0x1000;

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner);
    ~TOpenDialog() override;
    // Shows the dialog; true when the user chose a file.
    virtual bool Execute();

    std::string Title;
    // "Description|pattern;pattern|Description|pattern..."
    std::string Filter;
    int32_t FilterIndex = 1;  // 1-based, as chosen last
    std::string DefaultExt;  // without the dot; added to a name typed without extension
    std::string InitialDir;
    std::string FileName;
    TStrings& Files() { return *FFiles; }
    TOpenOptions Options = ofHideReadOnly;
    // A control of the program shown beside the file list while the dialog is
    // open (a preview); it is handed back afterwards.
    TWinControl* PreviewPanel = nullptr;

    TDialogNotifyEvent OnTypeChange;
    // The file highlighted in the list changed (FileName holds it).
    TDialogNotifyEvent OnSelectionChange;
    TDialogNotifyEvent OnShow;
    TDialogNotifyEvent OnClose;

    // The filters as pairs (description, patterns).
    std::vector<std::pair<std::string, std::string>> FilterList() const;
    // The name with DefaultExt added when it has no extension.
    std::string WithDefaultExt(const std::string& name) const;

protected:
    bool FSave = false;
    std::unique_ptr<TStringList> FFiles;
};

class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent* owner);
};

class TColorDialog : public TComponent {
public:
    explicit TColorDialog(TComponent* owner);
    ~TColorDialog() override;
    bool Execute();
    TColor Color = clBlack;
    // "ColorA=RRGGBB" .. "ColorP=RRGGBB", as the framework keeps them.
    TStrings& CustomColors() { return *FCustomColors; }

private:
    std::unique_ptr<TStringList> FCustomColors;
};

// What the Qt backend shows.
struct TFileDialogRequest {
    bool Save = false;
    HWND Owner = 0;
    std::string Title;
    std::vector<std::pair<std::string, std::string>> Filters;
    int32_t FilterIndex = 1;
    std::string InitialDir;  // program names
    std::string FileName;
    std::string DefaultExt;
    bool MultiSelect = false;
    bool OverwritePrompt = false;
    bool FileMustExist = false;
    HWND Preview = 0;
    std::function<void(int32_t filterIndex)> TypeChanged;
    std::function<void(const std::string& fileName)> SelectionChanged;
};
struct TFileDialogResult {
    std::vector<std::string> Files;  // program names
    int32_t FilterIndex = 1;
};
bool ShowFileDialog(const TFileDialogRequest& request, TFileDialogResult& result);
// The colour chosen (custom colours in and out as RGB values, 16 of them).
bool ShowColorDialog(HWND owner, TColor& color, std::vector<COLORREF>& customColors);
// A folder chosen (program name, no trailing separator).
bool ShowFolderDialog(HWND owner, const std::string& title, const std::string& startFolder, std::string& folder);

// The system message box: MB_ flags (buttons in the low 4 bits, icon in bits 4-7,
// default button in bits 8-11) and the ID of the button chosen.
constexpr uint32_t MB_OK = 0x0;
constexpr uint32_t MB_OKCANCEL = 0x1;
constexpr uint32_t MB_ABORTRETRYIGNORE = 0x2;
constexpr uint32_t MB_YESNOCANCEL = 0x3;
constexpr uint32_t MB_YESNO = 0x4;
constexpr uint32_t MB_RETRYCANCEL = 0x5;
constexpr uint32_t MB_ICONERROR = 0x10;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONWARNING = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
constexpr uint32_t MB_DEFBUTTON2 = 0x100;
constexpr uint32_t MB_DEFBUTTON3 = 0x200;
constexpr int32_t IDOK = 1;
constexpr int32_t IDCANCEL = 2;
constexpr int32_t IDABORT = 3;
constexpr int32_t IDRETRY = 4;
constexpr int32_t IDIGNORE = 5;
constexpr int32_t IDYES = 6;
constexpr int32_t IDNO = 7;
int32_t MessageBox(HWND owner, const std::string& text, const std::string& caption, uint32_t flags);

// The window that system dialogs are modal over: the active form's, or none.
HWND DialogOwnerWindow();
