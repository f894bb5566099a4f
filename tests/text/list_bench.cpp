// Prints figures for the list pool, the list sort and the settings parser:
// heap allocations per added element, and the list sort against
// std::stable_sort on a vector of the same names (a ratio from one run).
// Built with the sanitizers in the native configuration: compare ratios, not times.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "text/list.h"
#include "prefs/portable/prefs_document.h"

static long g_allocations = 0;

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++g_allocations;
    return std::malloc(size ? size : 1);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

static double seconds_since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

int main() {
    const int n = 200000;
    std::mt19937 rng(7);
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) {
        std::string s = "pal";  // short names, like palette files: no text allocation
        for (int k = 0; k < 4; ++k) s.push_back("aAbBcC_0"[rng() % 8]);
        names.push_back(s);
    }

    List* list = list_new();
    long before = g_allocations;
    for (const std::string& s : names) list_add(list)->text = s;
    long pool_allocations = g_allocations - before;
    std::printf("list_add: %d elements, %ld allocations (%.4f per element)\n", n, pool_allocations,
                static_cast<double>(pool_allocations) / n);

    auto t0 = std::chrono::steady_clock::now();
    before = g_allocations;
    list_sort(list, LIST_SORT_NO_CASE);
    double list_time = seconds_since(t0);
    long sort_allocations = g_allocations - before;

    std::vector<std::string> copy = names;
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
    t0 = std::chrono::steady_clock::now();
    std::stable_sort(copy.begin(), copy.end(), [&](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [&](char x, char y) { return lower(x) < lower(y); });
    });
    double vector_time = seconds_since(t0);
    std::printf("list_sort: %.1f ms, %ld allocations; std::stable_sort on strings: %.1f ms; ratio %.2f\n",
                list_time * 1e3, sort_allocations, vector_time * 1e3, list_time / vector_time);
    list_free(list);

    std::string file;
    for (int i = 0; i < 50000; ++i) file += "key" + std::to_string(i) + " = value number " + std::to_string(i) + "\r\n";
    t0 = std::chrono::steady_clock::now();
    before = g_allocations;
    tw::prefs::Document doc;
    doc.load(file);
    double parse_time = seconds_since(t0);
    long parse_allocations = g_allocations - before;
    t0 = std::chrono::steady_clock::now();
    std::string out = doc.serialize();
    double write_time = seconds_since(t0);
    std::printf("settings parse: %zu bytes, %zu entries in %.1f ms (%ld allocations); write %.1f ms; same bytes: %s\n",
                file.size(), doc.entry_count(), parse_time * 1e3, parse_allocations, write_time * 1e3,
                out == file ? "yes" : "no");
    return 0;
}
