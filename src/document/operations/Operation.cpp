#include "document/operations/Operation.h"

#include "document/model/Document.h"
#include "document/fields/Field.h"
#include "document/steps/InsertDeleteOperation.h"
#include "document/operations/OperationManager.h"
#include "document/model/Paragraph.h"
#include "document/model/VectorGrowth.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

const std::array<std::string, OperationKindCount>& OperationNames()
{
    static const std::array<std::string, OperationKindCount> names = {
        "la commande",
        "la mise en page",
        "l'enregistrement de la sélection",
        "l'enregistrement de l'image",
        "la réduction du nombre de pages",
        "la mise en forme du paragraphe",
        "la mise en forme des tabulations",
        "l'application du style au document",
        "la modification des styles",
        "la mise en forme de la police",
        "l'application du pinceau à format",
        "le surlignage",
        "la modification de la couleur de police",
        "l'opération de collage",
        "la commande Coller tout le format",
        "la saisie de texte",
        "l'insertion de caractère",
        "l'insertion d'mage",
        "l'insertion de fichier",
        "l'insertion de fonction",
        "l'effacement de texte",
        "le déplacement de texte",
        "le remplacement de texte",
        "la commande Tout remplacer",
        "la duplication de texte",
        "la réunion des paragraphes",
        "la séparation des paragraphes",
        "le tri des paragraphes",
        "la mise à jour des styles",
        "la conversion entre configurations clavier",
        "la mise en majuscules",
        "la mise en minuscules",
        "l'inversion de la casse",
        "la commande Majuscule en début de phrase",
        "la commande 1ère lettre des mots en majuscule",
        "le changement de jeu de caractères",
        "le calcul du résultat",
        "l'effacement du bloc sélectionné",
        "la mise en forme du bloc sélectionné",
        "la mise en forme de l'image",
        "l'application de modèle",
        "la correction de l'orthographe",
        "le changement de langue par défaut",
        "l'opération de Cliquer-taper",
        "la correction automatique",
        "la mise en forme des sections",
        "la mise en forme du signet",
        "la mise en forme du lien hypertexte",
        "la désactivation des liens hypertextes",
        "la création de table des matières",
        "l'insertion de champ",
        "la suppression de champ",
        "la mise à jour des champs",
        "la modification du saut de section",
        "la commande en-tête et pied de page",
        "la commande identique au précédent",
        "l'insertion de numéro de page",
        "la commande enveloppes",
        "la commande enregistrer comme insert",
        "l'insertion",
        "la coupe de mots",
    };
    return names;
}

// "Annulation de %s ..." with the action's name.
std::string ProgressText(const char* pattern, uint8_t kind)
{
    std::string text = pattern;
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, OperationName(kind));
    return text;
}

// The characters a range shows, paragraph by paragraph.
std::string PlainRangeText(const TDocument& document, const TTextRange& range)
{
    std::string text;
    const int32_t last = std::min(range.End.Paragraph, document.ParagraphCount() - 1);
    for (int32_t index = std::max(range.Start.Paragraph, 0); index <= last; ++index) {
        const TParagraph& paragraph = document.Paragraphs(index);
        const int32_t count = paragraph.GetCharCount();
        const int32_t from = index == range.Start.Paragraph ? std::clamp(range.Start.Offset, 0, count) : 0;
        const int32_t to = index == range.End.Paragraph ? std::clamp(range.End.Offset, from, count) : count;
        text.append(reinterpret_cast<const char*>(paragraph.GetPlainChars().Data()) + from,
                    static_cast<size_t>(to - from));
    }
    return text;
}

}  // namespace

const std::string& OperationName(uint8_t kind)
{
    const auto& names = OperationNames();
    return names[kind < OperationKindCount ? kind : 0];
}

TOperation::TOperation(TDocument* document, uint8_t kind) : Kind(kind), FDocument(document)
{
    const TTextSelection& selection = document->Selection();
    SelectionBefore[0] = selection.Start.Paragraph;
    SelectionBefore[1] = selection.Start.Offset;
    SelectionBefore[2] = selection.End.Paragraph;
    SelectionBefore[3] = selection.End.Offset;
    CaretBefore[0] = document->Caret.Paragraph;
    CaretBefore[1] = document->Caret.Offset;
    if (document->EditedHeaderFooter) {
        FHeaderFooterBefore = document->EditedHeaderFooter;
        FFieldsBefore = std::make_unique<std::vector<TFieldResult>>();
        CaptureFieldResults(*FFieldsBefore);
    }
}

TOperation::~TOperation()
{
    // The steps go from the last to the first, the reverse of how they came.
    while (!FSteps.empty())
        FSteps.pop_back();
}

TSubOperation& TOperation::Steps(int32_t index) const
{
    if (index < 0 || index >= StepCount())
        throw EListError("Indice de liste hors limites (" + std::to_string(index) + ")");
    return *FSteps[static_cast<size_t>(index)];
}

void TOperation::ReserveSteps(int32_t count)
{
    ReserveMore(FSteps, static_cast<size_t>(std::max(count, 0)));
}

void TOperation::AddStep(std::unique_ptr<TSubOperation> step)
{
    if (!step)
        throw EInternalError("Étape d'opération absente");
    FSteps.push_back(std::move(step));
}

void TOperation::TakeSteps(TOperation& other)
{
    FSteps.reserve(FSteps.size() + other.FSteps.size());
    for (auto& step : other.FSteps)
        FSteps.push_back(std::move(step));
    other.FSteps.clear();
}

bool TOperation::IsTyping() const
{
    if (FSteps.size() != 1)
        return false;
    const auto* step = dynamic_cast<const TInsertDeleteOperation*>(FSteps.front().get());
    return step && (step->Flags() & idfOneChar) != 0;
}

int64_t TOperation::MemorySize() const
{
    int64_t size = sizeof(TOperation) + sizeof(FSteps) +
                   static_cast<int64_t>(FSteps.capacity() * sizeof(std::unique_ptr<TSubOperation>));
    for (const auto& step : FSteps)
        size += step->MemorySize();
    return size;
}

void TOperation::CaptureFieldsAfter()
{
    if (!FDocument->EditedHeaderFooter)
        return;
    FHeaderFooterAfter = FDocument->EditedHeaderFooter;
    auto list = std::make_unique<std::vector<TFieldResult>>();
    CaptureFieldResults(*list);
    FFieldsAfter = std::move(list);
}

void TOperation::CaptureSelectionAfter()
{
    const TTextSelection& selection = FDocument->Selection();
    SelectionAfter[0] = selection.Start.Paragraph;
    SelectionAfter[1] = selection.Start.Offset;
    SelectionAfter[2] = selection.End.Paragraph;
    SelectionAfter[3] = selection.End.Offset;
    CaretAfter[0] = FDocument->Caret.Paragraph;
    CaretAfter[1] = FDocument->Caret.Offset;
}

void TOperation::CaptureFieldResults(std::vector<TFieldResult>& list) const
{
    const TField* headerFooter = FDocument->EditedHeaderFooter;
    if (!headerFooter)
        return;
    const int32_t last = std::min(headerFooter->Range.End.Paragraph, FDocument->ParagraphCount() - 1);
    for (int32_t index = std::max(headerFooter->Range.Start.Paragraph, 0); index <= last; ++index) {
        for (TRecordCursor cursor(FDocument->Paragraphs(index)); cursor.Next();) {
            const TInlineControl& record = cursor.Record();
            if (record.Code != icRangeStart)
                continue;
            TField* field = FDocument->Objects().GetField(record.Argument);
            if (field && field->Kind == rkField && field->Type < PageDependentFieldTypes().size() &&
                PageDependentFieldTypes().test(field->Type))
                list.push_back({field, PlainRangeText(*FDocument, field->Range)});
        }
    }
}

void TOperation::RestoreFieldResults(const std::vector<TFieldResult>* list, TField* headerFooter)
{
    if (!list || list->empty() || !headerFooter)
        return;
    for (auto it = list->rbegin(); it != list->rend(); ++it)
        it->Field->KeptResult = it->Text;
    TTextRange range = headerFooter->Range;
    TFieldTypeSet types = PageDependentFieldTypes();
    void* params[] = {&range, &types};
    TUpdateRange update;
    FDocument->RestoringFieldResults = 1;
    try {
        RunOperationRoutine(docUpdateFields, *FDocument, params, nullptr, update);
    } catch (...) {
        FDocument->RestoringFieldResults = 0;
        throw;
    }
    FDocument->RestoringFieldResults = 0;
}

void TOperation::Replay(TUpdateRange& update, bool undo)
{
    TDocument& document = *FDocument;
    update.Reset();

    // The field results of the header or footer as they stood at the other end
    // of the action; the caret stays where it is.
    {
        const TCaret caret = document.Caret;
        if (undo)
            RestoreFieldResults(FFieldsAfter.get(), FHeaderFooterAfter);
        else
            RestoreFieldResults(FFieldsBefore.get(), FHeaderFooterBefore);
        document.Caret = caret;
    }

    TDocumentHost& host = DocumentHost();
    const int32_t count = StepCount();
    const bool progress = IsLarge() && !host.ProgressRunning();
    if (progress)
        host.ProgressStart(count, ProgressText(undo ? "Annulation de %s ..." : "Rétablissement de %s ...", Kind));
    int32_t done = 0;
    try {
        for (; done < count; ++done) {
            TSubOperation& step = *FSteps[static_cast<size_t>(undo ? count - 1 - done : done)];
            const TCaret caret = document.Caret;
            const bool caretInHeaders = document.GetStoryOfParagraph(caret.Paragraph) == stHeadersFooters;
            TUpdateRange local;
            if (undo)
                step.Undo(local);
            else
                step.Redo(local);
            document.UndoManager().MergeUpdateRange(update, local);
            // A step must not carry the caret into a header or footer.
            if (!caretInHeaders && document.GetStoryOfParagraph(document.Caret.Paragraph) == stHeadersFooters)
                document.Caret = caret;
            if (progress)
                host.ProgressStep(done + 1);
        }
    } catch (...) {
        // The action goes back or forth as a whole: the steps already replayed
        // return to where they were (each failing step left itself as it was).
        try {
            for (int32_t back = done - 1; back >= 0; --back) {
                TSubOperation& step = *FSteps[static_cast<size_t>(undo ? count - 1 - back : back)];
                TUpdateRange local;
                if (undo)
                    step.Redo(local);
                else
                    step.Undo(local);
            }
        } catch (...) {
        }
        if (progress)
            host.ProgressEnd();
        throw;
    }
    if (progress)
        host.ProgressEnd();

    const int32_t* selection = undo ? SelectionBefore : SelectionAfter;
    const int32_t* caret = undo ? CaretBefore : CaretAfter;
    update.SetViewHints(selection[0], selection[1], selection[2], selection[3]);
    update.CaretParagraph = caret[0];
    update.CaretOffset = caret[1];
}

void TOperation::Undo(TUpdateRange& update)
{
    Replay(update, true);
}

void TOperation::Redo(TUpdateRange& update)
{
    Replay(update, false);
}

bool TOperation::Rollback(TUpdateRange& update) noexcept
{
    update.Reset();
    try {
        for (auto it = FSteps.rbegin(); it != FSteps.rend(); ++it) {
            TUpdateRange local;
            (*it)->Undo(local);
            FDocument->UndoManager().MergeUpdateRange(update, local);
        }
    } catch (...) {
        return false;
    }
    // Taken back, the steps hold the state after them again: freeing them
    // frees only what the document no longer has.
    update.SetViewHints(SelectionBefore[0], SelectionBefore[1], SelectionBefore[2], SelectionBefore[3]);
    update.CaretParagraph = CaretBefore[0];
    update.CaretOffset = CaretBefore[1];
    return true;
}

void ApplyStep(TDocument& document, std::unique_ptr<TSubOperation> step, TUpdateRange& update, TOperation* op)
{
    if (op)
        op->ReserveSteps(1);
    TUpdateRange local;
    step->Redo(local);
    document.UndoManager().MergeUpdateRange(update, local);
    if (op)
        op->AddStep(std::move(step));
}
