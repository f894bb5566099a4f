#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "text/list.h"

namespace {

struct ListHolder {
    List* list = list_new();
    ~ListHolder() { list_free(list); }
};

std::vector<std::string> texts(List* list) {
    std::vector<std::string> out;
    list_reset(list);
    while (ListElement* e = list_next(list)) out.push_back(e->text);
    return out;
}

void add(List* list, const std::string& text) {
    ListElement* e = list_add(list);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->text.empty());
    EXPECT_EQ(e->number, 0);
    e->text = text;
}

// The palette catalogue: cleared, filled in scan order, sorted without regard
// to case, walked from the first element; then rebuilt after a rescan.
TEST(List, CatalogueIsFilledInOrderSortedStablyAndRebuilt) {
    ListHolder h;
    EXPECT_EQ(list_next(h.list), nullptr);  // empty: none, twice
    EXPECT_EQ(list_next(h.list), nullptr);
    EXPECT_EQ(list_count(h.list), 0u);

    list_clear(h.list);
    for (const char* name : {"B.pal", "a.pal", "A.pal", "_x.pal", "", "b.pal"}) add(h.list, name);
    EXPECT_EQ(list_count(h.list), 6u);
    EXPECT_EQ(texts(h.list), (std::vector<std::string>{"B.pal", "a.pal", "A.pal", "_x.pal", "", "b.pal"}));

    list_sort(h.list, LIST_SORT_NO_CASE);
    // Empty first, underscore before letters, equal names keep their order.
    EXPECT_EQ(texts(h.list), (std::vector<std::string>{"", "_x.pal", "a.pal", "A.pal", "B.pal", "b.pal"}));

    // After the last element the cursor stays there and list_next keeps saying none.
    EXPECT_EQ(list_next(h.list), nullptr);
    EXPECT_EQ(list_current(h.list)->text, "b.pal");
    EXPECT_EQ(list_next(h.list), nullptr);

    // A rescan: clear, then the new names come in the order added.
    list_clear(h.list);
    EXPECT_EQ(list_current(h.list), nullptr);
    EXPECT_EQ(list_count(h.list), 0u);
    for (const char* name : {"z.pal", "y.pal"}) add(h.list, name);
    EXPECT_EQ(texts(h.list), (std::vector<std::string>{"z.pal", "y.pal"}));
}

TEST(List, AddLinksBehindTheCurrentElementOrInFront) {
    ListHolder h;
    add(h.list, "one");
    add(h.list, "three");
    list_reset(h.list);
    add(h.list, "zero");  // no current element: goes in front
    list_reset(h.list);
    list_next(h.list);  // zero
    list_next(h.list);  // one
    add(h.list, "two"); // between one and three
    EXPECT_EQ(list_current(h.list)->text, "two");
    EXPECT_EQ(list_next(h.list)->text, "three");
    EXPECT_EQ(texts(h.list), (std::vector<std::string>{"zero", "one", "two", "three"}));
    EXPECT_EQ(list_count(h.list), 4u);
}

TEST(List, SortOptionsByteOrderDescendingAndCaseIgnored) {
    ListHolder h;
    for (const char* t : {"b", "B", "a", "\xE4", "A", "_", "b"}) add(h.list, t);
    list_sort(h.list, 0);  // unsigned bytes
    EXPECT_EQ(texts(h.list), (std::vector<std::string>{"A", "B", "_", "a", "b", "b", "\xE4"}));
    list_sort(h.list, LIST_SORT_DESCENDING);
    EXPECT_EQ(texts(h.list), (std::vector<std::string>{"\xE4", "b", "b", "a", "_", "B", "A"}));

    // Descending without regard to case: equal elements keep their order.
    list_clear(h.list);
    for (const char* t : {"a1", "B", "A", "b", "a"}) add(h.list, t);
    list_sort(h.list, LIST_SORT_DESCENDING | LIST_SORT_NO_CASE);
    EXPECT_EQ(texts(h.list), (std::vector<std::string>{"B", "b", "a1", "A", "a"}));

    // A prefix sorts before the longer text.
    list_clear(h.list);
    for (const char* t : {"ab", "a", "abc"}) add(h.list, t);
    list_sort(h.list, LIST_SORT_NO_CASE);
    EXPECT_EQ(texts(h.list), (std::vector<std::string>{"a", "ab", "abc"}));
}

// Many elements spanning several pool blocks sort like a stable sort, and the
// elements themselves (with their texts) are relinked, not copied.
TEST(List, LargeSortMatchesStableSortAndKeepsElements) {
    ListHolder h;
    std::mt19937 rng(12345);
    std::vector<std::pair<std::string, ListElement*>> expected;
    for (int i = 0; i < 5000; ++i) {
        std::string t(1 + rng() % 3, 'a');
        for (char& c : t) c = "aAbB_"[rng() % 5];
        ListElement* e = list_add(h.list);
        e->text = t;
        e->number = i;
        expected.emplace_back(t, e);
    }
    auto lower = [](std::string s) {
        for (char& c : s) if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        return s;
    };
    std::stable_sort(expected.begin(), expected.end(),
                     [&](const auto& x, const auto& y) { return lower(x.first) < lower(y.first); });
    list_sort(h.list, LIST_SORT_NO_CASE);
    list_reset(h.list);
    std::size_t i = 0;
    while (ListElement* e = list_next(h.list)) {
        ASSERT_LT(i, expected.size());
        ASSERT_EQ(e, expected[i].second) << "at " << i;
        ASSERT_EQ(e->text, expected[i].first);
        ++i;
    }
    EXPECT_EQ(i, 5000u);
    EXPECT_EQ(list_count(h.list), 5000u);
    // The links run both ways after sorting: adding behind the last still works.
    add(h.list, "tail");
    EXPECT_EQ(texts(h.list).back(), "tail");
}

TEST(List, NumberListsAndNullListsAreHandled) {
    List* numbers = list_new(ListSortKind::Number);
    for (int v : {5, -3, 5, 0}) list_add(numbers)->number = v;
    list_current(numbers)->text = "last zero";
    list_sort(numbers, 0);
    std::vector<std::int64_t> got;
    list_reset(numbers);
    while (ListElement* e = list_next(numbers)) got.push_back(e->number);
    EXPECT_EQ(got, (std::vector<std::int64_t>{-3, 0, 5, 5}));
    list_free(numbers);

    EXPECT_EQ(list_add(nullptr), nullptr);
    EXPECT_EQ(list_next(nullptr), nullptr);
    EXPECT_EQ(list_current(nullptr), nullptr);
    EXPECT_EQ(list_count(nullptr), 0u);
    list_reset(nullptr);
    list_clear(nullptr);
    list_sort(nullptr, 2);
    list_free(nullptr);
}

}  // namespace
