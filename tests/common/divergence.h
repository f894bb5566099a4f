// Known differences between the platform a test runs on and Windows, marked at
// the checks they affect, the way Wine's own tests mark theirs with todo_wine.
//
// The rule:
//  - A divergence is named once (below): what differs, and a probe that tells
//    whether this platform has it. The probe runs once per process, on first use.
//  - A check marked with a divergence is always made. Where the divergence does
//    not apply, it is an ordinary expectation. Where it applies, the check is
//    expected to fail: the test goes on and one line "divergence: ..." says
//    which check was tolerated.
//  - A marked check that holds where the divergence applies fails the test
//    ("marked divergence ... no longer happens here: remove the mark"): a fixed
//    Wine or a change of conditions (no longer running as root) is noticed.
//  - Nothing is skipped. Mark single checks, only those that really differ;
//    a check that holds either way stays unmarked.
//  - A difference that one Wine has and another has not names the Wine
//    versions it holds under ("8" for every 8.x); under any other version,
//    and on Windows, it does not apply, so its checks are ordinary there.
//
//   EXPECT_UNLESS(divergence::read_only_writable, file_create(1, ro) == 0);
//   EXPECT_EQ_UNLESS(divergence::read_only_writable, read_bytes(ro), "keep");
//
// Both take further text with << like the gtest macros; it goes with a real
// failure.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>

namespace tw_test {

// The Wine this runs under: its version as Wine gives it ("8.0", "10.0"), or
// "" on Windows and natively.
std::string wine_version();
// Whether that version's major number is one of `majors` ("8", "8 9").
bool wine_version_in(const char* majors);

class Divergence {
public:
    // `what` names the difference; `probe` answers whether this platform has it.
    constexpr Divergence(const char* what, bool (*probe)()) : what_(what), probe_(probe) {}
    // Only under the Wine versions `wine` names: their major numbers, separated
    // by spaces ("8", "8 9"); the probe is asked only there.
    constexpr Divergence(const char* what, const char* wine, bool (*probe)())
        : what_(what), wine_(wine), probe_(probe) {}
    Divergence(const Divergence&) = delete;
    Divergence& operator=(const Divergence&) = delete;

    const char* what() const { return what_; }
    // The Wine versions it is limited to; nullptr where it is not.
    const char* wine() const { return wine_; }
    // The probe's answer, asked once (where the Wine version is one it names).
    bool applies() const {
        std::call_once(once_, [this] { applies_ = (!wine_ || wine_version_in(wine_)) && probe_(); });
        return applies_;
    }

private:
    const char* what_;
    const char* wine_ = nullptr;
    bool (*probe_)();
    mutable std::once_flag once_;
    mutable bool applies_ = false;
};

#ifdef _WIN32
namespace divergence {
// Wine keeps FILE_ATTRIBUTE_READONLY as the missing Unix write permission,
// which a Wine running as root does not feel: CreateFile for writing (and
// CREATE_ALWAYS, MoveFileEx onto the file) succeeds on a read-only file.
// Windows refuses them to everyone.
extern const Divergence read_only_writable;
// Windows (and Wine from 9 on) send a window that moved or changed size under
// the pointer a pointer movement to where the pointer is; Wine 8 does not.
extern const Divergence no_move_after_window_change;
}  // namespace divergence
#endif

// The verdict on one marked check: empty when the test goes on, otherwise the
// failure to report. Prints the line of a tolerated failure. `values` tells
// what the check found, for the messages ("" when there is nothing to add).
std::string judge_marked(const Divergence& divergence, bool holds, const std::string& check, const std::string& values,
                         const char* file, int line);

template <class Actual, class Expected>
std::string judge_marked_eq(const Divergence& divergence, const Actual& actual, const Expected& expected,
                            const char* actual_text, const char* expected_text, const char* file, int line) {
    const bool equal = actual == expected;
    const std::string check = std::string(actual_text) + " == " + expected_text;
    const std::string values =
        equal ? std::string() : std::string(actual_text) + " is " + ::testing::PrintToString(actual);
    return judge_marked(divergence, equal, check, values, file, line);
}

}  // namespace tw_test

#define TW_MARKED_CHECK_(verdict)                                                         \
    switch (0)                                                                            \
    case 0:                                                                               \
    default:                                                                              \
        if (const std::string tw_marked_failure_ = (verdict); tw_marked_failure_.empty()) \
            ;                                                                             \
        else                                                                              \
            ADD_FAILURE_AT(__FILE__, __LINE__) << tw_marked_failure_

// Expects `condition` unless `divergence` applies here; see the rule above.
#define EXPECT_UNLESS(divergence, condition)                                                                        \
    TW_MARKED_CHECK_(::tw_test::judge_marked((divergence), static_cast<bool>(condition), #condition, std::string(), \
                                             __FILE__, __LINE__))

// Expects actual == expected unless `divergence` applies here; shows the value.
#define EXPECT_EQ_UNLESS(divergence, actual, expected) \
    TW_MARKED_CHECK_(                                  \
        ::tw_test::judge_marked_eq((divergence), (actual), (expected), #actual, #expected, __FILE__, __LINE__))
