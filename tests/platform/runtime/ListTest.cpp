#include "platform/runtime/Exception.h"
#include "platform/runtime/List.h"
#include "platform/testing/Testing.h"

#include <vector>

namespace {

std::vector<int> Values(const TList& list)
{
    std::vector<int> v;
    for (int32_t i = 0; i < list.Count(); ++i)
        v.push_back(list.Items(i) ? *static_cast<int*>(list.Items(i)) : -1);
    return v;
}

}  // namespace

TEST(List, EditsKeepTheOrderTheyAskFor)
{
    int n[6] = {0, 1, 2, 3, 4, 5};
    TList list;
    EXPECT_EQ(list.Add(&n[1]), 0);
    EXPECT_EQ(list.Add(&n[3]), 1);
    list.Insert(1, &n[2]);
    list.Insert(0, &n[0]);
    list.Insert(4, &n[4]);
    EXPECT_EQ(Values(list), (std::vector<int>{0, 1, 2, 3, 4}));
    list.Move(0, 4);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 3, 4, 0}));
    list.Move(3, 1);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 4, 2, 3, 0}));
    list.Exchange(0, 4);
    EXPECT_EQ(Values(list), (std::vector<int>{0, 4, 2, 3, 1}));
    EXPECT_EQ(list.Remove(&n[2]), 2);
    EXPECT_EQ(list.Remove(&n[5]), -1);
    EXPECT_EQ(list.Extract(&n[4]), &n[4]);
    EXPECT_EQ(list.Extract(&n[5]), nullptr);
    EXPECT_EQ(Values(list), (std::vector<int>{0, 3, 1}));
    EXPECT_EQ(list.IndexOf(&n[1]), 2);
    EXPECT_EQ(list.First(), &n[0]);
    EXPECT_EQ(list.Last(), &n[1]);
    list.Delete(0);
    EXPECT_EQ(Values(list), (std::vector<int>{3, 1}));

    list.SetCount(4);  // two null items at the end
    list.SetItems(2, &n[5]);
    EXPECT_EQ(Values(list), (std::vector<int>{3, 1, 5, -1}));
    list.Insert(0, nullptr);
    list.Pack();
    EXPECT_EQ(Values(list), (std::vector<int>{3, 1, 5}));
    list.SetCount(1);
    EXPECT_EQ(Values(list), (std::vector<int>{3}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(List, BadIndexesAndSizesRaise)
{
    int a = 1;
    TList list;
    list.Add(&a);
    list.Add(&a);
    try {
        list.Items(2);
        FAIL() << "no error";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "Indice de liste hors limites (2)");
    }
    EXPECT_THROW(list.Items(-1), EListError);
    EXPECT_THROW(list.SetItems(2, &a), EListError);
    EXPECT_THROW(list.Insert(3, &a), EListError);
    EXPECT_THROW(list.Delete(2), EListError);
    EXPECT_THROW(list.Exchange(0, 2), EListError);
    EXPECT_THROW(list.Move(0, 2), EListError);
    EXPECT_THROW(list.SetCount(-1), EListError);
    EXPECT_THROW(list.SetCapacity(1), EListError);
    EXPECT_EQ(list.Count(), 2);
    TList empty;
    EXPECT_THROW(empty.First(), EListError);
    EXPECT_THROW(empty.Last(), EListError);

    list.SetCapacity(100);
    EXPECT_GE(list.Capacity(), 100);
    list.SetCapacity(2);
    EXPECT_EQ(list.Count(), 2);
}

TEST(List, SortOrdersByTheComparison)
{
    std::vector<int> data;
    for (int i = 0; i < 3000; ++i)
        data.push_back((i * 7919) % 1000);
    TList list;
    for (int& v : data)
        list.Add(&v);
    list.Add(nullptr);
    list.Pack();
    list.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
    ASSERT_EQ(list.Count(), 3000);
    for (int32_t i = 1; i < list.Count(); ++i)
        ASSERT_LE(*static_cast<int*>(list.Items(i - 1)), *static_cast<int*>(list.Items(i)));
}
