#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Stream.h"
#include "platform/runtime/StringList.h"
#include "platform/testing/Testing.h"

#include <vector>

namespace {

using TItems = std::vector<std::string>;

TItems ItemsOf(const TStrings& list)
{
    TItems items;
    for (int32_t i = 0; i < list.Count(); ++i)
        items.push_back(list.Strings(i));
    return items;
}

void Fill(TStrings& list, const TItems& items)
{
    list.Clear();
    for (const std::string& s : items)
        list.Add(s);
}

std::string ErrorMessage(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EStringListError& e) {
        return e.Message();
    }
    return "(no error)";
}

}  // namespace

TEST(StringList, SortedListsPlaceFindAndRefuseAsTheirRulesSay)
{
    struct TFind {
        std::string Text;
        bool Found;
        int32_t Index;
    };
    struct TCase {
        const char* Name;
        bool CaseSensitive;
        TDuplicates Duplicates;
        TItems Added;
        TItems Expected;
        std::vector<TFind> Finds;
    };
    const TCase cases[] = {
        {"ignore case, ignore duplicates", false, dupIgnore, {"b", "A", "a", "c", "B"}, {"A", "b", "c"},
         {{"B", true, 1}, {"a", true, 0}, {"bb", false, 2}, {"", false, 0}, {"d", false, 3}}},
        // Equal strings go before their equals; Find gives the first of them.
        {"ignore case, accept duplicates", false, dupAccept, {"b", "a", "A", "a"}, {"a", "A", "a", "b"},
         {{"A", true, 0}, {"B", true, 3}, {"c", false, 4}}},
        // Lower case sorts before upper case; both are kept.
        {"case sensitive", true, dupIgnore, {"B", "a", "A", "b", "a"}, {"a", "A", "b", "B"},
         {{"A", true, 1}, {"b", true, 2}, {"C", false, 4}}},
        // Accented letters sort with their base letter, the accent deciding last.
        {"French order", false, dupIgnore, {"Zèbre", "eté", "ete", "étage", "abc", "Eta", "œuf", "ÉTÉ", "été"},
         {"abc", "Eta", "étage", "ete", "eté", "ÉTÉ", "œuf", "Zèbre"},
         {{"ETE", true, 3}, {"été", true, 5}, {"etagere", false, 3}, {"zebre", false, 7}, {"oeuf", false, 6}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TStringList list;
        list.SetCaseSensitive(c.CaseSensitive);
        list.SetDuplicates(c.Duplicates);
        list.SetSorted(true);
        for (const std::string& s : c.Added)
            list.Add(s);
        EXPECT_EQ(ItemsOf(list), c.Expected);
        for (const TFind& f : c.Finds) {
            int32_t index = -1;
            EXPECT_EQ(list.Find(f.Text, index), f.Found) << f.Text;
            EXPECT_EQ(index, f.Index) << f.Text;
            EXPECT_EQ(list.IndexOf(f.Text), f.Found ? f.Index : -1) << f.Text;
        }
    }
}

TEST(StringList, SortedListRefusesDuplicatesAndPositionalChanges)
{
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupError);
    list.Add("b");
    list.Add("a");
    EXPECT_EQ(ErrorMessage([&] { list.Add("B"); }), "La liste de chaînes n'accepte pas les doublons");
    EXPECT_THROW(list.Insert(0, "c"), EStringListError);
    EXPECT_THROW(list.SetStrings(0, "z"), EStringListError);
    EXPECT_THROW(list.Move(0, 1), EStringListError);
    EXPECT_EQ(ItemsOf(list), (TItems{"a", "b"}));

    // An unsorted list becomes sorted when asked, and stays so.
    TStringList plain;
    Fill(plain, {"pomme", "Abricot", "cerise", "banane"});
    plain.SetSorted(true);
    EXPECT_EQ(ItemsOf(plain), (TItems{"Abricot", "banane", "cerise", "pomme"}));
    plain.Add("ananas");
    EXPECT_EQ(plain.IndexOf("ANANAS"), 1);
}

TEST(StringList, ChangingCaseSensitivitySortsAgainSoFindStillWorks)
{
    TStringList list;
    list.SetDuplicates(dupAccept);
    list.SetSorted(true);
    list.Add("a");
    list.Add("A");  // equal without regard to case: goes first
    ASSERT_EQ(ItemsOf(list), (TItems{"A", "a"}));
    list.SetCaseSensitive(true);
    EXPECT_EQ(ItemsOf(list), (TItems{"a", "A"}));
    int32_t index = -1;
    EXPECT_TRUE(list.Find("a", index));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(list.Find("A", index));
    EXPECT_EQ(index, 1);
}

TEST(StringList, IndexErrorsNameTheIndexAndLoseNothing)
{
    TStringList list;
    Fill(list, {"a", "b", "c"});
    EXPECT_EQ(ErrorMessage([&] { (void)list.Strings(3); }), "Indice de liste hors limites (3)");
    EXPECT_EQ(ErrorMessage([&] { (void)list.Objects(-1); }), "Indice de liste hors limites (-1)");
    EXPECT_EQ(ErrorMessage([&] { list.Delete(7); }), "Indice de liste hors limites (7)");
    EXPECT_EQ(ErrorMessage([&] { list.Insert(4, "x"); }), "Indice de liste hors limites (4)");
    EXPECT_EQ(ErrorMessage([&] { list.Exchange(0, 3); }), "Indice de liste hors limites (3)");
    EXPECT_EQ(ErrorMessage([&] { list.Move(0, 3); }), "Indice de liste hors limites (3)");
    EXPECT_EQ(ItemsOf(list), (TItems{"a", "b", "c"}));
    list.Insert(3, "d");  // inserting at the end is allowed
    EXPECT_EQ(list.Count(), 4);
}

TEST(StringList, ObjectsTravelWithTheirStrings)
{
    TStringList list;
    int payload = 0;
    list.AddObject("c", ObjectFromInt(3));
    list.AddObject("a", &payload);
    list.AddObject("b", ObjectFromInt(-2));
    list.Move(0, 2);  // a b c
    EXPECT_EQ(ItemsOf(list), (TItems{"a", "b", "c"}));
    EXPECT_EQ(list.Objects(0), &payload);
    EXPECT_EQ(IntFromObject(list.Objects(1)), -2);
    list.Exchange(0, 2);
    EXPECT_EQ(IntFromObject(list.Objects(0)), 3);
    EXPECT_EQ(list.IndexOfObject(&payload), 2);
    EXPECT_EQ(list.IndexOfObject(nullptr), -1);

    list.CustomSort([](TStringList& l, int32_t i, int32_t j) {
        intptr_t a = IntFromObject(l.Objects(i));
        intptr_t b = IntFromObject(l.Objects(j));
        return a < b ? -1 : (a > b ? 1 : 0);
    });
    EXPECT_EQ(ItemsOf(list), (TItems{"b", "c", "a"})) << "sorted by object value (the pointer is largest)";

    TStringList copy;
    copy.Add("old");
    copy.Assign(list);
    EXPECT_EQ(ItemsOf(copy), ItemsOf(list));
    EXPECT_EQ(copy.Objects(2), &payload);
}

TEST(StringList, SortKeepsTheOriginalOrderOfEqualItemsAndSortsLargeLists)
{
    // The original sort is no stable sort; equal items end where it puts them.
    TStringList list;
    Fill(list, {"b", "a1", "A", "a", "c", "B"});
    list.CustomSort([](TStringList& l, int32_t i, int32_t j) {
        return static_cast<int32_t>(l.Strings(i)[0] | 0x20) - static_cast<int32_t>(l.Strings(j)[0] | 0x20);
    });
    EXPECT_EQ(ItemsOf(list), (TItems{"A", "a", "a1", "B", "b", "c"}));

    // Already sorted, reversed and all-equal input of some size.
    for (int pattern = 0; pattern < 3; ++pattern) {
        TStringList big;
        for (int i = 0; i < 5000; ++i) {
            int key = pattern == 0 ? i : (pattern == 1 ? 5000 - i : 7);
            big.Add(std::to_string(100000 + key));
        }
        big.Sort();
        for (int32_t i = 1; i < big.Count(); ++i)
            ASSERT_LE(big.Strings(i - 1), big.Strings(i)) << "pattern " << pattern;
    }
}

TEST(StringList, NamesAndValues)
{
    TStringList list;
    Fill(list, {"a=1", "B=2", "sans égal", "=vide", "c=", "d=x=y"});
    EXPECT_EQ(list.Names(0), "a");
    EXPECT_EQ(list.Names(2), "");
    EXPECT_EQ(list.Names(3), "");
    EXPECT_EQ(list.IndexOfName("b"), 1);  // without regard to case
    EXPECT_EQ(list.IndexOfName("sans égal"), -1);
    EXPECT_EQ(list.IndexOfName(""), 3);
    EXPECT_EQ(list.Values("b"), "2");
    EXPECT_EQ(list.Values("c"), "");
    EXPECT_EQ(list.Values("d"), "x=y");
    EXPECT_EQ(list.Values("absent"), "");
    EXPECT_EQ(list.ValueFromIndex(2), "") << "an item without '=' has no value";
    EXPECT_EQ(list.ValueFromIndex(3), "vide");
    EXPECT_EQ(list.ValueFromIndex(-1), "");

    list.SetValues("B", "deux");  // replaced at its place
    list.SetValues("a", "");      // removed
    list.SetValues("e", "5");     // appended
    list.SetValueFromIndex(2, "rien");
    EXPECT_EQ(ItemsOf(list), (TItems{"B=deux", "sans égal", "=rien", "c=", "d=x=y", "e=5"}));

    // A sorted list takes new values too: the item moves to its place.
    TStringList sorted;
    sorted.SetSorted(true);
    sorted.SetValues("m", "1");
    sorted.SetValues("b", "2");
    sorted.SetValues("m", "0");
    sorted.SetValues("c", "3");
    EXPECT_EQ(ItemsOf(sorted), (TItems{"b=2", "c=3", "m=0"}));
    sorted.SetCaseSensitive(true);
    EXPECT_EQ(sorted.IndexOfName("M"), -1);
    EXPECT_EQ(sorted.IndexOfName("m"), 2);
}

TEST(StringList, CommaTextRoundTrips)
{
    struct TCase {
        TItems Items;
        std::string Text;
    };
    const TCase cases[] = {
        {{}, ""},
        {{""}, "\"\""},
        {{"", ""}, ","},
        {{"a", "b"}, "a,b"},
        {{"", "a", ""}, ",a,"},
        {{"a b"}, "\"a b\""},
        {{" devant", "derrière "}, "\" devant\",\"derrière \""},
        {{"x,y", "z"}, "\"x,y\",z"},
        {{"dit \"oui\""}, "\"dit \"\"oui\"\"\""},
        {{"a\"b"}, "\"a\"\"b\""},
        {{"tab\there", "ligne\r\nsuivante"}, "\"tab\there\",\"ligne\r\nsuivante\""},
        {{"élève", "ÿ"}, "élève,ÿ"},
    };
    for (const TCase& c : cases) {
        TStringList list;
        Fill(list, c.Items);
        EXPECT_EQ(list.CommaText(), c.Text);
        TStringList back;
        back.SetCommaText(c.Text);
        EXPECT_EQ(ItemsOf(back), c.Items) << c.Text;
    }
}

TEST(StringList, CommaTextReadsAsTheOriginalDoes)
{
    struct TCase {
        std::string Text;
        TItems Items;
    };
    const TCase cases[] = {
        {"a b", {"a", "b"}},  // a blank outside quotes separates too
        {"  a , b  ", {"a", "b"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {"a, ", {"a"}},  // blanks after the last delimiter: no empty item
        {"\"non fermé", {"non fermé"}},
        {"\"a\"b,c", {"a", "b", "c"}},
        {"a\"b", {"a\"b"}},
        {"\"\"", {""}},
        {"   ", {}},
    };
    for (const TCase& c : cases) {
        TStringList list;
        list.SetCommaText(c.Text);
        EXPECT_EQ(ItemsOf(list), c.Items) << c.Text;
    }
}

TEST(StringList, DelimitedTextUsesTheListsDelimiterAndQuote)
{
    TStringList list;
    list.SetDelimiter(';');
    list.SetQuoteChar('\'');
    Fill(list, {"a;b", "c d", "l'été", "e,f"});
    EXPECT_EQ(list.DelimitedText(), "'a;b';'c d';'l''été';e,f");
    EXPECT_EQ(list.CommaText(), "a;b,\"c d\",l'été,\"e,f\"");
    TStringList back;
    back.SetDelimiter(';');
    back.SetQuoteChar('\'');
    back.SetDelimitedText(list.DelimitedText());
    EXPECT_EQ(ItemsOf(back), ItemsOf(list));
    // Assign takes the delimiter and quote along.
    TStringList copy;
    copy.Assign(list);
    EXPECT_EQ(copy.DelimitedText(), list.DelimitedText());
}

TEST(StringList, TextSplitsAtEveryKindOfLineEnd)
{
    struct TCase {
        std::string Text;
        TItems Items;
    };
    const TCase cases[] = {
        {"", {}},
        {"seul", {"seul"}},
        {"x\r\n", {"x"}},
        {"\n", {""}},
        {"a\r\nb\nc\rd\r\n\r\ne", {"a", "b", "c", "d", "", "e"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {std::string("nul\0dedans\r\nfin", 15), {std::string("nul\0dedans", 10), "fin"}},
    };
    for (const TCase& c : cases) {
        TStringList list;
        list.SetText(c.Text);
        EXPECT_EQ(ItemsOf(list), c.Items);
    }
    TStringList list;
    Fill(list, {"un", "", "trois"});
    EXPECT_EQ(list.Text(), "un\r\n\r\ntrois\r\n");
}

TEST(StringList, StreamsAndFilesHoldTheText)
{
    TStringList list;
    Fill(list, {"première", "", "dernière"});
    TStringStream stream("avant|");
    stream.Seek(0, TSeekOrigin::soEnd);
    list.SaveToStream(stream);
    EXPECT_EQ(stream.DataString(), "avant|première\r\n\r\ndernière\r\n");
    stream.SetPosition(6);
    TStringList back;
    back.LoadFromStream(stream);
    EXPECT_EQ(ItemsOf(back), ItemsOf(list));

    // The file name is 1252 text; on disk it is UTF-8.
    const std::string dir = MakeTestDir("stringlist-files");
    const std::string name = AnsiFromUtf8(dir) + "/liste d'été.txt";
    list.SaveToFile(name);
    EXPECT_EQ(ReadTestFile(dir + "/liste d'\xC3\xA9t\xC3\xA9.txt"), "première\r\n\r\ndernière\r\n");
    TStringList loaded;
    loaded.Add("ancien");
    loaded.LoadFromFile(name);
    EXPECT_EQ(ItemsOf(loaded), ItemsOf(list));
    EXPECT_THROW(loaded.LoadFromFile(AnsiFromUtf8(dir) + "/absent.txt"), EStreamError);
    EXPECT_EQ(ItemsOf(loaded), ItemsOf(list)) << "a failed load leaves the list as it was";
}

TEST(StringList, ChangeEventsWaitForTheLastEndUpdate)
{
    TStringList list;
    int changes = 0;
    int changing = 0;
    list.OnChange = [&](TStringList&) { ++changes; };
    list.OnChanging = [&](TStringList&) { ++changing; };
    list.Add("a");
    list.Add("b");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(changing, 2);

    changes = changing = 0;
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("c");
    list.Delete(0);
    list.SetCommaText("x,y,z");
    list.EndUpdate();
    EXPECT_EQ(changes, 0);
    list.EndUpdate();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(changing, 1);

    changes = 0;
    list.SetText("un\r\ndeux\r\ntrois");
    EXPECT_EQ(changes, 1);
    list.EndUpdate();  // unbalanced: ignored
    list.Add("w");
    EXPECT_EQ(changes, 2);
}

TEST(StringList, AddStringsToASortedListSortsThem)
{
    TStringList source;
    Fill(source, {"c", "a", "b", "a"});
    TStringList target;
    target.SetSorted(true);
    target.Add("b");
    target.AddStrings(source);
    EXPECT_EQ(ItemsOf(target), (TItems{"a", "b", "c"}));
    target.Assign(target);  // assigning a list to itself changes nothing
    EXPECT_EQ(target.Count(), 3);
}
