// Typing into a document window of a 1,000-page document through the real key
// path: key-down and character messages posted to the window's queue, offered
// to the shortcut manager, then typed through the document's typing
// operation, laid out and painted as the loop goes idle. Each repetition
// types 1,000 more characters into the same growing document, so the rows
// show whether the time per key stays flat.
#include "BenchSupport.h"

#include "docwindow/DocumentForm.h"
#include "document/model/Document.h"
#include "formats/DocDispatcher.h"
#include "formats/DocFiler.h"
#include "foundation/SharedManagers.h"
#include "layout/CaretDisplay.h"
#include "layout/DocumentLayoutService.h"
#include "layout/LineLayoutService.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/Host.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"
#include "shell/commands/CommandManager.h"
#include "shell/commands/HotKeyManager.h"

#include <benchmark/benchmark.h>

namespace {

class TBenchContext : public TCommandContext {
public:
    TDocument* Document = nullptr;
    TDocument* ActiveDocument() override { return Document; }
    void ReadDocumentState(TDocument&, TCommandDocState&) override {}
    void ReadFrameState(TCommandFrameState&) override {}
    bool ReadClipboard(bool& pasteable) override
    {
        pasteable = false;
        return true;
    }
    bool HasInternalClip() override { return false; }
    void RequestFrameLayout() override {}
};

struct TTypingBench {
    TTypingBench()
    {
        InitApplication();
        CreateSharedManagers();
        CreateLineLayout();
        CreateDocumentLayout();
        CreateDocFiler();
        CreateFormatRegistry();
        Frame = new TForm(nullptr);
        Frame->SetFormStyle(TFormStyle::fsMDIForm);
        Frame->SetBounds(0, 0, 1000, 800);
        Application->SetMainForm(Frame);
        Frame->Show();
        InstallDocumentForms();
        Dispatcher = new TDocDispatcher;
        Document = Dispatcher->OpenDocument(GeneratedFile(1000));
        if (!Document)
            std::abort();
        Context.Document = Document;
        CreateCommandManager(Context);
        CreateHotKeyManager();
        Window = dynamic_cast<TDocumentForm*>(Document->View())->Handle();
        // Typing goes into the middle of the document.
        const int32_t middle = Document->ParagraphCount() / 2;
        ShowPosition(*Document, middle, 0, spfClearSelection);
        SetFocus(Window);
        Application->ProcessMessages();
    }

    TForm* Frame = nullptr;
    TDocDispatcher* Dispatcher = nullptr;
    TDocument* Document = nullptr;
    TBenchContext Context;
    HWND Window = HWND_NONE;
};

TTypingBench& Bench()
{
    static TTypingBench* bench = new TTypingBench;  // lives until the process ends
    return *bench;
}

void BM_TypeThousandKeys(benchmark::State& state)
{
    TTypingBench& bench = Bench();
    static const char text[] = "le petit chat dort sur la chaise ";
    size_t next = 0;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            const char c = text[next++ % (sizeof(text) - 1)];
            const uint32_t vk = c == ' ' ? VK_SPACE : static_cast<uint32_t>(c - 'a' + 'A');
            PostMessage(bench.Window, WM_KEYDOWN, vk, 1);
            PostMessage(bench.Window, WM_CHAR, static_cast<uint8_t>(c), 1);
            PostMessage(bench.Window, WM_KEYUP, vk, LPARAM(0xC0000001));
            Application->ProcessMessages();
        }
    }
    state.counters["time_per_key"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * 1000, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["paragraphs"] = bench.Document->ParagraphCount();
    state.counters["pages"] = static_cast<double>(bench.Document->PageCount());
}
BENCHMARK(BM_TypeThousandKeys)->Iterations(1)->Repetitions(10)->Unit(benchmark::kMillisecond);

} // namespace
