// Operation 48: one character of a chosen font at the caret.
#include "document/editing/EditingRecords.h"
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/steps/InsertDeleteFieldOperation.h"
#include "foundation/CharFormat.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/Memory.h"
#include "foundation/managers/FontManager.h"

#include <memory>

namespace {

constexpr uint8_t SymbolCharset = 2;
constexpr uint8_t SymbolFieldType = 57;

// A language written in the character set: the program's default language
// when it is written in it, else the first of a list of languages, one for
// each character set.
int32_t LanguageOfCharset(int32_t charset)
{
    const int32_t fallback = DocumentHost().KeyboardLanguage();
    if (GetLocaleCharset(static_cast<LCID>(fallback), true) == charset)
        return fallback;
    static const int32_t Candidates[] = {
        0x040C,  // French (ANSI)
        0x0415,  // Polish (Central European)
        0x0419,  // Russian (Cyrillic)
        0x0408,  // Greek
        0x041F,  // Turkish
        0x040D,  // Hebrew
        0x0401,  // Arabic
        0x0426,  // Latvian (Baltic)
        0x042A,  // Vietnamese
        0x041E,  // Thai
    };
    for (int32_t language : Candidates)
        if (GetLocaleCharset(static_cast<LCID>(language), true) == charset)
            return language;
    return fallback;
}

}  // namespace

void TDocument::InsertSymbol(uint8_t character, const std::string& fontName, TUpdateRange& update, TOperation* op,
                             int32_t charset)
{
    update.Reset();
    // 1. The character alone, without a language chosen for it.
    TMemory text;
    text.AppendByte(character);
    TUpdateRange local;
    const uint8_t noLanguage = NoInsertLanguage;
    NoInsertLanguage = 1;
    try {
        InsertText(text, 0, local, op);
    } catch (...) {
        NoInsertLanguage = noLanguage;
        throw;
    }
    NoInsertLanguage = noLanguage;
    FUndoManager->MergeUpdateRange(update, local);

    // 2. Its range.
    TTextRange range;
    MakeTextPos(Caret.Paragraph, Caret.Offset - 1, range.Start);
    MakeTextPos(Caret.Paragraph, Caret.Offset, range.End);
    if (range.Start.Offset < 0)
        return;

    // 3. The font alone.
    TCharFormat format;
    ClearCharFormat(format);
    if (TFontManager* fonts = GetFontManager())
        format[cfFont] = fonts->GetFontIndex(fontName, charset, true, 0);
    if (format[cfFont] != NotSet) {
        local.Reset();
        FormatText(range, format, 0, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }

    // 4. A symbol font's character stands in a "Symbole" field; any other
    // takes a language of the character set.
    if (charset == SymbolCharset) {
        auto field = std::make_unique<TField>(this, rkField);
        field->Type = SymbolFieldType;
        field->Instruction = BuildSymbolField(character, fontName);
        auto step = std::make_unique<TInsertDeleteFieldOperation>(this, field.get(), false, idfBothAnchors);
        step->SetStart(range.Start.Paragraph, range.Start.Offset, 0x7FFFFFFF);
        step->SetEnd(range.End.Paragraph, range.End.Offset, 0);
        step->Adopt(std::move(field));
        local.Reset();
        ApplyStep(*this, std::move(step), local, op);
        FUndoManager->MergeUpdateRange(update, local);
    } else {
        int32_t language = LanguageOfCharset(charset);
        local.Reset();
        TransformText(tmCharset, range, 0, &language, local, op);
        FUndoManager->MergeUpdateRange(update, local);
    }

    // 5. The caret where the character ends.
    update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
    update.SetViewHints(0, 0, 0, 0);
}
