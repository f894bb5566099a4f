// The graphics calls that make and release GDI objects (in the table of
// runtime/platform_calls.h, so a test can fail the k-th one), each reached
// through a wrapper that counts what it makes and releases
// (runtime/resource_count.h). The image objects and the controls make their
// bitmaps, device contexts, icons, brushes, fonts and clip regions only
// through these. Platform-facing, header-only.
#pragma once

#include "runtime/platform_calls.h"
#include "runtime/resource_count.h"
#include "runtime/win32.h"

namespace tw::gdi {

// The table, with the graphics calls' defaults put in on the first use (in
// the table in use only where a test has not put its own function yet).
inline PlatformCalls& gdi_calls() {
    static const bool filled = [] {
        PlatformCalls &system = system_platform_table(), &calls = platform_calls();
#define TW_GDI_DEFAULT(name, ...) \
    system.name = ::name;         \
    if (!calls.name) calls.name = ::name;
        TW_GDI_CALLS(TW_GDI_DEFAULT)
#undef TW_GDI_DEFAULT
        return true;
    }();
    (void)filled;
    return platform_calls();
}

inline HDC screen_dc() {
    return counted(Resource::DeviceContext, gdi_calls().CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
}
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

inline HBRUSH solid_brush(COLORREF colour) {
    return counted(Resource::Brush, gdi_calls().CreateSolidBrush(colour));
}
inline void delete_brush(HBRUSH brush) {
    if (!brush) return;
    gdi_calls().DeleteObject(brush);
    resource_released(Resource::Brush);
}
// A font of the default character set by face name, `height` in the
// logical units CreateFontA takes.
inline HFONT font(int height, bool bold, bool italic, bool underline, bool strikeout, DWORD quality, LPCSTR face) {
    return counted(Resource::Font,
                   gdi_calls().CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, underline,
                                                strikeout, DEFAULT_CHARSET, 0, 0, quality, 0, face));
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
