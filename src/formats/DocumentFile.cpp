#include "formats/DocumentFile.h"

#include "document/model/DocumentHost.h"
#include "document/model/DocumentLayout.h"
#include "document/model/EngineWorkBuffer.h"
#include "document/operations/OperationManager.h"
#include "document/model/Paragraph.h"
#include "foundation/MessageDlg.h"
#include "foundation/Paths.h"
#include "foundation/managers/StyleManager.h"
#include "formats/DocFileHost.h"
#include "formats/EncryptionManager.h"
#include "formats/LoadRoutines.h"
#include "formats/rtf/RtfReader.h"
#include "formats/text/TextReader.h"
#include "formats/write/WriteReader.h"
#include "formats/word/WordReader.h"
#include "platform/ole/CompoundFile.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SystemErrors.h"

#include <algorithm>
#include <cstring>

namespace {

// The unread bytes a reader may still need when the next block comes.
constexpr int32_t kRefillThreshold = 32;
constexpr int32_t kReadBlock = 65536;
// A rest of the file up to this size is read at once rather than leaving a
// small last block.
constexpr int32_t kWholeRestLimit = 65568;

// The document's file is kept open for reading and writing while others may
// only read it.
THandle OpenKept(const std::string& fileName, bool write)
{
    return CreateFile(fileName, GENERIC_READ | (write ? GENERIC_WRITE : 0), FILE_SHARE_READ, OPEN_EXISTING,
                      FILE_FLAG_SEQUENTIAL_SCAN);
}

void DeleteCopy(TDocLoadContext& context)
{
    if (context.CopyMade) {
        DeleteFile(context.CopyName);
        context.CopyMade = false;
    }
}

// What every failed or finished load does: the compound file released, the
// handle closed unless kept, the copy deleted, the progress ended.
void EndLoad(TDocLoadContext& context, bool keepHandle, bool success)
{
    context.Stream.reset();
    context.Storage.reset();
    if (!keepHandle && context.Request.Source == lsFile)
        context.Document.CloseFile();
    DeleteCopy(context);
    if (!context.Silent())
        DocFileHost().ProgressEnd(success);
}

// Opens the document's file for the load; false when the user gave up.
bool OpenDocumentHandle(TDocLoadContext& context)
{
    TDocument& document = context.Document;
    const std::string& name = context.Request.FileName;
    const uint32_t flags = DocFileHost().OpenFlags();
    for (;;) {
        THandle handle = OpenKept(name, true);
        if (handle != INVALID_HANDLE_VALUE && (flags & ofReadOnly)) {
            FileClose(handle);
            handle = OpenKept(name, false);
            if (handle != INVALID_HANDLE_VALUE)
                document.FileState.ReadOnly = 1;
        }
        if (handle != INVALID_HANDLE_VALUE) {
            document.FileState.Handle = handle;
            context.OpenedName = name;
            return true;
        }
        const uint32_t error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION) {
            // Another program holds the file: offer to read a copy of it.
            if (!document.FileState.SuppressCopyQuestion && !(flags & ofCopyWithoutAsking) &&
                ShowMessageDlg("Le fichier \"" + name +
                                   "\" est en cours d'utilisation par une autre application. Faire une copie ?",
                               mtConfirmation, mbYes | mbCancel) != mrYes)
                return false;
            if (!CopyDocumentFile(context))
                return false;
            handle = OpenKept(context.CopyName, true);
            if (handle != INVALID_HANDLE_VALUE) {
                document.FileState.Handle = handle;
                document.FileState.OpenedAsCopy = 1;
                context.OpenedName = context.CopyName;
                return true;
            }
            DeleteCopy(context);
        } else if (error == ERROR_ACCESS_DENIED || error == ERROR_NETWORK_ACCESS_DENIED ||
                   error == ERROR_WRITE_PROTECT) {
            // A file that may not be written (or lies on a medium that cannot
            // be) opens for reading only.
            handle = OpenKept(name, false);
            if (handle != INVALID_HANDLE_VALUE) {
                document.FileState.Handle = handle;
                document.FileState.ReadOnly = 1;
                context.OpenedName = name;
                return true;
            }
        }
        if (ShowMessageDlg("Impossible d'ouvrir le fichier \"" + name + "\".", mtError, mbRetry | mbCancel) !=
            mrRetry)
            return false;
    }
}

// The coding to read; ciRefused when the content is refused.
int32_t SettleCoding(TDocLoadContext& context)
{
    const int32_t requested = context.Request.Coding;
    if (requested >= ciDetect || requested < 0)
        return DetectCoding(context);
    if (TestCoding(context, requested))
        return requested;
    if (context.Document.FileState.SuppressFormatQuestion || context.Request.Source != lsFile)
        return ciRefused;
    const std::string question = "Le fichier \"" + context.Request.FileName +
                                 "\" n'est pas un fichier valide de format \"" + CodingLongName(requested) +
                                 "\". Voulez-vous qu'Eldravin essaie de détecter le format réel de ce fichier ?";
    if (ShowMessageDlg(question, mtWarning, mbYesNo) == mrYes)
        return DetectCoding(context);
    return ciRefused;
}

// A coding whose reader the program does not have refuses the content as a
// reader does.
bool RefuseContent(TDocLoadContext& context)
{
    return context.ReadFailed();
}

bool RunReader(TDocLoadContext& context)
{
    switch (context.Coding) {
    case ciAnsiText:
    case ciDosText: return ReadText(context);
    case ciRtf: return ReadRtf(context);
    case ciWrite: return ReadWriteDocument(context);
    // A container is deciphered only as it is read from its file; a block
    // in memory has no password road.
    case ciEncrypted: return context.Request.Source == lsFile ? ReadRtf(context) : RefuseContent(context);
    case ciWord6:
    case ciWord97: return ReadWordDocument(context);
    default: return RefuseContent(context);
    }
}

uint8_t LastPlainChar(const TParagraph& paragraph)
{
    const int32_t count = paragraph.GetCharCount();
    return count > 0 ? paragraph.GetPlainChars().Data()[count - 1] : 0;
}

// Removes the record of the paragraph's last character.
void RemoveLastChar(TParagraph& paragraph)
{
    const int32_t count = paragraph.GetCharCount();
    paragraph.DeleteText(paragraph.CharToByteOffset(count - 1), InlineControlSize);
}

// The body's paragraph ends: no empty paragraph left after the last line,
// and the last paragraph closed by its mark (in a document with a window).
void CompleteParagraphs(TDocLoadContext& context)
{
    TDocument& document = context.Document;
    TDocLoadRequest& request = context.Request;
    int32_t body = document.StoryCount(stBody);
    if (body > 1 && document.Paragraphs(body - 1).GetCharCount() == 0 &&
        LastPlainChar(document.Paragraphs(body - 2)) != scSectionBreak) {
        document.DeleteParagraph(body - 1);
        --body;
    }
    request.ParagraphCount =
        context.Coding == ciWord6 || context.Coding == ciWord97 ? body : document.ParagraphCount();
    TParagraph& last = document.Paragraphs(body - 1);
    const uint8_t end = LastPlainChar(last);
    if (!document.IsHidden()) {
        if (end == scSectionBreak) {
            RemoveLastChar(last);
            last.AppendControl(icSpecialChar, scParagraphMark);
        } else if (end != scParagraphMark) {
            last.AppendControl(icSpecialChar, scParagraphMark);
            request.AddedLength += 1;
        }
    } else if (end != scSectionBreak) {
        --request.ParagraphCount;
    }
    if ((DocFileHost().OpenFlags() & ofDropFinalMark) && context.Coding < ciAnsiText &&
        LastPlainChar(last) == scParagraphMark) {
        RemoveLastChar(last);
        --request.ParagraphCount;
    }
}

// The Normal style is there, styles hold differences, and no style
// sets a highlight, a language or the bullet flag.
void FixStyles(TDocument& document)
{
    TStyleList& styles = document.Styles();
    if (TStyleManager* manager = GetStyleManager())
        manager->ImportDefaultStyle(styles);
    ResolveStyleFormats(styles);
    for (int32_t i = 0; i < styles.Count(); ++i) {
        styles[i].CharFormat[cfHighlight] = NotSet;
        styles[i].CharFormat[cfLanguage] = NotSet;
        styles[i].ParFormat[pfInternal] = NotSet;
    }
}

// The caret place and the view.
void FinishView(TDocLoadContext& context)
{
    TDocument& document = context.Document;
    int32_t paragraph = 0;
    int32_t offset = 0;
    if (DocFileHost().SaveCaretPos()) {
        const int32_t body = document.StoryCount(stBody);
        paragraph = std::clamp(context.CaretParagraph, 0, body - 1);
        offset = std::clamp(context.CaretOffset, 0, std::max(document.Paragraphs(paragraph).GetCharCount() - 1, 0));
    }
    document.Caret.Paragraph = paragraph;
    document.Caret.Offset = offset;
    if (!document.IsHidden()) {
        if (!context.Silent())
            DocFileHost().ProgressStep(context.FileSize);
        for (int32_t s = 0; s < document.SectionCount(); ++s)
            ValidatePageParams(document.Sections(s).PageParams);
    }
    document.UpdateSectionDeviceSizes();
    if (document.View()) {
        ++document.SuppressRepaint;
        document.SetZoom(document.CalcZoom());
        if (TDocumentLayout* layout = GetDocumentLayout())
            layout->UpdatePageLayout(document);
        --document.SuppressRepaint;
    }
}

// What a document read from its file keeps of it.
void AdoptFile(TDocLoadContext& context)
{
    TDocument& document = context.Document;
    TDocFileState& file = document.FileState;
    if (file.Recovered) {
        if (document.FileName.empty())
            document.FileName = document.MakeUntitledName();
    } else {
        document.FileName = context.Request.FileName;
    }
    file.SizeAtLoad = context.FileSize;
    if (document.IsHidden())
        DocFileHost().ResetStatusBar();
    if (file.ReadOnly || file.OpenedAsCopy || IsRemovableDrive(context.OpenedName))
        document.CloseFile();
    if (file.OpenedAsCopy)
        file.SizeAtLoad = 0;
    if (document.Properties.Created == 0)
        document.Properties.Created = GetFileCreationTime(context.Request.FileName);
    DeleteCopy(context);
    if (file.Recovered) {
        // The file read is the document's recovery copy, not its file: closing
        // the document asks to save it.
        file.RecoveryFileName = context.Request.FileName;
        file.CloseRecoveryFile();
        file.RecoveryHandle = file.Handle;
        file.Handle = 0;
        file.SizeAtLoad = 0;
        file.HasRecoveryFile = 1;
        file.RecoveryEncrypted = context.Coding == ciEncrypted;
        document.SetModified(true);
        document.UndoManager().SavedIndex = NotSet;
    }
}

// Later sections take two page values of the first.
void ShareFirstSectionValues(TDocument& document)
{
    if (document.SectionCount() < 2)
        return;
    const TPageParams& first = document.Sections(0).PageParams;
    for (int32_t s = 1; s < document.SectionCount(); ++s) {
        TPageParams& params = document.Sections(s).PageParams;
        params.Values[8] = (params.Values[8] & ~0xFF) | (first.Values[8] & 0xFF);
        params.Values[25] = (params.Values[25] & ~0xFF) | (first.Values[25] & 0xFF);
    }
}

// Finds the password of an encrypted file (the document's own, the one the
// dispatcher remembers, else the user's), checks it against the whole file
// and keys the cipher for the body from the header at the buffer's start. A
// remembered password that fails is dropped silently; a typed one that
// fails asks whether to try another. Cancel raises the silent abort.
void ObtainPasswordAndStartDecryption(TDocLoadContext& context)
{
    TDocument& document = context.Document;
    TDocFileHost& host = DocFileHost();
    const std::string& fileName = context.Request.FileName;
    std::string password = document.FileState.Password;
    if (password.empty())
        password = host.RememberedPassword(fileName);
    bool remembered = !password.empty();
    for (;;) {
        if (password.empty()) {
            std::string typed;
            if (!host.AskPasswordForOpening(fileName, typed))
                Abort();
            password = EncryptPassword(typed);
            remembered = false;
        }
        host.ProgressEnd(false);
        const bool ok = CheckDocumentFileCrc(document.FileState.Handle, context.OpenedName, password);
        host.ProgressStart(context.FileSize,
                           "Chargement du document \"" + host.DisplayFileName(fileName, 350) + "\" ...");
        if (ok)
            break;
        if (!remembered &&
            ShowMessageDlg("Mot de passe incorrect. Voulez-vous essayer d'ouvrir ce document crypté avec un autre "
                           "mot de passe ?",
                           mtConfirmation, mbYesNo) != mrYes)
            Abort();
        password.clear();
        remembered = false;
    }
    document.FileState.Password = password;
    uint8_t header[EncryptedHeaderSize];
    std::memcpy(header, context.WorkBuffer, EncryptedHeaderSize);
    GetEncryptionManager().StartDecryption(header, DecryptPassword(password));
}

}  // namespace

const char EncryptedSignature[10] = {'9', '8', '7', 'D', ' ', 'T', 't', 'c', 'a', 'd'};

TDocLoadContext::TDocLoadContext(TDocLoadRequest& request, TDocument& document)
    : Request(request), Document(document), Coding(request.Coding)
{
}

TDocLoadContext::~TDocLoadContext() = default;

void TDocLoadContext::RefillReadBuffer()
{
    if (Request.Source != lsFile || !WorkBuffer)
        return;
    const int32_t unread = BufferFill - BufferPos;
    if (unread >= kRefillThreshold || BufferFileOffset + BufferFill >= FileSize)
        return;
    std::memmove(WorkBuffer, WorkBuffer + BufferPos, static_cast<size_t>(unread));
    BufferFileOffset += BufferPos;
    BufferPos = 0;
    BufferFill = unread;
    const int64_t left = FileSize - (BufferFileOffset + unread);
    int32_t request = left > kWholeRestLimit ? kReadBlock : static_cast<int32_t>(left);
    // Never past the buffer's end, whatever is kept.
    request = std::min(request, EngineWorkBufferSize - unread);
    const THandle handle = Document.FileState.Handle;
    for (;;) {
        const int64_t at = BufferFileOffset + unread;
        if (FileSeek(handle, at, 0) == at && FileRead(handle, WorkBuffer + unread, request) == request)
            break;
        if (ShowMessageDlg("Erreur lors de la lecture du fichier \"" + OpenedName + "\".", mtError,
                           mbRetry | mbCancel) != mrRetry)
            Abort();
    }
    if (Coding == ciDosText) {
        char* fresh = reinterpret_cast<char*>(WorkBuffer + unread);
        OemToCharBuff(fresh, fresh, static_cast<size_t>(request));
    }
    if (Coding == ciEncrypted && !DetectionPhase) {
        // The header stays as it is; everything behind it is deciphered as
        // it comes, the first block once the password is known.
        uint8_t* fresh = WorkBuffer + unread;
        int32_t count = request;
        if (BufferFileOffset == 0 && unread == 0) {
            if (count < EncryptedHeaderSize)
                throw EReadError("Fichier crypté tronqué");
            ObtainPasswordAndStartDecryption(*this);
            fresh += EncryptedHeaderSize;
            count -= EncryptedHeaderSize;
        }
        GetEncryptionManager().DecryptBuffer(fresh, count);
    }
    BufferFill = unread + request;
    ReadProgressStep();
}

bool TDocLoadContext::ReadFailed()
{
    if (!Silent())
        ShowError("Une erreur s'est produite lors de l'ouverture du document \"" + Request.FileName + "\".");
    return false;
}

void TDocLoadContext::ReadProgressStep()
{
    if (!Silent())
        DocFileHost().ProgressStep(BufferFileOffset + BufferFill);
}

bool LoadFromFile(TDocument& document, TDocLoadRequest& request)
{
    TDocLoadContext context(request, document);
    TDocFileHost& host = DocFileHost();
    TTemplateDocument textTemplate;
    try {
        if (request.Source != lsFile) {
            context.ReadBuffer = request.Buffer;
            context.BufferFill = request.Buffer ? std::max(request.BufferSize, 0) : 0;
            context.FileSize = context.BufferFill;
            context.Coding = request.Coding;
            if (context.Coding >= ciDetect || context.Coding < 0)
                context.Coding = DetectCoding(context);
        } else {
            if (!OpenDocumentHandle(context)) {
                EndLoad(context, false, false);
                return false;
            }
            context.FileSize = std::max<int64_t>(FileGetSize(document.FileState.Handle), 0);
            host.ProgressStart(context.FileSize, "Chargement du document \"" +
                                                     host.DisplayFileName(request.FileName, 350) + "\" ...");
            context.WorkBuffer = AllocEngineWorkBuffer();
            context.ReadBuffer = context.WorkBuffer;
            context.DetectionPhase = true;
            context.RefillReadBuffer();
            context.DetectionPhase = false;

            context.Coding = SettleCoding(context);
            if (context.Coding == ciRefused) {
                request.Coding = ciRefused;
                EndLoad(context, false, false);
                return false;
            }
            document.Format = context.Coding;
            if (context.WordTest == 1 && context.Coding != ciWord6 && context.Coding != ciWord97) {
                context.Stream.reset();
                context.Storage.reset();
                if (document.FileState.ReadOnly) {
                    DeleteCopy(context);
                } else {
                    document.FileState.Handle = OpenKept(context.OpenedName, true);
                    if (document.FileState.Handle == INVALID_HANDLE_VALUE) {
                        document.FileState.Handle = 0;
                        throw EFOpenError("Impossible d'ouvrir le fichier \"" + request.FileName + "\".",
                                          static_cast<int>(GetLastError()));
                    }
                    FileSeek(document.FileState.Handle, context.BufferFileOffset + context.BufferFill, 0);
                }
            }
            // The first block again, deciphered or converted from DOS text
            // now that the coding is known.
            if (context.Coding == ciEncrypted || (context.Coding == ciDosText && context.Coding != request.Coding)) {
                context.BufferFileOffset = 0;
                context.BufferFill = 0;
                context.BufferPos = 0;
                context.RefillReadBuffer();
            }
            // Text and Write documents take the formatting of their coding's
            // template (unless they are templates themselves).
            if ((context.Coding == ciWrite || context.Coding == ciAnsiText || context.Coding == ciDosText) &&
                !DocumentHost().IsTemplateFile(request.FileName)) {
                {
                    TEngineWorkBufferSwap swap;
                    textTemplate = host.GetTemplateDocument(TCodingManager::GetTemplateFileName(context.Coding));
                }
                if (TDocument* model = textTemplate.Document) {
                    document.Styles().Assign(model->Styles());
                    document.Sections(0).Assign(model->Sections(0));
                    document.ViewMode = model->ViewMode;
                    document.SetZoom(model->Zoom());
                    context.TemplateDocument = model;
                }
            }
        }
        document.Format = context.Coding;

        if (!RunReader(context)) {
            EndLoad(context, false, false);
            return false;
        }
        if (request.Source == lsFile)
            AdoptFile(context);
        ShareFirstSectionValues(document);
        CompleteParagraphs(context);
        // Ranges where the finished paragraphs hold them.
        document.RefreshRangeObjectPositions();
        FixStyles(document);
        FinishView(context);
        request.Coding = context.Coding;
        EndLoad(context, true, true);
        return true;
    } catch (...) {
        EndLoad(context, false, false);
        if (request.Source == lsFile)
            host.ResetStatusBar();
        throw;
    }
}
