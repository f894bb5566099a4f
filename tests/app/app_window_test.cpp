// The main window as the program builds it, and its event loop driven with
// real window messages: what marks the settings changed, how the palette list
// follows the window height, and which geometry is saved.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "app/app.h"
#include "image/image.h"
#include "runtime/win32.h"
#include "tests/files/temp_folder.h"
#include "tests/image/samples.h"
#include "ui/ui.h"

using namespace tintwerk;

namespace {

void drain_events() {
    while (window_poll_event(0) != 0) {
    }
}

RECT control_rect(intptr_t number) {
    HWND c = reinterpret_cast<HWND>(control_handle(number));
    RECT r{};
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, GetParent(c), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class MainWindow : public ::testing::Test {
protected:
    HWND main = nullptr;

    static void SetUpTestSuite() {
        // DPI aware, as the program's manifest makes it; then once per
        // process, as in the program.
        SetProcessDPIAware();
        runtime_init();
        font_load(APP_FONT, "Lucida Console", 12);
        catch_builtin_images();
    }
    static void TearDownTestSuite() { runtime_release(); }

    void SetUp() override {
        AppState& s = app();
        s = initial_state("c:\\");
        set_runtime_defaults(s);
        // A fresh window record too: a test that ended minimised must not
        // have the next test's first size event mark the settings.
        main_window_record() = {};
        s.settings.window = {100, 50, 700, 500};
        s.settings.favorite1 = "a-very-long-favourite-name.pal";
        s.settings.favorite2 = "nix";
        build_main_window();
        main = reinterpret_cast<HWND>(window_handle(MAIN_WINDOW));
        ASSERT_NE(main, nullptr);
    }
    void TearDown() override {
        control_free_all();
        window_close_all();
        drain_events();
    }

    void close_and_run() {
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(run_main_loop(), EVENT_CLOSE);
    }
};

}  // namespace

TEST_F(MainWindow, BuiltWithItsControlsAndClosedUnchanged) {
    EXPECT_EQ(window_width(MAIN_WINDOW), 700);
    EXPECT_EQ(window_height(MAIN_WINDOW), 500);
    char title[64] = {};
    GetWindowTextA(main, title, sizeof title);
    EXPECT_STREQ(title, "Tintwerk");
    EXPECT_EQ(GetWindowLongPtrA(main, GWL_STYLE) & WS_MAXIMIZEBOX, 0);

    const RECT list = control_rect(CTL_PALETTE_LIST);
    EXPECT_EQ(list.left, 10);
    EXPECT_EQ(list.top, 10);
    EXPECT_EQ(list.right - list.left, 300);
    EXPECT_EQ(list.bottom - list.top, 475);
    const RECT start = control_rect(CTL_LAUNCH);
    EXPECT_EQ(start.left, 450);
    EXPECT_EQ(start.right - start.left, 100);
    EXPECT_EQ(control_rect(CTL_FAVORITE2).top, 415);

    EXPECT_EQ(control_get_text(CTL_STATUS), CREDIT_LINE);
    EXPECT_EQ(control_get_text(CTL_FAVORITE1_LABEL), "a-very-long-favour~");
    EXPECT_EQ(control_get_text(CTL_FAVORITE2_LABEL), "nix");
    for (intptr_t text : {CTL_STATUS, CTL_FAVORITE1_LABEL, CTL_FAVORITE2_LABEL}) {
        EXPECT_EQ(control_get_colour(text, CONTROL_COLOUR_FRONT), TEXT_COLOUR) << text;
        EXPECT_EQ(control_get_colour(text, CONTROL_COLOUR_BACK), BACK_COLOUR) << text;
    }
    EXPECT_EQ(control_get_state(CTL_PREVIEW), image_handle(DEFAULT_PREVIEW_IMAGE));
    EXPECT_NE(image_handle(DEFAULT_PREVIEW_IMAGE), 0);
    EXPECT_EQ(image_width(DEFAULT_PREVIEW_IMAGE), 300);
    EXPECT_EQ(image_width(101), 98);

    // Showing the window brings a size event of its own; it changes nothing.
    close_and_run();
    EXPECT_FALSE(app().settings_changed);
}

TEST_F(MainWindow, ResizingStretchesTheListAndMarksTheSettings) {
    RECT outer{};
    GetWindowRect(main, &outer);
    SetWindowPos(main, nullptr, 0, 0, outer.right - outer.left + 60, outer.bottom - outer.top + 100,
                 SWP_NOMOVE | SWP_NOZORDER);
    close_and_run();
    EXPECT_TRUE(app().settings_changed);
    const int height = window_height(MAIN_WINDOW);
    EXPECT_EQ(height, 600);
    const RECT list = control_rect(CTL_PALETTE_LIST);
    EXPECT_EQ(list.bottom - list.top, height - 25);
    EXPECT_EQ(list.right - list.left, 300);
    EXPECT_EQ(list.left, 10);
    const WindowGeometry g = main_window_geometry();
    EXPECT_EQ(g.width, window_width(MAIN_WINDOW));
    EXPECT_EQ(g.height, 600);
}

TEST_F(MainWindow, AMoveMarksTheSettingsUnlessTheWindowIsBackWhereItStarted) {
    // A move gives no size event; what counts is the geometry to be saved
    // against the one read at start-up.
    SetWindowPos(main, nullptr, 230, 140, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    close_and_run();
    EXPECT_TRUE(app().settings_changed);
    WindowGeometry g = main_window_geometry();
    EXPECT_EQ(g.x, 230);
    EXPECT_EQ(g.y, 140);
    EXPECT_EQ(g.width, 700);
    EXPECT_EQ(g.height, 500);

    app().settings_changed = false;
    drain_events();
    SetWindowPos(main, nullptr, 100, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    close_and_run();
    EXPECT_FALSE(app().settings_changed) << "moved back to where it started";
    g = main_window_geometry();
    EXPECT_EQ(g.x, 100);
    EXPECT_EQ(g.y, 50);
}

TEST_F(MainWindow, MinimisedAtExitSavesTheLastNormalGeometry) {
    const WindowGeometry before = main_window_geometry();
    ShowWindow(main, SW_MINIMIZE);
    close_and_run();
    EXPECT_FALSE(app().settings_changed) << "minimising alone changes no setting";
    const WindowGeometry g = main_window_geometry();
    EXPECT_EQ(g.x, before.x);
    EXPECT_EQ(g.y, before.y);
    EXPECT_EQ(g.width, 700);
    EXPECT_EQ(g.height, 500);
    const RECT list = control_rect(CTL_PALETTE_LIST);
    EXPECT_GE(list.bottom - list.top, 0);
}

TEST_F(MainWindow, MinimiseAndRestoreMarksTheSettings) {
    ShowWindow(main, SW_MINIMIZE);
    ShowWindow(main, SW_RESTORE);
    close_and_run();
    EXPECT_TRUE(app().settings_changed);
    const RECT list = control_rect(CTL_PALETTE_LIST);
    EXPECT_EQ(list.bottom - list.top, 475);
}

TEST_F(MainWindow, UnsetFavouriteButtonDoesNothing) {
    AppState& s = app();
    s.settings.favorite2 = "nix";
    s.selected_palette = "x.pal";
    PostMessageA(main, MSG_CONTROL_EVENT, CTL_FAVORITE2, 0);
    const DWORD t0 = GetTickCount();
    close_and_run();
    EXPECT_LT(GetTickCount() - t0, 400u) << "not even the launch pause";
    EXPECT_EQ(s.selected_palette, "x.pal");
    EXPECT_EQ(control_get_text(CTL_STATUS), CREDIT_LINE);
}

TEST_F(MainWindow, PreviewIsMadeAtTheBoxSizeWhateverThePictureClaims) {
    tw_test::TempFolder folder;
    AppState& s = app();
    s.settings.palette_folder = folder.path();
    auto picture = [](int w, int h) {
        return samples::make_jpeg(w, h, [w, h](int x, int y) { return samples::quadrant_colour(x, y, w, h); });
    };
    struct Case {
        const char* palette;
        int w, h;          // the picture (0: none)
        int shown_w, shown_h;  // the image shown (0: an empty box)
    } cases[] = {
        {"a640.pal", 640, 480, 300, 225},    {"b1024.pal", 1024, 600, 300, 175}, {"c301.pal", 301, 226, 299, 225},
        {"d600.pal", 600, 900, 150, 225},    {"e200.pal", 200, 100, 200, 100},   {"f300.pal", 300, 225, 300, 225},
        {"g4000.pal", 4000, 3000, 300, 225}, {"h30000.pal", 16, 16, 225, 225},   {"i_broken.pal", 1, 1, 0, 0},
        {"j_none.pal", 0, 0, 300, 225},
    };
    for (const Case& c : cases) {
        const std::string base = std::string(c.palette).substr(0, std::strlen(c.palette) - 4);
        tw_test::write_bytes(folder / c.palette, "palette");
        control_add_item(CTL_PALETTE_LIST, -1, c.palette);
        if (c.w == 0) continue;
        samples::Bytes jpeg = picture(c.w, c.h);
        if (std::string(c.palette) == "h30000.pal") jpeg = samples::claiming(jpeg, 30000, 30000);
        if (std::string(c.palette) == "i_broken.pal") jpeg = {0xFF, 0xD8, 0x00, 0x01};
        tw_test::write_bytes(folder / (base + ".jpg"), std::string(jpeg.begin(), jpeg.end()));
    }
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.palette);
        control_set_state(CTL_PALETTE_LIST, i);
        const DWORD t0 = GetTickCount();
        show_preview();
        EXPECT_LT(GetTickCount() - t0, 5000u);
        EXPECT_EQ(s.selected_palette, c.palette);
        EXPECT_EQ(control_get_text(CTL_STATUS), c.palette);
        const RECT box = control_rect(CTL_PREVIEW);
        EXPECT_EQ(box.left, 350);
        EXPECT_EQ(box.top, 10);
        if (c.w == 0) {
            EXPECT_EQ(control_get_state(CTL_PREVIEW), image_handle(DEFAULT_PREVIEW_IMAGE));
        } else if (c.shown_w == 0) {
            EXPECT_EQ(image_handle(PREVIEW_IMAGE), 0);
            EXPECT_EQ(control_get_state(CTL_PREVIEW), 0);
        } else {
            EXPECT_EQ(control_get_state(CTL_PREVIEW), image_handle(PREVIEW_IMAGE));
            EXPECT_EQ(image_width(PREVIEW_IMAGE), c.shown_w);
            EXPECT_EQ(image_height(PREVIEW_IMAGE), c.shown_h);
            EXPECT_EQ(box.right - box.left, c.shown_w);
            EXPECT_EQ(box.bottom - box.top, c.shown_h);
        }
    }
    control_clear_items(CTL_PALETTE_LIST);
}

// The layout on a screen of any DPI: run at 96 with the other tests and, with
// TW_TEST_DPI set, alone in a Wine prefix at 120, 144 and 192 DPI.
namespace {

struct Box {
    intptr_t control;
    int x, y, width, height;  // layout units; height -1: the window's height less 25
};
constexpr Box MAIN_LAYOUT[] = {
    {CTL_PALETTE_LIST, 10, 10, 300, -1}, {CTL_PREVIEW, 350, 10, 300, 225},     {CTL_STATUS, 350, 250, 300, 20},
    {CTL_ACTIVATE, 350, 280, 80, 34},    {CTL_LAUNCH, 450, 280, 100, 34},      {CTL_RESTORE, 570, 280, 80, 34},
    {CTL_HOTLAP, 350, 325, 80, 34},      {CTL_RACE, 460, 325, 80, 34},         {CTL_MENU, 570, 325, 80, 34},
    {CTL_FAVORITE1, 350, 370, 80, 34},   {CTL_FAVORITE1_LABEL, 450, 375, 200, 24},
    {CTL_FAVORITE2, 350, 415, 80, 34},   {CTL_FAVORITE2_LABEL, 450, 420, 200, 24}};
// The presets' headings, row labels and fields by their numbers: 204, 205;
// 206 to 210; 211 to 215 and 221 to 225.
constexpr Box SETTINGS_LAYOUT[] = {
    {CTL_OK, 210, 350, 40, 24},  {CTL_SET_TOP1, 10, 5, 100, 24}, {CTL_SET_TOP2, 150, 5, 100, 24},
    {CTL_FAVORITE_DISPLAY, 10, 40, 300, 24}, {204, 200, 72, 80, 24}, {205, 350, 72, 80, 24},
    {206, 10, 110, 80, 24},  {207, 10, 150, 80, 24},  {208, 10, 190, 100, 24}, {209, 10, 230, 80, 24},
    {210, 10, 270, 80, 24},  {211, 200, 110, 50, 24}, {212, 200, 150, 50, 24}, {213, 200, 190, 50, 24},
    {214, 200, 230, 50, 24}, {215, 200, 270, 50, 24}, {221, 350, 110, 50, 24}, {222, 350, 150, 50, 24},
    {223, 350, 190, 50, 24}, {224, 350, 230, 50, 24}, {225, 350, 270, 50, 24},
    {CTL_RESTORE_CHECK, 10, 310, 400, 24}};

int expected_dpi() {
    const char* dpi = std::getenv("TW_TEST_DPI");
    return dpi ? std::atoi(dpi) : 96;
}

// Every rectangle is the layout's times DPI / 96 within a pixel of rounding,
// no two overlap, and every text fits its control in the control's font.
void check_layout(const Box* boxes, std::size_t count, int window_height) {
    const double f = ui_dpi() / 96.0;
    std::vector<RECT> seen;
    for (const Box* b = boxes; b != boxes + count; ++b) {
        SCOPED_TRACE(b->control);
        const RECT r = control_rect(b->control);
        const int height = b->height >= 0 ? b->height : ui_units(window_height) - 25;
        EXPECT_NEAR(r.left, b->x * f, 1);
        EXPECT_NEAR(r.top, b->y * f, 1);
        EXPECT_NEAR(r.right - r.left, b->width * f, 1);
        EXPECT_NEAR(r.bottom - r.top, height * f, 1);
        for (const RECT& other : seen) {
            RECT both;
            EXPECT_FALSE(IntersectRect(&both, &r, &other)) << "overlaps another control";
        }
        seen.push_back(r);

        HWND h = reinterpret_cast<HWND>(control_handle(b->control));
        const std::string text = control_type(b->control) == CONTROL_TYPE_IMAGE_BUTTON ? "" : control_get_text(b->control);
        RECT client;
        GetClientRect(h, &client);
        if (!text.empty()) {
            HDC dc = GetDC(h);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(h, WM_GETFONT, 0, 0)));
            SIZE extent{};
            GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &extent);
            SelectObject(dc, old);
            ReleaseDC(h, dc);
            const int box = control_type(b->control) == CONTROL_TYPE_CHECKBOX ? GetSystemMetrics(SM_CXMENUCHECK) : 0;
            EXPECT_LE(extent.cx + box, client.right) << '"' << text << "\" is cut";
            EXPECT_LE(extent.cy, client.bottom) << '"' << text << "\" is cut";
        }
        // A picture button's picture fits its face.
        if (intptr_t picture = control_get_attribute(b->control, CONTROL_ATTR_IMAGE)) {
            BITMAP bm{};
            GetObjectA(reinterpret_cast<HGDIOBJ>(picture), sizeof bm, &bm);
            EXPECT_LE(bm.bmWidth, client.right);
            EXPECT_NEAR(bm.bmHeight, 32 * f, 1);
        }
    }
}

void CALLBACK check_settings_and_close(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    check_layout(SETTINGS_LAYOUT, std::size(SETTINGS_LAYOUT), 0);
    EXPECT_NEAR(window_width(SETTINGS_WINDOW), ui_dpi() / 96.0 * 460, 1);
    PostMessageA(reinterpret_cast<HWND>(window_handle(SETTINGS_WINDOW)), MSG_CONTROL_EVENT, CTL_OK, 0);
}

}  // namespace

TEST_F(MainWindow, LayoutFollowsTheScreensDpi) {
    ASSERT_EQ(ui_dpi(), expected_dpi()) << "the test prefix is not at the DPI asked for";
    const double f = ui_dpi() / 96.0;
    close_and_run();  // the size event of showing the window
    // The longest text the status line shows for a palette (the credit line
    // at start, 39 characters, has never fitted the 300 units).
    set_status(shorten_text("ein-sehr-langer-palettenname-zum-test.pal", STATUS_LIMIT));
    check_layout(MAIN_LAYOUT, std::size(MAIN_LAYOUT), window_height(MAIN_WINDOW));

    // A large photo fills the box, decoded at the box's size.
    tw_test::TempFolder folder;
    app().settings.palette_folder = folder.path();
    const samples::Bytes jpeg =
        samples::make_jpeg(1600, 1200, [](int x, int y) { return samples::quadrant_colour(x, y, 1600, 1200); });
    tw_test::write_bytes(folder / "big.jpg", std::string(jpeg.begin(), jpeg.end()));
    control_add_item(CTL_PALETTE_LIST, LIST_END, "big.pal");
    control_set_state(CTL_PALETTE_LIST, 0);
    show_preview();
    const RECT box = control_rect(CTL_PREVIEW);
    EXPECT_NEAR(box.right - box.left, 300 * f, 1);
    EXPECT_NEAR(box.bottom - box.top, 225 * f, 1);
    control_clear_items(CTL_PALETTE_LIST);

    SetTimer(nullptr, 0, 50, check_settings_and_close);
    run_settings_window();
}
