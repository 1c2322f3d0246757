#pragma once
// The update check: the vendor's list of published versions, what is newer
// than the running version, the download of the newest update on a worker
// thread with a progress bar, and, when the user agrees, the end of the run
// so that the update can be installed.
//
// What was downloaded is never run by this program: it is accepted only when
// it is verified (its SHA-256 checksum, given by the list, matches; or, with
// no checksum given, it came over https), and the end of the run then shows
// it to the user in the desktop's file manager, for the package manager.
// The list itself is only believed when it came over https (or from a server
// on this machine).
#include <cstdint>
#include <memory>
#include <string>

#include "shell/BaseForms.h"

class TButton;
class TCheckBox;
class TBevel;
class TImage;
class TLabel;
class TMemo;
class TProgressBar;
class TTimer;
class TDownloadThread;
class TOptionsHolder;

// The vendor's web server ("https://name"); tests point it at their own.
extern std::string UpdateServer;
// The path and query of the list of versions.
extern const char* const UpdateListPath;

// The downloaded update the end of the run shows; empty otherwise.
extern std::string PendingInstaller;

enum TUpdateKind : uint8_t { ukMajor = 0, ukMinor = 1, ukMaintenance = 2, ukNumber = 3, ukNone = 4 };

// The list as read: what is newer than the running version.
struct TUpdateList {
    TUpdateKind Kind = ukNone;
    std::string UpdateURL;
    std::string DetailsURL;
    // SHA-256 of the update file in hexadecimal ("Update_SHA256"); may be empty.
    std::string UpdateSHA256;
    std::string Details;
    std::string NewestVersion;
};

// Reads the reply; a file that cannot be read gives kind ukNone.
TUpdateList ReadUpdateList(const std::string& fileName, const std::string& runningVersion);
// The name of a kind in the dialog's sentence ("mise à jour majeure", ...).
const char* UpdateKindName(TUpdateKind kind);

// Whether an address is one whose answers can be believed: https, or plain
// http to this machine's loopback address.
bool IsVerifiedChannel(const std::string& host);
// Whether a downloaded update may be offered: the checksum, when given, must
// match; without one the download must have come over https.
bool VerifyDownloadedUpdate(const std::string& fileName, const std::string& host, const std::string& sha256);

// The monthly check is on and at least 30 days passed since the last check.
// today is a day count (days since 30 December 1899); the stored true day is
// compared when there is one, else the older day index.
bool IsUpdateCheckDue(const TOptionsHolder& options, int32_t today);
bool IsUpdateCheckDue();
// Records today as the day of the last check.
void RecordUpdateCheck(TOptionsHolder& options);

// Shows the dialog modally, then records today as the day of the last check.
void CheckForUpdates();

// The small window shown while the server is called; it refuses to close.
class TContactingHost_Form : public TEldravinForm {
public:
    TContactingHost_Form(TComponent* owner, const std::string& host);
    ~TContactingHost_Form() override;
    bool CloseQuery() override { return false; }
};

class TCheckUpdateForm : public TEldravinForm {
public:
    explicit TCheckUpdateForm(TComponent* owner);
    ~TCheckUpdateForm() override;

    void ContinueButtonClick();
    void MoreDetailsButtonClick();
    void UpdateButtonClick();
    // The 100 ms timer's work (public so that tests may call it in step).
    void TimerTick();
    bool CloseQuery() override;

    TImage* LogoImage = nullptr;
    TLabel* IntroLabel = nullptr;
    TCheckBox* AutoCheckCheckBox = nullptr;
    TBevel* Bevel = nullptr;
    TLabel* NewVersionFoundLabel = nullptr;
    TMemo* DetailsMemo = nullptr;
    TLabel* UpdatePromptLabel = nullptr;
    TLabel* PreparingToUpdateLabel = nullptr;
    TProgressBar* ProgressBar = nullptr;
    TButton* ContinueButton = nullptr;
    TButton* MoreDetailsButton = nullptr;
    TButton* UpdateButton = nullptr;
    TButton* CancelButton = nullptr;

    std::string DetailsURL;
    std::string UpdateURL;
    std::string UpdateSHA256;
    std::string InstallerFile;
    bool CloseAllowed = true;
    // Whether the last download ended verified and accepted by the user.
    bool Accepted = false;

private:
    void ApplyProgress();
    void DownloadEnded();
    void StopWorker();
    std::unique_ptr<TDownloadThread> FDownloadThread;
    TTimer* FTimer = nullptr;
};
