#pragma once
// The lists' sort: a quicksort over the middle item, so that items that compare
// equal end in the same order as the original lists leave them. The smaller
// part is sorted by recursion and the larger in the loop, which bounds the
// depth of the stack. compare(a, b) compares the items at two indexes;
// swap(a, b) exchanges them. The pivot is followed by index as it moves.
#include <cstdint>

template <typename TCompare, typename TSwap>
void QuickSortRange(int32_t l, int32_t r, TCompare& compare, TSwap& swap)
{
    while (l < r) {
        int32_t i = l;
        int32_t j = r;
        int32_t p = l + (r - l) / 2;
        do {
            while (i < r && compare(i, p) < 0)
                ++i;
            while (j > l && compare(j, p) > 0)
                --j;
            if (i <= j) {
                if (i != j)
                    swap(i, j);
                if (p == i)
                    p = j;
                else if (p == j)
                    p = i;
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - l < r - i) {
            if (l < j)
                QuickSortRange(l, j, compare, swap);
            l = i;
        } else {
            if (i < r)
                QuickSortRange(i, r, compare, swap);
            r = j;
        }
    }
}
