// Spelling: every word of the 500-page generated document (../shared/bench/
// gen_rtf.py 500) checked by the French system shipped with the program
// (Debian's Hunspell dictionary for French).
//
// BM_CheckDocumentWords: each word through CheckWordCached, as the document
// check asks, with the system's caches as they stand (the first pass fills them).
// BM_CheckDocumentWordsEngine: each word through CheckWord, so that every word
// reaches the engine and its dictionary.
// BM_SuggestMisspelled: suggestions for misspelled words (2,065-byte buffer).
//
// The words are those of the document's text: the RTF's control words and
// groups of destinations are dropped, \'xx becomes its byte, and the text is cut
// at the program's word separators ("-" kept inside words).
#include "foundation/TextTables.h"
#include "platform/runtime/Host.h"
#include "proofing/SpellCheckDrvAPI.h"
#include "proofing/SpellCheckSystem.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Words;
std::unique_ptr<TSpellCheckSystem> System;
// Resident memory that starting the French system took (dictionary loaded).
double SystemBytes = 0;

// Resident memory of the process in bytes.
double ResidentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * 4096.0;
}

std::string GenerateDocument()
{
    const std::string command = std::string("python3 \"") + ELDRAVIN_SHARED_DIR + "/bench/gen_rtf.py\" 500";
    std::string rtf;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[65536];
        size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0)
            rtf.append(chunk, n);
        pclose(pipe);
    }
    return rtf;
}

// The document's text: RTF control words dropped, "\'xx" decoded, destination
// groups ("{\*..." and the font, colour and style tables) skipped.
std::string RtfText(const std::string& rtf)
{
    std::string text;
    int depth = 0, skipDepth = -1;
    for (size_t i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
            const std::string head = rtf.substr(i + 1, 10);
            if (skipDepth < 0 && (head.rfind("\\*", 0) == 0 || head.rfind("\\fonttbl", 0) == 0 ||
                                  head.rfind("\\colortbl", 0) == 0 || head.rfind("\\stylesheet", 0) == 0))
                skipDepth = depth;
        } else if (c == '}') {
            if (depth == skipDepth)
                skipDepth = -1;
            --depth;
        } else if (c == '\\') {
            if (i + 3 < rtf.size() && rtf[i + 1] == '\'') {
                if (skipDepth < 0)
                    text += static_cast<char>(std::stoi(rtf.substr(i + 2, 2), nullptr, 16));
                i += 3;
                continue;
            }
            size_t j = i + 1;
            while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j])))
                ++j;
            const std::string word = rtf.substr(i + 1, j - i - 1);
            while (j < rtf.size() && (std::isdigit(static_cast<unsigned char>(rtf[j])) || rtf[j] == '-'))
                ++j;
            if (j < rtf.size() && rtf[j] == ' ')
                ++j;
            if (skipDepth < 0 && word == "par")
                text += '\r';
            i = j - 1;
        } else if (c != '\n' && c != '\r' && skipDepth < 0) {
            text += c;
        }
    }
    return text;
}

std::vector<std::string> SplitWords(const std::string& text)
{
    TCharClassTable separators = DelimiterCharTable;
    separators['-'] = false;
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (separators[static_cast<uint8_t>(c)] || c == '\r') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

bool Prepare(benchmark::State& state)
{
    if (!System) {
        const std::string rtf = GenerateDocument();
        Words = SplitWords(RtfText(rtf));
        System = std::make_unique<TSpellCheckSystem>("Francais.esc");
        const double before = ResidentBytes();
        System->StartSession();
        SystemBytes = ResidentBytes() - before;
    }
    state.counters["system_MB"] = SystemBytes / 1e6;
    if (Words.empty() || !System->Running) {
        state.SkipWithError("no document or no running French system");
        return false;
    }
    return true;
}

void BM_CheckDocumentWords(benchmark::State& state)
{
    if (!Prepare(state))
        return;
    size_t misspelled = 0;
    for (auto _ : state) {
        misspelled = 0;
        for (const std::string& w : Words)
            misspelled += System->CheckWordCached(w, 0x040C, 0, nullptr) != csAccepted;
    }
    state.counters["words"] = static_cast<double>(Words.size());
    state.counters["misspelled"] = static_cast<double>(misspelled);
    state.counters["words/s"] = benchmark::Counter(static_cast<double>(Words.size()), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["rss_MB"] = ResidentBytes() / 1e6;
    state.counters["cache_words"] = static_cast<double>(System->AcceptedCache.size() + System->MisspelledCache.size());
}

void BM_CheckDocumentWordsEngine(benchmark::State& state)
{
    if (!Prepare(state))
        return;
    for (auto _ : state) {
        for (const std::string& w : Words) {
            uint8_t s = 0;
            benchmark::DoNotOptimize(System->CheckWord(0x040C, w, s, 0, nullptr));
        }
    }
    state.counters["words/s"] = benchmark::Counter(static_cast<double>(Words.size()), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["rss_MB"] = ResidentBytes() / 1e6;
}

void BM_SuggestMisspelled(benchmark::State& state)
{
    if (!Prepare(state))
        return;
    const char* const words[] = {"bateua", "recu", "paragrpahe", "orthografe", "fenetre", "imprimmer", "docuemnt",
                                 "colone"};
    std::vector<char> buffer(2065);
    for (auto _ : state) {
        for (const char* w : words) {
            uint8_t s = 0;
            benchmark::DoNotOptimize(System->CheckWord(0x040C, w, s, static_cast<int32_t>(buffer.size()), buffer.data()));
        }
    }
    state.counters["words/s"] = benchmark::Counter(std::size(words), benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_CheckDocumentWords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckDocumentWordsEngine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SuggestMisspelled)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    StartPlatformHost(argc, argv, true);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    System.reset();
    FreeSpellGlobals();
    StopPlatformHost();
    return 0;
}
