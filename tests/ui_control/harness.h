// Shared pieces of the control tests: one library start for the process, a
// window to put controls into, the events the controls report, and bitmaps.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/win32.h"
#include "tests/common/sequence.h"
#include "ui/ui.h"

// One control event as the application sees it.
struct ControlEvent {
    intptr_t control;
    int type;
    bool operator==(const ControlEvent& o) const { return control == o.control && type == o.type; }
};
using Events = std::vector<ControlEvent>;

// "ctl 3 type 0x300" for one event, "ctl 3 type 0x300, ctl 3 type 0x36b1" for a
// list, for readable failures.
std::string event_text(const ControlEvent& event);
std::string dump(const Events& events);

// The events a step must give, where an entry may be marked optional(...):
// there or not, at its place.
using EventTable = tw_test::Table<ControlEvent>;
using tw_test::optional;
::testing::AssertionResult events_match(const Events& got, const EventTable& want);

// Reads events until the queue is empty; keeps the control events, and counts
// other codes the caller asks for.
Events drain(std::vector<int>* others = nullptr);

// A test window (number 0) that is the current control list.
class ControlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    HWND window() const { return window_; }
    HWND window_ = nullptr;
};

// A DIB section of the given size filled with one colour (0x00BBGGRR);
// the caller deletes it.
HBITMAP solid_bitmap(int width, int height, COLORREF colour);

// A 32-bit memory canvas for WM_PRINT.
class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    HDC dc() const { return dc_; }
    COLORREF at(int x, int y) const;  // 0x00BBGGRR
    void fill(COLORREF colour);
    // Paints the window into the canvas through WM_PRINT.
    void print(HWND window);
    // The bounding box of pixels of this colour; empty when none.
    RECT find(COLORREF colour) const;

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr, old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

std::string rect_text(const RECT& r);
