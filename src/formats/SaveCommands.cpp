#include "formats/SaveCommands.h"

#include "document/model/Document.h"
#include "document/operations/OperationManager.h"
#include "formats/BackupCopies.h"
#include "formats/CodingManager.h"
#include "formats/DocDispatcher.h"
#include "formats/DocFileHost.h"
#include "formats/DocumentFile.h"
#include "formats/EncryptionManager.h"
#include "foundation/MessageDlg.h"
#include "foundation/Paths.h"
#include "platform/framework/dialogs/CommonDialogs.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SysUtils.h"
#include "platform/runtime/SystemErrors.h"

namespace {

const char kInUse[] = "Le fichier \"%s\" est en cours d'utilisation par une autre application.";

std::string WithName(const char* text, const std::string& name)
{
    std::string result = text;
    const size_t at = result.find("%s");
    if (at != std::string::npos)
        result.replace(at, 2, name);
    return result;
}

// Another open document already has that file name.
bool NameTakenByOther(const TDocument& document, const std::string& name)
{
    if (!DocDispatcher)
        return false;
    const TDocument* other = DocDispatcher->FindOpenDocument(name, true);
    return other && other != &document;
}

// The file is the document's own (ignoring case, both expanded).
bool IsOwnFile(const TDocument& document, const std::string& name)
{
    return !document.FileName.empty() && AnsiSameText(ExpandFileName(document.FileName), ExpandFileName(name));
}

// The save dialog: the name and coding chosen; false when cancelled.
bool ChooseSaveName(TDocument& document, int32_t coding, std::string& name, int32_t& chosenCoding)
{
    TSaveDialog dialog(nullptr);
    dialog.Title = "Enregistrer sous";
    if (TCodingManager* codings = GetCodingManager())
        dialog.Filter = codings->SaveFilter();
    dialog.FilterIndex = std::max(TCodingManager::CodingToSaveFilterIndex(coding), 1);
    std::string proposed = name;
    if (document.FileState.Untitled && DocFileHost().FileNameFromDocument()) {
        const std::string title = document.SuggestTitle("", false);
        if (!title.empty())
            proposed = IncludeTrailingPathDelimiter(ExtractFilePath(name)) + title;
    }
    dialog.FileName = ChangeFileExt(proposed, "." + CodingExtension(coding));
    dialog.InitialDir = ExtractFileDir(name);
    dialog.Options = dialog.Options | ofOverwritePrompt;
    if (!dialog.Execute())
        return false;
    chosenCoding = TCodingManager::SaveFilterIndexToCoding(dialog.FilterIndex);
    if (chosenCoding < 0)
        chosenCoding = coding;
    name = TCodingManager::AddDefaultExtension(dialog.FileName, dialog.FilterIndex);
    return true;
}

// SaveAs with the coding to propose in its dialog.
int32_t SaveAsCoding(TDocument& document, std::string name, bool showDialog, int32_t coding);

}  // namespace

int32_t Save(TDocument& document)
{
    TDocFileState& file = document.FileState;
    if (file.OpenedAsCopy) {
        const THandle probe = CreateFile(document.FileName, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        if (probe == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_SHARING_VIOLATION)
                ShowWarning(WithName(kInUse, document.FileName));
            else
                ShowWarning(WithName("Impossible d'ouvrir le fichier \"%s\".", document.FileName));
            return SaveAs(document, document.FileName, true);
        }
        FileClose(probe);
        const int32_t answer = ShowMessageDlg(
            WithName("Le document \"%s\" a été modifié par une autre application. L'enregistrement de ce document dans "
                     "Eldravin annulera toutes les modifications introduites par l'autre application. Enregistrer le "
                     "document malgré tout ?",
                     document.FileName),
            mtConfirmation, mbYesNoCancel);
        if (answer == mrYes)
            return SaveAs(document, document.FileName, false);
        if (answer == mrNo)
            return SaveAs(document, document.FileName, true);
        return srNotSaved;
    }
    if (file.ReadOnly) {
        ShowInformation(WithName("Le document \"%s\" a été ouvert en lecture seule.", document.FileName));
        return SaveAs(document, document.FileName, true);
    }
    if (file.Untitled || file.Recovered)
        return SaveAs(document, document.FileName, true);
    if (ConfirmSaveInCoding(document, false, document.Format)) {
        const int32_t coding = DocFileHost().DefaultCoding();
        return SaveAsCoding(document, ChangeFileExt(document.FileName, "." + CodingExtension(coding)), true, coding);
    }
    if (file.Handle == 0)
        return SaveAs(document, document.FileName, false);

    if (!MakeBackupCopy(document, document.FileName, document.FileName))
        return srNotSaved;
    TDocWriteParams params;
    params.Coding = document.Format;
    if (WriteToFile(document, params) != wrWritten)
        return srFailed;
    MakeBackupCopy(document, document.FileName, document.FileName);
    // The file now holds everything the recovery copy protected.
    DeleteRecoveryFile(document);
    return srSaved;
}

int32_t SaveAs(TDocument& document, const std::string& name, bool showDialog)
{
    return SaveAsCoding(document, name, showDialog, document.Format);
}

namespace {

int32_t SaveAsCoding(TDocument& document, std::string name, bool showDialog, int32_t coding)
{
    TDocFileState& file = document.FileState;
    if (name.empty())
        name = document.FileName.empty() ? document.MakeUntitledName() : document.FileName;
    int32_t chosen = coding;
    for (;;) {
        if (showDialog && !ChooseSaveName(document, coding, name, chosen))
            return srNotSaved;
        name = ExpandFileName(name);
        if (NameTakenByOther(document, name)) {
            ShowWarning(WithName("Un document situé dans le même dossier et portant le même nom (\"%s\") est déjà "
                                 "ouvert. Il est impossible d'enregistrer deux documents sous le même nom dans le "
                                 "même dossier. Vous pouvez soit enregistrer le présent document sous un nom "
                                 "différent dans ce même dossier, soit conserver le même nom mais l'enregistrer dans "
                                 "un dossier différent.",
                                 ExtractFileName(name)));
        } else if (showDialog && file.OpenedAsCopy && IsOwnFile(document, name)) {
            ShowWarning(WithName(kInUse, name));
        } else if (showDialog && file.ReadOnly && IsOwnFile(document, name)) {
            ShowInformation(WithName("Le document \"%s\" a été ouvert en lecture seule.", name));
        } else if (showDialog && ConfirmSaveInCoding(document, true, chosen)) {
        } else {
            break;
        }
        if (!showDialog)
            return srNotSaved;
    }

    // The file as it was goes to the backups first.
    if (file.Handle != 0 && !file.Untitled && !MakeBackupCopy(document, document.FileName, document.FileName))
        return srNotSaved;

    // Saving encrypted asks for the password (an untitled encrypted document
    // got its own when it was made).
    const std::string formerPassword = file.Password;
    if (showDialog && chosen == ciEncrypted && !(file.Untitled && document.Format == ciEncrypted && !file.Password.empty())) {
        std::string password;
        if (!DocFileHost().AskPasswordForSaving(name, password) || password.empty())
            throw EAbort();
        file.Password = EncryptPassword(password);
    }

    // The write goes to the chosen name; the former name, coding and flags
    // come back when it fails.
    const std::string formerName = document.FileName;
    const int32_t formerCoding = document.Format;
    document.FileName = name;
    TDocWriteParams params;
    params.Coding = chosen;
    int32_t result = wrFailed;
    try {
        result = WriteToFile(document, params);
    } catch (...) {
        document.FileName = formerName;
        document.Format = formerCoding;
        file.Password = formerPassword;
        throw;
    }
    if (result != wrWritten) {
        if (result != wrChecksumFailed) {
            document.FileName = formerName;
            document.Format = formerCoding;
            file.Password = formerPassword;
        }
        return srFailed;
    }
    document.Properties.Created = Now();
    MakeBackupCopy(document, document.FileName, document.FileName);
    DeleteRecoveryFile(document);
    DocFileHost().UpdateFrameLayout();
    return srSaved;
}

}  // namespace

int32_t SaveCopyToFile(TDocument& document, const std::string& name)
{
    TDocWriteParams params;
    params.Coding = document.Format == ciWrite ? ciRtf : document.Format;
    params.Flags = wfCopy;
    params.OtherFile = ExpandFileName(name);
    return WriteToFile(document, params) == wrWritten ? srSaved : srFailed;
}

void DeleteRecoveryFile(TDocument& document)
{
    TDocFileState& file = document.FileState;
    file.CloseRecoveryFile();
    if (!file.RecoveryFileName.empty())
        DeleteFile(file.RecoveryFileName);
    file.RecoveryFileName.clear();
    file.HasRecoveryFile = 0;
    file.RecoveryEncrypted = 0;
}

void SaveRecoveryCopy(TDocument& document)
{
    TDocFileState& file = document.FileState;
    if (!document.ChangedSinceRecovery || (!document.IsModified() && !file.HasRecoveryFile))
        return;
    bool madeNow = false;
    if (file.RecoveryFileName.empty()) {
        file.RecoveryFileName = GetTempFileNameForKind(1);
        if (file.RecoveryFileName.empty())
            return;
        madeNow = true;
    }
    // The copy replaces the file the document holds: that handle goes first.
    file.CloseRecoveryFile();
    const bool encrypted = document.Format == ciEncrypted && !file.Password.empty();
    TDocWriteParams params;
    params.Coding = encrypted ? ciEncrypted : ciRtf;
    params.Flags = wfCopy;
    params.RecoveryCopy = 1;
    params.OtherFile = file.RecoveryFileName;
    THandle handle = 0;
    params.NewHandle = &handle;
    bool written = false;
    try {
        written = WriteToFile(document, params) == wrWritten;
    } catch (const EAbort&) {
        written = false;
    }
    if (!written) {
        if (handle != 0)
            FileClose(handle);
        if (madeNow) {
            DeleteFile(file.RecoveryFileName);
            file.RecoveryFileName.clear();
        } else if (FileExists(file.RecoveryFileName)) {
            // The earlier copy stays, held as before.
            const THandle held = CreateFile(file.RecoveryFileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                            OPEN_EXISTING);
            file.RecoveryHandle = held == INVALID_HANDLE_VALUE ? 0 : held;
        }
        return;
    }
    // Held while the document is open: another instance collecting copies
    // at its start leaves a held one alone.
    file.RecoveryHandle = handle;
    file.HasRecoveryFile = 1;
    file.RecoveryEncrypted = encrypted;
    document.ChangedSinceRecovery = 0;
    document.UndoManager().RecoveryIndex = document.UndoManager().CurrentIndex();

    // The current content also goes to the backups.
    if (!file.Untitled && !file.OpenedAsCopy && !file.ReadOnly && !file.Recovered && FileExists(document.FileName)) {
        MakeBackupCopy(document, document.FileName, document.FileName);
        if (DocFileHost().BackupOptions().CreateBackup) {
            const std::string temp = GetTempFileNameForKind(0);
            if (!temp.empty()) {
                if (SaveCopyToFile(document, temp) == srSaved)
                    MakeBackupCopy(document,
                                   document.Format == ciWrite ? ChangeFileExt(document.FileName, ".rtf")
                                                              : document.FileName,
                                   temp);
                DeleteFile(temp);
            }
        }
    }
}
