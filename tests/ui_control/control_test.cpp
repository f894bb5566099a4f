// Push buttons, check boxes, edit fields and text labels driven through their
// messages: the events they report and in which order, their state, colours
// and the shared brushes, and the life of a control in the table.
#include "harness.h"

namespace {

using ControlBasics = ControlTest;

TEST_F(ControlBasics, NumericEditReportsFocusAndOneChangePerDigitAndRefusesLetters) {
    HWND edit = reinterpret_cast<HWND>(control_create_edit(5, 10, 10, 100, 24, "", CONTROL_FLAG_NUMBER));
    HWND other = reinterpret_cast<HWND>(control_create_button(6, 10, 50, 100, 24, "OK"));
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(GetWindowLongPtrA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    drain();

    SetFocus(edit);
    Events got = drain();
    Events want{{5, CONTROL_EVENT_FOCUS_GAINED}};
    EXPECT_EQ(got, want) << dump(got);

    // The edit sends EN_UPDATE and EN_CHANGE within one dispatch: only the
    // last one reaches the application.
    PostMessageA(edit, WM_CHAR, '7', 1);
    got = drain();
    want = {{5, EN_CHANGE}};
    EXPECT_EQ(got, want) << dump(got);
    EXPECT_EQ(control_get_text(5), "7");

    PostMessageA(edit, WM_CHAR, 'a', 1);
    got = drain();
    EXPECT_EQ(got, Events{}) << dump(got);
    EXPECT_EQ(control_get_text(5), "7");

    SetFocus(other);
    got = drain();
    want = {{5, CONTROL_EVENT_FOCUS_LOST}};
    EXPECT_EQ(got, want) << dump(got);
}

TEST_F(ControlBasics, ButtonAndCheckboxClicksAndState) {
    HWND button = reinterpret_cast<HWND>(control_create_button(7, 10, 10, 80, 24, "Start"));
    HWND check = reinterpret_cast<HWND>(control_create_checkbox(8, 10, 40, 160, 24, "Set Org beim Beenden"));
    ASSERT_NE(button, nullptr);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(check, GWL_STYLE)) & 0x5003000Fu, 0x50030003u);
    EXPECT_EQ(GetWindowLongPtrA(check, GWLP_ID), 8);
    EXPECT_EQ(reinterpret_cast<intptr_t>(GetPropA(check, "TW_ID")), 8);
    drain();

    PostMessageA(button, BM_CLICK, 0, 0);
    PostMessageA(check, BM_CLICK, 0, 0);
    Events got = drain();
    Events want{{7, BN_CLICKED}, {8, BN_CLICKED}};
    EXPECT_EQ(got, want) << dump(got);
    EXPECT_EQ(control_get_state(8), 1);

    control_set_state(8, 0);
    EXPECT_EQ(control_get_state(8), 0);
    control_set_state(8, 42);  // any non-zero value checks it
    EXPECT_EQ(control_get_state(8), 1);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);

    EXPECT_EQ(control_get_text(7), "Start");
    control_set_text(7, nullptr);
    EXPECT_EQ(control_get_text(7), "");
    control_set_text(7, "Nix gew\xE4hlt");
    EXPECT_EQ(control_get_text(7), "Nix gew\xE4hlt");
}

TEST_F(ControlBasics, LabelColoursFollowTheRuleAndShareOneBrushPerColour) {
    HWND a = reinterpret_cast<HWND>(control_create_text(2, 10, 10, 100, 20, "eins"));
    HWND b = reinterpret_cast<HWND>(control_create_text(17, 10, 40, 100, 20, "zwei"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    Canvas canvas(4, 4);
    auto colour_answer = [&](HWND label) {
        return reinterpret_cast<HBRUSH>(
            SendMessageA(window(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.dc()),
                         reinterpret_cast<LPARAM>(label)));
    };
    // No colour: the default answer, not one of the label's own.
    HBRUSH plain = colour_answer(a);

    // Front colour only: the button face behind the text.
    control_set_colour(2, CONTROL_COLOUR_FRONT, 0x4A3100);
    EXPECT_EQ(colour_answer(a), GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(GetTextColor(canvas.dc()), 0x4A3100u);
    EXPECT_EQ(GetBkColor(canvas.dc()), GetSysColor(COLOR_BTNFACE));

    control_set_colour(2, CONTROL_COLOUR_BACK, 0xEFE6DC);
    control_set_colour(17, CONTROL_COLOUR_BACK, 0xEFE6DC);
    HBRUSH shared = colour_answer(a);
    EXPECT_NE(shared, plain);
    EXPECT_EQ(colour_answer(b), shared);
    EXPECT_EQ(GetBkColor(canvas.dc()), 0xEFE6DCu);
    EXPECT_EQ(control_get_colour(2, CONTROL_COLOUR_FRONT), 0x4A3100);
    EXPECT_EQ(control_get_colour(2, CONTROL_COLOUR_BACK), 0xEFE6DC);
    EXPECT_EQ(control_get_colour(2, 3), -1);

    // The label paints with its colour.
    Canvas shot(100, 20);
    shot.fill(RGB(1, 2, 3));
    shot.print(a);
    EXPECT_EQ(shot.at(95, 2), 0xEFE6DCu);

    // One user changes colour: the other keeps the brush alive.
    control_set_colour(2, CONTROL_COLOUR_BACK, 0x0000FF);
    EXPECT_NE(colour_answer(a), shared);
    EXPECT_EQ(GetObjectType(shared), static_cast<DWORD>(OBJ_BRUSH));
    // The last user goes: the brush dies with it.
    control_free(17);
    EXPECT_FALSE(IsWindow(b));
    EXPECT_EQ(GetObjectType(shared), 0u);
}

TEST_F(ControlBasics, EditFieldKeepsTheSystemLookWhileDisabled) {
    HWND edit = reinterpret_cast<HWND>(control_create_edit(3, 10, 10, 100, 24, "12", CONTROL_FLAG_NUMBER));
    control_set_colour(3, CONTROL_COLOUR_BACK, 0x00FF00);
    Canvas canvas(4, 4);
    auto answer = [&](UINT msg) {
        return SendMessageA(window(), msg, reinterpret_cast<WPARAM>(canvas.dc()), reinterpret_cast<LPARAM>(edit));
    };
    LRESULT mine = answer(WM_CTLCOLOREDIT);
    EXPECT_EQ(answer(WM_CTLCOLORSTATIC), mine);
    EnableWindow(edit, FALSE);
    EXPECT_NE(answer(WM_CTLCOLORSTATIC), mine);
    EXPECT_EQ(answer(WM_CTLCOLOREDIT), mine);
}

TEST_F(ControlBasics, NumbersFontsResizeAndLifetime) {
    HWND first = reinterpret_cast<HWND>(control_create_button(4, 10, 10, 80, 24, "A"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(control_type(4), CONTROL_TYPE_BUTTON);

    // The same number again: the old control goes.
    HWND second = reinterpret_cast<HWND>(control_create_text(4, 10, 10, 80, 24, "B"));
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(control_type(4), CONTROL_TYPE_TEXT);
    EXPECT_EQ(control_handle(4), reinterpret_cast<intptr_t>(second));

    // A number far beyond the first 50 slots.
    EXPECT_NE(control_create_text(130, 0, 0, 10, 10, "far"), 0);
    EXPECT_EQ(control_get_text(130), "far");

    // A dynamic control is named by its own address.
    intptr_t dynamic = control_create_text(-1, 0, 30, 10, 10, "dyn");
    ASSERT_NE(dynamic, 0);
    EXPECT_TRUE(IsWindow(reinterpret_cast<HWND>(control_handle(dynamic))));
    EXPECT_EQ(control_get_text(dynamic), "dyn");

    // The default font applies to controls made afterwards only.
    HFONT font = CreateFontA(-20, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    control_set_font(-1, reinterpret_cast<intptr_t>(font));
    HWND later = reinterpret_cast<HWND>(control_create_button(9, 100, 100, 80, 24, "C"));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(later, WM_GETFONT, 0, 0)), font);
    EXPECT_NE(reinterpret_cast<HFONT>(SendMessageA(second, WM_GETFONT, 0, 0)), font);
    control_set_font(4, reinterpret_cast<intptr_t>(font));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(second, WM_GETFONT, 0, 0)), font);
    control_set_font(-1, -1);
    control_set_font(9, -1);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(later, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));

    // Resize with IGNORE keeps position and width.
    control_create_list(0, 15, 25, 200, 100);
    control_resize(0, tw::IGNORE, tw::IGNORE, tw::IGNORE, 60);
    RECT r{};
    GetWindowRect(reinterpret_cast<HWND>(control_handle(0)), &r);
    MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(rect_text(r), rect_text(RECT{15, 25, 215, 85}));
    control_resize(0, 5, tw::IGNORE, 100, tw::IGNORE);
    GetWindowRect(reinterpret_cast<HWND>(control_handle(0)), &r);
    MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(rect_text(r), rect_text(RECT{5, 25, 105, 85}));

    // Numbers without a control do nothing.
    control_set_text(77, "x");
    EXPECT_EQ(control_get_text(77), "");
    EXPECT_EQ(control_get_state(77), 0);
    EXPECT_EQ(control_create_text(-5, 0, 0, 1, 1, "bad"), 0);

    // Closing the window frees its controls; without a current window no
    // control can be made and an existing one of that number survives.
    window_close(0);
    EXPECT_EQ(control_handle(4), 0);
    EXPECT_EQ(control_handle(dynamic), 0);
    EXPECT_EQ(control_create_button(4, 0, 0, 10, 10, "none"), 0);
    DeleteObject(font);
}

TEST(ControlWithoutWindow, FailedCreationLeavesTheOldControl) {
    HWND w = reinterpret_cast<HWND>(window_open(3, 0, 0, 200, 100, "A", WINDOW_STYLE_SIZABLE));
    ASSERT_NE(w, nullptr);
    HWND kept = reinterpret_cast<HWND>(control_create_text(11, 0, 0, 50, 20, "kept"));
    ASSERT_NE(kept, nullptr);
    // Closing the window that holds the current control list leaves none:
    // creating fails, and the control of that number stays.
    window_open(4, 0, 0, 100, 100, "B", WINDOW_STYLE_SIZABLE);
    window_close(4);
    EXPECT_EQ(control_create_text(11, 0, 0, 50, 20, "new"), 0);
    EXPECT_TRUE(IsWindow(kept));
    EXPECT_EQ(control_get_text(11), "kept");
    window_close(3);
    EXPECT_FALSE(IsWindow(kept));
    drain();
}

}  // namespace
