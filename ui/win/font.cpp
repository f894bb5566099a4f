// Fonts loaded by face name and point size under object numbers.
#include "runtime/object_table.h"
#include "runtime/gdi_calls.h"
#include "ui/win/window_internal.h"

using namespace tw::ui;

namespace {

struct FontObject {
    HFONT handle = nullptr;
    bool in_use() const { return handle != nullptr; }
    void release() {
        tw::gdi::delete_font(handle);
        handle = nullptr;
    }
};

tw::ObjectTable<FontObject>& fonts() {
    static tw::ObjectTable<FontObject> table(16);
    return table;
}

}  // namespace

void font_library_init() { fonts(); }

intptr_t font_load(intptr_t number, tw::TextArg face, int points, uint32_t flags) {
    FontObject* f = fonts().prepare(number);
    if (!f) return 0;
    HDC screen = tw::gdi::screen_dc();
    if (!screen) {
        fonts().discard(f);
        return 0;
    }
    int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    std::string name = face.str();
    f->handle = tw::gdi::font(height, flags & FONT_BOLD, flags & FONT_ITALIC, flags & FONT_UNDERLINE,
                              flags & FONT_STRIKEOUT, (flags & FONT_HIGH_QUALITY) ? PROOF_QUALITY : DEFAULT_QUALITY,
                              name.c_str());
    tw::gdi::delete_dc(screen);
    if (!f->handle) {
        fonts().discard(f);
        return 0;
    }
    return number == tw::kDynamicNumber ? fonts().number_of(f) : reinterpret_cast<intptr_t>(f->handle);
}

intptr_t font_handle(intptr_t number) {
    FontObject* f = fonts().find(number);
    return f ? reinterpret_cast<intptr_t>(f->handle) : 0;
}

void font_free(intptr_t number) { fonts().free(number); }

void font_free_all() { fonts().free_all(); }
