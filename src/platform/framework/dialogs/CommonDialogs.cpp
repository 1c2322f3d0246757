#include "platform/framework/dialogs/CommonDialogs.h"

#include "platform/framework/Forms.h"
#include "platform/runtime/FileNames.h"

#include <cstdio>

HWND DialogOwnerWindow()
{
    if (!Screen)
        return 0;
    TForm* form = Screen->ActiveForm();
    return form && form->HandleAllocated() ? form->Handle() : 0;
}

// --- TOpenDialog and TSaveDialog -------------------------------------------------

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner), FFiles(std::make_unique<TStringList>())
{
}

TOpenDialog::~TOpenDialog() = default;

std::vector<std::pair<std::string, std::string>> TOpenDialog::FilterList() const
{
    std::vector<std::pair<std::string, std::string>> out;
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= Filter.size() && !Filter.empty()) {
        const size_t bar = Filter.find('|', start);
        parts.push_back(Filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
        out.emplace_back(parts[i], parts[i + 1]);
    if (parts.size() % 2 == 1 && !parts.back().empty())
        out.emplace_back(parts.back(), parts.back());  // a description without patterns filters by itself
    return out;
}

std::string TOpenDialog::WithDefaultExt(const std::string& name) const
{
    if (DefaultExt.empty() || name.empty())
        return name;
    const size_t slash = name.find_last_of("/\\");
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        return name;
    std::string ext = DefaultExt;
    if (!ext.empty() && ext[0] == '.')
        ext.erase(0, 1);
    return name + "." + ext;
}

bool TOpenDialog::Execute()
{
    TFileDialogRequest request;
    request.Save = FSave;
    request.Owner = DialogOwnerWindow();
    request.Title = Title;
    request.Filters = FilterList();
    request.FilterIndex = FilterIndex;
    request.InitialDir = InitialDir;
    request.FileName = FileName;
    request.DefaultExt = DefaultExt;
    request.MultiSelect = (Options & ofAllowMultiSelect) != 0;
    request.OverwritePrompt = (Options & ofOverwritePrompt) != 0;
    request.FileMustExist = (Options & ofFileMustExist) != 0;
    request.Preview = PreviewPanel ? PreviewPanel->Handle() : 0;
    request.TypeChanged = [this](int32_t index) {
        FilterIndex = index;
        if (OnTypeChange)
            OnTypeChange(this);
    };
    request.SelectionChanged = [this](const std::string& name) {
        FileName = name;
        if (OnSelectionChange)
            OnSelectionChange(this);
    };
    if (OnShow)
        OnShow(this);
    TFileDialogResult result;
    const bool ok = ShowFileDialog(request, result);
    if (OnClose)
        OnClose(this);
    if (!ok || result.Files.empty())
        return false;
    FilterIndex = result.FilterIndex;
    FFiles->Clear();
    for (const std::string& f : result.Files)
        FFiles->Add(FSave ? WithDefaultExt(f) : f);
    FileName = FFiles->Strings(0);
    return true;
}

TSaveDialog::TSaveDialog(TComponent* owner) : TOpenDialog(owner)
{
    FSave = true;
}

// --- TColorDialog -------------------------------------------------------------------

TColorDialog::TColorDialog(TComponent* owner) : TComponent(owner), FCustomColors(std::make_unique<TStringList>())
{
}

TColorDialog::~TColorDialog() = default;

bool TColorDialog::Execute()
{
    // Custom colours "ColorA".."ColorP" as hexadecimal RRGGBB (white when absent).
    std::vector<COLORREF> custom(16, 0xFFFFFF);
    for (int i = 0; i < 16; ++i) {
        const std::string v = FCustomColors->Values(std::string("Color") + static_cast<char>('A' + i));
        unsigned rgb = 0;
        if (!v.empty() && std::sscanf(v.c_str(), "%6x", &rgb) == 1)
            custom[static_cast<size_t>(i)] = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
    }
    TColor color = Color;
    if (!ShowColorDialog(DialogOwnerWindow(), color, custom))
        return false;
    Color = color;
    FCustomColors->Clear();
    for (int i = 0; i < 16; ++i) {
        const COLORREF c = custom[static_cast<size_t>(i)];
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        FCustomColors->Add(std::string("Color") + static_cast<char>('A' + i) + "=" + buf);
    }
    return true;
}
