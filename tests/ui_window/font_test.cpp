// Fonts by point size, the shared brush cache and theme detection.
#include "runtime/resource_count.h"
#include "tests/ui_window/test_events.h"

namespace {

LOGFONTA logfont(intptr_t font) {
    LOGFONTA lf = {};
    GetObjectA(reinterpret_cast<HFONT>(font), sizeof lf, &lf);
    return lf;
}

int screen_dpi() {
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

TEST(Fonts, PointSizeFollowsTheScreenResolution) {
    font_library_init();
    const long fonts = tw::resources_held(tw::Resource::Font), dcs = tw::resources_held(tw::Resource::DeviceContext);
    EXPECT_EQ(font_handle(1), 0) << "never loaded";
    intptr_t first = font_load(1, "Lucida Console", 12);
    ASSERT_NE(first, 0);
    EXPECT_EQ(font_handle(1), first);
    LOGFONTA lf = logfont(first);
    EXPECT_EQ(lf.lfHeight, -MulDiv(12, screen_dpi(), 72));
    if (screen_dpi() == 96) {
        EXPECT_EQ(lf.lfHeight, -16);
    }
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_EQ(lf.lfItalic, 0);
    EXPECT_EQ(lf.lfUnderline, 0);
    EXPECT_EQ(lf.lfStrikeOut, 0);
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(lf.lfQuality, DEFAULT_QUALITY);
    EXPECT_STREQ(lf.lfFaceName, "Lucida Console");

    // A second font under the same number deletes the first.
    intptr_t second = font_load(1, "Arial", 9, FONT_BOLD | FONT_ITALIC | FONT_UNDERLINE | FONT_STRIKEOUT |
                                                    FONT_HIGH_QUALITY);
    ASSERT_NE(second, 0);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(first)), 0u) << "old font still alive";
    lf = logfont(second);
    EXPECT_EQ(lf.lfHeight, -MulDiv(9, screen_dpi(), 72));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_EQ(lf.lfUnderline, 1);
    EXPECT_EQ(lf.lfStrikeOut, 1);
    EXPECT_EQ(lf.lfQuality, PROOF_QUALITY);

    intptr_t dynamic = font_load(-1, "Arial", 10);
    ASSERT_NE(dynamic, 0);
    HGDIOBJ dynamic_font = reinterpret_cast<HGDIOBJ>(font_handle(dynamic));
    EXPECT_EQ(GetObjectType(dynamic_font), static_cast<DWORD>(OBJ_FONT));
    intptr_t third = font_load(20, "Arial", 10);

    font_free(1);
    EXPECT_EQ(font_handle(1), 0);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(second)), 0u);
    font_free(1);  // nothing there any more
    font_free_all();
    EXPECT_EQ(font_handle(20), 0);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(third)), 0u);
    EXPECT_EQ(GetObjectType(dynamic_font), 0u);
    EXPECT_EQ(tw::resources_held(tw::Resource::Font), fonts) << "a font was left";
    EXPECT_EQ(tw::resources_held(tw::Resource::DeviceContext), dcs) << "a screen context was left";
}

TEST(BrushCache, UsersOfOneColourShareOneBrush) {
    const long brushes = tw::resources_held(tw::Resource::Brush);
    intptr_t a = brush_acquire(0xEFE6DC);
    intptr_t b = brush_acquire(0xEFE6DC);
    intptr_t other = brush_acquire(0x4A3100);
    ASSERT_NE(a, 0);
    EXPECT_EQ(a, b);
    EXPECT_NE(other, a);
    LOGBRUSH lb = {};
    GetObjectA(reinterpret_cast<HBRUSH>(a), sizeof lb, &lb);
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(lb.lbColor, static_cast<COLORREF>(0xEFE6DC));

    // One user changes to another colour: the brush lives on for the other.
    brush_release(a);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(b)), static_cast<DWORD>(OBJ_BRUSH));
    brush_release(reinterpret_cast<intptr_t>(GetStockObject(WHITE_BRUSH)));  // not from the cache: ignored
    brush_release(0);
    EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), static_cast<DWORD>(OBJ_BRUSH));
    // The last user goes: the brush dies.
    brush_release(b);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(b)), 0u);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(other)), static_cast<DWORD>(OBJ_BRUSH));
    brush_release(other);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(other)), 0u);

    // A colour used again after its brush died gets a working brush.
    intptr_t again = brush_acquire(0xEFE6DC);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(again)), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(tw::resources_held(tw::Resource::Brush), brushes + 1);
    brush_release(again);
    EXPECT_EQ(tw::resources_held(tw::Resource::Brush), brushes) << "a brush outlived its last user";
}

TEST(Theme, VersionIsKnownAndNoVisualStylesWithoutManifest) {
    uint32_t version = theme_detect();
    EXPECT_NE(version, 0u);
    EXPECT_EQ(theme_detect(), version) << "determined once";
    // The program selects no common controls 6 through a manifest.
    EXPECT_LT(version, 0x00060000u);
    EXPECT_FALSE(theme_is_themed());
}

}  // namespace
