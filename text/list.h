// Doubly linked lists with a current-element cursor, for names and lines.
// Elements come from a block pool per list; sorting relinks them without
// copying their texts. All operations accept a null list and then do nothing
// (or return null / 0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Every element holds a text and a number; what list_sort compares is
// chosen when the list is made.
enum class ListSortKind { Text, Number };

// Options of list_sort; they combine.
inline constexpr int LIST_SORT_DESCENDING = 1;
inline constexpr int LIST_SORT_NO_CASE = 2;

struct List;

namespace tw {
struct ListOps;  // the list code's own access to the links
}

struct ListElement {
    std::string text;        // empty when the element is added
    std::int64_t number = 0; // 0 when the element is added

private:
    friend struct tw::ListOps;
    ListElement* next_ = nullptr;
    ListElement* prev_ = nullptr;
};

// Prepares the list memory; called once at start-up. Safe to call again.
void list_init();

// A new empty list; release it with list_free.
List* list_new(ListSortKind sort = ListSortKind::Text);
void list_free(List* list);

// Removes every element (and its text); no element is current afterwards.
void list_clear(List* list);

// Adds an empty element directly after the current one (in front of the first
// when none is current); the new element becomes current.
ListElement* list_add(List* list);

// Makes no element current.
void list_reset(List* list);

// With no current element the first becomes current; otherwise the next one.
// Returns the new current element, or null at the end (the cursor then stays
// on the last element).
ListElement* list_next(List* list);

// The current element, or null.
ListElement* list_current(const List* list);

// Number of elements.
std::size_t list_count(const List* list);

// Sorts the whole list (stable merge sort). Options: LIST_SORT_DESCENDING,
// LIST_SORT_NO_CASE (letters compared as lower case). Call list_reset next.
void list_sort(List* list, int options);
