// What run_program is asked to do, decided before anything is started: the
// command line, the pipes to the child's standard streams, how the child is
// created and shown, and whether the shell's open may stand in when the
// program cannot be started itself. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

// The Win32 creation flags and show modes the plan chooses from.
inline constexpr uint32_t kNormalPriorityClass = 0x20;
inline constexpr uint32_t kDetachedProcess = 0x8;
inline constexpr int kShowHidden = 0;
inline constexpr int kShowNormal = 1;

struct LaunchPlan {
    std::string command;                       // the program quoted, then its parameters
    uint32_t creation = kNormalPriorityClass;  // creation flags
    int show = kShowNormal;                    // the child's (or the document's) window
    bool keep_object = false;                  // a process object is kept and returned
    bool wait = false;                         // until the started process ends
    bool pipe_in = false, pipe_out = false, pipe_err = false;  // pipes made for the child
    bool from_sender = false;     // standard input is the sender's output pipe
    bool redirect = false;        // the child gets standard handles, inherited
    bool shell_allowed = false;   // the shell's open may stand in
};

// The plan for run_program's arguments; nothing when there is nothing to
// start or a text holds a zero byte (which would start something else).
std::optional<LaunchPlan> launch_plan(std::string_view program, std::string_view parameters,
                                      std::string_view folder, uint32_t flags);

}  // namespace tw
