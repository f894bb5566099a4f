#include "tests/image/gdi_faults.h"

#include "runtime/gdi_calls.h"

namespace gdi_faults {
namespace {

long g_count = 0, g_at = 0;
bool g_fired = false;
std::vector<std::string> g_names;

bool fails(const char* name) {
    g_names.emplace_back(name);
    if (++g_count != g_at) return false;
    g_fired = true;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return true;
}

const tw::gdi::GdiCalls& real() { return tw::gdi::system_gdi_calls(); }

// Releasing calls fail too, but still release: the platform gives the object up.
HDC WINAPI create_dc(LPCSTR a, LPCSTR b, LPCSTR c, const DEVMODEA* d) {
    return fails("CreateDCA") ? nullptr : real().CreateDCA(a, b, c, d);
}
HDC WINAPI compatible_dc(HDC dc) { return fails("CreateCompatibleDC") ? nullptr : real().CreateCompatibleDC(dc); }
BOOL WINAPI delete_dc(HDC dc) {
    const bool f = fails("DeleteDC");
    return real().DeleteDC(dc) && !f;
}
HBITMAP WINAPI dib_section(HDC dc, const BITMAPINFO* i, UINT u, VOID** b, HANDLE s, DWORD o) {
    return fails("CreateDIBSection") ? nullptr : real().CreateDIBSection(dc, i, u, b, s, o);
}
HBITMAP WINAPI compatible_bitmap(HDC dc, int w, int h) {
    return fails("CreateCompatibleBitmap") ? nullptr : real().CreateCompatibleBitmap(dc, w, h);
}
int WINAPI set_dib_bits(HDC dc, HBITMAP b, UINT s, UINT n, const VOID* p, const BITMAPINFO* i, UINT u) {
    return fails("SetDIBits") ? 0 : real().SetDIBits(dc, b, s, n, p, i, u);
}
HGDIOBJ WINAPI select_object(HDC dc, HGDIOBJ o) { return fails("SelectObject") ? nullptr : real().SelectObject(dc, o); }
BOOL WINAPI stretch_blt(HDC d, int x, int y, int w, int h, HDC s, int sx, int sy, int sw, int sh, DWORD op) {
    return fails("StretchBlt") ? FALSE : real().StretchBlt(d, x, y, w, h, s, sx, sy, sw, sh, op);
}
BOOL WINAPI delete_object(HGDIOBJ o) {
    const bool f = fails("DeleteObject");
    return real().DeleteObject(o) && !f;
}
HICON WINAPI icon_ex(PBYTE b, DWORD n, BOOL i, DWORD v, int w, int h, UINT f) {
    return fails("CreateIconFromResourceEx") ? nullptr : real().CreateIconFromResourceEx(b, n, i, v, w, h, f);
}
HICON WINAPI icon_plain(PBYTE b, DWORD n, BOOL i, DWORD v) {
    return fails("CreateIconFromResource") ? nullptr : real().CreateIconFromResource(b, n, i, v);
}
BOOL WINAPI icon_info(HICON i, PICONINFO p) { return fails("GetIconInfo") ? FALSE : real().GetIconInfo(i, p); }
BOOL WINAPI destroy_icon(HICON i) {
    const bool f = fails("DestroyIcon");
    return real().DestroyIcon(i) && !f;
}
HANDLE WINAPI load_image(HINSTANCE m, LPCSTR n, UINT t, int w, int h, UINT f) {
    return fails("LoadImageA") ? nullptr : real().LoadImageA(m, n, t, w, h, f);
}
HANDLE WINAPI copy_image(HANDLE i, UINT t, int w, int h, UINT f) {
    return fails("CopyImage") ? nullptr : real().CopyImage(i, t, w, h, f);
}
HBRUSH WINAPI solid_brush(COLORREF c) { return fails("CreateSolidBrush") ? nullptr : real().CreateSolidBrush(c); }
HFONT WINAPI font(int a, int b, int c, int d, int e, DWORD f, DWORD g, DWORD h, DWORD i, DWORD j, DWORD k, DWORD l,
                  DWORD m, LPCSTR n) {
    return fails("CreateFontA") ? nullptr : real().CreateFontA(a, b, c, d, e, f, g, h, i, j, k, l, m, n);
}
HRGN WINAPI rect_region(int a, int b, int c, int d) {
    return fails("CreateRectRgn") ? nullptr : real().CreateRectRgn(a, b, c, d);
}
HDC WINAPI get_dc(HWND w) { return fails("GetDC") ? nullptr : real().GetDC(w); }
int WINAPI release_dc(HWND w, HDC dc) {
    const bool f = fails("ReleaseDC");
    return real().ReleaseDC(w, dc) && !f;
}

}  // namespace

void install() {
    tw::gdi::gdi_calls() = tw::gdi::GdiCalls{create_dc,     compatible_dc, delete_dc,   dib_section, compatible_bitmap,
                                             set_dib_bits,  select_object, stretch_blt, delete_object, icon_ex,
                                             icon_plain,    icon_info,     destroy_icon, load_image, copy_image,
                                             solid_brush,   font,          rect_region, get_dc,      release_dc};
}
void remove() { tw::gdi::gdi_calls() = tw::gdi::system_gdi_calls(); }
void arm(long at) {
    g_count = 0;
    g_at = at;
    g_fired = false;
    g_names.clear();
}
const std::vector<std::string>& call_names() { return g_names; }
bool fired() { return g_fired; }

}  // namespace gdi_faults
