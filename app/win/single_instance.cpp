// One Tintwerk at a time: the second start in a session opens no window and
// touches no file; it hands over to the first, whose main window comes to the
// front.
#include "app/app.h"
#include "ui/ui.h"

namespace tintwerk {

namespace {

// Held by the running Tintwerk until it ends; "Local\\": one per session.
constexpr char kInstanceName[] = "Local\\Tintwerk.Palettenwechsler";
// The property on its main window by which the second start finds it (test
// programs open windows of the same class).
constexpr char kMainWindowMark[] = "TW_Tintwerk";
// How long the second start waits for a first one that has no window yet
// (still starting); then it ends all the same.
constexpr int kFirstWindowWaitMs = 5000;

}  // namespace

bool hand_over_to_running_instance() {
    return instance_hand_over(kInstanceName, kMainWindowMark, kFirstWindowWaitMs) != INSTANCE_FIRST;
}

void mark_main_window(bool on) { window_mark(MAIN_WINDOW, kMainWindowMark, on); }

}  // namespace tintwerk
