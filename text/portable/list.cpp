// Linked lists with a cursor. Elements live in blocks owned by their list
// (blocks grow from 16 to 1024 elements), so adding many names costs few
// allocations; list_clear gives all blocks back.
#include "text/list.h"

#include <memory>
#include <vector>

struct List {
    ListSortKind sort = ListSortKind::Text;
    ListElement* first = nullptr;
    ListElement* last = nullptr;
    ListElement* current = nullptr;
    std::size_t count = 0;

    struct Block {
        std::unique_ptr<ListElement[]> items;
        std::size_t capacity = 0;
        std::size_t used = 0;
    };
    std::vector<Block> blocks;
};

namespace tw {

struct ListOps {
    static ListElement*& next(ListElement* e) { return e->next_; }
    static ListElement*& prev(ListElement* e) { return e->prev_; }

    static ListElement* allocate(List& list) {
        if (list.blocks.empty() || list.blocks.back().used == list.blocks.back().capacity) {
            std::size_t capacity = list.blocks.empty() ? 16 : list.blocks.back().capacity * 2;
            if (capacity > 1024) capacity = 1024;
            List::Block block;
            block.items = std::make_unique<ListElement[]>(capacity);
            block.capacity = capacity;
            list.blocks.push_back(std::move(block));
        }
        List::Block& block = list.blocks.back();
        return &block.items[block.used++];
    }

    // Negative, zero or positive as a sorts before, with or after b.
    static int compare(const List& list, const ListElement* a, const ListElement* b, bool no_case) {
        if (list.sort == ListSortKind::Number) return a->number < b->number ? -1 : a->number > b->number ? 1 : 0;
        const std::string& x = a->text;
        const std::string& y = b->text;
        std::size_t n = x.size() < y.size() ? x.size() : y.size();
        for (std::size_t i = 0; i < n; ++i) {
            unsigned char c = static_cast<unsigned char>(x[i]);
            unsigned char d = static_cast<unsigned char>(y[i]);
            if (no_case) {
                if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
                if (d >= 'A' && d <= 'Z') d = static_cast<unsigned char>(d + 32);
            }
            if (c != d) return c < d ? -1 : 1;
        }
        return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
    }

    struct SortContext {
        const List* list;
        bool descending;
        bool no_case;
        // True if a must come behind b.
        bool after(const ListElement* a, const ListElement* b) const {
            int c = compare(*list, a, b, no_case);
            return descending ? c < 0 : c > 0;
        }
    };

    // Sorts the run of n elements starting at head (linked through next_) and
    // returns its new head; the run's last element ends with next_ == null.
    // *rest receives the element that followed the run.
    static ListElement* sort_run(const SortContext& ctx, ListElement* head, std::size_t n, ListElement** rest) {
        if (n == 1) {
            *rest = head->next_;
            head->next_ = nullptr;
            return head;
        }
        if (n == 2) {
            ListElement* second = head->next_;
            *rest = second->next_;
            if (ctx.after(head, second)) {
                second->next_ = head;
                head->next_ = nullptr;
                return second;
            }
            second->next_ = nullptr;
            return head;
        }
        std::size_t half = n / 2;
        ListElement* middle = nullptr;
        ListElement* a = sort_run(ctx, head, half, &middle);
        ListElement* b = sort_run(ctx, middle, n - half, rest);
        ListElement* merged = nullptr;
        ListElement** tail = &merged;
        while (a && b) {
            if (!ctx.after(a, b)) {
                *tail = a;
                a = a->next_;
            } else {
                *tail = b;
                b = b->next_;
            }
            tail = &(*tail)->next_;
        }
        *tail = a ? a : b;
        return merged;
    }

    static void sort(List& list, int options) {
        if (list.count < 2) return;
        SortContext ctx{&list, (options & LIST_SORT_DESCENDING) != 0, (options & LIST_SORT_NO_CASE) != 0};
        ListElement* rest = nullptr;
        ListElement* head = sort_run(ctx, list.first, list.count, &rest);
        ListElement* prev = nullptr;
        for (ListElement* e = head; e; e = e->next_) {
            e->prev_ = prev;
            prev = e;
        }
        list.first = head;
        list.last = prev;
    }
};

}  // namespace tw

using tw::ListOps;

void list_init() {}

List* list_new(ListSortKind sort) {
    List* list = new List;
    list->sort = sort;
    return list;
}

void list_free(List* list) {
    delete list;
}

void list_clear(List* list) {
    if (!list) return;
    list->blocks.clear();
    list->first = list->last = list->current = nullptr;
    list->count = 0;
}

ListElement* list_add(List* list) {
    if (!list) return nullptr;
    ListElement* e = ListOps::allocate(*list);
    ListElement* before = list->current;
    ListElement* after = before ? ListOps::next(before) : list->first;
    ListOps::prev(e) = before;
    ListOps::next(e) = after;
    if (before) ListOps::next(before) = e;
    else list->first = e;
    if (after) ListOps::prev(after) = e;
    else list->last = e;
    list->current = e;
    ++list->count;
    return e;
}

void list_reset(List* list) {
    if (list) list->current = nullptr;
}

ListElement* list_next(List* list) {
    if (!list) return nullptr;
    if (!list->current) {
        list->current = list->first;
        return list->current;
    }
    ListElement* next = ListOps::next(list->current);
    if (next) list->current = next;
    return next;
}

ListElement* list_current(const List* list) {
    return list ? list->current : nullptr;
}

std::size_t list_count(const List* list) {
    return list ? list->count : 0;
}

void list_sort(List* list, int options) {
    if (list) ListOps::sort(*list, options);
}
