// Typing 10,000 characters of French text with autocorrection on: each
// character is one insert operation, and after every delimiter or apostrophe
// the typed-character correction runs as the window runs it. The cost per
// character must stay flat as the paragraph and the undo list grow.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "FrenchText.h"
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "document/operations/OperationManager.h"
#include "foundation/InlineControl.h"
#include "foundation/Memory.h"
#include "foundation/TextTables.h"
#include "platform/runtime/Locale.h"
#include "proofing/AutocorrectLangOptions.h"

namespace {

// French text to type, paragraphs ended by Enter, in lower case at sentence
// starts and with straight quotes, so that the rules have work to do.
std::string TypedText(size_t length)
{
    uint32_t seed = 4242;
    std::string text;
    while (text.size() < length) {
        std::string paragraph = MakeFrenchParagraph(seed);
        // The paragraph's end is typed as Enter.
        paragraph.resize(paragraph.size() - InlineControlSize);
        text += "il dit \"" + paragraph + "\" la Cie, le 1er ; voir etc.\r";
    }
    text.resize(length);
    return text;
}

void BM_TypeWithAutocorrect(benchmark::State& state)
{
    const auto count = static_cast<size_t>(state.range(0));
    const std::string typed = TypedText(count);
    // The typed text is French: the user's locale decides the typing language
    // of a document without a window.
    SetUserDefaultLCID(0x040C);
    GetAutocorrectLangOptionsManager().GetLangOptions(0x040C);
    uint32_t seed = 1;
    const std::string sample = MakeFrenchParagraph(seed);
    const std::string mark = sample.substr(sample.size() - InlineControlSize);
    TMemory key;
    key.SetSize(1);
    uint8_t flags = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<TDocument>(true);
        document->NoUndo = 0;
        // An empty paragraph: only its mark.
        document->Paragraphs(0).SetText(mark.data(), static_cast<int32_t>(mark.size()));
        document->SetSelection(0, 0, 0, 0);
        state.ResumeTiming();
        for (const char c : typed) {
            key.Data()[0] = static_cast<uint8_t>(c);
            document->ExecuteOperation(docInsertText, {&key, &flags});
            uint8_t ch = static_cast<uint8_t>(c);
            if (ch == '\'' || DelimiterCharTable[ch]) {
                TTextPosition caret{document->Caret.Paragraph, document->Caret.Offset};
                document->ExecuteOperation(docAutocorrectTypedChar, {&ch, &caret});
            }
        }
        state.PauseTiming();
        if (document->ParagraphCount() < 2 || document->UndoManager().Count() < static_cast<int32_t>(count))
            state.SkipWithError("the text was not typed");
        document.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * count));
    state.counters["per_char"] = benchmark::Counter(static_cast<double>(state.iterations() * count),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TypeWithAutocorrect)->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
