// Pasting: operation 15 reads the clipboard through the clipboard manager
// into an insertion buffer and inserts it at the selection.
#include "document/fields/FieldInstructions.h"
#include "document/model/DocClipboard.h"
#include "document/model/Document.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "foundation/CharFormat.h"
#include "foundation/Memory.h"
#include "foundation/MessageDlg.h"
#include "foundation/managers/FontManager.h"
#include "platform/runtime/Exception.h"

#include <string>

namespace {

constexpr uint32_t ClipFormatText = 1;          // CF_TEXT
constexpr uint32_t FormatUnicodeText = 13;  // CF_UNICODETEXT

const char* const PasteErrorText =
    "Erreur lors de l'insertion du contenu du Presse-papiers. La cause peut en être la présence de données "
    "incorrectes dans le Presse-papiers ou une insuffisance de ressources système. Nous vous recommendons "
    "fortement d'enregistrer le document actif dans un autre dossier, de fermer Eldravin, et de rebooter votre "
    "système d'exploitation.";

// Closes the clipboard when the paste leaves, whichever way.
struct TClipboardCloser {
    TDocClipboard& Clipboard;
    ~TClipboardCloser() { Clipboard.Close(); }
};

}  // namespace

void TDocument::PasteFromClipboard(bool plainText, uint32_t format, TUpdateRange& update, TOperation* op)
{
    // 1. and 2.
    update.Reset();
    const int32_t stepsBefore = op ? op->StepCount() : 0;
    TDocClipboard* clipboard = GetDocClipboard();
    if (!clipboard || !clipboard->Open(10000))
        return;
    TClipboardCloser closer{*clipboard};

    // 3. Plain text or not.
    bool plain;
    uint32_t historyFormat = 0;
    if (clipboard->PastingHistoryItem(historyFormat))
        plain = historyFormat == ClipFormatText || historyFormat == FormatUnicodeText;
    else
        plain = (plainText && clipboard->HasTextFormat()) || format == ClipFormatText || format == FormatUnicodeText ||
                (format == 0 && clipboard->HasPlainTextOnly());

    // 4. Nothing pasteable.
    if (!clipboard->HasTextData())
        return;

    // 6. The content as an insertion buffer.
    TMemory buffer;
    TClipboardReadResult result;
    bool read = false;
    try {
        read = clipboard->ReadClipboard(*this, buffer, plain, format, result, update, op);
    } catch (const EAbort&) {
        read = false;
    } catch (...) {
        DropCarriedObjects();
        throw;
    }
    if (!read) {
        DropCarriedObjects();
        ShowError(PasteErrorText);
        // Steps already made (styles or objects taken over) are taken back
        // with the operation.
        if (op && op->StepCount() > stepsBefore)
            throw EAbort();
        return;
    }

    try {
        if (result.Link) {
            // A dragged link: its address becomes a hyperlink showing it.
            const std::string address(reinterpret_cast<const char*>(buffer.Data()),
                                      static_cast<size_t>(buffer.Size()));
            TUpdateRange local;
            InsertHyperlink(BuildHyperlinkField(address, std::string()), address, local, op);
            FUndoManager->MergeUpdateRange(update, local);
        } else {
            PrepareTypingFormat({Caret.Paragraph, Caret.Offset}, 1);
            int32_t changes = 0;
            // Converted Unicode text takes the variant of the typing font for
            // its character set.
            int32_t variant = NotSet;
            if (result.Charset != static_cast<int32_t>(0x80000000u)) {
                TFontManager* fonts = GetFontManager();
                const TRegisteredFont* font = fonts ? fonts->FindFont(InsertFormat[cfFont]) : nullptr;
                if (font && font->RequestedCharset != result.Charset) {
                    variant = fonts->GetCharsetVariant(font->FontNumber, static_cast<uint8_t>(result.Charset));
                    if (variant < 0)
                        variant = NotSet;
                }
                BeginChange(chfCharsetVariant);
                ++changes;
            }
            const TEditFlags flags = DocumentHost().SpaceAdjustment() && !clipboard->HasNotWholeWords() &&
                                             !result.Picture
                                         ? efAdjustSpaces
                                         : 0;
            if (buffer.Size() > 0) {
                const TTextPosition start =
                    HasSelection() ? Selection().Start : TTextPosition{Caret.Paragraph, Caret.Offset};
                TUpdateRange local;
                if (plain || result.PlainText || result.Format == ClipFormatText) {
                    BeginChange(chfPlainTextPaste);
                    ++changes;
                    InsertText(buffer, flags, local, op);
                } else {
                    InsertFragment(buffer, result.ParagraphCount, local, op, flags);
                }
                FUndoManager->MergeUpdateRange(update, local);
                if (variant != NotSet) {
                    TTextRange inserted;
                    MakeTextPos(start.Paragraph, start.Offset, inserted.Start);
                    MakeTextPos(Caret.Paragraph, Caret.Offset, inserted.End);
                    TCharFormat font;
                    ClearCharFormat(font);
                    font[cfFont] = variant;
                    local.Reset();
                    FormatText(inserted, font, 0, local, op);
                    FUndoManager->MergeUpdateRange(update, local);
                }
            }
            EndChanges(changes);
        }
    } catch (...) {
        DropCarriedObjects();
        throw;
    }
    DropCarriedObjects();
}

void TDocument::PasteNoteSpike(TUpdateRange& update, TOperation* op)
{
    update.Reset();
    TDocClipboard* clipboard = GetDocClipboard();
    if (!clipboard)
        return;
    TMemory buffer;
    int32_t count = 0;
    try {
        // A writer or reader failure inserts nothing, quietly.
        bool read = false;
        try {
            read = clipboard->ReadNoteSpike(*this, buffer, count, update, op);
        } catch (const EAbort&) {
            read = false;
        }
        if (read && buffer.Size() > 0) {
            PrepareTypingFormat({Caret.Paragraph, Caret.Offset}, 1);
            const TEditFlags flags = DocumentHost().SpaceAdjustment() ? efAdjustSpaces : 0;
            TUpdateRange local;
            InsertFragment(buffer, count, local, op, flags);
            FUndoManager->MergeUpdateRange(update, local);
        }
    } catch (...) {
        DropCarriedObjects();
        throw;
    }
    DropCarriedObjects();
}
