#include "shell/startup/ProgramHosts.h"

#include "formats/DocDispatcher.h"
#include "formats/DocFileHost.h"
#include "formats/PasswordForms.h"
#include "shell/commands/CommandManager.h"
#include "foundation/settings/FileList.h"
#include "shell/commands/CommandManager.h"
#include "shell/frame/FrameServices.h"
#include "shell/options/OptionsHolder.h"

#include <algorithm>
#include <limits>

namespace {

class TShellDocFileHost : public TDocFileHost {
public:
    void AddRecentDocument(const std::string& fileName) override;
    bool SaveCaretPos() override;
    bool UndoAfterSave() override;
    bool SuperCompactSave() override;
    bool CipherStrength() override;
    std::string UserName() override;
    void ProgressStart(int64_t total, const std::string& text) override;
    void ProgressStep(int64_t done) override;
    void ProgressEnd(bool showFull) override;
    void ResetStatusBar() override;
    void UpdateFrameLayout() override;
    uint32_t OpenFlags() override;
    int32_t DefaultCoding() override;
    bool FileNameFromDocument() override;
    TBackupOptions BackupOptions() override;
    void SetBackupMaxAmount(int32_t megabytes) override;
    void ShowBackupOptions() override;
    bool AskPasswordForOpening(const std::string& fileName, std::string& password) override;
    std::string RememberedPassword(const std::string& fileName) override;
    bool AskPasswordForSaving(const std::string& fileName, std::string& password) override;
};

}  // namespace

// --- the document file road -------------------------------------------------------------

uint32_t TShellDocFileHost::OpenFlags()
{
    return DocDispatcher ? DocDispatcher->OpenFlags : 0;
}

int32_t TShellDocFileHost::DefaultCoding()
{
    return OptionsHolder ? OptionsHolder->DefDocFmt : TDocFileHost::DefaultCoding();
}

bool TShellDocFileHost::FileNameFromDocument()
{
    return OptionsHolder ? OptionsHolder->GetFileNameFromDoc : TDocFileHost::FileNameFromDocument();
}

TBackupOptions TShellDocFileHost::BackupOptions()
{
    TBackupOptions options;
    if (!OptionsHolder)
        return options;
    options.CreateBackup = OptionsHolder->CreateBackup;
    options.Folder = OptionsHolder->BackupFolder;
    options.MaxFiles = OptionsHolder->Backup_MaxFiles;
    options.SepFolders = OptionsHolder->Backup_SepFolders;
    options.MinDiff = OptionsHolder->Backup_MinDiff;
    options.MaxAmount = OptionsHolder->Backup_MaxAmount;
    return options;
}

void TShellDocFileHost::SetBackupMaxAmount(int32_t megabytes)
{
    if (OptionsHolder)
        OptionsHolder->Backup_MaxAmount = megabytes;
}

void TShellDocFileHost::ShowBackupOptions()
{
    // Command 123: the backup options dialog.
    if (CommandManager)
        CommandManager->ExecuteCommand(123);
}

bool TShellDocFileHost::AskPasswordForOpening(const std::string&, std::string& password)
{
    return ::AskPasswordForOpening(password);
}

std::string TShellDocFileHost::RememberedPassword(const std::string&)
{
    const TPasswordSession& session = PasswordSession();
    return session.TryOpeningForAll ? session.OpeningPassword : std::string();
}

bool TShellDocFileHost::AskPasswordForSaving(const std::string&, std::string& password)
{
    return ::AskPasswordForSaving(password);
}

void TShellDocFileHost::AddRecentDocument(const std::string& fileName)
{
    if (!OptionsHolder)
        return;
    OptionsHolder->RecentDocs->AddFile(fileName);
    // The File menu's list is rebuilt at the frame's next layout pass.
    if (CommandManager)
        CommandManager->DirtyFlags |= TCommandManager::dfRecentFiles;
    FrameRequestLayout();
}

bool TShellDocFileHost::SaveCaretPos()
{
    return OptionsHolder ? OptionsHolder->SaveCaretPos : TDocFileHost::SaveCaretPos();
}

bool TShellDocFileHost::UndoAfterSave()
{
    return OptionsHolder ? OptionsHolder->UndoAfterSave : TDocFileHost::UndoAfterSave();
}

bool TShellDocFileHost::SuperCompactSave()
{
    return OptionsHolder ? OptionsHolder->SuperCmpctSave : TDocFileHost::SuperCompactSave();
}

bool TShellDocFileHost::CipherStrength()
{
    return OptionsHolder ? OptionsHolder->CipherStrength : TDocFileHost::CipherStrength();
}

std::string TShellDocFileHost::UserName()
{
    return OptionsHolder ? OptionsHolder->UsrName : std::string();
}

namespace {
int32_t ClampProgress(int64_t value)
{
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}
}  // namespace

void TShellDocFileHost::ProgressStart(int64_t total, const std::string& text)
{
    FrameProgressStart(ClampProgress(total), text);
}

void TShellDocFileHost::ProgressStep(int64_t done)
{
    FrameProgressStep(ClampProgress(done));
}

void TShellDocFileHost::ProgressEnd(bool showFull)
{
    FrameProgressEnd(showFull);
}

void TShellDocFileHost::ResetStatusBar()
{
    FrameResetStatusBar();
}

void TShellDocFileHost::UpdateFrameLayout()
{
    FrameUpdateLayout();
}

namespace {
TShellDocFileHost* g_FileHost = nullptr;
TDocFileHost* g_PreviousFileHost = nullptr;
TFileListLimitQuery g_PreviousLimitQuery = nullptr;

// The file lists keep as many entries as the options say.
int32_t OptionsFileListLimit()
{
    return OptionsHolder ? OptionsHolder->DocsToKeep : DefaultFileListLimit;
}
}  // namespace

void InstallShellDocFileHost()
{
    if (g_FileHost)
        return;
    g_FileHost = new TShellDocFileHost;
    g_PreviousFileHost = SetDocFileHost(g_FileHost);
    g_PreviousLimitQuery = SetFileListLimitQuery(&OptionsFileListLimit);
}

void RemoveShellDocFileHost()
{
    if (!g_FileHost)
        return;
    SetDocFileHost(g_PreviousFileHost);
    SetFileListLimitQuery(g_PreviousLimitQuery);
    delete g_FileHost;
    g_FileHost = nullptr;
}
