#pragma once
// TList: a list of pointers that it uses but does not own. Index errors raise
// EListError "Indice de liste hors limites (%d)".
#include <cstdint>
#include <functional>
#include <vector>

// Compares two items: < 0, 0 or > 0.
using TListSortCompare = std::function<int32_t(void* item1, void* item2)>;

class TList {
public:
    TList() = default;
    virtual ~TList() = default;
    TList(const TList&) = delete;
    TList& operator=(const TList&) = delete;

    int32_t Count() const { return static_cast<int32_t>(FList.size()); }
    // A larger count appends null items; a smaller one drops the last items.
    void SetCount(int32_t count);
    int32_t Capacity() const { return static_cast<int32_t>(FList.capacity()); }
    // Raises EListError when below Count.
    void SetCapacity(int32_t capacity);

    void* Items(int32_t index) const;
    void SetItems(int32_t index, void* item);
    void* First() const { return Items(0); }
    void* Last() const { return Items(Count() - 1); }

    int32_t Add(void* item);
    void Insert(int32_t index, void* item);
    void Delete(int32_t index);
    // Deletes the first occurrence of item; its former index, or -1.
    int32_t Remove(void* item);
    // Takes the first occurrence of item out of the list: item, or null when absent.
    void* Extract(void* item);
    int32_t IndexOf(const void* item) const;
    void Exchange(int32_t index1, int32_t index2);
    void Move(int32_t curIndex, int32_t newIndex);
    void Clear();
    // Drops every null item.
    void Pack();
    // The original list sort (quicksort over the middle item's value).
    void Sort(const TListSortCompare& compare);

private:
    void CheckIndex(int32_t index) const;
    void QuickSort(int32_t l, int32_t r, const TListSortCompare& compare);

    std::vector<void*> FList;
};
