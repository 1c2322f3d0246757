#include "platform/runtime/List.h"

#include "platform/runtime/Exception.h"
#include "platform/runtime/QuickSort.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

const char* const kListIndexError = "Indice de liste hors limites (%d)";
const char* const kListCapacityError = "Capacité de liste hors limites (%d)";
const char* const kListCountError = "Nombre d'éléments de liste hors limites (%d)";
// The original's largest list, kept so that a wild count fails cleanly.
constexpr int32_t kMaxListSize = 0x7FFFFFF;

[[noreturn]] void ListError(const char* message, int32_t data)
{
    std::string m(message);
    m.replace(m.find("%d"), 2, std::to_string(data));
    throw EListError(m);
}

}  // namespace

void TList::CheckIndex(int32_t index) const
{
    if (index < 0 || index >= Count())
        ListError(kListIndexError, index);
}

void TList::SetCount(int32_t count)
{
    if (count < 0 || count > kMaxListSize)
        ListError(kListCountError, count);
    FList.resize(static_cast<size_t>(count), nullptr);
}

void TList::SetCapacity(int32_t capacity)
{
    if (capacity < Count() || capacity > kMaxListSize)
        ListError(kListCapacityError, capacity);
    if (static_cast<size_t>(capacity) < FList.capacity()) {
        std::vector<void*> smaller;
        smaller.reserve(static_cast<size_t>(capacity));
        smaller.assign(FList.begin(), FList.end());
        FList.swap(smaller);
    } else {
        FList.reserve(static_cast<size_t>(capacity));
    }
}

void* TList::Items(int32_t index) const
{
    CheckIndex(index);
    return FList[static_cast<size_t>(index)];
}

void TList::SetItems(int32_t index, void* item)
{
    CheckIndex(index);
    FList[static_cast<size_t>(index)] = item;
}

int32_t TList::Add(void* item)
{
    FList.push_back(item);
    return Count() - 1;
}

void TList::Insert(int32_t index, void* item)
{
    if (index < 0 || index > Count())
        ListError(kListIndexError, index);
    FList.insert(FList.begin() + index, item);
}

void TList::Delete(int32_t index)
{
    CheckIndex(index);
    FList.erase(FList.begin() + index);
}

int32_t TList::Remove(void* item)
{
    int32_t index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

void* TList::Extract(void* item)
{
    int32_t index = IndexOf(item);
    if (index < 0)
        return nullptr;
    Delete(index);
    return item;
}

int32_t TList::IndexOf(const void* item) const
{
    auto it = std::find(FList.begin(), FList.end(), item);
    return it == FList.end() ? -1 : static_cast<int32_t>(it - FList.begin());
}

void TList::Exchange(int32_t index1, int32_t index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(FList[static_cast<size_t>(index1)], FList[static_cast<size_t>(index2)]);
}

void TList::Move(int32_t curIndex, int32_t newIndex)
{
    if (curIndex == newIndex)
        return;
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    auto first = FList.begin();
    if (curIndex < newIndex)
        std::rotate(first + curIndex, first + curIndex + 1, first + newIndex + 1);
    else
        std::rotate(first + newIndex, first + curIndex, first + curIndex + 1);
}

void TList::Clear()
{
    FList.clear();
    FList.shrink_to_fit();
}

void TList::Pack()
{
    FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end());
}

// The smaller part is sorted by recursion and the larger in the loop, which
// bounds the depth of the stack without changing the order the sort produces.
void TList::QuickSort(int32_t l, int32_t r, const TListSortCompare& compare)
{
    auto compareAt = [this, &compare](int32_t a, int32_t b) {
        return compare(FList[static_cast<size_t>(a)], FList[static_cast<size_t>(b)]);
    };
    auto swap = [this](int32_t a, int32_t b) {
        std::swap(FList[static_cast<size_t>(a)], FList[static_cast<size_t>(b)]);
    };
    QuickSortRange(l, r, compareAt, swap);
}

void TList::Sort(const TListSortCompare& compare)
{
    if (Count() > 1)
        QuickSort(0, Count() - 1, compare);
}
