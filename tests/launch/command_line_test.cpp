// The command line and working folder of a program to start, and what
// run_program is to do for its flags.
#include <gtest/gtest.h>

#include "launch/launch.h"
#include "launch/portable/command_line.h"
#include "launch/portable/launch_plan.h"

namespace {

TEST(CommandLine, QuotedProgramAndItsFolder) {
    EXPECT_EQ(tw::program_command_line("c:\\my games\\p.exe", ""), "\"c:\\my games\\p.exe\"");
    EXPECT_EQ(tw::program_command_line("\"c:\\p.exe\"", "-x y"), "\"c:\\p.exe\" -x y");
    EXPECT_EQ(tw::program_command_line("p.exe", "-x"), "\"p.exe\" -x");
    EXPECT_EQ(tw::program_folder("c:\\games\\p.exe"), "c:\\games\\");
    EXPECT_EQ(tw::program_folder("\\p.exe"), "");
    EXPECT_EQ(tw::program_folder("p.exe"), "");
    EXPECT_EQ(tw::shell_folder("\"c:\\g\\p.exe\"", ""), "c:\\g\\");
    EXPECT_EQ(tw::shell_folder("c:\\g\\p.exe", "d:\\w"), "d:\\w");
}

TEST(LaunchPlan, FlagsGiveStreamsCreationShowAndTheShellFallback) {
    EXPECT_FALSE(tw::launch_plan("", "", "", 0) || tw::launch_plan("p.exe", "", std::string_view("a\0b", 3), 0));
    const auto plain = tw::launch_plan("p.exe", "-x", "", RUN_HIDDEN | RUN_WAIT);
    EXPECT_TRUE(plain->command == "\"p.exe\" -x" && plain->creation == 0x28 && plain->show == 0 && plain->wait &&
                !plain->redirect && plain->shell_allowed);
    const auto piped = tw::launch_plan("p.exe", "", "", RUN_HIDDEN | RUN_OBJECT | RUN_READ_OUTPUT | RUN_WRITE_INPUT);
    EXPECT_TRUE(piped->pipe_in && piped->pipe_out && !piped->pipe_err && piped->redirect && piped->creation == 0x20 &&
                !piped->shell_allowed);
    // Without a kept object no pipes of its own; from the sender it still gets standard handles.
    const auto sent = tw::launch_plan("p.exe", "", "", RUN_FROM_SENDER | RUN_WRITE_INPUT | RUN_READ_ERROR);
    EXPECT_TRUE(sent->from_sender && !sent->pipe_in && !sent->pipe_err && sent->redirect && sent->show == 1);
}

}  // namespace
