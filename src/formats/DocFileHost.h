#pragma once
// What opening and saving documents ask of the document dispatcher, the
// program options and the main frame, all of which lie above or beside the
// file layer. The application shell installs its host at start-up. Without
// one, no open request is running (open flags 0), there is no template
// document, the options keep their factory values and the frame shows nothing.
#include "document/model/Document.h"

#include <cstdint>
#include <memory>
#include <string>

// Open flags of the dispatcher's request in progress.
constexpr uint32_t ofNoRevertQuestion = 0x0001;
constexpr uint32_t ofOpening = 0x0002;
constexpr uint32_t ofReadOnly = 0x0010;
constexpr uint32_t ofKeepFinalMark = 0x0040;
constexpr uint32_t ofCopyWithoutAsking = 0x0080;
constexpr uint32_t ofDropFinalMark = 0x0100;

// The backup options of the settings (section LoadSave), as indexes into the
// tables of BackupCopies.h where they are indexes.
struct TBackupOptions {
    bool CreateBackup = false;
    // The folder in use; empty: no backups can be made.
    std::string Folder;
    int32_t MaxFiles = 5;
    bool SepFolders = true;
    int32_t MinDiff = 2;
    // Megabytes.
    int32_t MaxAmount = 10;
};

// A template document: an open document of the dispatcher (not owned), or one
// loaded for the occasion (owned, freed with this record).
struct TTemplateDocument {
    TDocument* Document = nullptr;
    std::unique_ptr<TDocument> Owned;
};

class TDocFileHost {
public:
    virtual ~TDocFileHost() = default;

    // --- Document dispatcher ---------------------------------------------------
    virtual uint32_t OpenFlags() { return 0; }
    // The document of a template name (an open document of that name, one
    // loaded from the templates folder, or the built-in template); none when
    // it cannot be had.
    virtual TTemplateDocument GetTemplateDocument(const std::string& /*name*/) { return {}; }
    // Puts the file at the top of the recent-documents list.
    virtual void AddRecentDocument(const std::string& /*fileName*/) {}
    // The password (session form) to try first for an encrypted file: the
    // one remembered for that file, or the one remembered for all; empty:
    // none.
    virtual std::string RememberedPassword(const std::string& /*fileName*/) { return {}; }

    // --- Password dialogs ---------------------------------------------------------
    // Ask the password of an encrypted file (plain text); false when cancelled.
    virtual bool AskPasswordForOpening(const std::string& /*fileName*/, std::string& /*password*/) { return false; }
    virtual bool AskPasswordForSaving(const std::string& /*fileName*/, std::string& /*password*/) { return false; }

    // --- Options ----------------------------------------------------------------
    // DefDocTemplates: 0 the general template, 1 to 5 those of the codings 1,
    // 2, 4, 5 and 6.
    virtual std::string DocTemplate(int32_t slot);
    virtual bool SaveCaretPos() { return false; }
    virtual bool UndoAfterSave() { return true; }
    // SuperCmpctSave: RTF files are written in the compact dialect.
    virtual bool SuperCompactSave() { return true; }
    // CipherStrength: the two key blocks of an encrypted file differ.
    virtual bool CipherStrength() { return true; }
    // UsrName, the author written into RTF and encrypted documents.
    virtual std::string UserName() { return {}; }
    // DefDocFmt: the coding proposed when a document must change its format.
    virtual int32_t DefaultCoding() { return 0; }
    // GetFileNameFromDoc: an unnamed document's save dialog proposes its title.
    virtual bool FileNameFromDocument() { return true; }
    // The backup options; the folder-size limit raised by a backup.
    virtual TBackupOptions BackupOptions() { return {}; }
    virtual void SetBackupMaxAmount(int32_t /*megabytes*/) {}
    // Opens the backup options dialog (the user chose to review them).
    virtual void ShowBackupOptions() {}
    // The clip-library folder (empty: none).
    virtual std::string ClipLibraryFolder() { return {}; }

    // --- Main frame ---------------------------------------------------------------
    // A file name as the status bar shows it in that many pixels.
    virtual std::string DisplayFileName(const std::string& fileName, int32_t width);
    // The status bar's progress: start with a text over a total, move to a
    // value, end (shown full first when asked).
    virtual void ProgressStart(int64_t /*total*/, const std::string& /*text*/) {}
    virtual void ProgressStep(int64_t /*done*/) {}
    virtual void ProgressEnd(bool /*showFull*/) {}
    // The status bar back to its panels.
    virtual void ResetStatusBar() {}
    // Recompute the frame's layout now.
    virtual void UpdateFrameLayout() {}
    // The clip library shows the folder's files again.
    virtual void RefreshClipLibrary() {}
};

// The installed host, or one with the factory values when none is.
TDocFileHost& DocFileHost();
// Installs the host (nullptr removes it); returns the previous one.
TDocFileHost* SetDocFileHost(TDocFileHost* host);
