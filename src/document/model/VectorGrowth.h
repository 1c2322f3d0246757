#pragma once
// Room made ahead in the lists that edits grow one element at a time, so that
// the element can then be added without failing: the capacity at least
// doubles, so that adding n elements one by one stays linear.
#include <algorithm>
#include <cstddef>
#include <vector>

template <typename T>
void ReserveMore(std::vector<T>& list, size_t extra)
{
    const size_t needed = list.size() + extra;
    if (needed > list.capacity())
        list.reserve(std::max(needed, list.capacity() * 2));
}
