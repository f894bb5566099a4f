// The cache of solid brushes shared by colour, counted by their users.
#include <list>
#include "runtime/gdi_calls.h"
#include <new>

#include "ui/win/window_internal.h"

using namespace tw::ui;

namespace {

struct BrushEntry {
    COLORREF colour;
    HBRUSH brush;
    int users;
};

struct BrushCache {
    CRITICAL_SECTION lock;
    std::list<BrushEntry> entries;  // newest first
    BrushCache() { InitializeCriticalSection(&lock); }
    // The lock lives as long as the process: brushes may be released while
    // the program ends.
};

BrushCache& cache() {
    static BrushCache* instance = new BrushCache;
    return *instance;
}

class Locked {
public:
    explicit Locked(BrushCache& c) : c_(c) { EnterCriticalSection(&c_.lock); }
    ~Locked() { LeaveCriticalSection(&c_.lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    BrushCache& c_;
};

}  // namespace

intptr_t brush_acquire(int colour) {
    BrushCache& c = cache();
    Locked guard(c);
    const COLORREF wanted = static_cast<COLORREF>(colour);
    for (BrushEntry& e : c.entries) {
        if (e.colour == wanted && e.brush) {
            ++e.users;
            return reinterpret_cast<intptr_t>(e.brush);
        }
    }
    HBRUSH brush = tw::gdi::solid_brush(wanted);
    if (!brush) return 0;
    try {
        c.entries.push_front({wanted, brush, 1});
    } catch (const std::bad_alloc&) {
        tw::gdi::delete_brush(brush);
        return 0;
    }
    return reinterpret_cast<intptr_t>(brush);
}

void brush_release(intptr_t brush) {
    if (!brush) return;
    BrushCache& c = cache();
    Locked guard(c);
    for (auto it = c.entries.begin(); it != c.entries.end(); ++it) {
        if (reinterpret_cast<intptr_t>(it->brush) != brush) continue;
        if (--it->users <= 0) {
            tw::gdi::delete_brush(it->brush);
            c.entries.erase(it);
        }
        return;
    }
}
