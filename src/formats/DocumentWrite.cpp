#include "formats/DocumentFile.h"

#include "document/model/DocumentHost.h"
#include "document/fields/Field.h"
#include "document/operations/OperationManager.h"
#include "document/model/Paragraph.h"
#include "foundation/MessageDlg.h"
#include "foundation/Paths.h"
#include "formats/DocFileHost.h"
#include "formats/EncryptionManager.h"
#include "formats/OutputFile.h"
#include "formats/html/HtmlExport.h"
#include "formats/rtf/RtfWriter.h"
#include "formats/text/TextWriter.h"
#include "formats/word/WordWriter.h"
#include "platform/runtime/DateTime.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>

namespace {

// The change flag raised while a document is written.
constexpr int32_t kWriteChangeFlag = 0x41;
// The field type of a hyperlink.
constexpr uint8_t kHyperlinkFieldType = 88;

// Write files cannot be written: a request for them stays refused rather
// than putting RTF into a file of that name.
bool IsRtfCoding(int32_t coding)
{
    return coding == ciRtf || coding == ciEncrypted;
}

// The Word codings have their own writer.
bool IsWordCoding(int32_t coding)
{
    return coding == ciWord6 || coding == ciWord97;
}

bool HasWriter(const TDocWriteParams& params)
{
    return !(params.Flags & wfHtml) && (IsRtfCoding(params.Coding) || IsWordCoding(params.Coding) ||
                                        params.Coding == ciAnsiText || params.Coding == ciDosText);
}

TTextWriteRange ResolveRange(TDocument& document, const TDocWriteParams& params)
{
    TTextWriteRange range;
    const int32_t bodyLast = document.StoryLast(stBody);
    if (params.FirstParagraph == NotSet) {
        range.LastParagraph = bodyLast;
        range.LastOffset = document.Paragraphs(bodyLast).GetCharCount();
        range.EndsBody = true;
        return range;
    }
    const int32_t lastIndex = document.ParagraphCount() - 1;
    range.FirstParagraph = std::clamp(params.FirstParagraph, 0, lastIndex);
    range.LastParagraph = std::clamp(params.LastParagraph, range.FirstParagraph, lastIndex);
    const int32_t firstCount = document.Paragraphs(range.FirstParagraph).GetCharCount();
    const int32_t lastCount = document.Paragraphs(range.LastParagraph).GetCharCount();
    range.FirstOffset = std::clamp(params.FirstOffset, 0, firstCount);
    range.LastOffset = std::clamp(params.LastOffset, 0, lastCount);
    if (range.FirstParagraph == range.LastParagraph)
        range.LastOffset = std::max(range.LastOffset, range.FirstOffset);
    range.EndsBody = range.LastParagraph == bodyLast && range.LastOffset == lastCount;
    return range;
}

int32_t RunWriter(TOutputFile& output, const TDocWriteParams& params)
{
    if (IsWordCoding(params.Coding))
        return WriteWordDocument(output);
    const TTextWriteRange range = ResolveRange(output.Document(), params);
    if (IsRtfCoding(params.Coding))
        return WriteRtf(output, params, range);
    return WriteText(output, params, range);
}

// Asks whether to try a failed step of the save again.
bool RetryWrite(const std::string& fileName)
{
    return ShowMessageDlg("Erreur lors de l'écriture du fichier \"" + fileName + "\".", mtError,
                          mbRetry | mbCancel) == mrRetry;
}

// A save to the document's own file. The new content is written completely
// into a new file beside the document's file and flushed to the disk; only
// then does it take the file's place. Until then the old file is untouched
// and held against other writers: by the document's kept handle, or, for a
// document that keeps none, by a handle of the same kind taken for the save.
class TSafeSave {
public:
    // otherFile: the file written instead of the document's own; its new
    // handle goes to newHandle (closed when that is null).
    TSafeSave(TDocument& document, const std::string& otherFile, THandle* newHandle)
        : FDocument(document),
          FTarget(GetFinalPathName(ExpandFileName(otherFile.empty() ? document.FileName : otherFile))),
          FOther(!otherFile.empty()), FNewHandle(newHandle)
    {
    }
    ~TSafeSave()
    {
        if (FGuard > 0)
            FileClose(FGuard);
        if (FTemp > 0) {
            FileClose(FTemp);
            DeleteFile(FTempName);
        }
    }
    TSafeSave(const TSafeSave&) = delete;
    TSafeSave& operator=(const TSafeSave&) = delete;

    // Holds the target and makes the new file; false when the user cancelled.
    bool Prepare()
    {
        if ((FOther || FDocument.FileState.Handle == 0) && FileExists(FTarget)) {
            for (;;) {
                FGuard = CreateFile(FTarget, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
                if (FGuard != INVALID_HANDLE_VALUE)
                    break;
                FGuard = 0;
                if (!RetryWrite(FDocument.FileName))
                    return false;
            }
        }
        for (;;) {
            FTempName = GetTempFileName(ExtractFilePath(FTarget), "~Eldrav", ".tmp");
            if (!FTempName.empty()) {
                FTemp = CreateFile(FTempName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
                if (FTemp != INVALID_HANDLE_VALUE)
                    return true;
                FTemp = 0;
                DeleteFile(FTempName);
            }
            if (!RetryWrite(FDocument.FileName))
                return false;
        }
    }

    THandle Output() const { return FTemp; }

    // The new file to the disk and into the target's place; false when the
    // user cancelled. On success the document keeps the new file open.
    bool Commit()
    {
        SetEndOfFile(FTemp);
        while (!FlushFileBuffers(FTemp))
            if (!RetryWrite(FDocument.FileName))
                return false;
        while (!ReplaceFile(FTarget, FTempName))
            if (!RetryWrite(FDocument.FileName))
                return false;
        if (FOther) {
            if (FNewHandle)
                *FNewHandle = FTemp;
            else
                FileClose(FTemp);
            FTemp = 0;
            return true;
        }
        FDocument.CloseFile();
        if (IsRemovableDrive(FTarget))
            FileClose(FTemp);
        else
            FDocument.FileState.Handle = FTemp;
        FTemp = 0;
        return true;
    }

private:
    TDocument& FDocument;
    std::string FTarget;
    bool FOther = false;
    THandle* FNewHandle = nullptr;
    THandle FGuard = 0;
    std::string FTempName;
    THandle FTemp = 0;
};

// The state a write leaves behind: the document matches its file.
void MarkSaved(TDocument& document, int32_t coding)
{
    TDocFileState& file = document.FileState;
    file.Untitled = 0;
    file.Recovered = 0;
    file.ReadOnly = 0;
    file.OpenedAsCopy = 0;
    document.Format = coding;
    document.SetModified(false);
    TOperationManager& undo = document.UndoManager();
    // Undo reaches back past the save only when the user wants it to.
    if (!DocFileHost().UndoAfterSave()) {
        undo.ClearRedo();
        undo.ClearUndo();
    }
    undo.SavedIndex = undo.CurrentIndex();
    if (DocumentHost().IsOpenDocument(document)) {
        DocFileHost().AddRecentDocument(document.FileName);
        DocumentHost().RequestLayout();
    }
}

// The document's file lies in the folder (or below it).
bool LiesInFolder(const std::string& fileName, const std::string& folder)
{
    if (folder.empty())
        return false;
    const std::string prefix = IncludeTrailingPathDelimiter(ExpandFileName(folder));
    const std::string name = ExpandFileName(fileName);
    return name.size() > prefix.size() && AnsiSameText(name.substr(0, prefix.size()), prefix);
}

// Some text of the range sets a decorative underline (a kind above 4).
bool HasDecorativeUnderline(const TDocument& document)
{
    const int32_t last = document.StoryLast(stBody);
    for (int32_t p = 0; p <= last; ++p) {
        const TMemory& text = document.Paragraphs(p).GetText();
        const uint8_t* data = text.Data();
        for (int32_t i = 0; i < text.Size();) {
            if (data[i] != InlineControlStartByte) {
                ++i;
                continue;
            }
            const TInlineControl control = ReadInlineControl(data + i);
            if (control.Code == cfUnderline && control.Argument != NotSet && control.Argument > 4)
                return true;
            i += InlineControlSize;
        }
    }
    return false;
}

// An attribute that is set, or mixed, in a common format.
bool IsSetOrMixed(int32_t value)
{
    return value != 0;
}

// The lines of formatting that the Word 6.0/95 format loses.
std::string LostInWord6(TDocument& document)
{
    TTextRange range;
    document.GetBodyRange(range);
    TCharFormat common;
    document.GetCommonCharFormat(range, common, false);
    std::string lines;
    auto add = [&lines](const char* line) { lines += std::string(line) + "||"; };
    if (IsSetOrMixed(common[cfDoubleStrikeOut]))
        add("* les attributs barré double seront convertis en barré simple.");
    if (IsSetOrMixed(common[cfEmboss]))
        add("* Texte à effet de relief (la couleur du texte deviendra grise).");
    if (IsSetOrMixed(common[cfEngrave]))
        add("* Texte à effet d'empreinte (la couleur du texte deviendra grise).");
    if (IsSetOrMixed(common[cfHighlight]))
        add("* Les caractères surlignés perdront leur surlignage.");
    if (common[cfHorizontalScale] != 100)
        add("* Tout effet d'échelle appliqué à des caractères sera perdu.");
    const int32_t underline = common[cfUnderline];
    if ((underline != NotSet && underline > 4) || (underline == NotSet && HasDecorativeUnderline(document)))
        add("* les soulignages décoratifs seront convertis en soulignages simples.");
    for (const auto& field : document.RangeObjects())
        if (field->Kind == rkField && field->Type == kHyperlinkFieldType) {
            add("* Le soulignage des liens hypertextes sera éventuellement préservé mais le lien sera "
                "inactivé.");
            break;
        }
    return lines;
}

// Text keeps the formatting only of a document that has one paragraph
// format and one character format throughout.
bool LosesFormattingAsText(TDocument& document)
{
    TTextRange range;
    document.GetBodyRange(range);
    TParFormat par;
    document.GetCommonParFormat(range, par, false);
    for (int slot = 0; slot < TParFormat::Count; ++slot)
        if (slot != pfWidowControl && par[slot] == NotSet)
            return true;
    TCharFormat chars;
    document.GetCommonCharFormat(range, chars, false);
    for (int slot = 0; slot < cfLanguage; ++slot)
        if (chars[slot] == NotSet)
            return true;
    return false;
}

}  // namespace

int32_t WriteToFile(TDocument& document, TDocWriteParams params)
{
    TDocFileHost& host = DocFileHost();
    document.BeginChange(kWriteChangeFlag);
    struct TChangeBracket {
        TDocument& Document;
        ~TChangeBracket() { Document.EndChanges(1); }
    } bracket{document};

    // The web-page export writes a page of its own (and its pictures), never
    // the document's file.
    if (params.Flags & wfHtml)
        return WriteHtmlPage(document, params);

    if (params.Coding == ciRtf || params.Coding == ciEncrypted) {
        const std::string author = host.UserName();
        if (!author.empty())
            document.Properties.Author = author;
    }
    if (!HasWriter(params)) {
        ShowInformation("Eldravin ne peut pas pour le moment enregistrer de document au format \"" +
                        CodingLongName(params.Coding) + "\". Veuillez, s'il vous plaît, choisir un autre format");
        return wrFailed;
    }
    const bool toFile = params.Target == wtDocumentFile;
    if (toFile && document.FileName.empty() && params.OtherFile.empty())
        throw EInternalError("Document sans nom de fichier à enregistrer");
    if (!toFile && !params.Memory)
        throw EInternalError("Écriture en mémoire sans mémoire cible");

    // An encrypted file needs its password (kept only in session form).
    if (toFile && params.Coding == ciEncrypted && document.FileState.Password.empty()) {
        std::string password;
        if (!host.AskPasswordForSaving(document.FileName, password) || password.empty())
            return wrFailed;
        document.FileState.Password = EncryptPassword(password);
    }

    const bool fullScreen = document.IsFullScreen();
    if (fullScreen)
        document.SetFullScreen(false);
    bool written = false;
    bool noColor = false;
    // The RTF writer normalises each paragraph's records before it writes
    // it; done first, the fonts and colours marked are those of the text as
    // it is written, and writing twice gives the same file.
    if (IsRtfCoding(params.Coding) && !(params.Flags & wfHtml))
        for (int32_t p = 0; p < document.ParagraphCount(); ++p)
            if (!document.Paragraphs(p).GetNormalizedFlag())
                document.Paragraphs(p).NormalizeControlCodes();
    MarkUsedFonts(document, params.Coding, noColor);
    try {
        if (toFile) {
            if (!params.RecoveryCopy && !(params.Flags & wfCopy))
                document.Properties.LastSaved = Now();
            TSafeSave save(document, params.OtherFile, params.NewHandle);
            if (save.Prepare()) {
                TOutputFile output(document, params.Coding, save.Output(),
                               params.OtherFile.empty() ? document.FileName : params.OtherFile);
                output.NoColors = noColor;
                written = RunWriter(output, params) == 0 && save.Commit();
            }
        } else {
            TOutputFile output(document, params.Coding, *params.Memory);
            output.NoColors = noColor;
            written = RunWriter(output, params) == 0;
        }
    } catch (...) {
        ClearUsedFontMarks();
        if (fullScreen)
            document.SetFullScreen(true);
        host.ProgressEnd(false);
        throw;
    }
    ClearUsedFontMarks();
    if (fullScreen)
        document.SetFullScreen(true);

    // An encrypted file is read back and its checksum checked. A file that
    // fails the check cannot be trusted to open again, so the document is
    // not counted as saved: it stays modified and closing it asks to save.
    bool checksumFailed = false;
    if (toFile && written && params.Coding == ciEncrypted && params.OtherFile.empty() &&
        !CheckDocumentFileCrc(document.FileState.Handle, ExpandFileName(document.FileName),
                              document.FileState.Password)) {
        checksumFailed = true;
        ShowError("Contrôle du CRC négatif. Il se peut que le fichier \"" + document.FileName +
                  "\" soit corrompu.||Il est très probable qu'Eldravin ne sera pas en mesure d'ouvrir ce document "
                  "avec le mot de passe originel.||||Nous vous recommendons fortement de réenregistrer ce fichier "
                  "dans un autre format de document.");
    }
    if (toFile && written && !checksumFailed && !(params.Flags & wfCopy) && params.OtherFile.empty())
        MarkSaved(document, params.Coding);
    if (toFile)
        host.ProgressEnd(written && !checksumFailed);
    host.UpdateFrameLayout();
    if (toFile && written && LiesInFolder(document.FileName, host.ClipLibraryFolder()))
        host.RefreshClipLibrary();
    if (checksumFailed)
        return wrChecksumFailed;
    return written ? wrWritten : wrFailed;
}

bool ConfirmSaveInCoding(TDocument& document, bool askAlways, int32_t coding)
{
    const std::string format = CodingLongName(coding);
    if (!CanSaveCoding(coding)) {
        ShowInformation("Eldravin ne peut pas pour le moment enregistrer de document au format \"" + format +
                        "\". Veuillez, s'il vous plaît, choisir un autre format");
        return true;
    }
    if (document.FileState.LostFormattingWarned)
        return false;
    bool lost = false;
    std::string list;
    if (coding == ciWord6) {
        const std::string lines = LostInWord6(document);
        if (!lines.empty()) {
            lost = true;
            list = "||Les éléments de mise en forme suivants seront perdus :||" + lines;
        }
    } else if (coding == ciWrite || coding == ciAnsiText || coding == ciDosText) {
        lost = LosesFormattingAsText(document);
    }
    if (!lost)
        return false;
    if (!askAlways)
        document.FileState.LostFormattingWarned = 1;
    const std::string question =
        "Le document \"" + document.FileName +
        "\" contient des éléments de mise en forme qui seront perdus si le fichier est enregistré sous le format \"" +
        format + "\"." + list + "||||Appuyez sur \"Oui\" pour enregistrer ce document au format \"" + format +
        "\".||Appuyez sur \"Non\" pour choisir un autre format de document.";
    return ShowMessageDlg(question, mtConfirmation, mbYesNo) == mrNo;
}
