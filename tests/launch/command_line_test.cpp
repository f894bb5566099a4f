// The command line and working folder of a program to start.
#include <gtest/gtest.h>

#include "launch/portable/command_line.h"

namespace {

TEST(CommandLine, QuotedProgramAndItsFolder) {
    EXPECT_EQ(tw::program_command_line("c:\\my games\\p.exe", ""), "\"c:\\my games\\p.exe\"");
    EXPECT_EQ(tw::program_command_line("\"c:\\p.exe\"", "-x y"), "\"c:\\p.exe\" -x y");
    EXPECT_EQ(tw::program_command_line("p.exe", "-x"), "\"p.exe\" -x");
    EXPECT_EQ(tw::program_folder("c:\\games\\p.exe"), "c:\\games\\");
    EXPECT_EQ(tw::program_folder("\\p.exe"), "");
    EXPECT_EQ(tw::program_folder("p.exe"), "");
}

}  // namespace
