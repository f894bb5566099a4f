#include "launch/portable/launch_plan.h"

#include "launch/launch.h"
#include "launch/portable/command_line.h"

namespace tw {
namespace {

bool has_zero(std::string_view text) { return text.find('\0') != std::string_view::npos; }

}  // namespace

std::optional<LaunchPlan> launch_plan(std::string_view program, std::string_view parameters,
                                      std::string_view folder, uint32_t flags) {
    if (program.empty() || has_zero(program) || has_zero(parameters) || has_zero(folder)) return std::nullopt;
    LaunchPlan plan;
    plan.command = program_command_line(program, parameters);
    plan.keep_object = flags & RUN_OBJECT;
    plan.wait = flags & RUN_WAIT;
    const bool hidden = flags & RUN_HIDDEN;
    // Pipes only for a kept object: its process functions use them.
    plan.from_sender = flags & RUN_FROM_SENDER;
    plan.pipe_in = plan.keep_object && (flags & RUN_WRITE_INPUT) && !plan.from_sender;
    plan.pipe_out = plan.keep_object && (flags & RUN_READ_OUTPUT);
    plan.pipe_err = plan.keep_object && (flags & RUN_READ_ERROR);
    plan.redirect = plan.pipe_in || plan.pipe_out || plan.pipe_err || plan.from_sender;
    // Hidden, it is detached from any console, unless it gets standard handles.
    plan.creation = kNormalPriorityClass | (hidden && !plan.redirect ? kDetachedProcess : 0);
    plan.show = hidden ? kShowHidden : kShowNormal;
    // The shell's open cannot hand over standard streams.
    plan.shell_allowed = !(flags & (RUN_READ_OUTPUT | RUN_WRITE_INPUT | RUN_READ_ERROR | RUN_FROM_SENDER));
    return plan;
}

}  // namespace tw
