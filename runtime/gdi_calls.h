// The graphics calls that make and release GDI objects, in one table (so a
// test can fail the k-th one), each reached through a wrapper that counts what
// it makes and releases (runtime/resource_count.h). The image objects and the
// controls make their bitmaps, device contexts, icons, brushes, fonts and clip
// regions only through these. Platform-facing, header-only.
#pragma once

#include "runtime/resource_count.h"
#include "runtime/win32.h"

namespace tw::gdi {

struct GdiCalls {
    HDC(WINAPI* CreateDCA)(LPCSTR, LPCSTR, LPCSTR, const DEVMODEA*);
    HDC(WINAPI* CreateCompatibleDC)(HDC);
    BOOL(WINAPI* DeleteDC)(HDC);
    HBITMAP(WINAPI* CreateDIBSection)(HDC, const BITMAPINFO*, UINT, VOID**, HANDLE, DWORD);
    HBITMAP(WINAPI* CreateCompatibleBitmap)(HDC, int, int);
    int(WINAPI* SetDIBits)(HDC, HBITMAP, UINT, UINT, const VOID*, const BITMAPINFO*, UINT);
    HGDIOBJ(WINAPI* SelectObject)(HDC, HGDIOBJ);
    BOOL(WINAPI* StretchBlt)(HDC, int, int, int, int, HDC, int, int, int, int, DWORD);
    BOOL(WINAPI* DeleteObject)(HGDIOBJ);
    HICON(WINAPI* CreateIconFromResourceEx)(PBYTE, DWORD, BOOL, DWORD, int, int, UINT);
    HICON(WINAPI* CreateIconFromResource)(PBYTE, DWORD, BOOL, DWORD);
    BOOL(WINAPI* GetIconInfo)(HICON, PICONINFO);
    BOOL(WINAPI* DestroyIcon)(HICON);
    HANDLE(WINAPI* LoadImageA)(HINSTANCE, LPCSTR, UINT, int, int, UINT);
    HANDLE(WINAPI* CopyImage)(HANDLE, UINT, int, int, UINT);
    HBRUSH(WINAPI* CreateSolidBrush)(COLORREF);
    HFONT(WINAPI* CreateFontA)(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, LPCSTR);
    HRGN(WINAPI* CreateRectRgn)(int, int, int, int);
    HDC(WINAPI* GetDC)(HWND);
    int(WINAPI* ReleaseDC)(HWND, HDC);
};

inline const GdiCalls& system_gdi_calls() {
    static const GdiCalls calls = {
        ::CreateDCA,   ::CreateCompatibleDC, ::DeleteDC,         ::CreateDIBSection, ::CreateCompatibleBitmap,
        ::SetDIBits,   ::SelectObject,       ::StretchBlt,       ::DeleteObject,     ::CreateIconFromResourceEx,
        ::CreateIconFromResource, ::GetIconInfo, ::DestroyIcon,  ::LoadImageA,       ::CopyImage,
        ::CreateSolidBrush, ::CreateFontA,   ::CreateRectRgn,    ::GetDC,            ::ReleaseDC};
    return calls;
}

// The table in use; tests may change its entries (and put them back).
inline GdiCalls& gdi_calls() {
    static GdiCalls calls = system_gdi_calls();
    return calls;
}

// ---- counted wrappers ----

inline HDC screen_dc() { return counted(Resource::DeviceContext, gdi_calls().CreateDCA("DISPLAY", nullptr, nullptr, nullptr)); }
inline HDC memory_dc() { return counted(Resource::DeviceContext, gdi_calls().CreateCompatibleDC(nullptr)); }
inline void delete_dc(HDC dc) {
    if (!dc) return;
    gdi_calls().DeleteDC(dc);
    resource_released(Resource::DeviceContext);
}
// A window's device context, given back with release_window_dc.
inline HDC window_dc(HWND window) { return counted(Resource::DeviceContext, gdi_calls().GetDC(window)); }
inline void release_window_dc(HWND window, HDC dc) {
    if (!dc) return;
    gdi_calls().ReleaseDC(window, dc);
    resource_released(Resource::DeviceContext);
}

inline HBITMAP dib_section(HDC dc, const BITMAPINFO* info, void** bits) {
    return counted(Resource::Bitmap, gdi_calls().CreateDIBSection(dc, info, DIB_RGB_COLORS, bits, nullptr, 0));
}
inline HBITMAP compatible_bitmap(HDC dc, int width, int height) {
    return counted(Resource::Bitmap, gdi_calls().CreateCompatibleBitmap(dc, width, height));
}
inline void delete_bitmap(HBITMAP bitmap) {
    if (!bitmap) return;
    gdi_calls().DeleteObject(bitmap);
    resource_released(Resource::Bitmap);
}

inline HBRUSH solid_brush(COLORREF colour) { return counted(Resource::Brush, gdi_calls().CreateSolidBrush(colour)); }
inline void delete_brush(HBRUSH brush) {
    if (!brush) return;
    gdi_calls().DeleteObject(brush);
    resource_released(Resource::Brush);
}
// A font of the default character set by face name, `height` in the
// logical units CreateFontA takes.
inline HFONT font(int height, bool bold, bool italic, bool underline, bool strikeout, DWORD quality, LPCSTR face) {
    return counted(Resource::Font,
                   gdi_calls().CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, underline, strikeout,
                                           DEFAULT_CHARSET, 0, 0, quality, 0, face));
}
inline void delete_font(HFONT font) {
    if (!font) return;
    gdi_calls().DeleteObject(font);
    resource_released(Resource::Font);
}
inline HRGN rect_region(int left, int top, int right, int bottom) {
    return counted(Resource::Region, gdi_calls().CreateRectRgn(left, top, right, bottom));
}
inline void delete_region(HRGN region) {
    if (!region) return;
    gdi_calls().DeleteObject(region);
    resource_released(Resource::Region);
}

inline HICON icon_from_resource(PBYTE bytes, DWORD size, int width, int height) {
    return counted(Resource::Icon,
                   gdi_calls().CreateIconFromResourceEx(bytes, size, TRUE, 0x00030000, width, height, 0));
}
inline HICON icon_from_resource_plain(PBYTE bytes, DWORD size) {
    return counted(Resource::Icon, gdi_calls().CreateIconFromResource(bytes, size, TRUE, 0x00030000));
}
inline void destroy_icon(HICON icon) {
    if (!icon) return;
    gdi_calls().DestroyIcon(icon);
    resource_released(Resource::Icon);
}
// An icon's description; the bitmaps it hands out are the caller's to delete
// (delete_bitmap), and are counted as made.
inline bool icon_info(HICON icon, ICONINFO* info) {
    if (!gdi_calls().GetIconInfo(icon, info)) return false;
    counted(Resource::Bitmap, info->hbmColor);
    counted(Resource::Bitmap, info->hbmMask);
    return true;
}
// A bitmap or an icon from a file, counted by its kind.
inline HANDLE load_image(LPCSTR name, UINT type, UINT flags) {
    return counted(type == IMAGE_ICON ? Resource::Icon : Resource::Bitmap,
                   gdi_calls().LoadImageA(nullptr, name, type, 0, 0, flags));
}
inline HANDLE copy_icon(HANDLE icon, int width, int height) {
    return counted(Resource::Icon, gdi_calls().CopyImage(icon, IMAGE_ICON, width, height, 0));
}

}  // namespace tw::gdi
