#include "document/steps/SortParsOperation.h"

#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Locale.h"

#include <algorithm>
#include <numeric>
#include <string_view>

TSortParsOperation::TSortParsOperation(TDocument* document, int32_t firstParagraph, int32_t lastParagraph,
                                       bool descending)
    : TSubOperation(document), FFirst(firstParagraph), FLast(lastParagraph), FDescending(descending ? 1 : 0)
{
}

int64_t TSortParsOperation::MemorySize() const
{
    return static_cast<int64_t>(sizeof(TSortParsOperation) + sizeof(FExchanges) +
                                FExchanges.size() * sizeof(int32_t));
}

int TSortParsOperation::Compare(int32_t a, int32_t b) const
{
    const TMemory& textA = FDocument->Paragraphs(a).GetPlainChars();
    const TMemory& textB = FDocument->Paragraphs(b).GetPlainChars();
    const std::string_view viewA(reinterpret_cast<const char*>(textA.Data()), static_cast<size_t>(textA.Size()));
    const std::string_view viewB(reinterpret_cast<const char*>(textB.Data()), static_cast<size_t>(textB.Size()));
    int result = CompareStringLocale(LOCALE_SYSTEM_DEFAULT, false, viewA, viewB);
    // Texts the locale calls equal are told apart by their bytes, so that the
    // order stays well defined.
    if (result == 0)
        result = viewA.compare(viewB) < 0 ? -1 : (viewA == viewB ? 0 : 1);
    return FDescending ? -result : result;
}

void TSortParsOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    TDocument& document = *FDocument;
    if (!FSorted) {
        const int32_t story = document.GetStoryOfParagraph(FFirst);
        if (FFirst < 0 || FLast < FFirst || story == NoStory || document.GetStoryOfParagraph(FLast) != story)
            throw EInternalError("Paragraphes à trier hors d'une même partie du document");
        for (int32_t index = FFirst; index <= FLast; ++index) {
            const TParagraph& paragraph = document.Paragraphs(index);
            const int32_t count = paragraph.GetCharCount();
            if (count > 0 && paragraph.GetPlainChars().Data()[count - 1] == scSectionBreak)
                throw EInternalError("Paragraphes à trier séparés par un saut de section");
        }
        // The sorted order (paragraphs the locale calls equal keep theirs),
        // then the exchanges that lead there.
        const int32_t count = FLast - FFirst + 1;
        std::vector<int32_t> order(static_cast<size_t>(count));
        std::iota(order.begin(), order.end(), FFirst);
        std::stable_sort(order.begin(), order.end(), [this](int32_t a, int32_t b) { return Compare(a, b) < 0; });
        std::vector<int32_t> at(order.size());
        std::iota(at.begin(), at.end(), FFirst);
        std::vector<int32_t> where(order.size());
        std::iota(where.begin(), where.end(), 0);
        std::vector<int32_t> exchanges;
        exchanges.reserve(2 * order.size());
        for (int32_t i = 0; i < count; ++i) {
            const int32_t wanted = order[static_cast<size_t>(i)];
            const int32_t j = where[static_cast<size_t>(wanted - FFirst)];
            if (j == i)
                continue;
            const int32_t displaced = at[static_cast<size_t>(i)];
            std::swap(at[static_cast<size_t>(i)], at[static_cast<size_t>(j)]);
            where[static_cast<size_t>(wanted - FFirst)] = i;
            where[static_cast<size_t>(displaced - FFirst)] = j;
            exchanges.push_back(FFirst + i);
            exchanges.push_back(FFirst + j);
        }
        FExchanges.swap(exchanges);
        FLowest = NotSet;
        FSorted = 1;
    }
    for (size_t i = 0; i + 1 < FExchanges.size(); i += 2) {
        document.ExchangeParagraphs(FExchanges[i], FExchanges[i + 1]);
        const int32_t lower = std::min(FExchanges[i], FExchanges[i + 1]);
        if (FLowest == NotSet || lower < FLowest)
            FLowest = lower;
    }
    // The next application goes the other way.
    std::reverse(FExchanges.begin(), FExchanges.end());
    if (!FExchanges.empty()) {
        update.FullUpdate = 1;
        document.BookmarkListDirty = 1;
        document.RefreshRangeObjectPositions();
    }
}
