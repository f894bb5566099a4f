// Shared pieces of the window tests: reading the event queue into readable
// lists of event names, and a fixture that closes every window afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/win32.h"
#include "tests/common/sequence.h"
#include "ui/brush.h"
#include "ui/font.h"
#include "ui/theme.h"
#include "ui/window.h"

// "SIZE", "CLOSE", ... for the library's event codes, "msg:0x200" for raw
// message numbers.
std::string event_name(int code);
bool is_library_event(int code);

// Polls without waiting until nothing is left; returns the names of the
// library events in the order they came (raw messages are left out unless
// keep_raw is set).
std::vector<std::string> drain_events(bool keep_raw = false);
std::vector<std::string> names(std::initializer_list<int> codes);

// Expected event names, where an entry may be marked optional(...): there or
// not, at its place.
using NameTable = tw_test::Table<std::string>;
using tw_test::optional;
::testing::AssertionResult names_match(const std::vector<std::string>& got, const NameTable& want);

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Frame size for a client size with this style (no menu).
    static SIZE outer_size(int width, int height, DWORD style);
};
